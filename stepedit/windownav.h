// Opening the singleton children around the step editors.
#pragma once
#include <windows.h>

// The track window's three modes: track view ("TrkView"), track setting and
// record set-up (both "TrkSet").
constexpr int kTrackViewMode = 0;
constexpr int kTrackSettingMode = 1;
constexpr int kRecordSetupMode = 2;

// Shows the track window in the given mode, creating it when none is open.
// A window of the other class is closed and the frame is posted the view
// command that opens the wanted one (so the new window is made after the old
// one has gone). Returns the window now showing the mode, null when it is
// reopened later or could not be made.
HWND OpenTrackWindow(HWND window, int mode);

// Activates the conductor (class "Main", caption string 41), restoring it
// from an icon, or creates it with its font and at its stored placement.
// Returns it; null without an MDI client or when it could not be made.
HWND OpenConductor(HWND window = nullptr);
// The same for the tone-name list ("NameList"; position: bank and program,
// -1 for none) and the user exclusive window ("UserExclsive", caption string
// 1921; memory 0-7).
HWND OpenNameList(HWND window, int position);
HWND OpenUserExclusive(HWND window, int memory);

// Activates track's step editor, creating it when the track has none, with
// the line of eventIndex at the top and the caret on it (row 1, column 11 in
// step display, 15 in rhythm display). 0 for a track the song does not have.
int OpenTrackEditorFromLog(HWND window, int track, int eventIndex);

// Activates track's step editor, creating it when the track has none, with
// the first line at (measure, step) or in a later measure on top. While a
// song plays the editor's play position moves there too. 0 for a track the
// song does not have.
int OpenTrackEditor(HWND window, int track, int measure, int step);
