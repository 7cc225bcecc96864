// The score view's font and the metrics derived from its height.
#pragma once
#include <windows.h>
#include <cstdint>

#include "scoremetrics.h"

// Rows of the metric table: word 0 the grid step for a font height, words
// 1-27 the glyph offsets; word 8 (the eighth offset) is the height the row
// is for. A row whose word 8 is kScoreTableEnd ends the table.
constexpr int kScoreTableWords = 28;
constexpr int kScoreTableKeyWord = 8;
constexpr int16_t kScoreTableEnd = -999;
extern const int16_t kScoreMetricTable[][kScoreTableWords];
// The row for a font height (lfHeight), null when the table has none.
const int16_t* FindScoreMetricRow(LONG height);

// The score metrics for the bitmap glyphs or for a font of the given height;
// glyph offsets the table has no row for stay those of previous.
ScoreMetrics ComputeScoreMetrics(bool bitmap, LONG height, const ScoreMetrics& previous);

// (Re)creates the score font from the settings and sets the score metrics.
void CreateDisplayFont();
// The score font dialog; the score windows are laid out again either way.
void ChooseScoreFont();
// Moves every score window to its own rectangle and repaints it.
void RelayoutScoreChildren();
