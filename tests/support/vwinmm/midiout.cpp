// Output handles: ports and streams share the open/close, the header calls
// and the thread that returns buffers.
#include <algorithm>
#include <cstddef>

#include "vmstate.h"

namespace {

HANDLE AsHandle(const std::shared_ptr<VmOut>& o) { return reinterpret_cast<HANDLE>(o.get()); }

void MarkDone(MIDIHDR* hdr) {
  hdr->dwFlags = (hdr->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
}

// Returns every queued header and moves the stream back to tick 0, paused.
// Called on the handle's thread with the lock held; releases it.
void ReturnAllNow(const std::shared_ptr<VmOut>& o, std::unique_lock<std::mutex>& lk) {
  std::vector<MIDIHDR*> done(o->sent.begin(), o->sent.end());
  done.insert(done.end(), o->queue.begin(), o->queue.end());
  o->sent.clear();
  o->queue.clear();
  for (MIDIHDR* hdr : done) MarkDone(hdr);
  o->offset = 0;
  o->playing = false;
  o->started = false;
  o->pausedTotal = 0;
  o->cursorTick = 0;
  o->anchorTick = 0;
  o->anchorMap = 0;
  std::vector<HANDLE> waiters;
  waiters.swap(o->returnWaiters);
  lk.unlock();
  for (MIDIHDR* hdr : done) VmNotify(o->cb, AsHandle(o), MOM_DONE, reinterpret_cast<DWORD_PTR>(hdr), 0);
  for (HANDLE w : waiters) SetEvent(w);
}

DWORD WINAPI OutThread(LPVOID arg) {
  std::shared_ptr<VmOut> o = *static_cast<std::shared_ptr<VmOut>*>(arg);
  delete static_cast<std::shared_ptr<VmOut>*>(arg);
  o->threadId = GetCurrentThreadId();
  VmNotify(o->cb, AsHandle(o), MOM_OPEN, 0, 0);
  SetEvent(o->ack);
  for (;;) {
    std::unique_lock<std::mutex> lk(g_vm.mu);
    if (!o->returnWaiters.empty()) {
      ReturnAllNow(o, lk);
      continue;
    }
    if (!o->sent.empty()) {
      MIDIHDR* hdr = o->sent.front();
      o->sent.pop_front();
      MarkDone(hdr);
      lk.unlock();
      VmNotify(o->cb, AsHandle(o), MOM_DONE, reinterpret_cast<DWORD_PTR>(hdr), 0);
      continue;
    }
    if (o->quit) break;
    if (o->stream && VmStreamStep(o, lk)) continue;
    lk.unlock();
    WaitForSingleObject(o->wake, INFINITE);
  }
  VmNotify(o->cb, AsHandle(o), MOM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

std::shared_ptr<VmOut> VmFindOut(HANDLE h) {
  for (const auto& o : g_vm.outs) {
    if (AsHandle(o) == h) return o;
  }
  return nullptr;
}

MMRESULT VmOpenOut(UINT device, DWORD_PTR cb, DWORD_PTR inst, DWORD fdwOpen, bool stream,
                   HANDLE* out) {
  if (!out) return MMSYSERR_INVALPARAM;
  auto o = std::make_shared<VmOut>();
  MMRESULT r = VmCheckCallback(fdwOpen, cb, &o->cb);
  if (r != MMSYSERR_NOERROR) return r;
  o->cb.instance = inst;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    bool mapper = device == static_cast<UINT>(MIDI_MAPPER);
    if (mapper) {
      if (g_vm.outNames.empty()) return MIDIERR_NODEVICE;
      device = 0;
    } else if (device >= g_vm.outNames.size()) {
      return MMSYSERR_BADDEVICEID;
    }
    if (g_vm.failOpen[device] != 0) {
      r = g_vm.failOpen[device];
      g_vm.failOpen[device] = 0;
      return r;
    }
    for (const auto& x : g_vm.outs) {
      if (x->device == device) return MMSYSERR_ALLOCATED;
    }
    o->device = device;
    o->mapper = mapper;
    o->stream = stream;
    o->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    o->ack = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_vm.outs.push_back(o);
  }
  *out = AsHandle(o);
  auto* arg = new std::shared_ptr<VmOut>(o);
  o->thread = CreateThread(nullptr, 0, OutThread, arg, 0, nullptr);
  if (!o->thread) {
    delete arg;
    std::lock_guard<std::mutex> lk(g_vm.mu);
    g_vm.outs.erase(std::find(g_vm.outs.begin(), g_vm.outs.end(), o));
    return MMSYSERR_NOMEM;
  }
  WaitForSingleObject(o->ack, INFINITE);
  return MMSYSERR_NOERROR;
}

MMRESULT VmCloseOut(HANDLE h, bool stream) {
  std::shared_ptr<VmOut> o;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    o = VmFindOut(h);
    if (!o || (stream && !o->stream)) return MMSYSERR_INVALHANDLE;
    if (!o->queue.empty() || !o->sent.empty()) return MIDIERR_STILLPLAYING;
    g_vm.outs.erase(std::find(g_vm.outs.begin(), g_vm.outs.end(), o));
    o->quit = true;
  }
  SetEvent(o->wake);
  // From its own callback the thread ends after the callback returns.
  if (GetCurrentThreadId() != o->threadId) WaitForSingleObject(o->thread, INFINITE);
  CloseHandle(o->thread);
  return MMSYSERR_NOERROR;
}

void VmReturnAll(const std::shared_ptr<VmOut>& o) {
  std::unique_lock<std::mutex> lk(g_vm.mu);
  if (o->quit) return;  // closed meanwhile: nothing was queued
  if (GetCurrentThreadId() == o->threadId) {
    ReturnAllNow(o, lk);
    return;
  }
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  o->returnWaiters.push_back(done);
  lk.unlock();
  SetEvent(o->wake);
  WaitForSingleObject(done, INFINITE);
  CloseHandle(done);
}

extern "C" {

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback,
                            DWORD_PTR dwInstance, DWORD fdwOpen) {
  return VmOpenOut(uDeviceID, dwCallback, dwInstance, fdwOpen, false,
                   reinterpret_cast<HANDLE*>(phmo));
}

MMRESULT WINAPI midiOutClose(HMIDIOUT hmo) { return VmCloseOut(hmo, false); }

MMRESULT WINAPI midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto o = VmFindOut(hmo);
  if (!o) return MMSYSERR_INVALHANDLE;
  if (g_vm.failShort[o->device] > 0) {
    --g_vm.failShort[o->device];
    return MIDIERR_NOTREADY;
  }
  VmLog(static_cast<int>(o->device), kVmShort, dwMsg, -1, -1, nullptr, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutPrepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
  if (!pmh || cbmh < offsetof(MIDIHDR, dwOffset) || !pmh->lpData) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  if (!VmFindOut(hmo)) return MMSYSERR_INVALHANDLE;
  if (pmh->dwFlags & MHDR_PREPARED) return MMSYSERR_NOERROR;
  pmh->dwFlags = (pmh->dwFlags | MHDR_PREPARED) & ~(MHDR_DONE | MHDR_INQUEUE);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutUnprepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
  if (!pmh || cbmh < offsetof(MIDIHDR, dwOffset)) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  if (!VmFindOut(hmo)) return MMSYSERR_INVALHANDLE;
  if (!(pmh->dwFlags & MHDR_PREPARED)) return MMSYSERR_NOERROR;
  if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  pmh->dwFlags &= ~MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutLongMsg(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
  if (!pmh || cbmh < offsetof(MIDIHDR, dwOffset) || !pmh->lpData) return MMSYSERR_INVALPARAM;
  std::shared_ptr<VmOut> o;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    o = VmFindOut(hmo);
    if (!o) return MMSYSERR_INVALHANDLE;
    if (!(pmh->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    VmLog(static_cast<int>(o->device), kVmLong, 0, -1, -1, pmh->lpData,
          static_cast<int>(pmh->dwBufferLength));
    pmh->dwFlags = (pmh->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    o->sent.push_back(pmh);
  }
  SetEvent(o->wake);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutReset(HMIDIOUT hmo) {
  std::shared_ptr<VmOut> o;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    o = VmFindOut(hmo);
    if (!o) return MMSYSERR_INVALHANDLE;
    VmLog(static_cast<int>(o->device), kVmReset, 0, -1, -1, nullptr, 0);
  }
  VmReturnAll(o);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutGetID(HMIDIOUT hmo, LPUINT puDeviceID) {
  if (!puDeviceID) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto o = VmFindOut(hmo);
  if (!o) return MMSYSERR_INVALHANDLE;
  *puDeviceID = o->mapper ? static_cast<UINT>(MIDI_MAPPER) : o->device;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutMessage(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR) {
  return MMSYSERR_NOTSUPPORTED;
}

MMRESULT WINAPI midiOutSetVolume(HMIDIOUT hmo, DWORD dwVolume) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto o = VmFindOut(hmo);
  if (!o) return MMSYSERR_INVALHANDLE;
  o->volume = dwVolume;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutGetVolume(HMIDIOUT hmo, LPDWORD pdwVolume) {
  if (!pdwVolume) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto o = VmFindOut(hmo);
  if (!o) return MMSYSERR_INVALHANDLE;
  *pdwVolume = o->volume;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutCachePatches(HMIDIOUT, UINT, LPWORD, UINT) { return MMSYSERR_NOTSUPPORTED; }
MMRESULT WINAPI midiOutCacheDrumPatches(HMIDIOUT, UINT, LPWORD, UINT) {
  return MMSYSERR_NOTSUPPORTED;
}
MMRESULT WINAPI midiConnect(HMIDI, HMIDIOUT, LPVOID) { return MMSYSERR_NOTSUPPORTED; }
MMRESULT WINAPI midiDisconnect(HMIDI, HMIDIOUT, LPVOID) { return MMSYSERR_NOTSUPPORTED; }

}  // extern "C"
