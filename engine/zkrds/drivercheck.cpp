#include "drivercheck.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <vector>

namespace {

// Reads one digit run; -1 when there is none.
int Number(const char*& p) {
  if (!std::isdigit(static_cast<unsigned char>(*p))) return -1;
  int n = 0;
  while (std::isdigit(static_cast<unsigned char>(*p)) && n < 100000) n = n * 10 + (*p++ - '0');
  while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
  return n;
}

// A string of the version block's first translation; null when absent.
const char* VersionString(const std::vector<char>& block, const char* name) {
  struct Translation {
    WORD language, codePage;
  };
  Translation* t = nullptr;
  UINT size = 0;
  char path[96];
  if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&t), &size) &&
      t && size >= sizeof(Translation)) {
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", t->language, t->codePage, name);
  } else {
    std::snprintf(path, sizeof path, "\\StringFileInfo\\041104B0\\%s", name);
  }
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), path, reinterpret_cast<void**>(&value), &length) || !value || length == 0)
    return nullptr;
  return value;
}

}  // namespace

bool VersionTextAtLeast(const char* text, int major, int minor) {
  if (!text) return false;
  const char* p = text;
  int ma = Number(p);
  if (ma < 0) return false;
  int mi = 0;
  if (*p) {
    ++p;
    mi = Number(p);
    if (mi < 0) mi = 0;
  }
  return ma > major || (ma == major && mi >= minor);
}

bool DriverFilePasses(const char* fileName) {
  char path[MAX_PATH];
  char* part = nullptr;
  if (!SearchPathA(nullptr, fileName, nullptr, MAX_PATH, path, &part)) return false;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return false;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path, 0, size, block.data())) return false;
  const char* company = VersionString(block, "CompanyName");
  if (!company || !*company) return false;
  return VersionTextAtLeast(VersionString(block, "FileVersion"), 4, 2);
}

bool DriverFilesPass() {
  for (const char* name : {"rdsmpu32.dll", "rdsmpu95.drv", "rdsmpu95.vxd"})
    if (!DriverFilePasses(name)) return false;
  return true;
}
