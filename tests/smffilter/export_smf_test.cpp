// The song played into a Standard MIDI File: bytes, timing, ports, tempo and
// what the conversion flags drop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "export_roundtrip.h"
#include "export_smfread.h"
#include "playsong.h"
#include "smfexport.h"
#include "smfwriter.h"
#include "songfixture.h"

using namespace songfixture;
using roundtrip::CommentGroup;
using smfread::Event;

namespace {

StepEvent Ev6(int code, int vel, int step, int gate) {
  return StepEvent{static_cast<uint8_t>(code), static_cast<uint8_t>(vel), static_cast<uint16_t>(step),
                   static_cast<uint16_t>(gate)};
}

std::vector<uint8_t> ExportOf(const SongHeader& header, const std::vector<TrackFixture>& tracks,
                              const SmfExportOptions& options = {}) {
  HGLOBAL table = NewSongTable(header, tracks);
  PlaySong song;
  EXPECT_TRUE(CopyPlaySong(table, static_cast<int>(tracks.size()), song));
  FreeSongTable(table);
  std::vector<uint8_t> image;
  EXPECT_EQ(ExportSmf(song, options, image), SmfExportStatus::kOk);
  return image;
}

smfread::File Read(const std::vector<uint8_t>& image) {
  smfread::File f = smfread::Read(image);
  EXPECT_TRUE(f.ok) << "the file does not parse";
  return f;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> v;
  for (int b : list) v.push_back(static_cast<uint8_t>(b));
  return v;
}

TrackFixture OneTrack(uint8_t channel, std::vector<StepEvent> events) {
  TrackFixture t;
  t.channel = channel;
  t.events = std::move(events);
  return t;
}

}  // namespace

TEST(SmfWriter, VariableLengthQuantities) {
  struct Case {
    uint32_t value;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {0, {0x00}},
      {0x40, {0x40}},
      {0x7F, {0x7F}},
      {0x80, {0x81, 0x00}},
      {240, {0x81, 0x70}},
      {0x2000, {0xC0, 0x00}},
      {0x3FFF, {0xFF, 0x7F}},
      {0x4000, {0x81, 0x80, 0x00}},
      {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
      {0x200000, {0x81, 0x80, 0x80, 0x00}},
      {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
      {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},  // never a fifth byte
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> out;
    PutVarLen(out, c.value);
    EXPECT_EQ(out, c.bytes) << c.value;
  }
}

TEST(SmfWriter, ChunkLengthAndLongDelta) {
  std::vector<uint8_t> out;
  SmfWriter w(out);
  w.BeginTrack();
  // Longer than one quantity holds: the rest rides on a filler event.
  w.Channel(uint64_t(kMaxVarLen) + 5, 0x90, 60, 100);
  w.Channel(0, 0xC3, 5, 99);  // one data byte only
  w.EndTrack(0);
  std::vector<uint8_t> expected = Bytes({'M', 'T', 'r', 'k', 0, 0, 0, 18, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF,
                                         0x7F, 0x00, 0x05, 0x90, 60, 100, 0x00, 0xC3, 5, 0x00, 0xFF,
                                         0x2F, 0x00});
  EXPECT_EQ(out, expected);
}

// The one-note song: conductor metas, the port, the note and its end, and
// the end of track after the note's step.
TEST(SmfExport, OneNoteSongByteForByte) {
  SongHeader h = MakeHeader(480, 120, 4, 4, 0, "ONE NOTE");
  std::vector<uint8_t> image = ExportOf(h, {OneTrack(0x00, {Ev6(60, 100, 480, 240)})});

  std::vector<uint8_t> expected = Bytes({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0});
  std::vector<uint8_t> body = Bytes({0x00, 0xFF, 0x03, 0x40});
  body.insert(body.end(), h.title, h.title + 64);
  std::vector<uint8_t> rest = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,
                                     0x00, 0xFF, 0x59, 0x02, 0x00, 0x00,
                                     0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,
                                     0x00, 0xFF, 0x21, 0x01, 0x00,
                                     0x00, 0x90, 0x3C, 100,
                                     0x81, 0x70, 0x90, 0x3C, 0x00,
                                     0x81, 0x70, 0xFF, 0x2F, 0x00});
  body.insert(body.end(), rest.begin(), rest.end());
  std::vector<uint8_t> chunk = Bytes({'M', 'T', 'r', 'k'});
  PutBE32(chunk, static_cast<uint32_t>(body.size()));
  chunk.insert(chunk.end(), body.begin(), body.end());
  expected.insert(expected.end(), chunk.begin(), chunk.end());
  EXPECT_EQ(image, expected);
}

