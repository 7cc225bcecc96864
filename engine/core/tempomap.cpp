#include "tempomap.h"

#include <algorithm>
#include <cstdlib>

TempoScale MakeTempoScale(int timeBase) {
  TempoScale s;
  s.timeBase = timeBase > 0 ? timeBase : 480;
  s.u = std::max(1, 480 / s.timeBase);
  s.h = std::max(1, 240 / s.u);
  return s;
}

static int SafeTempo(int tempo) { return tempo > 0 ? tempo : 120; }

int LimitTempoFactor(int headerTempo, int factor) {
  int tempo = SafeTempo(headerTempo);
  if (factor >= 64 && tempo * factor > 15360) factor = 15360 / tempo;
  return factor;
}

int StepLengthCode(int headerTempo, int factor) {
  int b = (SafeTempo(headerTempo) * factor) & 0xFFFF;
  b = std::max(611, b);
  return (b / 2 + 40003200) / b;
}

TempoPair EntryTempo(int code, int steps, const TempoScale& scale) {
  int64_t q = static_cast<int64_t>(code) * 57600 / 62505;
  int64_t c = static_cast<int64_t>(scale.u) * std::min(std::max(steps, 1), scale.h);
  int64_t x = q * c;
  while (x >= 0xBFFF40) {
    x /= 2;
    c /= 2;
  }
  int64_t e = (x / 96 + 1) / 2;
  if (e >= 0x8000) {
    e /= 2;
    c /= 2;
  }
  TempoPair p;
  p.c = static_cast<int>(std::max<int64_t>(c, 1));
  p.e = static_cast<int>(std::max<int64_t>(e, 1));
  return p;
}

int TempoOfPair(const TempoPair& p) {
  int t = p.c * (720000 / p.e) / 240;
  return std::max(1, t);
}

int Tempo10OfPair(const TempoPair& p) {
  return static_cast<int>(static_cast<int64_t>(p.c) * 30000 / p.e);
}

// u x steps x e / c, rounded. With 480 / time base in place of u so that a
// time base above 480 (where u is held at 1) still gives the real time; for
// the time bases that divide 480 this is the same. Halving c first (as
// b / (c / 2)) would lose up to a third for short entries of odd c.
int64_t EntryDuration24(int code, int steps, const TempoScale& scale) {
  if (steps <= 0) return 0;
  TempoPair p = EntryTempo(code, steps, scale);
  int64_t num = static_cast<int64_t>(steps) * p.e * 480 * 2;
  int64_t den = static_cast<int64_t>(p.c) * scale.timeBase;
  return (num / den + 1) / 2;
}

TempoMapBuilder::TempoMapBuilder(const TempoScale& scale, int headerTempo)
    : scale_(scale), headerTempo_(headerTempo) {
  code_ = target_ = StepLengthCode(headerTempo, 64);
  counter_ = scale.u;
}

void TempoMapBuilder::TempoEvent(int factor, int rate) {
  rate_ = rate;
  target_ = StepLengthCode(headerTempo_, LimitTempoFactor(headerTempo_, factor));
  k_ = 0;
  if (rate_ == 0) SetCode(target_);
}

void TempoMapBuilder::SetCode(int code) {
  if (code == code_) return;
  CloseRun();
  code_ = code;
  changedThisTick_ = true;
}

void TempoMapBuilder::Push(int steps) {
  entries_.push_back(TempoEntry{static_cast<uint16_t>(code_), static_cast<uint16_t>(steps)});
}

void TempoMapBuilder::CloseRun() {
  uint32_t l = run_;
  run_ = 0;
  if (l == 0) return;
  if (l > static_cast<uint32_t>(scale_.h)) {
    uint32_t whole = l / scale_.h * scale_.h;
    Push(static_cast<int>(whole));
    if (l > whole) Push(static_cast<int>(l - whole));
  } else {
    Push(static_cast<int>(l));
  }
}

