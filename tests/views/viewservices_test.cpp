#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playstate.h"
#include "songmodel.h"
#include "testsupport.h"
#include "viewglobals.h"
#include "viewservices.h"
#include "viewwindows.h"
#include "zk/messages.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// A frame with an MDI client, for the views that are MDI children.
class MdiFrame {
 public:
  MdiFrame() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = FrameProc;
      wc.hInstance = Instance();
      wc.lpszClassName = "ZkViewsTestFrame";
      RegisterClassA(&wc);
      WNDCLASSA conductor{};
      conductor.lpfnWndProc = MainWndProc;
      conductor.cbWndExtra = sizeof(LONG_PTR);
      conductor.hInstance = Instance();
      conductor.lpszClassName = "ZkViewsTestMain";
      RegisterClassA(&conductor);
      registered = true;
    }
    frame_ = CreateWindowA("ZkViewsTestFrame", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                           nullptr, Instance(), nullptr);
    CLIENTCREATESTRUCT ccs{};
    client_ = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 600, 400,
                            frame_, nullptr, Instance(), &ccs);
  }
  ~MdiFrame() { DestroyWindow(frame_); }
  HWND OpenConductor() {
    MDICREATESTRUCTA mcs{};
    mcs.szClass = "ZkViewsTestMain";
    mcs.szTitle = "conductor";
    mcs.hOwner = Instance();
    mcs.x = mcs.y = 0;
    mcs.cx = 400;
    mcs.cy = 200;
    return reinterpret_cast<HWND>(SendMessageA(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  }

 private:
  static LRESULT CALLBACK FrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefFrameProcA(w, nullptr, m, wp, lp);
  }
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
};

std::string TextOf(HWND window) {
  char text[64] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST(ConductorTempo, TenthsAreRoundedToWholeBeats) {
  MdiFrame mdi;
  HWND conductor = mdi.OpenConductor();
  ASSERT_NE(conductor, nullptr);
  ASSERT_EQ(g_views.conductor, conductor);
  HWND tempo = ConductorField(2);
  ASSERT_NE(tempo, nullptr);
  struct Case {
    int tenths;
    const char* shown;
  } cases[] = {
      {1200, "120"}, {1204, "120"}, {1205, "121"}, {1194, "119"}, {1195, "120"},
      {100, " 10"},  {95, " 10"},   {94, "  9"},   {0, "  0"},    {5, "  1"},
      {2400, "240"}, {2405, "241"}, {12345, "1235"},
  };
  for (const Case& c : cases) {
    SetConductorTempoText(c.tenths);
    EXPECT_EQ(TextOf(tempo), c.shown) << c.tenths;
  }
  // The other fields keep what they showed.
  const std::string title = TextOf(ConductorField(1));
  SetConductorTempoText(600);
  EXPECT_EQ(TextOf(ConductorField(1)), title);
  SendMessageA(GetParent(conductor), WM_MDIDESTROY, reinterpret_cast<WPARAM>(conductor), 0);
  EXPECT_EQ(g_views.conductor, nullptr);
  SetConductorTempoText(1000);   // no conductor: nothing to write into
}

TEST(ConductorTempo, ShowsTheSongHeaderTempo) {
  TestFrame frame;
  ASSERT_TRUE(NewSong(frame.hwnd()));
  MdiFrame mdi;
  HWND conductor = mdi.OpenConductor();
  ASSERT_NE(conductor, nullptr);
  for (uint16_t value : {137, 8, 240}) {
    HGLOBAL h = SongEntry(kHeaderEntry);
    ASSERT_NE(h, nullptr);
    static_cast<SongHeader*>(GlobalLock(h))->tempo = value;
    GlobalUnlock(h);
    ShowConductorTempo();
    char expected[8];
    wsprintfA(expected, "%3d", value);
    EXPECT_EQ(TextOf(ConductorField(2)), expected);
  }
  SendMessageA(GetParent(conductor), WM_MDIDESTROY, reinterpret_cast<WPARAM>(conductor), 0);
}

// A window that records the messages of the views' own range.
struct Recorded {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Recorded> g_recorded;

LRESULT CALLBACK RecordingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m >= WM_USER) g_recorded.push_back({m, wp, lp});
  return DefWindowProcA(w, m, wp, lp);
}

