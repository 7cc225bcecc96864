// The File Open dialog with its hook and load options, the title preview of
// the selected file, and the song memo.
#include "opendlg.h"

#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "filedlg.h"
#include "filterslots.h"
#include "stepshared.h"
#include "recent.h"
#include "resource.h"
#include "shellutil.h"
#include "songfile.h"
#include "songmodel.h"

const char kOpenTypeDescription[] = "G36,MIDIﾌｧｲﾙ(*.G36;*.Q36;*.ZKP;*.MID;*.STD;*.QTB)";
const char kOpenTypePattern[] = "*.G36;*.Q36;*.ZKP;*.MID;*.STD;*.QTB";

namespace {

constexpr size_t kTitleOffset = 32;
constexpr size_t kTitleBytes = 64;
constexpr size_t kMemoOffset = 160;
constexpr size_t kMemoBytes = 360;
constexpr size_t kTypeListBytes = 4096;
// The old style reads at most this much of the name box for its preview.
constexpr int kOldStyleNameChars = 50;
// The filter export that makes the load options available for its type.
constexpr int kOptionsOrdinal = 9;
constexpr int kKeptTracks = 18;

// The older kind of song file: "ZKM-PC98V2.0(C)HALVERSTROMMA\r\n" and two 0 bytes.
const char kOldSongSignature[32] = "ZKM-PC98V2.0(C)HALVERSTROMMA\r\n";

bool IsExplorerHook(HWND hook) { return (GetWindowLongA(hook, GWL_STYLE) & WS_CHILD) != 0; }

// The common dialog box itself: an explorer-style hook is a child of it.
HWND DialogBoxOf(HWND hook) { return IsExplorerHook(hook) && GetParent(hook) ? GetParent(hook) : hook; }

void EnableOptionsButton(HWND hook, DWORD filterIndex, const OPENFILENAMEA* ofn) {
  HWND button = GetDlgItem(hook, IDC_OPEN_OPTIONS);
  if (!button) return;
  const auto* map = ofn ? reinterpret_cast<const FilterTypeMap*>(ofn->lCustData) : nullptr;
  // Without the map of the list shown only the own type is known.
  const bool allowed = map ? OpenOptionsServeType(filterIndex, *map) : filterIndex == 1;
  EnableWindow(button, allowed);
}

void RunOpenOptions(HWND owner) {
  g_stepShared.currentDialogId = IDD_OPEN_OPTIONS;
  DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_OPEN_OPTIONS), owner, OpenOptionsDlgProc, 0);
}

