#include <gtest/gtest.h>

#include <vector>

#include "measures.h"

namespace {

StepEvent Note(uint16_t step) { return {60, 100, step, 10}; }
StepEvent Bar() { return {0xFD, 0, 0, 0}; }
StepEvent Ref(uint16_t measure, uint16_t target = 0) { return {0xFC, 0, measure, target}; }

TEST(Measures, MeasureEndRules) {
  std::vector<StepEvent> e = {Note(1), Bar(), Ref(0), Note(1), Ref(1), EndEvent()};
  const int n = static_cast<int>(e.size());
  EXPECT_EQ(2, MeasureEnd(e.data(), n, 0));   // after the measure end
  EXPECT_EQ(3, MeasureEnd(e.data(), n, 2));   // a reference alone
  EXPECT_EQ(4, MeasureEnd(e.data(), n, 3));   // before the next reference
  EXPECT_EQ(5, MeasureEnd(e.data(), n, 5));   // the end event's own index
  // A block without an end event stops at its size.
  EXPECT_EQ(2, MeasureEnd(e.data(), 2, 0));
  EXPECT_EQ(1, MeasureEnd(e.data(), 1, 0));
}

TEST(Measures, AReferenceAfterAnUnknownMarkStaysInItsMeasure) {
  // After codes 0xFA and 0xFB a reference is the current measure, as after
  // a measure end's kin; after a note it is the next one.
  std::vector<StepEvent> e = {Note(1), {0xFB, 0, 0, 0}, Ref(0), Note(1), Ref(0), Note(1), EndEvent()};
  const int n = static_cast<int>(e.size());
  EXPECT_EQ(3, MeasureEnd(e.data(), n, 0));
  EXPECT_EQ(4, MeasureEnd(e.data(), n, 3));
  const int measures[] = {1, 1, 1, 2, 3, 4, 4};
  for (int i = 0; i < n; ++i) EXPECT_EQ(measures[i], MeasureOfEvent(e.data(), n, i)) << i;
  int32_t begin, end;
  MeasureSpan(e.data(), n - 1, 2, 3, &begin, &end);
  EXPECT_EQ(3, begin);
  EXPECT_EQ(5, end);
}

TEST(Measures, RenumberPointsReferencesAtMeasureStarts) {
  // Measures: 0 = [0,1], 1 = [2,3], 2 = ref at 4, 3 = ref at 5, 4 = [6].
  std::vector<StepEvent> e = {Note(1), Bar(), Note(2), Bar(), Ref(1, 999), Ref(0, 0), Note(3),
                              Ref(7, 5), Ref(2000, 77), EndEvent()};
  RenumberSameMeasureRefs(e.data(), static_cast<int>(e.size()));
  EXPECT_EQ(2 + 48, e[4].gate);
  EXPECT_EQ(0 + 48, e[5].gate);
  // A measure the block does not have names index 0; one past the table keeps
  // its value.
  EXPECT_EQ(48, e[7].gate);
  EXPECT_EQ(77, e[8].gate);
}

TEST(Measures, RenumberStopsAtBlockSizeWithoutEndEvent) {
  std::vector<StepEvent> e = {Note(1), Bar(), Ref(0, 9)};
  RenumberSameMeasureRefs(e.data(), static_cast<int>(e.size()));
  EXPECT_EQ(48, e[2].gate);
  RenumberSameMeasureRefs(nullptr, 5);
}

}  // namespace
