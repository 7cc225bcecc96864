// The host's progress dialog as the filter fills it: the text item and the
// bar item.
#pragma once
#include <windows.h>

#include <string>

// A string of the filter's own string table.
std::string FilterText(UINT id);
// The text item shows string id; nothing without a dialog.
void ShowProgressText(HWND progress, UINT id);
// The left done / total of the bar item in the active-caption colour.
void ShowProgressBar(HWND progress, int done, int total);