// Song ticks become file ticks exactly, also for time bases that do not
// divide 480; what does not fit waits for the next event.
TEST(SmfExport, TimeBases) {
  struct Case {
    uint16_t songBase;
    int exportBase;
    int noteStep, gate;
    uint32_t offAt, endAt;
  } cases[] = {
      {480, 480, 480, 240, 240, 480},
      {480, 96, 480, 240, 48, 96},
      {480, 48, 480, 240, 24, 48},
      {96, 480, 96, 48, 240, 480},
      {100, 480, 100, 50, 240, 480},   // not a divisor of 480
      {100, 100, 100, 50, 50, 100},
      {480, 96, 481, 241, 48, 96},     // a remainder does not move the end early
      {0, 480, 480, 240, 240, 480},    // a time base of 0 is taken as 480
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.songBase << " -> " << c.exportBase);
    SmfExportOptions o;
    o.timeBase = c.exportBase;
    smfread::File f = Read(ExportOf(MakeHeader(c.songBase), {OneTrack(0, {Ev6(60, 90, c.noteStep, c.gate)})}, o));
    ASSERT_EQ(f.tracks.size(), 1u);
    EXPECT_EQ(f.division, c.exportBase);
    auto notes = smfread::ChannelEvents(f.tracks[0]);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].tick, 0u);
    EXPECT_EQ(notes[1].tick, c.offAt);
    EXPECT_EQ(notes[1].bytes, Bytes({0x90, 60, 0}));
    EXPECT_EQ(f.tracks[0].back().tick, c.endAt);
  }
}

// A track's step shift moves all of it later; a negative one cannot move it
// before the start.
TEST(SmfExport, StepShift) {
  for (int shift : {0, 10, -5}) {
    SCOPED_TRACE(shift);
    TrackFixture shifted = OneTrack(1, {Ev6(62, 90, 480, 240)});
    shifted.stepShift = static_cast<int8_t>(shift);
    smfread::File f = Read(ExportOf(MakeHeader(), {OneTrack(0, {Ev6(60, 90, 480, 240)}), shifted}));
    auto ch = smfread::ChannelEvents(f.tracks[0]);
    ASSERT_EQ(ch.size(), 4u);
    auto on = std::find_if(ch.begin(), ch.end(), [](const Event& e) { return e.bytes == Bytes({0x91, 62, 90}); });
    ASSERT_NE(on, ch.end());
    EXPECT_EQ(on->tick, static_cast<uint32_t>(std::max(0, shift)));
    EXPECT_EQ(ch[0].bytes, Bytes({0x90, 60, 90}));
    EXPECT_EQ(ch[0].tick, 0u);
  }
}

TEST(SmfExport, SoundingKeyIsLengthenedNotRestruck) {
  smfread::File f = Read(ExportOf(MakeHeader(), {OneTrack(0, {Ev6(64, 80, 240, 480), Ev6(64, 90, 240, 480)})}));
  auto notes = smfread::ChannelEvents(f.tracks[0]);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].bytes, Bytes({0x90, 64, 80}));
  EXPECT_EQ(notes[1].tick, 720u);
  EXPECT_EQ(notes[1].bytes, Bytes({0x90, 64, 0}));
}

TEST(SmfExport, SeventeenthNoteTakesTheFirstSlot) {
  std::vector<StepEvent> ev;
  for (int i = 0; i < 17; ++i) ev.push_back(Ev6(40 + i, 100, 10, 1000));
  smfread::File f = Read(ExportOf(MakeHeader(), {OneTrack(0, ev)}));
  auto notes = smfread::ChannelEvents(f.tracks[0]);
  // The first key ends where the seventeenth starts, just before it.
  for (size_t i = 0; i < notes.size(); ++i) {
    if (notes[i].bytes == Bytes({0x90, 56, 100})) {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(notes[i - 1].bytes, Bytes({0x90, 40, 0}));
      EXPECT_EQ(notes[i - 1].tick, 160u);
      EXPECT_EQ(notes[i].tick, 160u);
    }
  }
  int offs40 = 0;
  for (const auto& n : notes) offs40 += n.bytes == Bytes({0x90, 40, 0});
  EXPECT_EQ(offs40, 1);
  EXPECT_EQ(notes.size(), 34u);
}

