#include "savedlg.h"

#include <cstring>
#include <vector>

#include "appglobals.h"
#include "filedlg.h"
#include "pathname.h"
#include "stepshared.h"
#include "recent.h"
#include "resource.h"
#include "settings.h"
#include "shellutil.h"
#include "songmodel.h"

namespace {

constexpr int kBackupBox = 1901;
constexpr int kOptionsButton = 1900;
constexpr int kSaveSome = 1900;   // dialog 143: tracks 1-18 only
constexpr int kSaveAll = 99;
constexpr int kTypeList = 1136;   // the old dialog's type list
constexpr int kFirstTrackBeyond18 = 19;
constexpr size_t kTypeListBytes = 4096;
constexpr size_t kExtensionBytes = 64;

// What the open dialog works with; one Save As runs at a time.
struct SaveDialogState {
  FilterTypeMap map;
};
SaveDialogState g_save;

void TakeBackupBox(HWND hook) { g_song.backupSwitch = IsDlgButtonChecked(hook, kBackupBox) == BST_CHECKED; }

// The old dialog gets the backup box, a frame and the options button itself,
// beside its Cancel button.
void AddOldStyleControls(HWND dialog) {
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  const int line = tm.tmHeight + tm.tmExternalLeading, w = tm.tmAveCharWidth;
  RECT cancel;
  GetWindowRect(GetDlgItem(dialog, IDCANCEL), &cancel);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&cancel), 2);
  const int x = cancel.left;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  const std::string box = LoadAppString(IDS_MAKE_BACKUP);
  HWND controls[] = {
      CreateWindowA("BUTTON", box.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, x - 2 * w, 11 * line,
                    17 * w, line + 2, dialog, reinterpret_cast<HMENU>(kBackupBox), AppInstance(), nullptr),
      CreateWindowA("BUTTON", "???", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, x - 2 * w, 5 * line, 17 * w, 6 * line,
                    dialog, nullptr, AppInstance(), nullptr),
      CreateWindowA("BUTTON", "Option...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, 5 * line, 17 * w,
                    6 * line, dialog, reinterpret_cast<HMENU>(kOptionsButton), AppInstance(), nullptr),
  };
  for (HWND c : controls)
    if (c) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
}

void OnHookInit(HWND hook) {
  if (OldStyleDialogs()) {
    CentreWindowOver(hook, nullptr);
    AddOldStyleControls(hook);
  } else {
    CentreWindowOver(GetParent(hook), nullptr);
  }
  if (g_settings.makeBackup) CheckDlgButton(hook, kBackupBox, BST_CHECKED);
}

void OnOptions(HWND hook) {
  if (g_song.saveType == 0) {
    g_stepShared.currentDialogId = IDD_SAVE_OPTIONS;
    DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_SAVE_OPTIONS), hook, SaveOptionDlgProc, 0);
    return;
  }
  const int slot = g_song.saveType - 1;
  if (slot < kFilterSlots && g_exportSlots[slot].expFilterOption)
    g_exportSlots[slot].expFilterOption(g_app.frame, hook);
}

void OnNotify(HWND hook, const OFNOTIFYA* notify) {
  switch (notify->hdr.code) {
    case CDN_TYPECHANGE:
      g_song.saveType = SaveTypeOfListType(g_save.map, static_cast<int>(notify->lpOFN->nFilterIndex));
      break;
    case CDN_FILEOK:
      TakeBackupBox(hook);
      break;
  }
}

UINT g_listSelectionMessage = 0;

bool SongExtensionChoice() { return g_song.trackWriteMode || g_song.orgTrack == 18; }

}  // namespace

int SaveTypeOfListType(const FilterTypeMap& map, int listType) {
  if (listType < 1 || listType > map.count) return 0;
  const int slot = map.slot[listType - 1];
  return slot < 0 ? 0 : slot + 1;
}

bool HasSongExtension(const std::string& path) {
  const std::string ext = LoadAppString(IDS_SONG_EXT);
  return path.size() > ext.size() && path.size() - ext.size() >= PathNameStart(path) &&
         lstrcmpiA(path.c_str() + path.size() - ext.size(), ext.c_str()) == 0;
}

