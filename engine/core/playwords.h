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

// Reads the System Exclusive message that starts at words[0] (a 0xF0pp
// word) back into bytes F0 ... F7; returns the words it takes, or 0 when the
// message is not complete within count.
size_t UnpackSysExWords(const PlayEventWord* words, size_t count, std::vector<uint8_t>& bytes);
