#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "autosave.h"
#include "engine.h"
#include "msgbox.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

// ---- auto-save names ----

TEST(AutoSaveNumber, RotatesThroughSaveMax) {
  struct Case { int n, saveMax, next; } cases[] = {
      {0, 3, 1}, {1, 3, 2}, {2, 3, 0}, {4, 5, 0}, {0, 1, 0},
      {0, 0, 0},    // a rotation of no files still names one
      {7, 3, 0},    // SaveMax lowered below the number in use
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.next, NextAutoSaveNumber(c.n, c.saveMax)) << c.n << " of " << c.saveMax;
}

TEST(AutoSaveName, TakesTheFolderOfTmpPath) {
  struct Case { int flags; const char* tmp; const char* song; int n; const char* name; } cases[] = {
      {1, "C:\\TEMP\\zktmp.g36", "D:\\x\\MYSONG.G36", 3, "C:\\TEMP\\zktmp3.g36"},
      {3, "C:\\TEMP\\zktmp.g36", "D:\\x\\MYSONG.G36", 3, "C:\\TEMP\\MYSONG.g36"},
      {3, "C:\\TEMP\\zktmp.g36", "E:\\other\\MYSONG.G36", 0, "C:\\TEMP\\MYSONG.g36"},
      // Only the drive and folder count: a path without a final "\" loses its last part.
      {3, "C:\\TEMP", "D:\\x\\MYSONG.G36", 1, "C:\\MYSONG.g36"},
      // No song name yet: the numbered name.
      {3, "C:\\TEMP\\zktmp.g36", "", 2, "C:\\TEMP\\zktmp2.g36"},
      // A folder whose name has a "\" as a trail byte.
      {1, "C:\\表\\zktmp.g36", "", 0, "C:\\表\\zktmp0.g36"},
      {3, "C:\\TEMP\\x.g36", "D:\\表\\曲.G36", 0, "C:\\TEMP\\曲.g36"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.name, AutoSaveFileName(c.flags, c.tmp, c.song, c.n)) << c.tmp << " " << c.song;
}

int g_playing = 0;
int WINAPI FakeCheckPlaying() { return g_playing; }

class AutoSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_settings;
    savedEngine_ = g_engine;
    g_autoSave = AutoSaveState{};
    ASSERT_TRUE(NewSong(frame.hwnd()));
    g_settings.autoSave = kAutoSaveOn;
    g_settings.saveMax = 5;
    g_settings.saveInterval = 300000;
    SetTmpPath(dir.File("zktmp.g36"));
    g_engine.checkPlaying = FakeCheckPlaying;
    g_playing = 0;
    GetCurrentDirectoryA(sizeof cwd_, cwd_);
  }
  void TearDown() override {
    SetCurrentDirectoryA(cwd_);
    g_settings = saved_;
    g_engine = savedEngine_;
    g_autoSave = AutoSaveState{};
    g_song.fileName[0] = '\0';
  }
  void SetTmpPath(const std::string& path) {
    lstrcpynA(g_settings.tmpPath, path.c_str(), sizeof g_settings.tmpPath);
  }
  static void WriteText(const std::string& path, const std::string& text) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(f);
  }
  static bool IsSongFile(const std::string& path) {
    return ReadFileBytes(path).compare(0, 31, "HALVERSTROMMA CANTORELLE ZKP3.0") == 0;
  }

  TempSettingsFile ini;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
  AppSettings saved_;
  EngineEntries savedEngine_;
  char cwd_[MAX_PATH] = "";
};

TEST_F(AutoSaveTest, SaveMaxThreeWritesZeroOneTwoThenZeroAgain) {
  g_settings.saveMax = 3;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(AutoSaveSong(frame.hwnd()));
  for (const char* name : {"zktmp0.g36", "zktmp1.g36", "zktmp2.g36"})
    EXPECT_TRUE(IsSongFile(dir.File(name))) << name;
  DeleteFileA(dir.File("zktmp0.g36").c_str());
  ASSERT_TRUE(AutoSaveSong(frame.hwnd()));
  EXPECT_TRUE(IsSongFile(dir.File("zktmp0.g36")));
  EXPECT_FALSE(FileExists(dir.File("zktmp3.g36")));
}

TEST_F(AutoSaveTest, SongNameGoesToTheSameFileEveryTime) {
  TempDir songDir;
  lstrcpyA(g_song.fileName, songDir.File("MYSONG.G36").c_str());
  g_settings.autoSave = kAutoSaveOn | kAutoSaveSongName;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(AutoSaveSong(frame.hwnd()));
  EXPECT_TRUE(IsSongFile(dir.File("MYSONG.g36")));
  EXPECT_FALSE(FileExists(dir.File("zktmp0.g36")));
  EXPECT_FALSE(FileExists(songDir.File("MYSONG.G36")));
}

