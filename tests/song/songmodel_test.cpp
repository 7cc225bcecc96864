#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "inifile.h"
#include "plugins.h"
#include "rhythm.h"
#include "settings.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

// Reads a copy of one handle-table entry of the open song.
template <typename T>
T Entry(int index) {
  HGLOBAL h = SongEntry(index);
  EXPECT_NE(nullptr, h) << "entry " << index;
  T value{};
  if (!h) return value;
  std::memcpy(&value, GlobalLock(h), sizeof value);
  GlobalUnlock(h);
  return value;
}

std::string Text(const char* p, size_t n) { return std::string(p, n); }

// Replaces track n's event block with `count` notes and the end event.
void FillTrack(int n, int count) {
  std::vector<StepEvent> events(count, StepEvent{60, 100, 120, 100});
  events.push_back(EndEvent());
  ReplaceTrackEvents(n, events);
}

class SongModelTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRhythmTable(); }
  TempSettingsFile ini;
  TestFrame frame;
};

TEST_F(SongModelTest, NewSongDefaults) {
  ASSERT_TRUE(NewSong(frame.hwnd()));
  EXPECT_EQ(36, g_song.trackCount);
  auto header = Entry<SongHeader>(kHeaderEntry);
  EXPECT_STREQ("HALVERSTROMMA CANTORELLE ZKP3.0", header.signature);
  EXPECT_EQ(std::string(64, ' '), Text(header.title, 64));
  EXPECT_EQ(std::string(64, ' '), Text(header.text2, 64));
  EXPECT_EQ(std::string(360, ' '), Text(header.memo, 360));
  EXPECT_EQ(36, header.trackCount);
  EXPECT_EQ(480, header.timeBase);
  EXPECT_EQ(120, header.tempo);
  EXPECT_EQ(4, header.beatNum);
  EXPECT_EQ(4, header.beatDen);
  EXPECT_EQ(0, header.key);
  EXPECT_EQ(0, header.playBias);
  for (uint8_t b : header.carried536) EXPECT_EQ(0x40, b);
  EXPECT_EQ("USER EXCLUSIVE 0       ", Text(header.userExcl[0].name, 23));
  EXPECT_EQ("USER EXCLUSIVE 7       ", Text(header.userExcl[7].name, 23));
  for (uint8_t b : header.userExcl[3].data) EXPECT_EQ(0xF7, b);
  EXPECT_EQ("HandClap      ", Text(header.rhythm[0].name, 14));
  EXPECT_EQ(39, header.rhythm[0].key);
  EXPECT_EQ(1, header.rhythm[0].gate);

  struct {
    int track;
    uint8_t rhythm, channel, keyShift;
  } tracks[] = {{1, 0, 0, 0}, {10, 0x80, 9, 0x80}, {16, 0, 15, 0}, {17, 0, 0xFF, 0}, {36, 0, 0xFF, 0}};
  for (auto& t : tracks) {
    auto th = Entry<TrackHeader>(TrackHeaderEntry(t.track));
    EXPECT_EQ(t.track, th.number);
    EXPECT_EQ(t.rhythm, th.rhythm) << t.track;
    EXPECT_EQ(t.channel, th.channel) << t.track;
    EXPECT_EQ(t.keyShift, th.keyShift) << t.track;
    EXPECT_EQ(std::string(36, ' '), Text(th.comment, 36));
    EXPECT_EQ(54u, th.size);   // recounted: the end event alone
    auto end = Entry<StepEvent>(TrackEventsEntry(t.track));
    EXPECT_EQ(0xFE, end.code);
    EXPECT_EQ(0xFE, end.step);
  }
  EXPECT_EQ(nullptr, SongEntry(TrackHeaderEntry(37)));
  EXPECT_EQ(nullptr, SongEntry(TrackEventsEntry(37)));
  EXPECT_EQ(36 * 16371, g_song.freeEvents);
  EXPECT_EQ(0, g_song.usedEvents);
}

TEST_F(SongModelTest, TrackCountsFromSettings) {
  struct Case {
    const char* ini;
    int tracks;
  } cases[] = {
      {"[OTHER]\norgTrack=40\nmaxTrack=30\n", 30},
      {"[OTHER]\norgTrack=0\n", 36},
      {"[OTHER]\norgTrack=12\n", 12},
      {"[other]\nORGTRACK=20\nMaxTrack=50\n", 20},
      {"[OTHER]\norgTrack=500\nmaxTrack=500\n", 99},
  };
  for (const Case& c : cases) {
    ini.Write(c.ini);
    ASSERT_TRUE(NewSong(frame.hwnd()));
    EXPECT_EQ(c.tracks, g_song.trackCount) << c.ini;
    EXPECT_EQ(c.tracks, Entry<SongHeader>(kHeaderEntry).trackCount) << c.ini;
    EXPECT_NE(nullptr, SongEntry(TrackEventsEntry(c.tracks)));
    EXPECT_EQ(nullptr, SongEntry(TrackEventsEntry(c.tracks + 1)));
  }
}

