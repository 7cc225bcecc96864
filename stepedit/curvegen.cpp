#include "curvegen.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "trackmerge.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstUntimed = 0xF0;
constexpr int64_t kMaxAddedStep = 9999;   // steps formed by addition stay below
constexpr int64_t kMaxStep = 0xFFFF;
// Generation may write this many events before compaction: compaction
// removes at most one event per range event, so a curve that needs more
// can never fit the buffer.
constexpr size_t kGenerateSlots = 2 * static_cast<size_t>(kCurveBufferSlots);

bool Timed(uint8_t code) { return code < kFirstUntimed; }
bool TakesCredit(uint8_t code) { return Timed(code) && code != kCodeExternal; }
bool IsRest(const StepEvent& e) { return e.code < 0x80 && (e.gate == 0 || e.vel == 0); }

// The numbers 0..32767 of the random shape.
int32_t NextRandom(uint32_t* seed) {
  *seed = *seed * 214013u + 2531011u;
  return static_cast<int32_t>((*seed >> 16) & 0x7FFF);
}

// First tick at or after t that lies Delay plus a multiple of Step away.
int64_t FirstSample(int64_t t, int64_t delay, int64_t step) {
  int64_t r = (t - delay) % step;
  if (r < 0) r += step;
  return r == 0 ? t : t + (step - r);
}

// The key two events of one kind compare by.
int32_t ValueKey(const StepEvent& e) { return e.vel << 16 | e.gate; }

}  // namespace

const std::array<int32_t, 256>& CurveTable() {
  static const std::array<int32_t, 256> table = [] {
    std::array<int32_t, 256> t{};
    for (int i = 1; i < 255; ++i) t[i] = static_cast<int32_t>(std::floor(std::exp2(i / 32.0)));
    t[0] = 0;
    t[255] = 255;
    return t;
  }();
  return table;
}

const std::array<int32_t, 256>& SineTable() {
  static const std::array<int32_t, 256> table = [] {
    std::array<int32_t, 256> t{};
    const double pi = std::acos(-1.0);
    for (int i = 0; i < 256; ++i) t[i] = static_cast<int32_t>(std::lround(256.0 * std::sin(2.0 * pi * i / 256.0)));
    return t;
  }();
  return table;
}

void BuildCurveRangeCopy(CurveState& s, const StepEvent* events, int32_t eventCount) {
  s.rangeCopy.clear();
  s.length = 0;
  const int32_t first = std::max(s.rangeStart, 0);
  const int32_t last = std::min(s.rangeEnd, eventCount - 1);
  if (events && first <= last) {
    s.rangeCopy.reserve(static_cast<size_t>(last - first) + 2);
    for (int32_t i = first; i <= last; ++i) {
      const StepEvent& e = events[i];
      s.rangeCopy.push_back(IsCurveKindEvent(s, e) ? RestMarker(e.step) : e);
      if (Timed(e.code)) s.length += e.step;
    }
  }
  s.rangeCopy.push_back(EndEvent());
}

int32_t CurveValue(CurveState& s, int64_t tick, int32_t lastValue) {
  const int32_t top = CurveScaledValue(s.kind, s.top);
  const int32_t end = CurveScaledValue(s.kind, s.end);
  const bool returns = s.shape == kCurveSine || s.shape == kCurveRandom;
  if (s.length < 3 || tick < s.delay) return top;
  if (tick >= static_cast<int64_t>(s.delay) + s.width) return returns ? top : end;
  const int64_t u = tick - s.delay;
  const int64_t period = s.width / std::max(s.count, 1);
  if (period < 2) return top;
  const int64_t p = u % period;
  if (p == 0) return lastValue;  // no event where a period starts

  const int32_t span = CurveWideScale(s.kind) ? 256 : 128;
  if (s.shape == kCurveRandom) {
    const int64_t r = NextRandom(&s.randomSeed);
    if (top < end) return static_cast<int32_t>(std::clamp<int64_t>(top + (end - top + 1) * r / 32767, top, end));
    // Falling: the values from Top up and round to End, on the 7-bit (or
    // tempo) scale the curve runs on.
    return static_cast<int32_t>((top + (end - top + span) * r / 32767) & (span - 1));
  }
  const int64_t m = std::abs(end - top);
  int64_t d = 0;
  switch (s.shape) {
    case kCurveRising: d = CurveTable()[(p * 256 / period) & 255] * m / 256; break;
    case kCurveFalling: d = m - CurveTable()[((period - p) * 256 / period) & 255] * m / 256; break;
    case kCurveSine: d = SineTable()[(p * 256 / period) & 255] * m / 256; break;
    default: d = p * m / period; break;
  }
  const int64_t v = end > top ? top + d : top - d;
  return static_cast<int32_t>(std::clamp<int64_t>(v, 0, span - 1));
}

