// The fixture of the binding tests: fresh settings, a stand-in frame, the
// virtual MIDI device, and the call log of the test libraries.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "portsetup.h"
#include "settings.h"
#include "testsupport.h"
#include "vwinmm.h"

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vm.Bind()) << "the virtual winmm.dll is not loaded";
    g_settings = AppSettings();
    g_app.portsUnavailable = 0;
    ClearControllerPlugins();
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    char name[MAX_PATH];
    GetTempFileNameA(dir, "zkl", 0, name);
    logPath_ = name;
    DeleteFileA(logPath_.c_str());
    SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", logPath_.c_str());
    vm.LogClear();
    openBefore_ = vm.OpenCount();
  }
  void TearDown() override {
    UnloadLibraries();
    FreeSplashLibraries();
    g_app.portsUnavailable = 0;
    g_app.mdiClient = nullptr;
    SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", nullptr);
    DeleteFileA(logPath_.c_str());
    EXPECT_EQ(vm.OpenCount(), openBefore_) << "a device was left open";
  }

  // The lines the test libraries logged so far.
  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(logPath_);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }
  void ClearCalls() const { DeleteFileA(logPath_.c_str()); }

  // The short messages the device with this id sent outside any stream.
  std::vector<uint32_t> Immediate(int device) {
    std::vector<uint32_t> out;
    for (int i = 0, n = vm.LogCount(); i < n; ++i) {
      VMidiLogEntry e{};
      if (vm.LogEntry(i, &e) && e.device == device && e.kind == kVmShort) out.push_back(e.message);
    }
    return out;
  }

  VirtualMidi vm;
  TempSettingsFile ini;
  TestFrame frame;
  MessageBoxRecorder boxes;

 private:
  std::string logPath_;
  int openBefore_ = 0;
};
