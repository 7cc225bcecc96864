// The 16 controller plug-in slots. Each entry is null until its library is
// bound; every call site tests it (and the slot's id) first.
#pragma once
#include <windows.h>
#include <cstdint>

struct ControllerPlugin {
  HMODULE library = nullptr;
  uint16_t id = 0;                 // 0 = not registered
  HGLOBAL songData = nullptr;      // per-song handle
  HGLOBAL (WINAPI* newSongData)(uint16_t id) = nullptr;                          // 67
  void (WINAPI* setSongData)(uint16_t id, HGLOBAL data, const char* gsd) = nullptr;  // 68
  void (WINAPI* saveLayout)(uint16_t id) = nullptr;                              // 71
  int (WINAPI* closeHook)(uint16_t id, UINT stringId) = nullptr;                 // 73
  void (WINAPI* saveSettings)(uint16_t id) = nullptr;                            // 128
  // Control files: whether the plug-in knows a file by its first bytes, its
  // information record (ControllerInfo), and sending its control data.
  int (WINAPI* knowsControlFile)(uint16_t id, HGLOBAL head, int zero) = nullptr;   // 100
  int (WINAPI* information)(uint16_t id, void* info) = nullptr;                   // 101
  int (WINAPI* resetControlData)(uint16_t id) = nullptr;                           // 102
  int (WINAPI* sendControlData)(uint16_t id, HWND dialog, int* progress, int total,
                                int zero) = nullptr;                             // 103
  // Registration, set-up and start (bound at load, called in this order).
  uint16_t (WINAPI* registerPlugin)(int slot, int* nextCommandId) = nullptr;     // 64
  void (WINAPI* setUp)(uint16_t id, const LOGFONTA* font, COLORREF text, COLORREF back,
                       COLORREF markedText, COLORREF markedBack) = nullptr;      // 66
  void (WINAPI* setUpDone)(uint16_t id) = nullptr;                               // 129
  void (WINAPI* engineAccess)(uint16_t id, void* waitExec, void* sendBuffer,
                              void* getBuffer) = nullptr;                        // 96
  void (WINAPI* setPorts)(uint16_t id, int slot, int portMask) = nullptr;        // 69
  void (WINAPI* start)(uint16_t id, HWND mdiClient, HWND frame, int showCommand,
                       int zero) = nullptr;                                      // 65
  // Menu building: (id, window, menu, value, 0).
  void (WINAPI* menuEntry1)(uint16_t id, HWND window, HMENU menu, int value, int zero) = nullptr;  // 74
  void (WINAPI* menuEntry2)(uint16_t id, HWND window, HMENU menu, int value, int zero) = nullptr;  // 75
  void (WINAPI* restoreLayout)(uint16_t id, int showCommand) = nullptr;          // 70
  void (WINAPI* frameClose)(uint16_t id) = nullptr;                              // 255
  // Bound for the plug-in's own use by other parts of the program.
  FARPROC entry72 = nullptr, entry76 = nullptr, entry77 = nullptr, entry90 = nullptr,
          entry127 = nullptr;
};

// Ordinal 76, called as the frame's menu opens: (id in the low word, menu,
// busy) so the plug-in can set its own items.
using PluginMenuStateFn = void(WINAPI*)(DWORD id, HMENU menu, int busy);

// First command id handed out to plug-ins; registration advances the counter.
constexpr int kFirstPluginCommandId = 4030;

constexpr int kControllerPluginSlots = 16;
extern ControllerPlugin g_plugins[kControllerPluginSlots];
// The next command id a registering plug-in takes (it advances the counter).
extern int g_pluginNextCommandId;
