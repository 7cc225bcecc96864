// The open dialog's pure parts: the title a file's first bytes give, the
// shell test for old-style dialogs, which types the load options serve.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "filedlg.h"
#include "filterslots.h"
#include "opendlg.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

const std::string kBlankTitle(64, ' ');

std::string Head(const char (&signature)[32], const std::string& title, size_t size) {
  std::string bytes(size, '\0');
  std::memcpy(bytes.data(), signature, std::min<size_t>(32, size));
  std::string padded = title + std::string(64 - title.size(), ' ');
  if (size > 32) std::memcpy(bytes.data() + 32, padded.data(), std::min<size_t>(64, size - 32));
  return bytes;
}

const char kOldSignature[32] = "ZKM-PC98V2.0(C)HALVERSTROMMA\r\n";
const char kNewSignature[32] = "HALVERSTROMMA CANTORELLE ZKP3.0";

std::string TitleOf(const std::string& bytes) {
  return SongTitleFromHead(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(SongTitleFromHead, BothSongSignaturesGiveTheirTitle) {
  ASSERT_EQ(std::memcmp(kNewSignature, kSongSignature, 32), 0);
  const std::string title = "夜想曲 Nocturne";
  const std::string padded = title + std::string(64 - title.size(), ' ');
  EXPECT_EQ(TitleOf(Head(kNewSignature, title, 3224)), padded);
  EXPECT_EQ(TitleOf(Head(kOldSignature, title, 3224)), padded);
  // Exactly the signature and the title is enough.
  EXPECT_EQ(TitleOf(Head(kNewSignature, title, 96)), padded);
}

TEST(SongTitleFromHead, AnyOtherFileShowsSixtyFourBlanks) {
  EXPECT_EQ(TitleOf(std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14) + std::string(200, 'x')), kBlankTitle);
  EXPECT_EQ(TitleOf(std::string(3224, '\0')), kBlankTitle);
  EXPECT_EQ(SongTitleFromHead(nullptr, 0), kBlankTitle);
  // The old signature needs its two 0 bytes.
  std::string almost = Head(kOldSignature, "T", 3224);
  almost[31] = ' ';
  EXPECT_EQ(TitleOf(almost), kBlankTitle);
}

TEST(SongTitleFromHead, AFileShorterThanTheTitleShowsBlanks) {
  // Signature and part of a title: nothing beyond what was read is looked at.
  for (size_t size : {0u, 31u, 32u, 60u, 95u})
    EXPECT_EQ(TitleOf(Head(kNewSignature, "Short", size)), kBlankTitle) << size;
}

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit = CreateWindowA("EDIT", "before", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
    ASSERT_NE(edit, nullptr);
  }
  void TearDown() override { DestroyWindow(edit); }
  std::string Text() {
    char text[256] = {};
    GetWindowTextA(edit, text, sizeof text);
    return text;
  }
  HWND edit = nullptr;
  TempDir dir;
};

TEST_F(PreviewTest, SongFileTitleShortFileBlanksMissingFileLeavesTheControl) {
  const std::string song = dir.File("song.G36");
  WriteBytes(song, Head(kNewSignature, "Nocturne", 3224) + std::string(100, '\0'));
  PreviewSongTitle(edit, song.c_str());
  EXPECT_EQ(Text(), "Nocturne" + std::string(56, ' '));

  const std::string shortFile = dir.File("short.G36");
  WriteBytes(shortFile, Head(kNewSignature, "Nocturne", 70));
  PreviewSongTitle(edit, shortFile.c_str());
  EXPECT_EQ(Text(), kBlankTitle);

  SetWindowTextA(edit, "kept");
  PreviewSongTitle(edit, dir.File("missing.G36").c_str());
  EXPECT_EQ(Text(), "kept");
  PreviewSongTitle(edit, dir.path().c_str());
  EXPECT_EQ(Text(), "kept");
}

// Version words as GetVersion gives them: major in the low byte, minor in
// the next, the build above, bit 31 set outside Windows NT.
TEST(IsNewShellFor, Windows95NT4AndNT351) {
  EXPECT_EQ(IsNewShellFor(0xC3B60004u), 0);    // Windows 95 4.0.950
  EXPECT_EQ(IsNewShellFor(0x05650004u), 1);    // Windows NT 4.0.1381
  EXPECT_EQ(IsNewShellFor(0x04213303u), 129);  // Windows NT 3.51.1057
  EXPECT_EQ(IsNewShellFor(0x0A280105u), 1);    // Windows XP
  EXPECT_TRUE(IsNewShellFor(0x04213303u) & kOldShellBit);
  EXPECT_FALSE(IsNewShellFor(0x05650004u) & kOldShellBit);
}

class OptionsTypeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (ImportFilterSlot& slot : g_importSlots) {
      if (slot.library) FreeLibrary(slot.library);
      slot = ImportFilterSlot{};
    }
  }
  TempSettingsFile settings;
};

// Slot 0 is a filter without ordinal 9, slot 1 is empty and slot 3 a library
// with ordinal 9 (none of the test filters has one: the common controls
// library, which exports ordinal 9, stands in).
TEST_F(OptionsTypeTest, TheTypeIsMappedToItsSlotPastGaps) {
  g_importSlots[0].library = LoadLibraryA("zktestfilter.dll");
  ASSERT_NE(g_importSlots[0].library, nullptr);
  ASSERT_EQ(GetProcAddress(g_importSlots[0].library, MAKEINTRESOURCEA(9)), nullptr);
  g_importSlots[3].library = LoadLibraryA("comctl32.dll");
  ASSERT_NE(g_importSlots[3].library, nullptr);
  ASSERT_NE(GetProcAddress(g_importSlots[3].library, MAKEINTRESOURCEA(9)), nullptr);

  // The list: own type, slot 0's two types, slot 3's type.
  FilterTypeMap map;
  map.count = 4;
  map.slot[0] = -1;
  map.slot[1] = 0;
  map.slot[2] = 0;
  map.slot[3] = 3;
  EXPECT_FALSE(OpenOptionsServeType(0, map));  // a custom filter
  EXPECT_TRUE(OpenOptionsServeType(1, map));
  EXPECT_FALSE(OpenOptionsServeType(2, map));
  EXPECT_FALSE(OpenOptionsServeType(3, map));
  // Type 4 is slot 3's, not slot 4 - 2 = 2's.
  EXPECT_TRUE(OpenOptionsServeType(4, map));
  EXPECT_FALSE(OpenOptionsServeType(5, map));

  // A slot without a library serves nothing.
  map.slot[3] = 1;
  EXPECT_FALSE(OpenOptionsServeType(4, map));
}

}  // namespace
