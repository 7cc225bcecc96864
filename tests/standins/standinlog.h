// The log of the stand-ins: one line per call, fields separated by "|",
// appended to the file named by ZK_STANDIN_LOG (nothing when unset).
#pragma once
#include <windows.h>

#include <string>

inline void AppendStandinLog(const std::string& line) {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("ZK_STANDIN_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  std::string text = line + "\r\n";
  // Retried while another writer holds the file for its own line.
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(10);
  }
}
