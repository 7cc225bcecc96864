#include "aboutcmd.h"

#include <cstdio>

#include "appglobals.h"
#include "inifile.h"
#include "resource.h"
#include "settings.h"
#include "shellutil.h"
#include "versiontext.h"

namespace {

std::string OwnFilePath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

void AddLibraries(char* text) {
  for (const std::string& name : ConfiguredLibraries()) {
    std::string path = LibraryFilePath(name);
    // A full block takes no more entries.
    if (!BuildVersionText(text, kVersionTextSize, name.c_str(), path.c_str())) return;
  }
}

// The version list in a new block; null when there is no memory for it.
HGLOBAL BuildVersionList() {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, kVersionTextSize);
  if (!block) return nullptr;
  char* text = static_cast<char*>(GlobalLock(block));
  if (!text) {
    GlobalFree(block);
    return nullptr;
  }
  std::string own = OwnFilePath();
  if (BuildVersionText(text, kVersionTextSize, own.c_str())) AddLibraries(text);
  GlobalUnlock(block);
  return block;
}

void SetAboutCaption(HWND dialog) {
  VersionValue product = ReadVersionString(OwnFilePath().c_str(), "ProductName");
  if (!product.found) return;
  SetWindowTextA(dialog, (product.text + LoadAppString(IDS_ABOUT_CAPTION)).c_str());
}

void ShowVersionList(HWND dialog, HGLOBAL block) {
  if (!block) return;
  const char* text = static_cast<const char*>(GlobalLock(block));
  if (!text) return;
  SetDlgItemTextA(dialog, IDC_ABOUT_TEXT, text);
  GlobalUnlock(block);
}

INT_PTR OnAboutInit(HWND dialog, HGLOBAL block) {
  CentreWindowOverFrame(dialog);
  SetAboutCaption(dialog);
  ShowVersionList(dialog, block);
  SetDlgItemTextA(dialog, IDC_ABOUT_SYSTEM, SystemVersionLine(GetVersion()).c_str());
  return TRUE;
}

INT_PTR OnAboutCommand(HWND dialog, UINT id) {
  if (id != IDOK && id != IDCANCEL) return FALSE;
  EndDialog(dialog, 0);
  return TRUE;
}

}  // namespace

std::string SystemVersionLine(DWORD version) {
  const unsigned major = LOBYTE(LOWORD(version));
  const unsigned minor = HIBYTE(LOWORD(version));
  const unsigned build = HIWORD(version);
  char line[128];
  if (!(version & 0x80000000)) {
    std::snprintf(line, sizeof line, LoadAppString(IDS_SYSTEM_NT).c_str(), major, minor, build);
  } else if (major >= 4) {
    std::snprintf(line, sizeof line, LoadAppString(IDS_SYSTEM_95).c_str(), major, minor);
  } else {
    std::snprintf(line, sizeof line, LoadAppString(IDS_SYSTEM_WIN32S).c_str(), major, minor, build & 0x7FFF);
  }
  return line;
}

std::vector<std::string> ConfiguredLibraries() {
  std::vector<std::string> names;
  auto add = [&names](const char* section, const char* key, const char* def) {
    std::string name = IniGetString(section, key, def, kPathTextSize);
    if (!name.empty()) names.push_back(name);
  };
  char key[16];
  for (int n = 0; n < 8; ++n) {
    std::snprintf(key, sizeof key, "Import%d", n);
    add("Filter", key, "");
  }
  add("Play", "Applet", "ZKPOLY.DLL");
  for (int n = 0; n < 16; ++n) {
    std::snprintf(key, sizeof key, "Controlor%d", n);
    add("Plugin", key, "");
  }
  add("PlayMon", "Applet", "");
  add("Splash", "Applet", "");
  add("Splash", "PApplet", "");
  return names;
}

std::string LibraryFilePath(const std::string& name) {
  char path[MAX_PATH] = "";
  if (HMODULE loaded = GetModuleHandleA(name.c_str())) {
    DWORD n = GetModuleFileNameA(loaded, path, sizeof path);
    if (n > 0 && n < sizeof path) return path;
  }
  // Searched as the loader searches: the program's folder first; a name
  // without an extension is a ".dll".
  char* filePart = nullptr;
  DWORD n = SearchPathA(nullptr, name.c_str(), ".dll", sizeof path, path, &filePart);
  if (n > 0 && n < sizeof path) return path;
  return name;
}

extern "C" INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnAboutInit(dialog, reinterpret_cast<HGLOBAL>(lParam));
    case WM_COMMAND:
      return OnAboutCommand(dialog, LOWORD(wParam));
  }
  return FALSE;
}

void AboutCommand(HWND frame) {
  HGLOBAL block = BuildVersionList();
  DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_ABOUT), frame, AboutDlgProc,
                  reinterpret_cast<LPARAM>(block));
  if (block) GlobalFree(block);
}
