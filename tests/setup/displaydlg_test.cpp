// The display set-up (command 2185) of the program running in the test
// process, driven as a user drives it: what it and the window opening and
// display switch dialogs show of the settings, which keys OK writes, what
// Cancel leaves, and what the frame shows afterwards (caption, bars, play
// monitor).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "candidates.h"
#include "inprocess.h"
#include "pathname.h"
#include "playroutines.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "settingsdiff.h"
#include "shellprocess.h"
#include "songmodel.h"
#include "testsupport.h"
#include "toolpalette.h"

namespace {

constexpr UINT kDisplayCommand = 2185;
constexpr char kNone[] = "なし";
constexpr char kTestBanner[] = "テストバナー";  // zktestsplash.dll, version 2.10
constexpr char kMonitorTitle[] = "プレイモニタ";  // vumix2.dll

bool IsDisplayDialog(HWND d) { return GetDlgItem(d, IDC_DISPSET_SWITCHES) != nullptr; }
bool IsWindowOpenDialog(HWND d) { return GetDlgItem(d, IDC_WINOPEN_QKEY_SHIFT) != nullptr; }
bool IsSwitchDialog(HWND d) { return GetDlgItem(d, IDC_DISPSW_COLOURS) != nullptr; }

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}
std::vector<std::string> Lines(HWND dialog, int id) {
  std::vector<std::string> lines;
  const int count = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    lines.emplace_back(text);
  }
  return lines;
}
int Selected(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0)); }
void Choose(HWND dialog, int id, int line) { SendDlgItemMessageA(dialog, id, CB_SETCURSEL, line, 0); }
void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void SetCheck(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
// A radio of a group chosen as a click does.
void Pick(HWND dialog, int first, int last, int id) { CheckRadioButton(dialog, first, last, id); }
// The first checked radio of first..last, 0 when none.
int CheckedRadio(HWND dialog, int first, int last) {
  for (int id = first; id <= last; ++id)
    if (Checked(dialog, id)) return id;
  return 0;
}

void Shoot(HWND dialog, const char* name) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  EXPECT_TRUE(SaveScreenshot(dialog, OutputFolder() + "\\" + name + ".bmp"));
}

class DisplayDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { started_ = StartInProcessShell(); }
  void SetUp() override {
    ASSERT_TRUE(started_);
    fileBefore_ = InProcessSettings().Contents();
    saved_ = g_settings;
  }
  void TearDown() override {
    InProcessSettings().Write(fileBefore_);
    g_settings = saved_;
    BindPlayMonitor();
    SetSongTitle(std::string(g_song.fileName).c_str());
    LayoutMdiClient();
    ClearSongModified();
  }

  // Values of our own, none of them the default, in memory and in the file,
  // with the banner and monitor candidates.
  void WriteOurSettings() {
    AppSettings& s = g_settings;
    s.view = 0;
    s.trkView = 1;
    s.notePallet = 0;
    s.playPallet = 0;
    s.playmon = 0;
    s.progOffset = 1;
    s.toolBar = 0x82;
    s.statusBar = 1;
    s.titleBar = 6;
    s.displaySw = 0x1005;
    s.dispCtrlSw[0] = 1;
    s.dispCtrlSw[1] = 0;
    s.dispCtrlSw[2] = 1;
    s.dispCtrlSw[3] = 0;
    s.chgStrategy = 2;
    s.windowMax = 7;
    s.trSwap = 0;
    s.windowMaxSw = 0;
    s.qKey = 1;
    SaveSettings();
    SetIni("Splash", "Applet0", "zktestsplash_old.dll");
    SetIni("Splash", "PApplet0", "zkplog5_old.dll");
    SetIni("Splash", "Applet1", "zklog5.dll");
    SetIni("Splash", "PApplet1", "zkplog5.dll");
    SetIni("Splash", "Applet2", "zktestsplash.dll");
    SetIni("Splash", "Applet", "zktestsplash.dll");
    SetIni("Splash", "PApplet", "");
    SetIni("PlayMon", "Applet0", "vumix2.dll");
    SetIni("PlayMon", "Applet", "vumix2.dll");
  }
  static void SetIni(const char* section, const char* key, const char* value) {
    WritePrivateProfileStringA(section, key, value, InProcessSettings().path().c_str());
  }
  static std::string Saved(const char* section, const char* key) {
    char value[512] = {};
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, InProcessSettings().path().c_str());
    return value;
  }

  // Command 2185; act gets each dialog it opens (also those opened from it)
  // and must end it.
  int Run(std::function<void(HWND)> act) {
    DialogWatch watch(std::move(act));
    Command(kDisplayCommand);
    return watch.Seen();
  }

  static bool started_;
  std::string fileBefore_;
  AppSettings saved_;
};
bool DisplayDialogTest::started_ = false;

