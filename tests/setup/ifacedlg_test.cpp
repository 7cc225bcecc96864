// The MIDI interface set-up (command 2186) of the program running in the
// test process, driven as a user drives it, with the stream engine bound on
// the virtual MIDI device: its lists, the refusals of engine choices, its
// three sub-dialogs and the four command lists, and what is saved and bound
// when it closes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "appglobals.h"
#include "boundengine.h"
#include "engine.h"
#include "engines.h"
#include "enginehost.h"
#include "filedialogs.h"
#include "inprocess.h"
#include "playstate.h"
#include "portsetup.h"
#include "resource.h"
#include "settings.h"
#include "shellprocess.h"
#include "testsupport.h"
#include "vwinmm.h"

namespace {

constexpr UINT kInterfaceCommand = 2186;
const char kOutputs[] = "Virtual Out A;Virtual Out B";
const char kInputs[] = "Virtual In A;Virtual In B";
const char kStreamTitle[] = "polyMessageMIDIを使う";
const char kTimerTitle[] = "マルチメディアタイマを使う";
const char kSmpuTitle[] = "S-MPUネイティブ機能を使う";

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::vector<std::string> ListTexts(HWND dialog, int id) {
  std::vector<std::string> texts;
  const int count = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    texts.emplace_back(text);
  }
  return texts;
}

int Selected(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0)); }

// Picks an entry and closes the list, as a click in the open list does.
void Choose(HWND dialog, int id, int entry) {
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, entry, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_CLOSEUP), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
void ChooseEngine(HWND dialog, const char* title) {
  const std::vector<std::string> engines = ListTexts(dialog, IDC_IFACE_ENGINE);
  const auto at = std::find(engines.begin(), engines.end(), title);
  ASSERT_NE(at, engines.end()) << title;
  Choose(dialog, IDC_IFACE_ENGINE, static_cast<int>(at - engines.begin()));
}

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// A dialog a test does not look at.
void EndOther(HWND dialog) { EndDialog(dialog, 0); }

void Shoot(HWND dialog, const char* name) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  ScreenshotToOutput(dialog, name);
}

// Which of the set-up's dialogs a window is.
bool IsInterfaceDialog(HWND d) { return GetDlgItem(d, IDC_IFACE_ENGINE) != nullptr; }
bool IsSmpuDialog(HWND d) { return GetDlgItem(d, IDC_SMPU_ALLNOTESOFF) != nullptr; }
bool IsPointPlayDialog(HWND d) { return GetDlgItem(d, IDC_EXCLWAIT) != nullptr; }
bool IsMultimediaDialog(HWND d) { return GetDlgItem(d, IDC_MMEDIA_ON) != nullptr; }
bool IsCommandList(HWND d) { return GetDlgItem(d, IDC_CMDLIST_6) != nullptr; }

std::string IniValue(const std::string& path, const char* section, const char* key) {
  char value[1024] = {};
  GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, path.c_str());
  return value;
}

// Short messages the engine sent at once to an output device.
std::vector<uint32_t> ImmediateShorts(VirtualMidi& vm, int device) {
  std::vector<uint32_t> out;
  for (const VMidiLogEntry& e : DeviceLog(vm))
    if (e.kind == kVmShort && e.device == device) out.push_back(e.message);
  return out;
}

class InterfaceDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { started_ = StartInProcessShell(); }
  void SetUp() override {
    ASSERT_TRUE(started_);
    fileBefore_ = InProcessSettings().Contents();
    ASSERT_TRUE(vm_.Bind());
    // Two outputs and three inputs (only while nothing is open).
    ASSERT_TRUE(vm_.SetDevices(outputs_.c_str(), "Virtual In A;Virtual In B;Virtual In C"));
    ASSERT_TRUE(engine_.Bind("zkpoly.dll", false));
    std::strcpy(g_settings.rdsApplet, "ZKRDS.DLL");
  }
  void TearDown() override {
    engine_.Release();
    if (smpuLibrary_) FreeLibrary(smpuLibrary_);
    g_smpu = SmpuExtras{};
    vm_.SetDevices(kOutputs, kInputs);
    InProcessSettings().Write(fileBefore_);
    ClearSongModified();
  }

  // Command 2186; act gets each dialog it opens and must end it.
  int RunDialog(std::function<void(HWND)> act) {
    DialogWatch watch(std::move(act));
    Command(kInterfaceCommand);
    return watch.Seen();
  }
  std::string Saved(const char* section, const char* key) {
    return IniValue(InProcessSettings().path(), section, key);
  }

  std::string outputs_ = kOutputs;
  VirtualMidi vm_;
  BoundEngine engine_;
  HMODULE smpuLibrary_ = nullptr;
  std::string fileBefore_;
  static bool started_;
};
bool InterfaceDialogTest::started_ = false;

