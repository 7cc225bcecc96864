#include "scorenotes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "../stepedit/modelfixture.h"
#include "scorebeams.h"

namespace {

using namespace modelfixture;

constexpr int32_t kCentre = 200;  // StaffCentreY of the tests
constexpr int32_t kAllSwitches = kScoreBeams | kScoreNoteHeads | kScoreNoteHooks;

struct ChordSeen {
  int32_t index;
  int32_t x;
  std::vector<uint8_t> keys;
  std::vector<uint16_t> ties;
  int32_t length;
};

// Everything the walk hands on, in order.
class Capture : public ScoreWalkSink {
 public:
  void OnChord(ScoreWalkState& state, int32_t index, int32_t x) override {
    const ScoreChord& c = state.chord;
    chords.push_back({index, x, std::vector<uint8_t>(c.keys, c.keys + c.count),
                      std::vector<uint16_t>(c.ties, c.ties + c.count), c.length});
    signs.emplace_back();
    for (int32_t i = 0; i < c.count; ++i) signs.back().push_back(TakeBarAccidental(state.staff, c.keys[i]));
  }
  void OnRecords(ScoreWalkState& state) override {
    measures.emplace_back(state.records.notes(), state.records.notes() + state.records.count());
    capacities.push_back(state.records.capacity());
  }
  void OnBar(ScoreWalkState&, int32_t x, uint8_t code) override { bars.push_back(x); }

  std::vector<ChordSeen> chords;
  std::vector<std::vector<uint8_t>> signs;
  std::vector<std::vector<ScoreNote>> measures;
  std::vector<int32_t> capacities;
  std::vector<int32_t> bars;
};

struct WalkSetup {
  int32_t timeBase = 480;
  int32_t displaySwitch = kAllSwitches;
  uint32_t key = 0;
  int32_t beatNum = 4;
  int32_t beatDen = 4;
  int32_t maxRecords = kScoreNoteLimit;
  int32_t startLine = 0;
  int32_t width = 1 << 30;
};

struct Walked {
  Capture seen;
  int32_t lastLine = -1;
  bool full = false;
  int32_t dropped = 0;
  int32_t groups = 0;
  int32_t endX = 0;
};

Walked Walk(const Events& events, const WalkSetup& setup = {}) {
  ModelSong song;
  song.ctx.timeBase = static_cast<uint16_t>(setup.timeBase);
  song.ctx.songKey = static_cast<uint8_t>(setup.key);
  song.SetTrack(1, events);
  StepEditModel& m = song.Open(1);
  ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, setup.timeBase, setup.displaySwitch);
  layout.staffCentreY = kCentre;
  ScoreWalkState state;
  Walked w;
  EXPECT_TRUE(BeginScoreWalk(state, layout, setup.key, setup.beatNum, setup.beatDen, setup.maxRecords));
  w.lastLine = WalkScoreLines(state, m, setup.startLine, setup.width, &w.seen);
  w.full = state.full;
  w.dropped = state.droppedNotes;
  w.groups = state.groups;
  w.endX = state.x;
  return w;
}

Events Repeat(int n, StepEvent e) {
  Events out(static_cast<size_t>(n), e);
  out.push_back(EndEvent());
  return out;
}

