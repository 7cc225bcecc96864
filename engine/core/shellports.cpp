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

extern "C" int WINAPI GetMIDIPort(int, int) { return 0; }

extern "C" int WINAPI OpenMIDIPort() { return ++g_shell.users; }

extern "C" int WINAPI InitializePlayback(int) {
  if (g_shell.prepared) ReleasePlay(true);
  g_shell.playing = false;
  g_shell.paused = false;
  g_shell.held = false;
  g_shell.ended = false;
  return 0;
}
