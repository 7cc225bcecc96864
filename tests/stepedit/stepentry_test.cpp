#include <gtest/gtest.h>

#include <cstring>

#include "fieldedit.h"
#include "lineindex.h"
#include "modelfixture.h"
#include "stepentry.h"

namespace {

using namespace modelfixture;

constexpr int kSteps[10] = {1920, 1440, 960, 720, 480, 360, 240, 180, 120, 60};
constexpr int kGates[10] = {1900, 1420, 920, 680, 450, 340, 220, 160, 100, 50};
constexpr uint32_t kFKeyMode = 10;  // MIDI(fkey), no gap

void DefaultKeys(ModelSong& song) {
  std::memcpy(song.ctx.settings.fkeyStep, kSteps, sizeof kSteps);
  std::memcpy(song.ctx.settings.fkeyGate, kGates, sizeof kGates);
}

void Type(ModelSong& song, const char* text) {
  ClearStepFieldBuffer(song.shared);
  std::memcpy(song.shared.fieldBuffer, text, std::strlen(text));
}

// --- RepeatPreviousLine -------------------------------------------------

TEST(RepeatPreviousLine, CopiesByTheCaretColumn) {
  struct Case {
    int16_t column;
    StepEvent expected;
    uint32_t bits;
  } cases[] = {
      {11, Note(64, 120, 90, 70), kStateModified | kStateTiming},
      {17, Note(64, 120, 90, 70), kStateModified | kStateTiming},
      {22, Note(50, 120, 90, 70), kStateModified | kStateTiming},
      {27, Note(50, 240, 90, 70), kStateModified},
      {31, Note(50, 240, 10, 70), kStateModified},
  };
  for (const Case& c : cases) {
    ModelSong song;
    song.SetTrack(1, Track({Note(64, 120, 90, 70), Ev(0xEB, 64, 0, 7), Note(50, 240, 10, 100)}));
    StepEditModel& m = song.Open(1);
    m.caretRow = 3;
    m.caretColumn = c.column;
    const EditResult r = RepeatPreviousLine(m, song.ctx);
    ASSERT_EQ(r.status, EditStatus::Ok) << c.column;
    EXPECT_EQ(r.stateBits, c.bits) << c.column;
    EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(64, 120, 90, 70), Ev(0xEB, 64, 0, 7), c.expected})))
        << c.column;
  }
}

TEST(RepeatPreviousLine, WithoutANoteAboveTakesTheDefaults) {
  ModelSong song;
  song.ctx.timeBase = 96;
  song.SetTrack(1, Track({Note(50, 240, 10, 100)}));
  StepEditModel& m = song.Open(1);
  ASSERT_EQ(RepeatPreviousLine(m, song.ctx).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 48, 40, 64)})));
}

TEST(RepeatPreviousLine, LeavesOtherLinesColumnsAndTheGridAlone) {
  ModelSong song;
  const Events before = Track({Note(64, 120), Ev(0xEB, 64, 0, 7), Note(50, 240)});
  song.SetTrack(1, before);
  song.SetTrack(2, before);
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;  // the controller
  EXPECT_EQ(RepeatPreviousLine(m, song.ctx).status, EditStatus::Refused);
  m.caretRow = 4;  // the end line
  EXPECT_EQ(RepeatPreviousLine(m, song.ctx).status, EditStatus::Refused);
  m.caretRow = 3;
  m.caretColumn = 40;
  EXPECT_EQ(RepeatPreviousLine(m, song.ctx).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));

  StepEditModel& grid = song.Open(2, true);
  grid.caretColumn = 19;  // the second note's column
  EXPECT_EQ(RepeatPreviousLine(grid, song.ctx).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(2), before));
}

TEST(RepeatPreviousLine, InTheGapAppendsAtTheEndLine) {
  ModelSong song;
  song.SetTrack(1, Track({Note(64, 120, 90, 70), Note(50, 240)}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));
  ASSERT_EQ(RepeatPreviousLine(m, song.ctx).status, EditStatus::Ok);
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(64, 120, 90, 70), Note(64, 120, 90, 70), Note(50, 240)})));
}

// --- One-touch times ----------------------------------------------------

