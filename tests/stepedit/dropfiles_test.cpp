#include "dropfiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editmodel.h"
#include "memoevents.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;
using Bytes = std::vector<uint8_t>;

// One WIN.INI entry set for a test's lifetime (null deletes it); the old
// value, or its absence, comes back afterwards.
class WinIniEntry {
 public:
  WinIniEntry(const char* section, const char* key, const char* value) : section_(section), key_(key) {
    char old[1024];
    GetProfileStringA(section, key, kAbsent, old, sizeof old);
    had_ = std::strcmp(old, kAbsent) != 0;
    old_ = old;
    char keys[4] = {};
    sectionWasEmpty_ = GetProfileSectionA(section, keys, sizeof keys) == 0;
    WriteProfileStringA(section, key, value);
  }
  ~WinIniEntry() {
    if (had_) WriteProfileStringA(section_.c_str(), key_.c_str(), old_.c_str());
    else if (sectionWasEmpty_) WriteProfileStringA(section_.c_str(), nullptr, nullptr);
    else WriteProfileStringA(section_.c_str(), key_.c_str(), nullptr);
  }
  WinIniEntry(const WinIniEntry&) = delete;
  WinIniEntry& operator=(const WinIniEntry&) = delete;

 private:
  static constexpr const char* kAbsent = "\x01(absent)";
  std::string section_, key_, old_;
  bool had_ = false;
  bool sectionWasEmpty_ = false;
};

// The association lists the tests answer from: "zkw" an MCI extension,
// "zkp" and "exe" programs, "zkt" and "zkn" documents with a program, and
// the song extension in every list.
struct Associations {
  WinIniEntry mci{"mci extensions", "zkw", "waveaudio"};
  WinIniEntry mciSong{"mci extensions", "g36", "sequencer"};
  WinIniEntry programs{"windows", "Programs", "com EXE bat zkp g36"};
  WinIniEntry document{"Extensions", "zkt", "notepad.exe ^.zkt"};
  WinIniEntry bare{"Extensions", "zkn", "viewer.exe"};
  WinIniEntry song{"Extensions", "g36", "zkfw32.exe ^.g36"};
};

std::string FiveBytes(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p + 1), 5); }

StepEvent EventAt(const Bytes& block, size_t offset) {
  const uint8_t* p = block.data() + offset;
  return StepEvent{p[0], p[1], static_cast<uint16_t>(p[2] | p[3] << 8), static_cast<uint16_t>(p[4] | p[5] << 8)};
}

// The bytes of events in a block with the given head length.
Bytes BlockOf(const Events& events, size_t head, uint16_t extra) {
  Bytes b(head + events.size() * sizeof(StepEvent), 0);
  b[6] = static_cast<uint8_t>(extra);
  b[7] = static_cast<uint8_t>(extra >> 8);
  std::memcpy(b.data() + head, events.data(), events.size() * sizeof(StepEvent));
  return b;
}

// A "Q31PR" part image as the part reader fills its block.
Bytes PartImage(const Events& events) {
  Events withEnd = events;
  withEnd.push_back(EndEvent());
  Bytes b = BlockOf(withEnd, 20, 12);
  std::memcpy(b.data(), "Q31PR", 5);
  const uint32_t bytes = static_cast<uint32_t>(events.size() * sizeof(StepEvent));
  std::memcpy(b.data() + 8, &bytes, 4);
  b[12] = 480 & 0xFF;
  b[13] = 480 >> 8;
  return b;
}

Events Inserted(const Events& track, size_t at, const Events& add) {
  Events e = track;
  e.insert(e.begin() + static_cast<std::ptrdiff_t>(at), add.begin(), add.end());
  return e;
}

