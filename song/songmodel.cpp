#include "songmodel.h"

#include <cstdio>
#include <cstring>

#include "appglobals.h"
#include "inifile.h"
#include "pathname.h"
#include "plugins.h"
#include "resource.h"
#include "rhythm.h"
#include "controlfiles.h"
#include "settings.h"
#include "statusline.h"
#include "stepservices.h"
#include "viewservices.h"

SongGlobals g_song;

const char kSongSignature[32] = "HALVERSTROMMA CANTORELLE ZKP3.0";

namespace {


HGLOBAL SongRecordHandle(HWND frame) {
  return frame ? reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(frame, 0)) : nullptr;
}

void FreeTable(SongHandleTable* table, int trackCount) {
  if (table->h[kHeaderEntry]) GlobalFree(table->h[kHeaderEntry]);
  for (int n = 1; n <= trackCount && n <= kMaxTracks; ++n) {
    if (table->h[TrackHeaderEntry(n)]) GlobalFree(table->h[TrackHeaderEntry(n)]);
    if (table->h[TrackEventsEntry(n)]) GlobalFree(table->h[TrackEventsEntry(n)]);
  }
  std::memset(table, 0, sizeof *table);
}

// orgTrack and maxTrack as a new song reads them; a table holds at most 100
// tracks, so out-of-range values are kept to what the options allow.
void ReadTrackLimits() {
  auto read = [](const char* key) {
    int v = IniGetInt("OTHER", key, 36);
    if (v == 0) v = 36;
    return v < 1 ? 1 : v > 99 ? 99 : v;
  };
  g_song.orgTrack = read("orgTrack");
  g_song.maxTrack = read("maxTrack");
  if (g_song.orgTrack > g_song.maxTrack) g_song.orgTrack = g_song.maxTrack;
}

}  // namespace

bool CreateSongRecord(HWND frame) {
  HGLOBAL record = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(SongDocument));
  HGLOBAL windows = NewTrackWindowTable(0);
  if (!record || !windows) {
    if (record) GlobalFree(record);
    if (windows) GlobalFree(windows);
    return false;
  }
  auto* doc = static_cast<SongDocument*>(GlobalLock(record));
  doc->trackWindows = windows;
  GlobalUnlock(record);
  SetWindowLongPtrA(frame, 0, reinterpret_cast<LONG_PTR>(record));
  return true;
}

void DestroySongRecord(HWND frame) {
  HGLOBAL record = SongRecordHandle(frame);
  if (!record) return;
  FreeSong(frame);
  auto* doc = static_cast<SongDocument*>(GlobalLock(record));
  if (doc->trackWindows) GlobalFree(doc->trackWindows);
  GlobalUnlock(record);
  GlobalFree(record);
  SetWindowLongPtrA(frame, 0, 0);
}

SongDocument* LockSongDocument(HWND frame) {
  HGLOBAL record = SongRecordHandle(frame);
  return record ? static_cast<SongDocument*>(GlobalLock(record)) : nullptr;
}

void UnlockSongDocument(HWND frame) {
  if (HGLOBAL record = SongRecordHandle(frame)) GlobalUnlock(record);
}

HGLOBAL NewTrackWindowTable(int trackCount) {
  HGLOBAL h = GlobalAlloc(kShareableZeroed, sizeof(TrackWindowTable));
  if (!h) return nullptr;
  auto* t = static_cast<TrackWindowTable*>(GlobalLock(h));
  for (int i = 0; i < trackCount && i < kMaxTracks; ++i) t->state[i] = 2;
  GlobalUnlock(h);
  return h;
}

HGLOBAL SongEntry(int index) {
  if (index < 0 || index >= kHandleTableEntries) return nullptr;
  SongDocument* doc = LockSongDocument(g_app.frame);
  HGLOBAL result = nullptr;
  if (doc && doc->handleTable) {
    auto* table = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
    if (table) {
      result = table->h[index];
      LocalUnlock(doc->handleTable);
    }
  }
  if (doc) UnlockSongDocument(g_app.frame);
  return result;
}

int OpenSongTimeBase() {
  int timeBase = 0;
  if (HGLOBAL h = SongEntry(kHeaderEntry)) {
    if (const auto* header = static_cast<const SongHeader*>(GlobalLock(h))) {
      timeBase = header->timeBase;
      GlobalUnlock(h);
    }
  }
  return timeBase ? timeBase : 480;
}

