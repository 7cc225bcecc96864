#include "wholefile.h"

namespace {
constexpr DWORD kPiece = 32768;
}

DWORD ReadFileIntoBlock(HANDLE file, DWORD size, HGLOBAL block) {
  if (!block || SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return 0;
  DWORD capacity = static_cast<DWORD>(GlobalSize(block));
  if (size > capacity) size = capacity;
  auto* bytes = static_cast<BYTE*>(GlobalLock(block));
  if (!bytes) return 0;
  DWORD total = 0;
  while (total < size) {
    DWORD want = size - total < kPiece ? size - total : kPiece;
    DWORD got = 0;
    if (!ReadFile(file, bytes + total, want, &got, nullptr) || got == 0) break;
    total += got;
  }
  GlobalUnlock(block);
  return total;
}

HGLOBAL ReadWholeFile(HANDLE file, DWORD size) {
  if (size == 0xFFFFFFFFu) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size + 1);
  if (!block) return nullptr;
  if (ReadFileIntoBlock(file, size, block) != size) {
    GlobalFree(block);
    return nullptr;
  }
  return block;
}
