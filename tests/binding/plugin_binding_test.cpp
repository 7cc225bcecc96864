// The play monitor, the splash libraries and the controller plug-ins, bound
// from the libraries the settings name.
#include <cstring>

#include "bindingtest.h"

namespace {

// A frame with an MDI client, for the windows the libraries create in it.
class MdiFrame {
 public:
  MdiFrame() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = FrameProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "ZkBindingTestFrame";
      registered = RegisterClassA(&wc) != 0;
    }
    frame_ = CreateWindowA("ZkBindingTestFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    CLIENTCREATESTRUCT ccs{};
    client_ = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 600, 400, frame_,
                            nullptr, GetModuleHandleA(nullptr), &ccs);
  }
  ~MdiFrame() { DestroyWindow(frame_); }
  HWND frame() const { return frame_; }
  HWND client() const { return client_; }

 private:
  static LRESULT CALLBACK FrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefFrameProcA(w, nullptr, m, wp, lp);
  }
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
};

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// --- Play monitor ------------------------------------------------------

std::vector<int> g_keys;
void CALLBACK RecordKey(int key) { g_keys.push_back(key); }

using PlayMonBinding = BindingTest;

TEST_F(PlayMonBinding, MonitorIsBoundRegisteredAndHandedTheCallbacks) {
  ini.Write("[PlayMon]\nApplet=vumix2.dll\n");
  g_keys.clear();
  PlayMonHostCallbacks host;
  host.sharedKey = RecordKey;
  SetPlayMonHostCallbacks(host);
  BindPlayMonitor();
  ASSERT_NE(g_playmon.library, nullptr);
  const PlayMonEntries& m = g_playmon;
  for (auto [ordinal, entry] : std::vector<std::pair<int, const void*>>{
           {1024, reinterpret_cast<const void*>(m.setLPPLAYDAT)},
           {1025, reinterpret_cast<const void*>(m.setLPPLAYMon)},
           {1026, reinterpret_cast<const void*>(m.setPlayMonChecks)},
           {1027, reinterpret_cast<const void*>(m.setDefaults)},
           {1030, reinterpret_cast<const void*>(m.getPMonDefaults)},
           {1031, reinterpret_cast<const void*>(m.writePMonDefaults)},
           {1033, reinterpret_cast<const void*>(m.registerPlayMon)},
           {1034, reinterpret_cast<const void*>(m.createPlaymon)},
           {1035, reinterpret_cast<const void*>(m.playmonKey)},
           {1040, reinterpret_cast<const void*>(m.setDefaults2)}}) {
    EXPECT_NE(entry, nullptr) << "ordinal " << ordinal;
    EXPECT_EQ(entry, reinterpret_cast<const void*>(GetProcAddress(m.library, MAKEINTRESOURCEA(ordinal))));
  }
  // Ordinals the library does not have leave only their entries null.
  EXPECT_EQ(m.setPlayMonPos, nullptr);
  EXPECT_EQ(m.showPlayMon, nullptr);
  EXPECT_EQ(m.getPMonDeskTop, nullptr);

  static char playTrackData[7600];
  EXPECT_EQ(m.setLPPLAYDAT(playTrackData), playTrackData);

  // Its window (registered at binding) reports itself through the window
  // setter and hands keys to the shared key handler.
  MdiFrame mdi;
  HWND monitor = m.createPlaymon(mdi.client(), "プレイモニタ", 1);
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(ClassOf(monitor), "ZKPlayMonitor");
  EXPECT_EQ(GetParent(monitor), mdi.client());
  EXPECT_EQ(TextOf(monitor), "プレイモニタ");
  EXPECT_TRUE(IsWindowVisible(monitor));
  EXPECT_EQ(g_playmon.window, monitor);
  SendMessageA(monitor, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(g_keys, std::vector<int>{VK_SPACE});
  SendMessageA(mdi.client(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(monitor), 0);
  EXPECT_EQ(g_playmon.window, nullptr);

  // A key arriving after the frame dropped its handler goes nowhere.
  SetPlayMonHostCallbacks(PlayMonHostCallbacks{});
  HWND popup = m.createPlaymon(mdi.client(), "popup", 0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(GetWindowLongA(popup, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_EQ(g_playmon.window, popup);
  SendMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(g_keys.size(), 1u);
  DestroyWindow(popup);

  // Unloading with the monitor open closes it first: its window must not
  // outlive the library.
  monitor = m.createPlaymon(mdi.client(), "プレイモニタ", 1);
  ASSERT_NE(monitor, nullptr);
  UnloadPlayMonitor();
  EXPECT_FALSE(IsWindow(monitor));
  EXPECT_EQ(GetWindow(mdi.client(), GW_CHILD), nullptr);
  EXPECT_EQ(g_playmon.window, nullptr);
  EXPECT_EQ(g_playmon.library, nullptr);
  EXPECT_EQ(g_playmon.createPlaymon, nullptr);
  EXPECT_EQ(GetModuleHandleA("vumix2.dll"), nullptr);
  SendMessageA(mdi.client(), WM_MDIGETACTIVE, 0, 0);   // the client still works
}

TEST_F(PlayMonBinding, NoMonitorLeavesItsEntriesNull) {
  for (const char* settings : {"", "[PlayMon]\nApplet=\n", "[PlayMon]\nApplet=nosuchmonitor.dll\n",
                               "[PlayMon]\nApplet=zktestplugin.dll\n"}) {
    SCOPED_TRACE(settings);
    ini.Write(settings);
    BindPlayMonitor();
    EXPECT_EQ(g_playmon.setLPPLAYDAT, nullptr);
    EXPECT_EQ(g_playmon.registerPlayMon, nullptr);
    EXPECT_EQ(g_playmon.createPlaymon, nullptr);
    UnloadPlayMonitor();
  }
}

TEST_F(PlayMonBinding, MonitorOpensWhereItWasAndWritesItsPlacementBack) {
  // The monitor keeps its placement in the settings file of the Windows folder.
  const char* kIni = "ZKFW95.INI";
  WritePrivateProfileStringA("DeskTop", "PlayMonitor2", "1,1,0,-1,-1,-1,-1,30,40,330,240", kIni);
  ini.Write("[PlayMon]\nApplet=vumix2.dll\n");
  BindPlayMonitor();
  ASSERT_NE(g_playmon.getPMonDefaults, nullptr);
  EXPECT_EQ(g_playmon.getPMonDefaults(), 240);   // the last value read
  HWND popup = g_playmon.createPlaymon(nullptr, "monitor", 0);
  ASSERT_NE(popup, nullptr);
  RECT r{};
  GetWindowRect(popup, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right, 330);
  EXPECT_EQ(r.bottom, 240);

  MoveWindow(popup, 50, 60, 200, 100, TRUE);
  EXPECT_EQ(g_playmon.writePMonDefaults(), 1);
  char text[128] = {};
  GetPrivateProfileStringA("DeskTop", "PlayMonitor2", "", text, sizeof text, kIni);
  std::string written = text;
  EXPECT_EQ(written.substr(0, 2), "1,");
  EXPECT_NE(written.find(",50,60,250,160"), std::string::npos) << written;
  EXPECT_EQ(written.size() - written.find(",50,60,250,160"), std::string(",50,60,250,160").size()) << written;
  EXPECT_EQ(GetPrivateProfileIntA("vumix2", "Feeder11", -1, kIni), 0u);
  DestroyWindow(popup);

  // Without a placement the default "1,-1" is read.
  WritePrivateProfileStringA("DeskTop", "PlayMonitor2", nullptr, kIni);
  WritePrivateProfileStringA("vumix2", nullptr, nullptr, kIni);
  EXPECT_EQ(g_playmon.getPMonDefaults(), -1);
}

TEST_F(PlayMonBinding, EachLibraryTellsItsTitleAndVersion) {
  struct Case {
    const char* library;
    const char* title;
  } cases[] = {{"vumix2.dll", "プレイモニタ"},
               {"zklog5.dll", "Cantorelle for Windows95"},
               {"zkplog5.dll", "プラグインの読み込み"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    HMODULE library = LoadLibraryA(c.library);
    ASSERT_NE(library, nullptr);
    auto getType = BindOrdinal<int(WINAPI*)(char*, char*)>(library, 2048);
    ASSERT_NE(getType, nullptr);
    char title[40], version[40];
    std::memset(title, 'x', sizeof title);
    std::memset(version, 'x', sizeof version);
    getType(title, version);
    EXPECT_STREQ(title, c.title);
    EXPECT_STREQ(version, "2.00");
    getType(nullptr, nullptr);   // either buffer may be left out
    FreeLibrary(library);
  }
}

// --- Splash libraries --------------------------------------------------

using SplashBinding = BindingTest;

TEST_F(SplashBinding, LogosShowWhileThePlugInsLoadAndCloseAtTheirStart) {
  ini.Write("[Splash]\nApplet=zklog5.dll\nPApplet=zkplog5.dll\n[Plugin]\nControlor0=zktestplugin.dll\n");
  BindSplashLibraries();
  ASSERT_NE(g_splash.displayLogo, nullptr);
  ASSERT_NE(g_splash.pluginLogo, nullptr);
  ASSERT_NE(g_splash.setToPluginDialog, nullptr);
  MdiFrame mdi;
  SetActiveWindow(mdi.frame());
  ASSERT_EQ(GetActiveWindow(), mdi.frame());
  ShowApplicationSplash();
  HWND logo = g_splash.appWindow;
  ASSERT_NE(logo, nullptr);
  EXPECT_TRUE(IsWindowVisible(logo));
  EXPECT_EQ(GetActiveWindow(), mdi.frame()) << "the splash took the activation";
  EXPECT_EQ(TextOf(logo), "Cantorelle for Windows95");

  LoadControllerPlugins(SW_SHOWNORMAL, nullptr);
  HWND pluginLogo = g_splash.pluginWindow;
  ASSERT_NE(pluginLogo, nullptr);
  EXPECT_TRUE(IsWindowVisible(pluginLogo));
  // The path line was replaced by the plug-in's own description.
  char line[256] = {};
  GetDlgItemTextA(pluginLogo, 1801, line, sizeof line);
  EXPECT_STREQ(line, "TESTCTRL zktestplugin     1.00 : テスト用コントローラ");
  GetDlgItemTextA(pluginLogo, 1802, line, sizeof line);
  EXPECT_STREQ(line, "");

  StartControllerPlugins(SW_SHOWNORMAL);
  EXPECT_FALSE(IsWindow(logo));
  EXPECT_FALSE(IsWindow(pluginLogo));
  EXPECT_EQ(g_splash.appWindow, nullptr);
  EXPECT_EQ(g_splash.pluginWindow, nullptr);
  FreeSplashLibraries();
  EXPECT_EQ(g_splash.displayLogo, nullptr);
  EXPECT_EQ(GetModuleHandleA("zklog5.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA("zkplog5.dll"), nullptr);
}

TEST_F(SplashBinding, ThePlugInListKeepsTheLastThreeLines) {
  ini.Write("[Splash]\nPApplet=zkplog5.dll\n");
  BindSplashLibraries();
  EXPECT_EQ(g_splash.displayLogo, nullptr);
  ASSERT_NE(g_splash.pluginLogo, nullptr);
  HWND dialog = g_splash.pluginLogo(GetDesktopWindow(), nullptr);
  ASSERT_NE(dialog, nullptr);
  auto show = g_splash.setToPluginDialog;
  show("a", "b", "c", "d", 0);
  show("", "second", "", "", 0);
  show("", "third", "", "", 0);
  show("", "fourth", "", "", 0);   // the first line goes
  show("x", "4th", "y", "z", 1);   // replaces the last
  std::vector<std::string> lines;
  for (int id = 1801; id <= 1803; ++id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    lines.push_back(text);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"               second          : ",
                                             "                third          : ",
                                             "       x          4th        y : z"}));
  DestroyWindow(dialog);
}

TEST_F(SplashBinding, NoSplashLeavesTheEntriesNullAndThePlugInsStillLoad) {
  ini.Write("[Splash]\nApplet=nosuchlogo.dll\n[Plugin]\nControlor0=zktestplugin.dll\n");
  BindSplashLibraries();
  EXPECT_EQ(g_splash.displayLogo, nullptr);
  EXPECT_EQ(g_splash.pluginLogo, nullptr);
  EXPECT_EQ(g_splash.setToPluginDialog, nullptr);
  ShowApplicationSplash();
  EXPECT_EQ(g_splash.appWindow, nullptr);
  LoadControllerPlugins(SW_SHOWNORMAL, nullptr);
  EXPECT_NE(g_plugins[0].library, nullptr);
  StartControllerPlugins(SW_SHOWNORMAL);
}

// --- Controller plug-ins -----------------------------------------------

using PluginBinding = BindingTest;

TEST_F(PluginBinding, APlugInKeepsItsSlotNumberWhateverIsEmptyBeforeIt) {
  ini.Write("[Plugin]\nControlor5=zktestplugin.dll\n");
  LoadControllerPlugins(SW_SHOWNORMAL, nullptr);
  for (int n = 0; n < kControllerPluginSlots; ++n) {
    if (n == 5) continue;
    EXPECT_EQ(g_plugins[n].library, nullptr) << "slot " << n;
    EXPECT_EQ(g_plugins[n].id, 0) << "slot " << n;
  }
  ASSERT_NE(g_plugins[5].library, nullptr);
  EXPECT_EQ(g_plugins[5].id, 0x4105);
  EXPECT_NE(g_plugins[5].songData, nullptr);
  EXPECT_NE(g_plugins[5].frameClose, nullptr);
  EXPECT_EQ(g_plugins[5].entry72, nullptr);   // not exported
  EXPECT_EQ(g_pluginNextCommandId, kFirstPluginCommandId + 10);
  EXPECT_EQ(Calls()[1], "zktestplugin Register 5 4030");
}

TEST_F(PluginBinding, ALibraryThatDoesNotDeclareItselfIsUnloaded) {
  ini.Write(
      "[Plugin]\nControlor0=zktestplugin_undeclared.dll\nControlor1=nosuchplugin.dll\n"
      "Controlor2=vumix2.dll\nControlor3=zktestplugin.dll\n");
  LoadControllerPlugins(SW_SHOWNORMAL, nullptr);
  for (int n : {0, 1, 2}) {
    EXPECT_EQ(g_plugins[n].library, nullptr) << "slot " << n;
    EXPECT_EQ(g_plugins[n].id, 0) << "slot " << n;
  }
  EXPECT_EQ(GetModuleHandleA("zktestplugin_undeclared.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA("vumix2.dll"), nullptr);   // no information entry at all
  EXPECT_NE(g_plugins[3].library, nullptr);
  // The undeclared library was asked and nothing else.
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "zktestplugin_undeclared Information 0 0", "zktestplugin Information 0 0",
                         "zktestplugin Register 3 4030", "zktestplugin NewSongData 16643",
                         "zktestplugin SetUp 16643 font 0", "zktestplugin SetUpDone 16643"}));
}

TEST_F(PluginBinding, PlugInsAreCalledInTheirOrder) {
  ini.Write("[Plugin]\nControlor3=zktestplugin.dll\nControlor7=zktestplugin2.dll\n");
  LOGFONTA font{};
  font.lfHeight = -12;
  MdiFrame mdi;
  g_app.mdiClient = mdi.client();
  g_settings.outPorts[0] = 1;
  g_settings.outPorts[1] = -1;
  g_settings.outPorts[2] = 0;
  g_settings.outPorts[3] = -2;

  LoadControllerPlugins(SW_SHOWNORMAL, &font);
  StartControllerPlugins(SW_SHOWMAXIMIZED);
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         // loading, in slot order
                         "zktestplugin Information 0 0",
                         "zktestplugin2 Information 0 0",
                         // registration and set-up of each
                         "zktestplugin Register 3 4030",
                         "zktestplugin NewSongData 16643",
                         "zktestplugin SetUp 16643 font -12",
                         "zktestplugin SetUpDone 16643",
                         "zktestplugin2 Register 7 4040",
                         "zktestplugin2 NewSongData 16647",
                         "zktestplugin2 SetUp 16647 font -12",
                         "zktestplugin2 SetUpDone 16647",
                         // start: engine, ports and windows of each, then the song
                         "zktestplugin EngineAccess 16643 0 0 0",
                         "zktestplugin Ports 16643 3 5",
                         "zktestplugin Start 16643 1 1 3 0",
                         "zktestplugin2 EngineAccess 16647 0 0 0",
                         "zktestplugin2 Ports 16647 7 5",
                         "zktestplugin2 Start 16647 1 1 3 0",
                         "zktestplugin SongData 16643 1 new.gsd",
                         "zktestplugin2 SongData 16647 1 new.gsd",
                     }));

  // The port set-up tells them the ports and the engine again.
  ClearCalls();
  std::strcpy(g_settings.applet, "zkpoly.dll");
  BindEngine();
  SetUpPorts();
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "zktestplugin Ports 16643 3 5", "zktestplugin EngineAccess 16643 1 1 1",
                         "zktestplugin2 Ports 16647 7 5", "zktestplugin2 EngineAccess 16647 1 1 1"}));

  ClearCalls();
  HMENU menu = CreateMenu();
  AddPluginMenuEntries(mdi.frame(), menu, 3, 0);
  PluginsRestoreLayout(SW_SHOWNORMAL);
  PluginsSaveLayout();
  PluginsFrameClose();
  DestroyMenu(menu);
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "zktestplugin Menu74 16643 3 0", "zktestplugin Menu75 16643 0 0",
                         "zktestplugin2 Menu74 16647 3 0", "zktestplugin2 Menu75 16647 0 0",
                         "zktestplugin RestoreLayout 16643 1", "zktestplugin2 RestoreLayout 16647 1",
                         "zktestplugin SaveLayout 16643", "zktestplugin2 SaveLayout 16647",
                         "zktestplugin FrameClose 16643", "zktestplugin2 FrameClose 16647"}));

  UnloadLibraries();
  EXPECT_EQ(GetModuleHandleA("zktestplugin.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA("zktestplugin2.dll"), nullptr);
  for (const ControllerPlugin& p : g_plugins) EXPECT_EQ(p.id, 0);
}

}  // namespace
