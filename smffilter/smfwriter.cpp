#include "smfwriter.h"

void PutVarLen(std::vector<uint8_t>& out, uint32_t value) {
  if (value > kMaxVarLen) value = kMaxVarLen;
  uint8_t bytes[4];
  int n = 0;
  do {
    bytes[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<uint8_t>(bytes[--n] | 0x80));
  out.push_back(bytes[0]);
}

void PutBE16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void PutBE32(std::vector<uint8_t>& out, uint32_t value) {
  PutBE16(out, value >> 16);
  PutBE16(out, value & 0xFFFF);
}

void SmfWriter::Header(int format, int chunks, int division) {
  const uint8_t tag[] = {'M', 'T', 'h', 'd'};
  out_.insert(out_.end(), tag, tag + 4);
  PutBE32(out_, 6);
  PutBE16(out_, static_cast<uint32_t>(format));
  PutBE16(out_, static_cast<uint32_t>(chunks));
  PutBE16(out_, static_cast<uint32_t>(division));
}

void SmfWriter::BeginTrack() {
  const uint8_t tag[] = {'M', 'T', 'r', 'k'};
  out_.insert(out_.end(), tag, tag + 4);
  PutBE32(out_, 0);
  trackStart_ = out_.size();
  inTrack_ = true;
}

void SmfWriter::EndTrack(uint64_t delta) {
  if (!inTrack_) return;
  Meta(delta, 0x2F, nullptr, 0);
  uint32_t length = static_cast<uint32_t>(out_.size() - trackStart_);
  uint8_t* p = out_.data() + trackStart_ - 4;
  p[0] = static_cast<uint8_t>(length >> 24);
  p[1] = static_cast<uint8_t>(length >> 16);
  p[2] = static_cast<uint8_t>(length >> 8);
  p[3] = static_cast<uint8_t>(length);
  inTrack_ = false;
}

void SmfWriter::Delta(uint64_t delta) {
  while (delta > kMaxVarLen) {
    PutVarLen(out_, kMaxVarLen);
    const uint8_t filler[] = {0xFF, 0x7F, 0x00};
    out_.insert(out_.end(), filler, filler + 3);
    delta -= kMaxVarLen;
  }
  PutVarLen(out_, static_cast<uint32_t>(delta));
}

void SmfWriter::Meta(uint64_t delta, uint8_t type, const uint8_t* data, size_t length) {
  Delta(delta);
  out_.push_back(0xFF);
  out_.push_back(type);
  PutVarLen(out_, static_cast<uint32_t>(length));
  if (length) out_.insert(out_.end(), data, data + length);
}

void SmfWriter::Channel(uint64_t delta, uint8_t status, uint8_t data1, uint8_t data2) {
  Delta(delta);
  out_.push_back(status);
  out_.push_back(data1 & 0x7F);
  uint8_t type = status & 0xF0;
  if (type != 0xC0 && type != 0xD0) out_.push_back(data2 & 0x7F);
}

void SmfWriter::SysEx(uint64_t delta, const uint8_t* message, size_t length) {
  if (length == 0) return;
  Delta(delta);
  out_.push_back(0xF0);
  PutVarLen(out_, static_cast<uint32_t>(length - 1));
  out_.insert(out_.end(), message + 1, message + length);
}
