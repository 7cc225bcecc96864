#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../../smffilter/resource.h"
#include "filterdll.h"
#include "heapcap.h"
#include "smfimport.h"
#include "songfixture.h"

using namespace songfixture;

namespace {

constexpr StepEvent kBar{0xFD, 0xFD, 253, 253};
// Far more than a song of a few full tracks needs; far less than a large
// file's events all kept.
constexpr size_t kImportCap = 24u << 20;

std::string SmallFile() {
  return Smf(0, 480, {Track(Ev(0, {0x90, 60, 100}) + Ev(480, {0x80, 60, 0}))});
}

void PutDelta(std::string& s, uint32_t delta) {
  if (delta < 0x80) s += static_cast<char>(delta);
  else s += Vlq(delta);
}

// Track data: `count` quarter notes (gate an eighth) on each of `channels`
// channels from `first` on, all sounding together, keys 60 + channel +
// keyShift; the first starts `start` ticks in.
std::string QuarterNotes(int first, int channels, int count, uint32_t start = 0, int keyShift = 0) {
  std::string s;
  s.reserve(static_cast<size_t>(count) * channels * 9);
  for (int i = 0; i < count; ++i) {
    for (int c = 0; c < channels; ++c) {
      PutDelta(s, c > 0 ? 0 : i == 0 ? start : 240);
      s += static_cast<char>(0x90 | (first + c));
      s += static_cast<char>(60 + first + c + keyShift);
      s += '\x64';
    }
    for (int c = 0; c < channels; ++c) {
      PutDelta(s, c == 0 ? 240 : 0);
      s += static_cast<char>(0x90 | (first + c));
      s += static_cast<char>(60 + first + c + keyShift);
      s += '\0';
    }
  }
  return s;
}

// Tempo 60, 3/4 and two sharps, `delta` ticks in: song-wide values that
// come after the tracks are full must still be taken.
std::string LateMetas(uint32_t delta) {
  return Meta(delta, 0x51, std::string("\x0F\x42\x40", 3)) + Meta(0, 0x58, std::string("\x03\x02\x18\x08", 4)) +
         Meta(0, 0x59, std::string("\x02\x00", 2));
}

// A track cut at the limit: quarter notes of the key, four to the bar.
void ExpectFullOfQuarters(const SmfImportTrack& t, uint8_t key) {
  ASSERT_EQ(static_cast<size_t>(kMaxTrackEvents) + 1, t.events.size());
  for (int i = 0; i < kMaxTrackEvents; ++i) {
    StepEvent expected = i % 5 == 4 ? kBar : StepEvent{key, 100, 480, 240};
    ASSERT_EQ(expected, t.events[i]) << i;
  }
  EXPECT_EQ(kEndCode, t.events.back().code);
}

// The import with this program's heap held to `capBytes`.
SmfImportResult ImportCapped(const std::string& image, const SmfImportOptions& o, size_t capBytes, bool* hooked) {
  HeapCap cap(GetModuleHandleA(nullptr), capBytes);
  *hooked = cap.hooked();
  return ImportSmf(reinterpret_cast<const uint8_t*>(image.data()), image.size(), o);
}

TEST(ImportMemory, RunningOutRefusesTheFileAndLeavesTheSong) {
  std::string image = SmallFile();
  bool hooked = false;
  SmfImportResult r = ImportCapped(image, {}, 64 << 10, &hooked);
  ASSERT_TRUE(hooked);
  EXPECT_GT(HeapCap::refused(), 0);
  EXPECT_EQ(SmfImportStatus::kNoMemory, r.status);
  EXPECT_TRUE(r.tracks.empty());

  FilterIni ini;
  FilterDll dll;
  BoxCatcher boxes;
  // Memory gone before the chunks are read, and while their events are
  // kept. (Some is always left: with none, not even the exception that says
  // so can be made.)
  struct Case {
    std::string image;
    size_t capBytes;
  } cases[] = {
      {image, 64 << 10},
      {Smf(0, 480, {Track(QuarterNotes(0, 1, 20000))}), 256 << 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capBytes);
    boxes.boxes.clear();
    HGLOBAL table = NewSongTable(MakeHeader(96, 90, 3, 4, 2, "Kept"), {{0, {{64, 1, 1, 1}}, 0x80, 0, 0, 0, ""}});
    std::vector<HGLOBAL> before;
    for (int i = 0; i < kHandleTableEntries; ++i) before.push_back(Entry(table, i));
    SongHeader old = HeaderOf(table);
    HGLOBAL block = BlockOf(c.image);
    int result;
    int refused;
    {
      HeapCap cap(dll.module(), c.capBytes);
      ASSERT_TRUE(cap.hooked());
      result = dll.readinFile(nullptr, table, block, 0, 0);
      refused = HeapCap::refused();
    }
    EXPECT_EQ(0, result);
    EXPECT_GT(refused, 0);
    for (int i = 0; i < kHandleTableEntries; ++i) EXPECT_EQ(before[i], Entry(table, i)) << i;
    SongHeader now = HeaderOf(table);
    EXPECT_EQ(0, std::memcmp(&old, &now, sizeof old));
    EXPECT_EQ((std::vector<StepEvent>{{64, 1, 1, 1}}), TrackEvents(table, 1));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(FilterText(dll.module(), IDS_IMPORT_CAPTION), boxes.boxes[0].caption);
    EXPECT_EQ(FilterText(dll.module(), IDS_REFUSED_NO_MEMORY), boxes.boxes[0].text);
    EXPECT_FALSE(boxes.boxes[0].text.empty());
    FreeSongTable(table);
  }
  // With memory back the same file reads.
  HGLOBAL table = NewEmptySongTable();
  EXPECT_EQ(1, dll.readinFile(nullptr, table, BlockOf(image), 0, 0));
  ExpectWholeSong(table);
  FreeSongTable(table);
}

struct LargeCase {
  const char* name;
  std::function<std::string()> image;
  int maxTrack;
  std::function<void(const SmfImportResult&)> expect;
};

std::vector<LargeCase> LargeCases() {
  return {
      {"one chunk, sixteen channels, two million notes",
       [] { return Smf(0, 480, {Track(QuarterNotes(0, 16, 130000) + LateMetas(0))}); }, 36,
       [](const SmfImportResult& r) {
         ASSERT_EQ(16u, r.tracks.size());
         for (int k = 0; k < 16; ++k) {
           SCOPED_TRACE(k);
           EXPECT_EQ(k, r.tracks[k].header.channel);
           ExpectFullOfQuarters(r.tracks[k], static_cast<uint8_t>(60 + k));
         }
         EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), r.report.fullTracks);
         EXPECT_EQ(60, r.tempo);
         EXPECT_EQ(3, r.beatNum);
         EXPECT_EQ(4, r.beatDen);
         EXPECT_TRUE(r.keySeen);
         EXPECT_EQ(2, r.key);
       }},
      {"track chunks past the track limit",
       [] {
         // The first chunk goes on with notes of another channel, which no
         // track of this reading takes.
         std::string tracks = QuarterNotes(0, 1, 400000) + QuarterNotes(5, 1, 400000);
         return Smf(1, 480, {Track(Meta(0, 0x03, "Conductor") + LateMetas(100000000)), Track(tracks),
                             Track(QuarterNotes(1, 1, 400000)), Track(QuarterNotes(2, 1, 400000))});
       }, 2,
       [](const SmfImportResult& r) {
         ASSERT_EQ(2u, r.tracks.size());
         EXPECT_TRUE(r.report.trackLimit);
         ExpectFullOfQuarters(r.tracks[0], 60);
         ExpectFullOfQuarters(r.tracks[1], 61);
         EXPECT_EQ((std::vector<int>{1, 2}), r.report.fullTracks);
         EXPECT_EQ(std::string("Conductor") + std::string(55, ' '), std::string(r.title, 64));
         EXPECT_EQ(60, r.tempo);
         EXPECT_EQ(3, r.beatNum);
       }},
      {"merged chunks, the later chunk earlier in time",
       [] {
         return Smf(0, 480, {Track(QuarterNotes(0, 1, 20000, 20000 * 480)), Track(QuarterNotes(0, 1, 20000, 0, 12))});
       }, 36,
       [](const SmfImportResult& r) {
         ASSERT_EQ(16u, r.tracks.size());
         ExpectFullOfQuarters(r.tracks[0], 72);
         EXPECT_EQ((std::vector<int>{1}), r.report.fullTracks);
       }},
  };
}

