#include "scoreupper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "../stepedit/modelfixture.h"

namespace {

using namespace modelfixture;

constexpr int32_t kCentre = 200;  // StaffCentreY of the tests
constexpr int32_t kS = 6;         // StaffSpacing
constexpr int32_t kW = 6;         // NoteHeadWidth
constexpr int32_t kAll = kScoreBeams | kScoreNoteHeads | kScoreNoteHooks;

struct Laid {
  ScoreDrawList list;
  UpperPaneResult result;
};

Laid Lay(const Events& events, int32_t displaySwitch = kAll, UpperPaneSettings settings = {}) {
  ModelSong song;
  song.SetTrack(1, events);
  StepEditModel& m = song.Open(1);
  ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, 480, displaySwitch);
  layout.staffCentreY = kCentre;
  Laid out;
  out.result = LayoutUpperPane(m, layout, settings, 0, 1 << 30, out.list);
  EXPECT_TRUE(out.result.ok);
  return out;
}

std::vector<ScoreDrawItem> Bitmaps(const Laid& l, uint16_t from, uint16_t to) {
  std::vector<ScoreDrawItem> out;
  for (const ScoreDrawItem& it : l.list.items) {
    if (it.kind == ScoreItemKind::Bitmap && it.glyph >= from && it.glyph <= to) out.push_back(it);
  }
  return out;
}

std::vector<ScoreDrawItem> Lines(const Laid& l, ScoreRole role) {
  std::vector<ScoreDrawItem> out;
  for (const ScoreDrawItem& it : l.list.items) {
    if (it.kind == ScoreItemKind::Line && it.role == role) out.push_back(it);
  }
  return out;
}

int32_t Top(int position) { return kCentre - ((position - 35) * kS) / 2; }

TEST(ScoreUpper, QuarterOnMiddleC) {
  const Laid l = Lay(Track({Note(60, 480, 480)}));
  // A filled head centred on the middle-C line.
  const auto heads = Bitmaps(l, kBmpWholeHead, kBmpHalfHead);
  ASSERT_EQ(1u, heads.size());
  EXPECT_EQ(kBmpFilledHead, heads[0].glyph);
  EXPECT_EQ(56, heads[0].x1);
  EXPECT_EQ(kCentre - 3, heads[0].y1);
  EXPECT_EQ(kCentre, heads[0].y1 + kS / 2);  // the head cell's centre
  // One short ledger line through it.
  const auto ledger = Lines(l, ScoreRole::Black);
  ASSERT_EQ(1u, ledger.size());
  EXPECT_EQ(kCentre, ledger[0].y1);
  EXPECT_EQ(kCentre, ledger[0].y2);
  EXPECT_EQ(56 - 2, ledger[0].x1);
  EXPECT_EQ(56 + kW + 5, ledger[0].x2);
  // A stem from just below the head to three and a half spacings above.
  const auto staff = Lines(l, ScoreRole::Staff);
  ASSERT_EQ(1u, staff.size());
  EXPECT_EQ(56 + kW, staff[0].x1);
  EXPECT_EQ(56 + kW, staff[0].x2);
  EXPECT_EQ(kCentre - 1, staff[0].y1);
  EXPECT_EQ(kCentre - 7 * kS / 2, staff[0].y2);
  // No flag, no sign, no rest.
  EXPECT_TRUE(Bitmaps(l, kBmpFlag8, kBmpRestWhole + 6).empty());
  EXPECT_TRUE(Bitmaps(l, kBmpFlat, kBmpTriplet).empty());
}

