// MIDI input of the engines on Windows devices: input thru and recording
// are theirs.
#include "mmshell.h"

extern "C" void CALLBACK midiInCallback(HMIDIIN, UINT msg, DWORD_PTR, DWORD_PTR p1, DWORD_PTR p2) {
  if (msg != MIM_DATA) return;
  OnInputMessage(static_cast<DWORD>(p1), static_cast<DWORD>(p2), g_shell.recorder);
}

extern "C" int WINAPI OpenMIDIInPort(HWND window) {
  return OpenInputs(window, reinterpret_cast<DWORD_PTR>(&midiInCallback));
}

extern "C" int WINAPI THRUAssign(int mode, int, int value, int) { return g_shell.input.SetThru(mode, value); }