TEST_F(InterfaceDialogTest, ShowsTheDevicesTheCurrentPortsAndTheCurrentEngine) {
  g_settings.gsPort = 2;
  g_settings.laPort = 1;
  g_settings.pcmPort = 3;
  bool seen = false;
  RunDialog([&](HWND d) {
    if (!IsInterfaceDialog(d)) return EndOther(d);
    seen = true;
    EXPECT_EQ(TextOf(d), "MIDIインターフェイスの設定");
    const std::vector<std::string> outputs = {"使わない", "Virtual Out A", "Virtual Out B"};
    const std::vector<std::string> inputs = {"使わない", "Virtual In A", "Virtual In B", "Virtual In C"};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(ListTexts(d, IDC_IFACE_OUT_A + k), outputs) << k;
    EXPECT_EQ(ListTexts(d, IDC_IFACE_IN_A), inputs);
    EXPECT_EQ(ListTexts(d, IDC_IFACE_IN_B), inputs);
    EXPECT_EQ(Selected(d, IDC_IFACE_OUT_A), 1);  // port A on device 0
    EXPECT_EQ(Selected(d, IDC_IFACE_OUT_A + 1), 0);
    EXPECT_EQ(Selected(d, IDC_IFACE_IN_A), 0);
    EXPECT_TRUE(Checked(d, IDC_IFACE_GS_A + 2));
    EXPECT_TRUE(Checked(d, IDC_IFACE_LA_A + 1));
    EXPECT_TRUE(Checked(d, IDC_IFACE_PCM_A + 3));
    EXPECT_FALSE(Checked(d, IDC_IFACE_GS_A));
    // The three engines of a fresh settings record, the current one chosen.
    EXPECT_EQ(ListTexts(d, IDC_IFACE_ENGINE), (std::vector<std::string>{kSmpuTitle, kStreamTitle, kTimerTitle}));
    EXPECT_EQ(Selected(d, IDC_IFACE_ENGINE), 1);
    EXPECT_TRUE(Enabled(d, IDC_IFACE_SMPU));
    EXPECT_TRUE(Enabled(d, IDOK));
    // The output lists are in the fixed system font.
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(d, IDC_IFACE_OUT_A, WM_GETFONT, 0, 0)),
              GetStockObject(SYSTEM_FIXED_FONT));
    EXPECT_EQ(g_play.busyFlag, 1u);
    Shoot(d, "ifacedlg-1300");
    Click(d, IDCANCEL);
  });
  EXPECT_TRUE(seen);
  EXPECT_EQ(g_play.busyFlag, 0u);
}

