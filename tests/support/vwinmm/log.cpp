// Every message that leaves a device, kept in memory for the tests and,
// with VMIDI_LOG set, appended to a text file one line each:
//   device kind message(hex) wallMicros tick tickMicros length bytes(hex)
#include <cstdio>
#include <cstring>

#include "vmstate.h"

namespace {

std::mutex g_logMu;
std::vector<VMidiLogEntry> g_log;
FILE* g_logFile = nullptr;

const char* KindName(int kind) {
  static const char* const names[] = {"short", "long", "sshort", "slong", "tempo", "reset", "mci"};
  return kind >= 0 && kind < 7 ? names[kind] : "?";
}

void WriteLine(const VMidiLogEntry& e) {
  std::string line = std::to_string(e.device) + " " + KindName(e.kind) + " ";
  char hex[16];
  snprintf(hex, sizeof hex, "%08lx", static_cast<unsigned long>(e.message));
  line += hex;
  line += " " + std::to_string(e.wallMicros) + " " + std::to_string(e.tick) + " " +
          std::to_string(e.tickMicros) + " " + std::to_string(e.length) + " ";
  int shown = e.length < static_cast<int>(sizeof e.data) ? e.length : sizeof e.data;
  for (int i = 0; i < shown; ++i) {
    snprintf(hex, sizeof hex, "%02x", e.data[i]);
    line += hex;
  }
  line += "\n";
  fputs(line.c_str(), g_logFile);
  fflush(g_logFile);
}

}  // namespace

void VmLogInit() {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VMIDI_LOG", path, sizeof path);
  if (n > 0 && n < sizeof path) g_logFile = fopen(path, "a");
}

void VmLogClose() {
  std::lock_guard<std::mutex> lk(g_logMu);
  if (g_logFile) fclose(g_logFile);
  g_logFile = nullptr;
}

void VmLog(int device, int kind, uint32_t message, int64_t tick, int64_t tickMicros,
           const void* data, int length) {
  VMidiLogEntry e{};
  e.wallMicros = VmNow();
  e.device = device;
  e.kind = kind;
  e.message = message;
  e.tick = tick;
  e.tickMicros = tickMicros;
  e.length = length < 0 ? 0 : length;
  if (data && e.length > 0) {
    memcpy(e.data, data, e.length < static_cast<int>(sizeof e.data) ? e.length : sizeof e.data);
  }
  std::lock_guard<std::mutex> lk(g_logMu);
  g_log.push_back(e);
  if (g_logFile) WriteLine(e);
}

extern "C" {

int WINAPI vmidiLogCount() {
  std::lock_guard<std::mutex> lk(g_logMu);
  return static_cast<int>(g_log.size());
}

BOOL WINAPI vmidiLogEntry(int index, VMidiLogEntry* out) {
  std::lock_guard<std::mutex> lk(g_logMu);
  if (!out || index < 0 || index >= static_cast<int>(g_log.size())) return FALSE;
  *out = g_log[index];
  return TRUE;
}

void WINAPI vmidiLogClear() {
  std::lock_guard<std::mutex> lk(g_logMu);
  g_log.clear();
}

}  // extern "C"
