// The exports and helpers both splash libraries share.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "splash.h"
#include "splashres.h"

HINSTANCE g_splashInstance = nullptr;

void ShowSplashWindow(HWND window, HWND parent) {
  if (!window) return;
  ShowWindow(window, parent && IsIconic(parent) ? SW_SHOW : SW_SHOWNOACTIVATE);
  UpdateWindow(window);
}

void AddPluginLine(std::vector<std::string>& lines, const std::string& line, bool replaceLast) {
  if (replaceLast && !lines.empty()) {
    lines.back() = line;
    return;
  }
  if (lines.size() == kPluginLines) lines.erase(lines.begin());
  lines.push_back(line);
}

std::string FormatPluginLine(const char* t1, const char* t2, const char* t3, const char* t4) {
  char text[512];
  std::snprintf(text, sizeof text, "%8s %12s %8s : %s", t1 ? t1 : "", t2 ? t2 : "", t3 ? t3 : "",
                t4 ? t4 : "");
  return text;
}

namespace {
void LoadText(UINT id, char* buffer) {
  if (!buffer) return;
  char text[40] = {};
  LoadStringA(g_splashInstance, id, text, sizeof text);
  std::memcpy(buffer, text, std::strlen(text) + 1);
}
}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_splashInstance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

int WINAPI GetLogoType(char* title, char* version) {
  LoadText(IDS_LOGO_TITLE, title);
  LoadText(IDS_LOGO_VERSION, version);
  return 1;
}

}  // extern "C"
