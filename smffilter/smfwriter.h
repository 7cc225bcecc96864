// Bytes of a Standard MIDI File: big-endian numbers, variable-length
// quantities and chunks whose length is filled in when they are closed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The largest number a variable-length quantity of four bytes holds.
constexpr uint32_t kMaxVarLen = 0x0FFFFFFF;

// Seven bits a byte, most significant first, bit 7 set on all but the last;
// values above kMaxVarLen are written as kMaxVarLen.
void PutVarLen(std::vector<uint8_t>& out, uint32_t value);
void PutBE16(std::vector<uint8_t>& out, uint32_t value);
void PutBE32(std::vector<uint8_t>& out, uint32_t value);

class SmfWriter {
 public:
  explicit SmfWriter(std::vector<uint8_t>& out) : out_(out) {}

  void Header(int format, int chunks, int division);
  void BeginTrack();
  // Writes the end-of-track event after delta and fills in the length.
  void EndTrack(uint64_t delta);

  // Every event is written after its delta time. A delta too long for one
  // quantity is carried by empty sequencer-specific events that readers skip.
  void Meta(uint64_t delta, uint8_t type, const uint8_t* data, size_t length);
  // Status with its channel; one data byte for program change and channel
  // pressure, two for the others. Always the full status byte.
  void Channel(uint64_t delta, uint8_t status, uint8_t data1, uint8_t data2);
  // An exclusive message given whole, from F0 to F7.
  void SysEx(uint64_t delta, const uint8_t* message, size_t length);

  size_t Size() const { return out_.size(); }

 private:
  void Delta(uint64_t delta);
  std::vector<uint8_t>& out_;
  size_t trackStart_ = 0;
  bool inTrack_ = false;
};
