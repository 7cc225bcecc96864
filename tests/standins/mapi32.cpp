// Simple MAPI for tests: MAPISendDocuments logs its arguments and what the
// attachment file holds at the time of the call, and sends nothing.
#include <windows.h>

#include <cstdio>
#include <string>

#include "songcheck.h"
#include "standinlog.h"

extern "C" {

ULONG WINAPI MAPISendDocuments(ULONG_PTR uiParam, LPSTR delimiter, LPSTR paths, LPSTR names, ULONG reserved) {
  char window[32];
  std::snprintf(window, sizeof window, "%llx", static_cast<unsigned long long>(uiParam));
  std::string record = std::string("MAPISendDocuments|") + window + "|" + (delimiter ? delimiter : "(null)") +
                       "|" + (paths ? paths : "(null)") + "|" + (names ? names : "(null)") + "|" +
                       std::to_string(reserved);
  if (paths) {
    record += "|" + DescribeSongFile(paths);
    KeepCopy(paths);
  }
  AppendStandinLog(record);
  return 0;
}

// Tells a test that this library, not the system's, was loaded.
int WINAPI ZkMapiStandin() { return 1; }

}  // extern "C"
