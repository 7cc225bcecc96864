// The score font's metrics by font height and the face list filter of the
// font dialogs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "fonts.h"
#include "scorefont.h"
#include "settings.h"

namespace {

ScoreMetrics Previous() {
  ScoreMetrics m{};
  m.noteHeadWidth = m.staffSpacing = m.tickLength = m.guideStart = 77;
  m.unitWidth = m.leftX = m.barGap = m.gridStep = 77;
  for (int i = 0; i < kScoreGlyphOffsets; ++i) m.glyphOffsets[i] = static_cast<int16_t>(100 + i);
  return m;
}

std::vector<int16_t> Offsets(const ScoreMetrics& m) {
  return std::vector<int16_t>(m.glyphOffsets, m.glyphOffsets + kScoreGlyphOffsets);
}

std::vector<int> Geometry(const ScoreMetrics& m) {
  return {m.noteHeadWidth, m.staffSpacing, m.tickLength, m.guideStart, m.unitWidth, m.leftX, m.barGap, m.gridStep};
}

// M1..M8 for a grid step n: n, n, 4, 4n + 44, n, 2(n + 4(n + n/4)) + 4, 2n, n.
std::vector<int> FontGeometry(int n) { return {n, n, 4, 4 * n + 44, n, 2 * (n + 4 * (n + n / 4)) + 4, 2 * n, n}; }

}  // namespace

TEST(ScoreMetricsTest, AHeightWithoutARowKeepsTheComputedStepAndTheOffsets) {
  const ScoreMetrics m = ComputeScoreMetrics(false, -30, Previous());
  EXPECT_EQ(m.gridStep, 9);
  EXPECT_EQ(Geometry(m), FontGeometry(9));
  EXPECT_EQ(Offsets(m), Offsets(Previous()));
  // The positive form of a height finds no row either.
  EXPECT_EQ(ComputeScoreMetrics(false, 30, Previous()).gridStep, 9);
}

