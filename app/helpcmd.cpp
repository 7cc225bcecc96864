#include "helpcmd.h"

void HelpCommand(HWND, int) {}
