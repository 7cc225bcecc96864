// Streams: play order, ticks and their ideal times, callbacks, and the
// pause / restart / stop / close rules.
#include "vmtesting.h"

#include <atomic>
#include <cstdio>

namespace {

class StreamTest : public VirtualMidiTest {
 protected:
  void SetUp() override {
    VirtualMidiTest::SetUp();
    UINT id = 1;
    ASSERT_EQ(MMSYSERR_NOERROR,
              midiStreamOpen(&s, &id, 1, rec.proc(), rec.instance(), CALLBACK_FUNCTION));
    MIDIPROPTIMEDIV div{sizeof div, 96};
    ASSERT_EQ(MMSYSERR_NOERROR,
              midiStreamProperty(s, reinterpret_cast<LPBYTE>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV));
    MIDIPROPTEMPO tempo{sizeof tempo, 500000};
    ASSERT_EQ(MMSYSERR_NOERROR,
              midiStreamProperty(s, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_SET | MIDIPROP_TEMPO));
  }
  void TearDown() override {
    if (s) {
      midiStreamStop(s);
      EXPECT_EQ(MMSYSERR_NOERROR, midiStreamClose(s));
    }
  }
  void Queue(StreamBuffer& b) {
    MIDIHDR* hdr = b.Header();
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(s), hdr, sizeof *hdr));
    ASSERT_EQ(MMSYSERR_NOERROR, midiStreamOut(s, hdr, sizeof *hdr));
  }
  DWORD Position(UINT type) {
    MMTIME t{};
    t.wType = type;
    EXPECT_EQ(MMSYSERR_NOERROR, midiStreamPosition(s, &t, sizeof t));
    EXPECT_EQ(type, t.wType);
    return type == TIME_TICKS ? t.u.ticks : t.u.ms;
  }
  HMIDISTRM s = nullptr;
  CallbackRecorder rec;
};

TEST_F(StreamTest, PropertiesReadBack) {
  MIDIPROPTIMEDIV div{sizeof div, 0};
  ASSERT_EQ(MMSYSERR_NOERROR,
            midiStreamProperty(s, reinterpret_cast<LPBYTE>(&div), MIDIPROP_GET | MIDIPROP_TIMEDIV));
  EXPECT_EQ(96u, div.dwTimeDiv);
  MIDIPROPTEMPO tempo{sizeof tempo, 0};
  ASSERT_EQ(MMSYSERR_NOERROR,
            midiStreamProperty(s, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_GET | MIDIPROP_TEMPO));
  EXPECT_EQ(500000u, tempo.dwTempo);
  EXPECT_EQ(MMSYSERR_INVALPARAM,
            midiStreamProperty(s, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_TEMPO));
  EXPECT_EQ(MMSYSERR_INVALPARAM,
            midiStreamProperty(s, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_GET | 0x10));
}

TEST_F(StreamTest, PlaysBuffersInOrderOnTheTempoMap) {
  StreamBuffer first, second;
  first.Short(0, 0x7F3C90).Short(12, 0x003C80).Tempo(12, 250000);
  const DWORD nopOffset = first.Offset();
  first.Nop(24, true);
  const std::vector<BYTE> sysex = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  second.Long(12, sysex);
  const DWORD cbOffset = second.Offset();
  second.Short(0, 0x05C0, true).Short(48, 0x644090);
  Queue(first);
  Queue(second);
  EXPECT_EQ(2, vm.PendingBuffers(1));
  Sleep(30);
  EXPECT_EQ(0, vm.LogCount()) << "a stream opens paused";

  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamRestart(s));
  ASSERT_TRUE(WaitFor([&] { return rec.Count(MOM_DONE) == 2; }));
  EXPECT_EQ(0, vm.PendingBuffers(1));

  // Ticks 0, 12 at 500000 us per quarter, tempo change at 24, then 250000.
  struct Want {
    int kind;
    uint32_t message;
    int64_t tick;
    int64_t micros;  // from tick 0
  } want[] = {
      {kVmStreamShort, 0x7F3C90, 0, 0},          {kVmStreamShort, 0x003C80, 12, 62500},
      {kVmStreamTempo, 250000, 24, 125000},      {kVmStreamLong, 0, 60, 218750},
      {kVmStreamShort, 0x0005C0, 60, 218750},    {kVmStreamShort, 0x644090, 108, 343750},
  };
  auto log = Log();
  ASSERT_EQ(std::size(want), log.size());
  int64_t worst = 0;
  for (size_t i = 0; i < log.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(1, log[i].device);
    EXPECT_EQ(want[i].kind, log[i].kind);
    EXPECT_EQ(want[i].message, log[i].message);
    EXPECT_EQ(want[i].tick, log[i].tick);
    EXPECT_EQ(want[i].micros, log[i].tickMicros - log[0].tickMicros);
    int64_t late = log[i].wallMicros - log[i].tickMicros;
    EXPECT_GE(late, 0) << "played before its time";
    if (late > worst) worst = late;
  }
  printf("stream timing: worst lateness %lld us over %zu events\n",
         static_cast<long long>(worst), log.size());
  ASSERT_EQ(static_cast<int>(sysex.size()), log[3].length);
  EXPECT_EQ(0, memcmp(sysex.data(), log[3].data, sysex.size()));

  auto calls = rec.Calls();
  ASSERT_EQ(5u, calls.size());
  const UINT msgs[] = {MOM_OPEN, MOM_POSITIONCB, MOM_DONE, MOM_POSITIONCB, MOM_DONE};
  const MIDIHDR* hdrs[] = {nullptr, first.hdr(), first.hdr(), second.hdr(), second.hdr()};
  for (size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(msgs[i], calls[i].msg);
    if (hdrs[i]) {
      EXPECT_EQ(reinterpret_cast<DWORD_PTR>(hdrs[i]), calls[i].p1);
    }
    EXPECT_NE(GetCurrentThreadId(), calls[i].thread);
  }
  EXPECT_EQ(nopOffset, calls[1].offset);
  EXPECT_EQ(cbOffset, calls[3].offset);
  EXPECT_TRUE(calls[2].flags & MHDR_DONE);
  EXPECT_FALSE(calls[2].flags & MHDR_INQUEUE);
  for (StreamBuffer* b : {&first, &second}) {
    EXPECT_EQ(MHDR_DONE | MHDR_PREPARED | MHDR_ISSTRM, b->hdr()->dwFlags);
  }
  EXPECT_GE(Position(TIME_TICKS), 108u);
  EXPECT_GE(Position(TIME_MS), 343u);
}

