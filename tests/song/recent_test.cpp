#include <gtest/gtest.h>

#include <direct.h>
#include <windows.h>

#include <string>
#include <vector>

#include "inifile.h"
#include "recent.h"
#include "testsupport.h"

namespace {

std::vector<std::string> RecentList() {
  std::vector<std::string> list;
  for (int n = 1; n <= kRecentFileCount; ++n) list.push_back(RecentFile(n));
  return list;
}

void SetRecentList(const std::vector<std::string>& list) {
  for (size_t i = 0; i < list.size(); ++i)
    IniWriteString(kFilesSection, RecentFileKey(static_cast<int>(i) + 1).c_str(), list[i].c_str());
}

std::string CurrentDirectory() {
  char buf[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof buf, buf);
  return buf;
}

// Puts the current directory back, so a temporary folder can be removed.
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper() : saved_(CurrentDirectory()) {}
  ~CurrentDirectoryKeeper() { SetCurrentDirectoryA(saved_.c_str()); }

 private:
  std::string saved_;
};

std::string FilesKey(const char* key) { return IniGetString(kFilesSection, key, "", 1024); }

TEST(RecentFiles, KeyNames) {
  EXPECT_EQ("LastOpen1", RecentFileKey(1));
  EXPECT_EQ("LastOpen5", RecentFileKey(5));
}

TEST(RecentFiles, ReopeningTheHeadChangesNothing) {
  TempSettingsFile ini;
  SetRecentList({"C:\\a.g36", "C:\\b.g36", "C:\\c.g36"});
  std::string before = ini.Contents();
  AddRecentFile("C:\\a.g36");
  EXPECT_EQ(before, ini.Contents());
  EXPECT_EQ((std::vector<std::string>{"C:\\a.g36", "C:\\b.g36", "C:\\c.g36", "", ""}), RecentList());
}

TEST(RecentFiles, HeadIsComparedByteForByte) {
  TempSettingsFile ini;
  SetRecentList({"C:\\a.g36"});
  AddRecentFile("C:\\A.G36");
  EXPECT_EQ((std::vector<std::string>{"C:\\A.G36", "C:\\a.g36", "", "", ""}), RecentList());
}

TEST(RecentFiles, OnlyTheHeadIsComparedSoAnEntryCanStandTwice) {
  TempSettingsFile ini;
  SetRecentList({"C:\\a.g36", "C:\\b.g36", "C:\\c.g36", "C:\\d.g36", "C:\\e.g36"});
  AddRecentFile("C:\\c.g36");
  EXPECT_EQ((std::vector<std::string>{"C:\\c.g36", "C:\\a.g36", "C:\\b.g36", "C:\\c.g36", "C:\\d.g36"}),
            RecentList());
}

TEST(RecentFiles, SixFilesKeepTheLastFiveNewestFirst) {
  TempSettingsFile ini;
  for (int i = 1; i <= 6; ++i) AddRecentFile(("D:\\songs\\s" + std::to_string(i) + ".g36").c_str());
  EXPECT_EQ((std::vector<std::string>{"D:\\songs\\s6.g36", "D:\\songs\\s5.g36", "D:\\songs\\s4.g36",
                                      "D:\\songs\\s3.g36", "D:\\songs\\s2.g36"}),
            RecentList());
}

TEST(RecentFiles, JapanesePathIsKeptWhole) {
  TempSettingsFile ini;
  const std::string path = "C:\\曲\\表.g36";
  AddRecentFile(path.c_str());
  EXPECT_EQ(path, RecentFile(1));
}

// The list is read back into 260-byte buffers: a longer path could only come
// back cut, naming another file, so it is not taken.
TEST(RecentFiles, PathLongerThanTheBufferIsNotTaken) {
  TempSettingsFile ini;
  SetRecentList({"C:\\a.g36"});
  std::string longest = "C:\\" + std::string(kRecentPathSize - 1 - 7, 'x') + ".g36";
  ASSERT_EQ(static_cast<size_t>(kRecentPathSize - 1), longest.size());
  AddRecentFile(longest.c_str());
  EXPECT_EQ(longest, RecentFile(1));
  EXPECT_EQ("C:\\a.g36", RecentFile(2));

  std::string before = ini.Contents();
  std::string tooLong = longest + "y";
  AddRecentFile(tooLong.c_str());
  AddRecentFile(("C:\\" + std::string(1000, 'z') + ".g36").c_str());
  EXPECT_EQ(before, ini.Contents());
}

TEST(RecentFiles, EmptyPathIsNotTaken) {
  TempSettingsFile ini;
  SetRecentList({"C:\\a.g36"});
  std::string before = ini.Contents();
  AddRecentFile("");
  AddRecentFile(nullptr);
  EXPECT_EQ(before, ini.Contents());
}

