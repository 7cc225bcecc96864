// The sequencer queue played by the library's clock, checked by what the
// virtual MIDI device played and when.
#include "smpufixture.h"

namespace {

constexpr WORD kEnd = 0xEAFD;

class SmpuSequencer : public Smpu {
 protected:
  void SetUp() override {
    Smpu::SetUp();
    ASSERT_EQ(Open({"OutDevice=Virtual Out A", "OutDeviceB=Virtual Out B", "InDevice=none"}), 1);
  }
  bool WaitStatus(short status) {
    return WaitFor([&] { return SMPUGetSeqStatus(h) == status; });
  }
  DWORD CurTime() {
    DWORD t = 0;
    EXPECT_EQ(SMPUGetCurTime(h, &t), SMPU_OK);
    return t;
  }
};

// Device clock at most this late (ms) at the test's clock rate.
constexpr double kLate = 25;

TEST_F(SmpuSequencer, PlaysQueuedWordsInOrderAtTheirTimes) {
  Feed({0xE1F0, 6000,                    // tempo 120: a tick is 25 units
        0x9000, 0x3C64, 0xE8F0, 0xE8F0,  // 480 ticks: 500 ms
        0x8000, 0x3C40,
        0xE178, 1500,                    // tempo 240: a tick is 1500 / 120 units
        0x9011, 0x3E50, 0xE8F0, 0xE8F0,  // port B, channel 1; 250 ms
        0xC011, 0x0500, 0xE878,          // 120 ticks: 62.5 ms
        0x8011, 0x3E40, kEnd, 0x9000, 0x4064});
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  EXPECT_EQ(SMPUGetSeqStatus(h), SMPU_SEQ_PLAYING);
  ASSERT_TRUE(WaitStatus(SMPU_SEQ_ENDED));
  std::vector<Played> log = Log(kVmShort);
  ASSERT_EQ(log.size(), 5u);  // nothing after the end word
  const struct {
    int device;
    uint32_t message;
    double ms;
  } expected[] = {{0, 0x643C90, 0}, {0, 0x403C80, 500}, {1, 0x503E91, 500}, {1, 0x05C1, 750}, {1, 0x403E81, 812.5}};
  for (size_t i = 0; i < log.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(log[i].device, expected[i].device);
    EXPECT_EQ(log[i].message, expected[i].message);
    EXPECT_NEAR(log[i].ms - log[0].ms, expected[i].ms, kLate);
  }
  EXPECT_GT(g_host.sendCalls.load(), 5);  // three words a call
  // The end is announced: status changed, posted to the window.
  EXPECT_TRUE(SMPUGetEvent(h, SMPU_EV_ALL) & SMPU_EV_SEQSTATUS);
  std::vector<LPARAM> notes = Notifications();
  ASSERT_FALSE(notes.empty());
  EXPECT_TRUE(notes.back() & SMPU_EV_SEQSTATUS);
}

TEST_F(SmpuSequencer, SystemExclusiveAndSongPositionWords) {
  Feed({0xF010, 0x4110, 0x4212, 0xF700, 0xF200, 0x0181, kEnd});
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  ASSERT_TRUE(WaitStatus(SMPU_SEQ_ENDED));
  std::vector<Played> longs = Log(kVmLong);
  ASSERT_EQ(longs.size(), 1u);
  EXPECT_EQ(longs[0].device, 1);
  EXPECT_EQ(longs[0].bytes, (std::vector<uint8_t>{0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7}));
  std::vector<Played> shorts = Log(kVmShort);
  ASSERT_EQ(shorts.size(), 2u);  // to both ports
  EXPECT_EQ(shorts[0].message, 0x0301F2u);
  EXPECT_EQ(shorts[1].device, 1);
}

TEST_F(SmpuSequencer, StopKeepsTheRestOfTheWaitAndReleasesSoundingNotes) {
  Feed({0x9000, 0x3C64, 0xE8F0, 0xE8F0, 0x8000, 0x3C40, kEnd});
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  ASSERT_TRUE(WaitFor([&] { return Log(kVmShort).size() == 1; }));
  Sleep(30);  // about 150 ms of device time into the 500 ms wait
  ASSERT_EQ(SMPUSeqStop(h, 0), SMPU_OK);
  DWORD stopped = timeGetTime();
  EXPECT_EQ(SMPUGetSeqStatus(h), SMPU_SEQ_STOPPED);
  std::vector<Played> log = Log(kVmShort);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].message, 0x3C80u);  // the sounding note, released
  DWORD frozen = CurTime();
  Sleep(20);
  EXPECT_EQ(CurTime(), frozen);
  EXPECT_NEAR(frozen / 24.0, log[1].ms - log[0].ms, kLate);

  ASSERT_EQ(SMPUSeqQStart(h, 1), SMPU_OK);
  DWORD resumed = timeGetTime();
  ASSERT_TRUE(WaitStatus(SMPU_SEQ_ENDED));
  log = Log(kVmShort);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2].message, 0x403C80u);
  // 500 ms of play in all, the stop not counted.
  EXPECT_NEAR(log[2].ms - log[0].ms - (resumed - stopped), 500, kLate + 2);
  EXPECT_NEAR(CurTime() / 24.0, 500, kLate);
}

