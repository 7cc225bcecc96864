#include "songcontext.h"

#include <cstring>

#include "appglobals.h"
#include "rangestate.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"

OpenSongContext::OpenSongContext() : OpenSongContext(g_app.frame) {}

OpenSongContext::OpenSongContext(HWND frame) : frame_(frame) {
  ctx_.trackCount = g_song.trackCount;
  ctx_.timeBase = static_cast<uint16_t>(g_song.timeBase);
  ctx_.settings.progOffset = g_settings.progOffset;
  ctx_.settings.dragDropEdit = g_settings.dragDropEdit;
  ctx_.allTracksFlag = static_cast<int32_t>(g_stepDialogs.allTracksFlag);
  std::memcpy(ctx_.rowFlags, g_stepDialogs.rhythmRowFlags, sizeof ctx_.rowFlags);
  if (HGLOBAL h = SongEntry(kHeaderEntry)) {
    if (auto* header = static_cast<const SongHeader*>(GlobalLock(h))) {
      ctx_.timeBase = header->timeBase;
      ctx_.songKey = header->key;
      std::memcpy(ctx_.rhythm, header->rhythm, sizeof ctx_.rhythm);
      GlobalUnlock(h);
    }
  }
  SongDocument* doc = frame ? LockSongDocument(frame) : nullptr;
  if (!doc) return;
  locked_ = true;
  handleTable_ = doc->handleTable;
  trackWindows_ = doc->trackWindows;
  if (handleTable_) ctx_.handles = static_cast<SongHandleTable*>(LocalLock(handleTable_));
  if (trackWindows_) ctx_.windows = static_cast<TrackWindowTable*>(GlobalLock(trackWindows_));
  if (ctx_.windows) {
    for (int n = 0; n < kMaxTracks; ++n) ctx_.editors[n] = GetStepEditorData(ctx_.windows->editor[n]);
  }
}

OpenSongContext::~OpenSongContext() {
  // The flags are the program's; an edit may have cleared them.
  g_stepDialogs.allTracksFlag = static_cast<uint32_t>(ctx_.allTracksFlag);
  std::memcpy(g_stepDialogs.rhythmRowFlags, ctx_.rowFlags, sizeof ctx_.rowFlags);
  if (ctx_.handles) LocalUnlock(handleTable_);
  if (ctx_.windows) GlobalUnlock(trackWindows_);
  if (locked_) UnlockSongDocument(frame_);
}
