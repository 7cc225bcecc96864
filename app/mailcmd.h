// File: send: mails a copy of the song through simple MAPI.
#pragma once
#include <windows.h>

void MailCommand(HWND frame);