TEST_F(StreamTest, PauseKeepsThePositionAndRestartResumes) {
  StreamBuffer b;
  b.Short(0, 0x90).Short(24, 0x91);  // the second 125 ms after the first
  Queue(b);
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamRestart(s));
  ASSERT_TRUE(WaitFor([&] { return vm.LogCount() == 1; }));
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamPause(s));
  DWORD ticks = Position(TIME_TICKS);
  DWORD ms = Position(TIME_MS);
  Sleep(250);
  EXPECT_EQ(1, vm.LogCount()) << "nothing plays while paused";
  EXPECT_EQ(ticks, Position(TIME_TICKS));
  EXPECT_EQ(ms, Position(TIME_MS));
  EXPECT_LT(ticks, 24u);

  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamRestart(s));
  ASSERT_TRUE(WaitFor([&] { return rec.Count(MOM_DONE) == 1; }));
  auto log = Log();
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ(24, log[1].tick);
  // The ideal time carries the pause.
  EXPECT_GE(log[1].tickMicros - log[0].tickMicros, 125000 + 250000);
}

TEST_F(StreamTest, ATempoSetWhilePlayingCountsFromTheCurrentTick) {
  StreamBuffer b;
  b.Short(0, 0x90).Short(48, 0x91);  // 250 ms at 500000 us, 125 ms at 250000
  Queue(b);
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamRestart(s));
  ASSERT_TRUE(WaitFor([&] { return vm.LogCount() == 1; }));
  Sleep(60);
  MIDIPROPTEMPO tempo{sizeof tempo, 250000};
  ASSERT_EQ(MMSYSERR_NOERROR,
            midiStreamProperty(s, reinterpret_cast<LPBYTE>(&tempo), MIDIPROP_SET | MIDIPROP_TEMPO));
  ASSERT_TRUE(WaitFor([&] { return rec.Count(MOM_DONE) == 1; }));
  auto log = Log();
  ASSERT_EQ(2u, log.size());
  // The ticks already counted keep their old length, the rest get the new.
  int64_t span = log[1].tickMicros - log[0].tickMicros;
  EXPECT_GT(span, 125000 + 20000);
  EXPECT_LT(span, 250000 - 20000);
}

TEST_F(StreamTest, StopReturnsEveryBufferAndRewinds) {
  StreamBuffer first, second;
  first.Short(0, 0x90).Short(960, 0x91);  // 5 s away
  second.Short(0, 0x92);
  Queue(first);
  Queue(second);
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamRestart(s));
  ASSERT_TRUE(WaitFor([&] { return vm.LogCount() == 1; }));

  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamStop(s));
  // Returned before the call returns, in queue order.
  auto calls = rec.Calls();
  ASSERT_EQ(3u, calls.size());
  EXPECT_EQ(MOM_DONE, calls[1].msg);
  EXPECT_EQ(reinterpret_cast<DWORD_PTR>(first.hdr()), calls[1].p1);
  EXPECT_EQ(reinterpret_cast<DWORD_PTR>(second.hdr()), calls[2].p1);
  for (StreamBuffer* b : {&first, &second}) {
    EXPECT_TRUE(b->hdr()->dwFlags & MHDR_DONE);
    EXPECT_FALSE(b->hdr()->dwFlags & MHDR_INQUEUE);
  }
  EXPECT_EQ(0, vm.PendingBuffers(1));
  EXPECT_EQ(0u, Position(TIME_TICKS));
  auto log = Log();
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ(kVmReset, log[1].kind);
  EXPECT_EQ(1, log[1].device);

  // Stopped means paused at tick 0: a new buffer waits for Restart and
  // counts from there.
  StreamBuffer third;
  third.Short(6, 0x93);
  Queue(third);
  Sleep(100);
  EXPECT_EQ(2, vm.LogCount());
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamRestart(s));
  ASSERT_TRUE(WaitFor([&] { return vm.LogCount() == 3; }));
  VMidiLogEntry e;
  ASSERT_TRUE(vm.LogEntry(2, &e));
  EXPECT_EQ(6, e.tick);
  EXPECT_EQ(0x93u, e.message);
}