TEST(DropFiles, PartFilesByTheFirstThreeLettersOfTheExtension) {
  const struct {
    const char* path;
    bool part;
  } cases[] = {
      {"C:\\parts\\bass.prt", true},  {"BASS.PRT", true},       {"drums.Grt", true},
      {"C:\\x\\a.prtx", true},        {"a.pr", false},          {"a.txt", false},
      {"C:\\dir.prt\\song", false},   {"noextension", false},   {"C:\\parts\\song.g36", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPartFileName(c.path), c.part) << c.path;
  EXPECT_FALSE(IsPartFileName(nullptr));
}

TEST(DropFiles, BareNameOnlyInTheLastDirectoryItself) {
  const struct {
    const char* what;
    const char* last;
    const char* path;
    const char* stored;
  } cases[] = {
      {"same folder", "C:\\Media", "C:\\Media\\a.wav", "a.wav"},
      {"other case", "c:\\MEDIA", "C:\\Media\\a.wav", "a.wav"},
      {"trailing backslash", "C:\\Media\\", "C:\\Media\\a.wav", "a.wav"},
      {"other folder", "C:\\Other", "C:\\Media\\a.wav", "C:\\Media\\a.wav"},
      {"file in the parent folder", "C:\\Media\\Sub", "C:\\Media\\a.wav", "C:\\Media\\a.wav"},
      {"file in a subfolder", "C:\\Media", "C:\\Media\\Sub\\a.wav", "C:\\Media\\Sub\\a.wav"},
      {"folder name that starts alike", "C:\\Med", "C:\\Media\\a.wav", "C:\\Media\\a.wav"},
      {"root stored as the drive", "C:", "C:\\a.wav", "a.wav"},
      {"root with its backslash", "C:\\", "C:\\a.wav", "a.wav"},
      {"no last directory", "", "C:\\Media\\a.wav", "C:\\Media\\a.wav"},
      {"bare path", "C:\\Media", "a.wav", "a.wav"},
      // Double-byte folder names: a second byte 0x5C is no separator, and
      // second bytes are never folded.
      {"second byte 0x5C", "C:\\\x95\x5C", "C:\\\x95\x5C" "\\a.wav", "a.wav"},
      {"second byte 0x5C last", "C:\\\x95\x5C", "C:\\\x95\x5C" "a.wav", "C:\\\x95\x5C" "a.wav"},
      {"second bytes differ only in case", "C:\\\x83\x41", "C:\\\x83\x61" "\\a.wav", "C:\\\x83\x61" "\\a.wav"},
  };
  for (const auto& c : cases) EXPECT_EQ(StoredDropName(c.path, c.last), c.stored) << c.what;
  EXPECT_EQ(StoredDropName("C:\\Media\\a.wav", nullptr), "C:\\Media\\a.wav");
}

TEST(DropFiles, LookUpsFollowWinIni) {
  Associations lists;
  const char* last = "C:\\Media";
  const struct {
    const char* path;
    const char* mci;       // null: not an MCI file
    const char* program;   // null: no program
  } cases[] = {
      {"C:\\Media\\a.zkw", "play a.zkw", nullptr},
      {"C:\\Other\\A.ZKW", "play C:\\Other\\A.ZKW", nullptr},
      {"C:\\Media\\tool.zkp", nullptr, "tool.zkp"},
      {"C:\\Bin\\setup.exe", nullptr, "C:\\Bin\\setup.exe"},
      {"C:\\Media\\read.zkt", nullptr, "notepad.exe read.zkt"},
      {"C:\\Docs\\read.zkt", nullptr, "notepad.exe C:\\Docs\\read.zkt"},
      {"C:\\Docs\\pic.zkn", nullptr, "viewer.exe C:\\Docs\\pic.zkn"},
      {"C:\\Media\\song.g36", nullptr, nullptr},
      {"C:\\Media\\SONG.G36", nullptr, nullptr},
      {"C:\\Media\\what.zzq", nullptr, nullptr},
      {"C:\\Media\\noextension", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    std::string out = "untouched";
    EXPECT_EQ(MciCommandFor(c.path, nullptr, last), c.mci != nullptr) << c.path;
    EXPECT_EQ(MciCommandFor(c.path, &out, last), c.mci != nullptr) << c.path;
    EXPECT_EQ(out, c.mci ? c.mci : "untouched") << c.path;
    out = "untouched";
    EXPECT_EQ(ProgramCommandFor(c.path, nullptr, last), c.program != nullptr) << c.path;
    EXPECT_EQ(ProgramCommandFor(c.path, &out, last), c.program != nullptr) << c.path;
    EXPECT_EQ(out, c.program ? c.program : "untouched") << c.path;
  }
}

TEST(DropFiles, NameWithABlankIsQuoted) {
  Associations lists;
  std::string out;
  EXPECT_TRUE(MciCommandFor("C:\\My Music\\take one.zkw", &out, "C:\\Media"));
  EXPECT_EQ(out, "play \"C:\\My Music\\take one.zkw\"");
  EXPECT_TRUE(MciCommandFor("C:\\My Music\\take one.zkw", &out, "c:\\my music"));
  EXPECT_EQ(out, "play \"take one.zkw\"");
  EXPECT_TRUE(MciCommandFor("C:\\My Music\\one.zkw", &out, "C:\\Media"));
  EXPECT_EQ(out, "play \"C:\\My Music\\one.zkw\"");
  EXPECT_TRUE(ProgramCommandFor("C:\\My Docs\\read me.zkt", &out, "C:\\Media"));
  EXPECT_EQ(out, "notepad.exe \"C:\\My Docs\\read me.zkt\"");
  EXPECT_TRUE(ProgramCommandFor("C:\\Program Files\\run.exe", &out, "C:\\Media"));
  EXPECT_EQ(out, "\"C:\\Program Files\\run.exe\"");
}

TEST(DropFiles, CommandBlockEndsItsTextAtTheZero) {
  const struct {
    std::string text;
    int continuations;  // the zero included, five bytes an event
  } cases[] = {{"abcd", 1}, {"abcdefghi", 2}, {"abcdefghij", 3}, {"play abc.wav", 3}};
  for (int kind : {kCommandMci, kCommandLine}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.text);
      int count = -1;
      const Bytes block = BuildExternalCommandBlock(kind, c.text, &count);
      ASSERT_EQ(count, c.continuations + 1);
      ASSERT_EQ(block.size(), kDropBlockHeadBytes + (static_cast<size_t>(count) + 1) * sizeof(StepEvent));
      EXPECT_EQ(Bytes(block.begin(), block.begin() + 8), Bytes(8, 0));
      const StepEvent head = EventAt(block, 8);
      EXPECT_EQ(head.code, 0x99);
      EXPECT_EQ(head.vel, 0);
      EXPECT_EQ(head.step, 0);
      EXPECT_EQ(head.gate, kind);
      std::string text;
      for (int i = 1; i < count; ++i) {
        EXPECT_EQ(block[8 + 6 * i], 0xF7);
        text += FiveBytes(block.data() + 8 + 6 * i);
      }
      EXPECT_EQ(text.substr(0, c.text.size() + 1), c.text + std::string(1, '\0'));
      const StepEvent end = EventAt(block, 8 + 6 * static_cast<size_t>(count));
      const StepEvent endEvent = EndEvent();
      EXPECT_EQ(std::memcmp(&end, &endEvent, sizeof end), 0);
    }
  }
  // The twelve characters of an MCI string: 5 + 5 + 3 bytes with the zero.
  int count = 0;
  const Bytes block = BuildExternalCommandBlock(kCommandMci, "play abc.wav", &count);
  EXPECT_EQ(FiveBytes(block.data() + 14), "play ");
  EXPECT_EQ(FiveBytes(block.data() + 20), "abc.w");
  EXPECT_EQ(FiveBytes(block.data() + 26).substr(0, 3), std::string("av\0", 3));
}

