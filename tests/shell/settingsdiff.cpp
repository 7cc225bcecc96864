#include "settingsdiff.h"

#include <cctype>

std::map<std::string, std::string> SettingsEntries(const std::string& contents) {
  std::map<std::string, std::string> entries;
  std::string section, line;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string::npos) end = contents.size();
    line = contents.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 1 && line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      for (char& c : section) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      continue;
    }
    const size_t eq = line.find('=');
    if (eq != std::string::npos) entries[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
  }
  return entries;
}

std::map<std::string, std::string> ChangedSettings(const std::string& before, const std::string& after) {
  const auto a = SettingsEntries(before), b = SettingsEntries(after);
  std::map<std::string, std::string> changed;
  for (const auto& [key, value] : b) {
    auto old = a.find(key);
    if (old == a.end() || old->second != value) changed[key] = value;
  }
  for (const auto& [key, value] : a)
    if (!b.count(key)) changed[key] = "<removed>";
  return changed;
}
