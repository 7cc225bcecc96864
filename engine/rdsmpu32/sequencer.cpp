// The sequencer queue and its clock: a thread of the library's own steps the
// device time (1/24 ms units, from timeGetTime) and plays every queued word
// that is due. Waits count ticks of 1/480 quarter; a tempo word 0xE1nn with
// value v makes one tick last v / nn units (0xE1F0, 6000: tempo 120).
#include <cstring>
#include <utility>

#include "smpustate.h"

namespace {
int g_failPuts = 0;
// A put to hold before it returns (RdsHoldSeqPut).
HANDLE g_holdReached = nullptr, g_holdRelease = nullptr;

// Layout of the words pushed so far, to see an end word in the queue.
bool g_pushValueNext = false, g_pushInSysex = false;

bool IsChannelCode(int code) { return code >= 0x80 && code <= 0xE0 && (code & 0x0F) == 0; }
bool TakesValue(int code) { return IsChannelCode(code) || code == 0xE1 || code == 0xE3 || code == 0xF2; }
bool EndsSysex(WORD w) { return (w >> 8) == 0xF7 || (w & 0xFF) == 0xF7; }

void TrackPush(WORD w) {
  SmpuState& s = g_smpu;
  if (g_pushValueNext) {
    g_pushValueNext = false;
  } else if (g_pushInSysex) {
    g_pushInSysex = !EndsSysex(w);
  } else if (w == kPwEndFill || w == kPwEnd) {
    s.endQueued = true;
  } else {
    g_pushValueNext = TakesValue(w >> 8);
    g_pushInSysex = (w >> 8) == 0xF0;
  }
}

void ClearQueue() {
  g_smpu.queue.Clear();
  g_smpu.endQueued = false;
  g_pushValueNext = g_pushInSysex = false;
}

// Words of the event at the queue's head; 0 while it is not complete.
size_t EventLength(const WordQueue& q) {
  if (q.count == 0) return 0;
  int code = q.At(0) >> 8;
  if (TakesValue(code)) return q.count >= 2 ? 2 : 0;
  if (code != 0xF0) return 1;
  for (size_t i = 1; i < q.count; ++i)
    if (EndsSysex(q.At(i))) return i + 1;
  return 0;
}

void SetStatus(short status) {
  if (g_smpu.seqStatus == status) return;
  g_smpu.seqStatus = status;
  RaiseEvents(SMPU_EV_SEQSTATUS);
}

void PlayChannel(WORD w, WORD value) {
  SmpuState& s = g_smpu;
  int code = w >> 8, ch = w & 0x0F, port = (w >> 4) & 1;
  int d1 = (value >> 8) & 0x7F, d2 = value & 0x7F;
  DWORD msg = static_cast<DWORD>(code | ch) | d1 << 8;
  if (code != 0xC0 && code != 0xD0) msg |= d2 << 16;
  uint8_t& keyBits = s.sounding[port][ch][d1 >> 3];
  if (code == 0x90 && d2) keyBits |= 1 << (d1 & 7);
  else if (code == 0x80 || code == 0x90) keyBits &= ~(1 << (d1 & 7));
  SendShort(port, msg);
}

void PlaySysex(size_t n) {
  SmpuState& s = g_smpu;
  int port = (s.queue.At(0) & 0xFF) >> 4 & 1;
  std::vector<BYTE> bytes{0xF0};
  for (size_t i = 1; i < n; ++i) {
    WORD w = s.queue.At(i);
    bytes.push_back(w >> 8);
    if ((w >> 8) == 0xF7) break;
    bytes.push_back(w & 0xFF);
  }
  SendLong(port, bytes.data(), bytes.size());
}

// Plays every due word; stops at a wait that is not over, at an event not
// yet complete in the queue, or at the end.
void PlayDue() {
  SmpuState& s = g_smpu;
  while (s.seqStatus == SMPU_SEQ_PLAYING && s.queue.count) {
    if (static_cast<int32_t>(s.nextDue - s.curTime) > 0) break;
    size_t n = EventLength(s.queue);
    if (n == 0) break;
    WORD w = s.queue.At(0);
    int code = w >> 8, nn = w & 0xFF;
    WORD value = n >= 2 ? s.queue.At(1) : 0;
    if (IsChannelCode(code)) {
      PlayChannel(w, value);
    } else if (code == 0xE1) {
      if (nn && value) {
        s.tempoCode = static_cast<WORD>(nn);
        s.tempoValue = value;
        s.waitCarry = 0;
      }
    } else if (code == 0xE3) {
      if (s.monSw && s.monitor.Free() >= 2) {
        s.monitor.Push(w);
        s.monitor.Push(value);
        RaiseEvents(SMPU_EV_MONITOR);
      }
    } else if (code == 0xE8) {
      uint32_t units = s.waitCarry + static_cast<uint32_t>(nn) * s.tempoValue;
      s.nextDue += units / s.tempoCode;
      s.waitCarry = units % s.tempoCode;
    } else if (w == kPwEndFill || w == kPwEnd) {
      s.queue.Drop(n);
      ReleaseSounding();
      SetStatus(SMPU_SEQ_ENDED);
      return;
    } else if (code == 0xF0) {
      PlaySysex(n);
    } else if (code == 0xF2) {
      DWORD msg = 0xF2 | (value & 0x7F) << 8 | ((value >> 7) & 0x7F) << 16;
      SendShort(0, msg);
      if (s.out[1] != s.out[0]) SendShort(1, msg);
    }
    s.queue.Drop(n);
  }
}

// One step of the clock; returns the callbacks to call without the lock.
void ClockStep(SMPUCALLBACK& send, SMPUCALLBACK& recv) {
  SmpuState& s = g_smpu;
  DWORD now = timeGetTime();
  if (s.seqStatus == SMPU_SEQ_PLAYING) s.curTime += (now - s.lastMs) * 24;
  s.lastMs = now;
  PlayDue();
  SendDueQuarterFrames();
  if (s.reportIntervalMs > 0 && now - s.lastReportMs >= static_cast<DWORD>(s.reportIntervalMs)) {
    s.lastReportMs = now;
    RaiseEvents(SMPU_EV_REPORT);
  }
  if (s.seqStatus == SMPU_SEQ_PLAYING && !s.endQueued && s.queue.count < static_cast<size_t>(s.queueLow)) {
    if (s.openParam.sendEnable && s.openParam.sendCallback) send = s.openParam.sendCallback;
    else RaiseEvents(SMPU_EV_SEQSEND);
  }
  if (s.recorded.count) {
    if (s.openParam.recvEnable && s.openParam.recvCallback) recv = s.openParam.recvCallback;
    else RaiseEvents(SMPU_EV_RECDATA);
  }
}

DWORD WINAPI ClockThread(LPVOID module) {
  SmpuState& s = g_smpu;
  timeBeginPeriod(1);
  HANDLE events[2] = {s.stopEvent, s.wakeEvent};
  for (;;) {
    DWORD w = WaitForMultipleObjects(2, events, FALSE, 1);
    if (w != WAIT_TIMEOUT && w != WAIT_OBJECT_0 + 1) break;
    SMPUCALLBACK send = nullptr, recv = nullptr;
    {
      std::lock_guard<std::recursive_mutex> hold(s.lock);
      if (!s.open) continue;
      ClockStep(send, recv);
    }
    if (send) send(kHandle);
    if (recv) recv(kHandle);
  }
  timeEndPeriod(1);
  // The thread holds its own reference to the library, so that an unload
  // never pulls the code from under it.
  FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
  return 0;
}
}  // namespace

