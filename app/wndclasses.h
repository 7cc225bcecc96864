// The program's window classes and the creation of the frame, its tool bar
// and the windows the saved layout says were open.
#pragma once
#include <windows.h>

// Registers every class; false as soon as one fails.
bool RegisterWindowClasses(HINSTANCE instance);
// False when the frame, the MDI client or the accelerator table cannot be made.
bool CreateMainWindows(const char* commandLine, int show);
// The window font of [DeskTop] fontKey into the default-font record, which
// the next window takes when it is created.
void ApplyWindowFont(const char* fontKey);
