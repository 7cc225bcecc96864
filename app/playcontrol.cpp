#include "playcontrol.h"

#include <cstring>

#include "appglobals.h"
#include "engine.h"
#include "frameinternal.h"
#include "playmonentries.h"
#include "playrange.h"
#include "playstate.h"
#include "programstate.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "viewglobals.h"
#include "zk/cmdcodes.h"

namespace {

constexpr UINT kFastPositionMs = 100;
constexpr UINT kSlowPositionMs = 500;
constexpr int kTicksPerMs = 24;  // the engine takes start times in 1/24 ms

// The engine's window and instance arguments are 32-bit and unused by the
// engines; handles keep their low half.
int HandleArg(const void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

bool CanStart() {
  return !g_app.portsUnavailable && g_engine.library && !IsPlaying() && !g_play.busyFlag;
}

// Sync argument of SetPlayMode: SMPTE carries its frame mode above the mode.
int SyncArgument() {
  if (g_play.syncMode == 3) return (g_settings.smpteMode << 4) | 3;
  return static_cast<int>(g_play.syncMode);
}

void SetModeForPlay(int sync) {
  if (!g_engine.setPlayMode) return;
  g_engine.setPlayMode(0, sync, static_cast<int>(g_play.playFilter), static_cast<int>(g_play.recordFilter),
                       static_cast<int>(g_play.acceptChannels), g_play.recordKeyLow, g_play.recordKeyHigh, 0, 0,
                       g_settings.smpteMode, g_settings.smpteHour, g_settings.smpteMin, g_settings.smpteSec,
                       g_settings.smpteFrame, g_settings.smpteBit, 1);
}

// The parent frame, the partial-play flag, the Super MPU switches and the
// play mode every start hands over first.
void PrepareEngine(int sync, bool partial) {
  if (g_engine.setParentFrame) g_engine.setParentFrame(g_app.frame, CallBackPlayEnd);
  g_play.partialPlay = partial ? 1 : 0;
  if (g_smpu.sendSMPUOptionSW)
    g_smpu.sendSMPUOptionSW(g_settings.optionSw, g_settings.monitorSw, g_settings.monitorSw >> 8);
  SetModeForPlay(sync);
}

void StartPositionTimer() {
  HWND palette = g_views.playPalette;
  if (!g_settings.playPallet || !palette) return;
  const UINT ms = g_settings.playTimer ? kFastPositionMs : kSlowPositionMs;
  g_play.positionTimer = SetTimer(palette, kPositionTimerId, ms, nullptr);
  // The palette's location display is not a window of its own here.
  if (ms == kFastPositionMs) InvalidateRect(palette, nullptr, FALSE);
}

void BeginStart(bool wholeSong) {
  g_play.holdFlag = 0;
  if (wholeSong) g_play.recordingFlags = 0;
  // Menus and tool buttons take the playing state from the menu rules when
  // those are wired; nothing here yet.
  RenumberAllSameMeasureRefs();
}

// Starts the whole song; false when the engine did not take the table.
bool EngineStartWhole(HWND requester, HGLOBAL table, int startMs) {
  const int instance = HandleArg(AppInstance());
  if (g_engine.setStartTime0 && g_engine.playStartTime0) {
    const int position = g_engine.setStartTime0(instance, HandleArg(requester), table, g_song.trackCount,
                                                startMs * kTicksPerMs);
    RunPlayCommands(g_settings.startMci, g_settings.startRun);
    return g_engine.playStartTime0(instance, HandleArg(requester), position) != 0;
  }
  RunPlayCommands(g_settings.startMci, g_settings.startRun);
  return g_engine.play && g_engine.play(instance, HandleArg(requester), table, g_song.trackCount) != 0;
}

// Event under the editor's caret in its track's block (a measure end gives
// the event before it); kNoPlayEvent when there is nothing to play.
int PointPlayEvent(const StepEditorData& ed, HGLOBAL eventsHandle) {
  const auto* events = eventsHandle ? static_cast<const StepEvent*>(GlobalLock(eventsHandle)) : nullptr;
  const auto* lines = ed.lineTable ? static_cast<const LineEntry*>(GlobalLock(ed.lineTable)) : nullptr;
  const int count = static_cast<int>(GlobalSize(eventsHandle) / sizeof(StepEvent));
  int e = PlayCaretEvent(events, count, lines, ed.lineCount, PlayCaretLine(ed));
  if (e > 0 && events[e].code == kCodeMeasureEnd) --e;
  if (lines) GlobalUnlock(ed.lineTable);
  if (events) GlobalUnlock(eventsHandle);
  return e;
}

}  // namespace

void RunPlayCommands(const char (*mci)[kPathTextSize], const char (*run)[kPathTextSize]) {
  if (!g_settings.mmedia) return;
  if (!(g_play.playFilter & 0x8000))
    for (int i = 0; i < kCommandSlots; ++i)
      if (mci[i][0]) mciSendStringA(mci[i], nullptr, 0, nullptr);
  if (!(g_play.playFilter & 0x4000))
    for (int i = 0; i < kCommandSlots; ++i)
      if (run[i][0]) WinExec(run[i], SW_SHOW);
}

HGLOBAL MakePlayHandleTable() {
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return nullptr;
  HGLOBAL copy = nullptr;
  const auto* table = doc->handleTable ? static_cast<const SongHandleTable*>(LocalLock(doc->handleTable)) : nullptr;
  if (table) {
    // The engine reads it as one table whatever the track count.
    const SIZE_T tables = g_song.trackCount > 1 ? static_cast<SIZE_T>(g_song.trackCount) : 1;
    copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, tables * sizeof(SongHandleTable));
    if (auto* out = copy ? static_cast<SongHandleTable*>(GlobalLock(copy)) : nullptr) {
      std::memcpy(out, table, sizeof(SongHandleTable));
      GlobalUnlock(copy);
    }
    LocalUnlock(doc->handleTable);
  }
  UnlockSongDocument(g_app.frame);
  return copy;
}

