#include "notecaret.h"

#include <algorithm>

#include "fieldedit.h"
#include "lineindex.h"
#include "stepinputmodes.h"

namespace {

constexpr uint8_t kFirstCommand = 0x80;
constexpr uint16_t kMaxNoteVelocity = 127;

bool IsNote(const StepEvent& e) { return e.code < kFirstCommand; }

// Line-down scrolls (the caret keeps its row) until the caret line is a
// note, the end line or the last line. On the end line of a contiguous
// track the gap opens, as the list's scrolling opens it there.
void SkipToNoteLine(StepEditModel& m, StepSongContext& ctx, EditResult& r) {
  bool moved = false;
  {
    ModelEvents block(m);
    const StepEvent* e = block.events();
    if (!e) return;
    while (CaretLine(m) < m.lineCount - 1) {
      ++m.topLine;
      moved = true;
      const int32_t index = LineEvent(m, CaretLine(m));
      if (index < 0 || index >= m.eventCount || index >= block.slots() || IsNote(e[index])) break;
    }
  }
  if (!moved) return;
  r.scrollBars = true;
  if (m.indexCurrent == 1 && LineEvent(m, CaretLine(m)) == m.eventCount && OpenInsertGap(m, ctx, m.topLine)) {
    r.indexRebuilt = true;
    if (&m == ctx.current && ctx.shared) MirrorIndexCurrent(*ctx.shared, m.indexCurrent);
  }
}

}  // namespace

bool SetNoteValues(StepEvent* events, int count, int index, int key, int step, int gate, int velocity,
                   bool* stepChanged) {
  if (stepChanged) *stepChanged = false;
  if (!events || index < 0 || index >= count || !IsNote(events[index])) return false;
  StepEvent& e = events[index];
  const uint16_t oldStep = e.step;
  if (key != kKeepValue) e.code = static_cast<uint8_t>(key & 0x7F);
  if (step == kStepFromNoteAbove) {
    e.step = kDefaultStep;
    e.gate = kDefaultGate;
    for (int i = index - 1; i >= 0; --i) {
      if (IsNote(events[i]) && events[i].step != 0) {
        e.step = events[i].step;
        e.gate = events[i].gate;
        break;
      }
    }
  } else {
    if (step != kKeepValue) e.step = static_cast<uint16_t>(step);
    if (gate != kKeepValue) e.gate = static_cast<uint16_t>(gate);
  }
  if (velocity != kKeepValue) e.vel = static_cast<uint8_t>(velocity > kMaxNoteVelocity ? kMaxNoteVelocity : velocity);
  if (stepChanged) *stepChanged = e.step != oldStep;
  return true;
}

EditResult SetNoteAtCaret(StepEditModel& m, StepSongContext& ctx, int key, int step, int gate, int velocity) {
  EditResult r;
  if (m.eventCount < 0) return RefusedResult();
  const int32_t index = LineEvent(m, CaretLine(m));
  if (m.indexCurrent == 0 && index == m.eventCount) {
    // The end line stands for a new note: append it first. Without room
    // the end event must stay what it is.
    r = RepeatPreviousLineInGap(m, ctx);
    if (r.status != EditStatus::Ok) return r;
  }
  bool written = false, stepChanged = false;
  {
    ModelEvents block(m);
    // Only the events before the end event can take a note.
    const int count = std::min(block.slots(), m.eventCount);
    written = SetNoteValues(block.events(), count, index, key, step, gate, velocity, &stepChanged);
  }
  if (written) {
    FinishFieldEdit(m, ctx, index, stepChanged, false, r);
    r.scrollBars = true;
  }
  if (ctx.settings.midiInSkipEvent) SkipToNoteLine(m, ctx, r);
  return r;
}
