#include "interfacedlg.h"

#include <mmsystem.h>

#include <string>

#include "appglobals.h"
#include "binding.h"
#include "engines.h"
#include "midiports.h"
#include "midistepinput.h"
#include "mmediadlg.h"
#include "msgbox.h"
#include "playstate.h"
#include "pointplaydlg.h"
#include "portsetup.h"
#include "stepshared.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"
#include "smpuoptdlg.h"

namespace {

constexpr int kOutputLists = 4;
constexpr int kPartRows = 3;

// What the dialog keeps while it is open.
struct InterfaceDialogState {
  EngineCandidateList engines;
  bool engineRefused = false;  // the engine list last closed on a refused engine
};

int* PartPortOf(int row) {
  switch (row) {
    case 0: return &g_settings.gsPort;
    case 1: return &g_settings.laPort;
    default: return &g_settings.pcmPort;
  }
}
constexpr int kPartRowFirstId[kPartRows] = {IDC_IFACE_GS_A, IDC_IFACE_LA_A, IDC_IFACE_PCM_A};

// "使わない" and then every device up to the first that cannot be read;
// the stored device is selected (none for a device that is not there).
void FillPortList(HWND list, int count, bool (*deviceName)(int, std::string&), int device) {
  SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadAppString(IDS_IFACE_NONE).c_str()));
  std::string name;
  for (int d = 0; d < count && deviceName(d, name); ++d)
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(device + 1), 0);
}

// The device of a port list: entry - 1; a list with no entry chosen keeps
// the device it had (one that is not installed now stays configured).
void StorePortList(HWND dialog, int id, int32_t& device) {
  const LRESULT entry = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  if (entry != CB_ERR) device = static_cast<int32_t>(entry) - 1;
}

InterfaceDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<InterfaceDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

const EngineCandidate* ChosenEngine(HWND dialog) {
  const InterfaceDialogState* state = StateOf(dialog);
  const LRESULT entry = SendDlgItemMessageA(dialog, IDC_IFACE_ENGINE, CB_GETCURSEL, 0, 0);
  if (!state || entry < 0 || entry >= static_cast<LRESULT>(state->engines.entries.size())) return nullptr;
  return &state->engines.entries[static_cast<size_t>(entry)];
}

void FillEngineList(HWND dialog, InterfaceDialogState& state) {
  EngineCandidateQuery query;
  query.choices = ReadEngineChoices();
  query.current = g_settings.applet;
  query.smpuEngine = g_settings.rdsApplet;
  query.driverFound = ProbeSmpuDriver() != 0;
  state.engines = ListEngineCandidates(query, DescribeEngineLibrary);
  for (const EngineCandidate& e : state.engines.entries)
    SendDlgItemMessageA(dialog, IDC_IFACE_ENGINE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.title.c_str()));
  SendDlgItemMessageA(dialog, IDC_IFACE_ENGINE, CB_SETCURSEL, static_cast<WPARAM>(state.engines.selection), 0);
  EnableWindow(GetDlgItem(dialog, IDC_IFACE_SMPU), query.driverFound);
}

BOOL OnInit(HWND dialog, LPARAM param) {
  SetWindowLongPtrA(dialog, DWLP_USER, param);
  InitSetupDialog(dialog);
  const int outCount = static_cast<int>(midiOutGetNumDevs());
  const int inCount = static_cast<int>(midiInGetNumDevs());
  const auto fixedFont = reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT));
  for (int k = 0; k < kOutputLists; ++k) {
    HWND list = GetDlgItem(dialog, IDC_IFACE_OUT_A + k);
    SendMessageA(list, WM_SETFONT, fixedFont, FALSE);
    FillPortList(list, outCount, MidiOutDeviceName, g_settings.outPorts[k]);
  }
  FillPortList(GetDlgItem(dialog, IDC_IFACE_IN_A), inCount, MidiInDeviceName, g_settings.inPorts[0]);
  FillPortList(GetDlgItem(dialog, IDC_IFACE_IN_B), inCount, MidiInDeviceName, g_settings.inPorts[1]);
  for (int row = 0; row < kPartRows; ++row) {
    const int value = *PartPortOf(row);
    if (value >= 0 && value <= 3)
      CheckRadioButton(dialog, kPartRowFirstId[row], kPartRowFirstId[row] + 3, kPartRowFirstId[row] + value);
  }
  FillEngineList(dialog, *StateOf(dialog));
  return TRUE;
}

