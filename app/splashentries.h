// Entry points of the application splash and plug-in splash libraries, and
// the windows they showed. Null while not bound.
#pragma once
#include <windows.h>

namespace zksplash {
using GetLogoTypeFn = int(WINAPI*)(char* title, char* version);                      // 2048
using DisplayLogoFn = HWND(WINAPI*)(HWND parent);                                    // 1024 (application)
using PluginLogoFn = HWND(WINAPI*)(HWND parent, HWND applicationSplash);             // 1024 (plug-in)
using SetToPluginDialogFn = int(WINAPI*)(const char* text1, const char* text2, const char* text3,
                                         const char* text4, int replaceLast);        // 1026
}  // namespace zksplash

struct SplashEntries {
  HMODULE appLibrary = nullptr;
  HMODULE pluginLibrary = nullptr;
  zksplash::DisplayLogoFn displayLogo = nullptr;
  zksplash::PluginLogoFn pluginLogo = nullptr;
  zksplash::SetToPluginDialogFn setToPluginDialog = nullptr;
  HWND appWindow = nullptr;      // the application splash while it shows
  HWND pluginWindow = nullptr;   // the plug-in splash while it shows
};
extern SplashEntries g_splash;
