#include "remotesend.h"

#include <cstring>

#include "appglobals.h"
#include "engine.h"
#include "midisend.h"
#include "settings.h"

size_t SysExLengthInBlock(const uint8_t* block, size_t size) {
  if (!block) return 0;
  const void* end = std::memchr(block, 0xF7, size);
  return end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - block) + 1 : 0;
}

bool RemotePortAccepted(WPARAM port, const int32_t* outPorts) {
  return port <= 3 && outPorts[port] != -1;
}

void SendRemoteSysEx(WPARAM port, LPARAM mapping) {
  HANDLE handle = reinterpret_cast<HANDLE>(mapping);
  if (!handle) return;
  if (void* view = MapViewOfFile(handle, FILE_MAP_ALL_ACCESS, 0, 0, 0)) {
    // The view's region is the mapping rounded up to whole pages; the search
    // must not run past it.
    MEMORY_BASIC_INFORMATION info = {};
    size_t size = VirtualQuery(view, &info, sizeof info) ? info.RegionSize : 0;
    size_t length = SysExLengthInBlock(static_cast<const uint8_t*>(view), size);
    if (length > 0 && length <= 0x7FFFFFFF && !g_app.portsUnavailable && g_engine.sendBuffer &&
        RemotePortAccepted(port, g_settings.outPorts))
      g_engine.sendBuffer(static_cast<const BYTE*>(view), static_cast<int>(length), static_cast<int>(port));
    UnmapViewOfFile(view);
  }
  CloseHandle(handle);
}

void SendRemoteShort(WPARAM packed) {
  const uint32_t w = static_cast<uint32_t>(packed);
  SendMidiNow(static_cast<int>(w >> 24), static_cast<int>((w >> 16) & 0xFF), static_cast<int>((w >> 8) & 0x7F),
              static_cast<int>(w & 0x7F));
}
