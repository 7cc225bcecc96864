// The Super MPU engine: the shell's exports on the interface's own sequencer,
// reached through the driver library. Its globals are one record.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include <zk/messages.h>
#include <zk/playdata.h>

#include "engineshell.h"
#include "rdsmpu32.h"

constexpr int kRdsPorts = 5;                 // A-D and one spare
constexpr uint16_t kPortUnassigned = 0xFFFF;
constexpr int kRdsChannelLines = 33;         // 32 interface channels, system line
constexpr int kMonitorBlockWords = 5000;
constexpr short kMonitorReadWords = 100;
constexpr short kRecordReadWords = 250;
constexpr const char kPortBDeviceName[] = "S-MPU MIDI Out B Port";

// lParam values of 2260 of this engine besides the recorder's.
constexpr LPARAM kNotifyTimeCode = 257;
constexpr LPARAM kNotifyHeld = 1024;

struct RdsPort {
  uint16_t channelBase = 0;       // 0, or 16 on the port B device
  uint16_t assigned = kPortUnassigned;
  uint32_t handleWord = 0;
};

struct RdsState {
  std::atomic<short> handle{-1};
  SMPUOPENPARAM open{};
  RdsPort port[kRdsPorts];
  uint8_t optionSw = 0, monitorFilter = 0, monitorAllCc = 0;
  bool realTime = false;
  int stability = 48000;
  // The library's own reference while the device is open: the driver's
  // thread calls into it until the device closes, whoever unloads it.
  HMODULE selfReference = nullptr;
  HGLOBAL monitorBlock = nullptr;
  WORD* monitorWords = nullptr;

  // The play ring: words the builder wrote and the device has not taken.
  // It grows rather than overwrite words not yet handed over.
  std::vector<PlayEventWord> ring;
  size_t ringRead = 0;
  // Counts the times the ring was emptied for a new start (under the lock).
  uint32_t ringGeneration = 0;
  uint32_t tickCarry = 0;

  // Play state.
  std::atomic<bool> waitingForActive{false};
  std::atomic<bool> holdPending{false};
  std::atomic<bool> seeking{false};
  std::atomic<int> stopCounter{0};
  std::atomic<int> sendCalls{0};     // re-entrancy of the send callback
  std::atomic<int> blocksSent{0};
  DWORD frozenTime = 0;              // device units while paused
  DWORD smpteOffset = 0;             // device units
  int startOffsetMs = 0;
  // The saved play set-up.
  int recordFlags = 0;
  int playMode = 0;
  int startFlag = 1;
  int recordLeadIn = 0;              // ticks recorded before the point
  bool timeCodeAsked = false;
  BYTE timeCode[5] = {};
  int pendingMark = -1;              // a mark whose value is in the next block
  bool immediateRecording = false;
  HGLOBAL immRecord = nullptr;
};

extern RdsState g_rds;

short RdsHandle();
bool RdsOpen();
// Switches: written only when the driver reads another value.
void SetSwitch(SMPURESULT (WINAPI* get)(short), SMPURESULT (WINAPI* set)(short, short), short value);
void SetSync(BYTE mode, BYTE frameType);
// One line message with the busy retry; the last result.
SMPURESULT PutLineMessage(WORD word1, WORD word2);
// Interface channel of a port's channel, -1 when the port sends nothing.
int InterfaceChannel(int port, int channel);
// Song position pointer to every assigned port.
void SendSongPositionToPorts(int sixteenths);
// Release of the play state shared by stop and close.
void ReleaseRdsPlay();
// The ring (queue.cpp).
void ClearRing();
// Under the lock: the ring emptied for a new start; a feed under way then
// drops what the device told it.
void ResetRingLocked();
size_t RingPending();
// Play set-up after the interface reports its sequencer play active.
void RunPlaySetUp();
void StartQueue(int startFlag);
// Open and close of the device.
short OpenDevice(HWND window);
void CloseDevice();

// Exports the poll calls as well.
extern "C" int WINAPI RSSCallBackMan(int);
extern "C" int WINAPI GetBuffer();
