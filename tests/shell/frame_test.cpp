// The frame of a program started inside this test process, with the engine's
// entries replaced by recorders: what it does with the engine's messages,
// text events and the display remote's sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "engine.h"
#include "errlog.h"
#include "frame.h"
#include "inprocess.h"
#include "placements.h"
#include "portsetup.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "playstate.h"
#include "programstate.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "settings.h"
#include "songmodel.h"
#include "startup.h"
#include "testsupport.h"
#include "vwinmm.h"
#include "zk/messages.h"
#include "testsongs.h"
#include "textrecord.h"

namespace {

struct Recorder {
  int playing = 1;
  int stops = 0;
  int clears = 0;
  int compareStopAt = -1;
  std::vector<std::vector<uint8_t>> sends;
  std::vector<int> sendPorts;
  std::vector<std::vector<int>> shorts;
  int seekTo = -1;
  int seekArg = -1;
  int statusCalls = 0;
};
Recorder g_rec;

int WINAPI FakeCheckPlaying() { return g_rec.playing; }
int WINAPI FakeStop() { return ++g_rec.stops, 0; }
int WINAPI FakeClearDarty() { return ++g_rec.clears, 0; }
int WINAPI FakeCompare(int index) { return index == g_rec.compareStopAt; }
int WINAPI FakeSendBuffer(const BYTE* bytes, int length, int port) {
  g_rec.sends.emplace_back(bytes, bytes + length);
  g_rec.sendPorts.push_back(port);
  return 0;
}
int WINAPI FakeSetPlayTime(int ms) { return g_rec.seekTo = ms, 0; }
int WINAPI FakeSeek(int stayPaused) { return g_rec.seekArg = stayPaused, 0; }
int WINAPI FakeStatus() { return ++g_rec.statusCalls, 0; }
int WINAPI FakeImm(int status, int channel, int d1, int d2) {
  g_rec.shorts.push_back({status, channel, d1, d2});
  return 0;
}

class FrameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    started_ = StartInProcessShell();
    settings_ = &InProcessSettings();
  }
  static void TearDownTestSuite() { g_engine = EngineEntries{}; }
  void SetUp() override {
    ASSERT_TRUE(started_);
    ASSERT_NE(g_app.frame, nullptr);
    g_rec = Recorder{};
    g_engine.checkPlaying = FakeCheckPlaying;
    g_engine.stopSeqPlay = FakeStop;
    g_engine.clearPlayMonDarty = FakeClearDarty;
    g_engine.compareMonitorPos = FakeCompare;
    g_engine.sendBuffer = FakeSendBuffer;
    g_engine.midiOutImmMsg = FakeImm;
    g_app.portsUnavailable = 0;
  }
  void TearDown() override {
    g_engine = EngineEntries{};
    g_rings = FrameRings{};
  }
  static TempSettingsFile* settings_;
  static bool started_;
};
TempSettingsFile* FrameTest::settings_ = nullptr;
bool FrameTest::started_ = false;

TEST_F(FrameTest, TextEventsRunAndTheErrorLogRecordsEveryCommand) {
  std::vector<uint8_t> ring(256, 0);
  std::vector<uint8_t> mci = TextRecord(0, 2, 17, 3, 1, "play song.wav");
  std::vector<uint8_t> run = TextRecord(1, 5, 40, 9, 2, "Z:\\no\\such\\program.exe");
  std::copy(mci.begin(), mci.end(), ring.begin());
  std::copy(run.begin(), run.end(), ring.begin() + mci.size());
  SendMessageA(g_app.frame, WM_ZK_SETTEXTRING, ring.size(), reinterpret_cast<LPARAM>(ring.data()));

  VirtualMidi vm;
  ASSERT_TRUE(vm.Bind());
  vm.LogClear();
  SendMessageA(g_app.frame, WM_ZK_PLAYMARK, kMarkText, 0);
  SendMessageA(g_app.frame, WM_ZK_PLAYMARK, kMarkText, static_cast<LPARAM>(mci.size()));

  // The MCI string went to the multimedia library.
  ASSERT_EQ(vm.LogCount(), 1);
  VMidiLogEntry entry;
  ASSERT_TRUE(vm.LogEntry(0, &entry));
  EXPECT_EQ(entry.kind, kVmMci);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry.data), entry.length), "play song.wav");

  const std::string log = ErrLogText();
  EXPECT_NE(log.find("(   17)Tr: 2, Meas:  3, Step:  1 | MCI:play song.wav\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("(   40)Tr: 5, Meas:  9, Step:  2 | RUN:Z:\\no\\such\\program.exe\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("(   40)Tr: 5, Meas:  9, Step:  2 ... RUNエラー("), std::string::npos) << log;
  EXPECT_EQ(log.find("MCIエラー"), std::string::npos) << log;
  EXPECT_NE(g_logs.errLog, nullptr);
}

