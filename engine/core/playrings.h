// The monitor ring and the text ring that the host reads while the engine
// writes them. The writer never overtakes what the host has not read: the
// host's read position is known from the monitor marks it has acknowledged.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include <zk/playdata.h>

class PlayRings {
 public:
  ~PlayRings() { Free(); }
  bool Allocate(int monitorRecords, int textBytes);
  void Free();
  bool Allocated() const { return mon_ != nullptr; }

  PlayMonRecord* Monitor() const { return mon_; }
  char* Text() const { return text_; }
  int MonitorSize() const { return monSize_; }
  int TextSize() const { return textSize_; }

  // Writer side (the builder). -1 when the ring has no room.
  int WriteMonitor(const PlayMonRecord& r);
  int MonitorWriteIndex() const { return monWrite_; }
  // Writes a whole text record; the offset just past it, or -1 when it does
  // not fit.
  int WriteText(const uint8_t* bytes, int length);
  int TextWriteOffset() const { return textWrite_; }
  int DroppedRecords() const { return dropped_; }

  // The host has read every monitor record before index (its last mark).
  void HostReadUpTo(int monitorIndex);

 private:
  HGLOBAL monHandle_ = nullptr;
  HGLOBAL textHandle_ = nullptr;
  PlayMonRecord* mon_ = nullptr;
  char* text_ = nullptr;
  int monSize_ = 0;
  int textSize_ = 0;
  int monWrite_ = 0;
  int textWrite_ = 0;
  std::atomic<int> monRead_{0};
  std::atomic<int> textRead_{0};
  std::vector<int> textAfter_;  // text write offset after each monitor record
  int dropped_ = 0;
};
