// Reading the engine's text-event ring: five 16-bit little-endian values
// (kind, track, event index, measure, event in measure) and a zero-ended
// text, every byte index wrapping at the ring's size.
#pragma once
#include <cstdint>
#include <string>

struct TextEventEntry {
  uint16_t kind = 0;          // 0 MCI string, 1 command line
  uint16_t track = 0;
  uint16_t eventIndex = 0;
  uint16_t measure = 0;
  uint16_t stepInMeasure = 0;
  std::string text;
};

// Reads the record at offset and returns the offset past its terminating
// zero (wrapped). A text without a terminator within one turn of the ring
// stops there. Returns -1 for an empty ring or an offset outside it.
int ReadTextEvent(const uint8_t* ring, int ringSize, int offset, TextEventEntry& out);
