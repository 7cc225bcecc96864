#include "partdlg.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "appglobals.h"
#include "filedlg.h"
#include "inifile.h"
#include "partfile.h"
#include "programstate.h"
#include "recent.h"
#include "resource.h"
#include "zk/messages.h"

namespace {

constexpr int kNameEdit = 1152;           // edt1, the old-style dialog's name box
constexpr UINT_PTR kEndRelayTimer = 1940;  // keeps the hook hearing while a preview plays
constexpr UINT kEndRelayMs = 100;

PartPreviewFn g_preview = nullptr;

const char* const kSaveTypes[] = {"ﾊﾟｰﾄ ﾌｧｲﾙ (*.GRT)", "*.GRT"};
const char* const kOpenTypes[] = {"ﾊﾟｰﾄ ﾌｧｲﾙ (*.GRT;*.PRT)", "*.GRT;*.PRT"};

// Where a dialog of parts (setData 0) or of set data starts.
std::string InitialFolder(int setData) {
  if (setData) return IniGetString("DataDirectory", "SetCommandData", "", kFileDialogPathSize);
  return LastDirectory(kLastPartDirectoryKey);
}

int SavePartDialog(HWND owner, HGLOBAL block, DWORD byteCount, int setData) {
  const std::string title = LoadAppString(setData ? IDS_SETDATA_SAVE_TITLE : IDS_PART_SAVE_TITLE);
  const std::string folder = InitialFolder(setData);
  const std::string types = FileTypeList({kSaveTypes[0], kSaveTypes[1]});
  const std::string ext = LoadAppString(IDS_PART_EXT);
  char path[kFileDialogPathSize] = "*.GRT";
  for (;;) {
    FileDialogSetup setup;
    setup.owner = owner;
    setup.filter = types.c_str();
    setup.path = path;
    setup.title = title.c_str();
    setup.initialDir = folder.c_str();
    OPENFILENAMEA ofn;
    FillFileDialog(ofn, setup);
    if (!GetSaveFileNameA(&ofn)) return 0;
    const std::string chosen = ForceExtension(path, ext);
    switch (QueryOverwrite(chosen.c_str())) {
      case kOverwriteYes:
        // 0 after message 3 or 4: nothing, or not all, was written.
        return SavePartToFile(owner, chosen.c_str(), block, byteCount, setData);
      case kOverwriteAnother:
        // Shown again with the name asked about.
        std::snprintf(path, sizeof path, "%s", chosen.c_str());
        continue;
      default:
        return 0;
    }
  }
}

int LoadPartDialog(HWND owner, HGLOBAL block, int setData) {
  const std::string title = LoadAppString(setData ? IDS_SETDATA_LOAD_TITLE : IDS_PART_LOAD_TITLE);
  const std::string folder = InitialFolder(setData);
  const std::string types = FileTypeList({kOpenTypes[0], kOpenTypes[1]});
  char path[kFileDialogPathSize];
  std::snprintf(path, sizeof path, "%s", setData ? "*.GRT" : "*.GRT;*.PRT");
  FileDialogSetup setup;
  setup.owner = owner;
  setup.filter = types.c_str();
  setup.path = path;
  setup.title = title.c_str();
  setup.initialDir = folder.c_str();
  setup.hook = PartFileOpenHookProc;
  setup.templateName = MAKEINTRESOURCEA(IDD_PART_OPEN);
  setup.extraFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  OPENFILENAMEA ofn;
  FillFileDialog(ofn, setup);
  if (!GetOpenFileNameA(&ofn)) return 0;
  // 0 after the reader's message: a file that could not be read or converted
  // is no part.
  return LoadPartFromFile(owner, path, block, setData);
}

// The explorer style hands the hook a child window of the dialog box (the
// added template); the old style the box itself.
bool IsExplorerHook(HWND hook) { return (GetWindowLongA(hook, GWL_STYLE) & WS_CHILD) != 0; }
HWND FileDialogOf(HWND hook) { return IsExplorerHook(hook) ? GetParent(hook) : hook; }

RECT RectIn(HWND control, HWND window) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Old style: a push button of Cancel's size, one text line below it.
void AddPreviewButton(HWND dialog) {
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  if (!cancel || GetDlgItem(dialog, IDC_PART_PREVIEW)) return;
  const RECT r = RectIn(cancel, dialog);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  TEXTMETRICA tm{};
  HDC dc = GetDC(dialog);
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  GetTextMetricsA(dc, &tm);
  if (old) SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  const int line = tm.tmHeight + tm.tmExternalLeading;
  HWND button = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r.left,
                                r.bottom + line, r.right - r.left, r.bottom - r.top, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PART_PREVIEW)), AppInstance(),
                                nullptr);
  if (button && font) SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// Explorer style, once the box is laid out: the template's button takes
