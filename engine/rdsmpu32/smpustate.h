// The library's state: one device, one record of globals. Every field is
// guarded by `lock`; the clock thread and the MIDI input thread take it too.
#pragma once
#define RDSMPU32_BUILD
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <zk/playdata.h>

#include "rdsmpu32.h"

constexpr short kHandle = 1;  // the one device's handle
constexpr int kLines = 33;    // 32 interface channels and the system line
constexpr WORD kDefaultTempoCode = 0xF0;  // tempo 120: 0xE1F0, 6000
constexpr WORD kDefaultTempoValue = 6000;

// A fixed-size word ring.
struct WordQueue {
  std::vector<WORD> words;
  size_t head = 0, count = 0;
  void Reset(size_t size) { words.assign(size, 0); head = count = 0; }
  size_t Free() const { return words.size() - count; }
  void Push(WORD w) { words[(head + count++) % words.size()] = w; }
  WORD At(size_t i) const { return words[(head + i) % words.size()]; }
  void Drop(size_t n) { head = (head + n) % words.size(); count -= n; }
  void Clear() { head = count = 0; }
};

struct SmpuState {
  std::recursive_mutex lock;
  bool open = false;
  SMPUOPENPARAM openParam{};

  // Settings read at open ([rdsmpu32] of ZKFW95.INI).
  int queueSize = 4096;
  int queueLow = 512;

  // Windows devices: ports A (interface channels 0-15) and B (16-31).
  HMIDIOUT out[2] = {};
  UINT outId[2] = {};
  HMIDIIN in = nullptr;
  UINT inId = 0xFFFF;

  // Switches and records.
  SMPUSYNCMODE sync{0, 7, 3};
  short clkReso = 4, recSw = 0, recPortSw = 0, tempoRecSw = 0, linkSw = 0, monSw = 0, thruSw = 0;
  short sendMidiRT = 0, midiOptionSw = 0, chaseSw = 0, midiSyncPort = 0, recBufMargin = 0;
  short activeSeqPlay = 0, monFilter = 0, monFilterAllCc = 0, tcRunning = 0;
  BYTE chThru[32] = {}, sysThru[2][2] = {}, recFilter[32] = {}, lineMon[kLines] = {};
  int reportIntervalMs = 0;
  DWORD lastReportMs = 0;

  // Sequencer.
  WordQueue queue, recorded, monitor;
  short seqStatus = SMPU_SEQ_STOPPED;
  bool endQueued = false;   // an end word is in the queue: no more send calls
  DWORD curTime = 0;        // device units of 1/24 ms
  DWORD nextDue = 0;        // time the next queued word plays
  DWORD waitLeft = 0;       // of the current wait when the clock stopped
  DWORD lastMs = 0;         // timeGetTime of the last clock step
  WORD tempoCode = kDefaultTempoCode, tempoValue = kDefaultTempoValue;
  uint32_t waitCarry = 0;   // remainder of tick-to-unit conversion (x code)
  uint8_t sounding[2][16][16] = {};  // port, channel, key bitset

  // Time code generator (tcRunning): it counts from tcBase at tcStartMs
  // (timeGetTime) and has sent tcSent quarter frames since.
  DWORD tcBase = 0, tcStartMs = 0, tcSent = 0;
  WORD tcFrameType = 3;

  // Recording.
  DWORD recLast = 0;        // device time of the last recorded event
  uint32_t recCarry = 0;
  bool recStarted = false;

  // Events.
  WORD pending = 0;
  short lastError = 0;

  // Clock thread.
  HANDLE thread = nullptr, stopEvent = nullptr, wakeEvent = nullptr;
  DWORD threadId = 0;
};

extern SmpuState g_smpu;
extern HINSTANCE g_smpuInstance;

// Call log (calllog.cpp): "Name" followed by the arguments.
void CallLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string WordsText(const WORD* words, int count);

// Under the lock: raise event bits; posts the open record's message when
// bits become newly pending.
void RaiseEvents(WORD bits);
bool ValidHandle(short handle);

// Output (device.cpp), under the lock.
MMRESULT SendShort(int port, DWORD msg);
MMRESULT SendLong(int port, const BYTE* bytes, size_t n);
void ReleaseSounding();

// Sequencer (sequencer.cpp).
DWORD LiveTime();  // current time including the clock's running part
void StartClockThread();
void StopClockThread();
void ResetSequencer();
void StopClock();
// Runs the clock's next step now rather than at its next tick.
void WakeClock();

// Time code (timecode.cpp), under the lock. The device time: the running
// generator's while the sequencer does not play.
DWORD DeviceTime();
// The generator's quarter frames that are due, on port A.
void SendDueQuarterFrames();

// Recording (recording.cpp).
void CALLBACK SmpuMidiInProc(HMIDIIN, UINT msg, DWORD_PTR, DWORD_PTR p1, DWORD_PTR p2);
void ResetRecording();
