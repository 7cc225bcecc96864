// A text-event record as the engine writes it into the text ring: five
// little-endian words (kind, track, event index, measure, step) and the text
// with its zero.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

inline std::vector<uint8_t> TextRecord(uint16_t kind, uint16_t track, uint16_t index, uint16_t measure,
                                       uint16_t step, const char* text) {
  std::vector<uint8_t> r;
  for (uint16_t v : {kind, track, index, measure, step}) {
    r.push_back(static_cast<uint8_t>(v & 0xFF));
    r.push_back(static_cast<uint8_t>(v >> 8));
  }
  r.insert(r.end(), text, text + std::strlen(text) + 1);
  return r;
}
