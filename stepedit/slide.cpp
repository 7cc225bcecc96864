#include "slide.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "editorblocks.h"
#include "lineindex.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstUntimed = 0xF0;
constexpr uint8_t kPlaceholderCode = 0x80;
constexpr uint8_t kRestKey = 60;
constexpr int64_t kMaxAddedStep = 9999;   // steps formed by addition stay below
constexpr int64_t kMaxStep = 0xFFFF;

bool Timed(uint8_t code) { return code < kFirstUntimed; }
// The time after an external command goes to the event before it.
bool TakesCredit(uint8_t code) { return Timed(code) && code != kCodeExternal; }

// An entry of a stream or of the merged result: an event, or a placeholder
// carrying the time of an event that stands in the other stream. The time
// of a timed entry may pass 16 bits while merging; an untimed entry's step
// field is data and stays as it is.
struct Entry {
  StepEvent e;
  int64_t time = 0;
  bool placeholder = false;

  bool AtEnd() const { return !placeholder && e.code >= kEndCode; }
  bool Continuation() const { return !placeholder && e.code == kCodeContinue; }
  bool Credit() const { return placeholder || TakesCredit(e.code); }
};

Entry Of(const StepEvent& e) { return Entry{e, Timed(e.code) ? e.step : 0, false}; }
Entry Placeholder(int64_t time) { return Entry{StepEvent{kPlaceholderCode, 0, 0, 0}, time, true}; }

bool Slides(const StepEvent& e, const EventFilter& filter) {
  return (Timed(e.code) || e.code == kCodeComment) && MatchEventFilter(filter, e);
}

struct Walk {
  UINT refusal = 0;
  int32_t stop = -1;   // the timed event that used up the budget, -1 none
  int64_t left = 0;    // the budget after it: 0 or below at a stop
};

// The |b| ticks next to the selection, from its first event on for a later
// slide and back from the event before it for an earlier one.
Walk RegionWalk(const StepEvent* e, int32_t endIndex, int32_t from, int64_t b) {
  Walk w;
  w.left = std::llabs(b);
  const int dir = b > 0 ? 1 : -1;
  for (int32_t i = b > 0 ? from : from - 1; i >= 0 && i < endIndex; i += dir) {
    const uint8_t code = e[i].code;
    if (code >= kEndCode) break;
    if (!Timed(code)) {
      if (code == kCodeRepeatEnd) w.refusal = kSlideRepeatEndMessage;
      else if (code == kCodeRepeatStart) w.refusal = kSlideRepeatStartMessage;
      else if (code == kCodeSameMeasure) w.refusal = kSlideSameMeasureMessage;
      if (w.refusal) return w;
      continue;
    }
    w.left -= e[i].step;
    if (w.left <= 0) {
      w.stop = i;
      return w;
    }
  }
  return w;
}

// The merged events, with the last one that takes the time passing after it.
class MergeOut {
 public:
  explicit MergeOut(std::vector<Entry>& out) : out_(out) {
    for (size_t k = out_.size(); k-- > 0;) {
      if (out_[k].Credit()) {
        credit_ = static_cast<int64_t>(k);
        break;
      }
    }
  }

  // Writes the stream's entry at *at with the continuations behind it; the
  // c ticks that passed before it go to the event in front. Returns the
  // time until the stream's next entry: the entry's own time.
  int64_t Write(const std::vector<Entry>& stream, size_t* at, int64_t c) {
    Entry entry = stream[(*at)++];
    const int64_t next = entry.time;
    if (c > 0 && credit_ < 0) Put(Placeholder(0));  // nothing in front yet: a gap holds the time
    if (c > 0) out_[static_cast<size_t>(credit_)].time += c;
    entry.time = 0;
    Put(entry);
    while (stream[*at].Continuation()) Put(stream[(*at)++]);
    return next;
  }

  void Put(const Entry& entry) {
    out_.push_back(entry);
    if (entry.Credit()) credit_ = static_cast<int64_t>(out_.size()) - 1;
  }

 private:
  std::vector<Entry>& out_;
  int64_t credit_ = -1;
};

StepEvent Rest(int64_t step) { return StepEvent{kRestKey, 0, static_cast<uint16_t>(step), 0}; }

void PutRests(std::vector<StepEvent>& track, int64_t ticks) {
  for (; ticks > 0; ticks -= kMaxStep) track.push_back(Rest(std::min(ticks, kMaxStep)));
}

