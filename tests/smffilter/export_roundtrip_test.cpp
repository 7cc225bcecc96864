// Export, then import: notes, tempo, beat, key, texts and exclusives come
// back; a second round changes nothing more.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export_roundtrip.h"
#include "songfixture.h"

using namespace songfixture;
using roundtrip::NotesOf;
using roundtrip::SongOf;

namespace {

StepEvent Ev6(int code, int vel, int step, int gate) {
  return StepEvent{static_cast<uint8_t>(code), static_cast<uint8_t>(vel), static_cast<uint16_t>(step),
                   static_cast<uint16_t>(gate)};
}

StepEvent Data5(std::initializer_list<int> bytes) {
  StepEvent e;
  auto* b = reinterpret_cast<uint8_t*>(&e);
  b[0] = 0xF7;
  int i = 1;
  for (int v : bytes) b[i++] = static_cast<uint8_t>(v);
  while (i < 6) b[i++] = 0xF7;
  return e;
}

const std::vector<uint8_t> kGsReset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

// Tempo 132 with a change to 198, 3/4, B minor, two tracks with notes over
// bar lines, a program, a controller and a GS reset.
PlaySong Original() {
  SongHeader h = MakeHeader(480, 132, 3, 4, 0x12, "ROUND TRIP");
  TrackFixture melody;
  melody.channel = 0x00;
  melody.comment = "MELODY";
  melody.events = {Ev6(0xEC, 0, 0, 5), Ev6(0xEB, 100, 0, 7),  Ev6(60, 100, 480, 400),
                   Ev6(62, 90, 480, 960), Ev6(64, 80, 480, 720), Ev6(0xE7, 0, 0, 96),
                   Ev6(65, 70, 1440, 2000), Ev6(67, 60, 1440, 100)};
  auto verse = roundtrip::CommentGroup("VERSE 1");
  melody.events.insert(melody.events.begin() + 2, verse.begin(), verse.end());
  TrackFixture drums;
  drums.channel = 0x09;
  drums.comment = "DRUMS";
  drums.events = {Ev6(0x98, 0, 0, 0), Data5({0x41, 0x10, 0x42, 0x12, 0x40}), Data5({0x00, 0x7F, 0x00, 0x41, 0xF7}),
                  Ev6(36, 110, 480, 120), Ev6(38, 100, 480, 120), Ev6(36, 110, 480, 120)};
  HGLOBAL table = NewSongTable(h, {melody, drums});
  PlaySong song;
  CopyPlaySong(table, 2, song);
  FreeSongTable(table);
  return song;
}

// The exclusive messages of a song, as the export writes them.
std::vector<std::vector<uint8_t>> ExclusivesOf(const PlaySong& song) {
  std::vector<std::vector<uint8_t>> out;
  for (const auto& track : smfread::Read(roundtrip::Export(song, 0)).tracks)
    for (const auto& e : track)
      if (e.Status() == 0xF0) out.push_back(e.bytes);
  return out;
}

// The texts of the comment groups of a track.
std::vector<std::string> Comments(const std::vector<StepEvent>& events) {
  std::vector<std::string> out;
  bool inComment = false;
  for (const auto& e : events) {
    const auto* b = reinterpret_cast<const char*>(&e);
    if (e.code == 0xF6) out.emplace_back(b + 1, 5);
    else if (e.code == 0xF7 && inComment) out.back().append(b + 1, 5);
    if (e.code != 0xF7) inComment = e.code == 0xF6;
  }
  return out;
}

int TempoEvents(const PlaySong& song, uint16_t gate) {
  int n = 0;
  for (const auto& track : song.events)
    for (const auto& e : track) n += e.code == 0xE7 && e.gate == gate;
  return n;
}

}  // namespace

TEST(SmfRoundTrip, SongComesBackInBothFormats) {
  PlaySong original = Original();
  auto notes = NotesOf(original);
  ASSERT_EQ(notes.size(), 16u);
  for (int format : {0, 1}) {
    SCOPED_TRACE(format);
    SmfImportResult r = roundtrip::Import(roundtrip::Export(original, format));
    ASSERT_EQ(r.status, SmfImportStatus::kOk);
    EXPECT_FALSE(r.report.Damaged());
    PlaySong back = SongOf(r);
    EXPECT_EQ(NotesOf(back), notes);
    EXPECT_EQ(r.tempo, 132);
    EXPECT_EQ(TempoEvents(back, 96), 1);
    EXPECT_EQ(r.beatNum, 3);
    EXPECT_EQ(r.beatDen, 4);
    EXPECT_TRUE(r.keySeen);
    EXPECT_EQ(r.key, 0x12);
    EXPECT_EQ(std::string(r.title, 64), std::string(original.header.title, 64));
    EXPECT_EQ(ExclusivesOf(back), std::vector<std::vector<uint8_t>>{kGsReset});
    std::string verse = "VERSE 1" + std::string(48, ' ');
    if (format == 1) {
      ASSERT_EQ(r.tracks.size(), 2u);
      EXPECT_EQ(Comments(r.tracks[0].events), std::vector<std::string>{verse});
      EXPECT_EQ(std::string(r.tracks[0].header.comment, 36), std::string(original.tracks[0].comment, 36));
      EXPECT_EQ(std::string(r.tracks[1].header.comment, 36), std::string(original.tracks[1].comment, 36));
      EXPECT_EQ(r.tracks[1].header.channel, 0x09);
    } else {
      ASSERT_EQ(r.tracks.size(), 16u);
      // In format 0 the first text of a track names it.
      EXPECT_EQ(std::string(r.tracks[0].header.comment, 36), verse.substr(0, 36));
      EXPECT_EQ(r.tracks[9].header.channel, 0x09);
    }

    // A second round adds and loses nothing: the very same step events.
    SmfImportResult again = roundtrip::Import(roundtrip::Export(back, format));
    ASSERT_EQ(again.status, SmfImportStatus::kOk);
    ASSERT_EQ(again.tracks.size(), r.tracks.size());
    for (size_t k = 0; k < r.tracks.size(); ++k) {
      EXPECT_EQ(again.tracks[k].events, r.tracks[k].events) << "track " << k + 1;
      EXPECT_EQ(again.tracks[k].header.channel, r.tracks[k].header.channel);
    }
  }
}

// Time bases of the song other than the file's: the notes keep their times.
TEST(SmfRoundTrip, OtherTimeBases) {
  SongHeader h = MakeHeader(96, 120, 4, 4, 0, "TB96");
  TrackFixture t;
  t.channel = 2;
  t.events = {Ev6(60, 100, 96, 48), Ev6(62, 100, 24, 24), Ev6(64, 100, 264, 300)};
  HGLOBAL table = NewSongTable(h, {t});
  PlaySong song;
  CopyPlaySong(table, 1, song);
  FreeSongTable(table);
  for (int exportBase : {96, 480, 48}) {
    SCOPED_TRACE(exportBase);
    SmfImportOptions o;
    o.songTimeBase = 96;
    SmfImportResult r = roundtrip::Import(roundtrip::Export(song, 1, exportBase), o);
    ASSERT_EQ(r.status, SmfImportStatus::kOk);
    EXPECT_EQ(NotesOf(SongOf(r)), NotesOf(song));
  }
}
