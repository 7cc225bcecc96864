#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "menustate.h"
#include "resource.h"

// Found by the framework's printer through argument-dependent lookup.
static std::ostream& operator<<(std::ostream& out, const MenuItemState& s) {
  return out << "{target " << int(s.target) << " id " << s.id << " enable " << int(s.enable) << " check "
             << int(s.check) << "}";
}

namespace {

constexpr ItemEnable En = ItemEnable::Enabled;
constexpr ItemEnable Gr = ItemEnable::Grayed;
constexpr ItemEnable Kp = ItemEnable::Keep;
constexpr ItemCheck Ck = ItemCheck::Checked;
constexpr ItemCheck Un = ItemCheck::Unchecked;
constexpr ItemCheck Nc = ItemCheck::Keep;

struct Expect {
  UINT id;
  ItemEnable enable;
  ItemCheck check = Nc;
  MenuTarget target = MenuTarget::Frame;
};

struct Case {
  const char* name;
  MenuInputs in;
  std::vector<Expect> expects;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

// A song's step editor with a few lines, as usually active.
MenuInputs TrackEditor(bool busy) {
  MenuInputs in;
  in.busy = busy;
  in.child = ActiveChild::TrackWindow;
  in.trackDataExists = true;
  in.firstViewFlag = 1;
  in.lineCount = 5;
  in.canUndo = true;
  in.songClipboard = true;
  in.superMpuDriver = true;
  in.mailBound = true;
  return in;
}

MenuInputs With(MenuInputs in, void (*change)(MenuInputs&)) {
  change(in);
  return in;
}

MenuInputs Child(ActiveChild child, bool busy) {
  MenuInputs in;
  in.child = child;
  in.busy = busy;
  return in;
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"IdleStepEditor",
       TrackEditor(false),
       {{4006, En}, {4007, En}, {4008, En},
        {2350, En}, {2186, En}, {2158, En}, {2160, En}, {2161, En}, {2183, En}, {2191, En},
        {1001, En}, {1004, En}, {1006, En}, {2360, En}, {2364, En}, {2196, En},
        {2353, Gr}, {2352, Gr}, {2356, Gr},
        {2703, En}, {40024, En},
        {2700, En}, {2700, En, Nc, MenuTarget::EditorPopup}, {2200, En}, {2201, En},
        {2701, En}, {2702, En}, {2704, En}, {2705, En}, {2199, En},
        {kStepSubMenuPos, En, Nc, MenuTarget::StepSubMenu}, {7000, En}, {7028, En}, {7029, Kp}, {7060, En},
        {2715, Kp}, {2104, En}, {2105, Kp},
        {3001, En}, {3002, En}, {3003, En}, {4001, En}, {4004, En}, {6000, En}, {2349, En},
        {2745, En, Ck}, {2746, En, Un}, {2750, En, Un}, {2179, Kp, Un}}},
      {"PlayingStepEditor",
       TrackEditor(true),
       {{4008, Gr}, {4007, En}, {4006, En},
        {2350, Gr}, {2196, Gr}, {2158, Gr}, {2160, Gr}, {2161, Gr}, {2183, Gr}, {2191, Gr},
        {1001, Gr}, {1004, Gr}, {2360, Gr}, {2364, Gr},
        {1006, Kp}, {2186, Gr},
        {2353, En}, {2352, En}, {2356, En},
        {2703, Gr}, {40024, Gr},
        {2700, Gr}, {2700, Gr, Nc, MenuTarget::EditorPopup}, {2200, Gr}, {2201, Gr},
        {2701, Gr}, {2705, Gr}, {kStepSubMenuPos, Gr, Nc, MenuTarget::StepSubMenu}, {7000, Gr},
        {3001, En}, {3002, En}, {3003, Gr}, {4001, En}, {6000, En}, {2745, Gr, Ck}}},
      {"RecordingKeepsOnlyTheRecordView",
       With(TrackEditor(true), [](MenuInputs& in) { in.recording = true; }),
       {{4008, En}, {4007, Gr}, {4006, Gr}}},
      {"RecordingFlagIgnoredWhenIdle",
       With(TrackEditor(false), [](MenuInputs& in) { in.recording = true; }),
       {{4008, En}, {4007, En}, {4006, En}}},
      {"NoChildIdle",
       MenuInputs{},
       {{4006, En}, {4007, En}, {4008, En}, {4001, Gr}, {4002, Gr}, {4003, Gr}, {4004, Gr}, {6000, Gr},
        {2350, Kp}, {2353, Kp}, {2703, Kp}, {3001, Kp}, {2700, Kp}, {4009, Kp, Nc}, {2178, Kp, Nc},
        {2349, Gr}}},
      {"NoChildRecording",
       With(MenuInputs{}, [](MenuInputs& in) { in.busy = in.recording = true; }),
       {{4008, En}, {4007, Gr}, {4006, Gr}, {4001, Gr}, {6000, Gr}, {2350, Kp}}},
      {"DriverMissing",
       With(TrackEditor(false), [](MenuInputs& in) { in.superMpuDriver = false; }),
       {{2196, Gr}, {2350, En}}},
      {"NoSongOnClipboard",
       With(TrackEditor(false), [](MenuInputs& in) { in.songClipboard = false; }),
       {{2703, Gr}, {40024, Gr}, {2702, En}}},
      {"TrackSetupIdle",
       Child(ActiveChild::TrackSetup, false),
       {{2400, En}, {2405, En}, {2198, En}, {2168, En}, {2171, En}, {2192, En}, {2194, En}, {2182, En},
        {2195, En}, {2172, En}, {2173, En}, {2354, En}, {2174, Kp}, {2700, Kp}, {2745, Kp, Nc}}},
      {"TrackSetupBusy",
       Child(ActiveChild::TrackSetup, true),
       {{2400, Gr}, {2405, Gr}, {2198, Gr}, {2354, Gr}, {2700, Gr}, {2166, Kp}}},
      {"NameListTouchesNoChildItems",
       Child(ActiveChild::NameList, false),
       {{2400, Kp}, {2166, Kp}, {2210, Kp}, {6111, Kp}, {2700, Kp}, {2200, Kp}, {2745, Kp, Nc}, {2350, En}}},
      {"ConductorBusy",
       Child(ActiveChild::Conductor, true),
       {{2166, Gr}, {2171, Gr}, {2175, Gr}, {2177, Gr}, {2172, Gr}, {2174, Gr}, {2181, Gr}, {2198, Gr},
        {2178, Kp, Un}, {2400, Kp}}},
      {"ConductorIdle",
       Child(ActiveChild::Conductor, false),
       {{2166, En}, {2174, En}, {2181, En}, {2198, En}, {2354, Kp}}},
      {"UserExclusiveBusy",
       Child(ActiveChild::UserExclusive, true),
       {{2210, Gr}, {2215, Gr}, {2197, Gr}, {2208, Gr}, {2209, Gr}, {2216, Kp}}},
      {"UserExclusiveIdle",
       Child(ActiveChild::UserExclusive, false),
       {{2210, En}, {2215, En}, {2197, En}, {2208, En}}},
      {"ErrorLog",
       Child(ActiveChild::ErrorLog, true),
       {{6111, Gr}, {6116, Kp}, {2700, Gr}, {2200, Kp}}},
      {"SearchLog",
       Child(ActiveChild::SearchLog, false),
       {{6116, En}, {6111, Kp}}},
      {"OtherEditorWithoutTrack",
       With(Child(ActiveChild::Other, false), [](MenuInputs& in) {
         in.canUndo = true;
         in.trackDataExists = true;
       }),
       {{2700, En}, {2700, En, Nc, MenuTarget::EditorPopup}, {2200, En}, {2201, En}, {2745, Kp, Ck},
        {2701, Kp}, {2179, Kp, Nc}, {kStepSubMenuPos, Kp, Nc, MenuTarget::StepSubMenu}, {7000, Kp}}},
      {"NothingToUndo",
       With(TrackEditor(false), [](MenuInputs& in) { in.canUndo = false; }),
       {{2700, Gr}, {2700, Gr, Nc, MenuTarget::EditorPopup}}},
      {"TrackWindowWithoutData",
       With(TrackEditor(false), [](MenuInputs& in) {
         in.trackDataExists = false;
         in.firstViewFlag = 0;
       }),
       {{2179, Kp, Nc}, {3001, En}, {3002, En}, {2701, Kp}, {7000, Kp}, {2201, En}, {2745, Kp, Ck}}},
      {"ScorePane",
       With(TrackEditor(false), [](MenuInputs& in) { in.hasScorePane = true; }),
       {{2179, Kp, Ck}}},
      {"NotFirstView",
       With(TrackEditor(false), [](MenuInputs& in) { in.firstViewFlag = 2; }),
       {{3001, Gr}, {3002, Gr}, {3003, En}, {2701, Gr}, {2702, Gr}, {2704, Gr}, {2201, Gr},
        // the step-display rule comes later and frees these two again
        {2705, En}, {2199, En}}},
      {"NoLines",
       With(TrackEditor(false), [](MenuInputs& in) { in.lineCount = 0; }),
       {{2701, Gr}, {2702, Gr}, {2704, Gr}, {2201, Gr}, {2705, En}, {3001, En}}},
      {"NoLinesRhythmDisplay",
       With(TrackEditor(false), [](MenuInputs& in) {
         in.lineCount = 0;
         in.rhythmDisplay = true;
       }),
       {{2701, Gr}, {2199, En}, {2705, En}, {2710, En}, {2711, Kp}}},
      {"RhythmDisplayBusy",
       With(TrackEditor(true), [](MenuInputs& in) { in.rhythmDisplay = true; }),
       {{2710, Gr}, {2712, Gr}, {2714, Gr}, {2734, Gr}, {2736, Gr}, {2723, Gr}, {2725, Gr}, {2199, Gr},
        {2705, Gr}, {2151, Gr}, {2154, Gr}, {2745, Gr, Ck}, {2750, Gr, Un}, {2164, Gr}, {2165, Gr},
        {2176, Gr},
        {2711, Kp}, {2713, Kp}, {2735, Kp}, {2155, Kp}, {7000, Kp}, {3003, En},
        {kStepSubMenuPos, Kp, Nc, MenuTarget::StepSubMenu}}},
      {"RhythmDisplayIdle",
       With(TrackEditor(false), [](MenuInputs& in) { in.rhythmDisplay = true; }),
       {{2710, En}, {2176, En}, {2745, En, Ck}}},
      {"PortsHeldIdleTrackSetup",
       With(Child(ActiveChild::TrackSetup, false), [](MenuInputs& in) {
         in.portsUnavailable = true;
         in.superMpuDriver = true;
       }),
       {{2350, Gr}, {2196, Gr}, {2186, Gr}, {2158, Gr}, {2159, Gr}, {2160, Gr}, {2353, Gr}, {2352, Gr},
        {4009, Gr, Un}, {6100, Gr}, {6101, Gr}, {4008, Gr}, {2161, Gr}, {2354, Gr},
        {6102, Kp}, {4007, En}, {2356, Gr}, {2400, En}}},
      {"PortsHeldPlayingNoChild",
       With(MenuInputs{}, [](MenuInputs& in) {
         in.portsUnavailable = true;
         in.busy = in.recording = true;
       }),
       {{2350, Gr}, {2353, Gr}, {2352, Gr}, {4008, Gr}, {4009, Gr}, {6100, Gr}, {6101, Gr}, {2354, Gr},
        {4007, Gr}}},
      {"PalettesAndScoreShown",
       With(Child(ActiveChild::Conductor, false), [](MenuInputs& in) {
         in.playPaletteVisible = in.pianoPaletteVisible = in.scoreViewExists = true;
       }),
       {{4009, Kp, Ck}, {4010, Kp, Ck}, {2178, Kp, Ck}}},
      {"PalettesHidden",
       Child(ActiveChild::SearchLog, true),
       {{4009, Kp, Un}, {4010, Kp, Un}, {2178, Kp, Un}}},
      {"MailBound",
       With(MenuInputs{}, [](MenuInputs& in) { in.mailBound = true; }),
       {{2349, En}}},
  };
  return cases;
}

