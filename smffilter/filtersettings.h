// The filter's settings: keys of [zksmf] (and [OTHER] maxTrack) in
// ZKFW95.INI, read only, and the export options the library keeps in memory
// for the life of the process.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr char kSettingsFile[] = "ZKFW95.INI";
constexpr char kFilterSection[] = "zksmf";

// Read when the library is attached; the options dialog changes them in
// memory only.
struct ExportOptions {
  int format = 0;                          // SMF format to write: 0 or 1
  uint8_t portNumber[4] = {0, 1, 2, 3};    // per song port A-D; 255 = not written
  int portMode = 0;                        // PortSW 0-3, shared with the import
  int timeBase = 480;                      // division to write
  int barTrack = 0;                        // 0-based bar-management track
};
extern ExportOptions g_exportOptions;

// Port numbers that mean "write nothing of this port".
constexpr uint8_t kPortOff = 255;

// Read at every import.
struct ImportSettings {
  uint16_t flags = 0xFFFF;  // ImportConvFlags | ImportConvFlags2 << 8
  int format1Mix = 1;       // ImportFormat1Mix
  bool keepFileTimeBase = false;  // LOADONTBCVT
  int maxTrack = 36;        // [OTHER] maxTrack, 0 read as 36
};

// The attach-time keys into g_exportOptions (time base 480, bar track 0).
void LoadAttachSettings();
// The port number of ExportPort<A-D>No (defaults 0-3), for the dialog too.
uint8_t ReadExportPortNumber(int port);
ImportSettings ReadImportSettings();
// ExportConvFlags, read at every export.
uint32_t ReadExportConvFlags();

// The library's instance, kept when it is attached (resources, dialogs).
HINSTANCE FilterInstance();
