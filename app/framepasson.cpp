// The commands the frame passes on: to the current step editor as a message,
// a command, a key or a scroll code, and the edit commands to the active
// child.
#include "appglobals.h"
#include "frameinternal.h"
#include "playstate.h"
#include "programstate.h"
#include "settings.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "zk/messages.h"

namespace {

constexpr WPARAM kKeyStepUp = 0x911;
constexpr WPARAM kKeyStepDown = 0x912;
constexpr LPARAM kWholeTen = 10;
constexpr UINT kMsgCut = 2052;
constexpr UINT kMsgCopy = 2220;
constexpr UINT kMsgDelete = 2221;
constexpr UINT kMsgSearch = 3001;
constexpr UINT kMsgSearchNext = 3002;
constexpr UINT kMsgSearchPrev = 3003;
constexpr UINT kMsgSelectRange = 2199;
constexpr UINT kMsgPasteMix = 40024;

HWND Step() { return g_prog.currentStep; }


bool Shift() { return GetKeyState(VK_SHIFT) < 0; }


bool RhythmDisplay(HWND window) {
  const StepEditorData* ed = StepEditorDataOf(window);
  return ed && ed->viewMode == kModeRhythmGrid;
}

void ToStep(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HWND step = Step()) SendMessageA(step, message, wParam, lParam);
}
void ToActive(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  if (HWND active = ActiveMdiChild()) SendMessageA(active, message, wParam, lParam);
}

// The forms.
void MessageToStep(HWND, WPARAM w) { ToStep(LOWORD(w), 0, 0); }
void CommandToStep(HWND, WPARAM w) { ToStep(WM_COMMAND, LOWORD(w), 0); }
void IdKeyToStep(HWND, WPARAM w) { ToStep(WM_KEYDOWN, LOWORD(w), 0); }
void IdScrollToStep(HWND, WPARAM w) { ToStep(WM_VSCROLL, LOWORD(w), 0); }

void PageKey(HWND, WPARAM w) {
  const bool up = LOWORD(w) == VK_PRIOR;
  const bool reversed = g_settings.reversUpDown != 0;
  ToStep(WM_KEYDOWN, up != reversed ? kKeyStepDown : kKeyStepUp, 1);
}

void TenKey(HWND, WPARAM w) {
  const bool first = LOWORD(w) == 2319;
  const bool reversed = g_settings.reversUpDown != 0;
  ToStep(WM_KEYDOWN, first != reversed ? kKeyStepDown : kKeyStepUp, kWholeTen);
}

void StepKey(HWND, WPARAM w) {
  ToStep(WM_KEYDOWN, LOWORD(w) == 2321 ? kKeyStepUp : kKeyStepDown, Shift() ? kWholeTen : 1);
}

// Shift+Up and Shift+Down scroll the track's editor by SHIFTUPDOWN.
void ShiftUpDown(HWND, WPARAM w) {
  const StepEditorData* ed = StepEditorDataOf(Step());
  if (!ed || GetStepWindowTrack(Step()) == 0) return;
  const bool up = LOWORD(w) == 2323;
  if (!up && ed->viewFlags[0] == 0) return;
  WPARAM code;
  switch (g_settings.shiftUpDown) {
    case 1: code = up ? SB_PAGEUP : SB_PAGEDOWN; break;
    case 2: code = ed->viewFlags[1] ? (up ? 2048 : 2049) : (up ? 2228 : 2227); break;
    default: code = up ? 2225 : 2224; break;
  }
  ToStep(WM_VSCROLL, code, 0);
}

void CopyOrSearch(HWND, WPARAM) {
  const bool rhythm = RhythmDisplay(ActiveMdiChild());
  if (g_settings.ctrlCv) ToActive(kMsgCopy);
  else if (!rhythm) ToActive(kMsgSearch);
}

void PasteOrSearchOn(HWND, WPARAM) {
  const bool rhythm = RhythmDisplay(ActiveMdiChild());
  if (g_settings.ctrlCv) ToActive(WM_PASTE);
  else if (!rhythm) ToActive(Shift() ? kMsgSearchPrev : kMsgSearchNext);
}

