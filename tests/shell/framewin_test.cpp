// The frame's window commands in the program running in the test process:
// the view items open or activate their one window, the palettes and the
// score view come and go, and the Window items act on the MDI children.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "inprocess.h"
#include "playstate.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "testsupport.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "windownav.h"

namespace {

HWND ActiveChild() { return reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0)); }

std::string ClassOf(HWND window) {
  char name[32] = {};
  if (window) GetClassNameA(window, name, sizeof name);
  return name;
}

int CountChildren(const char* className) {
  int n = 0;
  for (HWND w = GetWindow(g_app.mdiClient, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (ClassOf(w) == className) ++n;
  return n;
}

int Width(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.right - r.left;
}

// Starts from an empty MDI client and gives the suites after it back the
// windows the program had.
class FrameWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    hadConductor_ = g_views.conductor != nullptr;
    trackWindowMode_ = g_viewWindows.trackWindow ? g_viewWindows.trackWindowMode : -1;
    for (int n = 1; n <= g_song.trackCount; ++n)
      if (StepEditorOfTrack(n)) editors_.push_back(n);
    Command(IDM_WINDOW_CLOSEALL);
  }
  void TearDown() override {
    Command(IDM_WINDOW_CLOSEALL);
    for (int n : editors_) OpenTrackEditor(nullptr, n, 1, 1);
    if (trackWindowMode_ >= 0) OpenTrackWindow(nullptr, trackWindowMode_);
    if (hadConductor_) OpenConductor(nullptr);
    RunLoopFor(50);
    ClearSongModified();
  }

 private:
  bool hadConductor_ = false;
  int trackWindowMode_ = -1;
  std::vector<int> editors_;
};

struct ViewCase {
  const char* name;
  UINT command;
  const char* className;
};

class ViewCommandTest : public FrameWindowTest, public ::testing::WithParamInterface<ViewCase> {};

TEST_P(ViewCommandTest, OpensItsWindowOnceAndActivatesItAgain) {
  const ViewCase& c = GetParam();
  ASSERT_EQ(CountChildren(c.className), 0);
  Command(c.command);
  RunLoopFor(20);
  HWND first = ActiveChild();
  ASSERT_EQ(ClassOf(first), c.className);
  // Another window on top, the first one an icon: the command brings the
  // same window back rather than making a second.
  ASSERT_NE(OpenTrackEditor(nullptr, 1, 1, 1), 0);
  ShowWindow(first, SW_MINIMIZE);
  Command(c.command);
  RunLoopFor(20);
  EXPECT_EQ(ActiveChild(), first);
  EXPECT_FALSE(IsIconic(first));
  EXPECT_EQ(CountChildren(c.className), 1);
}

