// The timer engine driven as a host drives it: the same songs as the stream
// engine, the same messages in the same order, at times within a stated
// tolerance of their ticks.
#include <gtest/gtest.h>

#include <string>

#include <zk/messages.h>
#include <zk/playdata.h>

#include "enginetest.h"
#include "testsongs.h"

namespace {

// How far a message may be from its ideal time: the player sleeps in whole
// milliseconds on one-shot timers and the test machine is shared.
constexpr double kToleranceMs = 25.0;

class ZkMme : public EngineTest {
 protected:
  const char* Engine() override { return "zkmme"; }

  // Messages sent after MIDI Start, with their time from it in ms.
  std::vector<std::pair<double, uint32_t>> PlayedSinceStart() {
    std::vector<std::pair<double, uint32_t>> out;
    int64_t start = -1;
    for (const auto& e : DeviceLog(vm)) {
      if (e.device != 0 || e.kind != kVmShort) continue;
      if (start < 0) {
        if (e.message == 0xFA) start = e.wallMicros;
        continue;
      }
      out.push_back({(e.wallMicros - start) / 1000.0, e.message});
    }
    return out;
  }
};

TEST_F(ZkMme, Identity) {
  EXPECT_EQ(host->Entry(510), nullptr);
  EXPECT_NE(host->Entry(31), nullptr);
  char buf[16] = {};
  EXPECT_EQ((Call<int(WINAPI*)(char*, int)>(2, buf, 1)), 258);
  EXPECT_EQ(0, std::memcmp(buf, "zkmme.dll\0\0\0", 12));
  ExpectApplet("マルチメディアタイマを使う", 1);
}

TEST_F(ZkMme, PortFlagIsThisProcesssOwn) {
  Call<OneArgFn>(240, 3);
  EXPECT_EQ(RunSharedFlagProbe("zkmme.dll get"), 0u);
  EXPECT_EQ(Call<NoArgFn>(241), 3);
}

TEST_F(ZkMme, SongPlaysTheSameMessagesAtTheirTimes) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  AddEverythingTracks(s);
  PlayToEnd(s);
  const auto want = EverythingShorts();
  const auto got = PlayedSinceStart();
  ASSERT_EQ(got.size(), want.size());
  const auto tempos = EverythingTempos();
  double worst = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].second, want[i].second) << "message " << i;
    double err = got[i].first - TickMs(want[i].first, tempos);
    worst = std::max(worst, err < 0 ? -err : err);
    EXPECT_NEAR(got[i].first, TickMs(want[i].first, tempos), kToleranceMs) << "message " << i;
  }
  std::printf("timer engine: worst timing error %.2f ms\n", worst);
  std::vector<Bytes> longs;
  for (const auto& e : DeviceLog(vm))
    if (e.device == 0 && e.kind == kVmLong) longs.push_back(Bytes(e.data, e.data + e.length));
  std::vector<Bytes> wantLongs;
  for (const auto& l : EverythingLongs()) wantLongs.push_back(l.second);
  EXPECT_EQ(longs, wantLongs);
  EXPECT_EQ(host->CountMessages(WM_ZK_PLAYEND, static_cast<WPARAM>(-1)), 1);
  EXPECT_GE(host->CountMessages(WM_ZK_PLAYMARK, kMarkTempo), 1);
}

TEST_F(ZkMme, LastNotesEndBeforeTheEndOfData) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s(240);
  s.AddTrack({E(60, 100, 10, 240)});
  PlayToEnd(s);
  const auto got = PlayedSinceStart();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].second, M(0x90, 60, 0));
  EXPECT_NEAR(got[1].first, 125.0, kToleranceMs);
}

TEST_F(ZkMme, PauseReleasesHeldKeysAndFreezesThePlayTime) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s(240);
  s.AddTrack({E(60, 100, 2000, 1900), E(62, 100, 480, 100)});
  ASSERT_EQ(Play(s), 1);
  auto playTime = [&] { return static_cast<DWORD>(Call<NoArgFn>(1100)); };
  ASSERT_TRUE(host->PumpUntil([&] { return playTime() > 100; }));
  Call<OneArgFn>(20, 0);
  DWORD paused = playTime();
  Sleep(30);
  EXPECT_EQ(playTime(), paused);
  const auto got = PlayedSinceStart();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].second, M(0x90, 60, 100));
  EXPECT_EQ(got[1].second, M(0x90, 60, 0));  // the held key, silenced
  Call<OneArgFn>(20, 0);
  ASSERT_TRUE(host->WaitForEnd());
  EXPECT_GE(playTime(), paused);
}

