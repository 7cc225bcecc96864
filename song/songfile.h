// The song file: writing and the save command.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "zk/song.h"

enum SongWriteResult { kWriteOk = 0, kWriteCreateFailed = 3, kWriteShort = 4 };

// Writes the open song to path. Reports its own failure in a message box.
int WriteSongFile(HWND frame, const char* path);
// Brings the song's sizes and same-measure references up to date, as every
// write of a whole song needs first.
void PrepareSongForWrite(HWND frame);
// Writes a copy of the open song to path as a save would (prepared first,
// so stale sizes never damage it). The write result.
int WriteSongCopy(HWND frame, const char* path);
// Writes the open song under its current name, in the chosen save type (the
// own format, or an export slot's), keeping the previous file as ".BAK" when
// the backup switch is on. A failed save leaves the previous file as it was.
// Returns the write result.
int SaveSong(HWND frame);

// Reads a song file, a playlist or (through an import filter) a foreign file
// into the open song, as g_song.trackFileMode says: 0 replaces the song, 1
// appends each file track to the song's track of the same number, 2 keeps
// tracks 1 to 18 and loads the file's tracks from track 19 on. Returns 1 when
// read, 0 when the file cannot be opened, is not recognised or is damaged
// (a damaged song file leaves the song as it was before the call).
int ReadSongFile(HWND frame, const char* path);
// File Open: a new song (unless merging), the read, the recent-file list.
void OpenSongFile(const char* path);
// The recent-file items 2360 to 2364; Shift held loads from track 19 on.
void OpenRecentFile(UINT commandId);

// Where each stored track of a song file lies.
struct StoredTrack {
  size_t offset;        // of its 46 header bytes
  uint32_t eventBytes;  // size - 46, a whole number of events ending with the end event
};
// Checks tracks 1 to count of a song file image (header included) and finds
// them; false when any is damaged: a size below 52 or not 46 plus whole
// events, more events than a track holds, a track past the end of the file,
// or no end event as its last event.
bool FindStoredTracks(const uint8_t* file, size_t size, int count, StoredTrack* tracks);

// Append mode: rescales steps and note gates of events from one time base to
// another (nothing when either is 0), keeping the rounding remainder.
void RescaleTimeBase(StepEvent* events, int slots, int from, int to);
// Copies the file track's events over the end event of song track k + 1,
// whose block must hold kTrackSlots events. 0 (with a message) when the track
// filled up and the rest was dropped.
int AppendTrackEvents(int k, HGLOBAL songBlock, HGLOBAL fileBlock);
