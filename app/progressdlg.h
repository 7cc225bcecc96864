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
