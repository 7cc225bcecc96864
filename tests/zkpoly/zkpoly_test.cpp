// The stream engine driven as a host drives it, checked by what the virtual
// MIDI device played.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include <zk/messages.h>
#include <zk/playdata.h>

#include "enginehost.h"
#include "enginetest.h"
#include "testsongs.h"

namespace {

class ZkPoly : public EngineTest {
 protected:
  const char* Engine() override { return "zkpoly"; }
};

TEST_F(ZkPoly, IdentityAndEveryOrdinal) {
  const int ordinals[] = {2,   3,   4,   5,   6,   7,   8,   9,   10,  11,   12,   14,   15,   16,  17,
                          18,  19,  20,  21,  22,  31,  48,  49,  50,  51,   64,   65,   100,  128, 129,
                          130, 131, 132, 192, 193, 194, 200, 240, 241, 242,  243,  255,  256,  300, 301,
                          310, 506, 507, 508, 509, 510, 1000, 1001, 1002, 1100, 1101, 1102, 1103, 1200, 2048};
  for (int o : ordinals) EXPECT_NE(host->Entry(o), nullptr) << "ordinal " << o;
  char buf[16];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ((Call<int(WINAPI*)(char*, int)>(2, buf, 0)), 258);
  EXPECT_EQ(0, std::memcmp(buf, "ZKFW2\0", 6));
  std::memset(buf, 'x', sizeof buf);
  Call<int(WINAPI*)(char*, int)>(2, buf, 1);
  EXPECT_EQ(0, std::memcmp(buf, "zkpoly.dll\0\0", 12));
  ExpectApplet("polyMessageMIDIを使う", 2);
}

TEST_F(ZkPoly, PortNumbersAndSharing) {
  auto change = host->Fn<UINT(WINAPI*)(int, int, HANDLE, int)>(6);
  EXPECT_EQ(change(4, 0, nullptr, 0), 1025u);
  EXPECT_EQ(change(-1, 0, nullptr, 0), 1025u);
  int before = vm.OpenCount();
  EXPECT_EQ(change(0, 0, nullptr, 0), 0u);
  EXPECT_EQ(change(1, 0, nullptr, 0), 0u);  // same device: one stream serves both
  EXPECT_EQ(vm.OpenCount(), before + 1);
  EXPECT_EQ(change(0, 1, nullptr, 0), 1026u);
  EXPECT_EQ(change(0, -1, nullptr, 1), 1026u);
  vm.FailOpen(1, MMSYSERR_ALLOCATED);
  EXPECT_EQ(change(2, 1, nullptr, 0), static_cast<UINT>(MMSYSERR_ALLOCATED));
  EXPECT_EQ(vm.OpenCount(), before + 1);
  // The failed port stays closed: nothing goes out on it.
  Call<int(WINAPI*)(int, int, int, int)>(64, 0x90, 0x20, 60, 100);
  EXPECT_TRUE(Immediate(1).empty());
  EXPECT_EQ(change(2, 1, nullptr, 0), 0u);
  Call<int(WINAPI*)(int, int, int, int)>(64, 0x90, 0x23, 60, 100);
  EXPECT_EQ(Immediate(1), (std::vector<uint32_t>{M(0x93, 60, 100)}));
  // Users are counted; closing more often than opening closes nothing.
  EXPECT_EQ(Call<NoArgFn>(242), 1);
  EXPECT_EQ(Call<NoArgFn>(243), 0);
  EXPECT_EQ(vm.OpenCount(), before);
  EXPECT_EQ(Call<NoArgFn>(243), 0);
  auto changeIn = host->Fn<int(WINAPI*)(int, int, int, int)>(1200);
  EXPECT_EQ(changeIn(2, 0, 0, 0), 1025);
  EXPECT_EQ(changeIn(0, 0, 0, 0), 0);
  EXPECT_EQ(changeIn(0, 1, 0, 0), 1026);
}

TEST_F(ZkPoly, SharedFlagIsSeenByAnotherProcess) {
  EXPECT_EQ(Call<OneArgFn>(240, 3), 1);
  EXPECT_EQ(RunSharedFlagProbe("zkpoly.dll get"), 3u);
  EXPECT_EQ(RunSharedFlagProbe("zkpoly.dll set 5"), 0u);
  EXPECT_EQ(Call<NoArgFn>(241), 5);
  Call<OneArgFn>(240, 0);
}

TEST_F(ZkPoly, SongPlaysEveryEventAtItsTick) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  AddEverythingTracks(s);
  PlayToEnd(s);
  EXPECT_EQ(Shorts(), EverythingShorts());
  EXPECT_EQ(Longs(), EverythingLongs());
  std::vector<TickMsg> tempos;
  for (const auto& e : DeviceLog(vm))
    if (e.device == 0 && e.kind == kVmStreamTempo) tempos.push_back({e.tick, e.message});
  EXPECT_EQ(tempos, EverythingTempos());
  EXPECT_GE(host->CountMessages(WM_ZK_PLAYMARK, kMarkTempo), 1);
  EXPECT_EQ(host->CountMessages(WM_ZK_PLAYEND, static_cast<WPARAM>(-1)), 1);
  EXPECT_EQ(Call<NoArgFn>(3), 0);  // no longer playing
}