// Port numbers 255 write nothing of the port; in format 1 its chunk keeps
// the name and the end. A muted track is alike.
TEST(SmfExport, UnwrittenPortAndMutedTrack) {
  TrackFixture a = OneTrack(0x00, {Ev6(0xEB, 100, 0, 7), Ev6(60, 100, 480, 240)});
  a.comment = "PIANO";
  TrackFixture b = OneTrack(0x11, {Ev6(62, 100, 480, 240)});
  TrackFixture muted = OneTrack(0x02, {Ev6(64, 100, 480, 240)});
  muted.mode = 1;
  SmfExportOptions o;
  o.portNumber[0] = kPortNotWritten;

  smfread::File f0 = Read(ExportOf(MakeHeader(), {a, b, muted}, o));
  auto ch = smfread::ChannelEvents(f0.tracks[0]);
  ASSERT_EQ(ch.size(), 2u);
  EXPECT_EQ(ch[0].bytes, Bytes({0x91, 62, 100}));
  auto ports = smfread::Metas(f0.tracks[0], 0x21);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].bytes, Bytes({0xFF, 0x21, 1}));

  o.format = 1;
  smfread::File f1 = Read(ExportOf(MakeHeader(), {a, b, muted}, o));
  ASSERT_EQ(f1.chunkCount, 4);
  const auto& ta = f1.tracks[1];
  ASSERT_EQ(ta.size(), 2u);
  EXPECT_TRUE(ta[0].IsMeta(0x03));
  std::string name(ta[0].bytes.begin() + 2, ta[0].bytes.end());
  EXPECT_EQ(name, "PIANO" + std::string(31, ' '));
  EXPECT_TRUE(ta[1].IsMeta(0x2F));
  const auto& tm = f1.tracks[3];
  EXPECT_TRUE(smfread::ChannelEvents(tm).empty());
  EXPECT_TRUE(tm.back().IsMeta(0x2F));
  EXPECT_EQ(smfread::ChannelEvents(f1.tracks[2]).size(), 2u);
}

// Format 1: tempo in the conductor chunk only, one chunk per track with its
// port and name first.
TEST(SmfExport, FormatOneChunks) {
  TrackFixture t1 = OneTrack(0x00, {Ev6(60, 100, 960, 480), Ev6(0xE7, 0, 0, 128), Ev6(62, 100, 480, 240)});
  TrackFixture t2 = OneTrack(0x13, {Ev6(0xEC, 0, 0, 5), Ev6(48, 70, 1440, 1440)});
  SmfExportOptions o;
  o.format = 1;
  smfread::File f = Read(ExportOf(MakeHeader(480, 100), {t1, t2}, o));
  ASSERT_EQ(f.chunkCount, 3);
  EXPECT_EQ(f.format, 1);
  auto tempos = smfread::Metas(f.tracks[0], 0x51);
  ASSERT_EQ(tempos.size(), 2u);
  EXPECT_EQ(tempos[0].bytes, Bytes({0xFF, 0x51, 0x09, 0x27, 0xC0}));  // 100
  EXPECT_EQ(tempos[1].tick, 960u);
  EXPECT_EQ(tempos[1].bytes, Bytes({0xFF, 0x51, 0x04, 0x93, 0xE0}));  // 200
  EXPECT_TRUE(smfread::ChannelEvents(f.tracks[0]).empty());
  for (int k = 1; k <= 2; ++k) {
    EXPECT_TRUE(smfread::Metas(f.tracks[k], 0x51).empty());
    ASSERT_GE(f.tracks[k].size(), 2u);
    EXPECT_TRUE(f.tracks[k][0].IsMeta(0x21));
    EXPECT_TRUE(f.tracks[k][1].IsMeta(0x03));
  }
  EXPECT_EQ(f.tracks[2][0].bytes, Bytes({0xFF, 0x21, 1}));
  auto ch2 = smfread::ChannelEvents(f.tracks[2]);
  ASSERT_EQ(ch2.size(), 3u);
  EXPECT_EQ(ch2[0].bytes, Bytes({0xC3, 5}));
  EXPECT_EQ(ch2[2].tick, 1440u);
}

