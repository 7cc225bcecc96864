#include "inifile.h"

#include <windows.h>
#include <cstdio>
#include <vector>

namespace {
std::string g_override;
}

const char* SettingsFilePath() {
  return g_override.empty() ? "ZKFW95.INI" : g_override.c_str();
}

void SetSettingsFilePath(const char* path) { g_override = path ? path : ""; }

int IniGetInt(const char* section, const char* key, int def) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, def, SettingsFilePath()));
}

int IniGetString(const char* section, const char* key, const char* def, char* buf, int size) {
  if (size <= 0) return 0;
  return static_cast<int>(
      GetPrivateProfileStringA(section, key, def ? def : "", buf, size, SettingsFilePath()));
}

std::string IniGetString(const char* section, const char* key, const char* def, int size) {
  std::vector<char> buf(size > 0 ? size : 1, '\0');
  int n = IniGetString(section, key, def, buf.data(), static_cast<int>(buf.size()));
  return std::string(buf.data(), n);
}

void IniWriteInt(const char* section, const char* key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  WritePrivateProfileStringA(section, key, text, SettingsFilePath());
}

void IniWriteString(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value ? value : "", SettingsFilePath());
}
