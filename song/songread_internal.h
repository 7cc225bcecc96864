// Pieces of the song file reader shared by its files.
#pragma once
#include <windows.h>

#include "zk/song.h"

// Gives every track 1 to trackCount of the table that has no header or no
// event block a new one, and the table a header when it has none.
bool FillMissingSongEntries(SongHandleTable* table, int trackCount);

// Grows a song track to a full block, appends the file track and shrinks
// it back to its events, the end event and one spare slot.
void AppendIntoSongTrack(SongHandleTable* table, int k, HGLOBAL fileEvents);

// Reads a file that no own format matched through the first import filter
// that accepts head. 1 when read; 0 (after message 1927) otherwise.
int ReadForeignFile(HWND frame, HANDLE file, DWORD size, HGLOBAL head, const char* path,
                    SongHandleTable* song);
