// The Super MPU engine driven as a host drives it, on our driver library
// against the virtual MIDI device: the same songs as the other engines, and
// every driver call with its arguments from the driver's call log.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <zk/messages.h>
#include <zk/playdata.h>

#include "calllog.h"
#include "drivercheck.h"
#include "linewords.h"
#include "enginetest.h"
#include "testsongs.h"

namespace {

// The driver's clock steps every millisecond of a shared machine (the
// device clock runs twice as fast in this test).
constexpr double kToleranceMs = 30.0;

using OpenCallBackFn = int(WINAPI*)(int, HWND);
using ChangePortFn = UINT(WINAPI*)(int, int, int, int);
using FourArgFn = int(WINAPI*)(int, int, int, int);

class ZkRds : public EngineTest {
 protected:
  const char* Engine() override { return "zkrds"; }
  virtual const char* DriverSettings() { return "OutDevice=Virtual Out A\0InDevice=Virtual In A\0"; }

  void SetUp() override {
    WritePrivateProfileSectionA("rdsmpu32", DriverSettings(), "ZKFW95.INI");
    EngineTest::SetUp();
    ASSERT_TRUE(log.Bind()) << "rdsmpu32.dll is not loaded";
    log.clear();
  }
  void TearDown() override {
    // The driver library goes with the engine.
    if (log.failPuts) log.failPuts(0);
    if (log.holdPut) log.holdPut(nullptr, nullptr);
    if (HasFailure() && log.count && GetModuleHandleA("rdsmpu32.dll"))
      for (const auto& l : log.Lines()) std::printf("  driver: %s\n", l.c_str());
    EngineTest::TearDown();
  }
  // The main program's order: the device opened for the frame, then ports.
  void Connect(std::vector<int> devices = {0}) {
    ASSERT_GE((Call<OpenCallBackFn>(21, 0, host->Window())), 0);
    ASSERT_TRUE(host->OpenPorts(devices));
  }
  std::string Hwnd() const {
    return std::to_string(static_cast<unsigned>(reinterpret_cast<uintptr_t>(host->Window())));
  }

  // Messages played on device 0 with their time from the first, in ms.
  std::vector<std::pair<double, uint32_t>> Played() {
    std::vector<std::pair<double, uint32_t>> out;
    int64_t start = -1;
    for (const auto& e : DeviceLog(vm)) {
      if (e.device != 0 || e.kind != kVmShort) continue;
      if (start < 0) start = e.wallMicros;
      out.push_back({(e.wallMicros - start) / 1000.0, e.message});
    }
    return out;
  }

