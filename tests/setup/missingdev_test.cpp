// A port whose device is not there: a new user on a machine without MIDI
// devices is not told that another program holds the ports; a configured
// device that has gone is named once and its port stays closed.
#include <gtest/gtest.h>

#include <string>

#include "shellprocess.h"
#include "testsupport.h"

namespace {

// The virtual device's outputs for the programs this test starts.
class OutputDevices {
 public:
  explicit OutputDevices(const char* names) {
    char old[256] = {};
    had_ = GetEnvironmentVariableA("VMIDI_OUT", old, sizeof old) > 0;
    old_ = old;
    SetEnvironmentVariableA("VMIDI_OUT", names);
  }
  ~OutputDevices() { SetEnvironmentVariableA("VMIDI_OUT", had_ ? old_.c_str() : nullptr); }

 private:
  bool had_ = false;
  std::string old_;
};

TEST(MissingDeviceTest, ANewUserWithoutMidiDevicesIsNotWarned) {
  DeleteFileA(SettingsPath().c_str());
  OutputDevices none("");
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  std::string texts;
  for (HWND box : program.Dialogs()) texts += DialogText(box) + "\n";
  EXPECT_TRUE(program.Dialogs().empty()) << texts;
  for (HWND box : program.Dialogs()) SendMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(program.Close());
}

TEST(MissingDeviceTest, AConfiguredDeviceThatIsNotThereIsNamedOnce) {
  WriteSettings(
      "[Play]\r\nApplet=zkpoly.dll\r\n"
      "[MIDIIF]\r\nPort1Name=Gone Synth\r\nPort2Name=Virtual Out A\r\nPort3Name=None\r\nPort4Name=None\r\n"
      "INPort1Name=None\r\nINPort2Name=None\r\n"
      "[OTHER]\r\nMAPISW=0\r\n");
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  HWND box = program.WaitForDialog(60000);
  ASSERT_NE(box, nullptr);
  const std::string text = DialogText(box);
  EXPECT_NE(text.find("Gone Synth"), std::string::npos) << text;
  EXPECT_EQ(text.find("他のアプリケーションが"), std::string::npos) << text;
  SaveScreenshot(box, OutputFolder() + "\\shell-missing-device.bmp");
  SendMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_NE(program.WaitForFrame(), nullptr);
  EXPECT_TRUE(program.Dialogs().empty());
  ASSERT_TRUE(program.Close());
}

}  // namespace
