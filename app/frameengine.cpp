// The engine's messages to the frame: end of play and record events (2260,
// 2261), monitor marks (2262), the rings it announces (2263, 2264) and MIDI
// input (963).
#include "appglobals.h"
#include "binding.h"
#include "errlog.h"
#include "frame.h"
#include "frameinternal.h"
#include "msgbox.h"
#include "playstate.h"
#include "programstate.h"
#include "recording.h"
#include "resource.h"
#include "settings.h"
#include "shellutil.h"
#include "songmodel.h"
#include "statusline.h"
#include "stepeditdata.h"
#include "stepinput.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "textring.h"
#include "viewglobals.h"
#include "viewservices.h"
#include "playcontrol.h"
#include "zk/messages.h"

FrameRings g_rings;

namespace {

constexpr LPARAM kNotifyEnd = 0;
constexpr LPARAM kNotifyKeyOnRecording = 8;
constexpr LPARAM kNotifyRecordFull = 16;
constexpr LPARAM kNotifyRecordData = 256;
constexpr LPARAM kNotifyRecordData2 = 257;
constexpr LPARAM kNotifyHold = 1024;
constexpr UINT kCmdStop = 2352;

}  // namespace

namespace {

// Steps of the end of play that 2260/0 and 2261 share, before and after the
// recording question.
void EndPlayFirst() {
  FinishPlay();
  if (g_engine.stopSeqPlay) g_engine.stopSeqPlay();
}

void EndPlayLast(HWND frame) {
  ResetPlayCursors();
  if (g_play.partialPlay) FreeMeasurePlayBlock();
  FreeMetronomeBlocks();
  if (g_playmon.window && g_app.mdiClient)
    SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_playmon.window), 0);
  PostMessageA(frame, WM_COMMAND, kCmdNextListSong, 0);
}

void OnHoldReached() {
  if (g_engine.smpuEngine && g_settings.locPreWait) Sleep(static_cast<DWORD>(g_settings.locPreWait));
  if (g_play.seekTarget) {
    if (g_engine.setPlayTime) g_engine.setPlayTime(g_play.seekTarget - 1);
    if (g_engine.seekTimePlayExec) g_engine.seekTimePlayExec(g_play.seekArgument);
  }
  if (g_engine.smpuEngine && g_settings.locAfterWait) Sleep(static_cast<DWORD>(g_settings.locAfterWait));
  g_play.holdReached = 1;
  g_play.seekPending = 0;
}

HWND StripWindow(const PlayMonRecord& record) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(record.stripWindow));
}

void CopyTrackRecord(const PlayMonRecord& ring, int track) {
  if (!g_prog.playTrackData) return;
  PlayMonRecord& target = g_prog.playTrackData[track];
  CopyMonitorFields(ring, target);
  if (HWND strip = StripWindow(target)) InvalidateRect(strip, nullptr, FALSE);
  HWND editor = StepEditorOfTrack(track + 1);
  StepEditorData* ed = GetStepEditorData(editor);
  if (!ed || !g_settings.trackMonitor || g_play.partialPlay) return;
  ed->playEvent = ring.eventIndex;
  InvalidateRect(editor, nullptr, FALSE);
  if (g_settings.playmon && editor == g_prog.currentStep) ShowSoundingKeys(ring);
}

// Indexes and offsets travel as 16-bit values.
bool RingSizeUsable(WPARAM size, LPARAM ring) { return ring && size > 0 && size <= 0xFFFF; }

// Bytes from one offset of the text ring on to another, across its end.
int TextDistance(int from, int to) { return (to - from + g_rings.textSize) % g_rings.textSize; }

void RunTextsUpTo(int upTo) {
  if (!g_rings.textRing || upTo < 0 || upTo >= g_rings.textSize) return;
  int offset = g_rings.textRunUpTo;
  // The records between the last one run and upTo, wrapping with the ring;
  // one that would run past upTo is not the engine's.
  for (int left = TextDistance(offset, upTo); left > 0;) {
    TextEventEntry entry;
    int next = ReadTextEvent(g_rings.textRing, g_rings.textSize, offset, entry);
    int length = next < 0 ? 0 : TextDistance(offset, next);
    if (length == 0 || length > left) break;
    RunTextEvent(offset);
    left -= length;
    offset = next;
  }
  g_rings.textRunUpTo = static_cast<uint16_t>(upTo);
}

