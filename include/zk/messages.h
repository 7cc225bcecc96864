// Window messages exchanged between the programs and libraries.
#pragma once
#include <windows.h>

// Engine to host.
constexpr UINT WM_ZK_PLAYNOTIFY = 2260;   // end of play, record events, hold
constexpr UINT WM_ZK_PLAYEND = 2261;      // end of stream
constexpr UINT WM_ZK_PLAYMARK = 2262;     // monitor mark: wParam nn, lParam value
constexpr UINT WM_ZK_SETPLAYMON = 2263;   // wParam its records, lParam PlayMonRing or 0
constexpr UINT WM_ZK_SETTEXTRING = 2264;  // wParam its bytes, lParam TextEventRing or 0
constexpr UINT WM_ZK_MIDIINPUT = 0x3C3;   // 963, as MM_MIM_DATA

// Within the main program.
constexpr UINT WM_ZK_SCOREFOLLOW = 2203;
constexpr UINT WM_ZK_TONEPICKED = 2205;
constexpr UINT WM_ZK_SETCURCHILD = 2270;
constexpr UINT WM_ZK_STEPCHANGED = 2753;
constexpr UINT WM_ZK_STEPCARET = 2754;
constexpr UINT WM_ZK_REFRESH = 2755;
constexpr UINT WM_ZK_TRACKSCHANGED = 2756;

// Display remote.
constexpr UINT WM_LCD_QUERYDROP = 0x8FA;
constexpr UINT WM_LCD_DROPPART = 0x8FB;
constexpr UINT WM_HOST_SENDSYSEX = 0x8FD;
constexpr UINT WM_HOST_SENDSHORT = 0x8FE;
constexpr UINT WM_ZK_REMOTE_SYSEX = 2301;   // received by the frame
constexpr UINT WM_ZK_REMOTE_SHORT = 2302;
