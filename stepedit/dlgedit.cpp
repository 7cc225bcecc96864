#include "dlgedit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "programstate.h"
#include "settings.h"
#include "stepshared.h"
#include "songmodel.h"
#include "zk/song.h"

StepSharedState g_stepShared;

namespace {

constexpr char kPrevProcProp[] = "ZkDlgEditPrev";
constexpr char kMiddleYProp[] = "ZkDlgEditY";


bool In(int id, int low, int high) { return id >= low && id <= high; }

}  // namespace

FieldLimits DlgFieldLimits(int id, const FieldLimitContext& c) {
  const int tb = c.timeBase ? c.timeBase : 480;
  const bool bend = c.rangeValueKind == kRangeKindBend;
  const bool time = c.rangeValueKind == kRangeKindTime;
  if (In(id, 100, 104)) return {1, 9999};
  if (id == 105) return time ? FieldLimits{-(tb * 36 / 48), tb * 36 / 48} : FieldLimits{-36, 36};
  if (id == 112 || id == 118 || id == 120) return {1, std::max(1, c.trackCount)};
  if (id == 114) return {1, 16};
  if (id == 116) return {-99, 99};
  if (id == 122 || id == 124 || In(id, 1010, 1011) || id == 1013 || id == 1015) return {0, 127};
  if (id == 126 || id == 128) return {0, std::max(0, c.strokeTotal)};
  if (id == 130) return {1, std::max(1, c.maxTrack)};
  if (id == 132 || id == 1110) return {1, 99};
  if (id == 134) return {-9999, 9999};
  if (id == 220) return {tb * 4 / 48, tb};
  if (id == 221) return {50, 100};
  if (In(id, 853, 872)) return {0, tb * 255 / 48};
  if (In(id, 1061, 1072)) return {-36, 36};
  if (id == 1107) return {-3, 3};
  if (id == 1111) return {1, 999};
  if (id == 1680 || id == 1681) {
    if (bend) return {-8192, 8191};
    if (time) return {0, tb * 999 / 48};
    // A tempo ramp ends where it may start: both ends take tempo values.
    if (c.rangeValueKind == kRangeKindTempo) return {0, 255};
    return {0, 127};
  }
  if (id == 1682) return {0, 9999};
  if (id == 1684) return {1, tb * 255 / 48};
  if (id == 1685) return {1, 255};
  return {0, 255};
}

FieldLimits DlgFieldLimits(int controlId) {
  FieldLimitContext c;
  c.timeBase = OpenSongTimeBase();
  c.trackCount = g_song.trackCount;
  c.maxTrack = g_settings.maxTrack;
  c.rangeValueKind = g_stepShared.rangeValueKind;
  c.strokeTotal = g_stepShared.strokeTotal;
  return DlgFieldLimits(controlId, c);
}

namespace {

constexpr const char* kPitchNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B "};

}  // namespace

int FieldStepAmount(int controlId, bool shift, int rangeValueKind) {
  if ((controlId == 1680 || controlId == 1681) && rangeValueKind == kRangeKindBend) return shift ? 1024 : 128;
  return shift ? 10 : 1;
}

int SteppedFieldValue(long long value, long long delta, int min, int max) {
  return static_cast<int>(std::clamp<long long>(value + delta, min, std::max(min, max)));
}

int PitchClassOfName(const char* text) {
  if (!text) return -1;
  static constexpr int kLetter[7] = {9, 11, 0, 2, 4, 5, 7};  // A-G
  const char first = text[0];
  int pitch;
  if (first >= 'A' && first <= 'G') pitch = kLetter[first - 'A'];
  else if (first >= 'a' && first <= 'g') pitch = kLetter[first - 'a'];
  else return -1;
  if (text[1] == '#' || text[1] == '+') ++pitch;
  else if (text[1] == '-' || text[1] == 'b') --pitch;
  return (pitch + 12) % 12;
}

const char* PitchClassName(int pitchClass) { return kPitchNames[((pitchClass % 12) + 12) % 12]; }

std::string SteppedPitchName(const std::string& text, int delta) {
  const int pitch = PitchClassOfName(text.c_str());
  if (pitch < 0) return text;
  return PitchClassName(pitch + delta % 12);
}

void StepDlgItemNumber(HWND field, int controlId, int delta, int max, int min) {
  HWND dialog = GetParent(field);
  char text[32] = {};
  GetDlgItemTextA(dialog, controlId, text, sizeof text);
  char out[16];
  std::snprintf(out, sizeof out, "%d", SteppedFieldValue(std::strtol(text, nullptr, 10), delta, min, max));
  SetDlgItemTextA(dialog, controlId, out);
}

