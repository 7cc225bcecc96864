#include "shiftvalues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

bool SameEvent(const StepEvent& a, const StepEvent& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void Select(StepEditModel& m, int32_t from, int32_t to) {
  m.selFrom = from;
  m.selTo = to;
}

struct Table {
  explicit Table(int16_t all) { std::fill(std::begin(bias), std::end(bias), all); }
  int16_t bias[kPitchClasses];
};

// The whole track selected, one shift applied; the track afterwards.
Events ShiftAll(const Events& before, uint32_t kind, uint32_t mode, int32_t bias, EditResult* result = nullptr) {
  ModelSong song;
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  Select(m, 0, m.eventCount);
  const Table table(static_cast<int16_t>(bias));
  const EditResult r = ShiftStepRange(m, song.ctx, kind, mode, bias, table.bias);
  if (result) *result = r;
  return song.Read(1);
}

struct CaptionCase {
  int command;
  uint32_t caption, kind, mode;
};

TEST(ShiftValues, CaptionKindAndModeByCommand) {
  const CaptionCase cases[] = {
      {2053, 51, kShiftKindNote, kShiftModeAdd},
      {2054, 52, kShiftKindStep, kShiftModeAdd},
      {2055, 53, kShiftKindGate, kShiftModeAdd},
      {2056, 54, kShiftKindVelocity, kShiftModeAdd},
      {2057, 55, kShiftKindControl, kShiftModeAdd},
      {2058, 56, kShiftKindBend, kShiftModeAdd},
      {2062, 60, kShiftKindAftertouch, kShiftModeAdd},
      {2063, 61, kShiftKindTempo, kShiftModeAdd},
      {2080, 62, kShiftKindNote, kShiftModeScale},
      {2083, 65, kShiftKindVelocity, kShiftModeScale},
      {2090, 72, kShiftKindTempo, kShiftModeScale},
      {2091, 1909, 0, 0},
      {2094, 1912, 0, 0},
      {2095, 1913, 0, 0},
      {2101, 1919, 0, 0},
      {2710, 50, 0, 0},
      // Kind and mode numbers are no commands.
      {2064, 0, 0, 0},
      {2079, 0, 0, 0},
      {2052, 0, 0, 0},
      {2102, 0, 0, 0},
  };
  for (const CaptionCase& c : cases) {
    SCOPED_TRACE(c.command);
    const CommandCaption got = SetCommandCaption(c.command);
    EXPECT_EQ(got.captionId, c.caption);
    EXPECT_EQ(got.kind, c.kind);
    EXPECT_EQ(got.mode, c.mode);
  }
}

struct FoldCase {
  uint8_t key;
  int32_t bias;
  uint8_t expected;
};

TEST(ShiftValues, TransposeFoldsByOctavesIntoTheKeyRange) {
  const FoldCase cases[] = {
      {120, 12, 120}, {5, -12, 5}, {60, 7, 67}, {127, 1, 116}, {0, -1, 11}, {116, 36, 116}, {10, -36, 10}, {127, 0, 127},
  };
  for (const FoldCase& c : cases) {
    SCOPED_TRACE(testing::Message() << int{c.key} << " by " << c.bias);
    EditResult r;
    const Events after = ShiftAll(Track({Note(c.key, 120)}), kShiftKindNote, kShiftModeAdd, c.bias, &r);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, kStateModified);
    EXPECT_EQ(after[0].code, c.expected);
  }
}

TEST(ShiftValues, TransposeTakesEachPitchClassItsOwnBiasAndLeavesRests) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120), Note(72, 0), Note(61, 120, 0, 100), Ev(0xED, 50, 0, 60),
                          Ev(0xEB, 64, 0, 7)}));
  StepEditModel& m = song.Open(1);
  Select(m, 0, 5);
  Table table(0);
  table.bias[0] = 2;    // C
  table.bias[1] = -13;  // C#
  const EditResult r = ShiftStepRange(m, song.ctx, kShiftKindNote, kShiftModeAdd, 0, table.bias);
  EXPECT_EQ(r.status, EditStatus::Ok);
  const Events expected = Track({Note(62, 120), Note(62, 120), Note(74, 0), Note(61, 120, 0, 100),
                                 Ev(0xED, 50, 0, 62), Ev(0xEB, 64, 0, 7)});
  EXPECT_TRUE(SameBytes(song.Read(1), expected));
}

struct ValueCase {
  const char* what;
  StepEvent before;
  uint32_t kind, mode;
  int32_t bias;
  StepEvent after;
};

