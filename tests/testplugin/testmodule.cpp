// A sound-module library for tests: gives its display name, and logs every
// call with its arguments. TESTMODULE_NAME tells the copies apart in the log
// and TESTMODULE_DISPLAY is the name it shows.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "calllog.h"

#ifndef TESTMODULE_NAME
#define TESTMODULE_NAME "zktestmodule"
#endif
#ifndef TESTMODULE_DISPLAY
#define TESTMODULE_DISPLAY "テスト音源Ａ"
#endif

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

void WINAPI ModuleName(char* name) {
  LogCall(TESTMODULE_NAME " Name %d", name != nullptr);
  if (name) std::strcpy(name, TESTMODULE_DISPLAY);
}

void WINAPI ModuleSelect(uint16_t selection) { LogCall(TESTMODULE_NAME " Select %u", selection); }

// The handles as numbers, so that a test compares them with its own.
void WINAPI ModuleOptions(uint16_t pluginId, HINSTANCE instance, HWND dialog) {
  LogCall(TESTMODULE_NAME " Options %u %llx %llx", pluginId,
          static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(instance)),
          static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(dialog)));
}

}  // extern "C"
