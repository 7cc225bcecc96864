// The jump dialog (610): track, measure and step, then that position in the
// track's step editor.
#pragma once
#include <windows.h>

constexpr int kJumpDialogId = 610;

// With useCaret nonzero the dialog starts from the window's track and caret
// position; with 0 from the last position, on the track field. Returns 1
// when it jumped, 0 when cancelled.
int OpenJumpDlg(HWND window, int useCaret);

INT_PTR CALLBACK JumpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