  DriverLog log;
};

TEST(RdsDriverCheck, VersionTexts) {
  const struct {
    const char* text;
    bool passes;
  } cases[] = {{"4.01", false}, {"4.1", false}, {"4.02", true}, {"4.2", true}, {"4.10", true},
               {"4.20", true},  {"5.00", true}, {"3.99", false}, {"", false},   {"x4.5", false},
               {"4", false},    {"10.0", true}};
  for (const auto& c : cases) EXPECT_EQ(VersionTextAtLeast(c.text, 4, 2), c.passes) << c.text;
}

TEST(RdsDriverCheck, DriverFilesNeedAVersionAndACompany) {
  EXPECT_TRUE(DriverFilePasses("rdsmpu32.dll"));
  EXPECT_TRUE(DriverFilePasses("rdsmpu95.drv"));
  EXPECT_TRUE(DriverFilePasses("rdsmpu95.vxd"));
  EXPECT_TRUE(DriverFilesPass());
  EXPECT_FALSE(DriverFilePasses("zkpoly.dll"));           // no CompanyName
  EXPECT_FALSE(DriverFilePasses("sharedflag_probe.exe"));  // no version block
  EXPECT_FALSE(DriverFilePasses("nosuchdriver.drv"));
}

TEST_F(ZkRds, Identity) {
  EXPECT_EQ(host->Entry(510), nullptr);
  for (int ord : {9, 11, 13, 23, 24, 30, 31, 32, 33, 34, 35, 47, 250}) EXPECT_NE(host->Entry(ord), nullptr) << ord;
  ExpectApplet("S-MPUネイティブ機能を使う", 4);
}

TEST_F(ZkRds, OpenRecordNamesTheWindowTheNoticeAndBothCallbacks) {
  Connect();
  EXPECT_TRUE(log.Has("SMPUOpen {" + Hwnd() + ",2260,1,1,1,1}"));
  // The same window again does not re-open the device.
  log.clear();
  Call<void*(WINAPI*)(HWND, void*)>(15, host->Window(), nullptr);
  EXPECT_TRUE(log.Calls("SMPUClose").empty());
  EXPECT_TRUE(log.Calls("SMPUOpen").empty());
  // Another window does.
  HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  Call<void*(WINAPI*)(HWND, void*)>(15, other, nullptr);
  EXPECT_EQ(log.Calls("SMPUClose").size(), 1u);
  EXPECT_EQ(log.Calls("SMPUOpen").size(), 1u);
  Call<void*(WINAPI*)(HWND, void*)>(15, host->Window(), nullptr);
  DestroyWindow(other);
}

TEST_F(ZkRds, TheOpenDeviceKeepsTheLibraryLoaded) {
  HMODULE engine = GetModuleHandleA("zkrds.dll");
  ASSERT_NE(engine, nullptr);
  Connect();
  // The host lets go while the driver's thread may still call in.
  FreeLibrary(engine);
  EXPECT_EQ(GetModuleHandleA("zkrds.dll"), engine);
  ASSERT_EQ(LoadLibraryA("zkrds.dll"), engine);  // the host's reference again
  host->ClosePorts();
  // Closed, the device holds nothing: the host's reference is the last.
  if (log.failPuts) log.failPuts(0);
  log = DriverLog{};
  host.reset();
  EXPECT_EQ(GetModuleHandleA("zkrds.dll"), nullptr);
  host = std::make_unique<EngineHost>(Settings(), Engine());
}

TEST_F(ZkRds, SongPlaysTheSameMessagesAtTheirTimes) {
  Connect();
  SongBlocks s;
  AddEverythingTracks(s);
  PlayToEnd(s);
  const auto want = EverythingShorts();
  const auto got = Played();
  ASSERT_EQ(got.size(), want.size());
  const auto tempos = EverythingTempos();
  const double origin = TickMs(want[0].first, tempos);
  double worst = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].second, want[i].second) << "message " << i;
    double ideal = TickMs(want[i].first, tempos) - origin;
    worst = std::max(worst, std::abs(got[i].first - ideal));
    EXPECT_NEAR(got[i].first, ideal, kToleranceMs) << "message " << i;
  }
  std::printf("Super MPU engine: worst timing error %.2f ms (device clock)\n", worst);
  std::vector<Bytes> longs, wantLongs;
  for (const auto& e : DeviceLog(vm))
    if (e.device == 0 && e.kind == kVmLong) longs.push_back(Bytes(e.data, e.data + e.length));
  for (const auto& l : EverythingLongs()) wantLongs.push_back(l.second);
  EXPECT_EQ(longs, wantLongs);
  // The queue was fed in blocks that begin with the two skip words; the
  // end came through the status poll as 2260 with 0.
  const auto puts = log.Calls("SMPUPutSeqBlock");
  ASSERT_FALSE(puts.empty());
  EXPECT_NE(puts[0].find("[EAF9 EAFA"), std::string::npos) << puts[0];
  EXPECT_TRUE(log.Has("SMPUSetActiveSeqPlay 1 1"));
  EXPECT_TRUE(log.Has("SMPUSeqQStart 1 0"));
  EXPECT_EQ(host->CountMessages(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1)), 1);
  EXPECT_GE(host->CountMessages(WM_ZK_PLAYMARK, kMarkTempo), 1);
}