TEST_F(InterfaceDialogTest, CancelStoresNothingButStillSavesAndReopensThePorts) {
  RunDialog([&](HWND d) {
    if (!IsInterfaceDialog(d)) return EndOther(d);
    Choose(d, IDC_IFACE_OUT_A, 2);
    Choose(d, IDC_IFACE_IN_B, 3);
    ChooseEngine(d, kTimerTitle);
    CheckRadioButton(d, IDC_IFACE_GS_A, IDC_IFACE_GS_A + 3, IDC_IFACE_GS_A + 3);
    // The ports are closed while the dialog is open.
    EXPECT_EQ(vm_.OpenCount(), 0);
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(g_settings.outPorts[0], 0);
  EXPECT_EQ(g_settings.inPorts[1], -1);
  EXPECT_EQ(g_settings.gsPort, 0);
  EXPECT_STREQ(g_settings.applet, "zkpoly.dll");
  // Saved anyway: the file now names the device of port A.
  EXPECT_EQ(Saved("MIDIIF", "Port1Name"), "Virtual Out A");
  EXPECT_EQ(Saved("Play", "Applet"), "zkpoly.dll");
  // Bound again with its ports open: a note goes out on port A.
  ASSERT_NE(g_engine.library, nullptr);
  EXPECT_TRUE(PortsTakenByUs());
  vm_.LogClear();
  ASSERT_NE(g_engine.midiOutImmMsg, nullptr);
  g_engine.midiOutImmMsg(0x90, 0, 60, 100);
  EXPECT_EQ(ImmediateShorts(vm_, 0), (std::vector<uint32_t>{0x643C90}));
}

TEST_F(InterfaceDialogTest, PortAOnTheSecondOutputWithTheTimerEngineSoundsTheTuningToneThere) {
  RunDialog([&](HWND d) {
    if (!IsInterfaceDialog(d)) return EndOther(d);
    Choose(d, IDC_IFACE_OUT_A, 2);
    ChooseEngine(d, kTimerTitle);
    Choose(d, IDC_IFACE_IN_A, 3);
    CheckRadioButton(d, IDC_IFACE_LA_A, IDC_IFACE_LA_A + 3, IDC_IFACE_LA_A + 2);
    EXPECT_TRUE(Enabled(d, IDOK));
    Click(d, IDOK);
  });
  EXPECT_EQ(g_settings.outPorts[0], 1);
  EXPECT_EQ(g_settings.inPorts[0], 2);
  EXPECT_EQ(g_settings.laPort, 2);
  EXPECT_STREQ(g_settings.applet, "ZKMME.DLL");
  EXPECT_EQ(Saved("MIDIIF", "Port1"), "1");
  EXPECT_EQ(Saved("MIDIIF", "Port1Name"), "Virtual Out B");
  EXPECT_EQ(Saved("MIDIIF", "INPort1Name"), "Virtual In C");
  EXPECT_EQ(Saved("MIDIIF", "LAPort"), "2");
  EXPECT_EQ(Saved("Play", "Applet"), "ZKMME.DLL");
  char engineFile[MAX_PATH] = {};
  ASSERT_NE(g_engine.library, nullptr);
  GetModuleFileNameA(g_engine.library, engineFile, sizeof engineFile);
  CharLowerA(engineFile);
  EXPECT_NE(std::string(engineFile).find("zkmme.dll"), std::string::npos) << engineFile;

  vm_.LogClear();
  Command(IDM_OTHER_TUNE);
  const std::vector<uint32_t> sent = ImmediateShorts(vm_, 1);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), 0x404590u);  // A4 at velocity 64, channel 1
  EXPECT_NE(std::find(sent.begin(), sent.end(), 0x004590u), sent.end());  // and released
  EXPECT_TRUE(ImmediateShorts(vm_, 0).empty());
}

