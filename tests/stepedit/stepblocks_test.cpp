#include "stepblocks.h"

#include <gtest/gtest.h>

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

TEST(StepBlocks, CutThenInsertRestoresTheTrack) {
  ModelSong song;
  const Events before = Track({Note(60, 120), Note(62, 0), Note(64, 120), MeasureEnd(), Note(65, 240)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  Select(m, 1, 2);

  std::vector<StepEvent> block;
  EditResult r = CutStepBlock(m, song.ctx, &block);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 3u);
  ASSERT_EQ(block.size(), 3u);
  EXPECT_TRUE(SameEvent(block[0], Note(62, 0)));
  EXPECT_TRUE(SameEvent(block[1], Note(64, 120)));
  const uint8_t allFE[6] = {0xFE, 0xFE, 0xFE, 0x00, 0xFE, 0x00};  // step and gate 254
  EXPECT_EQ(0, std::memcmp(&block[2], allFE, 6));
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), MeasureEnd(), Note(65, 240)})));
  EXPECT_EQ(m.eventCount, 3);  // follows the block; the index is the caller's
  EXPECT_EQ(m.selFrom, 1);

  BuildTrackLineIndex(m, song.ctx);
  r = InsertStepBlock(m, song.ctx, block);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  EXPECT_EQ(m.eventCount, 5);
  EXPECT_EQ(m.lineCount, 6);
  EXPECT_EQ(m.selFrom, -1);
  EXPECT_EQ(m.selTo, -1);
}

TEST(StepBlocks, CutKeepsTheEndEventAndRefusesWithoutASelection) {
  ModelSong song;
  const Events before = Track({Note(60, 120), Note(62, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);

  std::vector<StepEvent> block;
  EditResult r = CutStepBlock(m, song.ctx, &block);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_EQ(r.stateBits, 0u);
  EXPECT_EQ(block.size(), 1u);
  EXPECT_TRUE(SameBytes(song.Read(1), before));

  Select(m, 1, 2);  // the second note and the end event's line
  r = CutStepBlock(m, song.ctx, &block);
  EXPECT_EQ(r.status, EditStatus::Ok);
  ASSERT_EQ(block.size(), 2u);
  EXPECT_TRUE(SameEvent(block[0], Note(62, 120)));
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120)})));
  EXPECT_EQ(m.eventCount, 1);

  BuildTrackLineIndex(m, song.ctx);
  Select(m, 1, 1);  // the end event alone
  r = CutStepBlock(m, song.ctx, &block);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120)})));
}

TEST(StepBlocks, InsertBlockAtTheFirstLineStopsAtItsEndEvent) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), MeasureEnd()}), false);
  StepEditModel& m = song.Open(1);
  const std::vector<StepEvent> block = {Note(70, 10), Note(71, 20), EndEvent(), Note(99, 99)};

  const EditResult r = InsertStepBlock(m, song.ctx, block);  // no selection: before the first event
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(70, 10), Note(71, 20), Note(60, 120), MeasureEnd()})));
  EXPECT_EQ(m.eventCount, 4);
  EXPECT_EQ(SlotsOf(song.Block(1)), kTrackSlots);  // a small block grows
}

TEST(StepBlocks, InsertBlockBeyondTheSlotsIsFullAndChangesNothing) {
  ModelSong song;
  const Events before = NotesTrack(kMaxTrackEvents);
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  Select(m, 4, 6);
  const std::vector<StepEvent> block = {Note(70, 10), Note(71, 20), EndEvent()};

  const EditResult r = InsertStepBlock(m, song.ctx, block);
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageId, kTrackFullMessageId);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  EXPECT_EQ(m.selFrom, 4);
}

struct CaretCase {
  StepEvent event;
  int16_t column;      // caret column after the insert (11 = unchanged)
  bool lineDown, scrollBars, renumber;
  StepEvent stored;    // the event as it stands in the track afterwards
};

