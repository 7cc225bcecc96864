// Controller curves: the events of one kind (pitch bend, a control change,
// channel after touch or tempo) within a range of a track replaced by a
// generated curve. The dialog's whole state is one CurveState; the window
// shows it and hands field changes, mouse points and OK to the functions
// here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "editmodel.h"
#include "zk/song.h"

// Commands that open the curve dialog.
constexpr int kCurveCommandControl = 2095;   // control change, the last controller used
constexpr int kCurveCommandBend = 2096;
constexpr int kCurveCommandVolume = 2097;
constexpr int kCurveCommandModulation = 2098;
constexpr int kCurveCommandExpression = 2099;
constexpr int kCurveCommandAfterTouch = 2100;
constexpr int kCurveCommandTempo = 2101;
constexpr UINT kCurveCaptionFirst = 1913;    // caption of command 2095; one per command after it

// Dialogs: 2051 for control change (it has the controller field), else 1660.
constexpr int kCurveDialogControl = 2051;
constexpr int kCurveDialog = 1660;

// Fields and buttons whose changes regenerate the curve.
constexpr int kCurveFieldFromMeasure = 100;
constexpr int kCurveFieldToMeasure = 101;
constexpr int kCurveFieldTop = 1680;
constexpr int kCurveFieldEnd = 1681;
constexpr int kCurveFieldDelay = 1682;
constexpr int kCurveFieldWidth = 1683;
constexpr int kCurveFieldStep = 1684;
constexpr int kCurveFieldCount = 1685;
constexpr int kCurveFieldController = 1010;
constexpr int kCurveRadioFirst = 1671;       // 1671-1675: the curve shapes

enum CurveShape : int32_t {
  kCurveStraight = 0,
  kCurveRising = 1,     // "curve 1": exponential, slow start
  kCurveFalling = 2,    // "curve 2": exponential, fast start
  kCurveSine = 3,
  kCurveRandom = 4,
};

// Slots of the curve buffer, as a track block has.
constexpr int kCurveBufferSlots = kTrackSlots;

struct CurveState {
  // Kept from one use of the dialog to the next.
  int32_t shape = kCurveStraight;
  uint16_t lastController = 7;   // the controller command 2095 opens with
  uint32_t randomSeed = 1;       // state of the random shape's generator

  // One use, from BeginCurve to EndCurve.
  bool initialised = false;
  int command = 0;
  uint8_t kind = 0;              // event code: 0xEE, 0xEB, 0xEA or 0xE7
  uint16_t controller = 0;       // 0xEB only
  int32_t top = 0;               // value at the start: -8192..8191 bend, 0..255 tempo, else 0..127
  int32_t end = 0;               // value after the end
  int32_t delay = 0;             // ticks before the curve begins
  int32_t width = 0;             // ticks the curve runs, 1..L (0 while L is below 2)
  int32_t step = 1;              // ticks between generated values
  int32_t count = 1;             // periods within the width
  int32_t fromMeasure = 1;       // the measure fields as shown
  int32_t toMeasure = 1;
  int32_t rangeStart = 0;        // first track event of the range
  int32_t rangeEnd = -1;         // last one (inclusive); below rangeStart for none
  int64_t length = 0;            // L: the steps of the range's timed events
  // The range's events with those of the kind made placeholder rests,
  // ended by an end event.
  std::vector<StepEvent> rangeCopy;
  // What OK writes back, ended by an end event; never more than
  // kCurveBufferSlots events with it.
  std::vector<StepEvent> curve;
  // The last generation or load did not fit the buffer: OK refuses.
  bool overflow = false;
  int32_t dragStep = 0;          // last mouse point on the graph
  int32_t dragValue = 0;
};

// Event code of a curve command's kind, 0 for another command.
uint8_t CurveKindOfCommand(int command);
// The dialog a state opens.
inline int CurveDialogId(const CurveState& s) { return s.kind == 0xEB ? kCurveDialogControl : kCurveDialog; }
// The range of Top and End for the kind.
void CurveValueLimits(uint8_t kind, int32_t* low, int32_t* high);
// Whether the graph, generation and freehand values of the kind run
// 0..255 (tempo) instead of 0..127.
inline bool CurveWideScale(uint8_t kind) { return kind == 0xE7; }
// Top or End on the scale the curve is generated on: pitch bend (v + 8192)
// / 128, the others as they are.
int32_t CurveScaledValue(uint8_t kind, int32_t value);

