#include "playrange.h"

#include "lineindex.h"
#include "tracktotal.h"
#include "zk/cmdcodes.h"

namespace {


bool IsEnd(const StepEvent& e) { return e.code >= kCodeEndOfTrack; }
bool IsMark(const StepEvent& e) { return e.code >= kCodeSameMeasure; }

// Event of a line, or kNoPlayEvent when the line or its event lies outside.
int LineEvent(const StepEvent* events, int count, const LineEntry* lines, int lineCount,
              int32_t line) {
  if (line < 0 || line >= lineCount) return kNoPlayEvent;
  const uint32_t e = lines[line].firstEvent;
  if (e >= static_cast<uint32_t>(count)) return kNoPlayEvent;
  return static_cast<int>(e);
}

}  // namespace

int32_t PlayCaretLine(const StepEditorData& ed) { return InsertionLine(ed, ed.topLine); }

int PlayCaretEvent(const StepEvent* events, int count, const LineEntry* lines, int lineCount,
                   int32_t line) {
  if (!events || !lines) return kNoPlayEvent;
  int e = LineEvent(events, count, lines, lineCount, line);
  if (e < 0) return kNoPlayEvent;
  if (IsEnd(events[e]) && e != 0) {
    const int before = LineEvent(events, count, lines, lineCount, line - 1);
    if (before >= 0) e = before;
  }
  return IsEnd(events[e]) ? kNoPlayEvent : e;
}

PlayRange MeasurePlayRange(const StepEvent* events, int count, int index) {
  int back = index;
  if (IsMark(events[index]) && index != 0) --back;
  while (back >= 0 && !IsMark(events[back])) --back;
  int forward = index + 1;
  while (forward < count && !IsMark(events[forward])) ++forward;
  return PlayRange{back + 1, forward - 1};
}

std::vector<StepEvent> MeasurePlayBlockEvents(const StepEvent* events, int count, int caretEvent) {
  std::vector<StepEvent> out;
  if (!events || caretEvent < 0 || caretEvent >= count) return out;
  const int e = FollowSameMeasure(events, caretEvent, count);
  const PlayRange range = MeasurePlayRange(events, count, e);
  if (range.last >= range.first) {
    out.assign(events + range.first, events + range.last + 1);
    if (out.back().code < 0x80) {
      StepEvent tail = out.back();
      tail.gate = 0;
      out.push_back(tail);
    }
  }
  out.push_back(EndEvent());
  return out;
}

void PreviewRefsToMeasureEnds(StepEvent* events, int count) {
  if (!events) return;
  for (int i = 0; i < count && !IsEnd(events[i]); ++i) {
    if (events[i].code == kCodeSameMeasure) events[i].code = kCodeMeasureEnd;
  }
}
