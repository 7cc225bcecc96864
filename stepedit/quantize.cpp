#include "quantize.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "lineindex.h"
#include "noteoverlap.h"
#include "stepblocks.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstMark = 0xF0;      // codes from here on carry no step time
constexpr uint16_t kGateMarker = 0xFFFF;  // a note that overlapped, during the run
constexpr uint32_t kStateEdited = kStateModified | kStateTiming;

bool IsNote(const StepEvent& e) { return e.code < 0x80; }
bool Sounds(const StepEvent& e) { return IsNote(e) && e.gate != 0 && e.vel != 0; }

// The distance to the next note of the same key when it starts inside the
// note's gate, else 0. The shared gate fitting reads gates of 32768 and up
// as setting no limit; here a gate is only ever cut short, never lengthened.
int OverlapInsideGate(const StepEvent* events, int count, int index) {
  const int d = FindNoteOverlap(events, count, index);
  return d > 0 && d < events[index].gate ? d : 0;
}

// Positions' times with the first position at or after a point whose time
// lies outside a band; the reorder's exchanges stay exact while a scan that
// would pass over thousands of events in the band costs one descent.
class TimeTree {
 public:
  static constexpr size_t kNone = std::numeric_limits<size_t>::max();

  explicit TimeTree(const std::vector<int64_t>& times) {
    while (size_ < times.size()) size_ <<= 1;
    low_.assign(2 * size_, std::numeric_limits<int64_t>::max());
    high_.assign(2 * size_, std::numeric_limits<int64_t>::min());
    for (size_t i = 0; i < times.size(); ++i) low_[size_ + i] = high_[size_ + i] = times[i];
    for (size_t k = size_ - 1; k >= 1; --k) Pull(k);
  }

  void Set(size_t i, int64_t time) {
    size_t k = size_ + i;
    low_[k] = high_[k] = time;
    for (k >>= 1; k >= 1; k >>= 1) Pull(k);
  }

  // The first position at or after from whose time is below lo or at least
  // hi; kNone when there is none.
  size_t FirstOutside(size_t from, int64_t lo, int64_t hi) const { return Find(1, 0, size_, from, lo, hi); }

 private:
  void Pull(size_t k) {
    low_[k] = std::min(low_[2 * k], low_[2 * k + 1]);
    high_[k] = std::max(high_[2 * k], high_[2 * k + 1]);
  }

  size_t Find(size_t k, size_t l, size_t r, size_t from, int64_t lo, int64_t hi) const {
    if (r <= from || (low_[k] >= lo && high_[k] < hi)) return kNone;
    if (r - l == 1) return l;
    const size_t mid = (l + r) / 2;
    const size_t left = Find(2 * k, l, mid, from, lo, hi);
    return left != kNone ? left : Find(2 * k + 1, mid, r, from, lo, hi);
  }

  size_t size_ = 1;
  std::vector<int64_t> low_, high_;  // padding positions lie inside every band
};

// An event and the 0xF7 continuations that follow it: they move as one, so
// that no text or exclusive data is parted from its head.
struct Unit {
  int32_t first;
  int32_t count;
};

struct Marked {
  StepEvent event;
  bool overlapped;
};

// Steps 2-9 on the selected events (no end event). *rests receives the
// rests added behind marks; the result has no end event.
std::vector<Marked> QuantizeEvents(const std::vector<StepEvent>& in, int64_t resolution, int64_t rate,
                                   const EventFilter& filter, bool rhythm, int32_t* rests) {
  const auto n = static_cast<int32_t>(in.size());
  std::vector<StepEvent> work(in);
  work.push_back(EndEvent());

  // Times before the move: marks and continuations carry none.
  std::vector<int64_t> time(n);
  int64_t clock = 0;
  for (int32_t i = 0; i < n; ++i) {
    time[i] = clock;
    if (work[i].code < kFirstMark) clock += work[i].step;
  }
  const int64_t endTime = clock;

  // Notes that run into the next note of their key keep an overlap.
  std::vector<bool> overlapped(n, false);
  for (int32_t i = 0; i < n; ++i) {
    if (Sounds(work[i]) && OverlapInsideGate(work.data(), n + 1, i) != 0) {
      overlapped[i] = true;
      work[i].gate = kGateMarker;
    }
  }

  std::vector<Unit> units;
  units.reserve(n);
  for (int32_t i = 0; i < n; ++i) {
    if (work[i].code == kCodeContinue && !units.empty()) ++units.back().count;
    else units.push_back({i, 1});
  }

  // The move toward the grid; the division truncates toward zero.
  const auto unitCount = static_cast<int32_t>(units.size());
  std::vector<int64_t> unitTime(unitCount);
  std::vector<int32_t> order(unitCount);
  for (int32_t u = 0; u < unitCount; ++u) {
    const StepEvent& head = work[units[u].first];
    int64_t t = time[units[u].first];
    if (head.code < kFirstMark && (rhythm || !MatchEventFilter(filter, head))) {
      const int64_t grid = (resolution / 2 + t) / resolution * resolution;
      t += (grid - t) * rate / 100;
    }
    unitTime[u] = t;
    order[u] = u;
  }
  ExchangeOrderByTime(unitTime, order);

  // New steps; a mark keeps its fields and hands its time to a rest.
  std::vector<Marked> out;
  out.reserve(static_cast<size_t>(n) + 16);
  *rests = 0;
  for (int32_t k = 0; k < unitCount; ++k) {
    const Unit& u = units[order[k]];
    const int64_t next = k + 1 < unitCount ? unitTime[k + 1] : endTime;
    const auto step = static_cast<uint16_t>(std::max<int64_t>(next - unitTime[k], 0));
    for (int32_t i = u.first; i < u.first + u.count; ++i) out.push_back({work[i], overlapped[i]});
    StepEvent& head = out[out.size() - u.count].event;
    if (head.code <= kFirstMark) {
      head.step = step;
    } else if (step != 0) {
      out.push_back({StepEvent{0, 0, step, 0}, false});
      ++*rests;
    }
  }

  // Empty rests go; a note of step 0 takes the step of the rest behind it,
  // and that rest then goes too.
  size_t w = 0;
  for (size_t r = 0; r < out.size(); ++r) {
    Marked e = out[r];
    if (IsNote(e.event) && e.event.step == 0) {
      if (e.event.gate == 0) continue;
      if (r + 1 < out.size() && IsNote(out[r + 1].event) && out[r + 1].event.gate == 0) {
        e.event.step = out[r + 1].event.step;
        out[r + 1].event.step = 0;
      }
    }
    out[w++] = e;
  }
  out.resize(w);

  // Gates: an overlapping note reaches one tick into the next of its key,
  // any other ends where that next one begins.
  std::vector<StepEvent> fitted(out.size() + 1);
  for (size_t i = 0; i < out.size(); ++i) fitted[i] = out[i].event;
  fitted[out.size()] = EndEvent();
  const auto count = static_cast<int>(fitted.size());
  for (int i = 0; i + 1 < count; ++i) {
    StepEvent& e = fitted[i];
    if (!Sounds(e)) continue;
    if (out[i].overlapped) {
      const int64_t d = FindNoteOverlap(fitted.data(), count, i);
      e.gate = static_cast<uint16_t>(std::min<int64_t>(d + 1, kGateMarker));
    } else if (e.gate < kGateMarker) {
      const int d = OverlapInsideGate(fitted.data(), count, i);
      if (d != 0) e.gate = static_cast<uint16_t>(d);
    }
  }
  for (size_t i = 0; i < out.size(); ++i) out[i].event = fitted[i];
  return out;
}

}  // namespace

