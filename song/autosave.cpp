#include "pathname.h"
#include "autosave.h"

#include <string>

#include "engine.h"
#include "settings.h"
#include "songfile.h"
#include "songmodel.h"

AutoSaveState g_autoSave;

namespace {

// An interval of 0 or less (a hand-edited settings file) would write the
// song on every message the frame handles.
constexpr DWORD kShortestInterval = 1000;

std::string BaseName(const std::string& path) {
  std::string name = path.substr(PathNameStart(path));
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace

int NextAutoSaveNumber(int n, int saveMax) {
  if (saveMax < 1) saveMax = 1;
  ++n;
  return n >= saveMax || n < 0 ? 0 : n;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::string fa = FullPath(a), fb = FullPath(b);
  if (lstrcmpiA(fa.c_str(), fb.c_str()) == 0) return true;
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!FileIdentity(fa, ia) || !FileIdentity(fb, ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

std::string AutoSaveFileName(int flags, const char* tmpPath, const char* songPath, int n) {
  std::string tmp = tmpPath ? tmpPath : "";
  std::string song = songPath ? songPath : "";
  std::string dir = tmp.substr(0, PathNameStart(tmp));
  std::string base = (flags & kAutoSaveSongName) ? BaseName(song) : std::string();
  if (base.empty()) base = "zktmp" + std::to_string(n);
  std::string name = dir + base + ".g36";
  // Never the song's own file: that would put unsaved edits over the copy the
  // user last saved.
  for (std::string mark = "~"; IsSameFile(name, song) && mark.size() <= 8; mark += "~")
    name = dir + base + mark + ".g36";
  return name;
}

bool AutoSaveSong(HWND frame) {
  if (!g_settings.autoSave) return false;
  int n = g_autoSave.nextNumber;
  if (n >= g_settings.saveMax) n = 0;   // SaveMax lowered since the last save
  g_autoSave.nextNumber = static_cast<uint16_t>(NextAutoSaveNumber(n, g_settings.saveMax));
  std::string name = AutoSaveFileName(g_settings.autoSave, g_settings.tmpPath, g_song.fileName, n);
  UpdateSongSize(frame);
  return WriteSongFile(frame, name.c_str()) == kWriteOk;
}

bool RunAutoSave(HWND frame, DWORD now) {
  static bool running = false;
  // A failed write shows a message box, whose loop brings the frame back
  // here; that must not start another save.
  if (running || !g_settings.autoSave || !g_engine.checkPlaying || g_engine.checkPlaying() != 0)
    return false;
  if (!g_autoSave.clockStarted) {
    g_autoSave.clockStarted = true;
    g_autoSave.lastTick = now;
    return false;
  }
  DWORD interval = static_cast<DWORD>(g_settings.saveInterval);
  if (g_settings.saveInterval < static_cast<int32_t>(kShortestInterval)) interval = kShortestInterval;
  // Unsigned difference: right across the tick count's wrap.
  if (now - g_autoSave.lastTick < interval) return false;
  g_autoSave.lastTick = now;
  running = true;
  AutoSaveSong(frame);
  running = false;
  return true;
}
