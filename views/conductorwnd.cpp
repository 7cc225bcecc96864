// The conductor window (class "Main"): the song header's fields, one edit
// window each (title, tempo, beat, key, bias, ...).
#include <cstring>
#include <string>

#include "shellutil.h"
#include "songmodel.h"
#include "viewglobals.h"
#include "viewwindow.h"
#include "viewwindows.h"

namespace {

HWND g_fields[kConductorFields] = {};
WNDPROC g_fieldEditProc = nullptr;

std::string SongTitleText() {
  std::string text;
  if (HGLOBAL h = SongEntry(kHeaderEntry)) {
    auto* header = static_cast<const SongHeader*>(GlobalLock(h));
    text.assign(header->title, sizeof header->title);
    GlobalUnlock(h);
    text.erase(text.find_last_not_of(' ') + 1);
  }
  return text;
}

LRESULT OnCreate(HWND window) {
  if (!AttachViewData(window)) return -1;
  g_views.conductor = window;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  for (int i = 0; i < kConductorFields; ++i) {
    g_fields[i] = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                                0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)),
                                instance, nullptr);
  }
  SetWindowTextA(g_fields[0], SongTitleText().c_str());
  return 0;
}

void OnDestroy(HWND window) {
  for (HWND& field : g_fields) field = nullptr;
  if (g_views.conductor == window) g_views.conductor = nullptr;
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_SIZE:
      LayoutConductorFields();
      break;
    case WM_DESTROY:
      OnDestroy(window);
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(window, &ps);
      EndPaint(window, &ps);
      return 0;
    }
  }
  return SimpleViewProc(window, message, wParam, lParam, nullptr, true);
}

HWND ConductorField(int n) {
  if (n < 1 || n > kConductorFields || !g_views.conductor) return nullptr;
  return g_fields[n - 1];
}

void ShowConductorFields() {
  if (g_views.conductor && g_fields[0]) SetWindowTextA(g_fields[0], SongTitleText().c_str());
}

void InitConductorEditProc() {
  if (g_fieldEditProc) return;
  WNDCLASSA wc;
  if (GetClassInfoA(nullptr, "EDIT", &wc)) g_fieldEditProc = wc.lpfnWndProc;
}
