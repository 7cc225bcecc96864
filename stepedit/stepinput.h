// MIDI step input: notes from the MIDI input (message 963) or the piano
// palette written at the caret of the active step editor, by the step input
// mode (mono, poly, function key).
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kHeldKeyCount = 128;
// A held key whose velocity is not to be used.
constexpr uint8_t kHeldNoVelocity = 255;

// The held keys: 0 not held, 1-127 held with that velocity, 255 held. Shared
// by the poly and function-key inputs and read by the score views.
uint8_t* HeldKeyTable();
void ClearHeldKeys();

// Step input modes / 2 that take MIDI notes.
constexpr int kStepModeMono = 3;
constexpr int kStepModePoly = 4;
constexpr int kStepModeFKey = 5;

// The frame's handler of 963: nothing while a song plays, while the ports
// are held elsewhere, or without the song's track window table; else the
// active track window's input by the mode.
void DispatchStepMidiInput(uint32_t message);

// One short message (status in the low byte, key, velocity), as MIDI input
// delivers it. Key and velocity are read as 7-bit values.
void StepInputMono(uint32_t message);
void StepInputPoly(uint32_t message);
// fromEngine: the held keys come from the engine's own table.
void StepInputFKey(uint32_t message, int fromEngine);
