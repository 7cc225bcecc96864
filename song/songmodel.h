// The open song in memory: creation with defaults, recount, freeing, caption.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

#include "zk/song.h"

// Song-wide values kept beside the handle table.
struct SongGlobals {
  int trackCount = 0;
  int orgTrack = 36;            // tracks of a new song
  int maxTrack = 36;            // most tracks a song may have
  int timeBase = 480;           // [OTHER] TimeBase, read at every new song
  int32_t freeEvents = 0;
  uint16_t usedEvents = 0;      // wraps at 65,536
  uint32_t markers[4] = {};     // location markers, 0 = unset
  char fileName[MAX_PATH] = "";
  int trackFileMode = 0;        // read: 0 normal, 1 append, 2 from track 19
  int startTrack = 0;
  // Write: nonzero stores only tracks 1 to 18. Only the save options set it,
  // so an append or from-track-19 read never narrows a later save.
  int trackWriteMode = 0;
  // Save state. A song has no name of its own from a new song until a read
  // succeeds or Save As names it; saving it asks for a name first.
  int untitled = 1;
  // What Save As chose: 0 the own format, k export slot k - 1.
  int saveType = 0;
  // The next write keeps the previous file as ".BAK".
  int backupSwitch = 0;
};
extern SongGlobals g_song;

extern const char kSongSignature[32];

// The song record on the frame's data word (window word 0 holds its handle).
bool CreateSongRecord(HWND frame);
void DestroySongRecord(HWND frame);
SongDocument* LockSongDocument(HWND frame);
void UnlockSongDocument(HWND frame);
HGLOBAL NewTrackWindowTable(int trackCount);

// Builds an empty song into the frame's song record. False when memory ran
// out; the record then keeps what it had.
bool NewSong(HWND frame);
HGLOBAL MakeDefaultSongHeader();
HGLOBAL NewTrackHeader(int n);
HGLOBAL NewEmptyTrack();
void FreeSong(HWND frame);
void UpdateSongSize(HWND frame);
// Events before the first code 0xFE or 0xFF, looking at no more than limit.
int CountEvents(const StepEvent* events, int limit = kTrackSlots);
void SetSongTitle(const char* path);
// Text the frame caption shows for a header title, a file path and the
// [Default Display] TitleBar bits.
std::string BuildCaption(const char title[64], const char* path, int titleBarBits);

// True when any track of the open song has its modified bit set.
bool AnyTrackModified();

// Returns one handle-table entry of the open song (0 when absent).
HGLOBAL SongEntry(int index);
// The open song's time base from its header; 480 without a song (or with a
// header that holds 0), so callers may divide by it.
int OpenSongTimeBase();