TEST(StepBlocks, InsertStepEventPlacesTheCaretByKind) {
  const CaretCase cases[] = {
      {Ev(0xEB, 64, 0, 7), 31, false, false, false, Ev(0xEB, 64, 0, 7)},
      {Ev(0xEB, 0, 0, 64), 31, false, false, false, Ev(0xEB, 0, 0, 64)},
      {Ev(0xEB, 64, 0, 2), 27, false, false, false, Ev(0xEB, 64, 0, 2)},
      {Ev(0xEE, 64, 0, 0), 31, false, false, false, Ev(0xEE, 64, 0, 0)},
      {Ev(0xF5, 0, 3, 0), 22, false, false, false, Ev(0xF5, 0, 3, 0)},
      {Ev(0xF8, 0, 1, 0), 22, false, false, false, Ev(0xF8, 0, 1, 0)},
      // The reference to measure 1 is pointed at its first event (0 + 48).
      {Ev(0xFC, 0, 0, 0), 22, false, true, true, Ev(0xFC, 0, 0, 48)},
      {Ev(0xF9, 0, 0, 0), 11, true, false, false, Ev(0xF9, 0, 0, 0)},
      {Ev(0xFD, 0, 0, 0), 11, true, true, false, Ev(0xFD, 0, 0, 0)},
      {Note(64, 0), 27, false, false, false, Note(64, 0)},
  };
  for (const CaretCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << int{c.event.code} << " gate " << c.event.gate);
    ModelSong song;
    song.SetTrack(1, Track({Note(60, 120), Note(62, 120)}));
    StepEditModel& m = song.Open(1);
    m.caretRow = 2;

    const EditResult r = InsertStepEvent(m, song.ctx, c.event);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), c.stored, Note(62, 120)})));
    EXPECT_EQ(m.caretColumn, c.column);
    EXPECT_EQ(r.lineDown, c.lineDown);
    EXPECT_EQ(r.scrollBars, c.scrollBars);
    EXPECT_EQ(r.renumberRefs, c.renumber);
    EXPECT_FALSE(r.rightArrow);
    EXPECT_EQ(r.stateBits, 3u);  // the event count changed, whatever the step
    EXPECT_EQ(m.eventCount, 3);
  }
}

TEST(StepBlocks, InsertStepEventOnTheRhythmGridMovesRightAfterMarks) {
  const std::pair<StepEvent, bool> cases[] = {
      {Ev(0xF8, 0, 1, 0), true}, {Ev(0xF9, 0, 0, 0), true}, {Ev(0xFD, 0, 0, 0), true}, {Note(38, 0), false}};
  for (const auto& [event, right] : cases) {
    SCOPED_TRACE(int{event.code});
    ModelSong song;
    song.SetTrack(1, Track({Note(36, 120), Note(38, 120)}));
    StepEditModel& m = song.Open(1, true);
    m.caretColumn = kRhythmFirstColumn + 2;  // line 1

    const EditResult r = InsertStepEvent(m, song.ctx, event);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(36, 120), event, Note(38, 120)})));
    EXPECT_EQ(r.rightArrow, right);
    EXPECT_FALSE(r.lineDown);
    EXPECT_EQ(m.caretColumn, kRhythmFirstColumn + 2);
  }
}

TEST(StepBlocks, InsertStepEventIsSilentlyRefusedAtTheLimit) {
  ModelSong song;
  const Events full = NotesTrack(kMaxTrackEvents);
  song.SetTrack(1, full);
  StepEditModel& m = song.Open(1);
  EditResult r = InsertStepEvent(m, song.ctx, Note(60, 0));
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_EQ(r.messageId, 0u);
  EXPECT_FALSE(r.beep);
  EXPECT_TRUE(SameBytes(song.Read(1), full));
  EXPECT_EQ(m.eventCount, kMaxTrackEvents);

  song.SetTrack(2, NotesTrack(kMaxTrackEvents - 1));
  StepEditModel& last = song.Open(2);
  r = InsertStepEvent(last, song.ctx, Note(60, 0));
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(last.eventCount, kMaxTrackEvents);
  EXPECT_EQ(song.Read(2).back().code, kEndCode);
}