// Whether an event is of the state's kind (for 0xEB also its controller).
bool IsCurveKindEvent(const CurveState& s, const StepEvent& e);
// An event of the state's kind carrying a value on the generation scale:
// 0xEB value in byte 1 and the controller in the 16-bit field; 0xEE the
// value as the 7-bit MSB in byte 1, LSB 0; 0xEA and 0xE7 the value in the
// 16-bit field, byte 1 = 0. Step 0.
StepEvent CurveKindEvent(const CurveState& s, int32_t value);
// The value an event of a curve kind holds, in the kind's Top/End terms
// (pitch bend (MSB - 64) x 128 + LSB).
int32_t CurveEventValue(const StepEvent& e);

// Opens a curve for command 2095-2101 over the editor's selection (made a
// range as every range command makes it: from its first event to the end
// of the measure of its last; the end event stays out): kind, controller
// and defaults by command (2095: control change with lastController and
// the Top and End of the previous use), the range copy and L, Top and End
// from the last events of the kind at the range's start and end, Delay 0,
// Width L - 1 (0 below 2), Step time base / 48 (at least 1), Count 1; the
// curve buffer holds the range's events unchanged. Sets the shared range
// value kind, the dialog id and caption. Refused, nothing set, for another
// command or a track without events.
EditResult BeginCurve(CurveState& s, StepEditModel& m, StepSongContext& ctx, int command);
// Ends a use: frees the buffers, clears the initialised flag and the
// shared range value kind.
void EndCurve(CurveState& s, StepSongContext& ctx);

// A field typed (or a shape chosen, control 1671-1675): the value is
// clamped as the field's rule says (Top/End to the kind's range, Delay at
// least 0, Width 1..L, Step and Count at least 1, controller 0..127,
// measures at least 1; a start measure becomes the first event of that
// measure, an end measure the last event of that one) and the curve is
// regenerated. False, nothing changed, before BeginCurve or for another
// control.
bool SetCurveField(CurveState& s, const StepEditModel& m, int control, int32_t value);

// Rebuilds the range copy from the track and generates the curve into the
// buffer, then compacts it. A curve that does not fit the buffer leaves it
// holding what fits and sets overflow.
void RegenerateCurve(CurveState& s, const StepEditModel& m);

// OK: the curve buffer compacted (rests and repeated values give their
// ticks to the event before them) replaces the range in the track. Width 0
// does nothing (Ok, no state bits). A buffer that overflowed, or a result
// that would pass the track's limit (used - range + curve reaching
// 16,371), is TrackFull with message 1931 (hand icon), track unchanged.
// Otherwise state bits 0 and 1, index rebuilt, and a caret beyond the new
// last line goes to the last line on top.
EditResult WriteBackCurve(CurveState& s, StepEditModel& m, StepSongContext& ctx);

// The compaction of the write-back: events of code 0xF0 and up stay;
// rests, and a pitch bend, control change (per controller) or tempo equal
// to the previous one, vanish and give their ticks to the timed event
// written before them (a placeholder rest takes them where there is none,
// or the step would reach 9,999). Ends with the end event.
std::vector<StepEvent> CompactCurveEvents(const StepEvent* events, int slots);

// The plot of the graph within its group box: inset 16 left, 32 top, 8
// right and 15 bottom.
RECT CurvePlotRect(const RECT& box);

// A mouse point over the plot (offsets from its top left): the step (x x
// L / plot width, within 0..Width), the value (7-bit or tempo scale, from
// the bottom) and the value as shown (pitch bend (value - 64) x 128 within
// -8192..8191).
struct CurvePoint {
  int32_t step = 0;
  int32_t value = 0;
  int32_t shown = 0;
};
CurvePoint CurvePointAt(const CurveState& s, int x, int y, int plotWidth, int plotHeight);
// The read-out text: "ST:%4d, Val:%5d" for pitch bend, "ST:%4d, Val:%3d"
// otherwise.
std::string CurveReadoutText(const CurveState& s, const CurvePoint& p);
// A button-down on the plot: the drag starts there.
void StartCurveDrag(CurveState& s, const CurvePoint& p);