TEST_F(ZkPoly, RepeatCountZeroRepeatsSixtyFiveThousandTimes) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s(240);
  s.AddTrack({E(0xF9), E(0xE5, 0, 1), E(0xF8, 0, 0), E(60, 100, 10, 5)});
  PlayToEnd(s);
  EXPECT_EQ(Shorts(), (std::vector<TickMsg>{{65537, M(0x90, 60, 100)}, {65542, M(0x90, 60, 0)}}));
}

TEST_F(ZkPoly, LastNotesEndBeforeTheEndOfData) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  s.AddTrack({E(60, 100, 10, 480)});  // the track ends long before its note
  PlayToEnd(s);
  EXPECT_EQ(Shorts(), (std::vector<TickMsg>{{1, M(0x90, 60, 100)}, {481, M(0x90, 60, 0)}}));
}

TEST_F(ZkPoly, StopSendsItsAllNotesOffSequence) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  s.AddTrack({E(60, 100, 10, 5)});
  PlayToEnd(s);
  vm.LogClear();
  EXPECT_EQ(Call<NoArgFn>(19), 0);
  std::vector<uint32_t> want = {0xFC};
  for (int ch = 0; ch < 16; ++ch) {
    want.push_back(M(0xB0 | ch, 123, 0));
    want.push_back(M(0xE0 | ch, 0, 0x40));
    want.push_back(M(0xB0 | ch, 64, 0));
  }
  want.push_back(0xFC);
  EXPECT_EQ(Immediate(), want);
  ASSERT_FALSE(host->Messages().empty());
  EXPECT_EQ(host->Messages().back().msg, WM_ZK_SETPLAYMON);
  EXPECT_EQ(host->Messages().back().l, 0);
  EXPECT_EQ(vm.PendingBuffers(0), 0);
}

TEST_F(ZkPoly, PointPlayChasesAndSendsTheSongPosition) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  s.AddTrack({E(0xEC, 0, 0, 5), E(0xEB, 90, 0, 7), E(0xEE, 0x40, 0, 0x10), E(0xEB, 20, 0, 91),
              E(60, 100, 480, 100), E(0xFD), E(62, 100, 480, 100), E(0xFD)});
  ASSERT_EQ((Call<PointFn>(18, 0, 0, s.MakeTable(), 1, 0, 6, 1, 0)), 1);
  // The skipped part (three sixteenths at tempo 120) counts as played.
  EXPECT_GE(static_cast<int>(Call<NoArgFn>(1100)), 375);
  ASSERT_TRUE(host->WaitForEnd());
  // Kinds the default Truant bits do not store (programs, other
  // controllers) go at once in song order; the stored values follow the
  // walk; then the position one sixteenth before the point and Continue.
  EXPECT_EQ(Immediate(), (std::vector<uint32_t>{M(0xC0, 5), M(0xB0, 91, 20), M(0xB0, 7, 90),
                                                M(0xE0, 0x10, 0x40), M(0xF2, 3, 0), 0xFB}));
  EXPECT_EQ(Shorts(), (std::vector<TickMsg>{{121, M(0x90, 62, 100)}, {221, M(0x90, 62, 0)}}));
}

TEST_F(ZkPoly, PlayFromTheStartSendsStart) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  s.AddTrack({E(60, 100, 10, 5)});
  PlayToEnd(s);
  EXPECT_EQ(Immediate(), (std::vector<uint32_t>{0xFA}));
}

