// A second process for the shared-flag test: loads an engine and reads its
// flag (exit code) or writes it.
//   sharedflag_probe ENGINE.dll get
//   sharedflag_probe ENGINE.dll set VALUE
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) return 255;
  HMODULE lib = LoadLibraryA(argv[1]);
  if (!lib) return 254;
  auto get = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(241))));
  auto set = reinterpret_cast<int(WINAPI*)(int)>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(240))));
  if (!get || !set) return 253;
  if (std::strcmp(argv[2], "set") == 0 && argc > 3) return set(std::atoi(argv[3])) == 1 ? 0 : 252;
  return get();
}
