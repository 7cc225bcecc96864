#include "keysdlg.h"

#include "appglobals.h"
#include "dlgedit.h"
#include "dropstartdlg.h"
#include "fkeystgtdlg.h"
#include "otherrules.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"

namespace {

struct KeySwitch {
  int id;
  int32_t AppSettings::*value;
};
const KeySwitch kKeySwitches[] = {
    {IDC_KEYSET_ESCRET, &AppSettings::escRet},     {IDC_KEYSET_F1F10, &AppSettings::f1f10},
    {IDC_KEYSET_HOMEHELP, &AppSettings::homeHelp}, {IDC_KEYSET_CTRLCV, &AppSettings::ctrlCv},
    {IDC_KEYSET_ICARET, &AppSettings::iCaret},     {IDC_KEYSET_FKEYREST, &AppSettings::fkeyRest},
};

// A value no radio stands for shows the first one.
constexpr bool kFirstWhenUnmatched = true;

BOOL OnInit(HWND dialog) {
  InitSetupDialog(dialog);
  for (const KeySwitch& s : kKeySwitches)
    CheckDlgButton(dialog, s.id, g_settings.*s.value ? BST_CHECKED : BST_UNCHECKED);
  ShowRadioValue(dialog, kShiftUpDownRadios, g_settings.shiftUpDown, kFirstWhenUnmatched);
  ShowRadioValue(dialog, kReverseUpDownRadios, g_settings.reversUpDown, kFirstWhenUnmatched);
  return TRUE;
}

void OnOk(HWND dialog) {
  for (const KeySwitch& s : kKeySwitches)
    g_settings.*s.value = IsDlgButtonChecked(dialog, s.id) == BST_CHECKED ? 1 : 0;
  g_settings.shiftUpDown = CheckedRadioValue(dialog, kShiftUpDownRadios, g_settings.shiftUpDown);
  g_settings.reversUpDown = CheckedRadioValue(dialog, kReverseUpDownRadios, g_settings.reversUpDown);
  EndDialog(dialog, 1);
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  if (LOWORD(wParam) == IDC_KEYSET_FKEYSTGT) {
    OpenFKeyStGtDlg(AppInstance(), dialog);
    return TRUE;
  }
  return StepDialogOkCancel(dialog, wParam, OnOk);
}

INT_PTR CALLBACK KeySettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

void OpenKeySettingsDialog(HINSTANCE, HWND owner) {
  if (RunSetupDialog(IDD_KEYSET, KeySettingsDlgProc, 0, owner) == 1) SaveSettings();
}
