// The favourites list without its dialog: stored values to list and back,
// and the address blocks that follow the list's inserts and deletes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "favorites.h"
#include "inifile.h"
#include "testsupport.h"

// Found by the failure printer through the entry's own namespace.
static std::ostream& operator<<(std::ostream& out, const FavoriteEntry& e) {
  return out << "{" << e.name << " | " << e.address << "}";
}

namespace {

const FavoriteEntry kFallback{"Fallback", "https://fallback.example/"};

struct SplitCase {
  const char* value;
  bool ok;
  const char* name;
  const char* address;
};

TEST(FavoriteValueTest, SplitsAtTheFirstEquals) {
  const SplitCase cases[] = {
      {"Site=https://example.com/", true, "Site", "https://example.com/"},
      {"Query=https://example.com/?a=1&b=2", true, "Query", "https://example.com/?a=1&b=2"},
      {"日本語のページ=http://example.jp/", true, "日本語のページ", "http://example.jp/"},
      {"=https://nameless.example/", true, "", "https://nameless.example/"},
      {"NoAddress=", true, "NoAddress", ""},
      {"=", true, "", ""},
      {"no equals sign", false, "", ""},
      {"", false, "", ""},
  };
  for (const SplitCase& c : cases) {
    FavoriteEntry e;
    EXPECT_EQ(SplitFavoriteValue(c.value, &e), c.ok) << c.value;
    if (!c.ok) continue;
    EXPECT_EQ(e.name, c.name) << c.value;
    EXPECT_EQ(e.address, c.address) << c.value;
  }
}

TEST(FavoriteValueTest, OnlyAnEmptyEntryIsWrittenEmpty) {
  EXPECT_EQ(FavoriteValue({"", ""}), "");
  EXPECT_EQ(FavoriteValue({"Name", ""}), "Name=");
  EXPECT_EQ(FavoriteValue({"", "http://x/"}), "=http://x/");
  EXPECT_EQ(FavoriteValue({"A", "http://x/?q=1"}), "A=http://x/?q=1");
  EXPECT_EQ(FavoriteKey(0), "Web0");
  EXPECT_EQ(FavoriteKey(49), "Web49");
}

TEST(FavoriteListTest, FallbackTakesTheFirstKeyOnlyWhenItIsEmpty) {
  std::vector<std::string> values(kFavoriteCount);
  EXPECT_EQ(FavoriteListFromValues(values, kFallback), std::vector<FavoriteEntry>{kFallback});

  // Later keys follow the fallback.
  values[3] = "Three=http://three/";
  EXPECT_EQ(FavoriteListFromValues(values, kFallback),
            (std::vector<FavoriteEntry>{kFallback, {"Three", "http://three/"}}));

  // A key 0 that is there but holds no "=" is no entry, and no fallback.
  values[0] = "garbage";
  EXPECT_EQ(FavoriteListFromValues(values, kFallback), (std::vector<FavoriteEntry>{{"Three", "http://three/"}}));
}

TEST(FavoriteListTest, SkipsValuesWithoutEqualsAndCloseTheGaps) {
  std::vector<std::string> values(kFavoriteCount);
  values[0] = "A=http://a/";
  values[1] = "broken";
  values[7] = "B=http://b/";
  values[49] = "C=http://c/";
  EXPECT_EQ(FavoriteListFromValues(values, kFallback),
            (std::vector<FavoriteEntry>{{"A", "http://a/"}, {"B", "http://b/"}, {"C", "http://c/"}}));
}

TEST(FavoriteListTest, LongTextsAreCutToABlockWithoutHalfCharacters) {
  // 258 bytes and a double-byte character: the whole character would not
  // fit in 259, so it goes.
  const std::string head(258, 'a');
  std::vector<std::string> values(kFavoriteCount);
  values[0] = head + "ア=" + head + "ア";
  values[1] = "Long=" + std::string(300, 'x');
  const auto list = FavoriteListFromValues(values, kFallback);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, head);
  EXPECT_EQ(list[0].address, head);
  EXPECT_EQ(list[1].address, std::string(kFavoriteTextMax, 'x'));
}

