#include "toolpalette.h"

#include "appglobals.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "statusline.h"
#include "zk/song.h"

namespace {

struct ToolButton {
  HWND button;
  HBITMAP normal;      // this entry's normal strip (shared by its group)
  HBITMAP inactive;    // and its inactive strip
  WNDPROC oldProc;     // the button's own procedure
  int state;           // 0 active, nonzero inactive
  const char* normalName;
  const char* inactiveName;
  int command;
  int image;           // index of the 22 x 22 image in the strips
};

ToolButton g_tools[kToolButtonCount] = {
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL2", "TOOL6", 1002, 0},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL2", "TOOL6", 1004, 1},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL2", "TOOL6", 2701, 2},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL2", "TOOL6", 2703, 3},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL2", "TOOL6", 2702, 4},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL2", "TOOL6", 2700, 5},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL1", "TOOL5", 4011, 0},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL1", "TOOL5", 4008, 1},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL1", "TOOL5", 4006, 2},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL1", "TOOL5", 4005, 3},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL1", "TOOL5", 2216, 4},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL2", "TOOL6", 2321, 6},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL2", "TOOL6", 2322, 7},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL1", "TOOL5", 6102, 5},
    {nullptr, nullptr, nullptr, nullptr, 0, "TOOL1", "TOOL5", 6100, 6},
};

constexpr int kTuneEntry = 13;
constexpr int kPanicEntry = 14;
constexpr unsigned kHoverCaptured = 0x1;  // pointer captured for the help text
constexpr unsigned kButtonHeld = 0x2;
constexpr int kHelpOnPressOnly = 0x80;    // [Default Display] ToolBar bit

const char* const kStripNames[] = {"TOOL1", "TOOL2", "TOOL5", "TOOL6"};

HWND g_palette = nullptr;
HBRUSH g_faceBrush = nullptr;
HBITMAP g_strips[4] = {};
unsigned g_capture = 0;
// Set while a button-up is passed to the button, whose own click notice
// would repeat the command just posted.
bool g_passingButtonUp = false;

bool PortsHeldElsewhere() { return g_app.portsUnavailable != 0; }

int EntryByWindow(HWND button) {
  for (int i = 0; i < kToolButtonCount; ++i) {
    if (g_tools[i].button == button) return i;
  }
  return -1;
}

int EntryByCommand(int command) {
  for (int i = 0; i < kToolButtonCount; ++i) {
    if (g_tools[i].command == command) return i;
  }
  return -1;
}

HWND PaletteOwner() { return g_palette ? GetParent(g_palette) : nullptr; }

HBITMAP StripByName(const char* name) {
  for (int i = 0; i < 4; ++i) {
    if (lstrcmpA(kStripNames[i], name) == 0) return g_strips[i];
  }
  return nullptr;
}

void RepaintButton(int entry) {
  if (g_tools[entry].button) InvalidateRect(g_tools[entry].button, nullptr, FALSE);
}

// True when the active MDI child is a step editor of the open song.
bool ActiveChildIsTrackEditor() {
  if (!g_app.mdiClient) return false;
  HWND child = reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0));
  if (!child) return false;
  bool found = false;
  HWND frame = PaletteOwner();
  SongDocument* doc = LockSongDocument(frame);
  if (!doc) return false;
  if (doc->trackWindows) {
    if (auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows))) {
      for (int i = 0; i < g_song.trackCount && i < kMaxTracks && !found; ++i)
        found = tw->editor[i] == child;
      GlobalUnlock(doc->trackWindows);
    }
  }
  UnlockSongDocument(frame);
  return found;
}

// Puts back what the status line showed before the help text.
void RestoreStatusLine() {
  ShowStatus(PaletteOwner(), ActiveChildIsTrackEditor() ? kStatusMode : 0, 1);
}

void ShowHelp(int entry) { ShowStatus(PaletteOwner(), g_tools[entry].command, 1); }

bool Inside(LPARAM lParam) {
  const int x = static_cast<short>(LOWORD(lParam));
  const int y = static_cast<short>(HIWORD(lParam));
  return x >= 0 && y >= 0 && x < kToolButtonSize && y < kToolButtonSize;
}

