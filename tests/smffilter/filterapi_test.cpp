#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "filterdll.h"
#include "filterslots.h"
#include "../../smffilter/resource.h"
#include "songfile.h"
#include "songfixture.h"
#include "songmodel.h"
#include "testsupport.h"

using namespace songfixture;

namespace {

constexpr StepEvent kBar{0xFD, 0xFD, 253, 253};

std::string OneNoteFormat0() {
  return Smf(0, 480, {Track(Meta(0, 0x03, "Imported") + Meta(0, 0x59, std::string("\xFD\x00", 2)) +
                            Ev(0, {0x90, 60, 100}) + Ev(480, {0x80, 60, 0}))});
}

class FilterApiTest : public ::testing::Test {
 protected:
  FilterIni ini;
};

TEST_F(FilterApiTest, VersionAndFileTypeEntries) {
  FilterDll dll;
  char version[16];
  std::memset(version, 'x', sizeof version);
  EXPECT_EQ(100, dll.getImpVersion(version) & 0xFFFF);
  EXPECT_EQ(std::string("ZKFW2\0xx", 8), std::string(version, 8));
  ASSERT_NE(nullptr, dll.getExpVersion);
  std::memset(version, 'x', sizeof version);
  EXPECT_EQ(100, dll.getExpVersion(version) & 0xFFFF);
  EXPECT_EQ(std::string("ZKFW2\0", 6), std::string(version, 6));

  std::string list(80, '#');
  EXPECT_EQ(45, dll.getFileExtension(list.data(), 10));
  EXPECT_EQ(std::string(10, '#') + std::string("MIDI\xCC\xA7\xB2\xD9 (*.MID;*.STD)\0*.MID;*.STD\0", 35) +
                std::string(35, '#'),
            list);
  list.assign(40, '#');
  EXPECT_EQ(22 + 3, dll.getExpFileExtension(list.data(), 3));
  EXPECT_EQ(std::string(3, '#') + std::string("MIDI\xCC\xA7\xB2\xD9(*.MID)\0*.MID\0", 22) + std::string(15, '#'),
            list);
  char ext[8];
  std::memset(ext, '#', sizeof ext);
  EXPECT_EQ(1, dll.setExpFileExtension(nullptr, ext, nullptr) & 0xFFFF);
  EXPECT_EQ(std::string(".mid\0##", 7), std::string(ext, 7));
}

TEST_F(FilterApiTest, CheckImpFileLooksAtTheHeaderOnly) {
  FilterDll dll;
  std::string smf0 = Smf(0, 480, {});
  std::string prefix(128, '\0');
  struct Case {
    std::string image;
    int expected;
  } cases[] = {
      {smf0, 1},
      {Smf(1, 96, {}), 1},
      {Smf(2, 96, {}), 0},                      // format 2
      {std::string("MThd\0\0\0\x06\x01\x00", 10), 0},  // format 0x0100
      {smf0.substr(0, 10), 1},                  // enough to know
      {smf0.substr(0, 9), 0},
      {smf0.substr(0, 4), 0},
      {"", 0},
      {"RIFF" + smf0.substr(4), 0},
      {prefix + smf0, 1},                       // a 128-byte prefix
      {prefix.substr(0, 1) + smf0, 0},          // first byte 0, "MThd" not at 128
      {prefix + smf0.substr(0, 9), 0},
      {prefix.substr(0, 100), 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].expected, dll.Check(cases[i].image)) << i;
  EXPECT_EQ(0, dll.checkImpFile(nullptr));
}

TEST_F(FilterApiTest, ReadinFileReplacesTheSongsTracks) {
  FilterDll dll;
  BoxCatcher boxes;
  // A song of two tracks whose blocks the import replaces.
  HGLOBAL table = NewSongTable(MakeHeader(480, 90, 3, 4, 0, "Old"), {{0, {{64, 1, 1, 1}}, 0x80, 0, 0, 0, ""}, {1, {}, 0x80, 0, 0, 0, ""}});
  HGLOBAL oldTrack1 = Entry(table, TrackEventsEntry(1));
  ASSERT_EQ(1, dll.readinFile(nullptr, table, BlockOf(OneNoteFormat0()), 0, 0));
  EXPECT_TRUE(boxes.boxes.empty());
  ExpectWholeSong(table);
  EXPECT_NE(oldTrack1, Entry(table, TrackEventsEntry(1)));
  SongHeader h = HeaderOf(table);
  EXPECT_EQ(std::string("Imported") + std::string(56, ' '), std::string(h.title, 64));
  EXPECT_EQ(16, h.trackCount);
  EXPECT_EQ(480, h.timeBase);
  EXPECT_EQ(120, h.tempo);
  EXPECT_EQ(4, h.beatNum);
  EXPECT_EQ(4, h.beatDen);
  EXPECT_EQ(kKeyFlats | 3, h.key);
  EXPECT_EQ(0, std::memcmp(h.signature, "HALVERSTROMMA", 13));
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 1920, 480}, kBar}), TrackEvents(table, 1));
  for (int k = 1; k <= 16; ++k) {
    TrackHeader t = TrackHeaderOf(table, k);
    EXPECT_EQ(k, t.number);
    EXPECT_EQ(k - 1, t.channel);
    EXPECT_EQ(std::string(36, ' '), std::string(t.comment, 36));
    EXPECT_EQ(kFullBlockBytes, GlobalSize(Entry(table, TrackEventsEntry(k))));
  }
  FreeSongTable(table);
}