TEST_F(ZkRds, ARefusedQueueBlockIsSentAgain) {
  Connect();
  log.failPuts(3);
  SongBlocks s;
  AddEverythingTracks(s);
  PlayToEnd(s);
  std::vector<uint32_t> got, want;
  for (const auto& p : Played()) got.push_back(p.second);
  for (const auto& m : EverythingShorts()) want.push_back(m.second);
  EXPECT_EQ(got, want);
}

// The driver's next queue block held between taking its words and
// telling the engine so.
class HeldPut {
 public:
  explicit HeldPut(DriverLog& log) : log_(log) { log_.holdPut(reached_, release_); }
  ~HeldPut() {
    log_.holdPut(nullptr, nullptr);
    SetEvent(release_);
    CloseHandle(reached_);
    CloseHandle(release_);
  }
  bool Reached() const { return WaitForSingleObject(reached_, 0) == WAIT_OBJECT_0; }
  void Release() { SetEvent(release_); }

 private:
  DriverLog& log_;
  HANDLE reached_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

TEST_F(ZkRds, ABlockTakenAcrossAStopAndPlayLeavesTheNewPlayWhole) {
  Connect();
  SongBlocks s(240);
  std::vector<StepEvent> notes;
  std::vector<int> want;
  for (int key = 60; key < 72; ++key) {
    notes.push_back(E(static_cast<uint8_t>(key), 100, 120, 60));
    want.push_back(key);
  }
  s.AddTrack(notes);
  HeldPut put(log);
  ASSERT_EQ(Play(s), 1);
  ASSERT_TRUE(host->PumpUntil([&] { return put.Reached(); }));
  // While the first block's put has not returned, the host plays again.
  Call<NoArgFn>(19);
  vm.LogClear();
  ASSERT_EQ(Play(s), 1);
  put.Release();
  ASSERT_TRUE(host->WaitForEnd());
  std::vector<int> keysOn;
  for (const auto& p : Played())
    if ((p.second & 0xF0) == 0x90 && (p.second >> 16) != 0) keysOn.push_back((p.second >> 8) & 0x7F);
  EXPECT_EQ(keysOn, want);
}

TEST_F(ZkRds, MonitorAndTextRecordsBehindMarks) {
  Connect();
  PlayTextAndNotesAndCheckTheFirstRecords();
  EXPECT_FALSE(log.Calls("SMPUGetMonBlock").empty());
  EXPECT_TRUE(log.Has("SMPUSetMonSw 1 1"));
}

TEST_F(ZkRds, RecordingFromTheInterfaceFillsTheRecordBuffer) {
  Connect();
  RecordBuffers rec;
  ArmRecording(rec, 1);
  // Every channel records every class of message.
  Call<SetPlayModeFn>(10, 1, 0, 0, 0, 0xFFFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SongBlocks s;
  BeatSong(s);
  ASSERT_EQ((Call<PointFn>(18, 0, 0, s.MakeTable(), s.TrackCount(), 0, 0, 1, 0)), 1);
  ASSERT_TRUE(host->PumpUntil([&] { return log.Has("SMPUSeqQStart 1 0"); }));
  EXPECT_TRUE(log.Has("SMPUSetRecSw 1 1"));
  Sleep(50);
  ASSERT_TRUE(vm.Inject(0, M(0x90, 60, 100), 0));
  ASSERT_TRUE(vm.Inject(0, M(0x80, 60, 0), 0));
  ASSERT_TRUE(host->PumpUntil([&] { return Call<NoArgFn>(4) >= 4; }));
  Call<NoArgFn>(19);
  // The messages as the interface recorded them, between waits of whatever
  // time passed.
  std::vector<uint16_t> messages;
  for (uint16_t w : rec.Words(64))
    if ((w & 0xFF00) != kPwWait && w != kPwEndFill) messages.push_back(w);
  EXPECT_EQ(messages, (std::vector<uint16_t>{0x9000, 0x3C64, 0x8000, 0x3C00}));
  EXPECT_FALSE(log.Calls("SMPUGetSeqBlock").empty());
  EXPECT_GE(host->CountMessages(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1)), 1);
}

TEST_F(ZkRds, PauseFreezesThePlayTimeAndIsRefusedWhileRecording) {
  Connect();
  SongBlocks s(240);
  s.AddTrack({E(60, 100, 2000, 1900), E(62, 100, 480, 100)});
  ASSERT_EQ(Play(s), 1);
  auto playTime = [&] { return static_cast<DWORD>(Call<NoArgFn>(1100)); };
  ASSERT_TRUE(host->PumpUntil([&] { return playTime() > 100; }));
  Call<OneArgFn>(20, 0);
  EXPECT_EQ(Call<NoArgFn>(100) & 1, 1);
  DWORD paused = playTime();
  Sleep(30);
  EXPECT_EQ(playTime(), paused);
  EXPECT_TRUE(log.Has("SMPUSeqStop 1 0"));
  EXPECT_TRUE(log.Has("SMPUPanic 1"));
  Call<OneArgFn>(20, 0);
  EXPECT_EQ(Call<NoArgFn>(100) & 1, 0);
  EXPECT_TRUE(log.Has("SMPUSeqQStart 1 1"));
  ASSERT_TRUE(host->WaitForEnd());
  EXPECT_GE(playTime(), paused);
  Call<NoArgFn>(19);

  RecordBuffers rec;
  ArmRecording(rec, 1);
  ASSERT_EQ((Call<PointFn>(18, 0, 0, s.MakeTable(), 1, 0, 0, 1, 0)), 1);
  ASSERT_TRUE(host->PumpUntil([&] { return Call<NoArgFn>(3) == 1; }));
  log.clear();
  Call<OneArgFn>(20, 0);
  EXPECT_EQ(Call<NoArgFn>(100) & 1, 0);
  EXPECT_TRUE(log.Calls("SMPUSeqStop").empty());
}

TEST_F(ZkRds, HoldThenSeekPlaysOnFromTheTime) {
  Connect();
  SongBlocks s(240);
  s.AddTrack({E(60, 100, 480, 100), E(62, 100, 480, 100), E(64, 100, 480, 100)});
  ASSERT_EQ(Play(s), 1);
  ASSERT_TRUE(host->PumpUntil([&] { return Call<NoArgFn>(1100) > 50; }));
  Call<OneArgFn>(1103, 0);
  EXPECT_TRUE(log.Has("SMPUSeqSuspend 1"));
  ASSERT_TRUE(host->PumpUntil([&] { return host->CountMessages(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1)) > 0; }));
  EXPECT_EQ(host->Messages().back().l, 1024);
  // To the second note (one beat at tempo 240 is 250 ms).
  Call<OneArgFn>(1101, 260);
  vm.LogClear();
  Call<OneArgFn>(1102, 0);
  ASSERT_TRUE(host->WaitForEnd());
  std::vector<uint32_t> notes;
  for (const auto& p : Played())
    if ((p.second & 0xF0) == 0x90) notes.push_back(p.second);
  EXPECT_EQ(notes, (std::vector<uint32_t>{M(0x90, 64, 100), M(0x90, 64, 0)}));
}

