// The play monitor's state: what the host handed it, and its placement.
#pragma once
#include <windows.h>

using PlayMonActivateFn = void(CALLBACK*)(HWND a, HWND b, int windowMenuIndex, int c, int d,
                                          const char* menuName);
using PlayMonActivateTrackFn = int(CALLBACK*)(int track);
using PlayMonIsPlayingFn = int(CALLBACK*)();
using PlayMonSharedKeyFn = void(CALLBACK*)(int virtualKey);
using PlayMonSetWindowFn = HWND(CALLBACK*)(HWND window);
using PlayMonSendNowFn = int(CALLBACK*)(int status, int channelAndPort, int data1, int data2);

// [DeskTop] "PlayMonitor2": state, show command, flags, then the minimised
// and maximised positions and the normal rectangle.
constexpr int kPlacementValues = 11;

struct PlayMonState {
  HINSTANCE instance = nullptr;
  void* playTrackData = nullptr;   // the host's 100 per-track records
  void* playMonRing = nullptr;
  PlayMonActivateFn activate = nullptr;
  PlayMonActivateTrackFn activateTrack = nullptr;
  PlayMonIsPlayingFn isPlaying = nullptr;
  PlayMonSharedKeyFn sharedKey = nullptr;
  PlayMonSetWindowFn setWindow = nullptr;
  LOGFONTA font{};
  int defaultsValue = 0;
  int stripCount = 0;
  int defaults2Value = 0;
  PlayMonSendNowFn sendNow = nullptr;
  int placement[kPlacementValues] = {};
  int placementCount = 0;          // values read from the settings
  bool placementRead = false;
  int feeder = 0;                  // "Feeder11" of its own section
  HWND window = nullptr;
};
extern PlayMonState g_monitor;

constexpr char kMonitorClass[] = "ZKPlayMonitor";
constexpr char kStripClass[] = "ZKPlayMonStrip";

bool RegisterMonitorClasses(HINSTANCE instance);
void UnregisterMonitorClasses(HINSTANCE instance);
HWND CreateMonitorWindow(HWND mdiClient, const char* title, bool mdiChild);

// Parses "a,b,c,..." into at most max values; returns how many were read.
int ParsePlacement(const char* text, int* values, int max);
