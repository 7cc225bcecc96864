#include "curves.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "curvegen.h"
#include "dlgedit.h"
#include "editorblocks.h"
#include "editrange.h"
#include "lineindex.h"
#include "measures.h"
#include "trackmerge.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstUntimed = 0xF0;   // codes from here on carry no step
constexpr uint64_t kMaxAddedStep = 9999;  // steps formed by addition stay below
constexpr uint64_t kMaxStep = 0xFFFF;

bool IsRest(const StepEvent& e) { return e.code < 0x80 && (e.gate == 0 || e.vel == 0); }
// Time passing after an event may be added to its step; an external
// command keeps a step of its own out of the list.
bool TakesCredit(uint8_t code) { return code < kFirstUntimed && code != kCodeExternal; }

// The last of the continuations that follow index (index itself when none).
int32_t PastContinuations(const StepEvent* e, int32_t last, int32_t index) {
  while (index + 1 <= last && e[index + 1].code == kCodeContinue) ++index;
  return index;
}

// The track's events with the end event at eventCount, or null.
const StepEvent* TrackEvents(const StepEditModel& m, const ModelEvents& block) {
  const StepEvent* e = block.events();
  if (!e || m.eventCount < 0 || m.eventCount >= block.slots() || e[m.eventCount].code < kEndCode) return nullptr;
  return e;
}

int32_t MeasureOf(const StepEditModel& m, int32_t event) {
  int measure = 1, step = 1;
  return EventPosition(m, event, &measure, &step) ? measure : 1;
}

// Defaults of a command: kind, controller, Top and End.
struct CommandDefaults {
  int command;
  uint8_t kind;
  uint16_t controller;
  int32_t value;
};
constexpr std::array<CommandDefaults, 6> kDefaults = {{
    {kCurveCommandBend, kCodePitch, 0, 0},
    {kCurveCommandVolume, kCodeControl, 7, 127},
    {kCurveCommandModulation, kCodeControl, 1, 0},
    {kCurveCommandExpression, kCodeControl, 11, 127},
    {kCurveCommandAfterTouch, kCodeAfterC, 0, 127},
    {kCurveCommandTempo, kCodeTempo, 0, 64},
}};

// Top and End from the track: the last event of the kind at or before the
// range start, and the last one up to the range end, starting from Top.
void CurrentValues(CurveState& s, const StepEvent* e, int32_t eventCount) {
  const int32_t first = std::min(s.rangeStart, eventCount - 1);
  const int32_t last = std::min(s.rangeEnd, eventCount - 1);
  for (int32_t i = 0; i <= first; ++i) {
    if (IsCurveKindEvent(s, e[i])) s.top = CurveEventValue(e[i]);
  }
  s.end = s.top;
  for (int32_t i = first + 1; i <= last; ++i) {
    if (IsCurveKindEvent(s, e[i])) s.end = CurveEventValue(e[i]);
  }
}

void ClampTopEnd(CurveState& s) {
  int32_t low, high;
  CurveValueLimits(s.kind, &low, &high);
  s.top = std::clamp(s.top, low, high);
  s.end = std::clamp(s.end, low, high);
}

// The range of measures a..b: from the first event of a to the last of b,
// over its continuations, never the end event.
void MeasureRange(const StepEvent* e, int32_t eventCount, int32_t a, int32_t b, int32_t* start, int32_t* end) {
  int32_t begin = 0, after = 0;
  MeasureSpan(e, eventCount, a, b, &begin, &after);
  *start = begin;
  *end = std::min(after, eventCount) - 1;
}

EditResult FullForCurve() {
  EditResult r = TrackFullResult();
  r.messageStyle = MB_OK | MB_ICONHAND;
  return r;
}

}  // namespace

uint8_t CurveKindOfCommand(int command) {
  if (command == kCurveCommandControl) return kCodeControl;
  for (const CommandDefaults& d : kDefaults) {
    if (d.command == command) return d.kind;
  }
  return 0;
}

void CurveValueLimits(uint8_t kind, int32_t* low, int32_t* high) {
  FieldLimitContext c;
  c.rangeValueKind = kind;
  const FieldLimits limits = DlgFieldLimits(kCurveFieldTop, c);
  *low = limits.min;
  *high = limits.max;
}