TEST(StepBlocks, InsertEventsAtCaretWritesMemoRestAndChordInPlaceOfTheNote) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 480, 240), MeasureEnd()}));
  StepEditModel& m = song.Open(1);
  const StepEvent chord[] = {Note(67, 0, 240), Note(64, 0, 240), Note(60, 480, 240)};

  const EditResult r =
      InsertEventsAtCaret(m, song.ctx, 1, chord, 3, std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXY"), 120);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(r.lineDown);
  EXPECT_TRUE(r.scrollBars);
  EXPECT_EQ(r.stateBits, 3u);
  const Events expected = Track({
      Ev(0xF6, 0x41, 0x4342, 0x4544),
      Ev(0xF7, 0x46, 0x4847, 0x4A49),
      Ev(0xF7, 0x4B, 0x4D4C, 0x4F4E),
      Ev(0xF7, 0x50, 0x5251, 0x5453),
      Ev(0xF7, 0x55, 0x5756, 0x5958),
      Ev(60, 0, 120, 0),
      Note(67, 0, 240), Note(64, 0, 240), Note(60, 480, 240),
      MeasureEnd(),
  });
  EXPECT_TRUE(SameBytes(song.Read(1), expected));
  EXPECT_EQ(m.eventCount, 10);
  EXPECT_EQ(m.lineCount, 7);  // memo, rest, three notes, measure end, end

  // A short memo is padded with blanks.
  StepEvent packed[kMemoEvents];
  PackMemoEvents("Cm", packed);
  EXPECT_TRUE(SameEvent(packed[0], Ev(0xF6, 'C', 0x206D, 0x2020)));
  EXPECT_TRUE(SameEvent(packed[4], Ev(0xF7, 0x20, 0x2020, 0x2020)));
}

TEST(StepBlocks, InsertEventsAtCaretKeepsEventsThatAreNotTheChordsNote) {
  struct Case {
    const char* name;
    Events track;
    int caretRow;
    bool openGap;
    Events expected;
  };
  const StepEvent added[] = {Note(72, 0), Note(76, 240)};
  const Case cases[] = {
      {"note replaced", Track({Note(60, 240), Note(62, 240)}), 2, false,
       Track({Note(60, 240), Note(72, 0), Note(76, 240)})},
      {"measure end kept", Track({Note(60, 240), MeasureEnd()}), 2, false,
       Track({Note(60, 240), Note(72, 0), Note(76, 240), MeasureEnd()})},
      {"end event kept", Track({Note(60, 240)}), 2, false, Track({Note(60, 240), Note(72, 0), Note(76, 240)})},
      {"open gap kept", Track({Note(60, 240), Note(62, 240)}), 2, true,
       Track({Note(60, 240), Note(72, 0), Note(76, 240), Note(62, 240)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModelSong song;
    song.SetTrack(1, c.track);
    StepEditModel& m = song.Open(1);
    m.caretRow = static_cast<int16_t>(c.caretRow);
    if (c.openGap) {
      ASSERT_TRUE(OpenInsertGap(m, song.ctx, m.topLine));
    }

    const EditResult r = InsertEventsAtCaret(m, song.ctx, c.caretRow, added, 2, std::nullopt, 0);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_TRUE(SameBytes(song.Read(1), c.expected));
    EXPECT_EQ(m.indexCurrent, 1);
    EXPECT_EQ(m.eventCount, static_cast<int32_t>(c.expected.size()) - 1);
  }
}

TEST(StepBlocks, InsertEventsAtCaretCountsMemoAndRestAgainstTheLimit) {
  const StepEvent chord[] = {Note(67, 0), Note(64, 0), Note(60, 480)};
  // 3 notes + 1 rest + 5 memo events.
  for (const auto& [used, fits] : {std::pair{kMaxTrackEvents - 10, true}, std::pair{kMaxTrackEvents - 9, false}}) {
    SCOPED_TRACE(used);
    ModelSong song;
    const Events before = NotesTrack(used);
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);

    const EditResult r = InsertEventsAtCaret(m, song.ctx, 1, chord, 3, std::string_view("C"), 60);
    if (fits) {
      EXPECT_EQ(r.status, EditStatus::Ok);
      continue;
    }
    EXPECT_EQ(r.status, EditStatus::TrackFull);
    EXPECT_EQ(r.messageId, kTrackFullMessageId);
    EXPECT_TRUE(r.messageStyle & MB_ICONEXCLAMATION);
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_TRUE(SameBytes(song.Read(1), before));
    EXPECT_EQ(m.eventCount, used);
  }
}

TEST(StepBlocks, DeleteInOneTrackPutsTheCaretOnTheFirstDeletedLine) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120), Note(64, 120), Note(65, 120), MeasureEnd()}));
  song.SetTrack(2, Track({Note(40, 480), MeasureEnd(), Note(41, 480)}));
  StepEditModel& m = song.Open(1);
  Select(m, 2, 1);  // made upwards

  const EditResult r = DeleteStepSelection(m, song.ctx);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_TRUE(r.refreshTracks.empty());
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), Note(65, 120), MeasureEnd()})));
  EXPECT_TRUE(SameBytes(song.Read(2), Track({Note(40, 480), MeasureEnd(), Note(41, 480)})));
  EXPECT_EQ(m.eventCount, 3);
  EXPECT_EQ(m.lineCount, 4);
  EXPECT_EQ(m.selFrom, -1);
  EXPECT_EQ(m.selTo, -1);
  EXPECT_EQ(m.topLine, 0);
  EXPECT_EQ(m.caretRow, 2);

  const Events after = song.Read(1);
  Select(m, 3, 3);  // the end event alone
  EXPECT_EQ(DeleteStepSelection(m, song.ctx).status, EditStatus::Refused);
  m.selFrom = m.selTo = -1;
  EXPECT_EQ(DeleteStepSelection(m, song.ctx).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), after));
}

