#include "placements.h"

#include "appglobals.h"
#include "errlog.h"
#include "binding.h"
#include "programstate.h"
#include "settings.h"
#include "settingsblock.h"
#include "songmodel.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "viewwindows.h"

namespace {

PlacementFields SequentialFields(int state, int first) {
  PlacementFields f;
  f.state = state;
  f.flags = first;
  f.show = first + 1;
  for (int i = 0; i < 8; ++i) f.pos[i] = first + 2 + i;
  return f;
}

// Runs body on the locked block; nothing when it is missing.
template <typename Body>
void WithBlock(Body body) {
  if (int32_t* block = LockSettingsBlock()) {
    body(block);
    UnlockSettingsBlock();
  }
}

void ShowAndUpdate(HWND window, int show) {
  ShowWindow(window, show);
  UpdateWindow(window);
}

}  // namespace

PlacementFields FramePlacementFields() { return SequentialFields(-1, kSbFrame); }
PlacementFields WindowPlacementFields(int base) { return SequentialFields(base, base + 1); }
PlacementFields TrackListPlacementFields(int base) { return SequentialFields(base, base + 2); }

PlacementFields TrackPlacementFields(int track) {
  PlacementFields f;
  f.state = SbTrackField(0, track);
  f.flags = SbTrackField(5, track);
  f.show = SbTrackField(6, track);
  for (int i = 0; i < 8; ++i) f.pos[i] = SbTrackField(7 + i, track);
  return f;
}

bool RecordToPlacement(const int32_t* block, const PlacementFields& f, WINDOWPLACEMENT* wp) {
  if ((block[f.show] & 0xFFFF) == 0xFFFF) return false;
  *wp = WINDOWPLACEMENT{};
  wp->length = sizeof *wp;
  wp->flags = block[f.flags] ? block[f.flags] : 1;
  wp->showCmd = block[f.show];
  wp->ptMinPosition = {block[f.pos[0]], block[f.pos[1]]};
  wp->ptMaxPosition = {block[f.pos[2]], block[f.pos[3]]};
  // Stored top, bottom, left, right.
  wp->rcNormalPosition.top = block[f.pos[4]];
  wp->rcNormalPosition.bottom = block[f.pos[5]];
  wp->rcNormalPosition.left = block[f.pos[6]];
  wp->rcNormalPosition.right = block[f.pos[7]];
  return true;
}

void PlacementToRecord(const WINDOWPLACEMENT& wp, int32_t* block, const PlacementFields& f) {
  if (f.state >= 0) block[f.state] = 0;
  block[f.flags] = static_cast<int32_t>(wp.flags);
  block[f.show] = static_cast<int32_t>(wp.showCmd);
  block[f.pos[0]] = wp.ptMinPosition.x;
  block[f.pos[1]] = wp.ptMinPosition.y;
  block[f.pos[2]] = wp.ptMaxPosition.x;
  block[f.pos[3]] = wp.ptMaxPosition.y;
  block[f.pos[4]] = wp.rcNormalPosition.top;
  block[f.pos[5]] = wp.rcNormalPosition.bottom;
  block[f.pos[6]] = wp.rcNormalPosition.left;
  block[f.pos[7]] = wp.rcNormalPosition.right;
}

bool RecordClosed(const int32_t* block, const PlacementFields& f) {
  return f.state >= 0 && (block[f.state] & kPlacementClosed) != 0;
}

void MarkRecordClosed(int32_t* block, const PlacementFields& f) {
  if (f.state >= 0) block[f.state] |= kPlacementClosed;
}

void SaveWindowRecord(HWND window, const PlacementFields& f) {
  WithBlock([&](int32_t* block) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (window && GetWindowPlacement(window, &wp)) {
      PlacementToRecord(wp, block, f);
    } else {
      MarkRecordClosed(block, f);
    }
  });
}

void RestoreWindowRecord(HWND window, const PlacementFields& f, int show) {
  if (!window) return;
  WINDOWPLACEMENT wp;
  bool saved = false;
  WithBlock([&](int32_t* block) { saved = RecordToPlacement(block, f, &wp); });
  if (saved) {
    SetWindowPlacement(window, &wp);
  } else {
    ShowAndUpdate(window, show);
  }
}

void SaveConductorPlacement() { SaveWindowRecord(g_views.conductor, WindowPlacementFields(kSbConductor)); }

