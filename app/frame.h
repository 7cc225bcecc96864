// The MDI frame window (class zkfwFrame): lays out the tool bar, status line,
// MDI client and score pane, and receives what arrives from outside the
// user-interface code: the engine's notifications, monitor marks and MIDI
// input, the end of play, and the display remote's sends.
#pragma once
#include <windows.h>
#include <cstdint>

#include "zk/playdata.h"

constexpr char kFrameClass[] = "zkfwFrame";
constexpr int kMdiClientId = 3244;
constexpr int kFirstMdiChildId = 4500;
constexpr int kWindowMenuIndex = 4;

// Private messages of the frame besides those of zk/messages.h.
constexpr UINT WM_ZK_KEEP2271 = 2271;
constexpr UINT WM_ZK_CTRLMENU = 2272;
constexpr UINT WM_ZK_SHAREDBLOCK = 3019;
constexpr UINT WM_ZK_KEEP4020 = 4020;
constexpr UINT WM_ZK_NAMELISTASK = 4021;
constexpr UINT WM_ZK_NAMELISTMODULE = 4022;
constexpr UINT WM_ZK_ERRLOGADD = 6400;
// Command the frame posts itself at the end of play (next playlist song).
constexpr UINT kCmdNextListSong = 2379;

LRESULT CALLBACK MPFrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The engine's rings as the frame keeps them.
struct FrameRings {
  PlayMonRecord* monRing = nullptr;
  uint16_t monCount = 0;
  uint16_t monRead = 0;
  uint8_t* textRing = nullptr;
  uint16_t textSize = 0;
  uint16_t textRead = 0;
  uint16_t textRunUpTo = 0;
};
extern FrameRings g_rings;

// Copies what the frame takes from a ring record into a track's record: the
// value, measure and event in measure, and the meter raised to the ring's
// when that is higher.
void CopyMonitorFields(const PlayMonRecord& from, PlayMonRecord& to);

// Lays the frame out again from its client size.
void LayOutFrame(HWND frame, int width, int height);