class MenuRules : public ::testing::TestWithParam<Case> {};

TEST_P(MenuRules, ItemStates) {
  const Case& c = GetParam();
  MenuPlan plan = ComputeMenuPlan(c.in);
  for (const Expect& e : c.expects) {
    MenuItemState want{e.target, e.id, e.enable, e.check};
    EXPECT_EQ(want, FindMenuItem(plan, e.id, e.target)) << "item " << e.id;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, MenuRules, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(MenuPlanShape, OneEntryPerItemSorted) {
  MenuPlan plan = ComputeMenuPlan(TrackEditor(true));
  for (size_t i = 1; i < plan.items.size(); ++i) {
    const MenuItemState& a = plan.items[i - 1];
    const MenuItemState& b = plan.items[i];
    EXPECT_TRUE(a.target < b.target || (a.target == b.target && a.id < b.id)) << a << " then " << b;
  }
}

TEST(MenuStepInput, ModeWordPicksTheCheckedItem) {
  struct ModeCase {
    int word;
    UINT checked;
  };
  const ModeCase cases[] = {{0, 2745}, {1, 2745}, {2, 2746}, {3, 2746}, {7, 2748}, {10, 2750},
                            {11, 2750}, {12, 2745}, {13, 2745}, {-2, 2745}, {-10, 2745}, {1000, 2745}};
  for (const ModeCase& m : cases) {
    MenuInputs in = TrackEditor(false);
    in.stepInputMode = m.word;
    MenuPlan plan = ComputeMenuPlan(in);
    for (UINT id = IDM_STEPINPUT_FIRST; id <= IDM_STEPINPUT_LAST; ++id)
      EXPECT_EQ(id == m.checked ? Ck : Un, FindMenuItem(plan, id).check) << "mode word " << m.word << " item " << id;
  }
}

TEST(MenuPauseText, FollowsPauseStateWhenTheEngineCanTell) {
  struct PauseCase {
    bool bound;
    bool paused;
    ActiveChild child;
    PauseText text;
  };
  const PauseCase cases[] = {
      {true, true, ActiveChild::TrackWindow, PauseText::Resume},
      {true, false, ActiveChild::TrackWindow, PauseText::Pause},
      {false, true, ActiveChild::TrackWindow, PauseText::Keep},
      {true, true, ActiveChild::ErrorLog, PauseText::Resume},
      {true, true, ActiveChild::None, PauseText::Keep},
  };
  for (const PauseCase& p : cases) {
    MenuInputs in = TrackEditor(true);
    in.pauseTestBound = p.bound;
    in.paused = p.paused;
    in.child = p.child;
    EXPECT_EQ(p.text, ComputeMenuPlan(in).pauseText) << p.bound << p.paused << int(p.child);
  }
}

TEST(MenuPlanHints, RecentFilesAndNameListModules) {
  EXPECT_FALSE(ComputeMenuPlan(MenuInputs{}).rebuildRecentFiles);
  EXPECT_TRUE(ComputeMenuPlan(Child(ActiveChild::ErrorLog, false)).rebuildRecentFiles);
  EXPECT_TRUE(ComputeMenuPlan(Child(ActiveChild::NameList, true)).checkNameListModules);
  EXPECT_FALSE(ComputeMenuPlan(Child(ActiveChild::Conductor, true)).checkNameListModules);
}

// A frame menu with the items the test reads back: File, a second menu whose
// position 7 is a sub-menu, and Play.
struct RealMenus {
  RealMenus() {
    bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, IDM_FILE_NEW, "new");
    AppendMenuA(file, MF_STRING, IDM_FILE_SEND, "send");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "file");
    HMENU edit = CreatePopupMenu();
    for (UINT id = 2700; id < 2707; ++id) AppendMenuA(edit, MF_STRING, id, "edit");
    sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 7000, "step");
    AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "more");
    for (UINT id = IDM_STEPINPUT_FIRST; id <= IDM_STEPINPUT_LAST; ++id) AppendMenuA(edit, MF_STRING, id, "mode");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "edit");
    HMENU play = CreatePopupMenu();
    AppendMenuA(play, MF_STRING, IDM_PLAY_START, "play");
    AppendMenuA(play, MF_STRING | MF_GRAYED, IDM_PLAY_PAUSE, "pause");
    AppendMenuA(play, MF_STRING, IDM_VIEW_PLAYPAL, "palette");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(play), "play");
    popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, IDM_EDIT_UNDO, "undo");
  }
  ~RealMenus() {
    DestroyMenu(bar);
    DestroyMenu(popup);
  }
  UINT State(UINT id) const { return GetMenuState(bar, id, MF_BYCOMMAND); }
  std::string Text(UINT id) const {
    char text[128] = {};
    GetMenuStringA(bar, id, text, sizeof text, MF_BYCOMMAND);
    return text;
  }
  HMENU bar = nullptr;
  HMENU sub = nullptr;
  HMENU popup = nullptr;
};

