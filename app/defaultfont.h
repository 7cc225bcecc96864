// The default font of the settings file, section "Default Font".
#pragma once
#include <windows.h>

// Reads every key into font (0 and an empty face for missing keys).
void LoadDefaultFont(LOGFONTA* font);
