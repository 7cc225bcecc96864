#include "enginesettings.h"

#include <windows.h>

#include <cstdio>

EngineSettings LoadEngineSettings(const char* iniPath, const char* section) {
  EngineSettings s;
  auto get = [&](const char* key, int def) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, def, iniPath));
  };
  s.win95 = get("Win95", 1);
  s.win95Send = get("Win95Send", 1);
  s.pEndReset = get("PEndReset", 0);
  s.win95Play = get("Win95Play", s.win95);
  s.preBuffer = get("PreBuffer", 2560);
  s.preGet = get("PreGet", 128) & 0xFFFF;
  s.cmdBuffer = get("CmdBuffer", 32767);
  s.pMonBuffer = get("PMonBuffer", 3000);
  s.sendBufTempo = get("SendBufTempo", 120) & 0xFFFF;
  s.truant = get("Truant", 985);
  s.chase = get("Chase", 63);
  s.exclWait = get("ExclWait", 0) & 0xFFFF;
  // Values that would break the arithmetic fall back to the defaults.
  if (s.preBuffer < 64 || s.preBuffer > 0x100000) s.preBuffer = 2560;
  if (s.preGet < 1) s.preGet = 128;
  if (s.sendBufTempo < 1) s.sendBufTempo = 120;
  return s;
}

bool WriteChaseSettings(const char* iniPath, const char* section, const EngineSettings& s,
                        int which) {
  const struct { int bit; const char* key; int value; } keys[] = {
      {1, "Truant", s.truant}, {2, "Chase", s.chase}, {4, "ExclWait", s.exclWait}};
  for (const auto& k : keys) {
    if (!(which & k.bit)) continue;
    char text[16];
    std::snprintf(text, sizeof text, "%d", k.value);
    if (!WritePrivateProfileStringA(section, k.key, text, iniPath)) return false;
  }
  return true;
}

int MonitorRingRecords(const EngineSettings& s) {
  if (s.pMonBuffer < 16) return 16;
  if (s.pMonBuffer > 65535) return 65535;  // indexes travel as 16-bit values
  return s.pMonBuffer;
}

int TextRingBytes(const EngineSettings& s) {
  if (s.cmdBuffer < 256) return 256;
  if (s.cmdBuffer > 65535) return 65535;  // offsets travel as 16-bit values
  return s.cmdBuffer;
}
