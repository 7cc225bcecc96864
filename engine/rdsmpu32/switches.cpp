// Switches, maps and filters: stored values; the sequencer, the thru and the
// recording read the ones that mean something to them.
#include "smpustate.h"

#define SMPU_SWITCH(Name, field)                                       \
  SMPUAPI SMPURESULT WINAPI SMPUGet##Name(short handle) {              \
    CallLog("SMPUGet" #Name " %d", handle);                            \
    std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);           \
    return ValidHandle(handle) ? g_smpu.field : SMPU_ERR_HANDLE;       \
  }                                                                    \
  SMPUAPI SMPURESULT WINAPI SMPUSet##Name(short handle, short value) { \
    CallLog("SMPUSet" #Name " %d %d", handle, value);                  \
    std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);           \
    if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;                  \
    if (value < 0) return SMPU_ERR_PARAM;                              \
    g_smpu.field = value;                                              \
    return SMPU_OK;                                                    \
  }

SMPU_SWITCH(ClkReso, clkReso)
SMPU_SWITCH(RecPortSw, recPortSw)
SMPU_SWITCH(TempoRecSw, tempoRecSw)
SMPU_SWITCH(LinkSw, linkSw)
SMPU_SWITCH(MonSw, monSw)
SMPU_SWITCH(ThruSw, thruSw)
SMPU_SWITCH(SendMidiRT, sendMidiRT)
SMPU_SWITCH(MidiOptionSw, midiOptionSw)
SMPU_SWITCH(ChaseSw, chaseSw)
SMPU_SWITCH(MidiSyncPort, midiSyncPort)
SMPU_SWITCH(RecBufMargin, recBufMargin)

SMPUAPI SMPURESULT WINAPI SMPUGetRecSw(short handle) {
  CallLog("SMPUGetRecSw %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  return ValidHandle(handle) ? g_smpu.recSw : SMPU_ERR_HANDLE;
}

// Recording counts its first wait from the moment the switch goes on.
SMPUAPI SMPURESULT WINAPI SMPUSetRecSw(short handle, short value) {
  CallLog("SMPUSetRecSw %d %d", handle, value);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (value < 0) return SMPU_ERR_PARAM;
  if (value && !s.recSw) {
    s.recLast = LiveTime();
    s.recCarry = 0;
  }
  s.recSw = value;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUChkActiveSeqPlay(short handle) {
  CallLog("SMPUChkActiveSeqPlay %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  return ValidHandle(handle) ? g_smpu.activeSeqPlay : SMPU_ERR_HANDLE;
}

// A change is reported with SMPU_EV_ACTIVE.
SMPUAPI SMPURESULT WINAPI SMPUSetActiveSeqPlay(short handle, short value) {
  CallLog("SMPUSetActiveSeqPlay %d %d", handle, value);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  short v = value ? 1 : 0;
  if (v != s.activeSeqPlay) {
    s.activeSeqPlay = v;
    RaiseEvents(SMPU_EV_ACTIVE);
  }
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUGetSyncMode(short handle, SMPUSYNCMODE* sync) {
  CallLog("SMPUGetSyncMode %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!sync) return SMPU_ERR_PARAM;
  *sync = g_smpu.sync;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSetSyncMode(short handle, const SMPUSYNCMODE* sync) {
  if (sync) CallLog("SMPUSetSyncMode %d {%u,%u,%u}", handle, sync->mode, sync->level, sync->frameType);
  else CallLog("SMPUSetSyncMode %d null", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!sync || sync->mode > 3 || sync->frameType > 3) return SMPU_ERR_PARAM;
  g_smpu.sync = *sync;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSetMonFilter(short handle, short value) {
  CallLog("SMPUSetMonFilter %d %d", handle, value);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  g_smpu.monFilter = value;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSetMonFilterAllCc(short handle, short value) {
  CallLog("SMPUSetMonFilterAllCc %d %d", handle, value);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  g_smpu.monFilterAllCc = value;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSetReportInterval(short handle, short b1, short b2, short b3) {
  CallLog("SMPUSetReportInterval %d %d %d %d", handle, b1, b2, b3);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  int ms = b2 * 10 + b3;
  s.reportIntervalMs = b1 && ms > 0 ? ms : 0;
  s.lastReportMs = timeGetTime();
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUGetChLineInfo(short handle, short line, SMPUCHLINEINFO* info) {
  CallLog("SMPUGetChLineInfo %d %d", handle, line);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (line < 0 || line >= kLines || !info) return SMPU_ERR_PARAM;
  info->line = static_cast<BYTE>(line);
  info->monitor = s.lineMon[line];
  info->thru = line < 32 ? s.chThru[line] : s.sysThru[0][0];
  info->recFilter = line < 32 ? s.recFilter[line] : 0;
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSetChLineMonSw(short handle, short line, short value) {
  CallLog("SMPUSetChLineMonSw %d %d %d", handle, line, value);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (line < 0 || line >= kLines) return SMPU_ERR_PARAM;
  g_smpu.lineMon[line] = value ? 1 : 0;
  return SMPU_OK;
}

namespace {
void LogMap(const char* name, short handle, const SMPUMAP* map) {
  if (map) CallLog("%s %d {%u,%u,%u,%u}", name, handle, map->kind, map->index, map->value1, map->value2);
  else CallLog("%s %d null", name, handle);
}
}  // namespace

SMPUAPI SMPURESULT WINAPI SMPUGetSysMessThruMap(short handle, SMPUMAP* map) {
  LogMap("SMPUGetSysMessThruMap", handle, map);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!map || (map->index != 0 && map->index != 16)) return SMPU_ERR_PARAM;
  const BYTE* v = g_smpu.sysThru[map->index / 16];
  *map = SMPUMAP{0x82, map->index, v[0], v[1]};
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUGetChMessThruMap(short handle, SMPUMAP* map) {
  LogMap("SMPUGetChMessThruMap", handle, map);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!map || map->index > 31) return SMPU_ERR_PARAM;
  *map = SMPUMAP{0x81, map->index, g_smpu.chThru[map->index], 0xFF};
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUGetChMessRecFilter(short handle, SMPUMAP* map) {
  LogMap("SMPUGetChMessRecFilter", handle, map);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!map || map->index > 31) return SMPU_ERR_PARAM;
  BYTE v = g_smpu.recFilter[map->index];
  *map = SMPUMAP{0x92, map->index, v, v};
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUSetMap(short handle, const SMPUMAP* map) {
  LogMap("SMPUSetMap", handle, map);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!map) return SMPU_ERR_PARAM;
  if (map->kind == 0x81 && map->index <= 31 && (map->value1 <= 31 || map->value1 == 0xFF)) {
    s.chThru[map->index] = map->value1;
    return SMPU_OK;
  }
  if (map->kind == 0x82 && (map->index == 0 || map->index == 16)) {
    s.sysThru[map->index / 16][0] = map->value1;
    s.sysThru[map->index / 16][1] = map->value2;
    return SMPU_OK;
  }
  return SMPU_ERR_PARAM;
}

SMPUAPI SMPURESULT WINAPI SMPUSetFilter(short handle, const SMPUMAP* map) {
  LogMap("SMPUSetFilter", handle, map);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!map || map->kind != 0x92 || map->index > 31) return SMPU_ERR_PARAM;
  g_smpu.recFilter[map->index] = map->value1;
  return SMPU_OK;
}
