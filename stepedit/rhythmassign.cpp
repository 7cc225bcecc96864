#include "rhythmassign.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dlgedit.h"
#include "stepshared.h"
#include "rhythm.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "stepwnd.h"

namespace {

constexpr int kDialogId = 500;
constexpr int kScrollBar = 501;
constexpr int kFirstKeyField = 503;   // 503-510
constexpr int kFirstGateField = 511;  // 511-518
constexpr int kFirstNameField = 519;  // 519-526
constexpr int kKeyMax = 127;
constexpr int kGateMax = 255;         // one byte per gate
constexpr int kGateMin = 1;
constexpr char kPrevProcProp[] = "ZkRhythmFieldPrev";

struct RhythmDialog {
  RhythmRecord records[kRhythmEntries];
  int top = 0;
};

RhythmDialog* StateOf(HWND dialog) { return reinterpret_cast<RhythmDialog*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

bool IsNumberField(int id) { return id >= kFirstKeyField && id < kFirstNameField; }

void SetNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%3d", value);
  SetDlgItemTextA(dialog, id, text);
}

void FillRows(HWND dialog, const RhythmDialog& state) {
  for (int row = 0; row < kRhythmRows; ++row) {
    const RhythmRecord& r = state.records[state.top + row];
    SetNumber(dialog, kFirstKeyField + row, r.key);
    SetNumber(dialog, kFirstGateField + row, r.gate);
    char name[15];
    RhythmNameShown(r, name);
    SetDlgItemTextA(dialog, kFirstNameField + row, name);
  }
}

void StoreRows(HWND dialog, RhythmDialog& state) {
  for (int row = 0; row < kRhythmRows; ++row) {
    char key[16] = {}, gate[16] = {}, name[64] = {};
    GetDlgItemTextA(dialog, kFirstKeyField + row, key, sizeof key);
    GetDlgItemTextA(dialog, kFirstGateField + row, gate, sizeof gate);
    GetDlgItemTextA(dialog, kFirstNameField + row, name, sizeof name);
    state.records[state.top + row] = RhythmRecordFromFields(key, gate, name);
  }
}

void SetScrollTop(HWND dialog, int top) {
  SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, top, 0};
  SetScrollInfo(GetDlgItem(dialog, kScrollBar), SB_CTL, &info, TRUE);
}

bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }

void StepNumber(HWND field, bool up) {
  const int id = GetDlgCtrlID(field);
  const bool key = id < kFirstGateField;
  const int amount = ShiftDown() ? 10 : 1;
  StepDlgItemNumber(field, id, up ? amount : -amount, key ? kKeyMax : kGateMax, key ? 0 : kGateMin);
}

// Enter, Esc and Tab in every field; stepping in the number fields.
bool OnFieldKey(HWND field, WPARAM key) {
  HWND dialog = GetParent(field);
  const bool number = IsNumberField(GetDlgCtrlID(field));
  switch (key) {
    case kKeyStepUp:
    case kKeyStepDown:
      if (number) StepNumber(field, key == kKeyStepUp);
      return true;
    case VK_PRIOR:
    case VK_NEXT:
      // Page Up lowers the value unless the keys are reversed.
      if (number) StepNumber(field, g_settings.reversUpDown ? key == VK_PRIOR : key == VK_NEXT);
      return number;
    case VK_RETURN:
      if (!EditNotifyNext(field)) PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      return true;
    case VK_ESCAPE:
      if (!EditNotifyPrev(field)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return true;
    case VK_TAB:
      PostMessageA(dialog, WM_NEXTDLGCTL, ShiftDown() ? 1 : 0, 0);
      return true;
  }
  return false;
}

LRESULT CALLBACK RhythmFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(field, kPrevProcProp));
  if (!previous) return DefWindowProcA(field, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE:
      return CallWindowProcA(previous, field, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (OnFieldKey(field, wParam)) return 0;
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == VK_ESCAPE || wParam == '\t') return 0;
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      RemovePropA(field, kPrevProcProp);
      break;
  }
  return CallWindowProcA(previous, field, message, wParam, lParam);
}

void SubclassField(HWND dialog, int id) {
  HWND field = GetDlgItem(dialog, id);
  if (!field) return;
  SetPropA(field, kPrevProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(field, GWLP_WNDPROC)));
  SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RhythmFieldProc));
}

