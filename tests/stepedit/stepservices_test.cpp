#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "playmonentries.h"
#include "programstate.h"
#include "settings.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "testsupport.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// A frame with an MDI client standing in for the shell's.
class MdiFrame {
 public:
  MdiFrame() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = FrameProc;
      wc.hInstance = Instance();
      wc.lpszClassName = "ZkStepTestFrame";
      RegisterClassA(&wc);
      WNDCLASSA child{};
      child.lpfnWndProc = DefMDIChildProcA;
      child.hInstance = Instance();
      child.lpszClassName = "ZkFakeMonitor";
      RegisterClassA(&child);
      registered = true;
    }
    frame_ = CreateWindowA("ZkStepTestFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                           nullptr, nullptr, Instance(), nullptr);
    CLIENTCREATESTRUCT ccs{};
    client_ = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 600, 400,
                            frame_, nullptr, Instance(), &ccs);
    g_app.mdiClient = client_;
  }
  ~MdiFrame() {
    g_app.mdiClient = nullptr;
    DestroyWindow(frame_);
  }
  HWND client() const { return client_; }
  HWND Active() const { return reinterpret_cast<HWND>(SendMessageA(client_, WM_MDIGETACTIVE, 0, 0)); }
  int Children() const {
    int n = 0;
    for (HWND w = GetWindow(client_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) ++n;
    return n;
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

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The caption the program's string table gives the monitor.
std::string PlayMonitorTitle() { return LoadAppString(42); }

// --- A monitor of our own, to see what it is handed -------------------

std::vector<std::string> g_calls;
const LOGFONTA* g_font;
int g_value, g_strips, g_defaults2;
zkplaymon::SendNowFn g_sendNow;
HWND g_createClient;
std::string g_createTitle;
int g_createMdi;

int WINAPI FakeSetDefaults(const LOGFONTA* font, int value, int strips) {
  g_calls.push_back("SetDefaults");
  g_font = font;
  g_value = value;
  g_strips = strips;
  return 1;
}

int WINAPI FakeSetDefaults2(int value, zkplaymon::SendNowFn sendNow) {
  g_calls.push_back("SetDefaults2");
  g_defaults2 = value;
  g_sendNow = sendNow;
  return 1;
}

HWND WINAPI FakeCreatePlaymon(HWND client, const char* title, int mdiChild) {
  g_calls.push_back("CreatePlaymon");
  g_createClient = client;
  g_createTitle = title ? title : "";
  g_createMdi = mdiChild;
  MDICREATESTRUCTA mcs{};
  mcs.szClass = "ZkFakeMonitor";
  mcs.szTitle = title;
  mcs.hOwner = Instance();
  mcs.x = mcs.y = CW_USEDEFAULT;
  mcs.cx = mcs.cy = CW_USEDEFAULT;
  return reinterpret_cast<HWND>(SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
}

std::vector<int> g_sent;
int CALLBACK RecordSend(int status, int channelAndPort, int data1, int data2) {
  g_sent = {status, channelAndPort, data1, data2};
  return 77;
}

class PlayMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_playmon = PlayMonEntries{};
    g_settings = AppSettings();
    g_calls.clear();
    g_stepHooks = StepServiceHooks{};
    font_ = LOGFONTA{};
    font_.lfHeight = -14;
    savedFont_ = g_prog.defaultFont;
    g_prog.defaultFont = &font_;
  }
  void TearDown() override {
    UnloadPlayMonitor();
    g_stepHooks = StepServiceHooks{};
    g_prog.defaultFont = savedFont_;
  }
  void Fake(bool defaults) {
    g_playmon.createPlaymon = FakeCreatePlaymon;
    if (defaults) {
      g_playmon.setDefaults = FakeSetDefaults;
      g_playmon.setDefaults2 = FakeSetDefaults2;
    }
  }
  LOGFONTA font_{};
  LOGFONTA* savedFont_ = nullptr;
};

TEST_F(PlayMonitorTest, HandsTheDefaultsThenCreatesTheMonitorOnce) {
  MdiFrame mdi;
  Fake(true);
  g_settings.maxTrack = 48;
  g_settings.reversUpDown = 1;
  HWND monitor = OpenPlayMonitor();
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"SetDefaults", "SetDefaults2", "CreatePlaymon"}));
  EXPECT_EQ(g_font, &font_);
  EXPECT_EQ(g_strips, 48);
  EXPECT_EQ(g_defaults2, 1);
  EXPECT_EQ(g_createClient, mdi.client());
  ASSERT_FALSE(PlayMonitorTitle().empty());
  EXPECT_EQ(g_createTitle, PlayMonitorTitle());
  EXPECT_EQ(g_createMdi, 1);
  EXPECT_EQ(g_playmon.window, monitor);
  EXPECT_EQ(mdi.Children(), 1);

  // Open: the same window, restored and made active, nothing handed again.
  HWND other = FakeCreatePlaymon(mdi.client(), "other", 1);
  ShowWindow(monitor, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(monitor));
  ASSERT_EQ(mdi.Active(), other);
  g_calls.clear();
  EXPECT_EQ(OpenPlayMonitor(), monitor);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_FALSE(IsIconic(monitor));
  EXPECT_EQ(mdi.Active(), monitor);
  EXPECT_EQ(mdi.Children(), 2);

  // Closed behind the shell's back: a new one is created.
  SendMessageA(mdi.client(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(monitor), 0);
  HWND again = OpenPlayMonitor();
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, monitor);
  EXPECT_EQ(g_calls.back(), "CreatePlaymon");
  g_playmon.window = nullptr;
}