TEST_F(FrameTest, MonitorRecordsAreCopiedUpToTheEnginesMark) {
  std::vector<PlayMonRecord> ring(5);
  for (PlayMonRecord& r : ring) r = PlayMonRecord{};
  ring[0].track = 0, ring[0].value = 11, ring[0].measure = 2, ring[0].stepInMeasure = 1, ring[0].level = 30;
  ring[1].track = 1, ring[1].value = 21, ring[1].measure = 4;
  ring[2].track = 0, ring[2].value = 12, ring[2].level = 10;
  ring[3].track = 0, ring[3].value = 13;
  ring[4].track = 1, ring[4].value = 99;
  SendMessageA(g_app.frame, WM_ZK_SETPLAYMON, ring.size(), reinterpret_cast<LPARAM>(ring.data()));
  g_prog.playTrackData[0] = PlayMonRecord{};
  g_prog.playTrackData[1] = PlayMonRecord{};
  g_rec.compareStopAt = 3;

  // Records 0 to 2 are due; the engine's position is at 3.
  SendMessageA(g_app.frame, WM_ZK_PLAYMARK, kMarkMonitor, 0);
  EXPECT_EQ(g_prog.playTrackData[0].value, 12);
  EXPECT_EQ(g_prog.playTrackData[0].measure, 0);
  EXPECT_EQ(g_prog.playTrackData[0].level, 30);
  EXPECT_EQ(g_prog.playTrackData[1].value, 21);
  EXPECT_EQ(g_rings.monRead, 3);
  EXPECT_EQ(g_rec.clears, 1);

  // A mark after the engine stopped: the ring is forgotten, nothing copied.
  g_rec.playing = 0;
  g_rec.compareStopAt = 0;
  SendMessageA(g_app.frame, WM_ZK_PLAYMARK, kMarkMonitor, 0);
  EXPECT_EQ(g_rings.monRing, nullptr);
  EXPECT_EQ(g_prog.playTrackData[1].value, 21);
  EXPECT_EQ(g_rec.clears, 1);
}

// The MCI strings the frame sent, in order.
std::vector<std::string> MciStrings(VirtualMidi& vm) {
  std::vector<std::string> out;
  for (int i = 0, n = vm.LogCount(); i < n; ++i) {
    VMidiLogEntry e{};
    if (vm.LogEntry(i, &e) && e.kind == kVmMci)
      out.emplace_back(reinterpret_cast<const char*>(e.data), std::min<int32_t>(e.length, sizeof e.data));
  }
  return out;
}

// The engine's rings lie at the start of blocks far larger than they are,
// filled with what no ring holds, so a reader that does not wrap where the
// engine does finds it.
struct OversizedRings {
  static constexpr int kBlockRecords = 5000;  // as much as [play] PMonBuffer says
  static constexpr int kBlockBytes = 40000;   // as much as [play] CmdBuffer says
  std::vector<PlayMonRecord> monitor;
  std::vector<uint8_t> text = std::vector<uint8_t>(kBlockBytes, 'X');
  int monitorSize, textSize;
  int monitorAt = 0, textAt = 0;
  OversizedRings(int records, int bytes) : monitor(kBlockRecords), monitorSize(records), textSize(bytes) {
    for (PlayMonRecord& r : monitor) {
      r = PlayMonRecord{};
      r.track = 1;
      r.value = 999;
    }
    g_settings.pmonBuffer = kBlockRecords;
    g_settings.cmdBuffer = static_cast<int16_t>(kBlockBytes);
  }
  void Announce(WPARAM records, WPARAM bytes) {
    SendMessageA(g_app.frame, WM_ZK_SETPLAYMON, records, reinterpret_cast<LPARAM>(monitor.data()));
    SendMessageA(g_app.frame, WM_ZK_SETTEXTRING, bytes, reinterpret_cast<LPARAM>(text.data()));
  }
  // Writes as the engine does; returns the monitor index after the record.
  int PutMonitor(const PlayMonRecord& r) {
    monitor[monitorAt] = r;
    monitorAt = (monitorAt + 1) % monitorSize;
    return monitorAt;
  }
  int PutText(const std::vector<uint8_t>& record) {
    for (uint8_t b : record) {
      text[textAt] = b;
      textAt = (textAt + 1) % textSize;
    }
    return textAt;
  }
};

