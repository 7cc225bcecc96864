// The port table and the messages sent outside the play data.
#include <algorithm>

#include "engineshell.h"

int PortSlot(int port) {
  if (port < 0 || port >= kPorts) return -1;
  int s = g_shell.portSlot[port];
  return s >= 0 && OutHasPort(s) ? s : -1;
}

void SendShortNow(int port, DWORD message, int tries, DWORD pauseMs) {
  int slot = PortSlot(port);
  if (slot < 0) return;
  for (int i = 0; i < tries; ++i) {
    if (OutShortMsg(slot, message) == MMSYSERR_NOERROR) return;
    Sleep(pauseMs);
  }
}

int PortsWithOwnSlot(int ports[kPorts]) {
  int seen[kPorts] = {};
  int n = 0;
  for (int p = 0; p < kPorts; ++p) {
    int slot = PortSlot(p);
    if (slot < 0 || std::find(seen, seen + n, slot) != seen + n) continue;
    seen[n] = slot;
    ports[n++] = p;
  }
  return n;
}

void SendToEveryPort(DWORD message) {
  int ports[kPorts];
  int n = PortsWithOwnSlot(ports);
  for (int i = 0; i < n; ++i) SendShortNow(ports[i], message);
}

static void ResetEveryPort() {
  int ports[kPorts];
  int n = PortsWithOwnSlot(ports);
  for (int i = 0; i < n; ++i) OutReset(PortSlot(ports[i]));
}

static void CloseEveryPort() {
  if (g_shell.prepared) ReleasePlay(true);
  OutClosePorts();
  for (int p = 0; p < kPorts; ++p) {
    g_shell.portDevice[p] = kNoDevice;
    g_shell.portSlot[p] = -1;
  }
  g_shell.stopping = false;
}

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

extern "C" int WINAPI GetMIDIPort(int, int) { return 0; }

extern "C" int WINAPI OpenMIDIPort() { return ++g_shell.users; }

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

extern "C" int WINAPI InitializePlayback(int) {
  if (g_shell.prepared) ReleasePlay(true);
  g_shell.playing = false;
  g_shell.paused = false;
  g_shell.held = false;
  g_shell.ended = false;
  return 0;
}
