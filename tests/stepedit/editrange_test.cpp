// The edit range handed between an editor's selection and the measure
// fields of a range dialog.
#include <gtest/gtest.h>

#include "editrange.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

// Event : position (measure, step)
//  0 note 60, gate over the next 60 : (1,1), overlap flag set
//  1 note 62, step 0                 : (1,2)
//  2 note 60                         : (1,2)
//  3 measure end                     : (1,3)
//  4 note 65                         : (2,1)
//  5 note 67                         : (2,2)
//  6 measure end                     : (2,3)
//  7 note 69                         : (3,1)
//  8 measure end                     : (3,2)
//  9 end                             : (4,1)
Events ThreeMeasures() {
  return Track({Note(60, 120, 480), Note(62, 0), Note(60, 120), MeasureEnd(), Note(65, 120), Note(67, 120),
                MeasureEnd(), Note(69, 120), MeasureEnd()});
}

struct Range {
  uint32_t fromMeasure, fromStep, toMeasure, toStep;
};

void ExpectRange(const EditRange& r, const Range& want, const char* what) {
  EXPECT_EQ(r.fromMeasure, want.fromMeasure) << what;
  EXPECT_EQ(r.fromStep, want.fromStep) << what;
  EXPECT_EQ(r.toMeasure, want.toMeasure) << what;
  EXPECT_EQ(r.toStep, want.toStep) << what;
}

class EditRangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    song.SetTrack(1, ThreeMeasures());
    m = &song.Open(1);
    ASSERT_EQ(m->eventCount, 9);
    ASSERT_EQ(m->lineCount, 10);
  }
  ModelSong song;
  StepEditModel* m = nullptr;
};

TEST_F(EditRangeTest, PositionsComeFromTheTableWithoutTheOverlapFlag) {
  int measure = 0, step = 0;
  ASSERT_TRUE(EventPosition(*m, 0, &measure, &step));
  EXPECT_EQ(measure, 1);
  EXPECT_EQ(step, 1);
  ASSERT_TRUE(EventPosition(*m, 9, &measure, &step));
  EXPECT_EQ(measure, 4);
  EXPECT_EQ(step, 1);
  EXPECT_FALSE(EventPosition(*m, 10, &measure, &step));
  EXPECT_FALSE(EventPosition(*m, -1, &measure, &step));
}

TEST_F(EditRangeTest, SelectionEitherWayGivesTheSameRange) {
  struct {
    int32_t from, to;
    Range range;
  } cases[] = {
      {2, 5, {1, 2, 2, 9999}}, {5, 2, {1, 2, 2, 9999}},  // forwards and backwards
      {0, 0, {1, 1, 1, 9999}},                           // overlap flag masked
      {7, 9, {3, 1, 4, 9999}},                           // up to the end event
      {-1, 4, {1, 1, 2, 9999}},                          // a missing end counts as 0
  };
  for (const auto& c : cases) {
    m->selFrom = c.from;
    m->selTo = c.to;
    song.shared.editRange = EditRange{};
    ASSERT_TRUE(SelectionToRange(*m, song.shared));
    ExpectRange(song.shared.editRange, c.range, "selection");
    EXPECT_EQ(m->selFrom, c.from);  // kept as made
    EXPECT_EQ(m->selTo, c.to);
  }
}

TEST_F(EditRangeTest, WithoutSelectionTheCaretLineIsBothEnds) {
  m->topLine = 2;
  m->caretRow = 3;  // line 4
  ASSERT_TRUE(SelectionToRange(*m, song.shared));
  ExpectRange(song.shared.editRange, {2, 1, 2, 9999}, "caret");
  EXPECT_EQ(m->selFrom, 4);
  EXPECT_EQ(m->selTo, 4);
}

TEST_F(EditRangeTest, AskRangeFlagRunsToTheEndOfTheTrack) {
  song.shared.askRangeFlag = 1;
  m->topLine = 0;
  m->caretRow = 5;  // line 4, no selection
  ASSERT_TRUE(SelectionToRange(*m, song.shared));
  ExpectRange(song.shared.editRange, {2, 1, 4, 9999}, "from the caret");
  EXPECT_EQ(m->selFrom, 4);
  EXPECT_EQ(m->selTo, 9);

  m->selFrom = 2;
  m->selTo = 3;
  ASSERT_TRUE(SelectionToRange(*m, song.shared));
  ExpectRange(song.shared.editRange, {1, 2, 4, 9999}, "from the selection");
  EXPECT_EQ(m->selFrom, 2);
  EXPECT_EQ(m->selTo, 9);
}

