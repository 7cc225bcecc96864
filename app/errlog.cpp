#include "errlog.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "engine.h"
#include "inifile.h"
#include "placements.h"
#include "playstate.h"
#include "programstate.h"
#include "viewwindow.h"
#include "resource.h"
#include "settingsblock.h"
#include "sharedkeys.h"
#include "stepservices.h"
#include "toolpalette.h"
#include "viewglobals.h"
#include "viewservices.h"
#include "windownav.h"
#include "zk/messages.h"

LogWindows g_logs;

namespace {

constexpr int kLogEditId = 1;
constexpr int kLogBufferBytes = 32760;

struct LogKind {
  const char* className;
  UINT titleId;
  HWND* slot;
  int recordBase;
  const char* fontKey;   // [DeskTop] font of the log
  const char* menuName;  // the frame's menu while the log is active
};

const LogKind kErrLog = {"ErrLog", IDS_ERRLOG_TITLE, &g_logs.errLog, kSbErrLog, "ErrLogFont", "IDERRLWND"};
const LogKind kSearchLog = {"SearchLog", IDS_SEARCHLOG_TITLE, &g_logs.searchLog, kSbSearchLog, "SearchLogFont",
                            "IDSERLWND"};
constexpr int kWindowMenuPosition = 4;
constexpr char kEditPrevProp[] = "ZkLogEditPrev";

HWND LogEdit(HWND window) { return window ? GetDlgItem(window, kLogEditId) : nullptr; }

void JumpFrom(HWND log, int line);

// The window word: a block holding the log's font.
HGLOBAL FontBlock(HWND window) { return reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(window, 0)); }

HFONT LogFont(HWND window) { return ViewWindowFont(window); }

void SetLogFont(HWND window, HFONT value) {
  HGLOBAL block = FontBlock(window);
  if (!block) {
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(HFONT));
    if (!block) return;
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(block));
  }
  if (auto* font = static_cast<HFONT*>(GlobalLock(block))) {
    *font = value;
    GlobalUnlock(block);
  }
}

HFONT CreateLogFont(const LogKind& kind) {
  char text[kFontTextSize] = "";
  IniGetString("DeskTop", kind.fontKey, "", text, sizeof text);
  LOGFONTA lf{};
  HFONT font = ParseFontEntry(text, &lf) ? CreateFontIndirectA(&lf) : nullptr;
  return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
}

void OnGetMinMaxInfo(HWND window, const LogKind& kind) {
  if (IsZoomed(window) || LogFont(window)) return;
  SetLogFont(window, CreateLogFont(kind));
}

void ShowLog(const LogKind& kind) {
  if (HWND window = *kind.slot) {
    ShowWindow(window, SW_SHOW);
    ShowWindow(LogEdit(window), SW_SHOW);
    BringWindowToTop(window);
    return;
  }
  if (!g_app.mdiClient) return;
  const std::string title = LoadAppString(kind.titleId);
  MDICREATESTRUCTA mc = {};
  mc.szClass = kind.className;
  mc.szTitle = title.c_str();
  mc.hOwner = AppInstance();
  mc.x = mc.y = mc.cx = mc.cy = CW_USEDEFAULT;
  HWND window = reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mc)));
  if (!window) return;
  RestoreWindowRecord(window, WindowPlacementFields(kind.recordBase), SW_SHOW);
  ShowWindow(window, SW_SHOW);
  ShowWindow(LogEdit(window), SW_SHOW);
}

// The edit's line under a client y: counted in lines of the log's font from
// the first visible one; below the text, the line the edit itself reports.
int LineAtY(HWND edit, int y) {
  HWND log = GetParent(edit);
  HDC dc = GetDC(edit);
  HGDIOBJ old = SelectObject(dc, LogFont(log) ? LogFont(log) : GetStockObject(SYSTEM_FIXED_FONT));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(edit, dc);
  const int first = static_cast<int>(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
  int line = first + (tm.tmHeight > 0 ? y / tm.tmHeight : 0);
  if (line >= SendMessageA(edit, EM_GETLINECOUNT, 0, 0)) {
    RECT client;
    GetClientRect(edit, &client);
    const int inside = y < client.bottom ? y : static_cast<int>(client.bottom) - 1;
    const LRESULT at = SendMessageA(edit, EM_CHARFROMPOS, 0, MAKELPARAM(0, inside < 0 ? 0 : inside));
    line = at == -1 ? -1 : HIWORD(at);
  }
  return line;
}

void SelectCaretLine(HWND edit) {
  const LRESULT line = SendMessageA(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
  const LRESULT start = SendMessageA(edit, EM_LINEINDEX, line, 0);
  const LRESULT length = SendMessageA(edit, EM_LINELENGTH, start, 0);
  SendMessageA(edit, EM_SETSEL, start, start + length);
}

LRESULT CALLBACK LogEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(edit, kEditPrevProp));
  if (!previous) return DefWindowProcA(edit, message, wParam, lParam);
  switch (message) {
    case WM_LBUTTONDOWN: {
      const LRESULT result = CallWindowProcA(previous, edit, message, wParam, lParam);
      SelectCaretLine(edit);
      return result;
    }
    case WM_LBUTTONDBLCLK:
      JumpFrom(GetParent(edit), LineAtY(edit, static_cast<short>(HIWORD(lParam))));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      RemovePropA(edit, kEditPrevProp);
      break;
  }
  return CallWindowProcA(previous, edit, message, wParam, lParam);
}