DWORD LiveTime() {
  SmpuState& s = g_smpu;
  if (s.seqStatus != SMPU_SEQ_PLAYING) return s.curTime;
  return s.curTime + (timeGetTime() - s.lastMs) * 24;
}

void StartClockThread() {
  SmpuState& s = g_smpu;
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ClockThread), &self);
  s.stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  s.wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  s.thread = CreateThread(nullptr, 0, ClockThread, self, 0, &s.threadId);
  if (s.thread) SetThreadPriority(s.thread, THREAD_PRIORITY_TIME_CRITICAL);
  else FreeLibrary(self);
}

void StopClockThread() {
  SmpuState& s = g_smpu;
  if (!s.thread) return;
  SetEvent(s.stopEvent);
  // Closed from a callback: the thread ends once the callback returns.
  if (GetCurrentThreadId() != s.threadId) WaitForSingleObject(s.thread, 10000);
  CloseHandle(s.thread);
  CloseHandle(s.stopEvent);
  CloseHandle(s.wakeEvent);
  s.thread = s.stopEvent = s.wakeEvent = nullptr;
  s.threadId = 0;
}

void WakeClock() {
  if (g_smpu.wakeEvent) SetEvent(g_smpu.wakeEvent);
}

void ResetSequencer() {
  SmpuState& s = g_smpu;
  ClearQueue();
  s.monitor.Clear();
  s.seqStatus = SMPU_SEQ_STOPPED;
  s.curTime = s.nextDue = s.waitLeft = 0;
  s.tempoCode = kDefaultTempoCode;
  s.tempoValue = kDefaultTempoValue;
  s.waitCarry = 0;
  s.lastMs = timeGetTime();
  std::memset(s.sounding, 0, sizeof s.sounding);
}

// Stops the clock where it is, keeping the rest of the current wait.
void StopClock() {
  SmpuState& s = g_smpu;
  if (s.seqStatus != SMPU_SEQ_PLAYING) return;
  s.curTime = LiveTime();
  s.waitLeft = static_cast<int32_t>(s.nextDue - s.curTime) > 0 ? s.nextDue - s.curTime : 0;
  ReleaseSounding();
  SetStatus(SMPU_SEQ_STOPPED);
}

