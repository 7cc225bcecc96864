#include "pathname.h"

#include <windows.h>

size_t PathNameStart(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByteEx(932, c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  return start;
}

std::string PathFolder(const std::string& path) { return path.substr(0, PathNameStart(path)); }

namespace {
// A dot is never a second byte, so the last one in the name is the extension's.
size_t ExtensionDot(const std::string& path) {
  size_t dot = path.rfind('.');
  return dot != std::string::npos && dot >= PathNameStart(path) ? dot : std::string::npos;
}
}  // namespace

std::string PathBaseName(const std::string& path) {
  size_t start = PathNameStart(path);
  size_t dot = ExtensionDot(path);
  return path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

std::string ReplacePathExtension(const std::string& path, const std::string& ext) {
  return path.substr(0, ExtensionDot(path)) + ext;
}

std::string FullPathOf(const char* path) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : std::string(path);
}
