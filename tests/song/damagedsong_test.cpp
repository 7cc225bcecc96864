#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "appglobals.h"
#include "filterslots.h"
#include "resource.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

void PutU32(std::string& s, size_t at, uint32_t v) { std::memcpy(&s[at], &v, 4); }
void PutU16(std::string& s, size_t at, uint16_t v) { std::memcpy(&s[at], &v, 2); }

std::vector<StepEvent> TrackEvents(int n) { return TrackEventsOf(n); }

// A stored track: its 46 header bytes and its events with the end event.
std::string StoredTrack(int n, const std::vector<StepEvent>& events) {
  std::string t(46, ' ');
  PutU32(t, 0, static_cast<uint32_t>(46 + 6 * (events.size() + 1)));
  t[4] = static_cast<char>(n);
  t[5] = t[6] = t[7] = t[8] = t[9] = 0;
  for (const StepEvent& e : events) t.append(reinterpret_cast<const char*>(&e), 6);
  StepEvent end = EndEvent();
  t.append(reinterpret_cast<const char*>(&end), 6);
  return t;
}

class DamagedSongTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.Write("[OTHER]\norgTrack=3\n");
    NewSongHere();
    HGLOBAL h = SongEntry(kHeaderEntry);
    header_.assign(static_cast<const char*>(GlobalLock(h)), sizeof(SongHeader));
    GlobalUnlock(h);
    PutU16(header_, 520, 3);
  }
  void TearDown() override { g_song.trackFileMode = 0; }

  void NewSongHere() {
    FreeSong(frame.hwnd());
    ASSERT_TRUE(NewSong(frame.hwnd()));
  }

  // Header and three tracks of 2, 0 and 3 events: tracks start at 3224,
  // 3288 and 3340; the file ends at 3410.
  std::string ValidFile() const {
    return header_ + StoredTrack(1, {{60, 100, 480, 400}, {0xFD, 0, 0, 0}}) + StoredTrack(2, {}) +
           StoredTrack(3, {{0x98, 0, 0, 0}, {0xF7, 1, 2, 3}, {62, 1, 1, 1}});
  }

  void ExpectEmptyNewSong() {
    ASSERT_EQ(3, g_song.trackCount);
    for (int n = 1; n <= 3; ++n) {
      ASSERT_NE(nullptr, SongEntry(TrackHeaderEntry(n)));
      EXPECT_TRUE(TrackEvents(n).empty()) << n;
    }
    HGLOBAL h = SongEntry(kHeaderEntry);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(0, std::memcmp(GlobalLock(h), kSongSignature, 32));
    GlobalUnlock(h);
  }

  void SetTrack(int n, std::vector<StepEvent> events) {
    events.push_back(EndEvent());
    ReplaceTrackEvents(n, events);
  }

  std::string header_;
  TempSettingsFile settings;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
};

TEST_F(DamagedSongTest, TheValidFileReads) {
  WriteBytes(dir.File("ok.G36"), ValidFile());
  ASSERT_EQ(3410u, ValidFile().size());
  EXPECT_EQ(1, ReadSongFile(frame.hwnd(), dir.File("ok.G36").c_str()));
  EXPECT_EQ(2u, TrackEvents(1).size());
  EXPECT_EQ(3u, TrackEvents(3).size());
  EXPECT_TRUE(boxes.boxes.empty());
}

struct Damage {
  const char* name;
  std::function<void(std::string&)> apply;
};

std::function<void(std::string&)> Cut(size_t at) {
  return [at](std::string& s) { s.resize(at); };
}

TEST_F(DamagedSongTest, EachDamagedFileIsRefusedAndTheSongStaysSound) {
  const size_t t1 = 3224, t2 = 3288, t3 = 3340;
  const std::vector<Damage> cases = {
      {"empty file", Cut(0)},
      {"inside the signature", Cut(20)},
      {"just the signature", Cut(32)},
      {"inside the header", Cut(521)},
      {"header less one byte", Cut(t1 - 1)},
      {"header alone", Cut(t1)},
      {"inside track 1's size", Cut(t1 + 2)},
      {"inside track 1's header", Cut(t1 + 45)},
      {"track 1's header alone", Cut(t1 + 46)},
      {"inside track 1's events", Cut(t2 - 1)},
      {"at the end of track 1", Cut(t2)},
      {"at the end of track 2", Cut(t3)},
      {"inside track 3's header", Cut(t3 + 10)},
      {"last byte missing", Cut(3409)},
      {"size 0", [=](std::string& s) { PutU32(s, t1, 0); }},
      {"size 46, no end event", [=](std::string& s) { PutU32(s, t1, 46); }},
      {"size 51", [=](std::string& s) { PutU32(s, t1, 51); }},
      {"size not whole events", [=](std::string& s) { PutU32(s, t1, 65); }},
      {"size past the file", [=](std::string& s) { PutU32(s, t3, 70 + 6); }},
      {"huge size", [=](std::string& s) { PutU32(s, t1, 0xFFFFFFFAu); }},
      {"size into the next track", [=](std::string& s) { PutU32(s, t1, 64 + 6); }},
      {"count beyond the stored tracks", [](std::string& s) { PutU16(s, 520, 4); }},
      {"huge count", [](std::string& s) { PutU16(s, 520, 65535); }},
      {"end event missing", [=](std::string& s) { s[3404] = 0x60; }},
      {"end event too early", [=](std::string& s) { s[t1 + 46] = static_cast<char>(0xFE); }},
      {"code 0xFF inside", [=](std::string& s) { s[t3 + 46 + 6] = static_cast<char>(0xFF); }},
  };
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.name);
    std::string bytes = ValidFile();
    d.apply(bytes);
    WriteBytes(dir.File("bad.G36"), bytes);
    NewSongHere();
    boxes.boxes.clear();
    EXPECT_EQ(0, ReadSongFile(frame.hwnd(), dir.File("bad.G36").c_str()));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(UINT(IDS_NOT_SONG_DATA), boxes.boxes[0].stringId);
    EXPECT_EQ(UINT(MB_OK | MB_ICONSTOP), boxes.boxes[0].style);
    ExpectEmptyNewSong();
  }
}