BOOL OnInit(HWND dialog, LPARAM param) {
  SetWindowLongPtrA(dialog, DWLP_USER, param);
  RhythmDialog& state = *reinterpret_cast<RhythmDialog*>(param);
  if (g_stepHooks.centreOnFrame) g_stepHooks.centreOnFrame(dialog);
  state.top = 0;
  // Page 8 over 0-127: the thumb reaches top row 120.
  SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, kRhythmEntries - 1, kRhythmRows, 0, 0};
  SetScrollInfo(GetDlgItem(dialog, kScrollBar), SB_CTL, &info, TRUE);
  HGDIOBJ fixed = GetStockObject(SYSTEM_FIXED_FONT);
  for (int row = 0; row < kRhythmRows; ++row) {
    SubclassField(dialog, kFirstKeyField + row);
    SubclassField(dialog, kFirstGateField + row);
    SubclassField(dialog, kFirstNameField + row);
    SendDlgItemMessageA(dialog, kFirstNameField + row, WM_SETFONT, reinterpret_cast<WPARAM>(fixed), FALSE);
    SendDlgItemMessageA(dialog, kFirstNameField + row, EM_LIMITTEXT, sizeof(RhythmRecord::name), 0);
  }
  FillRows(dialog, state);
  return TRUE;
}

void OnScroll(HWND dialog, WPARAM wParam) {
  RhythmDialog& state = *StateOf(dialog);
  const int top = RhythmTopAfterScroll(state.top, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
  if (top == state.top) return;
  StoreRows(dialog, state);
  state.top = top;
  FillRows(dialog, state);
  SetScrollTop(dialog, top);
}

void OnOk(HWND dialog) {
  StoreRows(dialog, *StateOf(dialog));
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK RhythmAssignDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog, lParam);
    case WM_VSCROLL:
      OnScroll(dialog, wParam);
      return TRUE;
    case WM_NOTIFY:
      return ForwardSpinDelta(dialog, lParam);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnOk);
  }
  return FALSE;
}

bool ReadSongRecords(RhythmRecord (&records)[kRhythmEntries]) {
  HGLOBAL h = SongEntry(kHeaderEntry);
  const auto* header = h ? static_cast<const SongHeader*>(GlobalLock(h)) : nullptr;
  if (!header) return false;
  std::memcpy(records, header->rhythm, sizeof records);
  GlobalUnlock(h);
  return true;
}

void WriteSongRecords(const RhythmRecord (&records)[kRhythmEntries]) {
  HGLOBAL h = SongEntry(kHeaderEntry);
  auto* header = h ? static_cast<SongHeader*>(GlobalLock(h)) : nullptr;
  if (!header) return;
  std::memcpy(header->rhythm, records, sizeof records);
  GlobalUnlock(h);
}

// The editors in rhythm display show the names and keys just changed.
void RefreshRhythmEditors() {
  for (int track = 1; track <= g_song.trackCount; ++track) {
    HWND editor = StepEditorOfTrack(track);
    const StepEditorData* ed = editor ? StepEditorDataOf(editor) : nullptr;
    if (ed && ed->viewMode == kModeRhythmGrid) UpdateStepScroll(editor);
  }
}

}  // namespace

int RhythmTopAfterScroll(int top, int request, int thumb) {
  switch (request) {
    case SB_LINEUP: top -= 1; break;
    case SB_LINEDOWN: top += 1; break;
    case SB_PAGEUP: top -= kRhythmRows; break;
    case SB_PAGEDOWN: top += kRhythmRows; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = thumb; break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = kRhythmTopMax; break;
  }
  return std::clamp(top, 0, kRhythmTopMax);
}

RhythmRecord RhythmRecordFromFields(const char* key, const char* gate, const char* name) {
  RhythmRecord r;
  std::memset(r.name, ' ', sizeof r.name);
  const size_t length = std::min(std::strlen(name), sizeof r.name);
  std::memcpy(r.name, name, length);
  const unsigned long k = std::strtoul(key, nullptr, 10);
  const unsigned long g = std::strtoul(gate, nullptr, 10);
  r.key = static_cast<uint8_t>(std::min<unsigned long>(k, kKeyMax));
  r.gate = static_cast<uint8_t>(std::min<unsigned long>(g, kGateMax));
  return r;
}

void RhythmNameShown(const RhythmRecord& record, char (&name)[15]) {
  size_t length = sizeof record.name;
  while (length > 0 && record.name[length - 1] == ' ') --length;
  std::memcpy(name, record.name, length);
  name[length] = '\0';
}

int OpenRhythmAssignDialog(HINSTANCE instance, HWND owner) {
  RhythmDialog state;
  if (!ReadSongRecords(state.records)) return 0;
  const uint32_t previous = g_stepShared.currentDialogId;
  g_stepShared.currentDialogId = kDialogId;
  const INT_PTR result =
      DialogBoxParamA(instance, MAKEINTRESOURCEA(kDialogId), owner, RhythmAssignDlgProc, reinterpret_cast<LPARAM>(&state));
  g_stepShared.currentDialogId = previous;
  if (result != 1) return 0;
  WriteSongRecords(state.records);
  RefreshRhythmEditors();
  SetSongModified();
  return 1;
}
