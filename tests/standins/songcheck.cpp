#include "songcheck.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "songfile.h"

namespace {
const char kSignature[32] = "HALVERSTROMMA CANTORELLE ZKP3.0";
}

std::string DescribeSongFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "missing";
  std::vector<uint8_t> bytes(GetFileSize(file, nullptr));
  DWORD got = 0;
  bool read = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                                got == bytes.size());
  CloseHandle(file);
  if (!read || bytes.size() < sizeof(SongHeader) || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
    return "damaged";
  uint16_t count = 0;
  std::memcpy(&count, bytes.data() + offsetof(SongHeader, trackCount), sizeof count);
  int tracks = count ? count : 18;
  std::vector<StoredTrack> stored(tracks);
  if (!FindStoredTracks(bytes.data(), bytes.size(), tracks, stored.data())) return "damaged";
  // Nothing follows the last track.
  const StoredTrack& last = stored.back();
  if (last.offset + kTrackHeaderFileSize + last.eventBytes != bytes.size()) return "damaged";
  return "song " + std::to_string(tracks);
}

void KeepCopy(const std::string& path) {
  char target[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("ZK_STANDIN_COPY", target, sizeof target);
  if (n == 0 || n >= sizeof target) return;
  CopyFileA(path.c_str(), target, FALSE);
}
