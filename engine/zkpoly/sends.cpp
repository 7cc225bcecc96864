// A System Exclusive message sent on its own: one stream event in a block
// of its own, waited for.
#include <cstring>

#include <zk/song.h>

#include "polyengine.h"
#include "sysexbuild.h"

namespace {
bool HeaderDone(const MIDIHDR* h) { return (h->dwFlags & MHDR_DONE) && !(h->dwFlags & MHDR_INQUEUE); }
}  // namespace

void OutSendExclusive(int slot, const uint8_t* bytes, size_t length) {
  if (!OutHasPort(slot) || length == 0 || length > kMaxFlushBytes) return;
  const bool wasBusy = g_shell.sendBusy.exchange(true);
  HMIDISTRM st = g_streams[slot].stream;
  HGLOBAL mem = GlobalAlloc(kShareableZeroed, sizeof(MIDIHDR) + kSendBufferBytes);
  if (!mem) {
    g_shell.sendBusy = wasBusy;
    return;
  }
  auto* base = static_cast<BYTE*>(GlobalLock(mem));
  auto* h = reinterpret_cast<MIDIHDR*>(base);
  BYTE* data = base + sizeof(MIDIHDR);
  size_t padded = (length + 3) & ~size_t{3};
  auto* w = reinterpret_cast<uint32_t*>(data);
  w[0] = 0;
  w[1] = 0;
  w[2] = 0x80000000u | static_cast<uint32_t>(length & 0xFFFF);
  std::memcpy(data + 12, bytes, length);
  h->lpData = reinterpret_cast<LPSTR>(data);
  h->dwBufferLength = kSendBufferBytes;
  h->dwBytesRecorded = static_cast<DWORD>(padded + 12);
  bool owned = false;  // the device may still hold the header
  if (midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(st), h, sizeof *h) == MMSYSERR_NOERROR) {
    midiStreamPause(st);
    SetStreamTiming(st, 480, 60000000u / static_cast<DWORD>(g_shell.settings.sendBufTempo));
    if (midiStreamOut(st, h, sizeof *h) == MMSYSERR_NOERROR) {
      owned = true;
      bool restarted = midiStreamRestart(st) == MMSYSERR_NOERROR;
      for (int i = 0; i < 3000 && !HeaderDone(h); ++i) {
        if (h->dwFlags & MHDR_INQUEUE) midiStreamRestart(st);
        Sleep(1);
      }
      if (restarted && g_shell.settings.win95Send && !HeaderDone(h)) {
        Sleep(100);
        if (!HeaderDone(h)) Sleep(100);
      }
      if (!HeaderDone(h)) {
        // Taken back from the driver before the block can go.
        midiStreamStop(st);
        for (int i = 0; i < 1000 && !HeaderDone(h); ++i) Sleep(1);
      }
      owned = !HeaderDone(h);
    }
    if (!owned) midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(st), h, sizeof *h);
  }
  if (!owned) {
    GlobalUnlock(mem);
    GlobalFree(mem);
  }  // else the block is left to the driver: freeing it could corrupt memory
  g_shell.sendBusy = wasBusy;
}

