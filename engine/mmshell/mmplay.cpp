// Play control of the engines that play through Windows MIDI output
// devices: start, point play, pause, hold, stop.
#include <algorithm>

#include "mmshell.h"

// Start after preparation (and any chase): Start or Continue, recording
// armed, streams filled and started, unless recording waits for its first
// note.
void StartPlay(bool fromPoint, int leadIn, bool notice) {
  g_shell.ended = false;
  g_shell.playing = true;
  if (g_shell.recordMode != 0) {
    g_shell.recorder.Arm(g_shell.punchInSteps > 0 ? 0 : leadIn);
    if (notice) PostToHost(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 256);
    if (g_shell.recorder.IsWaitingForFirstNote()) return;
  }
  SendToEveryPort(fromPoint ? 0xFB : 0xFA);
  OutStart(false);
  g_shell.startTime = timeGetTime() - ChasedMs();
}

extern "C" int WINAPI Play(int, int, HGLOBAL songTable, int trackCount) {
  if (!PreparePlay(songTable, trackCount, false)) return 0;
  StartPlay(false, 0, kEngineIdentity.noticeAtPlay);
  return 1;
}

extern "C" int WINAPI PointPlayExec(int, int, HGLOBAL songTable, int trackCount, int soloTrack,
                                    int eventIndex, int track, int headerTempoOnly) {
  if (!PreparePlay(songTable, trackCount, headerTempoOnly != 0)) return 0;
  int64_t steps = PlayBuilder::StepsToMeasureOf(g_shell.song, track, eventIndex);
  int position = steps > 0 ? static_cast<int>(std::min<int64_t>(steps / SixteenthSteps(), 0x7FFFFFF)) : 0;
  if (position != 0) {
    if (!ChaseTo(position)) return 1;
    SendToEveryPort(SongPositionMessage(g_shell.chasedSixteenths - 1));
  }
  if (soloTrack) {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    g_shell.builder.SoloTrack(soloTrack);
  }
  StartPlay(position != 0, position != 0 ? 120 : 0, true);
  return 1;
}

extern "C" int WINAPI RecStartKeyon() {
  SendToEveryPort(0xFA);
  for (HMIDIIN h : g_shell.inHandle)
    if (h) {
      midiInStop(h);
      midiInStart(h);
    }
  g_shell.recorder.RestartClock();
  OutStart(false);
  g_shell.startTime = timeGetTime() - ChasedMs();
  return 1;
}

extern "C" int WINAPI StopSeqPlay() {
  ReleasePlay(true);
  UnlockRecordBuffers();
  SendToEveryPort(0xFC);
  int ports[kPorts];
  int n = PortsWithOwnSlot(ports);
  for (int i = 0; i < n; ++i)
    for (DWORD ch = 0; ch < 16; ++ch) {
      SendShortNow(ports[i], 0xB0 | ch | 123 << 8);
      SendShortNow(ports[i], 0xE0 | ch | 0x40 << 16);
      SendShortNow(ports[i], 0xB0 | ch | 64 << 8);
    }
  SendToEveryPort(0xFC);
  if (g_shell.settings.pEndReset) {
    int ports[kPorts];
    int n = PortsWithOwnSlot(ports);
    for (int i = 0; i < n; ++i) OutReset(PortSlot(ports[i]));
  }
  return 0;
}

extern "C" int WINAPI SeqPause(int) {
  if (!g_shell.playing || g_shell.recorder.Active()) return 0;
  if (g_shell.paused) {
    g_shell.paused = false;
    g_shell.startTime = timeGetTime() - g_shell.frozenTime;
    OutResume();
  } else {
    g_shell.frozenTime = timeGetTime() - g_shell.startTime;
    g_shell.paused = true;
    OutPause();
  }
  return 0;
}

extern "C" int WINAPI SeqHold(int) {
  if (!g_shell.paused && !g_shell.held) g_shell.frozenTime = timeGetTime() - g_shell.startTime;
  g_shell.paused = true;
  g_shell.held = true;
  OutHold();
  g_shell.stopping = false;
  PostToHost(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 1024);
  return 0;
}

extern "C" EndCallback WINAPI SetParentFrame(HWND window, EndCallback end) {
  g_shell.window = window;
  g_shell.endCallback = end;
  return end;
}

extern "C" int WINAPI SetPlayMode(int mode, int, int filter, int, int, int, int, int punchIn,
                                  int punchOut, int, int, int, int, int, int, int last) {
  g_shell.recordMode = mode;
  g_shell.options.filter = static_cast<uint32_t>(filter) & 0xFFFF;
  g_shell.punchInSteps = punchIn;
  g_shell.punchOutSteps = punchOut;
  g_shell.recorder.Configure(mode, punchIn, punchOut);
  (void)last;
  return 0;
}

extern "C" int WINAPI OpenCallBack(int, int) {
  g_shell.recordMode = 0;
  return 0;
}
extern "C" int WINAPI CloseCallBack() {
  g_shell.recordMode = 0;
  return 1;
}
