#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "filterdll.h"
#include "smfimport.h"
#include "songfixture.h"

using namespace songfixture;

namespace {

std::string NoteOn(uint32_t delta, int ch, int key, int vel) { return Ev(delta, {0x90 | ch, key, vel}); }
std::string NoteOff(uint32_t delta, int ch, int key) { return Ev(delta, {0x80 | ch, key, 0}); }
std::string Note(int ch, int key) { return NoteOn(0, ch, key, 100) + NoteOff(240, ch, key); }
std::string Header(uint16_t format, uint16_t count, uint16_t division) {
  return Chunk("MThd", Be16(format) + Be16(count) + Be16(division));
}

SmfImportResult Import(const std::string& image, const SmfImportOptions& o = {}) {
  return ImportSmf(reinterpret_cast<const uint8_t*>(image.data()), image.size(), o);
}

using Expect = std::function<void(const SmfImportResult&)>;

struct DamagedCase {
  const char* name;
  std::string image;
  int check;    // CheckImpFile
  int readin;   // ReadinFile
  Expect expect;
  std::vector<std::pair<const char*, int>> keys;  // [zksmf] settings
};

std::vector<DamagedCase> Cases() {
  std::string good = Track(Note(0, 60));
  std::vector<std::string> many(513, Track(""));
  many[0] = good;
  std::string prefix(128, '\0');
  return {
      {"empty image", "", 0, 0, nullptr, {}},
      {"header chunk cut", Header(0, 1, 480).substr(0, 11), 1, 0, nullptr, {}},
      {"header length 5", "MThd" + Be32(5) + Be16(0) + Be16(1) + Be16(480) + good, 1, 0, nullptr, {}},
      {"no track chunk", Header(0, 1, 480), 1, 0,
       [](const SmfImportResult& r) { EXPECT_EQ(SmfImportStatus::kNoTracks, r.status); }, {}},
      {"track longer than the image", Header(0, 1, 480) + "MTrk" + Be32(100000) + Note(0, 60), 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.truncated);
         EXPECT_EQ(60, r.tracks[0].events[0].code);
         EXPECT_EQ(240, r.tracks[0].events[0].gate);
       }, {}},
      {"unknown chunk passed over", Header(0, 1, 480) + Chunk("XFIH", "abc\xFF\xFF") + good, 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_FALSE(r.report.Damaged());
         EXPECT_EQ(240, r.tracks[0].events[0].gate);
       }, {}},
      {"unknown chunk longer than the image", Header(0, 2, 480) + good + "XFIH" + Be32(0xFFFFFFF0u) + good, 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.truncated);
         EXPECT_EQ(1, r.report.missingTracks);
       }, {}},
      {"track without end of track", Header(0, 1, 480) + Chunk("MTrk", Note(0, 60) + NoteOn(0, 0, 62, 90)), 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_FALSE(r.report.Damaged());
         // The unended note lasts to the chunk's end.
         EXPECT_EQ((StepEvent{62, 90, 1680, 1}), r.tracks[0].events[1]);
       }, {}},
      {"bytes after end of track", Header(0, 1, 480) + Chunk("MTrk", Note(0, 60) + Meta(0, 0x2F, "") + Note(0, 62)),
       1, 1, [](const SmfImportResult& r) { EXPECT_EQ(3u, r.tracks[0].events.size()); }, {}},
      {"five-byte delta time", Header(0, 1, 480) + Track(std::string("\xFF\xFF\xFF\xFF\x7F\x90\x3C\x40", 8)), 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.badBytes);
         ASSERT_EQ(1u, r.report.fullTracks.size());
       }, {}},
      {"data bytes before any status", Header(0, 1, 480) + Track(Ev(0, {0x3C, 0x40}) + Note(0, 60)), 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.badBytes);
         EXPECT_EQ(60, r.tracks[0].events[0].code);
         EXPECT_EQ(100, r.tracks[0].events[0].vel);
       }, {}},
      {"data bytes after an exclusive", Header(0, 1, 480) + Track(Ev(0, {0x90, 60, 100}) + Ev(0, {0xF0, 1, 0xF7}) +
                                                                  Ev(0, {0x3E, 0x40}) + NoteOff(10, 0, 60)),
       1, 1, [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.badBytes);
         EXPECT_EQ(60, r.tracks[0].events[0].code);
         EXPECT_EQ(0x98, r.tracks[0].events[1].code);
       }, {}},
      {"message cut by a status byte", Header(0, 1, 480) + Track(std::string("\x00\x90\x3C\x90\x3E\x64\x78\x80\x3E\x00", 10)),
       1, 1, [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.badBytes);
         EXPECT_EQ((StepEvent{0x3E, 0x64, 1920, 120}), r.tracks[0].events[0]);
       }, {}},
      {"system common byte", Header(0, 1, 480) + Track(Ev(0, {0xF2, 1, 2}) + Note(0, 60)), 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.badBytes);
         EXPECT_EQ(240, r.tracks[0].events[0].gate);
       }, {}},
      {"513 track chunks", [&] {
         std::string s = Header(0, 513, 480);
         for (const std::string& t : many) s += t;
         return s;
       }(), 1, 1, [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.tooManyChunks);
         EXPECT_EQ(16u, r.tracks.size());
       }, {}},
      {"fewer chunks than announced", Header(1, 3, 480) + Track("") + good, 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_EQ(1, r.report.missingTracks);
         EXPECT_EQ(1u, r.tracks.size());
       }, {}},
      {"division 0", Header(0, 1, 0) + good, 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.zeroDivision);
         EXPECT_EQ(240, r.tracks[0].events[0].gate);
       }, {}},
      {"SMPTE division", Header(0, 1, 0xE728) + good, 1, 1, nullptr, {}},
      {"tempo 0", Header(0, 1, 480) + Track(Meta(0, 0x51, std::string(3, '\0')) + Note(0, 60)), 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.zeroTempo);
         EXPECT_EQ(120, r.tempo);
       }, {}},
      {"tempo of one byte", Header(0, 1, 480) + Track(Meta(0, 0x51, "\x07") + Note(0, 60)), 1, 1,
       [](const SmfImportResult& r) { EXPECT_TRUE(r.report.zeroTempo); }, {}},
      {"time signature 0/4", Header(0, 1, 480) + Track(Meta(0, 0x58, std::string("\x00\x02\x18\x08", 4)) + Note(0, 60)),
       1, 1, [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.badTimeSignature);
         EXPECT_EQ(4, r.beatNum);
         EXPECT_EQ(1920, r.tracks[0].events[0].step);
       }, {}},
      {"time signature 4/2^200", Header(0, 1, 480) + Track(Meta(0, 0x58, std::string("\x04\xC8\x18\x08", 4)) + Note(0, 60)),
       1, 1, [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.badTimeSignature);
         EXPECT_EQ(4, r.beatDen);
       }, {}},
      {"time signature 255/1", Header(0, 1, 480) + Track(Meta(0, 0x58, std::string("\xFF\x00\x18\x08", 4)) + Note(0, 60)),
       1, 1, [](const SmfImportResult& r) {
         EXPECT_FALSE(r.report.Damaged());
         EXPECT_EQ(255, r.beatNum);
       }, {}},
      {"file time base 24 kept", Header(0, 1, 24) + good, 1, 1,
       [](const SmfImportResult& r) { EXPECT_EQ(480, r.timeBase); }, {{"LOADONTBCVT", 1}}},
      {"exclusive longer than its chunk", Header(0, 1, 480) + Track(Note(0, 60) + Vlq(0) + "\xF0" + Vlq(1000) + "\x41\x10"),
       1, 1, [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.truncated);
         EXPECT_EQ(240, r.tracks[0].events[0].gate);
       }, {}},
      {"meta of 2^28 bytes", Header(0, 1, 480) + Track(Note(0, 60) + std::string("\x00\xFF\x01\xFF\xFF\xFF\x7F" "abc", 10)),
       1, 1, [](const SmfImportResult& r) { EXPECT_TRUE(r.report.truncated); }, {}},
      {"port 200", Header(0, 1, 480) + Track(Meta(0, 0x21, "\xC8") + Note(0, 60)), 1, 1,
       [](const SmfImportResult& r) {
         EXPECT_TRUE(r.report.badPort);
         EXPECT_EQ(16u, r.tracks.size());
       }, {}},
      {"key signature of 100 sharps", Header(0, 1, 480) + Track(Meta(0, 0x59, "\x64\x05") + Note(0, 60)), 1, 1,
       [](const SmfImportResult& r) { EXPECT_EQ(kKeyMinor | 7, r.key); }, {}},
      {"128-byte prefix", prefix + Header(0, 1, 480) + good, 1, 1, nullptr, {}},
      {"prefix of a short image", prefix.substr(0, 100), 0, 0, nullptr, {}},
  };
}

