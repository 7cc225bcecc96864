#include "displaydlg.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "candidates.h"
#include "dispswitchdlg.h"
#include "dlgedit.h"
#include "inifile.h"
#include "playroutines.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"
#include "songmodel.h"
#include "viewglobals.h"

namespace {

constexpr char kSplashSection[] = "Splash";
constexpr char kPlayMonSection[] = "PlayMon";

// What dialog 1200 keeps while it is open.
struct EnvironmentDialogState {
  std::vector<std::string> splashFiles;        // [Splash] Applet%d
  std::vector<std::string> splashPluginFiles;  // [Splash] PApplet%d of the same n
  std::vector<std::string> playMonFiles;       // [PlayMon] Applet%d
  CandidateList splash;
  CandidateList playMon;
  // The display switch dialog changes these at once; Cancel puts them back.
  int32_t displaySw = 0;
  int32_t dispCtrlSw[4] = {};
  bool savedMeanwhile = false;  // dialog 131's OK wrote the settings file
};


int PlaceRadioOffset(BarPlace place) { return place == BarPlace::Top ? 0 : place == BarPlace::Bottom ? 1 : 2; }
BarPlace CheckedPlace(HWND dialog, int topId) {
  if (BoxChecked(dialog, topId)) return BarPlace::Top;
  if (BoxChecked(dialog, topId + 1)) return BarPlace::Bottom;
  return BarPlace::None;
}

EnvironmentDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<EnvironmentDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void FillList(HWND dialog, int id, const CandidateList& list) {
  for (const CandidateLine& line : list.lines)
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.title.c_str()));
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(list.selection), 0);
}

int ChosenLine(HWND dialog, int id) {
  const LRESULT line = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  return line == CB_ERR ? 0 : static_cast<int>(line);
}

void FillCandidateLists(HWND dialog, EnvironmentDialogState& state) {
  const std::string none = LoadAppString(IDS_DISPSET_NONE);
  state.splashFiles = ReadCandidateFiles(kSplashSection, "Applet");
  state.splashPluginFiles =
      ReadIndexedValues(kSplashSection, "PApplet", static_cast<int>(state.splashFiles.size()));
  state.playMonFiles = ReadCandidateFiles(kPlayMonSection, "Applet");
  const std::string splash = IniGetString(kSplashSection, "Applet", "", kPathTextSize);
  const std::string playMon = IniGetString(kPlayMonSection, "Applet", "", kPathTextSize);
  state.splash = ListCandidates(none, state.splashFiles, splash, ProbeLibraryTexts);
  state.playMon = ListCandidates(none, state.playMonFiles, playMon, ProbeLibraryTexts);
  FillList(dialog, IDC_DISPSET_SPLASH, state.splash);
  FillList(dialog, IDC_DISPSET_PLAYMON, state.playMon);
}

void ShowSettings(HWND dialog) {
  const AppSettings& s = g_settings;
  SetBoxCheck(dialog, IDC_DISPSET_VIEW, s.view != 0);
  SetBoxCheck(dialog, IDC_DISPSET_TRKVIEW, s.trkView != 0);
  SetBoxCheck(dialog, IDC_DISPSET_NOTEPAL, s.notePallet != 0);
  SetBoxCheck(dialog, IDC_DISPSET_PLAYPAL, s.playPallet != 0);
  SetBoxCheck(dialog, IDC_DISPSET_PIANOMON, s.playmon != 0);
  SetBoxCheck(dialog, IDC_DISPSET_PROGOFFSET, s.progOffset != 0);
  CheckRadioButton(dialog, IDC_DISPSET_TOOL_TOP, IDC_DISPSET_TOOL_NONE,
                   IDC_DISPSET_TOOL_TOP + PlaceRadioOffset(ToolBarPlace(s.toolBar)));
  SetBoxCheck(dialog, IDC_DISPSET_TOOL_HELP, ToolBarHelp(s.toolBar));
  CheckRadioButton(dialog, IDC_DISPSET_STATUS_TOP, IDC_DISPSET_STATUS_NONE,
                   IDC_DISPSET_STATUS_TOP + PlaceRadioOffset(StatusBarPlace(s.statusBar)));
  const TitleChecks title = TitleBarChecks(s.titleBar);
  SetBoxCheck(dialog, IDC_DISPSET_TITLE_APP, title.app);
  SetBoxCheck(dialog, IDC_DISPSET_TITLE_SONG, title.song);
  SetBoxCheck(dialog, IDC_DISPSET_TITLE_FILE, title.file);
}

