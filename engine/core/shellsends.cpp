// Sends outside play: System Exclusive blocks, GS and MT-32 set-up, raw bytes.
#include <algorithm>
#include <cstring>

#include <zk/song.h>

#include "engineshell.h"
#include "sysexbuild.h"

namespace {

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

}  // namespace

void FlushSend(int port, const SendFlush& f) {
  int slot = PortSlot(port);
  if (f.bytes.empty() || slot < 0) return;
  g_shell.sendBusy = true;
  if (f.bytes[0] != 0xF0) {
    for (uint32_t m : ShortMessagesOf(f)) SendShortNow(port, m);
  } else {
    OutSendExclusive(slot, f.bytes.data(), f.bytes.size());
  }
  g_shell.lastExclSend = GetTickCount();
  g_shell.sendBusy = false;
}

namespace {

// Flushes a list with the progress step and the pause after every message.
void SendAll(HWND dialog, int port, const std::vector<SendFlush>& list, int& counter, int maximum) {
  for (const auto& f : list) {
    FlushSend(port, f);
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

extern "C" int WINAPI ResetMT32(int port1, int port2) {
  int ports[2] = {port1, port2};
  for (int i = 0; i < 2; ++i) {
    if (i == 1 && port2 == port1) break;
    if (PortSlot(ports[i]) < 0) continue;
    for (const auto& f : BuildMT32Reset()) FlushSend(ports[i], f);
    for (int k = 0; k < 5; ++k) Sleep(100);
  }
  return 0;
}

extern "C" int WINAPI GSSendAll(HWND dialog, HGLOBAL image, int port, int* progress, int progressMax,
                                int) {
  if (!image || PortSlot(port) < 0) return 0;
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
  if (PortSlot(port) >= 0) SendAll(dialog, port, sends.port, counter, progressMax);
  if (PortSlot(laPort) >= 0) SendAll(dialog, laPort, sends.laPort, counter, progressMax);
  if (progress) *progress = counter & 0xFFFF;
  return 0;
}

extern "C" int WINAPI SendBuffer(const BYTE* bytes, int length, int port) {
  if ((g_shell.playing && !kEngineIdentity.sendWhilePlaying) || !bytes || length <= 0 || PortSlot(port) < 0) return 0;
  for (const auto& f : SplitSendBuffer(bytes, static_cast<size_t>(length))) FlushSend(port, f);
  return 0;
}

extern "C" int WINAPI WaitExec(int) {
  Sleep(100);
  return 0;
}
