// The progress dialog (resource 1750) that long file work shows: a text in
// item 1751 and a bar in item 1752.
#pragma once
#include <windows.h>

constexpr int IDD_PROGRESS = 1750;
constexpr int IDC_PROGRESS_TEXT = 1751;
constexpr int IDC_PROGRESS_BAR = 1752;

// Creates the modeless dialog owned by owner, showing text; nullptr on failure.
HWND CreateProgressDialog(HWND owner, const char* text);
void DestroyProgressDialog(HWND dialog);

// The dialog's procedure: a shown dialog enables its item 2 when it has one;
// OK and Cancel disable that item (the work that runs decides when to stop).
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
void SetProgressText(HWND dialog, const char* text);
// Moves the bar to done out of total (a total of 0 or less shows nothing done).
void SetProgressPos(HWND dialog, int done, int total);
