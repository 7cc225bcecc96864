// The score view classes: "FUMENEDIT" (the song-wide pane beside the MDI
// client, or a step editor's own pane), "FUMENEDIT2" and "FUMENEDIT3".
#include "displaycolors.h"
#include "programstate.h"
#include "viewglobals.h"
#include "viewwindow.h"
#include "viewwindows.h"
#include "zk/messages.h"

namespace {

void OnScoreFollow(HWND window) { InvalidateRect(window, nullptr, TRUE); }

LRESULT ScoreProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ZK_SCOREFOLLOW:
      OnScoreFollow(window);
      return 0;
    case WM_DESTROY:
      if (g_views.scoreView == window) g_views.scoreView = nullptr;
      break;
  }
  return SimpleViewProc(window, message, wParam, lParam, nullptr, false);
}

}  // namespace

LRESULT CALLBACK MPMDIFUMENWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ScoreProc(w, m, wp, lp); }
LRESULT CALLBACK MPMDIFUMEN2WndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ScoreProc(w, m, wp, lp); }
LRESULT CALLBACK MPMDIFUMEN3WndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ScoreProc(w, m, wp, lp); }

void LoadScoreBitmaps() { CreateDisplayPens(); }

void FreeScoreBitmaps() { FreeDisplayPens(); }
