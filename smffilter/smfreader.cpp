#include "smfreader.h"

#include <cstring>

namespace {

uint32_t Be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// Offset of "MThd": after the prefix when the first byte is 0.
size_t HeaderStart(const uint8_t* image, size_t size) {
  return size > 0 && image[0] == 0 ? kSmfPrefixBytes : 0;
}

}  // namespace

bool IsSmfImage(const uint8_t* image, size_t size) {
  size_t start = HeaderStart(image, size);
  // "MThd", the length word and the format word.
  if (!image || size < start + 10) return false;
  const uint8_t* p = image + start;
  if (std::memcmp(p, "MThd", 4) != 0) return false;
  uint16_t format = Be16(p + 8);
  return format == 0 || format == 1;
}

SmfHeaderStatus ReadSmfHeader(const uint8_t* image, size_t size, SmfHeader* header) {
  size_t start = HeaderStart(image, size);
  if (!image || size < start + 8 || std::memcmp(image + start, "MThd", 4) != 0)
    return SmfHeaderStatus::kNotSmf;
  const uint8_t* p = image + start;
  if (Be32(p + 4) != 6 || size < start + 14) return SmfHeaderStatus::kBadLength;
  header->format = Be16(p + 8);
  if (header->format > 1) return SmfHeaderStatus::kBadFormat;
  header->trackCount = Be16(p + 10);
  header->division = Be16(p + 12);
  header->chunksStart = start + 14;
  return SmfHeaderStatus::kOk;
}

SmfChunkScan FindTrackChunks(const uint8_t* image, size_t size, const SmfHeader& header) {
  SmfChunkScan scan;
  size_t pos = header.chunksStart;
  int wanted = header.trackCount;
  while (static_cast<int>(scan.tracks.size()) < wanted) {
    if (size < 8 || pos > size - 8) break;
    const uint8_t* p = image + pos;
    size_t length = Be32(p + 4);
    size_t data = pos + 8;
    bool isTrack = std::memcmp(p, "MTrk", 4) == 0;
    if (length > size - data) {
      scan.truncated = true;
      length = size - data;
    }
    if (isTrack) {
      if (static_cast<int>(scan.tracks.size()) == kSmfMaxTrackChunks) {
        scan.tooMany = true;
        break;
      }
      scan.tracks.push_back({data, length});
    }
    pos = data + length;
  }
  if (!scan.tooMany && static_cast<int>(scan.tracks.size()) < wanted)
    scan.missing = wanted - static_cast<int>(scan.tracks.size());
  return scan;
}

size_t ReadVlq(const uint8_t* p, const uint8_t* end, uint32_t* value, bool* capped) {
  uint32_t v = 0;
  size_t used = 0;
  while (p + used < end && used < 4) {
    uint8_t b = p[used++];
    v = v << 7 | (b & 0x7F);
    if (!(b & 0x80)) {
      *value = v;
      return used;
    }
  }
  // Four bytes that all ask for more, or the data ran out.
  if (used == 4) *capped = true;
  *value = v;
  return used;
}

int ChannelDataBytes(uint8_t status) {
  uint8_t type = status & 0xF0;
  return type == 0xC0 || type == 0xD0 ? 1 : 2;
}

SmfTrackReader::SmfTrackReader(const uint8_t* image, const SmfChunk& chunk)
    : image_(image), p_(image + chunk.offset), end_(image + chunk.offset + chunk.length) {}

bool SmfTrackReader::Next(SmfRawEvent* event) {
  // The time of bytes passed over moves on to the next event.
  uint32_t carried = 0;
  while (!ended_) {
    if (p_ >= end_) {
      ended_ = true;
      break;
    }
    *event = SmfRawEvent{};
    bool capped = false;
    size_t used = 0;
    if (sameTime_) sameTime_ = false;
    else used = ReadVlq(p_, end_, &event->delta, &capped);
    capped_ = capped_ || capped;
    p_ += used;
    event->delta = carried > UINT32_MAX - event->delta ? UINT32_MAX : event->delta + carried;
    carried = event->delta;
    if (p_ >= end_) {
      // A delta time with no event after it.
      truncated_ = true;
      ended_ = true;
      break;
    }
    // Data bytes where no running status applies belong to no event.
    if (*p_ < 0x80 && !running_) {
      while (p_ < end_ && *p_ < 0x80) {
        ++p_;
        ++skipped_;
      }
      if (p_ >= end_) {
        ended_ = true;
        break;
      }
    }
    uint8_t status = *p_ >= 0x80 ? *p_++ : running_;
    if (status < 0xF0) {
      running_ = status;
      int count = ChannelDataBytes(status);
      if (end_ - p_ < count) {
        truncated_ = true;
        ended_ = true;
        break;
      }
      // A status byte where a data byte belongs cuts the message short:
      // what there is of it is dropped and the status byte starts the next
      // event at the same time.
      int have = 0;
      while (have < count && p_[have] < 0x80) ++have;
      if (have < count) {
        p_ += have;
        skipped_ += 1 + have;
        sameTime_ = true;
        continue;
      }
      event->status = status;
      event->data1 = p_[0];
      event->data2 = count == 2 ? p_[1] : 0;
      p_ += count;
      return true;
    }
    // Exclusive and meta events cancel running status.
    running_ = 0;
    if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
      if (status == 0xFF) {
        if (p_ >= end_) {
          truncated_ = true;
          ended_ = true;
          break;
        }
        event->data1 = *p_++;
      }
      uint32_t length = 0;
      bool lengthCapped = false;
      used = ReadVlq(p_, end_, &length, &lengthCapped);
      capped_ = capped_ || lengthCapped;
      p_ += used;
      if (used == 0 || static_cast<size_t>(end_ - p_) < length) {
        truncated_ = true;
        ended_ = true;
        break;
      }
      event->status = status;
      event->dataOffset = static_cast<size_t>(p_ - image_);
      event->dataLength = length;
      p_ += length;
      if (status == 0xFF && event->data1 == 0x2F) ended_ = true;
      return true;
    }
    // System common and real-time messages have no place in a file: the
    // status byte and the data bytes of its kind are passed over.
    ++skipped_;
    int data = status == 0xF2 ? 2 : status == 0xF1 || status == 0xF3 ? 1 : 0;
    for (; data > 0 && p_ < end_ && *p_ < 0x80; --data) {
      ++p_;
      ++skipped_;
    }
  }
  return false;
}
