// Library entry of the stream engine, its identity and the flag shared by
// every process that loads this library.
#include "mmshell.h"

const EngineIdentity kEngineIdentity = {"zkpoly", "zkpoly.dll", 2, false, true};

namespace {
HINSTANCE g_instance = nullptr;
}

HINSTANCE EngineInstance() { return g_instance; }

// One word every process that loads this file sees: bit 0 set while a
// program holds the MIDI ports.
__attribute__((section("Shared"), shared)) volatile LONG g_shareFlag = 0;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
    LoadShellSettings();
  }
  return TRUE;
}


// The timer callback of the timer engine; nothing runs on a timer here.
extern "C" int WINAPI MMECallBackMan(int, int, int, int, int) { return 0; }
