// Play time, positions for a time, and the tempo segments of a song.
#include <algorithm>

#include "polyengine.h"

namespace {
int Sixteenth() { return std::max(1, g_poly.builder.TimeBase() / 4); }

DWORD TimeOfSixteenths(int sixteenths) {
  if (sixteenths <= 0) return 0;
  uint64_t steps = static_cast<uint64_t>(sixteenths) * Sixteenth();
  return static_cast<DWORD>(TimeOfSteps(g_poly.builder.TempoMap(), steps, g_poly.builder.Scale()) / 24);
}
}  // namespace

extern "C" DWORD WINAPI GetPlayTime() {
  if (g_poly.paused || g_poly.held) return g_poly.frozenTime;
  return timeGetTime() - g_poly.startTime;
}

extern "C" int WINAPI SetPlayTime(DWORD ms) {
  g_poly.frozenTime = ms;
  return 0;
}

extern "C" int WINAPI SetStartTime0(int, int, HGLOBAL songTable, int trackCount, int time24) {
  if (!PreparePlay(songTable, trackCount, false)) return 0;
  int p = SixteenthsForTime(g_poly.builder.TempoMap(), time24, g_poly.builder.Scale());
  if (p > 0) ChaseTo(p);
  return p;
}

extern "C" int WINAPI PlayStartTime0(int, int, int cont) {
  if (!g_poly.prepared) return 0;
  g_poly.ended = false;
  g_poly.playing = true;
  if (cont) {
    int pos = std::max(0, g_poly.chasedSixteenths - 1);
    SendToEveryPort(0xF2 | (pos & 0x7F) << 8 | ((pos >> 7) & 0x7F) << 16);
    SendToEveryPort(0xFB);
  } else {
    SendToEveryPort(0xFA);
  }
  FillAndStart(false);
  g_poly.startTime = timeGetTime() - TimeOfSixteenths(g_poly.chasedSixteenths - 1);
  return 1;
}

extern "C" DWORD WINAPI SeekTimePlayExec(int stayPaused) {
  if (!g_poly.prepared) return 0;
  StopStreamsAndWait();
  g_poly.stopping = false;
  DWORD playTime = g_poly.frozenTime;
  BuilderOptions o = g_poly.options;
  o.monitorTracks = g_poly.monitorTracks;
  {
    std::lock_guard<std::mutex> guard(g_poly.lock);
    ClearQueues();
    g_poly.builder.Prepare(g_poly.song, o, &g_poly.rings);
    g_poly.builder.SetEmitter(StreamOutput());
    AllocateBlocks();
  }
  g_poly.ended = false;
  g_poly.dataEnded = false;
  int p = SixteenthsForTime(g_poly.builder.TempoMap(), static_cast<int64_t>(playTime) * 24,
                            g_poly.builder.Scale());
  if (p > 0 && !ChaseTo(p + 1)) {
    // Past the end: from the start again.
    std::lock_guard<std::mutex> guard(g_poly.lock);
    ClearQueues();
    g_poly.builder.Prepare(g_poly.song, o, &g_poly.rings);
    g_poly.builder.SetEmitter(StreamOutput());
    playTime = 0;
  }
  g_poly.playing = true;
  g_poly.held = false;
  FillAndStart(stayPaused != 0);
  g_poly.startTime = timeGetTime() - playTime;
  g_poly.frozenTime = playTime;
  g_poly.paused = stayPaused != 0;
  return g_poly.startTime;
}

extern "C" int WINAPI GetTempoMap(HGLOBAL handle, HGLOBAL songTable, int trackCount) {
  if (g_poly.prepared && !g_poly.ended && g_poly.playing) return 0;
  if (!handle) return 0;
  HWND window = g_poly.window;
  if (!PreparePlay(songTable, trackCount, false)) return 0;
  int pairs = 0;
  SIZE_T room = GlobalSize(handle) / 8;
  auto* out = static_cast<int32_t*>(GlobalLock(handle));
  if (out) {
    for (const auto& e : g_poly.builder.TempoMap()) {
      if (e.steps == 0) continue;
      if (static_cast<SIZE_T>(pairs) >= room) break;  // never past the caller's block
      out[pairs * 2] = e.steps;
      out[pairs * 2 + 1] = Tempo10OfPair(EntryTempo(e.code, e.steps, g_poly.builder.Scale())) / 10;
      ++pairs;
    }
    GlobalUnlock(handle);
  }
  // The table stays the caller's: only play frees what it is handed.
  ReleasePlay(false);
  g_poly.window = window;
  return pairs;
}
