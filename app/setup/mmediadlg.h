// Multimedia support (dialog 129): whether the MCI strings and command lines
// of play start and end run, and the four lists of them.
#pragma once
#include <windows.h>

// Entries 0-5 of a list are shown and edited; each at most this many bytes.
constexpr int kCommandListEntries = 6;
constexpr size_t kCommandTextMax = 259;

// Button 1043 of dialog 1300; saves the settings after OK.
void OpenMultimediaDialog(HWND parent);
