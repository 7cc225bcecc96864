// Inside the virtual winmm.dll: the state every part shares, in one record.
#pragma once
// We define the multimedia calls ourselves: no import declarations.
#define _WINMM_
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vwinmm.h"

// Where an open handle reports to (the fdwOpen callback kinds).
struct VmCallback {
  DWORD type = CALLBACK_NULL;  // fdwOpen & CALLBACK_TYPEMASK
  DWORD_PTR target = 0;
  DWORD_PTR instance = 0;
};
// Calls out; never with g_vm.mu held.
void VmNotify(const VmCallback& cb, HANDLE h, UINT msg, DWORD_PTR p1, DWORD_PTR p2);
// MMSYSERR_INVALPARAM when the callback of an open cannot be used.
MMRESULT VmCheckCallback(DWORD fdwOpen, DWORD_PTR target, VmCallback* out);

// One open output handle: a plain port or a stream. Its thread returns sent
// long messages and plays the stream's buffers.
struct VmOut {
  UINT device = 0;
  bool mapper = false;
  bool stream = false;
  VmCallback cb;
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  HANDLE wake = nullptr;  // auto-reset: state changed
  HANDLE ack = nullptr;   // auto-reset: MOM_OPEN delivered
  ~VmOut() {
    if (wake) CloseHandle(wake);
    if (ack) CloseHandle(ack);
  }
  // Below: guarded by g_vm.mu.
  bool quit = false;
  std::vector<HANDLE> returnWaiters;  // midiStreamStop / midiOutReset callers
  std::deque<MIDIHDR*> sent;          // long messages awaiting MOM_DONE
  std::deque<MIDIHDR*> queue;         // stream buffers in play order
  DWORD offset = 0;                   // next event in queue.front()
  DWORD volume = 0xFFFFFFFF;
  // Stream clock. Ticks count from the position origin (open, stop).
  bool playing = false;
  bool started = false;     // ran since the origin
  int64_t startMicros = 0;  // device time at tick 0
  int64_t pausedTotal = 0;  // time spent paused since then
  int64_t pausedAt = 0;
  int64_t cursorTick = 0;   // tick of the last event played
  int64_t anchorTick = 0;   // the tempo in force since this tick...
  int64_t anchorMap = 0;    // ...which the tempo map puts here (playing time)
  DWORD tempo = 500000;     // microseconds per quarter
  DWORD timeDiv = 96;       // ticks per quarter
};

struct VmInJob {
  DWORD msg;
  DWORD timeMs;
  HANDLE done;
};

struct VmIn {
  UINT device = 0;
  VmCallback cb;
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  HANDLE wake = nullptr;
  HANDLE ack = nullptr;
  ~VmIn() {
    if (wake) CloseHandle(wake);
    if (ack) CloseHandle(ack);
  }
  // Below: guarded by g_vm.mu.
  bool quit = false;
  std::vector<HANDLE> returnWaiters;  // midiInReset callers
  bool started = false;
  std::deque<MIDIHDR*> buffers;
  std::deque<VmInJob*> jobs;
};

struct VmTimer {
  UINT id;
  int64_t due;  // device micros
  UINT period;  // ms; 0 for one-shot
  LPTIMECALLBACK fn;
  DWORD_PTR user;
  UINT flags;
};

struct VmState {
  std::mutex mu;
  std::vector<std::string> outNames;
  std::vector<std::string> inNames;
  std::vector<std::shared_ptr<VmOut>> outs;
  std::vector<std::shared_ptr<VmIn>> ins;
  std::vector<UINT> failOpen;   // per output device: error for its next open
  std::vector<int> failShort;   // per output device: short messages to refuse
  // Timers: own thread, own wake event.
  std::vector<VmTimer> timers;
  UINT nextTimerId = 1;
  HANDLE timerThread = nullptr;
  DWORD timerThreadId = 0;
  HANDLE timerWake = nullptr;
  std::atomic<unsigned> timerChanges{0};  // counts timers set: ends a wait
  UINT firingTimer = 0;  // id whose callback runs now
  HANDLE timerFired = nullptr;  // manual-reset: no callback running
  // Clock.
  LARGE_INTEGER qpcFreq{};
  LARGE_INTEGER qpcOrigin{};
  double clockRate = 1.0;
  DWORD timeBase = 0;  // timeGetTime at attach
};
extern VmState g_vm;

// Splits "a;b;c" into names (empty text: none).
std::vector<std::string> VmSplitNames(const char* text);

// Device clock, microseconds since attach, VMIDI_CLOCKRATE times real time.
int64_t VmNow();
// Waits until the device clock reaches due; false when wake was signalled
// first. A fine wait spins its last millisecond or so (streams); a coarse one
// may run up to a millisecond late and spends no processor.
bool VmWaitUntil(int64_t due, HANDLE wake, bool fine);
void VmClockInit();

void VmLogInit();
void VmLogClose();
void VmLog(int device, int kind, uint32_t message, int64_t tick, int64_t tickMicros,
           const void* data, int length);

std::shared_ptr<VmOut> VmFindOut(HANDLE h);  // under g_vm.mu
std::shared_ptr<VmIn> VmFindIn(HANDLE h);    // under g_vm.mu
// Opens an output handle and starts its thread; MOM_OPEN delivered on return.
MMRESULT VmOpenOut(UINT device, DWORD_PTR cb, DWORD_PTR inst, DWORD fdwOpen, bool stream,
                   HANDLE* out);
MMRESULT VmCloseOut(HANDLE h, bool stream);
// Has the thread of o return every queued header (done, MOM_DONE) and reset
// the stream position; returns once it has.
void VmReturnAll(const std::shared_ptr<VmOut>& o);
// Plays the next event of the buffer at the front once due, or returns the
// finished buffer; the handle thread's part. Called with the lock held: false,
// with the lock still held, when there is nothing to play; else true, with
// the lock released.
bool VmStreamStep(const std::shared_ptr<VmOut>& o, std::unique_lock<std::mutex>& lk);
// The stream's playing time now (device micros since tick 0, pauses taken out).
int64_t VmStreamPlayMicros(const VmOut& o, int64_t now);

// Error texts shared by midiOut/midiIn.
MMRESULT VmErrorText(MMRESULT err, char* text, UINT cch);