TEST_F(DamagedSongTest, TrackEventLimit) {
  // 16,371 events and the end event fill a track; one more is refused.
  for (int events : {kMaxTrackEvents, kMaxTrackEvents + 1, kTrackSlots}) {
    SCOPED_TRACE(events);
    std::vector<StepEvent> full(events, StepEvent{60, 1, 1, 1});
    std::string bytes = header_ + StoredTrack(1, full) + StoredTrack(2, {}) + StoredTrack(3, {});
    WriteBytes(dir.File("full.G36"), bytes);
    NewSongHere();
    boxes.boxes.clear();
    int read = ReadSongFile(frame.hwnd(), dir.File("full.G36").c_str());
    if (events == kMaxTrackEvents) {
      EXPECT_EQ(1, read);
      EXPECT_EQ(size_t(kMaxTrackEvents), TrackEvents(1).size());
    } else {
      EXPECT_EQ(0, read);
      ExpectEmptyNewSong();
    }
  }
}

TEST_F(DamagedSongTest, RefusedMergeLeavesTheOpenSongAsItWas) {
  WriteBytes(dir.File("ok.G36"), ValidFile());
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), dir.File("ok.G36").c_str()));
  std::string bytes = ValidFile();
  PutU32(bytes, 3340, 0xFFFF);
  WriteBytes(dir.File("bad.G36"), bytes);
  for (int mode : {1, 2}) {
    g_song.trackFileMode = mode;
    EXPECT_EQ(0, ReadSongFile(frame.hwnd(), dir.File("bad.G36").c_str()));
    EXPECT_EQ(3, g_song.trackCount);
    EXPECT_EQ(2u, TrackEvents(1).size());
    EXPECT_EQ(3u, TrackEvents(3).size());
  }
}

// A filter that takes files starting with "FAKE" and puts one note into
// track 1 of the table it is given.
int WINAPI FakeCheck(HGLOBAL head) {
  int ok = std::memcmp(GlobalLock(head), "FAKE", 4) == 0;
  GlobalUnlock(head);
  return ok;
}
int g_readinTrackCount = 0;
int WINAPI FakeReadin(HWND, HGLOBAL table, HGLOBAL image, int trackCount, int) {
  g_readinTrackCount = trackCount;
  GlobalFree(image);
  auto* t = static_cast<SongHandleTable*>(GlobalLock(table));
  HGLOBAL& events = t->h[TrackEventsEntry(1)];
  if (events) GlobalFree(events);
  events = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, 3 * sizeof(StepEvent));
  auto* e = static_cast<StepEvent*>(GlobalLock(events));
  e[0] = {72, 100, 480, 240};
  e[1] = EndEvent();
  e[2] = EndEvent();
  GlobalUnlock(events);
  GlobalUnlock(table);
  return 1;
}

TEST_F(DamagedSongTest, ForeignFileGoesThroughTheAcceptingImportSlot) {
  settings.Write("");
  NewSongHere();
  ImportFilterSlot saved = g_importSlots[2];
  g_importSlots[2].checkImpFile = FakeCheck;
  g_importSlots[2].readinFile = FakeReadin;
  WriteBytes(dir.File("f.fak"), "FAKE data");
  SetTrack(1, {{40, 1, 1, 1}});
  SetTrack(20, {{41, 1, 1, 1}});
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE(mode);
    g_song.trackFileMode = mode;
    EXPECT_EQ(1, ReadSongFile(frame.hwnd(), dir.File("f.fak").c_str()));
    EXPECT_EQ(36, g_readinTrackCount);
    EXPECT_EQ(36, g_song.trackCount);
  }
  // Mode 0 replaced track 1; mode 1 appended to it; mode 2 put the filter's
  // track 1 at track 19 and kept track 20 (the filter made no track 2).
  std::vector<StepEvent> t1 = TrackEvents(1);
  ASSERT_EQ(2u, t1.size());
  EXPECT_EQ(72, t1[0].code);
  EXPECT_EQ(72, t1[1].code);
  EXPECT_EQ(72, TrackEvents(19).at(0).code);
  EXPECT_EQ(41, TrackEvents(20).at(0).code);
  for (int n = 1; n <= 36; ++n) ASSERT_NE(nullptr, SongEntry(TrackHeaderEntry(n))) << n;
  EXPECT_TRUE(boxes.boxes.empty());
  g_importSlots[2] = saved;
}

}  // namespace
