#include "ctrldatacmd.h"

void SendControlDataCommand(HWND) {}
