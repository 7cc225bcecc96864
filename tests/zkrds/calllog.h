// The driver library's call log, read through its exports.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct DriverLog {
  using CountFn = int(WINAPI*)();
  using EntryFn = int(WINAPI*)(int, char*, int);
  using ClearFn = void(WINAPI*)();
  using FailFn = void(WINAPI*)(int);
  using HoldFn = void(WINAPI*)(HANDLE, HANDLE);

  bool Bind() {
    HMODULE m = GetModuleHandleA("rdsmpu32.dll");
    if (!m) return false;
    count = reinterpret_cast<CountFn>(reinterpret_cast<void*>(GetProcAddress(m, "RdsCallLogCount")));
    entry = reinterpret_cast<EntryFn>(reinterpret_cast<void*>(GetProcAddress(m, "RdsCallLogEntry")));
    clear = reinterpret_cast<ClearFn>(reinterpret_cast<void*>(GetProcAddress(m, "RdsCallLogClear")));
    failPuts = reinterpret_cast<FailFn>(reinterpret_cast<void*>(GetProcAddress(m, "RdsFailSeqPuts")));
    holdPut = reinterpret_cast<HoldFn>(reinterpret_cast<void*>(GetProcAddress(m, "RdsHoldSeqPut")));
    return count && entry && clear && failPuts && holdPut;
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    int n = count();
    for (int i = 0; i < n; ++i) {
      char buf[512];
      if (entry(i, buf, sizeof buf) >= 0) out.emplace_back(buf);
    }
    return out;
  }
  // Lines that begin with the call's name (and a space).
  std::vector<std::string> Calls(const std::string& name) const {
    std::vector<std::string> out;
    for (const auto& l : Lines())
      if (l.compare(0, name.size() + 1, name + " ") == 0) out.push_back(l);
    return out;
  }
  bool Has(const std::string& line) const {
    for (const auto& l : Lines())
      if (l == line) return true;
    return false;
  }

  CountFn count = nullptr;
  EntryFn entry = nullptr;
  ClearFn clear = nullptr;
  FailFn failPuts = nullptr;
  HoldFn holdPut = nullptr;
};
