// The call log: one text line per call, so that the engine's tests can show
// which calls reached the library with which arguments.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "smpustate.h"

namespace {
// Enough for a long play; calls past it are counted but not kept.
constexpr size_t kMaxEntries = 200000;
std::mutex g_logLock;
std::vector<std::string> g_log;
}  // namespace

void CallLog(const char* fmt, ...) {
  char line[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  std::lock_guard<std::mutex> hold(g_logLock);
  if (g_log.size() < kMaxEntries) g_log.emplace_back(line);
}

// The count and the first words of a block, in hex.
std::string WordsText(const WORD* words, int count) {
  std::string s = std::to_string(count);
  if (!words) return s + " null";
  s += " [";
  for (int i = 0; i < count && i < 8; ++i) {
    char w[8];
    snprintf(w, sizeof w, i ? " %04X" : "%04X", words[i]);
    s += w;
  }
  if (count > 8) s += " ...";
  return s + "]";
}

SMPUAPI int WINAPI RdsCallLogCount(void) {
  std::lock_guard<std::mutex> hold(g_logLock);
  return static_cast<int>(g_log.size());
}

SMPUAPI int WINAPI RdsCallLogEntry(int index, char* buf, int size) {
  std::lock_guard<std::mutex> hold(g_logLock);
  if (index < 0 || static_cast<size_t>(index) >= g_log.size()) return -1;
  const std::string& e = g_log[index];
  if (buf && size > 0) {
    size_t n = e.size() < static_cast<size_t>(size - 1) ? e.size() : static_cast<size_t>(size - 1);
    std::memcpy(buf, e.data(), n);
    buf[n] = 0;
  }
  return static_cast<int>(e.size());
}

SMPUAPI void WINAPI RdsCallLogClear(void) {
  std::lock_guard<std::mutex> hold(g_logLock);
  g_log.clear();
}
