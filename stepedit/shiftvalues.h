// Value commands of a step editor over its selection: shift (add a bias to
// one value), ex/comp (scale it around a centre) and transpose (a bias per
// pitch class), and the caption, kind and mode each command opens its
// dialog with.
#pragma once
#include <cstdint>

#include "editmodel.h"

// Kinds of value a shift works on.
constexpr uint32_t kShiftKindNote = 2069;
constexpr uint32_t kShiftKindStep = 2070;
constexpr uint32_t kShiftKindGate = 2071;
constexpr uint32_t kShiftKindVelocity = 2072;
constexpr uint32_t kShiftKindControl = 2073;
constexpr uint32_t kShiftKindBend = 2074;
constexpr uint32_t kShiftKindVolume = 2075;
constexpr uint32_t kShiftKindModulation = 2076;
constexpr uint32_t kShiftKindExpression = 2077;
constexpr uint32_t kShiftKindAftertouch = 2078;  // channel aftertouch
constexpr uint32_t kShiftKindTempo = 2079;

// Add the bias, or scale by (100 + bias) percent.
constexpr uint32_t kShiftModeAdd = 2064;
constexpr uint32_t kShiftModeScale = 2066;

constexpr int kCommandTranspose = 2053;     // shift NOTE by the per-pitch table
constexpr int kCommandExCompNote = 2080;
constexpr int kCommandSetNote = 2091;
constexpr int kCommandSetTempo = 2101;
constexpr int kCommandReplicate = 2710;     // the replicate message

constexpr int kPitchClasses = 12;

// What a value command's dialog opens with: the caption string for the
// range dialog's title and, for shift and ex/comp, the kind and mode the
// shift then applies. The set commands and replicate leave kind and mode 0
// (the caller keeps the ones it has); a number that is no value command
// gives all three 0.
struct CommandCaption {
  uint32_t captionId = 0;
  uint32_t kind = 0;
  uint32_t mode = 0;
};
CommandCaption SetCommandCaption(int command);

// Shift or ex/comp of one kind of value over the selection (the end event
// never), in place: the number of events never changes. pitchBias (C..B)
// is what NOTE adds in shift mode; every other kind and mode uses bias.
// Notes and commands move their values into the kind's range (keys folded
// by octaves); gates are kept short of the next note of the same key. On
// the rhythm grid only events whose key is that of a marked rhythm row
// change, except under ST. Refused without a selection or for an unknown
// kind or mode; otherwise the index is rebuilt (overlap marks and step
// numbers may change) with state bit 0, and bit 1 for ST.
EditResult ShiftStepRange(StepEditModel& m, StepSongContext& ctx, uint32_t kind, uint32_t mode, int32_t bias,
                          const int16_t pitchBias[kPitchClasses]);

// A key moved by whole octaves into 0..127.
int FoldKeyIntoRange(int64_t key);
