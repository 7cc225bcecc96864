// Claiming and opening the MIDI ports named in the settings.
#include "portsetup.h"

#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "appglobals.h"
#include "binding.h"
#include "midiports.h"
#include "msgbox.h"
#include "resource.h"
#include "settings.h"

int32_t g_smpuPortFlags[4] = {};

namespace {

// Set when this program wrote the claim into the shared flag: only then may
// it clear the flag again.
bool g_portsTaken = false;

constexpr int kSharedFlagHeld = 1;
constexpr int kSharedFlagClaim = 3;
constexpr uint32_t kPortsHeldMark = 0xFFFE;

void ShowPortsInUse() { ShowMessageById(g_app.frame, MB_OK | MB_ICONEXCLAMATION, IDS_PORTS_IN_USE); }

// ChangeMIDIINPort or ChangeMIDIPort for one port: opens it on its device or
// closes it explicitly when it has none (or its device is not there).
void OpenOrClosePort(int (*change)(int port, int device, int detach), int port, int device) {
  int result = device >= 0 ? change(port, static_cast<int16_t>(device), 0) : change(port, -1, 1);
  if (device >= 0 && result != 0) ShowPortsInUse();
}

// The device to open for a port; a port named after a device that is not
// there adds a line to the text that names them.
int DeviceToOpen(int configured, int count, const char* name, UINT lineId, char letter, std::string& missing) {
  const PortDevice port = ResolvePortDevice(configured, count);
  if (port.missing && name && *name) {
    char line[160];
    std::snprintf(line, sizeof line, LoadAppString(lineId).c_str(), letter, name);
    missing += line;
  }
  return port.device;
}

int ChangeInput(int port, int device, int detach) {
  return g_engine.changeMIDIINPort ? g_engine.changeMIDIINPort(port, device, 0, detach) : 0;
}

int ChangeOutput(int port, int device, int detach) {
  return g_engine.changeMIDIPort ? g_engine.changeMIDIPort(port, device, nullptr, detach) : 0;
}

}  // namespace

int SmpuPortTest(int device) {
  static const char* const kNames[4] = {"S-MPU MIDI Out A", "S-MPU MIDI Out B", "S-MPU MIDI Out C",
                                        "S-MPU MIDI Out D"};
  if (g_app.portsUnavailable || device == -1) return 0;
  std::string name;
  if (!MidiOutDeviceName(device, name)) return 0;
  for (int k = 0; k < 4; ++k)
    if (name.compare(0, 16, kNames[k]) == 0) return 1 << k;
  return 0;
}

void SetUpPorts() {
  if (g_app.portsUnavailable) return;
  // Set up again (new settings): what this program holds is let go first, so
  // its own claim is not taken for another program's.
  ReleasePorts();
  for (int k = 0; k < 4; ++k) {
    g_smpuPortFlags[k] = 0;
    if (g_settings.outPorts[k] >= 0 && SmpuPortTest(g_settings.outPorts[k]) != 0) g_smpuPortFlags[k] = 1;
  }
  if (g_engine.getShareFlag && (g_engine.getShareFlag() & kSharedFlagHeld)) {
    ShowPortsInUse();
    g_app.portsUnavailable = 1;
    g_settings.outPorts[4] = static_cast<int32_t>(kPortsHeldMark);
    return;
  }
  if (g_engine.setShareFlag) {
    g_engine.setShareFlag(kSharedFlagClaim);
    g_portsTaken = true;
  }
  std::string missing;
  const int inCount = static_cast<int>(midiInGetNumDevs());
  const int outCount = static_cast<int>(midiOutGetNumDevs());
  for (int k = 0; k < 2; ++k) {
    const int device = DeviceToOpen(g_settings.inPorts[k], inCount, g_settings.inPortName[k], IDS_PORT_IN_LINE,
                                    static_cast<char>('A' + k), missing);
    OpenOrClosePort(ChangeInput, k, device);
  }
  for (int k = 0; k < 4; ++k) {
    const int device = DeviceToOpen(g_settings.outPorts[k], outCount, g_settings.portName[k], IDS_PORT_OUT_LINE,
                                    static_cast<char>('A' + k), missing);
    OpenOrClosePort(ChangeOutput, k, device);
  }
  if (!missing.empty())
    ShowMessageById(g_app.frame, MB_OK | MB_ICONEXCLAMATION, IDS_PORT_DEVICES_MISSING, missing.c_str());
  TellPluginsEngineAndPorts();
  if (g_engine.openMIDIPort) g_engine.openMIDIPort();
  if (g_engine.openMIDIInPort) g_engine.openMIDIInPort(g_app.frame);
}

bool PortsTakenByUs() { return g_portsTaken; }

void ReleasePorts() {
  if (!g_portsTaken) return;
  g_portsTaken = false;
  if (g_engine.closeMIDIPort) g_engine.closeMIDIPort();
  if (g_engine.setShareFlag) g_engine.setShareFlag(0);
}

int CloseMidiInput() {
  if (g_app.portsUnavailable) return static_cast<int>(g_app.portsUnavailable);
  return g_engine.closeMIDIInPort ? g_engine.closeMIDIInPort() : 0;
}
