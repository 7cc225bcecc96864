// The interface's thru map, time code, sync, option switches, immediate
// recording, and the Windows MIDI input that serves step entry.
#include "rdsengine.h"

namespace {

// Windows input here only feeds step entry and the key table: the
// interface records by itself, so this recorder is never armed.
Recorder g_idleRecorder;

SMPUHMS HmsOf(int frameType, int hours, int minutes, int seconds, int frames, int bits) {
  return SMPUHMS{static_cast<WORD>(hours), static_cast<WORD>(minutes), static_cast<WORD>(seconds),
                 static_cast<WORD>(frames), static_cast<WORD>(bits), static_cast<WORD>(frameType)};
}

void SetMapIfDiffers(SMPURESULT(WINAPI* get)(short, SMPUMAP*), BYTE kind, BYTE index, BYTE v1, BYTE v2) {
  SMPUMAP now{kind, index, 0, 0};
  get(RdsHandle(), &now);
  if (now.value1 == v1 && now.value2 == v2) return;
  SMPUMAP want{kind, index, v1, v2};
  SMPUSetMap(RdsHandle(), &want);
}

}  // namespace

extern "C" int WINAPI THRUAssign(int mode, int, int value, int realTime) {
  if (!RdsOpen()) return 0;
  // System messages are never passed thru.
  for (BYTE input : {BYTE{0}, BYTE{16}}) SetMapIfDiffers(SMPUGetSysMessThruMap, 0x82, input, 0xFF, 0xFF);
  for (int c = 0; c < 32; ++c) {
    BYTE dest = mode == 1 ? static_cast<BYTE>(c) : mode == 2 ? static_cast<BYTE>(value & 0xFF) : 0xFF;
    SetMapIfDiffers(SMPUGetChMessThruMap, 0x81, static_cast<BYTE>(c), dest, 0xFF);
  }
  SetSwitch(SMPUGetThruSw, SMPUSetThruSw, mode == 1 || mode == 2 ? 1 : 0);
  g_rds.realTime = realTime != 0;
  SetSwitch(SMPUGetSendMidiRT, SMPUSetSendMidiRT, g_rds.realTime ? 3 : 0);
  return 0;
}

extern "C" int WINAPI SetSMPUIMMREC(int on, HGLOBAL record, int) {
  if (!RdsOpen()) return 0;
  SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 0);
  SetSwitch(SMPUGetLinkSw, SMPUSetLinkSw, 0);
  SetSwitch(SMPUGetTempoRecSw, SMPUSetTempoRecSw, 0);
  // The block stays locked while the interface records into it.
  if (on && record && !g_rds.immRecord) {
    if (GlobalLock(record)) g_rds.immRecord = record;
  } else if (!on && g_rds.immRecord) {
    GlobalUnlock(g_rds.immRecord);
    g_rds.immRecord = nullptr;
  }
  SetSwitch(SMPUGetRecPortSw, SMPUSetRecPortSw, 0);
  SMPUSetRecSw(RdsHandle(), on ? 1 : 0);
  g_rds.immediateRecording = on != 0;
  return 0;
}

extern "C" int WINAPI StartSMPTEGenerate(int frameType, int hours, int minutes, int seconds, int frames, int bits) {
  if (!RdsOpen()) return 0;
  SMPUTCStop(RdsHandle());
  SetSync(0, static_cast<BYTE>(frameType));
  SMPUHMS hms = HmsOf(frameType, hours, minutes, seconds, frames, bits);
  SMPUSetTC(RdsHandle(), &hms);
  SMPUTCStart(RdsHandle());
  return 0;
}

extern "C" int WINAPI StopSMPTEGenerate() {
  if (!RdsOpen()) return 0;
  SMPUTCStop(RdsHandle());
  SetSync(3, 0);
  return 0;
}

extern "C" int WINAPI GetSMPTETime(int frameType, int* hours, int* minutes, int* seconds, int* frames,
                                   int* fraction) {
  DWORD now = 0;
  SMPUGetCurTime(RdsHandle(), &now);
  SMPUHMS hms{};
  hms.frameType = static_cast<WORD>(frameType);
  SMPURESULT r = SMPUTimeUnit2Hms(now, &hms);
  if (hours) *hours = hms.hours;
  if (minutes) *minutes = hms.minutes;
  if (seconds) *seconds = hms.seconds;
  if (frames) *frames = hms.frames;
  if (fraction) *fraction = hms.bits / 300;
  return r;
}

extern "C" int WINAPI SMPTECheck(int frameType, int hours, int minutes, int seconds, int frames, int bits) {
  SMPUHMS hms = HmsOf(frameType, hours, minutes, seconds, frames, bits);
  DWORD time = 0;
  return SMPUHms2TimeUnit(&hms, &time);
}

extern "C" int WINAPI SendSMPUOptionSW(int optionSw, int monitorFilter, int monitorAllCc) {
  g_rds.optionSw = static_cast<uint8_t>(optionSw);
  g_rds.monitorFilter = static_cast<uint8_t>(monitorFilter);
  g_rds.monitorAllCc = static_cast<uint8_t>(monitorAllCc);
  return 1;
}

extern "C" int WINAPI GetSmpuEnv(int device, BYTE* b0, BYTE* b1, BYTE* b2) {
  SMPUMPUVER ver{};
  SMPURESULT r = SMPUGetMpuVer(static_cast<short>(device), &ver);
  if (b0) *b0 = ver.major;
  if (b1) *b1 = ver.minor;
  if (b2) *b2 = ver.ports;
  return r;
}

extern "C" int WINAPI GetTimeCode(BYTE* buffer) {
  SMPUSYNCMODE sync{};
  SMPUGetSyncMode(RdsHandle(), &sync);
  if (buffer) {
    for (int i = 0; i < 5; ++i) buffer[i] = g_rds.timeCode[i];
    buffer[5] = sync.mode;
  }
  g_rds.timeCodeAsked = true;
  return 0;
}

extern "C" int WINAPI SetSyncInternal() {
  if (!RdsOpen()) return 0;
  SMPUSYNCMODE sync{};
  SMPUGetSyncMode(RdsHandle(), &sync);
  if (sync.mode != 0) {
    sync.mode = 0;
    SMPUSetSyncMode(RdsHandle(), &sync);
  }
  return 0;
}

extern "C" void CALLBACK midiInCallback(HMIDIIN, UINT msg, DWORD_PTR, DWORD_PTR p1, DWORD_PTR p2) {
  if (msg != MIM_DATA) return;
  OnInputMessage(static_cast<DWORD>(p1), static_cast<DWORD>(p2), g_idleRecorder);
}

extern "C" int WINAPI OpenMIDIInPort(HWND window) {
  return OpenInputs(window, reinterpret_cast<DWORD_PTR>(&midiInCallback));
}