void CopyMonitorRecords() {
  if (!g_rings.monRing || g_rings.monCount == 0) return;
  SongDocument* doc = LockSongDocument(g_app.frame);
  // Each record once at most: the ring cannot hold more.
  for (int guard = 0; guard < g_rings.monCount; ++guard) {
    const PlayMonRecord record = g_rings.monRing[g_rings.monRead];
    if (record.track == kMonTempo) {
      SetConductorTempoText(record.value);
    } else if (record.track == kMonText) {
      RunTextsUpTo(record.value);
    } else if (record.track >= 0 && record.track < g_song.trackCount && record.track < kMaxTracks) {
      CopyTrackRecord(record, record.track);
    }
    if (g_engine.compareMonitorPos && g_engine.compareMonitorPos(g_rings.monRead)) break;
    g_rings.monRead = static_cast<uint16_t>((g_rings.monRead + 1) % g_rings.monCount);
    if (g_engine.compareMonitorPos && g_engine.compareMonitorPos(g_rings.monRead)) break;
    if (!g_engine.compareMonitorPos) break;
  }
  if (doc) UnlockSongDocument(g_app.frame);
}

}  // namespace

void CopyMonitorFields(const PlayMonRecord& from, PlayMonRecord& to) {
  to.value = from.value;
  to.measure = from.measure;
  to.stepInMeasure = from.stepInMeasure;
  if (from.level > to.level) to.level = from.level;
}

void OnPlayNotify(HWND frame, WPARAM wParam, LPARAM lParam) {
  if (static_cast<int>(wParam) == -1) {
    switch (lParam) {
      case kNotifyEnd:
        EndPlayFirst();
        if (g_smpu.setSyncInternal) g_smpu.setSyncInternal();
        if (g_play.recordingFlags) {
          g_play.recordingFlags = 0;
          AskConvertRecording(frame);
        }
        EndPlayLast(frame);
        break;
      case kNotifyKeyOnRecording:
        if (g_engine.recStartKeyon) g_engine.recStartKeyon();
        break;
      case kNotifyRecordFull:
        ShowMessageById(frame, MB_OK | MB_ICONEXCLAMATION, IDS_RECORD_BUFFER_FULL);
        SendMessageA(frame, WM_COMMAND, kCmdStop, 0);
        break;
      case kNotifyRecordData:
      case kNotifyRecordData2:
        ShowStatus(frame, kStatusRecording, 1);
        break;
      case kNotifyHold:
        OnHoldReached();
        break;
    }
  }
  if (g_engine.showSeqStatus) g_engine.showSeqStatus();
}

void OnPlayEnd(HWND frame, WPARAM wParam, LPARAM lParam) {
  if (static_cast<int>(wParam) != -1 || lParam != 0) return;
  EndPlayFirst();
  EndPlayLast(frame);
}

void OnPlayMark(HWND frame, WPARAM wParam, LPARAM lParam) {
  if (!IsPlaying()) {
    g_rings.monRing = nullptr;
    return;
  }
  switch (wParam) {
    case kMarkTempo:
      SetConductorTempoText(static_cast<int>(lParam));
      break;
    case kMarkText:
      RunTextEvent(static_cast<int>(lParam));
      break;
    default:
      CopyMonitorRecords();
      if (g_engine.clearPlayMonDarty) g_engine.clearPlayMonDarty();
      break;
  }
}

void OnSetPlayMon(WPARAM records, LPARAM ring) {
  const bool usable = RingSizeUsable(records, ring);
  g_rings.monCount = usable ? static_cast<uint16_t>(records) : 0;
  g_rings.monRing = usable ? reinterpret_cast<PlayMonRecord*>(ring) : nullptr;
  g_rings.monRead = 0;
  if (g_playmon.setLPPLAYMon) g_playmon.setLPPLAYMon(g_rings.monRing);
}

void OnSetTextRing(WPARAM bytes, LPARAM ring) {
  const bool usable = RingSizeUsable(bytes, ring);
  g_rings.textRead = 0;
  g_rings.textRunUpTo = 0;
  g_rings.textSize = usable ? static_cast<uint16_t>(bytes) : 0;
  g_rings.textRing = usable ? reinterpret_cast<uint8_t*>(ring) : nullptr;
}

void OnMidiInput(LPARAM message) { DispatchStepMidiInput(static_cast<uint32_t>(message)); }

int RunTextEvent(int offset) {
  TextEventEntry entry;
  int next = ReadTextEvent(g_rings.textRing, g_rings.textSize, offset, entry);
  if (next < 0) return -1;
  const int track = entry.track;
  // A song can come from anywhere: every command it runs is logged, and a
  // failure with its reason.
  AddCommandRunLogEntry(entry.kind, track, entry.measure, entry.stepInMeasure, entry.eventIndex,
                        entry.text.c_str());
  if (entry.kind == 0) {
    MCIERROR error = mciSendStringA(entry.text.c_str(), nullptr, 0, nullptr);
    if (error) AddMciErrLogEntry(static_cast<int>(error), 0, track, entry.measure, entry.stepInMeasure, entry.eventIndex);
  } else if (entry.kind == 1) {
    UINT result = WinExec(entry.text.c_str(), SW_SHOW);
    if (result < 32) AddMciErrLogEntry(static_cast<int>(result), 1, track, entry.measure, entry.stepInMeasure, entry.eventIndex);
  }
  g_rings.textRead = static_cast<uint16_t>(next);
  return next;
}
