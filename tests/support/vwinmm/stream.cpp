// Streams: buffers of MIDIEVENT records played in order on the device clock.
// A tick's time comes from the tempo map (the tempo in force since anchorTick,
// which the map puts at anchorMap), counted from tick 0's start, plus the
// time spent paused since.
#include <cstring>

#include "vmstate.h"

namespace {

constexpr DWORD kEventHeader = 12;  // dwDeltaTime, dwStreamID, dwEvent
constexpr DWORD kCallbackType = MEVT_F_CALLBACK >> 24;

int64_t MapMicros(const VmOut& o, int64_t tick) {
  return o.anchorMap + (tick - o.anchorTick) * static_cast<int64_t>(o.tempo) / o.timeDiv;
}

int64_t DueMicros(const VmOut& o, int64_t tick) {
  return o.startMicros + o.pausedTotal + MapMicros(o, tick);
}

// The tick the stream's clock has reached.
int64_t ClockTick(const VmOut& o, int64_t now) {
  int64_t play = VmStreamPlayMicros(o, now);
  if (play <= o.anchorMap) return o.anchorTick;
  return o.anchorTick + (play - o.anchorMap) * o.timeDiv / o.tempo;
}

// A tempo or time division set by a call takes effect from the current tick.
void Reanchor(VmOut& o) {
  if (!o.started) return;
  int64_t tick = ClockTick(o, VmNow());
  if (tick < o.cursorTick) tick = o.cursorTick;
  o.anchorMap = MapMicros(o, tick);
  o.anchorTick = tick;
}

std::shared_ptr<VmOut> FindStream(HMIDISTRM h) {
  auto o = VmFindOut(h);
  return o && o->stream ? o : nullptr;
}

}  // namespace

int64_t VmStreamPlayMicros(const VmOut& o, int64_t now) {
  if (!o.started) return 0;
  return (o.playing ? now : o.pausedAt) - o.startMicros - o.pausedTotal;
}

