#include "optionsdlg.h"

#include <commctrl.h>

#include <cstdlib>

#include "filtersettings.h"
#include "resource.h"

namespace {

// The time bases offered, in the order of the combo box; the last item
// stands for any other time base.
const int kTimeBases[] = {480, 240, 160, 120, 96, 80, 60};
const char* const kTimeBaseItems[] = {"480", "240", "160", "120", " 96", " 80", " 60", " 48"};
constexpr int kOtherTimeBase = 48;

const int kModeRadios[] = {IDC_PORTMODE_A, IDC_PORTMODE_MUTE0, IDC_PORTMODE_MUTE3, IDC_PORTMODE_OFF};

// The song the open dialog was started for (one dialog at a time).
OptionsDialogSong g_song;

// The up-down control lives in the common controls library, which the
// hosts need not have loaded.
void LoadUpDownClass() {
  static bool done = false;
  if (done) return;
  done = true;
  if (HMODULE lib = LoadLibraryA("comctl32.dll")) {
    using InitFn = void(WINAPI*)();
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(lib, "InitCommonControls")));
    if (init) init();
  }
}

void CentreOverParent(HWND dlg) {
  HWND parent = GetParent(dlg);
  RECT p, d;
  if (!parent || !GetWindowRect(parent, &p) || !GetWindowRect(dlg, &d)) return;
  int w = d.right - d.left, h = d.bottom - d.top;
  SetWindowPos(dlg, nullptr, p.left + ((p.right - p.left) - w) / 2, p.top + ((p.bottom - p.top) - h) / 2, 0,
               0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int BarTrackNumber(HWND dlg) {
  char text[16] = {};
  GetDlgItemTextA(dlg, IDC_BARTRACK, text, sizeof text);
  return std::atoi(text);
}

BOOL OnInitDialog(HWND dlg) {
  CentreOverParent(dlg);
  const ExportOptions& o = g_exportOptions;
  HWND combo = GetDlgItem(dlg, IDC_TIMEBASE);
  for (const char* item : kTimeBaseItems) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  int sel = 7;
  for (int i = 0; i < 7; ++i)
    if (kTimeBases[i] == o.timeBase) sel = i;
  SendMessageA(combo, CB_SETCURSEL, sel, 0);
  SetDlgItemInt(dlg, IDC_BARTRACK, o.barTrack + 1, FALSE);
  CheckDlgButton(dlg, o.format == 1 ? IDC_FORMAT1 : IDC_FORMAT0, BST_CHECKED);
  for (int p = 0; p < 4; ++p)
    CheckDlgButton(dlg, IDC_PORT_A + p, o.portNumber[p] != kPortOff ? BST_CHECKED : BST_UNCHECKED);
  int mode = o.portMode >= 0 && o.portMode <= 3 ? o.portMode : 0;
  CheckDlgButton(dlg, kModeRadios[mode], BST_CHECKED);
  return TRUE;
}

void OnOk(HWND dlg) {
  ExportOptions& o = g_exportOptions;
  LRESULT sel = SendDlgItemMessageA(dlg, IDC_TIMEBASE, CB_GETCURSEL, 0, 0);
  o.timeBase = sel >= 0 && sel < 7 ? kTimeBases[sel] : kOtherTimeBase;
  int bar = BarTrackNumber(dlg);
  o.barTrack = bar < 2 ? 0 : bar - 1;
  o.format = IsDlgButtonChecked(dlg, IDC_FORMAT1) == BST_CHECKED ? 1 : 0;
  o.portMode = 0;
  for (int m = 0; m < 4; ++m)
    if (IsDlgButtonChecked(dlg, kModeRadios[m]) == BST_CHECKED) o.portMode = m;
  for (int p = 0; p < 4; ++p)
    o.portNumber[p] = IsDlgButtonChecked(dlg, IDC_PORT_A + p) == BST_CHECKED ? ReadExportPortNumber(p) : kPortOff;
  if (o.portMode == 2) o.portNumber[2] = o.portNumber[3] = kPortOff;
  EndDialog(dlg, 1);
}

// The spin moves the number itself, within 1 .. the song's track count.
LRESULT OnSpin(HWND dlg, const NMUPDOWN* n) {
  int bar = BarTrackNumber(dlg);
  if (n->iDelta < 0) {
    if (bar < g_song.trackCount) ++bar;
  } else if (bar > 1) {
    --bar;
  }
  SetDlgItemInt(dlg, IDC_BARTRACK, bar, FALSE);
  SetWindowLongPtrA(dlg, DWLP_MSGRESULT, TRUE);  // the control keeps its own position
  return TRUE;
}

INT_PTR CALLBACK OptionsDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog(dlg);
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
      if (hdr->idFrom == IDC_BARTRACK_SPIN && hdr->code == UDN_DELTAPOS)
        return OnSpin(dlg, reinterpret_cast<const NMUPDOWN*>(lParam));
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: OnOk(dlg); return TRUE;
        case IDCANCEL: EndDialog(dlg, 0); return TRUE;
        default: return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

int RunExportOptionsDialog(HINSTANCE instance, HWND parent, const OptionsDialogSong& song) {
  g_song = song;
  // Cancel keeps this too.
  g_exportOptions.timeBase = song.timeBase;
  LoadUpDownClass();
  INT_PTR r = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_EXPORT_OPTIONS), parent, OptionsDlgProc, 0);
  return r == 1 ? 1 : 0;
}
