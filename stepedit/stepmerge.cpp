#include "stepmerge.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editorblocks.h"
#include "lineindex.h"
#include "trackmerge.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstUntimed = 0xF0;   // codes from here carry no step
constexpr int kMaxAddedStep = 9999;       // steps formed by addition stay below
constexpr uint64_t kMaxStep = 0xFFFF;

bool Timed(uint8_t code) { return code < kFirstUntimed; }
// An external command keeps its place: the time after it goes to the event
// before it.
bool TakesCredit(uint8_t code) { return Timed(code) && code != kCodeExternal; }
bool AtEnd(const StepEvent& e) { return e.code >= kEndCode; }
bool IsRest(const StepEvent& e) { return e.code < 0x80 && (e.gate == 0 || e.vel == 0); }

// The destination from index on, written only within its capacity.
class MergeOutput {
 public:
  MergeOutput(StepEvent* events, int capacity, int at) : events_(events), capacity_(capacity), write_(at) {}

  void Put(const StepEvent& e) {
    if (write_ >= capacity_) {
      full_ = true;
      return;
    }
    events_[write_++] = e;
  }
  // Puts a timed event with step 0; its step grows as time passes after it.
  void PutTimed(StepEvent e) {
    const bool credit = TakesCredit(e.code);
    e.step = 0;
    Put(e);
    if (credit && !full_) last_ = write_ - 1;
  }
  // Ticks as gap markers, at most one step field's worth in each.
  void PutGap(uint64_t ticks) {
    do {
      const auto part = static_cast<uint16_t>(std::min(ticks, kMaxStep));
      PutTimed(GapMarker(0));
      if (full_) return;
      events_[last_].step = part;
      ticks -= part;
    } while (ticks > 0);
  }
  // Time that passed since the last timed event written goes onto its step;
  // with none, or no room in its step, a gap marker holds it so no time is
  // lost.
  void Credit(uint64_t ticks) {
    if (ticks == 0) return;
    if (last_ >= 0 && events_[last_].step + ticks <= kMaxStep) {
      events_[last_].step = static_cast<uint16_t>(events_[last_].step + ticks);
      return;
    }
    PutGap(ticks);
  }
  void SetLast(int at) { last_ = at; }
  int written() const { return write_; }
  bool full() const { return full_; }

 private:
  StepEvent* events_;
  int capacity_;
  int write_;
  int last_ = -1;   // last event that takes the time passing after it
  bool full_ = false;
};

// One input stream and its read position.
struct Stream {
  const StepEvent* events;
  size_t at = 0;
  bool dropBars = false;   // measure ends read as gap markers of zero step

  const StepEvent& Head() const { return events[at]; }
  StepEvent Take() {
    StepEvent e = events[at++];
    if (dropBars && e.code == kCodeMeasureEnd) e = GapMarker(0);
    return e;
  }
  // The continuations belong to the event in front of them.
  void TakeContinuations(MergeOutput& out) {
    while (!out.full() && events[at].code == kCodeContinue) out.Put(events[at++]);
  }
};

uint64_t StreamLength(const StepEvent* events) {
  uint64_t length = 0;
  for (size_t i = 0; !AtEnd(events[i]); ++i) {
    if (Timed(events[i].code)) length += events[i].step;
  }
  return length;
}

// Whether the track has a measure end within the inserted stream's length:
// then the block's own measure ends go.
bool TrackBarWithin(const StepEvent* existing, uint64_t length) {
  for (size_t i = 0; !AtEnd(existing[i]); ++i) {
    const StepEvent& e = existing[i];
    if (e.code == kCodeMeasureEnd) return true;
    if (Timed(e.code)) {
      if (e.step > length) return false;
      length -= e.step;
    }
  }
  return false;
}

// Gap markers go: into the timed event in front when the sum stays below
// 9,999, else they become rests. Returns the index of the end event.
int FinalPass(StepEvent* events, int from, int written) {
  int w = from;
  for (int r = from; r < written; ++r) {
    const StepEvent e = events[r];
    if (e.code != kGapMarkerCode) {
      events[w++] = e;
      if (AtEnd(e)) return w - 1;
      continue;
    }
    if (w == 0 && e.step == 0) continue;
    if (w > 0 && Timed(events[w - 1].code) && events[w - 1].step + e.step < kMaxAddedStep) {
      events[w - 1].step = static_cast<uint16_t>(events[w - 1].step + e.step);
      continue;
    }
    events[w++] = RestMarker(e.step);
  }
  return -1;
}

}  // namespace

