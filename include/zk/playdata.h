// Data the engines exchange with the host: play-event words, monitor and
// text-event records.
#pragma once
#include <cstddef>
#include <cstdint>

// 16-bit play-event word: code in the high byte, parameter in the low byte.
using PlayEventWord = uint16_t;
static_assert(sizeof(PlayEventWord) == 2);

constexpr PlayEventWord kPwTempo = 0xE100;      // | nn, next word value
constexpr PlayEventWord kPwMark = 0xE300;       // | nn, next word value
constexpr PlayEventWord kPwWait = 0xE800;       // | steps 1-240
constexpr PlayEventWord kPwWaitFull = 0xE8F0;
constexpr PlayEventWord kPwNop1 = 0xEAF9;
constexpr PlayEventWord kPwNop2 = 0xEAFA;
constexpr PlayEventWord kPwEndFill = 0xEAFC;
constexpr PlayEventWord kPwEnd = 0xEAFD;
constexpr PlayEventWord kPwSysEx = 0xF000;      // | port/channel byte
constexpr PlayEventWord kPwSongPos = 0xF200;

constexpr int kMarkTempo = 30;
constexpr int kMarkMonitor = 31;
constexpr int kMarkText = 32;

constexpr int kRecordBufferWords = 32765;

#pragma pack(push, 1)
struct PlayMonRecord {
  int32_t stripWindow;     // host
  uint16_t eventIndex;
  uint16_t value;          // ring index, text offset or tempo x 10
  int32_t track;           // 0-99, kMonText or kMonTempo
  int16_t repaint;         // host
  uint16_t measure;        // from 0
  uint16_t stepInMeasure;  // from 1
  int16_t soundingCount;
  int16_t channelWord;
  int16_t bank;
  int16_t program;
  int16_t bend;
  int16_t hold;
  int16_t modulation;
  int16_t volume;
  int16_t expression;
  int16_t pan;
  int16_t level;
  int16_t meterDrawn;      // host
  uint8_t keys[16];
  uint8_t unused[18];
};
static_assert(sizeof(PlayMonRecord) == 76);
static_assert(offsetof(PlayMonRecord, level) == 38);
static_assert(offsetof(PlayMonRecord, keys) == 42);

constexpr int32_t kMonText = 0x8000;
constexpr int32_t kMonTempo = 0x4000;

// Fixed part of a text-event record; the zero-terminated text follows.
struct TextEventRecord {
  uint16_t kind;           // 0 MCI string, 1 command line
  uint16_t track;
  uint16_t eventIndex;
  uint16_t measure;
  uint16_t stepInMeasure;
};
static_assert(sizeof(TextEventRecord) == 10);
#pragma pack(pop)