void GiveFocusToActiveChild() {
  if (!g_app.mdiClient) return;
  HWND child = reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0));
  if (child) SetFocus(child);
}

// --- button subclass -------------------------------------------------------

LRESULT PassOn(int entry, HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(g_tools[entry].oldProc, button, message, wParam, lParam);
}

LRESULT OnButtonMouseMove(int entry, HWND button, WPARAM wParam, LPARAM lParam) {
  if (!(g_settings.toolBar & kHelpOnPressOnly)) {
    if (!Inside(lParam)) {
      if (g_capture & kHoverCaptured) {
        g_capture &= ~kHoverCaptured;
        if (!(g_capture & kButtonHeld)) ReleaseCapture();
        RestoreStatusLine();
      }
    } else if (g_tools[entry].state == 0 && !(g_capture & kHoverCaptured)) {
      ShowHelp(entry);
      if (!(g_capture & kButtonHeld)) SetCapture(button);
      g_capture |= kHoverCaptured;
    }
  }
  return PassOn(entry, button, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnButtonDown(int entry, HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_tools[entry].state != 0) return 0;
  if (!Inside(lParam)) {
    // Only a hover capture brings a press from outside: it was meant for
    // another window, so the hover ends and the button stays up.
    g_capture = 0;
    if (GetCapture() == button) ReleaseCapture();
    RestoreStatusLine();
    return 0;
  }
  g_capture |= kButtonHeld;
  SetCapture(button);
  ShowHelp(entry);
  return PassOn(entry, button, message, wParam, lParam);
}

LRESULT OnButtonUp(int entry, HWND button, WPARAM wParam, LPARAM lParam) {
  const bool active = g_tools[entry].state == 0;
  if ((g_capture & kButtonHeld) && active && Inside(lParam)) {
    PostMessageA(PaletteOwner(), WM_COMMAND, MAKEWPARAM(g_tools[entry].command, 0), 0);
  }
  g_capture = 0;
  if (GetCapture() == button) ReleaseCapture();
  RestoreStatusLine();
  LRESULT result = 0;
  if (active) {
    g_passingButtonUp = true;
    result = PassOn(entry, button, WM_LBUTTONUP, wParam, lParam);
    g_passingButtonUp = false;
  }
  GiveFocusToActiveChild();
  return result;
}

// Another window took the pointer (a menu, a message box): this button no
// longer hovers nor is held.
LRESULT OnCaptureChanged(int entry, HWND button, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) != button) g_capture = 0;
  return PassOn(entry, button, WM_CAPTURECHANGED, wParam, lParam);
}

LRESULT CALLBACK ToolButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  const int entry = EntryByWindow(button);
  if (entry < 0) return DefWindowProcA(button, message, wParam, lParam);
  switch (message) {
    case WM_MOUSEMOVE: return OnButtonMouseMove(entry, button, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnButtonDown(entry, button, WM_LBUTTONDOWN, wParam, lParam);
    case WM_LBUTTONUP: return OnButtonUp(entry, button, wParam, lParam);
    case WM_CAPTURECHANGED: return OnCaptureChanged(entry, button, wParam, lParam);
    default: return PassOn(entry, button, message, wParam, lParam);
  }
}

// --- dialog ------------------------------------------------------------------

BOOL OnInitDialog(HWND dialog) {
  g_palette = dialog;
  for (int i = 0; i < 4; ++i) g_strips[i] = LoadBitmapA(AppInstance(), kStripNames[i]);
  for (int i = 0; i < kToolButtonCount; ++i) {
    ToolButton& t = g_tools[i];
    t.normal = StripByName(t.normalName);
    t.inactive = StripByName(t.inactiveName);
    t.button = GetDlgItem(dialog, t.command);
    if (!t.button) continue;
    SetWindowPos(t.button, nullptr, ToolButtonX(i), 1, kToolButtonSize, kToolButtonSize,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    t.oldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        t.button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolButtonProc)));
  }
  g_faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  return TRUE;
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
  DeleteObject(pen);
}

