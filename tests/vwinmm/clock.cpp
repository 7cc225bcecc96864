// The device clock: how late streams play and how time calls agree.
#include "vmtesting.h"

#include <cstdio>

using ClockTest = VirtualMidiTest;

TEST_F(ClockTest, StreamEventsPlayCloseToTheirIdealTimes) {
  CallbackRecorder rec;
  HMIDISTRM s;
  UINT id = 0;
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamOpen(&s, &id, 1, rec.proc(), rec.instance(), CALLBACK_FUNCTION));
  MIDIPROPTIMEDIV div{sizeof div, 480};
  ASSERT_EQ(MMSYSERR_NOERROR,
            midiStreamProperty(s, reinterpret_cast<LPBYTE>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV));
  // A microsecond a tick; 120 events 1 to 10 ms apart.
  MIDIPROPTEMPO tempo{sizeof tempo, 480};
  ASSERT_EQ(MMSYSERR_NOERROR,
            midiStreamProperty(s, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_SET | MIDIPROP_TEMPO));
  StreamBuffer b;
  const int kEvents = 120;
  for (int i = 0; i < kEvents; ++i) b.Short(i == 0 ? 0 : 1000 + (i % 10) * 1000, 0x90 + (i % 16));
  MIDIHDR* hdr = b.Header();
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(s), hdr, sizeof *hdr));
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamOut(s, hdr, sizeof *hdr));
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamRestart(s));
  bool done = WaitFor([&] { return rec.Count(MOM_DONE) == 1; }, 20000);
  auto log = Log();
  midiStreamStop(s);
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamClose(s));
  ASSERT_TRUE(done);

  ASSERT_EQ(static_cast<size_t>(kEvents), log.size());
  int64_t worst = 0, total = 0;
  int overOneMs = 0;
  for (const auto& e : log) {
    int64_t late = e.wallMicros - e.tickMicros;
    EXPECT_GE(late, 0);
    total += late;
    if (late > worst) worst = late;
    if (late > 1000) ++overOneMs;
  }
  printf("device clock: mean lateness %lld us, worst %lld us, %d of %d over 1 ms\n",
         static_cast<long long>(total / kEvents), static_cast<long long>(worst), overOneMs, kEvents);
}

TEST_F(ClockTest, TimeCallsFollowTheDeviceClock) {
  TIMECAPS caps{};
  ASSERT_EQ(TIMERR_NOERROR, timeGetDevCaps(&caps, sizeof caps));
  EXPECT_EQ(1u, caps.wPeriodMin);
  EXPECT_EQ(TIMERR_NOERROR, timeBeginPeriod(1));
  EXPECT_EQ(TIMERR_NOCANDO, timeBeginPeriod(0));

  DWORD t0 = timeGetTime();
  Sleep(100);
  DWORD elapsed = timeGetTime() - t0;
  EXPECT_GE(elapsed, 95u);
  EXPECT_LT(elapsed, 1000u);
  MMTIME mm{};
  ASSERT_EQ(TIMERR_NOERROR, timeGetSystemTime(&mm, sizeof mm));
  EXPECT_EQ(static_cast<UINT>(TIME_MS), mm.wType);
  EXPECT_LE(mm.u.ms - t0, timeGetTime() - t0);
  EXPECT_EQ(TIMERR_NOERROR, timeEndPeriod(1));
}
