// Splitting file paths. A code page 932 character's second byte can be "\",
// so every scan steps over double-byte characters.
#pragma once
#include <string>

// Index just after the last "\", "/" or ":" (0 when there is none).
size_t PathNameStart(const std::string& path);
// The folder part, separator included ("" for a bare name).
std::string PathFolder(const std::string& path);
// The file name without folder and extension.
std::string PathBaseName(const std::string& path);
// The path with its extension (if any) replaced by ext (given with its dot).
std::string ReplacePathExtension(const std::string& path, const std::string& ext);
// The path as a full one, so that a name relative to the current folder
// (from the command line) stays the same file when the folder changes; the
// path as given when it has no full form that fits.
std::string FullPathOf(const char* path);
