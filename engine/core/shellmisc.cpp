// The engine's identity, its monitor and chase settings, and the calls that
// only keep what they are given.
#include <algorithm>
#include <cstring>

#include "engineshell.h"

EngineShell g_shell;

namespace {
// Every engine's string table holds its title and version at these ids.
constexpr UINT kAppletTitleId = 5527;
constexpr UINT kAppletVersionId = 5528;
}  // namespace

const char* EngineIniPath() { return "ZKFW95.INI"; }

void LoadShellSettings() {
  g_shell.settings = LoadEngineSettings(EngineIniPath(), kEngineIdentity.section);
  for (int p = 0; p < kPorts; ++p) {
    g_shell.portDevice[p] = kNoDevice;
    g_shell.portSlot[p] = -1;
  }
}

extern "C" int WINAPI GetZKMMEVersion(char* buffer, int wantFileName) {
  if (buffer) {
    if (wantFileName) {
      // The file name in 12 bytes, padded with zeros.
      char name[12] = {};
      std::memcpy(name, kEngineIdentity.fileName, std::min(std::strlen(kEngineIdentity.fileName), sizeof name));
      std::memcpy(buffer, name, sizeof name);
    } else {
      std::memcpy(buffer, "ZKFW2", 6);
    }
  }
  return 258;
}

extern "C" int WINAPI GetAppletType(char* title, char* version, short* type) {
  if (title) LoadStringA(EngineInstance(), kAppletTitleId, title, 40);
  if (version) LoadStringA(EngineInstance(), kAppletVersionId, version, 40);
  if (type) *type = kEngineIdentity.appletType;
  return 1;
}

extern "C" int WINAPI SetPLAY2(void* pointer, int) {
  g_shell.play2 = pointer;
  return 0;
}
extern "C" int WINAPI DumpSong() {
  OutputDebugStringA("\r\n");
  OutputDebugStringA("\r\n");
  return 0;
}

extern "C" int WINAPI SetPlayMonMode(int mode) {
  g_shell.monitorTracks = mode != 0;
  return 0;
}

extern "C" int WINAPI CompareMonitorPos(int index) {
  return (index & 0xFFFF) == g_shell.monitorPosition.load() ? 1 : 0;
}

extern "C" int WINAPI ClearPlayMonDarty() {
  // The host has read every record up to the mark it was given.
  int mark = g_shell.lastMonitorMark.load();
  if (mark >= 0) g_shell.rings.HostReadUpTo(mark);
  g_shell.monitorDirty = false;
  return 0;
}

extern "C" int WINAPI SetPlayMonCallback(void* function) {
  g_shell.monitorCallback = function;
  return 0;
}

extern "C" int WINAPI SetPlayTruant(int truant, int chase, int exclWait, int which) {
  if (which & 1) g_shell.settings.truant = truant;
  if (which & 2) g_shell.settings.chase = chase;
  if (which & 4) g_shell.settings.exclWait = exclWait & 0xFFFF;
  return 1;
}

extern "C" int WINAPI GetPlayTruant(int* truant, int* chase, int* exclWait, int which) {
  if ((which & 1) && truant) *truant = g_shell.settings.truant;
  if ((which & 2) && chase) *chase = g_shell.settings.chase;
  if ((which & 4) && exclWait) *exclWait = g_shell.settings.exclWait;
  return 1;
}

extern "C" int WINAPI WritePlayTruant(int which) {
  return WriteChaseSettings(EngineIniPath(), kEngineIdentity.section, g_shell.settings, which) ? 1 : 0;
}

extern "C" int WINAPI SetShareFlag(int value) {
  InterlockedExchange(&g_shareFlag, value);
  return 1;
}

extern "C" int WINAPI GetShareFlag() { return static_cast<int>(InterlockedCompareExchange(&g_shareFlag, 0, 0)); }
