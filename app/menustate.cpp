#include "menustate.h"

#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "appglobals.h"

namespace {

struct Range {
  UINT first;
  UINT last;
};

using Group = std::initializer_list<Range>;

// Later rules override earlier ones item by item, as when the calls are made
// on the menu one after another.
class PlanBuilder {
 public:
  void Enable(UINT id, bool on, MenuTarget target = MenuTarget::Frame) {
    Entry(target, id).enable = on ? ItemEnable::Enabled : ItemEnable::Grayed;
  }
  void Check(UINT id, bool on) { Entry(MenuTarget::Frame, id).check = on ? ItemCheck::Checked : ItemCheck::Unchecked; }
  void EnableGroup(Group group, bool on) {
    for (const Range& r : group)
      for (UINT id = r.first; id <= r.last; ++id) Enable(id, on);
  }
  std::vector<MenuItemState> Items() const {
    std::vector<MenuItemState> items;
    items.reserve(entries_.size());
    for (const auto& [key, item] : entries_) items.push_back(item);
    return items;
  }

 private:
  MenuItemState& Entry(MenuTarget target, UINT id) {
    auto [it, added] = entries_.try_emplace({target, id});
    if (added) {
      it->second.target = target;
      it->second.id = id;
    }
    return it->second;
  }
  std::map<std::pair<MenuTarget, UINT>, MenuItemState> entries_;
};

// Items that only make sense while stopped; exit is left alone while busy.
constexpr Group kBusyGreyed = {{IDM_PLAY_MEASURE, IDM_PLAY_TRACK}, {IDM_PLAY_START, IDM_PLAY_START},
                               {IDM_PLAY_DRIVER, IDM_PLAY_DRIVER}, {IDM_OTHER_SENDCTRL, IDM_OTHER_SENDCTRL},
                               {IDM_PLAY_ITEMS_FIRST, IDM_PLAY_ITEMS_LAST}, {IDM_FILE_NEW, IDM_FILE_SAVEAS},
                               {IDM_PLAY_MORE_FIRST, IDM_PLAY_MORE_LAST}};
constexpr Group kIdleEnabled = {{IDM_PLAY_START, IDM_PLAY_START}, {2186, 2186},
                                {IDM_PLAY_MEASURE, IDM_PLAY_TRACK}, {IDM_OTHER_SENDCTRL, IDM_OTHER_SENDCTRL},
                                {IDM_PLAY_ITEMS_FIRST, IDM_PLAY_ITEMS_LAST}, {IDM_FILE_NEW, IDM_FILE_SAVEAS},
                                {IDM_FILE_EXIT, IDM_FILE_EXIT}, {IDM_PLAY_MORE_FIRST, IDM_PLAY_MORE_LAST}};
constexpr Group kPlayControls = {{IDM_PLAY_PAUSE, IDM_PLAY_PAUSE}, {IDM_PLAY_STOP, IDM_PLAY_STOP},
                                 {IDM_PLAY_POINTEDIT, IDM_PLAY_POINTEDIT}};
constexpr Group kWindowItems = {{IDM_WINDOW_TILE, IDM_WINDOW_ARRANGE}, {IDM_OTHER_FONT, IDM_OTHER_FONT}};
constexpr Group kNeedPorts = {{IDM_PLAY_START, IDM_PLAY_START},     {IDM_PLAY_DRIVER, IDM_PLAY_DRIVER},
                              {2186, 2186},                         {IDM_PLAY_MEASURE, IDM_PLAY_TRACK},
                              {IDM_PLAY_PAUSE, IDM_PLAY_PAUSE},     {IDM_PLAY_STOP, IDM_PLAY_STOP},
                              {IDM_VIEW_PLAYPAL, IDM_VIEW_PLAYPAL}, {IDM_OTHER_PANIC, IDM_OTHER_PORTS},
                              {IDM_VIEW_RECORD, IDM_VIEW_RECORD},   {IDM_OTHER_SENDCTRL, IDM_OTHER_SENDCTRL},
                              {IDM_TRKSET_SEND, IDM_TRKSET_SEND}};

// Items of each child kind that follow the busy state.
constexpr Group kTrackSetupItems = {{2400, 2405}, {2198, 2198}, {2168, 2171}, {2192, 2194}, {2182, 2182},
                                    {2195, 2195}, {2172, 2173}, {IDM_TRKSET_SEND, IDM_TRKSET_SEND}};
constexpr Group kConductorItems = {{2166, 2171}, {2175, 2177}, {2172, 2174}, {2181, 2181}, {2198, 2198}};
constexpr Group kUserExclusiveItems = {{2210, 2215}, {2197, 2197}, {2208, 2209}};
constexpr Group kStepDisplayItems = {
    {2710, 2710}, {IDM_EDIT_SELECT, IDM_EDIT_SELECT}, {IDM_EDIT_DELETE, IDM_EDIT_DELETE}, {2711, 2714},
    {2716, 2721}, {2723, 2725}, {2727, 2736}, {2738, 2743}, {2104, 2104}, {2106, 2119}, {2148, 2148},
    {2151, 2157}, {2757, 2758}, {7000, 7028}, {7030, 7060}, {IDM_VIEW_FIELDS, IDM_VIEW_FIELDS},
    {2164, 2165}, {IDM_STEPINPUT_FIRST, IDM_STEPINPUT_LAST}};
constexpr Group kRhythmDisplayItems = {
    {2710, 2710}, {2712, 2712}, {2714, 2714}, {2734, 2734}, {2736, 2736}, {2723, 2725},
    {IDM_EDIT_SELECT, IDM_EDIT_SELECT}, {IDM_EDIT_DELETE, IDM_EDIT_DELETE}, {2151, 2154},
    {IDM_STEPINPUT_FIRST, IDM_STEPINPUT_LAST}, {2164, 2165}, {2176, 2176}};
constexpr Group kTrackEditItems = {{IDM_EDIT_CUT, IDM_EDIT_COPY}, {IDM_EDIT_CLEAR, IDM_EDIT_DELETE},
                                   {IDM_EDIT_SELECT, IDM_EDIT_SELECT}, {IDM_EDIT_REPLACE, IDM_EDIT_REPLACE}};

void EditorItems(PlanBuilder& b, const MenuInputs& in) {
  const bool idle = !in.busy;
  const bool undo = in.canUndo && idle;
  b.Enable(IDM_EDIT_UNDO, undo);
  b.Enable(IDM_EDIT_UNDO, undo, MenuTarget::EditorPopup);
  b.Enable(IDM_EDIT_FIND, idle);
  b.Enable(IDM_EDIT_REPLACE, idle);
  int mode = in.stepInputMode / 2;
  if (mode < 1 || mode > 5) mode = 0;
  for (UINT id = IDM_STEPINPUT_FIRST; id <= IDM_STEPINPUT_LAST; ++id)
    b.Check(id, id == IDM_STEPINPUT_FIRST + UINT(mode));

  if (in.child != ActiveChild::TrackWindow || !in.trackDataExists) return;
  b.Check(IDM_VIEW_PANE_SCORE, in.hasScorePane);
  const bool firstView = in.firstViewFlag == 1;
  if (!firstView) {
    b.Enable(IDM_VIEW_STEP, false);
    b.Enable(IDM_VIEW_RHYTHM, false);
  }
  b.EnableGroup(kTrackEditItems, in.lineCount > 0 && firstView && idle);
  if (in.rhythmDisplay) {
    b.EnableGroup(kRhythmDisplayItems, idle);
  } else {
    b.Enable(kStepSubMenuPos, idle, MenuTarget::StepSubMenu);
    b.EnableGroup(kStepDisplayItems, idle);
  }
}

}  // namespace

