// A playlist on the program's command line, as a new user would start it:
// the songs play one after another through the engine, a song that cannot
// be read is reported and passed over, and the program closes at the end.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "appglobals.h"
#include "settings.h"
#include "shellprocess.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

const char kSettings[] =
    "[Play]\r\nApplet=zkpoly.dll\r\n"
    "[MIDIIF]\r\nPort1Name=Virtual Out A\r\nPort2Name=None\r\nPort3Name=None\r\nPort4Name=None\r\n"
    "INPort1Name=None\r\nINPort2Name=None\r\n"
    "[SoundModule]\r\nInitAfterFileOpen=\r\n"
    "[OTHER]\r\nMAPISW=0\r\nPlayMonitor=0\r\n";

// Writes a song whose first track plays the keys, a short note each. The
// program state of this process is left as it was.
void WriteSong(const std::string& path, const std::vector<int>& keys) {
  const HWND savedFrame = g_app.frame;
  const SongGlobals savedSong = g_song;
  const AppSettings savedSettings = g_settings;
  {
    TempSettingsFile own;
    TestFrame maker;
    ASSERT_TRUE(NewSong(maker.hwnd()));
    std::vector<StepEvent> events;
    for (int key : keys) events.push_back(StepEvent{static_cast<uint8_t>(key), 100, 120, 60});
    events.push_back(StepEvent{0xFE, 0xFE, 254, 254});
    ReplaceTrackEvents(1, events);
    UpdateSongSize(maker.hwnd());
    ASSERT_EQ(WriteSongFile(maker.hwnd(), path.c_str()), kWriteOk);
  }
  g_app.frame = savedFrame;
  g_song = savedSong;
  g_settings = savedSettings;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// Keys of the note-ons the device played, in order.
std::vector<int> PlayedKeys(const std::string& logPath) {
  std::ifstream in(logPath);
  std::vector<int> keys;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    int device = 0;
    std::string kind, message;
    s >> device >> kind >> message;
    if (kind != "sshort" && kind != "short") continue;
    const unsigned long m = std::stoul(message, nullptr, 16);
    if ((m & 0xF0) == 0x90 && ((m >> 16) & 0x7F) != 0) keys.push_back(static_cast<int>((m >> 8) & 0x7F));
  }
  return keys;
}

// Answers every message box of the program until it ends, keeping the
// boxes' texts; false when it did not end within the limit.
bool AnswerBoxesUntilExit(ShellProcess& program, DWORD limitMs, std::vector<std::string>& texts) {
  const DWORD end = GetTickCount() + limitMs;
  while (program.Running()) {
    if (GetTickCount() > end) return false;
    for (HWND box : program.Dialogs()) {
      texts.push_back(DialogText(box));
      SendMessageTimeoutA(box, WM_COMMAND, IDOK, 0, SMTO_NORMAL, 5000, nullptr);
    }
    Sleep(100);
  }
  return true;
}

class ListPlayTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteSettings(kSettings); }
  TempDir dir_;
};

TEST_F(ListPlayTest, PlaysEachSongInOrderPassesOverAMissingOneThenCloses) {
  WriteSong(dir_.File("a.G36"), {60, 61});
  WriteSong(dir_.File("b.G36"), {64});
  WriteSong(dir_.File("c.G36"), {67, 68});
  // Relative paths count from the list's own folder.
  WriteText(dir_.File("list.lpc"),
            "; LoopcastFiles\r\n; first song\r\na.G36\r\n\r\nmissing.G36\r\nb.G36\r\n; repeat no\r\nc.G36\r\n");
  const std::string log = dir_.File("vmidi.log");
  SetEnvironmentVariableA("VMIDI_LOG", log.c_str());
  ShellProcess program;
  ASSERT_TRUE(program.Start("\"" + dir_.File("list.lpc") + "\""));
  SetEnvironmentVariableA("VMIDI_LOG", nullptr);
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  SaveScreenshot(frame, OutputFolder() + "\\listplay-playing.bmp");
  std::vector<std::string> boxes;
  EXPECT_TRUE(AnswerBoxesUntilExit(program, 60000, boxes));
  // One message: the missing song.
  ASSERT_EQ(boxes.size(), 1u) << ::testing::PrintToString(boxes);
  EXPECT_NE(boxes[0].find("missing.G36"), std::string::npos) << boxes[0];
  EXPECT_EQ(PlayedKeys(log), (std::vector<int>{60, 61, 64, 67, 68}));
}

TEST_F(ListPlayTest, AListWhoseEverySongFailsClosesAfterOnePass) {
  WriteText(dir_.File("gone.lpc"), "; LOOPCASTFILES\r\nx.G36\r\ny.G36\r\nz.G36\r\n");
  ShellProcess program;
  ASSERT_TRUE(program.Start("\"" + dir_.File("gone.lpc") + "\""));
  ASSERT_NE(program.WaitForFrame(), nullptr);
  std::vector<std::string> boxes;
  EXPECT_TRUE(AnswerBoxesUntilExit(program, 60000, boxes));
  EXPECT_EQ(boxes.size(), 3u) << ::testing::PrintToString(boxes);
}

}  // namespace
