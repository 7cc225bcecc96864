#include "recording.h"

#include <cstring>

#include "appglobals.h"
#include "engine.h"
#include "midistepinput.h"
#include "msgbox.h"
#include "playcontrol.h"
#include "playmonentries.h"
#include "playroutines.h"
#include "playstate.h"
#include "programstate.h"
#include "recconvert.h"
#include "recstart.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "viewwindows.h"

namespace {

constexpr SIZE_T kRecordBufferBytes = 65530;
constexpr UINT kShareable = GMEM_MOVEABLE | GMEM_DDESHARE;

// A box or a file dialog owned by the frame disables it.
bool BoxOrDialogOpen() { return g_app.frame && !IsWindowEnabled(g_app.frame); }

bool CanRecord() {
  return !BoxOrDialogOpen() && CheckRecordTrack() && !g_app.portsUnavailable && g_engine.library && !IsPlaying() &&
         !g_play.busyFlag && g_engine.pointPlayExec;
}

HGLOBAL BlockOf(const void* data, SIZE_T bytes) {
  HGLOBAL h = GlobalAlloc(kShareable | GMEM_ZEROINIT, bytes);
  if (void* p = h ? GlobalLock(h) : nullptr) {
    std::memcpy(p, data, bytes);
    GlobalUnlock(h);
  }
  return h;
}

// One table: the song's header and tracks, then the metronome as track n + 1.
HGLOBAL MakeRecordTable(const SongHeader& header) {
  const int n = g_song.trackCount;
  HGLOBAL table = GlobalAlloc(kShareable | GMEM_ZEROINIT, sizeof(SongHandleTable));
  auto* t = table ? static_cast<SongHandleTable*>(GlobalLock(table)) : nullptr;
  if (!t) return table;
  t->h[kHeaderEntry] = SongEntry(kHeaderEntry);
  for (int k = 1; k <= n && k <= kMaxTracks; ++k) {
    t->h[TrackHeaderEntry(k)] = SongEntry(TrackHeaderEntry(k));
    t->h[TrackEventsEntry(k)] = SongEntry(TrackEventsEntry(k));
  }
  const MetronomeTrack metronome =
      BuildMetronomeTrack(header.beatNum, header.beatDen, header.timeBase, g_play.record.metronome);
  FreeMetronomeBlocks();
  g_play.metronomeHeader = BlockOf(&metronome.header, sizeof metronome.header);
  g_play.metronomeEvents = BlockOf(metronome.events, sizeof metronome.events);
  if (n + 1 <= kMaxTracks) {
    t->h[TrackHeaderEntry(n + 1)] = g_play.metronomeHeader;
    t->h[TrackEventsEntry(n + 1)] = g_play.metronomeEvents;
  }
  GlobalUnlock(table);
  return table;
}

// The punch points and the record mode, counted on the measure track.
RecordStartPlan PlanOnMeasureTrack(const SongHeader& header) {
  const int track = g_play.record.measureTrack >= 1 && g_play.record.measureTrack <= g_song.trackCount
                        ? g_play.record.measureTrack
                        : 1;
  HGLOBAL h = SongEntry(TrackEventsEntry(track));
  const auto* events = h ? static_cast<const StepEvent*>(GlobalLock(h)) : nullptr;
  const int count = events ? static_cast<int>(GlobalSize(h) / sizeof(StepEvent)) : 0;
  RecordStartPlan plan = PlanRecordStart(events, count, header.timeBase, g_play.record);
  if (events) GlobalUnlock(h);
  return plan;
}

void FreeBuffer(HGLOBAL& h) {
  if (h) GlobalFree(h);
  h = nullptr;
}

// The track set-up window's caret goes while the tracks change under it and
// comes back where its row and column say.
void HideTrackWindowCaret() {
  if (HWND w = g_viewWindows.trackWindow) HideCaret(w);
}

void RestoreTrackWindowCaret() {
  HWND w = g_viewWindows.trackWindow;
  if (!w) return;
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(w), 0);
  int width = 0, height = 0;
  GetWndCharSize(w, &width, &height);
  CreateCaret(w, nullptr, width, height);
  SetCaretPos(g_viewWindows.trackCaretColumn * width + 1, g_viewWindows.trackCaretRow * height + 1);
  ShowCaret(w);
}