TEST_F(ZkPoly, TempoMapPairs) {
  using TempoMapFn = int(WINAPI*)(HGLOBAL, HGLOBAL, int);
  Call<void*(WINAPI*)(HWND, void*)>(15, host->Window(), nullptr);
  SongBlocks s;
  s.AddTrack({E(0xE7, 0, 960, 128), E(0xE7, 0, 0, 64), E(60, 100, 480, 100)});
  HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
  HGLOBAL table = s.MakeTable();
  EXPECT_EQ(Call<TempoMapFn>(310, out, table, 1), 3);
  auto* v = static_cast<int32_t*>(GlobalLock(out));
  EXPECT_EQ(std::vector<int32_t>(v, v + 6), (std::vector<int32_t>{1, 120, 960, 240, 480, 120}));
  GlobalUnlock(out);
  ASSERT_FALSE(host->Messages().empty());
  EXPECT_EQ(host->Messages().back().msg, WM_ZK_SETPLAYMON);
  EXPECT_EQ(host->Messages().back().l, 0);
  // The caller's block bounds what is written.
  HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
  EXPECT_EQ(Call<TempoMapFn>(310, small, table, 1), 1);
  SongBlocks plain;
  plain.AddTrack({E(60, 100, 480, 100)});
  HGLOBAL plainTable = plain.MakeTable();
  EXPECT_EQ(Call<TempoMapFn>(310, out, plainTable, 1), 2);
  v = static_cast<int32_t*>(GlobalLock(out));
  EXPECT_EQ(std::vector<int32_t>(v, v + 4), (std::vector<int32_t>{480, 120, 1, 120}));
  GlobalUnlock(out);
  GlobalFree(small);
  GlobalFree(out);
  GlobalFree(table);
  GlobalFree(plainTable);
}

TEST_F(ZkPoly, StartAtATime) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  BeatSong(s);
  // Two seconds at tempo 120 are four beats: sixteen sixteenths.
  EXPECT_EQ((Call<int(WINAPI*)(int, int, HGLOBAL, int, int)>(300, 0, 0, s.MakeTable(), 1, 2000 * 24)), 16);
  EXPECT_EQ((Call<int(WINAPI*)(int, int, int)>(301, 0, 0, 1)), 1);
  EXPECT_GE(static_cast<DWORD>(Call<NoArgFn>(1100)), 1875u);
  ASSERT_TRUE(host->PumpUntil([&] { return !Shorts().empty(); }));
  EXPECT_EQ(Shorts().front(), (TickMsg{121, M(0x90, 44, 100)}));
  EXPECT_EQ(Immediate(), (std::vector<uint32_t>{M(0xF2, 15, 0), 0xFB}));
}

std::atomic<int> g_endCalls{0};
void CALLBACK CountEnd() { ++g_endCalls; }

TEST_F(ZkPoly, EndCallbackInsteadOfTheMessage) {
  ASSERT_TRUE(host->OpenPorts({0}));
  g_endCalls = 0;
  Call<void*(WINAPI*)(HWND, void*)>(15, host->Window(), reinterpret_cast<void*>(&CountEnd));
  SongBlocks s;
  s.AddTrack({E(60, 100, 10, 5)});
  ASSERT_EQ(Play(s), 1);
  EXPECT_TRUE(host->PumpUntil([&] { return g_endCalls.load() > 0; }));
  Sleep(20);
  host->Pump();
  EXPECT_EQ(g_endCalls.load(), 1);
  EXPECT_EQ(host->CountMessages(WM_ZK_PLAYEND, static_cast<WPARAM>(-1)), 0);
}

TEST_F(ZkPoly, ChaseSettingsAreReadAndWritten) {
  EXPECT_EQ((Call<int(WINAPI*)(int, int, int, int)>(1000, 5, 6, 7, 7)), 1);
  int t = 0, c = 0, x = 0;
  Call<int(WINAPI*)(int*, int*, int*, int)>(1001, &t, &c, &x, 7);
  EXPECT_EQ(t, 5);
  EXPECT_EQ(c, 6);
  EXPECT_EQ(x, 7);
  EXPECT_EQ(Call<OneArgFn>(1002, 3), 1);
  EXPECT_EQ(GetPrivateProfileIntA("zkpoly", "Truant", -1, "ZKFW95.INI"), 5);
  EXPECT_EQ(GetPrivateProfileIntA("zkpoly", "Chase", -1, "ZKFW95.INI"), 6);
  EXPECT_EQ(GetPrivateProfileIntA("zkpoly", "ExclWait", -1, "ZKFW95.INI"), -1);
}

class ZkPolyTruant0 : public ZkPoly {
  const char* Settings() override { return "Truant=0\0"; }
};

