#include "playlist.h"

#include <windows.h>

#include <cstring>

PlaylistState g_playlist;

namespace {

constexpr char kHeader[] = "; LoopcastFiles";
constexpr size_t kHeaderLength = sizeof kHeader - 1;

bool IsLineEnd(unsigned char c) { return c == 0 || c == 0x1A || c == '\r' || c == '\n'; }

// Index of the last "\" or "/" (npos when none). Code page 932 trail bytes
// can be "\", so lead bytes are stepped over.
size_t LastSlash(const std::string& path) {
  size_t slash = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByteEx(932, c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/') slash = i;
  }
  return slash;
}

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

void ResetList() {
  PlaylistState& list = g_playlist;
  list.entries.clear();
  list.total = 0;
  list.current = 0;
  list.repeat = true;
  list.busy = false;
  list.passSongs = 0;
  list.failures = 0;
}

}  // namespace

bool ParsePlaylist(const char* data, size_t size) {
  ResetList();
  PlaylistState& list = g_playlist;
  if (!data || size < kHeaderLength || _strnicmp(data, kHeader, kHeaderLength) != 0) {
    list.entries.push_back(PlaylistEntry{});
    return false;
  }
  size_t pos = 0;
  while (pos < size && list.entries.size() < static_cast<size_t>(kPlaylistCapacity)) {
    PlaylistEntry entry{};
    size_t length = 0;
    for (; pos < size && !IsLineEnd(static_cast<unsigned char>(data[pos])); ++pos) {
      unsigned char c = static_cast<unsigned char>(data[pos]);
      if (c < 0x20) continue;
      if (length + 1 < sizeof entry.text)
        entry.text[length++] = static_cast<char>(c);
      else
        entry.tooLong = true;
    }
    while (pos < size && IsLineEnd(static_cast<unsigned char>(data[pos]))) ++pos;
    if (length == 0 && !entry.tooLong) continue;
    if (!list.entries.empty() && !entry.tooLong) {
      if (std::strcmp(entry.text, "; repeat no") == 0) list.repeat = false;
      if (std::strcmp(entry.text, "; repeat yes") == 0) list.repeat = true;
    }
    list.entries.push_back(entry);
  }
  list.total = static_cast<int>(list.entries.size()) - 1;
  list.current = 1;
  return list.total >= 1;
}

bool ReadPlaylist(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE) size = 0;
  // Longer than the table could ever hold: read what fits.
  if (size > kPlaylistMaxFile) size = kPlaylistMaxFile;
  std::string image(size, '\0');
  DWORD got = 0;
  if (size && !ReadFile(file, image.data(), size, &got, nullptr)) got = 0;
  CloseHandle(file);
  bool result = ParsePlaylist(image.data(), got);
  g_playlist.path = path;
  return result;
}

ListStep NextListSong() {
  PlaylistState& list = g_playlist;
  // One pass to the end, the wrap, and one whole pass after it at most.
  for (int looked = 0; looked <= 2 * list.total + 2; ++looked) {
    if (list.current < 1) list.current = 1;
    if (list.current > list.total) {
      bool nonePlayed = list.passSongs == 0 || list.failures >= list.passSongs;
      if (!list.repeat || nonePlayed) return {ListAction::kClose, {}};
      list.current = 1;
      list.passSongs = 0;
      list.failures = 0;
    }
    const PlaylistEntry& entry = list.entries[list.current++];
    if (entry.tooLong || entry.text[0] == '\0' || entry.text[0] == ';') continue;
    ++list.passSongs;
    return {ListAction::kPlay, entry.text};
  }
  return {ListAction::kClose, {}};
}

void ReportListSong(bool read) {
  if (!read) ++g_playlist.failures;
}

std::string ListSongPath(const std::string& entry) {
  if (HasDrive(entry) || entry.empty() || entry[0] == '\\' || entry[0] == '/') return entry;
  size_t slash = LastSlash(g_playlist.path);
  if (slash != std::string::npos) return g_playlist.path.substr(0, slash + 1) + entry;
  if (HasDrive(g_playlist.path)) return g_playlist.path.substr(0, 2) + entry;
  return entry;
}

void SetDirFromPath(const char* path) {
  std::string p = path ? path : "";
  if (HasDrive(p)) SetCurrentDirectoryA(p.substr(0, 2).c_str());
  size_t slash = LastSlash(p);
  if (slash == std::string::npos) return;
  std::string dir = p.substr(0, slash);
  // "C:\song.g36" and "\song.g36" name the root, not the drive's current folder.
  if (dir.empty() || (dir.size() == 2 && HasDrive(dir))) dir += '\\';
  SetCurrentDirectoryA(dir.c_str());
}
