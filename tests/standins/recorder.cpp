// A program started by the main program in place of the score printing
// program or the help viewer. It logs its name, show command and command
// line; given "/D" and a quoted song copy, it also logs what the copy holds
// and deletes it, as the printing program does when it exits.
#include <windows.h>

#include <string>

#include "songcheck.h"
#include "standinlog.h"

namespace {

std::string OwnName() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string name = path;
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

// The path after "/D" in double quotes; empty when there is none.
std::string SongCopyArgument(const std::string& line) {
  size_t at = line.find(" /D \"");
  if (at == std::string::npos) return {};
  at += 5;
  size_t end = line.find('"', at);
  return end == std::string::npos ? std::string() : line.substr(at, end - at);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  const std::string line = GetCommandLineA();
  std::string record = OwnName() + "|" + std::to_string(show) + "|" + line;
  const std::string copy = SongCopyArgument(line);
  if (!copy.empty()) {
    record += "|" + DescribeSongFile(copy);
    KeepCopy(copy);
    DeleteFileA(copy.c_str());
  }
  AppendStandinLog(record);
  return 0;
}
