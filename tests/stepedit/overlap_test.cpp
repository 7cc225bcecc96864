#include <gtest/gtest.h>

#include <vector>

#include "modelfixture.h"
#include "overlap.h"

namespace {

using namespace modelfixture;

std::vector<bool> Marks(const StepEditModel& m) {
  Locked table(ReadTrackBlock(m).positions);
  std::vector<bool> marks;
  for (int i = 0; i <= m.eventCount; ++i) marks.push_back((table.as<StepPosition>()[i].step & kOverlapBit) != 0);
  return marks;
}

void SetMark(const StepEditModel& m, int index) {
  Locked table(ReadTrackBlock(m).positions);
  table.as<StepPosition>()[index].step |= kOverlapBit;
}

void Change(const StepEditModel& m, int index, const StepEvent& e) {
  ModelEvents block(m);
  block.events()[index] = e;
}

TEST(OverlapFlags, GateChangeMarksAndUnmarksTheNote) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120, 100), Note(60, 120, 100)}));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(Marks(m), (std::vector<bool>{false, false, false}));

  struct {
    uint16_t gate;
    bool marked;
  } cases[] = {{121, true}, {120, false}, {1000, true}, {0, false}};
  for (const auto& c : cases) {
    Change(m, 0, Note(60, 120, c.gate));
    ASSERT_TRUE(RecomputeOverlapFlags(m, 0));
    EXPECT_EQ(Marks(m)[0], c.marked) << c.gate;
  }
}

// A change at an index reaches back to the notes before it.
TEST(OverlapFlags, KeyChangeLaterClearsTheEarlierNote) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120, 480), Note(62, 120), Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  ASSERT_EQ(Marks(m), (std::vector<bool>{true, false, false, false}));
  Change(m, 2, Note(64, 120));
  ASSERT_TRUE(RecomputeOverlapFlags(m, 2));
  EXPECT_EQ(Marks(m), (std::vector<bool>{false, false, false, false}));
  Change(m, 1, Note(60, 120));  // now the next note of the key comes sooner
  ASSERT_TRUE(RecomputeOverlapFlags(m, 1));
  EXPECT_EQ(Marks(m), (std::vector<bool>{true, false, false, false}));
}

// From the last event back, the walk gives what a full index build gives.
TEST(OverlapFlags, FromTheEndAgreesWithTheIndexBuild) {
  const Events tracks[] = {
      Track({Note(60, 10, 240), Note(60, 120), Note(62, 60, 1), Note(62, 0), Note(64, 30, 200, 0), Note(64, 30)}),
      Track({Note(60, 100, 300), Ev(0xF6, 'a', 'b', 'c'), MeasureEnd(), Ev(0xE7, 0, 50, 120), Note(60, 10)}),
      Track({Note(60, 100, 300), Note(60, 100, 50, 0), Note(61, 10), Note(60, 10, 0, 100), Note(60, 10)}),
      Track({Note(60, 10, 100), Note(60, 10, 100), Note(60, 10, 100), Note(60, 10)}),
  };
  for (const Events& t : tracks) {
    ModelSong song;
    song.SetTrack(1, t);
    StepEditModel& m = song.Open(1);
    const std::vector<bool> built = Marks(m);
    ASSERT_TRUE(built[0]);
    {
      Locked table(ReadTrackBlock(m).positions);
      for (int i = 0; i <= m.eventCount; ++i) table.as<StepPosition>()[i].step ^= kOverlapBit;  // all wrong
    }
    ASSERT_TRUE(RecomputeOverlapFlags(m, m.eventCount));
    EXPECT_EQ(Marks(m), built);
  }
}

// The walk stops once 32,767 steps (of codes below 0xF0) lie behind it.
TEST(OverlapFlags, WalkEndsWhenTheStepBudgetIsSpent) {
  struct {
    const char* name;
    Events events;
    bool firstCleared;
  } cases[] = {
      {"4 x 9,999 spent", Track({Note(48, 10), Note(62, 9999), Note(62, 9999), Note(62, 9999), Note(62, 9999)}), false},
      {"4 x 8,000 left", Track({Note(48, 10), Note(62, 8000), Note(62, 8000), Note(62, 8000), Note(62, 8000)}), true},
      {"text is no step",
       Track({Note(48, 10), Ev(0xF6, 'z', 0x7A7A, 0), Note(62, 9999), Note(62, 9999), Note(62, 9999)}), true},
  };
  for (const auto& c : cases) {
    ModelSong song;
    song.SetTrack(1, c.events);
    StepEditModel& m = song.Open(1);
    SetMark(m, 0);  // stale: the first note overlaps nothing
    ASSERT_TRUE(RecomputeOverlapFlags(m, 4));
    EXPECT_EQ(Marks(m)[0], !c.firstCleared) << c.name;
  }
}

TEST(OverlapFlags, IndexOutsideTheTrackChangesNothing) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120, 480), Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  SetMark(m, 1);
  EXPECT_FALSE(RecomputeOverlapFlags(m, 3));
  EXPECT_FALSE(RecomputeOverlapFlags(m, -1));
  EXPECT_EQ(Marks(m), (std::vector<bool>{true, true, false}));
}

}  // namespace
