// Print, mail and help in the program running in the test process: the copy
// of the song each hands outside, what the receiver finds in it, and what is
// left behind. The receivers are stand-ins beside this program: zkprn.exe
// and zkviewer.exe log their command lines, MAPI32.DLL its arguments.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "appglobals.h"
#include "inprocess.h"
#include "mailcmd.h"
#include "programstate.h"
#include "resource.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsongs.h"
#include "testsupport.h"

namespace {

using Fields = std::vector<std::string>;

// The stand-ins' log and the copy of what they received, for one test.
class StandinLog {
 public:
  StandinLog() : log_(dir_.File("standin.log")), copy_(dir_.File("received.g36")) {
    SetEnvironmentVariableA("ZK_STANDIN_LOG", log_.c_str());
    SetEnvironmentVariableA("ZK_STANDIN_COPY", copy_.c_str());
  }
  ~StandinLog() {
    SetEnvironmentVariableA("ZK_STANDIN_LOG", nullptr);
    SetEnvironmentVariableA("ZK_STANDIN_COPY", nullptr);
  }
  std::vector<Fields> Lines() const {
    std::vector<Fields> lines;
    std::istringstream in(ReadFileBytes(log_));
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      Fields fields;
      size_t at = 0;
      for (size_t bar; (bar = line.find('|', at)) != std::string::npos; at = bar + 1)
        fields.push_back(line.substr(at, bar - at));
      fields.push_back(line.substr(at));
      lines.push_back(fields);
    }
    return lines;
  }
  // Waits for the first line of a started program.
  Fields First() const {
    RunLoopUntil([this] { return !Lines().empty(); }, 15000);
    std::vector<Fields> lines = Lines();
    return lines.empty() ? Fields{} : lines.front();
  }
  const std::string& Copy() const { return copy_; }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
  std::string log_;
  std::string copy_;
};

// Files (not folders) of a folder whose names match pattern.
std::set<std::string> FilesIn(const std::string& folder, const char* pattern) {
  std::set<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

std::string TempFolder() {
  char folder[MAX_PATH + 1] = "";
  GetTempPathA(sizeof folder, folder);
  return folder;
}

uint32_t TrackOneSizeField() {
  uint32_t size = 0;
  if (HGLOBAL h = SongEntry(TrackHeaderEntry(1))) {
    size = static_cast<const TrackHeader*>(GlobalLock(h))->size;
    GlobalUnlock(h);
  }
  return size;
}

void SetApplet(const char* key, const char* value) {
  WritePrivateProfileStringA("Applets", key, value, InProcessSettings().path().c_str());
}

// Whole song files are too long to show when they differ.
void ExpectSameBytes(const std::string& received, const std::string& saved) {
  EXPECT_EQ(received.size(), saved.size());
  EXPECT_TRUE(received == saved) << "the copy differs from what a save writes";
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// Track 1 gets notes its header does not count yet: a copy written without
// a recount would be cut off inside the track.
class SongCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    savedSong_ = g_song;
    savedProg_ = g_prog;
    ReplaceTrackEvents(1, {E(60, 100, 480, 240), E(64, 90, 480, 240), E(67, 80, 480, 240), E(0xFE)});
    staleSize_ = TrackOneSizeField();
  }
  void TearDown() override {
    ReplaceTrackEvents(1, {E(0xFE)});
    UpdateSongSize(g_app.frame);
    ClearSongModified();
    g_song = savedSong_;
    std::memcpy(g_prog.programDir, savedProg_.programDir, sizeof g_prog.programDir);
    g_prog.mapiSendDocuments = savedProg_.mapiSendDocuments;
    SetApplet("Print", nullptr);
  }
  // The bytes a save of the same song writes.
  std::string SavedBytes() {
    TempDir dir;
    std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s", dir.File("saved.G36").c_str());
    g_song.saveType = 0;
    g_song.backupSwitch = 0;
    EXPECT_EQ(SaveSong(g_app.frame), kWriteOk);
    return ReadFileBytes(dir.File("saved.G36"));
  }

  SongGlobals savedSong_{};
  ProgramState savedProg_{};
  uint32_t staleSize_ = 0;
  MessageBoxRecorder boxes_;
  StandinLog log_;
};

