#include "frame.h"

#include "appglobals.h"
#include "autosave.h"
#include "binding.h"
#include "errlog.h"
#include "frameinternal.h"
#include "framelayout.h"
#include "framemenu.h"
#include "jumpdlg.h"
#include "midistepinput.h"
#include "msgbox.h"
#include "playstate.h"
#include "portsetup.h"
#include "programstate.h"
#include "remotesend.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "statusline.h"
#include "toolpalette.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "zk/messages.h"

namespace {

struct FrameSize {
  int width = 0;
  int height = 0;
};
FrameSize g_frameSize;

LRESULT OnNcCreate(HWND frame) {
  g_app.frame = frame;
  return CreateSongRecord(frame) ? TRUE : FALSE;
}

LRESULT OnCreate(HWND frame) {
  CLIENTCREATESTRUCT ccs = {};
  ccs.hWindowMenu = GetSubMenu(GetMenu(frame), kWindowMenuIndex);
  ccs.idFirstChild = kFirstMdiChildId;
  g_app.mdiClient = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL,
                                  0, 0, 0, 0, frame, reinterpret_cast<HMENU>(kMdiClientId), AppInstance(), &ccs);
  AttachStatusLine(frame);
  ShowStatus(frame, kStatusMode, 0);
  RECT r;
  GetClientRect(frame, &r);
  g_frameSize.width = r.right;
  MeasureStatusLine();
  if (g_settings.view) {
    g_views.scoreView = CreateWindowA("FUMENEDIT", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER, 0, 0,
                                      0, 0, frame, nullptr, AppInstance(), nullptr);
  }
  return g_app.mdiClient ? 0 : -1;
}

void MoveBox(HWND window, const RECT& box) {
  if (window) MoveWindow(window, box.left, box.top, box.right, box.bottom, TRUE);
}

void OnSize(HWND frame, LPARAM lParam) { LayOutFrame(frame, LOWORD(lParam), HIWORD(lParam)); }

void OnPaint(HWND frame) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(frame, &ps);
  PaintStatusLine(frame, dc);
  EndPaint(frame, &ps);
}

void OnClose(HWND frame) {
  // A box or a file read runs over the disabled frame and still needs the
  // song: the close is refused.
  if (!IsWindowEnabled(frame)) return;
  if (GetKeyState(VK_SHIFT) < 0) {
    SaveDesktop();
    return;
  }
  if (!g_app.portsUnavailable) {
    if (g_engine.stopSeqPlay) g_engine.stopSeqPlay();
    FinishPlay();
  }
  if (!QuerySaveAll(IDS_QUERY_SAVE_EXIT)) return;
  ResetTrackExclStore();
  if (g_settings.memory) SaveDesktop();
  FreeSong(frame);
  if (SongDocument* doc = LockSongDocument(frame)) {
    if (doc->trackWindows) GlobalFree(doc->trackWindows);
    doc->trackWindows = nullptr;
    UnlockSongDocument(frame);
  }
  if (g_prog.currentFont) DeleteObject(g_prog.currentFont);
  g_prog.currentFont = nullptr;
  // A program that runs without the ports leaves them to the one that has
  // them.
  StopMidiInput();
  CloseMidiInput();
  if (!g_app.portsUnavailable && g_engine.closeMIDIPort) g_engine.closeMIDIPort();
  PluginsFrameClose();
  DestroyWindow(frame);
}

void OnNcDestroy(HWND frame) {
  DetachStatusLine();
  DestroySongRecord(frame);
  if (g_app.frame == frame) g_app.frame = nullptr;
  g_app.mdiClient = nullptr;
}

void OnCommand(HWND frame, WPARAM wParam) {
  if (LOWORD(wParam) == IDM_JUMP) {
    OpenJumpDlg(frame, 0);
    return;
  }
  FrameCommand(frame, wParam);
  if (g_playmon.window && HIWORD(wParam) == 1 && g_playmon.playmonKey) g_playmon.playmonKey(LOWORD(wParam));
}

LRESULT OnSysCommand(HWND frame, WPARAM wParam, LPARAM lParam) {
  if ((wParam & 0xFFF0) == SC_SCREENSAVE && IsPlaying()) return 1;
  return DefFrameProcA(frame, g_app.mdiClient, WM_SYSCOMMAND, wParam, lParam);
}

void OnWheel(WPARAM wParam, LPARAM lParam) {
  const bool towardsUser = static_cast<short>(HIWORD(wParam)) < 0;
  HWND editor = g_prog.currentStep;
  if (!editor || !IsWindow(editor)) return;
  if (LOWORD(wParam) & MK_MBUTTON) {
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(editor, &pt);
    PostMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    PostMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    PostMessageA(g_app.frame, WM_COMMAND, towardsUser ? 2322 : 2321, 0);
  } else {
    SendMessageA(editor, WM_VSCROLL, towardsUser ? SB_LINEDOWN : SB_LINEUP, 0);
  }
}

