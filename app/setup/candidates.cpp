#include "candidates.h"

#include <cstdio>

#include "binding.h"
#include "engines.h"
#include "inifile.h"
#include "settings.h"

namespace {

using TypeTextsFn = int(WINAPI*)(char* title, char* version);  // ordinal 2048

constexpr int kTypeTextSize = 40;     // what a library writes at most
constexpr int kListedVersion = 2;     // listed from this version value on
constexpr int kMostCandidates = 100;  // a file full of keys ends somewhere

std::string IndexedKey(const char* prefix, int n) {
  char key[32];
  std::snprintf(key, sizeof key, "%s%d", prefix, n);
  return key;
}

}  // namespace

bool ProbeLibraryTexts(const std::string& file, LibraryTexts& out) {
  HMODULE library = LoadNamedLibrary(file.c_str());
  if (!library) return false;
  auto texts = BindOrdinal<TypeTextsFn>(library, 2048);
  if (texts) {
    // Room beyond what the library is promised to write.
    char title[kTypeTextSize + 8] = {};
    char version[kTypeTextSize + 8] = {};
    texts(title, version);
    title[sizeof title - 1] = version[sizeof version - 1] = '\0';
    out.title = title;
    out.version = version;
  }
  FreeLibrary(library);
  return texts != nullptr;
}

CandidateList ListCandidates(const std::string& noneText, const std::vector<std::string>& files,
                             const std::string& current, const LibraryProber& probe) {
  CandidateList list;
  list.lines.push_back({noneText, -1});
  for (size_t n = 0; n < files.size(); ++n) {
    LibraryTexts texts;
    if (!probe(files[n], texts) || EngineVersionValue(texts.version) < kListedVersion) continue;
    list.lines.push_back({texts.title, static_cast<int>(n)});
    // An unlisted current library must not select a line of another one.
    if (lstrcmpiA(files[n].c_str(), current.c_str()) == 0 && list.selection == 0)
      list.selection = static_cast<int>(list.lines.size()) - 1;
  }
  return list;
}

std::vector<std::string> ReadCandidateFiles(const char* section, const char* prefix) {
  std::vector<std::string> files;
  for (int n = 0; n < kMostCandidates; ++n) {
    std::string file = IniGetString(section, IndexedKey(prefix, n).c_str(), "", kPathTextSize);
    if (file.empty()) break;
    files.push_back(file);
  }
  return files;
}

std::vector<std::string> ReadIndexedValues(const char* section, const char* prefix, int count) {
  std::vector<std::string> values;
  for (int n = 0; n < count; ++n)
    values.push_back(IniGetString(section, IndexedKey(prefix, n).c_str(), "", kPathTextSize));
  return values;
}

std::string CandidateFileOf(const CandidateList& list, int line, const std::vector<std::string>& files) {
  if (line <= 0 || line >= static_cast<int>(list.lines.size())) return "";
  const int n = list.lines[static_cast<size_t>(line)].candidate;
  if (n < 0 || n >= static_cast<int>(files.size())) return "";
  return files[static_cast<size_t>(n)];
}

BarPlace ToolBarPlace(int toolBar) {
  switch (toolBar & 0x7F) {
    case 1: return BarPlace::Top;
    case 2: return BarPlace::Bottom;
    default: return BarPlace::None;
  }
}

bool ToolBarHelp(int toolBar) { return (toolBar & kToolBarHelpBit) != 0; }

int ToolBarValue(BarPlace place, bool help) { return StatusBarValue(place) | (help ? kToolBarHelpBit : 0); }

BarPlace StatusBarPlace(int statusBar) {
  switch (statusBar) {
    case 1: return BarPlace::Top;
    case 2: return BarPlace::Bottom;
    default: return BarPlace::None;
  }
}

int StatusBarValue(BarPlace place) {
  switch (place) {
    case BarPlace::Top: return 1;
    case BarPlace::Bottom: return 2;
    default: return 0;
  }
}

TitleChecks TitleBarChecks(int titleBar) {
  return {(titleBar & kTitleAppBit) != 0, (titleBar & kTitleSongBit) != 0, (titleBar & kTitleFileBit) != 0};
}

int TitleBarValue(const TitleChecks& checks) {
  return (checks.app ? kTitleAppBit : 0) | (checks.song ? kTitleSongBit : 0) | (checks.file ? kTitleFileBit : 0);
}

int StrategyRadio(int chgStrategy) { return chgStrategy >= 0 && chgStrategy <= 3 ? chgStrategy : 0; }

bool QKeyShowsShiftCtrl(int qKey, int trSwap) { return (qKey != 0) == (trSwap != 0); }

int QKeyValue(bool shiftCtrl, int trSwap) { return shiftCtrl ? (trSwap != 0) : (trSwap == 0); }

int16_t WindowMaxValue(long typed) {
  const auto value = static_cast<int16_t>(typed);
  if (value >= 99) return 99;
  if (value < 2) return 1;
  return value;
}