TEST(SmfExport, TempoIsLimitedTo240) {
  smfread::File f = Read(ExportOf(MakeHeader(480, 150), {OneTrack(0, {Ev6(0xE7, 0, 0, 128), Ev6(60, 90, 480, 240)})}));
  auto tempos = smfread::Metas(f.tracks[0], 0x51);
  ASSERT_EQ(tempos.size(), 2u);
  uint32_t micros = (tempos[1].bytes[2] << 16) | (tempos[1].bytes[3] << 8) | tempos[1].bytes[4];
  EXPECT_GE(micros, 250000u);               // never faster than 240
  EXPECT_LT(micros, 60000000u / 235);
}

TEST(SmfExport, HeaderTempoZeroIsWrittenAs120) {
  smfread::File f = Read(ExportOf(MakeHeader(480, 0), {OneTrack(0, {Ev6(60, 90, 480, 240)})}));
  auto tempos = smfread::Metas(f.tracks[0], 0x51);
  ASSERT_EQ(tempos.size(), 1u);
  EXPECT_EQ(tempos[0].bytes, Bytes({0xFF, 0x51, 0x07, 0xA1, 0x20}));
}

TEST(SmfExport, KeyAndTimeSignatures) {
  struct KeyCase {
    uint8_t index, sf, mi;
  } keys[] = {{0x00, 0, 0}, {0x03, 3, 0}, {0x0A, 0xFE, 0}, {0x19, 0xFF, 1},
              {0x08, 0, 0},   // flats with no accidentals is C
              {0x17, 7, 1}, {0x0F, 0xF9, 0}, {0xF0, 0, 1}};
  for (const auto& k : keys) {
    uint8_t sf, mi;
    KeySignatureBytes(k.index, &sf, &mi);
    EXPECT_EQ(sf, k.sf) << int(k.index);
    EXPECT_EQ(mi, k.mi) << int(k.index);
  }
  struct BeatCase {
    int num, den;
    uint8_t nn, dd;
  } beats[] = {{4, 4, 4, 2}, {3, 4, 3, 2}, {6, 8, 6, 3}, {2, 2, 2, 1}, {5, 16, 5, 4}, {0, 0, 4, 2}, {7, 1, 7, 0}};
  for (const auto& b : beats) {
    uint8_t nn, dd;
    TimeSignatureBytes(b.num, b.den, &nn, &dd);
    EXPECT_EQ(nn, b.nn) << b.num << "/" << b.den;
    EXPECT_EQ(dd, b.dd) << b.num << "/" << b.den;
  }
  smfread::File f = Read(ExportOf(MakeHeader(480, 120, 6, 8, 0x19), {OneTrack(0, {Ev6(60, 90, 480, 240)})}));
  EXPECT_EQ(smfread::Metas(f.tracks[0], 0x59)[0].bytes, Bytes({0xFF, 0x59, 0xFF, 0x01}));
  EXPECT_EQ(smfread::Metas(f.tracks[0], 0x58)[0].bytes, Bytes({0xFF, 0x58, 6, 3, 24, 8}));
}

