#include "filterprogress.h"

#include "filtersettings.h"
#include "resource.h"

std::string FilterText(UINT id) {
  char buffer[512];
  int n = LoadStringA(FilterInstance(), id, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

void ShowProgressText(HWND progress, UINT id) {
  if (progress) SetDlgItemTextA(progress, IDC_PROGRESS_TEXT, FilterText(id).c_str());
}

void ShowProgressBar(HWND progress, int done, int total) {
  HWND bar = progress ? GetDlgItem(progress, IDC_PROGRESS_BAR) : nullptr;
  if (!bar || total <= 0) return;
  RECT r;
  GetClientRect(bar, &r);
  r.right = r.left + MulDiv(r.right - r.left, done, total);
  if (HDC dc = GetDC(bar)) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_ACTIVECAPTION));
    ReleaseDC(bar, dc);
  }
}