TEST_F(InterfaceDialogTest, TheStreamEngineIsRefusedOnWindowsNtUntilAnotherIsChosen) {
  ASSERT_TRUE(IsWindowsNtVersion(GetVersion())) << "this prefix should report Windows NT";
  std::strcpy(g_settings.applet, "ZKMME.DLL");
  MessageBoxRecorder boxes;
  RunDialog([&](HWND d) {
    if (!IsInterfaceDialog(d)) return EndOther(d);
    ChooseEngine(d, kStreamTitle);
    EXPECT_FALSE(Enabled(d, IDOK));
    // Closing a port list does not let the refused engine through.
    Choose(d, IDC_IFACE_OUT_A, 0);
    EXPECT_FALSE(Enabled(d, IDOK));
    ChooseEngine(d, kTimerTitle);
    EXPECT_TRUE(Enabled(d, IDOK));
    Click(d, IDOK);
  });
  ASSERT_EQ(boxes.boxes.size(), 2u);
  for (const RecordedBox& box : boxes.boxes) {
    EXPECT_EQ(box.stringId, static_cast<UINT>(IDS_ENGINE_REFUSED_ON_NT));
    EXPECT_EQ(box.text, "WindowsNTでは、選択された演奏方法で演奏を行うことはできません。他の演奏方法を選んでください。");
    EXPECT_EQ(box.style & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  }
  EXPECT_STREQ(g_settings.applet, "ZKMME.DLL");
}

TEST_F(InterfaceDialogTest, TheSuperMpuEngineNeedsSuperMpuPortsOnly) {
  // Restarted with a Super MPU port as the second output.
  engine_.Release();
  vm_.SetDevices("Virtual Out A;S-MPU MIDI Out A", "Virtual In A");
  ASSERT_TRUE(engine_.Bind("zkpoly.dll", false));
  std::strcpy(g_settings.rdsApplet, "ZKRDS.DLL");
  MessageBoxRecorder boxes;
  RunDialog([&](HWND d) {
    if (!IsInterfaceDialog(d)) return EndOther(d);
    ChooseEngine(d, kSmpuTitle);
    EXPECT_FALSE(Enabled(d, IDOK));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].stringId, static_cast<UINT>(IDS_ENGINE_NEEDS_SMPU_PORTS));
    EXPECT_EQ(boxes.boxes[0].text,
              "選択された演奏方法で演奏するには、すべてのポートがSuper MPUのポートでなければなりません。");
    // "使わない" for port A cures it, and so does the Super MPU port.
    Choose(d, IDC_IFACE_OUT_A, 0);
    EXPECT_TRUE(Enabled(d, IDOK));
    Choose(d, IDC_IFACE_OUT_A, 2);
    EXPECT_TRUE(Enabled(d, IDOK));
    Choose(d, IDC_IFACE_OUT_A + 3, 1);
    EXPECT_FALSE(Enabled(d, IDOK));
    Choose(d, IDC_IFACE_OUT_A + 3, 0);
    EXPECT_TRUE(Enabled(d, IDOK));
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST_F(InterfaceDialogTest, WithoutTheDriverNoSuperMpuEngineAndNoSuperMpuOptions) {
  std::strcpy(g_settings.rdsDriver, "nosuchdriver.dll");
  RunDialog([&](HWND d) {
    if (!IsInterfaceDialog(d)) return EndOther(d);
    EXPECT_EQ(ListTexts(d, IDC_IFACE_ENGINE), (std::vector<std::string>{kStreamTitle, kTimerTitle}));
    EXPECT_EQ(Selected(d, IDC_IFACE_ENGINE), 0);
    EXPECT_FALSE(Enabled(d, IDC_IFACE_SMPU));
    Click(d, IDCANCEL);
  });
}

TEST_F(InterfaceDialogTest, SuperMpuOptionsAreSentAtOnceAndKeptWhenTheSetUpIsCancelled) {
  TempDir dir;
  const std::string log = dir.File("calls.log");
  SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", log.c_str());
  smpuLibrary_ = LoadLibraryA("fakesmpu.dll");
  ASSERT_NE(smpuLibrary_, nullptr);
  g_smpu.sendSMPUOptionSW =
      reinterpret_cast<zkengine::SendSMPUOptionSWFn>(reinterpret_cast<void*>(GetProcAddress(smpuLibrary_, MAKEINTRESOURCEA(47))));
  g_settings.optionSw = 0x10;
  g_settings.monitorSw = 511;
  g_settings.realTime = 1;
  int optionsSeen = 0;
  RunDialog([&](HWND d) {
    if (IsInterfaceDialog(d)) {
      Click(d, IDC_IFACE_SMPU);  // changed, then OK
      Click(d, IDC_IFACE_SMPU);  // changed, then Cancel
      Click(d, IDCANCEL);
      return;
    }
    if (!IsSmpuDialog(d)) return EndOther(d);
    ++optionsSeen;
    EXPECT_EQ(TextOf(d), "SUPER MPUの設定");
    if (optionsSeen == 1) {
      for (int id = IDC_SMPU_MONITOR_FIRST; id < IDC_SMPU_MONITOR_FIRST + 8; ++id) EXPECT_FALSE(Checked(d, id)) << id;
      EXPECT_TRUE(Checked(d, IDC_SMPU_NOTEOFF_80));
      EXPECT_FALSE(Checked(d, IDC_SMPU_NOTEOFF_90));
      EXPECT_TRUE(Checked(d, IDC_SMPU_REALTIME));
      Shoot(d, "ifacedlg-1350");
      CheckDlgButton(d, IDC_SMPU_ALLNOTESOFF, BST_CHECKED);
      CheckRadioButton(d, IDC_SMPU_NOTEOFF_80, IDC_SMPU_NOTEOFF_90, IDC_SMPU_NOTEOFF_90);
      CheckDlgButton(d, IDC_SMPU_REALTIME, BST_UNCHECKED);
      CheckDlgButton(d, IDC_SMPU_MONITOR_FIRST, BST_CHECKED);      // ノート
      CheckDlgButton(d, IDC_SMPU_MONITOR_FIRST + 7, BST_CHECKED);  // エクスクルーシブ
      Click(d, IDOK);
      // Sent at once, before the set-up closes.
      EXPECT_EQ(ReadFileBytes(log), "fakesmpu SendSMPUOptionSW 21 500 1\r\n");
    } else {
      // The first change shows; the second is dropped.
      EXPECT_TRUE(Checked(d, IDC_SMPU_MONITOR_FIRST));
      EXPECT_TRUE(Checked(d, IDC_SMPU_NOTEOFF_90));
      EXPECT_FALSE(Checked(d, IDC_SMPU_REALTIME));
      CheckDlgButton(d, IDC_SMPU_SENSING, BST_CHECKED);
      CheckDlgButton(d, IDC_SMPU_MONITOR_FIRST + 1, BST_CHECKED);
      Click(d, IDCANCEL);
    }
  });
  SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", nullptr);
  EXPECT_EQ(optionsSeen, 2);
  EXPECT_EQ(g_settings.optionSw, 0x15);
  EXPECT_EQ(g_settings.monitorSw, 500);
  EXPECT_EQ(g_settings.realTime, 0);
  EXPECT_EQ(ReadFileBytes(log), "fakesmpu SendSMPUOptionSW 21 500 1\r\n");
  // The set-up was cancelled, but its closing saves what the options changed.
  EXPECT_EQ(Saved("SMPU", "OptionSW"), "21");
  EXPECT_EQ(Saved("SMPU", "MonitorSW"), "500");
  EXPECT_EQ(Saved("MIDIIF", "RealTime"), "0");
}

// The engine's own values, written by the engine into its section of the
// settings file in the Windows folder.
class PointPlayTest : public InterfaceDialogTest {
 protected:
  using SetFn = int(WINAPI*)(int, int, int, int);
  using GetFn = int(WINAPI*)(int*, int*, int*, int);
  void SetUp() override {
    InterfaceDialogTest::SetUp();
    if (HasFatalFailure()) return;
    set_ = reinterpret_cast<SetFn>(reinterpret_cast<void*>(GetProcAddress(g_engine.library, MAKEINTRESOURCEA(1000))));
    ASSERT_NE(set_, nullptr);
    set_(0x100 | 0x002, 0x08, 5, 7);  // pan (and other controllers), channel pressure
    ForgetEngineKeys();
  }
  void TearDown() override {
    ForgetEngineKeys();
    InterfaceDialogTest::TearDown();
  }
  void ForgetEngineKeys() {
    for (const char* key : {"Truant", "Chase", "ExclWait"})
      WritePrivateProfileStringA("zkpoly", key, nullptr, SettingsPath().c_str());
  }
  std::vector<int> EngineValues() {
    auto get = reinterpret_cast<GetFn>(reinterpret_cast<void*>(GetProcAddress(g_engine.library, MAKEINTRESOURCEA(1001))));
    int t = -1, c = -1, e = -1;
    if (get) get(&t, &c, &e, 7);
    return {t, c, e};
  }
  SetFn set_ = nullptr;
};

TEST_F(PointPlayTest, BoxesShowAndSetTheEnginesBitsOfTheirKindsAndTheGapIsClamped) {
  int seen = 0;
  RunDialog([&](HWND d) {
    if (IsInterfaceDialog(d)) {
      Click(d, IDC_IFACE_POINTPLAY);
      Click(d, IDCANCEL);
      return;
    }
    if (!IsPointPlayDialog(d)) return EndOther(d);
    ++seen;
    EXPECT_EQ(TextOf(d), "ポイントプレイの設定");
    EXPECT_TRUE(Checked(d, IDC_TRUANT_PAN));
    EXPECT_FALSE(Checked(d, IDC_TRUANT_EXPRESSION));
    EXPECT_TRUE(Checked(d, IDC_CHASE_CHANPRESS));
    EXPECT_FALSE(Checked(d, IDC_CHASE_PROGRAM));
    EXPECT_EQ(TextOf(GetDlgItem(d, IDC_EXCLWAIT)), "5");
    Shoot(d, "ifacedlg-128");
    CheckDlgButton(d, IDC_TRUANT_PAN, BST_UNCHECKED);
    CheckDlgButton(d, IDC_TRUANT_EXPRESSION, BST_CHECKED);
    CheckDlgButton(d, IDC_CHASE_KEYPRESS, BST_CHECKED);
    SetDlgItemTextA(d, IDC_EXCLWAIT, "12000");
    Click(d, IDOK);
  });
  EXPECT_EQ(seen, 1);
  // Expression, and the bit of no box kept; channel and key pressure.
  EXPECT_EQ(EngineValues(), (std::vector<int>{0x200 | 0x002, 0x08 | 0x01, 9999}));
  EXPECT_EQ(IniValue(SettingsPath(), "zkpoly", "Truant"), "514");
  EXPECT_EQ(IniValue(SettingsPath(), "zkpoly", "Chase"), "9");
  EXPECT_EQ(IniValue(SettingsPath(), "zkpoly", "ExclWait"), "9999");
}

TEST_F(PointPlayTest, CancelChangesNothingAndAnEngineWithoutTheValuesDisablesEverything) {
  HMODULE withoutValues = LoadLibraryA("fakesmpu.dll");
  ASSERT_NE(withoutValues, nullptr);
  int seen = 0;
  RunDialog([&](HWND d) {
    if (IsInterfaceDialog(d)) {
      Click(d, IDC_IFACE_POINTPLAY);
      // The engine keeps its values (it is loaded anew when the set-up closes).
      EXPECT_EQ(EngineValues(), (std::vector<int>{0x102, 0x08, 5}));
      HMODULE engine = g_engine.library;
      g_engine.library = withoutValues;
      Click(d, IDC_IFACE_POINTPLAY);
      g_engine.library = engine;
      Click(d, IDCANCEL);
      return;
    }
    if (!IsPointPlayDialog(d)) return EndOther(d);
    if (++seen == 1) {
      CheckDlgButton(d, IDC_TRUANT_VOLUME, BST_CHECKED);
      SetDlgItemTextA(d, IDC_EXCLWAIT, "77");
      Click(d, IDCANCEL);
      return;
    }
    for (int id : {IDC_CHASE_CHANPRESS, IDC_CHASE_SYSEX, IDC_TRUANT_KEYPRESS, IDC_TRUANT_PAN, IDC_EXCLWAIT})
      EXPECT_FALSE(Enabled(d, id)) << id;
    Click(d, IDOK);
  });
  FreeLibrary(withoutValues);
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(IniValue(SettingsPath(), "zkpoly", "Truant"), "<none>");
}

TEST_F(InterfaceDialogTest, EachCommandListEditsItsOwnTable) {
  struct List {
    int button;
    const char* title;
    char (*table)[kPathTextSize];
    const char* key;
  };
  const List lists[] = {
      {IDC_MMEDIA_START_MCI, "演奏開始時に送り出すMCIコマンド", g_settings.startMci, "StartMCI"},
      {IDC_MMEDIA_START_RUN, "演奏開始時に実行するコマンド", g_settings.startRun, "StartRUN"},
      {IDC_MMEDIA_END_MCI, "演奏終了時に送り出すMCIコマンド", g_settings.endMci, "EndMCI"},
      {IDC_MMEDIA_END_RUN, "演奏終了時に実行するコマンド", g_settings.endRun, "EndRUN"},
  };
  for (const List& l : lists) {
    for (int i = 0; i < kCommandSlots; ++i) std::snprintf(l.table[i], kPathTextSize, "%s old %d", l.key, i);
  }
  const std::string longText(300, 'x');
  int listsSeen = 0;
  RunDialog([&](HWND d) {
    if (IsInterfaceDialog(d)) {
      Click(d, IDC_IFACE_MMEDIA);
      Click(d, IDCANCEL);
      return;
    }
    if (IsMultimediaDialog(d)) {
      EXPECT_EQ(TextOf(d), "マルチメディア支援機能の設定");
      EXPECT_TRUE(Checked(d, IDC_MMEDIA_OFF));
      Shoot(d, "ifacedlg-129");
      for (const List& l : lists) Click(d, l.button);
      CheckRadioButton(d, IDC_MMEDIA_ON, IDC_MMEDIA_OFF, IDC_MMEDIA_ON);
      Click(d, IDOK);
      return;
    }
    if (!IsCommandList(d)) return EndOther(d);
    const List& l = lists[listsSeen++];
    EXPECT_EQ(TextOf(d), l.title);
    const int fields[6] = {IDC_CMDLIST_1, IDC_CMDLIST_2, IDC_CMDLIST_3, IDC_CMDLIST_4, IDC_CMDLIST_5, IDC_CMDLIST_6};
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(TextOf(GetDlgItem(d, fields[i])), std::string(l.key) + " old " + std::to_string(i)) << l.key << i;
    if (listsSeen == 1) Shoot(d, "ifacedlg-130");
    SetDlgItemTextA(d, IDC_CMDLIST_2, (std::string(l.key) + " new").c_str());
    SetDlgItemTextA(d, IDC_CMDLIST_6, longText.c_str());
    Click(d, IDOK);
  });
  EXPECT_EQ(listsSeen, 4);
  EXPECT_EQ(g_settings.mmedia, 1);
  EXPECT_EQ(Saved("MIDIIF", "MMedia"), "1");
  for (const List& l : lists) {
    const std::string key = l.key;
    EXPECT_EQ(Saved("Play", (key + "0").c_str()), key + " old 0");
    EXPECT_EQ(Saved("Play", (key + "1").c_str()), key + " new");
    EXPECT_EQ(Saved("Play", (key + "5").c_str()), std::string(259, 'x'));
    // Entries past the sixth are not shown and stay.
    EXPECT_EQ(Saved("Play", (key + "6").c_str()), key + " old 6");
  }
}

TEST_F(InterfaceDialogTest, CancelOfTheMultimediaDialogAndOfAListChangesNothing) {
  std::strcpy(g_settings.endRun[0], "keep.exe");
  RunDialog([&](HWND d) {
    if (IsInterfaceDialog(d)) {
      Click(d, IDC_IFACE_MMEDIA);
      Click(d, IDCANCEL);
      return;
    }
    if (IsMultimediaDialog(d)) {
      Click(d, IDC_MMEDIA_END_RUN);
      CheckRadioButton(d, IDC_MMEDIA_ON, IDC_MMEDIA_OFF, IDC_MMEDIA_ON);
      Click(d, IDCANCEL);
      return;
    }
    if (!IsCommandList(d)) return EndOther(d);
    SetDlgItemTextA(d, IDC_CMDLIST_1, "changed.exe");
    Click(d, IDCANCEL);
  });
  EXPECT_STREQ(g_settings.endRun[0], "keep.exe");
  EXPECT_EQ(g_settings.mmedia, 0);
}

// --- The program as a separate process --------------------------------------

const char kProcessSettings[] =
    "[MIDIIF]\r\nPort1Name=Virtual Out A\r\nPort2Name=None\r\nPort3Name=None\r\nPort4Name=None\r\n"
    "INPort1Name=None\r\nINPort2Name=None\r\n"
    "[OTHER]\r\nMAPISW=0\r\n";

// Waits for the set-up dialog of a program after posting it the command.
HWND OpenInterfaceIn(ShellProcess& program) {
  PostMessageA(program.Frame(), WM_COMMAND, kInterfaceCommand, 0);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 30000) {
    for (HWND d : program.Dialogs())
      if (IsInterfaceDialog(d)) return d;
    Sleep(100);
  }
  return nullptr;
}

// A list's texts, asked of the program's own process: each entry chosen in
// turn and the list's text read (its items' texts do not cross processes).
std::vector<std::string> RemoteListTexts(HWND dialog, int id) {
  std::vector<std::string> texts;
  HWND list = GetDlgItem(dialog, id);
  const LRESULT chosen = SendMessageA(list, CB_GETCURSEL, 0, 0);
  const LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    SendMessageA(list, CB_SETCURSEL, i, 0);
    texts.push_back(ControlText(list));
  }
  SendMessageA(list, CB_SETCURSEL, chosen, 0);
  return texts;
}