TEST_F(ZkPolyTruant0, EveryChasedKindIsSentAtOnceInSongOrder) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  s.AddTrack({E(0xEC, 0, 0, 5), E(0xEB, 90, 0, 7), E(0xEC, 0, 0, 6), E(60, 100, 480, 100), E(0xFD),
              E(62, 100, 480, 100), E(0xFD)});
  ASSERT_EQ((Call<PointFn>(18, 0, 0, s.MakeTable(), 1, 0, 6, 1, 0)), 1);
  ASSERT_TRUE(host->WaitForEnd());
  EXPECT_EQ(Immediate(), (std::vector<uint32_t>{M(0xC0, 5), M(0xB0, 7, 90), M(0xC0, 6), M(0xF2, 3, 0), 0xFB}));
}

TEST_F(ZkPoly, PauseHoldAndSeekKeepThePlayTime) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  BeatSong(s);
  ASSERT_EQ(Play(s), 1);
  auto playTime = [&] { return static_cast<DWORD>(Call<NoArgFn>(1100)); };
  ASSERT_TRUE(host->PumpUntil([&] { return playTime() > 1500; }));
  Call<OneArgFn>(20, 0);  // pause
  EXPECT_EQ(Call<NoArgFn>(100), 1);
  DWORD paused = playTime();
  Sleep(30);
  EXPECT_EQ(playTime(), paused);
  Call<OneArgFn>(20, 0);  // resume
  ASSERT_TRUE(host->PumpUntil([&] { return playTime() > paused + 200; }));
  Call<OneArgFn>(1103, 0);  // hold
  EXPECT_TRUE(host->PumpUntil([&] { return host->CountMessages(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1)) > 0; }));
  bool held = false;
  for (const auto& m : host->Messages())
    if (m.msg == WM_ZK_PLAYNOTIFY && m.l == 1024) held = true;
  EXPECT_TRUE(held);
  DWORD frozen = playTime();
  Sleep(30);
  EXPECT_EQ(playTime(), frozen);
  // Seek to beat 8 (4 s at tempo 120) and stay paused there.
  Call<OneArgFn>(1101, 4000);
  vm.LogClear();
  Call<OneArgFn>(1102, 1);
  EXPECT_EQ(playTime(), 4000u);
  EXPECT_EQ(Call<NoArgFn>(100), 1);
  Sleep(30);
  EXPECT_TRUE(Shorts().empty());
  Call<OneArgFn>(20, 0);  // resume from there
  ASSERT_TRUE(host->PumpUntil([&] { return !Shorts().empty(); }));
  EXPECT_EQ(Shorts().front(), (TickMsg{1, M(0x90, 48, 100)}));
  EXPECT_GE(playTime(), 4000u);
}

TEST_F(ZkPoly, MonitorAndTextRecordsFollowThePlay) {
  ASSERT_TRUE(host->OpenPorts({0}));
  Call<OneArgFn>(506, 1);
  SongBlocks s;
  s.AddTrack({E(0x99), StepEvent{0xF7, 'p', 'l' | 'a' << 8, 'y' | ' ' << 8}, StepEvent{0xF7, 'x', 0, 0},
              E(60, 100, 240, 100), E(62, 100, 240, 100)});
  ASSERT_EQ(Play(s), 1);
  ASSERT_NE(host->MonitorRing(), 0);
  ASSERT_NE(host->TextRing(), 0);
  const auto* ring = reinterpret_cast<const PlayMonRecord*>(host->MonitorRing());
  const char* text = reinterpret_cast<const char*>(host->TextRing());
  std::vector<PlayMonRecord> seen;
  size_t handled = 0;
  int read = 0;
  bool ended = false;
  while (!ended) {
    ASSERT_TRUE(host->PumpUntil([&] { return host->Messages().size() > handled; }));
    while (handled < host->Messages().size()) {
      EngineMessage m = host->Messages()[handled++];
      if (m.msg == WM_ZK_PLAYEND) ended = true;
      if (m.msg == WM_ZK_PLAYMARK && m.w == kMarkMonitor) {
        for (; read != static_cast<int>(m.l); read = (read + 1) % 3000) seen.push_back(ring[read]);
        Call<NoArgFn>(508);
      }
    }
  }
  auto textRec = std::find_if(seen.begin(), seen.end(), [](const PlayMonRecord& r) { return r.track == kMonText; });
  ASSERT_NE(textRec, seen.end());
  TextEventRecord head;
  std::memcpy(&head, text, sizeof head);
  EXPECT_EQ(head.kind, 0);
  EXPECT_EQ(head.track, 0);
  EXPECT_EQ(head.eventIndex, 0);
  EXPECT_STREQ(text + sizeof head, "play x");
  EXPECT_EQ(textRec->value, sizeof head + 7);
  int withKey = 0;
  for (const auto& r : seen)
    if (r.track == 0 && (r.keys[60 / 8] & (1 << (60 % 8)))) ++withKey;
  EXPECT_GE(withKey, 1);
  Call<NoArgFn>(19);
  ASSERT_FALSE(host->Messages().empty());
  EXPECT_EQ(host->Messages().back().msg, WM_ZK_SETPLAYMON);
  EXPECT_EQ(host->Messages().back().l, 0);
}

