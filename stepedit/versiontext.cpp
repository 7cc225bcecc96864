#include "versiontext.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "appglobals.h"
#include "cp932text.h"
#include "resource.h"

namespace {

// The whole version resource of a file; empty with the error code when the
// file has none (or cannot be read).
std::vector<char> VersionBlock(const char* path, DWORD* error) {
  DWORD ignored = 0;
  SetLastError(0);
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) {
    *error = GetLastError();
    return {};
  }
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path, 0, size, block.data())) {
    *error = GetLastError();
    return {};
  }
  return block;
}

VersionValue QueryString(const std::vector<char>& block, const char* name) {
  VersionValue value;
  std::string key = std::string("\\StringFileInfo\\041103a4\\") + name;
  char* text = nullptr;
  UINT length = 0;
  SetLastError(0);
  if (VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) && text) {
    value.found = true;
    // The length counts the terminator when there is one; never read past it.
    value.text.assign(text, strnlen(text, length));
  } else {
    value.error = GetLastError();
  }
  return value;
}

std::string ValueText(const VersionValue& value) {
  if (value.found) return value.text;
  char text[64];
  std::snprintf(text, sizeof text, LoadAppString(IDS_VERSION_ERROR).c_str(), static_cast<unsigned long>(value.error));
  return text;
}


}  // namespace

VersionValue ReadVersionString(const char* path, const char* name) {
  DWORD error = 0;
  std::vector<char> block = VersionBlock(path, &error);
  if (block.empty()) {
    VersionValue missing;
    missing.error = error;
    return missing;
  }
  return QueryString(block, name);
}

FileVersionFields ReadFileVersionFields(const char* path) {
  FileVersionFields fields;
  DWORD error = 0;
  std::vector<char> block = VersionBlock(path, &error);
  if (block.empty()) return fields;
  fields.hasVersionInfo = true;
  fields.internalName = QueryString(block, "InternalName");
  fields.productVersion = QueryString(block, "ProductVersion");
  fields.legalCopyright = QueryString(block, "LegalCopyright");
  fields.legalTrademarks = QueryString(block, "LegalTrademarks");
  return fields;
}

std::string VersionEntryText(const char* fileName, const FileVersionFields& fields) {
  if (!fields.hasVersionInfo) return "\r\n";
  std::string text;
  text += LoadAppString(IDS_VERSION_COMPONENT) + (fileName ? fileName : "") + "\r\n";
  text += LoadAppString(IDS_VERSION_DESCRIPTION) + ValueText(fields.internalName) + "\r\n";
  text += LoadAppString(IDS_VERSION_BUILD) + ValueText(fields.productVersion) + "\r\n";
  text += LoadAppString(IDS_VERSION_COPYRIGHT) + ValueText(fields.legalCopyright) + "\r\n";
  text += LoadAppString(IDS_VERSION_TRADEMARKS) + ValueText(fields.legalTrademarks) + "\r\n";
  text += "\r\n";
  return text;
}

bool AppendToTextBlock(char* block, size_t size, const std::string& text) {
  if (!block || size == 0) return text.empty();
  // A block whose terminator was lost is cut at its last byte first.
  size_t used = strnlen(block, size);
  if (used == size) block[--used] = '\0';
  const size_t room = size - 1 - used;
  // Cut where a character starts: never leave half of a double-byte one.
  const size_t n = Cp932CutLength(text.data(), text.size(), room);
  std::memcpy(block + used, text.data(), n);
  block[used + n] = '\0';
  return n == text.size();
}

bool BuildVersionText(char* block, size_t size, const char* fileName, const char* path) {
  FileVersionFields fields = ReadFileVersionFields(path ? path : fileName);
  return AppendToTextBlock(block, size, VersionEntryText(fileName, fields));
}
