#include "statusline.h"

#include "appglobals.h"

void ShowStatus(HWND, int, int draw) {
  // Until the status line exists there is nothing to show.
  if (g_app.statusLine && draw) InvalidateRect(g_app.statusLine, nullptr, FALSE);
}