MenuPlan ComputeMenuPlan(const MenuInputs& in) {
  PlanBuilder b;
  MenuPlan plan;
  const bool idle = !in.busy;

  // Record view stays usable while recording; the other track views while playing.
  b.Enable(IDM_VIEW_RECORD, idle || in.recording);
  b.Enable(IDM_VIEW_TRKVIEW, idle || !in.recording);
  b.Enable(IDM_VIEW_TRKSET, idle || !in.recording);

  if (in.child != ActiveChild::None) {
    plan.rebuildRecentFiles = true;
    if (in.pauseTestBound) plan.pauseText = in.paused ? PauseText::Resume : PauseText::Pause;

    if (in.busy) {
      b.Enable(IDM_EDIT_UNDO, false);
      b.Enable(IDM_EDIT_UNDO, false, MenuTarget::EditorPopup);
      b.EnableGroup(kBusyGreyed, false);
      b.EnableGroup(kPlayControls, true);
    } else {
      b.EnableGroup(kIdleEnabled, true);
      b.EnableGroup(kPlayControls, false);
      b.Enable(IDM_PLAY_DRIVER, in.superMpuDriver);
    }
    const bool paste = in.songClipboard && idle;
    b.Enable(IDM_EDIT_PASTE, paste);
    b.Enable(IDM_FILE_PASTE_SONG, paste);

    b.EnableGroup({{IDM_VIEW_STEP, IDM_VIEW_FIELDS}}, true);
    b.EnableGroup(kWindowItems, true);
    b.Check(IDM_VIEW_PLAYPAL, in.playPaletteVisible);
    b.Check(IDM_VIEW_PIANOPAL, in.pianoPaletteVisible);
    b.Check(IDM_VIEW_SCORE, in.scoreViewExists);

    switch (in.child) {
      case ActiveChild::TrackSetup: b.EnableGroup(kTrackSetupItems, idle); break;
      case ActiveChild::NameList: plan.checkNameListModules = true; break;
      case ActiveChild::Conductor: b.EnableGroup(kConductorItems, idle); break;
      case ActiveChild::UserExclusive: b.EnableGroup(kUserExclusiveItems, idle); break;
      case ActiveChild::ErrorLog: b.Enable(IDM_ERRLOG_JUMP, idle); break;
      case ActiveChild::SearchLog: b.Enable(IDM_SEARCHLOG_JUMP, idle); break;
      default: EditorItems(b, in); break;
    }
  } else {
    b.EnableGroup(kWindowItems, false);
  }

  if (in.portsUnavailable) b.EnableGroup(kNeedPorts, false);
  b.Enable(IDM_FILE_SEND, in.mailBound);

  plan.items = b.Items();
  return plan;
}

