#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "fieldcommit.h"
#include "fieldedit.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

// One line of each kind the commit table treats apart. The external
// command's continuation shares its line.
Events CommitTrack() {
  return Track({
      Note(62, 120, 100, 90),        // 0
      Note(40, 120, 100, 90),        // 1
      Note(5, 120, 100, 90),         // 2
      Note(70, 120, 100, 90),        // 3
      Ev(0xEE, 64, 0, 0),            // 4 pitch bend, centre
      Ev(0xE7, 120, 0, 120),         // 5 tempo
      Ev(0xEC, 0, 0, 5),             // 6 program
      Ev(0x99, 0, 0, 0),             // 7 external command
      Ev(0xF7, 'a', 0x6362, 0x6564), // 8 its text
      Ev(0xF6, 'x', 0x2020, 0x2020), // 9 comment
      MeasureEnd(),                  // 10
      Ev(0xFC, 0, 1, 59),            // 11 same measure as measure 2
      Ev(0xEB, 64, 0, 7),            // 12 controller
  });
}

void SetField(StepSharedState& shared, const char* text) {
  std::memcpy(shared.fieldBuffer, "      ", kFieldChars + 1);
  std::memcpy(shared.fieldBuffer, text, std::min(std::strlen(text), static_cast<size_t>(kFieldChars)));
}

// Puts the caret on the line of event index, in the column.
void CaretOn(StepEditModel& m, int32_t index, int16_t column) {
  m.topLine = 0;
  m.caretRow = static_cast<int16_t>(LineOfEvent(m, index) + 1);
  m.caretColumn = column;
}

std::vector<uint8_t> BlockBytes(HGLOBAL block) {
  Locked lock(block);
  const auto* p = lock.as<uint8_t>();
  return std::vector<uint8_t>(p, p + GlobalSize(block));
}