LRESULT OnControllerMenu(WPARAM wParam) {
  HMENU menu = LoadMenuA(AppInstance(), "IDCTRLWND");
  if (menu) AddPluginMenuEntries(reinterpret_cast<HWND>(wParam), menu, 2, 0);
  return reinterpret_cast<LRESULT>(menu);
}

void OnNameListAsk(WPARAM wParam, LPARAM lParam) {
  g_prog.nameListAsker = reinterpret_cast<HWND>(wParam);
  g_prog.nameListPosition = LOWORD(lParam);
}

LRESULT DefaultPath(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  RunAutoSave(frame);
  return DefFrameProcA(frame, g_app.mdiClient, message, wParam, lParam);
}

}  // namespace

void LayOutFrame(HWND frame, int width, int height) {
  g_frameSize = {width, height};
  HWND toolBar = ToolPaletteWindow();
  if (toolBar) ShowWindow(toolBar, SW_HIDE);
  if (g_settings.statusBar != 0) MeasureStatusLine();
  FrameLayoutInput in;
  in.width = width;
  in.height = height;
  in.toolBar = g_settings.toolBar;
  in.statusBar = g_settings.statusBar;
  in.statusHeight = StatusLineHeight();
  in.scorePane = g_views.scoreView != nullptr;
  in.fumenRatio = g_settings.fumenRatio;
  FrameLayout layout = ComputeFrameLayout(in);
  if (layout.toolBarShown) MoveBox(toolBar, layout.toolBar);
  MoveBox(g_app.mdiClient, layout.client);
  if (in.scorePane) MoveBox(g_views.scoreView, layout.score);
  if (layout.toolBarShown && toolBar) ShowWindow(toolBar, SW_SHOW);
  InvalidateRect(frame, nullptr, FALSE);
}

LRESULT CALLBACK MPFrameWndProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      if (!OnNcCreate(frame)) return FALSE;
      break;
    case WM_CREATE:
      return OnCreate(frame);
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      OnNcDestroy(frame);
      break;
    case WM_SIZE:
      OnSize(frame, lParam);
      return 0;
    case WM_PAINT:
      OnPaint(frame);
      return 0;
    case WM_CLOSE:
      OnClose(frame);
      return 0;
    case WM_QUERYENDSESSION:
      return QuerySaveAll(IDS_QUERY_SAVE_EXIT);
    case WM_ACTIVATEAPP:
      if (wParam) TellPluginsEngineAndPorts();
      return 0;
    case WM_CHAR:
      if (g_prog.currentStep) SendMessageA(g_prog.currentStep, WM_CHAR, wParam, lParam);
      return 0;
    case WM_COMMAND:
      OnCommand(frame, wParam);
      return 0;
    case WM_SYSCOMMAND:
      return OnSysCommand(frame, wParam, lParam);
    case WM_INITMENU:
      UpdateFrameMenus(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_MENUSELECT:
      ShowMenuHelp(frame, wParam, lParam);
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(wParam, lParam);
      return 0;
    case WM_ZK_MIDIINPUT:
      OnMidiInput(lParam);
      return 0;
    case WM_ZK_PLAYNOTIFY:
      OnPlayNotify(frame, wParam, lParam);
      return 0;
    case WM_ZK_PLAYEND:
      OnPlayEnd(frame, wParam, lParam);
      return 0;
    case WM_ZK_PLAYMARK:
      OnPlayMark(frame, wParam, lParam);
      return 0;
    case WM_ZK_SETPLAYMON:
      OnSetPlayMon(wParam, lParam);
      return 0;
    case WM_ZK_SETTEXTRING:
      OnSetTextRing(wParam, lParam);
      return 0;
    case WM_ZK_SETCURCHILD:
      g_prog.currentStep = g_prog.currentStepCopy = reinterpret_cast<HWND>(lParam);
      return 0;
    case WM_ZK_KEEP2271:
      g_prog.kept2271 = static_cast<int32_t>(wParam);
      return 0;
    case WM_ZK_KEEP4020:
      g_prog.kept4020 = static_cast<int32_t>(wParam);
      return 0;
    case WM_ZK_CTRLMENU:
      return OnControllerMenu(wParam);
    case WM_ZK_REMOTE_SYSEX:
      SendRemoteSysEx(wParam, lParam);
      return 0;
    case WM_ZK_REMOTE_SHORT:
      SendRemoteShort(wParam);
      return 0;
    case WM_ZK_SHAREDBLOCK:
      return 0;
    case WM_ZK_NAMELISTASK:
      OnNameListAsk(wParam, lParam);
      return 0;
    case WM_ZK_NAMELISTMODULE:
      return 0;
    case WM_ZK_ERRLOGADD:
      AddErrLogEntry(LOWORD(lParam), HIWORD(lParam), static_cast<int>(wParam));
      return 0;
  }
  if (g_prog.wheelMessage && message == g_prog.wheelMessage) {
    OnWheel(wParam, lParam);
    return 0;
  }
  return DefaultPath(frame, message, wParam, lParam);
}