TEST_F(ZkPoly, RecordingFillsTheRecordBuffer) {
  ASSERT_TRUE(host->OpenPorts({0}, 0));
  RecordBuffers rec;
  ArmRecording(rec, 1);
  SongBlocks s;
  BeatSong(s);
  ASSERT_EQ(Play(s), 1);
  EXPECT_TRUE(vm.Inject(0, M(0x90, 60, 100), 100));
  EXPECT_TRUE(vm.Inject(0, M(0x80, 60, 0), 200));
  EXPECT_EQ(Call<NoArgFn>(4), 6);
  Call<NoArgFn>(19);
  // 100 ms at tempo 120 are 96 steps of 480 to the quarter.
  EXPECT_EQ(rec.Words(7), (std::vector<uint16_t>{0xE860, 0x9000, 0x3C64, 0xE860, 0x8000, 0x3C00, 0xEAFC}));
  host->Pump();
  bool notice = false;
  for (const auto& m : host->Messages())
    if (m.msg == WM_ZK_PLAYNOTIFY && m.l == 256) notice = true;
  EXPECT_TRUE(notice);
}

TEST_F(ZkPoly, PunchInRecordsFromThePointOnly) {
  ASSERT_TRUE(host->OpenPorts({0}, 0));
  RecordBuffers rec;
  ArmRecording(rec, 1, 150);
  SongBlocks s;
  BeatSong(s);
  ASSERT_EQ(Play(s), 1);
  vm.Inject(0, M(0x90, 60, 100), 100);  // before the point: not recorded
  vm.Inject(0, M(0x90, 62, 100), 200);
  Call<NoArgFn>(19);
  std::vector<uint16_t> w = rec.Words(8);
  size_t i = 0;
  int waits = 0;
  for (; i < w.size() && (w[i] & 0xFF00) == 0xE800; ++i) waits += w[i] & 0xFF;
  EXPECT_EQ(waits, 192);
  ASSERT_LE(i + 3, w.size());
  EXPECT_EQ(w[i], 0x9000);
  EXPECT_EQ(w[i + 1], 0x3E64);
  EXPECT_EQ(w[i + 2], 0xEAFC);
}

TEST_F(ZkPoly, PunchOutEndsTheRecording) {
  ASSERT_TRUE(host->OpenPorts({0}, 0));
  RecordBuffers rec;
  ArmRecording(rec, 1, 0, 150);
  SongBlocks s;
  BeatSong(s);
  ASSERT_EQ(Play(s), 1);
  vm.Inject(0, M(0x90, 60, 100), 100);
  vm.Inject(0, M(0x90, 62, 100), 200);  // past the punch-out point
  Call<NoArgFn>(19);
  EXPECT_EQ(rec.Words(4), (std::vector<uint16_t>{0xE860, 0x9000, 0x3C64, 0xEAFC}));
}

TEST_F(ZkPoly, RecordingWaitsForTheFirstNote) {
  ASSERT_TRUE(host->OpenPorts({0}, 0));
  RecordBuffers rec;
  ArmRecording(rec, 2);
  SongBlocks s;
  s.AddTrack({E(60, 100, 10, 5)});
  ASSERT_EQ(Play(s), 1);
  Sleep(20);
  EXPECT_TRUE(Immediate().empty());  // neither Start nor the streams yet
  EXPECT_TRUE(Shorts().empty());
  vm.Inject(0, M(0x90, 64, 90), 500);
  auto firstNote = [&] {
    for (const auto& m : host->Messages())
      if (m.msg == WM_ZK_PLAYNOTIFY && m.l == 8) return true;
    return false;
  };
  ASSERT_TRUE(host->PumpUntil(firstNote));
  EXPECT_EQ(Call<NoArgFn>(17), 1);
  ASSERT_TRUE(host->WaitForEnd());
  EXPECT_EQ(Immediate(), (std::vector<uint32_t>{0xFA}));
  EXPECT_EQ(Shorts(), (std::vector<TickMsg>{{1, M(0x90, 60, 100)}, {6, M(0x90, 60, 0)}}));
  Call<NoArgFn>(19);
  EXPECT_EQ(rec.Words(3), (std::vector<uint16_t>{0x9000, 0x405A, 0xEAFC}));
}

