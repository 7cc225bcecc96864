// Song and part files as this build writes them, byte for byte against the
// fixtures both builds share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "fixtures.h"
#include "partfile.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

StepEvent E(uint8_t code, uint8_t vel = 0, uint16_t step = 0, uint16_t gate = 0) {
  return StepEvent{code, vel, step, gate};
}
// Five text bytes after the code, as comments and exclusive runs hold them.
StepEvent Text5(uint8_t code, const char five[6]) {
  uint8_t raw[6] = {code};
  std::memcpy(raw + 1, five, 5);
  StepEvent e;
  std::memcpy(&e, raw, sizeof e);
  return e;
}

void PutText(char* field, size_t size, const char* text) {
  std::memset(field, ' ', size);
  std::memcpy(field, text, std::min(size, std::strlen(text)));
}

class CrossTargetFiles : public ::testing::Test {
 protected:
  TempSettingsFile ini;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
};

// Every header field the writer stores, set away from its default.
void DecorateHeader() {
  HGLOBAL h = SongEntry(kHeaderEntry);
  auto* hd = static_cast<SongHeader*>(GlobalLock(h));
  PutText(hd->title, sizeof hd->title, "クロスターゲット確認 Op.2");
  PutText(hd->memo, sizeof hd->memo, "memo: 三拍子、変ロ短調");
  hd->tempo = 132;
  hd->beatNum = 3;
  hd->beatDen = 8;
  hd->key = 5 | kKeyFlats | kKeyMinor;
  hd->playBias = -5;
  hd->smpte = SmpteStart{1, 0, 1, 2, 3, 0x80};
  std::memcpy(hd->gsFile, "STUDIO.GSD", 10);
  PutText(hd->rhythm[5].name, sizeof hd->rhythm[5].name, "Hand Clap 2");
  hd->rhythm[5].key = 39;
  hd->rhythm[5].gate = 12;
  UserExclusiveSlot& u = hd->userExcl[2];
  PutText(u.name, sizeof u.name, "REVERB TIME 残響");
  const uint8_t data[] = {0x41, 0x10, 0x42, 0x12, 0x83, 0x40, 0x01, 0x34, 0x80, 0x81, 0x84, 0xF7};
  std::memcpy(u.data, data, sizeof data);
  GlobalUnlock(h);
  g_song.markers[0] = 480;
  g_song.markers[1] = 1920;
  g_song.markers[3] = 0x00012345;
}

void SetTrack(int n, uint8_t channel, uint8_t keyShift, int8_t stepShift, uint8_t mode, const char* comment,
              std::initializer_list<StepEvent> events) {
  HGLOBAL h = SongEntry(TrackHeaderEntry(n));
  auto* th = static_cast<TrackHeader*>(GlobalLock(h));
  th->channel = channel;
  th->keyShift = keyShift;
  th->stepShift = stepShift;
  th->mode = mode;
  PutText(th->comment, sizeof th->comment, comment);
  GlobalUnlock(h);
  std::vector<StepEvent> block(events);
  block.push_back(EndEvent());
  ReplaceTrackEvents(n, block);
}