TEST(InterfaceDialogProcessTest, ANewUserSeesTheThreeEnginesAndOkWritesThePortsAndEngine) {
  DeleteFileA(SettingsPath().c_str());
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  ASSERT_NE(program.WaitForFrame(), nullptr);
  HWND dialog = OpenInterfaceIn(program);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(RemoteListTexts(dialog, IDC_IFACE_ENGINE),
            (std::vector<std::string>{kSmpuTitle, kStreamTitle, kTimerTitle}));
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_IFACE_ENGINE, CB_GETCURSEL, 0, 0), 1);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  // The program writes its keys one by one while the test reads: each is
  // waited for.
  EXPECT_TRUE(WaitForSettingsValue("Play", "Applet3", "ZKMME.DLL"));
  EXPECT_TRUE(WaitForSettingsValue("Play", "Applet", "ZKPOLY.DLL")) << SettingsValue("Play", "Applet");
  EXPECT_TRUE(WaitForSettingsValue("MIDIIF", "Port1Name", "Virtual Out A")) << SettingsValue("MIDIIF", "Port1Name");
  EXPECT_TRUE(program.Dialogs().empty());
  EXPECT_TRUE(program.Close());
}

// Windows 95 (as Wine reports it to zkfw32.exe alone) plays with the stream
// engine.
class Windows95InterfaceTest : public ::testing::Test {
 protected:
  static constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\zkfw32.exe";
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char version[] = "win95";
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults); }
};

