// The MT-32 and GS control-file images a song names.
#pragma once
#include <windows.h>

enum ControlFileKind { kControlMT32 = 0, kControlGS = 1 };
extern HGLOBAL g_controlImages[2];
void FreeControlFileImages();
