// An engine's section of the settings file, read once at attach.
#pragma once
#include <cstdint>

struct EngineSettings {
  int win95 = 1;
  int win95Send = 1;
  int pEndReset = 0;
  int win95Play = 1;
  int preBuffer = 2560;
  int preGet = 128;
  int cmdBuffer = 32767;
  int pMonBuffer = 3000;
  int sendBufTempo = 120;
  int truant = 985;
  int chase = 63;
  int exclWait = 0;
};

// Reads section (the engine's file name without extension) of the settings
// file iniPath ("ZKFW95.INI" in the Windows folder for the product).
EngineSettings LoadEngineSettings(const char* iniPath, const char* section);

// Writes the chase values selected by which (bit 0 Truant, 1 Chase,
// 2 ExclWait); false at the first failed write.
bool WriteChaseSettings(const char* iniPath, const char* section, const EngineSettings& s,
                        int which);

// Ring and buffer sizes as the engine uses them: values the settings file
// could make absurd are brought into a safe range here. The host learns the
// sizes from the messages that hand it the rings (2263, 2264: wParam).
int MonitorRingRecords(const EngineSettings& s);
int TextRingBytes(const EngineSettings& s);
