// The tuning tone (command 6102 and dialog 1600) and the MIDI reset of the
// interface under the wait cursor (6100).
#pragma once
#include <windows.h>

// A4 at velocity 64 on every channel of ports A-D, released 501 ms later.
void SendTuningTone();
void OpenTuningDialog(HINSTANCE instance, HWND owner);
void MidiResetWait(HWND window);
