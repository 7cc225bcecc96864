// Play preparation, chase, release and the host's messages; the play
// exports every engine shares.
#include <algorithm>

#include <zk/messages.h>

#include "chase.h"
#include "engineshell.h"

namespace {

// What the chase sends at once goes straight to the ports.
class PortSink : public ChaseSink {
 public:
  void SendShort(int port, uint32_t message) override { SendShortNow(port, message, 500, 1); }
  void SendSysEx(int port, const uint8_t* bytes, size_t length) override {
    int slot = PortSlot(port);
    if (slot < 0) return;
    DWORD gap = static_cast<DWORD>(g_shell.settings.exclWait);
    while (GetTickCount() - g_shell.lastExclSend < gap) Sleep(1);
    OutSendExclusive(slot, bytes, length);
    g_shell.lastExclSend = GetTickCount();
  }
};

}  // namespace

int SixteenthSteps() { return std::max(1, g_shell.builder.TimeBase() / 4); }

DWORD ChasedMs() {
  if (g_shell.chasedSixteenths <= 1) return 0;
  uint64_t steps = static_cast<uint64_t>(g_shell.chasedSixteenths - 1) * SixteenthSteps();
  return static_cast<DWORD>(TimeOfSteps(g_shell.builder.TempoMap(), steps, g_shell.builder.Scale()) / 24);
}

DWORD SongPositionMessage(int sixteenths) {
  sixteenths = std::clamp(sixteenths, 0, 0x3FFF);
  return 0xF2 | (sixteenths & 0x7F) << 8 | ((sixteenths >> 7) & 0x7F) << 16;
}

void UnlockRecordBuffers() {
  g_shell.recorder.ReleaseBuffers();
  for (auto& h : g_shell.recBuf) {
    if (h) GlobalUnlock(h);
    h = nullptr;
  }
}


void PostToHost(UINT msg, WPARAM w, LPARAM l) {
  if (g_shell.window) PostMessageA(g_shell.window, msg, w, l);
}

void AnnounceEnd() {
  if (g_shell.ended.exchange(true)) return;
  g_shell.playing = false;
  if (g_shell.endCallback)
    g_shell.endCallback();
  else
    PostToHost(WM_ZK_PLAYEND, static_cast<WPARAM>(-1), 0);
}

void MarkReached(int kind, int value) {
  if (kind == kMarkTempo || kind == kMarkText) {
    PostToHost(WM_ZK_PLAYMARK, kind, value);
    return;
  }
  // Only one monitor mark is outstanding until the host has read it.
  if (kind == kMarkMonitor) g_shell.monitorPosition = value;
  if (!g_shell.monitorDirty.exchange(true)) {
    g_shell.lastMonitorMark = value;
    PostToHost(WM_ZK_PLAYMARK, kind, value);
  }
}

void ReleasePlay(bool freeTable) {
  g_shell.playing = false;
  g_shell.paused = false;
  g_shell.held = false;
  OutStop(false);
  g_shell.recorder.Disarm();
  {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    g_shell.builder = PlayBuilder{};
    g_shell.song = PlaySong{};
    g_shell.prepared = false;
  }
  if (g_shell.rings.Allocated()) {
    g_shell.rings.Free();
    if (g_shell.window) SendMessageA(g_shell.window, WM_ZK_SETPLAYMON, 0, 0);
  }
  if (freeTable && g_shell.songTable) GlobalFree(g_shell.songTable);
  g_shell.songTable = nullptr;
  g_shell.stopping = false;
}

