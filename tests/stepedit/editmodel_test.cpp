#include <gtest/gtest.h>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

TEST(EditModel, AttachIndexesTheTrackAndEntersStateTwo) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120), MeasureEnd(), Note(64, 240)}));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(m.eventCount, 4);
  EXPECT_EQ(m.lineCount, 5);  // the end event has a line of its own
  EXPECT_EQ(m.indexCurrent, 1);
  EXPECT_EQ(m.selFrom, -1);
  EXPECT_EQ(m.caretColumn, kStepListColumn);
  EXPECT_EQ(song.State(1), 2u);
  EXPECT_EQ(LineEvent(m, 3), 3);
  EXPECT_EQ(LineEvent(m, 9), 4);  // past the last line: the end event
  EXPECT_EQ(LineOfEvent(m, 3), 3);
}

TEST(EditModel, RhythmTrackOpensOnTheGrid) {
  ModelSong song;
  song.SetTrack(1, Track({Note(36, 120)}));
  StepEditModel& m = song.Open(1, true);
  EXPECT_EQ(m.viewMode, kModeRhythmGrid);
  EXPECT_EQ(m.caretColumn, kRhythmFirstColumn);
}

TEST(EditModel, GapOpenInsertCloseAndUndoCopy) {
  ModelSong song;
  const Events before = Track({Note(60, 120), Note(62, 120), Note(64, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;  // line 1

  ASSERT_TRUE(SaveUndoCopy(m));
  {
    Locked undo(ReadTrackBlock(m).undo);
    const auto* head = undo.as<uint16_t>();
    EXPECT_EQ(head[2], 4);  // events and the end event
    EXPECT_EQ(0, std::memcmp(undo.as<StepEvent>() + 1, before.data(), before.size() * sizeof(StepEvent)));
  }

  ASSERT_TRUE(OpenInsertGap(m, song.ctx, m.topLine));
  EXPECT_EQ(m.indexCurrent, 0);
  EXPECT_EQ(m.eventCount, 1);  // the front part, as the index now shows
  EXPECT_EQ(m.lineCount, 2);
  {
    ModelEvents block(m);
    block.events()[1] = Note(70, 30);
    block.events()[2] = EndEvent();
  }
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  EXPECT_EQ(m.indexCurrent, 1);
  EXPECT_EQ(m.gapTail, 0);
  EXPECT_EQ(m.eventCount, 4);
  EXPECT_EQ(m.lineCount, 5);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), Note(70, 30), Note(62, 120), Note(64, 120)})));
}

TEST(EditModel, InsertAndRemoveKeepTheEndEventAndGrowASmallBlock) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}), false);
  StepEditModel& m = song.Open(1);
  const StepEvent added[] = {Note(61, 1), Note(62, 2), Note(63, 3)};
  ASSERT_TRUE(InsertEventsAt(m, song.ctx, 0, added, 3));
  EXPECT_EQ(m.eventCount, 4);
  EXPECT_EQ(SlotsOf(song.Block(1)), kTrackSlots);  // grown, the song's table in step
  EXPECT_EQ(SlotsOf(ReadTrackBlock(m).events), kTrackSlots);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(61, 1), Note(62, 2), Note(63, 3), Note(60, 120)})));

  EXPECT_FALSE(InsertEventsAt(m, song.ctx, 6, added, 1));  // past the end event
  EXPECT_FALSE(RemoveEvents(m, 2, 5));
  ASSERT_TRUE(RemoveEvents(m, 1, 3));
  EXPECT_EQ(m.eventCount, 2);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(61, 1), Note(60, 120)})));
}

TEST(EditModel, NewBlockFromAMixIsGrownForTheCurrentEditor) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  m.topLine = 3;
  // The mix stores a block sized to its events in the song.
  song.SetTrack(1, Track({Note(60, 60), Note(64, 60)}), false);
  ASSERT_TRUE(PointEditorAtBlock(m, song.ctx, song.Block(1), true));
  EXPECT_EQ(SlotsOf(song.Block(1)), kTrackSlots);
  EXPECT_EQ(ReadTrackBlock(m).events, song.Block(1));
  EXPECT_EQ(m.eventCount, 2);
  EXPECT_EQ(m.topLine, 0);
  // Now the gap can open at the last line.
  m.caretRow = 3;
  EXPECT_TRUE(OpenInsertGap(m, song.ctx, 0));
}

}  // namespace
