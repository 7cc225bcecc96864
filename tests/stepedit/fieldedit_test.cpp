#include <gtest/gtest.h>

#include "fieldedit.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

TEST(ClampStepEvent, HoldsEachCodeWithinWhatItCarries) {
  struct Case {
    StepEvent in, out;
  } cases[] = {
      {{60, 200, 9999, 9999}, {60, 127, 9999, 9999}},
      {{0xEB, 200, 5, 300}, {0xEB, 127, 5, 127}},
      {{0x98, 130, 5, 200}, {0x98, 127, 5, 127}},
      {{0xC0, 200, 5, 300}, {0xC0, 127, 5, 300}},
      {{0xCF, 200, 5, 300}, {0xCF, 200, 5, 127}},
      {{0xE6, 9, 5, 40}, {0xE6, 0, 5, 32}},
      {{0xEC, 9, 5, 128}, {0xEC, 0, 5, 127}},
      {{0xF5, 0, 40, 0}, {0xF5, 0, 31, 0}},
      {{0xF8, 0, 3, 300}, {0xF8, 0, 3, 127}},
      {{0xE7, 255, 480, 300}, {0xE7, 255, 480, 300}},   // tempo: left alone
      {{0xEB, 5, 5, 0xFFFF}, {0xEB, 5, 5, 0xFFFF}},     // -1 is below the limit
  };
  for (const Case& c : cases) {
    StepEvent e = c.in;
    ClampStepEvent(e);
    EXPECT_TRUE(SameBytes({e}, {c.out})) << std::hex << int(c.in.code);
  }
}

TEST(RepeatPreviousLineInGap, AppendToAnEmptyTrackUsesTheDefaults) {
  for (uint16_t tb : {480, 96}) {
    ModelSong song;
    song.ctx.timeBase = tb;
    song.SetTrack(1, Track({}));
    StepEditModel& m = song.Open(1);
    ClearStepFieldBuffer(song.shared);
    song.shared.fieldBuffer[0] = '7';
    const EditResult r = RepeatPreviousLineInGap(m, song.ctx);
    ASSERT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
    EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, tb / 2, tb * 5 / 12, 64)}))) << tb;
    EXPECT_EQ(m.eventCount, 1);
    EXPECT_EQ(m.lineCount, 2);
    EXPECT_EQ(LineEvent(m, 1), 1);
    EXPECT_FALSE(StepFieldChanged(song.shared));
  }
}

TEST(RepeatPreviousLineInGap, CopiesTheNoteAboveIntoAnOpenGap) {
  ModelSong song;
  song.SetTrack(1, Track({Note(64, 120, 90, 70), Ev(0xEB, 64, 0, 7), Note(50, 240)}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 3;  // the controller's line: the gap opens before it
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));
  m.caretRow = 3;  // the gap's end line
  const EditResult r = RepeatPreviousLineInGap(m, song.ctx);
  ASSERT_EQ(r.status, EditStatus::Ok);
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(64, 120, 90, 70), Ev(0xEB, 64, 0, 7), Note(64, 120, 90, 70),
                                             Note(50, 240)})));
}

TEST(RepeatPreviousLineInGap, FullTrackOrCaretAwayFromTheEndIsRefused) {
  ModelSong song;
  const Events full = NotesTrack(kMaxTrackEvents);
  song.SetTrack(1, full);
  StepEditModel& m = song.Open(1);
  m.topLine = kMaxTrackEvents;  // the end line
  EditResult r = RepeatPreviousLineInGap(m, song.ctx);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(r.beep);
  EXPECT_TRUE(SameBytes(song.Read(1), full));

  song.SetTrack(2, Track({Note(60, 10)}));
  StepEditModel& two = song.Open(2);
  r = RepeatPreviousLineInGap(two, song.ctx);  // caret on the note, not the end
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(2), Track({Note(60, 10)})));
}

}  // namespace
