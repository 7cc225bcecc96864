// Play control on the interface's sequencer: play mode, start, point play,
// the play set-up, pause, hold, seek, stop and the play time.
#include <algorithm>

#include "rdsengine.h"
#include "tempomap.h"

namespace {

void Prime(bool withHeaderTempo) {
  std::lock_guard<std::mutex> guard(g_shell.lock);
  ResetRingLocked();
  g_rds.ring.push_back(kPwNop1);
  g_rds.ring.push_back(kPwNop2);
  if (withHeaderTempo) {
    int tempo = std::max(1, g_shell.builder.CurrentTempo());
    g_rds.ring.push_back(static_cast<PlayEventWord>(kPwTempo | 0xF0));
    g_rds.ring.push_back(static_cast<PlayEventWord>(720000 / tempo));
  }
}

void FillRing(int steps) {
  std::lock_guard<std::mutex> guard(g_shell.lock);
  for (int i = 0; i < steps && g_shell.prepared && !g_shell.builder.Ended(); ++i) g_shell.builder.Step();
}

// Saves the start and runs the play set-up now, or once the interface
// reports its sequencer play active.
void BeginPlay(int startFlag) {
  g_rds.startFlag = startFlag;
  g_shell.ended = false;
  short h = RdsHandle();
  if (SMPUChkActiveSeqPlay(h) > 0) {
    RunPlaySetUp();
  } else {
    g_rds.waitingForActive = true;
    SMPUSetActiveSeqPlay(h, 1);
  }
}

void SetRecordFilters(int classes, int channelMask) {
  // Record filter byte: bit 6 pitch bend, 4 program, 2 key pressure,
  // 5 channel pressure.
  int byte = (classes & 0x001 ? 0x40 : 0) | (classes & 0x002 ? 0x10 : 0) | (classes & 0x100 ? 0x04 : 0) |
             (classes & 0x080 ? 0x20 : 0);
  for (int d = 0; d < 16; ++d) {
    BYTE value = static_cast<BYTE>(channelMask & (1 << d) ? byte : byte + 0x7E);
    for (int line : {d, d + 16}) {
      SMPUMAP now{0x92, static_cast<BYTE>(line), 0, 0};
      SMPUGetChMessRecFilter(RdsHandle(), &now);
      if (now.value1 == value && now.value2 == value) continue;
      SMPUMAP want{0x92, static_cast<BYTE>(line), value, value};
      SMPUSetFilter(RdsHandle(), &want);
    }
  }
}

SMPUHMS HmsOfTime(DWORD units) {
  SMPUHMS hms{};
  hms.frameType = 3;
  SMPUTimeUnit2Hms(units, &hms);
  return hms;
}

// Walker back at the song's start, or at a sixteenth when one is given;
// false when the song ends before it.
bool RestartAt(int sixteenths) {
  RewindPlay();
  Prime(false);
  return sixteenths <= 0 || ChaseTo(sixteenths + 1) != 0;
}

}  // namespace