// Placeholders go: their time onto the event before them (its
// continuations are part of it) when that carries time and its step stays
// below 9999, else into a rest; one that carries no time leaves nothing. A
// step past 16 bits continues in rests behind the event and its
// continuations.
std::vector<StepEvent> WriteBack(const std::vector<Entry>& merged) {
  std::vector<StepEvent> track;
  track.reserve(merged.size());
  int64_t carry = 0;
  size_t last = 0;  // the last event written that is not a continuation
  for (const Entry& w : merged) {
    if (w.Continuation()) {
      track.push_back(w.e);
      continue;
    }
    PutRests(track, carry);
    carry = 0;
    for (size_t k = track.size(); k-- > last;) {
      if (track[k].code != kCodeContinue) {
        last = k;
        break;
      }
    }
    if (w.placeholder) {
      if (w.time == 0) continue;
      if (!track.empty() && Timed(track[last].code) && track[last].step + w.time < kMaxAddedStep) {
        track[last].step = static_cast<uint16_t>(track[last].step + w.time);
      } else {
        PutRests(track, w.time);
      }
      continue;
    }
    StepEvent e = w.e;
    if (Timed(e.code)) {
      e.step = static_cast<uint16_t>(std::min(w.time, kMaxStep));
      carry = w.time - e.step;
    }
    track.push_back(e);
    if (w.AtEnd()) break;
  }
  return track;
}

int64_t TrackLength(const StepEvent* e, size_t n) {
  int64_t t = 0;
  for (size_t k = 0; k < n; ++k) {
    if (Timed(e[k].code)) t += e[k].step;
  }
  return t;
}

}  // namespace

bool AddStepBefore(StepEvent* events, int32_t index, int32_t ticks) {
  if (!events) return false;
  for (int32_t i = index - 1; i >= 0; --i) {
    if (!TakesCredit(events[i].code)) continue;
    if (ticks > 0) events[i].step = static_cast<uint16_t>(std::min<int64_t>(events[i].step + int64_t{ticks}, kMaxStep));
    return true;
  }
  return false;
}

