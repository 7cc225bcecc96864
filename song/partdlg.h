// The file dialogs of part files: save and open for parts (".GRT", older
// ".PRT") and for set data, and the open dialogs' hook with its test button.
#pragma once
#include <windows.h>

// Part save dialog ("パートセーブ", folder [Files] LastPartDirectory, stored
// again after the save). The name gets the extension ".GRT"; an existing file
// is overwritten only after the overwrite question (No shows the dialog
// again). 1 only when all byteCount bytes of the block were written; 0 when
// cancelled or after message 3 (not created) or 4 (short write, the old file
// kept).
int SavePartFileAs(HWND owner, HGLOBAL block, DWORD byteCount);
// The same for set data ("セットデータセーブ", folder [DataDirectory]
// SetCommandData; the last part directory is left alone).
int SavePartFile(HWND owner, HGLOBAL block, DWORD byteCount);

// Part open dialog ("パートロード", "*.GRT;*.PRT", folder [Files]
// LastPartDirectory, stored again after a good load). The chosen file is read
// into the block and converted to a "Q31PR" image at the song's time base
// (head kept). 1 only when it was read and converted; 0 when cancelled or
// after the reader's message (1 cannot open, 1926 not part data, 1931 too
// big).
int PartLoadDialog(HWND owner, HGLOBAL block);
// The same for set data ("セットデータロード", "*.GRT", folder [DataDirectory]
// SetCommandData; the last part directory is left alone).
int PartLoadDialogData(HWND owner, HGLOBAL block);

// Hook of both open dialogs: relays the end of play to the frame while the
// dialog runs its own loop, centres the dialog, and runs the test button
// (1940): the selected file is read (head stripped) into a new part block that
// is handed to the part preview.
extern "C" UINT_PTR CALLBACK PartFileOpenHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The part preview of play control, set by the shell at start-up. It gets a
// part block of events (head stripped, ended by 0xFE). 1: the preview plays
// and owns the block from now on (the end of the play frees it); 0: nothing
// plays and the block stays the caller's, who frees it.
using PartPreviewFn = int (*)(HWND owner, HGLOBAL part);
void SetPartPreview(PartPreviewFn preview);
