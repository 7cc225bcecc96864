#include "soundmodules.h"

#include <cstdio>

#include "appglobals.h"
#include "cp932text.h"
#include "resource.h"

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Where text stands as a whole message in s at or after from; npos when not.
size_t FindWholeMessage(const std::string& s, const std::string& text, size_t from) {
  if (text.empty()) return std::string::npos;
  for (size_t p = s.find(text, from); p != std::string::npos; p = s.find(text, p + 1)) {
    const size_t end = p + text.size();
    if ((p == 0 || s[p - 1] == ',') && (end == s.size() || s[end] == ',')) return p;
  }
  return std::string::npos;
}

// The longest start of s, at most limit long, that ends after a pause (or
// is empty): a cut there never splits a message.
std::string CutAtPause(const std::string& s, size_t limit) {
  if (s.size() <= limit) return s;
  for (size_t e = limit; e >= 2; --e)
    if (s[e - 1] == ',' && s[e - 2] == ',') return s.substr(0, e);
  return std::string();
}

}  // namespace

std::string ModuleKey(int slot) {
  char key[16];
  std::snprintf(key, sizeof key, "Module%d", slot);
  return key;
}

std::string ControllerKey(int position) {
  char key[16];
  std::snprintf(key, sizeof key, "Controlor%d", position);
  return key;
}

bool SameModuleName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(a[i]))) {
      // A double-byte character matches only byte for byte.
      if (a[i] != b[i]) return false;
      if (i + 1 < a.size() && a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

uint16_t SelectionForController(const std::string& controller, const std::vector<std::string>& modules) {
  if (controller.empty()) return 0;
  uint16_t selection = 0;
  const size_t slots = modules.size() < kModuleSlots ? modules.size() : kModuleSlots;
  for (size_t k = 0; k < slots; ++k)
    if (SameModuleName(modules[k], controller)) selection = static_cast<uint16_t>(k + 1);
  return selection;
}

std::string ControllerValueFor(uint16_t selection, const std::vector<std::string>& modules) {
  if (selection == 0 || selection > modules.size()) return std::string();
  return modules[selection - 1];
}

std::vector<ModuleListLine> ModuleListLines(const std::string& noneText, const std::vector<std::string>& names) {
  std::vector<ModuleListLine> lines{{noneText, 0}};
  for (size_t k = 0; k < names.size() && k < kModuleSlots; ++k)
    if (!names[k].empty()) lines.push_back({names[k], static_cast<uint16_t>(k + 1)});
  return lines;
}

int ModuleListIndex(const std::vector<ModuleListLine>& lines, uint16_t selection) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].selection == selection) return static_cast<int>(i);
  return -1;
}

const std::array<ResetInfo, kResetKinds>& ResetTable() {
  static const std::array<ResetInfo, kResetKinds> table{{
      {IDC_SOUNDMOD_RESET_GM, IDS_GM_RESET_SEQUENCE, ",,,"},
      {IDC_SOUNDMOD_RESET_GS, IDS_GS_RESET_SEQUENCE, ",,"},
      {IDC_SOUNDMOD_RESET_CM64, IDS_MT32_RESET_SEQUENCE, ",,,"},
      {IDC_SOUNDMOD_RESET_XG, IDS_XG_RESET_SEQUENCE, ",,"},
  }};
  return table;
}

ResetTexts LoadResetTexts(HINSTANCE instance) {
  ResetTexts texts;
  for (int i = 0; i < kResetKinds; ++i) {
    char buf[256] = "";
    const int n = LoadStringA(instance, ResetTable()[i].stringId, buf, sizeof buf);
    texts[i].assign(buf, n > 0 ? n : 0);
  }
  return texts;
}

ResetChecks ResetChecksFromInit(const std::string& init, const ResetTexts& texts) {
  ResetChecks checks{};
  for (int i = 0; i < kResetKinds; ++i) checks[i] = FindWholeMessage(init, texts[i], 0) != std::string::npos;
  return checks;
}

std::string InitFromResetChecks(const ResetChecks& checks, const ResetTexts& texts, const std::string& current,
                                size_t maxLength) {
  std::string resets;
  for (int i = 0; i < kResetKinds; ++i)
    if (checks[i] && !texts[i].empty()) resets += texts[i] + ResetTable()[i].separator;
  // The user's own messages stay; the four are only where their boxes say.
  std::string others = current;
  for (const std::string& text : texts) {
    for (size_t p = FindWholeMessage(others, text, 0); p != std::string::npos;
         p = FindWholeMessage(others, text, p)) {
      size_t end = p + text.size();
      while (end < others.size() && others[end] == ',') ++end;
      others.erase(p, end - p);
    }
  }
  if (resets.size() >= maxLength) return CutAtPause(resets, maxLength);
  return resets + CutAtPause(others, maxLength - resets.size());
}