TEST_F(FrameTest, MonitorRingWrapsWhereTheEngineSaysItEnds) {
  OversizedRings rings(5, 256);
  rings.Announce(5, 256);
  EXPECT_EQ(g_rings.monCount, 5);
  EXPECT_EQ(g_rings.textSize, 256);
  g_prog.playTrackData[0] = PlayMonRecord{};
  g_prog.playTrackData[1] = PlayMonRecord{};
  // Three turns of the ring, the host reading up to each mark.
  for (int i = 0; i < 15; ++i) {
    PlayMonRecord r{};
    r.track = 0;
    r.value = static_cast<uint16_t>(100 + i);
    r.measure = static_cast<uint16_t>(i);
    g_rec.compareStopAt = rings.PutMonitor(r);
    SendMessageA(g_app.frame, WM_ZK_PLAYMARK, kMarkMonitor, g_rec.compareStopAt);
    EXPECT_EQ(g_prog.playTrackData[0].value, 100 + i) << i;
    EXPECT_EQ(g_rings.monRead, g_rec.compareStopAt) << i;
  }
  EXPECT_EQ(g_prog.playTrackData[1].value, 0);
  EXPECT_EQ(g_rec.clears, 15);
}

TEST_F(FrameTest, TextRecordsAcrossTheWrapRunWhole) {
  OversizedRings rings(4, 64);
  rings.Announce(4, 64);
  VirtualMidi vm;
  ASSERT_TRUE(vm.Bind());
  vm.LogClear();
  // Records of 31 bytes in a ring of 64: most of them cross its end, and
  // the ring turns five times.
  std::vector<std::string> texts;
  for (int i = 0; i < 10; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "play cue%02d.wav", i);
    texts.push_back(text + std::string(20 - std::strlen(text), ' '));
    PlayMonRecord r{};
    r.track = kMonText;
    r.value = static_cast<uint16_t>(rings.PutText(TextRecord(0, 0, static_cast<uint16_t>(i), 1, 1, texts.back().c_str())));
    g_rec.compareStopAt = rings.PutMonitor(r);
    SendMessageA(g_app.frame, WM_ZK_PLAYMARK, kMarkMonitor, g_rec.compareStopAt);
  }
  EXPECT_EQ(MciStrings(vm), texts);
}

TEST_F(FrameTest, RingsWithoutTheirSizeAreNotRead) {
  OversizedRings rings(5, 256);
  rings.Announce(0, 0);
  EXPECT_EQ(g_rings.monRing, nullptr);
  EXPECT_EQ(g_rings.textRing, nullptr);
  g_prog.playTrackData[1] = PlayMonRecord{};
  SendMessageA(g_app.frame, WM_ZK_PLAYMARK, kMarkMonitor, 1);
  EXPECT_EQ(g_prog.playTrackData[1].value, 0);
  // The engine lets them go the same way.
  rings.Announce(5, 256);
  ASSERT_NE(g_rings.monRing, nullptr);
  SendMessageA(g_app.frame, WM_ZK_SETPLAYMON, 0, 0);
  EXPECT_EQ(g_rings.monRing, nullptr);
}

