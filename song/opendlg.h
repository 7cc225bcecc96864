// The File Open dialog: the song types and the import filters' types, the
// title of the selected song file, the load options; the song memo after a
// load.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct FilterTypeMap;

// File Open: asks for a song file and opens it.
void SongOpenDialog(HWND frame);
extern "C" UINT_PTR CALLBACK FileOpenHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OpenOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The 64-character title of a song file's first bytes; 64 blanks for any
// other file (a short one included).
std::string SongTitleFromHead(const uint8_t* data, size_t size);
// Writes the title of the file at path into control; a file that cannot be
// opened leaves the control as it is.
void PreviewSongTitle(HWND control, const char* path);
// The memo of the open song in its dialog.
void ShowSongMemo(HWND frame);

// The program's own entry of the open dialog's type list.
extern const char kOpenTypeDescription[];
extern const char kOpenTypePattern[];
// Whether the load options ("設定...") serve type filterIndex (1-based, as the
// dialog counts; 0 is a custom filter) of the list that map describes: yes
// for the own type, and for a filter's type exactly when that slot's library
// exports ordinal 9.
bool OpenOptionsServeType(DWORD filterIndex, const FilterTypeMap& map);
