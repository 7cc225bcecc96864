#include "interfacedlg.h"

void OpenInterfaceDialog(HINSTANCE, HWND) {}
