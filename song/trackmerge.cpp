#include "trackmerge.h"

#include <algorithm>
#include <functional>

#include "measures.h"
#include "songmodel.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstMarkCode = 0xF0;   // codes from here carry no time

inline constexpr StepEvent MeasureEndEvent() { return StepEvent{kCodeMeasureEnd, 0, 0, 0}; }

bool IsNote(const StepEvent& e) { return e.code < 0x80; }

struct LoopFrame {
  uint32_t counter;
  int start;        // index of the repeat start
  int savedNext;    // next-measure index when the loop was entered
  int mark;         // output write index when this pass began
};

// One source being read: its block up to the end event, the read position,
// where its next measure starts, its open loops and the steps until its next
// timed event is due.
struct Source {
  const StepEvent* events = nullptr;
  int count = 0;    // slots that may be read: up to and including the end event
  int read = 0;
  int next = 0;
  LoopFrame loops[kMergeLoopDepth];
  int depth = 0;
  uint32_t pending = 0;
  bool ended = false;

  Source(const StepEvent* e, int slots) : events(e) {
    count = e && slots > 0 ? std::min(CountEvents(e, slots) + 1, slots) : 0;
    next = MeasureEnd(events, count, 0);
    if (Code(0) < kCodeEndOfTrack) read = ResolveSameMeasureRef(events, count, 0);
  }
  // Past the block reads as its end.
  uint8_t Code(int i) const {
    return i >= 0 && i < count ? events[i].code : static_cast<uint8_t>(kCodeEndOfTrack);
  }
};

class Output {
 public:
  explicit Output(int slots)
      : slots_(static_cast<size_t>(std::max(slots, 1))),
        limit_(std::min(kMaxTrackEvents, static_cast<int>(slots_.size()) - 1)) {}

  // Never writes past the block: an event beyond the limit only sets the flag.
  bool Put(const StepEvent& e) {
    if (write_ >= limit_) {
      overflow_ = true;
      return false;
    }
    slots_[write_++] = e;
    return true;
  }
  // A timed event goes out with step 0; the merge sets its step once the next
  // event's time is known.
  void PutTimed(const StepEvent& e) {
    StepEvent copy = e;
    copy.step = 0;
    if (Put(copy)) lastTimed_ = write_ - 1;
  }
  void SetLastStep(uint32_t step) {
    if (lastTimed_ >= 0) slots_[lastTimed_].step = static_cast<uint16_t>(step);
  }
  // Something has been written since the last measure end.
  bool MeasureOpen() const { return write_ > 0 && slots_[write_ - 1].code != kCodeMeasureEnd; }
  int write() const { return write_; }
  bool overflow() const { return overflow_; }
  std::vector<StepEvent> Finish() {
    slots_[write_] = EndEvent();
    slots_.resize(write_ + 1);
    return std::move(slots_);
  }

  int64_t time = 0;

 private:
  std::vector<StepEvent> slots_;
  int limit_;
  int write_ = 0;
  int lastTimed_ = -1;
  bool overflow_ = false;
};

// Moves the source to its next measure; false when that is the end.
bool TakeNextMeasure(Source& s) {
  s.read = s.next;
  if (s.Code(s.read) >= kCodeEndOfTrack) return false;
  s.next = MeasureEnd(s.events, s.count, s.read);
  s.read = ResolveSameMeasureRef(s.events, s.count, s.read);
  return true;
}

