// The upper score pane's background (time ruler, staves, guide lines,
// clefs), its key signature, and what both panes draw over their content:
// the position line and the selected span. Items go to a ScoreDrawSink.
#pragma once
#include <cstdint>

#include "editmodel.h"
#include "scoredraw.h"
#include "scorelength.h"

// Which glyphs the panes draw: the bitmaps, or the score font with the
// offsets its set-up supplies for the key-signature signs.
struct ScoreGlyphSet {
  bool font = false;
  int32_t signOffsetX = 0;
  int32_t signOffsetY = 0;
};

// Glyph ids of the background.
constexpr uint16_t kScoreBitmapTreble = 5500;
constexpr uint16_t kScoreBitmapBass = 5501;
constexpr uint16_t kScoreBitmapFlat = 5516;
constexpr uint16_t kScoreBitmapSharp = 5517;

// The background of a width x height upper pane without the key signature
// (what a cached background holds): ruler ticks, bottom line, the ten staff
// lines, the outer guide lines and both clefs.
void LayoutScoreBackground(const ScoreLayout& layout, int32_t width, int32_t height, const ScoreGlyphSet& glyphs,
                           ScoreDrawSink& sink);

// The signs of key signature keySignature (bits 0-3: 1-7 sharps, 9-15
// flats; 0 and 8 none) on both staves. Returns the signs drawn.
int32_t LayoutKeySignature(const ScoreLayout& layout, uint32_t keySignature, const ScoreGlyphSet& glyphs,
                           ScoreDrawSink& sink);

// A paint's background: the background (left out when it comes from the
// cache) and the key signature of the editor's reference line, or the
// song's (songKeyIndex) without a followed editor. An editor without a line
// table draws nothing; false then.
bool LayoutUpperPaneBackground(const StepEditModel* editor, const ScoreLayout& layout, int32_t width,
                               int32_t height, int songKeyIndex, bool fromCache, const ScoreGlyphSet& glyphs,
                               ScoreDrawSink& sink);

// The position line at positionX + 1 from the pane's height up to 0, drawn
// with XOR so that drawing it again takes it away. Nothing unless shown.
void LayoutScorePositionLine(bool shown, int32_t positionX, int32_t height, ScoreDrawSink& sink);

// The x-span of the editor's selection in a pane that starts at startLine:
// from the chord holding the first selected event (ScoreLeftX when that lies
// before startLine) to where the chord holding the last one ends, within
// 0..width, inverted from top to bottom. False (nothing drawn) without a
// selection or when it lies outside the pane.
struct ScoreSpan {
  int32_t x1 = 0;
  int32_t x2 = 0;
};
bool ScoreSelectionSpan(const StepEditModel& editor, const ScoreLayout& layout, int32_t startLine, int32_t width,
                        ScoreSpan* span);
bool LayoutScoreSelection(const StepEditModel& editor, const ScoreLayout& layout, int32_t startLine,
                          int32_t width, int32_t top, int32_t bottom, ScoreDrawSink& sink);
