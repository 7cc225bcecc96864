#include "playmarkers.h"

#include "engine.h"
#include "playroutines.h"
#include "playstate.h"
#include "songmodel.h"
#include "viewglobals.h"
#include "viewservices.h"

namespace {

constexpr uint32_t kMarkerEmpty = 0;
constexpr uint32_t kMarkerCleared = 0xFFFFFFFFu;

}  // namespace

bool MarkerPlayCondition() {
  return IsPlaying() && g_play.recordingFlags == 0 && g_play.syncMode == 0 && g_play.partialPlay == 0;
}

void PressMarker(HWND frame, int n) {
  if (n < 1 || n > 4 || !MarkerPlayCondition()) return;
  uint32_t& marker = g_song.markers[n - 1];
  if (marker == kMarkerEmpty) {
    if (g_engine.getPlayTime) marker = static_cast<uint32_t>(g_engine.getPlayTime()) + 1;
    RepaintMarkerButtons();
    return;
  }
  if (marker == kMarkerCleared) {
    marker = kMarkerEmpty;
    RepaintMarkerButtons();
    return;
  }
  // One jump at a time: the frame finishes it when the hold is reached.
  if (!g_engine.seekTimePlayExec || !g_engine.setPlayTime || g_play.seekPending) return;
  g_play.seekArgument = 0;
  g_play.seekTarget = static_cast<int32_t>(marker);
  if (g_engine.checkPauseing && g_engine.checkPauseing()) g_play.seekArgument = 1;
  g_play.holdReached = 0;
  HoldPlay(frame);
  g_play.seekPending = 1;
}

void WindButtonReleased(HWND frame, UINT id) {
  (void)frame;
  if (!MarkerPlayCondition()) return;
  if (g_play.holdReached) {
    if (g_engine.seekTimePlayExec) g_engine.seekTimePlayExec(g_play.seekArgument);
    if (g_views.playPalette) KillTimer(g_views.playPalette, id);
    InvalidateDisplayPanels();
    g_play.holdReached = 0;
  } else {
    g_play.seekTarget = g_play.windPosition + 1;
  }
}
