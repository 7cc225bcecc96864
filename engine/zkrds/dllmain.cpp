// Library entry of the Super MPU engine: its identity, settings, the driver
// check and the flag shared by every process that loads this library.
#include "drivercheck.h"
#include "rdsengine.h"
#include "resource.h"

const EngineIdentity kEngineIdentity = {"zkrds", "zkrds.dll", 4, true, true};

RdsState g_rds;

namespace {
HINSTANCE g_instance = nullptr;

void LoadRdsSettings() {
  const char* ini = EngineIniPath();
  // The queue is refilled earlier than the other engines' rings.
  g_shell.settings.preGet = static_cast<int>(GetPrivateProfileIntA("zkrds", "PreGet", 256, ini)) & 0xFFFF;
  if (g_shell.settings.preGet < 1) g_shell.settings.preGet = 256;
  g_rds.stability = static_cast<int>(GetPrivateProfileIntA("zkrds", "stability", 48000, ini));
}

void WarnOldDriver() {
  char text[512] = {};
  LoadStringA(g_instance, IDS_OLD_DRIVER, text, sizeof text);
  MessageBoxA(nullptr, text, "zkrds.dll", MB_SYSTEMMODAL | MB_ICONINFORMATION);
}
}  // namespace

HINSTANCE EngineInstance() { return g_instance; }

// One word every process that loads this file sees: bit 0 set while a
// program holds the MIDI ports.
__attribute__((section("Shared"), shared)) volatile LONG g_shareFlag = 0;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
    LoadShellSettings();
    LoadRdsSettings();
    if (!DriverFilesPass()) WarnOldDriver();
  }
  return TRUE;
}