TEST(CaretFieldCommit, CommitTable) {
  struct Case {
    const char* what;
    int index;
    int16_t column;
    const char* text;
    int progOffset;
    bool fieldEdit;  // CommitFieldEdit instead of CommitStepField
    EditStatus status;
    bool beep;
    StepEvent after;  // the event as it must be afterwards
    uint32_t bits;
  } cases[] = {
      {"name with octave", 0, kFieldNote, "C 4", 0, false, EditStatus::Ok, false, Note(60, 120, 100, 90), 1},
      {"sharp", 0, kFieldNote, "A#3", 0, false, EditStatus::Ok, false, Note(58, 120, 100, 90), 1},
      {"no note above: octave of 60", 0, kFieldNote, "C", 0, false, EditStatus::Ok, false, Note(60, 120, 100, 90), 1},
      {"flat under 62", 1, kFieldNote, "Bb", 0, false, EditStatus::Ok, false, Note(70, 120, 100, 90), 1},
      {"flat under 40", 2, kFieldNote, "Bb", 0, false, EditStatus::Ok, false, Note(46, 120, 100, 90), 1},
      {"above 127", 0, kFieldNote, "G#9", 0, false, EditStatus::Refused, true, Note(62, 120, 100, 90), 0},
      {"127", 0, kFieldNote, "G 9", 0, false, EditStatus::Ok, false, Note(127, 120, 100, 90), 1},
      {"below 0 under 5", 3, kFieldNote, "Cb", 0, false, EditStatus::Refused, true, Note(70, 120, 100, 90), 0},
      {"flat with octave", 3, kFieldNote, "Cb4", 0, false, EditStatus::Ok, false, Note(59, 120, 100, 90), 1},
      {"name on a command", 12, kFieldNote, "C 4", 0, false, EditStatus::Refused, false, Ev(0xEB, 64, 0, 7), 0},
      {"key", 0, kFieldKey, "    64", 0, false, EditStatus::Ok, false, Note(64, 120, 100, 90), 1},
      {"key 128", 0, kFieldKey, "   128", 0, false, EditStatus::Refused, true, Note(62, 120, 100, 90), 0},
      {"key on a command", 12, kFieldKey, "    64", 0, false, EditStatus::Refused, true, Ev(0xEB, 64, 0, 7), 0},
      {"step", 0, kFieldStep, "   240", 0, false, EditStatus::Ok, false, Note(62, 240, 100, 90), 3},
      {"step over 9999", 0, kFieldStep, " 12000", 0, false, EditStatus::Ok, false, Note(62, 9999, 100, 90), 3},
      {"step of external", 7, kFieldStep, "    10", 0, false, EditStatus::Refused, true, Ev(0x99, 0, 0, 0), 0},
      {"step of comment", 9, kFieldStep, "    10", 0, false, EditStatus::Refused, true, Ev(0xF6, 'x', 0x2020, 0x2020), 0},
      {"same measure 0", 11, kFieldStep, "     0", 0, false, EditStatus::Ok, false, Ev(0xFC, 0, 0, 48), 3},
      {"same measure 3", 11, kFieldStep, "     3", 0, false, EditStatus::Ok, false, Ev(0xFC, 0, 2, 60), 3},
      {"same measure over 999", 11, kFieldStep, "  2000", 0, false, EditStatus::Ok, false, Ev(0xFC, 0, 999, 48), 3},
      {"gate", 0, kFieldGate, "    30", 0, false, EditStatus::Ok, false, Note(62, 120, 30, 90), 1},
      {"gate over 9999", 0, kFieldGate, " 12000", 0, false, EditStatus::Ok, false, Note(62, 120, 9999, 90), 1},
      {"tempo gate", 5, kFieldGate, "   300", 0, false, EditStatus::Ok, false, Ev(0xE7, 120, 0, 255), 1},
      {"gate of external", 7, kFieldGate, "     1", 0, false, EditStatus::Refused, true, Ev(0x99, 0, 0, 0), 0},
      {"gate of comment", 9, kFieldGate, "     1", 0, false, EditStatus::Refused, true, Ev(0xF6, 'x', 0x2020, 0x2020), 0},
      {"program", 6, kFieldGate, "    17", 0, false, EditStatus::Ok, false, Ev(0xEC, 0, 0, 17), 1},
      {"program from 1", 6, kFieldGate, "    17", 1, false, EditStatus::Ok, false, Ev(0xEC, 0, 0, 16), 1},
      {"program 0 from 1", 6, kFieldGate, "     0", 1, false, EditStatus::Ok, true, Ev(0xEC, 0, 0, 0), 1},
      {"program 200", 6, kFieldGate, "   200", 0, false, EditStatus::Ok, true, Ev(0xEC, 0, 0, 127), 1},
      {"velocity", 0, kFieldVel, "   200", 0, false, EditStatus::Ok, false, Note(62, 120, 100, 127), 1},
      {"tempo rate", 5, kFieldVel, "   300", 0, false, EditStatus::Ok, false, Ev(0xE7, 255, 0, 120), 1},
      {"velocity of external", 7, kFieldVel, "     1", 0, false, EditStatus::Refused, true, Ev(0x99, 0, 0, 0), 0},
      {"velocity of comment", 9, kFieldVel, "     1", 0, false, EditStatus::Refused, true, Ev(0xF6, 'x', 0x2020, 0x2020), 0},
      {"bend -1", 4, kFieldVel, "-   1", 0, false, EditStatus::Ok, false, Ev(0xEE, 63, 0, 127), 1},
      {"bend +100", 4, kFieldVel, "+  100", 0, false, EditStatus::Ok, false, Ev(0xEE, 64, 0, 100), 1},
      {"bend -9000 held", 4, kFieldVel, "-9000", 0, false, EditStatus::Ok, false, Ev(0xEE, 0, 0, 0), 1},
      {"bend 9000 held", 4, kFieldVel, "  9000", 0, false, EditStatus::Ok, false, Ev(0xEE, 127, 0, 127), 1},
      {"edit: bend -1", 4, kFieldVel, "-   1", 0, true, EditStatus::Ok, false, Ev(0xEE, 63, 0, 127), 1},
      {"edit: key", 0, kFieldKey, "    64", 0, true, EditStatus::Ok, false, Note(64, 120, 100, 90), 1},
      {"edit: same measure", 11, kFieldStep, "     0", 0, true, EditStatus::Ok, false, Ev(0xFC, 0, 0, 48), 3},
      {"edit: no note name", 0, kFieldNote, "C 4", 0, true, EditStatus::Refused, false, Note(62, 120, 100, 90), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ModelSong song;
    const Events before = CommitTrack();
    song.SetTrack(1, before);
    song.ctx.settings.progOffset = c.progOffset;
    StepEditModel& m = song.Open(1);
    CaretOn(m, c.index, c.column);
    SetField(song.shared, c.text);
    const EditResult r =
        c.fieldEdit ? CommitFieldEdit(m, song.ctx, 0) : CommitStepField(m, song.ctx, 0);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.beep, c.beep);
    EXPECT_EQ(r.stateBits, c.bits);
    EXPECT_FALSE(StepFieldChanged(song.shared));  // cleared, refused or not
    Events expected = before;
    expected[static_cast<size_t>(c.index)] = c.after;
    EXPECT_TRUE(SameBytes(song.Read(1), expected));
    if (c.status == EditStatus::Ok) {
      EXPECT_TRUE(r.scrollBars);
      EXPECT_EQ(r.indexRebuilt, (c.bits & kStateTiming) != 0);
      EXPECT_EQ(r.renumberRefs, c.after.code == 0xFC);
    }
  }
}

