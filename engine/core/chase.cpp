#include "chase.h"

namespace {
uint32_t Msg(int status, int d1, int d2) {
  return static_cast<uint32_t>(status) | static_cast<uint32_t>(d1) << 8 |
         static_cast<uint32_t>(d2) << 16;
}
}  // namespace

void ChaseEmitter::Channel(int channelWord, uint8_t status, uint8_t d1, uint8_t d2) {
  const int port = (channelWord >> 4) & 3;
  ChaseEntry& e = table_[port * 16 + (status & 0x0F)];
  int chaseBit = 0, truantBit = 0;
  int* store = nullptr;
  int* store2 = nullptr;
  int v1 = d1, v2 = d2;
  switch (status & 0xF0) {
    case 0xA0:
      chaseBit = kChaseKeyPressure; truantBit = kTruantKeyPressure;
      store = &e.pressureKey; store2 = &e.pressureValue;
      break;
    case 0xB0:
      chaseBit = kChaseControl;
      switch (d1) {
        case 1: truantBit = kTruantModulation; store = &e.modulation; v1 = d2; break;
        case 7: truantBit = kTruantVolume; store = &e.volume; v1 = d2; break;
        case 10: truantBit = kTruantPan; store = &e.pan; v1 = d2; break;
        case 11: truantBit = kTruantExpression; store = &e.expression; v1 = d2; break;
        default: break;
      }
      break;
    case 0xC0:
      chaseBit = kChaseProgram; truantBit = kTruantProgram; store = &e.program;
      break;
    case 0xD0:
      chaseBit = kChaseChannelPressure; truantBit = kTruantChannelPressure; store = &e.channelPressure;
      break;
    case 0xE0:
      chaseBit = kChaseBend; truantBit = kTruantBend; store = &e.bendLsb; store2 = &e.bendMsb;
      break;
    default:
      return;  // notes are not chased
  }
  if (!(chase_ & chaseBit)) return;
  if (store && truantBit && Stored(truantBit)) {
    *store = v1;
    if (store2) *store2 = v2;
    return;
  }
  if (sink_) sink_->SendShort(port, Msg(status, d1, d2));
}

void ChaseEmitter::SysEx(int channelWord, const uint8_t* bytes, size_t length) {
  if (!(chase_ & kChaseSysEx) || !sink_) return;
  sink_->SendSysEx((channelWord >> 4) & 3, bytes, length);
}

void ChaseEmitter::Flush() {
  for (int i = 0; i < 64; ++i) {
    ChaseEntry& e = table_[i];
    const int port = i / 16, ch = i % 16;
    auto send = [&](int status, int d1, int d2) {
      if (sink_) sink_->SendShort(port, Msg(status | ch, d1, d2));
    };
    if (e.program >= 0 && (chase_ & kChaseProgram)) send(0xC0, e.program, 0);
    if (e.modulation >= 0 && (chase_ & kChaseControl)) send(0xB0, 1, e.modulation);
    if (e.volume >= 0 && (chase_ & kChaseControl)) send(0xB0, 7, e.volume);
    if (e.pan >= 0 && (chase_ & kChaseControl)) send(0xB0, 10, e.pan);
    if (e.expression >= 0 && (chase_ & kChaseControl)) send(0xB0, 11, e.expression);
    if (e.pressureKey >= 0 && (chase_ & kChaseKeyPressure)) send(0xA0, e.pressureKey, e.pressureValue);
    if (e.channelPressure >= 0 && (chase_ & kChaseChannelPressure)) send(0xD0, e.channelPressure, 0);
    if (e.bendLsb >= 0 && (chase_ & kChaseBend)) send(0xE0, e.bendLsb, e.bendMsb);
    e = ChaseEntry{};
  }
}
