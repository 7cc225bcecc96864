// What the step editors and their dialogs share for the program run: the
// edit range and jump target, the flags of the range dialogs, the step input
// mode, the keys held for step input and the field being typed.
#pragma once
#include <cstdint>

struct JumpTarget {
  uint32_t track = 1;
  uint32_t measure = 1;
  uint32_t step = 1;
};

// The range a command works on, handed between selection and dialog. A
// to-step of 9999 means to the end of the to-measure.
struct EditRange {
  uint32_t fromMeasure = 1;
  uint32_t fromStep = 1;
  uint32_t toMeasure = 1;
  uint32_t toStep = 9999;
  uint32_t track = 1;
};

constexpr int kFieldChars = 6;

struct StepSharedState {
  EditRange editRange;
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
  // Caption string of the range dialog being opened.
  uint32_t rangeDialogCaption = 0;
  // Edit mode 0-11: value / 2 the input mode, the low bit the current
  // editor's indexCurrent.
  uint32_t stepInputMode = 0;
  // Keys held for step input: 0 not held, 1-127 the velocity, 255 held with
  // a velocity not to be used.
  uint8_t heldKeys[128] = {};
  // What has been typed into the caret field; six blanks when nothing.
  char fieldBuffer[kFieldChars + 1] = "      ";
  int32_t typedChars = 0;
  // The note palette's rest toggle: function keys enter rests.
  bool paletteRest = false;
};
extern StepSharedState g_stepShared;

constexpr uint16_t kRangeKindTime = 2092;
constexpr uint16_t kRangeKindTempo = 231;
constexpr uint16_t kRangeKindBend = 238;