TEST(ApplyMenuPlan, SetsAndResetsARealMenu) {
  RealMenus m;
  ASSERT_EQ(m.sub, GetSubMenu(GetSubMenu(m.bar, kStepSubMenuBarPos), kStepSubMenuPos));

  MenuInputs playing = TrackEditor(true);
  playing.pauseTestBound = true;
  playing.paused = true;
  playing.stepInputMode = 6;
  playing.playPaletteVisible = true;
  playing.mailBound = false;
  ApplyMenuPlan(m.bar, ComputeMenuPlan(playing), m.popup);

  EXPECT_EQ(UINT(MF_GRAYED), m.State(IDM_FILE_NEW) & (MF_GRAYED | MF_CHECKED));
  EXPECT_EQ(UINT(MF_GRAYED), m.State(IDM_PLAY_START) & MF_GRAYED);
  EXPECT_EQ(0u, m.State(IDM_PLAY_PAUSE) & MF_GRAYED);
  EXPECT_EQ(std::string("演奏の再開(&U)\tHOME"), m.Text(IDM_PLAY_PAUSE));
  EXPECT_EQ(UINT(MF_GRAYED), m.State(2701) & MF_GRAYED);
  EXPECT_EQ(UINT(MF_GRAYED), m.State(IDM_EDIT_UNDO) & MF_GRAYED);
  EXPECT_EQ(UINT(MF_GRAYED), GetMenuState(m.popup, IDM_EDIT_UNDO, MF_BYCOMMAND) & MF_GRAYED);
  HMENU edit = GetSubMenu(m.bar, kStepSubMenuBarPos);
  EXPECT_EQ(UINT(MF_GRAYED), GetMenuState(edit, kStepSubMenuPos, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(UINT(MF_CHECKED | MF_GRAYED), m.State(2748) & (MF_CHECKED | MF_GRAYED));
  EXPECT_EQ(0u, m.State(2745) & MF_CHECKED);
  EXPECT_EQ(UINT(MF_CHECKED), m.State(IDM_VIEW_PLAYPAL) & MF_CHECKED);
  EXPECT_EQ(UINT(MF_GRAYED), m.State(IDM_FILE_SEND) & MF_GRAYED) << "no mail";

  MenuInputs stopped = TrackEditor(false);
  stopped.pauseTestBound = true;
  stopped.mailBound = true;
  ApplyMenuPlan(m.bar, ComputeMenuPlan(stopped), m.popup);

  EXPECT_EQ(0u, m.State(IDM_FILE_NEW) & MF_GRAYED);
  EXPECT_EQ(0u, m.State(IDM_PLAY_START) & MF_GRAYED);
  EXPECT_EQ(UINT(MF_GRAYED), m.State(IDM_PLAY_PAUSE) & MF_GRAYED);
  EXPECT_EQ(std::string("演奏の中断(&U)\tHOME"), m.Text(IDM_PLAY_PAUSE));
  EXPECT_EQ(IDM_PLAY_PAUSE, GetMenuItemID(GetSubMenu(m.bar, 2), 1));
  EXPECT_EQ(0u, m.State(2701) & MF_GRAYED);
  EXPECT_EQ(0u, GetMenuState(m.popup, IDM_EDIT_UNDO, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_EQ(0u, GetMenuState(edit, kStepSubMenuPos, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(UINT(MF_CHECKED), m.State(2745) & MF_CHECKED);
  EXPECT_EQ(0u, m.State(2748) & MF_CHECKED);
  EXPECT_EQ(0u, m.State(IDM_VIEW_PLAYPAL) & MF_CHECKED);
  EXPECT_EQ(0u, m.State(IDM_FILE_SEND) & MF_GRAYED);
}

TEST(ApplyMenuPlan, PauseTextKeepsTheItemsGreying) {
  RealMenus m;
  ApplyPauseText(m.bar, PauseText::Resume);
  EXPECT_EQ(std::string("演奏の再開(&U)\tHOME"), m.Text(IDM_PLAY_PAUSE));
  EXPECT_EQ(UINT(MF_GRAYED), m.State(IDM_PLAY_PAUSE) & MF_GRAYED) << "was grey before the text changed";
}

TEST(ApplyMenuPlan, PopupEntriesSkippedWithoutPopup) {
  RealMenus m;
  MenuInputs in = TrackEditor(false);
  in.canUndo = false;
  ApplyMenuStates(m.bar, ComputeMenuPlan(in).items);
  EXPECT_EQ(UINT(MF_GRAYED), m.State(IDM_EDIT_UNDO) & MF_GRAYED);
  EXPECT_EQ(0u, GetMenuState(m.popup, IDM_EDIT_UNDO, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
