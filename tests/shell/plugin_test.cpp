// A controller plug-in named in the settings, as the running program calls
// it from start to close.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "shellprocess.h"
#include "testsupport.h"

namespace {

std::vector<std::string> PluginCalls(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> calls;
  std::string line;
  const std::string prefix = "zktestplugin ";
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(prefix, 0) == 0) calls.push_back(line.substr(prefix.size()));
  }
  return calls;
}

// Index of the first call from position from on that begins with start; -1
// when there is none.
int FindCall(const std::vector<std::string>& calls, const std::string& start, int from) {
  for (int i = from < 0 ? 0 : from; i < static_cast<int>(calls.size()); ++i)
    if (calls[i].rfind(start, 0) == 0) return i;
  return -1;
}

TEST(PluginTest, APluginInSlotFiveIsCalledInOrderFromStartToClose) {
  WriteSettings(
      "[Play]\r\nApplet=zkpoly.dll\r\n"
      "[MIDIIF]\r\nPort1Name=Virtual Out A\r\nPort2Name=None\r\nPort3Name=None\r\nPort4Name=None\r\n"
      "INPort1Name=None\r\nINPort2Name=None\r\n"
      "[OTHER]\r\nMAPISW=0\r\n"
      "[Plugin]\r\nControlor5=zktestplugin.dll\r\n");
  TempDir dir;
  const std::string log = dir.File("plugin.log");
  SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", log.c_str());
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", nullptr);
  ASSERT_NE(program.WaitForFrame(), nullptr);
  ASSERT_TRUE(program.Close());

  const std::vector<std::string> calls = PluginCalls(log);
  std::string all;
  for (const std::string& c : calls) all += c + "\n";
  // Loading, registration in slot 5 with the first plug-in command id, then
  // set-up; the frame menu at creation; the start with the frame's windows;
  // the song hand-over, the layout restore; at close the layout save and the
  // close entry.
  const char* const order[] = {"Information", "Register 5 4030", "NewSongData", "SetUp ", "SetUpDone",
                               "Menu74", "Menu75", "Start ", "SongData", "RestoreLayout",
                               "SaveLayout", "FrameClose"};
  int at = 0;
  for (const char* step : order) {
    int found = FindCall(calls, step, at);
    EXPECT_GE(found, 0) << step << " after call " << at << " in\n" << all;
    if (found >= 0) at = found + 1;
  }
  // The frame menu gets values 3 and 0; the start gets the MDI client and
  // the frame.
  const int menu = FindCall(calls, "Menu74", 0);
  ASSERT_GE(menu, 0);
  EXPECT_EQ(calls[menu].substr(calls[menu].size() - 4), " 3 0") << calls[menu];
  const int start = FindCall(calls, "Start ", 0);
  ASSERT_GE(start, 0);
  EXPECT_NE(calls[start].find(" 1 1 "), std::string::npos) << calls[start];
}

}  // namespace
