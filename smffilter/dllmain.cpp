// Library entry of the Standard MIDI File filter.
#include <windows.h>

#include "filtersettings.h"

namespace {
HINSTANCE g_instance = nullptr;
}  // namespace

HINSTANCE FilterInstance() { return g_instance; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
    LoadAttachSettings();
  }
  return TRUE;
}
