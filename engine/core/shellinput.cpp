// MIDI input devices: opening, closing, step input and the key table.
#include <zk/messages.h>

#include "enginenotify.h"
#include "engineshell.h"

namespace {

class HostNotify : public EngineNotify {
 public:
  void Post(UINT msg, WPARAM w, LPARAM l) override {
    HWND to = msg == WM_ZK_MIDIINPUT ? g_shell.inputWindow : g_shell.window;
    if (to) PostMessageA(to, msg, w, l);
  }
  void SendThru(int port, DWORD message) override { SendShortNow(port, message, 500, 2); }
};

HostNotify g_notify;

}  // namespace

void OnInputMessage(DWORD message, DWORD timeMs, Recorder& recorder) {
  g_shell.input.OnShortMessage(message, timeMs, g_shell.tempo.load(), recorder, g_notify,
                              g_shell.inputWindow != nullptr);
}

int OpenInputs(HWND window, DWORD_PTR callback) {
  CloseInputs();
  g_shell.inputWindow = window;
  g_shell.keyTable = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, kKeyTableBytes);
  if (g_shell.keyTable) {
    g_shell.keyTablePtr = static_cast<uint8_t*>(GlobalLock(g_shell.keyTable));
    g_shell.input.SetKeyTable(g_shell.keyTablePtr);
  }
  for (int i = 0; i < kMidiInputCount; ++i) {
    MidiInputEntry e = g_shell.input.Input(i);
    if (!e.enabled || e.deviceId < 0) continue;
    HMIDIIN h = nullptr;
    // An input that fails to open stays closed; the other still works.
    if (midiInOpen(&h, static_cast<UINT>(e.deviceId), callback, 0, CALLBACK_FUNCTION) == MMSYSERR_NOERROR)
      g_shell.inHandle[i] = h;
  }
  for (HMIDIIN h : g_shell.inHandle)
    if (h) midiInStart(h);
  g_shell.input.Acknowledge();
  return 2;
}

void CloseInputs() {
  for (HMIDIIN& h : g_shell.inHandle) {
    if (!h) continue;
    midiInStop(h);
    midiInReset(h);
    midiInClose(h);
    h = nullptr;
  }
  g_shell.input.SetKeyTable(nullptr);
  if (g_shell.keyTable) {
    GlobalUnlock(g_shell.keyTable);
    GlobalFree(g_shell.keyTable);
    g_shell.keyTable = nullptr;
    g_shell.keyTablePtr = nullptr;
  }
}

extern "C" int WINAPI ChangeMIDIINPort(int input, int deviceId, int, int) {
  return g_shell.input.ChangeInputPort(input, deviceId);
}

extern "C" int WINAPI CloseMIDIInPort() {
  CloseInputs();
  return 0;
}

extern "C" int WINAPI StartMIDIInPort(int mode) {
  for (HMIDIIN h : g_shell.inHandle)
    if (h) midiInStart(h);
  g_shell.input.StartForwarding(mode);
  return 0;
}

extern "C" int WINAPI StopMIDIInPort() {
  g_shell.input.StopForwarding();
  return 0;
}

extern "C" int WINAPI GetMIDIInTable(HGLOBAL handle) {
  if (!handle || GlobalSize(handle) < kKeyTableBytes) return 0;
  auto* out = static_cast<uint8_t*>(GlobalLock(handle));
  if (!out) return 0;
  g_shell.input.CopyKeyTable(out);
  GlobalUnlock(handle);
  return 1;
}

