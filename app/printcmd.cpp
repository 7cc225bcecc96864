#include "printcmd.h"

#include "inifile.h"
#include "msgbox.h"
#include "programstate.h"
#include "resource.h"
#include "songfile.h"

std::string PrintCommandLine(const std::string& program, const std::string& songCopy) {
  return program + " /D \"" + songCopy + "\"";
}

void PrintCommand(HWND frame) {
  char copy[MAX_PATH] = "";
  if (!GetTempFileNameA(g_prog.programDir, "zk", 0, copy)) {
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_CANNOT_CREATE, g_prog.programDir);
    return;
  }
  if (WriteSongCopy(frame, copy) != kWriteOk) {
    DeleteFileA(copy);
    return;
  }
  const std::string program = IniGetString("Applets", "Print", "zkprn.exe", MAX_PATH);
  // The printing program deletes the copy when it exits; one that never
  // started cannot, so the copy goes here and the user is told.
  if (WinExec(PrintCommandLine(program, copy).c_str(), SW_SHOW) <= 31) {
    DeleteFileA(copy);
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_CANNOT_OPEN, program.c_str());
  }
}
