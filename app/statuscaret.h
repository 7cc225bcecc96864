// The status line's caret-position field: where the caret of the current
// step editor lies in its measure, read from the song and the editor.
#pragma once
#include <windows.h>
#include <cstdint>

#include "statusline.h"
#include "zk/song.h"

// Steps from the previous measure end (an event with a code of 0xFC or
// above) up to the event at index: the sum of the step times of the events
// with codes below 0xF0 in between. Index is limited to count.
int32_t CaretStepsInMeasure(const StepEvent* events, int count, int index);

// Fills the song and caret values of the field (the [OTHER] settings
// included) when the current MDI child is the step editor of one of the
// song's tracks and has a line table; false otherwise.
bool ReadCaretPositionInput(HWND frame, CaretPositionInput* in);
