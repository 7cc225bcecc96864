// Helpers of the round-trip checks (here and in the real-file test): a
// song made from an import, and the notes a song plays, read from its
// format-0 export.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "export_smfread.h"
#include "playsong.h"
#include "smfexport.h"
#include "smfimport.h"

namespace roundtrip {

inline PlaySong SongOf(const SmfImportResult& r) {
  SongHeader h;
  std::memset(&h, 0, sizeof h);
  std::memcpy(h.signature, "HALVERSTROMMA CANTORELLE ZKP3.0", 31);
  std::memcpy(h.title, r.title, sizeof h.title);
  std::memcpy(h.memo, r.memo, sizeof h.memo);
  h.timeBase = r.timeBase;
  h.tempo = r.tempo;
  h.beatNum = r.beatNum;
  h.beatDen = r.beatDen;
  h.key = r.key;
  for (auto& slot : h.userExcl) std::memset(slot.data, 0xF7, sizeof slot.data);
  std::vector<TrackHeader> headers;
  std::vector<std::vector<StepEvent>> events;
  for (const auto& t : r.tracks) {
    headers.push_back(t.header);
    events.push_back(t.events);
  }
  h.trackCount = static_cast<uint16_t>(headers.size());
  PlaySong song;
  MakePlaySong(h, headers, events, song);
  return song;
}

// A comment as the song holds it: 0xF6 and ten 0xF7, five text bytes each,
// blank-padded (at most 55 bytes).
inline std::vector<StepEvent> CommentGroup(const std::string& text) {
  std::string padded = text.substr(0, 55);
  padded += std::string(55 - padded.size(), ' ');
  std::vector<StepEvent> group;
  for (int g = 0; g < 11; ++g) {
    StepEvent e;
    auto* b = reinterpret_cast<uint8_t*>(&e);
    b[0] = g == 0 ? 0xF6 : 0xF7;
    std::memcpy(b + 1, padded.data() + g * 5, 5);
    group.push_back(e);
  }
  return group;
}

inline SmfImportResult Import(const std::vector<uint8_t>& image, const SmfImportOptions& o = {}) {
  return ImportSmf(image.data(), image.size(), o);
}

inline std::vector<uint8_t> Export(const PlaySong& song, int format, int timeBase = 480) {
  SmfExportOptions o;
  o.format = format;
  o.timeBase = timeBase;
  std::vector<uint8_t> image;
  ExportSmf(song, o, image);
  return image;
}

// Note-ons and note-ends of the song as played, at 480 ticks a quarter:
// (tick, channel, key, velocity), velocity 0 for an end; sorted.
using Note = std::tuple<uint32_t, int, int, int>;
inline std::vector<Note> NotesOf(const PlaySong& song) {
  smfread::File f = smfread::Read(Export(song, 0));
  std::vector<Note> notes;
  for (const auto& track : f.tracks)
    for (const auto& e : track) {
      int type = e.Status() & 0xF0;
      if (type == 0x90) notes.emplace_back(e.tick, e.Status() & 0x0F, e.bytes[1], e.bytes[2]);
      if (type == 0x80) notes.emplace_back(e.tick, e.Status() & 0x0F, e.bytes[1], 0);
    }
  std::sort(notes.begin(), notes.end());
  return notes;
}

}  // namespace roundtrip
