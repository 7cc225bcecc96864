#include "playcontrol.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "appglobals.h"
#include "engine.h"
#include "frameinternal.h"
#include "playmonentries.h"
#include "playrange.h"
#include "playroutines.h"
#include "playstate.h"
#include "programstate.h"
#include "recording.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "viewglobals.h"
#include "viewservices.h"
#include "zk/cmdcodes.h"

namespace {

constexpr UINT kFastPositionMs = 100;
constexpr UINT kSlowPositionMs = 500;
constexpr int kTicksPerMs = 24;  // the engine takes start times in 1/24 ms

bool CanStart() {
  return !g_app.portsUnavailable && g_engine.library && !IsPlaying() && !g_play.busyFlag;
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

void BeginStart(bool wholeSong) {
  g_play.holdFlag = 0;
  if (wholeSong) g_play.recordingFlags = 0;
  BeginPlayControls(wholeSong, g_play.recordingFlags != 0);
  RenumberAllSameMeasureRefs();
}

// Puts a block of the starter's own into the track's entry of the copy.
void ReplaceTrackBlock(HGLOBAL table, int track, HGLOBAL block) {
  auto* t = static_cast<SongHandleTable*>(GlobalLock(table));
  if (!t) return;
  t->h[TrackEventsEntry(track)] = block;
  GlobalUnlock(table);
}

// The track of a step editor that belongs to the open song, else 0.
int EditorTrack(const StepEditorData* ed) {
  if (!ed || ed->track < 1 || ed->track > g_song.trackCount || ed->track > kMaxTracks) return 0;
  return ed->track;
}

HGLOBAL BlockOf(const std::vector<StepEvent>& events) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, events.size() * sizeof(StepEvent));
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), events.data(), events.size() * sizeof(StepEvent));
  GlobalUnlock(block);
  return block;
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

// The track's events and the editor's lines, locked for one look.
class CaretView {
 public:
  CaretView(const StepEditorData& ed, HGLOBAL eventsHandle) : ed_(ed), eventsHandle_(eventsHandle) {
    events_ = eventsHandle ? static_cast<const StepEvent*>(GlobalLock(eventsHandle)) : nullptr;
    lines_ = ed.lineTable ? static_cast<const LineEntry*>(GlobalLock(ed.lineTable)) : nullptr;
    count_ = events_ ? static_cast<int>(GlobalSize(eventsHandle) / sizeof(StepEvent)) : 0;
    // The line table never holds more lines than it has room for.
    lineCount_ = lines_ ? static_cast<int>(std::min<SIZE_T>(static_cast<SIZE_T>(std::max(ed.lineCount, 0)),
                                                                GlobalSize(ed.lineTable) / sizeof(LineEntry)))
                        : 0;
  }
  ~CaretView() {
    if (lines_) GlobalUnlock(ed_.lineTable);
    if (events_) GlobalUnlock(eventsHandle_);
  }
  CaretView(const CaretView&) = delete;
  CaretView& operator=(const CaretView&) = delete;

  // Event of the caret line (with the end event's fallback), kNoPlayEvent
  // when there is nothing to play.
  int Event() const { return PlayCaretEvent(events_, count_, lines_, lineCount_, PlayCaretLine(ed_)); }
  const StepEvent* events() const { return events_; }
  int count() const { return count_; }

 private:
  const StepEditorData& ed_;
  HGLOBAL eventsHandle_;
  const StepEvent* events_ = nullptr;
  const LineEntry* lines_ = nullptr;
  int count_ = 0;
  int lineCount_ = 0;
};

// Event under the editor's caret in its track's block (a measure end gives
// the event before it); kNoPlayEvent when there is nothing to play.
int PointPlayEvent(const StepEditorData& ed, HGLOBAL eventsHandle) {
  const CaretView view(ed, eventsHandle);
  int e = view.Event();
  if (e > 0 && view.events()[e].code == kCodeMeasureEnd) --e;
  return e;
}

// The measure play's block for the caret, null when there is nothing under
// the caret to play.
HGLOBAL MeasureBlockAtCaret(const StepEditorData& ed, HGLOBAL eventsHandle) {
  const CaretView view(ed, eventsHandle);
  const int e = view.Event();
  if (e == kNoPlayEvent) return nullptr;
  return BlockOf(MeasurePlayBlockEvents(view.events(), view.count(), e));
}

// The first steps of a start from a step editor: the refusals, the table
// copy and the playing state. table is null when the start is refused.
struct EditorStart {
  explicit EditorStart(HWND stepEditor) : ed(GetStepEditorData(stepEditor)), track(EditorTrack(ed)) {
    if (!track || !CanStart() || !g_engine.pointPlayExec) return;
    table = MakePlayHandleTable();
    if (table) BeginStart(false);
  }
  const StepEditorData* ed;
  int track;
  HGLOBAL table = nullptr;
};

// A starter found nothing to play: the copy goes, the stopped state returns.
int NothingToPlay(HGLOBAL table) {
  GlobalFree(table);
  FinishPlay();
  return 0;
}

}  // namespace

