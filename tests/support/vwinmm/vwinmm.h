// The virtual MIDI device: a winmm.dll of ours that test runs load in place of
// the system's (WINEDLLOVERRIDES winmm=n, the DLL beside the test program).
// Besides the multimedia calls the product imports, it exports the control
// calls below, bound by name. Tests reach them through VirtualMidi, which
// looks them up in the loaded winmm.dll, so a test program needs no import
// library of its own for them.
//
// Environment read when the DLL attaches (all optional):
//   VMIDI_OUT        output device names separated by ';' (default
//                    "Virtual Out A;Virtual Out B")
//   VMIDI_IN         input device names separated by ';' (default
//                    "Virtual In A;Virtual In B")
//   VMIDI_LOG        path of a text log, one line per message, flushed per line
//   VMIDI_CLOCKRATE  how many times faster than real time the device clock
//                    runs (streams, timers, timeGetTime); default 1
//
// A VMIDI_LOG line holds, separated by spaces: device, kind (short, long,
// sshort, slong, tempo, reset, mci), message (8 hex digits), wallMicros, tick,
// tickMicros, length, then the first bytes in hex when length is not 0.
#pragma once
#include <windows.h>
#include <cstdint>

enum VMidiLogKind : int32_t {
  kVmShort = 0,         // midiOutShortMsg
  kVmLong = 1,          // midiOutLongMsg
  kVmStreamShort = 2,   // MEVT_SHORTMSG played by a stream
  kVmStreamLong = 3,    // MEVT_LONGMSG played by a stream
  kVmStreamTempo = 4,   // MEVT_TEMPO played by a stream (message = us/quarter)
  kVmReset = 5,         // midiOutReset / midiStreamStop on an open device
  kVmMci = 6,           // mciSendStringA (data = the command text)
};

struct VMidiLogEntry {
  int32_t device;        // output device id (-1 for MCI)
  int32_t kind;          // VMidiLogKind
  uint32_t message;      // short message or tempo
  int64_t wallMicros;    // device clock, microseconds since the DLL attached
  int64_t tick;          // stream: ticks since the stream (re)started, else -1
  int64_t tickMicros;    // stream: the time the stream's tempo map gives the
                         // tick, from the same origin as wallMicros; else -1
  int32_t length;        // bytes of a long message or MCI text
  uint8_t data[1024];    // its first bytes
};

extern "C" {
// Replace the device lists (names separated by ';'). Only while no device is open.
typedef BOOL(WINAPI* VmSetDevicesFn)(const char* outNames, const char* inNames);
// The next open of output device id fails with err (0 clears).
typedef void(WINAPI* VmFailOpenFn)(UINT device, UINT err);
// The next n midiOutShortMsg calls on device return MIDIERR_NOTREADY.
typedef void(WINAPI* VmFailShortMsgsFn)(UINT device, int n);
// Deliver MIM_DATA (short message, time in ms since midiInStart) to the
// callback of open input device id, on the device's own thread; returns once
// the callback has returned. FALSE when the device is not open and started.
typedef BOOL(WINAPI* VmInjectFn)(UINT inDevice, DWORD shortMsg, DWORD timeMs);
typedef int(WINAPI* VmLogCountFn)();
typedef BOOL(WINAPI* VmLogEntryFn)(int index, VMidiLogEntry* out);
typedef void(WINAPI* VmLogClearFn)();
// Buffers queued on the streams of output device id and not yet returned.
typedef int(WINAPI* VmPendingBuffersFn)(UINT device);
// Number of currently open handles (out, streams, in) on all devices.
typedef int(WINAPI* VmOpenCountFn)();
}

// Test-side access to the control calls.
struct VirtualMidi {
  VmSetDevicesFn SetDevices = nullptr;
  VmFailOpenFn FailOpen = nullptr;
  VmFailShortMsgsFn FailShortMsgs = nullptr;
  VmInjectFn Inject = nullptr;
  VmLogCountFn LogCount = nullptr;
  VmLogEntryFn LogEntry = nullptr;
  VmLogClearFn LogClear = nullptr;
  VmPendingBuffersFn PendingBuffers = nullptr;
  VmOpenCountFn OpenCount = nullptr;

  // False when the loaded winmm.dll is not the virtual one.
  bool Bind() {
    HMODULE m = GetModuleHandleA("winmm.dll");
    if (!m) m = LoadLibraryA("winmm.dll");
    if (!m) return false;
    SetDevices = reinterpret_cast<VmSetDevicesFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiSetDevices")));
    FailOpen = reinterpret_cast<VmFailOpenFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiFailOpen")));
    FailShortMsgs = reinterpret_cast<VmFailShortMsgsFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiFailShortMsgs")));
    Inject = reinterpret_cast<VmInjectFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiInject")));
    LogCount = reinterpret_cast<VmLogCountFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiLogCount")));
    LogEntry = reinterpret_cast<VmLogEntryFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiLogEntry")));
    LogClear = reinterpret_cast<VmLogClearFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiLogClear")));
    PendingBuffers = reinterpret_cast<VmPendingBuffersFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiPendingBuffers")));
    OpenCount = reinterpret_cast<VmOpenCountFn>(reinterpret_cast<void*>(GetProcAddress(m, "vmidiOpenCount")));
    return SetDevices && FailOpen && FailShortMsgs && Inject && LogCount && LogEntry &&
           LogClear && PendingBuffers && OpenCount;
  }
};
