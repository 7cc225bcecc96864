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

// Waits until the device log shows a note played; false when none came
// within the limit.
bool WaitForFirstNote(const std::string& logPath, DWORD limitMs) {
  const DWORD end = GetTickCount() + limitMs;
  while (PlayedKeys(logPath).empty()) {
    if (GetTickCount() > end) return false;
    Sleep(20);
  }
  return true;
}

struct Box {
  std::string text;
  std::vector<int> keysBefore;  // notes played when it came up
};

std::string Texts(const std::vector<Box>& boxes) {
  std::string all;
  for (const Box& b : boxes) all += "[" + b.text + "] ";
  return all;
}

// Answers every message box of the program until it ends, keeping what
// each said and the notes played before it; false when the program did not
// end within the limit. The first box is saved as a screenshot when a name
// is given.
bool AnswerBoxesUntilExit(ShellProcess& program, DWORD limitMs, const std::string& logPath,
                          std::vector<Box>& boxes, const char* firstBoxShot = nullptr) {
  const DWORD end = GetTickCount() + limitMs;
  while (program.Running()) {
    if (GetTickCount() > end) return false;
    for (HWND box : program.Dialogs()) {
      if (boxes.empty() && firstBoxShot) SaveScreenshot(box, OutputFolder() + "\\" + firstBoxShot);
      boxes.push_back(Box{DialogText(box), logPath.empty() ? std::vector<int>{} : PlayedKeys(logPath)});
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
  // The first song starts by itself, with nothing asked of the user.
  EXPECT_TRUE(WaitForFirstNote(log, 20000));
  SaveScreenshot(frame, OutputFolder() + "\\listplay-playing.bmp");
  std::vector<Box> boxes;
  EXPECT_TRUE(AnswerBoxesUntilExit(program, 60000, log, boxes, "listplay-missing.bmp"));
  // One message: the missing song, in its place after the first song.
  ASSERT_EQ(boxes.size(), 1u) << Texts(boxes);
  EXPECT_NE(boxes[0].text.find("missing.G36"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(boxes[0].keysBefore, (std::vector<int>{60, 61}));
  EXPECT_EQ(PlayedKeys(log), (std::vector<int>{60, 61, 64, 67, 68}));
}

TEST_F(ListPlayTest, AListWhoseEverySongFailsClosesAfterOnePass) {
  WriteText(dir_.File("gone.lpc"), "; LOOPCASTFILES\r\nx.G36\r\ny.G36\r\nz.G36\r\n");
  ShellProcess program;
  ASSERT_TRUE(program.Start("\"" + dir_.File("gone.lpc") + "\""));
  ASSERT_NE(program.WaitForFrame(), nullptr);
  std::vector<Box> boxes;
  EXPECT_TRUE(AnswerBoxesUntilExit(program, 60000, "", boxes));
  ASSERT_EQ(boxes.size(), 3u) << Texts(boxes);
  const char* const names[] = {"x.G36", "y.G36", "z.G36"};
  for (int i = 0; i < 3; ++i) EXPECT_NE(boxes[i].text.find(names[i]), std::string::npos) << boxes[i].text;
}

}  // namespace