TEST_F(CrossTargetFiles, SongFile) {
  ini.Write("[OTHER]\norgTrack=6\n");
  ASSERT_TRUE(NewSong(frame.hwnd()));
  DecorateHeader();
  SetTrack(1, 0x00, 0, 0, 0, "メロディ", {E(60, 100, 480, 240), E(64, 90, 240, 480), E(67, 127, 240, 0xFFFF),
                                        E(0xFD), E(72, 1, 0, 30), E(0, 0, 720, 0), E(0xFD)});
  SetTrack(2, 0x13, 0x7B, -3, 0, "controls", {E(0xE7, 0, 0, 96), E(0xEC, 0, 0, 48), E(0xEB, 100, 0, 7),
                                             E(0xEE, 0x40, 120, 0x20), E(0xE1, 1, 0, 5), E(0xEA, 0, 60, 40),
                                             E(0xE6, 0, 0, 3), E(0xFD)});
  SetTrack(3, 0x2A, 0x85, 2, 1, "exclusive", {E(0x98), Text5(0xF7, "\xF0\x41\x10\x42\x12"),
                                              Text5(0xF7, "\x40\x00\x7F\x00\x41"), Text5(0xF7, "\xF7\xF7\xF7\xF7\xF7"),
                                              E(0x92, 0x20, 0, 0x10), Text5(0xF6, "comme"), Text5(0xF7, "nt   "),
                                              E(0xFD)});
  SetTrack(4, 0x09, 0x80, 0, 0, "loops", {E(0xF9), E(36, 110, 120, 60), E(42, 80, 120, 30), E(0xF8, 0, 3),
                                          E(0xFD), E(0xFC, 0, 0, 48), E(0xFD)});
  SetTrack(6, 0xF0, 0, 0, 4, "off", {E(48, 64, 0, 1), E(127, 127, 65535, 65535)});
  UpdateSongSize(frame.hwnd());

  std::string path = dir.File("cross.G36");
  ASSERT_EQ(kWriteOk, WriteSongFile(frame.hwnd(), path.c_str()));
  EXPECT_TRUE(boxes.boxes.empty());
  std::string file = ReadFileBytes(path);
  // A whole song file: six tracks that read back, whatever the fixture says.
  StoredTrack tracks[6];
  ASSERT_TRUE(FindStoredTracks(reinterpret_cast<const uint8_t*>(file.data()), file.size(), 6, tracks));
  EXPECT_EQ(file.size(), tracks[5].offset + kTrackHeaderFileSize + tracks[5].eventBytes);
  CheckFixture("song.G36", file);
}

// "ZKPPR" part data: four-byte records at 48 ticks to the quarter.
std::vector<uint8_t> RecordsPart(std::initializer_list<std::initializer_list<uint8_t>> records) {
  std::vector<uint8_t> b{'Z', 'K', 'P', 'P', 'R', 0};
  uint16_t length = static_cast<uint16_t>(records.size() * 4);
  b.push_back(length & 0xFF);
  b.push_back(length >> 8);
  for (const auto& r : records) b.insert(b.end(), r);
  return b;
}

TEST_F(CrossTargetFiles, PartFileConvertedFromRecords) {
  // Notes, commands, a comment run and an exclusive run; 120 to the
  // quarter makes every step a fraction with a remainder to carry.
  std::vector<uint8_t> old = RecordsPart({{0x3C, 48, 24, 100},
                                          {0x3E, 37, 35, 90},
                                          {0x3C, 11, 60, 80},
                                          {0xEC, 13, 5, 0},
                                          {0xF5, 7, 3, 0},
                                          {0xF6, 0, 'a', 'b'},
                                          {0xF7, 0, 'c', 'd'},
                                          {0x98, 48, 0x10, 0x20},
                                          {0x41, 0, 0xF0, 0x41},
                                          {0xF7, 0, 0x10, 0x42},
                                          {0xF7, 0, 0x12, 0xF7},
                                          {0x40, 25, 13, 127},
                                          {0xFE, 0, 0, 0}});
  std::vector<uint8_t> image;
  ASSERT_EQ(PartStatus::kOk, ConvertPartBytes(old.data(), old.size(), 120, false, &image));
  ASSERT_GE(image.size(), kPartHeadBytes);
  EXPECT_EQ(0, std::memcmp(image.data(), "Q31PR", 5));
  EXPECT_EQ(120, image[12] | image[13] << 8);

  HGLOBAL block = NewPartBlock();
  ASSERT_NE(nullptr, block);
  std::memcpy(GlobalLock(block), image.data(), image.size());
  GlobalUnlock(block);
  std::string path = dir.File("cross.GRT");
  ASSERT_EQ(1, SavePartToFile(nullptr, path.c_str(), block, static_cast<DWORD>(image.size()), 0));
  GlobalFree(block);
  EXPECT_TRUE(boxes.boxes.empty());
  std::string file = ReadFileBytes(path);
  EXPECT_EQ(AsString(image), file);
  CheckFixture("part.GRT", file);
}

}  // namespace