EditResult SlideStepRange(StepEditModel& m, StepSongContext& ctx, int32_t bias, const EventFilter& filter) {
  if (bias == 0) return EditResult{};
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  const int64_t b = bias;

  std::vector<StepEvent> before;
  int32_t from = 0, to = 0;
  {
    ModelEvents block(m);
    const int32_t n = SelectedEvents(m, block, &from);
    to = from + n - 1;
    const StepEvent* e = block.events();
    if (!e || n == 0 || m.eventCount >= block.slots() || e[m.eventCount].code < kEndCode) return RefusedResult();
    before.assign(e, e + m.eventCount + 1);
  }
  const auto end = static_cast<int32_t>(before.size()) - 1;
  // An event is never parted from its continuations.
  while (to + 1 < end && before[static_cast<size_t>(to) + 1].code == kCodeContinue) ++to;

  const Walk walk = RegionWalk(before.data(), end, from, b);
  if (walk.refusal) return RefusedResult(walk.refusal, MB_ICONQUESTION);

  // Which selected events slide; continuations go with the event in front
  // (one in front of the selection stays).
  std::vector<char> slides(static_cast<size_t>(to - from + 1), 0);
  bool parent = false, any = false;
  for (int32_t k = from; k <= to; ++k) {
    const StepEvent& e = before[static_cast<size_t>(k)];
    if (e.code != kCodeContinue) {
      parent = Slides(e, filter);
      any |= parent;
    }
    slides[static_cast<size_t>(k - from)] = parent;
  }
  if (!any) return EditResult{};
  auto sliding = [&](int32_t k) { return k >= from && k <= to && slides[static_cast<size_t>(k - from)]; };
  auto standIn = [](const StepEvent& e) {
    return Placeholder(e.code == kCodeContinue ? 0 : Of(e).time);
  };

  int32_t r = from;
  if (b < 0) r = walk.stop >= 0 ? walk.stop : 0;

  std::vector<Entry> slidingStream;
  slidingStream.reserve(static_cast<size_t>(to - from) + 2);
  for (int32_t k = from; k <= to; ++k) {
    const StepEvent& e = before[static_cast<size_t>(k)];
    slidingStream.push_back(sliding(k) ? Of(e) : standIn(e));
  }
  slidingStream.push_back(Of(EndEvent()));

  std::vector<Entry> staying;
  staying.reserve(static_cast<size_t>(end - r) + 1);
  for (int32_t k = r; k <= end; ++k) {
    const StepEvent& e = before[static_cast<size_t>(k)];
    staying.push_back(sliding(k) ? standIn(e) : Of(e));
  }

  // The merged track starts with the events in front of the region; the
  // countdowns are the ticks until each stream's next entry is due.
  std::vector<Entry> merged;
  merged.reserve(before.size() + slidingStream.size() + 16);
  size_t si = 0, li = 0;
  int64_t stay = 0, slide = 0;
  if (b > 0) {
    for (int32_t k = 0; k < r; ++k) merged.push_back(Of(before[static_cast<size_t>(k)]));
    for (int32_t j = r - 1; j >= 0; --j) {
      if (!TakesCredit(before[static_cast<size_t>(j)].code)) continue;
      stay = merged[static_cast<size_t>(j)].time;
      merged[static_cast<size_t>(j)].time = 0;
      break;
    }
    slide = stay + b;
  } else if (walk.stop >= 0) {
    // The walk ended inside the track: the event there stays in place.
    for (int32_t k = 0; k <= r; ++k) merged.push_back(Of(before[static_cast<size_t>(k)]));
    stay = merged.back().time;
    merged.back().time = 0;
    slide = -walk.left;
    si = 1;
  } else {
    // Past the track's start: the sliding events gather from tick 0.
    int64_t excess = walk.left;
    for (Entry& s : slidingStream) {
      if (excess <= 0 || s.AtEnd()) break;
      if (!s.placeholder && !Timed(s.e.code)) continue;
      const int64_t cut = std::min(excess, s.time);
      s.time -= cut;
      excess -= cut;
    }
  }

  MergeOut out(merged);
  int64_t tail = 0;  // ticks until the step of the last sliding event written runs out
  while (!slidingStream[li].AtEnd()) {
    // Equal countdowns write the staying entry first; the staying end waits
    // for every sliding entry.
    const bool stayingDone = staying[si].AtEnd();
    if (!stayingDone && stay <= slide) {
      const int64_t c = stay;
      slide -= c;
      tail -= c;
      stay = out.Write(staying, &si, c);
    } else if (stayingDone && slidingStream[li].placeholder) {
      // What it stands for is written already: its time only delays the
      // next sliding event.
      slide += slidingStream[li++].time;
    } else {
      const int64_t c = slide;
      stay -= c;
      tail -= c;
      const bool event = !slidingStream[li].placeholder;
      slide = out.Write(slidingStream, &li, c);
      if (event) tail = slide;
    }
  }
  // The staying stream goes on after its pending time; when the slide
  // carried events past its last one, the end follows the last sliding
  // event's step instead when that runs out later.
  out.Put(Placeholder(staying[si].AtEnd() ? std::max(stay, tail) : stay));
  for (; si < staying.size(); ++si) out.Put(staying[si]);

  const std::vector<StepEvent> result = WriteBack(merged);
  if (result.empty() || result.back().code < kEndCode) return RefusedResult();
  const auto newEnd = static_cast<int32_t>(result.size()) - 1;
  if (newEnd > kMaxTrackEvents) return TrackFullResult();

  if (SlotsOf(ReadTrackBlock(m).events) < static_cast<int>(result.size()) && !GrowEditorBlock(m, ctx))
    return RefusedResult();
  {
    ModelEvents block(m);
    if (!block.events() || block.slots() < static_cast<int>(result.size())) return RefusedResult();
    std::memcpy(block.events(), result.data(), result.size() * sizeof(StepEvent));
  }
  m.eventCount = newEnd;
  if (b < 0) {
    m.selFrom = r;
    m.selTo = to;
  }
  BuildTrackLineIndex(m, ctx);

  EditResult res;
  res.stateBits = kStateModified;
  const bool countChanged = newEnd != end;
  if (countChanged || TrackLength(result.data(), result.size()) != TrackLength(before.data(), before.size()))
    res.stateBits |= kStateTiming;
  res.indexRebuilt = true;
  res.selectionChanged = b < 0;
  res.renumberRefs = countChanged && std::any_of(result.begin() + r, result.end(), [](const StepEvent& e) {
                       return e.code == kCodeSameMeasure;
                     });
  return res;
}
