// Library entry of the timer engine and its identity. Its port flag is the
// process's own.
#include "engineshell.h"

const EngineIdentity kEngineIdentity = {"zkmme", "zkmme.dll", 1, true, false};

namespace {
HINSTANCE g_instance = nullptr;
LONG g_sharedFlag = 0;
}  // namespace

HINSTANCE EngineInstance() { return g_instance; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
    LoadShellSettings();
  }
  return TRUE;
}

extern "C" int WINAPI SetShareFlag(int value) {
  InterlockedExchange(&g_sharedFlag, value);
  return 1;
}

extern "C" int WINAPI GetShareFlag() { return static_cast<int>(InterlockedCompareExchange(&g_sharedFlag, 0, 0)); }
