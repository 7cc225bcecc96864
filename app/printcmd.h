// File: print: hands a copy of the song to the score printing program.
#pragma once
#include <windows.h>

#include <string>

void PrintCommand(HWND frame);

// The printing program's command line: the program, "/D" and the song copy
// in double quotes.
std::string PrintCommandLine(const std::string& program, const std::string& songCopy);