TEST(OneTouchStepGate, ScaledToTheTimeBaseAndShortenedWithShift) {
  struct Case {
    uint16_t timeBase;
    int n, step, gate, shiftStep, shiftGate;
  } cases[] = {
      {480, 1, 1920, 1900, 1280, 1266}, {480, 2, 1440, 1420, 1680, 1656}, {480, 3, 960, 920, 640, 613},
      {480, 4, 720, 680, 840, 793},     {480, 5, 480, 450, 320, 300},     {480, 6, 360, 340, 420, 396},
      {480, 7, 240, 220, 160, 146},     {480, 8, 180, 160, 210, 186},     {480, 9, 120, 100, 80, 66},
      {480, 10, 60, 50, 40, 33},        {96, 1, 384, 380, 256, 253},      {96, 2, 288, 284, 336, 331},
      {96, 3, 192, 184, 128, 122},      {96, 4, 144, 136, 168, 158},      {96, 5, 96, 90, 64, 60},
      {96, 6, 72, 68, 84, 79},          {96, 7, 48, 44, 32, 29},          {96, 8, 36, 32, 42, 37},
      {96, 9, 24, 20, 16, 13},          {96, 10, 12, 10, 8, 6},
  };
  for (const Case& c : cases) {
    ModelSong song;
    DefaultKeys(song);
    song.ctx.timeBase = c.timeBase;
    OneTouchTimes t = OneTouchStepGate(song.ctx, c.n, false);
    EXPECT_EQ(t.step, c.step) << c.timeBase << " F" << c.n;
    EXPECT_EQ(t.gate, c.gate) << c.timeBase << " F" << c.n;
    t = OneTouchStepGate(song.ctx, c.n, true);
    EXPECT_EQ(t.step, c.shiftStep) << c.timeBase << " Shift+F" << c.n;
    EXPECT_EQ(t.gate, c.shiftGate) << c.timeBase << " Shift+F" << c.n;
  }
}

TEST(OneTouchStepGate, RestsKeepTheStep) {
  ModelSong song;
  DefaultKeys(song);
  song.ctx.timeBase = 96;
  song.ctx.settings.fkeyRest = 1;
  OneTouchTimes t = OneTouchStepGate(song.ctx, 4, true);  // Shift under FKEYREST: a rest, no second dot
  EXPECT_EQ(t.step, 144);
  EXPECT_EQ(t.gate, 0);
  t = OneTouchStepGate(song.ctx, 4, false);
  EXPECT_EQ(t.gate, 136);

  song.ctx.settings.fkeyRest = 0;
  song.shared.paletteRest = true;  // the palette's rest toggle, with or without Shift
  for (bool shift : {false, true}) {
    t = OneTouchStepGate(song.ctx, 4, shift);
    EXPECT_EQ(t.step, 144) << shift;
    EXPECT_EQ(t.gate, 0) << shift;
  }
}

TEST(OneTouchStepGate, SettingsOutsideTheFieldsAreHeldToThem) {
  ModelSong song;
  song.ctx.settings.fkeyStep[0] = -480;
  song.ctx.settings.fkeyGate[0] = 32767;
  song.ctx.timeBase = 480;
  const OneTouchTimes t = OneTouchStepGate(song.ctx, 1, false);
  EXPECT_EQ(t.step, 0);
  EXPECT_EQ(t.gate, 9999);
}

// --- Function-key entry, normal state ----------------------------------

TEST(OneTouchStepEntry, SetsTheNoteAtTheCaretAndMovesDown) {
  ModelSong song;
  DefaultKeys(song);
  song.SetTrack(1, Track({Note(60, 120, 100, 80), Note(62, 120, 100, 80)}));
  StepEditModel& m = song.Open(1);
  const EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  EXPECT_TRUE(r.lineDown);
  EXPECT_FALSE(r.rightArrow);
  EXPECT_EQ(m.topLine, 0);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 480, 450, 80), Note(62, 120, 100, 80)})));
}

TEST(OneTouchStepEntry, PassesTheEventsSoundingWithTheNote) {
  // Notes and a controller at step 0, a key signature (its step is the key)
  // and then the note that takes the step.
  const Events track = Track({Note(60, 0, 10), Ev(0xEB, 64, 0, 7), Note(64, 0, 10), Ev(0xF5, 0, 3, 0),
                              Note(67, 120, 10), Note(72, 120, 10)});
  for (bool rhythm : {false, true}) {
    ModelSong song;
    DefaultKeys(song);
    song.SetTrack(1, track);
    StepEditModel& m = song.Open(1, rhythm);
    const EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
    ASSERT_EQ(r.status, EditStatus::Ok) << rhythm;
    // The grid leaves the gate of the note that takes the step.
    const uint16_t lastGate = rhythm ? 10 : 450;
    EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 0, 450), Ev(0xEB, 64, 0, 7), Note(64, 0, 450),
                                               Ev(0xF5, 0, 3, 0), Note(67, 480, lastGate), Note(72, 120, 10)})))
        << rhythm;
    if (rhythm) {
      EXPECT_TRUE(r.rightArrow);
      EXPECT_EQ(m.topLine, 0);  // the walk stayed in the caret's column
    } else {
      EXPECT_TRUE(r.lineDown);
      EXPECT_EQ(m.topLine, 4);  // scrolled over the four lines passed, caret row kept
      EXPECT_EQ(m.caretRow, 1);
    }
  }
}