// An MCI string as the song holds it: command 0x99 and its text, five bytes
// to each 0xF7 event.
std::vector<StepEvent> MciEvents(const std::string& text) {
  std::vector<StepEvent> events{E(0x99)};
  for (size_t i = 0; i < text.size(); i += 5) {
    uint8_t b[5] = {};
    text.copy(reinterpret_cast<char*>(b), 5, i);
    events.push_back(StepEvent{0xF7, b[0], static_cast<uint16_t>(b[1] | b[2] << 8),
                               static_cast<uint16_t>(b[3] | b[4] << 8)});
  }
  return events;
}

// Every monitor record the frame has gone past, taken when it tells the
// engine it has read them.
struct PassedRecords {
  zkengine::ClearPlayMonDartyFn engineClear = nullptr;
  uint16_t read = 0;
  std::vector<PlayMonRecord> records;
};
PassedRecords g_passed;

int WINAPI CollectThenClear() {
  for (uint16_t i = g_passed.read; g_rings.monRing && i != g_rings.monRead; i = (i + 1) % g_rings.monCount)
    g_passed.records.push_back(g_rings.monRing[i]);
  g_passed.read = g_rings.monRead;
  return g_passed.engineClear();
}

// The stream engine on the virtual device plays into the frame with rings
// far smaller than [play] names: the frame reads them as the engine made
// them, and every text the song holds runs once, whole, in order.
TEST_F(FrameTest, EngineRingsThatWrapSeveralTimesAreReadAsTheEngineMadeThem) {
  VirtualMidi vm;
  ASSERT_TRUE(vm.Bind());
  // The engine's section, read when it is loaded; [play] says otherwise.
  ASSERT_TRUE(WritePrivateProfileSectionA("zkpoly", "PMonBuffer=16\0CmdBuffer=300\0PreGet=8\0", "ZKFW95.INI"));
  const AppSettings saved = g_settings;
  g_settings.pmonBuffer = 5000;
  g_settings.cmdBuffer = static_cast<int16_t>(40000);
  std::strcpy(g_settings.applet, "zkpoly.dll");
  const int32_t outPorts[5] = {0, -1, -1, -1, 0};
  std::memcpy(g_settings.outPorts, outPorts, sizeof outPorts);
  g_settings.inPorts[0] = g_settings.inPorts[1] = -1;
  g_engine = EngineEntries{};
  BindEngine();
  ASSERT_NE(g_engine.library, nullptr);
  SetUpPorts();
  g_engine.setParentFrame(g_app.frame, nullptr);
  g_engine.setPlayMonMode(1);

  // Forty texts of 24 bytes in a ring of 300, each with a note; the track's
  // records go round a ring of 16 several times.
  SongBlocks song;
  std::vector<StepEvent> events;
  std::vector<std::string> texts;
  for (int i = 0; i < 40; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "play cue%02d.wav", i);
    texts.push_back(text);
    for (const StepEvent& e : MciEvents(text)) events.push_back(e);
    events.push_back(E(static_cast<uint8_t>(60 + i % 12), 100, 120, 60));
  }
  for (int i = 0; i < 4; ++i) events.push_back(E(48, 100, 120, 60));
  song.AddTrack(events);
  vm.LogClear();
  g_passed = PassedRecords{};
  g_passed.engineClear = g_engine.clearPlayMonDarty;
  g_engine.clearPlayMonDarty = CollectThenClear;
  ASSERT_EQ(g_engine.play(0, 0, song.MakeTable(), 1), 1);
  EXPECT_EQ(g_rings.monCount, 16);
  EXPECT_EQ(g_rings.textSize, 300);
  const DWORD start = GetTickCount();
  MSG msg;
  while (g_engine.checkPlaying() && GetTickCount() - start < 30000) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(1);
  }
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_FALSE(g_engine.checkPlaying());
  EXPECT_EQ(MciStrings(vm), texts);
  int notes = 0;
  for (const TickMsg& m : StreamShorts(DeviceLog(vm), 0)) notes += (m.second & 0xF0) == 0x90 && (m.second >> 16) != 0;
  EXPECT_EQ(notes, 44);
  // The frame went round the monitor ring several times, past records the
  // engine wrote: the track's follow the song.
  EXPECT_GT(g_passed.records.size(), 3u * 16u);
  int lastEvent = -1;
  for (const PlayMonRecord& r : g_passed.records) {
    ASSERT_TRUE(r.track == 0 || r.track == kMonText || r.track == kMonTempo) << r.track;
    if (r.track != 0) continue;
    EXPECT_GE(r.eventIndex, lastEvent);
    lastEvent = r.eventIndex;
  }
  EXPECT_EQ(lastEvent, static_cast<int>(events.size()) - 1);

  g_engine.stopSeqPlay();
  ReleasePorts();
  FreeLibrary(g_engine.library);
  g_engine = EngineEntries{};
  g_settings = saved;
  WritePrivateProfileStringA("zkpoly", nullptr, nullptr, "ZKFW95.INI");
}

