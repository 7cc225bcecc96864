#include "scorebackground.h"

#include <algorithm>

#include "scorenav.h"
#include "scorenotes.h"
#include "scorestaff.h"

namespace {

void AddLine(ScoreDrawSink& sink, ScoreRole role, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  ScoreDrawItem item{};
  item.kind = ScoreItemKind::Line;
  item.role = role;
  item.x1 = x1;
  item.y1 = y1;
  item.x2 = x2;
  item.y2 = y2;
  sink.Add(item);
}

void AddGlyph(ScoreDrawSink& sink, const ScoreGlyphSet& glyphs, uint16_t bitmap, char fontChar, int32_t x,
              int32_t y, int32_t w, int32_t h) {
  ScoreDrawItem item{};
  item.role = ScoreRole::Black;
  item.x1 = x;
  item.y1 = y;
  if (glyphs.font) {
    item.kind = ScoreItemKind::FontChar;
    item.glyph = static_cast<uint8_t>(fontChar);
  } else {
    item.kind = ScoreItemKind::Bitmap;
    item.glyph = bitmap;
    item.x2 = x + w;
    item.y2 = y + h;
  }
  sink.Add(item);
}

// Staff positions of the signs, sign 1 first.
constexpr int kSharpTreble[7] = {46, 43, 47, 44, 41, 45, 42};
constexpr int kSharpBass[7] = {32, 29, 33, 30, 27, 31, 28};
constexpr int kFlatTreble[7] = {42, 45, 41, 44, 40, 43, 39};
constexpr int kFlatBass[7] = {28, 31, 27, 30, 26, 29, 25};

}  // namespace

void LayoutScoreBackground(const ScoreLayout& layout, int32_t width, int32_t height, const ScoreGlyphSet& glyphs,
                           ScoreDrawSink& sink) {
  const ScoreGeometry& g = layout.geometry;
  const int32_t c = layout.staffCentreY;
  const int32_t s = g.staffSpacing;
  const int32_t w = g.noteHeadWidth;
  const int32_t bottom = height - 1;
  const int64_t stride = static_cast<int64_t>(std::max<int32_t>(g.gridStep, 1)) * std::max(layout.timeScaleX, 1);

  // Time ruler: every fourth tick twice as long.
  for (int64_t k = 0; k * stride < width; ++k) {
    const int32_t x = static_cast<int32_t>(g.leftX + k * stride);
    const int32_t len = (k % 4 == 0 ? 2 : 1) * g.tickLength;
    AddLine(sink, ScoreRole::Staff, x, bottom, x, bottom - len);
  }
  AddLine(sink, ScoreRole::Guide, 0, bottom, width, bottom);
  // The grand staff; the middle-C line itself stays blank.
  for (int32_t i = 1; i <= 5; ++i) {
    AddLine(sink, ScoreRole::Staff, 0, c - i * s, width, c - i * s);
    AddLine(sink, ScoreRole::Staff, 0, c + i * s, width, c + i * s);
  }
  // Guides where the staves two octaves up and down would stand.
  for (int32_t i = 8; i <= 12; ++i) {
    AddLine(sink, ScoreRole::Guide, g.leftX - w, c - i * s, width, c - i * s);
    AddLine(sink, ScoreRole::Guide, g.leftX - w, c + i * s, width, c + i * s);
  }
  AddGlyph(sink, glyphs, kScoreBitmapTreble, '&', 4, c + s / 3 - 6 * s - 1, 3 * w, 8 * s);
  AddGlyph(sink, glyphs, kScoreBitmapBass, '?', 4, c + s + 1, 16, 17);
}

