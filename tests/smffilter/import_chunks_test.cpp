// Every chunk of a file is read on its own: a track made from one chunk of a
// many-chunk file is the track that chunk gives when it is the file's only
// track besides the conductor. Chunks of every shape follow one another,
// long before short, so that nothing one leaves behind (notes still
// sounding, storage, the port, the channel) reaches the next.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "smfimport.h"
#include "songfixture.h"

using namespace songfixture;

namespace {

SmfImportResult Import(const std::string& image, const SmfImportOptions& options = {}) {
  return ImportSmf(reinterpret_cast<const uint8_t*>(image.data()), image.size(), options);
}

// A fixed pseudo-random sequence, so that every run builds the same files.
class Lcg {
 public:
  explicit Lcg(uint32_t seed) : s_(seed) {}
  uint32_t Next(uint32_t n) {
    s_ = s_ * 1664525u + 1013904223u;
    return (s_ >> 8) % n;
  }

 private:
  uint32_t s_;
};

struct ChunkShape {
  int channel;        // of every channel event but the strays
  int notes;
  bool runningStatus;
  bool ports;         // a port event before the notes
  bool strays;        // events of another channel, which the track leaves out
  bool hanging;       // notes left sounding at the chunk's end
  bool extras;        // controllers, programs, bends, texts and an exclusive
};

// Track data of one chunk: notes of random keys, gates and rests, a key
// struck again before its note-off now and then, note-offs of keys that do
// not sound.
std::string ChunkEvents(const ChunkShape& c, uint32_t seed) {
  Lcg r(seed);
  std::string s;
  if (c.ports) s += Meta(0, 0x21, std::string(1, static_cast<char>(r.Next(2))));
  if (c.extras) s += Meta(0, 0x03, "part " + std::to_string(seed));
  uint8_t running = 0;
  auto channel = [&](uint32_t delta, int status, int d1, int d2, bool two) {
    s += Vlq(delta);
    if (!c.runningStatus || status != running) s += static_cast<char>(status);
    running = static_cast<uint8_t>(status);
    s += static_cast<char>(d1);
    if (two) s += static_cast<char>(d2);
  };
  auto meta = [&](const std::string& m) {
    s += m;
    running = 0;  // a meta event cancels running status
  };
  int ch = c.channel;
  for (int i = 0; i < c.notes; ++i) {
    int key = 40 + static_cast<int>(r.Next(24));
    channel(r.Next(4) == 0 ? 0 : r.Next(500), 0x90 | ch, key, 1 + static_cast<int>(r.Next(127)), true);
    if (c.extras && r.Next(8) == 0) channel(0, 0xB0 | ch, 7, static_cast<int>(r.Next(128)), true);
    if (c.extras && r.Next(16) == 0) channel(r.Next(30), 0xC0 | ch, static_cast<int>(r.Next(128)), 0, false);
    if (c.extras && r.Next(16) == 0) channel(0, 0xE0 | ch, 0, static_cast<int>(r.Next(128)), true);
    if (c.extras && r.Next(40) == 0) meta(Meta(r.Next(50), 0x01, "cue " + std::to_string(i)));
    if (c.extras && r.Next(60) == 0) {
      s += Vlq(0) + std::string("\xF0\x04\x41\x10\x42\xF7", 6);
      running = 0;
    }
    if (c.strays && r.Next(5) == 0) channel(r.Next(20), 0x90 | ((ch + 1) % 16), key, 90, true);
    if (c.strays && r.Next(5) == 0) channel(r.Next(20), 0x80 | ((ch + 1) % 16), key, 0, true);
    if (r.Next(20) == 0) channel(r.Next(10), 0x80 | ch, (key + 1) % 128, 0, true);  // nothing sounds
    if (c.hanging && r.Next(6) == 0) continue;
    if (r.Next(10) == 0) continue;  // ended by the key's next note-on, or the chunk's end
    uint32_t gate = r.Next(8) == 0 ? 1000 + r.Next(4000) : 1 + r.Next(700);
    // Half of the note-offs as note-ons of velocity 0.
    if (r.Next(2) == 0) channel(gate, 0x80 | ch, key, 64, true);
    else channel(gate, 0x90 | ch, key, 0, true);
  }
  return s;
}

// A conductor whose values every track shares: title, one tempo, a change
// of beat and a change of key.
std::string Conductor() {
  return Track(Meta(0, 0x03, "Suite") + Meta(0, 0x51, std::string("\x07\xA1\x20", 3)) +
               Meta(0, 0x58, std::string("\x04\x02\x18\x08", 4)) + Meta(0, 0x59, std::string("\x01\x00", 2)) +
               Meta(7680, 0x58, std::string("\x03\x02\x18\x08", 4)) +
               Meta(5760, 0x59, std::string("\xFE\x01", 2)));
}

std::vector<ChunkShape> Shapes() {
  return {
      // channel, notes, running status, ports, strays, hanging, extras
      {0, 3000, false, false, false, false, false},
      {1, 40, true, false, true, true, false},
      {2, 0, false, false, false, false, false},
      {3, 1500, true, true, true, true, true},
      {9, 1, false, false, false, true, false},
      {4, 2500, false, false, true, false, true},
      {4, 200, true, true, false, true, true},
      {15, 900, false, false, false, true, false},
      {5, 10, true, false, true, false, true},
  };
}

void ExpectSameTrack(const SmfImportTrack& alone, const SmfImportTrack& among) {
  EXPECT_EQ(alone.header.channel, among.header.channel);
  EXPECT_EQ(std::string(alone.header.comment, 36), std::string(among.header.comment, 36));
  ASSERT_EQ(alone.events.size(), among.events.size());
  for (size_t i = 0; i < alone.events.size(); ++i) ASSERT_EQ(alone.events[i], among.events[i]) << i;
}

TEST(SmfImportChunks, EachTrackOfAFormat1FileIsItsChunkReadAlone) {
  std::vector<ChunkShape> shapes = Shapes();
  std::vector<std::string> chunks{Conductor()};
  for (size_t k = 0; k < shapes.size(); ++k)
    chunks.push_back(Track(ChunkEvents(shapes[k], static_cast<uint32_t>(k + 1))));
  // A truncated chunk past the last track the reading fills: nothing of it
  // is kept, but its damage is told.
  std::string cut = Track(ChunkEvents(shapes[0], 99));
  chunks.push_back(cut.substr(0, cut.size() / 2));
  SmfImportOptions o;
  o.maxTrack = static_cast<int>(shapes.size());
  SmfImportResult all = Import(Smf(1, 480, chunks), o);
  ASSERT_EQ(SmfImportStatus::kOk, all.status);
  ASSERT_EQ(shapes.size(), all.tracks.size());
  EXPECT_TRUE(all.report.trackLimit);
  EXPECT_TRUE(all.report.truncated);
  EXPECT_EQ(3, all.beatNum);
  EXPECT_EQ(1, all.key);  // the first key is the song's; the later one is a key change
  size_t notes = 0;
  for (size_t k = 0; k < shapes.size(); ++k) {
    SCOPED_TRACE(k);
    SmfImportResult alone = Import(Smf(1, 480, {chunks[0], chunks[k + 1]}), o);
    ASSERT_EQ(SmfImportStatus::kOk, alone.status);
    ASSERT_EQ(1u, alone.tracks.size());
    EXPECT_FALSE(alone.report.truncated);
    EXPECT_TRUE(alone.report.fullTracks.empty());
    ExpectSameTrack(alone.tracks[0], all.tracks[k]);
    for (const StepEvent& e : all.tracks[k].events) notes += e.code < 0x80 && e.vel > 0;
  }
  // The chunks' notes are there (ties add some).
  EXPECT_GT(notes, 7000u);
}

TEST(SmfImportChunks, NotesLeftSoundingEndWithTheirOwnChunk) {
  // The first chunk leaves five keys sounding; the next, on the same port
  // and channel, plays ten other notes and then strikes those five keys.
  std::string sounding;
  for (int k = 0; k < 5; ++k) sounding += Ev(0, {0x90, 60 + k, 100});
  sounding += Ev(960, {0x80, 30, 0});  // a note-off of a silent key: only time passes
  std::string later;
  for (int k = 0; k < 10; ++k) later += Ev(0, {0x90, 40 + k, 100}) + Ev(120, {0x80, 40 + k, 0});
  for (int k = 0; k < 5; ++k) later += Ev(0, {0x90, 60 + k, 90}) + Ev(240, {0x90, 60 + k, 0});
  std::string conductor = Track(Meta(0, 0x51, std::string("\x07\xA1\x20", 3)));
  SmfImportResult all = Import(Smf(1, 480, {conductor, Track(sounding), Track(later)}));
  ASSERT_EQ(SmfImportStatus::kOk, all.status);
  ASSERT_EQ(2u, all.tracks.size());
  const std::vector<StepEvent>& first = all.tracks[0].events;
  ASSERT_GE(first.size(), 5u);
  // The last note of a track holds the rest of its measure as its step.
  for (int k = 0; k < 4; ++k) EXPECT_EQ((StepEvent{static_cast<uint8_t>(60 + k), 100, 0, 960}), first[k]) << k;
  EXPECT_EQ((StepEvent{64, 100, 1920, 960}), first[4]);
  const std::vector<StepEvent>& second = all.tracks[1].events;
  ASSERT_GE(second.size(), 15u);
  for (int k = 0; k < 10; ++k) EXPECT_EQ((StepEvent{static_cast<uint8_t>(40 + k), 100, 120, 120}), second[k]) << k;
  size_t at = 10;
  for (int k = 0; k < 5; ++k, ++at) {
    if (second[at].code == 0xFD) ++at;  // the bar line after 1920 ticks
    uint16_t step = k < 4 ? 240 : 1680;
    EXPECT_EQ((StepEvent{static_cast<uint8_t>(60 + k), 90, step, 240}), second[at]) << k;
  }
  SmfImportResult alone = Import(Smf(1, 480, {conductor, Track(later)}));
  ASSERT_EQ(1u, alone.tracks.size());
  ExpectSameTrack(alone.tracks[0], all.tracks[1]);
}

TEST(SmfImportChunks, EachChannelOfMergedChunksIsItsChunkReadAlone) {
  // Merged, a channel's track takes that channel's events from every chunk:
  // one chunk a channel, no port events, no exclusives (they go to track 1).
  std::vector<ChunkShape> shapes = Shapes();
  std::vector<std::string> chunks{Conductor()};
  std::vector<int> channels;
  for (size_t k = 0; k < shapes.size(); ++k) {
    ChunkShape c = shapes[k];
    c.channel = static_cast<int>(k) + 1;
    c.ports = c.strays = c.extras = false;
    channels.push_back(c.channel);
    chunks.push_back(Track(ChunkEvents(c, static_cast<uint32_t>(k + 50))));
  }
  SmfImportOptions o;
  o.format1Mix = 0;
  SmfImportResult all = Import(Smf(1, 480, chunks), o);
  ASSERT_EQ(SmfImportStatus::kOk, all.status);
  ASSERT_EQ(16u, all.tracks.size());
  for (size_t k = 0; k < shapes.size(); ++k) {
    SCOPED_TRACE(k);
    SmfImportResult alone = Import(Smf(1, 480, {chunks[0], chunks[k + 1]}), o);
    ASSERT_EQ(16u, alone.tracks.size());
    ExpectSameTrack(alone.tracks[channels[k]], all.tracks[channels[k]]);
  }
}

}  // namespace
