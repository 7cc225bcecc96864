#include "heapcap.h"

#include <malloc.h>

#include <cstdint>
#include <cstring>

namespace {

using MallocFn = void*(__cdecl*)(size_t);
using FreeFn = void(__cdecl*)(void*);

MallocFn g_malloc = nullptr;  // the runtime's own, as the module had them
FreeFn g_free = nullptr;
int64_t g_cap = 0;
int64_t g_live = 0;
int g_refused = 0;

void* __cdecl CappedMalloc(size_t bytes) {
  if (g_live + static_cast<int64_t>(bytes) > g_cap) {
    ++g_refused;
    return nullptr;
  }
  void* p = g_malloc(bytes);
  if (p) g_live += static_cast<int64_t>(_msize(p));
  return p;
}

void __cdecl CountedFree(void* p) {
  // Blocks from before the cap make the count low, never high.
  if (p) g_live -= static_cast<int64_t>(_msize(p));
  g_free(p);
}

// Points every import of the named function in the module at fn; returns
// what the first of them pointed at, nullptr when there is none.
void* PatchImport(HMODULE module, const char* name, void* fn) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return nullptr;
  void* was = nullptr;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; d->OriginalFirstThunk && names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD old;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_EXECUTE_READWRITE, &old);
      if (!was) was = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(fn);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
    }
  }
  return was;
}

}  // namespace

HeapCap::HeapCap(HMODULE module, size_t capBytes) : module_(module) {
  g_cap = static_cast<int64_t>(capBytes);
  g_live = 0;
  g_refused = 0;
  if (!module_) return;
  g_malloc = reinterpret_cast<MallocFn>(PatchImport(module_, "malloc", reinterpret_cast<void*>(&CappedMalloc)));
  g_free = reinterpret_cast<FreeFn>(PatchImport(module_, "free", reinterpret_cast<void*>(&CountedFree)));
  hooked_ = g_malloc && g_free;
}

HeapCap::~HeapCap() {
  if (g_malloc) PatchImport(module_, "malloc", reinterpret_cast<void*>(g_malloc));
  if (g_free) PatchImport(module_, "free", reinterpret_cast<void*>(g_free));
  g_malloc = nullptr;
  g_free = nullptr;
}

int HeapCap::refused() { return g_refused; }
