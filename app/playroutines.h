// The frame's small play routines: the play-time state of the track windows
// and tool buttons, the hold, the copy of the monitor records, the song
// clipboard test and the MDI client's layout.
#pragma once
#include <windows.h>
#include <cstdint>

// Play start: with hide, the note palette goes and the error log empties;
// file drops and the step-input fields of the track windows are switched
// off and the tool buttons take their playing state (record button when
// recording, else play).
void BeginPlayControls(bool hide, bool recording);
// The end of play's undo of BeginPlayControls: drops and field windows back,
// the play-time buttons (play and record among them) active again.
void EndPlayControls();

void DisableTrackDrops();
// Drops back on as the drag-and-drop setting says.
void EnableTrackDrops();
// SW_HIDE or SW_SHOWNOACTIVATE for the field windows of every track window
// in rhythm display.
void ShowStepFieldEdits(int showCommand);
// ORs bits into the track's state word; a track marked out of step with its
// views (2) brings them up to date.
void SetTrackStateBits(HWND trackWindow, uint32_t bits);

// Holds the play (the engine reports when the hold is reached), unless busy.
void HoldPlay(HWND window);

// Copies the track count's monitor records into the block.
void CopyPlayDatRecords(HGLOBAL block);

// 1 when the clipboard holds OEM text of the step editor's clipboard format
// (it begins "ZKP").
int IsSongClipboard();

// Places the MDI client as the frame's WM_SIZE does.
void LayoutMdiClient();
