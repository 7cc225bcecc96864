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
  int (WINAPI* sendControlData)(uint16_t id, HWND dialog, int* progress, int total,
                                int zero) = nullptr;                             // 103
};

constexpr int kControllerPluginSlots = 16;
extern ControllerPlugin g_plugins[kControllerPluginSlots];