// Old style: the box grows by half the file list's height; the title and the
// check box for loading from track 19 go into the new band.
void AddOldStyleControls(HWND box) {
  HWND list = GetDlgItem(box, lst1);
  RECT listRect{0, 0, 0, 100};
  if (list) {
    GetWindowRect(list, &listRect);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&listRect), 2);
  }
  const int extra = (listRect.bottom - listRect.top) / 2;
  RECT client, window;
  GetClientRect(box, &client);
  GetWindowRect(box, &window);
  SetWindowPos(box, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + extra,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  HFONT fixed = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
  HDC dc = GetDC(box);
  HGDIOBJ old = SelectObject(dc, fixed);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  const char label[] = "タイトル:";
  SIZE labelSize{};
  GetTextExtentPoint32A(dc, label, static_cast<int>(sizeof label - 1), &labelSize);
  SelectObject(dc, old);
  ReleaseDC(box, dc);

  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(box, GWLP_HINSTANCE));
  const int left = list ? listRect.left : 8;
  const int right = client.right - left;
  const int rowHeight = tm.tmHeight + 6;
  const int top = client.bottom + (extra - 2 * rowHeight - 4) / 2;
  HWND labelWnd = CreateWindowA("STATIC", label, WS_CHILD | WS_VISIBLE | SS_LEFT, left, top + 3, labelSize.cx,
                                tm.tmHeight, box, nullptr, instance, nullptr);
  HWND title = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL,
                               left + labelSize.cx + 4, top, right - left - labelSize.cx - 4, rowHeight, box,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_OPEN_TITLE)), instance, nullptr);
  for (HWND w : {labelWnd, title})
    if (w) SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(fixed), FALSE);

  // The check box stands left of Cancel's right edge, in the new band.
  RECT cancel{client.right - 100, 0, client.right - left, 0};
  if (HWND c = GetDlgItem(box, IDCANCEL)) {
    GetWindowRect(c, &cancel);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&cancel), 2);
  }
  const std::string text = LoadAppString(IDS_READ_FROM19);
  HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
  const int boxWidth = 140;
  HWND check = CreateWindowA("BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                             cancel.right - boxWidth, top + rowHeight + 4, boxWidth, rowHeight, box,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_READ_FROM19)), instance, nullptr);
  if (check) {
    if (dialogFont) SendMessageA(check, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
    EnableWindow(check, g_song.trackCount > kKeptTracks);
    SendMessageA(check, BM_SETCHECK, g_song.trackFileMode == 2 ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

// Old style: the name box's text, read as the file to preview. A bare name
// is looked for in the folder the dialog shows.
void PreviewFromNameBox(HWND box) {
  char name[kOldStyleNameChars + 1] = {};
  GetDlgItemTextA(box, edt1, name, sizeof name);
  if (!name[0]) return;
  HWND title = GetDlgItem(box, IDC_OPEN_TITLE);
  if (!title) return;
  std::string path = name;
  const bool absolute = std::strchr(name, ':') || name[0] == '\\';
  if (!absolute) {
    char folder[kFileDialogPathSize] = {};
    GetDlgItemTextA(box, stc1, folder, sizeof folder);
    // The folder static is a path only when the dialog shows it whole.
    if (folder[0] && std::strchr(folder, ':')) {
      std::string dir = folder;
      if (dir.back() != '\\') dir += '\\';
      if (GetFileAttributesA((dir + name).c_str()) != INVALID_FILE_ATTRIBUTES) path = dir + name;
    }
  }
  PreviewSongTitle(title, path.c_str());
}

// Old style, OK: the check box chooses loading from track 19.
void TakeOldStyleCheckBox(HWND box) {
  HWND check = GetDlgItem(box, IDC_READ_FROM19);
  if (!check) return;
  if (IsWindowEnabled(check) && SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED) {
    g_song.trackFileMode = 2;
    g_song.startTrack = kKeptTracks;
  } else if (g_song.trackFileMode == 2) {
    g_song.trackFileMode = 0;
  }
}

UINT_PTR OnNotify(HWND hook, const OFNOTIFYA* note) {
  switch (note->hdr.code) {
    case CDN_INITDONE:
      // The box has its final size only now.
      CentreWindowOverFrame(DialogBoxOf(hook));
      EnableOptionsButton(hook, note->lpOFN ? note->lpOFN->nFilterIndex : 1, note->lpOFN);
      break;
    case CDN_TYPECHANGE:
      EnableOptionsButton(hook, note->lpOFN ? note->lpOFN->nFilterIndex : 0, note->lpOFN);
      break;
    case CDN_SELCHANGE: {
      char path[kFileDialogPathSize] = {};
      const int length = static_cast<int>(
          SendMessageA(DialogBoxOf(hook), CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path)));
      if (length > 0 && length <= static_cast<int>(sizeof path)) {
        path[sizeof path - 1] = 0;
        if (HWND title = GetDlgItem(hook, IDC_OPEN_TITLE)) PreviewSongTitle(title, path);
      }
      break;
    }
  }
  return 0;
}

INT_PTR CALLBACK MemoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreWindowOverFrame(dialog);
      HWND edit = GetDlgItem(dialog, IDC_MEMO_TEXT);
      SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)), FALSE);
      char memo[kMemoBytes + 1] = {};
      if (HGLOBAL h = SongEntry(kHeaderEntry)) {
        if (const auto* header = static_cast<const SongHeader*>(GlobalLock(h))) {
          static_assert(offsetof(SongHeader, memo) == kMemoOffset && sizeof header->memo == kMemoBytes);
          std::memcpy(memo, header->memo, kMemoBytes);
          GlobalUnlock(h);
        }
      }
      SetWindowTextA(edit, memo);
      SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
      // The focus on OK, so that nothing of the memo is selected.
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

std::string SongTitleFromHead(const uint8_t* data, size_t size) {
  if (data && size >= kTitleOffset + kTitleBytes &&
      (std::memcmp(data, kSongSignature, sizeof kSongSignature) == 0 ||
       std::memcmp(data, kOldSongSignature, sizeof kOldSongSignature) == 0)) {
    return std::string(reinterpret_cast<const char*>(data) + kTitleOffset, kTitleBytes);
  }
  return std::string(kTitleBytes, ' ');
}

void PreviewSongTitle(HWND control, const char* path) {
  if (!path || !*path) return;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::vector<uint8_t> head(sizeof(SongHeader));
  size_t got = 0;
  while (got < head.size()) {
    DWORD n = 0;
    if (!ReadFile(file, head.data() + got, static_cast<DWORD>(head.size() - got), &n, nullptr) || n == 0) break;
    got += n;
  }
  CloseHandle(file);
  // Only what was read counts: a short file is no song.
  const std::string title = SongTitleFromHead(head.data(), got);
  SetWindowTextA(control, title.c_str());
}