// The port event before the first event of each port, by port mode.
TEST(SmfExport, PortEventsByMode) {
  struct Case {
    int mode;
    std::vector<std::vector<uint8_t>> ports;  // values written, in order
    size_t channelEvents;
  } cases[] = {
      {0, {{0}, {1}, {2}, {1}}, 6},
      {1, {{1}, {2}, {3}, {2}}, 6},
      {2, {{0}, {1}}, 4},  // port C is not written in this mode
      {3, {}, 6},
  };
  TrackFixture a = OneTrack(0x00, {Ev6(60, 90, 480, 240)});
  TrackFixture b = OneTrack(0x10, {Ev6(0, 0, 240, 0), Ev6(62, 90, 240, 240)});
  TrackFixture c = OneTrack(0x20, {Ev6(0, 0, 360, 0), Ev6(64, 90, 120, 60)});
  for (const auto& cs : cases) {
    SCOPED_TRACE(cs.mode);
    SmfExportOptions o;
    o.portMode = cs.mode;
    smfread::File f = Read(ExportOf(MakeHeader(), {a, b, c}, o));
    auto ports = smfread::Metas(f.tracks[0], 0x21);
    ASSERT_EQ(ports.size(), cs.ports.size());
    for (size_t i = 0; i < ports.size(); ++i)
      EXPECT_EQ(std::vector<uint8_t>(ports[i].bytes.begin() + 2, ports[i].bytes.end()), cs.ports[i]);
    EXPECT_EQ(smfread::ChannelEvents(f.tracks[0]).size(), cs.channelEvents);
  }
}

// Channel bytes that name no port of the table write nothing and read
// nothing beyond it.
TEST(SmfExport, ChannelBytesWithoutPort) {
  for (uint8_t channel : {uint8_t(0x45), uint8_t(0xEF), uint8_t(0xFF)}) {
    SCOPED_TRACE(int(channel));
    smfread::File f = Read(ExportOf(MakeHeader(), {OneTrack(channel, {Ev6(0xEB, 64, 0, 7), Ev6(60, 90, 480, 240)})}));
    EXPECT_TRUE(smfread::ChannelEvents(f.tracks[0]).empty());
    EXPECT_TRUE(smfread::Metas(f.tracks[0], 0x21).empty());
    EXPECT_EQ(f.tracks[0].back().tick, 480u);
  }
}

TEST(SmfExport, TransposedKeysAreClamped) {
  TrackFixture up = OneTrack(0, {Ev6(120, 90, 480, 240)});
  up.keyShift = 36;
  TrackFixture down = OneTrack(1, {Ev6(10, 90, 480, 240)});
  down.keyShift = 0x80 - 36;  // -36 as seven bits
  smfread::File f = Read(ExportOf(MakeHeader(), {up, down}));
  auto ch = smfread::ChannelEvents(f.tracks[0]);
  ASSERT_EQ(ch.size(), 4u);
  EXPECT_EQ(ch[0].bytes, Bytes({0x90, 127, 90}));
  EXPECT_EQ(ch[1].bytes, Bytes({0x91, 0, 90}));
}