TEST(RecentFiles, MenuText) {
  EXPECT_EQ("&1 C:\\a.g36", RecentMenuText(1, "C:\\a.g36"));
  EXPECT_EQ("&5 x", RecentMenuText(5, "x"));
}

TEST(PathDirectory, Split) {
  struct Case {
    const char* path;
    bool hasDrive;
    const char* drive;
    bool hasDirectory;
    const char* directory;
  } cases[] = {
      {"C:\\song.g36", true, "C:", true, "C:"},
      {"C:\\dir\\sub\\x.g36", true, "C:", true, "C:\\dir\\sub"},
      {"d:song.g36", true, "d:", false, ""},
      {"dir\\x.g36", false, "", true, "dir"},
      {"\\\\server\\share\\x.g36", false, "", true, "\\\\server\\share"},
      // The second byte of 表 and ソ is a backslash; it is no separator.
      {"C:\\dir\\表.g36", true, "C:", true, "C:\\dir"},
      {"C:\\ソフト\\曲\\表ソ", true, "C:", true, "C:\\ソフト\\曲"},
      {"表.g36", false, "", false, ""},
      {"song.g36", false, "", false, ""},
      {"", false, "", false, ""},
  };
  for (const Case& c : cases) {
    PathDirectory parts = SplitPathDirectory(c.path);
    EXPECT_EQ(c.hasDrive, parts.hasDrive) << c.path;
    EXPECT_EQ(c.drive, parts.drive) << c.path;
    EXPECT_EQ(c.hasDirectory, parts.hasDirectory) << c.path;
    EXPECT_EQ(c.directory, parts.directory) << c.path;
  }
}

TEST(LastDirectory, KeyNames) {
  EXPECT_STREQ("Files", kFilesSection);
  EXPECT_STREQ("LastDataDirectory", kLastDataDirectoryKey);
  EXPECT_STREQ("LastPartDirectory", kLastPartDirectoryKey);
  EXPECT_STREQ("LastUserExclDirectory", kLastUserExclDirectoryKey);
}

TEST(LastDirectory, StoresTheDirectoryOrTheDriveOfARootFile) {
  TempSettingsFile ini;
  CurrentDirectoryKeeper keep;
  SaveLastDirectory("C:\\song.g36", kLastDataDirectoryKey, 1);
  EXPECT_EQ("C:", FilesKey(kLastDataDirectoryKey));
  // The directory does not exist: the change fails, the key is written all the same.
  SaveLastDirectory("C:\\dir\\sub\\x.g36", kLastPartDirectoryKey, 1);
  EXPECT_EQ("C:\\dir\\sub", FilesKey(kLastPartDirectoryKey));
  EXPECT_EQ("C:", FilesKey(kLastDataDirectoryKey));
}

TEST(LastDirectory, MakesTheDirectoryCurrent) {
  TempSettingsFile ini;
  TempDir dir;
  CurrentDirectoryKeeper keep;
  SetCurrentDirectoryA("C:\\");
  SaveLastDirectory(dir.File("x.g36").c_str(), kLastUserExclDirectoryKey, 1);
  EXPECT_EQ(0, _stricmp(dir.path().c_str(), CurrentDirectory().c_str()))
      << dir.path() << " vs " << CurrentDirectory();
  EXPECT_EQ(dir.path(), FilesKey(kLastUserExclDirectoryKey));
}

TEST(LastDirectory, WithoutWriteOnlyChangesTheDirectory) {
  TempSettingsFile ini;
  TempDir dir;
  CurrentDirectoryKeeper keep;
  SetCurrentDirectoryA("C:\\");
  SaveLastDirectory(dir.File("x.g36").c_str(), kLastDataDirectoryKey, 0);
  EXPECT_EQ(0, _stricmp(dir.path().c_str(), CurrentDirectory().c_str()));
  EXPECT_FALSE(FileExists(ini.path()));
}

TEST(LastDirectory, BareFileNameChangesNothing) {
  TempSettingsFile ini;
  TempDir dir;
  CurrentDirectoryKeeper keep;
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  SaveLastDirectory("song.g36", kLastDataDirectoryKey, 1);
  EXPECT_EQ(0, _stricmp(dir.path().c_str(), CurrentDirectory().c_str()));
  EXPECT_FALSE(FileExists(ini.path()));
}

// A directory the readers could only get back cut is not stored; the drive is.
TEST(LastDirectory, OverlongDirectoryKeepsTheDrive) {
  TempSettingsFile ini;
  CurrentDirectoryKeeper keep;
  std::string path = "C:\\" + std::string(400, 'd') + "\\x.g36";
  SaveLastDirectory(path.c_str(), kLastDataDirectoryKey, 1);
  EXPECT_EQ("C:", FilesKey(kLastDataDirectoryKey));
}

}  // namespace
