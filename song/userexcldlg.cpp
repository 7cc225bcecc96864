#include "filedlg.h"
#include "userexcldlg.h"

#include <cstdio>
#include <string>

#include "appglobals.h"
#include "recent.h"
#include "resource.h"
#include "userexcl.h"

namespace {

const char* const kTypes[] = {"ﾕｰｻﾞｰ ｴｸｽｸﾙｰｼﾌﾞ ﾌｧｲﾙ (*.REX)", "*.REX"};
constexpr char kInitialName[] = "*.REX";

// The record both dialogs fill: plain hook, the last user-exclusive folder.
struct UserExclDialog {
  explicit UserExclDialog(UINT titleId)
      : title(LoadAppString(titleId)),
        folder(LastDirectory(kLastUserExclDirectoryKey)),
        types(FileTypeList({kTypes[0], kTypes[1]})) {}
  void Fill(OPENFILENAMEA& ofn, HWND owner, char* path, DWORD extraFlags) const {
    FileDialogSetup setup;
    setup.owner = owner;
    setup.filter = types.c_str();
    setup.path = path;
    setup.title = title.c_str();
    setup.initialDir = folder.c_str();
    setup.extraFlags = extraFlags;
    FillFileDialog(ofn, setup);
  }
  std::string title, folder, types;
};

}  // namespace

int SaveUserExclFile(HWND owner, HGLOBAL image, DWORD byteCount) {
  const UserExclDialog dialog(IDS_USEREXCL_SAVE_TITLE);
  char path[kFileDialogPathSize];
  std::snprintf(path, sizeof path, "%s", kInitialName);
  for (;;) {
    OPENFILENAMEA ofn;
    dialog.Fill(ofn, owner, path, 0);
    if (!GetSaveFileNameA(&ofn)) return 0;
    const std::string chosen = UserExclFileName(path);
    switch (QueryOverwrite(chosen.c_str())) {
      case kOverwriteYes:
        // 0 after message 3 or 4: nothing, or not all, was written.
        return SaveUserExclToFile(owner, chosen.c_str(), image, byteCount);
      case kOverwriteAnother:
        std::snprintf(path, sizeof path, "%s", chosen.c_str());
        continue;
      default:
        return 0;
    }
  }
}

int LoadUserExclFile(HWND owner, HGLOBAL image) {
  const UserExclDialog dialog(IDS_USEREXCL_LOAD_TITLE);
  char path[kFileDialogPathSize];
  std::snprintf(path, sizeof path, "%s", kInitialName);
  OPENFILENAMEA ofn;
  dialog.Fill(ofn, owner, path, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  if (!GetOpenFileNameA(&ofn)) return 0;
  // 0 after message 1, 2 or 1928; a short image is refused whole.
  return LoadUserExclFromFile(owner, UserExclFileName(path).c_str(), image);
}