TEST(SmfExport, ConversionFlagsDropTheirEvents) {
  std::vector<StepEvent> ev = {Ev6(0xE1, 3, 0, 10), Ev6(0xEB, 100, 0, 7), Ev6(0xEE, 0x50, 0, 0),
                               Ev6(0xEA, 0, 0, 30), Ev6(0xED, 40, 0, 60), Ev6(60, 90, 480, 240)};
  struct Case {
    uint32_t flags;
    std::vector<std::vector<uint8_t>> before;  // messages before the note
  } cases[] = {
      {0x00, {{0xB0, 0, 0}, {0xB0, 32, 3}, {0xC0, 10}, {0xB0, 7, 100}, {0xE0, 0, 0x50}, {0xD0, 30}, {0xA0, 60, 40}}},
      {0x40, {{0xB0, 0, 0}, {0xB0, 32, 3}, {0xC0, 10}, {0xE0, 0, 0x50}, {0xD0, 30}, {0xA0, 60, 40}}},
      {0x02, {{0xB0, 7, 100}, {0xE0, 0, 0x50}, {0xD0, 30}, {0xA0, 60, 40}}},
      {0x01 | 0x80 | 0x100, {{0xB0, 0, 0}, {0xB0, 32, 3}, {0xC0, 10}, {0xB0, 7, 100}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    SmfExportOptions o;
    o.convFlags = c.flags;
    smfread::File f = Read(ExportOf(MakeHeader(), {OneTrack(0, ev)}, o));
    auto ch = smfread::ChannelEvents(f.tracks[0]);
    ASSERT_EQ(ch.size(), c.before.size() + 2);
    for (size_t i = 0; i < c.before.size(); ++i) EXPECT_EQ(ch[i].bytes, c.before[i]) << i;
  }
}

TEST(SmfExport, ChannelChangeCentresTheBendOnTheOldChannel) {
  std::vector<StepEvent> ev = {Ev6(0xEE, 0x60, 0, 0x10), Ev6(60, 90, 240, 120), Ev6(0xE6, 0, 0, 5),
                               Ev6(62, 90, 240, 120)};
  smfread::File f = Read(ExportOf(MakeHeader(), {OneTrack(0x02, ev)}));
  auto ch = smfread::ChannelEvents(f.tracks[0]);
  // Then the modulation is reset (never sent yet counts as set).
  ASSERT_EQ(ch.size(), 7u);
  EXPECT_EQ(ch[0].bytes, Bytes({0xE2, 0x10, 0x60}));
  EXPECT_EQ(ch[3].tick, 240u);
  EXPECT_EQ(ch[3].bytes, Bytes({0xE2, 0x00, 0x40}));
  EXPECT_EQ(ch[4].bytes, Bytes({0xB2, 0x01, 0x00}));
  EXPECT_EQ(ch[5].bytes, Bytes({0x94, 62, 90}));
}

TEST(SmfExport, TrackExclusive) {
  // F0 41 10 42 12 40 00 7F 00 41 F7 as a track exclusive: the data in the
  // continuation events, 0x83 and 0x84 making the checksum.
  std::vector<StepEvent> ev = {Ev6(0x98, 0, 0, 0)};
  const uint8_t data[] = {0x41, 0x10, 0x42, 0x12, 0x83, 0x40, 0x00, 0x7F, 0x00, 0x84, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7};
  for (int i = 0; i < 15; i += 5) {
    StepEvent e;
    uint8_t* b = reinterpret_cast<uint8_t*>(&e);
    b[0] = 0xF7;
    for (int j = 0; j < 5; ++j) b[1 + j] = data[i + j];
    ev.push_back(e);
  }
  ev.push_back(Ev6(60, 90, 480, 240));
  smfread::File f = Read(ExportOf(MakeHeader(), {OneTrack(0, ev)}));
  std::vector<Event> sysex;
  for (const auto& e : f.tracks[0])
    if (e.Status() == 0xF0) sysex.push_back(e);
  ASSERT_EQ(sysex.size(), 1u);
  EXPECT_EQ(sysex[0].bytes, Bytes({0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}));

  SmfExportOptions o;
  o.convFlags = 0x400;
  smfread::File g = Read(ExportOf(MakeHeader(), {OneTrack(0, ev)}, o));
  for (const auto& e : g.tracks[0]) EXPECT_NE(e.Status(), 0xF0);
}

// Tracks play together in format 0: events in time order across tracks.
TEST(SmfExport, FormatZeroMergesTracksInTime) {
  TrackFixture a = OneTrack(0x00, {Ev6(60, 90, 300, 100), Ev6(61, 90, 300, 100)});
  TrackFixture b = OneTrack(0x01, {Ev6(0, 0, 200, 0), Ev6(62, 90, 200, 100)});
  smfread::File f = Read(ExportOf(MakeHeader(), {a, b}));
  auto ch = smfread::ChannelEvents(f.tracks[0]);
  ASSERT_EQ(ch.size(), 6u);
  std::vector<uint32_t> ticks;
  for (const auto& e : ch) ticks.push_back(e.tick);
  EXPECT_EQ(ticks, (std::vector<uint32_t>{0, 100, 200, 300, 300, 400}));
  EXPECT_EQ(ch[2].bytes, Bytes({0x91, 62, 90}));
  EXPECT_EQ(f.tracks[0].back().tick, 600u);
}

TEST(SmfExport, EmptySong) {
  for (int format : {0, 1}) {
    SmfExportOptions o;
    o.format = format;
    smfread::File f = Read(ExportOf(MakeHeader(), {}, o));
    EXPECT_EQ(f.chunkCount, 1);
    EXPECT_TRUE(f.tracks[0].back().IsMeta(0x2F));
  }
}

namespace {

std::vector<Event> Texts(const std::vector<Event>& track) { return smfread::Metas(track, 0x01); }

}  // namespace

// Comments are written as text events at their time, byte for byte; the
// exclusive flag leaves them alone.
TEST(SmfExport, CommentsBecomeTextEvents) {
  const std::string text = "歌詞 ABC";  // code page 932 bytes
  std::vector<StepEvent> ev = {Ev6(60, 90, 240, 100)};
  auto group = CommentGroup(text);
  ev.insert(ev.end(), group.begin(), group.end());
  ev.push_back(Ev6(0x98, 0, 0, 0));
  ev.push_back(StepEvent{0xF7, 0x43, 0xF710, 0xF7F7});  // F0 43 10 F7
  ev.push_back(Ev6(62, 90, 240, 100));
  std::string padded = text + std::string(55 - text.size(), ' ');
  std::vector<uint8_t> expected = {0xFF, 0x01};
  expected.insert(expected.end(), padded.begin(), padded.end());

  for (uint32_t flags : {0u, 0x400u}) {
    SCOPED_TRACE(flags);
    SmfExportOptions o;
    o.convFlags = flags;
    smfread::File f = Read(ExportOf(MakeHeader(), {OneTrack(0, ev)}, o));
    auto texts = Texts(f.tracks[0]);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].tick, 240u);
    EXPECT_EQ(texts[0].bytes, expected);
    int exclusives = 0;
    for (const auto& e : f.tracks[0]) exclusives += e.Status() == 0xF0;
    EXPECT_EQ(exclusives, flags ? 0 : 1);
  }

  // Nothing of a muted track or of a port that is not written.
  TrackFixture muted = OneTrack(0, ev);
  muted.mode = 1;
  EXPECT_TRUE(Texts(Read(ExportOf(MakeHeader(), {muted})).tracks[0]).empty());
  SmfExportOptions o;
  o.portNumber[0] = kPortNotWritten;
  EXPECT_TRUE(Texts(Read(ExportOf(MakeHeader(), {OneTrack(0, ev)}, o)).tracks[0]).empty());
}

