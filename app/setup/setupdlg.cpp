#include "setupdlg.h"

#include <cstdlib>

#include "appglobals.h"
#include "dlgedit.h"
#include "stepshared.h"
#include "shellutil.h"

INT_PTR RunSetupDialog(int dialogId, DLGPROC proc, LPARAM param, HWND owner) {
  // A dialog opened from another gives the id back when it ends.
  const uint32_t previous = g_stepShared.currentDialogId;
  g_stepShared.currentDialogId = static_cast<uint32_t>(dialogId);
  const INT_PTR result =
      DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(dialogId), owner ? owner : g_app.frame, proc, param);
  g_stepShared.currentDialogId = previous;
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
