// Output ports on Windows MIDI devices and the messages sent outside play.
#include <algorithm>

#include "mmshell.h"

namespace {

void ResetEveryPort() {
  int ports[kPorts];
  int n = PortsWithOwnSlot(ports);
  for (int i = 0; i < n; ++i) OutReset(PortSlot(ports[i]));
}

void CloseEveryPort() {
  if (g_shell.prepared) ReleasePlay(true);
  OutClosePorts();
  for (int p = 0; p < kPorts; ++p) {
    g_shell.portDevice[p] = kNoDevice;
    g_shell.portSlot[p] = -1;
  }
  g_shell.stopping = false;
}

}  // namespace

extern "C" UINT WINAPI ChangeMIDIPort(int port, int deviceId, HANDLE handle, int attach) {
  if (port < 0 || port >= kPorts) return kResultBadNumber;
  if (attach) {
    // The port is declared unused; a handle given here is the caller's and
    // is neither used nor closed by the engine.
    if (OutHasPort(port)) return kResultAlreadyOpen;
    g_shell.portSlot[port] = -1;
    return 0;
  }
  if (g_shell.portDevice[port] != kNoDevice) return kResultAlreadyOpen;
  const DWORD device = static_cast<DWORD>(deviceId);
  for (int p = 0; p < kPorts; ++p) {
    if (p == port || g_shell.portDevice[p] != device || PortSlot(p) < 0) continue;
    g_shell.portSlot[port] = g_shell.portSlot[p];
    g_shell.portDevice[port] = device;
    return 0;
  }
  UINT r = OutOpenPort(port, device);
  if (r != 0) {
    g_shell.portSlot[port] = -1;
    g_shell.portDevice[port] = kNoDevice;
    return r;
  }
  g_shell.portSlot[port] = port;
  g_shell.portDevice[port] = device;
  g_shell.sendBusy = false;
  return 0;
}

extern "C" int WINAPI CloseMIDIPort() {
  if (g_shell.users == 0) return 0;
  if (--g_shell.users == 0) {
    CloseEveryPort();
    CloseInputs();
  }
  return g_shell.users;
}

extern "C" int WINAPI midiOutImmMsg(int status, int channelAndPort, int data1, int data2) {
  int port = (channelAndPort >> 4) & 3;
  if (PortSlot(port) < 0) return 0;
  DWORD m = static_cast<DWORD>((status & 0xF0) | (channelAndPort & 0x0F)) |
            static_cast<DWORD>(data1 & 0x7F) << 8 | static_cast<DWORD>(data2 & 0x7F) << 16;
  SendShortNow(port, m);
  return 0;
}

extern "C" int WINAPI midiReset() {
  ResetEveryPort();
  return 0;
}
