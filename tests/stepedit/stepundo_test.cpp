#include <gtest/gtest.h>

#include <cstring>

#include "lineindex.h"
#include "modelfixture.h"
#include "stepblocks.h"
#include "stepundo.h"

namespace {

using namespace modelfixture;

// An undo copy written by hand: head words, then the events.
void PutUndoCopy(StepEditModel& m, uint16_t top, uint16_t cursor, uint16_t count, const Events& events) {
  FreeStepUndo(m);
  const size_t bytes = (events.size() + 1) * sizeof(StepEvent);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  {
    Locked copy(h);
    uint16_t* head = copy.as<uint16_t>();
    head[0] = top;
    head[1] = cursor;
    head[2] = count;
    std::memcpy(copy.as<StepEvent>() + 1, events.data(), events.size() * sizeof(StepEvent));
  }
  auto* tb = static_cast<TrackBlock*>(LocalLock(m.trackBlock));
  tb->undo = h;
  LocalUnlock(m.trackBlock);
}

TEST(RestoreStepUndo, SwapsSoThatASecondUndoRedoes) {
  for (bool rhythm : {false, true}) {
    ModelSong song;
    const Events before = Track({Note(60, 120), Note(62, 120), MeasureEnd(), Note(64, 120), Note(65, 120)});
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1, rhythm);
    m.topLine = 1;
    if (rhythm) m.caretColumn = 19;
    else m.caretRow = 3;
    ASSERT_TRUE(SaveUndoCopy(m));

    // The edit: two events go and the view moves.
    ASSERT_TRUE(RemoveEvents(m, 1, 3));
    BuildTrackLineIndex(m, song.ctx);
    const Events edited = song.Read(1);
    m.topLine = 0;
    if (rhythm) m.caretColumn = 15;
    else m.caretRow = 1;

    EditResult r = RestoreStepUndo(m, song.ctx);
    ASSERT_EQ(r.status, EditStatus::Ok) << rhythm;
    EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
    EXPECT_TRUE(r.indexRebuilt);
    EXPECT_TRUE(SameBytes(song.Read(1), before));
    EXPECT_EQ(m.eventCount, 5);
    EXPECT_EQ(m.topLine, 1);
    EXPECT_EQ(rhythm ? m.caretColumn : m.caretRow, rhythm ? 19 : 3);

    r = RestoreStepUndo(m, song.ctx);
    ASSERT_EQ(r.status, EditStatus::Ok);
    EXPECT_TRUE(SameBytes(song.Read(1), edited));
    EXPECT_EQ(m.eventCount, 3);
    EXPECT_EQ(m.topLine, 0);
    EXPECT_EQ(rhythm ? m.caretColumn : m.caretRow, rhythm ? 15 : 1);
    EXPECT_TRUE(CanRestoreStepUndo(m));
  }
}

TEST(RestoreStepUndo, GrowsABlockTooSmallForTheCopy) {
  ModelSong song;
  const Events before = NotesTrack(40);
  song.SetTrack(1, before, false);
  StepEditModel& m = song.Open(1);
  ASSERT_TRUE(SaveUndoCopy(m));
  ASSERT_TRUE(RemoveEvents(m, 0, 38));
  ASSERT_TRUE(ShrinkEditorBlock(m, song.ctx));
  BuildTrackLineIndex(m, song.ctx);
  ASSERT_LT(SlotsOf(song.Block(1)), 41);

  ASSERT_EQ(RestoreStepUndo(m, song.ctx).status, EditStatus::Ok);
  // The song's table follows the grown block.
  EXPECT_EQ(song.Block(1), ReadTrackBlock(m).events);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  EXPECT_EQ(m.eventCount, 40);
}

TEST(RestoreStepUndo, AnOpenGapIsClosedSoTheWholeTrackIsKept) {
  ModelSong song;
  const Events before = Track({Note(60, 120), Note(62, 120), Note(64, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  ASSERT_TRUE(SaveUndoCopy(m));
  ASSERT_TRUE(RemoveEvents(m, 0, 1));
  BuildTrackLineIndex(m, song.ctx);
  const Events edited = song.Read(1);  // 62, 64
  m.caretRow = 2;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));  // only 62 in front of the gap

  ASSERT_EQ(RestoreStepUndo(m, song.ctx).status, EditStatus::Ok);
  EXPECT_EQ(m.indexCurrent, 1);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  ASSERT_EQ(RestoreStepUndo(m, song.ctx).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), edited));
}

TEST(RestoreStepUndo, UnusableCopiesAreFreedAndTheTrackKept) {
  struct Case {
    const char* name;
    uint16_t count;
    Events stored;
    bool beep;
  } cases[] = {
      {"no events", 0, Track({Note(70, 5)}), false},
      {"count past the block", 40, Track({Note(70, 5)}), true},
      {"no end event", 2, {Note(70, 5), Note(71, 5)}, true},
  };
  for (const Case& c : cases) {
    ModelSong song;
    const Events before = Track({Note(60, 120), Note(62, 120)});
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    PutUndoCopy(m, 0, 1, c.count, c.stored);
    EXPECT_FALSE(CanRestoreStepUndo(m)) << c.name;
    const EditResult r = RestoreStepUndo(m, song.ctx);
    EXPECT_EQ(r.status, EditStatus::Refused) << c.name;
    EXPECT_EQ(r.beep, c.beep) << c.name;
    EXPECT_EQ(r.stateBits, 0u) << c.name;
    EXPECT_EQ(ReadTrackBlock(m).undo, nullptr) << c.name;
    EXPECT_TRUE(SameBytes(song.Read(1), before)) << c.name;
    EXPECT_EQ(m.eventCount, 2) << c.name;
  }
}

TEST(RestoreStepUndo, WithoutACopyNothingHappens) {
  ModelSong song;
  const Events before = Track({Note(60, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  EXPECT_FALSE(CanRestoreStepUndo(m));
  EXPECT_EQ(RestoreStepUndo(m, song.ctx).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(RestoreStepUndo, AStoredTopLineBeyondTheTrackIsHeldToItsLines) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120)}));
  StepEditModel& m = song.Open(1);
  PutUndoCopy(m, 900, 0, 2, Track({Note(70, 5)}));
  ASSERT_EQ(RestoreStepUndo(m, song.ctx).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(70, 5)})));
  EXPECT_EQ(m.topLine, m.lineCount - 1);
  EXPECT_EQ(m.caretRow, 1);
}

}  // namespace
