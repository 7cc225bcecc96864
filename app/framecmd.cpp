// The frame's WM_COMMAND: the window commands it carries out itself; every
// other id takes the default frame path, which hands MDI window-menu ids to
// the MDI client.
#include "appglobals.h"
#include "binding.h"
#include "engine.h"
#include "frame.h"
#include "errlog.h"
#include "frameinternal.h"
#include "listplay.h"
#include "midistepinput.h"
#include "playcontrol.h"
#include "playmarkers.h"
#include "recording.h"
#include "playstate.h"
#include "pointedit.h"
#include "programstate.h"
#include "resource.h"
#include "sharedkeys.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "windownav.h"

namespace {

constexpr UINT kCmdExit = 1006;
constexpr UINT kCmdScoreView = 2178;
constexpr UINT kCmdTile = 4001;
constexpr UINT kCmdCascade = 4002;
constexpr UINT kCmdCloseAll = 4003;
constexpr UINT kCmdArrangeIcons = 4004;
constexpr UINT kCmdPlayPalette = 4009;
constexpr UINT kCmdPianoPalette = 4010;

constexpr UINT kCmdClearKey = 12;  // Shift+Home
constexpr UINT kCmdRecordStart = 2354;
constexpr UINT kCmdWindBack = 2358;
constexpr UINT kCmdWindForward = 2359;
constexpr UINT kCmdFirstMarker = 2380;  // 2380-2383, markers 1-4
constexpr UINT kCmdLastMarker = 2383;

constexpr UINT kFirstPluginCommand = 4030;
constexpr UINT kLastPluginCommand = 4399;

using PluginCommandFn = void(WINAPI*)(DWORD idAndCode, HWND stepEditor, int command, int zero);

void TogglePalette(HWND palette) {
  if (!palette) return;
  ShowWindow(palette, IsWindowVisible(palette) ? SW_HIDE : SW_SHOWNOACTIVATE);
}

void ToggleScoreView(HWND frame) {
  if (g_views.scoreView) {
    DestroyWindow(g_views.scoreView);
    g_views.scoreView = nullptr;
  } else {
    g_views.scoreView = CreateWindowA("FUMENEDIT", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER, 0, 0, 0,
                                      0, frame, nullptr, AppInstance(), nullptr);
  }
  RECT r;
  GetClientRect(frame, &r);
  SendMessageA(frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
}

void ToPlugins(WPARAM wParam) {
  for (const ControllerPlugin& p : g_plugins) {
    if (!p.id || !p.entry90) continue;
    auto command = reinterpret_cast<PluginCommandFn>(reinterpret_cast<void*>(p.entry90));
    command(MAKELONG(p.id, HIWORD(wParam)), g_prog.currentStep, LOWORD(wParam), 0);
  }
}

// The play key resumes a paused play, else starts one when idle.
void PlayKey(HWND frame) {
  if (g_engine.checkPauseing && g_engine.checkPauseing()) {
    PausePlay(frame);
  } else if (!IsPlaying() && !g_play.busyFlag) {
    SendMessageA(frame, WM_COMMAND, IDM_PLAY_START, 0);
  }
}

void PauseCommand(HWND frame) {
  if (!g_app.portsUnavailable) PausePlay(frame);
}

HWND ActiveChild() {
  return g_app.mdiClient ? reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

// Record: starts from an open record set-up window, else opens one (a
// window only restored from an icon does not start yet).
void RecordCommand(HWND frame) {
  if (HWND w = g_viewWindows.trackWindow) {
    const bool iconic = IsIconic(w) != FALSE;
    if (iconic) SendMessageA(g_app.mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(w), 0);
    if (g_viewWindows.trackWindowMode == kRecordSetupMode) {
      if (!iconic) SendMessageA(frame, WM_COMMAND, kCmdRecordStart, 0);
      return;
    }
  }
  OpenTrackWindow(nullptr, kRecordSetupMode);
}

// Shift+Home: point edit while playing, else the Clear key to the editor.
void ClearKey() {
  if (IsPlaying()) {
    HandleSharedKeys(VK_CLEAR);
  } else if (!g_play.busyFlag && g_prog.currentStep) {
    SendMessageA(g_prog.currentStep, WM_KEYDOWN, VK_CLEAR, 0);
  }
}

// Commands refused while playing or busy.
void IdleCommand(HWND frame, UINT id) {
  if (id >= kFirstStepInputCommand && id <= kLastStepInputCommand) {
    SetStepInputMode(g_prog.currentStep, id);
    return;
  }
  switch (id) {
    case IDM_PLAY_START:
      StartPlay(frame, 0);
      break;
    case IDM_PLAY_MEASURE:
      StartMeasurePlay(ActiveChild());
      break;
    case kCmdRecordStart:
      if (!g_app.portsUnavailable) StartRecording(frame);
      break;
    case IDM_PLAY_RECORD:
      RecordCommand(frame);
      break;
    case IDM_PLAY_POINT:
      StartPointPlay(ActiveChild(), false);
      break;
    case IDM_PLAY_TRACK:
      StartPointPlay(ActiveChild(), true);
      break;
  }
}

}  // namespace

void FrameCommand(HWND frame, WPARAM wParam) {
  const UINT id = LOWORD(wParam);
  switch (id) {
    case kCmdClearKey:
      ClearKey();
      break;
    case kCmdExit:
      SendMessageA(frame, WM_CLOSE, 0, 0);
      break;
    case IDM_PLAY_POINTEDIT:
      if (g_play.recordingFlags == 0) PointEdit(frame);
      break;
    case kCmdScoreView:
      ToggleScoreView(frame);
      break;
    case kCmdTile:
      SendMessageA(g_app.mdiClient, WM_MDITILE, 0, 0);
      break;
    case kCmdCascade:
      SendMessageA(g_app.mdiClient, WM_MDICASCADE, 0, 0);
      break;
    case kCmdCloseAll:
      CloseAllChildWindows();
      ShowWindow(g_app.mdiClient, SW_SHOW);
      break;
    case kCmdArrangeIcons:
      SendMessageA(g_app.mdiClient, WM_MDIICONARRANGE, 0, 0);
      break;
    case kCmdPlayPalette:
      TogglePalette(g_views.playPalette);
      break;
    case kCmdPianoPalette:
      TogglePalette(g_views.pianoPalette);
      break;
    case IDM_VIEW_TRKVIEW:
      OpenTrackWindow(nullptr, kTrackViewMode);
      break;
    case IDM_VIEW_TRKSET:
      OpenTrackWindow(nullptr, kTrackSettingMode);
      break;
    case IDM_VIEW_RECORD:
      OpenTrackWindow(nullptr, kRecordSetupMode);
      break;
    case IDM_PLAY_KEY:
      PlayKey(frame);
      break;
    case IDM_PLAY_STOP:
      StopPlay(frame);
      break;
    case IDM_PLAY_PAUSE:
      PauseCommand(frame);
      break;
    case kCmdNextListSong:  // refuses by itself while playing or busy
      PlayNextListSong(frame);
      break;
    case IDM_ERRLOG_CLEAR:
      ClearErrLog();
      break;
    case IDM_ERRLOG_JUMP:
      JumpFromErrLogCaret();
      break;
    case IDM_SEARCHLOG_CLEAR:
      ClearSearchLog();
      break;
    case IDM_SEARCHLOG_JUMP:
      JumpFromSearchLogCaret();
      break;
    case kCmdWindBack:
    case kCmdWindForward:
      WindButtonReleased(frame, id);
      break;
  }
  if (id >= kCmdFirstMarker && id <= kCmdLastMarker) PressMarker(frame, static_cast<int>(id - kCmdFirstMarker) + 1);
  if (id >= kFirstPluginCommand && id <= kLastPluginCommand) ToPlugins(wParam);
  if (!IsPlaying() && !g_play.busyFlag) IdleCommand(frame, id);
  DefFrameProcA(frame, g_app.mdiClient, WM_COMMAND, id, 0);
}
