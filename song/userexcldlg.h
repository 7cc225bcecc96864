// The file dialogs of user-exclusive files (".REX"): the eight user-exclusive
// memories of the song saved and loaded as a 410-byte image.
#pragma once
#include <windows.h>

// Save dialog ("セーブ ユーザーエクスクルーシブ", folder [Files]
// LastUserExclDirectory, stored again after the save). The name gets the
// extension ".REX"; an existing file is overwritten only after the overwrite
// question (No shows the dialog again). 1 only when all byteCount bytes of the
// image were written; 0 when cancelled or after message 3 (not created) or 4
// (short write, the old file kept).
int SaveUserExclFile(HWND owner, HGLOBAL image, DWORD byteCount);

// Open dialog ("ロード ユーザーエクスクルーシブ", same folder, stored again
// after a good load). 1 when the chosen file (with ".REX") held a whole image
// with the right signature, now in image (at least 410 bytes); 0 when
// cancelled or after message 1 (cannot open), 2 (short read) or 1928 (wrong
// signature), the image then untouched. The caller copies the slots into the
// song header only after 1 (ApplyUserExclImage).
int LoadUserExclFile(HWND owner, HGLOBAL image);
