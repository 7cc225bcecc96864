// The timer engine's output side: plain MIDI outputs, the ring of play-event
// words and the one-shot timer that plays them.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <vector>

#include "mmshell.h"
#include "tickseam.h"
#include "waitclock.h"

struct LongHeader {
  HGLOBAL mem = nullptr;
  MIDIHDR* header = nullptr;
  HMIDIOUT owner = nullptr;   // the port it is prepared on, while in use
};

struct MmeOutput {
  HMIDIOUT port[kPorts] = {};
  // The play ring: words the builder wrote and the player has not read.
  std::vector<PlayEventWord> words;
  size_t read = 0;
  // Player.
  std::atomic<UINT> timer{0};
  std::atomic<int> inTick{0};
  // The chain of timers that may play: each stop begins another, and a
  // timer of an earlier one that still fires plays nothing.
  std::atomic<DWORD_PTR> chain{0};
  std::atomic<bool> stopping{false};
  WaitClock clock;   // the ideal time of the wait in progress
  uint8_t heldKeys[kPorts][16][16] = {};   // port, channel, key bits
  LongHeader longHeader[2];
  int currentLong = 0;
  size_t Pending() const { return words.size() - read; }
};

extern MmeOutput g_mme;

// Sends a message on a slot's output, retrying while the driver refuses it.
void SendOut(int slot, DWORD message, int tries, DWORD pauseMs);
// Sends one System Exclusive message through one of the long headers,
// waiting for the header's earlier message first.
void SendLong(LongHeader& h, int slot, const uint8_t* bytes, size_t length);
// Gives a header back from its port (waiting for the device) and frees it.
void ReleaseLong(LongHeader& h);
// Note-offs for every key the player holds.
void ReleaseHeldKeys();
extern "C" void CALLBACK MMECallBackMan(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR p1, DWORD_PTR p2);