TEST_F(Windows95InterfaceTest, TheStreamEngineIsAccepted) {
  WriteSettings(std::string(kProcessSettings) + "[Play]\r\nApplet=ZKMME.DLL\r\n");
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  ASSERT_NE(program.WaitForFrame(), nullptr);
  HWND dialog = OpenInterfaceIn(program);
  ASSERT_NE(dialog, nullptr);
  const std::vector<std::string> engines = RemoteListTexts(dialog, IDC_IFACE_ENGINE);
  const auto stream = std::find(engines.begin(), engines.end(), kStreamTitle);
  ASSERT_NE(stream, engines.end());
  SendDlgItemMessageA(dialog, IDC_IFACE_ENGINE, CB_SETCURSEL, stream - engines.begin(), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IFACE_ENGINE, CBN_CLOSEUP),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_IFACE_ENGINE)));
  Sleep(500);
  // No refusal: the set-up is the only dialog, and OK can be pressed.
  EXPECT_EQ(program.Dialogs().size(), 1u);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitForSettingsValue("Play", "Applet", "ZKPOLY.DLL"));
  EXPECT_TRUE(program.Dialogs().empty());
  EXPECT_TRUE(program.Close());
}

// The engine's flag shared by every process that loads it.
int SharedFlagValue() {
  HMODULE library = LoadLibraryA("zkpoly.dll");
  if (!library) return -1;
  auto get = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(241))));
  const int value = get ? get() : -1;
  FreeLibrary(library);
  return value;
}

