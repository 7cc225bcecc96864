#include "bars_window.h"

#include "appglobals.h"
#include "songmodel.h"

namespace {

std::vector<int> g_commands;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) {
    g_commands.push_back(LOWORD(wp));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// One shown window serves every test: showing a top-level window waits on
// the display each time.
HWND SharedWindow() {
  static HWND window = nullptr;
  if (window) return window;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ParentProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = CreateSolidBrush(kParentBackground);
  wc.lpszClassName = "ZkBarsParent";
  RegisterClassA(&wc);
  window = CreateWindowA("ZkBarsParent", "bars", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                         100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  return window;
}

BOOL CALLBACK DestroyChild(HWND child, LPARAM parent) {
  if (GetParent(child) == reinterpret_cast<HWND>(parent)) DestroyWindow(child);
  return TRUE;
}

}  // namespace

BarsParent::BarsParent(int width, int height) {
  hwnd_ = SharedWindow();
  RECT r{0, 0, width, height};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
  g_app.frame = hwnd_;
  CreateSongRecord(hwnd_);
  UpdateWindow(hwnd_);
  PumpMessages();
  g_commands.clear();
}

BarsParent::~BarsParent() {
  EnumChildWindows(hwnd_, DestroyChild, reinterpret_cast<LPARAM>(hwnd_));
  DestroySongRecord(hwnd_);
  g_app.frame = nullptr;
  PumpMessages();
  g_commands.clear();
}

std::vector<int> BarsParent::TakeCommands() {
  PumpMessages();
  std::vector<int> out;
  out.swap(g_commands);
  return out;
}

void BarsParent::Repaint() {
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

COLORREF ClientPixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}

HBITMAP SelectNewDib(HDC dc, int w, int h, HGDIOBJ* old) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
  *old = SelectObject(dc, bmp);
  return bmp;
}