void GenerateCurve(CurveState& s) {
  std::vector<StepEvent> out;
  out.reserve(kGenerateSlots);
  bool full = false;
  // Every write stays within the generation slots, one kept for the end.
  auto put = [&](const StepEvent& e) -> size_t {
    if (out.size() + 1 >= kGenerateSlots) {
      full = true;
      return SIZE_MAX;
    }
    out.push_back(e);
    return out.size() - 1;
  };

  const int32_t top = CurveScaledValue(s.kind, s.top);
  int32_t lastValue = top;
  size_t lastTimed = put(CurveKindEvent(s, top));
  int64_t lastTick = 0;
  const int64_t step = std::max(s.step, 1);
  int64_t t = 0;
  const std::vector<StepEvent>& range = s.rangeCopy;
  for (size_t i = 0; i < range.size() && !full;) {
    const StepEvent& e = range[i];
    if (e.code >= kEndCode) break;
    if (!Timed(e.code)) {
      put(e);
      ++i;
      continue;
    }
    StepEvent copy = e;
    copy.step = 0;
    const size_t at = put(copy);
    if (full) break;
    lastTimed = at;
    lastTick = t;
    for (++i; i < range.size() && range[i].code == kCodeContinue && !full; ++i) put(range[i]);
    const int64_t spanEnd = t + e.step;
    for (int64_t tau = FirstSample(t, s.delay, step); tau < spanEnd && !full; tau += step) {
      const int32_t v = CurveValue(s, tau, lastValue);
      if (v == lastValue) continue;
      const size_t written = put(CurveKindEvent(s, v));
      if (full) break;
      // Steps stay within a span, so they fit 16 bits.
      out[lastTimed].step = static_cast<uint16_t>(tau - lastTick);
      lastTimed = written;
      lastTick = tau;
      lastValue = v;
    }
    if (!full) out[lastTimed].step = static_cast<uint16_t>(spanEnd - lastTick);
    t = spanEnd;
  }
  if (!full) {
    const int32_t v = CurveValue(s, s.length, lastValue);
    if (v != lastValue) put(CurveKindEvent(s, v));
  }
  out.push_back(EndEvent());

  const int slots = static_cast<int>(out.size());
  const int end = CopyEventRange(out.data(), slots, out.data(), slots, 0, 0);
  s.overflow = full || end < 0 || end >= kCurveBufferSlots;
  const int keep = end < 0 ? 0 : std::min(end, kCurveBufferSlots - 1);
  s.curve.assign(out.begin(), out.begin() + keep);
  s.curve.push_back(EndEvent());
}

void RegenerateCurve(CurveState& s, const StepEditModel& m) {
  {
    ModelEvents block(m);
    const StepEvent* e = block.events();
    if (e && m.eventCount >= 0 && m.eventCount < block.slots()) BuildCurveRangeCopy(s, e, m.eventCount);
  }
  GenerateCurve(s);
}

bool DrawCurveFreehand(CurveState& s, const CurvePoint& p) {
  if (!s.initialised || s.kind == 0) return false;
  const std::vector<StepEvent>& c = s.curve;
  size_t n = 0;
  while (n < c.size() && c[n].code < kEndCode) ++n;
  // The tick of every event; a continuation stands at its head's.
  std::vector<int64_t> at(n);
  int64_t total = 0, headTick = 0;
  for (size_t i = 0; i < n; ++i) {
    if (c[i].code == kCodeContinue) {
      at[i] = headTick;
      continue;
    }
    at[i] = headTick = total;
    if (Timed(c[i].code)) total += c[i].step;
  }
  if (total <= 0) return false;
  const int64_t a = std::clamp<int64_t>(std::min(s.dragStep, p.step), 0, total - 1);
  const int64_t b = std::clamp<int64_t>(std::max(s.dragStep, p.step), 0, total - 1);
  StepEvent drawn = CurveKindEvent(s, p.value);

  std::vector<StepEvent> stroke;
  stroke.reserve(n + 8);
  size_t i = 0;
  // Before the stroke as it was; the timed event running into it ends there.
  size_t lastTimed = SIZE_MAX;
  int64_t lastTimedTick = 0;
  for (; i < n && at[i] < a; ++i) {
    stroke.push_back(c[i]);
    if (Timed(c[i].code)) {
      lastTimed = stroke.size() - 1;
      lastTimedTick = at[i];
    }
  }
  if (lastTimed != SIZE_MAX) stroke[lastTimed].step = static_cast<uint16_t>(a - lastTimedTick);
  // Within it: the other events at their ticks without time of their own,
  // then the drawn value for every tick up to the next of them (in steps
  // that collapse would give anyway).
  for (int64_t pos = a; pos <= b;) {
    for (; i < n && at[i] == pos; ++i) {
      if (IsCurveKindEvent(s, c[i])) continue;
      StepEvent e = c[i];
      if (Timed(e.code)) e.step = 0;
      stroke.push_back(e);
    }
    const int64_t next = std::min(i < n ? at[i] : total, b + 1);
    for (int64_t left = next - pos; left > 0;) {
      drawn.step = static_cast<uint16_t>(std::min(left, kMaxAddedStep - 1));
      stroke.push_back(drawn);
      left -= drawn.step;
    }
    pos = next;
  }
  // The time left before the next event.
  for (int64_t gap = (i < n ? at[i] : total) - (b + 1); gap > 0;) {
    const auto part = static_cast<uint16_t>(std::min(gap, kMaxStep));
    stroke.push_back(RestMarker(part));
    gap -= part;
  }
  stroke.insert(stroke.end(), c.begin() + static_cast<std::ptrdiff_t>(i), c.begin() + static_cast<std::ptrdiff_t>(n));

  std::vector<StepEvent> out;
  out.reserve(stroke.size() + 1);
  int32_t lastKind = -1;
  for (const StepEvent& e : stroke) {
    if (IsRest(e) && e.step == 0) continue;
    if (IsCurveKindEvent(s, e)) {
      const int32_t key = ValueKey(e);
      if (key == lastKind && !out.empty() && TakesCredit(out.back().code) &&
          out.back().step + e.step < kMaxAddedStep) {
        out.back().step = static_cast<uint16_t>(out.back().step + e.step);
        continue;
      }
      lastKind = key;
    }
    out.push_back(e);
  }
  out.push_back(EndEvent());
  if (out.size() > static_cast<size_t>(kCurveBufferSlots)) return false;
  s.curve = std::move(out);
  s.dragStep = p.step;
  s.dragValue = p.value;
  return true;
}