// Hands the frame a copy of a mapping as the remote does; returns the copy.
HANDLE SendSysExBlock(const std::vector<uint8_t>& bytes, size_t mappingSize, WPARAM port) {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(mappingSize), nullptr);
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  std::memcpy(view, bytes.data(), bytes.size());
  UnmapViewOfFile(view);
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), mapping, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
  CloseHandle(mapping);
  SendMessageA(g_app.frame, WM_ZK_REMOTE_SYSEX, port, reinterpret_cast<LPARAM>(copy));
  return copy;
}

TEST_F(FrameTest, RemoteSysExIsBoundedToItsBlockAndPortsAToD) {
  const int32_t savedPorts[5] = {g_settings.outPorts[0], g_settings.outPorts[1], g_settings.outPorts[2],
                                 g_settings.outPorts[3], g_settings.outPorts[4]};
  g_settings.outPorts[0] = 0;
  g_settings.outPorts[1] = -1;
  g_settings.outPorts[2] = 1;
  g_settings.outPorts[3] = 1;
  g_settings.outPorts[4] = 0;
  const std::vector<uint8_t> display = {0xF0, 0x41, 0x10, 0x45, 0x12, 0x10, 0x01, 0x00, 0x00, 0x6F, 0xF7, 0x55};

  HANDLE copy = SendSysExBlock(display, 4096, 2);
  ASSERT_EQ(g_rec.sends.size(), 1u);
  EXPECT_EQ(g_rec.sends[0], std::vector<uint8_t>(display.begin(), display.end() - 1));
  EXPECT_EQ(g_rec.sendPorts[0], 2);
  DWORD flags;
  EXPECT_FALSE(GetHandleInformation(copy, &flags));  // the frame closed it

  struct Refused {
    WPARAM port;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> noEnd(4096, 0x11);
  noEnd[0] = 0xF0;
  const Refused refused[] = {{1, display}, {4, display}, {5, display}, {0, noEnd}};
  for (const Refused& r : refused) {
    copy = SendSysExBlock(r.bytes, 4096, r.port);
    EXPECT_FALSE(GetHandleInformation(copy, &flags)) << r.port;
  }
  EXPECT_EQ(g_rec.sends.size(), 1u);

  // A message longer than 16 bits goes out whole.
  std::vector<uint8_t> longOne(70000, 0x22);
  longOne[0] = 0xF0;
  longOne.back() = 0xF7;
  SendSysExBlock(longOne, longOne.size(), 0);
  ASSERT_EQ(g_rec.sends.size(), 2u);
  EXPECT_EQ(g_rec.sends[1].size(), 70000u);

  g_app.portsUnavailable = 1;
  SendSysExBlock(display, 4096, 0);
  EXPECT_EQ(g_rec.sends.size(), 2u);
  g_app.portsUnavailable = 0;
  std::memcpy(g_settings.outPorts, savedPorts, sizeof savedPorts);
}

TEST_F(FrameTest, RemoteShortMessageIsUnpacked) {
  SendMessageA(g_app.frame, WM_ZK_REMOTE_SHORT, 0x90213C40u, 0);
  SendMessageA(g_app.frame, WM_ZK_REMOTE_SHORT, 0xB001C7FFu, 0);
  ASSERT_EQ(g_rec.shorts.size(), 2u);
  EXPECT_EQ(g_rec.shorts[0], (std::vector<int>{0x90, 0x21, 0x3C, 0x40}));
  EXPECT_EQ(g_rec.shorts[1], (std::vector<int>{0xB0, 0x01, 0x47, 0x7F}));
  g_app.portsUnavailable = 1;
  SendMessageA(g_app.frame, WM_ZK_REMOTE_SHORT, 0x90213C40u, 0);
  EXPECT_EQ(g_rec.shorts.size(), 2u);
}

TEST_F(FrameTest, EndOfPlayIsHandledWithoutWaitingForAnotherMessage) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  // The engine's thread ends the play; the only message that follows is
  // the callback's own.
  std::thread engine([] { CallBackPlayEnd(); });
  engine.join();
  PostQuitMessage(0);
  RunMainLoop();
  EXPECT_EQ(g_rec.stops, 1);
  EXPECT_FALSE(TakePlayEnded());

  // 2260 with wParam other than -1 does nothing but the status.
  SendMessageA(g_app.frame, WM_ZK_PLAYNOTIFY, 5, 0);
  EXPECT_EQ(g_rec.stops, 1);
  SendMessageA(g_app.frame, WM_ZK_PLAYEND, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(g_rec.stops, 2);
}

TEST_F(FrameTest, TrackWindowsAreMadeUpToTheLimitThenTakenOver) {
  const int32_t savedSw = g_settings.windowMaxSw;
  const int16_t savedMax = g_settings.windowMax;
  g_settings.windowMaxSw = 0;  // without Ctrl: new windows up to the limit
  g_settings.windowMax = 2;
  ASSERT_GE(g_song.trackCount, 5);
  EXPECT_EQ(ActivateTrackWindow(2), 1);
  HWND second = StepEditorOfTrack(2);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(ActivateTrackWindow(2), 1);
  EXPECT_EQ(CountStepEditors(), 1);
  EXPECT_EQ(ActivateTrackWindow(4), 1);
  HWND fourth = StepEditorOfTrack(4);
  ASSERT_NE(fourth, nullptr);
  EXPECT_EQ(CountStepEditors(), 2);
  // At the limit the current editor is taken over for the new track.
  EXPECT_EQ(g_prog.currentStep, fourth);
  EXPECT_EQ(ActivateTrackWindow(5), 1);
  EXPECT_EQ(CountStepEditors(), 2);
  EXPECT_EQ(StepEditorOfTrack(5), fourth);
  EXPECT_EQ(StepEditorOfTrack(4), nullptr);
  char title[64];
  GetWindowTextA(fourth, title, sizeof title);
  EXPECT_EQ(std::string(title).rfind("Tr. 5", 0), 0u) << title;
  EXPECT_EQ(ActivateTrackWindow(0), 0);
  EXPECT_EQ(ActivateTrackWindow(g_song.trackCount + 1), 0);
  for (int n = 1; n <= g_song.trackCount; ++n)
    if (HWND editor = StepEditorOfTrack(n)) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(editor), 0);
  EXPECT_EQ(CountStepEditors(), 0);
  g_settings.windowMaxSw = savedSw;
  g_settings.windowMax = savedMax;
}

