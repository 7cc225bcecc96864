// A banner library for the display set-up tests: only its ordinal 2048,
// which gives the title and version each copy is built with.
#include <windows.h>

#include <cstring>

#ifndef TESTSPLASH_TITLE
#define TESTSPLASH_TITLE "テストバナー"
#endif
#ifndef TESTSPLASH_VERSION
#define TESTSPLASH_VERSION "2.10"
#endif

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

int WINAPI GetLogoType(char* title, char* version) {
  if (title) std::strcpy(title, TESTSPLASH_TITLE);
  if (version) std::strcpy(version, TESTSPLASH_VERSION);
  return 1;
}

}  // extern "C"
