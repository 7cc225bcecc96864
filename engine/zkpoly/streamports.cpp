// The stream behind each port: opened per device, closed with the last user
// and reopened by a hold.
#include "polyengine.h"

bool OutHasPort(int slot) { return slot >= 0 && slot < kPorts && g_streams[slot].stream; }

static MMRESULT OpenStream(int slot, UINT device) {
  UINT id = device;
  HMIDISTRM st = nullptr;
  MMRESULT r = midiStreamOpen(&st, &id, 1, reinterpret_cast<DWORD_PTR>(&StreamCallback),
                              static_cast<DWORD_PTR>(slot), CALLBACK_FUNCTION);
  if (r != MMSYSERR_NOERROR) return r;
  g_streams[slot].stream = st;
  SetStreamTiming(st, 480, 500000);
  return MMSYSERR_NOERROR;
}

UINT OutOpenPort(int slot, UINT device) { return OpenStream(slot, device); }

MMRESULT OutShortMsg(int slot, DWORD message) {
  if (!OutHasPort(slot)) return MMSYSERR_INVALHANDLE;
  return midiOutShortMsg(reinterpret_cast<HMIDIOUT>(g_streams[slot].stream), message);
}

void OutReset(int slot) {
  if (OutHasPort(slot)) midiOutReset(reinterpret_cast<HMIDIOUT>(g_streams[slot].stream));
}

void OutClosePorts() {
  OutStop(false);
  for (auto& slot : g_streams) {
    if (!slot.stream) continue;
    midiStreamClose(slot.stream);
    slot.stream = nullptr;
  }
}

void OutHold() {
  OutStop(false);
  for (int s = 0; s < kPorts; ++s) {
    StreamSlot& slot = g_streams[s];
    if (!slot.stream) continue;
    midiStreamClose(slot.stream);
    slot.stream = nullptr;
    if (OpenStream(s, g_shell.portDevice[s]) != MMSYSERR_NOERROR) {
      for (int p = 0; p < kPorts; ++p)
        if (g_shell.portSlot[p] == s) g_shell.portSlot[p] = -1;
    }
  }
  std::lock_guard<std::mutex> guard(g_shell.lock);
  AllocateBlocks();
  g_shell.stopping = false;
}