// With the song named after itself and the temporary folder the song's own
// folder, the auto-save name is the song's file: the user's last saved copy
// must survive.
TEST_F(AutoSaveTest, NeverWritesOverTheSongsOwnFile) {
  std::string song = dir.File("MYSONG.G36");
  WriteText(song, "the user's saved song");
  lstrcpyA(g_song.fileName, song.c_str());
  g_settings.autoSave = kAutoSaveOn | kAutoSaveSongName;

  struct Case { const char* what; std::string tmpPath; } cases[] = {
      {"same folder", dir.File("zktmp.g36")},
      {"other case", dir.path() + "\\ZKTMP.G36"},
      {"relative, folder current", ""},
  };
  SetCurrentDirectoryA(dir.path().c_str());
  for (const Case& c : cases) {
    SetTmpPath(c.tmpPath);
    ASSERT_TRUE(AutoSaveSong(frame.hwnd())) << c.what;
    EXPECT_EQ("the user's saved song", ReadFileBytes(song)) << c.what;
    EXPECT_TRUE(IsSongFile(dir.File("MYSONG~.g36"))) << c.what;
    DeleteFileA(dir.File("MYSONG~.g36").c_str());
  }
}

// A song opened from the auto-save folder itself (zktmp1.g36) is not
// overwritten when the rotation reaches its number.
TEST_F(AutoSaveTest, NumberedNameAvoidsTheOpenSong) {
  std::string song = dir.File("zktmp1.g36");
  WriteText(song, "recovered and being edited");
  lstrcpyA(g_song.fileName, song.c_str());
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(AutoSaveSong(frame.hwnd()));
  EXPECT_EQ("recovered and being edited", ReadFileBytes(song));
  EXPECT_TRUE(IsSongFile(dir.File("zktmp1~.g36")));
  EXPECT_TRUE(IsSongFile(dir.File("zktmp2.g36")));
}

TEST_F(AutoSaveTest, OffWritesNothingWhateverTheInterval) {
  g_settings.autoSave = 0;
  g_settings.saveInterval = 1;
  EXPECT_FALSE(AutoSaveSong(frame.hwnd()));
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 1000));
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 500000000));
  EXPECT_FALSE(FileExists(dir.File("zktmp0.g36")));
}

TEST_F(AutoSaveTest, ClockStartsThenSavesEachInterval) {
  g_settings.saveInterval = 60000;
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 1000));          // starts the clock
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 60999));
  EXPECT_TRUE(RunAutoSave(frame.hwnd(), 61000));
  EXPECT_TRUE(FileExists(dir.File("zktmp0.g36")));
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 120999));
  g_playing = 1;
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 200000));        // never while playing
  g_playing = 0;
  EXPECT_TRUE(RunAutoSave(frame.hwnd(), 200000));
  EXPECT_TRUE(FileExists(dir.File("zktmp1.g36")));
}

TEST_F(AutoSaveTest, IntervalCountsAcrossTheTickCountWrap) {
  g_settings.saveInterval = 60000;
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 0xFFFFF000u));
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 60000 - 0x1000 - 1));
  EXPECT_TRUE(RunAutoSave(frame.hwnd(), 60000 - 0x1000));
}

TEST_F(AutoSaveTest, NothingWithoutAnEngine) {
  g_engine.checkPlaying = nullptr;
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 1));
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 100000000));
  EXPECT_FALSE(g_autoSave.clockStarted);
}

// The failure message's own message loop brings the frame back to the check:
// it must not start a second save (and a second box) from inside the first.
int g_boxes = 0;
bool g_nestedSaved = false;
HWND g_frameForHook = nullptr;
int NestingHook(const MessageBoxCall&) {
  ++g_boxes;
  g_nestedSaved = g_nestedSaved || RunAutoSave(g_frameForHook, 900000000);
  return IDOK;
}

TEST_F(AutoSaveTest, FailedWriteShowsOneMessageAndKeepsRotating) {
  SetTmpPath(dir.File("missing\\zktmp.g36"));
  g_boxes = 0;
  g_nestedSaved = false;
  g_frameForHook = frame.hwnd();
  SetMessageBoxHook(NestingHook);
  EXPECT_FALSE(RunAutoSave(frame.hwnd(), 10));
  EXPECT_TRUE(RunAutoSave(frame.hwnd(), 400000));
  SetMessageBoxHook(nullptr);
  EXPECT_EQ(1, g_boxes);
  EXPECT_FALSE(g_nestedSaved);
  EXPECT_EQ(1, g_autoSave.nextNumber);
}

}  // namespace
