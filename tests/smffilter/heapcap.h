// Memory running out, on demand: while a HeapCap lives, a module's imports
// of the C runtime's malloc and free go through a counter that refuses any
// block that would take the module's live blocks past the cap, so that its
// operator new throws as it would on a full heap. One cap at a time.
#pragma once
#include <windows.h>

#include <cstddef>

class HeapCap {
 public:
  HeapCap(HMODULE module, size_t capBytes);
  ~HeapCap();
  HeapCap(const HeapCap&) = delete;
  HeapCap& operator=(const HeapCap&) = delete;

  bool hooked() const { return hooked_; }
  // Blocks refused.
  static int refused();

 private:
  HMODULE module_;
  bool hooked_ = false;
};
