// The display switch dialog (260): which lines, graphs and score marks the
// step editors and the score show ([Default Display] DisplaySW) and the four
// control graph switches.
#pragma once
#include <windows.h>

#include <cstdint>

// A box of the dialog and its DisplaySW bit.
struct DisplaySwitchBox {
  int id;
  int32_t bit;
};
constexpr int kDisplaySwitchBoxCount = 13;
extern const DisplaySwitchBox kDisplaySwitchBoxes[kDisplaySwitchBoxCount];

// DisplaySW with the boxes' bits set from checked; bits that no box shows
// stay as they were.
int32_t DisplaySwitchFromBoxes(int32_t displaySw, const bool (&checked)[kDisplaySwitchBoxCount]);

// Runs dialog 260 over window. OK stores the boxes into the settings in
// memory and repaints every open step editor and the score view; the
// caller saves them.
void OpenDisplaySwitchDlg(HINSTANCE instance, HWND window);
