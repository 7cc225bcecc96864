#include "viewwindow.h"

#include "programstate.h"

namespace {

HGLOBAL DataHandle(HWND window) {
  return reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(window, 0));
}

LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool mdiChild) {
  return mdiChild ? DefMDIChildProcA(window, message, wParam, lParam)
                  : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool AttachViewData(HWND window) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ViewWindowData));
  if (!h) return false;
  auto* data = static_cast<ViewWindowData*>(GlobalLock(h));
  // The shell has put this window's font into the default-font record.
  if (g_prog.defaultFont && g_prog.defaultFont->lfHeight != 0)
    data->font = CreateFontIndirectA(g_prog.defaultFont);
  GlobalUnlock(h);
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(h));
  return true;
}

void FreeViewData(HWND window) {
  HGLOBAL h = DataHandle(window);
  if (!h) return;
  if (auto* data = static_cast<ViewWindowData*>(GlobalLock(h))) {
    if (data->font) DeleteObject(data->font);
    GlobalUnlock(h);
  }
  GlobalFree(h);
  SetWindowLongPtrA(window, 0, 0);
}

HFONT ViewWindowFont(HWND window) {
  HGLOBAL h = DataHandle(window);
  if (!h) return nullptr;
  HFONT font = nullptr;
  if (auto* data = static_cast<ViewWindowData*>(GlobalLock(h))) {
    font = data->font;
    GlobalUnlock(h);
  }
  return font;
}

bool SwapViewWindowFont(HWND window, HFONT font, HFONT* old) {
  HGLOBAL h = DataHandle(window);
  auto* data = h ? static_cast<ViewWindowData*>(GlobalLock(h)) : nullptr;
  if (!data) return false;
  *old = data->font;
  data->font = font;
  GlobalUnlock(h);
  return true;
}

void PaintViewLabel(HWND window, const char* label) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  char text[128];
  if (!label) {
    GetWindowTextA(window, text, sizeof text);
    label = text;
  }
  HFONT font = ViewWindowFont(window);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 4, 4, label, lstrlenA(label));
  SelectObject(dc, old);
  EndPaint(window, &ps);
}

void NoteChildActivation(HWND window, LPARAM activated) {
  if (reinterpret_cast<HWND>(activated) == window) {
    g_prog.activeChild = window;
  } else if (g_prog.activeChild == window) {
    g_prog.activeChild = nullptr;
  }
}

LRESULT SimpleViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, HWND* slot,
                       bool mdiChild) {
  switch (message) {
    case WM_CREATE:
      if (!AttachViewData(window)) return -1;
      if (slot) *slot = window;
      return 0;
    case WM_PAINT:
      PaintViewLabel(window, nullptr);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(ViewWindowFont(window));
    case WM_MDIACTIVATE:
      NoteChildActivation(window, lParam);
      break;
    case WM_DESTROY:
      if (slot && *slot == window) *slot = nullptr;
      if (g_prog.activeChild == window) g_prog.activeChild = nullptr;
      break;
    case WM_NCDESTROY:
      FreeViewData(window);
      break;
  }
  return DefaultProc(window, message, wParam, lParam, mdiChild);
}

#include "viewwindows.h"
ViewWindows g_viewWindows;