int32_t CurveScaledValue(uint8_t kind, int32_t value) {
  if (kind == kCodePitch) return (std::clamp(value, -8192, 8191) + 8192) / 128;
  return std::clamp(value, 0, CurveWideScale(kind) ? 255 : 127);
}

bool IsCurveKindEvent(const CurveState& s, const StepEvent& e) {
  return s.kind != 0 && e.code == s.kind && (s.kind != kCodeControl || e.gate == s.controller);
}

StepEvent CurveKindEvent(const CurveState& s, int32_t value) {
  const int32_t v = std::clamp(value, 0, CurveWideScale(s.kind) ? 255 : 127);
  switch (s.kind) {
    case kCodeControl: return StepEvent{kCodeControl, static_cast<uint8_t>(v), 0, s.controller};
    case kCodePitch: return StepEvent{kCodePitch, static_cast<uint8_t>(v), 0, 0};
    default: return StepEvent{s.kind, 0, 0, static_cast<uint16_t>(v)};
  }
}

int32_t CurveEventValue(const StepEvent& e) {
  switch (e.code) {
    case kCodePitch:
      // The MSB and LSB as the step list writes them: bend + 8192 split in
      // seven-bit halves.
      return std::clamp((e.vel & 127) * 128 + (e.gate & 127) - 8192, -8192, 8191);
    case kCodeControl: return e.vel;
    default: return e.gate;
  }
}

EditResult BeginCurve(CurveState& s, StepEditModel& m, StepSongContext& ctx, int command) {
  const uint8_t kind = CurveKindOfCommand(command);
  if (kind == 0 || !ctx.shared) return RefusedResult();
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  StepSharedState& shared = *ctx.shared;
  if (!SelectionToRange(m, shared)) return RefusedResult();
  // The range as every range command takes it: on to the end of the last
  // measure (old values that never match make the selection follow).
  RangeToSelection(m, shared, 0, 0, 0, 0);
  int32_t from, to;
  if (!OrderedSelection(m, &from, &to)) return RefusedResult();

  ModelEvents block(m);
  const StepEvent* e = TrackEvents(m, block);
  if (!e || m.eventCount <= 0) return RefusedResult();

  s.command = command;
  s.kind = kind;
  if (command == kCurveCommandControl) {
    s.controller = s.lastController;
  } else {
    for (const CommandDefaults& d : kDefaults) {
      if (d.command != command) continue;
      s.controller = d.controller;
      s.top = s.end = d.value;
    }
  }
  if (kind == kCodeControl) s.lastController = s.controller;

  s.rangeStart = std::min(from, m.eventCount);
  // The end event stays out; a head takes its continuations along.
  s.rangeEnd = std::min(to, m.eventCount - 1);
  if (s.rangeEnd >= s.rangeStart) s.rangeEnd = PastContinuations(e, m.eventCount - 1, s.rangeEnd);
  s.fromMeasure = MeasureOf(m, s.rangeStart);
  s.toMeasure = s.rangeEnd >= s.rangeStart ? MeasureOf(m, s.rangeEnd) : s.fromMeasure;

  CurrentValues(s, e, m.eventCount);
  ClampTopEnd(s);
  s.delay = 0;
  s.count = 1;
  s.step = std::max(ctx.timeBase / 48, 1);
  s.overflow = false;
  s.dragStep = s.dragValue = 0;
  BuildCurveRangeCopy(s, e, m.eventCount);
  s.width = s.length < 2 ? 0 : static_cast<int32_t>(std::min<int64_t>(s.length - 1, INT32_MAX));

  // Until a field changes the buffer holds the range as it is.
  s.curve.clear();
  if (s.rangeEnd >= s.rangeStart) s.curve.assign(e + s.rangeStart, e + s.rangeEnd + 1);
  s.curve.push_back(EndEvent());
  s.initialised = true;

  shared.rangeValueKind = kind;
  shared.currentDialogId = static_cast<uint32_t>(CurveDialogId(s));
  shared.rangeDialogCaption = kCurveCaptionFirst + static_cast<uint32_t>(command - kCurveCommandControl);
  EditResult r;
  r.selectionChanged = true;
  return r;
}

void EndCurve(CurveState& s, StepSongContext& ctx) {
  s.rangeCopy.clear();
  s.rangeCopy.shrink_to_fit();
  s.curve.clear();
  s.curve.shrink_to_fit();
  s.initialised = false;
  s.overflow = false;
  if (ctx.shared) ctx.shared->rangeValueKind = 0;
}