TEST(ShiftValues, EachKindReadsClampsAndWritesItsOwnField) {
  constexpr uint32_t add = kShiftModeAdd, scale = kShiftModeScale;
  const ValueCase cases[] = {
      {"ex/comp VEL -36 top", Note(60, 0, 10, 127), kShiftKindVelocity, scale, -36, Note(60, 0, 10, 104)},
      {"ex/comp VEL -36 bottom", Note(60, 0, 10, 1), kShiftKindVelocity, scale, -36, Note(60, 0, 10, 24)},
      {"ex/comp VEL centre", Note(60, 0, 10, 64), kShiftKindVelocity, scale, 50, Note(60, 0, 10, 64)},
      {"ex/comp VEL at least 1", Note(60, 0, 10, 10), kShiftKindVelocity, scale, 100, Note(60, 0, 10, 1)},
      {"shift VEL clamps", Note(60, 0, 10, 120), kShiftKindVelocity, add, 20, Note(60, 0, 10, 127)},
      {"shift VEL at least 1", Note(60, 0, 10, 5), kShiftKindVelocity, add, -20, Note(60, 0, 10, 1)},
      {"VEL leaves a rest", Note(60, 0, 0, 5), kShiftKindVelocity, add, 20, Note(60, 0, 0, 5)},
      {"ex/comp NOTE", Note(60, 0), kShiftKindNote, scale, 100, Note(120, 0)},
      {"ex/comp NOTE folds", Note(100, 0), kShiftKindNote, scale, 100, Note(116, 0)},
      {"ex/comp ST truncates", Note(60, 100), kShiftKindStep, scale, -33, Note(60, 67)},
      {"shift ST clamps high", Note(60, 9990), kShiftKindStep, add, 20, Note(60, 9999)},
      {"shift ST clamps at 0", Note(60, 10), kShiftKindStep, add, -20, Note(60, 0)},
      {"ST of a command", Ev(0xEB, 64, 30, 7), kShiftKindStep, add, 10, Ev(0xEB, 64, 40, 7)},
      {"ST leaves a measure end", MeasureEnd(), kShiftKindStep, add, 10, MeasureEnd()},
      {"ST leaves a repeat end", Ev(0xF8, 0, 2, 0), kShiftKindStep, add, 10, Ev(0xF8, 0, 2, 0)},
      {"shift GT at least 1", Note(60, 0, 30), kShiftKindGate, add, -50, Note(60, 0, 1)},
      {"shift GT clamps high", Note(60, 0, 9990), kShiftKindGate, add, 20, Note(60, 0, 9999)},
      {"ex/comp GT", Note(60, 0, 200), kShiftKindGate, scale, -50, Note(60, 0, 100)},
      {"control change", Ev(0xEB, 100, 0, 10), kShiftKindControl, add, 50, Ev(0xEB, 127, 0, 10)},
      {"ex/comp control change", Ev(0xEB, 100, 0, 10), kShiftKindControl, scale, -50, Ev(0xEB, 50, 0, 10)},
      {"volume", Ev(0xEB, 100, 0, 7), kShiftKindVolume, add, -10, Ev(0xEB, 90, 0, 7)},
      {"volume leaves another controller", Ev(0xEB, 100, 0, 10), kShiftKindVolume, add, -10, Ev(0xEB, 100, 0, 10)},
      {"modulation", Ev(0xEB, 0, 0, 1), kShiftKindModulation, add, 10, Ev(0xEB, 10, 0, 1)},
      {"expression", Ev(0xEB, 5, 0, 11), kShiftKindExpression, add, -10, Ev(0xEB, 0, 0, 11)},
      {"channel aftertouch", Ev(0xEA, 0, 0, 100), kShiftKindAftertouch, add, 50, Ev(0xEA, 0, 0, 127)},
      {"tempo", Ev(0xE7, 0, 0, 250), kShiftKindTempo, add, 10, Ev(0xE7, 0, 0, 255)},
      {"ex/comp tempo", Ev(0xE7, 0, 0, 120), kShiftKindTempo, scale, 50, Ev(0xE7, 0, 0, 180)},
      {"bend carries into the high byte", Ev(0xEE, 0x40, 0, 127), kShiftKindBend, add, 1, Ev(0xEE, 65, 0, 0)},
      {"bend clamps", Ev(0xEE, 0x7F, 0, 120), kShiftKindBend, add, 36, Ev(0xEE, 127, 0, 127)},
      {"ex/comp bend around the centre", Ev(0xEE, 0x60, 0, 0), kShiftKindBend, scale, -50, Ev(0xEE, 80, 0, 0)},
      {"bend leaves a note", Note(60, 0), kShiftKindBend, add, 5, Note(60, 0)},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.what);
    EditResult r;
    const Events after = ShiftAll(Track({c.before}), c.kind, c.mode, c.bias, &r);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_TRUE(SameEvent(after[0], c.after)) << int{after[0].code} << " " << int{after[0].vel} << " "
                                              << after[0].step << " " << after[0].gate;
    EXPECT_TRUE(SameEvent(after[1], EndEvent()));
    EXPECT_EQ(r.stateBits, c.kind == kShiftKindStep ? 3u : 1u);
  }
}