BOOL OnDrawItem(const DRAWITEMSTRUCT* di) {
  const int entry = EntryByCommand(static_cast<int>(di->CtlID));
  if (entry < 0 || di->CtlType != ODT_BUTTON) return FALSE;
  const ToolButton& t = g_tools[entry];
  const bool pressed = (di->itemState & ODS_SELECTED) && (di->itemAction & ODA_SELECT);
  HBITMAP strip = (pressed || t.state == 0) ? t.normal : t.inactive;
  HDC dc = di->hDC;
  const int x = di->rcItem.left, y = di->rcItem.top;
  const int shift = pressed ? 1 : 0;
  if (strip) {
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, strip);
    BitBlt(dc, x + shift, y + shift, kToolButtonSize - shift, kToolButtonSize - shift, mem,
           kToolButtonSize * t.image, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  RECT outline{x, y, x + kToolButtonSize, y + kToolButtonSize};
  FrameRect(dc, &outline, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const int last = kToolButtonSize - 2;  // 20: inside the outline
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF top = pressed ? shadow : RGB(255, 255, 255);
  Line(dc, x + 1, y + 1, x + last + 1, y + 1, top);
  Line(dc, x + 1, y + 1, x + 1, y + last + 1, top);
  if (!pressed) {
    Line(dc, x + 1, y + last, x + last + 1, y + last, shadow);
    Line(dc, x + last, y + 1, x + last, y + last + 1, shadow);
  }
  return TRUE;
}

void OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
  if (g_passingButtonUp) return;  // the button-up has posted it already
  const int entry = EntryByCommand(LOWORD(wParam));
  if (entry < 0 || g_tools[entry].state != 0) return;
  PostMessageA(GetParent(dialog), WM_COMMAND, wParam, lParam);
}

void OnDestroy() {
  for (HBITMAP& strip : g_strips) {
    if (strip) DeleteObject(strip);
    strip = nullptr;
  }
  for (ToolButton& t : g_tools) {
    t.button = nullptr;
    t.normal = t.inactive = nullptr;
    t.oldProc = nullptr;
  }
  if (g_faceBrush) DeleteObject(g_faceBrush);
  g_faceBrush = nullptr;
  g_capture = 0;
  g_palette = nullptr;
}

}  // namespace

INT_PTR CALLBACK ToolPaletteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_DRAWITEM: return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND: OnCommand(dialog, wParam, lParam); return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN: return reinterpret_cast<INT_PTR>(g_faceBrush);
    case WM_DESTROY: OnDestroy(); return TRUE;
    default: return FALSE;
  }
}

HWND CreateToolPalette(HINSTANCE instance, HWND frame) {
  if (g_palette) DestroyWindow(g_palette);
  return CreateDialogParamA(instance, IDD_TOOLPALETTE, frame, ToolPaletteDlgProc, 0);
}

HWND ToolPaletteWindow() { return g_palette; }

void ShowToolPalette(bool show) {
  if (g_palette) ShowWindow(g_palette, show ? SW_SHOWNA : SW_HIDE);
}

void SetToolButtonState(int entry, int state) {
  if (entry < 0 || entry >= kToolButtonCount) return;
  if ((entry == kTuneEntry || entry == kPanicEntry) && PortsHeldElsewhere()) state = 1;
  g_tools[entry].state = state;
  RepaintButton(entry);
}

void ResetToolButtonStates() {
  for (int i = 0; i < kToolButtonCount; ++i) SetToolButtonState(i, 0);
}

int ToolButtonState(int entry) {
  return entry >= 0 && entry < kToolButtonCount ? g_tools[entry].state : -1;
}

int ToolButtonCommand(int entry) {
  return entry >= 0 && entry < kToolButtonCount ? g_tools[entry].command : 0;
}

HWND ToolButtonWindow(int entry) {
  return entry >= 0 && entry < kToolButtonCount ? g_tools[entry].button : nullptr;
}

int ToolButtonX(int entry) {
  if (entry < 0 || entry >= kToolButtonCount) return -1;
  int x = 1;
  for (int i = 0; i < entry; ++i) {
    x += kToolButtonSize;
    if (i == 1 || i == 5 || i == 10 || i == 12) x += 8;
  }
  return x;
}
