#include "playwords.h"

void AppendWaitWords(std::vector<PlayEventWord>& out, uint32_t steps) {
  for (; steps > 240; steps -= 240) out.push_back(kPwWaitFull);
  if (steps > 0) out.push_back(static_cast<PlayEventWord>(kPwWait | steps));
}

void PlayWordEmitter::Channel(int channelWord, uint8_t status, uint8_t data1, uint8_t data2) {
  out_.push_back(static_cast<PlayEventWord>((status & 0xF0) << 8 | (status & 0x0F) | (channelWord & 0x30)));
  bool twoBytes = (status & 0xE0) == 0xC0;
  out_.push_back(static_cast<PlayEventWord>(data1 << 8 | (twoBytes ? 0 : data2)));
}

void AppendSysExWords(std::vector<PlayEventWord>& out, int selector, const uint8_t* bytes, size_t length) {
  if (!bytes || length < 2 || bytes[0] != 0xF0 || bytes[length - 1] != 0xF7) return;
  out.push_back(static_cast<PlayEventWord>(kPwSysEx | (selector & 0xFF)));
  size_t i = 1;
  for (; i + 1 < length; i += 2) out.push_back(static_cast<PlayEventWord>(bytes[i] << 8 | bytes[i + 1]));
  if (i < length) out.push_back(static_cast<PlayEventWord>(bytes[i] << 8));
}

void PlayWordEmitter::SysEx(int channelWord, const uint8_t* bytes, size_t length) {
  AppendSysExWords(out_, channelWord, bytes, length);
}

void TickWordEmitter::Wait(uint32_t steps) {
  uint64_t total = static_cast<uint64_t>(steps) * 480 + carry_;
  AppendWaitWords(ticks_, static_cast<uint32_t>(total / static_cast<uint64_t>(timeBase_)));
  carry_ = total % static_cast<uint64_t>(timeBase_);
}

void PlayWordEmitter::Tempo(int c, int e, int) {
  out_.push_back(static_cast<PlayEventWord>(kPwTempo | (c & 0xFF)));
  out_.push_back(static_cast<PlayEventWord>(e));
}

void PlayWordEmitter::Mark(int kind, int value) {
  out_.push_back(static_cast<PlayEventWord>(kPwMark | (kind & 0xFF)));
  out_.push_back(static_cast<PlayEventWord>(value));
}

void PlayWordEmitter::SongPosition(int sixteenths) {
  out_.push_back(kPwSongPos);
  out_.push_back(static_cast<PlayEventWord>(sixteenths));
}

void PlayWordEmitter::End() {
  out_.push_back(kPwEndFill);
  out_.push_back(kPwEnd);
}

size_t UnpackSysExWords(const PlayEventWord* words, size_t count, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (count == 0 || (words[0] & 0xFF00) != kPwSysEx) return 0;
  bytes.push_back(0xF0);
  for (size_t i = 1; i < count; ++i) {
    uint8_t hi = static_cast<uint8_t>(words[i] >> 8), lo = static_cast<uint8_t>(words[i]);
    bytes.push_back(hi);
    if (hi == 0xF7) return i + 1;
    bytes.push_back(lo);
    if (lo == 0xF7) return i + 1;
  }
  bytes.clear();
  return 0;
}