TEST_F(EditRangeTest, RhythmGridCaretColumnChoosesTheLine) {
  ModelSong grid;
  grid.SetTrack(1, ThreeMeasures());
  StepEditModel& r = grid.Open(1, true);
  r.caretColumn = kRhythmFirstColumn + 2;
  const int32_t event = LineEvent(r, CaretLine(r));
  int measure = 0, step = 0;
  ASSERT_TRUE(EventPosition(r, event, &measure, &step));
  ASSERT_TRUE(SelectionToRange(r, grid.shared));
  EXPECT_EQ(r.selFrom, event);
  EXPECT_EQ(r.selTo, event);
  ExpectRange(grid.shared.editRange,
              {static_cast<uint32_t>(measure), static_cast<uint32_t>(step), static_cast<uint32_t>(measure), 9999},
              "grid caret");
}

TEST(EditRange, EmptyTrackGivesNoRangeAndChangesNothing) {
  ModelSong song;
  song.SetTrack(1, Track({}));
  StepEditModel& m = song.Open(1);
  song.shared.editRange = EditRange{7, 8, 9, 10, 1};
  song.shared.askRangeFlag = 1;
  EXPECT_FALSE(SelectionToRange(m, song.shared));
  ExpectRange(song.shared.editRange, {7, 8, 9, 10}, "empty");
  EXPECT_EQ(m.selFrom, -1);
  EXPECT_EQ(m.selTo, -1);
}

TEST_F(EditRangeTest, RangeBecomesTheSelection) {
  struct {
    const char* name;
    int32_t fromMeasure, fromStep, toMeasure, toStep;
    Range normal;
    int32_t selFrom, selTo;
  } cases[] = {
      {"measures 2 to 3", 2, 1, 3, 9999, {2, 1, 3, 9999}, 4, 8},
      {"first of a chord", 1, 2, 1, 9999, {1, 2, 1, 9999}, 1, 3},
      {"to step inside", 1, 1, 2, 1, {1, 1, 2, 1}, 0, 4},
      {"from step beyond its measure", 1, 7, 2, 9999, {1, 7, 2, 9999}, 4, 6},
      {"zero taken as 1", 0, 0, 0, 9999, {1, 1, 1, 9999}, 0, 3},
      {"negative taken as 1", -1, -5, 1, 9999, {1, 1, 1, 9999}, 0, 3},
      {"measures backwards", 3, 1, 2, 1, {2, 1, 3, 1}, 4, 7},
      {"steps backwards", 2, 2, 2, 1, {2, 1, 2, 2}, 4, 5},
      {"to past the track", 2, 1, 99, 9999, {2, 1, 99, 9999}, 4, 9},
      {"from past the track", 50, 1, 60, 9999, {50, 1, 60, 9999}, 9, 9},
  };
  for (const auto& c : cases) {
    m->selFrom = m->selTo = -1;
    song.shared.editRange = EditRange{static_cast<uint32_t>(c.fromMeasure), static_cast<uint32_t>(c.fromStep),
                                      static_cast<uint32_t>(c.toMeasure), static_cast<uint32_t>(c.toStep), 1};
    EXPECT_TRUE(RangeToSelection(*m, song.shared, 1, 1, 1, 9999 + 1)) << c.name;
    ExpectRange(song.shared.editRange, c.normal, c.name);
    EXPECT_EQ(m->selFrom, c.selFrom) << c.name;
    EXPECT_EQ(m->selTo, c.selTo) << c.name;
  }
}

TEST_F(EditRangeTest, UnchangedRangeKeepsTheSelection) {
  m->selFrom = 5;
  m->selTo = 2;
  ASSERT_TRUE(SelectionToRange(*m, song.shared));
  const EditRange before = song.shared.editRange;
  EXPECT_FALSE(
      RangeToSelection(*m, song.shared, before.fromMeasure, before.fromStep, before.toMeasure, before.toStep));
  EXPECT_EQ(m->selFrom, 5);
  EXPECT_EQ(m->selTo, 2);

  // Only the normalised values are compared: a backwards range that puts
  // itself in order equals the old one.
  song.shared.editRange = EditRange{2, 9999, 1, 2, 1};
  EXPECT_FALSE(
      RangeToSelection(*m, song.shared, before.fromMeasure, before.fromStep, before.toMeasure, before.toStep));
  EXPECT_EQ(m->selFrom, 5);

  song.shared.editRange.toMeasure = 3;  // the dialog changed the end
  EXPECT_TRUE(
      RangeToSelection(*m, song.shared, before.fromMeasure, before.fromStep, before.toMeasure, before.toStep));
  EXPECT_EQ(m->selFrom, 1);
  EXPECT_EQ(m->selTo, 8);
}

}  // namespace
