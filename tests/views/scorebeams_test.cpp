#include "scorebeams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "../stepedit/modelfixture.h"

namespace {

using namespace modelfixture;

constexpr int32_t kCentre = 300;
constexpr uint16_t F = kBeamFirst, I = kBeamInner, L = kBeamLast;

class Measures : public ScoreWalkSink {
 public:
  void OnRecords(ScoreWalkState& state) override {
    all.emplace_back(state.records.notes(), state.records.notes() + state.records.count());
  }
  std::vector<std::vector<ScoreNote>> all;
};

struct Beat {
  int32_t num = 4;
  int32_t den = 4;
  int32_t timeBase = 480;
};

// The records of the first measure of a track, beamed.
std::vector<ScoreNote> FirstMeasure(const Events& events, const Beat& beat, int32_t* groups = nullptr,
                                    int32_t extraSwitches = 0) {
  ModelSong song;
  song.SetTrack(1, events);
  StepEditModel& m = song.Open(1);
  ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, beat.timeBase,
                                       kScoreBeams | kScoreNoteHeads | kScoreNoteHooks | extraSwitches);
  layout.staffCentreY = kCentre;
  ScoreWalkState state;
  EXPECT_TRUE(BeginScoreWalk(state, layout, 0, beat.num, beat.den));
  Measures seen;
  WalkScoreLines(state, m, 0, 1 << 30, &seen);
  if (groups) *groups = state.groups;
  return seen.all.empty() ? std::vector<ScoreNote>{} : seen.all[0];
}

// Notes (key 72) of the lengths given, a negative length a rest; then a
// measure end.
Events Lengths(std::initializer_list<int> lengths, uint8_t key = 72) {
  Events e;
  for (int l : lengths) {
    if (l < 0) e.push_back(Note(key, static_cast<uint16_t>(-l), 10, 0));
    else e.push_back(Note(key, static_cast<uint16_t>(l), static_cast<uint16_t>(l)));
  }
  e.push_back(MeasureEnd());
  e.push_back(EndEvent());
  return e;
}

std::vector<uint16_t> GroupBits(const std::vector<ScoreNote>& notes) {
  std::vector<uint16_t> bits;
  for (const ScoreNote& n : notes) bits.push_back(static_cast<uint16_t>(n.beamFlags & kBeamMemberMask));
  return bits;
}

TEST(ScoreBeams, BeamLengthOfTheBeat) {
  struct Case {
    int32_t num, den, timeBase, beamLength;
  } cases[] = {
      {4, 4, 480, 480},  {2, 2, 480, 960},  {6, 8, 480, 720}, {12, 8, 480, 720}, {3, 4, 480, 480},
      {3, 8, 480, 240},  {2, 4, 96, 96},    {6, 8, 96, 144},  {4, 1, 480, 960},  {9, 8, 480, 240},
      {3, 16, 480, 120}, {6, 16, 480, 360}, {5, 32, 480, 60}, {4, 0, 480, 480},  {0, 4, 480, 480},
      // A time base of 0 counts as 480; a beat unit that rounds to 0 is 1.
      {4, 4, 0, 480},    {6, 8, 1, 3},      {3, 8, 1, 1},     {4, 64, 8, 1},
  };
  for (const Case& c : cases) {
    const ScoreBeamLength b = ComputeBeamLength(c.num, c.den, c.timeBase);
    EXPECT_EQ(c.beamLength, b.beamLength) << c.num << "/" << c.den << " at " << c.timeBase;
    EXPECT_GE(b.beatUnit, 1);
  }
  const ScoreBeamLength b = ComputeBeamLength(4, 4, 120);
  const int32_t lengths[] = {480, 240, 120, 60, 30, 15, 7};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(lengths[i], b.noteLengths[i]) << i;
}

