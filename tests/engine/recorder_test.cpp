// Recording of MIDI input into the record buffer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <zk/messages.h>
#include <zk/playdata.h>

#include "recorder.h"

namespace {

struct Posted {
  UINT msg;
  WPARAM w;
  LPARAM l;
};

struct FakeNotify : EngineNotify {
  std::vector<Posted> posts;
  std::vector<std::pair<int, DWORD>> thru;
  void Post(UINT msg, WPARAM w, LPARAM l) override { posts.push_back({msg, w, l}); }
  void SendThru(int port, DWORD m) override { thru.push_back({port, m}); }
  int Count(LPARAM l) const {
    int n = 0;
    for (const Posted& p : posts)
      if (p.msg == WM_ZK_PLAYNOTIFY && p.w == static_cast<WPARAM>(-1) && p.l == l) ++n;
    return n;
  }
};

DWORD Msg(unsigned status, unsigned d1, unsigned d2) { return status | d1 << 8 | d2 << 16; }

// One recorded channel message with its position in steps from the start
// of the buffer.
struct RecEvent {
  long step;
  uint16_t status;
  uint16_t data;
  bool operator==(const RecEvent&) const = default;
};

struct Decoded {
  std::vector<RecEvent> events;
  long totalWait = 0;
};

Decoded Decode(const std::vector<uint16_t>& buf, int count) {
  Decoded d;
  for (int i = 0; i < count; ++i) {
    const uint16_t w = buf[i];
    if ((w >> 8) == 0xE8) {
      EXPECT_GE(w & 0xFF, 1);
      EXPECT_LE(w & 0xFF, 240);
      d.totalWait += w & 0xFF;
    } else {
      EXPECT_GE(w >> 8, 0x80);
      EXPECT_LE(w >> 8, 0xEF);
      EXPECT_LT(i + 1, count);
      d.events.push_back({d.totalWait, w, buf[i + 1]});
      ++i;
    }
  }
  return d;
}

class RecorderTest : public ::testing::Test {
 protected:
  std::vector<uint16_t> a = std::vector<uint16_t>(kRecordBufferWords, 0x1234);
  std::vector<uint16_t> b = std::vector<uint16_t>(kRecordBufferWords, 0x1234);
  Recorder rec;
  FakeNotify notify;

