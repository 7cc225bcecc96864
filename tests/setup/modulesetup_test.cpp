// The sound-module set-up of the program running in the test process, with
// two logging module libraries in its slots, driven as a user drives it:
// what the lists show, which calls reach the modules and the controller
// plug-in, and what OK and Cancel leave in the settings file.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "appglobals.h"
#include "inprocess.h"
#include "plugins.h"
#include "resource.h"
#include "settings.h"
#include "settingsdiff.h"
#include "shellprocess.h"
#include "testplugins.h"
#include "testsupport.h"

namespace {

constexpr UINT kCmdSoundModules = 2190;
constexpr char kModuleA[] = "テスト音源Ａ";  // zktestmodule.dll
constexpr char kModuleB[] = "テスト音源Ｂ";  // zktestmodule2.dll
constexpr char kNone[] = "使わない";
constexpr char kDefaultInit[] =
    "f0,7e,7f,09,01,f7,,,f0,41,10,42,12,40,00,7f,00,41,f7,,f0,41,10,16,12,7f,00,00,00,6f,f7,,,"
    "f0,43,10,4c,00,00,7e,00,f7,,";
constexpr char kGS[] = "f0,41,10,42,12,40,00,7f,00,41,f7";
constexpr char kOwn[] = "f0,41,10,42,12,40,10,15,00,1b,f7";

// Slot 0: module A; slot 1 empty; slot 2 a library that does not load;
// slot 3: module B. The lines are then none, A (slot 0), B (slot 3).
const char* const kModules[] = {"zktestmodule.dll", "", "nosuch_module.dll", "zktestmodule2.dll"};

std::string Ini(const char* section, const char* key) {
  char value[2048] = "";
  GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, InProcessSettings().path().c_str());
  return value;
}
void SetIni(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, InProcessSettings().path().c_str());
}

HWND ListOf(HWND dialog, int position) { return GetDlgItem(dialog, IDC_SOUNDMOD_LIST1 + position); }
std::vector<std::string> Lines(HWND dialog, int position) {
  std::vector<std::string> lines;
  const int count = static_cast<int>(SendMessageA(ListOf(dialog, position), CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    SendMessageA(ListOf(dialog, position), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    lines.push_back(text);
  }
  return lines;
}
// The text of the line a list shows, "<nothing>" when it shows none.
std::string Shown(HWND dialog, int position) {
  const int index = static_cast<int>(SendMessageA(ListOf(dialog, position), CB_GETCURSEL, 0, 0));
  if (index < 0) return "<nothing>";
  return Lines(dialog, position)[index];
}
// As a user picks a line: the list shows it, then its drop-down closes.
void Pick(HWND dialog, int position, int line, bool close = true) {
  SendMessageA(ListOf(dialog, position), CB_SETCURSEL, line, 0);
  if (close)
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SOUNDMOD_LIST1 + position, CBN_CLOSEUP),
                 reinterpret_cast<LPARAM>(ListOf(dialog, position)));
}
void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
std::string Hex(const void* handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
  return text;
}

class SoundModuleDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    std::memcpy(savedInit_, g_settings.soundModuleInit, sizeof savedInit_);
    std::memcpy(savedPorts_, g_settings.outPorts, sizeof savedPorts_);
    savedInitKey_ = Ini("SoundModule", "InitAfterFileOpen");
    for (int k = 0; k < 16; ++k) SetIni("Plugin", ModuleKeyOf(k).c_str(), nullptr);
    for (int k = 0; k < 4; ++k) SetIni("Plugin", ModuleKeyOf(k).c_str(), kModules[k]);
    for (int i = 0; i < 4; ++i) SetIni("Plugin", ControllerKey(i).c_str(), nullptr);
  }
  void TearDown() override {
    for (int k = 0; k < 16; ++k) SetIni("Plugin", ModuleKeyOf(k).c_str(), nullptr);
    for (int i = 1; i < 4; ++i) SetIni("Plugin", ControllerKey(i).c_str(), nullptr);
    // Controlor0 is the test plug-in's, which removes it itself.
    if (!plugin_) SetIni("Plugin", ControllerKey(0).c_str(), nullptr);
    SetIni("SoundModule", "InitAfterFileOpen", savedInitKey_ == "<missing>" ? nullptr : savedInitKey_.c_str());
    std::memcpy(g_settings.soundModuleInit, savedInit_, sizeof savedInit_);
    std::memcpy(g_settings.outPorts, savedPorts_, sizeof savedPorts_);
    SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", nullptr);
    ClearSongModified();
  }

  static std::string ModuleKeyOf(int k) { return "Module" + std::to_string(k); }
  static std::string ControllerKey(int i) { return "Controlor" + std::to_string(i); }

  void SetInit(const std::string& text) {
    std::memset(g_settings.soundModuleInit, 0, sizeof g_settings.soundModuleInit);
    text.copy(g_settings.soundModuleInit, std::min(text.size(), sizeof g_settings.soundModuleInit - 1));
  }
  // The calls of the modules and the plug-in from here on go to a log of
  // this test (after a plug-in is loaded, which points it at its own).
  void StartLog() {
    log_ = dir_.File("calls.log");
    SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", log_.c_str());
  }
  std::vector<std::string> Calls() const {
    std::ifstream in(log_, std::ios::binary);
    std::vector<std::string> calls;
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      calls.push_back(line);
    }
    return calls;
  }
  // Runs the frame's command; act drives the dialog and ends it.
  int Run(const std::function<void(HWND)>& act) {
    DialogWatch watch([&](HWND dialog) {
      act(dialog);
      if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(kCmdSoundModules);
    return watch.Seen();
  }

  bool plugin_ = false;
  TempDir dir_;
  std::string log_;
  char savedInit_[kSoundModuleInitSize];
  int32_t savedPorts_[5];
  std::string savedInitKey_;
};

// Positions name their libraries in any case; one that names no slot shows
// none, one whose library does not load shows nothing and keeps its value.
TEST_F(SoundModuleDialogTest, OpensWithTheModulesNamesAndCancelWritesNothing) {
  SetIni("Plugin", "Controlor0", "ZKTESTMODULE2.DLL");
  SetIni("Plugin", "Controlor1", "zktestmodule.dll");
  SetIni("Plugin", "Controlor2", "unknown.dll");
  SetIni("Plugin", "Controlor3", "nosuch_module.dll");
  SetInit(std::string(kGS) + ",," + kOwn + ",,");
  StartLog();
  const std::string before = InProcessSettings().Contents();
  std::string caption;
  std::vector<std::vector<std::string>> lines;
  std::vector<std::string> shown;
  std::vector<bool> options, resets;
  bool fixedFont = false;
  RECT dialogRect{}, frameRect{};
  const int seen = Run([&](HWND dialog) {
    char text[256] = "";
    GetWindowTextA(dialog, text, sizeof text);
    caption = text;
    for (int i = 0; i < 4; ++i) {
      lines.push_back(Lines(dialog, i));
      shown.push_back(Shown(dialog, i));
      options.push_back(Enabled(dialog, IDC_SOUNDMOD_OPTIONS1 + i));
    }
    for (int id : {IDC_SOUNDMOD_RESET_GM, IDC_SOUNDMOD_RESET_GS, IDC_SOUNDMOD_RESET_CM64, IDC_SOUNDMOD_RESET_XG})
      resets.push_back(Checked(dialog, id));
    fixedFont = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(dialog, IDC_SOUNDMOD_LIST1, WM_GETFONT, 0, 0)) ==
                GetStockObject(SYSTEM_FIXED_FONT);
    GetWindowRect(dialog, &dialogRect);
    GetWindowRect(g_app.frame, &frameRect);
    EXPECT_TRUE(SaveScreenshot(dialog, OutputFolder() + "\\soundmodules.bmp"));
    Click(dialog, IDCANCEL);
  });
  ASSERT_EQ(seen, 1);
  EXPECT_EQ(caption, "使用する音源の設定");
  const std::vector<std::string> want = {kNone, kModuleA, kModuleB};
  for (const auto& list : lines) EXPECT_EQ(list, want);
  EXPECT_EQ(shown, (std::vector<std::string>{kModuleB, kModuleA, kNone, "<nothing>"}));
  EXPECT_EQ(options, (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(resets, (std::vector<bool>{false, true, false, false}));
  EXPECT_TRUE(fixedFont);
  EXPECT_LE(std::abs((dialogRect.left + dialogRect.right) - (frameRect.left + frameRect.right)), 2);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"zktestmodule Name 1", "zktestmodule2 Name 1"}));
  EXPECT_EQ(InProcessSettings().Contents(), before);
  EXPECT_EQ(GetModuleHandleA("zktestmodule.dll"), nullptr) << "freed on Cancel";
  EXPECT_EQ(GetModuleHandleA("zktestmodule2.dll"), nullptr);
}

