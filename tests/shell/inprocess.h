// The shell of the main program started once inside the test process, for
// every suite that drives its frame directly (window classes register once
// a process). It closes after the last test.
#pragma once
#include <windows.h>

#include <functional>

#include "testsupport.h"

// Starts it on the first call; true while it runs.
bool StartInProcessShell();
// The settings file it read at start.
TempSettingsFile& InProcessSettings();

// Runs the program's main loop until done() or timeoutMs; done()'s last
// answer.
bool RunLoopUntil(std::function<bool()> done, DWORD timeoutMs = 10000);
void RunLoopFor(DWORD ms);
// WM_COMMAND id to the frame.
void Command(UINT id);

// While it lives, every dialog box the program opens over its frame is
// handed to act, once each, from inside the dialog's own modal loop; act
// must end it (or the program waits for a person).
class DialogWatch {
 public:
  explicit DialogWatch(std::function<void(HWND dialog)> act);
  ~DialogWatch();
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;
  // How many dialogs were handed over.
  int Seen() const;
};