TEST(FavoriteListTest, WritesFiftyValuesEmptyBeyondTheList) {
  const auto values = FavoriteValuesOf({{"A", "http://a/"}, {"", ""}, {"C", ""}});
  ASSERT_EQ(values.size(), static_cast<size_t>(kFavoriteCount));
  EXPECT_EQ(values[0], "A=http://a/");
  EXPECT_EQ(values[1], "");
  EXPECT_EQ(values[2], "C=");
  for (int n = 3; n < kFavoriteCount; ++n) EXPECT_EQ(values[n], "") << n;
}

TEST(FavoriteListTest, RoomAndNames) {
  EXPECT_TRUE(CanAddFavorite(0));
  EXPECT_TRUE(CanAddFavorite(kFavoriteCount - 1));
  EXPECT_FALSE(CanAddFavorite(kFavoriteCount));
  EXPECT_TRUE(IsValidFavoriteName("ページ (日本語)"));
  EXPECT_TRUE(IsValidFavoriteName(""));
  EXPECT_FALSE(IsValidFavoriteName("a=b"));
}

TEST(FavoriteSettingsTest, RoundTripsThroughTheSettingsFile) {
  TempSettingsFile settings;
  const std::vector<FavoriteEntry> entries{{"日本語", "http://example.jp/?a=b"}, {"Two", "file:///C:/x.html"}};
  WriteFavorites(entries);
  EXPECT_EQ(ReadFavorites(kFallback), entries);
  EXPECT_EQ(IniGetString(kFavoritesSection, "Web0", "?", 600), "日本語=http://example.jp/?a=b");
  // Every key is written, empty beyond the list.
  const std::string text = settings.Contents();
  EXPECT_NE(text.find("Web2=\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Web49="), std::string::npos) << text;
  EXPECT_EQ(IniGetString(kFavoritesSection, "Web49", "missing", 600), "");
}

TEST(FavoriteSettingsTest, AMissingSectionGivesTheBuiltInEntry) {
  TempSettingsFile settings;
  const auto list = ReadFavorites(DefaultFavorite());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_FALSE(list[0].name.empty());
  EXPECT_EQ(list[0].address.rfind("https://", 0), 0u) << list[0].address;
}

std::vector<std::string> BlockTexts(const FavoriteAddressBlocks& blocks) {
  std::vector<std::string> out;
  for (int n = 0; n < kFavoriteCount; ++n) out.push_back(blocks.Get(n));
  return out;
}

TEST(FavoriteBlocksTest, InsertDropsTheLastAndRemoveLeavesAnEmptyEnd) {
  FavoriteAddressBlocks blocks;
  ASSERT_TRUE(blocks.Allocate());
  std::vector<std::string> expected(kFavoriteCount);
  EXPECT_EQ(BlockTexts(blocks), expected);  // zero-filled
  for (int n = 0; n < kFavoriteCount; ++n) {
    expected[n] = "a" + std::to_string(n);
    blocks.Set(n, expected[n]);
  }

  blocks.Insert(2, "new");
  expected.insert(expected.begin() + 2, "new");
  expected.pop_back();
  EXPECT_EQ(BlockTexts(blocks), expected);

  blocks.Remove(0);
  expected.erase(expected.begin());
  expected.push_back("");
  EXPECT_EQ(BlockTexts(blocks), expected);

  blocks.Remove(kFavoriteCount - 1);
  expected.back() = "";
  EXPECT_EQ(BlockTexts(blocks), expected);

  // Out of range changes nothing.
  blocks.Insert(kFavoriteCount, "x");
  blocks.Remove(-1);
  blocks.Set(kFavoriteCount, "x");
  EXPECT_EQ(BlockTexts(blocks), expected);
}

TEST(FavoriteBlocksTest, ASetAddressIsCutAndReplacesAllOfTheOld) {
  FavoriteAddressBlocks blocks;
  ASSERT_TRUE(blocks.Allocate());
  blocks.Set(0, std::string(400, 'z'));
  EXPECT_EQ(blocks.Get(0), std::string(kFavoriteTextMax, 'z'));
  blocks.Set(0, "short");
  EXPECT_EQ(blocks.Get(0), "short");
  blocks.Free();
  EXPECT_FALSE(blocks.Allocated());
  EXPECT_EQ(blocks.Get(0), "");
}

}  // namespace
