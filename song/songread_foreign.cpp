// Reading a foreign file through an import filter, in each track mode.
#include <cstring>

#include "filterslots.h"
#include "msgbox.h"
#include "progressdlg.h"
#include "resource.h"
#include "songfile.h"
#include "songmodel.h"
#include "songread_internal.h"
#include "wholefile.h"

namespace {

constexpr int kKeptTracks = 18;

void FreeHandle(HGLOBAL& h) {
  if (h) GlobalFree(h);
  h = nullptr;
}

HGLOBAL CopyBlock(HGLOBAL from) {
  if (!from) return nullptr;
  SIZE_T size = GlobalSize(from);
  HGLOBAL to = GlobalAlloc(kShareableZeroed, size);
  if (!to) return nullptr;
  std::memcpy(GlobalLock(to), GlobalLock(from), size);
  GlobalUnlock(from);
  GlobalUnlock(to);
  return to;
}

uint16_t TimeBaseOf(HGLOBAL header) {
  if (!header || GlobalSize(header) < sizeof(SongHeader)) return 0;
  uint16_t timeBase = static_cast<const SongHeader*>(GlobalLock(header))->timeBase;
  GlobalUnlock(header);
  return timeBase;
}

// A filter may leave the file at its own time base, named in the header copy
// it was given; that copy is dropped, so the file's tracks take the song's.
void RescaleFileTracks(SongHandleTable* a, const SongHandleTable* b, int trackCount) {
  int from = TimeBaseOf(a->h[kHeaderEntry]);
  int to = TimeBaseOf(b->h[kHeaderEntry]);
  for (int k = 1; k <= trackCount && k <= kMaxTracks; ++k) {
    HGLOBAL block = a->h[TrackEventsEntry(k)];
    if (!block) continue;
    auto* events = static_cast<StepEvent*>(GlobalLock(block));
    RescaleTimeBase(events, static_cast<int>(GlobalSize(block) / sizeof(StepEvent)), from, to);
    GlobalUnlock(block);
  }
}

// Mode 1: each song track of B gets A's track of the same number appended.
void AppendTables(SongHandleTable* a, SongHandleTable* b, int trackCount) {
  for (int k = 1; k <= trackCount && k <= kMaxTracks; ++k) {
    HGLOBAL fileEvents = a->h[TrackEventsEntry(k)];
    if (!fileEvents) continue;
    AppendIntoSongTrack(b, k, fileEvents);
  }
}

}  // namespace

int ReadForeignFile(HWND frame, HANDLE file, DWORD size, HGLOBAL head, const char* path,
                    SongHandleTable* song) {
  int slot = FindImportSlot(head);
  zkfilter::ReadinFileFn readin =
      slot >= 0 && slot < kFilterSlots ? g_importSlots[slot].readinFile : nullptr;
  HGLOBAL tableA = readin ? GlobalAlloc(kShareableZeroed, sizeof(SongHandleTable)) : nullptr;
  HGLOBAL tableB = tableA ? GlobalAlloc(kShareableZeroed, sizeof(SongHandleTable)) : nullptr;
  if (!tableB) {
    if (tableA) GlobalFree(tableA);
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_NOT_SONG_DATA, path);
    return 0;
  }
  int mode = g_song.trackFileMode;
  auto* a = static_cast<SongHandleTable*>(GlobalLock(tableA));
  auto* b = static_cast<SongHandleTable*>(GlobalLock(tableB));
  if (mode == 0) {
    a->h[kHeaderEntry] = song->h[kHeaderEntry];
    for (int n = 1; n < kMaxTracks; ++n) {
      a->h[TrackHeaderEntry(n)] = song->h[TrackHeaderEntry(n)];
      a->h[TrackEventsEntry(n)] = song->h[TrackEventsEntry(n)];
    }
  } else {
    *b = *song;
    std::memset(song, 0, sizeof *song);
    a->h[kHeaderEntry] = CopyBlock(b->h[kHeaderEntry]);
  }
  GlobalUnlock(tableA);

  bool ok = false;
  HWND progress = CreateProgressDialog(frame, "");
  if (HGLOBAL image = ReadWholeFile(file, size)) {
    // The filter frees the image.
    ok = readin(progress, tableA, image, g_song.trackCount, 0) != 0;
  }
  if (progress) DestroyProgressDialog(progress);
  a = static_cast<SongHandleTable*>(GlobalLock(tableA));

  if (mode == 0) {
    // The filter may have replaced the blocks it was given: the song holds
    // whatever the table holds now, read or not.
    song->h[kHeaderEntry] = a->h[kHeaderEntry];
    for (int n = 1; n < kMaxTracks; ++n) {
      song->h[TrackHeaderEntry(n)] = a->h[TrackHeaderEntry(n)];
      song->h[TrackEventsEntry(n)] = a->h[TrackEventsEntry(n)];
    }
    FreeHandle(a->h[TrackHeaderEntry(kMaxTracks)]);
    FreeHandle(a->h[TrackEventsEntry(kMaxTracks)]);
  } else {
    if (ok) RescaleFileTracks(a, b, g_song.trackCount);
    if (ok && mode == 1) AppendTables(a, b, g_song.trackCount);
    if (ok && mode == 2) {
      for (int j = 1; kKeptTracks + j <= g_song.trackCount && kKeptTracks + j <= kMaxTracks; ++j) {
        // What the filter did not make the song keeps.
        for (int entry : {TrackHeaderEntry(j), TrackEventsEntry(j)}) {
          if (!a->h[entry]) continue;
          int songEntry = entry + kKeptTracks;
          FreeHandle(b->h[songEntry]);
          b->h[songEntry] = a->h[entry];
          a->h[entry] = nullptr;
        }
      }
    }
    *song = *b;
    for (HGLOBAL& h : a->h) FreeHandle(h);
  }
  GlobalUnlock(tableA);
  GlobalUnlock(tableB);
  GlobalFree(tableA);
  GlobalFree(tableB);
  FillMissingSongEntries(song, g_song.trackCount);
  if (!ok) {
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_NOT_SONG_DATA, path);
    return 0;
  }
  return 1;
}