// Answers the message that the ports are held; true when it came.
bool AnswerPortsHeld(ShellProcess& program) {
  HWND box = program.WaitForDialog(60000);
  if (!box) return false;
  const bool held = DialogText(box).find("他のアプリケーションがMIDIポートを使用しているので") != std::string::npos;
  SendMessageA(box, WM_COMMAND, IDOK, 0);
  return held;
}

TEST(InterfaceDialogProcessTest, AProgramWithoutPortsLeavesThemToTheOneThatHoldsThem) {
  WriteSettings(std::string(kProcessSettings) + "[Play]\r\nApplet=zkpoly.dll\r\n");
  ShellProcess first;
  ASSERT_TRUE(first.Start(""));
  ASSERT_NE(first.WaitForFrame(), nullptr);
  ASSERT_EQ(SharedFlagValue(), 3);

  ShellProcess second;
  ASSERT_TRUE(second.Start(""));
  ASSERT_TRUE(AnswerPortsHeld(second));
  ASSERT_NE(second.WaitForFrame(), nullptr);
  HWND dialog = OpenInterfaceIn(second);
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  for (const DWORD start = GetTickCount(); GetTickCount() - start < 30000 && !second.Dialogs().empty();) Sleep(100);
  EXPECT_TRUE(second.Dialogs().empty());
  // The first still holds the ports.
  EXPECT_EQ(SharedFlagValue(), 3);

  ShellProcess third;
  ASSERT_TRUE(third.Start(""));
  EXPECT_TRUE(AnswerPortsHeld(third));
  ASSERT_NE(third.WaitForFrame(), nullptr);
  EXPECT_TRUE(third.Close());
  EXPECT_TRUE(second.Close());
  EXPECT_EQ(SharedFlagValue(), 3);
  EXPECT_TRUE(first.Close());
  EXPECT_EQ(SharedFlagValue() & 1, 0);
}

}  // namespace
