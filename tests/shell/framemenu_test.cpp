// The frame's menu as it opens, and the frame's play routines, in the
// program started inside the test process.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "engine.h"
#include "framemenu.h"
#include "inprocess.h"
#include "playroutines.h"
#include "playstate.h"
#include "plugins.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "toolpalette.h"
#include "viewglobals.h"

namespace {

int g_fakePlaying = 0;
int g_fakePaused = 0;
int WINAPI FakeCheckPlaying() { return g_fakePlaying; }
int WINAPI FakeCheckPauseing() { return g_fakePaused; }

struct MenuStateCall {
  DWORD id;
  HMENU menu;
  int busy;
};
std::vector<MenuStateCall> g_menuStateCalls;
void WINAPI RecordMenuState(DWORD id, HMENU menu, int busy) { g_menuStateCalls.push_back({id, menu, busy}); }

class FrameMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    saved_ = g_engine;
    savedPlay_ = g_play;
    g_engine.checkPlaying = FakeCheckPlaying;
    g_engine.checkPauseing = nullptr;
    g_fakePlaying = g_fakePaused = 0;
    g_app.portsUnavailable = 0;
    menu_ = GetMenu(g_app.frame);
    ASSERT_NE(menu_, nullptr);
    // Some child is active, as after start-up.
    ASSERT_NE(g_views.conductor, nullptr);
    SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(g_views.conductor), 0);
  }
  void TearDown() override {
    g_engine = saved_;
    g_play = savedPlay_;
    g_app.portsUnavailable = 0;
    Open();
  }
  void Open() { SendMessageA(g_app.frame, WM_INITMENU, reinterpret_cast<WPARAM>(menu_), 0); }
  bool Grey(UINT id) const { return (GetMenuState(menu_, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
  std::string Text(UINT id) const {
    char text[64] = "";
    GetMenuStringA(menu_, id, text, sizeof text, MF_BYCOMMAND);
    return text;
  }

  HMENU menu_ = nullptr;
  EngineEntries saved_{};
  PlayState savedPlay_{};
};

TEST_F(FrameMenuTest, StoppedAndPlayingStatesSwapTheFileAndPlayItems) {
  Open();
  for (UINT id : {IDM_FILE_NEW, IDM_FILE_OPEN, IDM_PLAY_START, IDM_PLAY_POINT}) EXPECT_FALSE(Grey(id)) << id;
  for (UINT id : {IDM_PLAY_STOP, IDM_PLAY_PAUSE, IDM_PLAY_POINTEDIT}) EXPECT_TRUE(Grey(id)) << id;

  g_fakePlaying = 1;
  Open();
  for (UINT id : {IDM_FILE_NEW, IDM_FILE_OPEN, IDM_PLAY_START, IDM_PLAY_POINT}) EXPECT_TRUE(Grey(id)) << id;
  for (UINT id : {IDM_PLAY_STOP, IDM_PLAY_PAUSE, IDM_PLAY_POINTEDIT}) EXPECT_FALSE(Grey(id)) << id;

  // A busy operation counts as playing.
  g_fakePlaying = 0;
  g_play.busyFlag = 1;
  Open();
  EXPECT_TRUE(Grey(IDM_PLAY_START));
  EXPECT_FALSE(Grey(IDM_PLAY_STOP));
}

TEST_F(FrameMenuTest, PortsHeldElsewhereGreyPlayRecordPanicAndTune) {
  g_app.portsUnavailable = 1;
  Open();
  for (UINT id : {IDM_PLAY_START, IDM_PLAY_STOP, IDM_PLAY_PAUSE, IDM_PLAY_POINT, IDM_VIEW_RECORD, IDM_OTHER_PANIC})
    EXPECT_TRUE(Grey(id)) << id;
  g_app.portsUnavailable = 0;
  Open();
  EXPECT_FALSE(Grey(IDM_PLAY_START));
}

TEST_F(FrameMenuTest, ThePauseItemReadsResumeOnlyWhilePausedAndOnlyWithThePauseTest) {
  const std::string original = Text(IDM_PLAY_PAUSE);
  g_fakePlaying = 1;
  Open();
  EXPECT_EQ(Text(IDM_PLAY_PAUSE), original);
  g_engine.checkPauseing = FakeCheckPauseing;
  g_fakePaused = 1;
  Open();
  EXPECT_EQ(Text(IDM_PLAY_PAUSE), std::string("演奏の再開(&U)\tHOME"));
  EXPECT_FALSE(Grey(IDM_PLAY_PAUSE));
  g_fakePaused = 0;
  Open();
  EXPECT_EQ(Text(IDM_PLAY_PAUSE), std::string("演奏の中断(&U)\tHOME"));
}

TEST_F(FrameMenuTest, EachPluginSetsItsOwnItemsWithTheBusyState) {
  const ControllerPlugin saved = g_plugins[3];
  g_plugins[3].id = 4100;
  g_plugins[3].entry76 = reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RecordMenuState));
  g_menuStateCalls.clear();
  Open();
  g_fakePlaying = 1;
  Open();
  g_plugins[3] = saved;
  ASSERT_EQ(g_menuStateCalls.size(), 2u);
  EXPECT_EQ(LOWORD(g_menuStateCalls[0].id), 4100);
  EXPECT_EQ(g_menuStateCalls[0].menu, menu_);
  EXPECT_EQ(g_menuStateCalls[0].busy, 0);
  EXPECT_EQ(g_menuStateCalls[1].busy, 1);
}

