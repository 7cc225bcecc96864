// File: send: mails a copy of the song through simple MAPI.
#pragma once
#include <windows.h>

#include <string>

// Simple MAPI's MAPISendDocuments: (window, delimiter, full paths, display
// names, reserved).
using MapiSendDocumentsFn = ULONG(WINAPI*)(ULONG_PTR uiParam, LPSTR delimiter, LPSTR paths,
                                           LPSTR names, ULONG reserved);

// Nothing when simple MAPI was not bound at start-up.
void MailCommand(HWND frame);

// The attachment's display name: the song path's name and extension.
std::string AttachmentName(const std::string& songPath);
