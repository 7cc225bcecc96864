#include "filtersettings.h"

#include <windows.h>

ExportOptions g_exportOptions;

namespace {

int ReadInt(const char* section, const char* key, int def) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, def, kSettingsFile));
}

}  // namespace

uint8_t ReadExportPortNumber(int port) {
  static const char* const kKeys[4] = {"ExportPortANo", "ExportPortBNo", "ExportPortCNo",
                                       "ExportPortDNo"};
  if (port < 0 || port > 3) return kPortOff;
  int value = ReadInt(kFilterSection, kKeys[port], port);
  // A number outside a byte cannot be written as a port meta event.
  return value < 0 || value > 255 ? kPortOff : static_cast<uint8_t>(value);
}

void LoadAttachSettings() {
  ExportOptions o;
  int mode = ReadInt(kFilterSection, "PortSW", 0);
  o.portMode = mode < 0 || mode > 3 ? 0 : mode;
  for (int p = 0; p < 4; ++p) o.portNumber[p] = ReadExportPortNumber(p);
  if (o.portMode == 2) o.portNumber[2] = o.portNumber[3] = kPortOff;
  o.timeBase = 480;
  o.barTrack = 0;
  g_exportOptions = o;
}

ImportSettings ReadImportSettings() {
  ImportSettings s;
  int low = ReadInt(kFilterSection, "ImportConvFlags", 255);
  int high = ReadInt(kFilterSection, "ImportConvFlags2", 255);
  s.flags = static_cast<uint16_t>((low & 0xFF) | (high & 0xFF) << 8);
  s.format1Mix = ReadInt(kFilterSection, "ImportFormat1Mix", 1);
  s.keepFileTimeBase = ReadInt(kFilterSection, "LOADONTBCVT", 0) != 0;
  int maxTrack = ReadInt("OTHER", "maxTrack", 36);
  s.maxTrack = maxTrack <= 0 ? 36 : maxTrack;
  return s;
}

uint32_t ReadExportConvFlags() {
  return GetPrivateProfileIntA(kFilterSection, "ExportConvFlags", 0, kSettingsFile);
}