LRESULT OnCreate(HWND window, const LogKind& kind) {
  HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                            ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_CLIPCHILDREN,
                            0, 0, 0, 0, window, reinterpret_cast<HMENU>(kLogEditId), AppInstance(), nullptr);
  if (!edit) return -1;
  SendMessageA(edit, EM_SETLIMITTEXT, kLogBufferBytes, 0);
  SetPropA(edit, kEditPrevProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(edit, GWLP_WNDPROC)));
  SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LogEditProc));
  if (!LogFont(window)) SetLogFont(window, CreateLogFont(kind));
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(LogFont(window)), 0);
  *kind.slot = window;
  return 0;
}

void OnSize(HWND window, LPARAM lParam) {
  if (HWND edit = LogEdit(window)) MoveWindow(edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
}

// Keys of the shared set reach the program only while nothing else would
// take them: without an engine, or while a song plays.
void OnKeyDown(WPARAM key) {
  if (!g_engine.library || IsPlaying()) HandleSharedKeys(key);
}

void PutMenu(HWND window, const LogKind& kind) {
  HMENU menu = LoadMenuA(AppInstance(), kind.menuName);
  if (!menu || !g_app.mdiClient) return;
  AddPluginMenuEntries(window, menu, 2, 0);
  HMENU old = reinterpret_cast<HMENU>(SendMessageA(g_app.mdiClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu),
                                                   reinterpret_cast<LPARAM>(GetSubMenu(menu, kWindowMenuPosition))));
  if (old && old != menu) DestroyMenu(old);
  if (g_app.frame) DrawMenuBar(g_app.frame);
}

void OnActivate(HWND window, const LogKind& kind, LPARAM activated) {
  if (reinterpret_cast<HWND>(activated) != window) {
    if (g_prog.activeChild == window) g_prog.activeChild = nullptr;
    if (g_prog.currentStep == window) g_prog.currentStep = nullptr;
    return;
  }
  g_prog.activeChild = window;
  if (g_app.frame) SendMessageA(g_app.frame, WM_ZK_SETCURCHILD, 0, reinterpret_cast<LPARAM>(window));
  RefreshScoreView();
  if (g_views.notePalette) ShowWindow(g_views.notePalette, SW_HIDE);
  PutMenu(window, kind);
  for (int button = 2; button <= 5; ++button) SetToolButtonState(button, 1);
}

void FreeSearchBlock();

void OnDestroy(HWND window, const LogKind& kind) {
  SaveWindowRecord(window, WindowPlacementFields(kind.recordBase));
  HFONT font = LogFont(window);
  if (font && font != GetStockObject(SYSTEM_FIXED_FONT)) DeleteObject(font);
  SetLogFont(window, nullptr);
  if (*kind.slot == window) *kind.slot = nullptr;
  if (g_prog.activeChild == window) g_prog.activeChild = nullptr;
  if (g_prog.currentStep == window) g_prog.currentStep = nullptr;
  if (kind.slot == &g_logs.searchLog) FreeSearchBlock();
}

void OnNcDestroy(HWND window) {
  if (HGLOBAL block = FontBlock(window)) GlobalFree(block);
  SetWindowLongPtrA(window, 0, 0);
}

LRESULT LogProc(const LogKind& kind, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(window, kind);
      break;
    case WM_CREATE:
      return OnCreate(window, kind);
    case WM_SIZE:
      OnSize(window, lParam);
      break;
    case WM_SETFONT:
      if (HWND edit = LogEdit(window)) SendMessageA(edit, WM_SETFONT, wParam, lParam);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      break;
    case WM_MDIACTIVATE:
      OnActivate(window, kind, lParam);
      break;
    case WM_DESTROY:
      OnDestroy(window, kind);
      break;
    case WM_NCDESTROY:
      OnNcDestroy(window);
      break;
  }
  return DefMDIChildProcA(window, message, wParam, lParam);
}

