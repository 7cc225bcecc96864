// Entry points of the play monitor library, bound by ordinal. Each is null
// while no monitor (or no such ordinal) is bound; every call site tests it.
#pragma once
#include <windows.h>

namespace zkplaymon {
// The five callbacks the host hands the monitor (SetPlayMonChecks), in order.
using ActivateFn = void(CALLBACK*)(HWND a, HWND b, int windowMenuIndex, int c, int d,
                                   const char* menuName);
using ActivateTrackFn = int(CALLBACK*)(int track);
using IsPlayingFn = int(CALLBACK*)();
using SharedKeyFn = void(CALLBACK*)(int virtualKey);
using SetWindowFn = HWND(CALLBACK*)(HWND window);
// The immediate-send routine handed with SetDefaults2.
using SendNowFn = int(CALLBACK*)(int status, int channelAndPort, int data1, int data2);

using GetPlaymonTypeFn = int(WINAPI*)(char* title, char* version);                 // 2048
using SetLPPLAYDATFn = void*(WINAPI*)(void* playTrackData);                        // 1024
using SetLPPLAYMonFn = void*(WINAPI*)(void* playMonRing);                          // 1025
using SetPlayMonChecksFn = int(WINAPI*)(ActivateFn, ActivateTrackFn, IsPlayingFn, SharedKeyFn,
                                        SetWindowFn);                              // 1026
using SetDefaultsFn = int(WINAPI*)(const LOGFONTA* font, int value, int stripCount);  // 1027
using SetPlayMonPosFn = int(WINAPI*)(int a, int b);                                // 1028
using ShowPlayMonFn = int(WINAPI*)(int show);                                      // 1029
using GetPMonDefaultsFn = int(WINAPI*)();                                          // 1030
using WritePMonDefaultsFn = int(WINAPI*)();                                        // 1031
using GetPMonDeskTopFn = int(WINAPI*)(void* placement);                            // 1032
using RegisterPlayMonFn = int(WINAPI*)();                                          // 1033
using CreatePlaymonFn = HWND(WINAPI*)(HWND mdiClient, const char* title, int mdiChild);  // 1034
using PlaymonKeyFn = int(WINAPI*)(int command);                                    // 1035
using SetDefaults2Fn = int(WINAPI*)(int value, SendNowFn sendNow);                 // 1040
}  // namespace zkplaymon

struct PlayMonEntries {
  HMODULE library = nullptr;
  HWND window = nullptr;   // the monitor's window while it is open
  zkplaymon::SetLPPLAYDATFn setLPPLAYDAT = nullptr;
  zkplaymon::SetLPPLAYMonFn setLPPLAYMon = nullptr;
  zkplaymon::SetPlayMonChecksFn setPlayMonChecks = nullptr;
  zkplaymon::SetDefaultsFn setDefaults = nullptr;
  zkplaymon::SetPlayMonPosFn setPlayMonPos = nullptr;
  zkplaymon::ShowPlayMonFn showPlayMon = nullptr;
  zkplaymon::GetPMonDefaultsFn getPMonDefaults = nullptr;
  zkplaymon::WritePMonDefaultsFn writePMonDefaults = nullptr;
  zkplaymon::GetPMonDeskTopFn getPMonDeskTop = nullptr;
  zkplaymon::RegisterPlayMonFn registerPlayMon = nullptr;
  zkplaymon::CreatePlaymonFn createPlaymon = nullptr;
  zkplaymon::PlaymonKeyFn playmonKey = nullptr;
  zkplaymon::SetDefaults2Fn setDefaults2 = nullptr;
};
extern PlayMonEntries g_playmon;