TEST(CaretFieldCommit, UnchangedFieldDoesNothing) {
  ModelSong song;
  song.SetTrack(1, CommitTrack());
  StepEditModel& m = song.Open(1);
  const uint32_t state = song.State(1);
  for (bool fieldEdit : {false, true}) {
    CaretOn(m, 0, kFieldStep);
    ClearStepFieldBuffer(song.shared);
    const EditResult r = fieldEdit ? CommitFieldEdit(m, song.ctx, 0) : CommitStepField(m, song.ctx, 0);
    EXPECT_EQ(r.status, EditStatus::Refused);
    EXPECT_FALSE(r.beep);
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_FALSE(r.scrollBars || r.indexRebuilt);
    EXPECT_TRUE(SameBytes(song.Read(1), CommitTrack()));
    EXPECT_EQ(song.State(1), state);
  }
}

// A gap opened before the controller of {62, 5, controller}: the caret
// stands on the gap's end line.
StepEditModel& OpenGapTrack(ModelSong& song) {
  song.SetTrack(1, Track({Note(62, 120, 100, 90), Note(5, 120, 100, 90), Ev(0xEB, 64, 0, 7)}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 3;
  EXPECT_TRUE(OpenInsertGap(m, song.ctx, 0));
  m.caretColumn = kFieldNote;
  return m;
}

TEST(CaretFieldCommit, GapCommitAppendsTheNoteAboveWithTheField) {
  struct Case {
    int16_t column;
    const char* text;
    StepEvent added;
    uint32_t bits;
  } cases[] = {
      {kFieldNote, "C 4", Note(60, 120, 100, 90), 3},
      {kFieldNote, "Bb", Note(10, 120, 100, 90), 3},  // octave of key 5
      {kFieldKey, "    64", Note(64, 120, 100, 90), 3},
      {kFieldStep, "    30", Note(5, 30, 100, 90), 3},
      {kFieldVel, "   200", Note(5, 120, 100, 127), 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ModelSong song;
    StepEditModel& m = OpenGapTrack(song);
    m.caretColumn = c.column;
    SetField(song.shared, c.text);
    const EditResult r = CommitStepField(m, song.ctx, 0);
    ASSERT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, c.bits);
    EXPECT_EQ(m.eventCount, 3);
    EXPECT_EQ(LineEvent(m, 3), 3);  // the end line moved down
    EXPECT_FALSE(StepFieldChanged(song.shared));
    ASSERT_TRUE(CloseInsertGap(m, song.ctx));
    EXPECT_TRUE(SameBytes(song.Read(1),
                          Track({Note(62, 120, 100, 90), Note(5, 120, 100, 90), c.added, Ev(0xEB, 64, 0, 7)})));
  }
}

TEST(CaretFieldCommit, GapCommitBelowKeyZeroAppendsNothing) {
  ModelSong song;
  StepEditModel& m = OpenGapTrack(song);  // the note above has key 5
  const std::vector<uint8_t> bytes = BlockBytes(song.Block(1));
  const int32_t events = m.eventCount, lines = m.lineCount;
  SetField(song.shared, "Cb");
  const EditResult r = CommitStepField(m, song.ctx, 0);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(r.beep);
  EXPECT_FALSE(StepFieldChanged(song.shared));
  EXPECT_EQ(BlockBytes(song.Block(1)), bytes);
  EXPECT_EQ(m.eventCount, events);
  EXPECT_EQ(m.lineCount, lines);
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(62, 120, 100, 90), Note(5, 120, 100, 90), Ev(0xEB, 64, 0, 7)})));
}

