#include "mmediadlg.h"

#include <string>
#include <vector>

#include "cp932text.h"
#include "dlgedit.h"
#include "engines.h"
#include "interfacedlg.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"

namespace {

using CommandTable = char (*)[kPathTextSize];

constexpr int kEntryFields[kCommandListEntries] = {IDC_CMDLIST_1, IDC_CMDLIST_2, IDC_CMDLIST_3,
                                                   IDC_CMDLIST_4, IDC_CMDLIST_5, IDC_CMDLIST_6};

CommandTable TableOf(HWND dialog) { return reinterpret_cast<CommandTable>(GetWindowLongPtrA(dialog, DWLP_USER)); }

BOOL OnListInit(HWND dialog, LPARAM table) {
  SetWindowLongPtrA(dialog, DWLP_USER, table);
  InitSetupDialog(dialog);
  CommandTable entries = TableOf(dialog);
  for (int i = 0; i < kCommandListEntries; ++i) {
    SetDlgItemTextA(dialog, kEntryFields[i], entries[i]);
    // Room for a longer text: OK cuts it where a character ends.
    SendDlgItemMessageA(dialog, kEntryFields[i], EM_LIMITTEXT, 2 * kCommandTextMax, 0);
  }
  return TRUE;
}

void OnListOk(HWND dialog) {
  CommandTable entries = TableOf(dialog);
  for (int i = 0; i < kCommandListEntries; ++i) {
    HWND field = GetDlgItem(dialog, kEntryFields[i]);
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(field)) + 2, '\0');
    GetWindowTextA(field, text.data(), static_cast<int>(text.size()));
    lstrcpynA(entries[i], CutCp932Text(text.data(), kCommandTextMax).c_str(), kPathTextSize);
  }
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK CommandListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnListInit(dialog, lParam);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnListOk);
  }
  return FALSE;
}

void OpenCommandList(HWND parent, int dialogId, CommandTable table) {
  if (RunSetupDialog(dialogId, CommandListDlgProc, reinterpret_cast<LPARAM>(table), parent) == 1) SaveSettings();
}

BOOL OnInit(HWND dialog) {
  InitSetupDialog(dialog);
  CheckRadioButton(dialog, IDC_MMEDIA_ON, IDC_MMEDIA_OFF, g_settings.mmedia ? IDC_MMEDIA_ON : IDC_MMEDIA_OFF);
  return TRUE;
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      g_settings.mmedia = IsDlgButtonChecked(dialog, IDC_MMEDIA_ON) == BST_CHECKED ? 1 : 0;
      EndDialog(dialog, 1);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_MMEDIA_START_MCI:
      OpenCommandList(dialog, IDD_CMDLIST_START_MCI, g_settings.startMci);
      return TRUE;
    case IDC_MMEDIA_START_RUN:
      OpenCommandList(dialog, IDD_CMDLIST_START_RUN, g_settings.startRun);
      return TRUE;
    case IDC_MMEDIA_END_MCI:
      OpenCommandList(dialog, IDD_CMDLIST_END_MCI, g_settings.endMci);
      return TRUE;
    case IDC_MMEDIA_END_RUN:
      OpenCommandList(dialog, IDD_CMDLIST_END_RUN, g_settings.endRun);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK MultimediaDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

void OpenMultimediaDialog(HWND parent) {
  if (RunSetupDialog(IDD_MMEDIA, MultimediaDlgProc, 0, parent) == 1) SaveSettings();
}
