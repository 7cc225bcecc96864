// The monitor window (an MDI child or a popup) and its strip class.
#include <windows.h>

#include <cstdio>

#include "playmon.h"
#include "playmonres.h"

namespace {

bool IsMdiChild(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0; }

LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsMdiChild(window) ? DefMDIChildProcA(window, message, wParam, lParam)
                            : DefWindowProcA(window, message, wParam, lParam);
}

void OnCreate(HWND window) {
  g_monitor.window = window;
  if (g_monitor.setWindow) g_monitor.setWindow(window);
}

void OnDestroy(HWND window) {
  if (g_monitor.window != window) return;
  g_monitor.window = nullptr;
  if (g_monitor.setWindow) g_monitor.setWindow(nullptr);
}

void OnKeyDown(WPARAM key) {
  if (g_monitor.sharedKey) g_monitor.sharedKey(static_cast<int>(key));
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  char format[64] = {};
  LoadStringA(g_monitor.instance, IDS_PLAYMON_STRIPS, format, sizeof format);
  char text[96];
  std::snprintf(text, sizeof text, format, g_monitor.stripCount);
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 4, 4, text, lstrlenA(text));
  EndPaint(window, &ps);
}

LRESULT CALLBACK MonitorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
  }
  return DefaultProc(window, message, wParam, lParam);
}

LRESULT CALLBACK StripWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterOne(HINSTANCE instance, const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool RegisterMonitorClasses(HINSTANCE instance) {
  return RegisterOne(instance, kMonitorClass, MonitorWndProc) &&
         RegisterOne(instance, kStripClass, StripWndProc);
}

void UnregisterMonitorClasses(HINSTANCE instance) {
  UnregisterClassA(kMonitorClass, instance);
  UnregisterClassA(kStripClass, instance);
}

HWND CreateMonitorWindow(HWND mdiClient, const char* title, bool mdiChild) {
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, cx = CW_USEDEFAULT, cy = CW_USEDEFAULT;
  const int* p = g_monitor.placement;
  if (g_monitor.placementCount == kPlacementValues && p[9] > p[7] && p[10] > p[8]) {
    x = p[7];
    y = p[8];
    cx = p[9] - p[7];
    cy = p[10] - p[8];
  }
  HWND window = nullptr;
  if (mdiChild) {
    if (!mdiClient) return nullptr;
    MDICREATESTRUCTA mcs{};
    mcs.szClass = kMonitorClass;
    mcs.szTitle = title ? title : "";
    mcs.hOwner = g_monitor.instance;
    mcs.x = x;
    mcs.y = y;
    mcs.cx = cx;
    mcs.cy = cy;
    window = reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  } else {
    HWND owner = mdiClient ? GetParent(mdiClient) : nullptr;
    window = CreateWindowExA(0, kMonitorClass, title ? title : "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                             x, y, cx, cy, owner, nullptr, g_monitor.instance, nullptr);
  }
  if (window) ShowWindow(window, SW_SHOW);
  return window;
}
