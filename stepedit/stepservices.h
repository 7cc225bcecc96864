// What the song model and the shell need of the step editor.
#pragma once
#include <windows.h>

// Renumbers the same-measure references of every track of the open song.
void RenumberAllSameMeasureRefs();
// Marks the open song modified (bit 0 of the first track's state word).
void SetSongModified();

// The shell's immediate send of one short MIDI message (status, channel and
// port, data 1, data 2). The shell sets it; until then the play monitor's
// sends go nowhere.
using SendMidiNowFn = int(CALLBACK*)(int status, int channelAndPort, int data1, int data2);
struct StepServiceHooks {
  SendMidiNowFn sendMidiNow = nullptr;
};
extern StepServiceHooks g_stepHooks;

// Activates the play monitor window, or, when it is not open and the bound
// monitor can create one, hands it its defaults and creates it as an MDI
// child. Returns the monitor's window, null when there is none.
HWND OpenPlayMonitor();

// Average character width and character height of the window's font (the
// step editor's own font, else the font the window reports, else the system
// fixed font).
void GetWndCharSize(HWND window, int* width, int* height);
