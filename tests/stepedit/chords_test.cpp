#include "chords.h"

#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

#include "editmodel.h"
#include "modelfixture.h"
#include "stepblocks.h"

namespace {

using namespace modelfixture;

std::vector<int> Keys(const ChordBuffer& chord) {
  std::vector<int> keys;
  for (int i = 0; i < chord.count; ++i) keys.push_back(chord.notes[i].code);
  return keys;
}

// The kinds as the chord input lists them, written out as semitones.
const std::vector<int> kKindSemitones[kChordKinds] = {
    {0, 4, 7},      {0, 4, 7, 10},     {0, 4, 7, 11},     {0, 4, 7, 9},   {0, 4, 7, 11, 14},
    {0, 4, 7, 10, 14}, {0, 4, 7, 10, 13}, {0, 4, 7, 10, 15}, {0, 3, 6},   {0, 3, 6, 9},
    {0, 4, 6, 10},  {0, 3, 6, 10},     {0, 4, 8},         {0, 4, 8, 10}, {0, 5, 7, 10},
    {0, 4, 7, 9, 14}, {0, 3, 7, 10, 14}, {0, 3, 7, 9},    {0, 3, 7, 10},  {0, 3, 7},
};

TEST(Chords, EveryKindOnMiddleCListsItsNotesHighestFirst) {
  const StepEvent caret = Note(60, 480, 240, 90);
  for (int kind = 0; kind < kChordKinds; ++kind) {
    SCOPED_TRACE(kind);
    const ChordBuffer chord = BuildChord(60, kind, caret);
    std::vector<int> expected;
    for (auto it = kKindSemitones[kind].rbegin(); it != kKindSemitones[kind].rend(); ++it) expected.push_back(60 + *it);
    EXPECT_EQ(Keys(chord), expected);
  }
}

TEST(Chords, KindsAndRootsGiveTheirKeys) {
  struct Case {
    int kind;
    int root;
    std::vector<int> keys;
  };
  const Case cases[] = {
      {0, 60, {67, 64, 60}},
      {19, 57, {64, 60, 57}},
      {4, 48, {62, 59, 55, 52, 48}},
      {11, 62, {72, 68, 65, 62}},
      {14, 65, {75, 72, 70, 65}},
      {12, 0, {8, 4, 0}},
      {16, 112, {126, 122, 119, 115, 112}},
      // 113 + 15 would be 128: it sounds an octave lower, the chord still
      // listed highest first.
      {7, 113, {123, 120, 117, 116, 113}},
      {4, 113, {127, 124, 120, 117, 113}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " root " << c.root);
    EXPECT_EQ(Keys(BuildChord(c.root, c.kind, Note(c.root, 240))), c.keys);
  }
}

TEST(Chords, NotesTakeTheCaretEventAndOnlyTheLowestCarriesTheStep) {
  const ChordBuffer chord = BuildChord(62, 5, Note(62, 360, 200, 77));
  ASSERT_EQ(chord.count, 5);
  for (int i = 0; i < chord.count; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(chord.notes[i].vel, 77);
    EXPECT_EQ(chord.notes[i].gate, 200);
    EXPECT_EQ(chord.notes[i].step, i == chord.count - 1 ? 360 : 0);
  }
  EXPECT_EQ(ChordLowestKey(chord), 62);
  EXPECT_EQ(ChordScrollPosition(chord), 127 - 62);
}

TEST(Chords, TopRootKeepsEveryKindWithinTheKeyRange) {
  for (int kind = 0; kind < kChordKinds; ++kind) {
    SCOPED_TRACE(kind);
    const ChordBuffer chord = BuildChord(kChordRootMax, kind, Note(100, 120));
    EXPECT_EQ(static_cast<size_t>(chord.count), kKindSemitones[kind].size());
    for (int i = 0; i < chord.count; ++i) {
      EXPECT_LT(chord.notes[i].code, 128);
      if (i > 0) {
        EXPECT_GT(chord.notes[i - 1].code, chord.notes[i].code);
      }
    }
    EXPECT_EQ(chord.notes[chord.count - 1].step, 120);
  }
}

TEST(Chords, RootStaysWithinItsRange) {
  EXPECT_EQ(Keys(BuildChord(127, 0, Note(127, 120))), Keys(BuildChord(113, 0, Note(127, 120))));
  EXPECT_EQ(Keys(BuildChord(-5, 0, Note(0, 120))), (std::vector<int>{7, 4, 0}));
  EXPECT_EQ(StepChordRoot(113, 1), 113);
  EXPECT_EQ(StepChordRoot(112, 1), 113);
  EXPECT_EQ(StepChordRoot(0, -1), 0);
  EXPECT_EQ(StepChordRoot(60, -1), 59);
}

TEST(Chords, InversionsStopAtTheirLimits) {
  // Up: the lowest note + 12 must stay below 128.
  ChordBuffer up = BuildChord(103, 0, Note(103, 480));
  EXPECT_TRUE(InvertChordUp(up));
  EXPECT_TRUE(InvertChordUp(up));
  EXPECT_TRUE(InvertChordUp(up));
  EXPECT_EQ(Keys(up), (std::vector<int>{122, 119, 115}));
  EXPECT_TRUE(InvertChordUp(up));  // 115 + 12 = 127
  EXPECT_EQ(Keys(up), (std::vector<int>{127, 122, 119}));
  const std::vector<int> top = Keys(up);
  EXPECT_FALSE(InvertChordUp(up));  // 119 + 12 = 131
  EXPECT_EQ(Keys(up), top);

  ChordBuffer blocked = BuildChord(104, 0, Note(104, 480));
  ASSERT_TRUE(InvertChordUp(blocked));
  ASSERT_TRUE(InvertChordUp(blocked));
  EXPECT_EQ(Keys(blocked), (std::vector<int>{120, 116, 111}));
  ASSERT_TRUE(InvertChordUp(blocked));
  EXPECT_FALSE(InvertChordUp(blocked));  // 116 + 12 = 128
  EXPECT_EQ(Keys(blocked), (std::vector<int>{123, 120, 116}));

  // Down: the highest note must be 12 or more.
  ChordBuffer down = BuildChord(5, 0, Note(5, 480));
  EXPECT_TRUE(InvertChordDown(down));  // 12 -> 0
  EXPECT_EQ(Keys(down), (std::vector<int>{9, 5, 0}));
  EXPECT_FALSE(InvertChordDown(down));
  EXPECT_EQ(Keys(down), (std::vector<int>{9, 5, 0}));
  ChordBuffer low = BuildChord(4, 0, Note(4, 480));
  EXPECT_FALSE(InvertChordDown(low));  // highest 11
  EXPECT_EQ(Keys(low), (std::vector<int>{11, 8, 4}));
}

TEST(Chords, InversionMovesTheStepToTheNewLowestAndUndoesExactly) {
  const ChordBuffer built = BuildChord(60, 4, Note(60, 480, 240, 90));  // 74 71 67 64 60
  ChordBuffer chord = built;
  ASSERT_TRUE(InvertChordUp(chord));
  EXPECT_EQ(Keys(chord), (std::vector<int>{72, 74, 71, 67, 64}));
  EXPECT_EQ(chord.notes[0].step, 0);
  EXPECT_EQ(chord.notes[4].step, 480);
  EXPECT_EQ(ChordScrollPosition(chord), 127 - 64);
  ASSERT_TRUE(InvertChordDown(chord));
  EXPECT_EQ(Keys(chord), Keys(built));
  ASSERT_TRUE(InvertChordDown(chord));
  EXPECT_EQ(Keys(chord), (std::vector<int>{71, 67, 64, 60, 62}));
  EXPECT_EQ(chord.notes[3].step, 0);
  EXPECT_EQ(chord.notes[4].step, 480);
}

TEST(Chords, CaptionsAreABlankTheRootsTwoCharactersAndTheKindName) {
  EXPECT_EQ(ChordKindCaption(0, "C 4  60 "), " C  ");
  EXPECT_EQ(ChordKindCaption(7, "C#4  61 "), " C#7(#9)");
  EXPECT_EQ(ChordKindCaption(11, "Bb3  58 "), " Bbm7(b5)");
  EXPECT_EQ(ChordKindCaption(19, "A"), " A m");  // a short name is padded

  // From the editor's own note names.
  ModelSong song;
  song.SetTrack(1, Track({Note(61, 480)}));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(ChordKindCaption(m, 61, 19), " C#m");
  EXPECT_EQ(ChordKindCaption(m, 200, 0), " F  ");  // root 113
}

TEST(Chords, MemoIsThirtyBlanksWithTheCaptionFromOffsetFour) {
  EXPECT_EQ(ChordMemoText(" C 7"), std::string("     C 7") + std::string(22, ' '));
  const std::string longCaption = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  const std::string memo = ChordMemoText(longCaption);
  ASSERT_EQ(memo.size(), 30u);
  EXPECT_EQ(memo, "    " + longCaption.substr(0, 18) + "        ");
}

TEST(Chords, CaretMovesOneLessWithANameAndTwoLessWithout) {
  struct Case {
    int count;
    bool named;
    bool rest;
    int moves;
  };
  const Case cases[] = {
      {3, true, false, 2}, {3, false, false, 1}, {5, true, false, 4}, {5, false, false, 3},
      {4, true, true, 4},  {4, false, true, 3},  {1, false, false, 0}, {0, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " named " << c.named << " rest " << c.rest);
    EXPECT_EQ(ChordCaretMoves(c.count, c.named, c.rest), c.moves);
  }
}

TEST(Chords, InsertPutsTheNamedChordInPlaceOfItsNote) {
  ModelSong song;
  song.SetTrack(1, Track({Note(48, 480, 240, 90), Note(60, 480, 240, 90), MeasureEnd()}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;
  StepEvent caret;
  ASSERT_TRUE(ReadChordCaretEvent(m, m.caretRow, &caret));
  EXPECT_EQ(caret.code, 60);
  const ChordBuffer chord = BuildChord(caret.code, 1, caret);
  const std::string caption = ChordKindCaption(1, "C 4  60 ");

  const ChordInsertResult r = InsertChordAtCaret(m, song.ctx, m.caretRow, chord.notes, chord.count, caption, 0);
  EXPECT_EQ(r.edit.status, EditStatus::Ok);
  EXPECT_TRUE(r.edit.lineDown);
  EXPECT_EQ(r.edit.stateBits, 3u);
  EXPECT_EQ(r.caretMoves, 3);
  const Events expected = Track({
      Note(48, 480, 240, 90),
      Ev(0xF6, ' ', 0x2020, 0x2020),
      Ev(0xF7, 'C', 0x3720, 0x2020),
      Ev(0xF7, ' ', 0x2020, 0x2020),
      Ev(0xF7, ' ', 0x2020, 0x2020),
      Ev(0xF7, ' ', 0x2020, 0x2020),
      Note(70, 0, 240, 90), Note(67, 0, 240, 90), Note(64, 0, 240, 90), Note(60, 480, 240, 90),
      MeasureEnd(),
  });
  EXPECT_TRUE(SameBytes(song.Read(1), expected));
}

TEST(Chords, InsertWithoutANameMovesTwoLinesLess) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 480, 240, 90)}));
  StepEditModel& m = song.Open(1);
  const ChordBuffer chord = BuildChord(60, 0, Note(60, 480, 240, 90));

  const ChordInsertResult r = InsertChordAtCaret(m, song.ctx, 1, chord.notes, chord.count, std::nullopt, 0);
  EXPECT_EQ(r.edit.status, EditStatus::Ok);
  EXPECT_EQ(r.caretMoves, 1);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(67, 0, 240, 90), Note(64, 0, 240, 90), Note(60, 480, 240, 90)})));
}