TEST_F(ZkPoly, ThruSendsInputToItsPort) {
  ASSERT_TRUE(host->OpenPorts({0, 1}, 0));
  Call<int(WINAPI*)(int, int, int, int)>(12, 2, 0, 0x13, 0);
  vm.Inject(0, M(0x90, 60, 100), 10);
  EXPECT_EQ(Immediate(1), (std::vector<uint32_t>{M(0x93, 60, 100)}));
}

TEST_F(ZkPoly, GSAndMT32Senders) {
  ASSERT_TRUE(host->OpenPorts({0}));
  Call<OneArgFn>(49, 0);
  EXPECT_EQ(Longs(), (std::vector<std::pair<int64_t, Bytes>>{
                         {0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
                         {0, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}}}));
  vm.LogClear();
  Call<int(WINAPI*)(int, int)>(48, 0, 0);  // the same port twice resets once
  EXPECT_EQ(Longs(), (std::vector<std::pair<int64_t, Bytes>>{
                         {0, {0xF0, 0x41, 0x10, 0x16, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x01, 0xF7}}}));
  vm.LogClear();
  const BYTE raw[] = {0x90, 0x3C, 0x64, 0x80, 0x3C, 0x00};
  Call<int(WINAPI*)(const BYTE*, int, int)>(192, raw, 6, 0);
  EXPECT_EQ(Immediate(), (std::vector<uint32_t>{M(0x90, 0x3C, 0x64)}));
  // A short MT-32 image: only the system area is there to send.
  vm.LogClear();
  HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 200);
  auto* p = static_cast<uint8_t*>(GlobalLock(image));
  for (int i = 0; i < 23; ++i) p[128 + i] = static_cast<uint8_t>(i + 1);
  GlobalUnlock(image);
  int progress = 7;
  Call<int(WINAPI*)(HWND, HGLOBAL, int, int, int*, int, int)>(50, nullptr, image, 0, 3, &progress, 100, 0);
  auto longs = Longs();
  ASSERT_EQ(longs.size(), 1u);
  EXPECT_EQ(Bytes(longs[0].second.begin(), longs[0].second.begin() + 8),
            (Bytes{0xF0, 0x41, 0x10, 0x16, 0x12, 0x10, 0x00, 0x00}));
  EXPECT_EQ(longs[0].second.size(), 8u + 23 + 2);
  EXPECT_EQ(progress, 8);
  GlobalFree(image);
}

TEST_F(ZkPoly, GSSendAllSendsTheImage) {
  ASSERT_TRUE(host->OpenPorts({0}));
  HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2670);
  auto* p = static_cast<uint8_t*>(GlobalLock(image));
  p[36] = 100;  // master volume
  for (int part = 0; part < 16; ++part) p[54 + 122 * part + 2] = 16;  // every part off
  GlobalUnlock(image);
  int progress = 0;
  Call<int(WINAPI*)(HWND, HGLOBAL, int, int*, int, int)>(51, nullptr, image, 0, &progress, 200, 0);
  auto shorts = Immediate();
  ASSERT_GE(shorts.size(), 4u);
  EXPECT_EQ(std::vector<uint32_t>(shorts.begin(), shorts.begin() + 4),
            (std::vector<uint32_t>{M(0xB0, 0x65, 0), M(0xB0, 0x64, 1), M(0xB0, 0x06, 0x40), M(0xB0, 0x26, 0)}));
  auto longs = Longs();
  ASSERT_GE(longs.size(), 2u);
  EXPECT_EQ(longs[0].second, (Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x04, 100, 0x58, 0xF7}));
  EXPECT_EQ(longs[1].second, (Bytes{0xF0, 0x7F, 0x7F, 0x04, 0x01, 100, 100, 0xF7}));
  // One progress step per flush: the 32 channel runs and every exclusive.
  EXPECT_EQ(progress, static_cast<int>(32 + longs.size()));
  GlobalFree(image);
}

}  // namespace
