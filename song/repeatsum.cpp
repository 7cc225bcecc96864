#include "repeatsum.h"

#include "zk/cmdcodes.h"

uint32_t RepeatTimes(uint16_t count) {
  const int32_t times = static_cast<int16_t>(count);
  return times == 0 ? kZeroRepeatTimes : static_cast<uint32_t>(times);
}

void RepeatSum::Add(const StepEvent& e) {
  if (e.code < 0xF0) {
    sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(e.step)));
  } else if (e.code == kCodeRepeatStart) {
    if (depth < kRepeatDepth) {
      saved[depth++] = sum;
      sum = 0;
    }
  } else if (e.code == kCodeRepeatEnd && depth > 0) {
    sum = sum * RepeatTimes(e.step) + saved[--depth];
  }
}

uint32_t RepeatSum::Total() const {
  uint32_t total = sum;
  for (int i = 0; i < depth; ++i) total += saved[i];
  return total;
}