TEST(ScoreUpper, LedgerLinesAboveAndBelowTheStaves) {
  struct Case {
    uint8_t key;
    std::vector<int> positions;
  } cases[] = {
      {84, {48, 50}}, {83, {48}}, {36, {22, 24}}, {38, {24}}, {67, {}}, {48, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const Laid l = Lay(Track({Note(c.key, 480, 480)}), kScoreNoteHeads);
    std::vector<int32_t> ys;
    for (const ScoreDrawItem& it : Lines(l, ScoreRole::Black)) {
      EXPECT_EQ(it.y1, it.y2);
      EXPECT_EQ(54, it.x1);
      EXPECT_EQ(67, it.x2);
      ys.push_back(it.y1);
    }
    std::sort(ys.begin(), ys.end());
    std::vector<int32_t> want;
    for (int p : c.positions) want.push_back(kCentre - (p - 36) * kS / 2);
    std::sort(want.begin(), want.end());
    EXPECT_EQ(want, ys);
  }
}

TEST(ScoreUpper, TieArcReachesTheTiedNoteAcrossABar) {
  // 480 + a bar (180 ticks at 480) = 660 ticks, 66 pixels.
  const Laid l = Lay(Track({Note(60, 480, 720), MeasureEnd(), Note(60, 480, 480)}), kScoreNoteHeads);
  std::vector<ScoreDrawItem> arcs;
  for (const ScoreDrawItem& it : l.list.items) {
    if (it.kind == ScoreItemKind::TieArc) arcs.push_back(it);
  }
  ASSERT_EQ(1u, arcs.size());
  const int32_t top = Top(36);
  EXPECT_EQ(ScoreRole::Staff, arcs[0].role);
  EXPECT_EQ((std::vector<int32_t>{62, top, 56 + 66 + 4, top + 13, 62, top + 7, 56 + 66 + 4, top + 7}),
            (std::vector<int32_t>{arcs[0].x1, arcs[0].y1, arcs[0].x2, arcs[0].y2, arcs[0].x3, arcs[0].y3,
                                  arcs[0].x4, arcs[0].y4}));
  // The tied note's head stands where the arc ends, less the arc's overhang.
  const auto heads = Bitmaps(l, kBmpFilledHead, kBmpFilledHead);
  ASSERT_EQ(2u, heads.size());
  EXPECT_EQ(56 + 66, heads[1].x1);
  // The bar line after the first quarter.
  const auto bar = Lines(l, ScoreRole::Staff);
  ASSERT_EQ(1u, bar.size());
  EXPECT_EQ(56 + 48 + kW, bar[0].x1);
  EXPECT_EQ(kCentre - 5 * kS, bar[0].y1);
  EXPECT_EQ(kCentre + 5 * kS, bar[0].y2);
}

TEST(ScoreUpper, RestsByValue) {
  struct Case {
    StepEvent event;  // a silent note stands at its key's height, anything else at middle C's
    int position;
    uint16_t glyph;
    int32_t offset;
  } cases[] = {
      {Note(72, 1920, 10, 0), 43, kBmpRestWhole + 0, -kS},
      {Note(72, 960, 10, 0), 43, kBmpRestWhole + 1, -(kS / 2)},
      {Note(72, 480, 10, 0), 43, kBmpRestWhole + 2, -(kS / 2) - kS},
      {Ev(0xEB, 0, 240, 7), 36, kBmpRestWhole + 3, -kS},
      {Ev(0xEB, 0, 120, 7), 36, kBmpRestWhole + 4, -kS},
      {Ev(0xEB, 0, 60, 7), 36, kBmpRestWhole + 5, -(kS / 2) - kS},
      {Ev(0xEB, 0, 30, 7), 36, kBmpRestWhole + 6, -(kS / 2) - kS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event.step);
    const Laid l = Lay(Track({c.event}));
    const auto rests = Bitmaps(l, kBmpRestWhole, kBmpRestWhole + 6);
    ASSERT_EQ(1u, rests.size());
    EXPECT_EQ(c.glyph, rests[0].glyph);
    const int32_t base = kCentre - ((c.position - 30) * kS) / 2;
    EXPECT_EQ(56, rests[0].x1);
    EXPECT_EQ(base + c.offset, rests[0].y1);
    EXPECT_EQ(56 + 16, rests[0].x2);
    EXPECT_EQ(base + c.offset + 30, rests[0].y2);
    EXPECT_TRUE(Bitmaps(l, kBmpWholeHead, kBmpHalfHead).empty());
  }
  // Without the hook switch no rest is drawn.
  EXPECT_TRUE(Bitmaps(Lay(Track({Note(72, 480, 10, 0)}), kScoreNoteHeads), kBmpRestWhole, kBmpRestWhole + 6).empty());
}

TEST(ScoreUpper, RestMarks) {
  const int32_t base = kCentre - ((36 - 30) * kS) / 2;
  const int32_t d = base - kS / 2 - 2 * kS;
  // A dotted quarter rest: one dot.
  const Laid dotted = Lay(Track({Ev(0xEB, 0, 720, 7)}));
  std::vector<ScoreDrawItem> dots;
  for (const ScoreDrawItem& it : dotted.list.items) {
    if (it.kind == ScoreItemKind::Dot) dots.push_back(it);
  }
  ASSERT_EQ(1u, dots.size());
  EXPECT_EQ(56 + 12, dots[0].x1);
  EXPECT_EQ(d + 11, dots[0].y1);
  // An eighth triplet rest: the mark two spacings lower than a sixty-fourth's.
  const Laid triplet = Lay(Track({Ev(0xEB, 0, 160, 7)}));
  const auto marks = Bitmaps(triplet, kBmpTriplet, kBmpTriplet);
  ASSERT_EQ(1u, marks.size());
  EXPECT_EQ(d + 2 * kS + 9, marks[0].y1);
}

// Full-width horizontal beam lines at y, and the spans of the rest.
struct BeamLines {
  std::vector<std::pair<int32_t, int32_t>> spans;  // (x1, x2) per line, with y
  std::vector<int32_t> ys;
};
BeamLines Beams(const Laid& l) {
  BeamLines b;
  for (const ScoreDrawItem& it : Lines(l, ScoreRole::Staff)) {
    if (it.x1 == it.x2) continue;  // stems and bar lines
    b.spans.push_back({it.x1, it.x2});
    b.ys.push_back(it.y1);
  }
  return b;
}

TEST(ScoreUpper, EighthAndTwoSixteenthsShareABeam) {
  // G4 (position 40): every stem top at C - 11 x 3.
  const Laid l = Lay(Track({Note(67, 240, 200), Note(67, 120, 100), Note(67, 120, 100)}));
  const int32_t y = kCentre - 11 * 3;
  const BeamLines b = Beams(l);
  int full = 0, second = 0;
  for (size_t i = 0; i < b.ys.size(); ++i) {
    if (b.ys[i] >= y && b.ys[i] <= y + 2) {
      EXPECT_EQ(std::make_pair(62, 98), b.spans[i]);
      ++full;
    } else {
      EXPECT_GE(b.ys[i], y + 5);
      EXPECT_LE(b.ys[i], y + 7);
      // Only between the two sixteenths.
      EXPECT_EQ(std::make_pair(86, 98), b.spans[i]);
      ++second;
    }
  }
  EXPECT_EQ(3, full);  // one beam, three pixels thick
  EXPECT_GE(second, 3);
  // Members get no flags; each stem stands at its chord.
  EXPECT_TRUE(Bitmaps(l, kBmpFlag8, kBmpFlag8 + 3).empty());
  std::vector<int32_t> stems;
  for (const ScoreDrawItem& it : Lines(l, ScoreRole::Staff)) {
    if (it.x1 == it.x2 && it.y2 == y) stems.push_back(it.x1);
  }
  for (int32_t x : {62, 86, 98}) EXPECT_NE(stems.end(), std::find(stems.begin(), stems.end(), x)) << x;
}

TEST(ScoreUpper, DottedEighthAndSixteenthGetAHalfBeam) {
  const Laid l = Lay(Track({Note(67, 360, 300), Note(67, 120, 100)}));
  const int32_t y = kCentre - 11 * 3;
  const BeamLines b = Beams(l);
  ASSERT_EQ(6u, b.ys.size());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(std::make_pair(62, 98), b.spans[i]);
  // From the midpoint of the two stems to the sixteenth, one level down.
  for (size_t i = 3; i < 6; ++i) {
    EXPECT_EQ(std::make_pair((62 + 98) / 2, 98), b.spans[i]);
    EXPECT_EQ(y + 5 + static_cast<int32_t>(i - 3), b.ys[i]);
  }
}

TEST(ScoreUpper, LoneEighthGetsAFlag) {
  // Without the beams switch, or with nothing to share a beat with.
  for (int32_t sw : {kScoreNoteHeads | kScoreNoteHooks, kAll}) {
    const Laid l = Lay(Track({Note(67, 240, 200), Note(67, 480, 100)}), sw);
    const auto flags = Bitmaps(l, kBmpFlag8, kBmpFlag8 + 3);
    ASSERT_EQ(1u, flags.size()) << sw;
    EXPECT_EQ(kBmpFlag8, flags[0].glyph);
    EXPECT_EQ(56 + kW, flags[0].x1);
    EXPECT_EQ(kCentre - 11 * 3, flags[0].y1);
    EXPECT_TRUE(Beams(l).ys.empty());
  }
}

TEST(ScoreUpper, AccidentalsFollowTheBar) {
  // F sharp twice, then after the bar again; F natural after F sharp.
  const Laid l = Lay(Track({Note(66, 480, 480), Note(66, 480, 480), Note(65, 480, 480), MeasureEnd(),
                            Note(66, 480, 480)}),
                     kScoreNoteHeads);
  const auto signs = Bitmaps(l, kBmpFlat, kBmpNatural);
  ASSERT_EQ(3u, signs.size());
  EXPECT_EQ(kBmpSharp, signs[0].glyph);
  EXPECT_EQ(56 - 8, signs[0].x1);
  EXPECT_EQ(Top(39) - 6, signs[0].y1);
  EXPECT_EQ(kBmpNatural, signs[1].glyph);
  EXPECT_EQ(56 + 96 - 8, signs[1].x1);
  EXPECT_EQ(kBmpSharp, signs[2].glyph);
  EXPECT_EQ(56 + 144 + 18 - 8, signs[2].x1);
}

TEST(ScoreUpper, SecondMovesTheUpperHeadRight) {
  // C D together: D is one above C and moves right; the next chord's E
  // stands at its own x.
  const Laid l = Lay(Track({Note(60, 0, 480), Note(62, 0, 480), Note(64, 480, 480)}), kScoreNoteHeads);
  const auto heads = Bitmaps(l, kBmpFilledHead, kBmpFilledHead);
  ASSERT_EQ(3u, heads.size());
  EXPECT_EQ(56, heads[0].x1);
  EXPECT_EQ(56 + kW, heads[1].x1);
  EXPECT_EQ(Top(37), heads[1].y1);
  EXPECT_EQ(56, heads[2].x1);
}

TEST(ScoreUpper, HeadsByValueAndDots) {
  struct Case {
    uint16_t length;
    uint16_t glyph;
    int dots;
  } cases[] = {{1920, kBmpWholeHead, 0}, {960, kBmpHalfHead, 0}, {1440, kBmpHalfHead, 1},
               {840, kBmpFilledHead, 2}, {120, kBmpFilledHead, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const Laid l = Lay(Track({Note(67, c.length, c.length)}), kScoreNoteHeads);
    const auto heads = Bitmaps(l, kBmpWholeHead, kBmpHalfHead);
    ASSERT_EQ(1u, heads.size());
    EXPECT_EQ(c.glyph, heads[0].glyph);
    int dots = 0;
    for (const ScoreDrawItem& it : l.list.items) {
      if (it.kind != ScoreItemKind::Dot) continue;
      EXPECT_EQ(56 + 9 + 3 * dots, it.x1);
      EXPECT_EQ(Top(40) + 5, it.y1);
      ++dots;
    }
    EXPECT_EQ(c.dots, dots);
  }
}

TEST(ScoreUpper, DoubleTimeScaleDoublesDistancesOnly) {
  const Events track = Track({Note(60, 480, 240), Note(64, 480, 480)});
  const int32_t sw = kScoreNoteHeads | kScoreShowGate;
  const Laid one = Lay(track, sw);
  const Laid two = Lay(track, sw | kScoreDoubleTime);
  const auto h1 = Bitmaps(one, kBmpFilledHead, kBmpFilledHead);
  const auto h2 = Bitmaps(two, kBmpFilledHead, kBmpFilledHead);
  ASSERT_EQ(2u, h1.size());
  ASSERT_EQ(2u, h2.size());
  EXPECT_EQ(56 + 48, h1[1].x1);
  EXPECT_EQ(56 + 96, h2[1].x1);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(h1[i].x2 - h1[i].x1, h2[i].x2 - h2[i].x1);  // same glyph width
  const auto g1 = Lines(one, ScoreRole::Gate);
  const auto g2 = Lines(two, ScoreRole::Gate);
  ASSERT_EQ(2u, g1.size());
  ASSERT_EQ(2u, g2.size());
  EXPECT_EQ(24, g1[0].x2 - g1[0].x1);
  EXPECT_EQ(48, g2[0].x2 - g2[0].x1);
  EXPECT_EQ(Top(36) + kS / 2, g1[0].y1);
  // The ledger line of middle C keeps its length.
  const auto l1 = Lines(one, ScoreRole::Black);
  const auto l2 = Lines(two, ScoreRole::Black);
  ASSERT_EQ(1u, l1.size());
  ASSERT_EQ(1u, l2.size());
  EXPECT_EQ(l1[0].x2 - l1[0].x1, l2[0].x2 - l2[0].x1);
  EXPECT_EQ(two.result.endX - 56, 2 * (one.result.endX - 56));
}

TEST(ScoreUpper, HeldKeysStandAtThePositionLine) {
  uint8_t held[128] = {};
  held[60] = held[61] = held[62] = 1;
  UpperPaneSettings settings;
  settings.heldKeys = held;
  settings.positionX = 300;
  const Laid l = Lay(Track({Note(67, 480, 480)}), kScoreNoteHeads, settings);
  std::vector<ScoreDrawItem> atLine;
  for (const ScoreDrawItem& it : l.list.items) {
    if (it.kind == ScoreItemKind::Bitmap && it.x1 >= 300 - 8) atLine.push_back(it);
  }
  // C, C sharp (the same position: no displacement), D (one above: moved).
  ASSERT_EQ(4u, atLine.size());
  EXPECT_EQ(kBmpFilledHead, atLine[0].glyph);
  EXPECT_EQ(300, atLine[0].x1);
  EXPECT_EQ(kBmpSharp, atLine[1].glyph);
  EXPECT_EQ(292, atLine[1].x1);
  EXPECT_EQ(300, atLine[2].x1);
  EXPECT_EQ(kBmpFilledHead, atLine[3].glyph);
  EXPECT_EQ(300 + kW, atLine[3].x1);
  EXPECT_EQ(Top(37), atLine[3].y1);
  // Not in the other modes.
  EXPECT_TRUE(Bitmaps(Lay(Track({Note(67, 480, 480)}), kScoreNoteHeads), kBmpFlat, kBmpNatural).empty());
}

TEST(ScoreUpper, ScoreFontDrawsCharacters) {
  UpperPaneSettings settings;
  settings.font.on = true;
  settings.font.glyphX = 1;
  settings.font.glyphY = 2;
  const Laid l = Lay(Track({Note(67, 240, 200), Note(67, 480, 480)}), kScoreNoteHeads | kScoreNoteHooks, settings);
  std::vector<ScoreDrawItem> chars;
  for (const ScoreDrawItem& it : l.list.items) {
    if (it.kind == ScoreItemKind::FontChar) chars.push_back(it);
  }
  EXPECT_TRUE(Bitmaps(l, 5500, 5519).empty());
  // Two heads, then the eighth's and the quarter's stem-and-flag glyphs.
  ASSERT_EQ(4u, chars.size());
  EXPECT_EQ(0xCF, chars[0].glyph);
  EXPECT_EQ(56 + 1, chars[0].x1);
  EXPECT_EQ(Top(40) + 2, chars[0].y1);
  EXPECT_EQ('e', chars[2].glyph);
  EXPECT_EQ(56 + kW - kS / 2 + 1, chars[2].x1);
  EXPECT_EQ(kCentre - 11 * 3 + 1 + 2, chars[2].y1);
  EXPECT_EQ('q', chars[3].glyph);
}

}  // namespace
