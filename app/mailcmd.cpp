#include "mailcmd.h"

void MailCommand(HWND) {}
