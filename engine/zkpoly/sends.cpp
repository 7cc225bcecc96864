// Sends outside play: System Exclusive blocks, GS and MT-32 set-up, raw bytes.
#include <algorithm>
#include <cstring>

#include <zk/song.h>

#include "polyengine.h"
#include "sysexbuild.h"

namespace {

bool HeaderDone(const MIDIHDR* h) { return (h->dwFlags & MHDR_DONE) && !(h->dwFlags & MHDR_INQUEUE); }

// Draws the bar of the caller's progress dialog.
void ShowProgress(HWND dialog, int counter, int maximum) {
  if (!dialog || maximum <= 0) return;
  HWND bar = GetDlgItem(dialog, 1752);
  if (!bar) return;
  RECT r;
  GetClientRect(bar, &r);
  r.right = r.left + static_cast<LONG>(static_cast<int64_t>(r.right - r.left) * std::min(counter, maximum) / maximum);
  HDC dc = GetDC(bar);
  HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_ACTIVECAPTION));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  ReleaseDC(bar, dc);
}

void Flush(int port, const SendFlush& f) {
  if (f.bytes.empty() || !PortStream(port)) return;
  g_poly.sendBusy = true;
  if (f.bytes[0] != 0xF0) {
    for (uint32_t m : ShortMessagesOf(f)) SendShortNow(port, m);
  } else {
    SendExclusiveBlock(port, f.bytes.data(), f.bytes.size());
  }
  g_poly.sendBusy = false;
}

// Flushes a list with the progress step and the pause after every message.
void SendAll(HWND dialog, int port, const std::vector<SendFlush>& list, int& counter, int maximum) {
  for (const auto& f : list) {
    Flush(port, f);
    ShowProgress(dialog, counter, maximum);
    Sleep(100);
    ++counter;
  }
}

struct LockedImage {
  explicit LockedImage(HGLOBAL h) : handle(h) {
    if (h) {
      bytes = static_cast<const uint8_t*>(GlobalLock(h));
      size = bytes ? GlobalSize(h) : 0;
    }
  }
  ~LockedImage() {
    if (bytes) GlobalUnlock(handle);
  }
  HGLOBAL handle;
  const uint8_t* bytes = nullptr;
  size_t size = 0;
};

}  // namespace

void SendExclusiveBlock(int port, const uint8_t* bytes, size_t length) {
  HMIDISTRM st = PortStream(port);
  if (!st || length == 0 || length > kMaxFlushBytes) return;
  const bool wasBusy = g_poly.sendBusy.exchange(true);
  HGLOBAL mem = GlobalAlloc(kShareableZeroed, sizeof(MIDIHDR) + kSendBufferBytes);
  if (!mem) {
    g_poly.sendBusy = wasBusy;
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
    MIDIPROPTIMEDIV div{sizeof div, 480};
    midiStreamProperty(st, reinterpret_cast<LPBYTE>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV);
    MIDIPROPTEMPO tempo{sizeof tempo, 60000000u / static_cast<DWORD>(g_poly.settings.sendBufTempo)};
    midiStreamProperty(st, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_SET | MIDIPROP_TEMPO);
    if (midiStreamOut(st, h, sizeof *h) == MMSYSERR_NOERROR) {
      owned = true;
      bool restarted = midiStreamRestart(st) == MMSYSERR_NOERROR;
      for (int i = 0; i < 3000 && !HeaderDone(h); ++i) {
        if (h->dwFlags & MHDR_INQUEUE) midiStreamRestart(st);
        Sleep(1);
      }
      if (restarted && g_poly.settings.win95Send && !HeaderDone(h)) {
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
  g_poly.lastExclSend = GetTickCount();
  g_poly.sendBusy = wasBusy;
}

extern "C" int WINAPI GSReset(int second) {
  int port = second ? 1 : 0;
  if (!PortStream(port)) return 0;
  for (const auto& f : BuildGSReset()) Flush(port, f);
  return 0;
}

extern "C" int WINAPI ResetMT32(int port1, int port2) {
  int ports[2] = {port1, port2};
  for (int i = 0; i < 2; ++i) {
    if (i == 1 && port2 == port1) break;
    if (!PortStream(ports[i])) continue;
    for (const auto& f : BuildMT32Reset()) Flush(ports[i], f);
    for (int k = 0; k < 5; ++k) Sleep(100);
  }
  return 0;
}

extern "C" int WINAPI GSSendAll(HWND dialog, HGLOBAL image, int port, int* progress, int progressMax,
                                int) {
  if (!image || !PortStream(port)) return 0;
  LockedImage img(image);
  if (!img.bytes) return 0;
  int counter = progress ? (*progress & 0xFFFF) : 0;
  SendAll(dialog, port, BuildGSSendAll(img.bytes, img.size), counter, progressMax);
  if (progress) *progress = counter & 0xFFFF;
  return 0;
}

extern "C" int WINAPI SendMT32All(HWND dialog, HGLOBAL image, int port, int laPort, int* progress,
                                  int progressMax, int) {
  if (!image) return 0;
  LockedImage img(image);
  if (!img.bytes) return 0;
  MT32Sends sends = BuildMT32SendAll(img.bytes, img.size);
  int counter = progress ? (*progress & 0xFFFF) : 0;
  // A port without a stream skips its part of the send.
  if (PortStream(port)) SendAll(dialog, port, sends.port, counter, progressMax);
  if (PortStream(laPort)) SendAll(dialog, laPort, sends.laPort, counter, progressMax);
  if (progress) *progress = counter & 0xFFFF;
  return 0;
}

extern "C" int WINAPI SendBuffer(const BYTE* bytes, int length, int port) {
  if (g_poly.playing || !bytes || length <= 0 || !PortStream(port)) return 0;
  for (const auto& f : SplitSendBuffer(bytes, static_cast<size_t>(length))) Flush(port, f);
  return 0;
}

extern "C" int WINAPI WaitExec(int) {
  Sleep(100);
  return 0;
}