// A list closed: may the chosen engine play with the chosen outputs? OK is
// enabled exactly when it may.
void CheckChoice(HWND dialog, ClosedList closed) {
  InterfaceDialogState* state = StateOf(dialog);
  EngineChoice choice;
  if (const EngineCandidate* engine = ChosenEngine(dialog)) {
    EngineDescription info;
    if (DescribeEngineLibrary(engine->file, false, info)) choice.engineType = info.type;
  }
  choice.closed = closed;
  choice.engineRefused = state->engineRefused;
  choice.windowsNt = IsWindowsNtVersion(GetVersion());
  choice.driverFound = ProbeSmpuDriver() != 0;
  for (int k = 0; k < kOutputLists; ++k)
    choice.outputEntries[k] = static_cast<int>(SendDlgItemMessageA(dialog, IDC_IFACE_OUT_A + k, CB_GETCURSEL, 0, 0));
  const UINT message = CheckEngineChoice(choice, SmpuPortTest);
  if (closed == ClosedList::Engine) state->engineRefused = message == IDS_ENGINE_REFUSED_ON_NT;
  if (message) ShowMessageById(dialog, MB_OK | MB_ICONERROR, message);
  EnableWindow(GetDlgItem(dialog, IDOK), message == 0);
}

void OnOk(HWND dialog) {
  for (int k = 0; k < kOutputLists; ++k) StorePortList(dialog, IDC_IFACE_OUT_A + k, g_settings.outPorts[k]);
  StorePortList(dialog, IDC_IFACE_IN_A, g_settings.inPorts[0]);
  StorePortList(dialog, IDC_IFACE_IN_B, g_settings.inPorts[1]);
  // The chosen entry's own library: two engines may share a title.
  if (const EngineCandidate* engine = ChosenEngine(dialog))
    lstrcpynA(g_settings.applet, engine->file.c_str(), kPathTextSize);
  for (int row = 0; row < kPartRows; ++row)
    for (int k = 0; k < 4; ++k)
      if (IsDlgButtonChecked(dialog, kPartRowFirstId[row] + k) == BST_CHECKED) *PartPortOf(row) = k;
  EndDialog(dialog, 1);
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  const int id = LOWORD(wParam);
  if (HIWORD(wParam) == CBN_CLOSEUP) {
    if (id == IDC_IFACE_ENGINE) CheckChoice(dialog, ClosedList::Engine);
    else if (id >= IDC_IFACE_OUT_A && id < IDC_IFACE_OUT_A + kOutputLists) CheckChoice(dialog, ClosedList::OutputPort);
    return TRUE;
  }
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (id) {
    case IDOK:
      OnOk(dialog);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_IFACE_SMPU:
      OpenSmpuOptionsDialog(dialog);
      return TRUE;
    case IDC_IFACE_POINTPLAY:
      OpenPointPlayDialog(dialog);
      return TRUE;
    case IDC_IFACE_MMEDIA:
      OpenMultimediaDialog(dialog);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK InterfaceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog, lParam);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

void OpenInterfaceDialog(HINSTANCE, HWND owner) {
  const uint32_t wasBusy = g_play.busyFlag;
  g_play.busyFlag = 1;
  if (g_engine.closeMIDIPort) g_engine.closeMIDIPort();
  InterfaceDialogState state;
  RunSetupDialog(IDD_INTERFACE, InterfaceDlgProc, reinterpret_cast<LPARAM>(&state), owner);
  // OK or Cancel: the ports are closed now and are set up again either way.
  SaveSettings();
  if (!g_app.portsUnavailable) CloseMidiInput();
  // Only the program that took the ports lets them go: a program without
  // ports that cleared the shared flag would hand another's ports to the
  // next one to start.
  if (PortsTakenByUs() && g_engine.getShareFlag && g_engine.getShareFlag() == 3) ReleasePorts();
  BindEngine();
  if (g_engine.initializePlayback) g_engine.initializePlayback(0);
  SetUpPorts();
  StartMidiInput();
  AssignThru();
  g_play.busyFlag = wasBusy;
}
