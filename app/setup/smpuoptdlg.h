// Super MPU options (dialog 1350): what the interface sends and monitors.
#pragma once
#include <windows.h>

// A box of the monitored kinds: checked while its bits are clear. The note
// box stands for two bits and shows the lower one.
struct MonitorBox {
  int id;
  int bits;
  int shownBit;
};
constexpr int kMonitorBoxCount = 8;
extern const MonitorBox kMonitorBoxes[kMonitorBoxCount];

bool MonitorBoxChecked(int monitorSw, const MonitorBox& box);
// The boxes' bits set for every unchecked box and cleared for every checked
// one; bits no box stands for are kept.
int MonitorSwFromBoxes(int monitorSw, const bool (&checked)[kMonitorBoxCount]);

// OptionSW bits of the send boxes.
constexpr int kOptionAllNotesOff = 0x01;
constexpr int kOptionActiveSensing = 0x02;
constexpr int kOptionNoteOff90 = 0x04;   // note off as 0x90 with velocity 0
constexpr int kOptionRetrigger = 0x08;
struct SmpuSendBoxes {
  bool allNotesOff;
  bool activeSensing;
  bool noteOff90;
  bool retrigger;
};
SmpuSendBoxes SendBoxesOf(int optionSw);
// The four bits from the boxes; other bits are kept.
int OptionSwFromBoxes(int optionSw, const SmpuSendBoxes& boxes);

// Button 1310 of dialog 1300. OK stores OptionSW, MonitorSW and RealTime in
// memory and hands them to the Super MPU at once when the extras are bound.
void OpenSmpuOptionsDialog(HWND parent);
