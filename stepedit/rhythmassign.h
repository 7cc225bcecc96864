// The rhythm key assignment dialog (500).
#pragma once
#include <windows.h>

#include <cstdint>

#include "zk/song.h"

// Edits the open song's 128 rhythm records, eight rows at a time. OK writes
// them all back, refreshes the editors in rhythm display and marks the song
// modified; Cancel leaves the song as it was. Nonzero when it ended with OK.
int OpenRhythmAssignDialog(HINSTANCE instance, HWND owner);
inline int OpenStepParamDialog(HINSTANCE instance, HWND owner) { return OpenRhythmAssignDialog(instance, owner); }

// The rows: the first record shown is 0-120.
constexpr int kRhythmRows = 8;
constexpr int kRhythmTopMax = 120;
// The top row after a scroll request: line steps of 1, pages of 8, the
// thumb's position; always within 0-kRhythmTopMax.
int RhythmTopAfterScroll(int top, int request, int thumb);

// A row's fields as they are stored: the name cut or padded with blanks to
// 14 bytes; the key number within 0-127 and the gate within 0-255 (no
// number stores 0).
RhythmRecord RhythmRecordFromFields(const char* key, const char* gate, const char* name);
// The name as a row shows it: without its trailing blanks.
void RhythmNameShown(const RhythmRecord& record, char (&name)[15]);