TEST_F(ZkMme, PointPlayChasesThenContinues) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  s.AddTrack({E(0xEC, 0, 0, 5), E(0xEB, 90, 0, 7), E(0xEE, 0x40, 0, 0x10), E(0xEB, 20, 0, 91),
              E(60, 100, 480, 100), E(0xFD), E(62, 100, 480, 100), E(0xFD)});
  ASSERT_EQ((Call<PointFn>(18, 0, 0, s.MakeTable(), 1, 0, 6, 1, 0)), 1);
  ASSERT_TRUE(host->WaitForEnd());
  std::vector<uint32_t> sent;
  int64_t cont = -1, note = -1;
  for (const auto& e : DeviceLog(vm)) {
    if (e.device != 0 || e.kind != kVmShort) continue;
    sent.push_back(e.message);
    if (e.message == 0xFB) cont = e.wallMicros;
    if (e.message == M(0x90, 62, 100)) note = e.wallMicros;
  }
  EXPECT_EQ(sent, (std::vector<uint32_t>{M(0xC0, 5), M(0xB0, 91, 20), M(0xB0, 7, 90), M(0xE0, 0x10, 0x40),
                                         M(0xF2, 3, 0), 0xFB, M(0x90, 62, 100), M(0x90, 62, 0)}));
  // The note lies one sixteenth and a step after the point played from.
  EXPECT_NEAR((note - cont) / 1000.0, TickMs(121, {}), kToleranceMs);
}

TEST_F(ZkMme, StopSendsItsAllNotesOffSequence) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s(240);
  s.AddTrack({E(60, 100, 10, 5)});
  PlayToEnd(s);
  vm.LogClear();
  Call<NoArgFn>(19);
  std::vector<uint32_t> want = {0xFC};
  for (int ch = 0; ch < 16; ++ch) {
    want.push_back(M(0xB0 | ch, 123, 0));
    want.push_back(M(0xE0 | ch, 0, 0x40));
    want.push_back(M(0xB0 | ch, 64, 0));
  }
  want.push_back(0xFC);
  EXPECT_EQ(Immediate(), want);
}

TEST_F(ZkMme, RecordingFillsTheRecordBufferWithoutAPlayNotice) {
  ASSERT_TRUE(host->OpenPorts({0}, 0));
  RecordBuffers rec;
  ArmRecording(rec, 1);
  SongBlocks s;
  BeatSong(s);
  ASSERT_EQ(Play(s), 1);
  EXPECT_TRUE(vm.Inject(0, M(0x90, 60, 100), 100));
  EXPECT_TRUE(vm.Inject(0, M(0x80, 60, 0), 200));
  Call<NoArgFn>(19);
  EXPECT_EQ(rec.Words(7), (std::vector<uint16_t>{0xE860, 0x9000, 0x3C64, 0xE860, 0x8000, 0x3C00, 0xEAFC}));
  host->Pump();
  for (const auto& m : host->Messages()) EXPECT_FALSE(m.msg == WM_ZK_PLAYNOTIFY && m.l == 256);
}

TEST_F(ZkMme, MonitorAndTextRecordsBehindMarks) {
  ASSERT_TRUE(host->OpenPorts({0}));
  PlayTextAndNotesAndCheckTheFirstRecords();
}

TEST_F(ZkMme, SendBufferIsNotRefusedWhilePlaying) {
  ASSERT_TRUE(host->OpenPorts({0}));
  SongBlocks s;
  BeatSong(s);
  ASSERT_EQ(Play(s), 1);
  vm.LogClear();
  const BYTE raw[] = {0xB0, 0x07, 0x40};
  Call<int(WINAPI*)(const BYTE*, int, int)>(192, raw, 3, 0);
  bool sent = false;
  for (const auto& e : DeviceLog(vm))
    if (e.kind == kVmShort && e.message == M(0xB0, 7, 0x40)) sent = true;
  EXPECT_TRUE(sent);
}

}  // namespace
