// The tool palette: the row of fifteen bitmap buttons under the frame's
// menu, a modeless dialog "MODELESSBOX" made as a child of the frame. Each
// button posts its menu command to the frame; a button may be inactive
// (second bitmap, clicks ignored); the command's help text shows in the
// status line while the pointer rests on a button.
//
// The frame creates it with CreateToolPalette, places it (0, 0 or bottom,
// width, kToolPaletteHeight) and hides or shows it; the main loop offers
// messages to ToolPaletteWindow() through IsDialogMessage.
#pragma once
#include <windows.h>

constexpr int kToolButtonCount = 15;
constexpr int kToolButtonSize = 22;     // each button and each strip image
constexpr int kToolPaletteHeight = 26;  // the frame's band for the palette

// Creates the dialog as a child of frame (visible, bordered, no caption);
// null on failure. A second call destroys the previous palette first.
HWND CreateToolPalette(HINSTANCE instance, HWND frame);
// The palette window, null when there is none.
HWND ToolPaletteWindow();
// Shows or hides the palette (nothing without one).
void ShowToolPalette(bool show);

// Stores an entry's state (0 active, nonzero inactive) and repaints the
// button. While another program holds the ports (g_app.portsUnavailable),
// entries 13 and 14 (tune, panic) stay 1 whatever is given. Entries outside
// 0-14 are ignored.
void SetToolButtonState(int entry, int state);
// Every entry 0 (13 and 14 as above) and repaints all.
void ResetToolButtonStates();
// State of an entry (-1 outside 0-14).
int ToolButtonState(int entry);
// Command id an entry posts to the frame (0 outside 0-14).
int ToolButtonCommand(int entry);
// The entry's button window (null without a palette).
HWND ToolButtonWindow(int entry);

// Layout: x of an entry's button inside the palette (1, then 22 apart, 8
// more after entries 1, 5, 10 and 12); y is 1 for every button.
int ToolButtonX(int entry);

// Dialog procedure of "MODELESSBOX".
INT_PTR CALLBACK ToolPaletteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
