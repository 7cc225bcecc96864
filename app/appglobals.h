// Program-wide values of the shell, kept in one record.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

struct AppGlobals {
  HINSTANCE instance = nullptr;   // the program's instance (its resources)
  HWND frame = nullptr;           // the MDI frame window
  HWND mdiClient = nullptr;
  HWND statusLine = nullptr;
  int modalFlag = 0;              // 1 while a message box or song file dialog is open
  // Set while another program holds the MIDI ports (and until start-up
  // clears it): nothing plays or sends.
  uint32_t portsUnavailable = 1;
};
extern AppGlobals g_app;

// The active MDI child, null when none (or no MDI client).
HWND ActiveMdiChild();
// Instance whose resources hold the program's texts.
HINSTANCE AppInstance();
// String-table text by id (at most 127 characters, as the program loads it).
std::string LoadAppString(UINT id);
