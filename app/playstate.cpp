#include "playstate.h"

#include "appglobals.h"
#include "editmarks.h"
#include "engine.h"
#include "settings.h"
#include "statusline.h"
#include "toolpalette.h"
#include "viewglobals.h"

PlayState g_play;

int IsPlaying() {
  if (g_app.portsUnavailable || !g_engine.checkPlaying) return 0;
  return g_engine.checkPlaying();
}

void FinishPlay() {
  if (g_settings.mmedia) {
    for (int i = 0; i < kCommandSlots; ++i) {
      if (!(g_play.playFilter & 0x8000) && g_settings.endMci[i][0])
        mciSendStringA(g_settings.endMci[i], nullptr, 0, nullptr);
      if (!(g_play.playFilter & 0x4000) && g_settings.endRun[i][0]) WinExec(g_settings.endRun[i], SW_SHOW);
    }
  }
  if (g_play.positionTimer && g_views.playPalette) KillTimer(g_views.playPalette, g_play.positionTimer);
  g_play.positionTimer = 0;
  for (int entry : {0, 1, 2, 3, 4, 5, 7, 8, 11, 12}) SetToolButtonState(entry, 0);
  ShowStatus(g_app.frame, 0, 1);
}

int ResetEditMarks() {
  ResetTagMarksAndFilters();
  return 1;
}