TEST(ScoreNotes, ChordsRestsAndBarsOnTheLine) {
  // A C major triad entered top first, an eighth D, an eighth rest, a bar,
  // a quarter E.
  const Walked w = Walk(Track({Note(67, 0, 480), Note(60, 0, 480), Note(64, 480, 480), Note(62, 240, 200),
                               Note(60, 240, 240, 0), MeasureEnd(), Note(64, 480, 400)}));
  ASSERT_EQ(5u, w.seen.chords.size());
  EXPECT_EQ((std::vector<uint8_t>{60, 64, 67}), w.seen.chords[0].keys);
  // x advances by (ticks div 10) per chord; a bar adds BarGap + NoteHeadWidth.
  const int32_t xs[] = {56, 104, 128, 152};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(xs[i], w.seen.chords[i].x) << i;
  ASSERT_EQ(1u, w.seen.bars.size());
  EXPECT_EQ(152, w.seen.bars[0]);  // the line itself stands at 158
  EXPECT_EQ(152, w.seen.chords[3].x);  // the bar's empty stretch
  EXPECT_EQ(0u, w.seen.chords[3].keys.size());
  EXPECT_EQ(152 + 12 + 6, w.seen.chords[4].x);
  EXPECT_EQ(152 + 12 + 6 + 48, w.endX);

  ASSERT_EQ(2u, w.seen.measures.size());
  const std::vector<ScoreNote>& m1 = w.seen.measures[0];
  ASSERT_EQ(3u, m1.size());
  // The triad: a quarter, its stem from below the lowest head to three and
  // a half spacings above the highest (G, position 40).
  EXPECT_EQ(kBeamChord, m1[0].beamFlags);
  EXPECT_EQ(480, m1[0].length);
  EXPECT_EQ(4, m1[0].noteValue);
  EXPECT_EQ(0, m1[0].flagCount);
  EXPECT_EQ(56 + 6, m1[0].hookX);
  EXPECT_EQ(kCentre - (40 - 29) * 6 / 2, m1[0].hookY);
  EXPECT_EQ(62, m1[0].stemX1);
  EXPECT_EQ(62, m1[0].stemX2);
  EXPECT_EQ(kCentre - (40 - 29) * 3, m1[0].stemY2);
  EXPECT_EQ(kCentre - (36 - 36) * 6 / 2 - 1, m1[0].stemY1);
  // The eighth D and the rest.
  EXPECT_EQ(8, m1[1].noteValue);
  EXPECT_EQ(1, m1[1].flagCount);
  EXPECT_EQ(0, m1[2].beamFlags);
  EXPECT_EQ(240, m1[2].length);
  EXPECT_EQ(0, m1[2].hookX);
  EXPECT_EQ(0, m1[2].noteValue);
  // After the bar: the empty stretch that carries the bar's width, the E.
  const std::vector<ScoreNote>& m2 = w.seen.measures[1];
  ASSERT_EQ(2u, m2.size());
  EXPECT_EQ(0, m2[0].length);
  EXPECT_EQ(0, m2[0].beamFlags);
  EXPECT_EQ(152 + 18 + 6, m2[1].hookX);
  EXPECT_EQ(4, m2[1].noteValue);
}

TEST(ScoreNotes, SecondsShiftTheStemAndSwitchesLimitTheRecord) {
  const Events track = Track({Note(60, 0, 240), Note(62, 240, 240)});
  const Walked with = Walk(track);
  const ScoreNote& r = with.seen.measures[0][0];
  EXPECT_EQ(kCentre - (37 - 29) * 3 - 3, r.stemY2);
  EXPECT_EQ(kCentre - 3 - 1, r.stemY1);
  // Without the beams switch no beam data; without hooks no hook anchor.
  WalkSetup heads;
  heads.displaySwitch = kScoreNoteHeads | kScoreNoteHooks;
  const Walked headsOnly = Walk(track, heads);
  const ScoreNote& h = headsOnly.seen.measures[0][0];
  EXPECT_EQ(0, h.beamFlags);
  EXPECT_EQ(0, h.flagCount);
  EXPECT_EQ(0, h.stemY2);
  EXPECT_EQ(62, h.hookX);
  EXPECT_EQ(240, h.length);
  WalkSetup beams;
  beams.displaySwitch = kScoreBeams | kScoreNoteHeads;
  const Walked noHooks = Walk(track, beams);
  const ScoreNote& b = noHooks.seen.measures[0][0];
  EXPECT_EQ(kBeamChord, b.beamFlags);
  EXPECT_EQ(1, b.flagCount);
  EXPECT_EQ(0, b.hookX);
  EXPECT_EQ(0, b.noteValue);
}

