// Two programs and one set of MIDI ports: the second finds them held, says
// so once and runs without them; only the one that took them releases them.
#include <gtest/gtest.h>

#include <string>

#include "shellprocess.h"

namespace {

const char kSettings[] =
    "[Play]\r\nApplet=zkpoly.dll\r\n"
    "[MIDIIF]\r\nPort1Name=Virtual Out A\r\nPort2Name=None\r\nPort3Name=None\r\nPort4Name=None\r\n"
    "INPort1Name=None\r\nINPort2Name=None\r\n"
    "[OTHER]\r\nMAPISW=0\r\n";

// The engine's flag shared by every process that loads it.
class SharedFlag {
 public:
  SharedFlag() {
    library_ = LoadLibraryA("zkpoly.dll");
    if (library_)
      get_ = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(library_, MAKEINTRESOURCEA(241))));
  }
  ~SharedFlag() {
    if (library_) FreeLibrary(library_);
  }
  bool Ready() const { return get_ != nullptr; }
  int Value() const { return get_(); }

 private:
  HMODULE library_ = nullptr;
  int(WINAPI* get_)() = nullptr;
};

TEST(InstancesTest, SecondProgramFindsThePortsHeldAndLeavesThemToTheFirst) {
  WriteSettings(kSettings);
  SharedFlag flag;
  ASSERT_TRUE(flag.Ready());
  ASSERT_EQ(flag.Value() & 1, 0);

  ShellProcess first;
  ASSERT_TRUE(first.Start(""));
  ASSERT_NE(first.WaitForFrame(), nullptr);
  EXPECT_TRUE(first.Dialogs().empty());
  EXPECT_EQ(flag.Value() & 1, 1);

  ShellProcess second;
  ASSERT_TRUE(second.Start(""));
  HWND box = second.WaitForDialog(60000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(DialogText(box).find("他のアプリケーションがMIDIポートを使用しているので"), std::string::npos)
      << DialogText(box);
  SaveScreenshot(box, OutputFolder() + "\\shell-ports-held.bmp");
  SendMessageA(box, WM_COMMAND, IDOK, 0);
  HWND frame = second.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  // Said once: nothing more is open once the program waits for the user.
  EXPECT_TRUE(second.Dialogs().empty());
  ASSERT_TRUE(second.Close());
  EXPECT_EQ(second.ExitCode(), 0u);

  // The second never took the ports: the first still holds them.
  EXPECT_EQ(flag.Value() & 1, 1);
  ASSERT_TRUE(first.Close());
  EXPECT_EQ(flag.Value() & 1, 0);
}

}  // namespace
