#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "resource.h"
#include "settings.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

class SongFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ini.Write("[OTHER]\norgTrack=20\n");
    ASSERT_TRUE(NewSong(frame.hwnd()));
    g_song.markers[0] = 0x11223344;
    SetTrackEvents(2, {{60, 100, 480, 400}, {0xFD, 0, 0, 0}});
    UpdateSongSize(frame.hwnd());
  }
  void TearDown() override {
    g_song.backupSwitch = 1;
    g_song.trackFileMode = 0;
    g_song.trackWriteMode = 0;
  }

  void SetTrackEvents(int n, std::initializer_list<StepEvent> events) {
    std::vector<StepEvent> block(events);
    block.push_back(EndEvent());
    ReplaceTrackEvents(n, block);
  }

  TempSettingsFile ini;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
};

uint32_t U32(const std::string& s, size_t at) {
  uint32_t v;
  std::memcpy(&v, s.data() + at, 4);
  return v;
}
uint16_t U16(const std::string& s, size_t at) {
  uint16_t v;
  std::memcpy(&v, s.data() + at, 2);
  return v;
}

TEST_F(SongFileTest, WritesHeaderAndTracks) {
  std::string path = dir.File("a.G36");
  ASSERT_EQ(kWriteOk, WriteSongFile(frame.hwnd(), path.c_str()));
  std::string bytes = ReadFileBytes(path);
  // 20 tracks of 46 + 6 bytes, one of them with two more events.
  ASSERT_EQ(3224u + 20 * (46 + 6) + 12, bytes.size());
  EXPECT_EQ(0, std::memcmp(bytes.data(), "HALVERSTROMMA CANTORELLE ZKP3.0", 32));
  EXPECT_EQ(20, U16(bytes, 520));
  EXPECT_EQ(0x11223344u, U32(bytes, 760));
  size_t track2 = 3224 + 46 + 6;
  EXPECT_EQ(46u + 18, U32(bytes, track2));          // stored size counts 46
  EXPECT_EQ(2, static_cast<uint8_t>(bytes[track2 + 4]));
  EXPECT_EQ(60, static_cast<uint8_t>(bytes[track2 + 46]));
  EXPECT_EQ(480, U16(bytes, track2 + 46 + 2));
  EXPECT_EQ(0xFE, static_cast<uint8_t>(bytes[track2 + 46 + 12]));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SongFileTest, TrackFileModeStoresEighteenTracksAndKeepsTheSong) {
  g_song.trackWriteMode = 1;
  std::string path = dir.File("b.G36");
  ASSERT_EQ(kWriteOk, WriteSongFile(frame.hwnd(), path.c_str()));
  std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(18, U16(bytes, 520));
  EXPECT_EQ(3224u + 18 * 52 + 12, bytes.size());
  HGLOBAL h = SongEntry(kHeaderEntry);
  EXPECT_EQ(20, static_cast<const SongHeader*>(GlobalLock(h))->trackCount);
  GlobalUnlock(h);
  EXPECT_EQ(48u + 18, [&] {
    HGLOBAL th = SongEntry(TrackHeaderEntry(2));
    uint32_t size = static_cast<const TrackHeader*>(GlobalLock(th))->size;
    GlobalUnlock(th);
    return size;
  }());
}

TEST_F(SongFileTest, CreateFailureIsReported) {
  std::string path = dir.File("no\\such\\dir.G36");
  EXPECT_EQ(kWriteCreateFailed, WriteSongFile(frame.hwnd(), path.c_str()));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_CANNOT_CREATE), boxes.boxes[0].stringId);
  EXPECT_EQ(UINT(MB_OK | MB_ICONSTOP), boxes.boxes[0].style);
  EXPECT_EQ("ファイル '" + path + "' を作成できません。", boxes.boxes[0].text);
}

TEST_F(SongFileTest, SaveWithBackupKeepsThePreviousFile) {
  std::string path = dir.File("song.G36");
  WriteBytes(path, "old");
  std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s", path.c_str());
  g_song.backupSwitch = 1;
  ASSERT_EQ(kWriteOk, SaveSong(frame.hwnd()));
  EXPECT_EQ("old", ReadFileBytes(dir.File("song.BAK")));
  EXPECT_EQ(3224u + 20 * 52 + 12, ReadFileBytes(path).size());
  EXPECT_FALSE(FileExists(dir.File("zkfw.tmp")));
}

TEST_F(SongFileTest, SaveWithoutBackupReplacesInPlace) {
  std::string path = dir.File("song.G36");
  WriteBytes(path, "");
  std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s", path.c_str());
  g_song.backupSwitch = 0;
  ASSERT_EQ(kWriteOk, SaveSong(frame.hwnd()));
  EXPECT_EQ(3224u + 20 * 52 + 12, ReadFileBytes(path).size());
  EXPECT_FALSE(FileExists(dir.File("song.BAK")));
  // Only the song is left in the folder: no temporary file.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(dir.File("*.tmp").c_str(), &fd);
  EXPECT_EQ(INVALID_HANDLE_VALUE, h);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

// An older backup gives way to the previous file only when that file could
// become the backup: a save that fails keeps it.
TEST_F(SongFileTest, OlderBackupGoesOnlyWhenTheNewOneIsInPlace) {
  std::string path = dir.File("song.G36");
  std::string backup = dir.File("song.BAK");
  std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s", path.c_str());
  g_song.backupSwitch = 1;
  WriteBytes(path, "previous");
  WriteBytes(backup, "older");

  // Another program holds the song open without delete sharing.
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  EXPECT_EQ(kWriteShort, SaveSong(frame.hwnd()));
  CloseHandle(lock);
  EXPECT_EQ("previous", ReadFileBytes(path));
  EXPECT_EQ("older", ReadFileBytes(backup));
  EXPECT_FALSE(FileExists(dir.File("zkfw.tmp")));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_CANNOT_WRITE), boxes.boxes[0].stringId);

  // Once free, the save goes through and the previous file is the backup.
  EXPECT_EQ(kWriteOk, SaveSong(frame.hwnd()));
  EXPECT_EQ("previous", ReadFileBytes(backup));
  EXPECT_EQ(3224u + 20 * 52 + 12, ReadFileBytes(path).size());
  EXPECT_FALSE(FileExists(dir.File("zkfw.tmp")));
}

TEST_F(SongFileTest, FailedSaveLeavesThePreviousFileAlone) {
  std::string path = dir.File("song.G36");
  WriteBytes(path, "keep me");
  std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s", path.c_str());
  for (int backup : {0, 1}) {
    g_song.backupSwitch = backup;
    // Another program holds the song open without sharing: it cannot be replaced.
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    boxes.boxes.clear();
    EXPECT_NE(kWriteOk, SaveSong(frame.hwnd())) << backup;
    CloseHandle(lock);
    EXPECT_EQ("keep me", ReadFileBytes(path)) << backup;
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_EQ(UINT(MB_OK | MB_ICONSTOP), boxes.boxes.back().style);
  }
}

}  // namespace
