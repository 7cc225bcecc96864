#include "scorefont.h"

#include <commdlg.h>

#include <cstdlib>
#include <cstring>

#include "appglobals.h"
#include "fonts.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "viewglobals.h"

// Heights -11 to -37 (none for -30 and -34), -48, -64 and -96. Words 0-7 of
// -11, -24 and -96 are fixed points; the rows between follow them, and the
// later offsets grow with the height.
const int16_t kScoreMetricTable[][kScoreTableWords] = {
    {2, 1, -4, -1, 0, -2, 0, 1, -11, 1, -1, 2, -1, 1, 0, 2, 0, -2, 1, 3, -1, 1, 0, 0, 1, 4, -1, 0},
    {2, 1, -4, -1, 0, -2, 0, 1, -12, 2, -1, 3, -2, 1, -1, 2, 1, -2, 1, 3, -1, 2, 1, -1, 1, 4, -2, 1},
    {3, 1, -3, -1, 0, -2, 0, 1, -13, 2, -1, 3, -2, 1, -1, 2, 1, -2, 1, 3, -1, 2, 1, -1, 1, 4, -2, 1},
    {3, 1, -3, -1, 0, -2, 0, 1, -14, 2, -1, 3, -2, 1, -1, 2, 1, -2, 1, 4, -1, 2, 1, -1, 1, 5, -2, 1},
    {3, 1, -3, -1, 0, -1, 0, 1, -15, 2, -1, 3, -2, 1, -1, 3, 1, -3, 1, 4, -1, 2, 1, -1, 1, 5, -2, 1},
    {4, 1, -2, -1, 0, -1, 0, 1, -16, 2, -1, 3, -2, 1, -1, 3, 1, -3, 1, 4, -1, 2, 1, -1, 1, 5, -2, 1},
    {4, 1, -2, -1, 0, -1, 0, 1, -17, 2, -1, 4, -2, 1, -1, 3, 1, -3, 1, 4, -1, 2, 1, -1, 1, 6, -2, 1},
    {4, 1, -2, 0, -1, -1, 1, 0, -18, 2, -2, 4, -2, 2, -1, 3, 1, -3, 2, 5, -2, 2, 1, -1, 2, 6, -2, 1},
    {4, 1, -2, 0, -1, -1, 1, 0, -19, 2, -2, 4, -2, 2, -1, 3, 1, -3, 2, 5, -2, 2, 1, -1, 2, 6, -2, 1},
    {5, 1, -1, 0, -1, -1, 1, 0, -20, 3, -2, 4, -3, 2, -1, 3, 1, -3, 2, 5, -2, 3, 1, -1, 2, 7, -3, 1},
    {5, 1, -1, 0, -1, 0, 1, 0, -21, 3, -2, 4, -3, 2, -1, 4, 1, -4, 2, 5, -2, 3, 1, -1, 2, 7, -3, 1},
    {5, 1, -1, 0, -1, 0, 1, 0, -22, 3, -2, 5, -3, 2, -1, 4, 1, -4, 2, 6, -2, 3, 1, -1, 2, 7, -3, 1},
    {6, 1, 0, 0, -1, 0, 1, 0, -23, 3, -2, 5, -3, 2, -1, 4, 1, -4, 2, 6, -2, 3, 1, -1, 2, 8, -3, 1},
    {6, 1, 0, 0, -1, 0, 1, 0, -24, 3, -2, 5, -3, 2, -1, 4, 1, -4, 2, 6, -2, 3, 1, -1, 2, 8, -3, 1},
    {6, 1, 0, 0, -1, 0, 1, 0, -25, 3, -2, 5, -3, 2, -1, 4, 1, -4, 2, 6, -2, 3, 1, -1, 2, 8, -3, 1},
    {7, 1, 0, 0, -1, 0, 1, 0, -26, 3, -2, 5, -3, 2, -1, 4, 1, -4, 2, 7, -2, 3, 1, -1, 2, 9, -3, 1},
    {7, 1, 1, 0, -1, 0, 1, 0, -27, 3, -2, 6, -3, 2, -1, 5, 1, -5, 2, 7, -2, 3, 1, -1, 2, 9, -3, 1},
    {7, 1, 1, 0, -1, 0, 1, 0, -28, 4, -2, 6, -4, 2, -1, 5, 1, -5, 2, 7, -2, 4, 1, -1, 2, 9, -4, 1},
    {7, 1, 1, 0, -1, 1, 1, 0, -29, 4, -2, 6, -4, 2, -1, 5, 1, -5, 2, 7, -2, 4, 1, -1, 2, 10, -4, 1},
    {8, 1, 1, 0, -1, 1, 1, 0, -31, 4, -3, 6, -4, 3, -1, 5, 1, -5, 3, 8, -3, 4, 1, -1, 3, 10, -4, 1},
    {8, 1, 1, 0, -1, 1, 1, 0, -32, 4, -3, 7, -4, 3, -1, 5, 1, -5, 3, 8, -3, 4, 1, -1, 3, 11, -4, 1},
    {8, 1, 2, 0, -1, 1, 1, 0, -33, 4, -3, 7, -4, 3, -1, 6, 1, -6, 3, 8, -3, 4, 1, -1, 3, 11, -4, 1},
    {9, 1, 2, 0, -1, 1, 1, 0, -35, 4, -3, 7, -4, 3, -1, 6, 1, -6, 3, 9, -3, 4, 1, -1, 3, 12, -4, 1},
    {9, 2, 2, 0, -1, 1, 1, 0, -36, 5, -3, 8, -5, 3, -2, 6, 2, -6, 3, 9, -3, 5, 2, -2, 3, 12, -5, 2},
    {9, 2, 2, 0, -1, 1, 1, 0, -37, 5, -3, 8, -5, 3, -2, 6, 2, -6, 3, 9, -3, 5, 2, -2, 3, 12, -5, 2},
    {12, 2, 4, 0, -1, 3, 1, 0, -48, 6, -4, 10, -6, 4, -2, 8, 2, -8, 4, 12, -4, 6, 2, -2, 4, 16, -6, 2},
    {17, 3, 7, 0, -1, 4, 2, 0, -64, 8, -5, 13, -8, 5, -3, 11, 3, -11, 5, 16, -5, 8, 3, -3, 5, 21, -8, 3},
    {25, 4, 12, 0, -1, 8, 2, 0, -96, 12, -8, 20, -12, 8, -4, 16, 4, -16, 8, 24, -8, 12, 4, -4, 8, 32, -12, 4},
    {0, 0, 0, 0, 0, 0, 0, 0, kScoreTableEnd, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

const int16_t* FindScoreMetricRow(LONG height) {
  for (const auto& row : kScoreMetricTable) {
    if (row[kScoreTableKeyWord] == kScoreTableEnd) break;
    if (row[kScoreTableKeyWord] == height) return row;
  }
  return nullptr;
}

ScoreMetrics ComputeScoreMetrics(bool bitmap, LONG height, const ScoreMetrics& previous) {
  if (bitmap) {
    ScoreMetrics metrics = kBitmapScoreMetrics;
    std::memcpy(metrics.glyphOffsets, previous.glyphOffsets, sizeof metrics.glyphOffsets);
    return metrics;
  }
  ScoreMetrics metrics = previous;
  int step = std::labs(height) / 3 - 1;
  if (const int16_t* row = FindScoreMetricRow(height)) {
    step = row[0];
    for (int i = 0; i < kScoreGlyphOffsets; ++i) metrics.glyphOffsets[i] = row[1 + i];
  }
  // A tiny or unset height would make the ruler step 0 (or back).
  if (step < 1) step = 1;
  const int16_t m = static_cast<int16_t>(step);
  metrics.gridStep = m;
  metrics.noteHeadWidth = metrics.staffSpacing = metrics.unitWidth = m;
  metrics.barGap = static_cast<int16_t>(2 * m);
  metrics.guideStart = static_cast<int16_t>(4 * m + 44);
  metrics.tickLength = 4;
  metrics.leftX = static_cast<int16_t>(2 * (m + 4 * (m + m / 4)) + 4);
  return metrics;
}

void CreateDisplayFont() {
  HFONT old = g_scoreFont.font;
  g_scoreFont.font = nullptr;
  const bool bitmap = g_settings.fumenFontBitmap != 0;
  if (!bitmap) g_scoreFont.font = CreateFontIndirectA(&g_settings.fumenFont);
  if (old) DeleteObject(old);
  g_scoreFont.metrics = ComputeScoreMetrics(bitmap, g_settings.fumenFont.lfHeight, g_scoreFont.metrics);
}

namespace {

constexpr int kGrowth = 30;

// What the score font dialog's box holds while the dialog is open.
struct ScoreDialogState {
  bool bitmap = false;
};
constexpr char kStateProp[] = "ZkScoreFontState";

ScoreDialogState* StateOf(HWND dialog) { return static_cast<ScoreDialogState*>(GetPropA(dialog, kStateProp)); }

void OnInit(HWND dialog, const CHOOSEFONTA& cf) {
  auto* state = reinterpret_cast<ScoreDialogState*>(cf.lCustData);
  SetPropA(dialog, kStateProp, state);
  RECT box;
  GetWindowRect(dialog, &box);
  SetWindowPos(dialog, nullptr, 0, 0, box.right - box.left, box.bottom - box.top + kGrowth,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CommonFontDialogHook(dialog, WM_INITDIALOG, 0);
  RECT client;
  GetClientRect(dialog, &client);
  const std::string text = LoadAppString(IDS_SCOREFONT_BITMAP);
  HWND check = CreateWindowA("BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 30,
                             client.bottom - 25, client.right, 20, dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SCOREFONT_BITMAP)), AppInstance(),
                             nullptr);
  SendMessageA(check, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
  CheckDlgButton(dialog, IDC_SCOREFONT_BITMAP, state && state->bitmap ? BST_CHECKED : BST_UNCHECKED);
}

void OnOk(HWND dialog) {
  if (ScoreDialogState* state = StateOf(dialog))
    state->bitmap = IsDlgButtonChecked(dialog, IDC_SCOREFONT_BITMAP) == BST_CHECKED;
}

UINT_PTR CALLBACK ScoreFontHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog, *reinterpret_cast<const CHOOSEFONTA*>(lParam));
      return TRUE;
    case WM_SHOWWINDOW:
      CommonFontDialogHook(dialog, message, wParam);
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) OnOk(dialog);
      break;
    case WM_DESTROY:
      RemovePropA(dialog, kStateProp);
      break;
  }
  return FALSE;
}