BOOL OnInit(HWND dialog, LPARAM param) {
  SetWindowLongPtrA(dialog, DWLP_USER, param);
  EnvironmentDialogState& state = *StateOf(dialog);
  InitSetupDialog(dialog);
  state.displaySw = g_settings.displaySw;
  for (int k = 0; k < 4; ++k) state.dispCtrlSw[k] = g_settings.dispCtrlSw[k];
  FillCandidateLists(dialog, state);
  ShowSettings(dialog);
  return TRUE;
}

// The choice of libraries goes to the file at once; the banner takes effect
// at the next start.
void StoreLibraryChoice(HWND dialog, const EnvironmentDialogState& state) {
  const int splash = ChosenLine(dialog, IDC_DISPSET_SPLASH);
  IniWriteString(kSplashSection, "Applet", CandidateFileOf(state.splash, splash, state.splashFiles).c_str());
  IniWriteString(kSplashSection, "PApplet",
                 CandidateFileOf(state.splash, splash, state.splashPluginFiles).c_str());
  const int playMon = ChosenLine(dialog, IDC_DISPSET_PLAYMON);
  IniWriteString(kPlayMonSection, "Applet", CandidateFileOf(state.playMon, playMon, state.playMonFiles).c_str());
}

void OnOk(HWND dialog) {
  AppSettings& s = g_settings;
  s.view = BoxChecked(dialog, IDC_DISPSET_VIEW) ? 1 : 0;
  s.trkView = BoxChecked(dialog, IDC_DISPSET_TRKVIEW) ? 1 : 0;
  s.notePallet = BoxChecked(dialog, IDC_DISPSET_NOTEPAL) ? 1 : 0;
  s.playPallet = BoxChecked(dialog, IDC_DISPSET_PLAYPAL) ? 1 : 0;
  s.playmon = BoxChecked(dialog, IDC_DISPSET_PIANOMON) ? 1 : 0;
  s.progOffset = BoxChecked(dialog, IDC_DISPSET_PROGOFFSET) ? 1 : 0;
  s.toolBar = ToolBarValue(CheckedPlace(dialog, IDC_DISPSET_TOOL_TOP), BoxChecked(dialog, IDC_DISPSET_TOOL_HELP));
  s.statusBar = StatusBarValue(CheckedPlace(dialog, IDC_DISPSET_STATUS_TOP));
  s.titleBar = TitleBarValue({BoxChecked(dialog, IDC_DISPSET_TITLE_APP), BoxChecked(dialog, IDC_DISPSET_TITLE_SONG),
                              BoxChecked(dialog, IDC_DISPSET_TITLE_FILE)});
  StoreLibraryChoice(dialog, *StateOf(dialog));
  EndDialog(dialog, 1);
}

void OnCancel(HWND dialog) {
  const EnvironmentDialogState& state = *StateOf(dialog);
  g_settings.displaySw = state.displaySw;
  for (int k = 0; k < 4; ++k) g_settings.dispCtrlSw[k] = state.dispCtrlSw[k];
  // Dialog 131 saved the switches as they were then; the file takes the
  // restored ones too.
  if (state.savedMeanwhile) SaveSettings();
  EndDialog(dialog, 0);
}

// --- Dialog 131 -----------------------------------------------------------

const int kWindowCountField[] = {IDC_WINOPEN_COUNT};