using PrintTest = SongCopyTest;

TEST_F(PrintTest, DefaultProgramGetsQuotedCopyThatReadsAsSaved) {
  SetApplet("Print", nullptr);
  Command(IDM_FILE_PRINT);
  Fields f = log_.First();
  ASSERT_EQ(f.size(), 4u);
  EXPECT_EQ(f[0], "zkprn");
  EXPECT_EQ(f[1], std::to_string(SW_SHOW));
  const std::string prefix = std::string("zkprn.exe /D \"") + g_prog.programDir + "zk";
  EXPECT_TRUE(StartsWith(f[2], prefix)) << f[2];
  EXPECT_EQ(f[2].substr(f[2].size() - 5), ".tmp\"") << f[2];
  EXPECT_EQ(f[3], "song " + std::to_string(g_song.trackCount));
  EXPECT_NE(TrackOneSizeField(), staleSize_);
  EXPECT_TRUE(boxes_.boxes.empty());
  // The printing program deleted the copy.
  const std::string copy = f[2].substr(f[2].find('"') + 1, f[2].size() - f[2].find('"') - 2);
  EXPECT_FALSE(FileExists(copy)) << copy;
  ExpectSameBytes(ReadFileBytes(log_.Copy()), SavedBytes());
}

TEST_F(PrintTest, ConfiguredProgramIsStarted) {
  const std::string program = std::string(g_prog.programDir) + "zkviewer.exe";
  SetApplet("Print", program.c_str());
  Command(IDM_FILE_PRINT);
  Fields f = log_.First();
  ASSERT_EQ(f.size(), 4u);
  EXPECT_EQ(f[0], "zkviewer");
  EXPECT_TRUE(StartsWith(f[2], program + " /D \"")) << f[2];
  EXPECT_EQ(f[3], "song " + std::to_string(g_song.trackCount));
}

TEST_F(PrintTest, ProgramThatCannotStartLeavesNoCopyAndSaysSo) {
  const std::string program = log_.Dir().File("missing\\noprint.exe");
  SetApplet("Print", program.c_str());
  const std::set<std::string> before = FilesIn(g_prog.programDir, "zk*.tmp");
  Command(IDM_FILE_PRINT);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].stringId, static_cast<UINT>(IDS_CANNOT_OPEN));
  EXPECT_NE(boxes_.boxes[0].text.find(program), std::string::npos) << boxes_.boxes[0].text;
  EXPECT_TRUE(boxes_.boxes[0].style & MB_ICONSTOP);
  EXPECT_EQ(FilesIn(g_prog.programDir, "zk*.tmp"), before);
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(PrintTest, FolderWithoutRoomForTheCopyIsNamed) {
  const std::string folder = log_.Dir().File("missing") + "\\";
  std::snprintf(g_prog.programDir, sizeof g_prog.programDir, "%s", folder.c_str());
  Command(IDM_FILE_PRINT);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].stringId, static_cast<UINT>(IDS_CANNOT_CREATE));
  EXPECT_NE(boxes_.boxes[0].text.find(folder), std::string::npos) << boxes_.boxes[0].text;
  RunLoopFor(300);
  EXPECT_TRUE(log_.Lines().empty());
}

// The settings of the program in this process switch simple MAPI off; the
// tests bind it as start-up does when it is on.
class MailTest : public SongCopyTest {
 protected:
  void SetUp() override {
    SongCopyTest::SetUp();
    mapi_ = LoadLibraryA("MAPI32.DLL");
    ASSERT_NE(mapi_, nullptr);
    ASSERT_NE(GetProcAddress(mapi_, "ZkMapiStandin"), nullptr) << "the system's MAPI32.DLL, not the stand-in";
    g_prog.mapiSendDocuments = reinterpret_cast<void*>(GetProcAddress(mapi_, "MAPISendDocuments"));
    ASSERT_NE(g_prog.mapiSendDocuments, nullptr);
  }
  void TearDown() override {
    SongCopyTest::TearDown();
    if (mapi_) FreeLibrary(mapi_);
  }
  HMODULE mapi_ = nullptr;
};

