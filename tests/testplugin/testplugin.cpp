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
// What a control-data query gets: the bytes of a control file the plug-in
// takes (at 4) and the progress steps of its send (at 12).
constexpr uint32_t kControlBytes = 2670;
constexpr uint32_t kControlSteps = 7;
HGLOBAL g_songData = nullptr;
int g_firstCommand = 0;  // the first of the command ids taken at registration

void PutText(void* record, size_t offset, const char* text) {
  std::memcpy(static_cast<char*>(record) + offset, text, std::strlen(text) + 1);
}
}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH && g_songData) GlobalFree(g_songData);
  return TRUE;
}

// At load the record comes with its size word 0 and room for the texts; a
// later query sets the size, gets the control-data fields and no texts.
// ZK_TESTPLUGIN_DECLINE set makes a later query decline.
int WINAPI PluginInformation(uint16_t id, void* record) {
  uint16_t size = 0;
  std::memcpy(&size, record, sizeof size);
  uint32_t cleared = 0;
  std::memcpy(&cleared, static_cast<char*>(record) + 16, sizeof cleared);
  if (size != 0) {
    LogCall(TESTPLUGIN_NAME " Information %u %u %u", id, cleared, size);
    if (GetEnvironmentVariableA("ZK_TESTPLUGIN_DECLINE", nullptr, 0) != 0) return 0;
    std::memcpy(static_cast<char*>(record) + 4, &kControlBytes, sizeof kControlBytes);
    std::memcpy(static_cast<char*>(record) + 12, &kControlSteps, sizeof kControlSteps);
    return 1;
  }
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

int WINAPI PluginResetControl(uint16_t id) {
  LogCall(TESTPLUGIN_NAME " ResetControl %u", id);
  return 1;
}

// Logs the total, the progress value handed in and the text the progress
// dialog shows, then takes its steps.
int WINAPI PluginSendControl(uint16_t id, HWND dialog, int* progress, int total, int zero) {
  char text[256] = "";
  if (dialog) GetDlgItemTextA(dialog, 1751, text, sizeof text);
  LogCall(TESTPLUGIN_NAME " SendControl %u %d %d %d %d %s", id, total, progress ? *progress : -1, zero,
          dialog && IsWindowVisible(dialog) ? 1 : 0, text);
  if (progress) *progress += static_cast<int>(kControlSteps);
  return 1;
}

uint16_t WINAPI PluginRegister(int slot, int* nextCommandId) {
  LogCall(TESTPLUGIN_NAME " Register %d %d", slot, nextCommandId ? *nextCommandId : -1);
  if (nextCommandId) {
    g_firstCommand = *nextCommandId;
    *nextCommandId += kCommandsTaken;
  }
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

// Adds one item with the plug-in's first command id, as a plug-in hangs its
// window commands on the menus it is handed.
void WINAPI PluginMenu1(uint16_t id, HWND window, HMENU menu, int value, int zero) {
  LogCall(TESTPLUGIN_NAME " Menu74 %u %d %d", id, value, zero);
  if (IsMenu(menu) && g_firstCommand) AppendMenuA(menu, MF_STRING, g_firstCommand, TESTPLUGIN_NAME);
}

void WINAPI PluginMenu2(uint16_t id, HWND window, HMENU menu, int value, int zero) {
  LogCall(TESTPLUGIN_NAME " Menu75 %u %d %d", id, value, zero);
}

// The frame's menu opening: the whole id word (the id sits in its low word),
// whether a real menu came, and the busy state.
void WINAPI PluginCommand(uint32_t idAndCode, HWND stepEditor, int command, int zero) {
  LogCall(TESTPLUGIN_NAME " Command %u %u %d %d", LOWORD(idAndCode), HIWORD(idAndCode), command, zero);
}

void WINAPI PluginMenuState(uint32_t id, HMENU menu, int busy) {
  LogCall(TESTPLUGIN_NAME " MenuState %u %d %d", id, IsMenu(menu) ? 1 : 0, busy);
}

void WINAPI PluginRestoreLayout(uint16_t id, int showCommand) {
  LogCall(TESTPLUGIN_NAME " RestoreLayout %u %d", id, showCommand);
}

void WINAPI PluginSaveLayout(uint16_t id) { LogCall(TESTPLUGIN_NAME " SaveLayout %u", id); }

void WINAPI PluginFrameClose(uint16_t id) { LogCall(TESTPLUGIN_NAME " FrameClose %u", id); }

}  // extern "C"
