#include "midiinput.h"

#include <cstring>

#include <zk/messages.h>

int MidiInput::ChangeInputPort(int input, int deviceId) {
  if (input < 0 || input >= kMidiInputCount) return kInputBadNumber;
  MidiInputEntry& entry = inputs_[input];
  if (entry.deviceId != kInputUnassigned) return kInputAlreadyAssigned;
  if (deviceId < 0) {
    // No negative id names a device; an unassigned one would leave the
    // entry open to reassignment while enabled.
    entry.deviceId = kInputNone;
    entry.enabled = false;
    return 0;
  }
  entry.deviceId = deviceId;
  // One device is opened once: a second input on it stays closed.
  const MidiInputEntry& other = inputs_[1 - input];
  entry.enabled = !(other.enabled && other.deviceId == deviceId);
  return 0;
}

void MidiInput::ResetInputs() {
  for (MidiInputEntry& entry : inputs_) entry = MidiInputEntry{};
}

MidiInputEntry MidiInput::Input(int input) const {
  if (input < 0 || input >= kMidiInputCount) return MidiInputEntry{};
  return inputs_[input];
}

void MidiInput::SetKeyTable(uint8_t* table) {
  std::lock_guard<std::mutex> lock(keyMu_);
  keys_ = table;
}

void MidiInput::CopyKeyTable(uint8_t* out) {
  {
    std::lock_guard<std::mutex> lock(keyMu_);
    if (keys_)
      std::memcpy(out, keys_, kKeyTableBytes);
    else
      std::memset(out, 0, kKeyTableBytes);
  }
  Acknowledge();
}

void MidiInput::StartForwarding(int mode) {
  forwardMode_ = mode >> 1;
  acknowledged_ = true;
  forwarding_ = true;
}

void MidiInput::StopForwarding() {
  forwarding_ = false;
  acknowledged_ = true;
}

void MidiInput::Acknowledge() { acknowledged_ = true; }

int MidiInput::SetThru(int mode, int value) {
  thruValue_ = value;
  thruMode_ = mode;
  return mode;
}

bool MidiInput::MapThru(DWORD msg, int& port, DWORD& out) const {
  const int mode = thruMode_.load();
  if (mode == 0) return false;
  const int value = thruValue_.load();
  port = (value >> 4) & 3;
  out = msg;
  const DWORD status = msg & 0xFF;
  if (mode == 2 && status >= 0x80 && status <= 0xEF)
    out = (msg & ~DWORD{0x0F}) | static_cast<DWORD>(value & 0x0F);
  return true;
}

void MidiInput::OnShortMessage(DWORD msg, DWORD timeMs, int tempo, Recorder& recorder,
                               EngineNotify& notify, bool windowKnown) {
  recorder.OnMessage(msg, timeMs, tempo, notify);

  const DWORD status = msg & 0xFF;
  if (forwarding_.load() && windowKnown && status >= 0x80 && status <= 0x9F) {
    const unsigned key = (msg >> 8) & 0xFF;
    const uint8_t velocity = status < 0x90 ? 0 : static_cast<uint8_t>((msg >> 16) & 0xFF);
    if (key < kKeyTableBytes) {
      std::lock_guard<std::mutex> lock(keyMu_);
      if (keys_) keys_[key] = velocity;
    }
    // In the one-per-acknowledgement mode only the caller that takes the
    // acknowledgement posts.
    if (forwardMode_.load() != kForwardOnePerAck || acknowledged_.exchange(false))
      notify.Post(WM_ZK_MIDIINPUT, 0, static_cast<LPARAM>(msg));
  }

  int port = 0;
  DWORD out = 0;
  if (MapThru(msg, port, out)) notify.SendThru(port, out);
}
