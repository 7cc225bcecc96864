#include <gtest/gtest.h>

#include <vector>

#include "tracktotal.h"

namespace {

StepEvent Note(uint16_t step) { return {60, 100, step, 10}; }
StepEvent Bar() { return {0xFD, 0, 0, 0}; }
StepEvent RepStart() { return {0xF9, 0, 0, 0}; }
StepEvent RepEnd(uint16_t count) { return {0xF8, 0, count, 0}; }
StepEvent Ref(uint16_t target) { return {0xFC, 0, 0, target}; }

int32_t Total(std::vector<StepEvent> e, int32_t* end = nullptr) {
  int32_t out = -1;
  int32_t total = CountTrackSteps(e.data(), static_cast<int>(e.size()), &out);
  if (end) *end = out;
  return total;
}

TEST(TrackTotal, PlainMeasuresAndEndIndex) {
  int32_t end = 0;
  EXPECT_EQ(480, Total({Note(120), Note(120), Bar(), Note(240), Bar(), EndEvent()}, &end));
  EXPECT_EQ(5, end);
  // Commands count, codes from 0xF0 do not; steps are signed 16-bit.
  EXPECT_EQ(100 - 10, Total({Note(100), {0xEB, 64, 0xFFF6, 7}, {0xF6, 0, 500, 0}, EndEvent()}));
}

TEST(TrackTotal, Repeats) {
  struct Case {
    std::vector<StepEvent> events;
    int32_t total;
  } cases[] = {
      {{RepStart(), Note(100), Note(100), Bar(), RepEnd(3), Bar(), EndEvent()}, 600},
      {{Note(10), RepStart(), Note(100), RepEnd(2), RepStart(), Note(5), RepEnd(4), EndEvent()},
       10 + 200 + 20},
      // Nested: (50 x 2 + 10) x 3.
      {{RepStart(), RepStart(), Note(50), RepEnd(2), Note(10), RepEnd(3), EndEvent()}, 330},
      // A count of 0 plays 65,536 times, and counts so.
      {{RepStart(), Note(1), RepEnd(0), EndEvent()}, 65536},
      {{Note(5), Bar(), RepStart(), Note(3), Bar(), RepEnd(0), Bar(), EndEvent()}, 5 + 3 * 65536},
      // 65,536 x 65,536 wraps the 32-bit total to 0.
      {{Note(7), RepStart(), RepStart(), Note(1), RepEnd(0), RepEnd(0), EndEvent()}, 7},
      // An unclosed start adds its saved sum at the end; an end without a start is skipped.
      {{Note(7), RepStart(), Note(3), EndEvent()}, 10},
      {{Note(7), RepEnd(5), Note(3), EndEvent()}, 10},
  };
  for (const Case& c : cases) EXPECT_EQ(c.total, Total(c.events));
}

TEST(TrackTotal, SixthNestedStartIsIgnored) {
  std::vector<StepEvent> e;
  for (int i = 0; i < 6; ++i) e.push_back(RepStart());
  e.push_back(Note(1));
  for (int i = 0; i < 5; ++i) e.push_back(RepEnd(2));
  e.push_back(EndEvent());
  EXPECT_EQ(32, Total(e));
}

TEST(TrackTotal, SameMeasureReferencesAreFollowedWithinBounds) {
  // Measure 0 = 120 steps; the reference at 2 repeats it.
  EXPECT_EQ(240, Total({Note(120), Bar(), Ref(0 + 48), EndEvent()}));
  // A reference past the block or before its start counts nothing and ends.
  EXPECT_EQ(120, Total({Note(120), Bar(), Ref(4000), EndEvent()}));
  EXPECT_EQ(120, Total({Note(120), Bar(), Ref(10), EndEvent()}));
  // A reference to itself is not followed for ever.
  EXPECT_EQ(120, Total({Note(120), Bar(), Ref(2 + 48), EndEvent()}));
}

TEST(TrackTotal, FollowSameMeasureLimits) {
  std::vector<StepEvent> e = {Note(1), Bar(), Ref(3 + 48), Ref(0 + 48), EndEvent()};
  EXPECT_EQ(0, FollowSameMeasure(e.data(), 2, 5));
  EXPECT_EQ(2, FollowSameMeasure(e.data(), 2, 3));   // link past the limit
  EXPECT_EQ(1, FollowSameMeasure(e.data(), 1, 5));   // not a reference
}

TEST(TrackTotal, BlockWithoutEndEventStopsAtLimit) {
  int32_t end = 0;
  EXPECT_EQ(30, Total({Note(10), Note(10), Note(10)}, &end));
  EXPECT_EQ(3, end);
}

}  // namespace
