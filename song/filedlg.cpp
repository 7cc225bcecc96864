#include "filedlg.h"

#include "appglobals.h"
#include "inifile.h"
#include "msgbox.h"
#include "resource.h"
#include "shellutil.h"

namespace {

constexpr DWORD kNtBit = 0x80000000;

}  // namespace

int IsNewShellFor(DWORD version) {
  const int major = static_cast<int>(version & 0xFF);
  if (version & kNtBit) return 0;  // Windows 95
  return major < 4 ? 1 | kOldShellBit : 1;
}

int IsNewShell() { return IsNewShellFor(GetVersion()); }

extern "C" UINT_PTR CALLBACK FileHookDefaultProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return 0;
  // An explorer-style hook is a child of the box it belongs to.
  HWND box = (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) ? GetParent(dialog) : dialog;
  CentreWindowOver(box, nullptr);
  return 1;
}

int QueryOverwrite(const char* path) {
  if (!path || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return kOverwriteYes;
  switch (ShowMessageById(nullptr, MB_YESNOCANCEL | MB_ICONQUESTION, IDS_QUERY_OVERWRITE, path)) {
    case IDYES: return kOverwriteYes;
    case IDNO: return kOverwriteAnother;
    default: return kOverwriteCancel;
  }
}

void FillFileDialog(OPENFILENAMEA& ofn, const FileDialogSetup& s) {
  ZeroMemory(&ofn, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = s.owner;
  ofn.hInstance = AppInstance();
  ofn.lpstrFilter = s.filter;
  ofn.nFilterIndex = s.filterIndex;
  ofn.lpstrFile = s.path;
  ofn.nMaxFile = kFileDialogPathSize;
  ofn.lpstrTitle = s.title;
  ofn.lpstrInitialDir = s.initialDir && *s.initialDir ? s.initialDir : nullptr;
  ofn.lpfnHook = s.hook;
  ofn.lCustData = s.data;
  ofn.Flags = OFN_LONGNAMES | OFN_HIDEREADONLY | OFN_ENABLEHOOK | s.extraFlags;
  if (!OldStyleDialogs()) {
    ofn.Flags |= OFN_EXPLORER;
    if (s.templateName) {
      ofn.Flags |= OFN_ENABLETEMPLATE;
      ofn.lpTemplateName = s.templateName;
    }
  }
}

std::string FileTypeList(std::initializer_list<const char*> parts) {
  std::string list;
  for (const char* p : parts) {
    list += p;
    list.push_back('\0');
  }
  list.push_back('\0');
  return list;
}

std::string LastDirectory(const char* key) { return IniGetString("Files", key, "", kFileDialogPathSize); }
