// The rotary knob control ("Dial").
#include "programstate.h"
#include "viewwindow.h"
#include "viewwindows.h"

namespace {

LRESULT CALLBACK DialWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
    EndPaint(window, &ps);
    return 0;
  }
  return SimpleViewProc(window, message, wParam, lParam, nullptr, false);
}

}  // namespace

int RegisterDialClass() {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DialWndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "Dial";
  return RegisterClassA(&wc) != 0;
}
