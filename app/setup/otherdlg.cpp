#include "otherdlg.h"

#include <cstdio>
#include <iterator>
#include <string>

#include "appglobals.h"
#include "binding.h"
#include "dlgedit.h"
#include "msgbox.h"
#include "otherrules.h"
#include "resource.h"
#include "rhythm.h"
#include "rhythmassign.h"
#include "settings.h"
#include "setupdlg.h"

namespace {


void SetNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

// Dialog 148: its values stay in memory for the next save.

constexpr int kAutoSaveOn = 0x01;
constexpr int kAutoSaveSongName = 0x02;

constexpr int kAutoSaveNumbers[] = {IDC_AUTOSAVE_INTERVAL, IDC_AUTOSAVE_HISTORY};

BOOL OnAutoSaveInit(HWND dialog) {
  InitSetupDialog(dialog, kAutoSaveNumbers);
  SetBoxCheck(dialog, IDC_AUTOSAVE_ON, g_settings.autoSave & kAutoSaveOn);
  SetBoxCheck(dialog, IDC_AUTOSAVE_SONGNAME, g_settings.autoSave & kAutoSaveSongName);
  SetNumber(dialog, IDC_AUTOSAVE_INTERVAL, IntervalMinutesShown(g_settings.saveInterval));
  SetNumber(dialog, IDC_AUTOSAVE_HISTORY, g_settings.saveMax);
  SendDlgItemMessageA(dialog, IDC_AUTOSAVE_PATH, EM_LIMITTEXT, kPathTextSize - 1, 0);
  SetDlgItemTextA(dialog, IDC_AUTOSAVE_PATH, AutoSavePathShown(g_settings.tmpPath).c_str());
  return TRUE;
}

void OnAutoSaveOk(HWND dialog) {
  int flags = g_settings.autoSave & ~(kAutoSaveOn | kAutoSaveSongName);
  if (BoxChecked(dialog, IDC_AUTOSAVE_ON)) flags |= kAutoSaveOn;
  if (BoxChecked(dialog, IDC_AUTOSAVE_SONGNAME)) flags |= kAutoSaveSongName;
  g_settings.autoSave = flags;
  // A field left without a number keeps what it showed.
  const int minutes = ClampedDlgItemInt(dialog, IDC_AUTOSAVE_INTERVAL, kIntervalMinutesMin, kIntervalMinutesMax,
                                        IntervalMinutesShown(g_settings.saveInterval));
  g_settings.saveInterval = IntervalMsFromMinutes(minutes);
  g_settings.saveMax = static_cast<int16_t>(
      SaveMaxOnOk(ClampedDlgItemInt(dialog, IDC_AUTOSAVE_HISTORY, kSaveMaxMin, kSaveMaxMax, g_settings.saveMax)));
  GetDlgItemTextA(dialog, IDC_AUTOSAVE_PATH, g_settings.tmpPath, kPathTextSize);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK AutoSaveDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnAutoSaveInit(dialog);
    case WM_NOTIFY:
      return ForwardSpinDelta(dialog, lParam);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnAutoSaveOk);
  }
  return FALSE;
}

// Dialog 1100.

struct OtherSwitch {
  int id;
  int32_t AppSettings::*value;
};
const OtherSwitch kSwitches[] = {
    {IDC_OTHERSET_BACKUP, &AppSettings::makeBackup},
    {IDC_OTHERSET_INVELOCITY, &AppSettings::midiInVelocity},
    {IDC_OTHERSET_SKIPEVENT, &AppSettings::midiInSkipEvent},
    {IDC_OTHERSET_AUTOCONVERT, &AppSettings::autoRecConvert},
    {IDC_OTHERSET_LOADTBCVT, &AppSettings::loadOnTbCvt},
    {IDC_OTHERSET_PLAYMON, &AppSettings::playMonitor},
    {IDC_OTHERSET_TRACKMON, &AppSettings::trackMonitor},
    {IDC_OTHERSET_MEMORY, &AppSettings::memory},
    {IDC_OTHERSET_PIANO, &AppSettings::pianoPallet},
};
constexpr int kLoadAfterBits[] = {1, 2, 4};  // conductor, memo, track setting

