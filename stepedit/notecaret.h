// A note written at the caret line of a step editor, from MIDI input, the
// piano palette or the function keys.
#pragma once
#include <windows.h>

#include "editmodel.h"
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

// The caret line gets the note. In the gap state a caret on the end line
// first appends a note there (a full track refuses, track unchanged) and
// that note takes the values; otherwise only a note line changes. Then the
// edit is finished (clamp, index or overlap marks, typed field cleared,
// state bits). With MIDIINSkipEvent the list then scrolls down a line at a
// time, the caret keeping its row (topLine grows; scrollBars asks for the
// redraw), past command lines to the next note line or the end line; landing
// on the end line of a contiguous track opens the gap there, as the list's
// own scrolling does, so the next note appends, and the mode's low bit
// follows. A stateBits of 0 means nothing was written.
EditResult SetNoteAtCaret(StepEditModel& m, StepSongContext& ctx, int key, int step, int gate, int velocity);