TEST(ShiftValues, GateStopsAtTheNextNoteOfTheSameKey) {
  // The same key 240 ticks later; another key in between does not stop it.
  const Events before = Track({Note(60, 120, 200), Note(64, 120, 100), Note(60, 120, 60)});
  EXPECT_EQ(ShiftAll(before, kShiftKindGate, kShiftModeAdd, 480)[0].gate, 240);
  EXPECT_EQ(ShiftAll(before, kShiftKindGate, kShiftModeScale, 300)[0].gate, 240);
  EXPECT_EQ(ShiftAll(before, kShiftKindGate, kShiftModeAdd, 480)[1].gate, 580);  // nothing follows key 64
  EXPECT_EQ(ShiftAll(before, kShiftKindGate, kShiftModeAdd, 30)[0].gate, 230);
}

TEST(ShiftValues, GateOfANoteThatAlreadyOverlapsStays) {
  const Events before = Track({Note(60, 120, 300), Note(60, 120, 60)});
  const Events after = ShiftAll(before, kShiftKindGate, kShiftModeAdd, -100);
  EXPECT_EQ(after[0].gate, 300);
  EXPECT_EQ(after[1].gate, 1);
}

TEST(ShiftValues, OnlyTheSelectionChangesAndTheIndexIsRebuilt) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120, 100), Note(60, 120, 100), Note(60, 120, 100)}));
  StepEditModel& m = song.Open(1);
  Select(m, 1, 0);  // made backwards
  const Table table(12);
  const EditResult r = ShiftStepRange(m, song.ctx, kShiftKindStep, kShiftModeAdd, -100, table.bias);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 20, 100), Note(60, 20, 100), Note(60, 120, 100)})));
  // The second note now starts within the first one's gate: the overlap
  // marks follow the new steps.
  Locked positions(ReadTrackBlock(m).positions);
  EXPECT_NE(positions.as<StepPosition>()[0].step & kOverlapBit, 0);
  EXPECT_NE(positions.as<StepPosition>()[1].step & kOverlapBit, 0);
  EXPECT_EQ(positions.as<StepPosition>()[2].step & kOverlapBit, 0);
  EXPECT_EQ(m.selFrom, 1);  // the selection stays
}

TEST(ShiftValues, RefusedWithoutSelectionOrKindAndTheTrackStays) {
  ModelSong song;
  const Events before = Track({Note(60, 120), MeasureEnd()});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  const Table table(5);
  EditResult r = ShiftStepRange(m, song.ctx, kShiftKindVelocity, kShiftModeAdd, 5, table.bias);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_EQ(r.stateBits, 0u);
  Select(m, 0, 2);
  for (const uint32_t kind : {2068u, 2080u}) {
    r = ShiftStepRange(m, song.ctx, kind, kShiftModeAdd, 5, table.bias);
    EXPECT_EQ(r.status, EditStatus::Refused);
  }
  r = ShiftStepRange(m, song.ctx, kShiftKindVelocity, 2065, 5, table.bias);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  Select(m, 2, 2);  // the end event alone
  r = ShiftStepRange(m, song.ctx, kShiftKindStep, kShiftModeAdd, 5, table.bias);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(ShiftValues, RhythmGridChangesOnlyMarkedRowsExceptUnderStep) {
  ModelSong song;
  const Events before = Track({Note(36, 120, 10, 100), Note(38, 120, 10, 100), Note(42, 120, 10, 100)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1, true);
  song.ctx.rhythm[0].key = 36;
  song.ctx.rhythm[1].key = 38;
  song.ctx.rhythm[2].key = 42;
  song.shared.rhythmRowFlags[1] = 1;  // the snare row only
  song.shared.rhythmRowFlags[2] = 0;
  Select(m, 0, 2);
  const Table table(10);
  EditResult r = ShiftStepRange(m, song.ctx, kShiftKindVelocity, kShiftModeAdd, -50, table.bias);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(36, 120, 10, 100), Note(38, 120, 10, 50),
                                             Note(42, 120, 10, 100)})));
  Select(m, 0, 2);
  r = ShiftStepRange(m, song.ctx, kShiftKindStep, kShiftModeAdd, 120, table.bias);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(36, 240, 10, 100), Note(38, 240, 10, 50),
                                             Note(42, 240, 10, 100)})));
}

}  // namespace