TEST(ScoreMetricsTest, HeightsWithARowTakeTheStepAndTheOffsetsFromIt) {
  struct Case {
    LONG height;
    int step;
    std::vector<int16_t> first8;  // glyph offsets 1-8 (words 1-8)
  };
  const Case cases[] = {
      {-11, 2, {1, -4, -1, 0, -2, 0, 1, -11}},
      {-24, 6, {1, 0, 0, -1, 0, 1, 0, -24}},
      {-96, 25, {4, 12, 0, -1, 8, 2, 0, -96}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    const ScoreMetrics m = ComputeScoreMetrics(false, c.height, Previous());
    EXPECT_EQ(Geometry(m), FontGeometry(c.step));
    const std::vector<int16_t> offsets = Offsets(m);
    EXPECT_EQ(std::vector<int16_t>(offsets.begin(), offsets.begin() + 8), c.first8);
    const int16_t* row = FindScoreMetricRow(c.height);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(offsets, std::vector<int16_t>(row + 1, row + kScoreTableWords));
  }
  EXPECT_EQ(Geometry(ComputeScoreMetrics(false, -96, Previous())),
            (std::vector<int>{25, 25, 4, 144, 25, 302, 50, 25}));
}

TEST(ScoreMetricsTest, TheBitmapGlyphsHaveFixedGeometryAndKeepTheOffsets) {
  for (LONG height : {0L, -24L, -30L}) {
    const ScoreMetrics m = ComputeScoreMetrics(true, height, Previous());
    EXPECT_EQ(Geometry(m), (std::vector<int>{6, 6, 4, 50, 6, 56, 12, 6}));
    EXPECT_EQ(Offsets(m), Offsets(Previous()));
  }
}

// An unset score font (height 0) or a tiny one would step the time ruler by
// nothing or backwards.
TEST(ScoreMetricsTest, TheGridStepIsAtLeastOne) {
  for (LONG height : {0L, -1L, -2L, -5L, 3L, 5L}) {
    SCOPED_TRACE(height);
    const ScoreMetrics m = ComputeScoreMetrics(false, height, Previous());
    EXPECT_EQ(m.gridStep, 1);
    EXPECT_EQ(Geometry(m), FontGeometry(1));
  }
  EXPECT_EQ(ComputeScoreMetrics(false, -6, Previous()).gridStep, 1);
  EXPECT_EQ(ComputeScoreMetrics(false, -9, Previous()).gridStep, 2);
}

TEST(ScoreMetricsTest, TheTableHasOneRowPerListedHeightAndGrowsSteadily) {
  std::vector<int> keys;
  int rows = 0;
  while (kScoreMetricTable[rows][kScoreTableKeyWord] != kScoreTableEnd) keys.push_back(kScoreMetricTable[rows++][8]);
  std::vector<int> want;
  for (int h = -11; h >= -37; --h)
    if (h != -30 && h != -34) want.push_back(h);
  for (int h : {-48, -64, -96}) want.push_back(h);
  EXPECT_EQ(keys, want);
  EXPECT_EQ(FindScoreMetricRow(-30), nullptr);
  EXPECT_EQ(FindScoreMetricRow(-34), nullptr);
  EXPECT_EQ(FindScoreMetricRow(-999), nullptr);
  // Every word moves one way only as the font grows.
  for (int w = 0; w < kScoreTableWords; ++w) {
    bool up = true, down = true;
    for (int r = 1; r < rows; ++r) {
      up = up && kScoreMetricTable[r][w] >= kScoreMetricTable[r - 1][w];
      down = down && kScoreMetricTable[r][w] <= kScoreMetricTable[r - 1][w];
    }
    EXPECT_TRUE(up || down) << "word " << w;
  }
}

// The font set-up itself: a font only for the font glyphs, replaced on each
// change, the metrics following the settings.
TEST(ScoreMetricsTest, CreateDisplayFontMakesTheFontOnlyForTheFontGlyphs) {
  const AppSettings saved = g_settings;
  g_settings.fumenFontBitmap = 0;
  std::memset(&g_settings.fumenFont, 0, sizeof g_settings.fumenFont);
  g_settings.fumenFont.lfHeight = -24;
  std::strcpy(g_settings.fumenFont.lfFaceName, "Tahoma");
  CreateDisplayFont();
  ASSERT_NE(g_scoreFont.font, nullptr);
  LOGFONTA made{};
  ASSERT_NE(GetObjectA(g_scoreFont.font, sizeof made, &made), 0);
  EXPECT_EQ(made.lfHeight, -24);
  EXPECT_EQ(g_scoreFont.metrics.gridStep, 6);
  HFONT first = g_scoreFont.font;

  g_settings.fumenFont.lfHeight = 0;  // as with an empty FumenFont
  CreateDisplayFont();
  EXPECT_NE(g_scoreFont.font, nullptr);
  EXPECT_EQ(GetObjectType(first), 0u) << "the old font is deleted";
  EXPECT_GE(g_scoreFont.metrics.gridStep, 1);

  g_settings.fumenFontBitmap = 1;
  HFONT second = g_scoreFont.font;
  CreateDisplayFont();
  EXPECT_EQ(g_scoreFont.font, nullptr);
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(Geometry(g_scoreFont.metrics), (std::vector<int>{6, 6, 4, 50, 6, 56, 12, 6}));
  g_settings = saved;
}

TEST(FaceFilterTest, VerticalFacesGoAndTheSelectionStaysOnItsFace) {
  struct Case {
    const char* what;
    std::vector<std::string> faces;
    int selection;
    std::vector<int> removed;
    int newSelection;
  };
  const Case cases[] = {
      {"sorted, twins first", {"@ＭＳ ゴシック", "@Osaka", "Courier New", "ＭＳ ゴシック"}, 2, {1, 0}, 0},
      {"a vertical face after the selection", {"Courier", "Fixedsys", "@Fixedsys", "Terminal"}, 1, {2}, 1},
      {"the selection on a vertical face with a twin", {"B", "@A", "A"}, 1, {1}, 1},
      {"the selection on a vertical face without a twin", {"A", "@Z", "B"}, 1, {1}, 1},
      {"the selection on the last, vertical face", {"A", "B", "@Z"}, 2, {2}, 1},
      {"only vertical faces", {"@A", "@B"}, 0, {1, 0}, -1},
      {"nothing selected", {"@A", "A"}, -1, {0}, -1},
      {"no vertical face", {"A", "B"}, 1, {}, 1},
      {"an empty name stays", {"", "@A", "A"}, 2, {1}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const FaceFilter filter = FilterVerticalFaces(c.faces, c.selection);
    EXPECT_EQ(filter.removed, c.removed);
    EXPECT_EQ(filter.selection, c.newSelection);
    // What is left is the list without its vertical faces.
    std::vector<std::string> left = c.faces;
    for (int index : filter.removed) left.erase(left.begin() + index);
    for (const std::string& face : left) EXPECT_FALSE(!face.empty() && face[0] == '@') << face;
  }
}
