// The stream engine's output side: one MIDI stream per device and its two
// blocks of stream events.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <vector>

#include "mmshell.h"

// Events wait in a queue until a block is free, so a step that produces
// more than a block holds is never cut.
struct StreamSlot {
  HMIDISTRM stream = nullptr;
  HGLOBAL blockMem[2] = {};
  MIDIHDR* header[2] = {};
  BYTE* block[2] = {};
  DWORD blockBytes = 0;
  std::atomic<bool> queued[2] = {false, false};
  std::vector<uint32_t> waiting;     // stream events not yet in a block
  size_t waitingRead = 0;
  uint32_t pendingDelta = 0;         // steps not yet attached to an event
  size_t WaitingWords() const { return waiting.size() - waitingRead; }
};

extern StreamSlot g_streams[kPorts];

extern "C" void CALLBACK StreamCallback(HMIDIOUT, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2);
// Sets a stream's time division and tempo (microseconds per quarter).
void SetStreamTiming(HMIDISTRM stream, DWORD division, DWORD microsPerQuarter);
bool AllocateBlocks();
void FreeBlocks();
void ClearQueues();
// Runs the builder until some port has PreGet words waiting or the data
// ends. The lock must be held.
void RefillLocked();