int32_t LayoutKeySignature(const ScoreLayout& layout, uint32_t keySignature, const ScoreGlyphSet& glyphs,
                           ScoreDrawSink& sink) {
  const uint32_t key = keySignature & 15u;
  if (key == 0 || key == 8) return 0;
  const bool flats = key > 8;
  const int n = static_cast<int>(flats ? key - 8 : key);
  const int32_t c = layout.staffCentreY;
  const int32_t s = layout.geometry.staffSpacing;
  const int32_t unit = layout.geometry.unitWidth;
  int32_t drawn = 0;
  for (int i = 1; i <= n; ++i) {
    int32_t x = 17 + 5 * i;
    if (glyphs.font) x = 4 + (2 + i) * unit + i * (unit / 4) + glyphs.signOffsetX;
    const int positions[2] = {flats ? kFlatTreble[i - 1] : kSharpTreble[i - 1],
                              flats ? kFlatBass[i - 1] : kSharpBass[i - 1]};
    for (int p : positions) {
      int32_t top = StaffLineY(c, p, s) - (s / 2 + s + 1);
      if (glyphs.font) top += glyphs.signOffsetY;
      if (flats) {
        AddGlyph(sink, glyphs, kScoreBitmapFlat, 'b', x, top, 8, 16);
      } else {
        AddGlyph(sink, glyphs, kScoreBitmapSharp, '#', x, top, 8, 21);
      }
      ++drawn;
    }
  }
  return drawn;
}

bool LayoutUpperPaneBackground(const StepEditModel* editor, const ScoreLayout& layout, int32_t width,
                               int32_t height, int songKeyIndex, bool fromCache, const ScoreGlyphSet& glyphs,
                               ScoreDrawSink& sink) {
  if (editor && !editor->lineTable) return false;
  if (!fromCache) LayoutScoreBackground(layout, width, height, glyphs, sink);
  const uint32_t key = editor ? ScoreLineKey(*editor, ScoreReferenceLine(*editor), songKeyIndex)
                              : static_cast<uint32_t>(songKeyIndex) & 15u;
  LayoutKeySignature(layout, key, glyphs, sink);
  return true;
}

void LayoutScorePositionLine(bool shown, int32_t positionX, int32_t height, ScoreDrawSink& sink) {
  if (!shown) return;
  AddLine(sink, ScoreRole::Position, positionX + 1, height, positionX + 1, 0);
}

bool ScoreSelectionSpan(const StepEditModel& editor, const ScoreLayout& layout, int32_t startLine, int32_t width,
                        ScoreSpan* span) {
  int32_t from = 0, to = 0;
  if (!editor.lineTable || !OrderedSelection(editor, &from, &to)) return false;
  const int32_t first = LineEvent(editor, std::max(startLine, 0));
  if (first < 0 || to < first) return false;

  ScoreXCursor cursor;
  cursor.x = layout.geometry.leftX;
  bool started = false, ending = false, ended = false;
  int32_t x1 = cursor.x, x2 = cursor.x;
  WalkScoreSteps(editor, layout, startLine, width, cursor, [&](const ScoreStep& step) {
    if (!started && step.lastEvent >= from) {
      started = true;
      x1 = from < first ? layout.geometry.leftX : step.x;
    }
    if (step.lastEvent >= to) ending = true;
    if (ending && step.closes) {
      x2 = step.nextX;
      ended = true;
      return false;
    }
    return true;
  });
  if (!started) return false;
  // The walk ran out first: at the pane's edge, or at the open chord's x.
  if (!ended) x2 = cursor.x >= width ? width : std::max(cursor.x, x1);
  span->x1 = std::clamp(x1, 0, std::max(width, 0));
  span->x2 = std::clamp(x2, 0, std::max(width, 0));
  return span->x2 > span->x1;
}

bool LayoutScoreSelection(const StepEditModel& editor, const ScoreLayout& layout, int32_t startLine,
                          int32_t width, int32_t top, int32_t bottom, ScoreDrawSink& sink) {
  ScoreSpan span;
  if (!ScoreSelectionSpan(editor, layout, startLine, width, &span)) return false;
  ScoreDrawItem item{};
  item.kind = ScoreItemKind::Invert;
  item.role = ScoreRole::Black;
  item.x1 = span.x1;
  item.y1 = top;
  item.x2 = span.x2;
  item.y2 = bottom;
  sink.Add(item);
  return true;
}