TEST(DropFiles, DroppedFileBecomesItsCommandEvent) {
  Associations lists;
  int count = 0;
  Bytes block;
  ASSERT_TRUE(BuildDropCommandBlock("C:\\Media\\abc.zkw", "C:\\Media", &block, &count));
  EXPECT_EQ(count, 4);
  EXPECT_EQ(EventAt(block, 8).gate, kCommandMci);
  ASSERT_TRUE(BuildDropCommandBlock("C:\\Media\\read.zkt", "C:\\Media", &block, &count));
  EXPECT_EQ(EventAt(block, 8).gate, kCommandLine);
  EXPECT_FALSE(BuildDropCommandBlock("C:\\Media\\song.g36", "C:\\Media", &block, &count));
  EXPECT_TRUE(block.empty());
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(BuildDropCommandBlock("C:\\Media\\what.zzq", "C:\\Media", &block, &count));

  // An extension both lists know is played, not run.
  WinIniEntry both{"Extensions", "zkw", "player.exe ^.zkw"};
  ASSERT_TRUE(BuildDropCommandBlock("C:\\Media\\abc.zkw", "C:\\Media", &block, &count));
  EXPECT_EQ(EventAt(block, 8).gate, kCommandMci);

  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120)}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;
  const EditResult r = InsertDropEvents(m, song.ctx, block.data(), block.size(), count, DropPlace{});
  EXPECT_EQ(r.status, EditStatus::Ok);
  char text[64];
  int kind = -1;
  EXPECT_EQ(CaretCommandText(m, text, sizeof text, &kind), 12);
  EXPECT_STREQ(text, "play abc.zkw");
  EXPECT_EQ(kind, kCommandMci);
  EXPECT_EQ(m.eventCount, 6);
}

