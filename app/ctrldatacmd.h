// Other: send control data: the plug-ins' data and the song's GS and MT-32 images.
#pragma once
#include <windows.h>

void SendControlDataCommand(HWND frame);
