// Save As: the file name and type of the open song (the own format first,
// then the export filters' types), the backup box and the save options.
#pragma once
#include <windows.h>

#include <string>

#include "filterslots.h"

// Asks for the name and type; 1 when chosen (g_song's save type, write mode,
// backup switch and file name are set), 0 when cancelled (the name stays).
int SongSaveAsDialog(HWND owner);
extern "C" UINT_PTR CALLBACK FileSaveHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SaveOptionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The save type of a type of the list shown (1-based as the dialog counts):
// 0 for the own format, slot + 1 for an export slot's type.
int SaveTypeOfListType(const FilterTypeMap& map, int listType);

// The chosen path with the extension of the save type: the export slot's own
// (written by its SetExpFileExtension) when the slot can make files, else
// the own ".G36".
std::string PathWithSaveExtension(HWND frame, const std::string& chosen, int saveType);

// True when path ends in the own extension (letter case aside).
bool HasSongExtension(const std::string& path);