TEST_F(SongModelTest, TimeBaseFromSettings) {
  ini.Write("[OTHER]\nTimeBase=96\n");
  ASSERT_TRUE(NewSong(frame.hwnd()));
  EXPECT_EQ(96, Entry<SongHeader>(kHeaderEntry).timeBase);
}

TEST_F(SongModelTest, NewSongMarksTracksUnsynchronisedAndClearsMarkers) {
  g_song.markers[2] = 1234;
  ASSERT_TRUE(NewSong(frame.hwnd()));
  EXPECT_EQ(0u, g_song.markers[2]);
  SongDocument* doc = LockSongDocument(frame.hwnd());
  auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
  // The recount reduces every state word to its modified bit.
  EXPECT_EQ(0u, tw->state[0]);
  EXPECT_EQ(0u, tw->state[35]);
  GlobalUnlock(doc->trackWindows);
  UnlockSongDocument(frame.hwnd());
  EXPECT_FALSE(AnyTrackModified());
}

TEST_F(SongModelTest, RecountSizesAndCounters) {
  ini.Write("[OTHER]\norgTrack=5\n");
  ASSERT_TRUE(NewSong(frame.hwnd()));
  FillTrack(1, 3);
  UpdateSongSize(frame.hwnd());
  EXPECT_EQ(72u, Entry<TrackHeader>(TrackHeaderEntry(1)).size);
  EXPECT_EQ(3, g_song.usedEvents);
  EXPECT_EQ(5 * 16371 - 3, g_song.freeEvents);

  // The used count is 16-bit and wraps; the free count does not.
  for (int n = 1; n <= 5; ++n) FillTrack(n, 16371);
  UpdateSongSize(frame.hwnd());
  EXPECT_EQ(static_cast<uint16_t>(5 * 16371), g_song.usedEvents);
  EXPECT_EQ(0, g_song.freeEvents);

  SongDocument* doc = LockSongDocument(frame.hwnd());
  auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
  EXPECT_EQ(16371, tw->stepOut[0]);
  EXPECT_EQ(16371 * 120, tw->stepTotal[0]);
  GlobalUnlock(doc->trackWindows);
  UnlockSongDocument(frame.hwnd());
}

TEST_F(SongModelTest, CountEventsStopsAtEndCodesAndLimit) {
  StepEvent e[4] = {{60, 1, 1, 1}, {0xFD, 0, 0, 0}, {0xFF, 0, 0, 0}, {60, 1, 1, 1}};
  EXPECT_EQ(2, CountEvents(e, 4));
  StepEvent noEnd[3] = {{60, 1, 1, 1}, {61, 1, 1, 1}, {62, 1, 1, 1}};
  EXPECT_EQ(3, CountEvents(noEnd, 3));
  EXPECT_EQ(0, CountEvents(nullptr, 3));
}

