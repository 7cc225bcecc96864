#include "graphdlg.h"

#include <commdlg.h>

#include <cstdio>

#include "displaycolors.h"
#include "dlgedit.h"
#include "graphsetup.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"

namespace {

// Colours are edited here and reach the settings only on OK.
struct GraphDialog {
  ColourWorkTable table{};
};

const int kNumberFields[kGraphFreeRows] = {IDC_GRAPH_CTRLNO1, IDC_GRAPH_CTRLNO2, IDC_GRAPH_CTRLNO3,
                                           IDC_GRAPH_CTRLNO4};

// The sample line's box, in pixels from the colour button.
constexpr int kSampleLeft = 30;
constexpr int kSampleWidth = 25;
constexpr int kSampleAbove = 9;
constexpr int kSampleBelow = 11;

GraphDialog& StateOf(HWND dialog) {
  return *reinterpret_cast<GraphDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

BOOL OnInit(HWND dialog, LPARAM param) {
  SetWindowLongPtrA(dialog, DWLP_USER, param);
  StateOf(dialog).table = WorkTableFromSettings(g_settings);
  InitSetupDialog(dialog, kNumberFields);
  const GraphChecks checks = GraphChecksFromSettings(g_settings);
  for (int row = 0; row < kGraphRowCount; ++row)
    CheckDlgButton(dialog, kGraphRows[row].checkId, checks[row] ? BST_CHECKED : BST_UNCHECKED);
  for (int k = 0; k < kGraphFreeRows; ++k) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", g_settings.dispCtrlNo[k]);
    SetDlgItemTextA(dialog, kNumberFields[k], text);
  }
  return TRUE;
}

void PaintSampleLines(HWND dialog) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dialog, &ps);
  const GraphDialog& state = StateOf(dialog);
  for (int row = 0; row < kGraphRowCount; ++row) {
    RECT button;
    GetWindowRect(GetDlgItem(dialog, kGraphRows[row].colourButtonId), &button);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
    const int middle = (button.top + button.bottom) / 2;
    const RECT box = {button.left - kSampleLeft, middle - kSampleAbove, button.left - kSampleLeft + kSampleWidth,
                      middle + kSampleBelow};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    HPEN pen = CreatePen(PS_SOLID, 1, state.table[row].colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, box.left, middle, nullptr);
    LineTo(dc, box.right, middle);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  EndPaint(dialog, &ps);
}

// The system colour dialog on one row's colour; the custom colours stay for
// the whole run.
void OnChooseColour(HWND dialog, int row) {
  GraphDialog& state = StateOf(dialog);
  CHOOSECOLORA choice = {};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = dialog;
  choice.rgbResult = state.table[row].colour;
  choice.lpCustColors = g_prog.customColours;
  choice.Flags = CC_RGBINIT;
  if (!ChooseColorA(&choice)) return;
  state.table[row].colour = choice.rgbResult;
  InvalidateRect(dialog, nullptr, TRUE);
}

void OnOk(HWND dialog) {
  GraphChecks checks{};
  for (int row = 0; row < kGraphRowCount; ++row)
    checks[row] = IsDlgButtonChecked(dialog, kGraphRows[row].checkId) == BST_CHECKED;
  StoreGraphChecks(checks, g_settings);
  // What was typed past the field's limits is brought back inside them.
  for (int k = 0; k < kGraphFreeRows; ++k)
    g_settings.dispCtrlNo[k] = static_cast<int16_t>(
        ClampedDlgItemInt(dialog, kNumberFields[k], 0, kControllerNumberMax, g_settings.dispCtrlNo[k]));
  StoreWorkTable(StateOf(dialog).table, g_settings);
  ReloadDisplayColors();
  EndDialog(dialog, 1);
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  const int id = LOWORD(wParam);
  if (id >= IDC_GRAPH_COLOUR_FIRST && id < IDC_GRAPH_COLOUR_FIRST + kGraphRowCount) {
    if (HIWORD(wParam) == BN_CLICKED) OnChooseColour(dialog, id - IDC_GRAPH_COLOUR_FIRST);
    return TRUE;
  }
  return StepDialogOkCancel(dialog, wParam, OnOk);
}

INT_PTR CALLBACK GraphSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog, lParam);
    case WM_PAINT:
      PaintSampleLines(dialog);
      return TRUE;
    case WM_NOTIFY:
      return ForwardSpinDelta(dialog, lParam);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

void OpenGraphSetupDialog(HINSTANCE, HWND owner) {
  GraphDialog state;
  if (RunSetupDialog(IDD_GRAPH_SETUP, GraphSetupDlgProc, reinterpret_cast<LPARAM>(&state), owner) == 1)
    SaveSettings();
}
