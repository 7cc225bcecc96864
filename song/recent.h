// The five most recently opened song files and the last directory of each
// kind of file dialog, kept under [Files] of the settings file.
#pragma once
#include <windows.h>

#include <string>

inline constexpr const char* kFilesSection = "Files";
inline constexpr const char* kLastDataDirectoryKey = "LastDataDirectory";
inline constexpr const char* kLastPartDirectoryKey = "LastPartDirectory";
inline constexpr const char* kLastUserExclDirectoryKey = "LastUserExclDirectory";

inline constexpr int kRecentFileCount = 5;
// Entries are read back into buffers of this size, terminator included.
inline constexpr int kRecentPathSize = 260;
// Menu id of entry n (1-based) is kRecentFileFirstId + n - 1.
inline constexpr UINT kRecentFileFirstId = 2360;

// Key name of entry n, 1 to kRecentFileCount ("LastOpen1" ..).
std::string RecentFileKey(int n);
// Entry n as stored; empty when missing.
std::string RecentFile(int n);

// Puts path at the head of the list unless it already is the head. Only the
// head is compared, so a path further down can stand in the list twice.
void AddRecentFile(const char* path);

// Text of menu item n for path: "&n path".
std::string RecentMenuText(int n, const char* path);

// Rebuilds the list entries at the end of the File menu. When useGivenMenu is
// 0 the frame's own menu is used instead of menu. The File menu is submenu 1
// while activeChild is maximized (its system menu then stands at 0).
void BuildRecentFilesMenu(HWND activeChild, HMENU menu, int useGivenMenu);

// The parts of a path that the last-directory keys hold.
struct PathDirectory {
  bool hasDrive = false;
  std::string drive;      // up to and including the last colon
  bool hasDirectory = false;
  std::string directory;  // up to, not including, the last backslash
};
PathDirectory SplitPathDirectory(const char* path);

// Makes the drive and directory of path current and, when write is nonzero,
// stores the directory (or the drive alone, for a file in a drive's root)
// under [Files] keyName. A bare file name changes nothing.
void SaveLastDirectory(const char* path, const char* keyName, int write);