TEST(CaretFieldCommit, FullTrackRefusesGapCommitsWithTheBytesUnchanged) {
  ModelSong song;
  song.SetTrack(1, NotesTrack(kMaxTrackEvents));
  StepEditModel& m = song.Open(1);
  m.caretRow = 101;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));
  const std::vector<uint8_t> bytes = BlockBytes(song.Block(1));
  for (bool fieldEdit : {false, true}) {
    SCOPED_TRACE(fieldEdit);
    SetField(song.shared, "    64");
    m.caretColumn = kFieldKey;
    const EditResult r = fieldEdit ? CommitFieldEdit(m, song.ctx, 0) : CommitStepField(m, song.ctx, 0);
    EXPECT_EQ(r.status, EditStatus::Refused);
    EXPECT_TRUE(r.beep);
    EXPECT_FALSE(StepFieldChanged(song.shared));
    EXPECT_EQ(BlockBytes(song.Block(1)), bytes);
    EXPECT_EQ(m.eventCount, 100);
  }
}

TEST(CaretFieldCommit, FieldEditInTheGapOrTheGridOnlyClearsTheField) {
  ModelSong song;
  StepEditModel& m = OpenGapTrack(song);
  const std::vector<uint8_t> bytes = BlockBytes(song.Block(1));
  m.caretColumn = kFieldKey;
  SetField(song.shared, "    64");
  EditResult r = CommitFieldEdit(m, song.ctx, 0);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_FALSE(r.beep);
  EXPECT_FALSE(StepFieldChanged(song.shared));
  EXPECT_EQ(BlockBytes(song.Block(1)), bytes);

  // Grid column 1 stands at character column 17, where the list has its key.
  song.SetTrack(2, CommitTrack());
  StepEditModel& grid = song.Open(2, true);
  grid.caretColumn = 17;
  SetField(song.shared, "    64");
  r = CommitFieldEdit(grid, song.ctx, 0);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_FALSE(StepFieldChanged(song.shared));
  EXPECT_TRUE(SameBytes(song.Read(2), CommitTrack()));
}

Events SteppingTrack() {
  return Track({
      Note(120, 9995, 10, 125),  // 0
      Ev(0xE7, 250, 0, 250),     // 1 tempo
      Ev(0xFC, 0, 995, 48),      // 2 same measure
      Ev(0xEB, 64, 0, 127),      // 3 controller
      Ev(0xF6, 'x', 0, 0),       // 4 comment
      Ev(0xF9, 0, 0, 0),         // 5 repeat start
      Note(5, 0, 0, 0),          // 6
  });
}