std::string PathWithSaveExtension(HWND frame, const std::string& chosen, int saveType) {
  const int slot = saveType - 1;
  if (slot >= 0 && slot < kFilterSlots && g_exportSlots[slot].makeExpFile &&
      g_exportSlots[slot].setExpFileExtension) {
    char extension[kExtensionBytes] = {};
    if (HGLOBAL h = SongEntry(kHeaderEntry)) {
      void* header = GlobalLock(h);
      g_exportSlots[slot].setExpFileExtension(frame, extension, header);
      GlobalUnlock(h);
    }
    extension[kExtensionBytes - 1] = '\0';
    return ReplacePathExtension(chosen, extension);
  }
  return ReplacePathExtension(chosen, LoadAppString(SongExtensionChoice() ? IDS_SONG_EXT18 : IDS_SONG_EXT));
}

extern "C" UINT_PTR CALLBACK FileSaveHookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    OnHookInit(hook);
  } else if (message == WM_NOTIFY) {
    OnNotify(hook, reinterpret_cast<const OFNOTIFYA*>(lParam));
  } else if (message == WM_COMMAND) {
    const UINT id = LOWORD(wParam);
    if (id == IDOK || id == kBackupBox) TakeBackupBox(hook);
    if (id == kOptionsButton) OnOptions(hook);
  } else if (g_listSelectionMessage && message == g_listSelectionMessage && wParam == kTypeList) {
    g_song.saveType = SaveTypeOfListType(g_save.map, LOWORD(lParam) + 1);
  }
  return 0;
}

INT_PTR CALLBACK SaveOptionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreWindowOver(dialog, GetParent(dialog));
      const bool few = g_song.trackCount < kFirstTrackBeyond18;
      EnableWindow(GetDlgItem(dialog, kSaveSome), TRUE);
      EnableWindow(GetDlgItem(dialog, kSaveAll), few ? FALSE : TRUE);
      CheckRadioButton(dialog, kSaveAll, kSaveSome, few || g_song.trackWriteMode ? kSaveSome : kSaveAll);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        g_song.trackWriteMode = IsDlgButtonChecked(dialog, kSaveSome) == BST_CHECKED;
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

int SongSaveAsDialog(HWND owner) {
  if (!g_listSelectionMessage) g_listSelectionMessage = RegisterWindowMessageA(LBSELCHSTRINGA);
  const std::string description = LoadAppString(IDS_SAVE_TYPE_OWN);
  const std::string folder = LastDirectory(kLastDataDirectoryKey);
  for (;;) {
    std::vector<char> types(kTypeListBytes);
    g_save = SaveDialogState{};
    BuildExportTypeList(types.data(), types.size(), description.c_str(), "*.G36", &g_save.map);
    char path[kFileDialogPathSize] = "*.G36";
    FileDialogSetup setup;
    // A dialog needs a window of ours above it, the frame when no editor is current.
    setup.owner = owner && IsWindow(owner) ? owner : g_app.frame;
    setup.filter = types.data();
    setup.path = path;
    setup.initialDir = folder.c_str();
    setup.hook = FileSaveHookProc;
    setup.templateName = MAKEINTRESOURCEA(IDD_SAVE_TEMPLATE);
    OPENFILENAMEA ofn;
    FillFileDialog(ofn, setup);

    // A cancelled dialog leaves the choices of the last save in place.
    const int savedType = g_song.saveType, savedMode = g_song.trackWriteMode;
    g_song.saveType = 0;
    g_song.trackWriteMode = g_song.trackCount <= 18 ? 1 : 0;
    g_app.modalFlag = 1;
    const BOOL chosen = GetSaveFileNameA(&ofn);
    g_app.modalFlag = 0;
    const std::string target = chosen ? PathWithSaveExtension(g_app.frame, path, g_song.saveType) : std::string();
    const int answer = chosen ? QueryOverwrite(target.c_str()) : kOverwriteCancel;
    if (answer == kOverwriteAnother) continue;
    if (answer == kOverwriteCancel) {
      g_song.saveType = savedType;
      g_song.trackWriteMode = savedMode;
      return 0;
    }
    if (g_song.saveType == 0) SaveLastDirectory(target.c_str(), kLastDataDirectoryKey, 1);
    lstrcpynA(g_song.fileName, target.c_str(), sizeof g_song.fileName);
    if (SongDocument* doc = LockSongDocument(g_app.frame)) {
      doc->word1 = 0;
      UnlockSongDocument(g_app.frame);
    }
    return 1;
  }
}