bool SetCurveField(CurveState& s, const StepEditModel& m, int control, int32_t value) {
  if (!s.initialised) return false;
  switch (control) {
    case kCurveFieldFromMeasure:
    case kCurveFieldToMeasure: {
      ModelEvents block(m);
      const StepEvent* e = TrackEvents(m, block);
      if (!e) return false;
      const int32_t measure = std::max(value, 1);
      (control == kCurveFieldFromMeasure ? s.fromMeasure : s.toMeasure) = measure;
      int32_t start, end;
      if (s.fromMeasure <= s.toMeasure) {
        MeasureRange(e, m.eventCount, control == kCurveFieldFromMeasure ? measure : s.fromMeasure,
                     control == kCurveFieldFromMeasure ? s.toMeasure : measure, &start, &end);
        // Only the end that was typed moves.
        if (control == kCurveFieldFromMeasure) s.rangeStart = start;
        else s.rangeEnd = end;
      } else {
        MeasureRange(e, m.eventCount, s.toMeasure, s.fromMeasure, &s.rangeStart, &s.rangeEnd);
      }
      BuildCurveRangeCopy(s, e, m.eventCount);
      s.width = static_cast<int32_t>(std::min<int64_t>(s.width, s.length));
      break;
    }
    case kCurveFieldTop:
    case kCurveFieldEnd: {
      int32_t low, high;
      CurveValueLimits(s.kind, &low, &high);
      (control == kCurveFieldTop ? s.top : s.end) = std::clamp(value, low, high);
      break;
    }
    case kCurveFieldDelay: s.delay = std::max(value, 0); break;
    case kCurveFieldWidth:
      s.width = static_cast<int32_t>(std::min<int64_t>(std::max(value, 1), s.length));
      break;
    case kCurveFieldStep: s.step = std::max(value, 1); break;
    case kCurveFieldCount: s.count = std::max(value, 1); break;
    case kCurveFieldController:
      if (s.kind != kCodeControl) return false;
      s.controller = static_cast<uint16_t>(std::clamp(value, 0, 127));
      s.lastController = s.controller;
      break;
    default:
      if (control < kCurveRadioFirst || control > kCurveRadioFirst + kCurveRandom) return false;
      s.shape = control - kCurveRadioFirst;
      break;
  }
  RegenerateCurve(s, m);
  return true;
}

std::vector<StepEvent> CompactCurveEvents(const StepEvent* events, int slots) {
  std::vector<StepEvent> out;
  out.reserve(static_cast<size_t>(std::max(slots, 1)));
  uint64_t pending = 0;
  // Values last written: pitch bend and tempo as their two fields, control
  // changes per controller; -1 none.
  int32_t bend = -1, tempo = -1;
  std::array<int16_t, 128> control;
  control.fill(-1);

  // Ticks of the events that went: onto the last timed event written (its
  // continuations passed over), else in a placeholder rest, so every event
  // keeps its time and measure ends stay where they were.
  auto credit = [&] {
    if (pending == 0) return;
    size_t j = out.size();
    while (j > 0 && out[j - 1].code == kCodeContinue) --j;
    if (j > 0 && TakesCredit(out[j - 1].code) && out[j - 1].step + pending < kMaxAddedStep) {
      out[j - 1].step = static_cast<uint16_t>(out[j - 1].step + pending);
      pending = 0;
      return;
    }
    while (pending > 0) {
      const auto part = static_cast<uint16_t>(std::min(pending, kMaxStep));
      out.push_back(RestMarker(part));
      pending -= part;
    }
  };

  for (int i = 0; i < slots; ++i) {
    const StepEvent& e = events[i];
    if (e.code >= kEndCode) break;
    if (e.code == kCodeContinue) {
      out.push_back(e);  // belongs to the event in front
      continue;
    }
    if (e.code >= kFirstUntimed) {
      credit();
      out.push_back(e);
      continue;
    }
    bool drop = IsRest(e);
    if (e.code == kCodePitch) {
      const int32_t v = e.vel << 16 | e.gate;
      drop = v == bend;
      bend = v;
    } else if (e.code == kCodeControl && e.gate < control.size()) {
      drop = control[e.gate] == e.vel;
      control[e.gate] = e.vel;
    } else if (e.code == kCodeTempo) {
      const int32_t v = e.gate << 8 | e.vel;
      drop = v == tempo;
      tempo = v;
    }
    if (drop) {
      pending += e.step;
      continue;
    }
    credit();
    out.push_back(e);
  }
  credit();
  out.push_back(EndEvent());
  return out;
}

