// The time code start time without its dialog: bringing a refused start time
// down to one the interface takes, the mode radios, the time text.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resource.h"
#include "timecode.h"

namespace {

// An interface that counts hours 0-23, minutes and seconds 0-59 and frames
// below the mode's rate (24, 25, 30, 30), and leaves out frames 0 and 1 of
// each minute but every tenth in mode 2: the answers of the real one.
int CountingInterface(const SmpteStartTime& t) {
  static const int kRates[] = {24, 25, 30, 30};
  int answer = 0;
  if (t.hour > 23) answer |= kSmpteHourHigh;
  if (t.minute > 59) answer |= kSmpteMinuteHigh;
  if (t.second > 59) answer |= kSmpteSecondHigh;
  if (t.frame >= kRates[t.mode]) answer |= kSmpteFrameHigh;
  if (t.mode == 2 && t.second == 0 && t.minute % 10 != 0 && t.frame < 2) answer |= kSmpteFrameSkipped;
  return answer ? answer : kSmpteAccepted;
}

struct Asked {
  std::vector<SmpteStartTime> times;
  std::function<int(const SmpteStartTime&)> Recording(std::function<int(const SmpteStartTime&)> check) {
    return [this, check](const SmpteStartTime& t) {
      times.push_back(t);
      return check(t);
    };
  }
};

std::vector<int> Fields(const SmpteStartTime& t) { return {t.mode, t.hour, t.minute, t.second, t.frame, t.bit}; }

TEST(SmpteStartTimeCheck, ADayTooLongComesDownAnHourAtATime) {
  Asked asked;
  const SmpteStartTime settled = SettleSmpteStartTime({0, 24, 0, 0, 0, 0}, asked.Recording(CountingInterface));
  EXPECT_EQ(Fields(settled), (std::vector<int>{0, 23, 0, 0, 0, 0}));
  ASSERT_EQ(asked.times.size(), 2u);
  EXPECT_EQ(asked.times[0].hour, 24);
  EXPECT_EQ(asked.times[1].hour, 23);

  asked.times.clear();
  const SmpteStartTime far = SettleSmpteStartTime({0, 30, 0, 0, 0, 0}, asked.Recording(CountingInterface));
  EXPECT_EQ(far.hour, 23);
  ASSERT_EQ(asked.times.size(), 8u);
  for (size_t i = 0; i < asked.times.size(); ++i) EXPECT_EQ(asked.times[i].hour, 30 - static_cast<int>(i));
}

struct SettleCase {
  const char* what;
  SmpteStartTime start;
  std::vector<int> settled;
};

TEST(SmpteStartTimeCheck, EachFieldTheAnswerNamesMovesTowardsATimeTaken) {
  const SettleCase cases[] = {
      {"accepted at once", {3, 1, 2, 3, 4, 5}, {3, 1, 2, 3, 4, 5}},
      {"every field too high", {1, 25, 61, 62, 27, 9}, {1, 23, 59, 59, 24, 9}},
      {"a skipped drop frame is raised", {2, 0, 1, 0, 0, 0}, {2, 0, 1, 0, 2, 0}},
      {"a tenth minute keeps frame 0", {2, 0, 10, 0, 0, 0}, {2, 0, 10, 0, 0, 0}},
      {"most a field holds", {0, 255, 255, 255, 255, 255}, {0, 23, 59, 59, 23, 255}},
  };
  for (const SettleCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Fields(SettleSmpteStartTime(c.start, CountingInterface)), c.settled);
  }
}