TEST_F(FilterApiTest, ARefusedImageLeavesTheSongAsItWas) {
  FilterDll dll;
  BoxCatcher boxes;
  std::string bad[] = {Smf(2, 480, {Track("")}), "MThd\0\0\0\x07\0\0\0\x01\x01\xE0\0" + Track(""),
                       Smf(0, 480, {}), "MThd", ""};
  for (const std::string& image : bad) {
    HGLOBAL table = NewSongTable(MakeHeader(96, 90, 3, 4, 2, "Kept"), {{0, {{64, 1, 1, 1}}, 0x80, 0, 0, 0, ""}});
    std::vector<HGLOBAL> before;
    for (int i = 0; i < kHandleTableEntries; ++i) before.push_back(Entry(table, i));
    SongHeader old = HeaderOf(table);
    EXPECT_EQ(0, dll.readinFile(nullptr, table, BlockOf(image), 0, 0));
    for (int i = 0; i < kHandleTableEntries; ++i) EXPECT_EQ(before[i], Entry(table, i)) << i;
    SongHeader now = HeaderOf(table);
    EXPECT_EQ(0, std::memcmp(&old, &now, sizeof old));
    EXPECT_EQ((std::vector<StepEvent>{{64, 1, 1, 1}}), TrackEvents(table, 1));
    FreeSongTable(table);
  }
  // The file without tracks says so; the others are the host's to report.
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(FilterText(dll.module(), IDS_REFUSED_NO_TRACKS), boxes.boxes[0].text);
}