// Holds Shift for the calling thread's key state while it lives.
class ShiftHeld {
 public:
  ShiftHeld() {
    GetKeyboardState(saved_);
    BYTE keys[256];
    std::memcpy(keys, saved_, sizeof keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
  }
  ~ShiftHeld() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

TEST_F(FrameTest, CloseWithShiftOnlySavesTheLayout) {
  settings_->Write("");
  {
    ShiftHeld shift;
    SendMessageA(g_app.frame, WM_CLOSE, 0, 0);
  }
  ASSERT_NE(g_app.frame, nullptr);
  EXPECT_TRUE(IsWindow(g_app.frame));
  EXPECT_EQ(g_rec.stops, 0);
  const std::string written = settings_->Contents();
  EXPECT_NE(written.find("[DeskTop]"), std::string::npos);
  EXPECT_NE(written.find("Frame="), std::string::npos);
}

TEST_F(FrameTest, CloseStopsPlayThenCancelKeepsTheProgramOpen) {
  SetSongModified();
  MessageBoxRecorder boxes;
  boxes.answers.push_back(IDCANCEL);
  SendMessageA(g_app.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_rec.stops, 1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].stringId, 7u);
  EXPECT_TRUE(IsWindow(g_app.frame));
  // The song is still there.
  EXPECT_NE(SongEntry(kHeaderEntry), nullptr);
  if (SongDocument* doc = LockSongDocument(g_app.frame)) {
    static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows))->state[0] = 0;
    GlobalUnlock(doc->trackWindows);
    UnlockSongDocument(g_app.frame);
  }
}