int MergeStepStreams(uint32_t index, uint32_t offset, StepEvent* destination, int capacity,
                     const StepEvent* existing, const StepEvent* inserted) {
  if (!destination || !existing || !inserted || capacity <= 0 || index >= static_cast<uint32_t>(capacity)) {
    return -1;
  }
  const int at = static_cast<int>(index);
  Stream ex{existing};
  Stream in{inserted};
  in.dropBars = TrackBarWithin(existing, StreamLength(inserted));

  MergeOutput out(destination, capacity, at);
  // Ticks until the next existing (e) and inserted (i) event. Both streams
  // start where the last timed event in front of index would have its next
  // event; that event's step is handed out again as time passes.
  uint64_t e = 0, i = offset;
  for (int j = at - 1; j >= 0; --j) {
    if (!TakesCredit(destination[j].code)) continue;
    e = destination[j].step;
    i += e;
    destination[j].step = 0;
    out.SetLast(j);
    break;
  }

  for (;;) {
    const bool takeInserted = e > i;   // equal times: the track's event first
    Stream& s = takeInserted ? in : ex;
    if (AtEnd(s.Head())) break;
    const uint64_t gap = takeInserted ? i : e;
    out.Credit(gap);
    (takeInserted ? e : i) -= gap;
    const StepEvent ev = s.Take();
    if (Timed(ev.code)) {
      out.PutTimed(ev);
    } else {
      out.Put(ev);
    }
    s.TakeContinuations(out);
    (takeInserted ? i : e) = Timed(ev.code) ? ev.step : 0;
    if (out.full()) return -1;
  }

  if (e > i) {
    // The block ended first: the track's pending time, then the rest of the
    // track as it stands.
    out.PutGap(e);
    for (;;) {
      const StepEvent ev = ex.Take();
      out.Put(ev);
      if (AtEnd(ev) || out.full()) break;
    }
  } else {
    // The track ended first: the block's next event is still i ticks away,
    // and the rest follows with its own steps. Markers that carry no time go.
    out.Credit(i);
    for (;;) {
      const StepEvent ev = in.Take();
      if (ev.code != kGapMarkerCode || ev.step != 0) out.Put(ev);
      if (AtEnd(ev) || out.full()) break;
    }
  }
  if (out.full()) return -1;
  return FinalPass(destination, at, out.written());
}

EditResult PasteMixSteps(StepEditModel& m, StepSongContext& ctx, const StepEvent* events, int n) {
  if (n < 0 || (n > 0 && !events)) return RefusedResult();
  const bool gapWasOpen = CloseGapForPaste(m, ctx);
  EditResult r;
  if (gapWasOpen) r.indexRebuilt = true;

  // An end code among the events would end the block there.
  int count = 0;
  while (count < n && events[count].code < kEndCode) ++count;
  if (!FitsTrack(m, count)) {
    EditResult full = TrackFullResult();
    full.indexRebuilt = r.indexRebuilt;
    return full;
  }
  if (count == 0) return r;
  const int32_t at = LineEvent(m, CaretLine(m));
  if (at < 0 || at > m.eventCount) return RefusedResult();

  // Merged into a scratch copy, so a result that does not fit leaves the
  // track as it was.
  std::vector<StepEvent> merged(kTrackSlots);
  std::vector<StepEvent> trackPart;
  {
    ModelEvents block(m);
    const StepEvent* e = block.events();
    if (!e || m.eventCount < 0 || m.eventCount >= block.slots() || !AtEnd(e[m.eventCount])) return RefusedResult();
    std::copy(e, e + m.eventCount + 1, merged.begin());
    trackPart.assign(e + at, e + m.eventCount + 1);
  }
  std::vector<StepEvent> added;
  added.reserve(static_cast<size_t>(count) + 1);
  for (int k = 0; k < count; ++k) added.push_back(IsRest(events[k]) ? GapMarker(events[k].step) : events[k]);
  added.push_back(EndEvent());

  const int end = MergeStepStreams(static_cast<uint32_t>(at), 0, merged.data(), kTrackSlots, trackPart.data(),
                                   added.data());
  if (end < 0 || end > kMaxTrackEvents) {
    EditResult full = TrackFullResult();
    full.indexRebuilt = r.indexRebuilt;
    return full;
  }
  if (SlotsOf(ReadTrackBlock(m).events) <= end && !GrowEditorBlock(m, ctx)) return RefusedResult();
  {
    ModelEvents block(m);
    if (!block.events() || block.slots() <= end) return RefusedResult();
    std::memcpy(block.events(), merged.data(), (static_cast<size_t>(end) + 1) * sizeof(StepEvent));
  }
  BuildTrackLineIndex(m, ctx);
  r.indexRebuilt = true;
  r.scrollBars = true;
  r.stateBits = kStateModified | kStateTiming;
  // Events moved: references to measures after the caret point elsewhere now.
  r.renumberRefs = std::any_of(merged.begin() + at, merged.begin() + end + 1,
                               [](const StepEvent& e) { return e.code == kCodeSameMeasure; });
  return r;
}