TEST_F(FilterApiTest, ImportSettingsAreReadAtEveryImport) {
  FilterDll dll;
  BoxCatcher boxes;
  std::vector<std::string> chunks = {Track(Meta(0, 0x51, std::string("\x07\xA1\x20", 3)))};
  for (int i = 0; i < 11; ++i) chunks.push_back(Track(Ev(0, {0x90 | i, 60, 100}) + Ev(96, {0x80 | i, 60, 0})));
  std::string image = Smf(1, 96, chunks);
  struct Case {
    std::vector<std::pair<const char*, int>> keys;
    int tracks;
    int timeBase;
    size_t boxes;
  } cases[] = {
      {{}, 11, 480, 0},
      {{{"ImportFormat1Mix", 0}}, 16, 480, 0},
      {{{"maxTrack", 8}}, 8, 480, 1},
      {{{"maxTrack", 0}}, 11, 480, 0},
      {{{"LOADONTBCVT", 1}}, 11, 96, 0},
  };
  for (const Case& c : cases) {
    FilterIni fresh;
    for (auto& [key, value] : c.keys) ini.Set(std::strcmp(key, "maxTrack") ? "zksmf" : "OTHER", key, value);
    boxes.boxes.clear();
    HGLOBAL table = NewEmptySongTable();
    ASSERT_EQ(1, dll.readinFile(nullptr, table, BlockOf(image), 0, 0));
    ExpectWholeSong(table);
    SongHeader h = HeaderOf(table);
    EXPECT_EQ(c.tracks, h.trackCount);
    EXPECT_EQ(c.timeBase, h.timeBase);
    ASSERT_EQ(c.boxes, boxes.boxes.size());
    if (c.boxes) {
      EXPECT_EQ(FilterText(dll.module(), IDS_IMPORT_CAPTION), boxes.boxes[0].caption);
      EXPECT_EQ(FilterText(dll.module(), IDS_IMPORT_TOO_MANY_TRACKS), boxes.boxes[0].text);
    }
    FreeSongTable(table);
  }
  // The flags: notes off, program changes kept.
  ini.Set("zksmf", "ImportConvFlags", 0xFF);
  ini.Set("zksmf", "ImportConvFlags2", 0xFE);
  HGLOBAL table = NewEmptySongTable();
  std::string cc = Smf(0, 480, {Track(Ev(0, {0xC0, 5}) + Ev(0, {0x90, 60, 100}) + Ev(10, {0x80, 60, 0}))});
  ASSERT_EQ(1, dll.readinFile(nullptr, table, BlockOf(cc), 0, 1));
  EXPECT_EQ((std::vector<StepEvent>{{0xEC, 0, 1920, 5}, kBar}), TrackEvents(table, 1));
  FreeSongTable(table);
}

TEST_F(FilterApiTest, PortModeIsReadWhenTheLibraryLoads) {
  std::string image = Smf(0, 480, {Track(Meta(0, 0x21, std::string("\x00", 1)) + Ev(0, {0x90, 60, 100}) +
                                         Ev(10, {0x80, 60, 0}))});
  for (int mode : {0, 1}) {
    ini.Set("zksmf", "PortSW", mode);
    FilterDll dll;
    HGLOBAL table = NewEmptySongTable();
    ASSERT_EQ(1, dll.readinFile(nullptr, table, BlockOf(image), 0, 0));
    // Mode 1: port value 0 mutes, so track 1 holds only its empty measure.
    EXPECT_EQ(mode == 0 ? 60 : 60, TrackEvents(table, 1).at(0).code);
    EXPECT_EQ(mode == 0 ? 100 : 0, TrackEvents(table, 1).at(0).vel) << mode;
    FreeSongTable(table);
  }
}

TEST_F(FilterApiTest, TheFilterSaysWhatItCutOrDropped) {
  FilterDll dll;
  BoxCatcher boxes;
  std::string events;
  for (int i = 0; i < kMaxTrackEvents + 10; ++i) events += Ev(0, {0xB0, 7, 1});
  HGLOBAL table = NewEmptySongTable();
  ASSERT_EQ(1, dll.readinFile(nullptr, table, BlockOf(Smf(0, 480, {Track(events)})), 0, 0));
  ExpectWholeSong(table);
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ("zksmf.dll", boxes.boxes[0].caption);
  char expected[256];
  std::snprintf(expected, sizeof expected, FilterText(dll.module(), IDS_IMPORT_TRACK_FULL).c_str(), 1);
  EXPECT_EQ(expected, boxes.boxes[0].text);
  FreeSongTable(table);

  // A chunk cut short, and a division of 0.
  boxes.boxes.clear();
  table = NewEmptySongTable();
  std::string cut = Smf(0, 0, {Track(Ev(0, {0x90, 60, 100}) + Ev(10, {0x80, 60, 0}))});
  cut.resize(cut.size() - 3);
  ASSERT_EQ(1, dll.readinFile(nullptr, table, BlockOf(cut), 0, 0));
  ExpectWholeSong(table);
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(FilterText(dll.module(), IDS_IMPORT_CAPTION), boxes.boxes[0].caption);
  const std::string& text = boxes.boxes[0].text;
  EXPECT_EQ(0u, text.find(FilterText(dll.module(), IDS_DAMAGED_INTRO)));
  EXPECT_NE(std::string::npos, text.find(FilterText(dll.module(), IDS_DROP_TRUNCATED)));
  EXPECT_NE(std::string::npos, text.find(FilterText(dll.module(), IDS_DROP_BAD_DIVISION)));
  EXPECT_EQ(std::string::npos, text.find(FilterText(dll.module(), IDS_DROP_ZERO_TEMPO)));
  FreeSongTable(table);
}

