// The controller plug-in slots: loading, registration, start and the calls
// every plug-in gets at the same moments.
#include "plugins.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "appglobals.h"
#include "binding.h"
#include "inifile.h"
#include "settings.h"

ControllerPlugin g_plugins[kControllerPluginSlots];
int g_pluginNextCommandId = kFirstPluginCommandId;

namespace {

// The two blocks of plug-in start, kept until shut-down.
HGLOBAL g_startBlocks[2] = {};

// Room for the information record and the texts the plug-in writes into it.
constexpr size_t kInfoRecordSize = 1024;
constexpr uint32_t kPluginDeclared = 0x8000;

// The 0-terminated text at offset, bounded by the record.
std::string InfoText(const char* record, size_t offset) {
  return std::string(record + offset, strnlen(record + offset, kInfoRecordSize - offset));
}

// Information (ordinal 101) into record; false when the library does not
// declare itself a controller plug-in.
bool ReadDeclaration(HMODULE library, char* record) {
  auto information =
      BindOrdinal<int(WINAPI*)(uint16_t, void*)>(library, 101);
  if (!information) return false;
  std::memset(record, 0, kInfoRecordSize);
  information(0, record);
  record[kInfoRecordSize - 1] = '\0';
  uint32_t flags;
  std::memcpy(&flags, record + 8, sizeof flags);
  return (flags & kPluginDeclared) != 0;
}

void BindPluginEntries(ControllerPlugin& p) {
  HMODULE m = p.library;
  p.registerPlugin = BindOrdinal<decltype(p.registerPlugin)>(m, 64);
  p.start = BindOrdinal<decltype(p.start)>(m, 65);
  p.setUp = BindOrdinal<decltype(p.setUp)>(m, 66);
  p.newSongData = BindOrdinal<decltype(p.newSongData)>(m, 67);
  p.setSongData = BindOrdinal<decltype(p.setSongData)>(m, 68);
  p.setPorts = BindOrdinal<decltype(p.setPorts)>(m, 69);
  p.restoreLayout = BindOrdinal<decltype(p.restoreLayout)>(m, 70);
  p.saveLayout = BindOrdinal<decltype(p.saveLayout)>(m, 71);
  p.entry72 = BindOrdinal<FARPROC>(m, 72);
  p.closeHook = BindOrdinal<decltype(p.closeHook)>(m, 73);
  p.menuEntry1 = BindOrdinal<decltype(p.menuEntry1)>(m, 74);
  p.menuEntry2 = BindOrdinal<decltype(p.menuEntry2)>(m, 75);
  p.entry76 = BindOrdinal<FARPROC>(m, 76);
  p.entry77 = BindOrdinal<FARPROC>(m, 77);
  p.entry90 = BindOrdinal<FARPROC>(m, 90);
  p.engineAccess = BindOrdinal<decltype(p.engineAccess)>(m, 96);
  p.knowsControlFile = BindOrdinal<decltype(p.knowsControlFile)>(m, 100);
  p.information = BindOrdinal<decltype(p.information)>(m, 101);
  p.resetControlData = BindOrdinal<decltype(p.resetControlData)>(m, 102);
  p.sendControlData = BindOrdinal<decltype(p.sendControlData)>(m, 103);
  p.entry127 = BindOrdinal<FARPROC>(m, 127);
  p.saveSettings = BindOrdinal<decltype(p.saveSettings)>(m, 128);
  p.setUpDone = BindOrdinal<decltype(p.setUpDone)>(m, 129);
  p.frameClose = BindOrdinal<decltype(p.frameClose)>(m, 255);
}

void ShowOnPluginSplash(const char* t1, const char* t2, const char* t3, const char* t4, int replace) {
  if (g_splash.setToPluginDialog) g_splash.setToPluginDialog(t1, t2, t3, t4, replace);
}

// Loads slot n from its path; the slot stays empty when the library does not
// load or does not declare itself.
void LoadPlugin(int n, const std::string& path) {
  ShowOnPluginSplash("", path.c_str(), "", "", 0);
  HMODULE library = LoadNamedLibrary(path.c_str());
  if (!library) return;
  char record[kInfoRecordSize];
  if (!ReadDeclaration(library, record)) {
    FreeLibrary(library);
    g_plugins[n] = ControllerPlugin{};
    return;
  }
  ShowOnPluginSplash(InfoText(record, 52).c_str(), InfoText(record, 172).c_str(),
                     InfoText(record, 152).c_str(), InfoText(record, 72).c_str(), 1);
  ControllerPlugin& p = g_plugins[n];
  p = ControllerPlugin{};
  p.library = library;
  BindPluginEntries(p);
}

void RegisterPlugin(int n, const LOGFONTA& font) {
  ControllerPlugin& p = g_plugins[n];
  if (!p.library || !p.registerPlugin) return;
  p.id = p.registerPlugin(n, &g_pluginNextCommandId);
  if (p.id == 0) return;
  if (p.newSongData) p.songData = p.newSongData(p.id);
  if (p.setUp)
    p.setUp(p.id, &font, GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
            GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_HIGHLIGHT));
  if (p.setUpDone) p.setUpDone(p.id);
}

}  // namespace