void RestoreConductorPlacement(int show) {
  if (g_views.conductor) RestoreWindowRecord(g_views.conductor, WindowPlacementFields(kSbConductor), show);
}

void SaveAllPlacements() {
  WithBlock([](int32_t* block) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (g_app.frame && GetWindowPlacement(g_app.frame, &wp)) PlacementToRecord(wp, block, FramePlacementFields());
  });
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n)
    SaveWindowRecord(StepEditorOfTrack(n), TrackPlacementFields(n));
  SaveErrLogPlacement();
  SaveSearchLogPlacement();
  SaveNameListPlacement();
  SaveTrackWindowPlacement();
  SaveConductorPlacement();
  SaveUserExclPlacement();
  SavePlayPalettePos();
  SaveNotePalettePos();
  SavePianoPalettePos();
  PluginsSaveLayout();
}

void RestoreAllPlacements(int show) {
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n)
    if (HWND editor = StepEditorOfTrack(n)) RestoreWindowRecord(editor, TrackPlacementFields(n), show);
  RestoreErrLogPlacement(show);
  RestoreSearchLogPlacement(show);
  RestoreNameListPlacement(show);
  RestoreUserExclPlacement(show);
  RestoreTrackWindowPlacement(show);
  RestoreConductorPlacement(show);
  PluginsRestoreLayout(show);
  if (g_app.frame) RestoreWindowRecord(g_app.frame, FramePlacementFields(), show);
}

StartWindow ChooseStartWindow(int activeWindow, bool conductor, bool trackWindow, bool nameList,
                              bool stepEditor) {
  StartWindow chosen = StartWindow::Conductor;
  bool exists = conductor;
  switch (activeWindow) {
    case 1:
    case 2:
    case 3:
      chosen = StartWindow::TrackWindow;
      exists = trackWindow;
      break;
    case 4:
      chosen = StartWindow::NameList;
      exists = nameList;
      break;
    case 5:
      chosen = StartWindow::StepEditor;
      exists = stepEditor;
      break;
  }
  if (exists) return chosen;
  if (conductor) return StartWindow::Conductor;
  if (trackWindow) return StartWindow::TrackWindow;
  return StartWindow::None;
}

void ActivateStartWindow() {
  HWND firstEditor = nullptr;
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks && !firstEditor; ++n)
    firstEditor = StepEditorOfTrack(n);
  HWND window = nullptr;
  switch (ChooseStartWindow(g_settings.activeWindow, g_views.conductor != nullptr,
                            g_viewWindows.trackWindow != nullptr, g_viewWindows.nameList != nullptr,
                            firstEditor != nullptr)) {
    case StartWindow::Conductor: window = g_views.conductor; break;
    case StartWindow::TrackWindow: window = g_viewWindows.trackWindow; break;
    case StartWindow::NameList: window = g_viewWindows.nameList; break;
    case StartWindow::StepEditor:
      window = firstEditor;
      BringWindowToTop(window);
      break;
    case StartWindow::None: return;
  }
  if (!window || !g_app.mdiClient) return;
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
  SetFocus(window);
}

int ActivateTrackWindow(int track) {
  if (track < 1 || track > g_song.trackCount || !g_app.mdiClient) return 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  HWND editor = StepEditorOfTrack(track);
  if (editor) {
    const bool swap = g_settings.qKey ? !ctrl : ctrl;
    const bool wantSwap = swap != (g_settings.trSwap != 0);
    if (IsIconic(editor)) ShowWindow(editor, SW_RESTORE);
    if (wantSwap) {
      HWND picked = StepEditorToReuse();
      if (picked && picked != editor) {
        WINDOWPLACEMENT a = {}, b = {};
        a.length = b.length = sizeof a;
        if (GetWindowPlacement(editor, &a) && GetWindowPlacement(picked, &b)) {
          SetWindowPlacement(editor, &b);
          SetWindowPlacement(picked, &a);
        }
      }
    }
    SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(editor), 0);
    SetFocus(editor);
    return 1;
  }
  const int open = CountStepEditors();
  const bool wantNew = (g_settings.windowMaxSw ? ctrl : !ctrl) && open < g_settings.windowMax;
  HWND picked = StepEditorToReuse();
  if (wantNew || !picked) return CreateStepEditor(track, 0) ? 1 : 0;
  if (!RebindStepEditor(picked, track)) return 0;
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(picked), 0);
  SetFocus(picked);
  RECT r;
  GetClientRect(picked, &r);
  SendMessageA(picked, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
  return 1;
}