void CopyToClipboard(HWND, WPARAM) {
  const StepEditorData* ed = StepEditorDataOf(ActiveMdiChild());
  if (ed && ed->viewFlags[0] == 1) ToActive(kMsgCopy);
}

const CommandRow kPassedOn[] = {
    {VK_PRIOR, VK_NEXT, PageKey},
    {VK_END, VK_DOWN, IdKeyToStep},
    {2048, 2049, IdScrollToStep},
    {2104, 2104, MessageToStep},
    {2106, 2148, MessageToStep},
    {2151, 2157, MessageToStep},
    {2163, 2165, MessageToStep},
    {2192, 2194, MessageToStep},
    {2197, 2197, MessageToStep},
    {2199, 2201, MessageToStep},
    {2208, 2215, MessageToStep},
    {2400, 2405, MessageToStep},
    {2710, 2710, MessageToStep},
    {3001, 3003, MessageToStep},
    {40023, 40023, MessageToStep},
    {2217, 2219, [](HWND, WPARAM w) { ToStep(WM_VSCROLL, 2224 + (LOWORD(w) - 2217), 0); }},
    {2229, 2229, [](HWND, WPARAM) { ToStep(WM_KEYDOWN, VK_F1, -1); }},
    {2230, 2237, [](HWND, WPARAM w) { ToStep(WM_KEYDOWN, VK_F2 + (LOWORD(w) - 2230), 0); }},
    {2238, 2238, [](HWND, WPARAM) { ToStep(WM_SYSKEYDOWN, VK_F10, -1); }},
    {2239, 2240, IdKeyToStep},
    {2273, 2279, CommandToStep},
    {2711, 2743, CommandToStep},
    {2757, 2758, CommandToStep},
    {4111, 4111, CommandToStep},
    {4300, 4300, CommandToStep},
    {7000, 7028, CommandToStep},
    {7030, 7060, CommandToStep},
    {40001, 40002, CommandToStep},
    {40004, 40007, CommandToStep},
    {40011, 40011, CommandToStep},
    {40018, 40018, CommandToStep},
    {2319, 2320, TenKey},
    {2321, 2322, StepKey},
    {2323, 2324, ShiftUpDown},
    {2326, 2327, IdKeyToStep},
    // The plug-ins' own; never the name list's.
    {2620, 2622, [](HWND, WPARAM w) { CommandToPlugins(w); }},
    {2700, 2700, [](HWND, WPARAM) { ToActive(EM_UNDO); }},
    {2701, 2701, [](HWND, WPARAM) { ToActive(kMsgCut); }},
    {2702, 2702, CopyToClipboard},
    {2703, 2703, [](HWND, WPARAM) { ToActive(WM_PASTE); }},
    {2704, 2704, [](HWND, WPARAM) { ToActive(kMsgDelete); }},
    {2705, 2705, [](HWND, WPARAM) { ToActive(EM_SETSEL, 0, 0); }},
    {2709, 2709, [](HWND, WPARAM) { ToActive(2709); }},
    {2744, 2744, [](HWND, WPARAM) { ToStep(kMsgSelectRange, 1, 0); }},
    {2751, 2751, CopyOrSearch},
    {2752, 2752, PasteOrSearchOn},
    {kMsgPasteMix, kMsgPasteMix, [](HWND, WPARAM) { ToActive(kMsgPasteMix); }},
};

const CommandRow kEditorKeys[] = {
    {2149, 2150, MessageToStep},
    {2301, 2310,
     [](HWND, WPARAM w) {
       const int n = static_cast<int>(LOWORD(w) - 2300);  // 1 ... 10
       if (IsPlaying()) ToStep(WM_KEYDOWN, n == 10 ? '0' : '0' + n, 0);
       else ToStep(WM_ZK_REFRESH, n, 0);
     }},
};

template <size_t N>
const CommandRow* Find(const CommandRow (&rows)[N], UINT id) {
  for (const CommandRow& row : rows)
    if (id >= row.first && id <= row.last) return &row;
  return nullptr;
}

}  // namespace

const CommandRow* FindPassedOnRow(UINT id) { return Find(kPassedOn, id); }
const CommandRow* FindEditorKeyRow(UINT id) { return Find(kEditorKeys, id); }
