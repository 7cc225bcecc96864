// What the score view draws with when it uses a score font: the font itself
// and the geometry and glyph offsets that go with its height. The shell's
// font set-up fills them; the view only reads them.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr int kScoreGlyphOffsets = 27;

struct ScoreMetrics {
  int16_t noteHeadWidth;  // M1
  int16_t staffSpacing;   // M2
  int16_t tickLength;     // M3: ruler ticks (twice as long every fourth)
  int16_t guideStart;     // M4
  int16_t unitWidth;      // M5: key-signature spacing of the font
  int16_t leftX;          // M6: where the first event is drawn
  int16_t barGap;         // M7: extra room after a bar line
  int16_t gridStep;       // M8: time ruler step, never 0
  // Per-glyph x/y, stem and beam offsets of the font.
  int16_t glyphOffsets[kScoreGlyphOffsets];
};

// The geometry of the bitmap glyph set; its glyph offsets are unused.
constexpr ScoreMetrics kBitmapScoreMetrics = {6, 6, 4, 50, 6, 56, 12, 6, {}};

struct ScoreFontState {
  HFONT font = nullptr;  // null: the bitmap glyphs are drawn
  ScoreMetrics metrics = kBitmapScoreMetrics;
};
extern ScoreFontState g_scoreFont;
