#include "pointplaydlg.h"

#include <commctrl.h>

#include "binding.h"
#include "dlgedit.h"
#include "engine.h"
#include "interfacedlg.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"

// Each box carries the engine's bit of the kind its text names.
const EventBitBox kChaseBoxes[kChaseBoxCount] = {
    {IDC_CHASE_CHANPRESS, 0x08}, {IDC_CHASE_KEYPRESS, 0x01}, {IDC_CHASE_CONTROL, 0x02},
    {IDC_CHASE_PROGRAM, 0x04},   {IDC_CHASE_BEND, 0x10},     {IDC_CHASE_SYSEX, 0x20},
};
const EventBitBox kTruantBoxes[kTruantBoxCount] = {
    {IDC_TRUANT_KEYPRESS, 0x001},   {IDC_TRUANT_PROGRAM, 0x004},    {IDC_TRUANT_CHANPRESS, 0x008},
    {IDC_TRUANT_BEND, 0x010},       {IDC_TRUANT_MODULATION, 0x040}, {IDC_TRUANT_VOLUME, 0x080},
    {IDC_TRUANT_EXPRESSION, 0x200}, {IDC_TRUANT_PAN, 0x100},
};

int WordFromBoxes(int word, const EventBitBox* boxes, const bool* checked, int count) {
  for (int i = 0; i < count; ++i) {
    if (checked[i])
      word |= boxes[i].bit;
    else
      word &= ~boxes[i].bit;
  }
  return word;
}

namespace {

// Truant, Chase and ExclWait together.
constexpr int kAllValues = 7;

using SetPlayTruantFn = int(WINAPI*)(int truant, int chase, int exclWait, int which);  // 1000
using GetPlayTruantFn = int(WINAPI*)(int* truant, int* chase, int* exclWait, int which);  // 1001
using WritePlayTruantFn = int(WINAPI*)(int which);  // 1002

constexpr int kNumberFields[] = {IDC_EXCLWAIT};

// The words shown, kept for the bits no box stands for.
struct PointPlayValues {
  int truant = 0;
  int chase = 0;
  int exclWait = 0;
};

void EnableAll(HWND dialog, bool on) {
  for (const EventBitBox& b : kChaseBoxes) EnableWindow(GetDlgItem(dialog, b.id), on);
  for (const EventBitBox& b : kTruantBoxes) EnableWindow(GetDlgItem(dialog, b.id), on);
  EnableWindow(GetDlgItem(dialog, IDC_EXCLWAIT), on);
  EnableWindow(GetDlgItem(dialog, IDC_EXCLWAIT_SPIN), on);
}

void ShowBoxes(HWND dialog, const EventBitBox* boxes, int count, int word) {
  for (int i = 0; i < count; ++i)
    CheckDlgButton(dialog, boxes[i].id, (word & boxes[i].bit) ? BST_CHECKED : BST_UNCHECKED);
}

int WordOfBoxes(HWND dialog, const EventBitBox* boxes, int count, int word) {
  bool checked[kTruantBoxCount] = {};
  for (int i = 0; i < count; ++i) checked[i] = IsDlgButtonChecked(dialog, boxes[i].id) == BST_CHECKED;
  return WordFromBoxes(word, boxes, checked, count);
}

PointPlayValues* ValuesOf(HWND dialog) {
  return reinterpret_cast<PointPlayValues*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

BOOL OnInit(HWND dialog, LPARAM param) {
  SetWindowLongPtrA(dialog, DWLP_USER, param);
  InitSetupDialog(dialog, kNumberFields);
  auto get = BindOrdinal<GetPlayTruantFn>(g_engine.library, 1001);
  if (!get) {
    EnableAll(dialog, false);
    return TRUE;
  }
  PointPlayValues& v = *ValuesOf(dialog);
  get(&v.truant, &v.chase, &v.exclWait, kAllValues);
  ShowBoxes(dialog, kChaseBoxes, kChaseBoxCount, v.chase);
  ShowBoxes(dialog, kTruantBoxes, kTruantBoxCount, v.truant);
  SetDlgItemInt(dialog, IDC_EXCLWAIT, static_cast<UINT>(v.exclWait), FALSE);
  return TRUE;
}

void OnOk(HWND dialog) {
  // Without GetPlayTruant nothing was shown, so nothing is stored.
  if (BindOrdinal<GetPlayTruantFn>(g_engine.library, 1001)) {
    PointPlayValues& v = *ValuesOf(dialog);
    v.truant = WordOfBoxes(dialog, kTruantBoxes, kTruantBoxCount, v.truant);
    v.chase = WordOfBoxes(dialog, kChaseBoxes, kChaseBoxCount, v.chase);
    // A number typed past the field's limits is taken as the nearest limit.
    v.exclWait = ClampedDlgItemInt(dialog, IDC_EXCLWAIT, 0, kExclWaitMax, v.exclWait);
    if (auto set = BindOrdinal<SetPlayTruantFn>(g_engine.library, 1000)) set(v.truant, v.chase, v.exclWait, kAllValues);
    if (auto write = BindOrdinal<WritePlayTruantFn>(g_engine.library, 1002)) write(kAllValues);
  }
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK PointPlayDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog, lParam);
    case WM_NOTIFY:
      return ForwardSpinDelta(dialog, lParam);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnOk);
  }
  return FALSE;
}

}  // namespace

void OpenPointPlayDialog(HWND parent) {
  PointPlayValues values;
  if (RunSetupDialog(IDD_POINTPLAY, PointPlayDlgProc, reinterpret_cast<LPARAM>(&values), parent) == 1)
    SaveSettings();
}