// The engine's window and instance arguments are 32-bit and unused by the
// engines; handles keep their low half.
int HandleArg(const void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

// SMPTE carries its frame mode above the mode.
int PlaySyncArgument() {
  if (g_play.syncMode == 3) return (g_settings.smpteMode << 4) | 3;
  return static_cast<int>(g_play.syncMode);
}

// A new play or a stop leaves no jump half done.
void ResetPlayPositionWords() {
  g_play.seekTarget = 0;
  g_play.holdReached = 0;
  g_play.seekPending = 0;
}

void StartPositionTimer() {
  HWND palette = g_views.playPalette;
  if (!g_settings.playPallet || !palette) return;
  const UINT ms = g_settings.playTimer ? kFastPositionMs : kSlowPositionMs;
  g_play.positionTimer = SetTimer(palette, kPositionTimerId, ms, nullptr);
  // The palette's location display is not a window of its own here.
  if (ms == kFastPositionMs) InvalidateRect(palette, nullptr, FALSE);
}

void FreeMeasurePlayBlock() {
  if (g_play.measurePlayBlock) GlobalFree(g_play.measurePlayBlock);
  g_play.measurePlayBlock = nullptr;
}

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
  if (g_settings.playMonitor) OpenPlayMonitor();
  PrepareEngine(PlaySyncArgument(), false);
  ResetPlayPositionWords();
  if (!EngineStartWhole(requester, table, startMs)) {
    // The engine did not keep the table.
    GlobalFree(table);
    return;
  }
  StartPositionTimer();
}

void HaltPlay(bool engineFirst) {
  if (engineFirst && g_engine.stopSeqPlay) g_engine.stopSeqPlay();
  FinishPlay();
  if (!engineFirst && g_engine.stopSeqPlay) g_engine.stopSeqPlay();
  // The engine has let go of a measure play's block.
  FreeMeasurePlayBlock();
  if (g_playmon.window && g_app.mdiClient)
    SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_playmon.window), 0);
  FreeMetronomeBlocks();
}

void StopPlay(HWND owner) {
  if (g_app.portsUnavailable || !IsPlaying() || g_play.busyFlag) return;
  HaltPlay(false);
  if (g_play.recordingFlags) {
    g_play.recordingFlags = 0;
    AskConvertRecording(owner);
  }
  ResetPlayPositionWords();
  ResetPlayCursors();
}

void PausePlay(HWND window) {
  if (g_play.busyFlag || !g_engine.seqPause) return;
  g_engine.seqPause(HandleArg(window));
  InvalidateDisplayPanels();
}

int StartPointPlay(HWND stepEditor, bool solo) {
  EditorStart start(stepEditor);
  if (!start.table) return 0;
  const int e = PointPlayEvent(*start.ed, SongEntry(TrackEventsEntry(start.track)));
  if (e == kNoPlayEvent) return NothingToPlay(start.table);
  PrepareEngine(0, false);
  StartPositionTimer();
  ResetPlayPositionWords();
  if (!g_engine.pointPlayExec(HandleArg(AppInstance()), HandleArg(stepEditor), start.table, g_song.trackCount,
                              solo ? start.track : 0, e, start.track, 0))
    return NothingToPlay(start.table);
  PlaceStepCaret(stepEditor);
  return 1;
}

int StartMeasurePlay(HWND stepEditor) {
  EditorStart start(stepEditor);
  if (!start.table) return 0;
  HGLOBAL block = MeasureBlockAtCaret(*start.ed, SongEntry(TrackEventsEntry(start.track)));
  if (!block) return NothingToPlay(start.table);
  // A block left by a measure play whose end never came goes now.
  FreeMeasurePlayBlock();
  g_play.measurePlayBlock = block;
  PrepareEngine(0, true);
  ReplaceTrackBlock(start.table, start.track, block);
  StartPositionTimer();
  ResetPlayPositionWords();
  if (!g_engine.pointPlayExec(HandleArg(AppInstance()), HandleArg(stepEditor), start.table, g_song.trackCount,
                              start.track, 0, start.track, 1)) {
    FreeMeasurePlayBlock();
    return NothingToPlay(start.table);
  }
  return 1;
}

int PreviewPlay(HWND stepEditor, HGLOBAL partEvents) {
  const StepEditorData* ed = GetStepEditorData(stepEditor);
  const int track = EditorTrack(ed);
  if (!track || !partEvents || !CanStart() || !g_engine.pointPlayExec) return 0;
  if (auto* events = static_cast<StepEvent*>(GlobalLock(partEvents))) {
    PreviewRefsToMeasureEnds(events, static_cast<int>(GlobalSize(partEvents) / sizeof(StepEvent)));
    GlobalUnlock(partEvents);
  }
  // A copy of its own: the engine frees the table it is handed.
  HGLOBAL table = MakePlayHandleTable();
  if (!table) return 0;
  if (g_engine.setParentFrame) g_engine.setParentFrame(g_app.frame, CallBackPlayEnd);
  g_play.partialPlay = 1;
  SetModeForPlay(0);
  ReplaceTrackBlock(table, track, partEvents);
  if (!g_engine.pointPlayExec(HandleArg(AppInstance()), HandleArg(stepEditor), table, g_song.trackCount, track, 0,
                              track, 1)) {
    GlobalFree(table);
    return 0;
  }
  return 1;
}
