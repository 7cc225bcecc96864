#include "printcmd.h"

void PrintCommand(HWND) {}
