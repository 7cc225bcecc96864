// Play control: preparation, start, chase, pause, hold, stop.
#include <algorithm>

#include <zk/messages.h>

#include "chase.h"
#include "polyengine.h"

namespace {

// What the chase sends at once goes straight to the ports.
class PortSink : public ChaseSink {
 public:
  void SendShort(int port, uint32_t message) override { SendShortNow(port, message, 500, 1); }
  void SendSysEx(int port, const uint8_t* bytes, size_t length) override {
    DWORD gap = static_cast<DWORD>(g_poly.settings.exclWait);
    while (GetTickCount() - g_poly.lastExclSend < gap) Sleep(1);
    SendExclusiveBlock(port, bytes, length);
  }
};

int Sixteenth() { return std::max(1, g_poly.builder.TimeBase() / 4); }

DWORD ChasedMs() {
  if (g_poly.chasedSixteenths <= 1) return 0;
  uint64_t steps = static_cast<uint64_t>(g_poly.chasedSixteenths - 1) * Sixteenth();
  return static_cast<DWORD>(TimeOfSteps(g_poly.builder.TempoMap(), steps, g_poly.builder.Scale()) / 24);
}

DWORD SongPositionMessage(int sixteenths) {
  sixteenths = std::clamp(sixteenths, 0, 0x3FFF);
  return 0xF2 | (sixteenths & 0x7F) << 8 | ((sixteenths >> 7) & 0x7F) << 16;
}

void UnlockRecordBuffers() {
  g_poly.recorder.ReleaseBuffers();
  for (auto& h : g_poly.recBuf) {
    if (h) GlobalUnlock(h);
    h = nullptr;
  }
}

}  // namespace

void PostToHost(UINT msg, WPARAM w, LPARAM l) {
  if (g_poly.window) PostMessageA(g_poly.window, msg, w, l);
}

void ReleasePlay(bool freeTable) {
  g_poly.playing = false;
  g_poly.paused = false;
  g_poly.held = false;
  StopStreamsAndWait();
  g_poly.recorder.Disarm();
  {
    std::lock_guard<std::mutex> guard(g_poly.lock);
    FreeBlocks();
    ClearQueues();
    g_poly.builder = PlayBuilder{};
    g_poly.song = PlaySong{};
    g_poly.prepared = false;
  }
  if (g_poly.rings.Allocated()) {
    g_poly.rings.Free();
    if (g_poly.window) SendMessageA(g_poly.window, WM_ZK_SETPLAYMON, 0, 0);
  }
  if (freeTable && g_poly.songTable) GlobalFree(g_poly.songTable);
  g_poly.songTable = nullptr;
  g_poly.stopping = false;
}

void ReleasePlay() { ReleasePlay(true); }

bool PreparePlay(HGLOBAL table, int trackCount, bool headerTempoOnly) {
  if (g_poly.prepared || g_poly.rings.Allocated()) ReleasePlay(true);
  PlaySong song;
  if (!CopyPlaySong(table, trackCount, song)) return false;
  g_poly.songTable = table;
  if (g_poly.rings.Allocate(MonitorRingRecords(g_poly.settings), TextRingBytes(g_poly.settings)) &&
      g_poly.window) {
    SendMessageA(g_poly.window, WM_ZK_SETPLAYMON, 0, reinterpret_cast<LPARAM>(g_poly.rings.Monitor()));
    SendMessageA(g_poly.window, WM_ZK_SETTEXTRING, 0, reinterpret_cast<LPARAM>(g_poly.rings.Text()));
  }
  BuilderOptions o = g_poly.options;
  o.headerTempoOnly = headerTempoOnly;
  o.monitorTracks = g_poly.monitorTracks;
  o.recording = g_poly.recordMode != 0;
  o.punchInMeasure = g_poly.punchInMeasure;
  o.punchOutMeasure = g_poly.punchOutMeasure;
  std::lock_guard<std::mutex> guard(g_poly.lock);
  g_poly.song = std::move(song);
  g_poly.builder.Prepare(g_poly.song, o, &g_poly.rings);
  g_poly.builder.SetEmitter(StreamOutput());
  g_poly.tempo = g_poly.builder.CurrentTempo();
  AllocateBlocks();
  ClearQueues();
  g_poly.ended = false;
  g_poly.dataEnded = false;
  g_poly.monitorDirty = false;
  g_poly.monitorPosition = -1;
  g_poly.lastMonitorMark = -1;
  g_poly.stopping = false;
  g_poly.chasedSixteenths = 0;
  g_poly.prepared = true;
  return true;
}