// A same-measure event names its measure by event index: comments before
// it must not move what it plays.
TEST(SmfExport, SameMeasureReferenceBehindAComment) {
  std::vector<StepEvent> ev = CommentGroup("INTRO");                 // 0-10
  ev.push_back(Ev6(60, 90, 480, 100));                               // 11
  ev.push_back(StepEvent{0xFD, 0xFD, 253, 253});                     // 12
  ev.push_back(Ev6(62, 90, 480, 100));                               // 13: measure 2
  ev.push_back(StepEvent{0xFD, 0xFD, 253, 253});                     // 14
  ev.push_back(StepEvent{0xFC, 0, 1, static_cast<uint16_t>(13 + 48)});  // measure 3 = measure 2
  smfread::File f = Read(ExportOf(MakeHeader(480, 120, 1, 4), {OneTrack(0, ev)}));
  std::vector<std::pair<uint32_t, int>> ons;
  for (const auto& e : smfread::ChannelEvents(f.tracks[0]))
    if (e.bytes[2]) ons.emplace_back(e.tick, e.bytes[1]);
  EXPECT_EQ(ons, (std::vector<std::pair<uint32_t, int>>{{0, 60}, {480, 62}, {960, 62}}));
}

// Repeats of repeats of long rests would play for ever: the export stops
// and says so.
TEST(SmfExport, EndlessSongIsRefused) {
  std::vector<StepEvent> ev;
  for (int i = 0; i < 5; ++i) ev.push_back(Ev6(0xF9, 0, 0, 0));
  ev.push_back(Ev6(60, 90, 65535, 10));
  for (int i = 0; i < 5; ++i) ev.push_back(Ev6(0xF8, 0, 0, 0));  // count 0: 65,536 passes
  HGLOBAL table = NewSongTable(MakeHeader(), {OneTrack(0, ev)});
  PlaySong song;
  ASSERT_TRUE(CopyPlaySong(table, 1, song));
  FreeSongTable(table);
  for (int format : {0, 1}) {
    SmfExportOptions o;
    o.format = format;
    std::vector<uint8_t> image = {1, 2, 3};
    EXPECT_EQ(ExportSmf(song, o, image), SmfExportStatus::kTooLong);
    EXPECT_TRUE(image.empty());
  }
}
