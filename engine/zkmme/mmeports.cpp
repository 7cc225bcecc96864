// Plain MIDI outputs behind the ports, and messages sent on them at once.
#include <cstring>

#include <zk/song.h>

#include "mmeengine.h"
#include "sysexbuild.h"

MmeOutput g_mme;

namespace {
bool Done(const MIDIHDR* h) { return (h->dwFlags & MHDR_DONE) || !(h->dwFlags & MHDR_INQUEUE); }

// Waits for a header the device holds; takes it back with a reset when it
// does not finish. False when the device still holds it.
bool WaitDone(LongHeader& h) {
  if (!h.header || !h.owner) return true;
  for (int i = 0; i < 3000 && !Done(h.header); ++i) Sleep(1);
  if (!Done(h.header) && g_shell.settings.win95Send) {
    Sleep(100);
    if (!Done(h.header)) Sleep(100);
  }
  if (!Done(h.header)) {
    midiOutReset(h.owner);
    for (int i = 0; i < 1000 && !Done(h.header); ++i) Sleep(1);
  }
  if (!Done(h.header)) return false;
  midiOutUnprepareHeader(h.owner, h.header, sizeof(MIDIHDR));
  h.owner = nullptr;
  return true;
}
}  // namespace

bool OutHasPort(int slot) { return slot >= 0 && slot < kPorts && g_mme.port[slot]; }

UINT OutOpenPort(int slot, UINT device) {
  HMIDIOUT h = nullptr;
  MMRESULT r = midiOutOpen(&h, device, 0, 0, CALLBACK_NULL);
  if (r != MMSYSERR_NOERROR) return r;
  g_mme.port[slot] = h;
  return 0;
}

MMRESULT OutShortMsg(int slot, DWORD message) {
  if (!OutHasPort(slot)) return MMSYSERR_INVALHANDLE;
  return midiOutShortMsg(g_mme.port[slot], message);
}

void SendOut(int slot, DWORD message, int tries, DWORD pauseMs) {
  for (int i = 0; i < tries; ++i) {
    if (OutShortMsg(slot, message) == MMSYSERR_NOERROR) return;
    Sleep(pauseMs);
  }
}

void OutReset(int slot) {
  if (OutHasPort(slot)) midiOutReset(g_mme.port[slot]);
}

void OutClosePorts() {
  OutStop(false);
  for (auto& h : g_mme.longHeader) ReleaseLong(h);
  for (auto& p : g_mme.port) {
    if (!p) continue;
    midiOutReset(p);
    midiOutClose(p);
    p = nullptr;
  }
}

void SendLong(LongHeader& h, int slot, const uint8_t* bytes, size_t length) {
  if (!OutHasPort(slot) || length == 0 || length > kSendBufferBytes) return;
  if (!WaitDone(h)) return;  // the device keeps the old block: leave it be
  if (!h.mem) {
    h.mem = GlobalAlloc(kShareableZeroed, sizeof(MIDIHDR) + kSendBufferBytes);
    if (!h.mem) return;
    h.header = static_cast<MIDIHDR*>(GlobalLock(h.mem));
  }
  std::memset(h.header, 0, sizeof(MIDIHDR));
  h.header->lpData = reinterpret_cast<LPSTR>(h.header + 1);
  std::memcpy(h.header->lpData, bytes, length);
  h.header->dwBufferLength = static_cast<DWORD>(length);
  h.header->dwBytesRecorded = static_cast<DWORD>(length);
  HMIDIOUT out = g_mme.port[slot];
  if (midiOutPrepareHeader(out, h.header, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) return;
  h.owner = out;
  for (int i = 0; i < 500; ++i) {
    if (midiOutLongMsg(out, h.header, sizeof(MIDIHDR)) == MMSYSERR_NOERROR) return;
    Sleep(1);
  }
  midiOutUnprepareHeader(out, h.header, sizeof(MIDIHDR));
  h.owner = nullptr;
}

void ReleaseLong(LongHeader& h) {
  if (!WaitDone(h)) return;  // held by the device: never freed under it
  if (h.mem) {
    GlobalUnlock(h.mem);
    GlobalFree(h.mem);
  }
  h = LongHeader{};
}

void OutSendExclusive(int slot, const uint8_t* bytes, size_t length) {
  LongHeader h;
  SendLong(h, slot, bytes, length);
  ReleaseLong(h);
}

void OutHold() {
  OutPause();
  std::lock_guard<std::mutex> guard(g_shell.lock);
  g_shell.stopping = false;
}