std::string LinePrefix(int eventIndex, int track, int measure, int step) {
  char text[80];
  std::snprintf(text, sizeof text, "(%5d)Tr:%2d, Meas:%3d, Step:%3d", eventIndex, track, measure, step & 0x7FFF);
  return text;
}

}  // namespace

LRESULT CALLBACK MPErrLogWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return LogProc(kErrLog, w, m, wp, lp); }
LRESULT CALLBACK MPSearchLogWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return LogProc(kSearchLog, w, m, wp, lp); }

void ShowErrLog() { ShowLog(kErrLog); }
void ShowSearchLog() { ShowLog(kSearchLog); }

std::string FormatCommandFailure(int code, int kind, int track, int measure, int step, int eventIndex,
                                 const std::string& reason) {
  char tail[48];
  std::snprintf(tail, sizeof tail, kind == 0 ? " ... MCIエラー(%d)" : " ... RUNエラー(%d)", code);
  return LinePrefix(eventIndex, track, measure, step) + tail + "\r\n" + reason + "\r\n";
}

std::string FormatCommandRun(int kind, int track, int measure, int step, int eventIndex,
                             const std::string& text) {
  return LinePrefix(eventIndex, track, measure, step) + (kind == 0 ? " | MCI:" : kind == 1 ? " | RUN:" : " | ???:") + text + "\r\n";
}

void ClearErrLog() {
  if (IsPlaying()) return;
  if (HWND edit = LogEdit(g_logs.errLog)) SetWindowTextA(edit, "");
}

static std::string LogText(HWND log) {
  HWND edit = LogEdit(log);
  if (!edit) return std::string();
  std::vector<char> text(kLogBufferBytes);
  int n = GetWindowTextA(edit, text.data(), kLogBufferBytes);
  return std::string(text.data(), n > 0 ? n : 0);
}

std::string ErrLogText() { return LogText(g_logs.errLog); }
std::string SearchLogWindowText() { return LogText(g_logs.searchLog); }

bool AppendErrLogLine(const std::string& line) {
  ShowErrLog();
  HWND edit = LogEdit(g_logs.errLog);
  if (!edit) return false;
  std::string text = ErrLogText();
  if (static_cast<int>(text.size()) >= kLogTextLimit) return false;
  text += line;
  if (text.size() >= static_cast<size_t>(kLogBufferBytes)) return false;
  SetWindowTextA(edit, text.c_str());
  return true;
}

void AddMciErrLogEntry(int code, int kind, int track, int measure, int step, int eventIndex) {
  std::string reason;
  if (kind == 0) {
    char text[256] = "";
    if (!mciGetErrorStringA(static_cast<DWORD>(code), text, sizeof text) || !text[0])
      std::snprintf(text, sizeof text, "%s", LoadAppString(IDS_UNKNOWN_ERROR).c_str());
    reason = text;
  } else {
    reason = LoadAppString(IDS_RUN_ERROR_BASE + code);
    if (reason.empty()) reason = LoadAppString(IDS_UNKNOWN_ERROR);
  }
  AppendErrLogLine(FormatCommandFailure(code, kind, track, measure, step, eventIndex, reason));
}

void AddCommandRunLogEntry(int kind, int track, int measure, int step, int eventIndex, const char* text) {
  AppendErrLogLine(FormatCommandRun(kind, track, measure, step, eventIndex, text ? text : ""));
}

std::string FormatErrLogEntry(const std::string& message, int track, int eventIndex) {
  int measure = 0, step = 0;
  StepEventPosition(track, eventIndex, &measure, &step);
  return LinePrefix(eventIndex, track, measure, step) + "..." + message + " | " +
         StepEventTextOfTrack(track, eventIndex) + "\r\n";
}

void AddErrLogEntry(int stringId, int track, int eventIndex) {
  AppendErrLogLine(FormatErrLogEntry(LoadAppString(stringId), track, eventIndex));
}

void SaveErrLogPlacement() { SaveWindowRecord(g_logs.errLog, WindowPlacementFields(kSbErrLog)); }
void SaveSearchLogPlacement() { SaveWindowRecord(g_logs.searchLog, WindowPlacementFields(kSbSearchLog)); }

void RestoreErrLogPlacement(int show) {
  if (g_logs.errLog) RestoreWindowRecord(g_logs.errLog, WindowPlacementFields(kSbErrLog), show);
}