void RunPlaySetUp() {
  short h = RdsHandle();
  // sendCalls is left alone: a feed of the last play may still be running,
  // and it counts itself out.
  g_rds.stopCounter = 0;
  g_shell.playing = true;
  g_shell.paused = false;
  g_shell.monitorDirty = false;
  g_rds.pendingMark = -1;
  SetSync(3, 0);
  if (SMPUGetClkReso(h) != 4) SMPUSetClkReso(h, 4);
  SetSync(0, 0);
  SetSwitch(SMPUGetTempoRecSw, SMPUSetTempoRecSw, 0);
  SetSwitch(SMPUGetLinkSw, SMPUSetLinkSw, 0);
  SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 0);
  SetSwitch(SMPUGetRecPortSw, SMPUSetRecPortSw, 1);
  SetSwitch(SMPUGetMidiOptionSw, SMPUSetMidiOptionSw, g_rds.optionSw);
  SMPUSetMonFilter(h, g_rds.monitorFilter);
  SMPUSetMonFilterAllCc(h, g_rds.monitorAllCc);
  SetSwitch(SMPUGetSendMidiRT, SMPUSetSendMidiRT, g_rds.realTime ? 3 : 0);
  const int flags = g_rds.recordFlags;
  if (flags) g_shell.recorder.Arm(g_rds.recordLeadIn);
  switch (g_rds.playMode & 0x0F) {
    case 0:
      SetSync(0, 0);
      if (!flags) {
        StartQueue(g_rds.startFlag);
      } else if (flags & 2) {
        SetSwitch(SMPUGetRecBufMargin, SMPUSetRecBufMargin, 0);
      } else {
        SetSwitch(SMPUGetRecBufMargin, SMPUSetRecBufMargin, 31);
        SetSwitch(SMPUChkActiveSeqPlay, SMPUSetActiveSeqPlay, 1);
        StartQueue(1);
      }
      SetSwitch(SMPUGetMonSw, SMPUSetMonSw, 1);
      break;
    case 1:
    case 2:
      SetSync(1, 0);
      SetSwitch(SMPUGetChaseSw, SMPUSetChaseSw, 1);
      SetSwitch(SMPUGetMidiSyncPort, SMPUSetMidiSyncPort, (g_rds.playMode & 0x0F) == 1 ? 0 : 16);
      SetSwitch(SMPUChkActiveSeqPlay, SMPUSetActiveSeqPlay, 1);
      SetSwitch(SMPUGetMonSw, SMPUSetMonSw, 1);
      SetSwitch(SMPUGetRecSw, SMPUSetRecSw, flags ? 1 : 0);
      break;
    default:
      SetSync(2, static_cast<BYTE>((g_rds.playMode >> 4) & 0xFF));
      SetSwitch(SMPUChkActiveSeqPlay, SMPUSetActiveSeqPlay, 1);
      SetSwitch(SMPUGetRecSw, SMPUSetRecSw, flags ? 1 : 0);
      SMPUSetReportInterval(h, 1, 19, 0);
      g_rds.timeCodeAsked = true;
      break;
  }
  for (int line = 0; line < kRdsChannelLines; ++line) {
    SMPUCHLINEINFO info{};
    SMPUGetChLineInfo(h, static_cast<short>(line), &info);
    if (info.monitor != 1) SMPUSetChLineMonSw(h, static_cast<short>(line), 1);
  }
  if (flags) PostToHost(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), kRecNotifyNewData);
}

void StartQueue(int startFlag) {
  short h = RdsHandle();
  if (SMPUChkActiveSeqPlay(h) <= 0) return;
  SMPURESULT status = SMPUGetSeqStatus(h);
  if (status < 0 || status > 3) return;
  g_shell.playing = true;
  g_shell.paused = false;
  SetSwitch(SMPUGetTempoRecSw, SMPUSetTempoRecSw, 0);
  SetSwitch(SMPUGetLinkSw, SMPUSetLinkSw, 0);
  SetSwitch(SMPUGetRecPortSw, SMPUSetRecPortSw, 1);
  SetSync(0, 0);
  SetSwitch(SMPUGetMonSw, SMPUSetMonSw, 1);
  SetSwitch(SMPUGetRecSw, SMPUSetRecSw, g_rds.recordFlags ? 1 : 0);
  SMPUSeqQStart(h, startFlag ? 0 : 1);
}

void ReleaseRdsPlay() {
  g_rds.startOffsetMs = 0;
  g_rds.waitingForActive = false;
  g_rds.holdPending = false;
  g_shell.playing = false;
  g_shell.paused = false;
  g_shell.recorder.Disarm();
  if (RdsOpen()) SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 0);
  ReleasePlay(true);
  UnlockRecordBuffers();
}