TEST_F(MailTest, StandInGetsTheCopyWhileItExistsThenItIsGone) {
  // The second byte of "表" is "\": the name must not be split there.
  std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s", "Z:\\曲\\表題.G36");
  const std::set<std::string> before = FilesIn(TempFolder(), "zk*.tmp");
  Command(IDM_FILE_SEND);
  std::vector<Fields> lines = log_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  const Fields& f = lines[0];
  ASSERT_EQ(f.size(), 7u);
  EXPECT_EQ(f[0], "MAPISendDocuments");
  char frame[32];
  std::snprintf(frame, sizeof frame, "%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(g_app.frame)));
  EXPECT_EQ(f[1], frame);
  EXPECT_EQ(f[2], ";");
  EXPECT_TRUE(StartsWith(f[3], TempFolder() + "zk")) << f[3];
  EXPECT_EQ(f[4], "表題.G36");
  EXPECT_EQ(f[5], "0");
  EXPECT_EQ(f[6], "song " + std::to_string(g_song.trackCount));
  EXPECT_FALSE(FileExists(f[3]));
  EXPECT_EQ(FilesIn(TempFolder(), "zk*.tmp"), before);
  EXPECT_TRUE(boxes_.boxes.empty());
  ExpectSameBytes(ReadFileBytes(log_.Copy()), SavedBytes());
}

TEST_F(MailTest, WithoutSimpleMapiNothingIsWritten) {
  g_prog.mapiSendDocuments = nullptr;
  const std::set<std::string> before = FilesIn(TempFolder(), "zk*.tmp");
  Command(IDM_FILE_SEND);
  EXPECT_EQ(FilesIn(TempFolder(), "zk*.tmp"), before);
  EXPECT_TRUE(log_.Lines().empty());
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(TrackOneSizeField(), staleSize_);
}

TEST_F(MailTest, TemporaryFolderWithoutRoomIsNamed) {
  char previous[MAX_PATH] = "";
  DWORD had = GetEnvironmentVariableA("TMP", previous, sizeof previous);
  const std::string folder = log_.Dir().File("missing") + "\\";
  SetEnvironmentVariableA("TMP", folder.c_str());
  Command(IDM_FILE_SEND);
  SetEnvironmentVariableA("TMP", had ? previous : nullptr);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].stringId, static_cast<UINT>(IDS_CANNOT_CREATE));
  EXPECT_NE(boxes_.boxes[0].text.find(folder), std::string::npos) << boxes_.boxes[0].text;
  EXPECT_TRUE(log_.Lines().empty());
}

// Help items: the viewer of [Applets] Viewer1 started on the item's file.
struct HelpCase {
  UINT command;
  const char* key;
  const char* configured;  // null: the key is missing
  const char* expected;
};

class HelpTest : public ::testing::TestWithParam<HelpCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    GetCurrentDirectoryA(sizeof cwd_, cwd_);
    viewer_ = std::string(g_prog.programDir) + "zkviewer.exe";
    SetApplet("Viewer1", viewer_.c_str());
  }
  void TearDown() override {
    for (const char* key : {"Viewer1", "Help1", "Help2", "Help3"}) SetApplet(key, nullptr);
    SetCurrentDirectoryA(cwd_);
  }
  char cwd_[MAX_PATH] = "";
  std::string viewer_;
  StandinLog log_;
};

TEST_P(HelpTest, ViewerGetsTheHelpFile) {
  const HelpCase& c = GetParam();
  SetApplet(c.key, c.configured);
  Command(c.command);
  Fields f = log_.First();
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0], "zkviewer");
  EXPECT_EQ(f[1], "8");
  EXPECT_EQ(f[2], viewer_ + " " + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, HelpTest,
    ::testing::Values(HelpCase{IDM_HELP_TOPICS, "Help1", nullptr, "zk95hlp3.mvb"},
                      HelpCase{IDM_HELP_TOPICS + 1, "Help2", nullptr, "zk95hlp1.mvb"},
                      HelpCase{IDM_HELP_TOPICS + 2, "Help3", nullptr, "zk95hlp2.mvb"},
                      HelpCase{IDM_HELP_TOPICS + 1, "Help2", "Z:\\help\\guide.mvb", "Z:\\help\\guide.mvb"}));

}  // namespace
