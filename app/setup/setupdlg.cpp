#include "setupdlg.h"

#include <cstdlib>

#include "appglobals.h"
#include "dlgedit.h"
#include "rangestate.h"
#include "shellutil.h"

INT_PTR RunSetupDialog(int dialogId, DLGPROC proc, LPARAM param, HWND owner) {
  g_stepDialogs.currentDialogId = static_cast<uint32_t>(dialogId);
  HWND parent = g_app.frame ? g_app.frame : owner;
  const INT_PTR result = DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(dialogId), parent, proc, param);
  return result < 0 ? 0 : result;
}

void InitSetupDialog(HWND dialog, const int* numberFields, int count) {
  CentreWindowOverFrame(dialog);
  for (int i = 0; i < count; ++i) SubclassDlgEdit(dialog, numberFields[i]);
}

int ClampedDlgItemInt(HWND dialog, int id, int min, int max, int fallback) {
  char text[32] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text) return fallback;
  if (value < min) return min;
  if (value > max) return max;
  return static_cast<int>(value);
}