BOOL OnWindowOpenInit(HWND dialog) {
  InitSetupDialog(dialog, kWindowCountField);
  const AppSettings& s = g_settings;
  CheckRadioButton(dialog, IDC_WINOPEN_STRATEGY, IDC_WINOPEN_STRATEGY + 3,
                   IDC_WINOPEN_STRATEGY + StrategyRadio(s.chgStrategy));
  SetDlgItemInt(dialog, IDC_WINOPEN_COUNT, static_cast<UINT>(s.windowMax), TRUE);
  CheckRadioButton(dialog, IDC_WINOPEN_NEW, IDC_WINOPEN_CURRENT, s.trSwap ? IDC_WINOPEN_CURRENT : IDC_WINOPEN_NEW);
  CheckRadioButton(dialog, IDC_WINOPEN_QKEY_SHIFTCTRL, IDC_WINOPEN_QKEY_SHIFT,
                   QKeyShowsShiftCtrl(s.qKey, s.trSwap) ? IDC_WINOPEN_QKEY_SHIFTCTRL : IDC_WINOPEN_QKEY_SHIFT);
  return TRUE;
}

void OnWindowOpenOk(HWND dialog) {
  AppSettings& s = g_settings;
  for (int k = 0; k < 4; ++k)
    if (BoxChecked(dialog, IDC_WINOPEN_STRATEGY + k)) s.chgStrategy = static_cast<int16_t>(k);
  char text[32] = {};
  GetDlgItemTextA(dialog, IDC_WINOPEN_COUNT, text, sizeof text);
  s.windowMax = WindowMaxValue(std::strtol(text, nullptr, 10));
  const int reuse = BoxChecked(dialog, IDC_WINOPEN_CURRENT) ? 1 : 0;
  s.trSwap = reuse;
  s.windowMaxSw = reuse;
  s.qKey = QKeyValue(BoxChecked(dialog, IDC_WINOPEN_QKEY_SHIFTCTRL), s.trSwap);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK WindowOpenDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnWindowOpenInit(dialog);
    case WM_NOTIFY:
      return ForwardSpinDelta(dialog, lParam);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnWindowOpenOk);
  }
  return FALSE;
}

// True when it ended with OK (and saved).
bool OpenWindowOpenDialog(HWND owner) {
  if (RunSetupDialog(IDD_WINOPEN, WindowOpenDlgProc, 0, owner) != 1) return false;
  SaveSettings();
  return true;
}

// --- Dialog 1200 ----------------------------------------------------------

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOk(dialog);
      return TRUE;
    case IDCANCEL:
      OnCancel(dialog);
      return TRUE;
    case IDC_DISPSET_SWITCHES:
      OpenDisplaySwitchDlg(AppInstance(), dialog);
      return TRUE;
    case IDC_DISPSET_WINDOWS:
      if (OpenWindowOpenDialog(dialog)) StateOf(dialog)->savedMeanwhile = true;
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK EnvironmentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog, lParam);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

// The bars, palettes, caption and play monitor as the settings now say.
void ApplyDisplaySettings() {
  UnloadPlayMonitor();
  SaveSettings();
  if (g_settings.notePallet == 0 && g_views.notePalette) ShowWindow(g_views.notePalette, SW_HIDE);
  BindPlayMonitor();
  if (g_playmon.setLPPLAYDAT) g_playmon.setLPPLAYDAT(g_prog.playTrackData);
  SetSongTitle(std::string(g_song.fileName).c_str());
  if (!g_app.frame) return;
  RECT r;
  GetClientRect(g_app.frame, &r);
  SendMessageA(g_app.frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
  LayoutMdiClient();
  RedrawWindow(g_app.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  if (g_app.mdiClient) RedrawWindow(g_app.mdiClient, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

}  // namespace

void OpenEnvironmentDialog(HINSTANCE, HWND owner) {
  EnvironmentDialogState state;
  if (RunSetupDialog(IDD_DISPSET, EnvironmentDlgProc, reinterpret_cast<LPARAM>(&state), owner) == 1)
    ApplyDisplaySettings();
}