extern "C" int WINAPI SetPlayMode(int flags, int mode, int filter, int recordClasses, int channelMask, int, int,
                                  int punchIn, int punchOut, int frameType, int hours, int minutes, int seconds,
                                  int frames, int bits, int) {
  g_rds.recordFlags = flags;
  g_rds.playMode = mode;
  g_shell.recordMode = flags;
  g_shell.options.filter = static_cast<uint32_t>(filter) & 0xFFFF;
  g_shell.punchInSteps = punchIn;
  g_shell.punchOutSteps = punchOut;
  g_shell.recorder.Configure(flags, punchIn, punchOut);
  SMPUHMS hms{static_cast<WORD>(hours), static_cast<WORD>(minutes), static_cast<WORD>(seconds),
              static_cast<WORD>(frames), static_cast<WORD>(bits), static_cast<WORD>(frameType)};
  DWORD offset = 0;
  g_rds.smpteOffset = SMPUHms2TimeUnit(&hms, &offset) == SMPU_HMS_CONVERTED ? offset : 0;
  if (RdsOpen()) SetRecordFilters(recordClasses, channelMask);
  return 0;
}

extern "C" int WINAPI Play(int, int, HGLOBAL songTable, int trackCount) {
  if (!RdsOpen() || !PreparePlay(songTable, trackCount, false)) return 0;
  g_rds.startOffsetMs = 0;
  g_rds.recordLeadIn = 0;
  Prime(false);
  FillRing(10);
  BeginPlay(1);
  // Play from the top never records.
  g_rds.recordFlags = 0;
  g_shell.recordMode = 0;
  g_shell.recorder.Disarm();
  SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 0);
  return 1;
}

extern "C" int WINAPI PointPlayExec(int, int, HGLOBAL songTable, int trackCount, int soloTrack, int eventIndex,
                                    int track, int headerTempoOnly) {
  if (!RdsOpen() || !PreparePlay(songTable, trackCount, headerTempoOnly != 0)) return 0;
  Prime(true);
  int64_t steps = PlayBuilder::StepsToMeasureOf(g_shell.song, track, eventIndex);
  int position = steps > 0 ? static_cast<int>(std::min<int64_t>(steps / SixteenthSteps(), 0x7FFFFFF)) : 0;
  g_rds.startOffsetMs = 0;
  g_rds.recordLeadIn = 0;
  if (position != 0) {
    if (!ChaseTo(position)) return 1;
    SendSongPositionToPorts(g_shell.chasedSixteenths - 1);
    // The device counts from the point; the play time adds the chased time.
    g_rds.startOffsetMs = static_cast<int>(ChasedMs());
    SMPUHMS zero = HmsOfTime(0);
    SMPUSetTC(RdsHandle(), &zero);
    int64_t reached = static_cast<int64_t>(std::max(0, g_shell.chasedSixteenths - 1)) * SixteenthSteps();
    int64_t lead = (steps - reached) * 480 / std::max(1, g_shell.builder.TimeBase());
    g_rds.recordLeadIn = static_cast<int>(std::max<int64_t>(0, lead));
  }
  if (soloTrack) {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    g_shell.builder.SoloTrack(soloTrack);
  }
  FillRing(10);
  const int startFlag = position == 0 ? 1 : 0;
  if (!(g_rds.recordFlags & 2)) {
    SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 0);
    SetSwitch(SMPUGetRecPortSw, SMPUSetRecPortSw, 0);
    for (HMIDIIN in : g_shell.inHandle)
      if (in) midiInStop(in);
    g_shell.recorder.Configure(g_rds.recordFlags, g_shell.punchInSteps, g_shell.punchOutSteps);
    if (g_rds.recordFlags) SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 1);
    for (HMIDIIN in : g_shell.inHandle)
      if (in) midiInStart(in);
  }
  BeginPlay(startFlag);
  return 1;
}

extern "C" int WINAPI SetStartTime0(int, int, HGLOBAL songTable, int trackCount, int time24) {
  if (!RdsOpen() || !PreparePlay(songTable, trackCount, false)) return 0;
  Prime(false);
  int p = SixteenthsForTime(g_shell.builder.TempoMap(), time24, g_shell.builder.Scale());
  if (p > 0) ChaseTo(p);
  return p;
}

extern "C" int WINAPI PlayStartTime0(int, int, int fromPoint) {
  if (!g_shell.prepared) return 0;
  g_rds.startOffsetMs = fromPoint ? static_cast<int>(ChasedMs()) : 0;
  g_rds.recordLeadIn = 0;
  if (fromPoint) {
    SendSongPositionToPorts(std::max(0, g_shell.chasedSixteenths - 1));
    SMPUHMS zero = HmsOfTime(0);
    SMPUSetTC(RdsHandle(), &zero);
  }
  FillRing(9);
  BeginPlay(fromPoint ? 0 : 1);
  return 1;
}

