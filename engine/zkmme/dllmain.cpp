// Library entry of the timer engine and its identity.
#include "mmshell.h"

const EngineIdentity kEngineIdentity = {"zkmme", "zkmme.dll", 1, true, false};

namespace {
HINSTANCE g_instance = nullptr;
}  // namespace

HINSTANCE EngineInstance() { return g_instance; }

// The port flag is this process's own.
volatile LONG g_shareFlag = 0;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
    LoadShellSettings();
  }
  return TRUE;
}