bool OpenOptionsServeType(DWORD filterIndex, const FilterTypeMap& map) {
  if (filterIndex == 0 || filterIndex > static_cast<DWORD>(map.count)) return false;
  const int slot = map.slot[filterIndex - 1];
  if (slot < 0) return true;
  if (slot >= kFilterSlots || !g_importSlots[slot].library) return false;
  return GetProcAddress(g_importSlots[slot].library, MAKEINTRESOURCEA(kOptionsOrdinal)) != nullptr;
}

extern "C" UINT_PTR CALLBACK FileOpenHookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool explorer = IsExplorerHook(hook);
  switch (message) {
    case WM_INITDIALOG:
      CentreWindowOverFrame(DialogBoxOf(hook));
      if (!explorer) AddOldStyleControls(hook);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDC_OPEN_OPTIONS && HIWORD(wParam) == BN_CLICKED) {
        RunOpenOptions(DialogBoxOf(hook));
        return TRUE;
      }
      if (explorer) break;
      // The fixed system font is a stock object: nothing to free at IDOK.
      if (id == IDOK) TakeOldStyleCheckBox(hook);
      else if (id == edt1) PreviewFromNameBox(hook);
      break;
    }
    case WM_NOTIFY:
      if (explorer && lParam) return OnNotify(hook, reinterpret_cast<const OFNOTIFYA*>(lParam));
      break;
  }
  return 0;
}

INT_PTR CALLBACK OpenOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreWindowOverFrame(dialog);
      const bool fromNineteen = g_song.trackCount > kKeptTracks;
      for (int id : {IDC_READ_FROM19, IDC_READ_APPEND, IDC_READ_NORMAL}) EnableWindow(GetDlgItem(dialog, id), TRUE);
      if (!fromNineteen) {
        EnableWindow(GetDlgItem(dialog, IDC_READ_FROM19), FALSE);
        CheckRadioButton(dialog, IDC_READ_FROM19, IDC_READ_NORMAL, IDC_READ_NORMAL);
      }
      int selected = IDC_READ_NORMAL;
      if (g_song.trackFileMode == 1) selected = IDC_READ_APPEND;
      else if (g_song.trackFileMode == 2 && fromNineteen) selected = IDC_READ_FROM19;
      CheckDlgButton(dialog, IDC_READ_FROM19, selected == IDC_READ_FROM19 ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_READ_APPEND, selected == IDC_READ_APPEND ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_READ_NORMAL, selected == IDC_READ_NORMAL ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (IsDlgButtonChecked(dialog, IDC_READ_FROM19) == BST_CHECKED) {
            g_song.trackFileMode = 2;
            g_song.startTrack = kKeptTracks;
          } else if (IsDlgButtonChecked(dialog, IDC_READ_APPEND) == BST_CHECKED) {
            g_song.trackFileMode = 1;
          } else {
            g_song.trackFileMode = 0;
          }
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

void SongOpenDialog(HWND frame) {
  g_song.trackFileMode = GetKeyState(VK_SHIFT) < 0 ? 1 : 0;
  if (g_song.orgTrack == kKeptTracks) g_song.trackFileMode = 0;

  char path[kFileDialogPathSize] = {};
  std::strncpy(path, kOpenTypePattern, sizeof path - 1);
  const std::string folder = LastDirectory(kLastDataDirectoryKey);
  std::vector<char> types(kTypeListBytes, 0);
  FilterTypeMap map;
  BuildImportTypeList(types.data(), types.size(), kOpenTypeDescription, kOpenTypePattern, &map);

  FileDialogSetup setup;
  setup.owner = frame;
  setup.filter = types.data();
  setup.filterIndex = 1;
  setup.path = path;
  setup.initialDir = folder.c_str();
  setup.hook = FileOpenHookProc;
  setup.templateName = MAKEINTRESOURCEA(IDD_OPEN_TEMPLATE);
  setup.extraFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  setup.data = reinterpret_cast<LPARAM>(&map);
  OPENFILENAMEA ofn;
  FillFileDialog(ofn, setup);

  g_app.modalFlag = 1;
  const BOOL chosen = GetOpenFileNameA(&ofn);
  g_app.modalFlag = 0;
  if (chosen) OpenSongFile(path);
}

void ShowSongMemo(HWND frame) {
  DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_SONG_MEMO), frame, MemoDlgProc, 0);
}
