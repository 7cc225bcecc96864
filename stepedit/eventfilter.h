// Event classes chosen by search, erase, quantize and slide: a class mask
// and a key range for notes.
#pragma once
#include <cstdint>

#include "zk/song.h"

// Class bits of the mask.
constexpr uint32_t kFilterPitchBend = 1u << 0;      // 0xEE
constexpr uint32_t kFilterProgram = 1u << 1;        // 0xEC
constexpr uint32_t kFilterPedal = 1u << 2;          // 0xEB controller 64
constexpr uint32_t kFilterVolume = 1u << 3;         // 0xEB controller 7
constexpr uint32_t kFilterExpression = 1u << 4;     // 0xEB controller 11
constexpr uint32_t kFilterModulation = 1u << 5;     // 0xEB controller 1
constexpr uint32_t kFilterControl = 1u << 6;        // 0xEB any other controller
constexpr uint32_t kFilterChannelPressure = 1u << 7;  // 0xEA
constexpr uint32_t kFilterKeyPressure = 1u << 8;    // 0xED
constexpr uint32_t kFilterNotes = 1u << 9;          // keys in the key range
constexpr uint32_t kFilterTempo = 1u << 10;         // 0xE7
constexpr uint32_t kFilterChannelChange = 1u << 11; // 0xE6
constexpr uint32_t kFilterRolandExcl = 1u << 12;    // 0xDC-0xDF
constexpr uint32_t kFilterYamahaExcl = 1u << 13;    // 0xC0-0xD3
constexpr uint32_t kFilterUserExcl = 1u << 14;      // 0x90-0x97
constexpr uint32_t kFilterMci = 1u << 18;           // 0x99 kind 0
constexpr uint32_t kFilterCommandLine = 1u << 19;   // 0x99 kind 1
constexpr uint32_t kFilterMemo = 1u << 20;          // 0xF6
constexpr uint32_t kFilterTrackExcl = 1u << 21;     // 0x98

struct EventFilter {
  uint32_t mask = 0;
  int32_t lowKey = 0;     // 0..127
  int32_t highKey = 127;  // 0..127; below lowKey the range is inverted
};

// Whether an event (its code and the 16-bit field at offset 4) falls in a
// class whose bit is set. Notes match when their key lies in low..high;
// with low above high, when it lies below high or above low (bounds out).
bool MatchEventFilter(uint32_t mask, int lowKey, int highKey, int code, int param);
bool MatchEventFilter(const EventFilter& filter, const StepEvent& event);