namespace {
// Under the lock: the words that fit go into the queue.
SMPURESULT QueueWords(short handle, const WORD* words, short count) {
  SmpuState& s = g_smpu;
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (count < 0 || (count && !words)) return SMPU_ERR_PARAM;
  if (g_failPuts > 0) {
    --g_failPuts;
    return SMPU_ERR_DEVICE;
  }
  size_t take = s.queue.Free() < static_cast<size_t>(count) ? s.queue.Free() : static_cast<size_t>(count);
  for (size_t i = 0; i < take; ++i) {
    s.queue.Push(words[i]);
    TrackPush(words[i]);
  }
  // Words taken: the clock may play them, or ask for more, at once.
  if (take) WakeClock();
  return static_cast<SMPURESULT>(take);
}
}  // namespace

SMPUAPI SMPURESULT WINAPI SMPUPutSeqBlock(short handle, const WORD* words, short count) {
  CallLog("SMPUPutSeqBlock %d %s", handle, WordsText(words, count).c_str());
  SMPURESULT taken = 0;
  HANDLE reached = nullptr, release = nullptr;
  {
    std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
    taken = QueueWords(handle, words, count);
    if (taken > 0 && g_holdRelease) {
      std::swap(reached, g_holdReached);
      std::swap(release, g_holdRelease);
    }
  }
  // Held without the lock, so that the device goes on meanwhile.
  if (release) {
    SetEvent(reached);
    WaitForSingleObject(release, 10000);
  }
  return taken;
}

SMPUAPI SMPURESULT WINAPI SMPUSeqQStart(short handle, short mode) {
  CallLog("SMPUSeqQStart %d %d", handle, mode);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (mode != 0 && mode != 1) return SMPU_ERR_PARAM;
  StopClock();
  if (mode == 0) {
    s.curTime = s.nextDue = s.waitLeft = 0;
    s.tempoCode = kDefaultTempoCode;
    s.tempoValue = kDefaultTempoValue;
    s.waitCarry = 0;
  } else {
    s.nextDue = s.curTime + s.waitLeft;
  }
  s.lastMs = timeGetTime();
  s.recLast = s.curTime;
  s.recCarry = 0;
  SetStatus(SMPU_SEQ_PLAYING);
  WakeClock();
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSeqStop(short handle, short flag) {
  CallLog("SMPUSeqStop %d %d", handle, flag);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  StopClock();
  if (s.seqStatus == SMPU_SEQ_ENDED) SetStatus(SMPU_SEQ_STOPPED);
  if (flag) {
    ClearQueue();
    s.waitLeft = 0;
    s.waitCarry = 0;
  }
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSeqSuspend(short handle) {
  CallLog("SMPUSeqSuspend %d", handle);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  StopClock();
  if (s.seqStatus == SMPU_SEQ_ENDED) SetStatus(SMPU_SEQ_STOPPED);
  ClearQueue();
  s.waitLeft = 0;
  s.waitCarry = 0;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSeqRStart(short handle, short flag, DWORD position) {
  CallLog("SMPUSeqRStart %d %d %lu", handle, flag, static_cast<unsigned long>(position));
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  StopClock();
  if (flag) s.curTime = position;
  s.nextDue = s.curTime + s.waitLeft;
  s.lastMs = timeGetTime();
  s.recLast = s.curTime;
  SetStatus(SMPU_SEQ_PLAYING);
  WakeClock();
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUGetSeqStatus(short handle) {
  CallLog("SMPUGetSeqStatus %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  return g_smpu.seqStatus;
}

SMPUAPI SMPURESULT WINAPI SMPUGetEvent(short handle, WORD mask) {
  CallLog("SMPUGetEvent %d %04X", handle, mask);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  WORD bits = s.pending & mask & SMPU_EV_ALL;
  s.pending &= ~bits;
  return static_cast<SMPURESULT>(bits);
}

SMPUAPI SMPURESULT WINAPI SMPUGetMonBlock(short handle, WORD* buffer, short max) {
  CallLog("SMPUGetMonBlock %d %d", handle, max);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (max < 0 || (max && !buffer)) return SMPU_ERR_PARAM;
  size_t n = s.monitor.count < static_cast<size_t>(max) ? s.monitor.count : static_cast<size_t>(max);
  for (size_t i = 0; i < n; ++i) buffer[i] = s.monitor.At(i);
  s.monitor.Drop(n);
  return static_cast<SMPURESULT>(n);
}

SMPUAPI void WINAPI RdsFailSeqPuts(int count) {
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  g_failPuts = count;
}

SMPUAPI void WINAPI RdsHoldSeqPut(HANDLE reached, HANDLE release) {
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  g_holdReached = release ? reached : nullptr;
  g_holdRelease = reached ? release : nullptr;
}