TEST(ScoreNotes, CommandsJoinTheStepOfTheNoteBeforeThem) {
  // The controller's step is the note's length; a chord of step-0 notes
  // waits for the next step; a key event at a measure start changes the
  // staff (B flat: a sign in C major, none in F major).
  const Walked w = Walk(Track({Note(70, 0, 240), Ev(0xEB, 64, 240, 7), Ev(0xE7, 100, 0, 120), Note(70, 240, 200),
                               MeasureEnd(), Ev(0xF5, 0, 9, 0), Note(70, 480, 400), Note(71, 480, 400)}));
  ASSERT_EQ(5u, w.seen.chords.size());
  EXPECT_EQ(240, w.seen.chords[0].length);
  EXPECT_EQ(56 + 24, w.seen.chords[1].x);
  EXPECT_EQ(std::vector<uint8_t>{kStaffFlat}, w.seen.signs[0]);
  EXPECT_EQ(std::vector<uint8_t>{kStaffNoSign}, w.seen.signs[1]);  // the same bar
  EXPECT_EQ(std::vector<uint8_t>{kStaffNoSign}, w.seen.signs[3]);  // F major
  EXPECT_EQ(std::vector<uint8_t>{kStaffNatural}, w.seen.signs[4]);
}

TEST(ScoreNotes, ShortNotesGatherOnTheQuantizeGrid) {
  // Thirty-second grid (60 ticks at 480): two notes 30 ticks apart are one
  // chord of 60 ticks.
  WalkSetup q;
  q.displaySwitch = kAllSwitches | kScoreQuantize6;
  const Walked w = Walk(Track({Note(60, 30, 60), Note(64, 30, 60), Note(67, 480, 480)}), q);
  ASSERT_EQ(2u, w.seen.chords.size());
  EXPECT_EQ((std::vector<uint8_t>{60, 64}), w.seen.chords[0].keys);
  EXPECT_EQ(60, w.seen.chords[0].length);
  EXPECT_EQ(56 + 6, w.seen.chords[1].x);
}

TEST(ScoreNotes, TiesReachTheNextNoteOfTheKeyAcrossABar) {
  struct Case {
    int32_t timeBase;
    uint16_t step;
    uint16_t gate;
    uint16_t tie;  // in ticks of the time base
  } cases[] = {
      {480, 480, 720, 480 + 180},  // a bar is (12 + 6) x 10 ticks at 480
      {96, 96, 144, 96 + 36},
      {0, 480, 720, 480 + 180},    // a time base of 0 counts as 480
      {480, 480, 480, 0},          // the gate ends where the next begins
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeBase);
    WalkSetup s;
    s.timeBase = c.timeBase;
    const Walked w = Walk(Track({Note(60, c.step, c.gate), MeasureEnd(), Note(60, c.step, c.gate)}), s);
    ASSERT_EQ(3u, w.seen.chords.size());
    ASSERT_EQ(1u, w.seen.chords[0].ties.size());
    EXPECT_EQ(c.tie, w.seen.chords[0].ties[0]);
    if (c.tie != 0) {
      // The arc ends where the tied note stands.
      const int32_t tb = ScoreTimeBase(c.timeBase);
      EXPECT_EQ(w.seen.chords[2].x - w.seen.chords[0].x, ScoreTickPixels(c.tie, tb, 1));
    }
  }
}

