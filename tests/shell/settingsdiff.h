// What a dialog changed in the settings file: the file read as
// section/key -> value and the keys that differ between two readings.
#pragma once
#include <map>
#include <string>

// section/key (section in lower case) -> value of every line of the file.
std::map<std::string, std::string> SettingsEntries(const std::string& contents);
// The keys whose values differ between two files, with their new values
// ("<removed>" for a key that went).
std::map<std::string, std::string> ChangedSettings(const std::string& before, const std::string& after);
