// The play ring and its player: the builder writes play-event words, a chain
// of one-shot timers plays them at their time.
#include <algorithm>
#include <cstring>

#include <zk/playdata.h>

#include "mmeengine.h"
#include "playwords.h"

namespace {

// The builder's output with its waits in ticks of 1/480 quarter note.
TickWordEmitter g_emitter(g_mme.words);

void CompactLocked() {
  if (g_mme.read == g_mme.words.size()) {
    g_mme.words.clear();
    g_mme.read = 0;
  } else if (g_mme.read > 65536) {
    g_mme.words.erase(g_mme.words.begin(), g_mme.words.begin() + static_cast<std::ptrdiff_t>(g_mme.read));
    g_mme.read = 0;
  }
}

void RefillLocked() {
  const size_t want = static_cast<size_t>(g_shell.settings.preGet);
  while (g_shell.prepared && !g_shell.builder.Ended() && g_mme.Pending() < want) g_shell.builder.Step();
}

// The chain of the tick running; the timers it sets belong to it.
DWORD_PTR g_tickChain = 0;

// The player's clock: the performance counter in microseconds, finer than
// the timers' milliseconds.
int64_t NowMicros() {
  static const int64_t freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return c.QuadPart / freq * 1000000 + c.QuadPart % freq * 1000000 / freq;
}

void SetTimer(UINT delayMs, DWORD_PTR chain) {
  g_mme.timer = timeSetEvent(std::max<UINT>(1, delayMs), 1, &MMECallBackMan, chain, TIME_ONESHOT);
}

// Kills the pending timer and waits for a tick that is running.
void StopTimer() {
  ++g_mme.chain;
  g_mme.stopping = true;
  UINT t = g_mme.timer.exchange(0);
  if (t) timeKillEvent(t);
  for (int i = 0; i < 5000 && g_mme.inTick.load() > 0; ++i) Sleep(1);
  t = g_mme.timer.exchange(0);  // one the running tick set
  if (t) timeKillEvent(t);
}

void NoteKey(int slot, DWORD m) {
  int status = m & 0xF0, ch = m & 0x0F, key = (m >> 8) & 0x7F, vel = (m >> 16) & 0x7F;
  uint8_t& bits = g_mme.heldKeys[slot][ch][key >> 3];
  if (status == 0x90 && vel > 0)
    bits |= static_cast<uint8_t>(1 << (key & 7));
  else if (status == 0x80 || status == 0x90)
    bits &= static_cast<uint8_t>(~(1 << (key & 7)));
}

// kPoll: the ring ran dry before the builder's end; a timer looks again.
enum class TickResult { kGoOn, kWaiting, kPoll, kEnded };

// One wait word: on to the next word when its time has come (a late tick
// catches up), else the tick waits for it.
TickResult Wait(int ticks) {
  g_mme.clock.Advance(ticks, g_shell.tempo.load());
  return g_mme.clock.due > NowMicros() ? TickResult::kWaiting : TickResult::kGoOn;
}

// Reaches the time of the wait in progress: true once it has come; false
// when a timer was set for it or the play stops. Runs outside the lock.
bool AwaitDue() {
  for (;;) {
    if (g_mme.stopping) return false;
    const WaitPlan plan = PlanWait(g_mme.clock.due, NowMicros());
    if (plan.kind == WaitPlan::kPlay) return true;
    if (plan.kind == WaitPlan::kTimer) {
      SetTimer(plan.delayMs, g_tickChain);
      return false;
    }
    YieldProcessor();
  }
}

TickResult PlayWord() {
  PlayEventWord w = g_mme.words[g_mme.read++];
  int code = w >> 8;
  auto value = [&]() -> PlayEventWord { return g_mme.read < g_mme.words.size() ? g_mme.words[g_mme.read++] : 0; };
  if (code >= 0x80 && code <= 0xEF && (code & 0x0F) == 0) {
    int cw = w & 0xFF;
    PlayEventWord data = value();
    int slot = PortSlot((cw >> 4) & 3);
    DWORD m = static_cast<DWORD>(code | (cw & 0x0F)) | static_cast<DWORD>(data >> 8) << 8;
    if (code != 0xC0 && code != 0xD0) m |= static_cast<DWORD>(data & 0xFF) << 16;
    if (slot >= 0) {
      SendOut(slot, m, 500, 1);
      NoteKey(slot, m);
    }
    return TickResult::kGoOn;
  }
  switch (code) {
    case 0xE1: {
      PlayEventWord e = value();
      if (e) g_shell.tempo = std::max(1, (w & 0xFF) * (720000 / e) / 240);
      return TickResult::kGoOn;
    }
    case 0xE3:
      MarkReached(w & 0xFF, value());
      return TickResult::kGoOn;
    case 0xE8:
      return Wait(w & 0xFF);
    case 0xEA:
      if (w == kPwEndFill || w == kPwEnd) return TickResult::kEnded;
      return TickResult::kGoOn;
    case 0xF0: {
      std::vector<uint8_t> bytes;
      size_t n = UnpackSysExWords(&g_mme.words[g_mme.read - 1], g_mme.Pending() + 1, bytes);
      if (n == 0) return TickResult::kGoOn;
      g_mme.read += n - 1;
      int slot = PortSlot(((w & 0xFF) >> 4) & 3);
      LongHeader& h = g_mme.longHeader[g_mme.currentLong];
      SendLong(h, slot, bytes.data(), bytes.size());
      g_mme.currentLong ^= 1;
      return TickResult::kGoOn;
    }
    case 0xF2: {
      int pos = value() & 0x3FFF;
      SendToEveryPort(0xF2 | (pos & 0x7F) << 8 | ((pos >> 7) & 0x7F) << 16);
      return TickResult::kGoOn;
    }
    default:
      return TickResult::kGoOn;
  }
}

// Plays words up to the next wait that has not come, the end, or a dry ring;
// the builder fills the ring in the time left before that wait.
TickResult PlayUntilWait() {
  std::lock_guard<std::mutex> guard(g_shell.lock);
  TickResult r = TickResult::kGoOn;
  while (r == TickResult::kGoOn && !g_mme.stopping) {
    RefillLocked();
    if (g_mme.Pending() == 0) {
      r = g_shell.builder.Ended() ? TickResult::kEnded : TickResult::kPoll;
      if (r == TickResult::kPoll) SetTimer(1, g_tickChain);
      break;
    }
    r = PlayWord();
  }
  if (r == TickResult::kWaiting || r == TickResult::kPoll) RefillLocked();
  CompactLocked();
  return r;
}

// Plays from the wait in progress on; a wait this tick can reach by spinning
// is not left to another timer.
void Tick() {
  for (;;) {
    if (!AwaitDue()) return;
    const TickResult r = PlayUntilWait();
    if (r == TickResult::kEnded) AnnounceEnd();
    if (r != TickResult::kWaiting) return;
  }
}

}  // namespace

