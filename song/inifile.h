// The one place that names the shared settings file. Everything that reads or
// writes settings goes through these calls, so a test can point them at a
// file of its own.
#pragma once
#include <string>

// "ZKFW95.INI" without a directory, i.e. in the Windows directory, unless a
// test has set another path.
const char* SettingsFilePath();
// Full path of a file to use instead; nullptr restores the default.
void SetSettingsFilePath(const char* path);

int IniGetInt(const char* section, const char* key, int def);
// Reads into buf (size bytes with the terminator); returns the length.
int IniGetString(const char* section, const char* key, const char* def, char* buf, int size);
std::string IniGetString(const char* section, const char* key, const char* def, int size);
void IniWriteInt(const char* section, const char* key, int value);
void IniWriteString(const char* section, const char* key, const char* value);
