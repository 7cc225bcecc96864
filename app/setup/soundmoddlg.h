// Environment: sound modules (dialog 1760): the sound-module libraries of the
// four controller slots and the initialisation after a file opens.
#pragma once
#include <windows.h>

void OpenSoundModuleDialog(HINSTANCE instance, HWND owner);
