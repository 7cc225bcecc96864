#include "userexcl.h"

#include <cstring>

#include "appglobals.h"
#include "msgbox.h"
#include "partfile.h"
#include "recent.h"
#include "resource.h"
#include "songmodel.h"

const char kUserExclSignature[kUserExclSignatureBytes + 1] = "ZKM-PC98 USER EXCLUSIVE";

namespace {
constexpr uint8_t kHeadTail[3] = {0x0D, 0x0A, 0x1A};
}  // namespace

void BuildUserExclImage(const SongHeader& header, uint8_t image[kUserExclFileBytes]) {
  std::memcpy(image, kUserExclSignature, kUserExclSignatureBytes);
  std::memcpy(image + kUserExclSignatureBytes, kHeadTail, sizeof kHeadTail);
  std::memcpy(image + kUserExclHeadBytes, header.userExcl, sizeof header.userExcl);
}

HGLOBAL MakeUserExclImage() {
  HGLOBAL hh = SongEntry(kHeaderEntry);
  if (!hh) return nullptr;
  HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, kUserExclFileBytes);
  if (!image) return nullptr;
  auto* header = static_cast<const SongHeader*>(GlobalLock(hh));
  BuildUserExclImage(*header, static_cast<uint8_t*>(GlobalLock(image)));
  GlobalUnlock(image);
  GlobalUnlock(hh);
  return image;
}

bool ApplyUserExclImage(HGLOBAL image) {
  HGLOBAL hh = SongEntry(kHeaderEntry);
  if (!hh || !image || GlobalSize(image) < kUserExclFileBytes) return false;
  auto* header = static_cast<SongHeader*>(GlobalLock(hh));
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(image));
  std::memcpy(header->userExcl, bytes + kUserExclHeadBytes, sizeof header->userExcl);
  GlobalUnlock(image);
  GlobalUnlock(hh);
  return true;
}

std::string UserExclFileName(const char* name) {
  return ForceExtension(name ? name : "", LoadAppString(IDS_USEREXCL_EXT));
}

int SaveUserExclToFile(HWND owner, const char* path, HGLOBAL image, DWORD byteCount) {
  if (!WriteBlockReplacing(owner, path, image, byteCount)) return 0;
  SaveLastDirectory(path, kLastUserExclDirectoryKey, 1);
  return 1;
}

int LoadUserExclFromFile(HWND owner, const char* path, HGLOBAL image) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ShowMessageById(owner, MB_OK | MB_ICONSTOP, IDS_CANNOT_OPEN, path);
    return 0;
  }
  uint8_t bytes[kUserExclFileBytes];
  DWORD got = 0;
  bool read = ReadFile(file, bytes, sizeof bytes, &got, nullptr) != 0;
  CloseHandle(file);
  // A short image would leave slots half old, half new: refuse it.
  if (!read || got < sizeof bytes) {
    ShowMessageById(owner, MB_OK | MB_ICONSTOP, IDS_CANNOT_READ, path);
    return 0;
  }
  if (std::memcmp(bytes, kUserExclSignature, kUserExclSignatureBytes) != 0) {
    ShowMessageById(owner, MB_OK | MB_ICONSTOP, IDS_NOT_USEREXCL_DATA, path);
    return 0;
  }
  if (!image || GlobalSize(image) < sizeof bytes) return 0;
  std::memcpy(GlobalLock(image), bytes, sizeof bytes);
  GlobalUnlock(image);
  SaveLastDirectory(path, kLastUserExclDirectoryKey, 1);
  return 1;
}