void RegisterRecorder() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.hInstance = Instance();
  wc.lpszClassName = "ZkViewsRecorder";
  registered = RegisterClassA(&wc) != 0;
}

// One visible window holding the recording windows of a test as children,
// so they all go with it.
class Host {
 public:
  Host() {
    RegisterRecorder();
    host_ = CreateWindowA("ZkViewsRecorder", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 200, nullptr, nullptr,
                          Instance(), nullptr);
  }
  ~Host() { DestroyWindow(host_); }
  HWND Child() {
    const int x = 100 * children_++;
    return CreateWindowA("ZkViewsRecorder", "", WS_CHILD | WS_VISIBLE, x, 0, 90, 80, host_, nullptr,
                         Instance(), nullptr);
  }

 private:
  HWND host_ = nullptr;
  int children_ = 0;
};

bool NeedsPaint(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != 0; }

TEST(ScoreView, RefreshAsksTheScoreViewToRedrawWithoutAnEditor) {
  Host host;
  HWND score = host.Child();
  ASSERT_NE(score, nullptr);
  g_recorded.clear();
  g_views.scoreView = nullptr;
  RefreshScoreView();
  EXPECT_TRUE(g_recorded.empty());

  g_views.scoreView = score;
  RefreshScoreView();
  ASSERT_EQ(g_recorded.size(), 1u);
  EXPECT_EQ(g_recorded[0].message, WM_ZK_SCOREFOLLOW);
  EXPECT_EQ(g_recorded[0].wParam, 0u);
  EXPECT_EQ(g_recorded[0].lParam, 0);
  // The pending paint is done first, so the follow draws on a clean window.
  InvalidateRect(score, nullptr, TRUE);
  RefreshScoreView();
  EXPECT_FALSE(NeedsPaint(score));
  g_views.scoreView = nullptr;
}

TEST(DisplayPanels, EveryOpenPanelIsRepainted) {
  Host host;
  HWND play = host.Child(), note = host.Child(), piano = host.Child(), location = host.Child(),
       other = host.Child();
  g_views.playPalette = play;
  g_views.notePalette = note;
  g_views.pianoPalette = piano;
  g_viewWindows.location = location;
  for (HWND w : {play, note, piano, location, other}) {
    UpdateWindow(w);
    ASSERT_FALSE(NeedsPaint(w));
  }
  InvalidateDisplayPanels();
  for (HWND w : {play, note, piano, location}) EXPECT_TRUE(NeedsPaint(w));
  EXPECT_FALSE(NeedsPaint(other));

  // Closed panels are skipped.
  g_views.notePalette = g_views.pianoPalette = nullptr;
  g_viewWindows.location = nullptr;
  for (HWND w : {play, note, piano, location}) UpdateWindow(w);
  InvalidateDisplayPanels();
  EXPECT_TRUE(NeedsPaint(play));
  for (HWND w : {note, piano, location}) EXPECT_FALSE(NeedsPaint(w));

  g_views.playPalette = nullptr;
}

TEST(TrackViews, SyncRepaintsTheOpenTrackWindowForAnEditor) {
  Host host;
  HWND track = host.Child(), editor = host.Child();
  g_viewWindows.trackWindow = track;
  UpdateWindow(track);
  SyncTrackViews(nullptr);
  EXPECT_FALSE(NeedsPaint(track));
  SyncTrackViews(editor);
  EXPECT_TRUE(NeedsPaint(track));
  g_viewWindows.trackWindow = nullptr;
  SyncTrackViews(editor);   // no track window open
}

TEST(PlaySettings, StartWithEverythingPlayedEveryChannelRecordedAndInternalSync) {
  EXPECT_EQ(g_play.playFilter, 0u);
  EXPECT_EQ(g_play.acceptChannels, 0xFFFFu);
  EXPECT_EQ(g_play.syncMode, 0u);
}

}  // namespace