uint32_t QuantizeUnit(uint16_t timeBase) { return std::max<uint32_t>(timeBase / 48u, 1u); }

void ResetQuantizeResolution(QuantizeSettings& s, uint16_t timeBase) {
  s.resolution = QuantizeUnit(timeBase) * kQuantizeResetUnits;
}

void ClampQuantizeSettings(QuantizeSettings& s, uint16_t timeBase) {
  const uint32_t unit = QuantizeUnit(timeBase);
  s.resolution = std::clamp(s.resolution, unit * kQuantizeMinUnits, unit * kQuantizeMaxUnits);
  s.rate = std::clamp(s.rate, kQuantizeMinRate, kQuantizeMaxRate);
}

void ExchangeOrderByTime(std::vector<int64_t>& times, std::vector<int32_t>& order) {
  const size_t n = std::min(times.size(), order.size());
  if (n < 2) return;
  TimeTree tree(times);
  for (size_t i = 0; i + 1 < n; ++i) {
    size_t from = i + 1;
    for (;;) {
      // Positions whose time lies in [t[i], t[i] + 9999) pass without effect.
      const size_t j = tree.FirstOutside(from, times[i], times[i] + kQuantizeReorderWindow);
      if (j >= n || times[j] >= times[i]) break;
      std::swap(times[i], times[j]);
      std::swap(order[i], order[j]);
      tree.Set(i, times[i]);
      tree.Set(j, times[j]);
      from = j + 1;
    }
  }
}

EditResult QuantizeStepRange(StepEditModel& m, StepSongContext& ctx, uint32_t resolution, uint32_t rate,
                             const EventFilter& filter) {
  if (resolution == 0 || rate > kQuantizeMaxRate) return RefusedResult();
  if (!MakeContiguous(m, ctx)) return RefusedResult();

  std::vector<StepEvent> selected;
  int32_t from = 0;
  int32_t slots = 0;
  {
    ModelEvents block(m);
    const int32_t n = SelectedEvents(m, block, &from);
    if (n <= 0) return RefusedResult();
    selected.assign(block.events() + from, block.events() + from + n);
    slots = block.slots();
  }
  const auto n = static_cast<int32_t>(selected.size());

  int32_t rests = 0;
  const std::vector<Marked> result =
      QuantizeEvents(selected, resolution, rate, filter, m.viewMode == kModeRhythmGrid, &rests);
  const auto after = static_cast<int32_t>(result.size());

  // The rests are counted before anything changes: the cut block holds the
  // selection, its rests and an end event in 16,372 slots, and the track
  // must not reach 16,371 events.
  EditResult full = TrackFullResult();
  full.messageStyle = MB_OK | MB_ICONHAND;
  if (static_cast<int64_t>(n) + rests > kMaxTrackEvents) return full;
  if (after > n && !FitsTrack(m, after - n)) return full;
  // Grown before the cut, so that the block's insertion cannot fail halfway.
  if (m.eventCount + 1 + (after - n) > slots && !GrowEditorBlock(m, ctx)) return full;

  const int32_t line = LineOfEvent(m, from);
  std::vector<StepEvent> cut;
  EditResult r = CutStepBlock(m, ctx, &cut);
  if (r.status != EditStatus::Ok) return r;
  std::vector<StepEvent> block;
  block.reserve(result.size() + 1);
  for (const Marked& e : result) block.push_back(e.event);
  block.push_back(EndEvent());
  EditResult inserted = InsertStepBlock(m, ctx, block);
  if (inserted.status != EditStatus::Ok) {
    InsertStepBlock(m, ctx, cut);  // the selection goes back as it was
    return full;
  }
  MergeEditResult(r, inserted);
  r.selectionChanged = true;
  r.stateBits |= kStateEdited;
  CaretToLineFromAnchor(m, line);
  return r;
}
