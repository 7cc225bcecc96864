// Starting the main program as a separate process and looking at its windows
// from outside, as a person would.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The settings file the program reads: ZKFW95.INI in the Windows folder of
// this test's own prefix.
std::string SettingsPath();
void WriteSettings(const std::string& text);
std::string ReadSettings();
// [section] key of the settings file as the program left it.
std::string SettingsValue(const char* section, const char* key);
// Another program writes its keys one by one: waits until the key holds
// value; false when it does not within the limit.
bool WaitForSettingsValue(const char* section, const char* key, const std::string& value, DWORD limitMs = 30000);

// zkfw32.exe beside this test program.
std::string ProgramPath();
// The folder for screenshots (ZK_TEST_OUTPUT, else the temporary folder).
std::string OutputFolder();

std::string ClassOf(HWND window);
std::string TitleOf(HWND window);
// A control's text, asked of its own process (an edit keeps it there).
std::string ControlText(HWND control);
// Direct children of a window.
std::vector<HWND> ChildrenOf(HWND parent);
// The first direct child of that class (any case), or null.
HWND ChildOfClass(HWND parent, const char* className);
// The texts of a dialog's static controls, joined.
std::string DialogText(HWND dialog);
// Copies the window's screen area into a 24-bit .bmp file.
bool SaveScreenshot(HWND window, const std::string& path);

class ShellProcess {
 public:
  ShellProcess() = default;
  ~ShellProcess();
  ShellProcess(const ShellProcess&) = delete;
  ShellProcess& operator=(const ShellProcess&) = delete;

  // Starts zkfw32.exe with the given argument text (may be empty).
  bool Start(const std::string& arguments);
  // Waits until its frame is visible and the program waits for input;
  // null when it does not come within the limit.
  HWND WaitForFrame(DWORD limitMs = 60000);
  // A visible message box (dialog) of the process, or null within the limit.
  HWND WaitForDialog(DWORD limitMs);
  // Every visible dialog of the process now.
  std::vector<HWND> Dialogs() const;
  // Posts WM_CLOSE to the frame and waits for the process to end; false when
  // it does not end within the limit.
  bool Close(DWORD limitMs = 60000);
  bool Running() const;
  DWORD ExitCode() const;
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  HWND Frame() const { return frame_; }

 private:
  PROCESS_INFORMATION info_{};
  HWND frame_ = nullptr;
};
