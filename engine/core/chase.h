// Chase to a play point: while the song is walked silently up to the point,
// controller state is either stored per port and channel (sent once at the
// end) or sent at once, by the "Chase" and "Truant" bits.
#pragma once
#include <cstdint>

#include "playemitter.h"

enum ChaseBits : int {
  kChaseKeyPressure = 0x01,
  kChaseControl = 0x02,
  kChaseProgram = 0x04,
  kChaseChannelPressure = 0x08,
  kChaseBend = 0x10,
  kChaseSysEx = 0x20,
};
enum TruantBits : int {
  kTruantKeyPressure = 0x01,
  kTruantProgram = 0x04,
  kTruantChannelPressure = 0x08,
  kTruantBend = 0x10,
  kTruantModulation = 0x40,
  kTruantVolume = 0x80,
  kTruantPan = 0x100,
  kTruantExpression = 0x200,
};

// Where the chase sends what it does not store.
class ChaseSink {
 public:
  virtual ~ChaseSink() = default;
  virtual void SendShort(int port, uint32_t message) = 0;
  virtual void SendSysEx(int port, const uint8_t* bytes, size_t length) = 0;
};

// 64 entries (port x 16 + channel) of stored values, -1 for none.
struct ChaseEntry {
  int modulation = -1, volume = -1, pan = -1, expression = -1;
  int pressureKey = -1, pressureValue = -1;
  int channelPressure = -1;
  int bendLsb = -1, bendMsb = -1;
  int program = -1;
};

class ChaseEmitter : public PlayEmitter {
 public:
  // Tempo changes go on to timed (the play data); the rest by the bits.
  ChaseEmitter(PlayEmitter* timed, ChaseSink* sink, int chase, int truant)
      : timed_(timed), sink_(sink), chase_(chase), truant_(truant) {}
  void Wait(uint32_t) override {}
  void Channel(int channelWord, uint8_t status, uint8_t d1, uint8_t d2) override;
  void SysEx(int channelWord, const uint8_t* bytes, size_t length) override;
  void Tempo(int c, int e, int tempo) override {
    if (timed_) timed_->Tempo(c, e, tempo);
  }
  void Mark(int, int) override {}
  void SongPosition(int) override {}
  void End() override {}
  // Sends every stored value in the fixed order and clears the table.
  void Flush();
  const ChaseEntry& Entry(int port, int channel) const { return table_[(port & 3) * 16 + (channel & 15)]; }

 private:
  bool Stored(int truantBit) const { return (truant_ & truantBit) != 0; }
  PlayEmitter* timed_;
  ChaseSink* sink_;
  int chase_;
  int truant_;
  ChaseEntry table_[64];
};
