// The frame menu's item states, worked out from the play state and the active
// child without touching a window, and applied to a real menu separately.
#pragma once

#include <windows.h>

#include <vector>

#include "resource.h"

// Menu commands the resource script does not name (yet).
constexpr UINT IDM_FILE_PASTE_SONG = 40024;
constexpr UINT IDM_PLAY_ITEMS_FIRST = 2183;  // 2183-2191
constexpr UINT IDM_PLAY_ITEMS_LAST = 2191;
constexpr UINT IDM_PLAY_DRIVER = 2196;  // needs the Super MPU driver
constexpr UINT IDM_PLAY_MORE_FIRST = 2360;  // 2360-2364
constexpr UINT IDM_PLAY_MORE_LAST = 2364;
constexpr UINT IDM_TRKSET_SEND = 2354;  // also needs the ports
constexpr UINT IDM_OTHER_PORTS = 6101;  // needs the ports
constexpr UINT IDM_VIEW_PANE_SCORE = 2179;
constexpr UINT IDM_EDIT_UNDO = 2700;
constexpr UINT IDM_EDIT_CUT = 2701;
constexpr UINT IDM_EDIT_COPY = 2702;
constexpr UINT IDM_EDIT_PASTE = 2703;
constexpr UINT IDM_EDIT_CLEAR = 2704;
constexpr UINT IDM_EDIT_DELETE = 2705;
constexpr UINT IDM_EDIT_SELECT = 2199;
constexpr UINT IDM_EDIT_FIND = 2200;
constexpr UINT IDM_EDIT_REPLACE = 2201;
constexpr UINT IDM_VIEW_STEP = 3001;
constexpr UINT IDM_VIEW_RHYTHM = 3002;
constexpr UINT IDM_VIEW_FIELDS = 3003;
constexpr UINT IDM_STEPINPUT_FIRST = 2745;  // 2745-2750, one per step-input mode
constexpr UINT IDM_STEPINPUT_LAST = 2750;

// Position of the step editor's sub-menu that follows the busy state in step
// display: sub-menu 7 of the menu bar's second menu.
constexpr int kStepSubMenuBarPos = 1;
constexpr int kStepSubMenuPos = 7;

enum class ActiveChild {
  None,
  TrackWindow,  // one of the song's step editors
  TrackSetup,
  NameList,
  Conductor,
  UserExclusive,
  ErrorLog,
  SearchLog,
  Other,
};

struct MenuInputs {
  bool busy = false;  // playing, or the busy flag set
  bool recording = false;
  bool paused = false;
  bool pauseTestBound = false;  // engine exports its pause test
  bool songClipboard = false;
  bool superMpuDriver = false;
  bool mailBound = false;
  bool portsUnavailable = false;
  bool playPaletteVisible = false;
  bool pianoPaletteVisible = false;
  bool scoreViewExists = false;
  ActiveChild child = ActiveChild::None;
  // Step editor (track window or another editor child).
  bool canUndo = false;
  int stepInputMode = 0;  // the raw mode word; the mode is word / 2
  // Track window only.
  bool trackDataExists = false;
  bool hasScorePane = false;
  int firstViewFlag = 0;
  int lineCount = 0;
  bool rhythmDisplay = false;  // editor mode word 1
};

enum class ItemEnable : unsigned char { Keep, Enabled, Grayed };
enum class ItemCheck : unsigned char { Keep, Checked, Unchecked };

enum class MenuTarget : unsigned char {
  Frame,         // id is a command of the frame menu
  EditorPopup,   // id is a command of the step editor's popup menu
  StepSubMenu,   // id is a position in the bar's second menu
};

struct MenuItemState {
  MenuTarget target = MenuTarget::Frame;
  UINT id = 0;
  ItemEnable enable = ItemEnable::Keep;
  ItemCheck check = ItemCheck::Keep;
  bool operator==(const MenuItemState&) const = default;
};

enum class PauseText : unsigned char { Keep, Pause, Resume };

struct MenuPlan {
  std::vector<MenuItemState> items;  // one per target and id, sorted
  PauseText pauseText = PauseText::Keep;
  bool rebuildRecentFiles = false;  // the caller rebuilds the recent-file entries
  bool checkNameListModules = false;  // the caller checks the name list's modules
};

MenuPlan ComputeMenuPlan(const MenuInputs& in);

// The state of one item in a plan, or a Keep/Keep entry when the plan leaves it.
MenuItemState FindMenuItem(const MenuPlan& plan, UINT id, MenuTarget target = MenuTarget::Frame);


// Sets the items on the frame menu (and on the step editor's popup when given);
// entries for the other menu are skipped when it is null.
void ApplyMenuStates(HMENU menu, const std::vector<MenuItemState>& items, HMENU editorPopup = nullptr);
void ApplyPauseText(HMENU menu, PauseText text);
void ApplyMenuPlan(HMENU menu, const MenuPlan& plan, HMENU editorPopup = nullptr);