TEST(OneTouchStepEntry, StopsAtTheEndWithoutAStep) {
  ModelSong song;
  DefaultKeys(song);
  song.SetTrack(1, Track({Note(60, 120, 10), Note(62, 0, 10), Note(64, 0, 10)}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;
  const EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, kStateModified);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120, 10), Note(62, 0, 450), Note(64, 0, 450)})));
  EXPECT_EQ(CaretLine(m), 3);  // the end line
}

TEST(OneTouchStepEntry, OnAnotherEventOnlyClearsTheTypedField) {
  ModelSong song;
  DefaultKeys(song);
  const Events before = Track({Ev(0xEB, 64, 0, 7), Note(62, 120, 10)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  Type(song, "  7");
  const EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_FALSE(r.lineDown);
  EXPECT_FALSE(StepFieldChanged(song.shared));
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(OneTouchStepEntry, RestsAndShiftFormsReachTheTrack) {
  struct Case {
    bool shift, fkeyRest, paletteRest;
    StepEvent expected;
  } cases[] = {
      {false, false, false, Note(60, 720, 680, 80)},
      {true, false, false, Note(60, 840, 793, 80)},
      {true, true, false, Note(60, 720, 0, 80)},
      {false, false, true, Note(60, 720, 0, 80)},
  };
  for (const Case& c : cases) {
    ModelSong song;
    DefaultKeys(song);
    song.ctx.settings.fkeyRest = c.fkeyRest;
    song.shared.paletteRest = c.paletteRest;
    song.SetTrack(1, Track({Note(60, 120, 100, 80)}));
    StepEditModel& m = song.Open(1);
    ASSERT_EQ(OneTouchStepEntry(m, song.ctx, 4, c.shift).status, EditStatus::Ok);
    EXPECT_TRUE(SameBytes(song.Read(1), Track({c.expected}))) << c.shift << c.fkeyRest << c.paletteRest;
  }
}

TEST(OneTouchStepEntry, NothingWhilePlayingOrForAnotherKey) {
  ModelSong song;
  DefaultKeys(song);
  const Events before = Track({Note(60, 120, 100, 80)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  song.ctx.playing = true;
  EXPECT_EQ(OneTouchStepEntry(m, song.ctx, 5, false).status, EditStatus::Refused);
  song.ctx.playing = false;
  for (int n : {0, 11, -1}) EXPECT_EQ(OneTouchStepEntry(m, song.ctx, n, false).status, EditStatus::Refused) << n;
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  EXPECT_EQ(m.topLine, 0);
}

TEST(OneTouchStepEntry, ATypedNoteOrKeyNumberBecomesTheKey) {
  struct Case {
    int16_t column;
    const char* typed;
    uint8_t key;
  } cases[] = {
      {17, "    64", 64},
      {11, "E 4   ", 64},
      {11, "Bb    ", 70},  // octave of the note above (key 62)
      {22, "    64", 50},  // the ST field's text is no key
  };
  for (const Case& c : cases) {
    ModelSong song;
    DefaultKeys(song);
    song.SetTrack(1, Track({Note(62, 120, 10, 80), Note(50, 120, 10, 80)}));
    StepEditModel& m = song.Open(1);
    m.caretRow = 2;
    m.caretColumn = c.column;
    Type(song, c.typed);
    ASSERT_EQ(OneTouchStepEntry(m, song.ctx, 5, false).status, EditStatus::Ok) << c.typed;
    EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(62, 120, 10, 80), Note(c.key, 480, 450, 80)}))) << c.typed;
    EXPECT_FALSE(StepFieldChanged(song.shared));
  }
}

TEST(OneTouchStepEntry, AKeyOutsideTheNotesIsRefusedByteIdentical) {
  for (const char* typed : {"G#9   ", "   200"}) {
    for (bool gap : {false, true}) {
      ModelSong song;
      DefaultKeys(song);
      const Events before = Track({Note(62, 120, 10, 80)});
      song.SetTrack(1, before);
      StepEditModel& m = song.Open(1);
      m.caretColumn = typed[0] == 'G' ? 11 : 17;
      if (gap) {
        m.caretRow = 2;
        ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));
      }
      Type(song, typed);
      const EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
      EXPECT_EQ(r.status, EditStatus::Refused) << typed << gap;
      EXPECT_TRUE(r.beep);
      EXPECT_FALSE(StepFieldChanged(song.shared));
      if (gap) {
        ASSERT_TRUE(CloseInsertGap(m, song.ctx));
      }
      EXPECT_TRUE(SameBytes(song.Read(1), before)) << typed << gap;
    }
  }
}

// --- MIDI(fkey) ---------------------------------------------------------

