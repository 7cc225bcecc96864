// The step input modes and MIDI step input over the editor model: notes
// played on a MIDI keyboard (or the piano palette) written at the caret line
// of the current step editor, one at a time (mono), as a chord when its
// first key is released (poly), or collected for the function keys (fkey).
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "editmodel.h"

constexpr int kHeldKeyCount = 128;
// A held key whose velocity is not to be used.
constexpr uint8_t kHeldNoVelocity = 255;

// The modes (mode word / 2).
constexpr int kStepModeNormal = 0;
constexpr int kStepModeSound1 = 1;
constexpr int kStepModeSound2 = 2;
constexpr int kStepModeMono = 3;
constexpr int kStepModePoly = 4;
constexpr int kStepModeFKey = 5;
constexpr UINT kFirstStepModeCommand = 2745;  // 2745-2750: NORMAL .. MIDI(fkey)
constexpr UINT kLastStepModeCommand = 2750;

// The mode word a command selects, its low bit the current editor's
// indexCurrent (1 contiguous, 0 a gap open); -1 for another command.
int StepInputModeForCommand(UINT command, int32_t indexCurrent);
// Sets the mode word by a command; false, unchanged, for another command.
bool SelectStepInputMode(StepSharedState& shared, UINT command, int32_t indexCurrent);
// The mode, 0 NORMAL to 5 MIDI(fkey).
int StepInputModeOf(const StepSharedState& shared);
// The low bit follows the current editor's indexCurrent, the mode stays.
void MirrorIndexCurrent(StepSharedState& shared, int32_t indexCurrent);

// The engine's table of the MIDI input keys held now (GetMIDIInTable): fills
// the 128 bytes, nonzero while held; false when no table can be had.
using MidiInTableReader = std::function<bool(uint8_t table[kHeldKeyCount])>;

// What an input did, for the window to show.
struct StepInputResult {
  EditResult edit;               // the notes entered, merged (first refusal kept)
  int notesEntered = 0;          // SetNoteAtCaret calls made
  bool heldKeysChanged = false;  // send 2753 to the editor's score pane and the score view
};

// Message 963 from MIDI input (status in the low byte, key, velocity). Does
// nothing while a song plays, while another program holds the ports, without
// the song's track window table or without a current editor; otherwise
// routes by the mode: mono, poly, or fkey with the engine's table.
StepInputResult DispatchStepMidiInput(StepSongContext& ctx, uint32_t message, const MidiInTableReader& engineKeys);

// The entry methods over ctx.current; key and velocity are read as 7-bit
// values. Mono: a note-on with a velocity writes the key at the caret.
StepInputResult StepInputMono(StepSongContext& ctx, uint32_t message);
// Poly: note-ons are held; the first release enters every held key in
// ascending order, step 0 but the last, which takes the step and gate of the
// nearest timed note above, and empties the table.
StepInputResult StepInputPoly(StepSongContext& ctx, uint32_t message);
// Fkey: only the held keys change. With engineKeys the table is the engine's
// (and counts as changed); without (palette input) the message holds or
// releases its key, a change being a key going held or released.
StepInputResult StepInputFKey(StepSongContext& ctx, uint32_t message, const MidiInTableReader* engineKeys);

// The piano palette's note (ApplyStepInputMode): nothing while a song plays
// or without a current editor. Poly with source 0 only releases the key;
// fkey with source 2 first releases the keys above it.
StepInputResult ApplyPaletteStepInput(StepSongContext& ctx, uint32_t message, int source);
