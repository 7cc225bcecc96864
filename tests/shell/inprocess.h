// The shell of the main program started once inside the test process, for
// every suite that drives its frame directly (window classes register once
// a process). It closes after the last test.
#pragma once

#include "testsupport.h"

// Starts it on the first call; true while it runs.
bool StartInProcessShell();
// The settings file it read at start.
TempSettingsFile& InProcessSettings();