TEST(OneTouchStepEntry, HeldKeysGoInAsAChordWithTheStepOnTheLast) {
  for (int velocityOn : {1, 0}) {
    ModelSong song;
    DefaultKeys(song);
    song.shared.stepInputMode = kFKeyMode;
    song.ctx.settings.midiInVelocity = velocityOn;
    song.ctx.settings.midiInSkipEvent = 1;
    song.shared.heldKeys[67] = 90;
    song.shared.heldKeys[60] = 100;
    song.shared.heldKeys[64] = 255;  // held, velocity not to be used
    song.SetTrack(1, Track({Note(40, 120, 10, 50), Note(41, 120, 10, 51), Note(42, 120, 10, 52)}));
    StepEditModel& m = song.Open(1);
    const EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
    ASSERT_EQ(r.status, EditStatus::Ok);
    const Events expected =
        velocityOn ? Track({Note(60, 0, 450, 100), Note(64, 0, 450, 51), Note(67, 480, 450, 90)})
                   : Track({Note(60, 0, 450, 50), Note(64, 0, 450, 51), Note(67, 480, 450, 52)});
    EXPECT_TRUE(SameBytes(song.Read(1), expected)) << velocityOn;
    EXPECT_FALSE(r.lineDown);  // SetNoteAtCaret moved the caret itself
    EXPECT_EQ(song.shared.heldKeys[60], 100);
  }
}

TEST(OneTouchStepEntry, NoKeyHeldEntersARest) {
  ModelSong song;
  DefaultKeys(song);
  song.shared.stepInputMode = kFKeyMode;
  song.SetTrack(1, Track({Note(40, 120, 10, 50)}));
  StepEditModel& m = song.Open(1);
  ASSERT_EQ(OneTouchStepEntry(m, song.ctx, 3, false).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 960, 0, 50)})));
}

// --- Gap state ----------------------------------------------------------

TEST(OneTouchStepEntry, StepListGapAppendsWhereTheLineWasOpened) {
  ModelSong song;
  DefaultKeys(song);
  song.SetTrack(1, Track({Note(64, 120, 90, 70), Note(50, 240, 10, 100)}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));
  EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(r.lineDown);
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  EXPECT_EQ(m.indexCurrent, 0);  // still inserting
  // The window's line-down lands on the new end line; the next key appends.
  m.caretRow = 3;
  m.caretColumn = 17;
  Type(song, "    72");
  ASSERT_EQ(OneTouchStepEntry(m, song.ctx, 2, true).status, EditStatus::Ok);
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(64, 120, 90, 70), Note(64, 480, 450, 70), Note(72, 1680, 1656, 70),
                                             Note(50, 240, 10, 100)})));
}

TEST(OneTouchStepEntry, RhythmGapWritesAColumnOfTheRowKey) {
  ModelSong song;
  DefaultKeys(song);
  song.ctx.rhythm[5].key = 38;
  song.SetTrack(1, Track({Note(36, 120, 10, 100)}));
  StepEditModel& m = song.Open(1, true);
  m.rhythmKeyScroll = 3;
  m.caretRow = 3;  // row 5
  m.caretColumn = 17;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));

  EditResult r = OneTouchStepEntry(m, song.ctx, 7, false);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  EXPECT_TRUE(r.rightArrow);
  EXPECT_EQ(m.indexCurrent, 0);
  m.caretColumn = 19;  // the window's move right: the new end column

  song.ctx.settings.fkeyStep[0] = 0;  // a column of step 0 sounds with the next
  r = OneTouchStepEntry(m, song.ctx, 1, false);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, kStateModified);
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(36, 120, 10, 100), Note(38, 240, 220, 64), Note(38, 0, 1900, 64)})));
}

TEST(OneTouchStepEntry, RhythmRowKeyAboveTheNotesIsRefused) {
  ModelSong song;
  DefaultKeys(song);
  song.ctx.rhythm[0].key = 0xFD;
  const Events before = Track({Note(36, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1, true);
  m.caretColumn = 17;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));
  const EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(r.beep);
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(OneTouchStepEntry, FullTrackInTheGapIsRefusedByteIdentical) {
  for (bool rhythm : {false, true}) {
    ModelSong song;
    DefaultKeys(song);
    song.ctx.rhythm[0].key = 36;
    const Events full = NotesTrack(kMaxTrackEvents);
    song.SetTrack(1, full);
    StepEditModel& m = song.Open(1, rhythm);
    // The caret at the end line (the last grid column holds the end event).
    m.topLine = m.lineCount - 1;
    ASSERT_TRUE(OpenInsertGap(m, song.ctx, m.topLine)) << rhythm;
    const EditResult r = OneTouchStepEntry(m, song.ctx, 5, false);
    EXPECT_EQ(r.status, EditStatus::Refused) << rhythm;
    EXPECT_TRUE(r.beep) << rhythm;
    ASSERT_TRUE(CloseInsertGap(m, song.ctx));
    EXPECT_TRUE(SameBytes(song.Read(1), full)) << rhythm;
  }
}

}  // namespace