TEST(Chords, FullOrEmptyInsertLeavesTheTrackAlone) {
  ModelSong song;
  const Events before = NotesTrack(kMaxTrackEvents - 7);  // room for 6 more
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  const ChordBuffer chord = BuildChord(60, 1, Note(60, 120));  // 4 notes

  ChordInsertResult r = InsertChordAtCaret(m, song.ctx, 1, chord.notes, chord.count, std::string_view(" C 7"), 0);
  EXPECT_EQ(r.edit.status, EditStatus::TrackFull);
  EXPECT_EQ(r.edit.messageId, kTrackFullMessageId);
  EXPECT_TRUE(r.edit.messageStyle & MB_ICONEXCLAMATION);
  EXPECT_EQ(r.caretMoves, 0);
  EXPECT_TRUE(SameBytes(song.Read(1), before));

  r = InsertChordAtCaret(m, song.ctx, 1, chord.notes, 0, std::string_view(" C 7"), 0);
  EXPECT_EQ(r.edit.status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));

  // Without the memo the four notes fit.
  r = InsertChordAtCaret(m, song.ctx, 1, chord.notes, chord.count, std::nullopt, 0);
  EXPECT_EQ(r.edit.status, EditStatus::Ok);
  EXPECT_EQ(r.caretMoves, 2);
}