bool VmStreamStep(const std::shared_ptr<VmOut>& o, std::unique_lock<std::mutex>& lk) {
  if (!o->playing || o->queue.empty()) return false;
  MIDIHDR* hdr = o->queue.front();
  HANDLE h = reinterpret_cast<HANDLE>(o.get());
  const BYTE* data = reinterpret_cast<const BYTE*>(hdr->lpData);
  DWORD end = hdr->dwBytesRecorded;
  DWORD at = o->offset;
  DWORD ev[3] = {};
  DWORD size = kEventHeader;
  DWORD length = 0;
  bool finished = at + kEventHeader > end;
  if (!finished) {
    memcpy(ev, data + at, sizeof ev);
    if (ev[2] & MEVT_F_LONG) {
      length = MEVT_EVENTPARM(ev[2]);
      size += (length + 3) & ~3u;
      // A record running past the recorded bytes ends the buffer.
      finished = length > end - at - kEventHeader;
    }
  }
  if (finished) {
    o->queue.pop_front();
    o->offset = 0;
    hdr->dwFlags = (hdr->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    lk.unlock();
    VmNotify(o->cb, h, MOM_DONE, reinterpret_cast<DWORD_PTR>(hdr), 0);
    return true;
  }
  int64_t tick = o->cursorTick + ev[0];
  int64_t due = DueMicros(*o, tick);
  if (VmNow() < due) {
    lk.unlock();
    VmWaitUntil(due, o->wake, true);  // then look again: the state may have changed
    return true;
  }
  o->cursorTick = tick;
  o->offset = at + size;
  int device = static_cast<int>(o->device);
  BYTE type = MEVT_EVENTTYPE(ev[2]) & ~kCallbackType;
  if (ev[2] & MEVT_F_LONG) {
    if (type == MEVT_LONGMSG) VmLog(device, kVmStreamLong, 0, tick, due, data + at + kEventHeader, length);
  } else if (type == MEVT_SHORTMSG) {
    VmLog(device, kVmStreamShort, MEVT_EVENTPARM(ev[2]), tick, due, nullptr, 0);
  } else if (type == MEVT_TEMPO) {
    DWORD tempo = MEVT_EVENTPARM(ev[2]);
    if (tempo != 0) {
      o->anchorMap = MapMicros(*o, tick);
      o->anchorTick = tick;
      o->tempo = tempo;
    }
    VmLog(device, kVmStreamTempo, tempo, tick, due, nullptr, 0);
  }
  if (ev[2] & MEVT_F_CALLBACK) {
    hdr->dwOffset = at;
    lk.unlock();
    VmNotify(o->cb, h, MOM_POSITIONCB, reinterpret_cast<DWORD_PTR>(hdr), 0);
    return true;
  }
  lk.unlock();
  return true;
}

extern "C" {

MMRESULT WINAPI midiStreamOpen(LPHMIDISTRM phms, LPUINT puDeviceID, DWORD cMidi,
                               DWORD_PTR dwCallback, DWORD_PTR dwInstance, DWORD fdwOpen) {
  if (!phms || !puDeviceID || cMidi != 1) return MMSYSERR_INVALPARAM;
  return VmOpenOut(*puDeviceID, dwCallback, dwInstance, fdwOpen & ~MIDI_IO_STATUS, true,
                   reinterpret_cast<HANDLE*>(phms));
}

MMRESULT WINAPI midiStreamClose(HMIDISTRM hms) { return VmCloseOut(hms, true); }

MMRESULT WINAPI midiStreamOut(HMIDISTRM hms, LPMIDIHDR pmh, UINT cbmh) {
  if (!pmh || cbmh < offsetof(MIDIHDR, dwOffset) || !pmh->lpData ||
      pmh->dwBytesRecorded > pmh->dwBufferLength) {
    return MMSYSERR_INVALPARAM;
  }
  std::shared_ptr<VmOut> o;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    o = FindStream(hms);
    if (!o) return MMSYSERR_INVALHANDLE;
    if (!(pmh->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    pmh->dwFlags = (pmh->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE | MHDR_ISSTRM;
    pmh->dwOffset = 0;
    o->queue.push_back(pmh);
  }
  SetEvent(o->wake);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiStreamPause(HMIDISTRM hms) {
  std::shared_ptr<VmOut> o;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    o = FindStream(hms);
    if (!o) return MMSYSERR_INVALHANDLE;
    if (!o->playing) return MMSYSERR_NOERROR;
    o->playing = false;
    o->pausedAt = VmNow();
  }
  SetEvent(o->wake);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiStreamRestart(HMIDISTRM hms) {
  std::shared_ptr<VmOut> o;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    o = FindStream(hms);
    if (!o) return MMSYSERR_INVALHANDLE;
    if (o->playing) return MMSYSERR_NOERROR;
    int64_t now = VmNow();
    if (!o->started) {
      o->started = true;
      o->startMicros = now;
      o->pausedTotal = 0;
    } else {
      o->pausedTotal += now - o->pausedAt;
    }
    o->playing = true;
  }
  SetEvent(o->wake);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiStreamStop(HMIDISTRM hms) {
  std::shared_ptr<VmOut> o;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    o = FindStream(hms);
    if (!o) return MMSYSERR_INVALHANDLE;
    VmLog(static_cast<int>(o->device), kVmReset, 0, -1, -1, nullptr, 0);
  }
  VmReturnAll(o);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiStreamProperty(HMIDISTRM hms, LPBYTE lppropdata, DWORD dwProperty) {
  if (!lppropdata) return MMSYSERR_INVALPARAM;
  bool get = (dwProperty & MIDIPROP_GET) != 0;
  bool set = (dwProperty & MIDIPROP_SET) != 0;
  DWORD which = dwProperty & ~(MIDIPROP_GET | MIDIPROP_SET);
  if (get == set) return MMSYSERR_INVALPARAM;
  std::shared_ptr<VmOut> o;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    o = FindStream(hms);
    if (!o) return MMSYSERR_INVALHANDLE;
    if (which == MIDIPROP_TIMEDIV) {
      auto* p = reinterpret_cast<MIDIPROPTIMEDIV*>(lppropdata);
      if (p->cbStruct < sizeof(MIDIPROPTIMEDIV)) return MMSYSERR_INVALPARAM;
      if (get) {
        p->dwTimeDiv = o->timeDiv;
        return MMSYSERR_NOERROR;
      }
      // Ticks per quarter only; SMPTE divisions are not played.
      if (p->dwTimeDiv == 0 || (p->dwTimeDiv & 0x8000)) return MMSYSERR_INVALPARAM;
      Reanchor(*o);
      o->timeDiv = p->dwTimeDiv;
    } else if (which == MIDIPROP_TEMPO) {
      auto* p = reinterpret_cast<MIDIPROPTEMPO*>(lppropdata);
      if (p->cbStruct < sizeof(MIDIPROPTEMPO)) return MMSYSERR_INVALPARAM;
      if (get) {
        p->dwTempo = o->tempo;
        return MMSYSERR_NOERROR;
      }
      if (p->dwTempo == 0) return MMSYSERR_INVALPARAM;
      Reanchor(*o);
      o->tempo = p->dwTempo;
    } else {
      return MMSYSERR_INVALPARAM;
    }
  }
  SetEvent(o->wake);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiStreamPosition(HMIDISTRM hms, LPMMTIME lpmmt, UINT cbmmt) {
  if (!lpmmt || cbmmt < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto o = FindStream(hms);
  if (!o) return MMSYSERR_INVALHANDLE;
  int64_t now = VmNow();
  if (lpmmt->wType == TIME_TICKS) {
    lpmmt->u.ticks = static_cast<DWORD>(ClockTick(*o, now));
  } else {
    lpmmt->wType = TIME_MS;
    lpmmt->u.ms = static_cast<DWORD>(VmStreamPlayMicros(*o, now) / 1000);
  }
  return MMSYSERR_NOERROR;
}

}  // extern "C"
