#include "soundmoddlg.h"

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "inifile.h"
#include "plugins.h"
#include "resource.h"
#include "settings.h"
#include "setupdlg.h"
#include "soundmodules.h"

namespace {

constexpr int kLibraryNameSize = 260;
constexpr int kModuleNameSize = 65;  // what a module may fill, terminator included

// The entries a module library offers the dialog.
using ModuleNameFn = void(WINAPI*)(char* name);                                   // 125
using ModuleSelectFn = void(WINAPI*)(uint16_t selection);                          // 126
using ModuleOptionsFn = void(WINAPI*)(uint16_t pluginId, HINSTANCE instance, HWND dialog);  // 127

struct ModuleLibrary {
  HMODULE library = nullptr;
  ModuleNameFn name = nullptr;
  ModuleSelectFn select = nullptr;
  ModuleOptionsFn options = nullptr;
};

struct SoundModuleDialog {
  HINSTANCE instance = nullptr;
  std::vector<std::string> libraries;  // [Plugin] Module0-15
  ModuleLibrary modules[kModuleSlots];
};

// Each position's selection (0 none, slot + 1), kept between openings.
uint16_t g_selections[kModulePositions] = {};

SoundModuleDialog* StateOf(HWND dialog) {
  return reinterpret_cast<SoundModuleDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

HWND ListOf(HWND dialog, int position) { return GetDlgItem(dialog, IDC_SOUNDMOD_LIST1 + position); }

const ModuleLibrary* SlotOf(const SoundModuleDialog& state, uint16_t selection) {
  if (selection == 0 || selection > kModuleSlots) return nullptr;
  return &state.modules[selection - 1];
}

// The selection the position's list shows; -1 when it shows none.
int ListedSelection(HWND dialog, int position) {
  HWND list = ListOf(dialog, position);
  const LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return -1;
  const LRESULT data = SendMessageA(list, CB_GETITEMDATA, index, 0);
  return data == CB_ERR ? -1 : static_cast<int>(data);
}

void UpdateOptionsButton(HWND dialog, const SoundModuleDialog& state, int position) {
  const ModuleLibrary* slot = SlotOf(state, g_selections[position]);
  EnableWindow(GetDlgItem(dialog, IDC_SOUNDMOD_OPTIONS1 + position), slot && slot->options);
}

// Stores a position's new selection and tells its module.
void ChangeSelection(const SoundModuleDialog& state, int position, int selection) {
  if (selection < 0 || selection == g_selections[position]) return;
  g_selections[position] = static_cast<uint16_t>(selection);
  const ModuleLibrary* slot = SlotOf(state, g_selections[position]);
  if (slot && slot->select) slot->select(g_selections[position]);
}

void LoadModules(SoundModuleDialog& state) {
  for (int k = 0; k < kModuleSlots; ++k) {
    state.libraries.push_back(IniGetString(kPluginSection, ModuleKey(k).c_str(), "", kLibraryNameSize));
    if (state.libraries[k].empty()) continue;
    ModuleLibrary& module = state.modules[k];
    module.library = LoadNamedLibrary(state.libraries[k].c_str());
    module.name = BindOrdinal<ModuleNameFn>(module.library, 125);
    module.select = BindOrdinal<ModuleSelectFn>(module.library, 126);
    module.options = BindOrdinal<ModuleOptionsFn>(module.library, 127);
  }
}

void FreeModules(SoundModuleDialog& state) {
  for (ModuleLibrary& module : state.modules) {
    if (module.library) FreeLibrary(module.library);
    module = ModuleLibrary{};
  }
}

// Display names by slot; a slot without a name entry shows nothing.
std::vector<std::string> ModuleNames(const SoundModuleDialog& state) {
  std::vector<std::string> names(kModuleSlots);
  for (int k = 0; k < kModuleSlots; ++k) {
    if (!state.modules[k].name) continue;
    char name[256] = {};  // room beyond what the module is promised
    state.modules[k].name(name);
    name[kModuleNameSize - 1] = '\0';
    names[k] = name;
  }
  return names;
}

void FillLists(HWND dialog, const SoundModuleDialog& state) {
  const std::vector<ModuleListLine> lines = ModuleListLines(LoadAppString(IDS_SOUNDMOD_NONE), ModuleNames(state));
  for (int position = 0; position < kModulePositions; ++position) {
    HWND list = ListOf(dialog, position);
    for (const ModuleListLine& line : lines) {
      const LRESULT index = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.text.c_str()));
      if (index >= 0) SendMessageA(list, CB_SETITEMDATA, index, line.selection);
    }
    // A stored module that does not show now (not loadable) is kept as it is.
    SendMessageA(list, CB_SETCURSEL, ModuleListIndex(lines, g_selections[position]), 0);
  }
}

