// Reaching an editor's blocks: a lock held for a scope, the slots of an event
// block, the track block copied out of its local handle.
#pragma once
#include <windows.h>

#include <algorithm>

#include "stepeditdata.h"

// Locks one global block for the lifetime of the holder.
class Locked {
 public:
  explicit Locked(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
  ~Locked() {
    if (p_) GlobalUnlock(h_);
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  template <typename T>
  T* as() const { return static_cast<T*>(p_); }

 private:
  HGLOBAL h_;
  void* p_;
};

// Whole events a block holds, at most a track's slots.
inline int SlotsOf(HGLOBAL block) {
  if (!block) return 0;
  return static_cast<int>(std::min<SIZE_T>(GlobalSize(block) / sizeof(StepEvent), kTrackSlots));
}

// The track block of an editor, copied out (null entries when absent).
inline TrackBlock ReadTrackBlock(const StepEditModel& ed) {
  TrackBlock tb = {};
  if (!ed.trackBlock) return tb;
  if (auto* p = static_cast<TrackBlock*>(LocalLock(ed.trackBlock))) {
    tb = *p;
    LocalUnlock(ed.trackBlock);
  }
  return tb;
}
