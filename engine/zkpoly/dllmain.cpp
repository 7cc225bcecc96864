// Library entry, the engine's identity and the flag shared by every process
// that loads this library.
#include <cstring>

#include "polyengine.h"
#include "resource.h"

PolyEngine g_poly;

namespace {
HINSTANCE g_instance = nullptr;
}

// One word every process that loads this file sees: bit 0 set while a
// program holds the MIDI ports.
__attribute__((section("Shared"), shared)) volatile LONG g_sharedFlag = 0;

const char* EngineIniPath() { return "ZKFW95.INI"; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
    g_poly.settings = LoadEngineSettings(EngineIniPath(), kSection);
    for (int p = 0; p < kPorts; ++p) {
      g_poly.portDevice[p] = kNoDevice;
      g_poly.portSlot[p] = -1;
    }
  }
  return TRUE;
}

extern "C" int WINAPI SetShareFlag(int value) {
  InterlockedExchange(&g_sharedFlag, value);
  return 1;
}

extern "C" int WINAPI GetShareFlag() { return static_cast<int>(InterlockedCompareExchange(&g_sharedFlag, 0, 0)); }

extern "C" int WINAPI GetZKMMEVersion(char* buffer, int wantFileName) {
  if (buffer) {
    if (wantFileName) {
      char name[12] = {};
      std::memcpy(name, "zkpoly.dll", 10);
      std::memcpy(buffer, name, sizeof name);
    } else {
      std::memcpy(buffer, "ZKFW2", 6);
    }
  }
  return 258;
}

extern "C" int WINAPI GetAppletType(char* title, char* version, short* type) {
  if (title) LoadStringA(g_instance, IDS_APPLET_TITLE, title, 40);
  if (version) LoadStringA(g_instance, IDS_APPLET_VERSION, version, 40);
  if (type) *type = 2;
  return 1;
}

extern "C" int WINAPI ShowSeqStatus() { return 0; }
extern "C" int WINAPI SetPLAY2(void* pointer, int) {
  g_poly.play2 = pointer;
  return 0;
}
extern "C" int WINAPI MMECallBackMan(int, int, int, int, int) { return 0; }
extern "C" int WINAPI DumpSong() {
  OutputDebugStringA("\r\n");
  OutputDebugStringA("\r\n");
  return 0;
}

extern "C" int WINAPI SetPlayMonMode(int mode) {
  g_poly.monitorTracks = mode != 0;
  return 0;
}

extern "C" int WINAPI CompareMonitorPos(int index) {
  return (index & 0xFFFF) == g_poly.monitorPosition.load() ? 1 : 0;
}

extern "C" int WINAPI ClearPlayMonDarty() {
  // The host has read every record up to the mark it was given.
  int mark = g_poly.lastMonitorMark.load();
  if (mark >= 0) g_poly.rings.HostReadUpTo(mark);
  g_poly.monitorDirty = false;
  return 0;
}

extern "C" int WINAPI SetPlayMonCallback(void* function) {
  g_poly.monitorCallback = function;
  return 0;
}

extern "C" int WINAPI SetPlayTruant(int truant, int chase, int exclWait, int which) {
  if (which & 1) g_poly.settings.truant = truant;
  if (which & 2) g_poly.settings.chase = chase;
  if (which & 4) g_poly.settings.exclWait = exclWait & 0xFFFF;
  return 1;
}

extern "C" int WINAPI GetPlayTruant(int* truant, int* chase, int* exclWait, int which) {
  if ((which & 1) && truant) *truant = g_poly.settings.truant;
  if ((which & 2) && chase) *chase = g_poly.settings.chase;
  if ((which & 4) && exclWait) *exclWait = g_poly.settings.exclWait;
  return 1;
}

extern "C" int WINAPI WritePlayTruant(int which) {
  return WriteChaseSettings(EngineIniPath(), kSection, g_poly.settings, which) ? 1 : 0;
}
