#include "filterslots.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "inifile.h"

ImportFilterSlot g_importSlots[kFilterSlots];
ExportFilterSlot g_exportSlots[kFilterSlots];

namespace {

constexpr int kNameBytes = 80;
constexpr char kSection[] = "Filter";

template <typename Fn>
Fn Ordinal(HMODULE library, int ordinal) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

// Loads the library named by key; the handle is kept even when the version
// test fails, so it is freed at shut-down with the others. True when the
// version text (from the given ordinal) begins "ZKFW", case counting.
bool LoadFilter(const char* key, int versionOrdinal, HMODULE* library) {
  char name[kNameBytes];
  *library = nullptr;
  if (IniGetString(kSection, key, "", name, sizeof name) <= 0 || !name[0]) return false;
  // A missing library is no business of the user's: no system error box.
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  *library = LoadLibraryA(name);
  SetErrorMode(oldMode);
  if (!*library) return false;
  auto version = Ordinal<zkfilter::GetVersionFn>(*library, versionOrdinal);
  if (!version) return false;
  // The version text goes into the buffer that held the name.
  version(name);
  return std::memcmp(name, "ZKFW", 4) == 0;
}

// The pairs a filter appended must be whole, non-empty, zero-terminated texts
// or the dialog would read the list wrongly; returns the pair count, 0 when
// the piece is malformed.
int CountPairs(const char* piece, size_t length) {
  if (length == 0 || piece[length - 1] != 0 || piece[0] == 0) return 0;
  int texts = 0;
  for (size_t i = 0; i < length; ++i) {
    if (piece[i] != 0) continue;
    if (i > 0 && piece[i - 1] == 0) return 0;
    ++texts;
  }
  return texts % 2 == 0 ? texts / 2 : 0;
}

// A filter writes at list + position without knowing how much room there is
// and reports the position as a 16-bit value: it is called only while a
// position fits in those bits with room to spare in a buffer of our own.
constexpr size_t kLastCallPosition = 0x6000;
constexpr size_t kWorkBytes = 0x10000;
constexpr size_t kLastEndPosition = 0x7FFF;

template <typename EntryOf>
size_t BuildTypeList(char* buffer, size_t size, const char* ownDescription,
                     const char* ownPattern, FilterTypeMap* map, EntryOf entryOf) {
  if (map) map->count = 0;
  std::vector<char> work(kWorkBytes, 0);
  size_t descLength = std::strlen(ownDescription) + 1;
  size_t patternLength = std::strlen(ownPattern) + 1;
  size_t pos = descLength + patternLength;
  if (pos > kLastCallPosition || pos + 1 > size) {
    if (size >= 2) buffer[0] = buffer[1] = 0;
    else if (size == 1) buffer[0] = 0;
    return 0;
  }
  std::memcpy(work.data(), ownDescription, descLength);
  std::memcpy(work.data() + descLength, ownPattern, patternLength);

  int types[kFilterSlots + 1] = {};
  int kept = 0;  // slots whose pairs fit the caller's buffer
  int slots[kFilterSlots];
  size_t ends[kFilterSlots];
  int accepted = 0;
  for (int n = 0; n < kFilterSlots && pos <= kLastCallPosition; ++n) {
    zkfilter::GetFileExtensionFn entry = entryOf(n);
    if (!entry) continue;
    size_t next = static_cast<uint16_t>(entry(work.data(), static_cast<int>(pos)));
    if (next <= pos || next > kLastEndPosition) continue;
    int pairs = CountPairs(work.data() + pos, next - pos);
    if (!pairs) {
      std::memset(work.data() + pos, 0, next - pos);
      continue;
    }
    slots[accepted] = n;
    ends[accepted] = next;
    types[accepted] = pairs;
    ++accepted;
    pos = next;
  }

  size_t end = descLength + patternLength;
  while (kept < accepted && ends[kept] + 1 <= size) end = ends[kept++];
  std::memcpy(buffer, work.data(), end);
  buffer[end] = 0;

  if (map) {
    map->slot[map->count++] = -1;
    for (int i = 0; i < kept; ++i)
      for (int p = 0; p < types[i] && map->count < FilterTypeMap::kMaxTypes; ++p)
        map->slot[map->count++] = slots[i];
  }
  return end + 1;
}

}  // namespace

void FreeFilterSlots() {
  for (ImportFilterSlot& slot : g_importSlots) {
    if (slot.library) FreeLibrary(slot.library);
    slot = ImportFilterSlot{};
  }
  for (ExportFilterSlot& slot : g_exportSlots) {
    if (slot.library) FreeLibrary(slot.library);
    slot = ExportFilterSlot{};
  }
}

void BindFilterSlots() {
  // Binding again must not leak what the last binding loaded.
  FreeFilterSlots();
  char key[16];
  for (int n = 0; n < kFilterSlots; ++n) {
    ImportFilterSlot& slot = g_importSlots[n];
    std::snprintf(key, sizeof key, "Import%d", n);
    if (!LoadFilter(key, 2, &slot.library)) continue;
    slot.getFileExtension = Ordinal<zkfilter::GetFileExtensionFn>(slot.library, 3);
    slot.checkImpFile = Ordinal<zkfilter::CheckImpFileFn>(slot.library, 5);
    slot.readinFile = Ordinal<zkfilter::ReadinFileFn>(slot.library, 8);
  }
  for (int n = 0; n < kFilterSlots; ++n) {
    ExportFilterSlot& slot = g_exportSlots[n];
    std::snprintf(key, sizeof key, "Export%d", n);
    if (!LoadFilter(key, 18, &slot.library)) continue;
    slot.setExpFileExtension = Ordinal<zkfilter::SetExpFileExtensionFn>(slot.library, 20);
    slot.getExpFileExtension = Ordinal<zkfilter::GetFileExtensionFn>(slot.library, 19);
    slot.makeExpFile = Ordinal<zkfilter::MakeExpFileFn>(slot.library, 24);
    slot.expFilterOption = Ordinal<zkfilter::ExpFilterOptionFn>(slot.library, 25);
  }
}

int FindImportSlot(HGLOBAL head) {
  for (int n = 0; n < kFilterSlots; ++n) {
    if (g_importSlots[n].checkImpFile && g_importSlots[n].checkImpFile(head)) return n;
  }
  return -1;
}

size_t BuildImportTypeList(char* buffer, size_t size, const char* ownDescription,
                           const char* ownPattern, FilterTypeMap* map) {
  return BuildTypeList(buffer, size, ownDescription, ownPattern, map,
                       [](int n) { return g_importSlots[n].getFileExtension; });
}

size_t BuildExportTypeList(char* buffer, size_t size, const char* ownDescription,
                           const char* ownPattern, FilterTypeMap* map) {
  return BuildTypeList(buffer, size, ownDescription, ownPattern, map,
                       [](int n) { return g_exportSlots[n].getExpFileExtension; });
}
