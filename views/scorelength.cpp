#include "scorelength.h"

#include <cstdint>
#include <limits>

#include "settings.h"

namespace {

int32_t ClampToInt32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Upper bounds (ticks at 480) and what a length below each reads as; the
// values sit between the bounds so that a length a little off its value
// still reads as it.
struct LengthRow {
  int32_t below;
  NoteValueResult result;
};
constexpr LengthRow kLengthRows[] = {
    {20, {0, kMarkPlain, 0}},
    {30, {64, kMarkTriplet, 4}},
    {40, {64, kMarkPlain, 4}},
    {50, {32, kMarkTriplet, 3}},
    {70, {32, kMarkPlain, 3}},
    {90, {16, kMarkTriplet, 2}},
    {110, {32, kMarkDotted, 3}},
    {140, {16, kMarkPlain, 2}},
    {170, {8, kMarkTriplet, 1}},
    {200, {16, kMarkDotted, 2}},
    {230, {16, kMarkDoubleDotted, 2}},
    {280, {8, kMarkPlain, 1}},
    {340, {4, kMarkTriplet, 0}},
    {390, {8, kMarkDotted, 1}},
    {450, {8, kMarkDoubleDotted, 1}},
    {560, {4, kMarkPlain, 0}},
    {680, {2, kMarkTriplet, 0}},
    {780, {4, kMarkDotted, 0}},
    {900, {4, kMarkDoubleDotted, 0}},
    {1120, {2, kMarkPlain, 0}},
    {1360, {1, kMarkTriplet, 0}},
    {1560, {2, kMarkDotted, 0}},
    {1800, {2, kMarkDoubleDotted, 0}},
    {2400, {1, kMarkPlain, 0}},
    {3120, {1, kMarkDotted, 0}},
};

}  // namespace

int32_t TimeScaleX(int32_t displaySwitch) { return (displaySwitch & kScoreDoubleTime) != 0 ? 2 : 1; }

ScoreLayout MakeScoreLayout(const ScoreGeometry& geometry, int32_t timeBase, int32_t displaySwitch) {
  ScoreLayout layout;
  layout.geometry = geometry;
  layout.timeBase = ScoreTimeBase(timeBase);
  layout.displaySwitch = displaySwitch;
  layout.timeScaleX = TimeScaleX(displaySwitch);
  return layout;
}

ScoreLayout ScoreLayoutFromSettings(const AppSettings& settings, const ScoreGeometry& geometry,
                                    int32_t timeBase) {
  ScoreLayout layout = MakeScoreLayout(geometry, timeBase, settings.displaySw);
  for (int i = 0; i < kScoreControllerSlots; ++i) {
    layout.controllers[i].number = static_cast<uint16_t>(settings.dispCtrlNo[i]);
    layout.controllers[i].on = settings.dispCtrlSw[i] != 0;
  }
  return layout;
}

int32_t ScoreTimeBase(int32_t timeBase) { return timeBase > 0 ? timeBase : kScoreTicksPerQuarter; }

int32_t ScaleScoreTicks(int32_t ticks, int32_t timeBase, int32_t divisor, int32_t* carry) {
  const int64_t den = static_cast<int64_t>(ScoreTimeBase(timeBase)) * (divisor > 0 ? divisor : 1);
  int64_t num = static_cast<int64_t>(ticks) * kScoreTicksPerQuarter;
  if (carry) num += *carry;
  // Truncation toward zero, as the pixel arithmetic has always done; the
  // remainder keeps the sign of the sum so the carried total stays exact.
  const int64_t quotient = num / den;
  if (carry) *carry = static_cast<int32_t>(num % den);
  return ClampToInt32(quotient);
}

int32_t TimeBaseTicks(int32_t normalizedTicks, int32_t timeBase) {
  const int64_t num = static_cast<int64_t>(normalizedTicks) * ScoreTimeBase(timeBase);
  return ClampToInt32(num / kScoreTicksPerQuarter);
}

int32_t ScoreGridTicks(int32_t timeBase, bool quantize6) {
  if (!quantize6) return 1;
  const int32_t grid = TimeBaseTicks(60, timeBase);
  // Below 8 ticks per quarter a thirty-second has no whole tick; a grid of 0
  // would divide by zero when lengths are laid on it.
  return grid > 1 ? grid : 1;
}

NoteValueResult ClassifyNoteLength(int32_t length, int32_t timeBase) {
  const int32_t t = NormalizeTicks(length, timeBase);
  for (const LengthRow& row : kLengthRows) {
    if (t < row.below) return row.result;
  }
  return {};
}
