// The small MIDI tools of the options menu in the program running in the test
// process: the tuning tone (command and dialog), the MIDI reset, and the time
// code generator with its mode and start-time dialog, on the stream engine
// and on the Super MPU engine with the driver stand-in, both on the virtual
// MIDI device.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "boundengine.h"
#include "enginehost.h"
#include "engine.h"
#include "inifile.h"
#include "inprocess.h"
#include "playstate.h"
#include "portsetup.h"
#include "resource.h"
#include "settings.h"
#include "shellprocess.h"
#include "songmodel.h"
#include "testsupport.h"
#include "vwinmm.h"

namespace {

// The frame's commands of the time code and tuning dialogs.
constexpr UINT kTimeCodeCommand = 2196;
constexpr UINT kTuningDialogCommand = 6101;

std::string TextOf(HWND dialog, int id) {
  char text[256] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool IsModeDialog(HWND dialog) { return GetDlgItem(dialog, IDC_SMPTE_HOUR) != nullptr; }

void Shot(HWND dialog, const char* name) { EXPECT_TRUE(SaveScreenshot(dialog, OutputFolder() + "\\" + name)); }

// Short messages each device got at once, with the device clock's time.
struct Sent {
  int device;
  uint32_t message;
  int64_t micros;
};
std::vector<Sent> ShortsSent(VirtualMidi& vm) {
  std::vector<Sent> out;
  for (const VMidiLogEntry& e : DeviceLog(vm))
    if (e.kind == kVmShort) out.push_back({e.device, e.message, e.wallMicros});
  return out;
}

uint32_t Note(int channel, int velocity) { return static_cast<uint32_t>(0x90 | channel | 69 << 8 | velocity << 16); }

// One tuning tone on the devices given: A4 at 64 on the 16 channels of each,
// released about 501 ms later, and nothing else. The wait reads the tick
// count, which moves in steps of up to 16 ms against the device's clock.
void ExpectOneTone(const std::vector<Sent>& sent, const std::vector<int>& devices) {
  const size_t perVelocity = 16 * devices.size();
  ASSERT_EQ(sent.size(), 2 * perVelocity);
  for (size_t half = 0; half < 2; ++half) {
    std::vector<std::pair<int, uint32_t>> got, want;
    for (size_t i = 0; i < perVelocity; ++i) got.emplace_back(sent[half * perVelocity + i].device, sent[half * perVelocity + i].message);
    for (int device : devices)
      for (int channel = 0; channel < 16; ++channel) want.emplace_back(device, Note(channel, half ? 0 : 64));
    EXPECT_EQ(got, want) << (half ? "release" : "tone");
  }
  EXPECT_GE(sent[perVelocity].micros - sent[perVelocity - 1].micros, 501000 - 16000) << "the tone lasts 501 ms";
}

// ---- The stream engine: the tuning tone, the reset, and the time code
// dialogs without the Super MPU extras ----

class MidiToolsOnStream : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { started_ = StartInProcessShell(); }
  void SetUp() override {
    ASSERT_TRUE(started_);
    savedSettings_ = g_settings;
    savedExtras_ = g_smpu;
    g_smpu = SmpuExtras{};  // no Super MPU here
    ASSERT_TRUE(engine_.Bind("zkpoly.dll", false));
    // Ports A and C have devices, B and D none.
    ReleasePorts();
    g_settings.outPorts[2] = 1;
    SetUpPorts();
    vm_.LogClear();
  }
  void TearDown() override {
    engine_.Release();
    g_smpu = savedExtras_;
    g_settings = savedSettings_;
    g_app.portsUnavailable = 0;
    g_play.busyFlag = 0;
    ClearSongModified();
  }
  BoundEngine engine_;
  VirtualMidi& vm_ = engine_.vm;
  AppSettings savedSettings_{};
  SmpuExtras savedExtras_{};
  static bool started_;
};
bool MidiToolsOnStream::started_ = false;

TEST_F(MidiToolsOnStream, TuningCommandSoundsA4OnEveryChannelOfEachPortWithADevice) {
  Command(IDM_OTHER_TUNE);
  ExpectOneTone(ShortsSent(vm_), {0, 1});
}

TEST_F(MidiToolsOnStream, TuningDialogSoundsOnOpeningOnItsButtonAndOnABlank) {
  int tonesAtOpening = -1;
  std::vector<size_t> counts;
  DialogWatch watch([&](HWND dialog) {
    // The tone the dialog sent itself has sounded before anything else.
    tonesAtOpening = static_cast<int>(ShortsSent(vm_).size() / 64);
    EXPECT_EQ(TitleOf(dialog), "MIDI チューニング");
    EXPECT_EQ(TextOf(dialog, IDC_TUNING_AGAIN), "もう一度");
    Shot(dialog, "tuning_1600.bmp");
    Click(dialog, IDC_TUNING_AGAIN);
    counts.push_back(ShortsSent(vm_).size());
    SendMessageA(dialog, WM_CHAR, ' ', 0);
    counts.push_back(ShortsSent(vm_).size());
    SendMessageA(dialog, WM_CHAR, 'a', 0);  // any other character: nothing
    counts.push_back(ShortsSent(vm_).size());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Command(kTuningDialogCommand);
  ASSERT_EQ(watch.Seen(), 1);
  EXPECT_EQ(tonesAtOpening, 1);
  EXPECT_EQ(counts, (std::vector<size_t>{128, 192, 192}));
  const std::vector<Sent> sent = ShortsSent(vm_);
  for (int tone = 0; tone < 3; ++tone) {
    SCOPED_TRACE(tone);
    ExpectOneTone(std::vector<Sent>(sent.begin() + tone * 64, sent.begin() + (tone + 1) * 64), {0, 1});
  }
  EXPECT_EQ(AnyTrackModified(), false) << "the tuning dialog changes nothing";
}

TEST_F(MidiToolsOnStream, NothingSoundsWhileAnotherProgramHoldsThePorts) {
  g_app.portsUnavailable = 1;
  const DWORD start = GetTickCount();
  int dialogs = 0;
  {
    DialogWatch watch([&](HWND dialog) {
      ++dialogs;
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_OTHER_TUNE);
    Command(kTuningDialogCommand);
    Command(IDM_OTHER_PANIC);
    RunLoopFor(100);
  }
  EXPECT_LT(GetTickCount() - start, 500u) << "no wait for a tone that cannot sound";
  EXPECT_EQ(dialogs, 0);
  EXPECT_TRUE(DeviceLog(vm_).empty());
}

TEST_F(MidiToolsOnStream, ResetCommandReachesTheEnginesReset) {
  Command(IDM_OTHER_PANIC);
  std::vector<int> resetDevices;
  for (const VMidiLogEntry& e : DeviceLog(vm_))
    if (e.kind == kVmReset) resetDevices.push_back(e.device);
  EXPECT_EQ(resetDevices, (std::vector<int>{0, 1}));
}

// Without the Super MPU extras the dialogs still open and keep their state;
// nothing is asked of an interface, and mode 4 cannot be chosen.
TEST_F(MidiToolsOnStream, TimeCodeDialogsWorkWithoutTheInterface) {
  g_settings.smpteMode = 4;
  g_settings.smpteHour = 1;
  g_settings.smpteMin = g_settings.smpteSec = g_settings.smpteFrame = g_settings.smpteBit = 0;
  std::vector<std::string> seen;
  DialogWatch watch([&](HWND dialog) {
    if (IsModeDialog(dialog)) {
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SMPTE_MODE_29)));
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SMPTE_MODE_24), BST_CHECKED) << "stored mode 4 shows as mode 0";
      SetDlgItemTextA(dialog, IDC_SMPTE_HOUR, "24");
      Click(dialog, IDOK);
      return;
    }
    Click(dialog, IDC_SMPTE_STARTSTOP);
    seen.push_back(TextOf(dialog, IDC_SMPTE_STARTSTOP));
    EXPECT_EQ(g_play.busyFlag, 1u);
    Click(dialog, IDC_SMPTE_MODE_BUTTON);
    seen.push_back(TextOf(dialog, IDC_SMPTE_STARTSTOP));
    seen.push_back(TextOf(dialog, IDC_SMPTE_TIME));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Command(kTimeCodeCommand);
  EXPECT_EQ(watch.Seen(), 2);
  EXPECT_EQ(seen, (std::vector<std::string>{"ストップ", "スタート", "24: 0: 0: 0: 0"}));
  // No check: the hour stays as typed.
  EXPECT_EQ(g_settings.smpteHour, 24);
  EXPECT_EQ(g_settings.smpteMode, 0);
  EXPECT_EQ(g_play.busyFlag, 0u);
  EXPECT_TRUE(DeviceLog(vm_).empty());
}

// ---- The Super MPU engine on the driver stand-in ----

using CallLogCountFn = int(WINAPI*)();
using CallLogEntryFn = int(WINAPI*)(int, char*, int);
using CallLogClearFn = void(WINAPI*)();

std::vector<std::string> DriverCalls() {
  std::vector<std::string> out;
  HMODULE driver = GetModuleHandleA("rdsmpu32.dll");
  if (!driver) return out;
  auto count = reinterpret_cast<CallLogCountFn>(reinterpret_cast<void*>(GetProcAddress(driver, "RdsCallLogCount")));
  auto entry = reinterpret_cast<CallLogEntryFn>(reinterpret_cast<void*>(GetProcAddress(driver, "RdsCallLogEntry")));
  if (!count || !entry) return out;
  char line[512];
  for (int i = 0, n = count(); i < n; ++i)
    if (entry(i, line, sizeof line) >= 0) out.push_back(line);
  return out;
}

void ClearDriverCalls() {
  HMODULE driver = GetModuleHandleA("rdsmpu32.dll");
  auto clear = driver ? reinterpret_cast<CallLogClearFn>(reinterpret_cast<void*>(GetProcAddress(driver, "RdsCallLogClear")))
                      : nullptr;
  if (clear) clear();
}

bool Called(const std::string& call) {
  for (const std::string& line : DriverCalls())
    if (line == call) return true;
  return false;
}

// The time the quarter frames on device 0 carry, from the first piece 0:
// hour, minute, second, frame, rate; empty while eight have not come.
std::vector<int> TimeCodeSent(VirtualMidi& vm) {
  std::vector<uint32_t> q;
  for (const Sent& s : ShortsSent(vm))
    if (s.device == 0 && (s.message & 0xFF) == 0xF1) q.push_back(s.message >> 8 & 0xFF);
  size_t at = 0;
  while (at < q.size() && (q[at] >> 4) != 0) ++at;
  if (at + 8 > q.size()) return {};
  int n[8];
  for (int i = 0; i < 8; ++i) n[i] = static_cast<int>(q[at + i] & 0x0F);
  return {n[6] | (n[7] & 1) << 4, n[4] | n[5] << 4, n[2] | n[3] << 4, n[0] | n[1] << 4, n[7] >> 1};
}

size_t QuarterFrames(VirtualMidi& vm) {
  size_t n = 0;
  for (const Sent& s : ShortsSent(vm)) n += s.device == 0 && (s.message & 0xFF) == 0xF1;
  return n;
}

std::vector<int> HeaderStartTime() {
  HGLOBAL h = SongEntry(0);
  const auto* header = h ? static_cast<const SongHeader*>(GlobalLock(h)) : nullptr;
  if (!header) return {};
  const SmpteStart s = header->smpte;
  GlobalUnlock(h);
  return {s.mode, s.hours, s.minutes, s.seconds, s.frames, s.bits};
}

std::vector<int> StoredStartTime() {
  std::vector<int> out;
  for (const char* key : {"Mode", "Hour", "Min", "Sec", "Frame", "Bit"})
    out.push_back(std::atoi(IniGetString("SMPTE", key, "-1", 16).c_str()));
  return out;
}

// An interface that reports an environment of 32.
int WINAPI Environment32(int, int* environment, int*, int*) {
  *environment = 32;
  return 0;
}

class MidiToolsOnSuperMpu : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { started_ = StartInProcessShell(); }
  void SetUp() override {
    ASSERT_TRUE(started_);
    savedSettings_ = g_settings;
    // The driver's own section: both ports on the virtual outputs, no input.
    WritePrivateProfileStringA("rdsmpu32", nullptr, nullptr, "ZKFW95.INI");
    WritePrivateProfileSectionA("rdsmpu32", "OutDevice=Virtual Out A\0OutDeviceB=Virtual Out B\0InDevice=none\0\0",
                                "ZKFW95.INI");
    std::strcpy(g_settings.rdsDriver, "rdsmpu32.dll");
    std::strcpy(g_settings.appletChoice[1], "zkrds.dll");
    g_app.portsUnavailable = 0;
    BindSmpuExtras();
    ASSERT_NE(g_smpu.startSMPTEGenerate, nullptr) << "the extras come from the Super MPU engine";
    ASSERT_TRUE(engine_.Bind("zkrds.dll", false));
    ASSERT_TRUE(g_engine.smpuEngine);
    g_settings.smpteMode = 3;
    g_settings.smpteHour = 1;
    g_settings.smpteMin = 2;
    g_settings.smpteSec = 3;
    g_settings.smpteFrame = 4;
    g_settings.smpteBit = 0;
    ClearDriverCalls();
    vm_.LogClear();
  }
  void TearDown() override {
    engine_.Release();
    if (g_smpu.library) FreeLibrary(g_smpu.library);
    g_smpu = SmpuExtras{};
    g_settings = savedSettings_;
    g_play.busyFlag = 0;
    WritePrivateProfileStringA("rdsmpu32", nullptr, nullptr, "ZKFW95.INI");
    ClearSongModified();
  }

