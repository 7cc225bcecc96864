// Input handles. Nothing arrives by itself: vmidiInject hands a message to
// the handle's thread, which gives it to the callback as MIM_DATA.
#include <algorithm>
#include <cstddef>

#include "vmstate.h"

namespace {

HANDLE AsHandle(const std::shared_ptr<VmIn>& in) { return reinterpret_cast<HANDLE>(in.get()); }

// Returns every queued buffer (MIM_LONGDATA, done, nothing recorded). On the
// handle's thread with the lock held; releases it.
void ReturnAllNow(const std::shared_ptr<VmIn>& in, std::unique_lock<std::mutex>& lk) {
  std::vector<MIDIHDR*> done(in->buffers.begin(), in->buffers.end());
  in->buffers.clear();
  in->started = false;
  for (MIDIHDR* hdr : done) {
    hdr->dwBytesRecorded = 0;
    hdr->dwFlags = (hdr->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  }
  std::vector<HANDLE> waiters;
  waiters.swap(in->returnWaiters);
  lk.unlock();
  for (MIDIHDR* hdr : done) {
    VmNotify(in->cb, AsHandle(in), MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(hdr), 0);
  }
  for (HANDLE w : waiters) SetEvent(w);
}

void Deliver(const std::shared_ptr<VmIn>& in, VmInJob* job) {
  VmNotify(in->cb, AsHandle(in), MIM_DATA, job->msg, job->timeMs);
  SetEvent(job->done);
}

DWORD WINAPI InThread(LPVOID arg) {
  std::shared_ptr<VmIn> in = *static_cast<std::shared_ptr<VmIn>*>(arg);
  delete static_cast<std::shared_ptr<VmIn>*>(arg);
  in->threadId = GetCurrentThreadId();
  VmNotify(in->cb, AsHandle(in), MIM_OPEN, 0, 0);
  SetEvent(in->ack);
  for (;;) {
    std::unique_lock<std::mutex> lk(g_vm.mu);
    if (!in->returnWaiters.empty()) {
      ReturnAllNow(in, lk);
      continue;
    }
    if (!in->jobs.empty()) {
      VmInJob* job = in->jobs.front();
      in->jobs.pop_front();
      lk.unlock();
      Deliver(in, job);
      continue;
    }
    if (in->quit) break;
    lk.unlock();
    WaitForSingleObject(in->wake, INFINITE);
  }
  VmNotify(in->cb, AsHandle(in), MIM_CLOSE, 0, 0);
  return 0;
}


}  // namespace

std::shared_ptr<VmIn> VmFindIn(HANDLE h) {
  for (const auto& in : g_vm.ins) {
    if (AsHandle(in) == h) return in;
  }
  return nullptr;
}

extern "C" {

MMRESULT WINAPI midiInOpen(LPHMIDIIN phmi, UINT uDeviceID, DWORD_PTR dwCallback,
                           DWORD_PTR dwInstance, DWORD fdwOpen) {
  if (!phmi) return MMSYSERR_INVALPARAM;
  auto in = std::make_shared<VmIn>();
  MMRESULT r = VmCheckCallback(fdwOpen & ~MIDI_IO_STATUS, dwCallback, &in->cb);
  if (r != MMSYSERR_NOERROR) return r;
  in->cb.instance = dwInstance;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    if (uDeviceID >= g_vm.inNames.size()) return MMSYSERR_BADDEVICEID;
    for (const auto& x : g_vm.ins) {
      if (x->device == uDeviceID) return MMSYSERR_ALLOCATED;
    }
    in->device = uDeviceID;
    in->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    in->ack = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_vm.ins.push_back(in);
  }
  *phmi = reinterpret_cast<HMIDIIN>(AsHandle(in));
  auto* arg = new std::shared_ptr<VmIn>(in);
  in->thread = CreateThread(nullptr, 0, InThread, arg, 0, nullptr);
  if (!in->thread) {
    delete arg;
    std::lock_guard<std::mutex> lk(g_vm.mu);
    g_vm.ins.erase(std::find(g_vm.ins.begin(), g_vm.ins.end(), in));
    return MMSYSERR_NOMEM;
  }
  WaitForSingleObject(in->ack, INFINITE);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInClose(HMIDIIN hmi) {
  std::shared_ptr<VmIn> in;
  {
    std::lock_guard<std::mutex> lk(g_vm.mu);
    in = VmFindIn(hmi);
    if (!in) return MMSYSERR_INVALHANDLE;
    if (!in->buffers.empty()) return MIDIERR_STILLPLAYING;
    g_vm.ins.erase(std::find(g_vm.ins.begin(), g_vm.ins.end(), in));
    in->quit = true;
  }
  SetEvent(in->wake);
  if (GetCurrentThreadId() != in->threadId) WaitForSingleObject(in->thread, INFINITE);
  CloseHandle(in->thread);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInStart(HMIDIIN hmi) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto in = VmFindIn(hmi);
  if (!in) return MMSYSERR_INVALHANDLE;
  in->started = true;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInStop(HMIDIIN hmi) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto in = VmFindIn(hmi);
  if (!in) return MMSYSERR_INVALHANDLE;
  in->started = false;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInReset(HMIDIIN hmi) {
  std::unique_lock<std::mutex> lk(g_vm.mu);
  auto in = VmFindIn(hmi);
  if (!in) return MMSYSERR_INVALHANDLE;
  if (GetCurrentThreadId() == in->threadId) {
    ReturnAllNow(in, lk);
    return MMSYSERR_NOERROR;
  }
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  in->returnWaiters.push_back(done);
  lk.unlock();
  SetEvent(in->wake);
  WaitForSingleObject(done, INFINITE);
  CloseHandle(done);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInPrepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
  if (!pmh || cbmh < offsetof(MIDIHDR, dwOffset) || !pmh->lpData) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  if (!VmFindIn(hmi)) return MMSYSERR_INVALHANDLE;
  if (pmh->dwFlags & MHDR_PREPARED) return MMSYSERR_NOERROR;
  pmh->dwFlags = (pmh->dwFlags | MHDR_PREPARED) & ~(MHDR_DONE | MHDR_INQUEUE);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInUnprepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
  if (!pmh || cbmh < offsetof(MIDIHDR, dwOffset)) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  if (!VmFindIn(hmi)) return MMSYSERR_INVALHANDLE;
  if (!(pmh->dwFlags & MHDR_PREPARED)) return MMSYSERR_NOERROR;
  if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  pmh->dwFlags &= ~MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInAddBuffer(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
  if (!pmh || cbmh < offsetof(MIDIHDR, dwOffset) || !pmh->lpData) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto in = VmFindIn(hmi);
  if (!in) return MMSYSERR_INVALHANDLE;
  if (!(pmh->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  if (pmh->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  pmh->dwFlags = (pmh->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  pmh->dwBytesRecorded = 0;
  in->buffers.push_back(pmh);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInGetID(HMIDIIN hmi, LPUINT puDeviceID) {
  if (!puDeviceID) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  auto in = VmFindIn(hmi);
  if (!in) return MMSYSERR_INVALHANDLE;
  *puDeviceID = in->device;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInMessage(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR) {
  return MMSYSERR_NOTSUPPORTED;
}

BOOL WINAPI vmidiInject(UINT inDevice, DWORD shortMsg, DWORD timeMs) {
  std::unique_lock<std::mutex> lk(g_vm.mu);
  std::shared_ptr<VmIn> in;
  for (const auto& x : g_vm.ins) {
    if (x->device == inDevice) in = x;
  }
  if (!in || !in->started) return FALSE;
  VmInJob job{shortMsg, timeMs, nullptr};
  if (GetCurrentThreadId() == in->threadId) {
    lk.unlock();
    VmNotify(in->cb, AsHandle(in), MIM_DATA, shortMsg, timeMs);
    return TRUE;
  }
  job.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  in->jobs.push_back(&job);
  lk.unlock();
  SetEvent(in->wake);
  WaitForSingleObject(job.done, INFINITE);
  CloseHandle(job.done);
  return TRUE;
}

}  // extern "C"