  void Start(int mode, int32_t punchIn = 0, int32_t punchOut = 0, int32_t leadIn = 0) {
    rec.SetBuffers(a.data(), b.data());
    rec.Configure(mode, punchIn, punchOut);
    rec.Arm(leadIn);
  }
  void Send(DWORD msg, DWORD t, int tempo = 125) { rec.OnMessage(msg, t, tempo, notify); }
  std::vector<uint16_t> Words() const { return {a.begin(), a.begin() + rec.Index()}; }
  Decoded Recorded() const { return Decode(a, rec.Index()); }
};

TEST_F(RecorderTest, SetBuffersFillsBothWithEndWordAndResetsIndex) {
  Start(1);
  Send(Msg(0x90, 60, 100), 5);
  ASSERT_GT(rec.Index(), 0);
  a[100] = 0;
  rec.SetBuffers(a.data(), b.data());
  EXPECT_EQ(rec.Index(), 0);
  for (int i = 0; i < kRecordBufferWords; ++i) {
    ASSERT_EQ(a[i], kPwEndFill) << i;
    ASSERT_EQ(b[i], kPwEndFill) << i;
  }
}

TEST_F(RecorderTest, NothingIsWrittenWithoutBothBuffers) {
  rec.Configure(1, 0, 0);
  rec.Arm(0);
  Send(Msg(0x90, 60, 100), 10);
  EXPECT_EQ(rec.Index(), 0);

  rec.SetBuffers(a.data(), nullptr);
  rec.Arm(0);
  rec.ArmNotice();
  Send(Msg(0x90, 60, 100), 10);
  Send(0xFE, 20);
  EXPECT_EQ(rec.Index(), 0);
  EXPECT_EQ(a[0], kPwEndFill);
  EXPECT_TRUE(notify.posts.empty());
}

TEST_F(RecorderTest, PlayOnlyModeRecordsNothing) {
  Start(0);
  EXPECT_FALSE(rec.Active());
  EXPECT_FALSE(rec.IsWaitingForFirstNote());
  Send(Msg(0x90, 60, 100), 10);
  EXPECT_EQ(rec.Index(), 0);
}

TEST_F(RecorderTest, ChannelMessagesAreWrittenAsTwoWords) {
  Start(1);
  Send(Msg(0x93, 60, 100), 0);
  Send(Msg(0xC5, 7, 99), 0);  // the stray second data byte is not kept
  Send(Msg(0xEF, 0x11, 0x40), 0);
  EXPECT_EQ(Words(), (std::vector<uint16_t>{0x9003, 0x3C64, 0xC005, 0x0700, 0xE00F, 0x1140}));
}

TEST_F(RecorderTest, StartAtFirstNoteOnRecordsItAtStepZero) {
  Start(3, 0, 0, 50);
  EXPECT_TRUE(rec.IsWaitingForFirstNote());
  EXPECT_FALSE(rec.Started());
  Send(Msg(0xB0, 7, 100), 10);
  Send(Msg(0x80, 60, 0), 20);
  Send(0xFE, 30);
  EXPECT_EQ(rec.Index(), 0);
  EXPECT_TRUE(notify.posts.empty());

  Send(Msg(0x91, 62, 90), 400);
  EXPECT_TRUE(rec.Started());
  EXPECT_FALSE(rec.IsWaitingForFirstNote());
  ASSERT_EQ(notify.posts.size(), 1u);
  EXPECT_EQ(notify.Count(kRecNotifyFirstNote), 1);
  // The lead-in is dropped and the note is the reference.
  Send(Msg(0x81, 62, 0), 410);
  EXPECT_EQ(Words(), (std::vector<uint16_t>{0x9001, 0x3E5A, 0xE80A, 0x8001, 0x3E00}));
}

TEST_F(RecorderTest, ClockRestartAfterFirstNoteCountsFromZero) {
  Start(3);
  Send(Msg(0x90, 60, 100), 5000);
  rec.RestartClock();
  Send(Msg(0x80, 60, 0), 20);
  EXPECT_EQ(Recorded().events, (std::vector<RecEvent>{{0, 0x9000, 0x3C64}, {20, 0x8000, 0x3C00}}));
}

TEST_F(RecorderTest, OneMillisecondIsOneStepAtTempo125) {
  Start(1);
  Send(Msg(0x90, 60, 100), 100);
  Send(Msg(0x80, 60, 0), 101);
  EXPECT_EQ(Words(), (std::vector<uint16_t>{0xE864, 0x9000, 0x3C64, 0xE801, 0x8000, 0x3C00}));
}

TEST_F(RecorderTest, TruncationAtTempo120DoesNotAccumulate) {
  Start(1);
  for (DWORD t = 1; t <= 100; ++t) Send(Msg(0xA0, 60, 1), t, 120);
  const Decoded d = Recorded();
  ASSERT_EQ(d.events.size(), 100u);
  // Each 1 ms interval alone is 0.96 steps; from absolute times the 100 ms
  // come to 96.
  EXPECT_EQ(d.events.back().step, 96);
  for (size_t i = 0; i < d.events.size(); ++i)
    EXPECT_EQ(d.events[i].step, static_cast<long>((i + 1) * 120 / 125)) << i;
}

TEST_F(RecorderTest, LongWaitsAreRunsOfFullWaitWords) {
  struct Case {
    DWORD time;
    std::vector<uint16_t> waits;
  };
  const Case cases[] = {
      {240, {0xE8F0}},
      {241, {0xE8F0, 0xE801}},
      {480, {0xE8F0, 0xE8F0}},
      {481, {0xE8F0, 0xE8F0, 0xE801}},
      {239, {0xE8EF}},
  };
  for (const Case& c : cases) {
    Start(1);
    Send(Msg(0x90, 60, 100), c.time);
    std::vector<uint16_t> want = c.waits;
    want.push_back(0x9000);
    want.push_back(0x3C64);
    EXPECT_EQ(Words(), want) << c.time;
  }
}

TEST_F(RecorderTest, OtherMessagesKeepOnlyTheirWait) {
  Start(1);
  Send(0xFE, 10);
  Send(0xF8, 10);
  Send(Msg(0x90, 60, 100), 15);
  EXPECT_EQ(Words(), (std::vector<uint16_t>{0xE80A, 0xE805, 0x9000, 0x3C64}));
}

TEST_F(RecorderTest, EarlierTimeStampDoesNotRunTheClockBack) {
  Start(1);
  Send(Msg(0x90, 60, 100), 100);
  Send(Msg(0x90, 62, 100), 90);
  Send(Msg(0x90, 64, 100), 110);
  const Decoded d = Recorded();
  ASSERT_EQ(d.events.size(), 3u);
  EXPECT_EQ(d.events[1].step, 100);
  EXPECT_EQ(d.events[2].step, 110);
}

TEST_F(RecorderTest, NegativeTimeCountsAsZero) {
  Start(1);
  Send(Msg(0x90, 60, 100), static_cast<DWORD>(-50));
  Send(Msg(0x80, 60, 0), 7);
  const Decoded d = Recorded();
  EXPECT_EQ(d.events, (std::vector<RecEvent>{{0, 0x9000, 0x3C64}, {7, 0x8000, 0x3C00}}));
}

TEST_F(RecorderTest, LeadInIsSkippedBeforeRecording) {
  Start(1, 0, 0, 100);
  Send(Msg(0x90, 60, 100), 40);
  EXPECT_EQ(rec.Index(), 0);
  Send(Msg(0x90, 62, 100), 150);  // 60 steps of lead-in left: 50 recorded
  Send(Msg(0x90, 64, 100), 160);
  EXPECT_EQ(Recorded().events,
            (std::vector<RecEvent>{{50, 0x9000, 0x3E64}, {60, 0x9000, 0x4064}}));
}

TEST_F(RecorderTest, PunchInWritesOnlyWaitsUntilThePoint) {
  Start(1, 100, 0);
  rec.ArmNotice();
  Send(Msg(0x90, 60, 100), 30);
  Send(Msg(0x80, 60, 0), 60);
  EXPECT_EQ(Words(), (std::vector<uint16_t>{0xE81E, 0xE81E}));
  EXPECT_EQ(notify.Count(kRecNotifyNewData), 1);

  Send(Msg(0x90, 62, 100), 150);
  Send(Msg(0x80, 62, 0), 170);
  // The crossing interval keeps both of its parts: 40 up to the point, 50
  // after it, so the note stays at its true distance from the play start.
  EXPECT_EQ(Words(), (std::vector<uint16_t>{0xE81E, 0xE81E, 0xE828, 0xE832, 0x9000, 0x3E64,
                                            0xE814, 0x8000, 0x3E00}));
  EXPECT_EQ(Recorded().events.front().step, 150);
  EXPECT_EQ(notify.Count(kRecNotifyNewData), 1);
}

TEST_F(RecorderTest, PunchInWithoutEarlierInputKeepsTheNotePosition) {
  Start(1, 1000, 0);
  Send(Msg(0x90, 60, 100), 1010);
  EXPECT_EQ(Recorded().events, (std::vector<RecEvent>{{1010, 0x9000, 0x3C64}}));
}

TEST_F(RecorderTest, PunchOutStopsRecording) {
  Start(1, 0, 100);
  Send(Msg(0x90, 60, 100), 50);
  Send(Msg(0x80, 60, 0), 100);  // exactly at the point: still recorded
  Send(Msg(0x90, 62, 100), 101);
  Send(0xFE, 400);
  Send(Msg(0x80, 62, 0), 500);
  EXPECT_EQ(Recorded().events,
            (std::vector<RecEvent>{{50, 0x9000, 0x3C64}, {100, 0x8000, 0x3C00}}));
  EXPECT_EQ(rec.Index(), 6);
}

TEST_F(RecorderTest, PunchOutCountsTheIntervalCrossingPunchIn) {
  Start(1, 100, 270);
  Send(Msg(0x90, 60, 100), 150);  // crosses punch-in: 120 left
  Send(Msg(0x80, 60, 0), 200);    // 70 left
  Send(Msg(0x90, 62, 100), 270);  // 0 left: still recorded
  Send(Msg(0x80, 62, 0), 271);    // past the point
  const Decoded d = Recorded();
  ASSERT_EQ(d.events.size(), 3u);
  EXPECT_EQ(d.events[0], (RecEvent{150, 0x9000, 0x3C64}));
  EXPECT_EQ(d.events[2], (RecEvent{270, 0x9000, 0x3E64}));
}

TEST_F(RecorderTest, NewDataNoticeOncePerArm) {
  Start(1);
  Send(Msg(0x90, 60, 100), 1);
  EXPECT_EQ(notify.Count(kRecNotifyNewData), 0);
  EXPECT_EQ(rec.GetRecBytes(), 3);
  Send(Msg(0x90, 61, 100), 2);
  Send(Msg(0x90, 62, 100), 3);
  EXPECT_EQ(notify.Count(kRecNotifyNewData), 1);
  EXPECT_EQ(rec.GetRecBytes(), 9);
  Send(Msg(0x90, 63, 100), 4);
  EXPECT_EQ(notify.Count(kRecNotifyNewData), 2);
  EXPECT_EQ(rec.Index(), 12);
}

TEST_F(RecorderTest, FullBufferPostsOnceAndStops) {
  Start(1);
  for (int i = 0; i < 16249; ++i) Send(Msg(0x90, 60, 100), 0);
  EXPECT_EQ(rec.Index(), 32498);
  EXPECT_EQ(notify.Count(kRecNotifyBufferFull), 0);
  Send(Msg(0x90, 60, 100), 0);
  EXPECT_EQ(rec.Index(), 32500);
  EXPECT_EQ(notify.Count(kRecNotifyBufferFull), 1);
  for (int i = 0; i < 10; ++i) Send(Msg(0x90, 60, 100), 10 + i);
  EXPECT_EQ(rec.Index(), 32500);
  EXPECT_EQ(notify.Count(kRecNotifyBufferFull), 1);
  EXPECT_EQ(a[32500], kPwEndFill);
  EXPECT_EQ(b[0], kPwEndFill);
}

TEST_F(RecorderTest, HugeWaitStopsAtTheLimit) {
  Start(1);
  // 40,000 s at tempo 200: far more waits than the buffer holds, and a
  // product beyond 32 bits.
  Send(Msg(0x90, 60, 100), 40000000, 200);
  EXPECT_EQ(notify.Count(kRecNotifyBufferFull), 1);
  EXPECT_EQ(rec.Index(), 32503);
  EXPECT_EQ(a[32500], kPwWaitFull);
  EXPECT_EQ(a[32501], 0x9000);
  for (int i = 32503; i < kRecordBufferWords; ++i) ASSERT_EQ(a[i], kPwEndFill) << i;
}

TEST_F(RecorderTest, PunchInWaitsAlsoEndAtTheLimit) {
  Start(1, 100000000, 0);
  Send(0xFE, 10000000);
  EXPECT_EQ(rec.Index(), 32501);
  EXPECT_EQ(notify.Count(kRecNotifyBufferFull), 1);
  Send(Msg(0x90, 60, 100), 10000001);
  EXPECT_EQ(rec.Index(), 32501);
  for (int i = 32501; i < kRecordBufferWords; ++i) ASSERT_EQ(a[i], kPwEndFill) << i;
}

TEST_F(RecorderTest, ConfigureEndsTheRecording) {
  Start(1);
  rec.Configure(1, 0, 0);
  EXPECT_FALSE(rec.Active());
  Send(Msg(0x90, 60, 100), 5);
  EXPECT_EQ(rec.Index(), 0);
}

TEST_F(RecorderTest, NoWriteAfterDisarmReturns) {
  Start(1);
  struct NullNotify : EngineNotify {
    void Post(UINT, WPARAM, LPARAM) override {}
    void SendThru(int, DWORD) override {}
  } quiet;
  std::atomic<bool> stop{false};
  std::atomic<int> sent{0};
  std::thread input([&] {
    DWORD t = 0;
    while (!stop.load()) {
      rec.OnMessage(Msg(0x90, 60, 100), t++ / 16, 125, quiet);
      ++sent;
    }
  });
  while (sent.load() < 200) Sleep(1);
  rec.Disarm();
  const std::vector<uint16_t> snapshot = a;
  const uint16_t index = rec.Index();
  const int before = sent.load();
  while (sent.load() < before + 200) Sleep(1);
  stop = true;
  input.join();
  EXPECT_GT(index, 0);
  EXPECT_EQ(rec.Index(), index);
  EXPECT_TRUE(a == snapshot);
}

TEST_F(RecorderTest, IndexReadsAreWholeWhileRecording) {
  Start(1);
  struct NullNotify : EngineNotify {
    void Post(UINT, WPARAM, LPARAM) override {}
    void SendThru(int, DWORD) override {}
  } quiet;
  std::atomic<bool> done{false};
  std::thread input([&] {
    for (int i = 0; i < 5000; ++i) rec.OnMessage(Msg(0x90, 60, 100), 0, 125, quiet);
    done = true;
  });
  uint16_t last = 0;
  bool monotonic = true;
  while (!done.load()) {
    const uint16_t now = rec.GetRecBytes();
    if (now < last || (now & 1)) monotonic = false;
    last = now;
  }
  input.join();
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(rec.Index(), 10000);
}

}  // namespace
