// Device time and its SMPTE form, and the time code generator. A second is
// 24,000 units; a frame is 24,000 / frames-per-second units, split into
// 30,000 bits.
#include "smpustate.h"

namespace {
constexpr DWORD kUnitsPerSecond = 24000;
constexpr DWORD kUnitsPerDay = 24u * 3600u * kUnitsPerSecond;
// A generator that fell this far behind (a stalled clock thread) skips ahead
// rather than sending a burst.
constexpr DWORD kMostQuarterFramesAtOnce = 16;

int FramesPerSecond(int frameType) {
  switch (frameType) {
    case 0: return 24;
    case 1: return 25;
    case 2: case 3: return 30;
    default: return 0;
  }
}

SMPURESULT UnitsToHms(DWORD time, SMPUHMS* hms) {
  if (!hms) return SMPU_ERR_PARAM;
  int fps = FramesPerSecond(hms->frameType);
  if (!fps) return SMPU_ERR_PARAM;
  DWORD perFrame = kUnitsPerSecond / fps;
  DWORD seconds = time / kUnitsPerSecond, rest = time % kUnitsPerSecond;
  if (seconds / 3600 > 23) return SMPU_ERR_PARAM;
  hms->hours = static_cast<WORD>(seconds / 3600);
  hms->minutes = static_cast<WORD>(seconds / 60 % 60);
  hms->seconds = static_cast<WORD>(seconds % 60);
  hms->frames = static_cast<WORD>(rest / perFrame);
  hms->bits = static_cast<WORD>(rest % perFrame * 30000 / perFrame);
  return SMPU_OK;
}

// The fields of a time the interface cannot count (SMPU_HMS_* bits), 0 when
// it can.
int HmsFaults(const SMPUHMS& hms, int fps) {
  int faults = 0;
  if (hms.hours > 23) faults |= SMPU_HMS_HOURS;
  if (hms.minutes > 59) faults |= SMPU_HMS_MINUTES;
  if (hms.seconds > 59) faults |= SMPU_HMS_SECONDS;
  if (hms.frames >= fps) faults |= SMPU_HMS_FRAMES;
  // Drop-frame counting leaves out frames 0 and 1 of every minute but each
  // tenth.
  if (hms.frameType == 2 && hms.seconds == 0 && hms.minutes % 10 != 0 && hms.frames < 2)
    faults |= SMPU_HMS_DROPPED;
  return faults;
}

// SMPU_HMS_CONVERTED, the fault bits, or SMPU_ERR_PARAM.
SMPURESULT HmsToUnits(const SMPUHMS* hms, DWORD* time) {
  if (!hms || !time) return SMPU_ERR_PARAM;
  int fps = FramesPerSecond(hms->frameType);
  if (!fps || hms->bits >= 30000) return SMPU_ERR_PARAM;
  if (int faults = HmsFaults(*hms, fps)) return static_cast<SMPURESULT>(faults);
  DWORD perFrame = kUnitsPerSecond / fps;
  *time = ((hms->hours * 60u + hms->minutes) * 60u + hms->seconds) * kUnitsPerSecond + hms->frames * perFrame +
          hms->bits * perFrame / 30000;
  return SMPU_HMS_CONVERTED;
}

// Under the lock: the generator's time now.
DWORD GeneratorTime() {
  SmpuState& s = g_smpu;
  return (s.tcBase + (timeGetTime() - s.tcStartMs) * 24) % kUnitsPerDay;
}

// Under the lock: the generator goes on from time now.
void RestartGenerator(DWORD time) {
  SmpuState& s = g_smpu;
  s.tcBase = time % kUnitsPerDay;
  s.tcStartMs = timeGetTime();
  s.tcSent = 0;
}

// Quarter frame n of the generator: eight make one time, which is the time
// of the frame where its first piece went out.
DWORD QuarterFrameMessage(DWORD n) {
  SmpuState& s = g_smpu;
  DWORD quarter = kUnitsPerSecond / FramesPerSecond(s.tcFrameType) / 4;
  SMPUHMS hms{};
  hms.frameType = s.tcFrameType;
  UnitsToHms((s.tcBase + n / 8 * 8 * quarter) % kUnitsPerDay, &hms);
  int piece = static_cast<int>(n % 8);
  int value = 0;
  switch (piece) {
    case 0: value = hms.frames & 0x0F; break;
    case 1: value = hms.frames >> 4; break;
    case 2: value = hms.seconds & 0x0F; break;
    case 3: value = hms.seconds >> 4; break;
    case 4: value = hms.minutes & 0x0F; break;
    case 5: value = hms.minutes >> 4; break;
    case 6: value = hms.hours & 0x0F; break;
    case 7: value = (hms.hours >> 4 & 1) | hms.frameType << 1; break;
  }
  return 0xF1u | static_cast<DWORD>(piece << 4 | value) << 8;
}
}  // namespace

DWORD DeviceTime() {
  SmpuState& s = g_smpu;
  if (s.tcRunning && s.seqStatus != SMPU_SEQ_PLAYING) return GeneratorTime();
  return LiveTime();
}

