#include "playstate.h"

#include "appglobals.h"
#include "editmarks.h"
#include "engine.h"
#include "playcontrol.h"
#include "playroutines.h"
#include "settings.h"
#include "songmodel.h"
#include "stepwnd.h"
#include "statusline.h"
#include "toolpalette.h"
#include "viewglobals.h"
#include "viewservices.h"

PlayState g_play;

namespace {


// The note palette hidden at the start comes back over a step editor.
void ShowNotePaletteAgain() {
  if (!g_settings.notePallet || !g_views.notePalette || !g_app.mdiClient) return;
  if (TrackOfStepEditor(ActiveMdiChild())) ShowWindow(g_views.notePalette, SW_SHOWNOACTIVATE);
}

}  // namespace

int IsPlaying() {
  if (g_app.portsUnavailable || !g_engine.checkPlaying) return 0;
  return g_engine.checkPlaying();
}

void FinishPlay() {
  RunPlayCommands(g_settings.endMci, g_settings.endRun);
  if (g_play.positionTimer && g_views.playPalette) KillTimer(g_views.playPalette, g_play.positionTimer);
  g_play.positionTimer = 0;
  InvalidateDisplayPanels();
  ShowConductorTempo();
  EndPlayControls();
  ShowNotePaletteAgain();
  for (int entry : {0, 1, 2, 3, 4, 5, 7, 8, 11, 12}) SetToolButtonState(entry, 0);
  ShowStatus(g_app.frame, 0, 1);
}

int ResetEditMarks() {
  ResetTagMarksAndFilters();
  return 1;
}
