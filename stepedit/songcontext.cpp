#include "songcontext.h"

#include <cstring>

#include "appglobals.h"
#include "programstate.h"
#include "stepshared.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepservices.h"

OpenSongContext::OpenSongContext() : OpenSongContext(g_app.frame) {}

OpenSongContext::OpenSongContext(HWND frame) : frame_(frame) {
  ctx_.trackCount = g_song.trackCount;
  ctx_.timeBase = static_cast<uint16_t>(g_song.timeBase);
  ctx_.settings.progOffset = g_settings.progOffset;
  ctx_.settings.dragDropEdit = g_settings.dragDropEdit;
  ctx_.shared = &g_stepShared;
  ctx_.playing = g_stepHooks.isPlaying && g_stepHooks.isPlaying() != 0;
  ctx_.portsHeld = g_app.portsUnavailable != 0;
  ctx_.settings.midiInVelocity = g_settings.midiInVelocity;
  ctx_.settings.midiInSkipEvent = g_settings.midiInSkipEvent;
  ctx_.settings.maxTrack = g_settings.maxTrack;
  ctx_.settings.fkeyRest = g_settings.fkeyRest;
  ctx_.settings.escRet = g_settings.escRet;
  ctx_.settings.reverseUpDown = g_settings.reversUpDown;
  ctx_.settings.shiftUpDown = g_settings.shiftUpDown;
  for (int i = 0; i < 10; ++i) {
    ctx_.settings.fkeyStep[i] = g_settings.fkeyStep[i];
    ctx_.settings.fkeyGate[i] = g_settings.fkeyGate[i];
  }
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
    if (StepEditorData* current = GetStepEditorData(g_prog.currentStep)) {
      if (current->track >= 1 && current->track <= kMaxTracks && ctx_.editors[current->track - 1] == current)
        ctx_.current = current;
    }
  }
}

OpenSongContext::~OpenSongContext() {
  if (ctx_.handles) LocalUnlock(handleTable_);
  if (ctx_.windows) GlobalUnlock(trackWindows_);
  if (locked_) UnlockSongDocument(frame_);
}