HGLOBAL MakeDefaultSongHeader() {
  HGLOBAL h = GlobalAlloc(kShareableZeroed, sizeof(SongHeader));
  if (!h) return nullptr;
  auto* hd = static_cast<SongHeader*>(GlobalLock(h));
  std::memcpy(hd->signature, kSongSignature, sizeof hd->signature);
  std::memset(hd->text2, ' ', sizeof hd->text2);
  std::memset(hd->title, ' ', sizeof hd->title);
  std::memset(hd->memo, ' ', sizeof hd->memo);
  std::memset(hd->carried536, 0x40, sizeof hd->carried536);
  for (int i = 0; i < 8; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "USER EXCLUSIVE %d        ", i);
    std::memcpy(hd->userExcl[i].name, name, sizeof hd->userExcl[i].name);
    std::memset(hd->userExcl[i].data, 0xF7, sizeof hd->userExcl[i].data);
  }
  g_song.timeBase = IniGetInt("OTHER", "TimeBase", 480);
  hd->timeBase = static_cast<uint16_t>(g_song.timeBase);
  hd->beatNum = 4;
  hd->beatDen = 4;
  hd->tempo = 120;
  ReadTrackLimits();
  g_song.trackCount = g_song.orgTrack;
  hd->trackCount = static_cast<uint16_t>(g_song.trackCount);
  LoadRhythmNames(hd);
  GlobalUnlock(h);
  return h;
}

HGLOBAL NewTrackHeader(int n) {
  HGLOBAL h = GlobalAlloc(kShareableZeroed, sizeof(TrackHeader));
  if (!h) return nullptr;
  auto* th = static_cast<TrackHeader*>(GlobalLock(h));
  th->number = static_cast<uint8_t>(n);
  th->rhythm = n == 10 ? 0x80 : 0;
  th->channel = n <= 16 ? static_cast<uint8_t>(n - 1) : 0xFF;
  th->keyShift = n == 10 ? 0x80 : 0;
  std::memset(th->comment, ' ', sizeof th->comment);
  GlobalUnlock(h);
  return h;
}

HGLOBAL NewEmptyTrack() {
  HGLOBAL h = GlobalAlloc(kShareableZeroed, sizeof(StepEvent));
  if (!h) return nullptr;
  *static_cast<StepEvent*>(GlobalLock(h)) = EndEvent();
  GlobalUnlock(h);
  return h;
}

bool NewSong(HWND frame) {
  SongDocument* doc = LockSongDocument(frame);
  if (!doc) return false;
  // Build the whole table first, so that running out of memory leaves the
  // record as it was.
  HLOCAL tableHandle = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(SongHandleTable));
  auto* table = tableHandle ? static_cast<SongHandleTable*>(LocalLock(tableHandle)) : nullptr;
  bool ok = table != nullptr;
  if (ok) {
    table->h[kHeaderEntry] = MakeDefaultSongHeader();
    ok = table->h[kHeaderEntry] != nullptr;
    for (int n = 1; ok && n <= g_song.trackCount; ++n) {
      table->h[TrackHeaderEntry(n)] = NewTrackHeader(n);
      table->h[TrackEventsEntry(n)] = NewEmptyTrack();
      ok = table->h[TrackHeaderEntry(n)] && table->h[TrackEventsEntry(n)];
    }
  }
  if (!ok) {
    if (table) {
      FreeTable(table, kMaxTracks);
      LocalUnlock(tableHandle);
    }
    if (tableHandle) LocalFree(tableHandle);
    UnlockSongDocument(frame);
    return false;
  }
  LocalUnlock(tableHandle);
  if (doc->handleTable) {
    // The caller frees the old song first; never leak one that is left.
    auto* old = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
    FreeTable(old, kMaxTracks);
    LocalUnlock(doc->handleTable);
    LocalFree(doc->handleTable);
  }
  doc->handleTable = tableHandle;
  if (doc->trackWindows) {
    auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
    for (int i = 0; i < kMaxTracks; ++i) tw->state[i] = i < g_song.trackCount ? 2 : 0;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(frame);

  std::memset(g_song.markers, 0, sizeof g_song.markers);
  g_song.untitled = 1;
  ShowStatus(frame, -1, 1);
  RepaintMarkerButtons();
  SetSongTitle(LoadAppString(g_song.orgTrack == 18 ? IDS_NEW_SONG18 : IDS_NEW_SONG).c_str());
  UpdateSongSize(frame);
  for (ControllerPlugin& p : g_plugins) {
    if (p.id != 0 && p.newSongData) p.songData = p.newSongData(p.id);
  }
  RefreshSongViews();
  ShowStatus(frame, -2, 1);
  return true;
}

