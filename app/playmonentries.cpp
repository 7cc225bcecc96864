// Binding of the play monitor library and the callbacks it is handed.
#include "playmonentries.h"

#include <string>

#include "binding.h"
#include "inifile.h"
#include "settings.h"

PlayMonEntries g_playmon;

namespace {

PlayMonHostCallbacks g_host;

// The monitor keeps these addresses for its whole life; they reach whatever
// the frame has set by the time they are called.
void CALLBACK ForwardActivate(HWND a, HWND b, int windowMenuIndex, int c, int d, const char* menuName) {
  if (g_host.activate) g_host.activate(a, b, windowMenuIndex, c, d, menuName);
}

int CALLBACK ForwardActivateTrack(int track) {
  return g_host.activateTrack ? g_host.activateTrack(track) : 0;
}

void CALLBACK ForwardSharedKey(int virtualKey) {
  if (g_host.sharedKey) g_host.sharedKey(virtualKey);
}

}  // namespace

void SetPlayMonHostCallbacks(const PlayMonHostCallbacks& callbacks) { g_host = callbacks; }

HWND CALLBACK PlayMonSetWindow(HWND window) {
  g_playmon.window = window;
  return window;
}

int CALLBACK PlayMonIsPlaying() { return EngineIsPlaying() ? 1 : 0; }

void UnloadPlayMonitor() {
  // Its window runs code of the library: it goes before the library does.
  HWND window = g_playmon.window;
  if (window && IsWindow(window)) {
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_MDICHILD)
      SendMessageA(GetParent(window), WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    else
      DestroyWindow(window);
  }
  g_playmon.window = nullptr;
  if (g_playmon.library) FreeLibrary(g_playmon.library);
  g_playmon = PlayMonEntries{};
}

void BindPlayMonitor() {
  UnloadPlayMonitor();
  std::string name = IniGetString("PlayMon", "Applet", "", kPathTextSize);
  PlayMonEntries& m = g_playmon;
  m.library = LoadNamedLibrary(name.c_str());
  if (!m.library) return;
  HMODULE l = m.library;
  m.setLPPLAYDAT = BindOrdinal<zkplaymon::SetLPPLAYDATFn>(l, 1024);
  m.setLPPLAYMon = BindOrdinal<zkplaymon::SetLPPLAYMonFn>(l, 1025);
  m.setPlayMonChecks = BindOrdinal<zkplaymon::SetPlayMonChecksFn>(l, 1026);
  m.setDefaults = BindOrdinal<zkplaymon::SetDefaultsFn>(l, 1027);
  m.setPlayMonPos = BindOrdinal<zkplaymon::SetPlayMonPosFn>(l, 1028);
  m.showPlayMon = BindOrdinal<zkplaymon::ShowPlayMonFn>(l, 1029);
  m.getPMonDefaults = BindOrdinal<zkplaymon::GetPMonDefaultsFn>(l, 1030);
  m.writePMonDefaults = BindOrdinal<zkplaymon::WritePMonDefaultsFn>(l, 1031);
  m.getPMonDeskTop = BindOrdinal<zkplaymon::GetPMonDeskTopFn>(l, 1032);
  m.registerPlayMon = BindOrdinal<zkplaymon::RegisterPlayMonFn>(l, 1033);
  m.createPlaymon = BindOrdinal<zkplaymon::CreatePlaymonFn>(l, 1034);
  m.playmonKey = BindOrdinal<zkplaymon::PlaymonKeyFn>(l, 1035);
  m.setDefaults2 = BindOrdinal<zkplaymon::SetDefaults2Fn>(l, 1040);
  if (m.registerPlayMon) m.registerPlayMon();
  if (m.setPlayMonChecks)
    m.setPlayMonChecks(ForwardActivate, ForwardActivateTrack, PlayMonIsPlaying, ForwardSharedKey,
                       PlayMonSetWindow);
}