TEST_F(SmpuSequencer, SuspendDropsTheQueueAndRestartPlaysOnFromAPosition) {
  g_host.sendChunk = 100;
  Feed({0xE8F0, 0xE8F0, 0x9000, 0x3C64});
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  ASSERT_TRUE(WaitFor([&] {
    std::lock_guard<std::mutex> hold(g_host.lock);
    return g_host.sent == 4;
  }));
  SMPUENVINFO env{};
  ASSERT_EQ(SMPUSeqSuspend(h), SMPU_OK);
  EXPECT_EQ(SMPUGetSeqStatus(h), SMPU_SEQ_STOPPED);
  ASSERT_EQ(SMPUGetEnvInfo(h, &env), SMPU_OK);
  EXPECT_EQ(env.queued, 0);
  Sleep(120);
  EXPECT_TRUE(Log(kVmShort).empty());

  Feed({0x9000, 0x3E64, 0xE878, kEnd});
  ASSERT_EQ(SMPUSeqRStart(h, 1, 24000), SMPU_OK);
  ASSERT_TRUE(WaitStatus(SMPU_SEQ_ENDED));
  std::vector<Played> log = Log(kVmShort);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].message, 0x643E90u);
  EXPECT_EQ(log[1].message, 0x3E80u);  // left sounding at the end: released
  EXPECT_NEAR(CurTime(), 24000 + 120 * 25, kLate * 24);
}

TEST_F(SmpuSequencer, StopWithFlagOneDropsTheQueue) {
  const WORD words[] = {0xE8F0, 0xE8F0, 0x9000, 0x3C64};
  ASSERT_EQ(SMPUPutSeqBlock(h, words, 4), 4);
  ASSERT_EQ(SMPUSeqStop(h, 1), SMPU_OK);
  SMPUENVINFO env{};
  ASSERT_EQ(SMPUGetEnvInfo(h, &env), SMPU_OK);
  EXPECT_EQ(env.queued, 0);
  ASSERT_EQ(SMPUPutSeqBlock(h, words, 4), 4);
  ASSERT_EQ(SMPUSeqStop(h, 0), SMPU_OK);
  ASSERT_EQ(SMPUGetEnvInfo(h, &env), SMPU_OK);
  EXPECT_EQ(env.queued, 4);
}

TEST_F(SmpuSequencer, NoCallbackAfterClose) {
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);  // an empty queue asks all the time
  ASSERT_TRUE(WaitFor([&] { return g_host.sendCalls > 2; }));
  Close();
  int calls = g_host.sendCalls;
  Sleep(20);
  EXPECT_EQ(g_host.sendCalls.load(), calls);
}

TEST_F(SmpuSequencer, CurrentTimeCountsTwentyFourUnitsAMillisecond) {
  Feed({0xE8F0, 0xE8F0, 0xE8F0, 0xE8F0, kEnd});
  SMPUHMS two{0, 0, 2, 0, 0, 3};
  ASSERT_EQ(SMPUSetTC(h, &two), SMPU_OK);
  EXPECT_EQ(CurTime(), 48000u);
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);  // from the top: time 0
  DWORD start = timeGetTime();
  Sleep(60);
  DWORD t = CurTime();
  DWORD elapsed = timeGetTime() - start;
  EXPECT_NEAR(t, elapsed * 24.0, kLate * 24);
  EXPECT_GT(t, 0u);
  ASSERT_EQ(SMPUSetTC(h, &two), SMPU_OK);  // moves a running clock
  EXPECT_NEAR(CurTime(), 48000, kLate * 24);
  BYTE report[5] = {};
  ASSERT_EQ(SMPUGetReportInfo(h, report), SMPU_OK);
  EXPECT_EQ(report[2], 2);
  EXPECT_EQ(report[4], 3);
}

TEST_F(SmpuSequencer, WithoutASendCallbackTheQueueAsksByEvent) {
  Close();
  ASSERT_EQ(Open({"InDevice=none"}, false), 1);
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  ASSERT_TRUE(WaitFor([&] { return (SMPUGetEvent(h, SMPU_EV_SEQSEND) & SMPU_EV_SEQSEND) != 0; }));
  EXPECT_EQ(g_host.sendCalls.load(), 0);
  std::vector<LPARAM> notes = Notifications();
  bool asked = false;
  for (LPARAM l : notes) asked |= (l & SMPU_EV_SEQSEND) != 0;
  EXPECT_TRUE(asked);
  // Once the end word is queued the queue asks no more.
  const WORD end[] = {kEnd};
  SMPUSeqStop(h, 0);
  ASSERT_EQ(SMPUPutSeqBlock(h, end, 1), 1);
  SMPUGetEvent(h, SMPU_EV_ALL);
  ASSERT_EQ(SMPUSeqQStart(h, 1), SMPU_OK);
  Sleep(50);
  EXPECT_EQ(SMPUGetEvent(h, SMPU_EV_SEQSEND), 0);
}