  BoundEngine engine_;
  VirtualMidi& vm_ = engine_.vm;
  AppSettings savedSettings_{};
  static bool started_;
};
bool MidiToolsOnSuperMpu::started_ = false;

TEST_F(MidiToolsOnSuperMpu, StartSendsTimeCodeFromTheStartTimeAndStopEndsIt) {
  struct Seen {
    std::string button, caption, time;
    uint32_t busy;
  };
  std::vector<Seen> seen;
  std::string runningTime;
  std::vector<int> code;
  size_t quarterFramesAtStop = 0, quarterFramesLater = 0;
  auto look = [&](HWND dialog) {
    seen.push_back({TextOf(dialog, IDC_SMPTE_STARTSTOP), TextOf(dialog, IDC_SMPTE_CAPTION),
                    TextOf(dialog, IDC_SMPTE_TIME), g_play.busyFlag});
  };
  DialogWatch watch([&](HWND dialog) {
    look(dialog);
    Click(dialog, IDC_SMPTE_STARTSTOP);
    look(dialog);
    // The time text follows the interface's running time.
    RunLoopUntil([&] { return TextOf(dialog, IDC_SMPTE_TIME) > " 1: 2: 3: 6"; }, 5000);
    runningTime = TextOf(dialog, IDC_SMPTE_TIME);
    RunLoopUntil([&] { return !TimeCodeSent(vm_).empty(); }, 3000);
    code = TimeCodeSent(vm_);
    Shot(dialog, "timecode_1650_running.bmp");
    Click(dialog, IDC_SMPTE_STARTSTOP);
    look(dialog);
    quarterFramesAtStop = QuarterFrames(vm_);
    RunLoopFor(200);
    quarterFramesLater = QuarterFrames(vm_);
    Shot(dialog, "timecode_1650.bmp");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Command(kTimeCodeCommand);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].button, "スタート");
  EXPECT_EQ(seen[0].caption, "SMPTEのジェネレートを行います");
  EXPECT_EQ(seen[0].time, " 1: 2: 3: 4: 0");
  EXPECT_EQ(seen[0].busy, 0u);
  EXPECT_EQ(seen[1].button, "ストップ");
  EXPECT_EQ(seen[1].caption, "SMPTEのジェネレートを行っています");
  EXPECT_EQ(seen[1].busy, 1u) << "busy while generating";
  EXPECT_GT(runningTime, " 1: 2: 3: 6");
  EXPECT_LT(runningTime, " 1: 2: 9");
  EXPECT_EQ(seen[2].button, "スタート");
  EXPECT_EQ(seen[2].caption, "SMPTEのジェネレートを行います");
  EXPECT_EQ(seen[2].busy, 0u);
  EXPECT_EQ(code, (std::vector<int>{1, 2, 3, 4, 3})) << "01:02:03:04 at 30 frames";
  EXPECT_GT(quarterFramesAtStop, 8u);
  EXPECT_EQ(quarterFramesLater, quarterFramesAtStop) << "no time code after stop";
  EXPECT_TRUE(Called("SMPUSetTC 1 {1,2,3,4,0,3}"));
  EXPECT_TRUE(Called("SMPUTCStart 1"));
  EXPECT_TRUE(Called("SMPUTCStop 1"));
}

