// The play palette ("PlayPallet"), an owned popup.
#include "viewglobals.h"
#include "viewservices.h"
#include "viewwindow.h"
#include "viewwindows.h"
#include "zk/messages.h"

ViewHooks g_viewHooks;

namespace {

// The window that had the focus before the palette's popup opened; it gets
// it back when the set-up it leads to ends.
HWND g_focusBefore = nullptr;

// The location settings changed: lay out and draw again.
void OnRefresh(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  if (g_viewWindows.location) InvalidateRect(g_viewWindows.location, nullptr, TRUE);
}

void OnContextMenu(HWND window, LPARAM lParam) {
  HMENU menu = g_viewHooks.locationMenu ? g_viewHooks.locationMenu() : nullptr;
  if (!menu) return;
  POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (lParam == -1) GetCursorPos(&at);  // from the keyboard
  g_focusBefore = GetFocus();
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
}

void OnLocationProperties() {
  HWND focus = g_focusBefore ? g_focusBefore : GetFocus();
  g_focusBefore = nullptr;
  if (g_viewHooks.openDisplaySetupDialog) g_viewHooks.openDisplaySetupDialog(nullptr);
  if (focus && IsWindow(focus)) SetFocus(focus);
}

}  // namespace

LRESULT CALLBACK PalletWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ZK_REFRESH:
      OnRefresh(window);
      return 0;
    case WM_CONTEXTMENU:
      OnContextMenu(window, lParam);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kCmdLocationProperties) {
        OnLocationProperties();
        return 0;
      }
      break;
  }
  return SimpleViewProc(window, message, wParam, lParam, &g_views.playPalette, false);
}
