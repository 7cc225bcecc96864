// Stands in for the handler a link is opened with: tells the test that it
// ran, at which priorities, and with which arguments, by writing the file
// named in ZK_LINKPROBE_MARKER (written aside, then renamed into place, so
// the test never reads half of it).
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  char marker[MAX_PATH] = "";
  const DWORD n = GetEnvironmentVariableA("ZK_LINKPROBE_MARKER", marker, sizeof marker);
  if (n == 0 || n >= sizeof marker) return 2;
  char text[512];
  std::snprintf(text, sizeof text, "priority=%lu\nthread=%d\narguments=%s\n",
                static_cast<unsigned long>(GetPriorityClass(GetCurrentProcess())),
                GetThreadPriority(GetCurrentThread()), arguments ? arguments : "");
  const std::string aside = std::string(marker) + ".part";
  HANDLE file = CreateFileA(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
  CloseHandle(file);
  if (!ok || !MoveFileExA(aside.c_str(), marker, MOVEFILE_REPLACE_EXISTING)) return 4;
  return 0;
}
