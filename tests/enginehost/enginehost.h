// A host of an engine as the programs are: it loads the library,
// binds its exports by ordinal, owns a window for the engine's messages and
// hands songs over in movable handle tables.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <zk/song.h>

#include "vwinmm.h"

struct EngineMessage {
  UINT msg;
  WPARAM w;
  LPARAM l;
};

// Builds the blocks of a song in movable memory; the table handed to the
// engine is made per play, as the main program does.
class SongBlocks {
 public:
  SongBlocks(int tempo = 120, int timeBase = 480);
  ~SongBlocks();
  SongHeader& Header() { return header_; }
  // Adds a track; returns its number (from 1).
  int AddTrack(const std::vector<StepEvent>& events, uint8_t channel = 0, uint8_t mode = 0,
               uint8_t keyShift = 0, int8_t stepShift = 0, uint8_t rhythm = 0);
  TrackHeader& Track(int n) { return tracks_[n - 1]; }
  int TrackCount() const { return static_cast<int>(tracks_.size()); }
  // A fresh PlayHandleTable (the engine frees it at stop).
  HGLOBAL MakeTable();

 private:
  void Free();
  SongHeader header_{};
  std::vector<TrackHeader> tracks_;
  std::vector<std::vector<StepEvent>> events_;
  std::vector<HGLOBAL> blocks_;
};

class EngineHost {
 public:
  // Writes the engine's settings section, then loads the library
  // ("zkpoly" loads zkpoly.dll).
  explicit EngineHost(const char* settingsSection = "\0", const char* engine = "zkpoly");
  ~EngineHost();
  bool Loaded() const { return lib_ != nullptr; }
  FARPROC Entry(int ordinal) const;
  template <typename F>
  F Fn(int ordinal) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(Entry(ordinal)));
  }
  HWND Window() const { return window_; }

  // The calling order of a host: applet type, parent frame, share flag,
  // ports by device id, inputs, initialisation.
  bool OpenPorts(const std::vector<int>& devices, int input0 = -1);
  void ClosePorts();

  // Pumps messages until pred is true or timeoutMs passes.
  template <typename P>
  bool PumpUntil(P pred, DWORD timeoutMs = 10000) {
    DWORD start = GetTickCount();
    for (;;) {
      Pump();
      if (pred()) return true;
      if (GetTickCount() - start > timeoutMs) return false;
      Sleep(1);
    }
  }
  void Pump();
  bool WaitForEnd(DWORD timeoutMs = 20000);
  // The end of play arrived: 2261, or 2260 with lParam 0, both with wParam -1.
  bool Ended() const;
  std::vector<EngineMessage>& Messages() { return messages_; }
  int CountMessages(UINT msg, WPARAM w) const;
  LPARAM MonitorRing() const { return monitorRing_; }
  LPARAM TextRing() const { return textRing_; }

  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);

 private:
  HMODULE lib_ = nullptr;
  HWND window_ = nullptr;
  std::vector<EngineMessage> messages_;
  LPARAM monitorRing_ = 0, textRing_ = 0;
};

// Copies the device's log.
std::vector<VMidiLogEntry> DeviceLog(VirtualMidi& vm);
// Played stream short messages of one device: (tick, message).
std::vector<std::pair<int64_t, uint32_t>> StreamShorts(const std::vector<VMidiLogEntry>& log, int device);