void StepDlgItemKeyName(HWND field, int controlId, int delta) {
  HWND dialog = GetParent(field);
  char text[16] = {};
  GetDlgItemTextA(dialog, controlId, text, sizeof text);
  const std::string stepped = SteppedPitchName(text, delta);
  if (stepped != text) SetDlgItemTextA(dialog, controlId, stepped.c_str());
}

namespace {

// Where Enter ends a dialog with OK and Esc with Cancel instead of moving on.
struct FieldEnds {
  int dialog;
  int okIn[3];
  int cancelIn[3];
};

constexpr FieldEnds kFieldEnds[] = {
    {140, {101}, {101}},   {2055, {101}, {101}},  {141, {105}, {101}},  {2056, {105}, {101}},
    {145, {367}, {366}},   {149, {1072}, {1061}}, {150, {105}, {112}},  {151, {104}, {112}},
    {230, {221}, {100}},   {231, {221}, {100}},   {320, {120}, {112}},  {400, {407}, {406}},
    {440, {112}, {100}},   {480, {112}, {100}},   {500, {510, 518, 526}, {503, 511, 519}},
    {610, {102}, {112}},   {615, {112}, {}},      {650, {116}, {116}},  {660, {105}, {105}},
    {840, {862, 872}, {853, 863}},                {1660, {1668}, {1661}}, {1700, {}, {100}},
};
constexpr int kChordDialog = 152;  // Enter and Esc always end it

// Unused entries are 0, which is no field.
bool EndsHere(const int (&ids)[3], int id) {
  return id != 0 && std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

}  // namespace

FieldKeyAction EnterEscAction(int dialogId, int controlId, bool enter, bool escRet) {
  const FieldKeyAction end = enter ? FieldKeyAction::Ok : FieldKeyAction::Cancel;
  if (escRet || dialogId == kChordDialog) return end;
  for (const FieldEnds& f : kFieldEnds) {
    if (f.dialog == dialogId && EndsHere(enter ? f.okIn : f.cancelIn, controlId)) return end;
  }
  return FieldKeyAction::MoveFocus;
}

namespace {

int MoveFocus(HWND field, bool forward) {
  const int dialogId = static_cast<int>(g_stepShared.currentDialogId);
  if (EnterEscAction(dialogId, GetDlgCtrlID(field), forward, g_settings.escRet != 0) != FieldKeyAction::MoveFocus)
    return 0;
  SendMessageA(GetParent(field), WM_NEXTDLGCTL, forward ? 0 : 1, 0);
  return 1;
}

bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }

// The two kinds of subclassed field.
enum class FieldKind { Number, KeyRange };
constexpr FieldLimits kKeyRangeLimits = {0, 127};

void StepField(HWND field, FieldKind kind, bool up) {
  const int id = GetDlgCtrlID(field);
  if (kind == FieldKind::KeyRange) {
    const int amount = FieldStepAmount(id, ShiftDown(), 0);
    StepDlgItemNumber(field, id, up ? amount : -amount, kKeyRangeLimits.max, kKeyRangeLimits.min);
    return;
  }
  if (id == 1108) {
    StepDlgItemKeyName(field, id, up ? 1 : -1);
    return;
  }
  const int amount = FieldStepAmount(id, ShiftDown(), g_stepShared.rangeValueKind);
  const FieldLimits limits = DlgFieldLimits(id);
  StepDlgItemNumber(field, id, up ? amount : -amount, limits.max, limits.min);
}

bool OnKey(HWND field, FieldKind kind, WPARAM key) {
  HWND dialog = GetParent(field);
  switch (key) {
    case kKeyStepUp:
    case kKeyStepDown:
      StepField(field, kind, key == kKeyStepUp);
      return true;
    case VK_PRIOR:
    case VK_NEXT: {
      const bool prior = key == VK_PRIOR;
      // Page Up lowers the value unless the keys are reversed.
      StepField(field, kind, g_settings.reversUpDown ? prior : !prior);
      return true;
    }
    case VK_RETURN:
      if (!EditNotifyNext(field)) PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      return true;
    case VK_ESCAPE:
      if (!EditNotifyPrev(field)) {
        // Marks the range dialogs' measures as not given.
        if (kind == FieldKind::Number) {
          SetDlgItemTextA(dialog, 100, "-1");
          SetDlgItemTextA(dialog, 102, "-1");
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
      return true;
    case VK_TAB:
      PostMessageA(dialog, WM_NEXTDLGCTL, ShiftDown() ? 1 : 0, 0);
      return true;
  }
  return false;
}

void OnMiddleMove(HWND field, LPARAM lParam) {
  const int y = static_cast<short>(HIWORD(lParam));
  const int last = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(field, kMiddleYProp)));
  PostMessageA(field, WM_KEYDOWN, y < last ? kKeyStepUp : kKeyStepDown, 0);
  SetPropA(field, kMiddleYProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(y)));
}