TEST_F(ZkRds, PointPlayChasesSendsTheSongPositionAndContinues) {
  Connect();
  SongBlocks s;
  s.AddTrack({E(0xEC, 0, 0, 5), E(0xEB, 90, 0, 7), E(0xEE, 0x40, 0, 0x10), E(0xEB, 20, 0, 91),
              E(60, 100, 480, 100), E(0xFD), E(62, 100, 480, 100), E(0xFD)});
  ASSERT_EQ((Call<PointFn>(18, 0, 0, s.MakeTable(), 1, 0, 6, 1, 0)), 1);
  ASSERT_TRUE(host->WaitForEnd());
  std::vector<uint32_t> sent;
  for (const auto& p : Played()) sent.push_back(p.second);
  EXPECT_EQ(sent, (std::vector<uint32_t>{M(0xC0, 5), M(0xB0, 91, 20), M(0xB0, 7, 90), M(0xE0, 0x10, 0x40),
                                         M(0xF2, 3, 0), M(0x90, 62, 100), M(0x90, 62, 0)}));
  EXPECT_TRUE(log.Has("SMPUPutLineMesDWord 1 F200 0300"));
  EXPECT_TRUE(log.Has("SMPUSeqQStart 1 1"));
}

TEST_F(ZkRds, ThruMapRoutesEveryInputChannel) {
  Connect();
  Call<FourArgFn>(12, 2, 0, 0x13, 1);
  for (int c = 0; c < 32; ++c) EXPECT_TRUE(log.Has("SMPUSetMap 1 {129," + std::to_string(c) + ",19,255}")) << c;
  EXPECT_TRUE(log.Has("SMPUSetThruSw 1 1"));
  EXPECT_TRUE(log.Has("SMPUSetSendMidiRT 1 3"));
  // The same map again changes nothing.
  log.clear();
  Call<FourArgFn>(12, 2, 0, 0x13, 1);
  EXPECT_TRUE(log.Calls("SMPUSetMap").empty());
  EXPECT_TRUE(log.Calls("SMPUSetThruSw").empty());
  Call<FourArgFn>(12, 0, 0, 0, 0);
  EXPECT_TRUE(log.Has("SMPUSetMap 1 {129,5,255,255}"));
  EXPECT_TRUE(log.Has("SMPUSetThruSw 1 0"));
}