PlayEmitter* OutEmitter() { return &g_emitter; }

void OutPreparePlay() {
  g_mme.words.clear();
  g_mme.read = 0;
  g_emitter.Reset(g_shell.builder.TimeBase());
}

void ReleaseHeldKeys() {
  for (int slot = 0; slot < kPorts; ++slot)
    for (int ch = 0; ch < 16; ++ch)
      for (int key = 0; key < 128; ++key) {
        uint8_t& bits = g_mme.heldKeys[slot][ch][key >> 3];
        if (!(bits & (1 << (key & 7)))) continue;
        bits &= static_cast<uint8_t>(~(1 << (key & 7)));
        if (OutHasPort(slot)) SendOut(slot, static_cast<DWORD>(0x90 | ch | key << 8), 500, 1);
      }
}

void OutStop(bool keep) {
  StopTimer();
  std::lock_guard<std::mutex> guard(g_shell.lock);
  g_mme.words.clear();
  g_mme.read = 0;
  std::memset(g_mme.heldKeys, 0, sizeof g_mme.heldKeys);
  if (!keep)
    for (auto& h : g_mme.longHeader) ReleaseLong(h);
  g_mme.stopping = false;
}

void OutStart(bool stayPaused) {
  // The song's time counts from the Start just sent, not from after the fill.
  const int64_t origin = NowMicros();
  {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    RefillLocked();
  }
  g_mme.clock.Start(origin);
  g_mme.stopping = false;
  if (!stayPaused) SetTimer(1, g_mme.chain);
}

void OutPause() {
  StopTimer();
  ReleaseHeldKeys();
  g_mme.stopping = false;
}

void OutResume() {
  g_mme.clock.due = NowMicros();
  g_mme.stopping = false;
  SetTimer(1, g_mme.chain);
}

void OutAfterStep() {}

extern "C" void CALLBACK MMECallBackMan(UINT, UINT, DWORD_PTR chain, DWORD_PTR, DWORD_PTR) {
  TickSeam(kTickSeamEntry);
  // Counted before the state is read: a stop or pause that finds no tick
  // counted knows any later one sees its state; one counted, it waits for.
  // A tick already running only counts the call.
  if (g_mme.inTick.fetch_add(1) == 0) {
    TickSeam(kTickSeamBetween);
    if (chain == g_mme.chain && g_shell.playing && !g_shell.paused && !g_mme.stopping) {
      g_mme.timer = 0;
      g_tickChain = chain;
      Tick();
    }
  }
  g_mme.inTick.fetch_sub(1);
}