TEST(ScoreBeams, GroupsOfAMeasure) {
  struct Case {
    const char* what;
    Beat beat;
    Events track;
    std::vector<uint16_t> bits;
    int32_t groups;
  } cases[] = {
      {"6/8 three eighths", {6, 8}, Lengths({240, 240, 240}), {F, I, L}, 1},
      {"6/8 an eighth rest in the middle", {6, 8}, Lengths({240, -240, 240}), {F, 0, L}, 1},
      {"3/8 eighths", {3, 8}, Lengths({240, 240, 240}), {0, 0, 0}, 0},
      {"12/8 six eighths", {12, 8}, Lengths({240, 240, 240, 240, 240, 240}), {F, I, L, F, I, L}, 2},
      {"4/4 eighth and two sixteenths", {4, 4}, Lengths({240, 120, 120}), {F, I, L}, 1},
      {"4/4 dotted eighth and sixteenth", {4, 4}, Lengths({360, 120}), {F, L}, 1},
      {"4/4 quarter, two eighths", {4, 4}, Lengths({480, 240, 240}), {0, F, L}, 1},
      {"4/4 eighth triplet", {4, 4}, Lengths({160, 160, 160}), {F, I, L}, 1},
      {"4/4 a lone eighth and a rest", {4, 4}, Lengths({240, -240}), {0, 0}, 0},
      {"4/4 half, two eighths", {4, 4}, Lengths({960, 240, 240}), {0, F, L}, 1},
      {"4/4 dotted quarter, eighth, two eighths", {4, 4}, Lengths({720, 240, 240, 240}), {0, 0, F, L}, 1},
      // After a quarter that crosses a beat the rest of that beat is
      // counted from where the quarter ends.
      {"4/4 sixteenth, quarter, eighth, sixteenth", {4, 4}, Lengths({120, 480, 240, 120, 480}), {0, 0, F, L, 0}, 1},
      {"2/2 four eighths", {2, 2}, Lengths({240, 240, 240, 240}), {F, I, I, L}, 1},
      {"4/4 at 96", {4, 4, 96}, Lengths({48, 48, 96}), {F, L, 0}, 1},
      {"4/4 at time base 0", {4, 4, 0}, Lengths({240, 240}), {F, L}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int32_t groups = -1;
    const std::vector<ScoreNote> notes = FirstMeasure(c.track, c.beat, &groups);
    EXPECT_EQ(c.bits, GroupBits(notes));
    EXPECT_EQ(c.groups, groups);
  }
}

TEST(ScoreBeams, NoBeatUnitStillEndsTheGrouping) {
  // An eighth at time base 1 is no whole tick: the beam length is 1, not
  // 0, and the grouping ends.
  int32_t groups = -1;
  const std::vector<ScoreNote> notes = FirstMeasure(Lengths({1, 1, 1}), {3, 8, 1}, &groups);
  EXPECT_EQ(3u, notes.size());
  EXPECT_EQ(0, groups);
  std::vector<ScoreNote> hand(4);
  for (ScoreNote& n : hand) {
    n.beamFlags = kBeamChord;
    n.length = 60;
    n.flagCount = 3;
  }
  EXPECT_EQ(0, BeamScoreNotes(hand.data(), 4, 0));
  EXPECT_EQ(0, BeamScoreNotes(hand.data(), 4, -5));
  EXPECT_EQ(1, BeamScoreNotes(hand.data(), 4, 240));
  EXPECT_EQ((std::vector<uint16_t>{F, I, I, L}), GroupBits(hand));
  // Grouping again replaces the marks.
  EXPECT_EQ(2, BeamScoreNotes(hand.data(), 4, 120));
  EXPECT_EQ((std::vector<uint16_t>{F, L, F, L}), GroupBits(hand));
}

TEST(ScoreBeams, ChordsOfLengthZeroAreLeftOut) {
  std::vector<ScoreNote> hand(3);
  hand[0] = {kBeamChord, 0, 0, 0, 0, 240, 1, 0, 0, 0, 0, 8};
  hand[1] = {kBeamChord | kBeamSkip, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  hand[2] = {kBeamChord, 0, 0, 0, 0, 240, 1, 0, 0, 0, 0, 8};
  EXPECT_EQ(1, BeamScoreNotes(hand.data(), 3, 480));
  EXPECT_EQ((std::vector<uint16_t>{F, 0, L}), GroupBits(hand));
}

TEST(ScoreBeams, EighthAndTwoSixteenthsShareOneBeamAndTheSixteenthsASecond) {
  const std::vector<ScoreNote> n = FirstMeasure(Lengths({240, 120, 120}), {4, 4});
  ASSERT_EQ(3u, n.size());
  EXPECT_EQ(1, n[0].groupMinFlags);  // one beam over all three
  EXPECT_EQ(1, n[0].flagCount);
  EXPECT_EQ(2, n[1].flagCount);
  EXPECT_EQ(2, n[2].flagCount);
  // The inner sixteenth's neighbours: the eighth before it (one beam), the
  // sixteenth after it (two): its second beam goes to the next member.
  EXPECT_EQ(0, PrevBeamNote(n.data(), 3, 0, 0));
  EXPECT_EQ(2, NextBeamNote(n.data(), 3, 2, 2));
  EXPECT_EQ(1, PrevBeamNote(n.data(), 3, 1, 0));
  // The eighth has no next member past the group's end.
  EXPECT_EQ(kNoBeamNote, NextBeamNote(n.data(), 3, 3, 2));
  // Same head height: one flat beam.
  EXPECT_EQ(n[0].stemY2, n[1].stemY2);
  EXPECT_EQ(n[0].stemY2, n[2].stemY2);
}

TEST(ScoreBeams, DottedEighthAndSixteenthGetAHalfBeamFromTheMidpoint) {
  const std::vector<ScoreNote> n = FirstMeasure(Lengths({360, 120}, 60), {4, 4});
  ASSERT_EQ(2u, n.size());
  EXPECT_EQ(F, n[0].beamFlags & kBeamMemberMask);
  EXPECT_EQ(L, n[1].beamFlags & kBeamMemberMask);
  EXPECT_EQ(1, n[0].groupMinFlags);
  EXPECT_EQ(1, n[1].flagCount - n[0].flagCount);  // the sixteenth's one beam more
  EXPECT_EQ(0, PrevBeamNote(n.data(), 2, 0, 0));
  // The stems are 36 pixels apart (360 ticks); the half beam starts
  // 18 pixels left of the sixteenth, on the beam's line.
  EXPECT_EQ(36, n[1].stemX2 - n[0].stemX2);
  const int32_t mid = (n[0].stemX2 + n[1].stemX2) / 2;
  EXPECT_EQ(n[0].stemY2, InterpolateBeamY(n[0].stemX2, n[0].stemY2, n[1].stemX2, n[1].stemY2, mid));
}

TEST(ScoreBeams, StemEndsComeWithin12Pixels) {
  // Middle C (position 36) then C two octaves up (50): stem tops 42
  // pixels apart; the higher end stays and the lower is raised.
  const std::vector<ScoreNote> up = FirstMeasure(Events{Note(60, 240, 240), Note(84, 240, 240), MeasureEnd(), EndEvent()}, {4, 4});
  ASSERT_EQ(2u, up.size());
  EXPECT_EQ(kCentre - (50 - 29) * 3, up[1].stemY2);
  EXPECT_EQ(up[1].stemY2 + 12, up[0].stemY2);
  EXPECT_EQ(kCentre - 1, up[0].stemY1);  // the head end stays
  const std::vector<ScoreNote> down = FirstMeasure(Events{Note(84, 240, 240), Note(60, 240, 240), MeasureEnd(), EndEvent()}, {4, 4});
  EXPECT_EQ(down[0].stemY2 + 12, down[1].stemY2);
  // A high note in the middle lifts the whole beam above its stem top.
  const std::vector<ScoreNote> peak =
      FirstMeasure(Events{Note(60, 240, 240), Note(84, 240, 240), Note(60, 240, 240), MeasureEnd(), EndEvent()}, {6, 8});
  ASSERT_EQ(3u, peak.size());
  for (const ScoreNote& r : peak) EXPECT_EQ(kCentre - (50 - 29) * 3, r.stemY2);
}

TEST(ScoreBeams, ThirdAndFourthBeamsRaiseTheEnds) {
  // Four thirty-seconds and an eighth fill a quarter: 5 pixels higher.
  const std::vector<ScoreNote> n = FirstMeasure(Lengths({60, 60, 60, 60, 240}), {4, 4});
  ASSERT_EQ(5u, n.size());
  EXPECT_EQ(1, n[0].groupMinFlags);
  for (const ScoreNote& r : n) EXPECT_EQ(kCentre - (43 - 29) * 3 - 5, r.stemY2);
  const std::vector<ScoreNote> s64 = FirstMeasure(Lengths({30, 30, 30, 30, 30, 30, 30, 30, 240}), {4, 4});
  ASSERT_EQ(9u, s64.size());
  for (const ScoreNote& r : s64) EXPECT_EQ(kCentre - (43 - 29) * 3 - 10, r.stemY2);
}

TEST(ScoreBeams, AdjustRaisesTheBeamByTheMostAnyInnerStemNeeds) {
  // Inner stems 40 and 10 pixels above the flat beam: it rises by 40, so
  // neither stem ends below its own top.
  std::vector<ScoreNote> n(5);
  const int32_t tops[] = {100, 60, 0, 90, 100};
  const uint16_t flags[] = {F, I, 0, I, L};
  for (int i = 0; i < 5; ++i) {
    n[i].beamFlags = static_cast<uint16_t>(kBeamChord | flags[i]);
    n[i].stemX2 = n[i].stemX1 = 10 * i;
    n[i].stemY2 = tops[i];
    n[i].flagCount = 1;
  }
  n[2].beamFlags = 0;  // a rest inside the group keeps its record
  SetBeamStems(n.data(), 5);
  EXPECT_EQ(60, n[0].stemY2);
  EXPECT_EQ(60, n[1].stemY2);
  EXPECT_EQ(0, n[2].stemY2);
  EXPECT_EQ(60, n[3].stemY2);
  EXPECT_EQ(60, n[4].stemY2);
  EXPECT_EQ(1, n[0].groupMinFlags);
  // Ends alone: the lower end comes up to 12 below the higher.
  struct Case {
    int32_t y1, y2, want1, want2;
  } ends[] = {{100, 130, 100, 112}, {130, 100, 112, 100}, {100, 112, 100, 112}, {100, 95, 100, 95}};
  for (const Case& c : ends) {
    std::vector<ScoreNote> two(2);
    two[0].beamFlags = kBeamChord | F;
    two[1].beamFlags = kBeamChord | L;
    two[1].stemX2 = 30;
    AdjustBeamStems(two.data(), 0, 1, 0, c.y1, 30, c.y2, std::max(c.y1, c.y2), std::min(c.y1, c.y2), 1);
    EXPECT_EQ(c.want1, two[0].stemY2) << c.y1 << " " << c.y2;
    EXPECT_EQ(c.want2, two[1].stemY2) << c.y1 << " " << c.y2;
  }
}

TEST(ScoreBeams, InterpolateBeamY) {
  struct Case {
    int32_t x1, y1, x2, y2, x, y;
  } cases[] = {
      {0, 100, 10, 110, 5, 105}, {0, 100, 3, 101, 1, 100}, {0, 100, 3, 99, 1, 99},
      {10, 50, 40, 20, 40, 20},  {10, 50, 40, 20, 10, 50}, {7, 80, 7, 90, 7, 80},
  };
  for (const Case& c : cases) EXPECT_EQ(c.y, InterpolateBeamY(c.x1, c.y1, c.x2, c.y2, c.x)) << c.x;
}

TEST(ScoreBeams, NeighboursWithinAGroup) {
  // Records: group [0..3] with a rest at 1, group [4..5].
  std::vector<ScoreNote> n(6);
  const uint16_t flags[] = {F, 0, I, L, F, L};
  for (int i = 0; i < 6; ++i) n[i].beamFlags = flags[i];
  struct Case {
    bool next;
    int32_t from, to, want;
  } cases[] = {
      {true, 1, 3, 2},  {true, 3, 3, 3},  {true, 4, 5, kNoBeamNote}, {true, 3, 2, kNoBeamNote},
      {true, 1, 99, 2}, {true, -3, 5, kNoBeamNote},
      {false, 1, 0, 0}, {false, 2, 0, 2}, {false, 3, 0, kNoBeamNote}, {false, 0, 1, kNoBeamNote},
      {false, 99, 4, kNoBeamNote}, {false, 4, -3, 4},
  };
  for (const Case& c : cases) {
    const int32_t got = c.next ? NextBeamNote(n.data(), 6, c.from, c.to) : PrevBeamNote(n.data(), 6, c.from, c.to);
    EXPECT_EQ(c.want, got) << (c.next ? "next " : "prev ") << c.from << ".." << c.to;
  }
}

TEST(ScoreBeams, QuantizeLaysLengthsOnTheGridWithACarry) {
  std::vector<ScoreNote> n(4);
  const uint16_t lengths[] = {50, 50, 20, 70};
  for (int i = 0; i < 4; ++i) n[i].length = lengths[i];
  QuantizeScoreLengths(n.data(), 4, 60);
  EXPECT_EQ(60, n[0].length);
  EXPECT_EQ(60, n[1].length);
  EXPECT_EQ(0, n[2].length);
  EXPECT_EQ(60, n[3].length);
  QuantizeScoreLengths(n.data(), 4, 1);
  EXPECT_EQ(60, n[0].length);
  // Through the walk: with the six-tick switch 70, 110 and 290 ticks are
  // laid on 60, 120 and 300 and fill the beat, so the first two are beamed;
  // as played they leave 10 ticks of it.
  const Events played = Lengths({70, 110, 290});
  const std::vector<ScoreNote> walked = FirstMeasure(played, {4, 4}, nullptr, kScoreQuantize6);
  ASSERT_EQ(3u, walked.size());
  EXPECT_EQ(60, walked[0].length);
  EXPECT_EQ(120, walked[1].length);
  EXPECT_EQ(300, walked[2].length);
  EXPECT_EQ((std::vector<uint16_t>{F, L, 0}), GroupBits(walked));
  EXPECT_EQ((std::vector<uint16_t>{0, 0, 0}), GroupBits(FirstMeasure(played, {4, 4})));
}

}  // namespace