TEST_F(MidiToolsOnSuperMpu, F10TogglesGenerationOnlyWhenTheKeySwitchIsOn) {
  struct Case {
    int f1f10;
    std::vector<std::string> buttons;
  } cases[] = {
      {1, {"ストップ", "スタート"}},
      {0, {"スタート", "スタート"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.f1f10);
    g_settings.f1f10 = c.f1f10;
    std::vector<std::string> buttons;
    DialogWatch watch([&](HWND dialog) {
      // On whichever of the three buttons has the focus.
      SendMessageA(GetDlgItem(dialog, IDC_SMPTE_STARTSTOP), WM_SYSKEYDOWN, VK_F10, 0);
      buttons.push_back(TextOf(dialog, IDC_SMPTE_STARTSTOP));
      SendMessageA(GetDlgItem(dialog, IDCANCEL), WM_SYSKEYDOWN, VK_F10, 0);
      buttons.push_back(TextOf(dialog, IDC_SMPTE_STARTSTOP));
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(kTimeCodeCommand);
    EXPECT_EQ(buttons, c.buttons);
    EXPECT_EQ(Called("SMPUTCStart 1"), c.f1f10 != 0);
    ClearDriverCalls();
  }
}

TEST_F(MidiToolsOnSuperMpu, ModeDialogStopsGenerationAndItsOkWritesSettingsAndSongHeader) {
  IniWriteString("SMPTE", "Hour", "77");
  std::vector<std::string> afterMode;
  bool modeFourEnabled = true;
  int checkedMode = 0;
  DialogWatch watch([&](HWND dialog) {
    if (IsModeDialog(dialog)) {
      modeFourEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_SMPTE_MODE_29)) != FALSE;
      checkedMode = IsDlgButtonChecked(dialog, IDC_SMPTE_MODE_30) == BST_CHECKED ? 3 : -1;
      EXPECT_EQ(TextOf(dialog, IDC_SMPTE_HOUR), "1");
      EXPECT_EQ(TextOf(dialog, IDC_SMPTE_FRAME), "4");
      Shot(dialog, "timecode_1610.bmp");
      // 24:00:00:00 at 24 frames; the interface takes 23 hours.
      CheckRadioButton(dialog, IDC_SMPTE_MODE_24, IDC_SMPTE_MODE_29, IDC_SMPTE_MODE_24);
      SetDlgItemTextA(dialog, IDC_SMPTE_HOUR, "24");
      SetDlgItemTextA(dialog, IDC_SMPTE_MIN, "0");
      SetDlgItemTextA(dialog, IDC_SMPTE_SEC, "0");
      SetDlgItemTextA(dialog, IDC_SMPTE_FRAME, "0");
      SetDlgItemTextA(dialog, IDC_SMPTE_BIT, "9");
      Click(dialog, IDOK);
      return;
    }
    Click(dialog, IDC_SMPTE_STARTSTOP);
    EXPECT_EQ(g_play.busyFlag, 1u);
    Click(dialog, IDC_SMPTE_MODE_BUTTON);
    afterMode = {TextOf(dialog, IDC_SMPTE_STARTSTOP), TextOf(dialog, IDC_SMPTE_CAPTION), TextOf(dialog, IDC_SMPTE_TIME)};
    EXPECT_EQ(g_play.busyFlag, 0u);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Command(kTimeCodeCommand);
  ASSERT_EQ(watch.Seen(), 2);
  EXPECT_FALSE(modeFourEnabled) << "the stand-in reports environment 4";
  EXPECT_EQ(checkedMode, 3);
  EXPECT_EQ(afterMode, (std::vector<std::string>{"スタート", "SMPTEのジェネレートを行います", "23: 0: 0: 0: 9"}));
  EXPECT_TRUE(Called("SMPUTCStop 1"));
  EXPECT_TRUE(Called("SMPUHms2TimeUnit {24,0,0,0,9,0}"));
  EXPECT_TRUE(Called("SMPUHms2TimeUnit {23,0,0,0,9,0}"));
  EXPECT_EQ(StoredStartTime(), (std::vector<int>{0, 23, 0, 0, 0, 9}));
  EXPECT_EQ(HeaderStartTime(), (std::vector<int>{0, 23, 0, 0, 0, 9}));
  EXPECT_TRUE(AnyTrackModified());
}

// Numbers typed past a field's byte are clamped before the interface sees
// them; Cancel stores nothing; mode 4 is there with an environment of 32.
TEST_F(MidiToolsOnSuperMpu, ModeDialogClampsTypedNumbersAndCancelKeepsEverything) {
  struct Case {
    const char* what;
    std::vector<const char*> typed;  // hour, minute, second, frame, bit
    int radio;
    bool ok;
    bool environment32;
    std::vector<int> stored;         // mode and the five values
  } cases[] = {
      {"past a byte, then lowered", {"300", "999", "-5", "12", "4000"}, IDC_SMPTE_MODE_25, true, false,
       {1, 23, 59, 0, 12, 255}},
      {"a skipped drop frame", {"2", "1", "0", "0", "0"}, IDC_SMPTE_MODE_29D, true, false, {2, 2, 1, 0, 2, 0}},
      {"mode 4 offered", {"5", "6", "7", "8", "9"}, IDC_SMPTE_MODE_29, true, true, {4, 5, 6, 7, 8, 9}},
      {"cancel", {"9", "9", "9", "9", "9"}, IDC_SMPTE_MODE_24, false, false, {3, 1, 2, 3, 4, 0}},
  };
  const zkengine::GetSmpuEnvFn realEnvironment = g_smpu.getSmpuEnv;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_settings.smpteMode = 3;
    g_settings.smpteHour = 1;
    g_settings.smpteMin = 2;
    g_settings.smpteSec = 3;
    g_settings.smpteFrame = 4;
    g_settings.smpteBit = 0;
    SaveSettings();
    const std::vector<int> headerBefore = HeaderStartTime();
    g_smpu.getSmpuEnv = c.environment32 ? Environment32 : realEnvironment;
    bool modeFourEnabled = false;
    DialogWatch watch([&](HWND dialog) {
      if (!IsModeDialog(dialog)) {
        Click(dialog, IDC_SMPTE_MODE_BUTTON);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      modeFourEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_SMPTE_MODE_29)) != FALSE;
      CheckRadioButton(dialog, IDC_SMPTE_MODE_24, IDC_SMPTE_MODE_29, c.radio);
      for (int i = 0; i < 5; ++i) SetDlgItemTextA(dialog, IDC_SMPTE_HOUR + i, c.typed[i]);
      Click(dialog, c.ok ? IDOK : IDCANCEL);
    });
    Command(kTimeCodeCommand);
    EXPECT_EQ(modeFourEnabled, c.environment32);
    const std::vector<int> inMemory = {g_settings.smpteMode, g_settings.smpteHour, g_settings.smpteMin,
                                       g_settings.smpteSec,  g_settings.smpteFrame, g_settings.smpteBit};
    EXPECT_EQ(inMemory, c.stored);
    EXPECT_EQ(StoredStartTime(), c.stored);
    if (c.ok) EXPECT_EQ(HeaderStartTime(), c.stored);
    else EXPECT_EQ(HeaderStartTime(), headerBefore);
    EXPECT_EQ(AnyTrackModified(), c.ok);
    ClearSongModified();
  }
  g_smpu.getSmpuEnv = realEnvironment;
}

TEST_F(MidiToolsOnSuperMpu, ResetCommandPanicsTheInterface) {
  Command(IDM_OTHER_PANIC);
  EXPECT_TRUE(Called("SMPUPanic 1"));
  std::vector<uint32_t> allNotesOff;
  for (const Sent& s : ShortsSent(vm_))
    if (s.device == 0 && (s.message & 0xFFF0) == 0x7BB0) allNotesOff.push_back(s.message & 0x0F);
  EXPECT_EQ(allNotesOff.size(), 16u);
}

TEST_F(MidiToolsOnSuperMpu, TuningToneGoesThroughTheInterface) {
  Command(IDM_OTHER_TUNE);
  std::vector<Sent> sent;
  for (const Sent& s : ShortsSent(vm_))
    if ((s.message & 0xF0) == 0x90) sent.push_back(s);
  ExpectOneTone(sent, {0});
}

}  // namespace
