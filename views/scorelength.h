// Time and width on the score: what the score view lays out in (ticks at 480
// per quarter note, whatever the song's time base), how a chord's length
// reads as a note value, the geometry of the glyph set and the display
// switches. Plain functions over numbers; a paint passes a ScoreLayout around
// instead of keeping program-wide values.
#pragma once
#include <cstdint>

#include "scoremetrics.h"

struct AppSettings;

// The score's measures: NoteHeadWidth, StaffSpacing, TickLength,
// GuideStartX, GridStep, ScoreLeftX and BarGap of the glyph set in use
// (kBitmapScoreMetrics, or what the score font set-up supplies).
using ScoreGeometry = ScoreMetrics;

// ScoreDisplaySwitch ([Default Display] DisplaySW), the bits the display
// switch dialog writes and the score reads.
enum ScoreDisplaySwitch : int32_t {
  kScoreShowGate = 0x0001,        // gate-time lines
  kScoreShowVelocity = 0x0002,    // velocity bars
  kScoreShowBend = 0x0004,        // pitch-bend curve
  kScoreShowVolume = 0x0008,      // volume curve
  kScoreShowModulation = 0x0010,  // modulation curve
  kScoreShowExpression = 0x0020,  // expression curve
  kScoreNoteHeads = 0x0040,
  kScoreNoteHooks = 0x0080,       // stems, flags and rests
  kScoreDoubleTime = 0x0100,      // every horizontal distance doubled
  kScoreQuantize6 = 0x0200,       // chords gathered on a 60-tick grid (at 480)
  kScoreShowTempo = 0x0400,       // tempo curve
  kScoreLocationGuide = 0x1000,
  kScoreBeams = 0x2000,
};

// One of the four user controller curves of the lower pane
// ([other] DispCtrlNo0-3 and DispCtrlSw0-3).
constexpr int kScoreControllerSlots = 4;
struct ScoreControllerSwitch {
  int32_t number = 0xFFFF;  // controller number as stored (0-65535); 65535 has no pen
  bool on = false;
};

// What one paint of a score pane lays out with.
struct ScoreLayout {
  ScoreGeometry geometry = kBitmapScoreMetrics;
  int32_t timeBase = 480;       // the song's ticks per quarter; 0 counts as 480
  int32_t displaySwitch = 0;    // ScoreDisplaySwitch bits
  int32_t timeScaleX = 1;       // TimeScaleX (displaySwitch)
  int32_t staffCentreY = 0;     // y of the middle-C line (StaffCentreY)
  ScoreControllerSwitch controllers[kScoreControllerSlots];
};

// 2 when the double-time-scale switch is on, else 1.
int32_t TimeScaleX(int32_t displaySwitch);

// A layout for geometry, time base and switches; timeScaleX follows the
// switches, staffCentreY is 0 until the pane places its staff.
ScoreLayout MakeScoreLayout(const ScoreGeometry& geometry, int32_t timeBase, int32_t displaySwitch);
// The same with the switches and controller slots of the settings record.
ScoreLayout ScoreLayoutFromSettings(const AppSettings& settings, const ScoreGeometry& geometry,
                                    int32_t timeBase);

// Ticks per quarter the score lays out in.
constexpr int32_t kScoreTicksPerQuarter = 480;

// The time base a song's header value stands for: 0 (and anything below 1)
// counts as 480.
int32_t ScoreTimeBase(int32_t timeBase);

// The one scaling every score measure of time goes through: ticks of timeBase
// as ticks at 480 per quarter, divided by divisor, truncated toward zero.
// With carry, the remainder (in units of 1/(timeBase x divisor)) is added in
// first and the new remainder stored, so a run of calls sums exactly. Results
// beyond the int32 range are clamped.
int32_t ScaleScoreTicks(int32_t ticks, int32_t timeBase, int32_t divisor, int32_t* carry);

// ticks x 480 / timeBase: classification, and anything that compares a
// length with a fixed bound at 480 per quarter.
inline int32_t NormalizeTicks(int32_t ticks, int32_t timeBase, int32_t* carry = nullptr) {
  return ScaleScoreTicks(ticks, timeBase, 1, carry);
}

// Horizontal pixels of ticks: (normalized div 10) x timeScaleX. Without a
// carry, as the upper pane advances per chord; with one, as the lower pane,
// the position line and the hit test advance event by event. A carry belongs
// to one walk and one function: keep separate carries for NormalizeTicks
// and ScoreTickPixels.
inline int32_t ScoreTickPixels(int32_t ticks, int32_t timeBase, int32_t timeScaleX,
                               int32_t* carry = nullptr) {
  return ScaleScoreTicks(ticks, timeBase, 10, carry) * timeScaleX;
}

// The other way: ticks at 480 per quarter as ticks of timeBase, truncated
// toward zero. The tie walk's bar term is
// TimeBaseTicks((BarGap + NoteHeadWidth) x 10, timeBase).
int32_t TimeBaseTicks(int32_t normalizedTicks, int32_t timeBase);

// Length in time-base ticks at which a chord closes: 1, or with the six-tick
// quantize switch a thirty-second (60 ticks at 480), never below 1.
// Also the grid the quantize switch lays lengths on before beaming.
int32_t ScoreGridTicks(int32_t timeBase, bool quantize6);

// NoteValueResult: what a length reads as.
struct NoteValueResult {
  int32_t noteValue = 0;  // 0 none, 1 whole, 2 half, 4 quarter ... 64 sixty-fourth
  int32_t mark = 0;       // 0 plain, 1 triplet, 2 dotted, 3 double-dotted
  int32_t flagCount = 0;  // flags (and beams) of the value: 0-4
};
constexpr int32_t kMarkPlain = 0;
constexpr int32_t kMarkTriplet = 1;
constexpr int32_t kMarkDotted = 2;
constexpr int32_t kMarkDoubleDotted = 3;

// The note value of a length in ticks of timeBase. Below a sixty-fourth
// triplet (20 ticks at 480), and from 3,120 ticks at 480 on (past a dotted
// whole), there is no value.
NoteValueResult ClassifyNoteLength(int32_t length, int32_t timeBase);
