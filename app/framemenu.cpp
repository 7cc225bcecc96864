#include "framemenu.h"

#include "appglobals.h"
#include "engine.h"
#include "errlog.h"
#include "playroutines.h"
#include "playstate.h"
#include "plugins.h"
#include "programstate.h"
#include "recent.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "viewwindows.h"

namespace {

constexpr int kEditorPopup = 0;  // "IDZKPCMD" among the popup menus
constexpr int kTrackSetupMode = 1;


ActiveChild KindOf(HWND child) {
  if (!child) return ActiveChild::None;
  if (TrackOfStepEditor(child)) return ActiveChild::TrackWindow;
  if (child == g_viewWindows.trackWindow && g_viewWindows.trackWindowMode >= kTrackSetupMode)
    return ActiveChild::TrackSetup;
  if (child == g_viewWindows.nameList) return ActiveChild::NameList;
  if (child == g_views.conductor) return ActiveChild::Conductor;
  if (child == g_views.userExclusive) return ActiveChild::UserExclusive;
  if (child == g_logs.errLog) return ActiveChild::ErrorLog;
  if (child == g_logs.searchLog) return ActiveChild::SearchLog;
  return ActiveChild::Other;
}

void ReadEditor(HWND child, MenuInputs& in) {
  in.canUndo = SendMessageA(child, EM_CANUNDO, 0, 0) != 0;
  in.stepInputMode = g_settings.stepInputMode;
  if (in.child != ActiveChild::TrackWindow) return;
  const StepEditorData* ed = GetStepEditorData(child);
  if (!ed) return;
  in.trackDataExists = true;
  in.hasScorePane = ed->scorePane != nullptr;
  in.firstViewFlag = ed->viewFlags[0];
  in.lineCount = ed->lineCount;
  in.rhythmDisplay = ed->viewMode == kModeRhythmGrid;
}

void TellPlugins(HMENU menu, bool busy) {
  for (const ControllerPlugin& p : g_plugins) {
    if (!p.id || !p.entry76) continue;
    auto menuState = reinterpret_cast<PluginMenuStateFn>(reinterpret_cast<void*>(p.entry76));
    menuState(p.id, menu, busy ? 1 : 0);
  }
}

}  // namespace

MenuInputs CurrentMenuInputs() {
  MenuInputs in;
  in.busy = IsPlaying() || g_play.busyFlag;
  in.recording = g_play.recordingFlags != 0;
  in.pauseTestBound = g_engine.checkPauseing != nullptr;
  in.paused = in.pauseTestBound && g_engine.checkPauseing() != 0;
  in.songClipboard = IsSongClipboard() != 0;
  in.superMpuDriver = g_prog.smpuDriverFound;
  in.mailBound = g_prog.mapiSendDocuments != nullptr;
  in.portsUnavailable = g_app.portsUnavailable != 0;
  in.playPaletteVisible = g_views.playPalette && IsWindowVisible(g_views.playPalette);
  in.pianoPaletteVisible = g_views.pianoPalette && IsWindowVisible(g_views.pianoPalette);
  in.scoreViewExists = g_views.scoreView != nullptr;
  const HWND child = ActiveMdiChild();
  in.child = KindOf(child);
  if (in.child == ActiveChild::TrackWindow || in.child == ActiveChild::Other) ReadEditor(child, in);
  return in;
}

void UpdateFrameMenus(HMENU menu) {
  if (!menu) return;
  const MenuInputs in = CurrentMenuInputs();
  const MenuPlan plan = ComputeMenuPlan(in);
  if (plan.rebuildRecentFiles) BuildRecentFilesMenu(ActiveMdiChild(), menu, 1);
  ApplyMenuPlan(menu, plan, g_prog.popupMenus[kEditorPopup]);
  TellPlugins(menu, in.busy);
}