TEST_F(StreamTest, QueuedBuffersHoldTheirHeadersAndTheStream) {
  StreamBuffer b;
  b.Short(0, 0x90);
  Queue(b);  // paused: stays queued
  HMIDIOUT asOut = reinterpret_cast<HMIDIOUT>(s);
  EXPECT_EQ(MIDIERR_STILLPLAYING, midiOutUnprepareHeader(asOut, b.hdr(), sizeof(MIDIHDR)));
  EXPECT_EQ(MIDIERR_STILLPLAYING, midiStreamOut(s, b.hdr(), sizeof(MIDIHDR)));
  EXPECT_EQ(MIDIERR_STILLPLAYING, midiStreamClose(s));
  EXPECT_EQ(1, vm.OpenCount());

  StreamBuffer unprepared;
  unprepared.Short(0, 0x90);
  MIDIHDR* hdr = unprepared.Header();
  EXPECT_EQ(MIDIERR_UNPREPARED, midiStreamOut(s, hdr, sizeof *hdr));

  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamStop(s));
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutUnprepareHeader(asOut, b.hdr(), sizeof(MIDIHDR)));
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamClose(s));
  s = nullptr;
  EXPECT_EQ(MOM_CLOSE, rec.Calls().back().msg);
  EXPECT_EQ(0, vm.OpenCount());
}

TEST_F(StreamTest, APortHandleIsNotAStream) {
  HMIDIOUT port;
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&port, 0, 0, 0, CALLBACK_NULL));
  HMIDISTRM asStream = reinterpret_cast<HMIDISTRM>(port);
  EXPECT_EQ(MMSYSERR_INVALHANDLE, midiStreamRestart(asStream));
  EXPECT_EQ(MMSYSERR_INVALHANDLE, midiStreamClose(asStream));
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(port));
}

}  // namespace

namespace {

// Queues its buffer again from MOM_DONE, as a player keeping a stream fed
// does, until it has gone round `rounds` times.
struct Refiller {
  HMIDISTRM s = nullptr;
  MIDIHDR* hdr = nullptr;
  int rounds = 0;
  std::atomic<int> done{0};
  std::atomic<MMRESULT> lastError{MMSYSERR_NOERROR};
  static void CALLBACK Proc(HANDLE, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    auto* r = reinterpret_cast<Refiller*>(instance);
    if (msg != MOM_DONE) return;
    if (++r->done < r->rounds) {
      MMRESULT e = midiStreamOut(r->s, r->hdr, sizeof *r->hdr);
      if (e != MMSYSERR_NOERROR) r->lastError = e;
    }
  }
};

}  // namespace

using RefillTest = VirtualMidiTest;

TEST_F(RefillTest, ACallbackMayQueueTheNextBuffer) {
  Refiller r;
  r.rounds = 4;
  UINT id = 0;
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamOpen(&r.s, &id, 1, reinterpret_cast<DWORD_PTR>(&Refiller::Proc),
                                             reinterpret_cast<DWORD_PTR>(&r), CALLBACK_FUNCTION));
  StreamBuffer b;
  b.Short(3, 0x90).Short(3, 0x80);  // 96 per quarter at 500000 us: 15.6 ms each
  r.hdr = b.Header();
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(r.s), r.hdr, sizeof(MIDIHDR)));
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamOut(r.s, r.hdr, sizeof(MIDIHDR)));
  ASSERT_EQ(MMSYSERR_NOERROR, midiStreamRestart(r.s));
  bool finished = WaitFor([&] { return r.done == 4; });
  auto log = Log();
  midiStreamStop(r.s);
  EXPECT_EQ(MMSYSERR_NOERROR, midiStreamClose(r.s));
  ASSERT_TRUE(finished);
  EXPECT_EQ(MMSYSERR_NOERROR, r.lastError.load());
  ASSERT_EQ(8u, log.size());
  for (size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(static_cast<int64_t>(3 * (i + 1)), log[i].tick) << "ticks run on across buffers";
  }
}
