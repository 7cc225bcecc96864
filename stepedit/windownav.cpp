#include "windownav.h"

#include <cstring>
#include <string>

#include "appglobals.h"
#include "viewwindows.h"

namespace {

struct TrackWindowKind {
  const char* className;
  UINT title;    // caption string
  UINT command;  // frame command that opens this mode
};

constexpr TrackWindowKind kKinds[] = {
    {"TrkView", 38, 4007},
    {"TrkSet", 39, 4006},
    {"TrkSet", 40, 4008},
};

bool HasClass(HWND window, const char* className) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, className) == 0;
}

void Activate(HWND child) {
  if (IsIconic(child)) SendMessageA(g_app.mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

HWND Create(const TrackWindowKind& kind, const std::string& title) {
  MDICREATESTRUCTA mc = {};
  mc.szClass = kind.className;
  mc.szTitle = title.c_str();
  mc.hOwner = AppInstance();
  mc.x = mc.y = mc.cx = mc.cy = CW_USEDEFAULT;
  return reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mc)));
}

}  // namespace

HWND OpenTrackWindow(HWND window, int mode) {
  (void)window;
  if (mode < kTrackViewMode || mode > kRecordSetupMode || !g_app.mdiClient) return nullptr;
  const TrackWindowKind& kind = kKinds[mode];
  HWND open = g_viewWindows.trackWindow;
  if (open && !HasClass(open, kind.className)) {
    SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(open), 0);
    g_viewWindows.trackWindow = nullptr;
    if (g_app.frame) PostMessageA(g_app.frame, WM_COMMAND, kind.command, 0);
    return nullptr;
  }
  g_viewWindows.trackWindowMode = mode;
  const std::string title = LoadAppString(kind.title);
  if (!open) return Create(kind, title);
  SetWindowTextA(open, title.c_str());
  Activate(open);
  return open;
}