// Walks over loops and measure boundaries until the read index stands at an
// event to copy. False when the source has ended (or the output is full).
// With writeMeasureEnds every boundary puts a measure end into the output.
bool SeekContent(Source& s, Output& out, bool writeMeasureEnds) {
  while (!out.overflow()) {
    uint8_t code = s.Code(s.read);
    if (code >= kCodeEndOfTrack) {
      // The end of a referenced last measure closes that measure and goes on;
      // the block's own end closes only a measure that has something in it.
      bool atEnd = s.read == s.next;
      if (writeMeasureEnds && (!atEnd || out.MeasureOpen())) out.Put(MeasureEndEvent());
      if (atEnd || !TakeNextMeasure(s)) break;
    } else if (code == kCodeSameMeasure || code == kCodeMeasureEnd) {
      if (writeMeasureEnds) out.Put(MeasureEndEvent());
      if (!TakeNextMeasure(s)) break;
    } else if (code == kCodeRepeatStart) {
      if (s.depth < kMergeLoopDepth) s.loops[s.depth++] = {0, s.read, s.next, out.write()};
      ++s.read;
    } else if (code == kCodeRepeatEnd) {
      if (s.depth == 0) {
        ++s.read;
        continue;
      }
      LoopFrame& f = s.loops[s.depth - 1];
      ++f.counter;
      // A count of 0 wraps to 65,536 passes. A pass that wrote nothing would
      // write nothing again, so it ends the loop at once.
      bool done = static_cast<uint16_t>(f.counter) == s.events[s.read].step;
      if (done || out.write() == f.mark) {
        --s.depth;
        ++s.read;
      } else {
        f.mark = out.write();
        s.next = f.savedNext;
        s.read = f.start + 1;
      }
    } else {
      return true;
    }
  }
  s.ended = true;
  return false;
}

void CopyContinuations(Source& s, Output& out) {
  while (s.Code(s.read) == kCodeContinue) out.Put(s.events[s.read++]);
}

// Replace mode: the base's notes and commands from here go, as long as their
// steps fit in one rest and in the window; the first always goes, so a note
// that reaches past the window cannot stall the merge. Continuations go with
// the event they belong to.
void DropWindowEvents(Source& s, Output& out, int64_t windowEnd) {
  int64_t room = std::min<int64_t>(kMaxRestSteps, windowEnd - out.time);
  uint32_t sum = 0;
  bool first = true;
  while (s.Code(s.read) < kFirstMarkCode) {
    uint32_t step = s.events[s.read].step;
    if (!first && (static_cast<int64_t>(sum) + step > room)) break;
    sum += step;
    first = false;
    ++s.read;
    while (s.Code(s.read) == kCodeContinue) ++s.read;
  }
  s.pending = sum;
  if (sum) out.PutTimed(RestMarker(0));
}

enum class Advanced { kPending, kEnded, kWindowEnd };

struct Merge {
  Source source;
  Source base;
  Output out;
  MergeOptions options;

  // Reads the source until it has time pending before its next event.
  Advanced Advance(Source& s, bool isBase) {
    while (s.pending == 0) {
      if (!SeekContent(s, out, isBase)) return Advanced::kEnded;
      const StepEvent& e = s.events[s.read];
      if (e.code >= kFirstMarkCode) {
        out.Put(e);
        ++s.read;
      } else if (isBase && options.replace && out.time >= options.windowStart) {
        if (out.time >= options.windowEnd) return Advanced::kWindowEnd;
        DropWindowEvents(s, out, options.windowEnd);
      } else {
        out.PutTimed(e);
        s.pending = e.step;
        ++s.read;
        CopyContinuations(s, out);
      }
      if (out.overflow()) return Advanced::kEnded;
    }
    return Advanced::kPending;
  }

  // Once one source is done: the other one's time still pending, then the
  // rest of it as it stands, a measure end at every boundary, loops unrolled.
  void CopyRest(Source& s) {
    if (s.pending) out.Put(RestMarker(static_cast<uint16_t>(s.pending)));
    if (s.ended) return;
    while (SeekContent(s, out, true)) out.Put(s.events[s.read++]);
  }

  void Run() {
    Source* rest = &base;
    if (Advance(base, true) != Advanced::kWindowEnd) {
      Advance(source, false);
      while (!out.overflow()) {
        if (source.ended) break;
        if (base.ended && base.pending == 0) {
          rest = &source;
          break;
        }
        uint32_t m = std::min(source.pending, base.pending);
        out.SetLastStep(m);
        out.time += m;
        source.pending -= m;
        base.pending -= m;
        if (Advance(base, true) == Advanced::kWindowEnd) break;
        Advance(source, false);
      }
    }
    if (!out.overflow()) CopyRest(*rest);
  }
};

}  // namespace

