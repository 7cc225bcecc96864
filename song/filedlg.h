// What every file dialog of the program shares: the shell test that picks
// old-style dialogs, the plain hook, the overwrite question and the dialog
// record filled the same way each time.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

// Room for a chosen path in every file dialog.
constexpr DWORD kFileDialogPathSize = MAX_PATH;

// 0 on Windows 95, 1 on Windows NT 4.0 and later, 129 on Windows NT 3.x;
// bit 7 asks for old-style dialogs (no explorer style, no template).
int IsNewShell();
// The same from a version word (major in the low byte, minor in the next,
// bit 31 clear on NT).
int IsNewShellFor(DWORD version);
constexpr int kOldShellBit = 0x80;
inline bool OldStyleDialogs() { return (IsNewShell() & kOldShellBit) != 0; }

// Hook of every plain file dialog: centres the box on the screen.
extern "C" UINT_PTR CALLBACK FileHookDefaultProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// 0 when path does not exist or the user answered Yes, 1 for No (ask for
// another name), 2 for Cancel. String 19 with the path, Yes/No/Cancel.
int QueryOverwrite(const char* path);
constexpr int kOverwriteYes = 0;
constexpr int kOverwriteAnother = 1;
constexpr int kOverwriteCancel = 2;

// A file dialog's record: owner, type list, the caller's path buffer of
// kFileDialogPathSize, title, folder and hook; explorer style with long
// names and the read-only box hidden, unless the shell wants old-style
// dialogs (then template flags are dropped too).
struct FileDialogSetup {
  HWND owner = nullptr;
  const char* filter = nullptr;   // pairs, double-zero ended
  DWORD filterIndex = 1;
  char* path = nullptr;           // in: initial name; out: the choice
  const char* title = nullptr;
  const char* initialDir = nullptr;
  LPOFNHOOKPROC hook = FileHookDefaultProc;
  const char* templateName = nullptr;  // added controls (explorer style only)
  DWORD extraFlags = 0;                // e.g. OFN_FILEMUSTEXIST
  LPARAM data = 0;
};
void FillFileDialog(OPENFILENAMEA& ofn, const FileDialogSetup& setup);

// Type lists are written with embedded zeros: "a\0b\0" pairs.
std::string FileTypeList(std::initializer_list<const char*> parts);

// The folder of [Files] key (empty when none is stored).
std::string LastDirectory(const char* key);