extern "C" int WINAPI RecStartKeyon() {
  if (!RdsOpen()) return 0;
  SMPUSeqQStart(RdsHandle(), 0);
  g_rds.recordFlags = 1;
  SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 1);
  return 1;
}

extern "C" int WINAPI StopSeqPlay() {
  short h = RdsHandle();
  if (h < 0) return 0;
  const bool active = SMPUChkActiveSeqPlay(h) > 0;
  if (active) {
    SMPUSeqStop(h, 0);
    SetSwitch(SMPUGetRecBufMargin, SMPUSetRecBufMargin, 0);
    SMPUSeqSuspend(h);
  }
  ReleaseRdsPlay();
  if (active) SMPUSetReportInterval(h, 0, 0, 0);
  return 0;
}

extern "C" int WINAPI SeqPause(int) {
  short h = RdsHandle();
  if (h < 0 || g_shell.recorder.Active() || !g_shell.playing) return 0;
  if (!g_shell.paused) {
    if (SMPUChkActiveSeqPlay(h) <= 0) return 0;
    g_shell.paused = true;
    SMPUSeqStop(h, 0);
    DWORD now = 0;
    SMPUGetCurTime(h, &now);
    g_rds.frozenTime = now;
    SMPUPanic(h);
  } else {
    SMPURESULT status = SMPUGetSeqStatus(h);
    if (status != 0 && status != 3) return 0;
    g_shell.paused = false;
    SMPUHMS hms = HmsOfTime(g_rds.frozenTime);
    SMPUSetTC(h, &hms);
    SMPUSeqQStart(h, 1);
  }
  return 0;
}

extern "C" int WINAPI SeqHold(int) {
  short h = RdsHandle();
  if (h < 0 || g_shell.recorder.Active() || !g_shell.playing || SMPUChkActiveSeqPlay(h) <= 0) return 0;
  g_rds.holdPending = true;
  SMPUSeqSuspend(h);
  if (!g_shell.paused) {
    DWORD now = 0;
    SMPUGetCurTime(h, &now);
    g_rds.frozenTime = now;
  }
  g_shell.paused = true;
  return 0;
}

extern "C" DWORD WINAPI GetPlayTime() {
  DWORD units = g_rds.frozenTime;
  if (!g_shell.paused) SMPUGetCurTime(RdsHandle(), &units);
  return units / 24 + static_cast<DWORD>(g_rds.startOffsetMs);
}

extern "C" int WINAPI SetPlayTime(DWORD ms) {
  int64_t units = (static_cast<int64_t>(ms) - g_rds.startOffsetMs) * 24;
  g_rds.frozenTime = static_cast<DWORD>(std::max<int64_t>(0, units));
  return 0;
}

extern "C" DWORD WINAPI SeekTimePlayExec(int holdValue) {
  short h = RdsHandle();
  if (h < 0 || !g_shell.prepared) return 0;
  g_rds.seeking = true;
  // What the interface still holds of the old position goes.
  SMPUSeqSuspend(h);
  g_shell.recorder.Disarm();
  g_shell.monitorDirty = false;
  DWORD position = g_rds.frozenTime + static_cast<DWORD>(g_rds.startOffsetMs) * 24;
  int p = SixteenthsForTime(g_shell.builder.TempoMap(), position, g_shell.builder.Scale());
  if (!RestartAt(p)) {
    RestartAt(0);  // past the end: from the start again
    position = 0;
  }
  g_shell.paused = false;
  g_rds.startOffsetMs = 0;
  g_rds.frozenTime = position;
  g_shell.playing = true;
  if (holdValue) {
    g_shell.paused = true;
    g_rds.seeking = false;
    return position / 24;
  }
  g_rds.holdPending = false;
  SMPUHMS hms = HmsOfTime(position);
  SMPUSetTC(h, &hms);
  SMPUSeqQStart(h, 1);
  g_rds.seeking = false;
  return position / 24;
}
