// The step sum of a run of events with its repeats counted as often as they
// play: what a measure's length and a track's total both add up.
#pragma once
#include <cstdint>

#include "zk/song.h"

constexpr int kRepeatDepth = 5;                  // deeper repeat starts are ignored
constexpr uint32_t kZeroRepeatTimes = 65536;     // a count of 0 plays 65,536 times

// How often a repeat end's count (its step field, signed 16-bit) plays.
uint32_t RepeatTimes(uint16_t count);

// Fed event by event. Arithmetic wraps at 32 bits like the counters it
// stands for.
struct RepeatSum {
  uint32_t sum = 0;
  uint32_t saved[kRepeatDepth] = {};
  int depth = 0;

  // A repeat start saves the running sum (up to kRepeatDepth), a repeat end
  // with an open start multiplies it out, codes below 0xF0 add their step
  // (signed); other codes add nothing.
  void Add(const StepEvent& e);
  // The running sum and the sums of repeats still open.
  uint32_t Total() const;
};