EditResult WriteBackCurve(CurveState& s, StepEditModel& m, StepSongContext& ctx) {
  if (!s.initialised) return RefusedResult();
  if (s.width == 0) return EditResult{};
  if (s.overflow) return FullForCurve();
  if (!MakeContiguous(m, ctx)) return RefusedResult();

  const std::vector<StepEvent> curve = CompactCurveEvents(s.curve.data(), static_cast<int>(s.curve.size()));
  const int32_t added = static_cast<int32_t>(curve.size()) - 1;
  std::vector<StepEvent> result;
  {
    ModelEvents block(m);
    const StepEvent* e = TrackEvents(m, block);
    if (!e || s.rangeStart < 0 || s.rangeStart > m.eventCount || s.rangeEnd >= m.eventCount) {
      return RefusedResult();
    }
    const int32_t after = std::max(s.rangeEnd + 1, s.rangeStart);
    // What the track holds afterwards counts, the curve's events included.
    if (!FitsTrack(m, static_cast<int64_t>(added) - (after - s.rangeStart))) return FullForCurve();
    result.reserve(static_cast<size_t>(m.eventCount - (after - s.rangeStart) + added) + 1);
    result.assign(e, e + s.rangeStart);
    result.insert(result.end(), curve.begin(), curve.end() - 1);
    result.insert(result.end(), e + after, e + m.eventCount + 1);
  }
  const auto need = static_cast<int>(result.size());
  if (SlotsOf(ReadTrackBlock(m).events) < need && !GrowEditorBlock(m, ctx)) return RefusedResult();
  const bool countChanged = need - 1 != m.eventCount;
  {
    ModelEvents block(m);
    if (!block.events() || block.slots() < need) return RefusedResult();
    std::memcpy(block.events(), result.data(), result.size() * sizeof(StepEvent));
  }
  m.eventCount = need - 1;
  m.selFrom = std::min(m.selFrom, m.eventCount);
  m.selTo = std::min(m.selTo, m.eventCount);
  BuildTrackLineIndex(m, ctx);

  EditResult r;
  r.stateBits = kStateModified | kStateTiming;
  r.indexRebuilt = true;
  r.scrollBars = true;
  r.renumberRefs = countChanged && std::any_of(result.begin(), result.end(), [](const StepEvent& ev) {
                     return ev.code == kCodeSameMeasure;
                   });
  if (CaretLine(m) > m.lineCount - 1) {
    m.topLine = std::max(m.lineCount - 1, 0);
    if (m.viewMode == kModeRhythmGrid) m.caretColumn = kRhythmFirstColumn;
    else m.caretRow = 1;
  }
  return r;
}

RECT CurvePlotRect(const RECT& box) {
  RECT r = {box.left + 16, box.top + 32, box.right - 8, box.bottom - 15};
  return r;
}

CurvePoint CurvePointAt(const CurveState& s, int x, int y, int plotWidth, int plotHeight) {
  CurvePoint p;
  if (plotWidth > 0) {
    const int64_t step = static_cast<int64_t>(x) * s.length / plotWidth;
    p.step = static_cast<int32_t>(std::clamp<int64_t>(step, 0, std::max(s.width, 0)));
  }
  const int32_t span = CurveWideScale(s.kind) ? 256 : 128;
  if (plotHeight > 0) {
    const int64_t value = span - 1 - static_cast<int64_t>(y) * span / plotHeight;
    p.value = static_cast<int32_t>(std::clamp<int64_t>(value, 0, span - 1));
  }
  p.shown = s.kind == kCodePitch ? std::clamp((p.value - 64) * 128, -8192, 8191) : p.value;
  return p;
}

std::string CurveReadoutText(const CurveState& s, const CurvePoint& p) {
  char text[40];
  std::snprintf(text, sizeof text, s.kind == kCodePitch ? "ST:%4d, Val:%5d" : "ST:%4d, Val:%3d", p.step, p.shown);
  return text;
}

void StartCurveDrag(CurveState& s, const CurvePoint& p) {
  s.dragStep = p.step;
  s.dragValue = p.value;
}