TEST_F(DisplayDialogTest, ShowsOurSettingsAndTheListedLibrariesAndCancelWritesNothing) {
  WriteOurSettings();
  LibraryTexts realBanner;
  ASSERT_TRUE(ProbeLibraryTexts("zklog5.dll", realBanner));
  const std::string before = InProcessSettings().Contents();
  std::string caption;
  std::vector<std::string> splashLines, monitorLines;
  int splashShown = -1, monitorShown = -1;
  std::map<int, bool> boxes;
  int toolRadio = 0, statusRadio = 0;
  const int seen = Run([&](HWND d) {
    caption = TextOf(d);
    splashLines = Lines(d, IDC_DISPSET_SPLASH);
    monitorLines = Lines(d, IDC_DISPSET_PLAYMON);
    splashShown = Selected(d, IDC_DISPSET_SPLASH);
    monitorShown = Selected(d, IDC_DISPSET_PLAYMON);
    for (int id : {IDC_DISPSET_VIEW, IDC_DISPSET_TRKVIEW, IDC_DISPSET_NOTEPAL, IDC_DISPSET_PLAYPAL,
                   IDC_DISPSET_PIANOMON, IDC_DISPSET_PROGOFFSET, IDC_DISPSET_TOOL_HELP, IDC_DISPSET_TITLE_APP,
                   IDC_DISPSET_TITLE_SONG, IDC_DISPSET_TITLE_FILE})
      boxes[id] = Checked(d, id);
    toolRadio = CheckedRadio(d, IDC_DISPSET_TOOL_TOP, IDC_DISPSET_TOOL_NONE);
    statusRadio = CheckedRadio(d, IDC_DISPSET_STATUS_TOP, IDC_DISPSET_STATUS_NONE);
    Shoot(d, "displaydlg-1200");
    Click(d, IDCANCEL);
  });
  ASSERT_EQ(seen, 1);
  EXPECT_EQ(caption, "表示の設定");
  // The old banner is not offered; the two behind it keep their places.
  EXPECT_EQ(splashLines, (std::vector<std::string>{kNone, realBanner.title, kTestBanner}));
  EXPECT_EQ(splashShown, 2);
  EXPECT_EQ(monitorLines, (std::vector<std::string>{kNone, kMonitorTitle}));
  EXPECT_EQ(monitorShown, 1);
  const std::map<int, bool> want = {
      {IDC_DISPSET_VIEW, false},      {IDC_DISPSET_TRKVIEW, true},     {IDC_DISPSET_NOTEPAL, false},
      {IDC_DISPSET_PLAYPAL, false},   {IDC_DISPSET_PIANOMON, false},   {IDC_DISPSET_PROGOFFSET, true},
      {IDC_DISPSET_TOOL_HELP, true},  {IDC_DISPSET_TITLE_APP, false},  {IDC_DISPSET_TITLE_SONG, true},
      {IDC_DISPSET_TITLE_FILE, true}};
  EXPECT_EQ(boxes, want);
  EXPECT_EQ(toolRadio, IDC_DISPSET_TOOL_BOTTOM);
  EXPECT_EQ(statusRadio, IDC_DISPSET_STATUS_TOP);
  EXPECT_EQ(InProcessSettings().Contents(), before);
  EXPECT_EQ(GetModuleHandleA("zktestsplash.dll"), nullptr) << "probed libraries are freed";
  EXPECT_EQ(GetModuleHandleA("zktestsplash_old.dll"), nullptr);
}