void ConvertRecording() {
  const auto* a = g_play.recordBufferA ? static_cast<const uint16_t*>(GlobalLock(g_play.recordBufferA)) : nullptr;
  const auto* b = g_play.recordBufferB ? static_cast<const uint16_t*>(GlobalLock(g_play.recordBufferB)) : nullptr;
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  HideTrackWindowCaret();
  RecordTake settings;
  settings.playStartMeasure = g_play.record.playStartMeasure;
  settings.punchInStep = g_play.recordPunchInStep;
  settings.recordFilter = g_play.recordFilter;
  settings.keyLow = g_play.recordKeyLow;
  settings.keyHigh = g_play.recordKeyHigh;
  const RecordConversion result = ConvertRecordingIntoSong(a, b, settings);
  SetCursor(old);
  if (a) GlobalUnlock(g_play.recordBufferA);
  if (b) GlobalUnlock(g_play.recordBufferB);
  if (result.tooBig) ShowMessageById(g_app.frame, MB_OK | MB_ICONEXCLAMATION, IDS_RECORD_TOO_BIG);
  RestoreTrackWindowCaret();
}

}  // namespace

void FreeMetronomeBlocks() {
  FreeBuffer(g_play.metronomeHeader);
  FreeBuffer(g_play.metronomeEvents);
}

void StartRecording(HWND owner) {
  if (!CanRecord()) return;
  HGLOBAL headerHandle = SongEntry(kHeaderEntry);
  const auto* headerPtr = headerHandle ? static_cast<const SongHeader*>(GlobalLock(headerHandle)) : nullptr;
  if (!headerPtr) return;
  const SongHeader header = *headerPtr;
  GlobalUnlock(headerHandle);

  g_play.recordingFlags = kRecording;
  BeginPlayControls(true, true);
  StopMidiInput();
  const RecordStartPlan plan = PlanOnMeasureTrack(header);
  g_play.recordingFlags |= plan.flags;
  g_play.recordPunchInStep = plan.punchInStep;
  RenumberAllSameMeasureRefs();
  AssignThru();

  FreeBuffer(g_play.recordBufferA);
  FreeBuffer(g_play.recordBufferB);
  g_play.recordBufferA = GlobalAlloc(kShareable, kRecordBufferBytes);
  g_play.recordBufferB = GlobalAlloc(kShareable, kRecordBufferBytes);
  if (g_engine.setRecBuf) g_engine.setRecBuf(g_play.recordBufferA, g_play.recordBufferB);

  HGLOBAL table = MakeRecordTable(header);
  if (g_settings.playMonitor) OpenPlayMonitor();
  g_play.partialPlay = 0;
  if (g_engine.setParentFrame) g_engine.setParentFrame(g_app.frame, CallBackPlayEnd);
  if (g_engine.setPlayMode)
    g_engine.setPlayMode(static_cast<int>(g_play.recordingFlags), PlaySyncArgument(),
                         static_cast<int>(g_play.playFilter), static_cast<int>(g_play.recordFilter),
                         static_cast<int>(g_play.acceptChannels), g_play.recordKeyLow, g_play.recordKeyHigh,
                         static_cast<int>(plan.punchIn), static_cast<int>(plan.punchOut), g_settings.smpteMode,
                         g_settings.smpteHour, g_settings.smpteMin, g_settings.smpteSec, g_settings.smpteFrame,
                         g_settings.smpteBit, 1);
  if (g_engine.setPunchInOutMeas)
    g_engine.setPunchInOutMeas(static_cast<int16_t>(g_play.record.punchInMeasure),
                               static_cast<int16_t>(g_play.record.punchOutMeasure));
  StartPositionTimer();
  ResetPlayPositionWords();
  if (!g_engine.pointPlayExec(HandleArg(AppInstance()), HandleArg(owner), table, g_song.trackCount + 1, 0,
                              plan.startIndex, g_play.record.measureTrack, 0)) {
    GlobalFree(table);
    FinishPlay();
    FreeMetronomeBlocks();
    g_play.recordingFlags = 0;
    FreeBuffer(g_play.recordBufferA);
    FreeBuffer(g_play.recordBufferB);
  }
}

int AskConvertRecording(HWND owner) {
  if (!g_play.recordBufferA && !g_play.recordBufferB) return 1;
  const bool convert = g_settings.autoRecConvert != 0 ||
                       ShowMessageById(owner, MB_YESNOCANCEL | MB_ICONQUESTION, IDS_ASK_CONVERT) == IDYES;
  if (convert) ConvertRecording();
  FreeBuffer(g_play.recordBufferA);
  FreeBuffer(g_play.recordBufferB);
  return 1;
}
