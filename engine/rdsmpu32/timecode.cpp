// Device time and its SMPTE form. A second is 24,000 units; a frame is
// 24,000 / frames-per-second units, split into 30,000 bits.
#include "smpustate.h"

namespace {
constexpr DWORD kUnitsPerSecond = 24000;

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

SMPURESULT HmsToUnits(const SMPUHMS* hms, DWORD* time) {
  if (!hms) return SMPU_ERR_PARAM;
  int fps = FramesPerSecond(hms->frameType);
  if (!fps || !time || hms->hours > 23 || hms->minutes > 59 || hms->seconds > 59 || hms->frames >= fps ||
      hms->bits >= 30000)
    return SMPU_ERR_PARAM;
  DWORD perFrame = kUnitsPerSecond / fps;
  *time = ((hms->hours * 60u + hms->minutes) * 60u + hms->seconds) * kUnitsPerSecond + hms->frames * perFrame +
          hms->bits * perFrame / 30000;
  return SMPU_OK;
}
}  // namespace

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
  *time = LiveTime();
  return SMPU_OK;
}

// Moves the sequencer time; a running clock goes on from there.
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
  SMPURESULT r = HmsToUnits(hms, &t);
  if (r != SMPU_OK) return r;
  if (s.seqStatus == SMPU_SEQ_PLAYING) {
    DWORD left = static_cast<int32_t>(s.nextDue - LiveTime()) > 0 ? s.nextDue - LiveTime() : 0;
    s.nextDue = t + left;
    s.lastMs = timeGetTime();
  }
  s.curTime = t;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUTCStart(short handle) {
  CallLog("SMPUTCStart %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  g_smpu.tcRunning = 1;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUTCStop(short handle) {
  CallLog("SMPUTCStop %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  g_smpu.tcRunning = 0;
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
  DWORD t = LiveTime() % (24u * 3600u * 24000u);
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
