// The version list of the About box: one entry per file, built from the
// file's version resource into a fixed, zero-terminated text block.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// One string of a version resource: its text, or the system error code that
// asking for it gave.
struct VersionValue {
  bool found = false;
  std::string text;
  DWORD error = 0;
};

// The strings an entry shows, from the block "041103a4" of a file.
struct FileVersionFields {
  bool hasVersionInfo = false;
  VersionValue internalName;
  VersionValue productVersion;
  VersionValue legalCopyright;
  VersionValue legalTrademarks;
};

// Reads one string of a file's version resource from the block "041103a4".
VersionValue ReadVersionString(const char* path, const char* name);
FileVersionFields ReadFileVersionFields(const char* path);

// The text of one entry: five labelled lines and an empty one, or only the
// empty line for a file without version information.
std::string VersionEntryText(const char* fileName, const FileVersionFields& fields);

// Appends text to the zero-terminated text in block (size bytes). Stops at
// the block's end without splitting a double-byte character; the block stays
// terminated. False when the text did not fit whole.
bool AppendToTextBlock(char* block, size_t size, const std::string& text);

// Appends the entry of a file to block: fileName is what the entry shows,
// path where the resource is read (fileName itself when null). False when
// the block is full.
bool BuildVersionText(char* block, size_t size, const char* fileName, const char* path = nullptr);