TEST_F(SmpuSequencer, TheQueueTakesOnlyWhatFits) {
  Close();
  ASSERT_EQ(Open({"InDevice=none", "QueueWords=300", "QueueLow=10"}), 1);
  std::vector<WORD> words(400, 0xEAF9);
  EXPECT_EQ(SMPUPutSeqBlock(h, words.data(), 400), 300);
  EXPECT_EQ(SMPUPutSeqBlock(h, words.data(), 1), 0);
  EXPECT_EQ(SMPUPutSeqBlock(h, nullptr, 1), SMPU_ERR_PARAM);
}

struct PutCall {
  short handle;
  SMPURESULT result = -99;
  static DWORD WINAPI Run(LPVOID p) {
    auto* c = static_cast<PutCall*>(p);
    const WORD words[] = {0xE8F0, 0x9000, 0x3C64};
    c->result = SMPUPutSeqBlock(c->handle, words, 3);
    return 0;
  }
};

TEST_F(SmpuSequencer, AHeldPutHasQueuedItsWordsAndReturnsWhenReleased) {
  HANDLE reached = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  RdsHoldSeqPut(reached, release);
  PutCall put{h};
  HANDLE thread = CreateThread(nullptr, 0, PutCall::Run, &put, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(reached, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  // The device goes on meanwhile, the words already in its queue.
  SMPUENVINFO env{};
  ASSERT_EQ(SMPUGetEnvInfo(h, &env), SMPU_OK);
  EXPECT_EQ(env.queued, 3);
  SetEvent(release);
  ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(put.result, 3);
  // Only the one put was held.
  ResetEvent(reached);
  const WORD more[] = {0xE8F0};
  EXPECT_EQ(SMPUPutSeqBlock(h, more, 1), 1);
  EXPECT_EQ(WaitForSingleObject(reached, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(thread);
  CloseHandle(reached);
  CloseHandle(release);
}

TEST_F(SmpuSequencer, ActiveSeqPlayAndMonitorMarksRaiseEvents) {
  ASSERT_EQ(SMPUChkActiveSeqPlay(h), 0);
  ASSERT_EQ(SMPUSetActiveSeqPlay(h, 1), SMPU_OK);
  EXPECT_EQ(SMPUChkActiveSeqPlay(h), 1);
  EXPECT_EQ(SMPUGetEvent(h, SMPU_EV_SEQSTATUS), 0);  // other bits stay pending
  EXPECT_EQ(SMPUGetEvent(h, SMPU_EV_ALL), SMPU_EV_ACTIVE);
  EXPECT_EQ(SMPUGetEvent(h, SMPU_EV_ALL), 0);
  ASSERT_EQ(SMPUSetActiveSeqPlay(h, 1), SMPU_OK);  // no change, no event
  EXPECT_EQ(SMPUGetEvent(h, SMPU_EV_ALL), 0);

  // Marks reach the monitor only while its switch is on.
  Feed({0xE31F, 7, 0xE878, 0xE31E, 1200, kEnd});
  g_host.sendChunk = 1;
  ASSERT_EQ(SMPUSetMonSw(h, 1), SMPU_OK);
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  ASSERT_TRUE(WaitFor([&] { return g_host.sendCalls > 0; }));
  ASSERT_TRUE(WaitFor([&] { return (SMPUGetEvent(h, SMPU_EV_MONITOR) & SMPU_EV_MONITOR) != 0; }));
  SMPUSetMonSw(h, 0);
  ASSERT_TRUE(WaitStatus(SMPU_SEQ_ENDED));
  WORD mon[10] = {};
  ASSERT_EQ(SMPUGetMonBlock(h, mon, 10), 2);
  EXPECT_EQ(mon[0], 0xE31F);
  EXPECT_EQ(mon[1], 7);
}

TEST_F(SmpuSequencer, ReportIntervalRaisesReportEvents) {
  ASSERT_EQ(SMPUSetReportInterval(h, 1, 1, 9), SMPU_OK);  // every 19 ms
  ASSERT_TRUE(WaitFor([&] { return (SMPUGetEvent(h, SMPU_EV_REPORT) & SMPU_EV_REPORT) != 0; }, 1000));
  ASSERT_EQ(SMPUSetReportInterval(h, 0, 0, 0), SMPU_OK);
  SMPUGetEvent(h, SMPU_EV_ALL);
  Sleep(30);
  EXPECT_EQ(SMPUGetEvent(h, SMPU_EV_REPORT), 0);
}

}  // namespace
