#include "soundmoddlg.h"

void OpenSoundModuleDialog(HINSTANCE, HWND) {}
