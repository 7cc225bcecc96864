// Point-play settings (dialog 128): which kinds of events the engine sends
// when it chases to a play point (Chase), which of them it sends once with
// the last value (Truant), and the gap between exclusives (ExclWait). The
// values live in the engine, which writes them to its own section.
#pragma once
#include <windows.h>

// A box and the engine's bit for the kind of event its text names.
struct EventBitBox {
  int id;
  int bit;
};
constexpr int kChaseBoxCount = 6;
constexpr int kTruantBoxCount = 8;
extern const EventBitBox kChaseBoxes[kChaseBoxCount];
extern const EventBitBox kTruantBoxes[kTruantBoxCount];

// The boxes' bits set for checked boxes and cleared for the others; bits no
// box stands for are kept.
int WordFromBoxes(int word, const EventBitBox* boxes, const bool* checked, int count);

constexpr int kExclWaitMax = 9999;

// Button 1042 of dialog 1300; saves the settings after OK.
void OpenPointPlayDialog(HWND parent);
