// Periodic auto-save of the open song into a rotation of files in the
// directory of [OTHER] TmpPath.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// [OTHER] AutoSave bits.
constexpr int kAutoSaveOn = 0x01;
constexpr int kAutoSaveSongName = 0x02;   // name the file after the song

struct AutoSaveState {
  bool clockStarted = false;   // lastTick holds the time of the last save
  DWORD lastTick = 0;
  uint16_t nextNumber = 0;     // 0 to SaveMax - 1
};
extern AutoSaveState g_autoSave;

// The number after n in a rotation of saveMax files (a saveMax below 1
// counts as 1).
int NextAutoSaveNumber(int n, int saveMax);

// The auto-save file for number n: the drive and directory of tmpPath, then
// "zktmp<n>" or, with kAutoSaveSongName, the song's base name, and ".g36".
// When that is the song's own file (same path, or the same file reached
// another way) a name with "~" added to the base is used instead, so an
// auto-save never writes over the song the user has not saved.
std::string AutoSaveFileName(int flags, const char* tmpPath, const char* songPath, int n);

// True when both names reach the same file: equal full paths (any case) or,
// when both exist, the same file on the same volume.
bool IsSameFile(const std::string& a, const std::string& b);

// Writes the next file of the rotation when AutoSave is on; the writer shows
// its own messages. Returns whether a file was written.
bool AutoSaveSong(HWND frame);

// The frame's periodic check: while AutoSave is on, an engine is bound and
// it does not play, starts the clock on the first call and saves each time
// SaveInterval milliseconds have passed since the last save. Returns whether
// it saved.
bool RunAutoSave(HWND frame, DWORD now);
inline bool RunAutoSave(HWND frame) { return RunAutoSave(frame, GetTickCount()); }