TEST_F(FilterApiTest, ProgressDialogGetsTheReadingText) {
  FilterDll dll;
  HWND dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                                nullptr, nullptr, nullptr);
  HWND text = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 20, dialog,
                              reinterpret_cast<HMENU>(IDC_PROGRESS_TEXT), nullptr, nullptr);
  HWND bar = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 40, 300, 20, dialog,
                             reinterpret_cast<HMENU>(IDC_PROGRESS_BAR), nullptr, nullptr);
  UpdateWindow(dialog);
  HGLOBAL table = NewEmptySongTable();
  ASSERT_EQ(1, dll.readinFile(dialog, table, BlockOf(OneNoteFormat0()), 0, 0));
  // After the last of the sixteen tracks the whole bar is filled.
  HDC dc = GetDC(bar);
  EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), GetPixel(dc, 295, 10));
  ReleaseDC(bar, dc);
  char shown[128] = {};
  GetWindowTextA(text, shown, sizeof shown);
  EXPECT_EQ(FilterText(dll.module(), IDS_IMPORT_PROGRESS), shown);
  EXPECT_EQ("MIDI FILEを読み込み中です。", std::string(shown));
  FreeSongTable(table);
  DestroyWindow(dialog);
}

// The main program's import slots bind the library from [Filter] and open a
// Standard MIDI File through it.
TEST_F(FilterApiTest, TheMainProgramsFilterSlotsTakeTheLibrary) {
  TempSettingsFile settings;
  MessageBoxRecorder hostBoxes;
  TestFrame frame;
  TempDir dir;
  settings.Write("[Filter]\r\nImport2=zksmf.dll\r\nExport1=zksmf.dll\r\n");
  BindFilterSlots();
  ASSERT_NE(nullptr, g_importSlots[2].library);
  ASSERT_NE(nullptr, g_importSlots[2].checkImpFile);
  ASSERT_NE(nullptr, g_importSlots[2].readinFile);
  ASSERT_NE(nullptr, g_exportSlots[1].library);
  EXPECT_NE(nullptr, g_exportSlots[1].getExpFileExtension);
  EXPECT_NE(nullptr, g_exportSlots[1].setExpFileExtension);

  std::string list(512, '\0');
  size_t n = BuildImportTypeList(list.data(), list.size(), "Own (*.ZKS)", "*.ZKS");
  EXPECT_EQ(std::string("Own (*.ZKS)\0*.ZKS\0MIDI\xCC\xA7\xB2\xD9 (*.MID;*.STD)\0*.MID;*.STD\0\0", 54),
            list.substr(0, n));
  n = BuildExportTypeList(list.data(), list.size(), "Own (*.ZKS)", "*.ZKS");
  EXPECT_EQ(std::string("Own (*.ZKS)\0*.ZKS\0MIDI\xCC\xA7\xB2\xD9(*.MID)\0*.MID\0\0", 41), list.substr(0, n));

  HGLOBAL head = BlockOf(OneNoteFormat0());
  EXPECT_EQ(2, FindImportSlot(head));
  GlobalFree(head);

  ASSERT_TRUE(NewSong(frame.hwnd()));
  WriteBytes(dir.File("tune.mid"), OneNoteFormat0());
  g_song.trackFileMode = 0;
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), dir.File("tune.mid").c_str()));
  EXPECT_TRUE(hostBoxes.boxes.empty());
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 1920, 480}, kBar}), TrackEventsOf(1));
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 1920, 0}, kBar}), TrackEventsOf(16));
  FreeSong(frame.hwnd());
  FreeFilterSlots();
}

}  // namespace
