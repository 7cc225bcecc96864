// MIDI input: thru to the output by the channel thru map, and recording
// into play-event words while the sequencer plays with the record switch on.
#include "smpustate.h"

namespace {
// Record filter bit of a message class: 1 note, 2 key pressure, 3 control,
// 4 program, 5 channel pressure, 6 pitch bend.
int FilterBit(int status) {
  int kind = (status >> 4) - 8;
  return kind == 0 ? 1 : kind;
}

void Record(WORD w) {
  if (g_smpu.recorded.Free()) g_smpu.recorded.Push(w);
  else g_smpu.lastError = SMPU_ERR_PARAM;
}

void RecordMessage(DWORD msg) {
  SmpuState& s = g_smpu;
  int status = msg & 0xFF, ch = status & 0x0F, d1 = (msg >> 8) & 0x7F, d2 = (msg >> 16) & 0x7F;
  if (s.recFilter[ch] & (1 << FilterBit(status))) return;
  if (s.recorded.Free() < 2 + 1) {
    s.lastError = SMPU_ERR_PARAM;
    RaiseEvents(SMPU_EV_ERROR);
    return;
  }
  // Ticks since the last recorded event at the tempo now playing.
  DWORD now = LiveTime();
  uint64_t num = static_cast<uint64_t>(now - s.recLast) * s.tempoCode + s.recCarry;
  uint64_t ticks = num / s.tempoValue;
  s.recCarry = static_cast<uint32_t>(num % s.tempoValue);
  s.recLast = now;
  for (; ticks >= 240; ticks -= 240) Record(kPwWaitFull);
  if (ticks) Record(static_cast<WORD>(kPwWait | ticks));
  int kind = status & 0xF0;
  if (kind == 0xC0 || kind == 0xD0) d2 = 0;
  Record(static_cast<WORD>(kind << 8 | ch));
  Record(static_cast<WORD>(d1 << 8 | d2));
}

void Thru(DWORD msg) {
  SmpuState& s = g_smpu;
  int status = msg & 0xFF;
  BYTE dest = s.chThru[status & 0x0F];
  if (dest > 31) return;
  SendShort(dest >> 4, (msg & 0xFFFF00) | (status & 0xF0) | (dest & 0x0F));
}
}  // namespace

void ResetRecording() {
  g_smpu.recorded.Clear();
  g_smpu.recLast = 0;
  g_smpu.recCarry = 0;
}

void CALLBACK SmpuMidiInProc(HMIDIIN, UINT msg, DWORD_PTR, DWORD_PTR p1, DWORD_PTR) {
  if (msg != MIM_DATA) return;
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  DWORD m = static_cast<DWORD>(p1);
  int status = m & 0xFF;
  if (!s.open || status < 0x80 || status >= 0xF0) return;
  if (s.thruSw) Thru(m);
  if (s.recSw && s.seqStatus == SMPU_SEQ_PLAYING) RecordMessage(m);
}

SMPUAPI SMPURESULT WINAPI SMPUGetSeqBlock(short handle, WORD* buffer, short max) {
  CallLog("SMPUGetSeqBlock %d %d", handle, max);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (max < 0 || (max && !buffer)) return SMPU_ERR_PARAM;
  size_t n = s.recorded.count < static_cast<size_t>(max) ? s.recorded.count : static_cast<size_t>(max);
  for (size_t i = 0; i < n; ++i) buffer[i] = s.recorded.At(i);
  s.recorded.Drop(n);
  return static_cast<SMPURESULT>(n);
}