INSTANTIATE_TEST_SUITE_P(Views, ViewCommandTest,
                         ::testing::Values(ViewCase{"NameList", IDM_VIEW_NAMELIST, "NameList"},
                                           ViewCase{"Conductor", IDM_VIEW_CONDUCTOR, "Main"},
                                           ViewCase{"UserExclusive", 2177, "UserExclsive"},
                                           ViewCase{"TrackSetting", IDM_VIEW_TRKSET, "TrkSet"},
                                           ViewCase{"TrackView", IDM_VIEW_TRKVIEW, "TrkView"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameWindowTest, TheUserExclusiveWindowTakesItsCaption) {
  Command(2177);
  char caption[64] = {};
  GetWindowTextA(g_views.userExclusive, caption, sizeof caption);
  EXPECT_EQ(std::string(caption), "ユーザー エクスクルーシブ");
}

TEST_F(FrameWindowTest, UserExclusiveIsRefusedWhileBusy) {
  g_play.busyFlag = 1;
  Command(2177);
  g_play.busyFlag = 0;
  EXPECT_EQ(CountChildren("UserExclsive"), 0);
}

TEST_F(FrameWindowTest, PaletteItemsToggleTheirPalettes) {
  for (HWND palette : {g_views.playPalette, g_views.pianoPalette}) {
    ASSERT_NE(palette, nullptr);
    const UINT command = palette == g_views.playPalette ? IDM_VIEW_PLAYPAL : IDM_VIEW_PIANOPAL;
    const bool shown = IsWindowVisible(palette) != FALSE;
    Command(command);
    EXPECT_NE(IsWindowVisible(palette) != FALSE, shown) << command;
    Command(command);
    EXPECT_EQ(IsWindowVisible(palette) != FALSE, shown) << command;
  }
}

TEST_F(FrameWindowTest, TheScoreViewTakesItsShareOfTheFrame) {
  ASSERT_EQ(g_views.scoreView, nullptr);
  const int whole = Width(g_app.mdiClient);
  Command(IDM_VIEW_SCORE);
  ASSERT_NE(g_views.scoreView, nullptr);
  EXPECT_EQ(GetParent(g_views.scoreView), g_app.frame);
  EXPECT_LT(Width(g_app.mdiClient), whole);
  Command(IDM_VIEW_SCORE);
  EXPECT_EQ(g_views.scoreView, nullptr);
  EXPECT_EQ(Width(g_app.mdiClient), whole);
}

TEST_F(FrameWindowTest, TheTrackScoreItemAddsAndRemovesTheEditorsPane) {
  ASSERT_NE(OpenTrackEditor(nullptr, 1, 1, 1), 0);
  HWND editor = StepEditorOfTrack(1);
  ASSERT_NE(editor, nullptr);
  ShowWindow(editor, SW_RESTORE);
  StepEditorData* ed = GetStepEditorData(editor);
  ASSERT_NE(ed, nullptr);
  RECT client;
  GetClientRect(editor, &client);

  Command(2179);
  ASSERT_NE(ed->scorePane, nullptr);
  EXPECT_EQ(GetParent(ed->scorePane), editor);
  EXPECT_EQ(ClassOf(ed->scorePane), "FUMENEDIT");
  EXPECT_EQ(Width(editor), client.right + 100);

  GetClientRect(editor, &client);
  Command(2179);
  EXPECT_EQ(ed->scorePane, nullptr);
  EXPECT_EQ(Width(editor), client.right);
}

TEST_F(FrameWindowTest, TheTrackScoreItemLeavesOtherWindowsAlone) {
  Command(IDM_VIEW_CONDUCTOR);
  HWND conductor = ActiveChild();
  ASSERT_EQ(ClassOf(conductor), "Main");
  const int width = Width(conductor);
  Command(2179);
  EXPECT_EQ(Width(conductor), width);
  EXPECT_EQ(FindWindowExA(conductor, nullptr, "FUMENEDIT", nullptr), nullptr);
}

TEST_F(FrameWindowTest, CloseAllEmptiesTheClientAndTileSpreadsTheRest) {
  ASSERT_NE(OpenTrackEditor(nullptr, 1, 1, 1), 0);
  Command(IDM_VIEW_CONDUCTOR);
  HWND editor = StepEditorOfTrack(1);
  HWND conductor = g_views.conductor;
  ShowWindow(editor, SW_RESTORE);
  ShowWindow(conductor, SW_RESTORE);
  Command(IDM_WINDOW_TILE);
  RECT a, b, overlap;
  GetWindowRect(editor, &a);
  GetWindowRect(conductor, &b);
  EXPECT_FALSE(IntersectRect(&overlap, &a, &b) && overlap.right - overlap.left > 2 && overlap.bottom - overlap.top > 2);

  Command(IDM_WINDOW_CLOSEALL);
  RunLoopFor(20);
  EXPECT_EQ(CountChildren("zkfwChild"), 0);
  EXPECT_EQ(CountChildren("Main"), 0);
  EXPECT_TRUE(IsWindowVisible(g_app.mdiClient));
  // What is not a window of the song stays.
  EXPECT_TRUE(IsWindow(g_views.playPalette));
  EXPECT_TRUE(IsWindow(g_views.pianoPalette));
}

}  // namespace
