#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "inifile.h"
#include "recent.h"
#include "resource.h"
#include "songmodel.h"
#include "testsupport.h"
#include "userexcl.h"

namespace {

class UserExclTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, cwd_);
    ASSERT_TRUE(NewSong(frame.hwnd()));
  }
  void TearDown() override { SetCurrentDirectoryA(cwd_); }

  // Fills every slot with a pattern of its own.
  void FillSlots(uint8_t seed) {
    HGLOBAL h = SongEntry(kHeaderEntry);
    auto* header = static_cast<SongHeader*>(GlobalLock(h));
    auto* bytes = reinterpret_cast<uint8_t*>(header->userExcl);
    for (size_t i = 0; i < sizeof header->userExcl; ++i) bytes[i] = static_cast<uint8_t>(seed + i);
    GlobalUnlock(h);
  }
  std::string Slots() {
    HGLOBAL h = SongEntry(kHeaderEntry);
    auto* header = static_cast<const SongHeader*>(GlobalLock(h));
    std::string s(reinterpret_cast<const char*>(header->userExcl), sizeof header->userExcl);
    GlobalUnlock(h);
    return s;
  }
  std::string WriteTestFile(const std::string& name, const std::string& data) {
    std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary) << data;
    return path;
  }

  TempSettingsFile ini;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
  char cwd_[MAX_PATH] = "";
};

TEST_F(UserExclTest, SavedFileLoadsBackIntoTheSameSlots) {
  FillSlots(7);
  std::string slots = Slots();
  HGLOBAL image = MakeUserExclImage();
  ASSERT_TRUE(image);
  std::string path = dir.File("u.REX");
  ASSERT_EQ(1, SaveUserExclToFile(nullptr, path.c_str(), image, kUserExclFileBytes));
  std::string file = ReadFileBytes(path);
  ASSERT_EQ(410u, file.size());
  EXPECT_EQ(std::string("ZKM-PC98 USER EXCLUSIVE\r\n\x1A"), file.substr(0, 26));
  EXPECT_EQ(slots, file.substr(26));
  EXPECT_EQ(dir.path(), IniGetString(kFilesSection, kLastUserExclDirectoryKey, "", 260));

  FillSlots(99);
  HGLOBAL loaded = GlobalAlloc(GMEM_MOVEABLE, kUserExclFileBytes);
  ASSERT_EQ(1, LoadUserExclFromFile(nullptr, path.c_str(), loaded));
  ASSERT_TRUE(ApplyUserExclImage(loaded));
  EXPECT_EQ(slots, Slots());
  EXPECT_TRUE(boxes.boxes.empty());
  GlobalFree(loaded);
  GlobalFree(image);
}

TEST_F(UserExclTest, BadFilesAreRefusedWithTheirMessage) {
  std::string good(kUserExclSignature);
  good += "\r\n\x1A";
  good.resize(410, 'x');
  std::string oneLetter = good;
  oneLetter[9] = 'u';
  struct Case {
    const char* what;
    std::string path;
    UINT message;
  } cases[] = {
      {"short", WriteTestFile("short.REX", good.substr(0, 409)), IDS_CANNOT_READ},
      {"empty", WriteTestFile("empty.REX", ""), IDS_CANNOT_READ},
      {"signature", WriteTestFile("sig.REX", oneLetter), IDS_NOT_USEREXCL_DATA},
      {"missing", dir.File("none.REX"), IDS_CANNOT_OPEN},
  };
  std::string slots = Slots();
  for (const Case& c : cases) {
    boxes.boxes.clear();
    HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kUserExclFileBytes);
    EXPECT_EQ(0, LoadUserExclFromFile(nullptr, c.path.c_str(), image)) << c.what;
    ASSERT_EQ(1u, boxes.boxes.size()) << c.what;
    EXPECT_EQ(c.message, boxes.boxes[0].stringId) << c.what;
    EXPECT_TRUE(boxes.boxes[0].style & MB_ICONSTOP) << c.what;
    EXPECT_NE(std::string::npos, boxes.boxes[0].text.find(c.path.substr(dir.path().size() + 1)));
    GlobalFree(image);
  }
  EXPECT_EQ(slots, Slots());
  EXPECT_EQ("", IniGetString(kFilesSection, kLastUserExclDirectoryKey, "", 260));
}

TEST_F(UserExclTest, FailedSaveReportsItAndLeavesTheOldFile) {
  std::string path = WriteTestFile("keep.REX", "old");
  HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE, 100);
  EXPECT_EQ(0, SaveUserExclToFile(nullptr, path.c_str(), image, kUserExclFileBytes));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_WRITE), boxes.boxes[0].stringId);
  EXPECT_EQ("old", ReadFileBytes(path));
  EXPECT_EQ("", IniGetString(kFilesSection, kLastUserExclDirectoryKey, "", 260));
  GlobalFree(image);
}

TEST(UserExclName, ExtensionReplacesAnyOther) {
  EXPECT_EQ("C:\\d\\song.REX", UserExclFileName("C:\\d\\song"));
  EXPECT_EQ("C:\\d\\song.REX", UserExclFileName("C:\\d\\song.txt"));
}

}  // namespace
