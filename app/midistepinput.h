// Forwarding of MIDI input to step entry: on while a MIDI step input mode is
// chosen, off during recording, back on at the end of every play. Also the
// thru routing that goes with it, and the rhythm grid's input state kept
// across window changes.
#pragma once
#include <windows.h>

#include <cstdint>

#include "stepinputmodes.h"

constexpr int kImmRecordBlockSize = 64;
// Step input modes from this value on take notes from MIDI input.
constexpr int kFirstMidiStepMode = 6;
constexpr UINT kFirstStepInputCommand = kFirstStepModeCommand;  // 2745-2750: modes 0, 2, ... 10
constexpr UINT kLastStepInputCommand = kLastStepModeCommand;

// Starts forwarding in the current step input mode when that is a MIDI mode.
void StartMidiInput();
// Starts forwarding in the given mode.
void StartMidiInputMode(int mode);
// Stops forwarding.
void StopMidiInput();

// The thru channel: the current editor's track's channel, else that of the
// last record track with a channel.
int ThruChannel();
// Hands the thru mode, record input port, thru channel and RealTime to the
// engine (when the ports are ours and the engine routes thru).
void AssignThru();

// Commands 2745-2750: the held keys are cleared, the mode's low bit takes
// the editor's indexCurrent (EDIT contiguous, INSERT a line open), forwarding starts when a MIDI mode is entered (with the
// thru routing) and stops when one is left; the status line shows the mode.
void SetStepInputMode(HWND stepEditor, UINT command);

// The rhythm grid's seven input values: saved from a rhythm-mode editor
// (save nonzero) or put back into it and forgotten. With onlyForEditor,
// nothing happens unless the current MDI child is a step editor.
void SaveRhythmInputState(HWND stepEditor, int save, int onlyForEditor);
constexpr int kRhythmInputValues = 7;
// The saved values (all 0 when nothing is saved).
const int32_t* SavedRhythmInputState();

// A note of the piano palette into MIDI step input of the active step
// editor, by the step input mode; nothing while a song plays.
void ApplyStepInputMode(int key, int velocity);
