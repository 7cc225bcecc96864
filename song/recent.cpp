#include "recent.h"

#include <direct.h>

#include <cstdio>
#include <cstring>

#include "appglobals.h"
#include "inifile.h"

std::string RecentFileKey(int n) {
  char key[16];
  std::snprintf(key, sizeof key, "LastOpen%d", n);
  return key;
}

std::string RecentFile(int n) {
  return IniGetString(kFilesSection, RecentFileKey(n).c_str(), "", kRecentPathSize);
}

void AddRecentFile(const char* path) {
  if (!path || !*path) return;
  // A path the list cannot read back whole would open another file.
  if (std::strlen(path) >= static_cast<size_t>(kRecentPathSize)) return;
  if (RecentFile(1) == path) return;
  for (int n = kRecentFileCount; n > 1; --n)
    IniWriteString(kFilesSection, RecentFileKey(n).c_str(), RecentFile(n - 1).c_str());
  IniWriteString(kFilesSection, RecentFileKey(1).c_str(), path);
}

std::string RecentMenuText(int n, const char* path) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "&%i ", n);
  return std::string(prefix) + (path ? path : "");
}

namespace {

// The item type, not GetMenuState: for a popup item that gives the popup's
// item count in bits 8-15, which can look like MF_SEPARATOR. An empty menu
// counts as ending in one, a separator there would stand alone.
bool LastItemIsSeparator(HMENU menu) {
  int count = GetMenuItemCount(menu);
  if (count <= 0) return true;
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE;
  if (!GetMenuItemInfoA(menu, count - 1, TRUE, &info)) return false;
  return (info.fType & MFT_SEPARATOR) != 0;
}

}  // namespace

void BuildRecentFilesMenu(HWND activeChild, HMENU menu, int useGivenMenu) {
  if (!useGivenMenu) menu = g_app.frame ? GetMenu(g_app.frame) : nullptr;
  if (!menu) return;
  for (int n = 1; n <= kRecentFileCount; ++n)
    DeleteMenu(menu, kRecentFileFirstId + n - 1, MF_BYCOMMAND);

  if (RecentFile(1).empty()) return;
  // A maximized child puts its system menu in front of the File menu.
  int position = (activeChild && IsZoomed(activeChild)) ? 1 : 0;
  HMENU file = GetSubMenu(menu, position);
  if (!file) return;

  if (!LastItemIsSeparator(file)) AppendMenuA(file, MF_SEPARATOR, 0, nullptr);

  for (int n = 1; n <= kRecentFileCount; ++n) {
    std::string path = RecentFile(n);
    if (path.empty()) break;
    AppendMenuA(file, MF_STRING, kRecentFileFirstId + n - 1, RecentMenuText(n, path.c_str()).c_str());
  }
}

PathDirectory SplitPathDirectory(const char* path) {
  PathDirectory parts;
  if (!path) return parts;
  // Walk by characters: the second byte of a double-byte character can be a
  // backslash (as in 表) and must not be taken for a separator.
  size_t colon = std::string::npos;
  size_t backslash = std::string::npos;
  for (size_t i = 0; path[i]; ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByte(c) && path[i + 1]) {
      ++i;
      continue;
    }
    if (c == ':') colon = i;
    if (c == '\\') backslash = i;
  }
  if (colon != std::string::npos) {
    parts.hasDrive = true;
    parts.drive.assign(path, colon + 1);
  }
  if (backslash != std::string::npos) {
    parts.hasDirectory = true;
    parts.directory.assign(path, backslash);
  }
  return parts;
}

namespace {

// Drive number for _chdrive (A = 1), 0 when the text names no drive letter.
int DriveNumber(const std::string& drive) {
  if (drive.size() != 2) return 0;
  char c = drive[0];
  if (c >= 'a' && c <= 'z') return c - 'a' + 1;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 1;
  return 0;
}

}  // namespace

void SaveLastDirectory(const char* path, const char* keyName, int write) {
  PathDirectory parts = SplitPathDirectory(path);
  if (parts.hasDrive) {
    // A failing change is of no consequence: the dialog simply starts elsewhere.
    if (int drive = DriveNumber(parts.drive)) _chdrive(drive);
    if (write && keyName) IniWriteString(kFilesSection, keyName, parts.drive.c_str());
  }
  // "C:\x" leaves "C:", which is what the drive step stored; a directory too
  // long for the readers' buffers is not stored, a cut one would be wrong.
  if (parts.hasDirectory && parts.directory.size() < static_cast<size_t>(kRecentPathSize)) {
    SetCurrentDirectoryA(parts.directory.c_str());
    if (write && keyName) IniWriteString(kFilesSection, keyName, parts.directory.c_str());
  }
}
