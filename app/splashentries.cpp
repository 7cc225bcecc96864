// Binding of the splash libraries and the windows they show.
#include "splashentries.h"

#include <string>

#include "binding.h"
#include "inifile.h"
#include "settings.h"

SplashEntries g_splash;

void BindSplashLibraries() {
  FreeSplashLibraries();
  std::string app = IniGetString("Splash", "Applet", "", kPathTextSize);
  std::string plugin = IniGetString("Splash", "PApplet", "", kPathTextSize);
  if (!app.empty()) {
    g_splash.appLibrary = LoadNamedLibrary(app.c_str());
    g_splash.displayLogo = BindOrdinal<zksplash::DisplayLogoFn>(g_splash.appLibrary, 1024);
  }
  if (!plugin.empty()) {
    g_splash.pluginLibrary = LoadNamedLibrary(plugin.c_str());
    g_splash.pluginLogo = BindOrdinal<zksplash::PluginLogoFn>(g_splash.pluginLibrary, 1024);
    g_splash.setToPluginDialog = BindOrdinal<zksplash::SetToPluginDialogFn>(g_splash.pluginLibrary, 1026);
  }
}

void ShowApplicationSplash() {
  if (g_splash.displayLogo) g_splash.appWindow = g_splash.displayLogo(GetDesktopWindow());
}

void CloseSplashWindows() {
  for (HWND* window : {&g_splash.pluginWindow, &g_splash.appWindow}) {
    if (*window && IsWindow(*window)) DestroyWindow(*window);
    *window = nullptr;
  }
}

void FreeSplashLibraries() {
  // A window whose procedure lives in a library must not outlive it.
  CloseSplashWindows();
  if (g_splash.appLibrary) FreeLibrary(g_splash.appLibrary);
  if (g_splash.pluginLibrary) FreeLibrary(g_splash.pluginLibrary);
  g_splash = SplashEntries{};
}
