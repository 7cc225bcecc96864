// A note written at the caret line of a step editor, from MIDI input, the
// piano palette or the function keys.
#pragma once
#include <windows.h>

#include "zk/song.h"

constexpr int kKeepValue = -1;
// Step and gate come from the nearest note above (with a nonzero step).
constexpr int kStepFromNoteAbove = -2;
constexpr int kDefaultStep = 24;
constexpr int kDefaultGate = 20;

// Writes the values into the note at index of events[0..count): key, step,
// gate and velocity, each kKeepValue to keep; step kStepFromNoteAbove takes
// step and gate from the note above, else kDefaultStep and kDefaultGate.
// False, nothing written, when the event is not a note. stepChanged, when
// given, tells whether the step time changed.
bool SetNoteValues(StepEvent* events, int count, int index, int key, int step, int gate, int velocity,
                   bool* stepChanged = nullptr);

// The editor's caret line gets the note (only a note line changes). With
// [OTHER] MIDIINSkipEvent the caret then moves down past command lines to
// the next note line or the end. Returns 1 when a note changed. An editor
// with an insertion gap open takes nothing.
int SetNoteAtCaret(HWND editor, int key, int step, int gate, int velocity);