TEST_F(SongModelTest, Caption) {
  char blank[64];
  std::memset(blank, ' ', sizeof blank);
  char named[64];
  std::memset(named, ' ', sizeof named);
  std::memcpy(named, "My Song", 7);
  struct Case {
    const char* title;
    const char* path;
    int bits;
    std::string caption;
  } cases[] = {
      {blank, "C:\\songs\\tune.G36", 3, "(無題) - Cantorelle for Windows95"},
      {blank, "C:\\songs\\tune.G36", 0, ""},
      {named, "C:\\songs\\tune.G36", 2, "My Song"},
      {named, "C:\\songs\\tune.G36", 7, "My Song - tune - Cantorelle for Windows95"},
      {named, "C:\\songs\\tune.G36", 5, "tune - Cantorelle for Windows95"},
      {named, "C:\\songs\\tune.G36", 4, "tune"},
      {named, "C:\\songs\\tune.G36", 1, "Cantorelle for Windows95"},
      {named, "C:\\表\\ソ.G36", 4, "ソ"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.caption, BuildCaption(c.title, c.path, c.bits)) << c.bits;
}

TEST_F(SongModelTest, SetSongTitleSetsFrameTextAndSongFileName) {
  ASSERT_TRUE(NewSong(frame.hwnd()));
  char text[256];
  GetWindowTextA(frame.hwnd(), text, sizeof text);
  EXPECT_STREQ("(無題) - Cantorelle for Windows95", text);
  EXPECT_STREQ("NEW.G36", g_song.fileName);

  g_settings.titleBar = 4;
  SetSongTitle("C:\\imports\\dance.mid");
  GetWindowTextA(frame.hwnd(), text, sizeof text);
  EXPECT_STREQ("dance", text);
  // A file read through an import filter is saved as a song of the same name.
  EXPECT_STREQ("C:\\imports\\dance.G36", g_song.fileName);
  g_settings.titleBar = 3;
}

TEST_F(SongModelTest, FreeSongEmptiesTheTable) {
  ASSERT_TRUE(NewSong(frame.hwnd()));
  FreeSong(frame.hwnd());
  EXPECT_EQ(nullptr, SongEntry(kHeaderEntry));
  EXPECT_EQ(nullptr, SongEntry(TrackEventsEntry(1)));
  ASSERT_TRUE(NewSong(frame.hwnd()));
  EXPECT_NE(nullptr, SongEntry(kHeaderEntry));
}

// A controller plug-in gets per-song data at every new song and is told when
// the song is freed.
int g_setCalls = 0;
HGLOBAL WINAPI PluginNewData(uint16_t) { return GlobalAlloc(GMEM_MOVEABLE, 16); }
void WINAPI PluginSetData(uint16_t, HGLOBAL data, const char* gsd) {
  if (data == nullptr && std::strcmp(gsd, "new.gsd") == 0) ++g_setCalls;
}

TEST_F(SongModelTest, PluginSongData) {
  ControllerPlugin& p = g_plugins[3];
  p.id = 7;
  p.newSongData = PluginNewData;
  p.setSongData = PluginSetData;
  g_setCalls = 0;
  ASSERT_TRUE(NewSong(frame.hwnd()));
  EXPECT_NE(nullptr, p.songData);
  FreeSong(frame.hwnd());
  EXPECT_EQ(nullptr, p.songData);
  EXPECT_EQ(1, g_setCalls);
  p = ControllerPlugin{};
}

TEST_F(SongModelTest, RhythmNamesFromSettings) {
  ASSERT_TRUE(NewSong(frame.hwnd()));
  // An absent section is written whole first.
  EXPECT_EQ(39, IniGetInt("Rhythm Section", "RhythmKeyNo0", -1));
  EXPECT_EQ("OpenTriangle", IniGetString("Rhythm Section", "RhythmName127", "", 40));
  EXPECT_EQ("ConcertCymbal1", IniGetString("Rhythm Section", "RhythmName113", "", 40));
  EXPECT_EQ("808BassDrum", IniGetString("Rhythm Section", "RhythmName79", "", 40));
  EXPECT_EQ(35, IniGetInt("Rhythm Section", "RhythmKeyNo110", -1));

  IniWriteString("Rhythm Section", "RhythmName5", "A very long rhythm name");
  IniWriteInt("Rhythm Section", "RhythmKeyNo5", 99);
  IniWriteInt("Rhythm Section", "RhythmGT5", 7);
  IniWriteString("Rhythm Section", "RhythmName6", "Bo");
  ASSERT_TRUE(NewSong(frame.hwnd()));
  auto header = Entry<SongHeader>(kHeaderEntry);
  EXPECT_EQ("A very long rh", Text(header.rhythm[5].name, 14));
  EXPECT_EQ(99, header.rhythm[5].key);
  EXPECT_EQ(7, header.rhythm[5].gate);
  EXPECT_EQ("Bo            ", Text(header.rhythm[6].name, 14));
}

TEST_F(SongModelTest, RhythmNamesFromSongChangeFirst32Only) {
  ASSERT_TRUE(NewSong(frame.hwnd()));
  HGLOBAL h = SongEntry(kHeaderEntry);
  auto* header = static_cast<SongHeader*>(GlobalLock(h));
  for (int i = 0; i < 128; ++i) {
    std::memcpy(header->rhythm[i].name, "Changed       ", 14);
    header->rhythm[i].key = 1;
  }
  GlobalUnlock(h);
  LoadRhythmNamesFromSong();
  EXPECT_STREQ("Changed", g_rhythmTable[0].name);
  EXPECT_STREQ("Changed", g_rhythmTable[31].name);
  EXPECT_EQ(1, g_rhythmTable[31].key);
  EXPECT_STREQ("HandClap", g_rhythmTable[32].name);
  EXPECT_EQ(39, g_rhythmTable[32].key);
  SaveRhythmNames();
  EXPECT_EQ("Changed", IniGetString("Rhythm Section", "RhythmName31", "", 40));
  EXPECT_EQ("HandClap", IniGetString("Rhythm Section", "RhythmName32", "", 40));
}

}  // namespace
