#include "guitarchord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editmodel.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

std::vector<int> Keys(const ChordBuffer& chord) {
  std::vector<int> keys;
  for (int i = 0; i < chord.count; ++i) keys.push_back(chord.notes[i].code);
  return keys;
}
std::vector<int> Steps(const ChordBuffer& chord) {
  std::vector<int> steps;
  for (int i = 0; i < chord.count; ++i) steps.push_back(chord.notes[i].step);
  return steps;
}
std::vector<int> Gates(const ChordBuffer& chord) {
  std::vector<int> gates;
  for (int i = 0; i < chord.count; ++i) gates.push_back(chord.notes[i].gate);
  return gates;
}

constexpr int kMaj = 0;
constexpr int kM9 = 7;
constexpr int kTypeA = 0, kTypeB = 1, kTypeC = 2, kTypeD = 3, kTypeE = 4;

GuitarChordState State(int rootClass, int kind, int type) {
  GuitarChordState s;
  s.rootClass = rootClass;
  s.kind = kind;
  s.type = type;
  return s;
}

// Five strings from the fifth up; a stray triple after the end mark.
const GuitarTriple kFixtureGrip[kGuitarStrings] = {{40, 0, 4}, {50, 0, 3}, {60, 0, 2}, {70, 0, 1}, {0, 0, 0}, {90, 0, 0}};
const bool kAllStrings[kGuitarStrings] = {true, true, true, true, true, true};

