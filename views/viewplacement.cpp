// Placement store and restore of the views' windows, each on its own record
// of the settings block.
#include "placements.h"
#include "settings.h"
#include "settingsblock.h"
#include "viewglobals.h"
#include "viewwindows.h"

namespace {

int TrackListBase(int mode) { return mode == 0 ? kSbTrkView : kSbTrkSet; }

// Palettes keep state (where they have one), left and top.
void SavePalette(HWND window, int stateField, int leftField) {
  int32_t* block = LockSettingsBlock();
  if (!block) return;
  if (window) {
    RECT r;
    GetWindowRect(window, &r);
    block[leftField] = r.left;
    block[leftField + 1] = r.top;
    if (stateField >= 0) block[stateField] = IsWindowVisible(window) ? 0 : kPlacementClosed;
  } else if (stateField >= 0) {
    block[stateField] |= kPlacementClosed;
  }
  UnlockSettingsBlock();
}

}  // namespace

void SaveTrackWindowPlacement() {
  HWND window = g_viewWindows.trackWindow;
  if (window) {
    g_settings.trkSetMode = g_viewWindows.trackWindowMode;
    if (int32_t* block = LockSettingsBlock()) {
      block[kSbTrkSetMode] = g_viewWindows.trackWindowMode;
      UnlockSettingsBlock();
    }
    SaveWindowRecord(window, TrackListPlacementFields(TrackListBase(g_viewWindows.trackWindowMode)));
  } else {
    SaveWindowRecord(nullptr, TrackListPlacementFields(kSbTrkSet));
    SaveWindowRecord(nullptr, TrackListPlacementFields(kSbTrkView));
  }
}

void RestoreTrackWindowPlacement(int show) {
  if (HWND window = g_viewWindows.trackWindow)
    RestoreWindowRecord(window, TrackListPlacementFields(TrackListBase(g_viewWindows.trackWindowMode)), show);
}

void SaveNameListPlacement() { SaveWindowRecord(g_viewWindows.nameList, WindowPlacementFields(kSbNamelist)); }

void RestoreNameListPlacement(int show) {
  if (g_viewWindows.nameList) RestoreWindowRecord(g_viewWindows.nameList, WindowPlacementFields(kSbNamelist), show);
}

void SaveUserExclPlacement() {
  SaveWindowRecord(g_views.userExclusive, WindowPlacementFields(kSbUserExclusive));
}

void RestoreUserExclPlacement(int show) {
  if (g_views.userExclusive)
    RestoreWindowRecord(g_views.userExclusive, WindowPlacementFields(kSbUserExclusive), show);
}

void SavePlayPalettePos() { SavePalette(g_views.playPalette, kSbPlayPallet, kSbPlayPallet + 1); }
void SaveNotePalettePos() { SavePalette(g_views.notePalette, -1, kSbNotePallet); }

void SavePianoPalettePos() {
  SavePalette(g_views.pianoPalette, kSbPianoPallet, kSbPianoPallet + 1);
  if (!g_views.pianoPalette) return;
  if (int32_t* block = LockSettingsBlock()) {
    RECT r;
    GetWindowRect(g_views.pianoPalette, &r);
    block[kSbPianoPallet + 3] = r.right - r.left;
    block[kSbPianoPallet + 4] = r.bottom - r.top;
    UnlockSettingsBlock();
  }
}
