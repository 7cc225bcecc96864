// The frame's WM_COMMAND: rows of ids and what each does. The first group
// runs in every play state, the second only while nothing plays and the
// program is not busy; what no row takes goes the default frame path, which
// hands MDI window-menu ids to the MDI client.
#include "aboutcmd.h"
#include "appglobals.h"
#include "binding.h"
#include "ctrldatacmd.h"
#include "engine.h"
#include "frame.h"
#include "errlog.h"
#include "favorites.h"
#include "filecmd.h"
#include "frameinternal.h"
#include "helpcmd.h"
#include "displaydlg.h"
#include "dropstartdlg.h"
#include "fonts.h"
#include "graphdlg.h"
#include "interfacedlg.h"
#include "keysdlg.h"
#include "listplay.h"
#include "mailcmd.h"
#include "otherdlg.h"
#include "midistepinput.h"
#include "playcontrol.h"
#include "playmarkers.h"
#include "recording.h"
#include "playstate.h"
#include "pointedit.h"
#include "printcmd.h"
#include "programstate.h"
#include "resource.h"
#include "scorefont.h"
#include "sharedkeys.h"
#include "soundmoddlg.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "timecodedlg.h"
#include "tuning.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "windownav.h"
#include "zk/messages.h"

namespace {

constexpr UINT kCmdExit = 1006;
constexpr UINT kCmdScoreView = 2178;
constexpr UINT kCmdTrackScoreView = 2179;
constexpr UINT kCmdFirstHelp = 40014;  // 40014-40016, [Applets] Help1-Help3
constexpr UINT kCmdLastHelp = 40016;
constexpr UINT kCmdNothing = 2162;
constexpr UINT kCmdUserExclusive = 2177;
constexpr UINT kCmdDumpSong = 2357;
constexpr UINT kCmdInterfaceSetup = 2186;
constexpr UINT kCmdSoundModules = 2190;
constexpr UINT kCmdTimeCode = 2196;
constexpr UINT kCmdTuningDialog = 6101;
constexpr UINT kCmdKeySettings = 2183;
constexpr UINT kCmdDefaultFont = 2184;
constexpr UINT kCmdDisplaySettings = 2185;
constexpr UINT kCmdGraphColours = 2187;
constexpr UINT kCmdOtherSettings = 2188;
constexpr UINT kCmdDragDropSettings = 2189;
constexpr UINT kCmdStartUpSettings = 2191;
constexpr UINT kCmdScoreFont = 40025;
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

constexpr DWORD kScoreStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER;

// The active step editor's own score pane comes and goes; the editor grows
// by the pane's width when it comes and lays the pane out itself.
void ToggleTrackScorePane() {
  HWND editor = ActiveMdiChild();
  StepEditorData* ed = StepEditorDataOf(editor);
  if (!ed) return;
  const bool created = ed->scorePane == nullptr;
  if (created) {
    ed->scorePane = CreateWindowA("FUMENEDIT", "", kScoreStyle, 0, 0, 0, 0, editor, nullptr, AppInstance(), nullptr);
    if (ed->scorePane) SendMessageA(ed->scorePane, WM_ZK_SCOREFOLLOW, reinterpret_cast<WPARAM>(editor), 0);
  } else {
    DestroyWindow(ed->scorePane);
    ed->scorePane = nullptr;
  }
  RECT r;
  GetClientRect(editor, &r);
  const int width = r.right + (created ? 100 : 0);
  const int height = r.bottom + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) - 1;
  SendMessageA(editor, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
  SetWindowPos(editor, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void DumpSong() {
  if (g_engine.dumpSong) g_engine.dumpSong();
}

void TogglePalette(HWND palette) {
  if (!palette) return;
  ShowWindow(palette, IsWindowVisible(palette) ? SW_HIDE : SW_SHOWNOACTIVATE);
}

void ToggleScoreView(HWND frame) {
  if (g_views.scoreView) {
    DestroyWindow(g_views.scoreView);
    g_views.scoreView = nullptr;
  } else {
    g_views.scoreView = CreateWindowA("FUMENEDIT", "", kScoreStyle, 0, 0, 0, 0, frame, nullptr, AppInstance(), nullptr);
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

// Carried out whatever the play state; the default form follows.
const CommandRow kFirstGroup[] = {
    {kCmdClearKey, kCmdClearKey, [](HWND, WPARAM) { ClearKey(); }},
    {kCmdExit, kCmdExit, [](HWND frame, WPARAM) { SendMessageA(frame, WM_CLOSE, 0, 0); }},
    {kCmdScoreView, kCmdScoreView, [](HWND frame, WPARAM) { ToggleScoreView(frame); }},
    {kCmdTrackScoreView, kCmdTrackScoreView, [](HWND, WPARAM) { ToggleTrackScorePane(); }},
    {IDM_FILE_SEND, IDM_FILE_SEND, [](HWND frame, WPARAM) { MailCommand(frame); }},
    {IDM_FILE_PRINT, IDM_FILE_PRINT, [](HWND frame, WPARAM) { PrintCommand(frame); }},
    {kCmdFirstHelp, kCmdLastHelp,
     [](HWND frame, WPARAM w) { HelpCommand(frame, static_cast<int>(LOWORD(w) - kCmdFirstHelp) + 1); }},
    {IDM_OTHER_PANIC, IDM_OTHER_PANIC,
     [](HWND frame, WPARAM) {
       if (!g_app.portsUnavailable) MidiResetWait(frame);
     }},
    {IDM_OTHER_TUNE, IDM_OTHER_TUNE,
     [](HWND, WPARAM) {
       if (!g_app.portsUnavailable) SendTuningTone();
     }},
    {IDM_HELP_ABOUT, IDM_HELP_ABOUT, [](HWND frame, WPARAM) { AboutCommand(frame); }},
    {IDM_OTHER_FONT, IDM_OTHER_FONT, [](HWND frame, WPARAM) { FontChangeCommand(frame); }},
    {kCmdScoreFont, kCmdScoreFont, [](HWND, WPARAM) { ChooseScoreFont(); }},
    {IDM_HELP_FAVORITES, IDM_HELP_FAVORITES, [](HWND, WPARAM) { OpenFavorites(); }},
    {IDM_PLAY_KEY, IDM_PLAY_KEY, [](HWND frame, WPARAM) { PlayKey(frame); }},
    {IDM_PLAY_STOP, IDM_PLAY_STOP, [](HWND frame, WPARAM) { StopPlay(frame); }},
    {IDM_PLAY_PAUSE, IDM_PLAY_PAUSE, [](HWND frame, WPARAM) { PauseCommand(frame); }},
    {IDM_PLAY_POINTEDIT, IDM_PLAY_POINTEDIT,
     [](HWND frame, WPARAM) {
       if (g_play.recordingFlags == 0) PointEdit(frame);
     }},
    {kCmdWindBack, kCmdWindForward, [](HWND frame, WPARAM w) { WindButtonReleased(frame, LOWORD(w)); }},
    // Refuses by itself while playing or busy.
    {kCmdNextListSong, kCmdNextListSong, [](HWND frame, WPARAM) { PlayNextListSong(frame); }},
    {kCmdFirstMarker, kCmdLastMarker,
     [](HWND frame, WPARAM w) { PressMarker(frame, static_cast<int>(LOWORD(w) - kCmdFirstMarker) + 1); }},
    {kCmdTile, kCmdTile, [](HWND, WPARAM) { SendMessageA(g_app.mdiClient, WM_MDITILE, 0, 0); }},
    {kCmdCascade, kCmdCascade, [](HWND, WPARAM) { SendMessageA(g_app.mdiClient, WM_MDICASCADE, 0, 0); }},
    {kCmdCloseAll, kCmdCloseAll,
     [](HWND, WPARAM) {
       CloseAllChildWindows();
       ShowWindow(g_app.mdiClient, SW_SHOW);
     }},
    {kCmdArrangeIcons, kCmdArrangeIcons, [](HWND, WPARAM) { SendMessageA(g_app.mdiClient, WM_MDIICONARRANGE, 0, 0); }},
    {IDM_VIEW_NAMELIST, IDM_VIEW_NAMELIST, [](HWND, WPARAM) { OpenNameList(nullptr, -1); }},
    {IDM_VIEW_CONDUCTOR, IDM_VIEW_CONDUCTOR, [](HWND, WPARAM) { OpenConductor(nullptr); }},
    {IDM_VIEW_TRKSET, IDM_VIEW_TRKSET, [](HWND, WPARAM) { OpenTrackWindow(nullptr, kTrackSettingMode); }},
    {IDM_VIEW_TRKVIEW, IDM_VIEW_TRKVIEW, [](HWND, WPARAM) { OpenTrackWindow(nullptr, kTrackViewMode); }},
    {IDM_VIEW_RECORD, IDM_VIEW_RECORD, [](HWND, WPARAM) { OpenTrackWindow(nullptr, kRecordSetupMode); }},
    {kCmdPlayPalette, kCmdPlayPalette, [](HWND, WPARAM) { TogglePalette(g_views.playPalette); }},
    {kCmdPianoPalette, kCmdPianoPalette, [](HWND, WPARAM) { TogglePalette(g_views.pianoPalette); }},
    {IDM_ERRLOG_CLEAR, IDM_ERRLOG_CLEAR, [](HWND, WPARAM) { ClearErrLog(); }},
    {IDM_ERRLOG_JUMP, IDM_ERRLOG_JUMP, [](HWND, WPARAM) { JumpFromErrLogCaret(); }},
    {IDM_SEARCHLOG_CLEAR, IDM_SEARCHLOG_CLEAR, [](HWND, WPARAM) { ClearSearchLog(); }},
    {IDM_SEARCHLOG_JUMP, IDM_SEARCHLOG_JUMP, [](HWND, WPARAM) { JumpFromSearchLogCaret(); }},
};

// Refused while a song plays or the program is busy.
const CommandRow kSecondGroup[] = {
    {IDM_FILE_NEW, IDM_FILE_NEW, [](HWND frame, WPARAM) { NewSongCommand(frame); }},
    {IDM_FILE_OPEN, IDM_FILE_OPEN, [](HWND frame, WPARAM) { OpenCommand(frame); }},
    {IDM_FILE_SAVE, IDM_FILE_SAVE, [](HWND frame, WPARAM) { SaveCommand(frame); }},
    {IDM_FILE_SAVEAS, IDM_FILE_SAVEAS, [](HWND frame, WPARAM) { SaveAsCommand(frame); }},
    {IDM_FILE_SAVENAMED, IDM_FILE_SAVENAMED, [](HWND frame, WPARAM) { SaveToSongName(frame); }},
    {IDM_FILE_RECENT_FIRST, IDM_FILE_RECENT_LAST, [](HWND frame, WPARAM w) { RecentFileCommand(frame, LOWORD(w)); }},
    {IDM_OTHER_SENDCTRL, IDM_OTHER_SENDCTRL, [](HWND frame, WPARAM) { SendControlDataCommand(frame); }},
    {kCmdNothing, kCmdNothing, [](HWND, WPARAM) {}},
    {kCmdInterfaceSetup, kCmdInterfaceSetup, [](HWND frame, WPARAM) { OpenInterfaceDialog(AppInstance(), frame); }},
    {kCmdSoundModules, kCmdSoundModules, [](HWND frame, WPARAM) { OpenSoundModuleDialog(AppInstance(), frame); }},
    {kCmdTimeCode, kCmdTimeCode, [](HWND frame, WPARAM) { OpenTimeCodeDialog(AppInstance(), frame); }},
    {kCmdTuningDialog, kCmdTuningDialog,
     [](HWND frame, WPARAM) {
       if (!g_app.portsUnavailable) OpenTuningDialog(AppInstance(), frame);
     }},
    {kCmdKeySettings, kCmdKeySettings, [](HWND frame, WPARAM) { OpenKeySettingsDialog(AppInstance(), frame); }},
    {kCmdDefaultFont, kCmdDefaultFont, [](HWND frame, WPARAM) { ChooseFontMode1(AppInstance(), frame); }},
    {kCmdDisplaySettings, kCmdDisplaySettings, [](HWND frame, WPARAM) { OpenEnvironmentDialog(AppInstance(), frame); }},
    {kCmdGraphColours, kCmdGraphColours, [](HWND frame, WPARAM) { OpenGraphSetupDialog(AppInstance(), frame); }},
    {kCmdOtherSettings, kCmdOtherSettings, [](HWND frame, WPARAM) { OpenOtherSettingsDialog(AppInstance(), frame); }},
    {kCmdDragDropSettings, kCmdDragDropSettings, [](HWND frame, WPARAM) { OpenDragDropDialog(AppInstance(), frame); }},
    {kCmdStartUpSettings, kCmdStartUpSettings, [](HWND frame, WPARAM) { OpenStartUpDialog(AppInstance(), frame); }},
    {kCmdUserExclusive, kCmdUserExclusive, [](HWND, WPARAM) { OpenUserExclusive(nullptr, 0); }},
    {kCmdDumpSong, kCmdDumpSong, [](HWND, WPARAM) { DumpSong(); }},
    {IDM_PLAY_START, IDM_PLAY_START, [](HWND frame, WPARAM) { StartPlay(frame, 0); }},
    {IDM_PLAY_MEASURE, IDM_PLAY_MEASURE, [](HWND, WPARAM) { StartMeasurePlay(ActiveMdiChild()); }},
    {kCmdRecordStart, kCmdRecordStart,
     [](HWND frame, WPARAM) {
       if (!g_app.portsUnavailable) StartRecording(frame);
     }},
    {IDM_PLAY_RECORD, IDM_PLAY_RECORD, [](HWND frame, WPARAM) { RecordCommand(frame); }},
    {IDM_PLAY_POINT, IDM_PLAY_POINT, [](HWND, WPARAM) { StartPointPlay(ActiveMdiChild(), false); }},
    {IDM_PLAY_TRACK, IDM_PLAY_TRACK, [](HWND, WPARAM) { StartPointPlay(ActiveMdiChild(), true); }},
    {kFirstStepInputCommand, kLastStepInputCommand,
     [](HWND, WPARAM w) { SetStepInputMode(g_prog.currentStep, LOWORD(w)); }},
};

template <size_t N>
const CommandRow* FindRow(const CommandRow (&rows)[N], UINT id) {
  for (const CommandRow& row : rows)
    if (id >= row.first && id <= row.last) return &row;
  return nullptr;
}

void DefaultForm(HWND frame, UINT id) { DefFrameProcA(frame, g_app.mdiClient, WM_COMMAND, id, 0); }

}  // namespace

void CommandToPlugins(WPARAM wParam) { ToPlugins(wParam); }

void FrameCommand(HWND frame, WPARAM wParam) {
  const UINT id = LOWORD(wParam);
  if (const CommandRow* row = FindRow(kFirstGroup, id)) row->run(frame, wParam);
  if (const CommandRow* row = FindEditorKeyRow(id)) row->run(frame, wParam);
  if (id >= kFirstPluginCommand && id <= kLastPluginCommand) ToPlugins(wParam);
  if (IsPlaying() || g_play.busyFlag) {
    DefaultForm(frame, id);
    return;
  }
  const CommandRow* row = FindRow(kSecondGroup, id);
  if (!row) row = FindPassedOnRow(id);
  if (row) {
    row->run(frame, wParam);
    return;
  }
  DefaultForm(frame, id);
}
