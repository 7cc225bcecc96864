// Telling a handle's owner: function, window, thread or event, as opened.
#include "vmstate.h"

typedef void(CALLBACK* VmMidiProc)(HANDLE, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

MMRESULT VmCheckCallback(DWORD fdwOpen, DWORD_PTR target, VmCallback* out) {
  out->type = fdwOpen & CALLBACK_TYPEMASK;
  out->target = target;
  switch (out->type) {
    case CALLBACK_NULL:
      return MMSYSERR_NOERROR;
    case CALLBACK_WINDOW:
      return !target || IsWindow(reinterpret_cast<HWND>(target)) ? MMSYSERR_NOERROR
                                                                 : MMSYSERR_INVALPARAM;
    case CALLBACK_FUNCTION:
    case CALLBACK_THREAD:
    case CALLBACK_EVENT:
      return MMSYSERR_NOERROR;
    default:
      return MMSYSERR_INVALFLAG;
  }
}

void VmNotify(const VmCallback& cb, HANDLE h, UINT msg, DWORD_PTR p1, DWORD_PTR p2) {
  switch (cb.type) {
    case CALLBACK_FUNCTION:
      if (cb.target) reinterpret_cast<VmMidiProc>(cb.target)(h, msg, cb.instance, p1, p2);
      break;
    case CALLBACK_WINDOW:
      if (cb.target) {
        PostMessageA(reinterpret_cast<HWND>(cb.target), msg, reinterpret_cast<WPARAM>(h), p1);
      }
      break;
    case CALLBACK_THREAD:
      PostThreadMessageA(static_cast<DWORD>(cb.target), msg, reinterpret_cast<WPARAM>(h), p1);
      break;
    case CALLBACK_EVENT:
      SetEvent(reinterpret_cast<HANDLE>(cb.target));
      break;
    default:
      break;
  }
}
