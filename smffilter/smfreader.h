// Bounds-checked reading of a Standard MIDI File image: the header chunk,
// the track chunks and the events of one track chunk. Nothing here reads
// outside the image, whatever it holds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Images whose first byte is 0 carry a 128-byte prefix before "MThd".
constexpr size_t kSmfPrefixBytes = 128;
// Track chunks beyond this many are not read.
constexpr int kSmfMaxTrackChunks = 512;

// True when the image is a Standard MIDI File of format 0 or 1 (the header
// chunk's type and format word; the rest is left to the import).
bool IsSmfImage(const uint8_t* image, size_t size);

enum class SmfHeaderStatus { kOk, kNotSmf, kBadLength, kBadFormat };

struct SmfHeader {
  size_t chunksStart = 0;   // offset of the first chunk after the header chunk
  uint16_t format = 0;
  uint16_t trackCount = 0;  // track chunks the header announces
  uint16_t division = 0;    // ticks per quarter note
};

SmfHeaderStatus ReadSmfHeader(const uint8_t* image, size_t size, SmfHeader* header);

struct SmfChunk {
  size_t offset = 0;  // of the chunk's data
  size_t length = 0;  // bytes of data inside the image
};

struct SmfChunkScan {
  std::vector<SmfChunk> tracks;
  bool truncated = false;   // a chunk runs past the image's end
  int missing = 0;          // announced track chunks not found
  bool tooMany = false;     // more than kSmfMaxTrackChunks announced and present
};

// The "MTrk" chunks after the header, at most the announced count (and at
// most kSmfMaxTrackChunks); other chunks are passed over by their length.
SmfChunkScan FindTrackChunks(const uint8_t* image, size_t size, const SmfHeader& header);

// Reads a variable-length number of at most four bytes at p (before end).
// Returns the bytes used (0 when none is left); *capped is set when the
// fourth byte still asks for more.
size_t ReadVlq(const uint8_t* p, const uint8_t* end, uint32_t* value, bool* capped);

// One event of a track chunk.
struct SmfRawEvent {
  uint32_t delta = 0;
  uint8_t status = 0;      // 0x80-0xEF channel, 0xF0 / 0xF7 exclusive, 0xFF meta
  uint8_t data1 = 0;       // channel data, or the meta type
  uint8_t data2 = 0;
  size_t dataOffset = 0;   // exclusive and meta data in the image
  size_t dataLength = 0;
};

// Walks the events of one track chunk. Running status is honoured and is
// cancelled by exclusive and meta events; data bytes where no status applies
// and status bytes that have no place in a file are skipped. The track ends
// at FF 2F or at its chunk's end, whichever comes first.
class SmfTrackReader {
 public:
  SmfTrackReader(const uint8_t* image, const SmfChunk& chunk);
  // The next event, false at the end of the track (FF 2F itself is returned).
  bool Next(SmfRawEvent* event);
  bool truncated() const { return truncated_; }  // an event ran past the chunk
  int skippedBytes() const { return skipped_; }  // bytes that made no event
  bool cappedNumber() const { return capped_; }

 private:
  const uint8_t* image_;
  const uint8_t* p_;
  const uint8_t* end_;
  uint8_t running_ = 0;
  bool ended_ = false;
  bool truncated_ = false;
  bool capped_ = false;
  bool sameTime_ = false;  // the next event has no delta time of its own
  int skipped_ = 0;
};

// Data bytes that follow a channel status byte.
int ChannelDataBytes(uint8_t status);