TEST(ImportMemory, AFileFarLargerThanTheSongKeepsWhatTheSongCanHold) {
  for (const LargeCase& c : LargeCases()) {
    SCOPED_TRACE(c.name);
    SmfImportOptions o;
    o.maxTrack = c.maxTrack;
    bool hooked = false;
    SmfImportResult r = ImportCapped(c.image(), o, kImportCap, &hooked);
    ASSERT_TRUE(hooked);
    ASSERT_EQ(SmfImportStatus::kOk, r.status);
    EXPECT_FALSE(r.report.Damaged());
    c.expect(r);
  }
}

// The same through the library: read, with one box for each full track.
TEST(ImportMemory, TheLibraryReadsAFileFarLargerThanTheSong) {
  FilterIni ini;
  FilterDll dll;
  BoxCatcher boxes(true);
  std::string image = Smf(0, 480, {Track(QuarterNotes(0, 16, 130000) + LateMetas(0))});
  HGLOBAL table = NewEmptySongTable();
  int result;
  {
    HeapCap cap(dll.module(), kImportCap);
    ASSERT_TRUE(cap.hooked());
    result = dll.readinFile(nullptr, table, BlockOf(image), 0, 0);
  }
  ASSERT_EQ(1, result);
  ExpectWholeSong(table);
  EXPECT_EQ(16, HeaderOf(table).trackCount);
  EXPECT_EQ(3, HeaderOf(table).beatNum);
  EXPECT_EQ(16u, boxes.boxes.size());
  EXPECT_EQ(static_cast<size_t>(kMaxTrackEvents), TrackEvents(table, 16).size());
  FreeSongTable(table);
}

}  // namespace
