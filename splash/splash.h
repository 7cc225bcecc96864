// What both splash libraries share: their instance, their type texts, and how
// a splash window is shown.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

extern HINSTANCE g_splashInstance;

// Shows window without taking the activation, unless parent is minimised.
void ShowSplashWindow(HWND window, HWND parent);

// The plug-in splash's three-line list: replaceLast 0 adds a line (the oldest
// goes once three are shown), 1 replaces the last one.
constexpr size_t kPluginLines = 3;
void AddPluginLine(std::vector<std::string>& lines, const std::string& line, bool replaceLast);
// "%8s %12s %8s : %s" of the four texts.
std::string FormatPluginLine(const char* t1, const char* t2, const char* t3, const char* t4);
