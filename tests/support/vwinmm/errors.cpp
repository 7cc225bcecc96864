// Error texts of the MIDI calls.
#include "vmstate.h"

namespace {

const char* TextOf(MMRESULT err) {
  switch (err) {
    case MMSYSERR_NOERROR: return "The specified command was carried out.";
    case MMSYSERR_ERROR: return "Undefined external error.";
    case MMSYSERR_BADDEVICEID: return "A device ID has been used that is out of range for your system.";
    case MMSYSERR_NOTENABLED: return "The driver was not enabled.";
    case MMSYSERR_ALLOCATED: return "The specified device is already in use.";
    case MMSYSERR_INVALHANDLE: return "The specified device handle is invalid.";
    case MMSYSERR_NODRIVER: return "There is no driver installed on your system.";
    case MMSYSERR_NOMEM: return "Not enough memory available for this task.";
    case MMSYSERR_NOTSUPPORTED: return "This function is not supported.";
    case MMSYSERR_BADERRNUM: return "An error number was specified that is not defined in the system.";
    case MMSYSERR_INVALFLAG: return "An invalid flag was passed to a system function.";
    case MMSYSERR_INVALPARAM: return "An invalid parameter was passed to a system function.";
    case MIDIERR_UNPREPARED: return "The header was not prepared.";
    case MIDIERR_STILLPLAYING: return "Buffers are still in the queue.";
    case MIDIERR_NOMAP: return "There is no MIDI map.";
    case MIDIERR_NOTREADY: return "The MIDI port is busy.";
    case MIDIERR_NODEVICE: return "The MIDI device is not present.";
    case MIDIERR_INVALIDSETUP: return "The MIDI setup is not valid.";
    case MIDIERR_BADOPENMODE: return "The operation is not allowed in this open mode.";
    case MIDIERR_DONT_CONTINUE: return "The input callback asked to stop.";
    default: return nullptr;
  }
}

}  // namespace

MMRESULT VmErrorText(MMRESULT err, char* text, UINT cch) {
  if (!text) return MMSYSERR_INVALPARAM;
  if (cch == 0) return MMSYSERR_NOERROR;
  const char* s = TextOf(err);
  if (!s) {
    text[0] = 0;
    return MMSYSERR_BADERRNUM;
  }
  lstrcpynA(text, s, cch);
  return MMSYSERR_NOERROR;
}

static MMRESULT ErrorTextW(MMRESULT err, LPWSTR text, UINT cch) {
  if (!text) return MMSYSERR_INVALPARAM;
  if (cch == 0) return MMSYSERR_NOERROR;
  char narrow[128];
  MMRESULT r = VmErrorText(err, narrow, sizeof narrow);
  if (r != MMSYSERR_NOERROR) {
    text[0] = 0;
    return r;
  }
  if (!MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, cch)) text[cch - 1] = 0;
  return MMSYSERR_NOERROR;
}

extern "C" {

MMRESULT WINAPI midiOutGetErrorTextA(MMRESULT mmrError, LPSTR pszText, UINT cchText) {
  return VmErrorText(mmrError, pszText, cchText);
}
MMRESULT WINAPI midiOutGetErrorTextW(MMRESULT mmrError, LPWSTR pszText, UINT cchText) {
  return ErrorTextW(mmrError, pszText, cchText);
}
MMRESULT WINAPI midiInGetErrorTextA(MMRESULT mmrError, LPSTR pszText, UINT cchText) {
  return VmErrorText(mmrError, pszText, cchText);
}
MMRESULT WINAPI midiInGetErrorTextW(MMRESULT mmrError, LPWSTR pszText, UINT cchText) {
  return ErrorTextW(mmrError, pszText, cchText);
}

}  // extern "C"
