// The timer engine's time: the ideal time of each wait word in microseconds,
// and how the player reaches it with millisecond one-shot timers.
#pragma once
#include <cstdint>

// The ideal time of the wait words played so far. Each wait adds its ticks
// (1/480 quarter note) at the tempo in force, the remainder of a microsecond
// carried to the next, so that no rounding adds up over a song. A late tick
// leaves it alone: the next wait counts from where this one should have
// ended, not from when it did.
struct WaitClock {
  int64_t due = 0;    // microseconds on the player's clock
  int64_t carry = 0;  // the remainder, in 1/(tempo * 48) microseconds

  void Start(int64_t now) {
    due = now;
    carry = 0;
  }
  // tempo: quarter notes a minute (at least 1).
  void Advance(int ticks, int tempo) {
    const int64_t unit = static_cast<int64_t>(tempo < 1 ? 1 : tempo) * 48;
    carry += static_cast<int64_t>(ticks) * 6000000;
    const int64_t micros = carry / unit;
    carry -= micros * unit;
    due += micros;
  }
};

// How a timer can reach a due time: its delay is whole milliseconds and it
// may fire up to a millisecond before or some time after it. So the player
// sets it to fire a little before the due time and spins the rest; a due time
// this close is spun to at once.
constexpr int64_t kWaitSpinMicros = 3000;
constexpr int64_t kWaitLeadMicros = 1000;

struct WaitPlan {
  enum Kind { kPlay, kSpin, kTimer } kind;
  unsigned delayMs;  // kTimer only
};

inline WaitPlan PlanWait(int64_t due, int64_t now) {
  const int64_t left = due - now;
  if (left <= 0) return {WaitPlan::kPlay, 0};
  if (left <= kWaitSpinMicros) return {WaitPlan::kSpin, 0};
  return {WaitPlan::kTimer, static_cast<unsigned>((left - kWaitLeadMicros) / 1000)};
}