// The wheel with the middle button held clicks what lies under the pointer,
// then steps the field.
void OnMiddleWheel(HWND field, int wheelDelta, LPARAM lParam) {
  HWND dialog = GetParent(field);
  POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ScreenToClient(dialog, &pt);
  PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
  PostMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
  PostMessageA(field, WM_KEYDOWN, wheelDelta > 0 ? kKeyStepUp : kKeyStepDown, 0);
}

// Middle-button stepping of the number fields; true when consumed.
bool OnMouse(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MBUTTONDOWN:
      SetCapture(field);
      SetPropA(field, kMiddleYProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(static_cast<short>(HIWORD(lParam)))));
      return true;
    case WM_MOUSEMOVE:
      if ((wParam & MK_MBUTTON) && GetCapture() == field) {
        OnMiddleMove(field, lParam);
        return true;
      }
      return false;
    case WM_MBUTTONUP:
      if (GetCapture() == field) ReleaseCapture();
      return true;
    case WM_MOUSEWHEEL:
      if (LOWORD(wParam) & MK_MBUTTON) {
        OnMiddleWheel(field, static_cast<short>(HIWORD(wParam)), lParam);
        return true;
      }
      return false;
  }
  // The older systems' registered wheel message carries only the turn.
  if (g_prog.wheelMessage && message == g_prog.wheelMessage && GetKeyState(VK_MBUTTON) < 0) {
    OnMiddleWheel(field, static_cast<int>(static_cast<INT_PTR>(wParam)), lParam);
    return true;
  }
  return false;
}

LRESULT FieldProc(FieldKind kind, HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(field, kPrevProcProp));
  if (!previous) return DefWindowProcA(field, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE:
      return CallWindowProcA(previous, field, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (OnKey(field, kind, wParam)) return 0;
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == VK_ESCAPE || wParam == '\t') return 0;
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      RemovePropA(field, kPrevProcProp);
      RemovePropA(field, kMiddleYProp);
      break;
    default:
      if (kind == FieldKind::Number && OnMouse(field, message, wParam, lParam)) return 0;
      break;
  }
  return CallWindowProcA(previous, field, message, wParam, lParam);
}

void Subclass(HWND dialog, int controlId, WNDPROC proc) {
  HWND field = GetDlgItem(dialog, controlId);
  if (!field || GetPropA(field, kPrevProcProp)) return;
  auto previous = reinterpret_cast<HANDLE>(GetWindowLongPtrA(field, GWLP_WNDPROC));
  SetPropA(field, kPrevProcProp, previous);
  SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

}  // namespace

int EditNotifyNext(HWND field) { return MoveFocus(field, true); }
int EditNotifyPrev(HWND field) { return MoveFocus(field, false); }

extern "C" LRESULT CALLBACK DeleteDlgEditWndProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  return FieldProc(FieldKind::Number, field, message, wParam, lParam);
}

extern "C" LRESULT CALLBACK SetEraseSWDlgEditWndProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  return FieldProc(FieldKind::KeyRange, field, message, wParam, lParam);
}

void SubclassDlgEdit(HWND dialog, int controlId) { Subclass(dialog, controlId, DeleteDlgEditWndProc); }
void SubclassKeyRangeEdit(HWND dialog, int controlId) { Subclass(dialog, controlId, SetEraseSWDlgEditWndProc); }

BOOL ForwardSpinDelta(HWND dialog, LPARAM notify) {
  const auto* nm = reinterpret_cast<const NMUPDOWN*>(notify);
  if (!nm || nm->hdr.code != UDN_DELTAPOS) return FALSE;
  HWND buddy = reinterpret_cast<HWND>(SendMessageA(nm->hdr.hwndFrom, UDM_GETBUDDY, 0, 0));
  if (!buddy) return FALSE;
  SendMessageA(buddy, WM_KEYDOWN, nm->iDelta < 0 ? kKeyStepUp : kKeyStepDown, 0);
  // The spin's own position stays.
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
  return TRUE;
}

BOOL StepDialogOkCancel(HWND dialog, WPARAM wParam, void (*onOk)(HWND dialog)) {
  switch (LOWORD(wParam)) {
    case IDOK:
      onOk(dialog);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}