// A gradual change moves the code only while it can still move: at the
// largest increment a step too small to change the code stays so for good.
bool TempoMapBuilder::Gradual() const {
  if (rate_ == 0 || code_ == target_) return false;
  if (k_ < 255) return true;
  int64_t diff = std::min<int64_t>(std::abs(target_ - code_) * 8LL, 0xFFFF);
  return ((diff * rate_ * k_) >> 16) != 0;
}


void TempoMapBuilder::Tick() {
  ++run_;
  if (run_ > 0xEFFF) {
    Push(30720);
    run_ -= 30720;
  }
  counter_ -= scale_.u;
  if (counter_ < 0) {
    counter_ += 20;
    // Below time base 24 one raise does not make up a step: every step
    // moves then, and the counter is kept from running away.
    if (counter_ < 0) counter_ = ((counter_ % 20) + 20) % 20;
    if (!changedThisTick_ && rate_ != 0 && code_ != target_) {
      k_ = std::min(255, k_ + 2);
      int64_t diff = std::min<int64_t>(std::abs(target_ - code_) * 8LL, 0xFFFF);
      int move = static_cast<int>((diff * rate_ * k_) >> 16);
      // Toward the target, never past it: a large rate and increment would
      // otherwise swing the code further out at every move.
      move = std::min(move, std::abs(target_ - code_));
      if (move > 0) SetCode(code_ < target_ ? code_ + move : code_ - move);
      changedThisTick_ = false;
      return;
    }
  }
  changedThisTick_ = false;
}

void TempoMapBuilder::Advance(uint64_t steps) {
  while (steps > 0 && Gradual()) {
    Tick();
    --steps;
  }
  if (steps == 0) return;
  // Nothing moves the code any more: count the run in bulk.
  uint64_t total = run_ + steps;
  while (total > 0xEFFF) {
    Push(30720);
    total -= 30720;
  }
  run_ = static_cast<uint32_t>(total);
  int64_t c = static_cast<int64_t>(counter_) - static_cast<int64_t>(scale_.u) * static_cast<int64_t>(steps % 20000000);
  if (c < 0) c = ((c % 20) + 20) % 20;
  counter_ = static_cast<int>(c);
  if (rate_ != 0 && code_ != target_) k_ = 255;  // a stalled change stays stalled
  changedThisTick_ = false;
}

std::vector<TempoEntry> TempoMapBuilder::Finish() {
  CloseRun();
  return entries_;
}

uint64_t TempoMapSteps(const std::vector<TempoEntry>& map) {
  uint64_t n = 0;
  for (const auto& e : map) n += e.steps;
  return n;
}

int64_t TimeOfSteps(const std::vector<TempoEntry>& map, uint64_t steps, const TempoScale& scale) {
  int64_t t = 0;
  for (const auto& e : map) {
    if (steps == 0) break;
    int64_t d = EntryDuration24(e.code, e.steps, scale);
    if (steps >= e.steps) {
      t += d;
      steps -= e.steps;
    } else {
      t += d * static_cast<int64_t>(steps) / e.steps;
      steps = 0;
    }
  }
  if (steps > 0 && !map.empty()) {
    // Past the map the last tempo goes on.
    const auto& e = map.back();
    t += EntryDuration24(e.code, e.steps, scale) * static_cast<int64_t>(steps) / std::max<int>(1, e.steps);
  }
  return t;
}

int SixteenthsForTime(const std::vector<TempoEntry>& map, int64_t time24, const TempoScale& scale) {
  if (time24 <= 0) return 0;
  int64_t sum = 0;
  uint64_t s = 0;
  int sixteenth = std::max(1, scale.timeBase / 4);
  for (const auto& e : map) {
    if (e.steps == 0) continue;
    int64_t dur = EntryDuration24(e.code, e.steps, scale);
    sum += dur;
    s += e.steps;
    if (sum >= time24) {
      if (sum != time24 && dur > 0) s -= static_cast<uint64_t>(e.steps) * (sum - time24) / dur;
      return static_cast<int>((s + sixteenth - 1) / sixteenth);
    }
  }
  return 0;
}