bool PreparePlay(HGLOBAL table, int trackCount, bool headerTempoOnly) {
  if (g_shell.prepared || g_shell.rings.Allocated()) ReleasePlay(true);
  PlaySong song;
  if (!CopyPlaySong(table, trackCount, song)) return false;
  g_shell.songTable = table;
  if (g_shell.rings.Allocate(MonitorRingRecords(g_shell.settings), TextRingBytes(g_shell.settings)) &&
      g_shell.window) {
    // The host reads the rings at the sizes made here, not at those its own
    // settings name.
    SendMessageA(g_shell.window, WM_ZK_SETPLAYMON, static_cast<WPARAM>(g_shell.rings.MonitorSize()),
                 reinterpret_cast<LPARAM>(g_shell.rings.Monitor()));
    SendMessageA(g_shell.window, WM_ZK_SETTEXTRING, static_cast<WPARAM>(g_shell.rings.TextSize()),
                 reinterpret_cast<LPARAM>(g_shell.rings.Text()));
  }
  BuilderOptions o = g_shell.options;
  o.headerTempoOnly = headerTempoOnly;
  o.monitorTracks = g_shell.monitorTracks;
  o.recording = g_shell.recordMode != 0;
  o.punchInMeasure = g_shell.punchInMeasure;
  o.punchOutMeasure = g_shell.punchOutMeasure;
  std::lock_guard<std::mutex> guard(g_shell.lock);
  g_shell.song = std::move(song);
  g_shell.builder.Prepare(g_shell.song, o, &g_shell.rings);
  g_shell.builder.SetEmitter(OutEmitter());
  g_shell.tempo = g_shell.builder.CurrentTempo();
  OutPreparePlay();
  g_shell.ended = false;
  g_shell.dataEnded = false;
  g_shell.monitorDirty = false;
  g_shell.monitorPosition = -1;
  g_shell.lastMonitorMark = -1;
  g_shell.stopping = false;
  g_shell.chasedSixteenths = 0;
  g_shell.prepared = true;
  return true;
}

void RewindPlay() {
  BuilderOptions o = g_shell.options;
  o.monitorTracks = g_shell.monitorTracks;
  {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    g_shell.builder.Prepare(g_shell.song, o, &g_shell.rings);
    g_shell.builder.SetEmitter(OutEmitter());
    OutPreparePlay();
  }
  g_shell.ended = false;
  g_shell.dataEnded = false;
}

int ChaseTo(int passes) {
  PortSink sink;
  ChaseEmitter chase(OutEmitter(), &sink, g_shell.settings.chase, g_shell.settings.truant);
  g_shell.chasing = true;
  g_shell.lastExclSend = GetTickCount();
  int done = 0;
  {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    g_shell.builder.SetEmitter(&chase);
    g_shell.builder.SetChasing(true);
    for (int i = 0; i < passes && g_shell.builder.AnyTrackActive(); ++i) {
      g_shell.builder.ChasePass(i == 0 ? 0 : static_cast<uint32_t>(SixteenthSteps()));
      ++done;
    }
    chase.Flush();
    g_shell.builder.SetChasing(false);
    g_shell.builder.SetEmitter(OutEmitter());
  }
  g_shell.chasing = false;
  g_shell.chasedSixteenths = done;
  return g_shell.builder.AnyTrackActive() ? 1 : 0;
}

extern "C" int WINAPI CheckPlaying() { return g_shell.playing && !g_shell.ended ? 1 : 0; }
extern "C" int WINAPI CheckPauseing() { return g_shell.paused || g_shell.held ? 1 : 0; }

extern "C" int WINAPI GetBuffer() {
  int more = 0;
  {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    if (g_shell.prepared && !g_shell.builder.Ended()) more = g_shell.builder.Step() ? 1 : 0;
  }
  OutAfterStep();
  return more;
}

extern "C" int WINAPI SetPunchInOutMeas(int in, int out) {
  g_shell.punchInMeasure = in & 0xFFFF;
  g_shell.punchOutMeasure = out & 0xFFFF;
  return 1;
}

extern "C" int WINAPI SetRecBuf(HGLOBAL a, HGLOBAL b) {
  UnlockRecordBuffers();
  uint16_t* pa = nullptr;
  uint16_t* pb = nullptr;
  // A block too small for a record buffer is not written at all.
  const SIZE_T need = static_cast<SIZE_T>(kRecordBufferWords) * 2;
  if (a && GlobalSize(a) >= need && (pa = static_cast<uint16_t*>(GlobalLock(a)))) g_shell.recBuf[0] = a;
  if (b && GlobalSize(b) >= need && (pb = static_cast<uint16_t*>(GlobalLock(b)))) g_shell.recBuf[1] = b;
  g_shell.recorder.SetBuffers(pa, pb);
  return 1;
}

extern "C" int WINAPI GetRecBytes() { return g_shell.recorder.GetRecBytes(); }
