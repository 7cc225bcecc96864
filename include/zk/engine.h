// The playback engines' exports, bound by ordinal. Every engine uses the
// standard calling convention and 32-bit integer arguments.
#pragma once
#include <windows.h>

namespace zkengine {
using GetVersionFn = int(WINAPI*)(char* buffer, int wantFileName);               // 2
using GetAppletTypeFn = int(WINAPI*)(char* title, char* version, short* type);   // 2048
using CheckPlayingFn = int(WINAPI*)();                                           // 3
using CheckPauseingFn = int(WINAPI*)();                                          // 100
using GetRecBytesFn = int(WINAPI*)();                                            // 4
using ChangeMIDIPortFn = int(WINAPI*)(int port, int deviceId, HGLOBAL handle, int attach);  // 6
using THRUAssignFn = int(WINAPI*)(int mode, int unused, int value, int unused2);  // 12
using SetRecBufFn = int(WINAPI*)(HGLOBAL a, HGLOBAL b);                          // 14
using EndCallback = void(CALLBACK*)();
using SetParentFrameFn = EndCallback(WINAPI*)(HWND window, EndCallback end);     // 15
using PlayFn = int(WINAPI*)(int a, int b, HGLOBAL songTable, int trackCount);    // 16
using StopSeqPlayFn = int(WINAPI*)();                                            // 19
using ResetMT32Fn = int(WINAPI*)(int port1, int port2);                          // 48
using GSResetFn = int(WINAPI*)(int second);                                      // 49
using SendMT32AllFn = int(WINAPI*)(HWND dialog, HGLOBAL image, int port, int laPort,
                                   int* progress, int progressMax, int waitArg);  // 50
using GSSendAllFn = int(WINAPI*)(HWND dialog, HGLOBAL image, int port, int* progress,
                                 int progressMax, int waitArg);                  // 51
using MidiOutImmMsgFn = int(WINAPI*)(int status, int channelAndPort, int data1, int data2);  // 64
using SendBufferFn = int(WINAPI*)(const BYTE* bytes, int length, int port);     // 192
using WaitExecFn = int(WINAPI*)(int unused);                                     // 193
using GetBufferFn = int(WINAPI*)();                                              // 194
using SetShareFlagFn = int(WINAPI*)(int value);                                  // 240
using GetShareFlagFn = int(WINAPI*)();                                           // 241
}  // namespace zkengine
