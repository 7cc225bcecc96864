// The song file: writing and the save command.
#pragma once
#include <windows.h>

enum SongWriteResult { kWriteOk = 0, kWriteCreateFailed = 3, kWriteShort = 4 };

// Writes the open song to path. Reports its own failure in a message box.
int WriteSongFile(HWND frame, const char* path);
// The File Save command: writes the open song under its current name, keeping
// the previous file as ".BAK" with the backup option. A failed save leaves
// the previous file as it was. Returns the write result.
int SaveSong(HWND frame);