int ChaseTo(int passes) {
  PortSink sink;
  ChaseEmitter chase(StreamOutput(), &sink, g_poly.settings.chase, g_poly.settings.truant);
  g_poly.chasing = true;
  g_poly.lastExclSend = GetTickCount();
  int done = 0;
  {
    std::lock_guard<std::mutex> guard(g_poly.lock);
    g_poly.builder.SetEmitter(&chase);
    g_poly.builder.SetChasing(true);
    for (int i = 0; i < passes && g_poly.builder.AnyTrackActive(); ++i) {
      g_poly.builder.ChasePass(i == 0 ? 0 : static_cast<uint32_t>(Sixteenth()));
      ++done;
    }
    chase.Flush();
    g_poly.builder.SetChasing(false);
    g_poly.builder.SetEmitter(StreamOutput());
  }
  g_poly.chasing = false;
  g_poly.chasedSixteenths = done;
  return g_poly.builder.AnyTrackActive() ? 1 : 0;
}

// Start after preparation (and any chase): Start or Continue, recording
// armed, streams filled and started, unless recording waits for its first
// note.
static void StartPlay(bool fromPoint, int leadIn) {
  g_poly.ended = false;
  g_poly.playing = true;
  if (g_poly.recordMode != 0) {
    g_poly.recorder.Arm(g_poly.punchInSteps > 0 ? 0 : leadIn);
    PostToHost(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 256);
    if (g_poly.recorder.IsWaitingForFirstNote()) return;
  }
  SendToEveryPort(fromPoint ? 0xFB : 0xFA);
  FillAndStart(false);
  g_poly.startTime = timeGetTime() - ChasedMs();
}

extern "C" int WINAPI Play(int, int, HGLOBAL songTable, int trackCount) {
  if (!PreparePlay(songTable, trackCount, false)) return 0;
  StartPlay(false, 0);
  return 1;
}

extern "C" int WINAPI PointPlayExec(int, int, HGLOBAL songTable, int trackCount, int soloTrack,
                                    int eventIndex, int track, int headerTempoOnly) {
  if (!PreparePlay(songTable, trackCount, headerTempoOnly != 0)) return 0;
  int64_t steps = PlayBuilder::StepsToMeasureOf(g_poly.song, track, eventIndex);
  int position = steps > 0 ? static_cast<int>(std::min<int64_t>(steps / Sixteenth(), 0x7FFFFFF)) : 0;
  if (position != 0) {
    if (!ChaseTo(position)) return 1;
    SendToEveryPort(SongPositionMessage(g_poly.chasedSixteenths - 1));
  }
  if (soloTrack) {
    std::lock_guard<std::mutex> guard(g_poly.lock);
    g_poly.builder.SoloTrack(soloTrack);
  }
  StartPlay(position != 0, position != 0 ? 120 : 0);
  return 1;
}

extern "C" int WINAPI RecStartKeyon() {
  SendToEveryPort(0xFA);
  for (HMIDIIN h : g_poly.inHandle)
    if (h) {
      midiInStop(h);
      midiInStart(h);
    }
  g_poly.recorder.RestartClock();
  FillAndStart(false);
  g_poly.startTime = timeGetTime() - ChasedMs();
  return 1;
}

extern "C" int WINAPI StopSeqPlay() {
  ReleasePlay(true);
  UnlockRecordBuffers();
  SendToEveryPort(0xFC);
  int ports[kPorts];
  int n = PortsWithOwnStream(ports);
  for (int i = 0; i < n; ++i)
    for (DWORD ch = 0; ch < 16; ++ch) {
      SendShortNow(ports[i], 0xB0 | ch | 123 << 8);
      SendShortNow(ports[i], 0xE0 | ch | 0x40 << 16);
      SendShortNow(ports[i], 0xB0 | ch | 64 << 8);
    }
  SendToEveryPort(0xFC);
  if (g_poly.settings.pEndReset) ResetEveryPort();
  return 0;
}

extern "C" int WINAPI SeqPause(int) {
  if (!g_poly.playing || g_poly.recorder.Active()) return 0;
  if (g_poly.paused) {
    g_poly.paused = false;
    for (auto& slot : g_poly.slots)
      if (slot.stream) midiStreamRestart(slot.stream);
    g_poly.startTime = timeGetTime() - g_poly.frozenTime;
  } else {
    g_poly.frozenTime = timeGetTime() - g_poly.startTime;
    g_poly.paused = true;
    for (auto& slot : g_poly.slots)
      if (slot.stream) midiStreamPause(slot.stream);
  }
  return 0;
}