TEST_F(DisplayDialogTest, OddStoredBarValuesShowAsNotShown) {
  g_settings.toolBar = 0x83;
  g_settings.statusBar = 3;
  int toolRadio = 0, statusRadio = 0;
  bool help = false;
  Run([&](HWND d) {
    toolRadio = CheckedRadio(d, IDC_DISPSET_TOOL_TOP, IDC_DISPSET_TOOL_NONE);
    statusRadio = CheckedRadio(d, IDC_DISPSET_STATUS_TOP, IDC_DISPSET_STATUS_NONE);
    help = Checked(d, IDC_DISPSET_TOOL_HELP);
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(toolRadio, IDC_DISPSET_TOOL_NONE);
  EXPECT_TRUE(help);
  EXPECT_EQ(statusRadio, IDC_DISPSET_STATUS_NONE);
}

TEST_F(DisplayDialogTest, OkWritesExactlyItsKeysAndNoMonitorUnloadsItAtOnce) {
  WriteOurSettings();
  BindPlayMonitor();
  ASSERT_NE(g_playmon.library, nullptr);
  const std::string before = InProcessSettings().Contents();
  const int seen = Run([&](HWND d) {
    for (int id : {IDC_DISPSET_VIEW, IDC_DISPSET_TRKVIEW, IDC_DISPSET_NOTEPAL, IDC_DISPSET_PLAYPAL,
                   IDC_DISPSET_PIANOMON, IDC_DISPSET_PROGOFFSET, IDC_DISPSET_TOOL_HELP, IDC_DISPSET_TITLE_APP,
                   IDC_DISPSET_TITLE_SONG, IDC_DISPSET_TITLE_FILE})
      SetCheck(d, id, !Checked(d, id));
    Pick(d, IDC_DISPSET_TOOL_TOP, IDC_DISPSET_TOOL_NONE, IDC_DISPSET_TOOL_TOP);
    Pick(d, IDC_DISPSET_STATUS_TOP, IDC_DISPSET_STATUS_NONE, IDC_DISPSET_STATUS_NONE);
    Choose(d, IDC_DISPSET_SPLASH, 1);   // zklog5.dll with zkplog5.dll
    Choose(d, IDC_DISPSET_PLAYMON, 0);  // なし
    Click(d, IDOK);
  });
  ASSERT_EQ(seen, 1);
  const std::map<std::string, std::string> want = {
      {"default display/View", "1"},       {"default display/TrkView", "0"},
      {"default display/NotePallet", "1"}, {"default display/PlayPallet", "1"},
      {"default display/ToolBar", "1"},    {"default display/StatusBar", "0"},
      {"default display/TitleBar", "1"},   {"other/ProgOffset", "0"},
      {"splash/Applet", "zklog5.dll"},     {"splash/PApplet", "zkplog5.dll"},
      {"playmon/Applet", ""}};
  EXPECT_EQ(ChangedSettings(before, InProcessSettings().Contents()), want);
  // The piano palette's switch goes to the file with the layout, at exit.
  EXPECT_EQ(g_settings.playmon, 1);
  EXPECT_EQ(g_playmon.library, nullptr);
  EXPECT_EQ(g_playmon.setLPPLAYDAT, nullptr);
  EXPECT_EQ(GetModuleHandleA("vumix2.dll"), nullptr);
}

TEST_F(DisplayDialogTest, ChosenMonitorIsBoundAndHandedThePlayTable) {
  SetIni("PlayMon", "Applet0", "vumix2.dll");
  SetIni("PlayMon", "Applet", "");
  BindPlayMonitor();
  ASSERT_EQ(g_playmon.library, nullptr);
  Run([&](HWND d) {
    EXPECT_EQ(Selected(d, IDC_DISPSET_PLAYMON), 0);
    Choose(d, IDC_DISPSET_PLAYMON, 1);
    Click(d, IDOK);
  });
  EXPECT_EQ(Saved("PlayMon", "Applet"), "vumix2.dll");
  EXPECT_NE(g_playmon.library, nullptr);
  EXPECT_EQ(g_playmon.library, GetModuleHandleA("vumix2.dll"));
  ASSERT_NE(g_playmon.setLPPLAYDAT, nullptr);
  // It answers with the table it keeps.
  EXPECT_EQ(g_playmon.setLPPLAYDAT(g_prog.playTrackData), g_prog.playTrackData);
}

TEST_F(DisplayDialogTest, TitleBarBoxesShowInTheFrameCaptionAfterOk) {
  const std::string app = LoadAppString(IDS_APP_TITLE);
  const std::string file = PathBaseName(g_song.fileName);
  ASSERT_FALSE(file.empty());
  struct Case {
    bool app, song, file;
    std::string caption;
  };
  const Case cases[] = {
      {true, false, false, app},
      {false, false, true, file},
      {true, false, true, file + " - " + app},
      {false, false, false, ""},
  };
  for (const Case& c : cases) {
    Run([&](HWND d) {
      SetCheck(d, IDC_DISPSET_TITLE_APP, c.app);
      SetCheck(d, IDC_DISPSET_TITLE_SONG, c.song);
      SetCheck(d, IDC_DISPSET_TITLE_FILE, c.file);
      Click(d, IDOK);
    });
    EXPECT_EQ(TextOf(g_app.frame), c.caption);
  }
}

TEST_F(DisplayDialogTest, BottomMovesTheToolBarBelowTheClientAtOnce) {
  g_settings.toolBar = 1;
  g_settings.statusBar = 0;
  LayoutMdiClient();
  HWND toolBar = ToolPaletteWindow();
  ASSERT_NE(toolBar, nullptr);
  auto topOf = [](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    POINT p = {r.left, r.top};
    ScreenToClient(g_app.frame, &p);
    return p.y;
  };
  RECT client;
  GetClientRect(g_app.frame, &client);
  ASSERT_EQ(topOf(toolBar), 0);
  Run([&](HWND d) {
    Pick(d, IDC_DISPSET_TOOL_TOP, IDC_DISPSET_TOOL_NONE, IDC_DISPSET_TOOL_BOTTOM);
    Click(d, IDOK);
  });
  EXPECT_EQ(g_settings.toolBar, 2);
  EXPECT_EQ(Saved("Default Display", "ToolBar"), "2");
  EXPECT_TRUE(IsWindowVisible(toolBar));
  RECT bar;
  GetWindowRect(toolBar, &bar);
  EXPECT_EQ(topOf(toolBar) + (bar.bottom - bar.top), client.bottom) << "the bar ends at the bottom";
  EXPECT_EQ(topOf(g_app.mdiClient), 0) << "the client moves up";
}

TEST_F(DisplayDialogTest, WindowOpeningShowsOursAndItsOkSavesEvenWhenTheSetUpIsCancelled) {
  WriteOurSettings();
  const std::string before = InProcessSettings().Contents();
  int strategy = 0, reuse = 0, qKey = 0;
  std::string count, caption;
  const int seen = Run([&](HWND d) {
    if (IsDisplayDialog(d)) {
      Click(d, IDC_DISPSET_WINDOWS);
      Click(d, IDCANCEL);
    } else if (IsWindowOpenDialog(d)) {
      caption = TextOf(d);
      strategy = CheckedRadio(d, IDC_WINOPEN_STRATEGY, IDC_WINOPEN_STRATEGY + 3);
      count = TextOf(GetDlgItem(d, IDC_WINOPEN_COUNT));
      reuse = CheckedRadio(d, IDC_WINOPEN_NEW, IDC_WINOPEN_CURRENT);
      qKey = CheckedRadio(d, IDC_WINOPEN_QKEY_SHIFTCTRL, IDC_WINOPEN_QKEY_SHIFT);
      Shoot(d, "displaydlg-131");
      Pick(d, IDC_WINOPEN_STRATEGY, IDC_WINOPEN_STRATEGY + 3, IDC_WINOPEN_STRATEGY + 3);
      SetDlgItemTextA(d, IDC_WINOPEN_COUNT, "150");
      Pick(d, IDC_WINOPEN_NEW, IDC_WINOPEN_CURRENT, IDC_WINOPEN_CURRENT);
      Click(d, IDOK);
    } else {
      EndDialog(d, 0);
    }
  });
  ASSERT_EQ(seen, 2);
  EXPECT_EQ(caption, "WINDOWの開きかたの設定");
  EXPECT_EQ(strategy, IDC_WINOPEN_STRATEGY + 2);
  EXPECT_EQ(count, "7");
  EXPECT_EQ(reuse, IDC_WINOPEN_NEW);
  EXPECT_EQ(qKey, IDC_WINOPEN_QKEY_SHIFT) << "QKey set while TrSwap is not";
  // The Shift radio kept: with TrSwap now set, QKey becomes 0.
  const std::map<std::string, std::string> want = {{"other/ChgStrategy", "3"}, {"other/WindowMax", "99"},
                                                   {"other/TrSwap", "1"},      {"other/WindowMaxSw", "1"},
                                                   {"other/QKey", "0"}};
  EXPECT_EQ(ChangedSettings(before, InProcessSettings().Contents()), want);
}

TEST_F(DisplayDialogTest, WindowOpeningCancelChangesNothing) {
  WriteOurSettings();
  const std::string before = InProcessSettings().Contents();
  Run([&](HWND d) {
    if (IsDisplayDialog(d)) {
      Click(d, IDC_DISPSET_WINDOWS);
      Click(d, IDCANCEL);
    } else {
      SetDlgItemTextA(d, IDC_WINOPEN_COUNT, "1");
      Click(d, IDCANCEL);
    }
  });
  EXPECT_EQ(g_settings.windowMax, 7);
  EXPECT_EQ(InProcessSettings().Contents(), before);
}

TEST_F(DisplayDialogTest, CancelAfterChangingTheDisplaySwitchesRestoresThem) {
  WriteOurSettings();
  const std::string before = InProcessSettings().Contents();
  std::string caption;
  std::map<int, bool> shown;
  int32_t whileOpen = 0;
  int32_t ctrlWhileOpen = -1;
  const int seen = Run([&](HWND d) {
    if (IsDisplayDialog(d)) {
      Click(d, IDC_DISPSET_SWITCHES);
      whileOpen = g_settings.displaySw;
      ctrlWhileOpen = g_settings.dispCtrlSw[0];
      Click(d, IDCANCEL);
    } else if (IsSwitchDialog(d)) {
      caption = TextOf(d);
      for (int id : {250, 251, 241, 258, IDC_DISPSW_CTRL1, IDC_DISPSW_CTRL1 + 1}) shown[id] = Checked(d, id);
      Shoot(d, "displaydlg-260");
      SetCheck(d, 250, false);
      SetCheck(d, 251, true);
      SetCheck(d, IDC_DISPSW_CTRL1, false);
      Click(d, IDOK);
    } else {
      EndDialog(d, 0);
    }
  });
  ASSERT_EQ(seen, 2);
  EXPECT_EQ(caption, "ディスプレイスイッチの設定");
  const std::map<int, bool> want = {{250, true}, {251, false}, {241, true}, {258, true},
                                    {IDC_DISPSW_CTRL1, true}, {IDC_DISPSW_CTRL1 + 1, false}};
  EXPECT_EQ(shown, want);
  EXPECT_EQ(whileOpen, 0x1006) << "the switch dialog changes the settings at once";
  EXPECT_EQ(ctrlWhileOpen, 0);
  EXPECT_EQ(g_settings.displaySw, 0x1005);
  EXPECT_EQ(g_settings.dispCtrlSw[0], 1);
  EXPECT_EQ(InProcessSettings().Contents(), before);
}

// The window dialog saves at once; a cancelled set-up still takes its
// display switches back out of the file.
TEST_F(DisplayDialogTest, CancelAfterTheWindowDialogSavedRestoresTheSwitchesInTheFile) {
  WriteOurSettings();
  const std::string before = InProcessSettings().Contents();
  Run([&](HWND d) {
    if (IsDisplayDialog(d)) {
      Click(d, IDC_DISPSET_SWITCHES);
      Click(d, IDC_DISPSET_WINDOWS);
      Click(d, IDCANCEL);
    } else if (IsSwitchDialog(d)) {
      SetCheck(d, 259, true);
      SetCheck(d, IDC_DISPSW_CTRL1 + 1, true);
      Click(d, IDOK);
    } else if (IsWindowOpenDialog(d)) {
      SetDlgItemTextA(d, IDC_WINOPEN_COUNT, "9");
      Click(d, IDOK);
    } else {
      EndDialog(d, 0);
    }
  });
  EXPECT_EQ(g_settings.displaySw, 0x1005);
  const std::map<std::string, std::string> want = {{"other/WindowMax", "9"}};
  EXPECT_EQ(ChangedSettings(before, InProcessSettings().Contents()), want);
}

TEST_F(DisplayDialogTest, SwitchesChangedThenOkAreSaved) {
  WriteOurSettings();
  const std::string before = InProcessSettings().Contents();
  Run([&](HWND d) {
    if (IsDisplayDialog(d)) {
      Click(d, IDC_DISPSET_SWITCHES);
      Click(d, IDOK);
    } else if (IsSwitchDialog(d)) {
      SetCheck(d, 259, true);
      SetCheck(d, IDC_DISPSW_CTRL1 + 1, true);
      Click(d, IDOK);
    } else {
      EndDialog(d, 0);
    }
  });
  const std::map<std::string, std::string> want = {{"default display/DisplaySW", "12293"},  // 0x3005
                                                   {"other/DispCtrlSw1", "1"}};
  EXPECT_EQ(ChangedSettings(before, InProcessSettings().Contents()), want);
}

TEST_F(DisplayDialogTest, ANewUserSeesTheDefaults) {
  g_settings = AppSettings();
  DeleteFileA(InProcessSettings().path().c_str());
  std::map<int, bool> boxes;
  std::vector<std::string> splashLines, monitorLines;
  int toolRadio = 0, statusRadio = 0, strategy = 0, reuse = 0, qKey = 0;
  std::string count;
  const int seen = Run([&](HWND d) {
    if (IsDisplayDialog(d)) {
      for (int id : {IDC_DISPSET_VIEW, IDC_DISPSET_TRKVIEW, IDC_DISPSET_NOTEPAL, IDC_DISPSET_PLAYPAL,
                     IDC_DISPSET_PIANOMON, IDC_DISPSET_PROGOFFSET, IDC_DISPSET_TOOL_HELP, IDC_DISPSET_TITLE_APP,
                     IDC_DISPSET_TITLE_SONG, IDC_DISPSET_TITLE_FILE})
        boxes[id] = Checked(d, id);
      toolRadio = CheckedRadio(d, IDC_DISPSET_TOOL_TOP, IDC_DISPSET_TOOL_NONE);
      statusRadio = CheckedRadio(d, IDC_DISPSET_STATUS_TOP, IDC_DISPSET_STATUS_NONE);
      splashLines = Lines(d, IDC_DISPSET_SPLASH);
      monitorLines = Lines(d, IDC_DISPSET_PLAYMON);
      Click(d, IDC_DISPSET_WINDOWS);
      Click(d, IDCANCEL);
    } else if (IsWindowOpenDialog(d)) {
      strategy = CheckedRadio(d, IDC_WINOPEN_STRATEGY, IDC_WINOPEN_STRATEGY + 3);
      count = TextOf(GetDlgItem(d, IDC_WINOPEN_COUNT));
      reuse = CheckedRadio(d, IDC_WINOPEN_NEW, IDC_WINOPEN_CURRENT);
      qKey = CheckedRadio(d, IDC_WINOPEN_QKEY_SHIFTCTRL, IDC_WINOPEN_QKEY_SHIFT);
      Click(d, IDCANCEL);
    } else {
      EndDialog(d, 0);
    }
  });
  ASSERT_EQ(seen, 2);
  const std::map<int, bool> want = {
      {IDC_DISPSET_VIEW, true},       {IDC_DISPSET_TRKVIEW, false},   {IDC_DISPSET_NOTEPAL, true},
      {IDC_DISPSET_PLAYPAL, true},    {IDC_DISPSET_PIANOMON, true},   {IDC_DISPSET_PROGOFFSET, false},
      {IDC_DISPSET_TOOL_HELP, false}, {IDC_DISPSET_TITLE_APP, true},  {IDC_DISPSET_TITLE_SONG, true},
      {IDC_DISPSET_TITLE_FILE, false}};
  EXPECT_EQ(boxes, want);
  EXPECT_EQ(toolRadio, IDC_DISPSET_TOOL_TOP);
  EXPECT_EQ(statusRadio, IDC_DISPSET_STATUS_BOTTOM);
  EXPECT_EQ(splashLines, (std::vector<std::string>{kNone}));
  EXPECT_EQ(monitorLines, (std::vector<std::string>{kNone}));
  EXPECT_EQ(strategy, IDC_WINOPEN_STRATEGY);
  EXPECT_EQ(count, "3");
  EXPECT_EQ(reuse, IDC_WINOPEN_CURRENT);
  EXPECT_EQ(qKey, IDC_WINOPEN_QKEY_SHIFT);
  EXPECT_EQ(GetFileAttributesA(InProcessSettings().path().c_str()), INVALID_FILE_ATTRIBUTES)
      << "Cancel writes no file";
}

TEST_F(DisplayDialogTest, EmptyFirstBannerLeavesOnlyNoneAndOkEmptiesBothNames) {
  SetIni("Splash", "Applet0", "");
  SetIni("Splash", "Applet1", "zktestsplash.dll");
  SetIni("Splash", "Applet", "zktestsplash.dll");
  SetIni("Splash", "PApplet", "zkplog5.dll");
  std::vector<std::string> lines;
  Run([&](HWND d) {
    lines = Lines(d, IDC_DISPSET_SPLASH);
    Click(d, IDOK);
  });
  EXPECT_EQ(lines, (std::vector<std::string>{kNone}));
  EXPECT_EQ(Saved("Splash", "Applet"), "");
  EXPECT_EQ(Saved("Splash", "PApplet"), "");
}

}  // namespace
