// What the MIDI input logic needs from the engine that owns the devices:
// posting a notice to the host window and sending a thru message.
#pragma once
#include <windows.h>

struct EngineNotify {
  virtual ~EngineNotify() = default;
  // Posts msg to the host window (never sends: callers run on driver threads).
  virtual void Post(UINT msg, WPARAM w, LPARAM l) = 0;
  // Sends one short message on output port 0-3, retrying while the driver
  // refuses it.
  virtual void SendThru(int port, DWORD shortMsg) = 0;
};
