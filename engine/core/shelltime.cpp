// The tempo segments of a song.
#include <algorithm>

#include "engineshell.h"

extern "C" int WINAPI GetTempoMap(HGLOBAL handle, HGLOBAL songTable, int trackCount) {
  if (g_shell.prepared && !g_shell.ended && g_shell.playing) return 0;
  if (!handle) return 0;
  HWND window = g_shell.window;
  if (!PreparePlay(songTable, trackCount, false)) return 0;
  int pairs = 0;
  SIZE_T room = GlobalSize(handle) / 8;
  auto* out = static_cast<int32_t*>(GlobalLock(handle));
  if (out) {
    for (const auto& e : g_shell.builder.TempoMap()) {
      if (e.steps == 0) continue;
      if (static_cast<SIZE_T>(pairs) >= room) break;  // never past the caller's block
      out[pairs * 2] = e.steps;
      out[pairs * 2 + 1] = Tempo10OfPair(EntryTempo(e.code, e.steps, g_shell.builder.Scale())) / 10;
      ++pairs;
    }
    GlobalUnlock(handle);
  }
  // The table stays the caller's: only play frees what it is handed.
  ReleasePlay(false);
  g_shell.window = window;
  return pairs;
}