void SendDueQuarterFrames() {
  SmpuState& s = g_smpu;
  if (!s.tcRunning) return;
  DWORD quarter = kUnitsPerSecond / FramesPerSecond(s.tcFrameType) / 4;
  DWORD due = (timeGetTime() - s.tcStartMs) * 24 / quarter + 1;
  if (due - s.tcSent > kMostQuarterFramesAtOnce) s.tcSent = (due - 1) / 8 * 8;
  for (; s.tcSent < due; ++s.tcSent) SendShort(0, QuarterFrameMessage(s.tcSent));
}

SMPUAPI SMPURESULT WINAPI SMPUTimeUnit2Hms(DWORD time, SMPUHMS* hms) {
  CallLog("SMPUTimeUnit2Hms %lu %d", static_cast<unsigned long>(time), hms ? hms->frameType : -1);
  return UnitsToHms(time, hms);
}

SMPUAPI SMPURESULT WINAPI SMPUHms2TimeUnit(const SMPUHMS* hms, DWORD* time) {
  if (hms)
    CallLog("SMPUHms2TimeUnit {%u,%u,%u,%u,%u,%u}", hms->hours, hms->minutes, hms->seconds, hms->frames, hms->bits,
            hms->frameType);
  else
    CallLog("SMPUHms2TimeUnit null");
  return HmsToUnits(hms, time);
}

SMPUAPI SMPURESULT WINAPI SMPUGetCurTime(short handle, DWORD* time) {
  CallLog("SMPUGetCurTime %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!time) return SMPU_ERR_PARAM;
  *time = DeviceTime();
  return SMPU_OK;
}

// Moves the sequencer time, and the generator's; a running clock goes on
// from there.
SMPUAPI SMPURESULT WINAPI SMPUSetTC(short handle, const SMPUHMS* hms) {
  if (hms)
    CallLog("SMPUSetTC %d {%u,%u,%u,%u,%u,%u}", handle, hms->hours, hms->minutes, hms->seconds, hms->frames,
            hms->bits, hms->frameType);
  else
    CallLog("SMPUSetTC %d null", handle);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  DWORD t = 0;
  if (HmsToUnits(hms, &t) != SMPU_HMS_CONVERTED) return SMPU_ERR_PARAM;
  if (s.seqStatus == SMPU_SEQ_PLAYING) {
    DWORD left = static_cast<int32_t>(s.nextDue - LiveTime()) > 0 ? s.nextDue - LiveTime() : 0;
    s.nextDue = t + left;
    s.lastMs = timeGetTime();
  }
  s.curTime = t;
  s.tcFrameType = hms->frameType;
  if (s.tcRunning) RestartGenerator(t);
  return SMPU_OK;
}

// Runs the time code from the current time (SMPUSetTC), with quarter frames
// on port A.
SMPUAPI SMPURESULT WINAPI SMPUTCStart(short handle) {
  CallLog("SMPUTCStart %d", handle);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!s.tcRunning) RestartGenerator(LiveTime());
  s.tcRunning = 1;
  WakeClock();
  return SMPU_OK;
}

// The time stays where the generator was.
SMPUAPI SMPURESULT WINAPI SMPUTCStop(short handle) {
  CallLog("SMPUTCStop %d", handle);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (s.tcRunning && s.seqStatus != SMPU_SEQ_PLAYING) s.curTime = GeneratorTime();
  s.tcRunning = 0;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSpp2Clock(short handle, WORD spp, DWORD* clock) {
  CallLog("SMPUSpp2Clock %d %u", handle, spp);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!clock) return SMPU_ERR_PARAM;
  *clock = (spp & 0x3FFFu) * 120u;  // a sixteenth is 120 ticks of 1/480 quarter
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUGetReportInfo(short handle, BYTE* report) {
  CallLog("SMPUGetReportInfo %d", handle);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!report) return SMPU_ERR_PARAM;
  SMPUHMS hms{};
  hms.frameType = s.sync.frameType <= 3 ? s.sync.frameType : 3;
  DWORD t = DeviceTime() % kUnitsPerDay;
  UnitsToHms(t, &hms);
  report[0] = static_cast<BYTE>(hms.hours);
  report[1] = static_cast<BYTE>(hms.minutes);
  report[2] = static_cast<BYTE>(hms.seconds);
  report[3] = static_cast<BYTE>(hms.frames);
  report[4] = static_cast<BYTE>(hms.frameType);
  return SMPU_OK;
}

// No time code or song position comes in from outside: these report nothing.
SMPUAPI SMPURESULT WINAPI SMPUGetTimeInfo(short handle, BYTE* code, DWORD* time) {
  CallLog("SMPUGetTimeInfo %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  return ValidHandle(handle) ? 0 : SMPU_ERR_HANDLE;
}

SMPUAPI SMPURESULT WINAPI SMPUGetSPPSSL(short handle, BYTE* kind, WORD* value) {
  CallLog("SMPUGetSPPSSL %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  return ValidHandle(handle) ? 0 : SMPU_ERR_HANDLE;
}

SMPUAPI SMPURESULT WINAPI SMPUGetGateEv(short handle) {
  CallLog("SMPUGetGateEv %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  return ValidHandle(handle) ? 0 : SMPU_ERR_HANDLE;
}

SMPUAPI SMPURESULT WINAPI SMPUGetErrorInfo(short handle) {
  CallLog("SMPUGetErrorInfo %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  short e = g_smpu.lastError;
  g_smpu.lastError = 0;
  return e;
}
