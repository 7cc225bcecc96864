#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settingsblock.h"

namespace {

const WindowEntry& Entry(const char* key) {
  for (int i = 0; i < kWindowEntryCount; ++i)
    if (std::strcmp(kWindowEntries[i].key, key) == 0) return kWindowEntries[i];
  ADD_FAILURE() << "no entry " << key;
  return kWindowEntries[0];
}

std::vector<int32_t> Parsed(const WindowEntry& entry, const char* text, int32_t fill = 0) {
  std::vector<int32_t> block(kSettingsBlockFields, fill);
  int fields[kMaxEntryValues];
  int count = EntryFieldMap(entry, fields);
  ParseEntry(text, fields, count, block.data());
  return block;
}

TEST(SettingsBlockTest, EntryOffsets) {
  EXPECT_EQ(10, kSbTrackArrays);
  EXPECT_EQ(1610, kSbPlayPallet);
  EXPECT_EQ(1613, kSbNotePallet);
  EXPECT_EQ(1615, kSbPianoPallet);
  EXPECT_EQ(1620, kSbNamelist);
  EXPECT_EQ(1631, kSbErrLog);
  EXPECT_EQ(1642, kSbSearchLog);
  EXPECT_EQ(1653, kSbConductor);
  EXPECT_EQ(1664, kSbTrkSet);
  EXPECT_EQ(1676, kSbTrkView);
  EXPECT_EQ(1688, kSbTrkViewCWidth);
  EXPECT_EQ(1697, kSbUserExclusive);
  EXPECT_EQ(SbTrackField(15, 100), kSbPlayPallet - 1);
}

// Every stored field belongs to exactly one entry; the fields no entry names
// are the track arrays 1-4 and the second field of TrkSet and TrkView.
TEST(SettingsBlockTest, EntriesCoverTheBlockWithoutOverlap) {
  std::vector<int> owners(kSettingsBlockFields, 0);
  int fields[kMaxEntryValues];
  for (int i = 0; i < kWindowEntryCount; ++i) {
    int count = EntryFieldMap(kWindowEntries[i], fields);
    EXPECT_EQ(kWindowEntries[i].values, count);
    for (int k = 0; k < count; ++k) ++owners[fields[k]];
  }
  for (int track = 1; track <= kSbTrackSlots; ++track) {
    int count = TrackEntryFieldMap(track, fields);
    for (int k = 0; k < count; ++k) ++owners[fields[k]];
  }
  for (int f = 0; f < kSettingsBlockFields; ++f) {
    bool unstored = (f >= SbTrackField(1, 1) && f < SbTrackField(5, 1)) || f == kSbTrkSetMode ||
                    f == kSbTrkView + 1;
    EXPECT_EQ(unstored ? 0 : 1, owners[f]) << "field " << f;
  }
}

TEST(SettingsBlockTest, FrameSwapsItsFirstTwoValues) {
  auto b = Parsed(Entry("Frame"), "1,2,3,4,5,6,7,8,9,10");
  const int32_t expected[10] = {2, 1, 3, 4, 5, 6, 7, 8, 9, 10};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(expected[i], b[kSbFrame + i]) << i;
  EXPECT_EQ(0, b[kSbFrame + 10]);
}

TEST(SettingsBlockTest, WindowSwapsValuesTwoAndThree) {
  auto b = Parsed(Entry("Conductor"), "1,2,3,4,5,6,7,8,9,10,11");
  const int32_t expected[11] = {1, 3, 2, 4, 5, 6, 7, 8, 9, 10, 11};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(expected[i], b[kSbConductor + i]) << i;
}

TEST(SettingsBlockTest, TwelveFieldEntriesLeaveTheirSecondFieldAside) {
  for (const char* key : {"TrkSet", "TrkView"}) {
    const WindowEntry& e = Entry(key);
    auto b = Parsed(e, "1,2,3,4,5,6,7,8,9,10,11", 77);
    const int32_t expected[12] = {1, 77, 3, 2, 4, 5, 6, 7, 8, 9, 10, 11};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(expected[i], b[e.base + i]) << key << ' ' << i;
  }
}

TEST(SettingsBlockTest, TrackValuesGoToTheirArrays) {
  std::vector<int32_t> block(kSettingsBlockFields, 77);
  int fields[kMaxEntryValues];
  int count = TrackEntryFieldMap(5, fields);
  ParseEntry("1,2,3,4,5,6,7,8,9,10,11,12", fields, count, block.data());
  // Arrays 1-4 are not in the text.
  const int32_t expected[16] = {1, 77, 77, 77, 77, 3, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (int a = 0; a < 16; ++a) {
    EXPECT_EQ(expected[a], block[SbTrackField(a, 5)]) << "array " << a;
    EXPECT_EQ(77, block[SbTrackField(a, 4)]);
    EXPECT_EQ(77, block[SbTrackField(a, 6)]);
  }
}

TEST(SettingsBlockTest, DefaultTexts) {
  auto frame = Parsed(Entry("Frame"), Entry("Frame").def);
  EXPECT_EQ(-1, frame[kSbFrame + 1]);  // show command: nothing saved
  EXPECT_EQ(0, frame[kSbFrame]);

  auto piano = Parsed(Entry("PianoPallet"), Entry("PianoPallet").def);
  const int32_t pianoExpected[5] = {0, 0, 0, 50, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(pianoExpected[i], piano[kSbPianoPallet + i]);

  auto widths = Parsed(Entry("TrkViewCWidth"), Entry("TrkViewCWidth").def);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(-1, widths[kSbTrkViewCWidth + i]);

  auto log = Parsed(Entry("ErrLog"), Entry("ErrLog").def);
  EXPECT_EQ(128, log[kSbErrLog]);      // state: not open
  EXPECT_EQ(-1, log[kSbErrLog + 2]);   // show command
  EXPECT_EQ(0, log[kSbErrLog + 1]);    // flags
}

// Writing is the exact inverse of reading for every entry.
TEST(SettingsBlockTest, FormatThenParseGivesTheSameFields) {
  std::vector<int32_t> source(kSettingsBlockFields);
  for (int f = 0; f < kSettingsBlockFields; ++f) source[f] = (f * 7919) % 4001 - 2000;
  source[kSbFrame] = INT32_MIN;
  source[kSbFrame + 1] = INT32_MAX;
  std::vector<int32_t> copy(kSettingsBlockFields, 0);
  int fields[kMaxEntryValues];
  for (int i = 0; i < kWindowEntryCount; ++i) {
    int count = EntryFieldMap(kWindowEntries[i], fields);
    std::string text = FormatEntry(source.data(), fields, count);
    ParseEntry(text.c_str(), fields, count, copy.data());
    for (int k = 0; k < count; ++k)
      EXPECT_EQ(source[fields[k]], copy[fields[k]]) << kWindowEntries[i].key << " value " << k;
  }
  for (int track = 1; track <= kSbTrackSlots; ++track) {
    int count = TrackEntryFieldMap(track, fields);
    std::string text = FormatEntry(source.data(), fields, count);
    ParseEntry(text.c_str(), fields, count, copy.data());
    for (int k = 0; k < count; ++k) EXPECT_EQ(source[fields[k]], copy[fields[k]]);
  }
}

TEST(SettingsBlockTest, FormatListsValuesInTextOrder) {
  std::vector<int32_t> block(kSettingsBlockFields, 0);
  block[kSbFrame] = 2;      // flags
  block[kSbFrame + 1] = 1;  // show command
  block[kSbFrame + 9] = -5;
  int fields[kMaxEntryValues];
  int count = EntryFieldMap(Entry("Frame"), fields);
  EXPECT_EQ("1,2,0,0,0,0,0,0,0,-5", FormatEntry(block.data(), fields, count));
}

TEST(SettingsBlockTest, PalettesArePulledBackOntoTheScreen) {
  struct Case {
    int32_t left, top;
    int width, height;
    bool noteRule;
    int32_t wantLeft, wantTop;
  };
  const Case cases[] = {
      {1900, 10, 1024, 768, false, 950, 10},  // 1900, 1850 ... 1000, 950
      {999, 10, 1024, 768, false, 999, 10},   // 999 + 25 is not greater than 1024
      {999, 10, 1024, 768, true, 949, 10},    // the note palette's test includes equality
      {100, 800, 1024, 768, false, 100, 700},
      {30, 30, 20, 20, false, 0, 0},          // below zero: 0 and stop
      {-10, -10, 1024, 768, false, -10, -10}, // already left of the edge: untouched
  };
  for (const Case& c : cases) {
    int32_t left = c.left, top = c.top;
    PullPaletteOnScreen(left, top, c.width, c.height, c.noteRule);
    EXPECT_EQ(c.wantLeft, left) << c.left << ' ' << c.noteRule;
    EXPECT_EQ(c.wantTop, top) << c.top;
  }
}

TEST(SettingsBlockTest, FontEntryRoundTrip) {
  LOGFONTA font{};
  ASSERT_TRUE(ParseFontEntry("-16,0,0,0,400,1,0,0,128,3,2,1,49,ＭＳ ゴシック", &font));
  EXPECT_EQ(-16, font.lfHeight);
  EXPECT_EQ(400, font.lfWeight);
  EXPECT_EQ(1, font.lfItalic);
  EXPECT_EQ(128, font.lfCharSet);
  EXPECT_EQ(3, font.lfOutPrecision);
  EXPECT_EQ(2, font.lfClipPrecision);
  EXPECT_EQ(1, font.lfQuality);
  EXPECT_EQ(49, font.lfPitchAndFamily);
  EXPECT_STREQ("ＭＳ ゴシック", font.lfFaceName);
  EXPECT_EQ("-16,0,0,0,400,1,0,0,128,3,2,1,49,ＭＳ ゴシック", FormatFontEntry(font));

  LOGFONTA empty{};
  EXPECT_EQ("0,0,0,0,0,0,0,0,0,0,0,0,0,", FormatFontEntry(empty));
  LOGFONTA back{};
  back.lfHeight = 99;
  ASSERT_TRUE(ParseFontEntry(FormatFontEntry(empty).c_str(), &back));
  EXPECT_EQ(0, back.lfHeight);
  EXPECT_STREQ("", back.lfFaceName);
}

TEST(SettingsBlockTest, EmptyFontEntryLeavesTheFont) {
  LOGFONTA font{};
  font.lfHeight = 12;
  EXPECT_FALSE(ParseFontEntry("", &font));
  EXPECT_EQ(12, font.lfHeight);
}

TEST(SettingsBlockTest, LongFaceNameIsCutAndTerminated) {
  LOGFONTA font;
  std::memset(&font, 'x', sizeof font);
  std::string text = "12,0,0,0,400,0,0,0,0,0,0,0,0," + std::string(60, 'F');
  ASSERT_TRUE(ParseFontEntry(text.c_str(), &font));
  EXPECT_EQ(std::string(LF_FACESIZE - 1, 'F'), font.lfFaceName);
}

TEST(SettingsBlockTest, AllocKeepsAnExistingBlock) {
  bool existed = g_settingsBlock != nullptr;
  ASSERT_TRUE(AllocSettingsBlock());
  HGLOBAL first = g_settingsBlock;
  EXPECT_EQ(kSettingsBlockBytes, GlobalSize(first));
  ASSERT_TRUE(AllocSettingsBlock());
  EXPECT_EQ(first, g_settingsBlock);
  if (!existed) {
    FreeSettingsBlock();
    EXPECT_EQ(nullptr, g_settingsBlock);
    EXPECT_EQ(nullptr, LockSettingsBlock());
  }
}

}  // namespace
