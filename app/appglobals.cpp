#include "appglobals.h"

AppGlobals g_app;

HINSTANCE AppInstance() {
  return g_app.instance ? g_app.instance : GetModuleHandleA(nullptr);
}

std::string LoadAppString(UINT id) {
  char buf[128];
  int n = LoadStringA(AppInstance(), id, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

HWND ActiveMdiChild() {
  return g_app.mdiClient ? reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}
