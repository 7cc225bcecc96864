// A playback engine of the product bound in the program running in the test
// process, its output and input port 0 on the virtual MIDI device.
#pragma once
#include "settings.h"
#include "vwinmm.h"

class BoundEngine {
 public:
  // Binds the engine file (with input port 0 unless told otherwise); false
  // when the virtual device or the engine is missing.
  bool Bind(const char* engineFile, bool withInput = true);
  // Stops any play, closes the ports, unloads the engine and puts back the
  // settings and play state from before Bind.
  void Release();
  bool Playing() const;

  VirtualMidi vm;

 private:
  AppSettings saved_{};
  bool bound_ = false;
};