TEST_F(FrameTest, RecordBufferFullWarnsAndHoldReachedSeeks) {
  g_engine.setPlayTime = FakeSetPlayTime;
  g_engine.seekTimePlayExec = FakeSeek;
  g_engine.showSeqStatus = FakeStatus;
  {
    MessageBoxRecorder boxes;
    SendMessageA(g_app.frame, WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 16);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].stringId, 1938u);
    EXPECT_EQ(boxes.boxes[0].style & MB_ICONEXCLAMATION, static_cast<UINT>(MB_ICONEXCLAMATION));
  }
  g_play.seekTarget = 5001;
  g_play.seekArgument = 1;
  g_play.seekPending = 1;
  g_play.holdReached = 0;
  SendMessageA(g_app.frame, WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 1024);
  EXPECT_EQ(g_rec.seekTo, 5000);
  EXPECT_EQ(g_rec.seekArg, 1);
  EXPECT_EQ(g_play.holdReached, 1);
  EXPECT_EQ(g_play.seekPending, 0);
  // Every 2260 ends with the engine's status.
  EXPECT_EQ(g_rec.statusCalls, 2);
  g_play = PlayState{};
}

TEST_F(FrameTest, EachWindowTakesItsOwnFontOrTheDefault) {
  ASSERT_NE(g_views.conductor, nullptr);
  LOGFONTA font = {};
  HFONT own = reinterpret_cast<HFONT>(SendMessageA(g_views.conductor, WM_GETFONT, 0, 0));
  ASSERT_NE(own, nullptr);
  ASSERT_TRUE(GetObjectA(own, sizeof font, &font));
  EXPECT_EQ(font.lfHeight, -16);
  EXPECT_EQ(font.lfWeight, 700);
  EXPECT_STREQ(font.lfFaceName, "Tahoma");
  // No font text of its own: the default font.
  ASSERT_NE(g_viewWindows.trackWindow, nullptr);
  HFONT plain = reinterpret_cast<HFONT>(SendMessageA(g_viewWindows.trackWindow, WM_GETFONT, 0, 0));
  ASSERT_NE(plain, nullptr);
  ASSERT_TRUE(GetObjectA(plain, sizeof font, &font));
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_STREQ(font.lfFaceName, "Courier New");
}

TEST_F(FrameTest, ActivatingAnOpenTrackSwapsPlacesWithTheCurrentEditor) {
  g_settings.trSwap = 1;
  g_settings.qKey = 0;
  HWND one = CreateStepEditor(1, 0);
  HWND two = CreateStepEditor(2, 0);
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  MoveWindow(one, 0, 0, 200, 100, TRUE);
  MoveWindow(two, 250, 50, 300, 150, TRUE);
  SendMessageA(g_app.frame, WM_ZK_SETCURCHILD, 0, reinterpret_cast<LPARAM>(two));
  EXPECT_EQ(ActivateTrackWindow(1), 1);
  RECT r1, r2;
  GetWindowRect(one, &r1);
  GetWindowRect(two, &r2);
  MapWindowPoints(nullptr, g_app.mdiClient, reinterpret_cast<POINT*>(&r1), 2);
  MapWindowPoints(nullptr, g_app.mdiClient, reinterpret_cast<POINT*>(&r2), 2);
  EXPECT_EQ(r1.left, 250);
  EXPECT_EQ(r1.right - r1.left, 300);
  EXPECT_EQ(r2.left, 0);
  EXPECT_EQ(r2.right - r2.left, 200);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0)), one);
  SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(one), 0);
  SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(two), 0);
  EXPECT_EQ(CountStepEditors(), 0);
}

}  // namespace
