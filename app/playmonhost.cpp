#include "playmonhost.h"

#include "appglobals.h"
#include "binding.h"
#include "placements.h"
#include "programstate.h"
#include "toolpalette.h"
#include "viewglobals.h"

void CALLBACK PlayMonActivated(HWND a, HWND b, int windowMenuIndex, int c, int d, const char* menuName) {
  if (a != b) {
    g_prog.currentStep = nullptr;
    return;
  }
  g_prog.activeChild = a;
  if (g_views.notePalette) ShowWindow(g_views.notePalette, SW_HIDE);
  HMENU menu = menuName ? LoadMenuA(g_app.instance, menuName) : nullptr;
  if (menu && g_app.mdiClient && g_app.frame) {
    AddPluginMenuEntries(a, menu, c, d);
    HMENU old = reinterpret_cast<HMENU>(SendMessageA(g_app.mdiClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu),
                                                     reinterpret_cast<LPARAM>(GetSubMenu(menu, windowMenuIndex))));
    if (old && old != menu) DestroyMenu(old);
    DrawMenuBar(g_app.frame);
  }
  for (int entry = 2; entry <= 5; ++entry) SetToolButtonState(entry, 0);
}

int CALLBACK PlayMonActivateTrack(int track) { return ActivateTrackWindow(track); }

void InstallPlayMonCallbacks() {
  PlayMonHostCallbacks callbacks;
  callbacks.activate = PlayMonActivated;
  callbacks.activateTrack = PlayMonActivateTrack;
  SetPlayMonHostCallbacks(callbacks);
}
