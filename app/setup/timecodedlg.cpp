#include "timecodedlg.h"

int OpenTimeCodeDialog(HINSTANCE, HWND) { return 0; }