TEST(StepBlocks, CaretAfterDeletingTheLastLines) {
  {
    SCOPED_TRACE("anchor above");
    ModelSong song;
    song.SetTrack(1, NotesTrack(10));
    StepEditModel& m = song.Open(1);
    m.topLine = m.anchorLine = 4;
    Select(m, 7, 10);  // through the end event's line
    ASSERT_EQ(DeleteStepSelection(m, song.ctx).status, EditStatus::Ok);
    EXPECT_EQ(m.eventCount, 7);
    EXPECT_EQ(song.Read(1).size(), 8u);  // the end event stays
    EXPECT_EQ(m.topLine, 4);
    EXPECT_EQ(m.caretRow, 4);
    EXPECT_EQ(LineEvent(m, CaretLine(m)), m.eventCount);
  }
  {
    SCOPED_TRACE("anchor below the deleted line");
    ModelSong song;
    song.SetTrack(1, NotesTrack(10));
    StepEditModel& m = song.Open(1);
    m.topLine = m.anchorLine = 9;
    Select(m, 7, 9);
    ASSERT_EQ(DeleteStepSelection(m, song.ctx).status, EditStatus::Ok);
    EXPECT_EQ(m.topLine, 7);
    EXPECT_EQ(m.caretRow, 1);
  }
  {
    SCOPED_TRACE("rhythm grid: the line is gone");
    ModelSong song;
    // The measure end splits the grid; without it the memo and the end
    // event join the step-0 note's column.
    song.SetTrack(1, Track({Note(40, 120), Note(36, 0), MeasureEnd(), Ev(0xF6, ' ', 0x2020, 0x2020)}));
    StepEditModel& m = song.Open(1, true);
    ASSERT_EQ(m.lineCount, 4);
    Select(m, 2, 2);
    ASSERT_EQ(DeleteStepSelection(m, song.ctx).status, EditStatus::Ok);
    EXPECT_EQ(m.lineCount, 2);
    EXPECT_EQ(m.topLine, 1);  // the last line
    EXPECT_EQ(m.caretColumn, kRhythmFirstColumn);
  }
}