void ClearControllerPlugins() {
  for (ControllerPlugin& p : g_plugins) p = ControllerPlugin{};
  g_pluginNextCommandId = kFirstPluginCommandId;
}

void LoadControllerPlugins(int showCommand, const LOGFONTA* defaultFont) {
  g_splash.pluginWindow = nullptr;
  if (g_splash.pluginLogo) g_splash.pluginWindow = g_splash.pluginLogo(GetDesktopWindow(), g_splash.appWindow);
  for (int n = 0; n < kControllerPluginSlots; ++n) {
    char key[16];
    std::snprintf(key, sizeof key, "Controlor%d", n);
    std::string path = IniGetString("Plugin", key, "", 257);
    if (!path.empty()) LoadPlugin(n, path);
  }
  LOGFONTA font{};
  if (defaultFont) font = *defaultFont;
  for (int n = 0; n < kControllerPluginSlots; ++n) RegisterPlugin(n, font);
}

int OutputPortMask() {
  int mask = 0;
  for (int k = 0; k < 4; ++k)
    if (g_settings.outPorts[k] >= 0) mask |= 1 << k;
  return mask;
}

void TellPluginsEngineAndPorts() {
  int mask = OutputPortMask();
  for (int n = 0; n < kControllerPluginSlots; ++n) {
    ControllerPlugin& p = g_plugins[n];
    if (p.id == 0) continue;
    if (p.setPorts) p.setPorts(p.id, n, mask);
    if (p.engineAccess)
      p.engineAccess(p.id, reinterpret_cast<void*>(g_engine.waitExec),
                     reinterpret_cast<void*>(g_engine.sendBuffer),
                     reinterpret_cast<void*>(g_engine.getBuffer));
  }
}

void StartControllerPlugins(int showCommand) {
  if (!g_startBlocks[0]) g_startBlocks[0] = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, 128);
  if (!g_startBlocks[1]) g_startBlocks[1] = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, 64);
  int mask = OutputPortMask();
  for (int n = 0; n < kControllerPluginSlots; ++n) {
    ControllerPlugin& p = g_plugins[n];
    if (p.id == 0) continue;
    if (p.engineAccess)
      p.engineAccess(p.id, reinterpret_cast<void*>(g_engine.waitExec),
                     reinterpret_cast<void*>(g_engine.sendBuffer),
                     reinterpret_cast<void*>(g_engine.getBuffer));
    if (p.setPorts) p.setPorts(p.id, n, mask);
    if (p.start) p.start(p.id, g_app.mdiClient, g_app.frame, showCommand, 0);
  }
  for (ControllerPlugin& p : g_plugins)
    if (p.id != 0 && p.setSongData) p.setSongData(p.id, p.songData, "new.gsd");
  CloseSplashWindows();
}

void AddPluginMenuEntries(HWND window, HMENU menu, int value1, int value2) {
  for (ControllerPlugin& p : g_plugins) {
    if (p.id == 0) continue;
    if (p.menuEntry1) p.menuEntry1(p.id, window, menu, value1, 0);
    if (p.menuEntry2) p.menuEntry2(p.id, window, menu, value2, 0);
  }
}

void PluginsRestoreLayout(int showCommand) {
  for (ControllerPlugin& p : g_plugins)
    if (p.id != 0 && p.restoreLayout) p.restoreLayout(p.id, showCommand);
}

void PluginsSaveLayout() {
  for (ControllerPlugin& p : g_plugins)
    if (p.id != 0 && p.saveLayout) p.saveLayout(p.id);
}

void PluginsFrameClose() {
  for (ControllerPlugin& p : g_plugins)
    if (p.id != 0 && p.frameClose) p.frameClose(p.id);
}

void FreeControllerPlugins() {
  for (ControllerPlugin& p : g_plugins) {
    if (p.library) FreeLibrary(p.library);
    p = ControllerPlugin{};
  }
  for (HGLOBAL& block : g_startBlocks) {
    if (block) GlobalFree(block);
    block = nullptr;
  }
}