TEST(GuitarChord, CaretKeyGivesRootAndOctave) {
  struct Case {
    int key;
    int rootClass;
    int octave;
  };
  const Case cases[] = {{60, 0, 0}, {64, 4, 0}, {23, 11, -3}, {0, 0, -3},  {24, 0, -3},
                        {96, 0, 3}, {97, 1, 2}, {100, 4, 2},  {129, 0, 0}, {0xFD, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const GuitarRootStart start = GuitarRootOfKey(c.key);
    EXPECT_EQ(start.rootClass, c.rootClass);
    EXPECT_EQ(start.octave, c.octave);
  }
  EXPECT_EQ(GuitarRootKey(4, 2), 88);
}

TEST(GuitarChord, RootFromText) {
  const std::pair<const char*, int> cases[] = {
      {"C", 0},  {"c", 0},   {"D#", 3}, {"d+", 3}, {"E-", 3}, {"Eb", 3},  {"G", 7},   {"a", 9},
      {"B", 11}, {"B#", 0},  {"Cb", 11}, {"c-", 11}, {"EB", 4}, {"F#m", 6}, {"H", -1}, {"", -1},
      {"1", -1}, {" C", -1},
  };
  for (const auto& [text, pitch] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(GuitarRootFromText(text), pitch);
  }
}

TEST(GuitarChord, MajorGripsOfTheTableOnC) {
  struct Case {
    int type;
    bool down;
    std::vector<int> keys;
  };
  const Case cases[] = {
      {kTypeA, false, {76, 72, 67, 64, 60}},
      {kTypeA, true, {60, 64, 67, 72, 76}},
      {kTypeB, false, {79, 76, 72, 67, 60}},
      {kTypeC, false, {84, 79, 76, 72, 67, 60}},
      {kTypeC, true, {60, 67, 72, 76, 79, 84}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " down " << c.down);
    GuitarChordSettings settings;
    settings.downStroke = c.down;
    const ChordBuffer chord = BuildGuitarChord(State(0, kMaj, c.type), settings, Note(60, 480, 400, 100));
    EXPECT_EQ(Keys(chord), c.keys);
  }
}

TEST(GuitarChord, RootAndOctaveMoveTheGrip) {
  GuitarChordSettings settings;
  const StepEvent caret = Note(62, 480, 400, 100);
  // D: type A is the open D grip (x x 0 2 3 2) an octave below its C form.
  EXPECT_EQ(Keys(BuildGuitarChord(State(2, kMaj, kTypeA), settings, caret)), (std::vector<int>{78, 74, 69, 62}));
  EXPECT_EQ(Keys(BuildGuitarChord(State(2, kMaj, kTypeB), settings, caret)), (std::vector<int>{78, 74, 69, 66, 62}));
  settings.octave = 1;
  EXPECT_EQ(Keys(BuildGuitarChord(State(0, kMaj, kTypeA), settings, caret)), (std::vector<int>{88, 84, 79, 76, 72}));
  settings.octave = -2;
  EXPECT_EQ(Keys(BuildGuitarChord(State(0, kMaj, kTypeA), settings, caret)), (std::vector<int>{52, 48, 43, 40, 36}));
}

TEST(GuitarChord, HighAndLowGripsStayWithinTheKeyRange) {
  const StepEvent caret = Note(60, 120, 100, 90);
  // 36 + 100 = 136 and 36 + 90 past the end mark is never read.
  const GuitarTriple high[kGuitarStrings] = {{80, 0, 5}, {100, 0, 4}, {0, 0, 0}, {90, 0, 0}};
  EXPECT_EQ(Keys(GuitarGripNotes(high, 36, kAllStrings, false, caret)), (std::vector<int>{124, 116}));
  EXPECT_EQ(Keys(GuitarGripNotes(kFixtureGrip, -60, kAllStrings, true, caret)), (std::vector<int>{4, 2, 0, 10}));

  // The table's highest grips at the top octave.
  GuitarChordSettings settings;
  settings.octave = kGuitarOctaveMax;
  for (int kind = 0; kind < kGuitarKinds; ++kind) {
    for (int rootClass = 0; rootClass < 12; ++rootClass) {
      for (int type = 0; type < kGuitarTypes; ++type) {
        const ChordBuffer chord = BuildGuitarChord(State(rootClass, kind, type), settings, caret);
        for (int i = 0; i < chord.count; ++i) ASSERT_LT(chord.notes[i].code, 128) << kind << " " << rootClass;
      }
    }
  }
}

TEST(GuitarChord, MutedStringsAreLeftOut) {
  GuitarChordState state = State(0, kMaj, kTypeA);
  state.strings[0] = false;  // first string: 76
  state.strings[4] = false;  // fifth string: 60
  const StepEvent caret = Note(60, 480, 400, 100);
  const ChordBuffer chord = BuildGuitarChord(state, GuitarChordSettings{}, caret);
  EXPECT_EQ(Keys(chord), (std::vector<int>{72, 67, 64}));
  EXPECT_EQ(Steps(chord), (std::vector<int>{0, 0, 480}));

  // The sixth string is not in this grip: muting it changes nothing.
  GuitarChordState sixth = State(0, kMaj, kTypeA);
  sixth.strings[5] = false;
  EXPECT_EQ(Keys(BuildGuitarChord(sixth, GuitarChordSettings{}, caret)), (std::vector<int>{76, 72, 67, 64, 60}));

  const bool oneString[kGuitarStrings] = {false, false, true, false, false, false};
  EXPECT_EQ(Keys(GuitarGripNotes(kFixtureGrip, 0, oneString, false, caret)), (std::vector<int>{60}));
}

TEST(GuitarChord, AllStringsMutedInsertsNothing) {
  GuitarChordState state = State(0, kMaj, kTypeA);
  for (bool& s : state.strings) s = false;
  GuitarChordSettings settings;
  settings.start = 60;
  const ChordBuffer chord = BuildGuitarChord(state, settings, Note(60, 480, 400, 100));
  EXPECT_EQ(chord.count, 0);

  ModelSong song;
  const Events before = Track({Note(60, 480, 400, 100), MeasureEnd()});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  const ChordInsertResult r = InsertGuitarChord(m, song.ctx, 1, chord, std::string_view(" C maj"), settings.start);
  EXPECT_EQ(r.edit.status, EditStatus::Refused);
  EXPECT_EQ(r.caretMoves, 0);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(GuitarChord, StrumSpreadsTheNotesOverTheStep) {
  struct Case {
    const char* name;
    StepEvent caret;
    GuitarChordSettings settings;
    std::vector<int> steps;
    std::vector<int> gates;
  };
  auto With = [](uint16_t start, uint16_t width, bool asStep) {
    GuitarChordSettings s;
    s.start = start;
    s.width = width;
    s.widthAsStep = asStep;
    return s;
  };
  const Case cases[] = {
      {"no width", Note(60, 480, 400), With(0, 0, false), {0, 0, 0, 0, 480}, {400, 400, 400, 400, 400}},
      {"width over five", Note(60, 480, 400), With(0, 120, false), {24, 24, 24, 24, 384}, {400, 376, 352, 328, 304}},
      {"width beyond T", Note(60, 480, 400), With(80, 1000, false), {80, 80, 80, 80, 80}, {400, 320, 240, 160, 80}},
      {"start equal to the step", Note(60, 480, 400), With(480, 120, false), {0, 0, 0, 0, 0},
       {400, 400, 400, 400, 400}},
      {"start beyond the step", Note(60, 480, 400), With(600, 120, true), {0, 0, 0, 0, 0}, {400, 400, 400, 400, 400}},
      {"width as step", Note(60, 480, 400), With(80, 60, true), {60, 60, 60, 60, 160}, {400, 340, 280, 220, 160}},
      {"width as step stops at T", Note(60, 480, 400), With(80, 200, true), {200, 200, 0, 0, 0},
       {400, 200, 1, 1, 1}},
      {"gate shorter than the start", Note(60, 480, 50), With(0, 30, true), {30, 30, 30, 30, 360}, {50, 20, 1, 1, 1}},
      {"a rest stays a rest", Note(60, 480, 0, 0), With(0, 120, false), {24, 24, 24, 24, 384}, {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ChordBuffer chord = BuildGuitarChord(State(0, kMaj, kTypeA), c.settings, c.caret);
    ASSERT_EQ(chord.count, 5);
    EXPECT_EQ(Steps(chord), c.steps);
    EXPECT_EQ(Gates(chord), c.gates);
    int total = 0;
    for (int s : c.steps) total += s;
    EXPECT_EQ(total + std::min<int>(c.settings.start, c.caret.step), c.caret.step);
  }
}

TEST(GuitarChord, TypesWithoutAGripFallBackToTheLastOne) {
  EXPECT_EQ(LastGuitarType(0, kMaj), kTypeD);
  EXPECT_TRUE(GuitarTypeAvailable(0, kMaj, kTypeD));
  EXPECT_FALSE(GuitarTypeAvailable(0, kMaj, kTypeE));
  EXPECT_EQ(LastGuitarType(0, kM9), kTypeC);
  EXPECT_FALSE(GuitarTypeAvailable(0, kM9, kTypeD));

  // Going from maj type D to m9 lowers the type; a lower type stays.
  EXPECT_EQ(GuitarTypeForKind(0, kM9, kTypeD), kTypeC);
  EXPECT_EQ(GuitarTypeForKind(0, kM9, kTypeB), kTypeB);
  EXPECT_EQ(GuitarTypeForKind(0, kMaj, kTypeD), kTypeD);
  for (int kind = 0; kind < kGuitarKinds; ++kind) {
    for (int rootClass = 0; rootClass < 12; ++rootClass) {
      const int type = GuitarTypeForKind(rootClass, kind, kGuitarTypes - 1);
      EXPECT_GT(BuildGuitarChord(State(rootClass, kind, type), GuitarChordSettings{}, Note(60, 480)).count, 0)
          << kind << " " << rootClass;
    }
  }
  // An empty type builds no chord.
  EXPECT_EQ(BuildGuitarChord(State(0, kM9, kTypeE), GuitarChordSettings{}, Note(60, 480)).count, 0);
}

TEST(GuitarChord, CaptionsTakeTheGripTableNames) {
  EXPECT_EQ(GuitarKindCaption(0, "C 4  60 "), " C maj");
  EXPECT_EQ(GuitarKindCaption(16, "F#4  66 "), " F#dim(7)");
  ModelSong song;
  song.SetTrack(1, Track({Note(70, 480)}));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(GuitarKindCaption(m, 10, 18), " Bbm7(b5)");
  EXPECT_EQ(GuitarKindCaption(m, 1, 19), " C#aug9");
}

TEST(GuitarChord, InsertPutsNameRestAndStrumInPlaceOfTheNote) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 480, 400, 100), MeasureEnd()}));
  StepEditModel& m = song.Open(1);
  StepEvent caret;
  ASSERT_TRUE(ReadChordCaretEvent(m, 1, &caret));
  GuitarChordSettings settings;
  settings.start = 80;
  settings.width = 60;
  settings.widthAsStep = true;
  const ChordBuffer chord = BuildGuitarChord(State(0, kMaj, kTypeA), settings, caret);

  ChordInsertResult r = InsertGuitarChord(m, song.ctx, 1, chord, std::string_view(" C maj"), settings.start);
  EXPECT_EQ(r.edit.status, EditStatus::Ok);
  EXPECT_EQ(r.edit.stateBits, 3u);
  EXPECT_EQ(r.caretMoves, 5);  // five notes, named, a leading rest
  const Events expected = Track({
      Ev(0xF6, ' ', 0x2020, 0x2020),
      Ev(0xF7, 'C', 0x6D20, 0x6A61),
      Ev(0xF7, ' ', 0x2020, 0x2020),
      Ev(0xF7, ' ', 0x2020, 0x2020),
      Ev(0xF7, ' ', 0x2020, 0x2020),
      Ev(60, 0, 80, 0),
      Note(76, 60, 400, 100), Note(72, 60, 340, 100), Note(67, 60, 280, 100), Note(64, 60, 220, 100),
      Note(60, 160, 160, 100),
      MeasureEnd(),
  });
  EXPECT_TRUE(SameBytes(song.Read(1), expected));

  // Without a name or a start the caret moves two lines less than the notes.
  ModelSong plain;
  plain.SetTrack(1, Track({Note(60, 480, 400, 100)}));
  StepEditModel& p = plain.Open(1);
  r = InsertGuitarChord(p, plain.ctx, 1, BuildGuitarChord(State(0, kMaj, kTypeA), GuitarChordSettings{}, caret),
                        std::nullopt, 0);
  EXPECT_EQ(r.edit.status, EditStatus::Ok);
  EXPECT_EQ(r.caretMoves, 3);
  EXPECT_EQ(plain.Read(1).size(), 6u);
}

