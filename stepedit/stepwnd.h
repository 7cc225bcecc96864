// The step editor's window class (zkfwChild): the MDI child that shows one
// track of the song, and what the shell asks of the open editors.
#pragma once
#include <windows.h>

constexpr char kStepEditorClass[] = "zkfwChild";

LRESULT CALLBACK MPMDISTEPWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct StepEditorData;
// A window's editor record, only when the window is a step editor (other
// classes keep other things in their user data word).
StepEditorData* StepEditorDataOf(HWND window);

// The step editor of track n (1-based), or null.
HWND StepEditorOfTrack(int track);
// Clears the window's slot of the track window table and frees what the
// window keeps: its line table and track buffers, font and field windows.
void FreeTrackWindowData(HWND window);
// The 1-based track whose editor the window is, from the song's track window
// table; 0 when it is no editor of the open song.
int TrackOfStepEditor(HWND window);
// The 1-based track of a step editor window; 0 for none.
int GetStepWindowTrack(HWND window);
int CountStepEditors();
// Index (track - 1) of the open step editor to reuse for another track: the
// current step editor when it is one, else the lowest-numbered open one; the
// track count when none is open.
int PickStepWindowToReuse();
// The window PickStepWindowToReuse names, or null.
HWND StepEditorToReuse();
// Creates track n's editor through the MDI client (style adds to the clip
// siblings and scroll bar styles it always has). Null on failure.
HWND CreateStepEditor(int track, DWORD extraStyle);
// Binds an open editor to another track.
bool RebindStepEditor(HWND window, int track);
// Hides the MDI client and closes every step editor and the one-of-a-kind
// children; the palettes and the logs stay.
void CloseAllChildWindows();
