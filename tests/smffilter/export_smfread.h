// A plain reader of the Standard MIDI Files the export writes, so that the
// export tests can look at events by time rather than at raw bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace smfread {

struct Event {
  uint32_t tick = 0;            // absolute, in file ticks
  std::vector<uint8_t> bytes;   // status (FF type for metas, F0) and data, length fields left out
  uint8_t Status() const { return bytes.empty() ? 0 : bytes[0]; }
  bool IsMeta(uint8_t type) const { return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == type; }
};

struct File {
  bool ok = false;
  int format = -1, chunkCount = 0, division = 0;
  std::vector<std::vector<Event>> tracks;
};

inline bool ReadVlq(const std::vector<uint8_t>& d, size_t& p, size_t end, uint32_t& v) {
  v = 0;
  for (int i = 0; i < 4; ++i) {
    if (p >= end) return false;
    uint8_t b = d[p++];
    v = (v << 7) | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

inline uint32_t Be(const std::vector<uint8_t>& d, size_t p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | d[p + i];
  return v;
}

// Strict: every chunk length must match, every track must end with FF 2F,
// no running status is expected.
inline File Read(const std::vector<uint8_t>& d) {
  File f;
  if (d.size() < 14 || std::string(d.begin(), d.begin() + 4) != "MThd" || Be(d, 4, 4) != 6) return f;
  f.format = static_cast<int>(Be(d, 8, 2));
  f.chunkCount = static_cast<int>(Be(d, 10, 2));
  f.division = static_cast<int>(Be(d, 12, 2));
  size_t p = 14;
  while (p < d.size()) {
    if (p + 8 > d.size() || std::string(d.begin() + p, d.begin() + p + 4) != "MTrk") return f;
    size_t end = p + 8 + Be(d, p + 4, 4);
    if (end > d.size()) return f;
    p += 8;
    std::vector<Event> track;
    uint32_t now = 0;
    bool ended = false;
    while (p < end && !ended) {
      uint32_t delta, len;
      if (!ReadVlq(d, p, end, delta) || p >= end) return f;
      now += delta;
      Event e;
      e.tick = now;
      uint8_t s = d[p++];
      e.bytes.push_back(s);
      if (s == 0xFF) {
        if (p >= end) return f;
        e.bytes.push_back(d[p++]);
        if (!ReadVlq(d, p, end, len) || p + len > end) return f;
        e.bytes.insert(e.bytes.end(), d.begin() + p, d.begin() + p + len);
        p += len;
        ended = e.bytes[1] == 0x2F;
      } else if (s == 0xF0) {
        if (!ReadVlq(d, p, end, len) || p + len > end) return f;
        e.bytes.insert(e.bytes.end(), d.begin() + p, d.begin() + p + len);
        p += len;
      } else if (s >= 0x80 && s < 0xF0) {
        int n = ((s & 0xF0) == 0xC0 || (s & 0xF0) == 0xD0) ? 1 : 2;
        if (p + n > end) return f;
        for (int i = 0; i < n; ++i) {
          if (d[p] & 0x80) return f;
          e.bytes.push_back(d[p++]);
        }
      } else {
        return f;
      }
      track.push_back(e);
    }
    if (!ended || p != end) return f;
    f.tracks.push_back(track);
  }
  f.ok = static_cast<int>(f.tracks.size()) == f.chunkCount;
  return f;
}

// The channel messages of a track (metas and exclusives left out).
inline std::vector<Event> ChannelEvents(const std::vector<Event>& track) {
  std::vector<Event> out;
  for (const auto& e : track)
    if (e.Status() >= 0x80 && e.Status() < 0xF0) out.push_back(e);
  return out;
}

inline std::vector<Event> Metas(const std::vector<Event>& track, uint8_t type) {
  std::vector<Event> out;
  for (const auto& e : track)
    if (e.IsMeta(type)) out.push_back(e);
  return out;
}

}  // namespace smfread
