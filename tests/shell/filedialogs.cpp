#include "filedialogs.h"

#include "shellprocess.h"

namespace {

constexpr int kNameEdit = 1152;   // edt1
constexpr int kNameCombo = 1148;  // cmb13
constexpr int kTypeCombo = 1136;  // cmb1

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK FindById(HWND window, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  if (GetDlgCtrlID(window) == s->id) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindDialogControl(HWND dialog, int id) {
  if (HWND direct = GetDlgItem(dialog, id)) return direct;
  Search s{id, nullptr};
  EnumChildWindows(dialog, FindById, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FileNameBox(HWND dialog) {
  // Explorer-style boxes name the file in a combo box, old-style ones in an
  // edit.
  HWND combo = GetDlgItem(dialog, kNameCombo);
  if (combo && IsWindowVisible(combo)) return combo;
  return GetDlgItem(dialog, kNameEdit);
}

void TypeFileName(HWND dialog, const std::string& name) {
  HWND box = FileNameBox(dialog);
  SetWindowTextA(box, name.c_str());
  const bool combo = GetDlgCtrlID(box) == kNameCombo;
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), combo ? CBN_EDITCHANGE : EN_CHANGE),
               reinterpret_cast<LPARAM>(box));
}

std::vector<std::string> FileTypes(HWND dialog) {
  std::vector<std::string> out;
  HWND list = GetDlgItem(dialog, kTypeCombo);
  const int n = list ? static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0)) : 0;
  for (int i = 0; i < n; ++i) {
    char text[512] = {};
    if (SendMessageA(list, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
      SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    out.emplace_back(text);
  }
  return out;
}

void ChooseFileType(HWND dialog, int index) {
  HWND list = GetDlgItem(dialog, kTypeCombo);
  SendMessageA(list, CB_SETCURSEL, index, 0);
  // A click in the list ends the selection as well as changing it.
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kTypeCombo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kTypeCombo, CBN_SELENDOK), reinterpret_cast<LPARAM>(list));
}

void ClickButton(HWND dialog, int id) {
  HWND button = FindDialogControl(dialog, id);
  SendMessageA(GetParent(button ? button : dialog), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

std::string ControlText(HWND dialog, int id) {
  char text[1024] = {};
  if (HWND control = FindDialogControl(dialog, id)) GetWindowTextA(control, text, sizeof text);
  return text;
}

bool IsFileDialog(HWND dialog) { return GetDlgItem(dialog, kTypeCombo) != nullptr; }

void ScreenshotToOutput(HWND window, const std::string& name) {
  SaveScreenshot(window, OutputFolder() + "\\" + name + ".bmp");
}