MenuItemState FindMenuItem(const MenuPlan& plan, UINT id, MenuTarget target) {
  for (const MenuItemState& item : plan.items)
    if (item.id == id && item.target == target) return item;
  return {target, id, ItemEnable::Keep, ItemCheck::Keep};
}

void ApplyMenuStates(HMENU menu, const std::vector<MenuItemState>& items, HMENU editorPopup) {
  for (const MenuItemState& item : items) {
    HMENU target = menu;
    UINT how = MF_BYCOMMAND;
    if (item.target == MenuTarget::EditorPopup) {
      target = editorPopup;
    } else if (item.target == MenuTarget::StepSubMenu) {
      target = menu ? GetSubMenu(menu, kStepSubMenuBarPos) : nullptr;
      how = MF_BYPOSITION;
    }
    if (!target) continue;
    if (item.enable != ItemEnable::Keep)
      EnableMenuItem(target, item.id, how | (item.enable == ItemEnable::Enabled ? MF_ENABLED : MF_GRAYED));
    if (item.check != ItemCheck::Keep)
      CheckMenuItem(target, item.id, how | (item.check == ItemCheck::Checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void ApplyPauseText(HMENU menu, PauseText text) {
  if (!menu || text == PauseText::Keep) return;
  // ModifyMenu resets the item's flags; keep its greying and check.
  UINT state = GetMenuState(menu, IDM_PLAY_PAUSE, MF_BYCOMMAND);
  if (state == UINT(-1)) return;
  UINT flags = MF_BYCOMMAND | MF_STRING | (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
  const std::string label = LoadAppString(text == PauseText::Resume ? IDS_RESUME_ITEM : IDS_PAUSE_ITEM);
  ModifyMenuA(menu, IDM_PLAY_PAUSE, flags, IDM_PLAY_PAUSE, label.c_str());
}

void ApplyMenuPlan(HMENU menu, const MenuPlan& plan, HMENU editorPopup) {
  ApplyPauseText(menu, plan.pauseText);
  ApplyMenuStates(menu, plan.items, editorPopup);
}
