// What the step editor's dialogs share for the program run: the jump target,
// the ask-for-range flag and the dialog being opened.
#pragma once
#include <cstdint>

struct JumpTarget {
  uint32_t track = 1;
  uint32_t measure = 1;
  uint32_t step = 1;
};

struct StepDialogState {
  JumpTarget jumpPosition;
  // Set when a command starts without a window position: the range dialogs
  // ask for the end and the jump dialog starts on the track field.
  uint32_t askRangeFlag = 0;
  // Resource id of the dialog being opened; field navigation and some field
  // limits depend on it.
  uint32_t currentDialogId = 0;
  // The code whose values the Top/End fields hold: 2092 time values, 231
  // tempo, 238 pitch bend, else 0.
  uint16_t rangeValueKind = 0;
  // Delete over every track (the block range dialog's check box).
  uint32_t allTracksFlag = 0;
  // Rhythm rows that a row erase acts on.
  uint8_t rhythmRowFlags[128] = {};
  // Steps of a stroke, the bound of the stroke start and width fields.
  int32_t strokeTotal = 0;
};
extern StepDialogState g_stepDialogs;

constexpr uint16_t kRangeKindTime = 2092;
constexpr uint16_t kRangeKindTempo = 231;
constexpr uint16_t kRangeKindBend = 238;