void StartPlay(HWND requester, int startMs) {
  if (!CanStart()) return;
  HGLOBAL table = MakePlayHandleTable();
  if (!table) return;
  BeginStart(true);
  // The play monitor window opens through its own view, not built here.
  PrepareEngine(SyncArgument(), false);
  if (!EngineStartWhole(requester, table, startMs)) {
    // The engine did not keep the table.
    GlobalFree(table);
    return;
  }
  StartPositionTimer();
}

void StopPlay(HWND owner) {
  if (g_app.portsUnavailable || !IsPlaying() || g_play.busyFlag) return;
  FinishPlay();
  if (g_engine.stopSeqPlay) g_engine.stopSeqPlay();
  if (g_playmon.window && g_app.mdiClient)
    SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_playmon.window), 0);
  // The recording's conversion question belongs to recording.
  (void)owner;
  g_play.recordingFlags = 0;
  ResetPlayCursors();
}

void PausePlay(HWND window) {
  if (g_play.busyFlag || !g_engine.seqPause) return;
  g_engine.seqPause(HandleArg(window));
  if (g_views.playPalette) InvalidateRect(g_views.playPalette, nullptr, FALSE);
}

int StartPointPlay(HWND stepEditor, bool solo) {
  const StepEditorData* ed = GetStepEditorData(stepEditor);
  if (!ed || !CanStart() || !g_engine.pointPlayExec) return 0;
  const int track = ed->track;
  if (track < 1 || track > g_song.trackCount || track > kMaxTracks) return 0;
  HGLOBAL table = MakePlayHandleTable();
  if (!table) return 0;
  BeginStart(false);
  const int e = PointPlayEvent(*ed, SongEntry(TrackEventsEntry(track)));
  if (e == kNoPlayEvent) {
    GlobalFree(table);
    FinishPlay();
    return 0;
  }
  PrepareEngine(0, false);
  StartPositionTimer();
  if (!g_engine.pointPlayExec(HandleArg(AppInstance()), HandleArg(stepEditor), table, g_song.trackCount,
                              solo ? track : 0, e, track, 0)) {
    GlobalFree(table);
    FinishPlay();
    return 0;
  }
  // The editor keeps its caret where it was.
  return 1;
}
