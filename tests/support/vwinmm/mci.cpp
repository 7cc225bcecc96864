// MCI strings are only recorded; sounds are not played.
#include <cstdio>
#include <cstring>

#include "vmstate.h"

extern "C" {

MCIERROR WINAPI mciSendStringA(LPCSTR lpstrCommand, LPSTR lpstrReturnString, UINT uReturnLength,
                               HWND hwndCallback) {
  if (lpstrReturnString && uReturnLength > 0) lpstrReturnString[0] = 0;
  if (!lpstrCommand) return MCIERR_MISSING_COMMAND_STRING;
  VmLog(-1, kVmMci, 0, -1, -1, lpstrCommand, static_cast<int>(strlen(lpstrCommand)));
  return 0;
}

BOOL WINAPI mciGetErrorStringA(MCIERROR mcierr, LPSTR pszText, UINT cchText) {
  if (!pszText || cchText == 0) return FALSE;
  pszText[0] = 0;
  if (mcierr == 0) {
    lstrcpynA(pszText, "The specified command was carried out.", cchText);
    return TRUE;
  }
  if (mcierr < MCIERR_BASE) return FALSE;
  char text[64];
  snprintf(text, sizeof text, "MCI error %lu.", static_cast<unsigned long>(mcierr));
  lstrcpynA(pszText, text, cchText);
  return TRUE;
}

BOOL WINAPI PlaySoundA(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound) { return TRUE; }

BOOL WINAPI sndPlaySoundA(LPCSTR pszSound, UINT fuSound) { return TRUE; }

}  // extern "C"
