#include "scorebackground.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "../stepedit/modelfixture.h"
#include "scorestaff.h"

namespace {

using namespace modelfixture;

constexpr int32_t kCentre = 200;
constexpr int32_t kWidth = 200;
constexpr int32_t kHeight = 300;

ScoreLayout Layout(int32_t displaySwitch = 0) {
  ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, 480, displaySwitch);
  layout.staffCentreY = kCentre;
  return layout;
}

std::vector<ScoreDrawItem> Of(const std::vector<ScoreDrawItem>& items, ScoreItemKind kind, ScoreRole role) {
  std::vector<ScoreDrawItem> out;
  for (const ScoreDrawItem& i : items) {
    if (i.kind == kind && i.role == role) out.push_back(i);
  }
  return out;
}

// Ruler ticks: the staff-pen lines that stand upright.
std::vector<ScoreDrawItem> Ticks(const std::vector<ScoreDrawItem>& items) {
  std::vector<ScoreDrawItem> out;
  for (const ScoreDrawItem& i : Of(items, ScoreItemKind::Line, ScoreRole::Staff)) {
    if (i.x1 == i.x2) out.push_back(i);
  }
  return out;
}

TEST(ScoreBackground, RulerStavesGuidesAndClefs) {
  ScoreDrawList list;
  LayoutScoreBackground(Layout(), kWidth, kHeight, {}, list);

  const std::vector<ScoreDrawItem> ticks = Ticks(list.items);
  ASSERT_EQ(34u, ticks.size());  // k x 6 below 200
  for (size_t k = 0; k < ticks.size(); ++k) {
    EXPECT_EQ(56 + 6 * static_cast<int32_t>(k), ticks[k].x1) << k;
    EXPECT_EQ(kHeight - 1, ticks[k].y1);
    EXPECT_EQ(kHeight - 1 - (k % 4 == 0 ? 8 : 4), ticks[k].y2) << k;
  }

  std::vector<int32_t> staffYs, guideYs;
  for (const ScoreDrawItem& i : Of(list.items, ScoreItemKind::Line, ScoreRole::Staff)) {
    if (i.y1 == i.y2) {
      EXPECT_EQ(0, i.x1);
      EXPECT_EQ(kWidth, i.x2);
      staffYs.push_back(i.y1);
    }
  }
  int bottomLines = 0;
  for (const ScoreDrawItem& i : Of(list.items, ScoreItemKind::Line, ScoreRole::Guide)) {
    if (i.y1 == kHeight - 1) {
      ++bottomLines;
      continue;
    }
    EXPECT_EQ(50, i.x1);  // ScoreLeftX - NoteHeadWidth
    guideYs.push_back(i.y1);
  }
  EXPECT_EQ(1, bottomLines);
  std::sort(staffYs.begin(), staffYs.end());
  std::sort(guideYs.begin(), guideYs.end());
  // Middle C (200) has no line of its own.
  EXPECT_EQ((std::vector<int32_t>{170, 176, 182, 188, 194, 206, 212, 218, 224, 230}), staffYs);
  EXPECT_EQ((std::vector<int32_t>{128, 134, 140, 146, 152, 248, 254, 260, 266, 272}), guideYs);

  const std::vector<ScoreDrawItem> glyphs = Of(list.items, ScoreItemKind::Bitmap, ScoreRole::Black);
  ASSERT_EQ(2u, glyphs.size());
  EXPECT_EQ(kScoreBitmapTreble, glyphs[0].glyph);
  EXPECT_EQ((std::vector<int32_t>{4, 165, 22, 213}),
            (std::vector<int32_t>{glyphs[0].x1, glyphs[0].y1, glyphs[0].x2, glyphs[0].y2}));
  EXPECT_EQ(kScoreBitmapBass, glyphs[1].glyph);
  EXPECT_EQ((std::vector<int32_t>{4, 207, 20, 224}),
            (std::vector<int32_t>{glyphs[1].x1, glyphs[1].y1, glyphs[1].x2, glyphs[1].y2}));
}

TEST(ScoreBackground, DoubleTimeScaleDoublesTheRulerStep) {
  ScoreDrawList list;
  LayoutScoreBackground(Layout(kScoreDoubleTime), kWidth, kHeight, {}, list);
  const std::vector<ScoreDrawItem> ticks = Ticks(list.items);
  ASSERT_EQ(17u, ticks.size());  // k x 12 below 200
  EXPECT_EQ(56 + 12, ticks[1].x1);
  EXPECT_EQ(56 + 16 * 12, ticks[16].x1);
  EXPECT_EQ(kHeight - 1 - 8, ticks[4].y2);  // still every fourth tick
  // The clefs keep their size.
  const std::vector<ScoreDrawItem> glyphs = Of(list.items, ScoreItemKind::Bitmap, ScoreRole::Black);
  ASSERT_EQ(2u, glyphs.size());
  EXPECT_EQ(22, glyphs[0].x2);
}