// Cancel's left edge and size, staying in the strip under the standard
// controls.
void AlignPreviewButton(HWND hook) {
  HWND box = GetParent(hook);
  HWND cancel = GetDlgItem(box, IDCANCEL);
  HWND button = GetDlgItem(hook, IDC_PART_PREVIEW);
  if (!cancel || !button) return;
  const RECT c = RectIn(cancel, hook);
  const RECT b = RectIn(button, hook);
  SetWindowPos(button, nullptr, c.left, b.top, c.right - c.left, c.bottom - c.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The path the user has chosen so far; empty when it does not fit or names
// no file (a pattern, a folder).
std::string SelectedPath(HWND hook) {
  char path[kFileDialogPathSize] = "";
  if (IsExplorerHook(hook)) {
    const LRESULT n =
        SendMessageA(GetParent(hook), CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path));
    if (n <= 0 || n > static_cast<LRESULT>(sizeof path)) return "";
  } else {
    GetDlgItemTextA(hook, kNameEdit, path, sizeof path);
  }
  if (!*path || std::strpbrk(path, "*?")) return "";
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return "";
  return path;
}

void PreviewSelectedPart(HWND hook) {
  const std::string path = SelectedPath(hook);
  if (path.empty()) return;
  HWND box = FileDialogOf(hook);
  HGLOBAL part = NewPartBlock();
  if (!part) return;
  // The part's events alone, head stripped.
  if (!ReadPartFile(box, path.c_str(), part, 1) || !g_preview || !g_preview(box, part)) {
    GlobalFree(part);
    return;
  }
  // The end of the preview must reach the frame while the dialog stays open.
  SetTimer(hook, kEndRelayTimer, kEndRelayMs, nullptr);
}

}  // namespace

void SetPartPreview(PartPreviewFn preview) { g_preview = preview; }

int SavePartFileAs(HWND owner, HGLOBAL block, DWORD byteCount) { return SavePartDialog(owner, block, byteCount, 0); }
int SavePartFile(HWND owner, HGLOBAL block, DWORD byteCount) { return SavePartDialog(owner, block, byteCount, 1); }
int PartLoadDialog(HWND owner, HGLOBAL block) { return LoadPartDialog(owner, block, 0); }
int PartLoadDialogData(HWND owner, HGLOBAL block) { return LoadPartDialog(owner, block, 1); }

extern "C" UINT_PTR CALLBACK PartFileOpenHookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam) {
  // The dialog's loop, not the main loop, runs now: the end of a play that
  // the engine reported goes to the frame from here.
  if (TakePlayEnded() && g_app.frame) SendMessageA(g_app.frame, WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 0);
  switch (message) {
    case WM_INITDIALOG:
      FileHookDefaultProc(hook, message, wParam, lParam);
      if (!IsExplorerHook(hook)) AddPreviewButton(hook);
      SetDlgItemTextA(hook, IDC_PART_PREVIEW, LoadAppString(IDS_PART_PREVIEW).c_str());
      return 1;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->code == CDN_INITDONE && IsExplorerHook(hook)) {
        AlignPreviewButton(hook);
        // The box has grown by the template since WM_INITDIALOG: centred
        // again at its full size.
        FileHookDefaultProc(hook, WM_INITDIALOG, 0, 0);
      }
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_PART_PREVIEW && HIWORD(wParam) == BN_CLICKED) {
        PreviewSelectedPart(hook);
        return 1;
      }
      return 0;
    case WM_TIMER:
      return wParam == kEndRelayTimer ? 1 : 0;
    case WM_DESTROY:
      KillTimer(hook, kEndRelayTimer);
      return 0;
    default:
      return 0;
  }
}
