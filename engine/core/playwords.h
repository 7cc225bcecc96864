// The builder's output as play-event words, the form the word-ring engines
// play from and the record buffer shares.
#pragma once
#include <cstdint>
#include <vector>

#include <zk/playdata.h>

#include "playemitter.h"

// Appends the words of a wait of steps (runs of 0xE8F0, then the rest).
void AppendWaitWords(std::vector<PlayEventWord>& out, uint32_t steps);

// Writes every emitted event as play-event words at the end of a queue that
// the engine's player drains.
class PlayWordEmitter : public PlayEmitter {
 public:
  explicit PlayWordEmitter(std::vector<PlayEventWord>& out) : out_(out) {}
  void Wait(uint32_t steps) override { AppendWaitWords(out_, steps); }
  void Channel(int channelWord, uint8_t status, uint8_t data1, uint8_t data2) override;
  void SysEx(int channelWord, const uint8_t* bytes, size_t length) override;
  void Tempo(int c, int e, int tempo) override;
  void Mark(int kind, int value) override;
  void SongPosition(int sixteenths) override;
  void End() override;

 private:
  std::vector<PlayEventWord>& out_;
};

// Appends a System Exclusive message F0 ... F7 as words: 0xF0 with the
// selector in the low byte, then the bytes after F0 two to a word, first in
// the high half, up to the word holding F7. Nothing for a message that does
// not begin with F0 and end with F7.
void AppendSysExWords(std::vector<PlayEventWord>& out, int selector, const uint8_t* bytes, size_t length);

// Play-event words with the waits in ticks of 1/480 quarter note whatever
// the song's time base; the remainder of each wait carries to the next.
class TickWordEmitter : public PlayWordEmitter {
 public:
  explicit TickWordEmitter(std::vector<PlayEventWord>& out) : PlayWordEmitter(out), ticks_(out) {}
  // A new play: the song's time base, and no remainder.
  void Reset(int timeBase) {
    timeBase_ = timeBase > 0 ? timeBase : 480;
    carry_ = 0;
  }
  void Wait(uint32_t steps) override;

 private:
  std::vector<PlayEventWord>& ticks_;
  int timeBase_ = 480;
  uint64_t carry_ = 0;
};

// Reads the System Exclusive message that starts at words[0] (a 0xF0pp
// word) back into bytes F0 ... F7; returns the words it takes, or 0 when the
// message is not complete within count.
size_t UnpackSysExWords(const PlayEventWord* words, size_t count, std::vector<uint8_t>& bytes);
