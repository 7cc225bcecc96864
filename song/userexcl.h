// The user-exclusive file: the eight user-exclusive memories of the song
// header behind a 26-byte head.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "zk/song.h"

constexpr size_t kUserExclSignatureBytes = 23;
constexpr size_t kUserExclHeadBytes = 26;
constexpr size_t kUserExclFileBytes = kUserExclHeadBytes + 8 * sizeof(UserExclusiveSlot);  // 410
extern const char kUserExclSignature[kUserExclSignatureBytes + 1];

// The 410-byte file image of the header's slots.
void BuildUserExclImage(const SongHeader& header, uint8_t image[kUserExclFileBytes]);
// The image of the open song's slots in a 410-byte movable global block
// (0 without a song).
HGLOBAL MakeUserExclImage();
// Copies the slots of an image into the open song's header. False when the
// block is too small or there is no song.
bool ApplyUserExclImage(HGLOBAL image);

// The name with the user-exclusive extension (".REX") in place of any other.
std::string UserExclFileName(const char* name);

// What the dialogs do once a name is chosen; both store the folder as
// [Files] LastUserExclDirectory after success. Saving writes byteCount bytes
// of the block through a temporary file: 1 written, 0 failed (message 3 or 4).
int SaveUserExclToFile(HWND owner, const char* path, HGLOBAL image, DWORD byteCount);
// Reads the 410 bytes into a block of at least that size: 1 when the whole
// image with the right signature was read; 0 after message 1 (cannot open),
// 2 (short read) or 1928 (wrong signature).
int LoadUserExclFromFile(HWND owner, const char* path, HGLOBAL image);