void RestoreSearchLogPlacement(int show) {
  if (g_logs.searchLog) RestoreWindowRecord(g_logs.searchLog, WindowPlacementFields(kSbSearchLog), show);
}

namespace {

constexpr int kLogLineLimit = 127;

// The number that follows position at (blanks skipped); false without one.
bool NumberAfter(const std::string& text, size_t at, int* value) {
  while (at < text.size() && text[at] == ' ') ++at;
  size_t end = at;
  if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
  const size_t digits = end;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  if (end == digits) return false;
  *value = std::atoi(text.substr(at, end - at).c_str());
  return true;
}

std::string LogLine(HWND edit, int line) {
  if (!edit || line < 0 || line >= SendMessageA(edit, EM_GETLINECOUNT, 0, 0)) return {};
  char text[kLogLineLimit + 1] = {};
  *reinterpret_cast<WORD*>(text) = kLogLineLimit;
  const LRESULT n = SendMessageA(edit, EM_GETLINE, line, reinterpret_cast<LPARAM>(text));
  return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

void JumpFrom(HWND log, int line) {
  if (IsPlaying()) return;
  int track = 0, eventIndex = 0;
  if (!ParseLogLine(LogLine(LogEdit(log), line), &track, &eventIndex)) return;
  OpenTrackEditorFromLog(g_app.frame, track, eventIndex);
}

int CaretLine(HWND log) {
  HWND edit = LogEdit(log);
  return edit ? static_cast<int>(SendMessageA(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0)) : -1;
}

}  // namespace

bool ParseLogLine(const std::string& line, int* track, int* eventIndex) {
  const std::string text = line.substr(0, kLogLineLimit);
  const size_t open = text.find('(');
  const size_t colon = text.find(':');
  int t = 0, e = 0;
  if (open == std::string::npos || colon == std::string::npos || !NumberAfter(text, open + 1, &e) ||
      !NumberAfter(text, colon + 1, &t))
    return false;
  *track = t;
  *eventIndex = e;
  return true;
}

void JumpToErrLogLine(int line) { JumpFrom(g_logs.errLog, line); }
void JumpToSearchLogLine(int line) { JumpFrom(g_logs.searchLog, line); }
void JumpFromErrLogCaret() { JumpToErrLogLine(CaretLine(g_logs.errLog)); }
void JumpFromSearchLogCaret() { JumpToSearchLogLine(CaretLine(g_logs.searchLog)); }

namespace {

HGLOBAL g_searchBlock = nullptr;  // the hits not yet shown, zero-terminated

}  // namespace

namespace {

void FreeSearchBlock() {
  if (g_searchBlock) GlobalFree(g_searchBlock);
  g_searchBlock = nullptr;
}

}  // namespace

std::string FormatSearchLogEntry(int track, int measure, int step, int eventIndex) {
  int m = 0, s = 0;
  bool overlap = false;
  StepEventPosition(track, eventIndex, &m, &s, &overlap);
  return LinePrefix(eventIndex, track, measure, step) + " | " + StepEventTextOfTrack(track, eventIndex, overlap) +
         "\r\n";
}

int AddSearchLogEntry(int track, int measure, int step, int eventIndex) {
  if (!g_searchBlock) g_searchBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kLogBufferBytes);
  auto* text = g_searchBlock ? static_cast<char*>(GlobalLock(g_searchBlock)) : nullptr;
  if (!text) return 0;
  const size_t used = strnlen(text, kLogBufferBytes - 1);
  int added = 0;
  if (used < static_cast<size_t>(kLogTextLimit)) {
    const std::string line = FormatSearchLogEntry(track, measure, step, eventIndex);
    if (used + line.size() < static_cast<size_t>(kLogBufferBytes)) {
      std::memcpy(text + used, line.c_str(), line.size() + 1);
      added = 1;
    }
  }
  GlobalUnlock(g_searchBlock);
  return added;
}

void SearchLogText(int show) {
  if (!show) {
    FreeSearchBlock();
    g_searchBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kLogBufferBytes);
    return;
  }
  ShowSearchLog();
  if (const char* text = g_searchBlock ? static_cast<const char*>(GlobalLock(g_searchBlock)) : nullptr) {
    if (HWND edit = LogEdit(g_logs.searchLog)) SetWindowTextA(edit, text);
    GlobalUnlock(g_searchBlock);
  }
  FreeSearchBlock();
}

void ClearSearchLog() {
  if (IsPlaying()) return;
  if (HWND edit = LogEdit(g_logs.searchLog)) SetWindowTextA(edit, "");
  FreeSearchBlock();
}
