#include "editrange.h"

#include <algorithm>
#include <utility>

#include "editorblocks.h"

namespace {

constexpr uint32_t kToMeasureEnd = 9999;

struct Position {
  int measure;
  int step;
};

// The position table of an editor, locked for the holder's life; empty
// when it is missing or short.
class Positions {
 public:
  explicit Positions(const StepEditModel& m) : block_(ReadTrackBlock(m).positions), lock_(block_) {
    if (block_ && GlobalSize(block_) >= kPositionTableBytes) table_ = lock_.as<StepPosition>();
  }
  bool Read(const StepEditModel& m, int32_t event, Position* at) const {
    if (!table_ || event < 0 || event > m.eventCount || event >= kTrackSlots) return false;
    at->measure = table_[event].measure;
    at->step = table_[event].step & kStepNumberMask;
    return true;
  }

 private:
  HGLOBAL block_;
  Locked lock_;
  const StepPosition* table_ = nullptr;
};

bool Beyond(const Position& p, int measure, int step) {
  return p.measure > measure || (p.measure == measure && p.step > step);
}

int AtLeastOne(uint32_t value) { return std::max(static_cast<int32_t>(value), 1); }

}  // namespace

bool EventPosition(const StepEditModel& m, int32_t event, int* measure, int* step) {
  Position at;
  if (!Positions(m).Read(m, event, &at)) return false;
  *measure = at.measure;
  *step = at.step;
  return true;
}

bool SelectionToRange(StepEditModel& m, StepSharedState& shared) {
  if (m.eventCount <= 0 || m.lineCount <= 0) return false;
  int32_t from = m.selFrom, to = m.selTo;
  if (from < 0 && to < 0) from = to = LineEvent(m, CaretLine(m));
  // Asked from a field: the range runs on to the end of the track.
  if (shared.askRangeFlag) to = LineEvent(m, m.lineCount - 1);
  int32_t low = std::clamp(from, 0, m.eventCount), high = std::clamp(to, 0, m.eventCount);
  if (low > high) std::swap(low, high);
  const Positions positions(m);
  Position first, last;
  if (!positions.Read(m, low, &first) || !positions.Read(m, high, &last)) return false;
  m.selFrom = from;
  m.selTo = to;
  shared.editRange.fromMeasure = static_cast<uint32_t>(first.measure);
  shared.editRange.fromStep = static_cast<uint32_t>(first.step);
  shared.editRange.toMeasure = static_cast<uint32_t>(last.measure);
  shared.editRange.toStep = kToMeasureEnd;
  return true;
}

bool RangeToSelection(StepEditModel& m, StepSharedState& shared, uint32_t oldFromMeasure, uint32_t oldFromStep,
                      uint32_t oldToMeasure, uint32_t oldToStep) {
  EditRange& r = shared.editRange;
  // The fields are typed as signed numbers.
  int fromMeasure = static_cast<int32_t>(r.fromMeasure), fromStep = static_cast<int32_t>(r.fromStep);
  int toMeasure = static_cast<int32_t>(r.toMeasure), toStep = static_cast<int32_t>(r.toStep);
  if (fromMeasure > toMeasure) {
    std::swap(fromMeasure, toMeasure);
    std::swap(fromStep, toStep);
  } else if (fromMeasure == toMeasure && fromStep > toStep) {
    std::swap(fromStep, toStep);
  }
  r.fromMeasure = AtLeastOne(fromMeasure);
  r.fromStep = AtLeastOne(fromStep);
  r.toMeasure = AtLeastOne(toMeasure);
  r.toStep = AtLeastOne(toStep);
  if (r.fromMeasure == oldFromMeasure && r.fromStep == oldFromStep && r.toMeasure == oldToMeasure &&
      r.toStep == oldToStep)
    return false;

  const int32_t lastLine = std::min(m.lineCount, kTrackSlots) - 1;
  if (lastLine < 0) return false;
  fromMeasure = static_cast<int>(r.fromMeasure);
  fromStep = static_cast<int>(r.fromStep);
  toMeasure = static_cast<int>(r.toMeasure);
  toStep = static_cast<int>(r.toStep);
  const Positions positions(m);
  // A range that starts or ends past the track ends on its last line.
  int32_t startLine = -1, endLine = -1;
  for (int32_t line = 0; line <= lastLine && (startLine < 0 || endLine < 0); ++line) {
    Position at;
    if (!positions.Read(m, LineEvent(m, line), &at)) return false;
    if (startLine < 0 && ((at.measure == fromMeasure && at.step == fromStep) || at.measure > fromMeasure))
      startLine = line;
    if (endLine < 0 && Beyond(at, toMeasure, toStep)) endLine = std::max(line - 1, 0);
  }
  if (startLine < 0) startLine = lastLine;
  if (endLine < 0) endLine = lastLine;
  m.selFrom = LineEvent(m, startLine);
  m.selTo = LineEvent(m, endLine);
  return true;
}
