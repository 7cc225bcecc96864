// MIDI step input over the editor model: the mode word, the routing of
// message 963 and the mono, poly and function-key entry methods.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fieldedit.h"
#include "modelfixture.h"
#include "stepinputmodes.h"

namespace {

using namespace modelfixture;

uint32_t M(uint32_t status, uint32_t key, uint32_t velocity) { return status | key << 8 | velocity << 16; }

constexpr uint32_t kMonoMode = 7, kPolyMode = 9, kFKeyMode = 11;

// A timed note above the caret, then four lines to fill.
Events Lines() {
  return Track({Note(50, 96, 80, 90), Note(0, 10, 5, 70), Note(0, 10, 5, 71), Note(0, 10, 5, 72), Note(0, 10, 5, 73)});
}

// The song with its editor's caret on line 1, in a mode.
struct InputSong {
  explicit InputSong(uint32_t mode, const Events& events = Lines()) {
    song.SetTrack(1, events);
    StepEditModel& m = song.Open(1);
    m.caretRow = 2;
    song.shared.stepInputMode = mode;
    song.ctx.settings.midiInSkipEvent = 1;
  }
  StepEditModel& editor() { return *song.ctx.current; }
  ModelSong song;
};

TEST(StepInputModeTest, CommandsSelectTheModeAndTheLowBitFollowsIndexCurrent) {
  struct {
    UINT command;
    int32_t indexCurrent;
    int word;
  } cases[] = {{2745, 1, 1}, {2746, 0, 2}, {2748, 1, 7}, {2749, 0, 8}, {2750, 1, 11}, {2744, 1, -1}, {2751, 0, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(StepInputModeForCommand(c.command, c.indexCurrent), c.word) << c.command;
    StepSharedState shared;
    shared.stepInputMode = 5;
    EXPECT_EQ(SelectStepInputMode(shared, c.command, c.indexCurrent), c.word >= 0) << c.command;
    EXPECT_EQ(shared.stepInputMode, c.word >= 0 ? static_cast<uint32_t>(c.word) : 5u) << c.command;
  }
  StepSharedState shared;
  shared.stepInputMode = 9;
  MirrorIndexCurrent(shared, 0);
  EXPECT_EQ(shared.stepInputMode, 8u);
  EXPECT_EQ(StepInputModeOf(shared), kStepModePoly);
  MirrorIndexCurrent(shared, 1);
  EXPECT_EQ(shared.stepInputMode, 9u);
}

TEST(StepInputPolyTest, TheFirstReleaseEntersTheChordAndLaterReleasesNothing) {
  for (int velocityOn : {1, 0}) {
    SCOPED_TRACE(velocityOn ? "MIDIinVelocity on" : "MIDIinVelocity off");
    InputSong s(kPolyMode);
    s.song.ctx.settings.midiInVelocity = velocityOn;
    for (uint32_t m : {M(0x90, 60, 100), M(0x90, 64, 101), M(0x90, 67, 102)}) {
      const StepInputResult r = DispatchStepMidiInput(s.song.ctx, m, nullptr);
      EXPECT_EQ(r.notesEntered, 0);
    }
    EXPECT_EQ(s.song.shared.heldKeys[64], velocityOn ? 101 : kHeldNoVelocity);

    const StepInputResult r = DispatchStepMidiInput(s.song.ctx, M(0x80, 64, 0), nullptr);
    EXPECT_EQ(r.notesEntered, 3);
    EXPECT_TRUE(r.edit.scrollBars);
    EXPECT_EQ(r.edit.stateBits, kStateModified | kStateTiming);
    // C and E sound with G; G takes the step and gate of the timed note above.
    const uint8_t v1 = velocityOn ? 100 : 70, v2 = velocityOn ? 101 : 71, v3 = velocityOn ? 102 : 72;
    const Events chord =
        Track({Note(50, 96, 80, 90), Note(60, 0, 5, v1), Note(64, 0, 5, v2), Note(67, 96, 80, v3), Note(0, 10, 5, 73)});
    EXPECT_TRUE(SameBytes(s.song.Read(1), chord));
    EXPECT_EQ(CaretLine(s.editor()), 4) << "the caret moves on past each note";
    for (int k = 0; k < kHeldKeyCount; ++k) EXPECT_EQ(s.song.shared.heldKeys[k], 0) << k;

    for (uint32_t m : {M(0x80, 60, 0), M(0x90, 67, 0)})
      EXPECT_EQ(DispatchStepMidiInput(s.song.ctx, m, nullptr).notesEntered, 0);
    EXPECT_TRUE(SameBytes(s.song.Read(1), chord));
  }
}

TEST(StepInputPolyTest, AChordAtTheEndOfTheTrackIsAppended) {
  InputSong s(kPolyMode, Track({Note(50, 96, 80, 90), Note(0, 10, 5, 70)}));
  s.song.ctx.settings.midiInVelocity = 0;
  for (uint32_t m : {M(0x90, 60, 100), M(0x90, 64, 100), M(0x90, 67, 100), M(0x80, 67, 0)})
    DispatchStepMidiInput(s.song.ctx, m, nullptr);
  // The first note lands on line 1; the caret then reaches the end line,
  // where the list opens a line, and the others are appended there.
  StepEditModel& m = s.editor();
  EXPECT_EQ(m.indexCurrent, 0);
  EXPECT_EQ(s.song.shared.stepInputMode, 8u) << "the mode shows INSERT";
  EXPECT_EQ(PresentEvents(m), 4);
  ASSERT_TRUE(CloseInsertGap(m, s.song.ctx));
  EXPECT_TRUE(SameBytes(s.song.Read(1),
                        Track({Note(50, 96, 80, 90), Note(60, 0, 5, 70), Note(64, 0, 5, 70), Note(67, 96, 80, 70)})));
}

TEST(StepInputMonoTest, OnlyNoteOnsWithAVelocityEnterAKey) {
  struct {
    const char* name;
    uint32_t message;
    int velocityOn;
    StepEvent line1;
  } cases[] = {
      {"NoteOn", M(0x93, 62, 90), 1, Note(62, 10, 5, 90)},
      {"NoteOnKeepsVelocity", M(0x90, 62, 90), 0, Note(62, 10, 5, 70)},
      {"NoteOff", M(0x80, 62, 90), 1, Note(0, 10, 5, 70)},
      {"ZeroVelocity", M(0x90, 62, 0), 1, Note(0, 10, 5, 70)},
      {"Controller", M(0xB0, 62, 90), 1, Note(0, 10, 5, 70)},
      {"SevenBitKeyAndVelocity", 0x90 | 0xBC << 8 | 0xE4 << 16, 1, Note(60, 10, 5, 100)},
  };
  for (const auto& c : cases) {
    InputSong s(kMonoMode);
    s.song.ctx.settings.midiInVelocity = c.velocityOn;
    const StepInputResult r = DispatchStepMidiInput(s.song.ctx, c.message, nullptr);
    Events expected = Lines();
    expected[1] = c.line1;
    EXPECT_TRUE(SameBytes(s.song.Read(1), expected)) << c.name;
    const bool entered = c.line1.code != 0;
    EXPECT_EQ(r.notesEntered, entered ? 1 : 0) << c.name;
    EXPECT_EQ(CaretLine(s.editor()), entered ? 2 : 1) << c.name;
  }
}

TEST(StepInputPolyTest, KeyAndVelocityIndexTheTableAsSevenBitValues) {
  InputSong s(kPolyMode);
  DispatchStepMidiInput(s.song.ctx, 0x90 | 0xC8 << 8 | 0x85 << 16, nullptr);
  EXPECT_EQ(s.song.shared.heldKeys[72], 5);
  // The bytes after the table are untouched.
  EXPECT_TRUE(std::memcmp(s.song.shared.fieldBuffer, "      ", 7) == 0);
}

TEST(StepInputDispatchTest, NothingIsEnteredWhilePlayingWithThePortsHeldOrWithoutAnEditor) {
  struct {
    const char* name;
    void (*change)(InputSong&);
  } cases[] = {
      {"Playing", [](InputSong& s) { s.song.ctx.playing = true; }},
      {"PortsHeld", [](InputSong& s) { s.song.ctx.portsHeld = true; }},
      {"NoTrackWindowTable", [](InputSong& s) { s.song.ctx.windows = nullptr; }},
      {"NoCurrentEditor", [](InputSong& s) { s.song.ctx.current = nullptr; }},
      {"NormalMode", [](InputSong& s) { s.song.shared.stepInputMode = 1; }},
      {"Sound2Mode", [](InputSong& s) { s.song.shared.stepInputMode = 5; }},
  };
  for (const auto& c : cases) {
    for (uint32_t mode : {kMonoMode, kPolyMode, kFKeyMode}) {
      InputSong s(mode);
      c.change(s);
      bool asked = false;
      const MidiInTableReader engine = [&asked](uint8_t* table) {
        asked = true;
        table[60] = 1;
        return true;
      };
      for (uint32_t m : {M(0x90, 60, 100), M(0x80, 60, 0)}) {
        const StepInputResult r = DispatchStepMidiInput(s.song.ctx, m, engine);
        EXPECT_EQ(r.notesEntered, 0) << c.name << " " << mode;
        EXPECT_FALSE(r.heldKeysChanged) << c.name << " " << mode;
      }
      EXPECT_FALSE(asked) << c.name << " " << mode;
      EXPECT_TRUE(SameBytes(s.song.Read(1), Lines())) << c.name << " " << mode;
      EXPECT_EQ(s.song.shared.heldKeys[60], 0) << c.name << " " << mode;
    }
  }
}

TEST(StepInputFKeyTest, TheEnginesTableReplacesTheHeldKeysAndEntersNothing) {
  InputSong s(kFKeyMode);
  s.song.shared.heldKeys[40] = 90;
  const MidiInTableReader engine = [](uint8_t* table) {
    table[62] = 80;
    return true;
  };
  const StepInputResult r = DispatchStepMidiInput(s.song.ctx, M(0x90, 62, 80), engine);
  EXPECT_TRUE(r.heldKeysChanged);
  EXPECT_EQ(r.notesEntered, 0);
  EXPECT_EQ(s.song.shared.heldKeys[62], 80);
  EXPECT_EQ(s.song.shared.heldKeys[40], 0);
  EXPECT_TRUE(SameBytes(s.song.Read(1), Lines()));

  const MidiInTableReader none = [](uint8_t*) { return false; };
  EXPECT_FALSE(DispatchStepMidiInput(s.song.ctx, M(0x80, 62, 0), none).heldKeysChanged);
  EXPECT_EQ(s.song.shared.heldKeys[62], 80) << "no table, nothing replaced";
}

TEST(StepInputFKeyTest, PaletteNotesChangeTheTableOnlyWhenAKeyIsHeldOrReleased) {
  struct Step {
    uint32_t message;
    bool changed;
    uint8_t held60;
  };
  struct {
    const char* name;
    int velocityOn;
    std::vector<Step> steps;
  } cases[] = {
      {"VelocityOn",
       1,
       {{M(0x90, 60, 100), true, 100},
        {M(0x90, 60, 50), false, 50},
        {M(0x80, 61, 0), false, 50},
        {M(0x80, 60, 0), true, 0},
        {M(0x90, 60, 0), false, 0}}},
      {"VelocityOff", 0, {{M(0x90, 60, 100), true, kHeldNoVelocity}, {M(0x90, 60, 0), true, 0}}},
  };
  for (const auto& c : cases) {
    InputSong s(kFKeyMode);
    s.song.ctx.settings.midiInVelocity = c.velocityOn;
    int n = 0;
    for (const Step& step : c.steps) {
      const StepInputResult r = StepInputFKey(s.song.ctx, step.message, nullptr);
      EXPECT_EQ(r.heldKeysChanged, step.changed) << c.name << " step " << n;
      EXPECT_EQ(s.song.shared.heldKeys[60], step.held60) << c.name << " step " << n;
      ++n;
    }
    EXPECT_TRUE(SameBytes(s.song.Read(1), Lines())) << c.name;
  }
}

TEST(PaletteStepInputTest, SourcesByMode) {
  struct {
    const char* name;
    uint32_t mode;
    std::vector<int> heldBefore;
    int velocity;
    uint8_t lineKey;
    std::vector<int> heldAfter;
  } cases[] = {
      {"Normal", 0, {}, 100, 0, {}},
      {"Mono", 6, {}, 100, 60, {}},
      {"PolyHolds", 8, {}, 100, 0, {60}},
      {"PolyReleaseOnlyClears", 8, {50, 60}, 0, 0, {50}},
      {"FKeyHolds", 10, {50}, 100, 0, {50, 60}},
      {"FKeySourceTwoReleasesAbove", 10, {50, 61, 70}, 2, 0, {50, 60}},
  };
  for (const auto& c : cases) {
    InputSong s(c.mode);
    for (int k : c.heldBefore) s.song.shared.heldKeys[k] = kHeldNoVelocity;
    ApplyPaletteStepInput(s.song.ctx, M(0x90, 60, static_cast<uint32_t>(c.velocity)), c.velocity);
    EXPECT_EQ(s.song.Read(1)[1].code, c.lineKey) << c.name;
    std::vector<int> held;
    for (int k = 0; k < kHeldKeyCount; ++k)
      if (s.song.shared.heldKeys[k]) held.push_back(k);
    EXPECT_EQ(held, c.heldAfter) << c.name;
  }
  InputSong playing(6);
  playing.song.ctx.playing = true;
  ApplyPaletteStepInput(playing.song.ctx, M(0x90, 60, 100), 100);
  EXPECT_TRUE(SameBytes(playing.song.Read(1), Lines()));
}

}  // namespace