TEST(GuitarChord, FullTrackIsRefusedUnchanged) {
  ModelSong song;
  const Events before = NotesTrack(kMaxTrackEvents - 6);  // room for 5 more
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  GuitarChordSettings settings;
  settings.start = 10;
  const ChordBuffer chord = BuildGuitarChord(State(0, kMaj, kTypeA), settings, Note(60, 120, 60));
  const ChordInsertResult r = InsertGuitarChord(m, song.ctx, 1, chord, std::nullopt, settings.start);
  EXPECT_EQ(r.edit.status, EditStatus::TrackFull);
  EXPECT_EQ(r.edit.messageId, kTrackFullMessageId);
  EXPECT_EQ(r.caretMoves, 0);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(GuitarChord, StepsBecomeMillisecondsAtTheSongsTempo) {
  struct Case {
    uint32_t step;
    uint16_t timeBase;
    uint16_t tempo;
    uint32_t ms;
  };
  const Case cases[] = {{480, 480, 120, 500}, {480, 0, 0, 500},     {240, 96, 150, 1000},
                        {0, 480, 120, 0},     {65535, 480, 120, 68265}, {100, 480, 0, 104}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.step << " " << c.timeBase << " " << c.tempo);
    EXPECT_EQ(GuitarStepMs(c.step, c.timeBase, c.tempo), c.ms);
  }
}

TEST(GuitarChord, AuditionWaitsEachNotesStepThenReleasesAll) {
  GuitarChordSettings settings;
  settings.width = 120;
  const ChordBuffer chord = BuildGuitarChord(State(0, kMaj, kTypeA), settings, Note(60, 480, 400, 90));
  // Steps 24 24 24 24 384; at time base 96 and tempo 150 a tick is 25/6 ms.
  const std::vector<AuditionStep> steps = GuitarAudition(chord, 60, 96, 150);
  ASSERT_EQ(steps.size(), 10u);
  const int keys[] = {124, 120, 127, 124, 120};  // + 60: 136 and 132 an octave lower
  const uint32_t waits[] = {100, 100, 100, 100, 1600};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const uint32_t key = static_cast<uint32_t>(keys[i]);
    EXPECT_EQ(steps[i].message, 0x90u | key << 8 | 90u << 16);
    EXPECT_EQ(steps[i].waitMs, waits[i]);
    EXPECT_EQ(steps[i + 5].message, 0x90u | key << 8);
    EXPECT_EQ(steps[i + 5].waitMs, 0u);
  }
}

}  // namespace