void ShowResetChecks(HWND dialog) {
  const ResetChecks checks = ResetChecksFromInit(g_settings.soundModuleInit, LoadResetTexts(AppInstance()));
  for (int i = 0; i < kResetKinds; ++i)
    CheckDlgButton(dialog, ResetTable()[i].boxId, checks[i] ? BST_CHECKED : BST_UNCHECKED);
}

BOOL OnInit(HWND dialog, LPARAM param) {
  SetWindowLongPtrA(dialog, DWLP_USER, param);
  SoundModuleDialog& state = *reinterpret_cast<SoundModuleDialog*>(param);
  InitSetupDialog(dialog);
  HGDIOBJ fixedFont = GetStockObject(SYSTEM_FIXED_FONT);
  for (int id = IDC_SOUNDMOD_RESET_GROUP; id <= IDC_SOUNDMOD_LAST; ++id)
    SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont), FALSE);
  LoadModules(state);
  for (int position = 0; position < kModulePositions; ++position) {
    const std::string stored = IniGetString(kPluginSection, ControllerKey(position).c_str(), "", kLibraryNameSize);
    g_selections[position] = SelectionForController(stored, state.libraries);
  }
  FillLists(dialog, state);
  for (int position = 0; position < kModulePositions; ++position) UpdateOptionsButton(dialog, state, position);
  ShowResetChecks(dialog);
  return TRUE;
}

void OnListChanged(HWND dialog, int position) {
  const SoundModuleDialog& state = *StateOf(dialog);
  ChangeSelection(state, position, ListedSelection(dialog, position));
  UpdateOptionsButton(dialog, state, position);
}

void OnOptions(HWND dialog, int position) {
  const ModuleLibrary* slot = SlotOf(*StateOf(dialog), g_selections[position]);
  if (slot && slot->options) slot->options(g_plugins[0].id, StateOf(dialog)->instance, dialog);
}

void StoreInitText(HWND dialog) {
  ResetChecks checks{};
  for (int i = 0; i < kResetKinds; ++i) checks[i] = IsDlgButtonChecked(dialog, ResetTable()[i].boxId) == BST_CHECKED;
  const std::string init = InitFromResetChecks(checks, LoadResetTexts(AppInstance()), g_settings.soundModuleInit,
                                               kSoundModuleInitSize - 1);
  std::memset(g_settings.soundModuleInit, 0, kSoundModuleInitSize);
  std::memcpy(g_settings.soundModuleInit, init.data(), init.size());
}

void OnOk(HWND dialog) {
  SoundModuleDialog& state = *StateOf(dialog);
  for (int position = 0; position < kModulePositions; ++position) {
    ChangeSelection(state, position, ListedSelection(dialog, position));
    const std::string value = ControllerValueFor(g_selections[position], state.libraries);
    IniWriteString(kPluginSection, ControllerKey(position).c_str(), value.c_str());
  }
  StoreInitText(dialog);
  FreeModules(state);
  const int mask = OutputPortMask();
  for (int n = 0; n < kControllerPluginSlots; ++n)
    if (g_plugins[n].setPorts && g_plugins[n].id) g_plugins[n].setPorts(g_plugins[n].id, n, mask);
  EndDialog(dialog, 1);
}

void OnCancel(HWND dialog) {
  FreeModules(*StateOf(dialog));
  EndDialog(dialog, 0);
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
  const int id = LOWORD(wParam);
  if (id >= IDC_SOUNDMOD_LIST1 && id < IDC_SOUNDMOD_LIST1 + kModulePositions) {
    const int position = id - IDC_SOUNDMOD_LIST1;
    // A change made with the list closed (keys) counts as well as a close.
    const bool closedChange = HIWORD(wParam) == CBN_SELCHANGE &&
                              !SendMessageA(ListOf(dialog, position), CB_GETDROPPEDSTATE, 0, 0);
    if (HIWORD(wParam) == CBN_CLOSEUP || closedChange) OnListChanged(dialog, position);
    return TRUE;
  }
  if (id >= IDC_SOUNDMOD_OPTIONS1 && id < IDC_SOUNDMOD_OPTIONS1 + kModulePositions) {
    OnOptions(dialog, id - IDC_SOUNDMOD_OPTIONS1);
    return TRUE;
  }
  switch (id) {
    case IDOK:
      OnOk(dialog);
      return TRUE;
    case IDCANCEL:
      OnCancel(dialog);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK SoundModuleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit(dialog, lParam);
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
  }
  return FALSE;
}

}  // namespace

void OpenSoundModuleDialog(HINSTANCE instance, HWND owner) {
  SoundModuleDialog state;
  state.instance = instance;
  const INT_PTR result = RunSetupDialog(IDD_SOUND_MODULES, SoundModuleDlgProc, reinterpret_cast<LPARAM>(&state), owner);
  FreeModules(state);  // when the dialog ended some other way
  if (result == 1) SaveInitAfterFileOpen();
}