TEST(DropFiles, EventsGoWhereDragDropEditSays) {
  // Ten notes, top line 1, the caret on line 2; characters 8 x 16.
  struct Case {
    const char* what;
    int mode;
    bool rhythm;
    int x, y;
    bool inClient, iconic;
    size_t at;
  };
  const Case cases[] = {
      {"1: the caret line", 1, false, 0, 80, true, false, 2},
      {"1: the caret column of the grid", 1, true, 400, 0, true, false, 2},
      {"2: the line under the point", 2, false, 0, 80, true, false, 5},
      {"2: above the list", 2, false, 0, -40, true, false, 1},
      {"2: below the last line", 2, false, 0, 16 * 40, true, false, 10},
      {"2: the grid column under the point", 2, true, 8 * 21, 0, true, false, 4},
      {"3: the end of the track", 3, false, 0, 80, true, false, 10},
      {"1: outside the client area", 1, false, 0, 80, false, false, 10},
      {"2: outside the client area", 2, false, 0, 80, false, false, 10},
      {"1: iconic", 1, false, 0, 80, true, true, 10},
      {"2: iconic", 2, true, 8 * 21, 0, true, true, 10},
  };
  int count = 0;
  const Bytes block = BuildExternalCommandBlock(kCommandLine, "notepad.exe", &count);
  // Twelve bytes with the zero: three continuations, as the input packs it.
  const Events command = PackExternalCommand(kCommandLine, "notepad.exe");
  ASSERT_EQ(count, 4);
  for (const Case& c : cases) {
    ModelSong song;
    const Events before = NotesTrack(10);
    song.SetTrack(1, before, false);
    song.ctx.settings.dragDropEdit = c.mode;
    StepEditModel& m = song.Open(1, c.rhythm);
    m.topLine = 1;
    m.caretRow = 2;
    m.caretColumn = kRhythmFirstColumn + 2;
    DropPlace place;
    place.x = c.x;
    place.y = c.y;
    place.inClient = c.inClient;
    place.iconic = c.iconic;
    place.charWidth = 8;
    place.charHeight = 16;
    const EditResult r = InsertDropEvents(m, song.ctx, block.data(), block.size(), count, place);
    EXPECT_EQ(r.status, EditStatus::Ok) << c.what;
    EXPECT_EQ(r.stateBits, kStateModified | kStateTiming) << c.what;
    EXPECT_TRUE(r.indexRebuilt) << c.what;
    EXPECT_TRUE(SameBytes(song.Read(1), Inserted(before, c.at, command))) << c.what;
    EXPECT_EQ(m.eventCount, 14) << c.what;
  }
}

TEST(DropFiles, PartImageInsertsItsEventsAfterItsHead) {
  ModelSong song;
  const Events before = NotesTrack(4);
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  m.caretRow = 3;
  const Events part = {Note(80, 15), Ev(0xEC, 1, 0, 7), MeasureEnd()};
  const Bytes image = PartImage(part);
  const int count = PartImageEventCount(image.data(), image.size());
  ASSERT_EQ(count, 3);
  EXPECT_EQ(InsertDropEvents(m, song.ctx, image.data(), image.size(), count, DropPlace{}).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Inserted(before, 2, part)));
  EXPECT_EQ(PartImageEventCount(image.data(), 11), -1);
  const Bytes notPart = BlockOf(part, 20, 12);
  EXPECT_EQ(PartImageEventCount(notPart.data(), notPart.size()), -1);
}

TEST(DropFiles, FullTrackShortBlockOrDropsOffChangeNothing) {
  int count = 0;
  const Bytes block = BuildExternalCommandBlock(kCommandMci, "play a.wav", &count);
  ASSERT_EQ(count, 4);  // the command and three continuations
  struct Case {
    const char* what;
    int used;
    int mode;
    size_t size;
    EditStatus status;
  };
  const Case cases[] = {
      {"count + 1 reaches the limit", kMaxTrackEvents - 5, 1, block.size(), EditStatus::TrackFull},
      {"count + 1 stays below it", kMaxTrackEvents - 6, 1, block.size(), EditStatus::Ok},
      {"at the end of a full track", kMaxTrackEvents - 5, 3, block.size(), EditStatus::TrackFull},
      {"drops switched off", 10, 0, block.size(), EditStatus::Refused},
      {"block shorter than its count", 10, 1, 8 + 3 * 6, EditStatus::Refused},
      {"no head", 10, 1, 7, EditStatus::Refused},
  };
  for (const Case& c : cases) {
    ModelSong song;
    const Events before = NotesTrack(c.used);
    song.SetTrack(1, before);
    song.ctx.settings.dragDropEdit = c.mode;
    StepEditModel& m = song.Open(1);
    const EditResult r = InsertDropEvents(m, song.ctx, block.data(), c.size, count, DropPlace{});
    EXPECT_EQ(r.status, c.status) << c.what;
    if (c.status == EditStatus::Ok) {
      EXPECT_EQ(m.eventCount, c.used + count) << c.what;
      continue;
    }
    if (c.status == EditStatus::TrackFull) {
      EXPECT_EQ(r.messageId, kTrackFullMessageId) << c.what;
      EXPECT_TRUE(r.messageStyle & MB_ICONEXCLAMATION) << c.what;
    }
    EXPECT_EQ(r.stateBits, 0u) << c.what;
    EXPECT_TRUE(SameBytes(song.Read(1), before)) << c.what;
  }
}

}  // namespace