TEST(DamagedImages, EachCaseIsReadOrRefusedSoundly) {
  FilterIni ini;
  BoxCatcher boxes(true);
  for (const DamagedCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    FilterIni fresh;
    SmfImportOptions options;
    for (auto& [key, value] : c.keys) {
      ini.Set("zksmf", key, value);
      if (std::string(key) == "LOADONTBCVT") options.keepFileTimeBase = value != 0;
    }
    SmfImportResult r = Import(c.image, options);
    EXPECT_EQ(c.readin == 1, r.status == SmfImportStatus::kOk);
    if (c.expect) c.expect(r);
    for (const SmfImportTrack& t : r.tracks) {
      ASSERT_FALSE(t.events.empty());
      EXPECT_EQ(kEndCode, t.events.back().code);
      EXPECT_LE(t.events.size(), static_cast<size_t>(kMaxTrackEvents) + 1);
    }

    FilterDll dll;
    EXPECT_EQ(c.check, dll.Check(c.image));
    HGLOBAL table = NewEmptySongTable();
    EXPECT_EQ(c.readin, dll.readinFile(nullptr, table, BlockOf(c.image), 0, 0));
    if (c.readin) {
      ExpectWholeSong(table);
    } else {
      EXPECT_EQ(nullptr, Entry(table, TrackEventsEntry(1)));
    }
    FreeSongTable(table);
  }
}