struct Sign {
  uint16_t glyph;
  int32_t x, y;
};

std::vector<Sign> Signs(uint32_t key, const ScoreGlyphSet& glyphs = {}) {
  ScoreDrawList list;
  const int32_t n = LayoutKeySignature(Layout(), key, glyphs, list);
  EXPECT_EQ(static_cast<size_t>(n), list.items.size());
  std::vector<Sign> out;
  for (const ScoreDrawItem& i : list.items) out.push_back({i.glyph, i.x1, i.y1});
  return out;
}

TEST(ScoreBackground, KeySignatureSigns) {
  // A sign's top is its line's y less s div 2 + s + 1 = 10.
  struct Case {
    uint32_t key;
    std::vector<std::vector<int32_t>> signs;  // glyph, x, top
  };
  const Case cases[] = {
      {0, {}},
      {8, {}},
      // G major: the top treble line (170) and the fourth bass line (212).
      {1, {{kScoreBitmapSharp, 22, 160}, {kScoreBitmapSharp, 22, 202}}},
      // F major: the middle treble line (182), the second bass line (224).
      {9, {{kScoreBitmapFlat, 22, 172}, {kScoreBitmapFlat, 22, 214}}},
      // D major: C sharp on the third space (position 43).
      {2, {{kScoreBitmapSharp, 22, 160}, {kScoreBitmapSharp, 22, 202}, {kScoreBitmapSharp, 27, 169},
           {kScoreBitmapSharp, 27, 211}}},
      // Only bits 0-3 count: 0x11 is G major.
      {0x11, {{kScoreBitmapSharp, 22, 160}, {kScoreBitmapSharp, 22, 202}}},
  };
  for (const Case& c : cases) {
    const std::vector<Sign> got = Signs(c.key);
    ASSERT_EQ(c.signs.size(), got.size()) << c.key;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(c.signs[i][0], got[i].glyph) << c.key << " " << i;
      EXPECT_EQ(c.signs[i][1], got[i].x) << c.key << " " << i;
      EXPECT_EQ(c.signs[i][2], got[i].y) << c.key << " " << i;
    }
  }
  // Seven flats: the last at x 52 on positions 39 and 25.
  const std::vector<Sign> flats = Signs(15);
  ASSERT_EQ(14u, flats.size());
  EXPECT_EQ(52, flats[12].x);
  EXPECT_EQ(StaffLineY(kCentre, 39, 6) - 10, flats[12].y);
  EXPECT_EQ(StaffLineY(kCentre, 25, 6) - 10, flats[13].y);
}

TEST(ScoreBackground, KeySignatureWithTheScoreFont) {
  ScoreGlyphSet font;
  font.font = true;
  font.signOffsetX = 1;
  font.signOffsetY = -2;
  const std::vector<Sign> got = Signs(2, font);
  ASSERT_EQ(4u, got.size());
  // 4 + (2 + i) x g + i x (g div 4), g = 6, plus the font's offset.
  EXPECT_EQ('#', got[0].glyph);
  EXPECT_EQ(4 + 18 + 1 + 1, got[0].x);
  EXPECT_EQ(160 - 2, got[0].y);
  EXPECT_EQ(4 + 24 + 2 + 1, got[2].x);
}

TEST(ScoreBackground, PaneWithoutEditorDrawsTheSongKey) {
  ScoreDrawList drawn, cached;
  ASSERT_TRUE(LayoutUpperPaneBackground(nullptr, Layout(), kWidth, kHeight, 9, false, {}, drawn));
  ASSERT_TRUE(LayoutUpperPaneBackground(nullptr, Layout(), kWidth, kHeight, 9, true, {}, cached));
  // From the cache only the key signature is drawn.
  ASSERT_EQ(2u, cached.items.size());
  EXPECT_EQ(kScoreBitmapFlat, cached.items[0].glyph);
  ScoreDrawList background;
  LayoutScoreBackground(Layout(), kWidth, kHeight, {}, background);
  ASSERT_EQ(background.items.size() + 2, drawn.items.size());
  EXPECT_EQ(kScoreBitmapFlat, drawn.items.back().glyph);
}