TEST(ScoreNotes, TieDistanceOfOneNote) {
  const ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, 480, kAllSwitches);
  const Events e = Track({Note(60, 240, 720), Note(64, 240, 240), Ev(0xF6, 0, 0, 0), Note(60, 480, 1),
                          Note(60, 480, 1), Note(62, 240, 960), Note(62, 240, 0), Note(62, 240, 10, 0),
                          Note(65, 480, 480), Ev(0xF9, 0, 0, 0), Note(65, 480, 480)});
  const int32_t n = static_cast<int32_t>(e.size());
  struct Case {
    int32_t index;
    int32_t tie;
  } cases[] = {
      {0, 480},  // over the E, the comment adds nothing
      {1, 0},    // no later E
      {2, 0},    // not a note
      {3, 0},    // gate 1
      {5, 0},    // the later D's have gate 0 or velocity 0; the gate runs out
      {8, 0},    // F: the next one starts when the gate has run out
      {n - 1, 0},
      {n, 0},
      {-1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tie, FindTieDistance(e.data(), n, c.index, layout)) << c.index;
  // The F just inside its gate.
  const Events f = Track({Note(65, 479, 480), Note(65, 480, 480)});
  EXPECT_EQ(479, FindTieDistance(f.data(), 3, 0, layout));
  // The walk stops at the block's end without an end event.
  const Events open = {Note(60, 10, 500), Note(61, 10, 500)};
  EXPECT_EQ(0, FindTieDistance(open.data(), 2, 0, layout));
}

TEST(ScoreNotes, A65thChordGrowsTheBlockTo128) {
  const Walked at64 = Walk(Repeat(64, Note(60, 30, 30)));
  ASSERT_EQ(1u, at64.seen.measures.size());
  EXPECT_EQ(64u, at64.seen.measures[0].size());
  EXPECT_EQ(64, at64.seen.capacities[0]);
  const Walked at65 = Walk(Repeat(65, Note(60, 30, 30)));
  EXPECT_EQ(65u, at65.seen.measures[0].size());
  EXPECT_EQ(128, at65.seen.capacities[0]);
  EXPECT_EQ(56 + 64 * 3, at65.seen.measures[0][64].stemX1 - 6);
}

TEST(ScoreNotes, ABlockThatCannotGrowStopsTheWalkKeepingWhatItHas) {
  const Walked w = Walk(Repeat(100, Note(60, 30, 30)), [] {
    WalkSetup s;
    s.maxRecords = 64;
    return s;
  }());
  EXPECT_TRUE(w.full);
  ASSERT_EQ(1u, w.seen.measures.size());
  ASSERT_EQ(64u, w.seen.measures[0].size());
  EXPECT_EQ(64, w.seen.capacities[0]);
  EXPECT_EQ(64, w.lastLine);  // the 65th note's line found no record
  EXPECT_EQ(64u, w.seen.chords.size());
  for (int i = 0; i < 64; ++i) EXPECT_EQ(56 + 3 * i + 6, w.seen.measures[0][i].hookX) << i;
  // Records are laid out per measure: 64 per measure fit.
  Events bars;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 63; ++j) bars.push_back(Note(60, 30, 30));
    bars.push_back(MeasureEnd());
  }
  bars.push_back(EndEvent());
  WalkSetup s;
  s.maxRecords = 64;
  const Walked fits = Walk(bars, s);
  EXPECT_FALSE(fits.full);
  EXPECT_EQ(4u, fits.seen.measures.size());
  EXPECT_EQ(3u, fits.seen.bars.size());
}

TEST(ScoreNotes, NotesBeyondTheChordBufferAreLeftOut) {
  // 170 notes at one step: 160 are kept in key order, the rest left out;
  // the next chord is whole.
  Events e;
  for (int i = 0; i < 170; ++i) e.push_back(Note(static_cast<uint8_t>(127 - i % 128), 0, 480));
  e.push_back(Note(50, 480, 480));
  e.push_back(Note(52, 480, 480));
  e.push_back(Note(48, 480, 480));
  e.push_back(EndEvent());
  const Walked w = Walk(e);
  ASSERT_EQ(3u, w.seen.chords.size());
  const std::vector<uint8_t>& keys = w.seen.chords[0].keys;
  ASSERT_EQ(static_cast<size_t>(kChordNotes), keys.size());
  for (size_t i = 1; i < keys.size(); ++i) EXPECT_LE(keys[i - 1], keys[i]);
  EXPECT_EQ(0, keys.front());
  EXPECT_EQ(11, w.dropped);  // the 161st to the 171st, which closes the chord
  EXPECT_EQ((std::vector<uint8_t>{52}), w.seen.chords[1].keys);
  EXPECT_EQ(480, w.seen.chords[0].length);
}