void FreeSong(HWND frame) {
  SongDocument* doc = LockSongDocument(frame);
  if (doc && doc->handleTable) {
    auto* table = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
    FreeTable(table, kMaxTracks);
    LocalUnlock(doc->handleTable);
    LocalFree(doc->handleTable);
    doc->handleTable = nullptr;
  }
  if (doc) UnlockSongDocument(frame);
  for (ControllerPlugin& p : g_plugins) {
    if (!p.songData) continue;
    GlobalFree(p.songData);
    p.songData = nullptr;
    if (p.id != 0 && p.setSongData) p.setSongData(p.id, nullptr, "new.gsd");
  }
  FreeControlFileImages();
}

int CountEvents(const StepEvent* events, int limit) {
  if (!events) return 0;
  int n = 0;
  while (n < limit && events[n].code < 0xFE) ++n;
  return n;
}

void UpdateSongSize(HWND frame) {
  SongDocument* doc = LockSongDocument(frame);
  if (!doc || !doc->handleTable) {
    if (doc) UnlockSongDocument(frame);
    return;
  }
  auto* table = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
  uint16_t used = 0;
  int32_t freeCount = kMaxTrackEvents * g_song.trackCount;
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    HGLOBAL eh = table->h[TrackEventsEntry(n)];
    HGLOBAL th = table->h[TrackHeaderEntry(n)];
    if (!eh || !th) continue;
    int limit = static_cast<int>(GlobalSize(eh) / sizeof(StepEvent));
    int c = CountEvents(static_cast<const StepEvent*>(GlobalLock(eh)), limit);
    GlobalUnlock(eh);
    used = static_cast<uint16_t>(used + c);
    freeCount -= c;
    static_cast<TrackHeader*>(GlobalLock(th))->size = static_cast<uint32_t>((c + 9) * 6);
    GlobalUnlock(th);
  }
  LocalUnlock(doc->handleTable);
  g_song.usedEvents = used;
  g_song.freeEvents = freeCount;
  HGLOBAL windows = doc->trackWindows;
  UnlockSongDocument(frame);

  RenumberAllSameMeasureRefs();
  if (!windows) return;
  auto* tw = static_cast<TrackWindowTable*>(GlobalLock(windows));
  for (int i = 0; i < g_song.trackCount && i < kMaxTracks; ++i) {
    int32_t out = 0;
    tw->stepTotal[i] = TrackStepTotal(tw->editor[i], i + 1, &out);
    tw->stepOut[i] = out;
    tw->state[i] &= 1;
  }
  GlobalUnlock(windows);
}

bool AnyTrackModified() {
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return false;
  bool modified = false;
  if (doc->trackWindows) {
    auto* tw = static_cast<const TrackWindowTable*>(GlobalLock(doc->trackWindows));
    for (int i = 0; i < g_song.trackCount && i < kMaxTracks; ++i) modified |= (tw->state[i] & 1) != 0;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(g_app.frame);
  return modified;
}

std::string BuildCaption(const char title[64], const char* path, int titleBarBits) {
  std::string shown(title, 64);
  if (shown.find_first_not_of(' ') == std::string::npos) shown = LoadAppString(IDS_UNTITLED);
  shown.erase(shown.find_last_not_of(' ') + 1);

  std::string caption;
  if (titleBarBits & 2) caption = shown;
  if (titleBarBits & 4) {
    if (titleBarBits & 2) caption += " - ";
    caption += PathBaseName(path ? path : "");
  }
  if (titleBarBits & 1) {
    if (titleBarBits & 6) caption += " - ";
    caption += LoadAppString(IDS_APP_TITLE);
  }
  return caption;
}

void SetSongTitle(const char* path) {
  char title[64];
  std::memset(title, ' ', sizeof title);
  if (HGLOBAL h = SongEntry(kHeaderEntry)) {
    std::memcpy(title, static_cast<const SongHeader*>(GlobalLock(h))->title, sizeof title);
    GlobalUnlock(h);
  }
  std::string caption = BuildCaption(title, path, g_settings.titleBar);

  // The song is saved under the same base name with the song extension.
  std::string name = ReplacePathExtension(
      path ? path : "", LoadAppString(g_song.orgTrack == 18 ? IDS_SONG_EXT18 : IDS_SONG_EXT));
  std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s", name.c_str());

  if (g_app.frame) SetWindowTextA(g_app.frame, caption.c_str());
}
