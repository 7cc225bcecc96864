// The call log of the test libraries: one line per call ("name args..."),
// appended to the file named by ZK_TESTPLUGIN_LOG (nothing when unset), so
// that a test in this process or another reads the order of the calls.
#pragma once
#include <windows.h>

#include <cstdarg>
#include <cstdio>

inline void LogCall(const char* format, ...) {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  char line[512];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(line, sizeof line - 2, format, args);
  va_end(args);
  if (length < 0) return;
  if (length > static_cast<int>(sizeof line) - 3) length = sizeof line - 3;
  line[length++] = '\r';
  line[length++] = '\n';
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}
