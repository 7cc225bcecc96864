#include "aboutcmd.h"

void AboutCommand(HWND) {}
