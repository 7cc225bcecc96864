// Help: about: the version list of the program and its libraries.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Size of the text block the version list is built in.
constexpr size_t kVersionTextSize = 32768;

void AboutCommand(HWND frame);
// Dialog 300; lParam of its creation is the version text block (or null).
extern "C" INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The line "Running on:" shows for a version word of GetVersion.
std::string SystemVersionLine(DWORD version);
// The libraries named in the settings that the list shows after the
// program, in order, empty names left out.
std::vector<std::string> ConfiguredLibraries();
// Where the system finds a library that is loaded by this name: the loaded
// module's file, else the search path's answer; the name itself when
// neither knows it.
std::string LibraryFilePath(const std::string& name);
