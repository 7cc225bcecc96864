#include "dropstartdlg.h"

#include "dlgedit.h"
#include "otherrules.h"
#include "playroutines.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"

void ShowRadioValue(HWND dialog, const RadioGroup& group, int value, bool firstWhenUnmatched) {
  const int shown = RadioForValue(group, value, firstWhenUnmatched);
  for (int i = 0; i < group.count; ++i)
    CheckDlgButton(dialog, group.ids[i], group.ids[i] == shown ? BST_CHECKED : BST_UNCHECKED);
}

int CheckedRadioValue(HWND dialog, const RadioGroup& group, int stored) {
  for (int i = 0; i < group.count; ++i)
    if (IsDlgButtonChecked(dialog, group.ids[i]) == BST_CHECKED) return ValueForRadio(group, group.ids[i], stored);
  return stored;
}

namespace {

// A value no radio stands for shows none checked and stays as it is.
constexpr bool kNoneWhenUnmatched = false;

BOOL OnDragDropInit(HWND dialog) {
  InitSetupDialog(dialog);
  ShowRadioValue(dialog, kDragDropRadios, g_settings.dragDropEdit, kNoneWhenUnmatched);
  return TRUE;
}

void OnDragDropOk(HWND dialog) {
  g_settings.dragDropEdit = CheckedRadioValue(dialog, kDragDropRadios, g_settings.dragDropEdit);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK DragDropDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnDragDropInit(dialog);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnDragDropOk);
  }
  return FALSE;
}

struct StartUpRow {
  const RadioGroup& radios;
  int32_t AppSettings::*value;
};
const StartUpRow kStartUpRows[] = {
    {kMidiThruRadios, &AppSettings::midiThru},
    {kMidiRecPortRadios, &AppSettings::midiRecPort},
    {kEditModeRadios, &AppSettings::editMode},
    {kActiveWindowRadios, &AppSettings::activeWindow},
};

BOOL OnStartUpInit(HWND dialog) {
  InitSetupDialog(dialog);
  for (const StartUpRow& row : kStartUpRows)
    ShowRadioValue(dialog, row.radios, g_settings.*row.value, kNoneWhenUnmatched);
  return TRUE;
}

void OnStartUpOk(HWND dialog) {
  for (const StartUpRow& row : kStartUpRows)
    g_settings.*row.value = CheckedRadioValue(dialog, row.radios, g_settings.*row.value);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK StartUpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnStartUpInit(dialog);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnStartUpOk);
  }
  return FALSE;
}

void AfterOk() {
  EnableTrackDrops();
  SaveSettings();
}

}  // namespace

void OpenDragDropDialog(HINSTANCE, HWND owner) {
  if (RunSetupDialog(IDD_DRAGDROP, DragDropDlgProc, 0, owner) == 1) AfterOk();
}

void OpenStartUpDialog(HINSTANCE, HWND owner) {
  if (RunSetupDialog(IDD_STARTUP, StartUpDlgProc, 0, owner) == 1) AfterOk();
}