// Puts OEM text on the clipboard.
bool SetClipboardOem(const char* text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const size_t size = std::strlen(text) + 1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(h), text, size);
  GlobalUnlock(h);
  const bool set = SetClipboardData(CF_OEMTEXT, h) != nullptr;
  CloseClipboard();
  return set;
}

// The frame's own menu has no Edit menu; the step editor's menus do.
TEST_F(FrameMenuTest, PasteFollowsTheSongClipboard) {
  HMENU edit = CreateMenu();
  AppendMenuA(edit, MF_STRING, IDM_EDIT_PASTE, "paste");
  AppendMenuA(edit, MF_STRING, IDM_FILE_PASTE_SONG, "paste mixed");
  auto grey = [&](UINT id) { return (GetMenuState(edit, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
  ASSERT_TRUE(SetClipboardOem("ZKP 1 2 3"));
  EXPECT_EQ(IsSongClipboard(), 1);
  UpdateFrameMenus(edit);
  EXPECT_FALSE(grey(IDM_EDIT_PASTE));
  EXPECT_FALSE(grey(IDM_FILE_PASTE_SONG));
  g_fakePlaying = 1;
  UpdateFrameMenus(edit);
  EXPECT_TRUE(grey(IDM_EDIT_PASTE));
  g_fakePlaying = 0;
  ASSERT_TRUE(SetClipboardOem("ZK other text"));
  EXPECT_EQ(IsSongClipboard(), 0);
  UpdateFrameMenus(edit);
  EXPECT_TRUE(grey(IDM_EDIT_PASTE));
  EXPECT_TRUE(grey(IDM_FILE_PASTE_SONG));
  DestroyMenu(edit);
}

bool AcceptsFiles(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

TEST_F(FrameMenuTest, PlayControlsSwitchTrackDropsAndToolButtons) {
  HWND editor = StepEditorOfTrack(1);
  HWND created = nullptr;
  if (!editor) editor = created = CreateStepEditor(1, 0);
  ASSERT_NE(editor, nullptr);
  DragAcceptFiles(editor, TRUE);
  ResetToolButtonStates();

  BeginPlayControls(false, true);
  EXPECT_FALSE(AcceptsFiles(editor));
  for (int button : {0, 1, 2, 3, 4, 5, 8, 11, 12}) EXPECT_EQ(ToolButtonState(button), 1) << button;
  EXPECT_EQ(ToolButtonState(7), 0);
  EndPlayControls();
  EXPECT_EQ(AcceptsFiles(editor), g_settings.dragDropEdit != 0);
  ResetToolButtonStates();
  if (created) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(created), 0);
}

TEST_F(FrameMenuTest, MonitorRecordsCopyForTheSongsTracks) {
  ASSERT_NE(g_prog.playTrackData, nullptr);
  const int tracks = g_song.trackCount;
  ASSERT_GT(tracks, 0);
  for (int i = 0; i < tracks; ++i) g_prog.playTrackData[i].measure = static_cast<uint16_t>(10 + i);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (tracks + 1) * sizeof(PlayMonRecord));
  CopyPlayDatRecords(block);
  const auto* records = static_cast<const PlayMonRecord*>(GlobalLock(block));
  for (int i = 0; i < tracks; ++i) EXPECT_EQ(records[i].measure, 10 + i);
  EXPECT_EQ(records[tracks].measure, 0);  // nothing past the track count
  GlobalUnlock(block);
  GlobalFree(block);
  // A block too small takes what fits.
  HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(PlayMonRecord));
  CopyPlayDatRecords(small);
  EXPECT_EQ(static_cast<const PlayMonRecord*>(GlobalLock(small))->measure, 10);
  GlobalUnlock(small);
  GlobalFree(small);
  for (int i = 0; i < tracks; ++i) g_prog.playTrackData[i].measure = 0;
}

RECT ClientBox() {
  RECT r;
  GetWindowRect(g_app.mdiClient, &r);
  MapWindowPoints(nullptr, g_app.frame, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(FrameMenuTest, TheMdiClientIsLaidOutAsTheFramesSizeDoes) {
  RECT frame;
  GetClientRect(g_app.frame, &frame);
  SendMessageA(g_app.frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(frame.right, frame.bottom));
  const RECT sized = ClientBox();
  MoveWindow(g_app.mdiClient, 5, 7, 50, 40, TRUE);
  LayoutMdiClient();
  const RECT laid = ClientBox();
  EXPECT_TRUE(EqualRect(&sized, &laid)) << laid.left << "," << laid.top << " " << laid.right << "," << laid.bottom;
}

}  // namespace
