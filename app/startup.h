// The main program's life: start-up in its fixed order, the main loop, and
// shut-down in order.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The main entry's work; returns 0 on every path.
int RunProgram(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show);
// Start-up up to the main loop; false when the classes, the frame, the MDI
// client or the accelerators cannot be made (nothing is freed then).
bool StartProgram(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show);
// Shut-down after the main loop: bitmaps, pen, mail library, the libraries
// in order, the program's blocks and popup menus.
void ShutDownProgram();

// The command line's arguments, split as the system splits them (quotes
// group, a quote inside is kept out).
std::vector<std::string> SplitCommandLine(const char* commandLine);

// Drive and directory of a program path (with the trailing "\").
std::string ProgramDirectory(const std::string& programPath);

// The message loop: MDI system keys, the frame's accelerators, the modeless
// dialog, then translation and dispatch; after every message the end of play
// is handed to the frame. Returns the quit code.
int RunMainLoop();
