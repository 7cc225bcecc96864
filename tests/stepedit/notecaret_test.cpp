// A note written at the caret line of the editor model: the values kept and
// taken from above, the skip past command lines, the gap state and a full
// track.
#include <gtest/gtest.h>

#include <vector>

#include "fieldedit.h"
#include "lineindex.h"
#include "modelfixture.h"
#include "notecaret.h"

namespace {

using namespace modelfixture;

// Every slot of a block, to show a refused edit left it alone.
std::vector<uint8_t> BlockBytes(HGLOBAL h) {
  Locked block(h);
  const auto* p = block.as<uint8_t>();
  return std::vector<uint8_t>(p, p + GlobalSize(h));
}

TEST(SetNoteAtCaretTest, StepMinusTwoTakesTheNearestTimedNoteAbove) {
  struct {
    const char* name;
    Events events;  // the caret is on the last event
    StepEvent result;
  } cases[] = {
      {"PastUntimedNotesAndCommands",
       Track({Note(50, 96, 80), Ev(0xEB, 10, 12, 7), Note(52, 0, 30), Note(0, 48, 40, 64)}), Note(62, 96, 80, 64)},
      {"NoneAboveGivesDefaults", Track({Ev(0xEB, 10, 12, 7), Note(0, 48, 40, 64)}), Note(62, 24, 20, 64)},
  };
  for (const auto& c : cases) {
    ModelSong song;
    song.SetTrack(1, c.events);
    StepEditModel& m = song.Open(1);
    song.ctx.settings.midiInSkipEvent = 0;
    const int32_t caret = static_cast<int32_t>(c.events.size()) - 2;
    m.caretRow = static_cast<int16_t>(caret + 1);
    const EditResult r = SetNoteAtCaret(m, song.ctx, 62, kStepFromNoteAbove, 7, kKeepValue);
    EXPECT_EQ(r.status, EditStatus::Ok) << c.name;
    EXPECT_EQ(r.stateBits, kStateModified | kStateTiming) << c.name;
    EXPECT_TRUE(r.indexRebuilt) << c.name;
    Events expected = c.events;
    expected[caret] = c.result;
    EXPECT_TRUE(SameBytes(song.Read(1), expected)) << c.name;
    EXPECT_EQ(CaretLine(m), caret) << c.name << ": without MIDIINSkipEvent the caret stays";
  }
}

TEST(SetNoteAtCaretTest, SkipEventScrollsPastCommandLinesToTheNextNote) {
  const Events events = Track({Note(50, 96, 80), Note(0, 10, 5), Ev(0xEB, 10, 0, 7), Ev(0xE7, 64, 0, 120),
                               Note(0, 10, 5), Note(0, 10, 5)});
  struct {
    const char* name;
    int caretLine;
    int key;
    bool written;
    int caretAfter;
  } cases[] = {
      {"FromANote", 1, 64, true, 4},
      {"FromACommandNothingWritten", 2, 64, false, 4},
  };
  for (const auto& c : cases) {
    ModelSong song;
    song.SetTrack(1, events);
    StepEditModel& m = song.Open(1);
    m.caretRow = 2;
    m.topLine = c.caretLine - 1;
    const EditResult r = SetNoteAtCaret(m, song.ctx, c.key, kKeepValue, kKeepValue, kKeepValue);
    EXPECT_EQ(r.stateBits != 0, c.written) << c.name;
    Events expected = events;
    if (c.written) expected[c.caretLine].code = static_cast<uint8_t>(c.key);
    EXPECT_TRUE(SameBytes(song.Read(1), expected)) << c.name;
    // A line-down scroll: the list moves, the caret keeps its row.
    EXPECT_EQ(CaretLine(m), c.caretAfter) << c.name;
    EXPECT_EQ(m.caretRow, 2) << c.name;
    EXPECT_TRUE(r.scrollBars) << c.name;
    EXPECT_EQ(m.indexCurrent, 1) << c.name;
  }
}

TEST(SetNoteAtCaretTest, SkipEventToTheEndLineOpensALineThere) {
  ModelSong song;
  song.SetTrack(1, Track({Note(50, 96, 80), Ev(0xEB, 10, 0, 7)}));
  StepEditModel& m = song.Open(1);
  song.shared.stepInputMode = 9;
  SetNoteAtCaret(m, song.ctx, 55, kKeepValue, kKeepValue, kKeepValue);
  EXPECT_EQ(CaretLine(m), 2);
  EXPECT_EQ(m.indexCurrent, 0) << "the next note appends";
  EXPECT_EQ(song.shared.stepInputMode, 8u);
  EXPECT_EQ(PresentEvents(m), 2);
}

TEST(SetNoteAtCaretTest, TheGapStateAppendsAtTheEndLineFirst) {
  ModelSong song;
  song.SetTrack(1, Track({Note(50, 96, 80, 90), Note(52, 48, 40, 70)}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;  // line 1: the line opens before the second note
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, m.topLine));
  ASSERT_EQ(LineEvent(m, CaretLine(m)), m.eventCount);

  const EditResult r = SetNoteAtCaret(m, song.ctx, 72, kKeepValue, kKeepValue, 99);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_NE(r.stateBits & kStateModified, 0u);
  EXPECT_EQ(m.eventCount, 2);
  EXPECT_EQ(CaretLine(m), 2) << "on to the new end line";
  EXPECT_EQ(m.indexCurrent, 0);
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  // The appended note copies the one above and takes the key and velocity.
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(50, 96, 80, 90), Note(72, 96, 80, 99), Note(52, 48, 40, 70)})));
}

TEST(SetNoteAtCaretTest, AFullTrackRefusesTheAppendAndKeepsItsEndEvent) {
  ModelSong song;
  song.SetTrack(1, NotesTrack(kMaxTrackEvents));
  StepEditModel& m = song.Open(1);
  m.topLine = kMaxTrackEvents;  // the end line
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, m.topLine));
  const std::vector<uint8_t> before = BlockBytes(song.Block(1));
  const int32_t count = m.eventCount, top = m.topLine;

  const EditResult r = SetNoteAtCaret(m, song.ctx, 60, kKeepValue, kKeepValue, 100);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(r.beep);
  EXPECT_EQ(r.stateBits, 0u);
  EXPECT_EQ(BlockBytes(song.Block(1)), before);
  EXPECT_EQ(m.eventCount, count);
  EXPECT_EQ(m.topLine, top) << "the caret stays";
}

}  // namespace
