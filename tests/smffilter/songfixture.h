// Songs in memory for the filter tests: a SongHandleTable built from step
// events, read back after an import or handed to an export, and Standard
// MIDI File images put together byte by byte.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "zk/song.h"

namespace songfixture {

struct TrackFixture {
  uint8_t channel = 0;          // channel + 16 x port, 0xFF none
  std::vector<StepEvent> events;  // the end event is added when missing
  uint8_t keyShift = 0x80;
  int8_t stepShift = 0;
  uint8_t mode = 0;             // bit 0 muted
  uint8_t rhythm = 0;
  std::string comment;          // blank-padded to 36 bytes
};

inline void PutText(char* field, size_t size, const std::string& text) {
  std::memset(field, ' ', size);
  std::memcpy(field, text.data(), text.size() < size ? text.size() : size);
}

// Time base 480, tempo 120, 4/4, C major unless given otherwise.
inline SongHeader MakeHeader(uint16_t timeBase = 480, uint16_t tempo = 120, uint8_t beatNum = 4,
                             uint8_t beatDen = 4, uint8_t key = 0, const std::string& title = "") {
  SongHeader h;
  std::memset(&h, 0, sizeof h);
  std::memcpy(h.signature, "HALVERSTROMMA CANTORELLE ZKP3.0", 31);
  PutText(h.title, sizeof h.title, title);
  std::memset(h.memo, ' ', sizeof h.memo);
  h.timeBase = timeBase;
  h.tempo = tempo;
  h.beatNum = beatNum;
  h.beatDen = beatDen;
  h.key = key;
  for (auto& slot : h.userExcl) {
    PutText(slot.name, sizeof slot.name, "USER EXCLUSIVE");
    std::memset(slot.data, 0xF7, sizeof slot.data);
  }
  return h;
}

template <typename T>
HGLOBAL NewBlock(const T* data, size_t bytes, size_t blockBytes) {
  HGLOBAL h = GlobalAlloc(kShareableZeroed, blockBytes);
  if (h && bytes) {
    std::memcpy(GlobalLock(h), data, bytes);
    GlobalUnlock(h);
  }
  return h;
}

inline HGLOBAL BlockOf(const std::string& bytes) {
  return NewBlock(bytes.data(), bytes.size(), bytes.empty() ? 1 : bytes.size());
}

inline std::string BytesOf(HGLOBAL block, size_t length) {
  std::string s(static_cast<const char*>(GlobalLock(block)), length);
  GlobalUnlock(block);
  return s;
}

// A global SongHandleTable: header, then each track's header and a full
// event block. The header's track count is set to the number of tracks.
inline HGLOBAL NewSongTable(SongHeader header, const std::vector<TrackFixture>& tracks) {
  HGLOBAL tableBlock = GlobalAlloc(kShareableZeroed, sizeof(SongHandleTable));
  auto* table = static_cast<SongHandleTable*>(GlobalLock(tableBlock));
  header.trackCount = static_cast<uint16_t>(tracks.size());
  table->h[kHeaderEntry] = NewBlock(&header, sizeof header, sizeof header);
  for (size_t i = 0; i < tracks.size() && i < static_cast<size_t>(kMaxTracks); ++i) {
    const TrackFixture& t = tracks[i];
    int k = static_cast<int>(i) + 1;
    TrackHeader th;
    std::memset(&th, 0, sizeof th);
    th.number = static_cast<uint8_t>(k);
    th.channel = t.channel;
    th.keyShift = t.keyShift;
    th.stepShift = t.stepShift;
    th.mode = t.mode;
    th.rhythm = t.rhythm;
    PutText(th.comment, sizeof th.comment, t.comment);
    std::vector<StepEvent> events = t.events;
    if (events.empty() || events.back().code != kEndCode) events.push_back(EndEvent());
    th.size = static_cast<uint32_t>(sizeof th + events.size() * sizeof(StepEvent));
    table->h[TrackHeaderEntry(k)] = NewBlock(&th, sizeof th, sizeof th);
    table->h[TrackEventsEntry(k)] =
        NewBlock(events.data(), events.size() * sizeof(StepEvent), kFullBlockBytes);
  }
  GlobalUnlock(tableBlock);
  return tableBlock;
}

// An empty table such as a host hands to an import: only a header.
inline HGLOBAL NewEmptySongTable(const SongHeader& header = MakeHeader()) {
  return NewSongTable(header, {});
}

inline HGLOBAL Entry(HGLOBAL tableBlock, int entry) {
  auto* table = static_cast<SongHandleTable*>(GlobalLock(tableBlock));
  HGLOBAL h = table->h[entry];
  GlobalUnlock(tableBlock);
  return h;
}

inline SongHeader HeaderOf(HGLOBAL tableBlock) {
  SongHeader h;
  std::memset(&h, 0, sizeof h);
  if (HGLOBAL block = Entry(tableBlock, kHeaderEntry)) {
    std::memcpy(&h, GlobalLock(block), sizeof h);
    GlobalUnlock(block);
  }
  return h;
}

inline TrackHeader TrackHeaderOf(HGLOBAL tableBlock, int k) {
  TrackHeader t;
  std::memset(&t, 0, sizeof t);
  if (HGLOBAL block = Entry(tableBlock, TrackHeaderEntry(k))) {
    std::memcpy(&t, GlobalLock(block), sizeof t);
    GlobalUnlock(block);
  }
  return t;
}

// The events of track k before its end event (none when it has no block).
inline std::vector<StepEvent> TrackEvents(HGLOBAL tableBlock, int k) {
  std::vector<StepEvent> out;
  HGLOBAL block = Entry(tableBlock, TrackEventsEntry(k));
  if (!block) return out;
  size_t slots = GlobalSize(block) / sizeof(StepEvent);
  const auto* e = static_cast<const StepEvent*>(GlobalLock(block));
  for (size_t i = 0; i < slots && e[i].code != kEndCode; ++i) out.push_back(e[i]);
  GlobalUnlock(block);
  return out;
}

inline void FreeSongTable(HGLOBAL tableBlock) {
  if (!tableBlock) return;
  auto* table = static_cast<SongHandleTable*>(GlobalLock(tableBlock));
  for (HGLOBAL h : table->h)
    if (h) GlobalFree(h);
  GlobalUnlock(tableBlock);
  GlobalFree(tableBlock);
}

// Standard MIDI File pieces.
inline std::string Be16(uint16_t v) {
  return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}
inline std::string Be32(uint32_t v) { return Be16(static_cast<uint16_t>(v >> 16)) + Be16(static_cast<uint16_t>(v)); }
inline std::string Vlq(uint32_t v) {
  std::string s(1, static_cast<char>(v & 0x7F));
  while (v >>= 7) s.insert(s.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  return s;
}
inline std::string Chunk(const std::string& type, const std::string& data) {
  return type + Be32(static_cast<uint32_t>(data.size())) + data;
}
// Track data: the given events (delta times included) and FF 2F 00.
inline std::string Track(const std::string& events) {
  return Chunk("MTrk", events + std::string("\x00\xFF\x2F\x00", 4));
}
inline std::string Smf(uint16_t format, uint16_t division, const std::vector<std::string>& tracks) {
  std::string s = Chunk("MThd", Be16(format) + Be16(static_cast<uint16_t>(tracks.size())) + Be16(division));
  for (const auto& t : tracks) s += t;
  return s;
}
// One event: delta, then the bytes.
inline std::string Ev(uint32_t delta, std::initializer_list<int> bytes) {
  std::string s = Vlq(delta);
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}
inline std::string Meta(uint32_t delta, int type, const std::string& data) {
  return Vlq(delta) + '\xFF' + static_cast<char>(type) + Vlq(static_cast<uint32_t>(data.size())) + data;
}

}  // namespace songfixture

inline bool operator==(const StepEvent& a, const StepEvent& b) {
  return a.code == b.code && a.vel == b.vel && a.step == b.step && a.gate == b.gate;
}
inline void PrintTo(const StepEvent& e, std::ostream* os) {
  *os << "{" << int(e.code) << "," << int(e.vel) << "," << e.step << "," << e.gate << "}";
}