TEST(CaretFieldStep, UpAndDownStopAtTheLimits) {
  struct Case {
    const char* what;
    int index;
    int16_t column;
    int32_t amount;  // negative: down
    int32_t value;   // the field afterwards
    int32_t applied;
  } cases[] = {
      {"key up to 127", 0, kFieldKey, 12, 127, 7},
      {"name steps the key", 0, kFieldNote, 5, 125, 5},
      {"key down to 0", 6, kFieldKey, -12, 0, 5},
      {"step up to 9999", 0, kFieldStep, 10, 9999, 4},
      {"step down", 0, kFieldStep, -10, 9985, 10},
      {"gate down to 0", 0, kFieldGate, -20, 0, 10},
      {"velocity up to 127", 0, kFieldVel, 10, 127, 2},
      {"tempo gate up to 255", 1, kFieldGate, 10, 255, 5},
      {"tempo rate up to 255", 1, kFieldVel, 10, 255, 5},
      {"same measure up to 999", 2, kFieldStep, 10, 999, 4},
      {"same measure gate alone", 2, kFieldGate, 1, 48, 0},
      {"controller gate at 127", 3, kFieldGate, 1, 127, 0},
      {"comment alone", 4, kFieldStep, 1, 0, 0},
      {"repeat start alone", 5, kFieldVel, 1, 0, 0},
      {"key of a command alone", 1, kFieldKey, 1, 0xE7, 0},
      {"down at 0", 6, kFieldGate, -1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ModelSong song;
    const Events before = SteppingTrack();
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    const uint32_t state = song.State(1);
    CaretOn(m, c.index, c.column);
    SetField(song.shared, "     7");
    int32_t applied = -1;
    const EditResult r = c.amount > 0 ? StepFieldUp(m, song.ctx, 0, c.amount, &applied)
                                      : StepFieldDown(m, song.ctx, 0, -c.amount, &applied);
    EXPECT_EQ(applied, c.applied);
    const StepEvent e = song.Read(1)[static_cast<size_t>(c.index)];
    const int32_t field = c.column == kFieldStep   ? static_cast<int16_t>(e.step)
                          : c.column == kFieldGate ? static_cast<int16_t>(e.gate)
                          : c.column == kFieldVel  ? e.vel
                                                   : e.code;
    EXPECT_EQ(field, c.value);
    if (c.applied == 0) {
      // No refresh: not even the typed field goes.
      EXPECT_EQ(r.status, EditStatus::Refused);
      EXPECT_FALSE(r.beep);
      EXPECT_TRUE(StepFieldChanged(song.shared));
      EXPECT_TRUE(SameBytes(song.Read(1), before));
      EXPECT_EQ(song.State(1), state);
    } else {
      EXPECT_EQ(r.status, EditStatus::Ok);
      EXPECT_EQ(r.stateBits, c.column == kFieldStep ? 3u : 1u);
      EXPECT_EQ(r.renumberRefs, c.index == 2);
      EXPECT_TRUE(r.scrollBars);
      EXPECT_FALSE(StepFieldChanged(song.shared));
    }
  }
}

TEST(CaretFieldStep, GapEndLineIsLeftAloneButTheFieldIsCleared) {
  ModelSong song;
  StepEditModel& m = OpenGapTrack(song);
  const std::vector<uint8_t> bytes = BlockBytes(song.Block(1));
  m.caretColumn = kFieldStep;
  SetField(song.shared, "     7");
  int32_t applied = -1;
  const EditResult r = StepFieldUp(m, song.ctx, 0, 1, &applied);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_EQ(applied, 0);
  EXPECT_FALSE(StepFieldChanged(song.shared));
  EXPECT_EQ(BlockBytes(song.Block(1)), bytes);
}

TEST(CaretFieldCommit, CaretCodeAndFieldValue) {
  ModelSong song;
  song.SetTrack(1, CommitTrack());
  StepEditModel& m = song.Open(1);
  struct Case {
    int index;
    int16_t column;
    int code;
    int32_t value;
  } cases[] = {
      {0, kFieldNote, 62, 62}, {0, kFieldKey, 62, 62},  {0, kFieldStep, 62, 120}, {0, kFieldGate, 62, 100},
      {0, kFieldVel, 62, 90},  {5, kFieldGate, 0xE7, 120}, {4, kFieldVel, 0xEE, 64}, {11, kFieldStep, 0xFC, 0},
      {10, kFieldGate, 0xFD, 0}, {13, kFieldStep, 0xFE, 0},
  };
  for (const auto& c : cases) {
    CaretOn(m, c.index, c.column);
    EXPECT_EQ(GetCaretEventCode(m), c.code) << c.index;
    EXPECT_EQ(GetCaretFieldValue(m), c.value) << c.index << " column " << c.column;
  }
}

TEST(CaretFieldText, NoteNamesAndSignedBends) {
  struct {
    const char* text;
    int octave;
    int key;
  } names[] = {{"C 4", 5, 60}, {"A#3", 0, 58}, {"Bb", 5, 70}, {"Bb   ", 3, 46}, {"Cb", 0, -1}, {"G#9", 5, 128},
               {"E#", 5, 65},  {"X 4", 5, 60}, {"C-4", 5, 60}, {"C x", 5, -1}};
  for (const auto& c : names) EXPECT_EQ(ParseNoteNameKey(c.text, c.octave), c.key) << c.text;

  struct {
    const char* text;
    int32_t value;
  } bends[] = {{"-   1", -1}, {"+  20", 20}, {"   300", 300}, {"-8192", -8192}, {"-     ", 0}, {"", 0}};
  for (const auto& c : bends) EXPECT_EQ(ParseSignedBend(c.text), c.value) << c.text;
  EXPECT_EQ(ParseFieldNumber("  12  "), 12);
  EXPECT_EQ(ParseFieldNumber("      "), 0);
}

}  // namespace
