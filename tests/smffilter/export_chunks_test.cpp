// A format-1 export's chunk of a track is the chunk that track gives when it
// is the song's only track: the other tracks, their tempo changes, step
// shifts, ports and lengths change nothing in it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "export_smfread.h"
#include "playsong.h"
#include "smfexport.h"
#include "songfixture.h"

using namespace songfixture;

namespace {

StepEvent Ev6(int code, int vel, int step, int gate) {
  return StepEvent{static_cast<uint8_t>(code), static_cast<uint8_t>(vel), static_cast<uint16_t>(step),
                   static_cast<uint16_t>(gate)};
}

std::vector<uint8_t> ExportOf(const std::vector<TrackFixture>& tracks, const SmfExportOptions& options) {
  HGLOBAL table = NewSongTable(MakeHeader(480, 100, 3, 4), tracks);
  PlaySong song;
  EXPECT_TRUE(CopyPlaySong(table, static_cast<int>(tracks.size()), song));
  FreeSongTable(table);
  std::vector<uint8_t> image;
  EXPECT_EQ(SmfExportStatus::kOk, ExportSmf(song, options, image));
  return image;
}

// Notes of a few keys and lengths, tied over the bar now and then, with the
// track's own extra events every so often.
std::vector<StepEvent> Notes(int count, int firstKey, int step, StepEvent extra) {
  std::vector<StepEvent> e;
  for (int i = 0; i < count; ++i) {
    e.push_back(Ev6(firstKey + i % 5, 60 + i % 50, step, i % 4 == 0 ? step * 3 : step / 2));
    if (i % 6 == 0) e.push_back(extra);
    if (i % 8 == 7) e.push_back(Ev6(0xFD, 0xFD, 253, 253));
  }
  return e;
}

std::vector<TrackFixture> Tracks() {
  std::vector<TrackFixture> t(5);
  // Tempo changes, which go to the conductor chunk only.
  t[0].channel = 0x00;
  t[0].events = Notes(40, 60, 240, Ev6(0xE7, 0, 0, 96));
  t[0].comment = "lead";
  t[1].channel = 0x03;
  t[1].events = Notes(25, 48, 480, Ev6(0xEC, 0, 0, 7));
  t[1].stepShift = 5;
  // Muted: its chunk holds no notes.
  t[2].channel = 0x05;
  t[2].events = Notes(10, 70, 120, Ev6(0xEB, 90, 0, 10));
  t[2].mode = 1;
  // Port B, the longest track.
  t[3].channel = 0x19;
  t[3].events = Notes(90, 36, 160, Ev6(0xEB, 64, 0, 7));
  t[3].stepShift = -3;
  t[4].channel = 0x0F;  // empty
  return t;
}

TEST(SmfExportChunks, EachChunkIsItsTrackExportedAlone) {
  std::vector<TrackFixture> tracks = Tracks();
  for (int portMode : {0, 1, 2}) {
    SCOPED_TRACE(portMode);
    SmfExportOptions o;
    o.format = 1;
    o.portMode = portMode;
    o.timeBase = 96;
    smfread::File all = smfread::Read(ExportOf(tracks, o));
    ASSERT_TRUE(all.ok);
    ASSERT_EQ(static_cast<int>(tracks.size()) + 1, all.chunkCount);
    // The song's tempo, then its change to 150 (all of track 1's changes are to 150).
    EXPECT_EQ(2u, smfread::Metas(all.tracks[0], 0x51).size());
    for (size_t k = 0; k < tracks.size(); ++k) {
      SCOPED_TRACE(k);
      smfread::File alone = smfread::Read(ExportOf({tracks[k]}, o));
      ASSERT_TRUE(alone.ok);
      ASSERT_EQ(2, alone.chunkCount);
      const std::vector<smfread::Event>& a = alone.tracks[1];
      const std::vector<smfread::Event>& b = all.tracks[k + 1];
      ASSERT_EQ(a.size(), b.size());
      for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].tick, b[i].tick) << i;
        EXPECT_EQ(a[i].bytes, b[i].bytes) << i;
      }
    }
  }
  // The muted track's chunk has no notes; the others have theirs.
  SmfExportOptions o;
  o.format = 1;
  smfread::File all = smfread::Read(ExportOf(tracks, o));
  ASSERT_TRUE(all.ok);
  auto notesIn = [&](int chunk) {
    size_t n = 0;
    for (const smfread::Event& e : smfread::ChannelEvents(all.tracks[chunk]))
      n += (e.Status() & 0xF0) == 0x90 && e.bytes.size() == 3 && e.bytes[2] > 0;
    return n;
  };
  EXPECT_EQ(40u, notesIn(1));
  EXPECT_EQ(25u, notesIn(2));
  EXPECT_EQ(0u, notesIn(3));
  EXPECT_EQ(90u, notesIn(4));
  EXPECT_EQ(0u, notesIn(5));
}

}  // namespace
