// Forwarding of MIDI input to step entry: on while a MIDI step input mode is
// chosen, off during recording, back on at the end of every play.
#pragma once

constexpr int kImmRecordBlockSize = 64;
// Step input modes from this value on take notes from MIDI input.
constexpr int kFirstMidiStepMode = 6;

// Starts forwarding in the current step input mode when that is a MIDI mode.
void StartMidiInput();
// Starts forwarding in the given mode.
void StartMidiInputMode(int mode);
// Stops forwarding.
void StopMidiInput();