TEST_F(PlayMonitorTest, SendRoutineReachesTheShellsOnceItIsSet) {
  MdiFrame mdi;
  Fake(true);
  ASSERT_NE(OpenPlayMonitor(), nullptr);
  ASSERT_NE(g_sendNow, nullptr);
  g_sent.clear();
  EXPECT_EQ(g_sendNow(0x90, 0x13, 60, 100), 0);   // no routine yet: nothing is sent
  EXPECT_TRUE(g_sent.empty());
  g_stepHooks.sendMidiNow = RecordSend;
  EXPECT_EQ(g_sendNow(0x90, 0x13, 60, 100), 77);
  EXPECT_EQ(g_sent, (std::vector<int>{0x90, 0x13, 60, 100}));
  g_playmon.window = nullptr;
}

TEST_F(PlayMonitorTest, WithoutTheDefaultEntriesTheMonitorIsStillCreated) {
  MdiFrame mdi;
  Fake(false);
  ASSERT_NE(OpenPlayMonitor(), nullptr);
  EXPECT_EQ(g_calls, std::vector<std::string>{"CreatePlaymon"});
  g_playmon.window = nullptr;
}

TEST_F(PlayMonitorTest, NoMonitorBoundOpensNothing) {
  MdiFrame mdi;
  g_playmon.setDefaults = FakeSetDefaults;
  g_playmon.setDefaults2 = FakeSetDefaults2;
  EXPECT_EQ(OpenPlayMonitor(), nullptr);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(mdi.Children(), 0);
}

// The play monitor library as the shell binds it, from the folder the build
// copies it to beside the test programs' own.
std::string MonitorLibraryPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string dir = path;
  dir.erase(dir.find_last_of('\\'));
  dir.erase(dir.find_last_of('\\') + 1);
  return dir + "vmidi\\vumix2.dll";
}

TEST_F(PlayMonitorTest, TheBoundMonitorLibraryOpensOneMonitorChild) {
  TempSettingsFile ini;
  const std::string library = MonitorLibraryPath();
  ASSERT_NE(GetFileAttributesA(library.c_str()), INVALID_FILE_ATTRIBUTES) << library;
  ini.Write("[PlayMon]\nApplet=" + library + "\n");
  BindPlayMonitor();
  ASSERT_NE(g_playmon.createPlaymon, nullptr);
  MdiFrame mdi;
  HWND monitor = OpenPlayMonitor();
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(ClassOf(monitor), "ZKPlayMonitor");
  EXPECT_EQ(GetParent(monitor), mdi.client());
  EXPECT_EQ(TextOf(monitor), PlayMonitorTitle());
  EXPECT_EQ(g_playmon.window, monitor);
  EXPECT_EQ(OpenPlayMonitor(), monitor);
  EXPECT_EQ(mdi.Children(), 1);
  EXPECT_EQ(mdi.Active(), monitor);
  UnloadPlayMonitor();
  EXPECT_EQ(mdi.Children(), 0);
}

// --- Character size ----------------------------------------------------

void MeasureFont(HFONT font, int* width, int* height) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  *width = tm.tmAveCharWidth;
  *height = tm.tmHeight;
}

HFONT MakeFont(int height) {
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH, "Courier New");
}

// A window of the step editor's class carrying only its record.
HWND EditorLike(StepEditorData* ed) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = Instance();
    wc.lpszClassName = kStepEditorClass;
    registered = RegisterClassA(&wc) != 0;
  }
  HWND w = CreateWindowA(kStepEditorClass, "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, Instance(), nullptr);
  SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ed));
  return w;
}

TEST(WndCharSize, TheEditorsFontTheWindowsFontOrTheSystemFixedFont) {
  HFONT small = MakeFont(-12), large = MakeFont(-28);
  int sw, sh, lw, lh, fw, fh;
  MeasureFont(small, &sw, &sh);
  MeasureFont(large, &lw, &lh);
  MeasureFont(static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT)), &fw, &fh);
  ASSERT_NE(sh, lh);

  StepEditorData ed{};
  ed.font = large;
  HWND editor = EditorLike(&ed);
  StepEditorData noFont{};
  HWND editorWithout = EditorLike(&noFont);
  HWND edit = CreateWindowA("EDIT", "", WS_POPUP, 0, 0, 100, 30, nullptr, nullptr, Instance(), nullptr);
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(small), FALSE);
  // Another class's user data word is not an editor record.
  HWND foreign = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 30, nullptr, nullptr, Instance(), nullptr);
  SetWindowLongPtrA(foreign, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ed));

  struct Case {
    const char* name;
    HWND window;
    int width, height;
  } cases[] = {
      {"editor", editor, lw, lh},
      {"editor without a font", editorWithout, fw, fh},
      {"window font", edit, sw, sh},
      {"foreign", foreign, fw, fh},
  };
  for (const Case& c : cases) {
    int w = -1, h = -1;
    GetWndCharSize(c.window, &w, &h);
    EXPECT_EQ(w, c.width) << c.name;
    EXPECT_EQ(h, c.height) << c.name;
  }
  // Either output may be left out.
  int h = -1;
  GetWndCharSize(editor, nullptr, &h);
  EXPECT_EQ(h, lh);

  for (HWND w : {editor, editorWithout, edit, foreign}) DestroyWindow(w);
  DeleteObject(small);
  DeleteObject(large);
}

}  // namespace
