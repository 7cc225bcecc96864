// Play time, and play from a time.
#include <algorithm>

#include "mmshell.h"

extern "C" DWORD WINAPI GetPlayTime() {
  if (g_shell.paused || g_shell.held) return g_shell.frozenTime;
  return timeGetTime() - g_shell.startTime;
}

extern "C" int WINAPI SetPlayTime(DWORD ms) {
  g_shell.frozenTime = ms;
  return 0;
}

extern "C" int WINAPI SetStartTime0(int, int, HGLOBAL songTable, int trackCount, int time24) {
  if (!PreparePlay(songTable, trackCount, false)) return 0;
  int p = SixteenthsForTime(g_shell.builder.TempoMap(), time24, g_shell.builder.Scale());
  if (p > 0) ChaseTo(p);
  return p;
}

extern "C" int WINAPI PlayStartTime0(int, int, int cont) {
  if (!g_shell.prepared) return 0;
  if (cont) {
    int pos = std::max(0, g_shell.chasedSixteenths - 1);
    SendToEveryPort(0xF2 | (pos & 0x7F) << 8 | ((pos >> 7) & 0x7F) << 16);
  }
  StartPlay(cont != 0, cont ? 120 : 0, true);
  return 1;
}

extern "C" DWORD WINAPI SeekTimePlayExec(int stayPaused) {
  if (!g_shell.prepared) return 0;
  OutStop(true);
  g_shell.stopping = false;
  DWORD playTime = g_shell.frozenTime;
  RewindPlay();
  int p = SixteenthsForTime(g_shell.builder.TempoMap(), static_cast<int64_t>(playTime) * 24,
                            g_shell.builder.Scale());
  if (p > 0 && !ChaseTo(p + 1)) {
    // Past the end: from the start again.
    RewindPlay();
    playTime = 0;
  }
  g_shell.playing = true;
  g_shell.held = false;
  OutStart(stayPaused != 0);
  g_shell.startTime = timeGetTime() - playTime;
  g_shell.frozenTime = playTime;
  g_shell.paused = stayPaused != 0;
  return g_shell.startTime;
}