// A small file that has a bit of everything, cut after every byte.
std::string EverythingFile() {
  std::string conductor = Track(Meta(0, 0x03, "Title") + Meta(0, 0x02, "(c)") +
                                Meta(0, 0x51, std::string("\x07\xA1\x20", 3)) +
                                Meta(0, 0x58, std::string("\x03\x02\x18\x08", 4)) +
                                Meta(0, 0x59, std::string("\x01\x00", 2)) +
                                Meta(1440, 0x51, std::string("\x0F\x42\x40", 3)));
  std::string part = Track(Meta(0, 0x21, "\x01") + Meta(0, 0x03, "Lead") + Ev(0, {0xC2, 5}) +
                           Ev(0, {0x92, 60, 100}) + Ev(0, {64, 90}) + Ev(480, {60, 0}) +
                           Ev(0, {0xE2, 0, 0x40}) + Ev(0, {0xF0, 4, 0x41, 0x10, 0x42, 0xF7}) +
                           Meta(0, 0x05, "la la") + Ev(2000, {0x82, 64, 0}));
  std::string drums = Track(NoteOn(0, 9, 36, 127) + NoteOff(5000, 9, 36));
  return Smf(1, 96, {conductor, part, drums});
}

TEST(DamagedImages, TruncationAtEveryByte) {
  std::string whole = EverythingFile();
  SmfImportResult full = Import(whole);
  ASSERT_EQ(SmfImportStatus::kOk, full.status);
  ASSERT_EQ(2u, full.tracks.size());
  EXPECT_FALSE(full.report.Damaged());

  FilterIni ini;
  FilterDll dll;
  BoxCatcher boxes(true);
  int read = 0;
  for (size_t n = 0; n <= whole.size(); ++n) {
    SCOPED_TRACE(n);
    std::string cut = whole.substr(0, n);
    SmfImportResult r = Import(cut);
    for (const SmfImportTrack& t : r.tracks) {
      ASSERT_FALSE(t.events.empty());
      EXPECT_EQ(kEndCode, t.events.back().code);
    }
    // Anything cut inside the chunks is said to be damaged.
    if (r.status == SmfImportStatus::kOk && n < whole.size()) {
      EXPECT_TRUE(r.report.Damaged());
    }
    int checked = dll.Check(cut);
    EXPECT_EQ(n >= 10 ? 1 : 0, checked);
    HGLOBAL table = NewEmptySongTable();
    size_t before = boxes.boxes.size();
    int result = dll.readinFile(nullptr, table, BlockOf(cut), 0, 0);
    EXPECT_EQ(r.status == SmfImportStatus::kOk ? 1 : 0, result);
    if (result) {
      ++read;
      ExpectWholeSong(table);
      EXPECT_EQ(n < whole.size() ? before + 1 : before, boxes.boxes.size());
    }
    FreeSongTable(table);
  }
  // Everything from the first track chunk's data on is read.
  EXPECT_GT(read, static_cast<int>(whole.size()) - 30);
}

}  // namespace