TEST(StepBlocks, DeleteOverAllTracksRemovesWholeMeasuresEverywhere) {
  ModelSong song;
  // Measures: [0-2] [3-5] [6-7].
  song.SetTrack(1, Track({Note(60, 240), Note(62, 240), MeasureEnd(), Note(64, 240), Note(65, 240), MeasureEnd(),
                          Note(67, 480), MeasureEnd()}));
  song.SetTrack(2, Track({Note(48, 480), MeasureEnd(), Note(50, 240), Note(52, 240), MeasureEnd(), Note(53, 480),
                          MeasureEnd()}));
  song.SetTrack(3, Track({Note(36, 480), MeasureEnd(), Note(38, 480), MeasureEnd()}));
  // A same-measure event after a note is measure 2 by itself.
  const StepEvent sameMeasure = Ev(0xFC, 0, 0, 48);
  song.SetTrack(4, Track({Note(60, 480), sameMeasure, Note(62, 480), MeasureEnd()}), false);
  const Events oneMeasure = Track({Note(40, 480)});
  song.SetTrack(5, oneMeasure, false);

  StepEditModel& m = song.Open(1);
  StepEditModel& other = song.Open(2);
  other.topLine = 3;
  other.caretRow = 2;
  Select(other, 5, 6);
  StepEditModel& grid = song.Open(3, true);
  grid.caretColumn = kRhythmFirstColumn + 6;
  Select(grid, 0, 1);
  for (int n = 1; n <= 5; ++n) song.ctx.windows->state[n - 1] = 0;

  Select(m, 4, 4);  // one note of measure 2
  song.ctx.shared->allTracksFlag = 1;
  const EditResult r = DeleteStepSelection(m, song.ctx);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(song.ctx.shared->allTracksFlag, 0);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_EQ(r.refreshTracks, (std::vector<int>{2, 3}));

  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 240), Note(62, 240), MeasureEnd(), Note(67, 480), MeasureEnd()})));
  EXPECT_TRUE(SameBytes(song.Read(2), Track({Note(48, 480), MeasureEnd(), Note(53, 480), MeasureEnd()})));
  EXPECT_TRUE(SameBytes(song.Read(3), Track({Note(36, 480), MeasureEnd()})));
  EXPECT_TRUE(SameBytes(song.Read(4), Track({Note(60, 480), Note(62, 480), MeasureEnd()})));
  EXPECT_TRUE(SameBytes(song.Read(5), oneMeasure));
  for (int n : {2, 3, 4}) {
    EXPECT_EQ(song.State(n), 3u) << n;
  }
  EXPECT_EQ(song.State(5), 0u);

  EXPECT_EQ(m.eventCount, 5);
  EXPECT_EQ(m.topLine, 0);
  EXPECT_EQ(m.caretRow, 4);  // line 3, where measure 2 began

  EXPECT_EQ(other.eventCount, 4);
  EXPECT_EQ(other.topLine, 2);
  EXPECT_EQ(other.caretRow, 1);
  EXPECT_EQ(other.selFrom, -1);
  EXPECT_EQ(other.selTo, -1);
  EXPECT_EQ(grid.eventCount, 2);
  EXPECT_EQ(grid.topLine, 2);
  EXPECT_EQ(grid.caretColumn, kRhythmFirstColumn);
  EXPECT_EQ(grid.selFrom, -1);
}

TEST(StepBlocks, CutCaretLineTakesTheWholeLineOfThisTrackOnly) {
  ModelSong song;
  const Events memo = {Ev(0xF6, 'a', 0x2020, 0x2020), Ev(0xF7, ' ', 0x2020, 0x2020), Ev(0xF7, ' ', 0x2020, 0x2020),
                       Ev(0xF7, ' ', 0x2020, 0x2020), Ev(0xF7, ' ', 0x2020, 0x2020)};
  Events track = {Note(60, 120)};
  track.insert(track.end(), memo.begin(), memo.end());
  track.push_back(Note(62, 120));
  track.push_back(EndEvent());
  song.SetTrack(1, track);
  const Events second = Track({Note(40, 480), MeasureEnd()});
  song.SetTrack(2, second);
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;
  song.ctx.shared->allTracksFlag = 1;  // left over: a line cut never reaches other tracks

  std::vector<StepEvent> cut;
  EditResult r = CutCaretLine(m, song.ctx, &cut);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(cut, memo));
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), Note(62, 120)})));
  EXPECT_TRUE(SameBytes(song.Read(2), second));
  EXPECT_EQ(m.pendingCommand, 0);
  EXPECT_EQ(m.caretRow, 2);
  EXPECT_EQ(m.selFrom, -1);

  // The end event's line has nothing to cut.
  const Events after = song.Read(1);
  m.caretRow = 3;
  r = CutCaretLine(m, song.ctx, &cut);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(cut.empty());
  EXPECT_TRUE(SameBytes(song.Read(1), after));
  EXPECT_EQ(m.pendingCommand, 0);
}

TEST(StepBlocks, FreeStepUndoReleasesTheCopy) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  ASSERT_TRUE(SaveUndoCopy(m));
  ASSERT_NE(ReadTrackBlock(m).undo, nullptr);
  FreeStepUndo(m);
  EXPECT_EQ(ReadTrackBlock(m).undo, nullptr);
  FreeStepUndo(m);  // nothing left to free
  EXPECT_EQ(ReadTrackBlock(m).undo, nullptr);
}

}  // namespace