TEST_F(ZkRds, LineMessagesRetryABusyInterface) {
  Connect();
  vm.FailShortMsgs(0, 3);
  Call<FourArgFn>(64, 0xB0, 0x02, 7, 100);
  EXPECT_EQ(log.Calls("SMPUPutLineMesDWord").size(), 4u);
  EXPECT_TRUE(log.Has("SMPUPutLineMesDWord 1 B002 0764"));
  EXPECT_EQ(Immediate(), (std::vector<uint32_t>{M(0xB2, 7, 100)}));
  // A program change carries its number in the high byte of word 2.
  log.clear();
  const BYTE raw[] = {0xC3, 0x05, 0x85, 0x90, 0x3C, 0x40};
  Call<int(WINAPI*)(const BYTE*, int, int)>(192, raw, sizeof raw, 0);
  EXPECT_EQ(log.Calls("SMPUPutLineMesDWord"),
            (std::vector<std::string>{"SMPUPutLineMesDWord 1 C003 0500", "SMPUPutLineMesDWord 1 9000 3C40"}));
  // Ports 4 and above send nothing.
  log.clear();
  Call<FourArgFn>(64, 0x90, 0x40, 60, 100);
  EXPECT_TRUE(log.Calls("SMPUPutLineMesDWord").empty());
}

TEST(RdsLineBlocks, EvenAndOddMessagesEndAsTheyShould) {
  const uint8_t even[] = {0xF0, 0x41, 0x10, 0xF7};        // with the selector: 5 bytes
  const uint8_t odd[] = {0xF0, 0x41, 0x10, 0x42, 0xF7};   // 6 bytes
  EXPECT_EQ(LineBlockWords(0x10, even, sizeof even), (std::vector<WORD>{0xF010, 0x4110, 0xF700}));
  EXPECT_EQ(LineBlockWords(0x00, odd, sizeof odd), (std::vector<WORD>{0xF000, 0x4110, 0x42F7}));
  EXPECT_TRUE(LineBlockWords(0x00, odd, 3).empty());
}

