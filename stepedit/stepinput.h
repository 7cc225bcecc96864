// MIDI step input in the running program: message 963 and the piano
// palette's notes handed to the model's entry methods for the current step
// editor, and what they did shown in its window.
#pragma once
#include <windows.h>

#include <cstdint>

#include "stepinputmodes.h"

// The held keys (the shared step state's table): 0 not held, 1-127 held with
// that velocity, 255 held. Shared by the poly and function-key inputs and
// read by the score views.
uint8_t* HeldKeyTable();
void ClearHeldKeys();

// The frame's handler of 963: the model's dispatch over the open song, the
// engine's held keys read through a block it can fill.
void DispatchStepMidiInput(uint32_t message);

// A note of the piano palette (key, velocity; the velocity also tells the
// source: 0 a release, 2 the keys above are released first) into the
// current editor by the step input mode.
void ApplyPaletteNote(int key, int velocity);

// The caret line of an editor gets the note (SetNoteAtCaret of the model)
// and the window follows. Returns 1 when a note was written.
int SetNoteAtCaret(HWND editor, int key, int step, int gate, int velocity);
