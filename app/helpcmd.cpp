#include "helpcmd.h"

#include <cstdio>
#include <string>

#include "inifile.h"
#include "shellutil.h"

const char* DefaultHelpFile(int n) {
  static const char* const kDefaults[3] = {"zk95hlp3.mvb", "zk95hlp1.mvb", "zk95hlp2.mvb"};
  return n >= 1 && n <= 3 ? kDefaults[n - 1] : nullptr;
}

void HelpCommand(HWND frame, int n) {
  const char* fallback = DefaultHelpFile(n);
  if (!fallback) return;
  char key[8];
  std::snprintf(key, sizeof key, "Help%d", n);
  const std::string file = IniGetString("Applets", key, fallback, MAX_PATH);
  LaunchViewer(file.c_str());
}