TEST(SmpteStartTimeCheck, AnInterfaceThatNeverTakesTheTimeStillEnds) {
  struct Case {
    const char* what;
    int answer;
    std::vector<int> settled;
    size_t questions;
  } cases[] = {
      // Everything comes down to 0 and stays there: no field goes negative.
      {"every field always too high", kSmpteHourHigh | kSmpteMinuteHigh | kSmpteSecondHigh | kSmpteFrameHigh,
       {0, 0, 0, 0, 0, 7}, 9},
      // The frame goes up to what a field holds and no further.
      {"a frame always skipped", kSmpteFrameSkipped, {0, 5, 6, 7, 255, 7}, 248},
      // Lowered and raised in one round: nothing changes.
      {"frame both too high and skipped", kSmpteFrameHigh | kSmpteFrameSkipped, {0, 5, 6, 7, 8, 7}, 1},
      // Bits the check does not know name nothing to change.
      {"an answer of unknown bits", 0x40, {0, 5, 6, 7, 8, 7}, 1},
      // A driver error is not a list of fields, though its bits are all set.
      {"an error", -2, {0, 5, 6, 7, 8, 7}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Asked asked;
    const int answer = c.answer;
    const SmpteStartTime settled =
        SettleSmpteStartTime({0, 5, 6, 7, 8, 7}, asked.Recording([answer](const SmpteStartTime&) { return answer; }));
    EXPECT_EQ(Fields(settled), c.settled);
    EXPECT_EQ(asked.times.size(), c.questions);
    for (const SmpteStartTime& t : asked.times)
      EXPECT_TRUE(t.hour >= 0 && t.minute >= 0 && t.second >= 0 && t.frame >= 0 && t.frame <= kSmpteFieldMax);
  }
}

TEST(SmpteStartTimeCheck, AnInterfaceThatKeepsMovingIsAskedAtMost1024Times) {
  // Raises the frame when it is even, lowers it when odd: a time that never
  // settles.
  Asked asked;
  const SmpteStartTime settled = SettleSmpteStartTime(
      {0, 1, 0, 0, 10, 0},
      asked.Recording([](const SmpteStartTime& t) { return t.frame % 2 ? kSmpteFrameHigh : kSmpteFrameSkipped; }));
  EXPECT_EQ(asked.times.size(), static_cast<size_t>(kSmpteCheckRounds));
  EXPECT_TRUE(settled.frame == 10 || settled.frame == 11);
}

TEST(SmpteStartTimeCheck, WithoutACheckTheTimeStays) {
  EXPECT_EQ(Fields(SettleSmpteStartTime({4, 30, 70, 80, 90, 100}, nullptr)), (std::vector<int>{4, 30, 70, 80, 90, 100}));
}

TEST(SmpteModes, RadiosAndModesMapBothWays) {
  const int radios[] = {IDC_SMPTE_MODE_24, IDC_SMPTE_MODE_25, IDC_SMPTE_MODE_29D, IDC_SMPTE_MODE_30, IDC_SMPTE_MODE_29};
  for (int mode = 0; mode <= 4; ++mode) {
    EXPECT_EQ(SmpteRadioOfMode(mode, true), radios[mode]);
    EXPECT_EQ(SmpteModeOfRadio(radios[mode]), mode);
  }
  EXPECT_EQ(SmpteModeOfRadio(IDC_SMPTE_HOUR), -1);
  // Mode 4 without the interface that offers it shows as mode 0, and so does
  // a stored mode that is no mode.
  EXPECT_EQ(SmpteRadioOfMode(4, false), IDC_SMPTE_MODE_24);
  EXPECT_EQ(SmpteRadioOfMode(3, false), IDC_SMPTE_MODE_30);
  EXPECT_EQ(SmpteRadioOfMode(9, true), IDC_SMPTE_MODE_24);
  EXPECT_EQ(SmpteRadioOfMode(-1, true), IDC_SMPTE_MODE_24);
}

TEST(SmpteModes, ModeFourNeedsAnEnvironmentOf32) {
  EXPECT_FALSE(SmpteModeFourOffered(false, 40));
  EXPECT_FALSE(SmpteModeFourOffered(true, 4));
  EXPECT_FALSE(SmpteModeFourOffered(true, 31));
  EXPECT_TRUE(SmpteModeFourOffered(true, 32));
  EXPECT_TRUE(SmpteModeFourOffered(true, 255));
}

TEST(SmpteTimeText, FieldsTwoWideSeparatedByColons) {
  EXPECT_EQ(SmpteTimeText(1, 2, 3, 4, 5), " 1: 2: 3: 4: 5");
  EXPECT_EQ(SmpteTimeText(23, 59, 59, 29, 99), "23:59:59:29:99");
  EXPECT_EQ(SmpteTimeText(0, 0, 0, 0, 100), " 0: 0: 0: 0:100");
}

}  // namespace