TEST(ScoreBackground, EditorKeyWinsOverTheSongs) {
  ModelSong song;
  song.ctx.songKey = 1;
  song.SetTrack(1, Track({Ev(0xF5, 0, 9, 0), Note(60, 480, 400)}));
  StepEditModel& m = song.Open(1);
  ScoreDrawList list;
  ASSERT_TRUE(LayoutUpperPaneBackground(&m, Layout(), kWidth, kHeight, 1, true, {}, list));
  ASSERT_EQ(2u, list.items.size());
  EXPECT_EQ(kScoreBitmapFlat, list.items[0].glyph);

  // An editor without a line table: nothing at all.
  StepEditModel bare = m;
  bare.lineTable = nullptr;
  ScoreDrawList none;
  EXPECT_FALSE(LayoutUpperPaneBackground(&bare, Layout(), kWidth, kHeight, 1, false, {}, none));
  EXPECT_TRUE(none.items.empty());
}

TEST(ScorePaneOverlay, PositionLineIsXorDrawnOnePixelRight) {
  ScoreDrawList list;
  LayoutScorePositionLine(false, 100, 80, list);
  EXPECT_TRUE(list.items.empty());
  LayoutScorePositionLine(true, 100, 80, list);
  ASSERT_EQ(1u, list.items.size());
  const ScoreDrawItem& i = list.items[0];
  EXPECT_EQ(ScoreItemKind::Line, i.kind);
  EXPECT_EQ(ScoreRole::Position, i.role);
  EXPECT_EQ((std::vector<int32_t>{101, 80, 101, 0}), (std::vector<int32_t>{i.x1, i.y1, i.x2, i.y2}));
}

// Quarters at 56, 104, 152, a bar (line at 206, next chord 218), then a
// quarter C at 218 and a quarter chord E+G at 266.
Events SelectionTrack() {
  return Track({Note(60, 480, 400), Note(62, 480, 400), Note(64, 480, 400), MeasureEnd(), Note(60, 480, 400),
                Note(64, 0, 400), Note(67, 480, 400)});
}

TEST(ScorePaneOverlay, SelectionSpanCoversTheSelectedChords) {
  ModelSong song;
  song.SetTrack(1, SelectionTrack());
  StepEditModel& m = song.Open(1);
  const ScoreLayout layout = Layout();
  struct Case {
    int32_t from, to, startLine, width;
    bool shown;
    int32_t x1, x2;
  };
  const Case cases[] = {
      {1, 1, 0, 1000, true, 104, 152},
      {2, 1, 0, 1000, true, 104, 200},   // reversed order
      {2, 3, 0, 1000, true, 152, 218},   // the bar's width comes with its measure end
      {5, 5, 0, 1000, true, 266, 314},   // one note of a chord: the whole chord
      {0, 6, 0, 250, true, 56, 250},     // clipped at the pane's edge
      {0, 1, 4, 1000, false, 0, 0},      // wholly before the start line
      {1, 4, 3, 1000, true, 56, 122},    // begins before it: from the left edge
      {-1, -1, 0, 1000, false, 0, 0},    // no selection
  };
  for (const Case& c : cases) {
    m.selFrom = c.from;
    m.selTo = c.to;
    ScoreDrawList list;
    EXPECT_EQ(c.shown, LayoutScoreSelection(m, layout, c.startLine, c.width, 5, 60, list)) << c.from << "-" << c.to;
    if (!c.shown) {
      EXPECT_TRUE(list.items.empty());
      continue;
    }
    ASSERT_EQ(1u, list.items.size());
    const ScoreDrawItem& i = list.items[0];
    EXPECT_EQ(ScoreItemKind::Invert, i.kind);
    EXPECT_EQ((std::vector<int32_t>{c.x1, 5, c.x2, 60}), (std::vector<int32_t>{i.x1, i.y1, i.x2, i.y2}))
        << c.from << "-" << c.to;
  }
}

TEST(ScorePaneOverlay, SelectionSpanDoublesWithTheTimeScale) {
  ModelSong song;
  song.SetTrack(1, SelectionTrack());
  StepEditModel& m = song.Open(1);
  m.selFrom = 1;
  m.selTo = 2;
  ScoreSpan span;
  ASSERT_TRUE(ScoreSelectionSpan(m, Layout(kScoreDoubleTime), 0, 1000, &span));
  EXPECT_EQ(56 + 96, span.x1);
  EXPECT_EQ(56 + 3 * 96, span.x2);
}

}  // namespace
