// The input side of the engine without its devices: the two input
// assignments, the table of held keys, note forwarding to the host window
// and the thru routing. OnShortMessage runs on the MIDI input thread; the
// other members on the host thread.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include <windows.h>

#include "enginenotify.h"
#include "recorder.h"

constexpr int kMidiInputCount = 2;
constexpr int kKeyTableBytes = 128;
constexpr int kInputUnassigned = -2;
constexpr int kInputNone = -1;
// ChangeMIDIINPort results.
constexpr int kInputBadNumber = 1025;
constexpr int kInputAlreadyAssigned = 1026;
// Forwarding mode ((StartMIDIInPort argument) >> 1) that posts one note
// per acknowledgement.
constexpr int kForwardOnePerAck = 5;

struct MidiInputEntry {
  int deviceId = kInputUnassigned;  // -2 unassigned, -1 none
  bool enabled = false;             // to be opened by the engine
};

class MidiInput {
 public:
  // ChangeMIDIINPort: 0, kInputBadNumber or kInputAlreadyAssigned.
  int ChangeInputPort(int input, int deviceId);
  // Back to unassigned, for when the engine lets go of its inputs.
  void ResetInputs();
  // Entry 0 or 1 (an unassigned entry for any other number).
  MidiInputEntry Input(int input) const;

  // The engine's shareable block of kKeyTableBytes, or null once freed.
  void SetKeyTable(uint8_t* table);
  // GetMIDIInTable: copies the table (zeros when there is none) and
  // acknowledges the last forwarded note.
  void CopyKeyTable(uint8_t* out);

  // StartMIDIInPort(mode): forwarding on in mode (mode >> 1).
  void StartForwarding(int mode);
  // StopMIDIInPort.
  void StopForwarding();
  // The host took the forwarded note (GetMIDIInTable, OpenMIDIInPort and
  // the forwarding switches).
  void Acknowledge();
  bool Forwarding() const { return forwarding_.load(); }
  int ForwardMode() const { return forwardMode_.load(); }

  // THRUAssign: mode 0 off, 1 as received, 2 channel := value & 0x0F;
  // port (value >> 4) & 3. Returns mode.
  int SetThru(int mode, int value);
  int ThruMode() const { return thruMode_.load(); }
  // The message thru sends for msg, or false when nothing is sent.
  bool MapThru(DWORD msg, int& port, DWORD& out) const;

  // One short message from either input: recording, then note forwarding
  // (message WM_ZK_MIDIINPUT, wParam 0, lParam msg) when a window receives
  // it, then thru.
  void OnShortMessage(DWORD msg, DWORD timeMs, int tempo, Recorder& recorder,
                      EngineNotify& notify, bool windowKnown);

 private:
  MidiInputEntry inputs_[kMidiInputCount];
  std::mutex keyMu_;
  uint8_t* keys_ = nullptr;
  std::atomic<bool> forwarding_{false};
  std::atomic<int> forwardMode_{0};
  std::atomic<bool> acknowledged_{true};
  std::atomic<int> thruMode_{0};
  std::atomic<int> thruValue_{0};
};
