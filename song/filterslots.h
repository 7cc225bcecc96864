// Import and export filter slots: libraries named in [Filter], bound by
// ordinal. An entry is null when its library or ordinal is missing.
#pragma once
#include <windows.h>

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

constexpr int kFilterSlots = 8;
extern ImportFilterSlot g_importSlots[kFilterSlots];
extern ExportFilterSlot g_exportSlots[kFilterSlots];

// Loads and binds the libraries named by [Filter] Import0-7 and Export0-7.
void BindFilterSlots();
// Frees every filter library (shut-down).
void FreeFilterSlots();
// The first import slot (in slot order) whose CheckImpFile accepts the head
// block (the file's first 3,224 bytes); -1 when none does.
int FindImportSlot(HGLOBAL head);
