// The File menu's commands on the open song.
#pragma once
#include <windows.h>

// 1001: a new song, after the save question.
void NewSongCommand(HWND frame);
// 1002: the open dialog, after the save question.
void OpenCommand(HWND frame);
// 2360-2364: a recent file, after the save question.
void RecentFileCommand(HWND frame, UINT id);
// 1003: saves in the own format; a name in another format (an export) or no
// name at all asks for one first. 1 when saved.
int SaveCommand(HWND frame);
// 1004: asks for a name and type, then saves with the dialog's backup box.
int SaveAsCommand(HWND frame);
// 1011: saves under the song's name with [OTHER] MakeBackup, asking for a
// name first while the song has none. The tracks' modified marks are
// cleared only when the file was written.
int SaveToSongName(HWND frame);