TEST(ScoreNotes, TheWalkStopsAtTheWidthAndStartsAtALine) {
  const Events e = Repeat(20, Note(60, 480, 480));  // 48 pixels each
  WalkSetup narrow;
  narrow.width = 56 + 48 * 3;  // the fourth chord would start at the edge
  const Walked w = Walk(e, narrow);
  EXPECT_EQ(3u, w.seen.chords.size());
  EXPECT_EQ(2, w.lastLine);
  WalkSetup later;
  later.startLine = 18;
  const Walked tail = Walk(e, later);
  EXPECT_EQ(2u, tail.seen.chords.size());
  EXPECT_EQ(20, tail.lastLine);  // the end event's line
  EXPECT_EQ(56, tail.seen.chords[0].x);
  WalkSetup past;
  past.startLine = 500;
  EXPECT_EQ(-1, Walk(e, past).lastLine);
}

TEST(ScoreNotes, FindStepLineBisectsTheLineTable) {
  // A comment with two continuation events folds into one line.
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 10), Ev(0xF6, 'a', 0, 0), Ev(0xF7, 'b', 0, 0), Ev(0xF7, 'c', 0, 0),
                          Note(62, 10), MeasureEnd(), Note(64, 10)}));
  const StepEditModel& m = song.Open(1);
  ASSERT_EQ(7, m.eventCount);
  struct Case {
    int32_t event;
    int32_t line;
  } cases[] = {{0, 0}, {-5, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 3}, {6, 4}, {7, 5}, {8, -1}, {100000, -1}};
  for (const Case& c : cases) EXPECT_EQ(c.line, FindStepLine(m, c.event)) << c.event;
}

TEST(ScoreNotes, FindMeasureLineStartsTheScoreAtAMeasure) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 10), Note(62, 10), MeasureEnd(), Note(64, 10), Note(65, 10),
                          Ev(0xFC, 0, 0, 0), Note(67, 10)}));
  const StepEditModel& m = song.Open(1);
  ASSERT_EQ(8, m.lineCount);
  struct Case {
    ScoreViewSpan view;
    int32_t line;
    int32_t start;
  } cases[] = {
      {{0, -1}, 0, 0},
      {{0, -1}, 1, 0},
      {{0, -1}, 3, 3},
      {{0, -1}, 4, 3},
      {{0, -1}, 5, 3},  // the same-measure line belongs to the measure before it
      {{0, -1}, 6, 6},
      {{0, -1}, 7, 6},  // the end line
      {{0, -1}, 400, 6},
      {{3, 6}, 4, 3},   // drawn: the view stays
      {{3, 6}, 6, 3},
      {{0, 2}, 4, 3},   // beyond what was drawn
      {{4, 7}, 2, 0},
      {{3, 7}, 400, 3},  // past the lines: the end line, which the view drew
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.start, FindMeasureLine(m, c.view, c.line)) << c.line << " view " << c.view.startLine;
  }
}

TEST(ScoreNotes, NoLineTableNoWalk) {
  StepEditModel m = {};
  ScoreWalkState state;
  const ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, 480, kAllSwitches);
  ASSERT_TRUE(BeginScoreWalk(state, layout, 0, 4, 4));
  Capture seen;
  EXPECT_EQ(-1, WalkScoreLines(state, m, 0, 1000, &seen));
  EXPECT_TRUE(seen.chords.empty());
  EXPECT_EQ(-1, FindStepLine(m, 0));
  EXPECT_EQ(0, FindMeasureLine(m, ScoreViewSpan{}, 5));
}

}  // namespace