TEST(Chords, CaretEventIsMissingOnTheEndLine) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 480)}));
  StepEditModel& m = song.Open(1);
  StepEvent e;
  EXPECT_TRUE(ReadChordCaretEvent(m, 1, &e));
  EXPECT_FALSE(ReadChordCaretEvent(m, 2, &e));
}

TEST(Chords, AuditionTranspositionIsTheSignedKeyShiftPlusThePlayBias) {
  struct Case {
    uint8_t keyShift;
    int bias;
    int shift;
  };
  const Case cases[] = {{0x00, 0, 0},  {0x05, 0, 5},   {0x7F, 0, -1}, {0x74, 0, -12},
                        {0x40, 0, -64}, {0x7D, 12, 9}, {0x80, -3, -3}, {0x8C, 0, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.keyShift) << " bias " << c.bias);
    EXPECT_EQ(AuditionTransposition(c.keyShift, c.bias), c.shift);
  }

  ModelSong song;
  song.SetTrack(2, Track({Note(60, 480)}));
  HGLOBAL songHeader = GlobalAlloc(kShareableZeroed, sizeof(SongHeader));
  HGLOBAL trackHeader = GlobalAlloc(kShareableZeroed, sizeof(TrackHeader));
  static_cast<SongHeader*>(GlobalLock(songHeader))->playBias = -5;
  GlobalUnlock(songHeader);
  static_cast<TrackHeader*>(GlobalLock(trackHeader))->keyShift = 0x7E;  // -2
  GlobalUnlock(trackHeader);
  song.ctx.handles->h[kHeaderEntry] = songHeader;
  song.ctx.handles->h[TrackHeaderEntry(2)] = trackHeader;
  EXPECT_EQ(AuditionTransposition(song.ctx, 2), -7);
  EXPECT_EQ(AuditionTransposition(song.ctx, 3), -5);  // a track without a header
  song.ctx.handles->h[kHeaderEntry] = nullptr;
  song.ctx.handles->h[TrackHeaderEntry(2)] = nullptr;
  GlobalFree(songHeader);
  GlobalFree(trackHeader);
}

TEST(Chords, AuditionSoundsTheTransposedNotesThenReleasesThem) {
  const ChordBuffer chord = BuildChord(60, 0, Note(60, 480, 240, 90));  // 67 64 60
  struct Case {
    int shift;
    std::vector<int> keys;
  };
  const Case cases[] = {{0, {67, 64, 60}}, {-2, {65, 62, 58}}, {70, {125, 122, 118}}, {-70, {9, 6, 2}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shift);
    const std::vector<AuditionStep> steps = ChordAudition(chord, c.shift);
    ASSERT_EQ(steps.size(), 6u);
    for (size_t i = 0; i < 3; ++i) {
      const uint32_t key = static_cast<uint32_t>(c.keys[i]);
      EXPECT_EQ(steps[i].message, 0x90u | key << 8 | 90u << 16);
      EXPECT_EQ(steps[i].waitMs, i == 2 ? 501u : 0u);
      EXPECT_EQ(steps[i + 3].message, 0x90u | key << 8);
      EXPECT_EQ(steps[i + 3].waitMs, 0u);
    }
  }
}

}  // namespace
