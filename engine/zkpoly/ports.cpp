// Output ports: the port table, the streams behind it and messages sent
// outside the play data.
#include <algorithm>

#include "polyengine.h"

HMIDISTRM PortStream(int port) {
  if (port < 0 || port >= kPorts) return nullptr;
  int s = g_poly.portSlot[port];
  return s < 0 ? nullptr : g_poly.slots[s].stream;
}

void SendShortNow(int port, DWORD message, int tries, DWORD pauseMs) {
  HMIDISTRM st = PortStream(port);
  if (!st) return;
  for (int i = 0; i < tries; ++i) {
    if (midiOutShortMsg(reinterpret_cast<HMIDIOUT>(st), message) == MMSYSERR_NOERROR) return;
    Sleep(pauseMs);
  }
}

int PortsWithOwnStream(int ports[kPorts]) {
  HMIDISTRM seen[kPorts] = {};
  int n = 0;
  for (int p = 0; p < kPorts; ++p) {
    HMIDISTRM st = PortStream(p);
    if (!st || std::find(seen, seen + n, st) != seen + n) continue;
    seen[n] = st;
    ports[n++] = p;
  }
  return n;
}

void SendToEveryPort(DWORD message) {
  int ports[kPorts];
  int n = PortsWithOwnStream(ports);
  for (int i = 0; i < n; ++i) SendShortNow(ports[i], message);
}

void ResetEveryPort() {
  for (auto& slot : g_poly.slots)
    if (slot.stream) midiOutReset(reinterpret_cast<HMIDIOUT>(slot.stream));
}

void CloseEveryStream() {
  if (g_poly.prepared) ReleasePlay();
  StopStreamsAndWait();
  FreeBlocks();
  for (auto& slot : g_poly.slots) {
    if (!slot.stream) continue;
    midiStreamClose(slot.stream);
    slot.stream = nullptr;
  }
  for (int p = 0; p < kPorts; ++p) {
    g_poly.portDevice[p] = kNoDevice;
    g_poly.portSlot[p] = -1;
  }
  g_poly.stopping = false;
}

extern "C" UINT WINAPI ChangeMIDIPort(int port, int deviceId, HANDLE handle, int attach) {
  if (port < 0 || port >= kPorts) return kResultBadNumber;
  StreamSlot& own = g_poly.slots[port];
  if (attach) {
    // The port is declared unused; a handle given here is the caller's and
    // is neither used nor closed by the engine.
    if (own.stream) return kResultAlreadyOpen;
    g_poly.portSlot[port] = -1;
    return 0;
  }
  if (g_poly.portDevice[port] != kNoDevice) return kResultAlreadyOpen;
  const DWORD device = static_cast<DWORD>(deviceId);
  for (int p = 0; p < kPorts; ++p) {
    if (p == port || g_poly.portDevice[p] != device || !PortStream(p)) continue;
    g_poly.portSlot[port] = g_poly.portSlot[p];
    g_poly.portDevice[port] = device;
    return 0;
  }
  UINT id = device;
  HMIDISTRM st = nullptr;
  MMRESULT r = midiStreamOpen(&st, &id, 1, reinterpret_cast<DWORD_PTR>(&StreamCallback),
                              static_cast<DWORD_PTR>(port), CALLBACK_FUNCTION);
  if (r != MMSYSERR_NOERROR) {
    g_poly.portSlot[port] = -1;
    g_poly.portDevice[port] = kNoDevice;
    return r;
  }
  own.stream = st;
  g_poly.portSlot[port] = port;
  g_poly.portDevice[port] = device;
  MIDIPROPTIMEDIV div{sizeof div, 480};
  midiStreamProperty(st, reinterpret_cast<LPBYTE>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV);
  MIDIPROPTEMPO tempo{sizeof tempo, 500000};
  midiStreamProperty(st, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_SET | MIDIPROP_TEMPO);
  g_poly.sendBusy = false;
  return 0;
}

extern "C" int WINAPI GetMIDIPort(int, int) { return 0; }

extern "C" int WINAPI OpenMIDIPort() { return ++g_poly.users; }

extern "C" int WINAPI CloseMIDIPort() {
  if (g_poly.users == 0) return 0;
  if (--g_poly.users == 0) {
    CloseEveryStream();
    CloseInputs();
  }
  return g_poly.users;
}

extern "C" int WINAPI midiOutImmMsg(int status, int channelAndPort, int data1, int data2) {
  int port = (channelAndPort >> 4) & 3;
  if (!PortStream(port)) return 0;
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
  if (g_poly.prepared) ReleasePlay();
  for (auto& slot : g_poly.slots) {
    slot.waiting.clear();
    slot.waitingRead = 0;
    slot.pendingDelta = 0;
  }
  g_poly.playing = false;
  g_poly.paused = false;
  g_poly.held = false;
  g_poly.ended = false;
  return 0;
}