extern "C" int WINAPI SeqHold(int) {
  if (!g_poly.paused && !g_poly.held) g_poly.frozenTime = timeGetTime() - g_poly.startTime;
  g_poly.paused = true;
  g_poly.held = true;
  StopStreamsAndWait();
  {
    std::lock_guard<std::mutex> guard(g_poly.lock);
    FreeBlocks();
    ClearQueues();
  }
  for (int s = 0; s < kPorts; ++s) {
    StreamSlot& slot = g_poly.slots[s];
    if (!slot.stream) continue;
    midiStreamClose(slot.stream);
    slot.stream = nullptr;
    UINT id = g_poly.portDevice[s];
    if (midiStreamOpen(&slot.stream, &id, 1, reinterpret_cast<DWORD_PTR>(&StreamCallback),
                       static_cast<DWORD_PTR>(s), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
      slot.stream = nullptr;
      for (int p = 0; p < kPorts; ++p)
        if (g_poly.portSlot[p] == s) g_poly.portSlot[p] = -1;
      continue;
    }
    MIDIPROPTIMEDIV div{sizeof div, 480};
    midiStreamProperty(slot.stream, reinterpret_cast<LPBYTE>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV);
    MIDIPROPTEMPO tempo{sizeof tempo, 500000};
    midiStreamProperty(slot.stream, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_SET | MIDIPROP_TEMPO);
  }
  {
    std::lock_guard<std::mutex> guard(g_poly.lock);
    AllocateBlocks();
  }
  g_poly.stopping = false;
  PostToHost(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 1024);
  return 0;
}

extern "C" int WINAPI CheckPlaying() { return g_poly.playing && !g_poly.ended ? 1 : 0; }
extern "C" int WINAPI CheckPauseing() { return g_poly.paused || g_poly.held ? 1 : 0; }

extern "C" int WINAPI GetBuffer() {
  int more = 0;
  {
    std::lock_guard<std::mutex> guard(g_poly.lock);
    if (g_poly.prepared && !g_poly.builder.Ended()) more = g_poly.builder.Step() ? 1 : 0;
  }
  g_poly.refillWanted.fetch_add(1);
  WorkPending();
  return more;
}

extern "C" EndCallback WINAPI SetParentFrame(HWND window, EndCallback end) {
  g_poly.window = window;
  g_poly.endCallback = end;
  return end;
}

extern "C" int WINAPI SetPlayMode(int mode, int, int filter, int, int, int, int, int punchIn,
                                  int punchOut, int, int, int, int, int, int, int last) {
  g_poly.recordMode = mode;
  g_poly.options.filter = static_cast<uint32_t>(filter) & 0xFFFF;
  g_poly.punchInSteps = punchIn;
  g_poly.punchOutSteps = punchOut;
  g_poly.recorder.Configure(mode, punchIn, punchOut);
  (void)last;
  return 0;
}

extern "C" int WINAPI SetPunchInOutMeas(int in, int out) {
  g_poly.punchInMeasure = in & 0xFFFF;
  g_poly.punchOutMeasure = out & 0xFFFF;
  return 1;
}

extern "C" int WINAPI SetRecBuf(HGLOBAL a, HGLOBAL b) {
  UnlockRecordBuffers();
  uint16_t* pa = nullptr;
  uint16_t* pb = nullptr;
  // A block too small for a record buffer is not written at all.
  const SIZE_T need = static_cast<SIZE_T>(kRecordBufferWords) * 2;
  if (a && GlobalSize(a) >= need && (pa = static_cast<uint16_t*>(GlobalLock(a)))) g_poly.recBuf[0] = a;
  if (b && GlobalSize(b) >= need && (pb = static_cast<uint16_t*>(GlobalLock(b)))) g_poly.recBuf[1] = b;
  g_poly.recorder.SetBuffers(pa, pb);
  return 1;
}

extern "C" int WINAPI GetRecBytes() { return g_poly.recorder.GetRecBytes(); }
extern "C" int WINAPI OpenCallBack(int, int) {
  g_poly.recordMode = 0;
  return 0;
}
extern "C" int WINAPI CloseCallBack() {
  g_poly.recordMode = 0;
  return 1;
}
