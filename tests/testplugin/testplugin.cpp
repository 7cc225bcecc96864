// A controller plug-in for tests: declares itself (unless built as the
// undeclared variant), takes ids and command ids, and logs every call with
// its arguments. TESTPLUGIN_NAME tells the copies apart in the log.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "calllog.h"

#ifndef TESTPLUGIN_NAME
#define TESTPLUGIN_NAME "zktestplugin"
#endif

namespace {
constexpr uint16_t kIdBase = 0x4100;
constexpr int kCommandsTaken = 10;
HGLOBAL g_songData = nullptr;

void PutText(void* record, size_t offset, const char* text) {
  std::memcpy(static_cast<char*>(record) + offset, text, std::strlen(text) + 1);
}
}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH && g_songData) GlobalFree(g_songData);
  return TRUE;
}

int WINAPI PluginInformation(uint16_t id, void* record) {
  uint32_t cleared = 0;
  std::memcpy(&cleared, static_cast<char*>(record) + 16, sizeof cleared);
  LogCall(TESTPLUGIN_NAME " Information %u %u", id, cleared);
#ifdef TESTPLUGIN_UNDECLARED
  uint32_t flags = 0x0001;
#else
  uint32_t flags = 0x8001;
#endif
  std::memcpy(static_cast<char*>(record) + 8, &flags, sizeof flags);
  PutText(record, 52, "TESTCTRL");
  PutText(record, 72, "テスト用コントローラ");
  PutText(record, 152, "1.00");
  PutText(record, 172, TESTPLUGIN_NAME);
  return 1;
}

uint16_t WINAPI PluginRegister(int slot, int* nextCommandId) {
  LogCall(TESTPLUGIN_NAME " Register %d %d", slot, nextCommandId ? *nextCommandId : -1);
  if (nextCommandId) *nextCommandId += kCommandsTaken;
  return static_cast<uint16_t>(kIdBase + slot);
}

HGLOBAL WINAPI PluginNewSongData(uint16_t id) {
  LogCall(TESTPLUGIN_NAME " NewSongData %u", id);
  if (!g_songData) g_songData = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
  return g_songData;
}

void WINAPI PluginSetUp(uint16_t id, const LOGFONTA* font, COLORREF text, COLORREF back, COLORREF markedText,
                        COLORREF markedBack) {
  LogCall(TESTPLUGIN_NAME " SetUp %u %s %d", id, font ? "font" : "null", font ? static_cast<int>(font->lfHeight) : 0);
}

void WINAPI PluginSetUpDone(uint16_t id) { LogCall(TESTPLUGIN_NAME " SetUpDone %u", id); }

void WINAPI PluginEngineAccess(uint16_t id, void* waitExec, void* sendBuffer, void* getBuffer) {
  LogCall(TESTPLUGIN_NAME " EngineAccess %u %d %d %d", id, waitExec != nullptr, sendBuffer != nullptr,
          getBuffer != nullptr);
}

void WINAPI PluginSetPorts(uint16_t id, int slot, int mask) {
  LogCall(TESTPLUGIN_NAME " Ports %u %d %d", id, slot, mask);
}

void WINAPI PluginStart(uint16_t id, HWND mdiClient, HWND frame, int showCommand, int zero) {
  LogCall(TESTPLUGIN_NAME " Start %u %d %d %d %d", id, mdiClient != nullptr, frame != nullptr, showCommand, zero);
}

void WINAPI PluginSongData(uint16_t id, HGLOBAL data, const char* name) {
  LogCall(TESTPLUGIN_NAME " SongData %u %d %s", id, data != nullptr && data == g_songData, name ? name : "(null)");
}

void WINAPI PluginMenu1(uint16_t id, HWND window, HMENU menu, int value, int zero) {
  LogCall(TESTPLUGIN_NAME " Menu74 %u %d %d", id, value, zero);
}

void WINAPI PluginMenu2(uint16_t id, HWND window, HMENU menu, int value, int zero) {
  LogCall(TESTPLUGIN_NAME " Menu75 %u %d %d", id, value, zero);
}

// The frame's menu opening: the whole id word (the id sits in its low word),
// whether a real menu came, and the busy state.
void WINAPI PluginMenuState(uint32_t id, HMENU menu, int busy) {
  LogCall(TESTPLUGIN_NAME " MenuState %u %d %d", id, IsMenu(menu) ? 1 : 0, busy);
}

void WINAPI PluginRestoreLayout(uint16_t id, int showCommand) {
  LogCall(TESTPLUGIN_NAME " RestoreLayout %u %d", id, showCommand);
}

void WINAPI PluginSaveLayout(uint16_t id) { LogCall(TESTPLUGIN_NAME " SaveLayout %u", id); }

void WINAPI PluginFrameClose(uint16_t id) { LogCall(TESTPLUGIN_NAME " FrameClose %u", id); }

}  // extern "C"
