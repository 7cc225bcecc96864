// Import and export filter slots: libraries named in [Filter], bound by
// ordinal. An entry is null when its library or ordinal is missing.
#pragma once
#include <windows.h>

#include "settings.h"   // kFilterSlots
#include <cstddef>

namespace zkfilter {
using GetVersionFn = int(WINAPI*)(char* buffer);                                   // 2, 18
using GetFileExtensionFn = int(WINAPI*)(char* list, int position);                 // 3, 19
using CheckImpFileFn = int(WINAPI*)(HGLOBAL head);                                 // 5
using ReadinFileFn = int(WINAPI*)(HWND progress, HGLOBAL table, HGLOBAL image,
                                  int trackCount, int zero);                       // 8
using SetExpFileExtensionFn = int(WINAPI*)(HWND frame, char* extension, void* header);  // 20
using MakeExpFileFn = int(WINAPI*)(HINSTANCE instance, HWND frame, HWND progress,
                                   HGLOBAL table, HGLOBAL* output, DWORD* length,
                                   int trackCount, int trackMode, int zero);       // 24
using ExpFilterOptionFn = int(WINAPI*)(HWND frame, HWND parent);                   // 25
}  // namespace zkfilter

struct ImportFilterSlot {
  HMODULE library = nullptr;
  zkfilter::GetFileExtensionFn getFileExtension = nullptr;
  zkfilter::CheckImpFileFn checkImpFile = nullptr;
  zkfilter::ReadinFileFn readinFile = nullptr;
};

struct ExportFilterSlot {
  HMODULE library = nullptr;
  zkfilter::SetExpFileExtensionFn setExpFileExtension = nullptr;
  zkfilter::GetFileExtensionFn getExpFileExtension = nullptr;
  zkfilter::MakeExpFileFn makeExpFile = nullptr;
  zkfilter::ExpFilterOptionFn expFilterOption = nullptr;
};

extern ImportFilterSlot g_importSlots[kFilterSlots];
extern ExportFilterSlot g_exportSlots[kFilterSlots];

// Loads and binds the libraries named by [Filter] Import0-7 and Export0-7.
// Libraries a previous call loaded are freed first. Nothing is reported.
void BindFilterSlots();
// Frees every filter library (shut-down) and empties every slot.
void FreeFilterSlots();
// The first import slot (in slot order) whose CheckImpFile accepts the head
// block (the file's first 3,224 bytes); -1 when none does.
int FindImportSlot(HGLOBAL head);

// Which slot each type of a built file-type list came from: type k (1-based,
// as the common dialogs count) is slot[k - 1]; -1 for the program's own type.
struct FilterTypeMap {
  static constexpr int kMaxTypes = 64;
  int count = 0;
  int slot[kMaxTypes] = {};
};

// File-type lists of the open and save dialogs: the program's own pair
// (description, pattern) first, then the pairs of every bound slot in slot
// order, then the extra zero byte. A slot whose pairs do not fit the buffer is
// left out with every later one; a slot whose answer is malformed (a position
// that goes backwards or beyond the room it had, or texts without their
// terminator) adds nothing. Returns the bytes used, final zero included; 0
// (and an empty list when there is room for one) if the own pair does not fit.
size_t BuildImportTypeList(char* buffer, size_t size, const char* ownDescription,
                           const char* ownPattern, FilterTypeMap* map = nullptr);
size_t BuildExportTypeList(char* buffer, size_t size, const char* ownDescription,
                           const char* ownPattern, FilterTypeMap* map = nullptr);