int ResolveSameMeasureRef(const StepEvent* events, int count, int index) {
  if (!events || index < 0 || index >= count) return index;
  int at = index;
  for (int links = 0; links < kMergeRefLinks && events[at].code == kCodeSameMeasure; ++links) {
    int target = static_cast<int>(events[at].gate) - kMeasureRefBias;
    if (target < 0 || target >= count || events[target].code >= kCodeEndOfTrack) return index;
    at = target;
  }
  // A chain that is still on a reference (a cycle) is not followed.
  return events[at].code == kCodeSameMeasure ? index : at;
}

int CopyEventRange(const StepEvent* source, int sourceSlots, StepEvent* destination, int destinationSlots,
                   int sourceIndex, int destinationIndex) {
  if (!source || !destination || sourceIndex < 0 || sourceIndex >= sourceSlots || destinationIndex < 0 ||
      destinationIndex >= destinationSlots) {
    return -1;
  }
  const int end = sourceIndex + CountEvents(source + sourceIndex, sourceSlots - sourceIndex);
  if (end >= sourceSlots || source[end].code < kCodeEndOfTrack) return -1;
  // Writing ahead of the reading within one block would overwrite what is
  // still to be read.
  std::less<const StepEvent*> before;
  const StepEvent* to = destination + destinationIndex;
  if (before(source + sourceIndex, to) && before(to, source + end + 1)) return -1;

  int w = destinationIndex;
  for (int r = sourceIndex; r <= end; ++r) {
    StepEvent e = source[r];
    if (IsNote(e) && e.step == 0) {
      if (e.gate == 0) continue;
      if (IsNote(source[r + 1]) && source[r + 1].gate == 0) {
        e.step = source[r + 1].step;
        ++r;  // the rest gave its time away
      }
    }
    if (w >= destinationSlots) return -1;
    destination[w++] = e;
  }
  return w - 1;
}

void CompactMergedEvents(std::vector<StepEvent>& events) {
  for (int pass = 0; pass < 2; ++pass) {
    const int slots = static_cast<int>(events.size());
    const int end = CopyEventRange(events.data(), slots, events.data(), slots, 0, 0);
    if (end < 0) return;
    events.resize(static_cast<size_t>(end) + 1);
  }
}

MergeResult MergeEventBlocks(const StepEvent* source, int sourceCount, const StepEvent* base,
                             int baseCount, const MergeOptions& options) {
  Merge merge{Source(source, sourceCount), Source(base, baseCount), Output(options.outputSlots),
              options};
  merge.Run();
  MergeResult result;
  if (merge.out.overflow()) {
    result.overflow = true;
    return result;
  }
  result.events = merge.out.Finish();
  CompactMergedEvents(result.events);
  return result;
}

std::vector<StepEvent> CutAfterMeasures(const StepEvent* events, int count, int measures) {
  std::vector<StepEvent> cut;
  if (!events || count <= 0) {
    cut.push_back(EndEvent());
    return cut;
  }
  int end = CountEvents(events, count);
  int seen = 0;
  for (int i = 0; i < end; ++i) {
    cut.push_back(events[i]);
    uint8_t code = events[i].code;
    if ((code == kCodeMeasureEnd || code == kCodeSameMeasure) && ++seen == measures) break;
  }
  cut.push_back(EndEvent());
  return cut;
}

int64_t PlainStepTotal(const StepEvent* events, int count) {
  int64_t total = 0;
  for (int i = 0; events && i < count && events[i].code < kCodeEndOfTrack; ++i) {
    if (events[i].code < kFirstMarkCode) total += events[i].step;
  }
  return total;
}
