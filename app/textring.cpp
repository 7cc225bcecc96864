#include "textring.h"

int ReadTextEvent(const uint8_t* ring, int ringSize, int offset, TextEventEntry& out) {
  if (!ring || ringSize <= 0 || offset < 0 || offset >= ringSize) return -1;
  int at = offset;
  auto next = [&]() {
    uint8_t b = ring[at];
    at = (at + 1) % ringSize;
    return b;
  };
  uint16_t values[5];
  for (uint16_t& v : values) {
    uint8_t lo = next();
    uint8_t hi = next();
    v = static_cast<uint16_t>(lo | (hi << 8));
  }
  out.kind = values[0];
  out.track = values[1];
  out.eventIndex = values[2];
  out.measure = values[3];
  out.stepInMeasure = values[4];
  out.text.clear();
  for (int n = 0; n < ringSize; ++n) {
    uint8_t c = next();
    if (c == 0) break;
    out.text.push_back(static_cast<char>(c));
  }
  return at;
}
