#include "engines.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "binding.h"
#include "inifile.h"
#include "resource.h"
#include "settings.h"

namespace {

constexpr int kAppletTextSize = 40;  // what GetAppletType writes at most

bool SameFileName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

}  // namespace

bool DescribeEngineLibrary(const std::string& file, bool wantTexts, EngineDescription& out) {
  HMODULE library = LoadNamedLibrary(file.c_str());
  if (!library) return false;
  auto getType = BindOrdinal<zkengine::GetAppletTypeFn>(library, 2048);
  if (getType) {
    // Room beyond what the engine may write, and the word cleared: it
    // writes 16 bits.
    char title[kAppletTextSize + 8] = {};
    char version[kAppletTextSize + 8] = {};
    int32_t type = 0;
    getType(wantTexts ? title : nullptr, wantTexts ? version : nullptr, reinterpret_cast<short*>(&type));
    out.title = title;
    out.version = version;
    out.type = type & 0xFFFF;
  }
  FreeLibrary(library);
  return getType != nullptr;
}

int EngineVersionValue(const std::string& version) {
  int value = 0;
  for (char c : version) {
    if (!std::isdigit(static_cast<unsigned char>(c))) break;
    if (value > 100000) break;  // a long run of digits stays large, not negative
    value = value * 10 + (c - '0');
  }
  return value;
}

EngineCandidateList ListEngineCandidates(const EngineCandidateQuery& query, const EngineDescriber& describe) {
  EngineCandidateList list;
  for (const std::string& file : query.choices) {
    if (file.empty()) continue;
    if (!query.driverFound && SameFileName(file, query.smpuEngine)) continue;
    EngineDescription info;
    if (!describe(file, true, info)) continue;
    if (list.selection < 0 && SameFileName(file, query.current)) list.selection = static_cast<int>(list.entries.size());
    if (EngineVersionValue(info.version) >= kEngineListedVersion) list.entries.push_back({info.title, file});
  }
  return list;
}

std::vector<std::string> ReadEngineChoices() {
  std::vector<std::string> choices;
  for (int n = 1; n <= kEngineChoiceCount; ++n) {
    if (n <= 3) {
      choices.emplace_back(g_settings.appletChoice[n - 1]);
      continue;
    }
    char key[16];
    std::snprintf(key, sizeof key, "Applet%d", n);
    choices.push_back(IniGetString("Play", key, "", kPathTextSize));
  }
  return choices;
}

UINT CheckEngineChoice(const EngineChoice& choice, const std::function<int(int device)>& smpuPortTest) {
  const bool askSystem = choice.closed == ClosedList::Engine || choice.engineRefused;
  if (askSystem && (choice.engineType & kEngineTypeStream) && choice.windowsNt) return IDS_ENGINE_REFUSED_ON_NT;
  if (choice.engineType & kEngineTypeSmpu) {
    for (int entry : choice.outputEntries)
      if (entry != 0 && smpuPortTest(entry - 1) == 0) return IDS_ENGINE_NEEDS_SMPU_PORTS;
    if (!choice.driverFound) return IDS_ENGINE_NO_SMPU_DRIVER;
  }
  return 0;
}

bool IsWindowsNtVersion(DWORD version) { return (version & 0x80000000) == 0; }

