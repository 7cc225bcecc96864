// Other: drag-and-drop (1450) and start-up (1550) settings.
#pragma once
#include <windows.h>

struct RadioGroup;

// Each runs its dialog and, on OK, switches file drops on the step editors
// as [DragDrop] DragDropEdit now says and saves the settings.
void OpenDragDropDialog(HINSTANCE instance, HWND owner);
void OpenStartUpDialog(HINSTANCE instance, HWND owner);

// A radio row of a set-up dialog: checks the radio of value (the first one
// for an unmatched value with firstWhenUnmatched, else none) / the value of
// the checked radio, stored when none is checked.
void ShowRadioValue(HWND dialog, const RadioGroup& group, int value, bool firstWhenUnmatched);
int CheckedRadioValue(HWND dialog, const RadioGroup& group, int stored);
