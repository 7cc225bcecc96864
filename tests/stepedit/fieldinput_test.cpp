// What the step editor's number fields allow, the pitch names they step
// through, the track a digit key chooses and a note written over a line.
#include <gtest/gtest.h>

#include <vector>

#include "dlgedit.h"
#include "notecaret.h"
#include "stepshared.h"
#include "sharedkeys.h"

namespace {

TEST(DlgFieldLimitsTest, ByControlAndWhatTheFieldHolds) {
  FieldLimitContext plain;
  plain.timeBase = 480;
  plain.trackCount = 36;
  plain.maxTrack = 50;
  plain.strokeTotal = 90;
  FieldLimitContext time = plain;
  time.rangeValueKind = kRangeKindTime;
  FieldLimitContext bend = plain;
  bend.rangeValueKind = kRangeKindBend;
  FieldLimitContext tempo = plain;
  tempo.rangeValueKind = kRangeKindTempo;
  FieldLimitContext noBase = plain;
  noBase.timeBase = 0;

  struct {
    int id;
    const FieldLimitContext* context;
    int min, max;
  } cases[] = {
      {100, &plain, 1, 9999},   {102, &plain, 1, 9999},     {104, &plain, 1, 9999},   {105, &plain, -36, 36},
      {105, &time, -360, 360},  {112, &plain, 1, 36},       {118, &plain, 1, 36},     {120, &plain, 1, 36},
      {114, &plain, 1, 16},     {116, &plain, -99, 99},     {122, &plain, 0, 127},    {126, &plain, 0, 90},
      {130, &plain, 1, 50},     {132, &plain, 1, 99},       {134, &plain, -9999, 9999}, {220, &plain, 40, 480},
      {220, &noBase, 40, 480},  {221, &plain, 50, 100},     {853, &plain, 0, 2550},   {872, &plain, 0, 2550},
      {1010, &plain, 0, 127},   {1015, &plain, 0, 127},     {1061, &plain, -36, 36},  {1107, &plain, -3, 3},
      {1110, &plain, 1, 99},    {1111, &plain, 1, 999},     {1680, &plain, 0, 127},   {1680, &tempo, 0, 255},
      {1681, &tempo, 0, 255},   {1680, &bend, -8192, 8191}, {1681, &bend, -8192, 8191}, {1681, &time, 0, 9990},
      {1682, &plain, 0, 9999},  {1684, &plain, 1, 2550},    {1685, &plain, 1, 255},   {999, &plain, 0, 255},
  };
  for (const auto& c : cases) {
    const FieldLimits limits = DlgFieldLimits(c.id, *c.context);
    EXPECT_EQ(limits.min, c.min) << c.id;
    EXPECT_EQ(limits.max, c.max) << c.id;
  }
}

TEST(PitchNameTest, LettersAndAccidentalsWrapAroundTheOctave) {
  struct {
    const char* text;
    int pitch;
  } cases[] = {{"C ", 0}, {"c#", 1}, {"D+", 3}, {"Eb", 3}, {"E-", 3}, {"A ", 9}, {"B ", 11}, {"Cb", 11}, {"B#", 0}, {"H ", -1},
               {"", -1}, {"1", -1}};
  for (const auto& c : cases) EXPECT_EQ(PitchClassOfName(c.text), c.pitch) << c.text;
  EXPECT_STREQ(PitchClassName(11 + 1), "C ");
  EXPECT_STREQ(PitchClassName(0 - 1), "B ");
  EXPECT_STREQ(PitchClassName(PitchClassOfName("Cb") + 1), "C ");
}

TEST(DigitTrackTest, ShiftCountsUpByTensWithinTheSong) {
  struct {
    int digit;
    bool shift;
    int last, tracks, chosen;
  } cases[] = {
      {1, false, 0, 36, 1},  {0, false, 0, 36, 10}, {1, true, 0, 36, 1},  {1, true, 1, 36, 11},
      {1, true, 11, 36, 21}, {1, true, 31, 36, 1},  {3, true, 2, 36, 3},  {0, true, 10, 36, 20},
      {0, true, 30, 36, 10}, {5, true, 5, 8, 5},    {9, false, 0, 8, 0},  {0, false, 0, 9, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseDigitTrack(c.digit, c.shift, c.last, c.tracks), c.chosen)
        << c.digit << (c.shift ? " shift" : "") << " after " << c.last << " of " << c.tracks;
}

StepEvent Ev(uint8_t code, uint8_t vel, uint16_t step, uint16_t gate) { return {code, vel, step, gate}; }

TEST(SetNoteValuesTest, OnlyNotesChangeAndMinusOneKeeps) {
  struct Case {
    const char* name;
    std::vector<StepEvent> events;
    int index, key, step, gate, velocity;
    bool changed, stepChanged;
    StepEvent result;
  } cases[] = {
      {"AllKept", {Ev(60, 64, 48, 40)}, 0, -1, -1, -1, -1, true, false, Ev(60, 64, 48, 40)},
      {"KeyAndVelocity", {Ev(60, 64, 48, 40)}, 0, 67, -1, -1, 99, true, false, Ev(67, 99, 48, 40)},
      {"StepAndGate", {Ev(60, 64, 48, 40)}, 0, -1, 0, 5, -1, true, true, Ev(60, 64, 0, 5)},
      {"VelocityCapped", {Ev(60, 64, 48, 40)}, 0, -1, -1, -1, 200, true, false, Ev(60, 127, 48, 40)},
      {"FromNoteAbove",
       {Ev(50, 90, 96, 80), Ev(0xEB, 10, 12, 7), Ev(52, 90, 0, 30), Ev(60, 64, 48, 40)},
       3, 62, -2, 7, -1, true, true, Ev(62, 64, 96, 80)},
      {"NoNoteAboveTakesDefaults", {Ev(0xEB, 10, 12, 7), Ev(60, 64, 48, 40)}, 1, -1, -2, -1, -1, true, true,
       Ev(60, 64, 24, 20)},
      {"CommandStays", {Ev(0xEB, 10, 12, 7)}, 0, 60, 0, 0, 64, false, false, Ev(0xEB, 10, 12, 7)},
      {"EndStays", {Ev(0xFE, 0, 0, 0)}, 0, 60, 0, 0, 64, false, false, Ev(0xFE, 0, 0, 0)},
  };
  for (Case& c : cases) {
    bool stepChanged = !c.stepChanged;
    EXPECT_EQ(SetNoteValues(c.events.data(), static_cast<int>(c.events.size()), c.index, c.key, c.step, c.gate,
                            c.velocity, &stepChanged),
              c.changed)
        << c.name;
    EXPECT_EQ(stepChanged, c.stepChanged) << c.name;
    const StepEvent& e = c.events[c.index];
    EXPECT_EQ(e.code, c.result.code) << c.name;
    EXPECT_EQ(e.vel, c.result.vel) << c.name;
    EXPECT_EQ(e.step, c.result.step) << c.name;
    EXPECT_EQ(e.gate, c.result.gate) << c.name;
  }
  StepEvent one = Ev(60, 64, 48, 40);
  EXPECT_FALSE(SetNoteValues(&one, 1, 1, 61, -1, -1, -1)) << "index beyond the events";
  EXPECT_FALSE(SetNoteValues(&one, 1, -1, 61, -1, -1, -1)) << "negative index";
  EXPECT_EQ(one.code, 60);
}

}  // namespace
