// The play monitor's exports: the host hands it its records, callbacks and
// defaults, asks it to register its windows and to open its monitor.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "playmon.h"
#include "playmonres.h"

PlayMonState g_monitor;

namespace {

constexpr char kSettingsFile[] = "ZKFW95.INI";

// The section of the monitor's own values: its file name without extension.
std::string OwnSection() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(g_monitor.instance, path, sizeof path);
  std::string name = path;
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

void LoadText(UINT id, char* buffer) {
  if (!buffer) return;
  char text[40] = {};
  LoadStringA(g_monitor.instance, id, text, sizeof text);
  std::memcpy(buffer, text, std::strlen(text) + 1);
}

// The open monitor's placement into the record, so that it is written as it
// stands now.
void TakeWindowPlacement() {
  if (!g_monitor.window || !IsWindow(g_monitor.window)) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(g_monitor.window, &wp)) return;
  int* p = g_monitor.placement;
  p[0] = 1;
  p[1] = static_cast<int>(wp.showCmd);
  p[2] = static_cast<int>(wp.flags);
  p[3] = wp.ptMinPosition.x;
  p[4] = wp.ptMinPosition.y;
  p[5] = wp.ptMaxPosition.x;
  p[6] = wp.ptMaxPosition.y;
  p[7] = wp.rcNormalPosition.left;
  p[8] = wp.rcNormalPosition.top;
  p[9] = wp.rcNormalPosition.right;
  p[10] = wp.rcNormalPosition.bottom;
  g_monitor.placementCount = kPlacementValues;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_monitor.instance = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    if (g_monitor.window && IsWindow(g_monitor.window)) DestroyWindow(g_monitor.window);
    UnregisterMonitorClasses(instance);
  }
  return TRUE;
}

int WINAPI GetPlaymonType(char* title, char* version) {
  LoadText(IDS_PLAYMON_TITLE, title);
  LoadText(IDS_PLAYMON_VERSION, version);
  return 1;
}

void* WINAPI SetLPPLAYDAT(void* playTrackData) {
  g_monitor.playTrackData = playTrackData;
  return playTrackData;
}

void* WINAPI SetLPPLAYMon(void* playMonRing) {
  g_monitor.playMonRing = playMonRing;
  return playMonRing;
}

int WINAPI SetPlayMonChecks(PlayMonActivateFn activate, PlayMonActivateTrackFn activateTrack,
                            PlayMonIsPlayingFn isPlaying, PlayMonSharedKeyFn sharedKey,
                            PlayMonSetWindowFn setWindow) {
  g_monitor.activate = activate;
  g_monitor.activateTrack = activateTrack;
  g_monitor.isPlaying = isPlaying;
  g_monitor.sharedKey = sharedKey;
  g_monitor.setWindow = setWindow;
  return 1;
}

int WINAPI SetDefaults(const LOGFONTA* font, int value, int stripCount) {
  if (font) g_monitor.font = *font;
  g_monitor.defaultsValue = value;
  g_monitor.stripCount = stripCount;
  return 1;
}

int WINAPI SetDefaults2(int value, PlayMonSendNowFn sendNow) {
  g_monitor.defaults2Value = value;
  g_monitor.sendNow = sendNow;
  return 1;
}

int WINAPI GetPMonDefaults() {
  char text[256] = {};
  GetPrivateProfileStringA("DeskTop", "PlayMonitor2", "1,-1", text, sizeof text, kSettingsFile);
  std::memset(g_monitor.placement, 0, sizeof g_monitor.placement);
  g_monitor.placementCount = ParsePlacement(text, g_monitor.placement, kPlacementValues);
  g_monitor.feeder = static_cast<int>(GetPrivateProfileIntA(OwnSection().c_str(), "Feeder11", 0, kSettingsFile));
  g_monitor.placementRead = true;
  return g_monitor.placementCount > 0 ? g_monitor.placement[g_monitor.placementCount - 1] : 0;
}

int WINAPI WritePMonDefaults() {
  TakeWindowPlacement();
  const int* p = g_monitor.placement;
  char text[256];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", p[0], p[1], p[2], p[3], p[4], p[5],
                p[6], p[7], p[8], p[9], p[10]);
  BOOL ok = WritePrivateProfileStringA("DeskTop", "PlayMonitor2", text, kSettingsFile);
  std::snprintf(text, sizeof text, "%d", g_monitor.feeder);
  ok = WritePrivateProfileStringA(OwnSection().c_str(), "Feeder11", text, kSettingsFile) && ok;
  return ok ? 1 : 0;
}

int WINAPI RegisterPlayMon() {
  if (!RegisterMonitorClasses(g_monitor.instance)) return 0;
  GetPMonDefaults();
  return 1;
}

HWND WINAPI CreatePlaymon(HWND mdiClient, const char* title, int mdiChild) {
  return CreateMonitorWindow(mdiClient, title, mdiChild != 0);
}

int WINAPI PlaymonKey(int) { return 0; }

}  // extern "C"