// Moves a score window to where it is, so it lays itself out again.
void Relayout(HWND window) {
  if (!window || !IsWindow(window)) return;
  RECT box;
  GetWindowRect(window, &box);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&box), 2);
  MoveWindow(window, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
  InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

void ChooseScoreFont() {
  LOGFONTA font = g_settings.fumenFont;
  ScoreDialogState state;
  state.bitmap = g_settings.fumenFontBitmap != 0;
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = g_app.frame;
  cf.hInstance = AppInstance();
  cf.lpLogFont = &font;
  cf.Flags = CF_SCREENFONTS | CF_LIMITSIZE | CF_FORCEFONTEXIST | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK;
  cf.nSizeMin = 8;
  cf.nSizeMax = 36;
  cf.lpfnHook = ScoreFontHook;
  cf.lCustData = reinterpret_cast<LPARAM>(&state);
  if (ChooseFontA(&cf)) {
    g_settings.fumenFontBitmap = state.bitmap ? 1 : 0;
    g_settings.fumenFont = font;
    CreateDisplayFont();
  }
  RelayoutScoreChildren();
}

void RelayoutScoreChildren() {
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    HWND editor = StepEditorOfTrack(n);
    const StepEditorData* ed = editor ? StepEditorDataOf(editor) : nullptr;
    if (ed && ed->scorePane) Relayout(ed->scorePane);
  }
  Relayout(g_views.scoreView);
}