class ZkRdsPortB : public ZkRds {
 protected:
  const char* DriverSettings() override {
    return "OutDevice=Virtual Out A\0OutDeviceB=S-MPU MIDI Out B Port\0InDevice=none\0";
  }
  void SetUp() override {
    VirtualMidi v;
    ASSERT_TRUE(v.Bind());
    ASSERT_TRUE(v.SetDevices("Virtual Out A;S-MPU MIDI Out B Port", "Virtual In A"));
    ZkRds::SetUp();
  }
  void TearDown() override {
    ZkRds::TearDown();
    vm.SetDevices("Virtual Out A;Virtual Out B", "Virtual In A;Virtual In B");
  }
};

TEST_F(ZkRdsPortB, APortOnTheBDeviceUsesInterfaceChannelsFrom16) {
  Connect({0, 1});
  EXPECT_EQ((Call<ChangePortFn>(6, 1, 1, 0, 0)), 1026u);
  EXPECT_EQ((Call<ChangePortFn>(6, 5, 0, 0, 0)), 1025u);
  Call<FourArgFn>(64, 0x90, 0x13, 60, 100);
  EXPECT_TRUE(log.Has("SMPUPutLineMesDWord 1 9013 3C64"));
  EXPECT_EQ(Immediate(1), (std::vector<uint32_t>{M(0x93, 60, 100)}));
  // The GS reset goes to the port it is given, with that port's selector.
  log.clear();
  Call<OneArgFn>(49, 1);
  const auto blocks = log.Calls("SMPUPutLineMesBlock");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0], "SMPUPutLineMesBlock 1 4 [F010 7E7F 0901 F700]");
  EXPECT_EQ(Immediate(0), std::vector<uint32_t>{});
}

TEST_F(ZkRds, SmpteAndOptionCallsReachTheDriver) {
  Connect();
  Call<int(WINAPI*)(int, int, int, int, int, int)>(32, 3, 1, 2, 3, 4, 0);
  EXPECT_TRUE(log.Has("SMPUTCStop 1"));
  EXPECT_TRUE(log.Has("SMPUSetSyncMode 1 {0,15,3}"));
  EXPECT_TRUE(log.Has("SMPUSetTC 1 {1,2,3,4,0,3}"));
  EXPECT_TRUE(log.Has("SMPUTCStart 1"));
  Call<NoArgFn>(33);
  EXPECT_TRUE(log.Has("SMPUSetSyncMode 1 {3,15,0}"));
  EXPECT_EQ((Call<int(WINAPI*)(int, int, int)>(47, 5, 6, 7)), 1);
  SongBlocks s(240);
  s.AddTrack({E(60, 100, 10, 5)});
  PlayToEnd(s);
  EXPECT_TRUE(log.Has("SMPUSetMidiOptionSw 1 5"));
  EXPECT_TRUE(log.Has("SMPUSetMonFilter 1 6"));
  EXPECT_TRUE(log.Has("SMPUSetMonFilterAllCc 1 7"));
  BYTE env[3] = {};
  EXPECT_EQ((Call<int(WINAPI*)(int, BYTE*, BYTE*, BYTE*)>(250, 0, &env[0], &env[1], &env[2])), 0);
  EXPECT_EQ(env[0], 4);
  EXPECT_EQ(env[1], 20);
}

TEST_F(ZkRds, PlayModeSetsTheRecordFilters) {
  Connect();
  // Pitch bend and program pass on channel 0 only.
  Call<SetPlayModeFn>(10, 0, 0, 0, 0x003, 0x0001, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_TRUE(log.Has("SMPUSetFilter 1 {146,0,80,80}"));
  EXPECT_TRUE(log.Has("SMPUSetFilter 1 {146,16,80,80}"));
  EXPECT_TRUE(log.Has("SMPUSetFilter 1 {146,1,206,206}"));
}

}  // namespace