void FillTimeBaseList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_OTHERSET_TIMEBASE);
  for (const std::string& text : TimeBaseListTexts())
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  const int index = TimeBaseListIndex(g_settings.timeBase);
  if (index >= 0) {
    SendMessageA(list, CB_SETCURSEL, index, 0);
    return;
  }
  // A time base the list lacks is shown as it is, so OK keeps it.
  char text[32];
  std::snprintf(text, sizeof text, "%d", g_settings.timeBase);
  SetWindowTextA(list, text);
}

constexpr int kTrackNumbers[] = {IDC_OTHERSET_ORGTRACK, IDC_OTHERSET_MAXTRACK};

BOOL OnInit(HWND dialog) {
  InitSetupDialog(dialog, kTrackNumbers);
  FillTimeBaseList(dialog);
  SetNumber(dialog, IDC_OTHERSET_ORGTRACK, g_settings.orgTrack);
  SetNumber(dialog, IDC_OTHERSET_MAXTRACK, g_settings.maxTrack);
  for (const OtherSwitch& s : kSwitches) SetBoxCheck(dialog, s.id, g_settings.*s.value != 0);
  for (int i = 0; i < 3; ++i) SetBoxCheck(dialog, IDC_OTHERSET_LOADAFTER + i, g_settings.songLoadAfter & kLoadAfterBits[i]);
  return TRUE;
}

int TypedNumber(HWND dialog, int id) {
  BOOL ok = FALSE;
  const UINT value = GetDlgItemInt(dialog, id, &ok, FALSE);
  return ok ? static_cast<int>(value) : 0;
}

void OnOk(HWND dialog) {
  char text[64] = {};
  GetDlgItemTextA(dialog, IDC_OTHERSET_TIMEBASE, text, sizeof text);
  int timeBase = 0;
  if (!TimeBaseFromText(text, &timeBase)) {
    // Views and the recording conversion divide by it: stay open, store nothing.
    ShowMessageById(dialog, MB_OK | MB_ICONEXCLAMATION, IDS_OTHERSET_TIMEBASE_RANGE);
    SetFocus(GetDlgItem(dialog, IDC_OTHERSET_TIMEBASE));
    return;
  }
  g_settings.timeBase = timeBase;
  g_settings.orgTrack = NormalTrackCountOnOk(TypedNumber(dialog, IDC_OTHERSET_ORGTRACK), g_settings.maxTrack);
  g_settings.maxTrack = MaxTrackCountOnOk(TypedNumber(dialog, IDC_OTHERSET_MAXTRACK));
  for (const OtherSwitch& s : kSwitches) g_settings.*s.value = BoxChecked(dialog, s.id) ? 1 : 0;
  int loadAfter = g_settings.songLoadAfter & ~(1 | 2 | 4);
  for (int i = 0; i < 3; ++i)
    if (BoxChecked(dialog, IDC_OTHERSET_LOADAFTER + i)) loadAfter |= kLoadAfterBits[i];
  g_settings.songLoadAfter = loadAfter;
  EndDialog(dialog, 1);
}

void OnRhythmAssign(HWND dialog) {
  if (OpenRhythmAssignDialog(AppInstance(), dialog)) LoadRhythmNamesFromSong();
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDC_OTHERSET_AUTOSAVE:
      RunSetupDialog(IDD_AUTOSAVE, AutoSaveDlgProc, 0, dialog);
      return TRUE;
    case IDC_OTHERSET_RHYTHM:
      OnRhythmAssign(dialog);
      return TRUE;
  }
  return StepDialogOkCancel(dialog, wParam, OnOk);
}

INT_PTR CALLBACK OtherSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog);
    case WM_NOTIFY:
      return ForwardSpinDelta(dialog, lParam);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

void OpenOtherSettingsDialog(HINSTANCE, HWND owner) {
  if (RunSetupDialog(IDD_OTHERSET, OtherSettingsDlgProc, 0, owner) != 1) return;
  SaveSettings();
  SetPlayMonModeFromSettings();
}