// A change of position tells the module of the slot behind the line (slot
// 3 behind the third line), once; none and the same line tell nobody.
TEST_F(SoundModuleDialogTest, PickingAndOptionsCallTheModuleOfTheLinesSlot) {
  StartLog();
  const std::string before = InProcessSettings().Contents();
  bool optionsBefore = true, optionsAfterPick = false, optionsAfterNone = true;
  HWND shownDialog = nullptr;
  Run([&](HWND dialog) {
    shownDialog = dialog;
    optionsBefore = Enabled(dialog, IDC_SOUNDMOD_OPTIONS1 + 1);
    Pick(dialog, 1, 2);
    optionsAfterPick = Enabled(dialog, IDC_SOUNDMOD_OPTIONS1 + 1);
    Pick(dialog, 1, 2);
    Click(dialog, IDC_SOUNDMOD_OPTIONS1 + 1);
    Click(dialog, IDC_SOUNDMOD_OPTIONS1 + 2);  // position 3 has none
    Pick(dialog, 1, 0);
    optionsAfterNone = Enabled(dialog, IDC_SOUNDMOD_OPTIONS1 + 1);
    Click(dialog, IDC_SOUNDMOD_OPTIONS1 + 1);
    Pick(dialog, 3, 1);
    Click(dialog, IDCANCEL);
  });
  EXPECT_FALSE(optionsBefore);
  EXPECT_TRUE(optionsAfterPick);
  EXPECT_FALSE(optionsAfterNone);
  const std::string options = "zktestmodule2 Options " + std::to_string(g_plugins[0].id) + " " +
                              Hex(AppInstance()) + " " + Hex(shownDialog);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"zktestmodule Name 1", "zktestmodule2 Name 1",
                                               "zktestmodule2 Select 4", options, "zktestmodule Select 1"}));
  EXPECT_EQ(InProcessSettings().Contents(), before) << "Cancel writes nothing";
}

// OK stores what the lists show (a line picked without closing its list as
// well), tells the plug-ins the ports, and changes nothing else in the file.
TEST_F(SoundModuleDialogTest, OkWritesOnlyThePositionsAndTheInitText) {
  InProcessTestPlugin plugin;
  plugin_ = true;
  ASSERT_TRUE(plugin.Loaded());
  SetIni("Plugin", "Controlor3", "nosuch_module.dll");
  SetInit(std::string(kGS) + ",," + kOwn + ",,");
  const int32_t ports[5] = {0, -1, -1, 1, 0};
  std::memcpy(g_settings.outPorts, ports, sizeof ports);
  StartLog();
  const std::string before = InProcessSettings().Contents();
  std::string shownFirst;
  Run([&](HWND dialog) {
    shownFirst = Shown(dialog, 0);  // the plug-in's own library is no module
    Pick(dialog, 0, 1, false);
    Pick(dialog, 2, 2);
    CheckDlgButton(dialog, IDC_SOUNDMOD_RESET_GS, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SOUNDMOD_RESET_GM, BST_CHECKED);
    CheckDlgButton(dialog, IDC_SOUNDMOD_RESET_XG, BST_CHECKED);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(shownFirst, kNone);
  const std::string init = std::string("f0,7e,7f,09,01,f7,,,f0,43,10,4c,00,00,7e,00,f7,,") + kOwn + ",,";
  const std::map<std::string, std::string> want = {
      {"plugin/Controlor0", "zktestmodule.dll"},
      {"plugin/Controlor1", ""},
      {"plugin/Controlor2", "zktestmodule2.dll"},
      {"soundmodule/InitAfterFileOpen", init},
  };
  EXPECT_EQ(ChangedSettings(before, InProcessSettings().Contents()), want);
  EXPECT_EQ(Ini("Plugin", "Controlor3"), "nosuch_module.dll") << "a module that did not load keeps its place";
  EXPECT_EQ(std::string(g_settings.soundModuleInit), init);
  const std::string portsCall = "zktestplugin Ports " + std::to_string(g_plugins[0].id) + " 0 9";
  EXPECT_EQ(Calls(), (std::vector<std::string>{"zktestmodule Name 1", "zktestmodule2 Name 1",
                                               "zktestmodule2 Select 4", "zktestmodule Select 1", portsCall}));
  EXPECT_EQ(GetModuleHandleA("zktestmodule.dll"), nullptr) << "freed on OK";
  EXPECT_EQ(GetModuleHandleA("zktestmodule2.dll"), nullptr);
}

// From a text without resets, all four boxes give the text a settings file
// without the key starts with.
TEST_F(SoundModuleDialogTest, AllFourBoxesWriteTheDefaultText) {
  SetInit("");
  std::vector<bool> shownChecked;
  Run([&](HWND dialog) {
    for (int id = IDC_SOUNDMOD_RESET_GM; id <= IDC_SOUNDMOD_RESET_CM64; ++id) {
      shownChecked.push_back(Checked(dialog, id));
      CheckDlgButton(dialog, id, BST_CHECKED);
    }
    Click(dialog, IDOK);
  });
  EXPECT_EQ(shownChecked, (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(Ini("SoundModule", "InitAfterFileOpen"), kDefaultInit);
  EXPECT_EQ(std::string(g_settings.soundModuleInit), kDefaultInit);
}

}  // namespace
