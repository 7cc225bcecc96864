#include "sortstroke.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <functional>
#include <vector>

#include "editorblocks.h"
#include "lineindex.h"
#include "noteoverlap.h"
#include "stepblocks.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstCommand = 0x80;
constexpr uint8_t kFirstUntimed = 0xF0;
constexpr uint8_t kRestKey = 60;
constexpr int kOverlapFitLimit = 9998;
constexpr int64_t kMaxStep = 0xFFFF;

// Records of one pass that the tree follows before the pass goes on by a
// plain scan; once more than kScanPassLimit passes and one in eight went on
// so, the rest is sorted plainly.
constexpr int kChainLimit = 64;
constexpr int kScanPassLimit = 32;

// A note's moving fields: key, velocity << 8, gate << 16.
uint32_t PackNote(const StepEvent& e) {
  return e.code | static_cast<uint32_t>(e.vel) << 8 | static_cast<uint32_t>(e.gate) << 16;
}

void UnpackNote(uint32_t packed, StepEvent* e) {
  e->code = static_cast<uint8_t>(packed);
  e->vel = static_cast<uint8_t>(packed >> 8);
  e->gate = static_cast<uint16_t>(packed >> 16);
}

// Minimum of each subtree over positions, to find the first later
// position whose value is below a bound.
class FirstBelowTree {
 public:
  void Build(const std::vector<int32_t>& values) {
    n_ = values.size();
    size_ = 1;
    while (size_ < n_) size_ <<= 1;
    t_.assign(2 * size_, INT32_MAX);
    std::copy(values.begin(), values.end(), t_.begin() + static_cast<std::ptrdiff_t>(size_));
    for (size_t node = size_ - 1; node >= 1; --node) t_[node] = std::min(t_[2 * node], t_[2 * node + 1]);
  }

  void Set(size_t at, int32_t value) {
    size_t node = at + size_;
    t_[node] = value;
    for (node >>= 1; node >= 1; node >>= 1) {
      const int32_t low = std::min(t_[2 * node], t_[2 * node + 1]);
      if (t_[node] == low) break;
      t_[node] = low;
    }
  }

  // The first position from `from` on whose value is below bound, -1 none.
  int64_t FirstBelow(size_t from, int32_t bound) const {
    if (from >= n_) return -1;
    size_t node = from + size_;
    while (t_[node] >= bound) {
      while (node & 1) node >>= 1;  // a right child: its parent is done too
      if (node == 0) return -1;
      ++node;
    }
    while (node < size_) node = t_[2 * node] < bound ? 2 * node : 2 * node + 1;
    return static_cast<int64_t>(node - size_);
  }

 private:
  size_t n_ = 0;
  size_t size_ = 1;
  std::vector<int32_t> t_;
};

// The exchange sort: for each position i and each later j in turn, i and
// j exchange when j's value is below the value now at i. A pass exchanges
// exactly at the running minima after i (each strictly below the last), so
// the tree finds those instead of comparing every pair; a pass with a long
// run of minima finishes by a plain scan.
void ExchangeByValue(std::vector<uint32_t>& notes, std::vector<int32_t>& values) {
  const size_t n = notes.size();
  if (n < 2) return;
  FirstBelowTree tree;
  tree.Build(values);
  bool treeValid = true;
  int scanPasses = 0;
  bool plain = false;
  std::vector<size_t> minima;
  for (size_t i = 0; i + 1 < n; ++i) {
    plain = plain || (scanPasses > kScanPassLimit && static_cast<size_t>(scanPasses) * 8 > i);
    if (plain) {
      for (size_t j = i + 1; j < n; ++j) {
        if (values[j] < values[i]) {
          std::swap(values[i], values[j]);
          std::swap(notes[i], notes[j]);
        }
      }
      continue;
    }
    if (!treeValid) {
      tree.Build(values);
      treeValid = true;
    }
    minima.clear();
    int32_t low = values[i];
    size_t from = i + 1;
    bool scanned = false;
    for (;;) {
      if (minima.size() >= static_cast<size_t>(kChainLimit)) {
        for (size_t j = from; j < n; ++j) {
          if (values[j] < low) {
            minima.push_back(j);
            low = values[j];
          }
        }
        scanned = true;
        break;
      }
      const int64_t q = tree.FirstBelow(from, low);
      if (q < 0) break;
      minima.push_back(static_cast<size_t>(q));
      low = values[static_cast<size_t>(q)];
      from = static_cast<size_t>(q) + 1;
    }
    for (size_t p : minima) {
      std::swap(values[i], values[p]);
      std::swap(notes[i], notes[p]);
    }
    if (scanned) {
      treeValid = false;
      ++scanPasses;
      continue;
    }
    if (!minima.empty()) {
      tree.Set(i, values[i]);
      for (size_t p : minima) tree.Set(p, values[p]);
    }
  }
}

// Exchanges i with j when the odd bit (0 or 1) says so, without a branch.
inline void ExchangeIf(uint32_t& cur, uint32_t& other, uint32_t odd) {
  const uint32_t x = (cur ^ other) & (0u - odd);
  cur ^= x;
  other ^= x;
}

template <typename Next>
void ExchangeByDraws(std::vector<uint32_t>& notes, Next&& next) {
  const size_t n = notes.size();
  for (size_t i = 0; i + 1 < n; ++i) {
    uint32_t cur = notes[i];
    for (size_t j = i + 1; j < n; ++j) ExchangeIf(cur, notes[j], next() & 1u);
    notes[i] = cur;
  }
}

constexpr uint32_t kCrtMul = 214013u;
constexpr uint32_t kCrtAdd = 2531011u;
// Bit 16 of the runtime generator's state, the low bit of its number,
// depends only on the state's low 17 bits, which repeat every 2^17 draws.
constexpr uint32_t kCrtOddPeriod = 1u << 17;

// The generator's state after n more draws.
uint32_t CrtAdvance(uint32_t state, uint64_t n) {
  uint32_t mul = kCrtMul, add = kCrtAdd;  // one draw, doubled as n halves
  uint32_t totalMul = 1, totalAdd = 0;
  for (; n; n >>= 1) {
    if (n & 1) {
      totalMul *= mul;
      totalAdd = totalAdd * mul + add;
    }
    add = add * mul + add;
    mul *= mul;
  }
  return state * totalMul + totalAdd;
}

// The odd bits of one period of draws from a state, read 64 at a time.
class CrtOddBits {
 public:
  explicit CrtOddBits(uint32_t state) : words_(kCrtOddPeriod / 64 + 1, 0) {
    for (uint32_t t = 0; t < kCrtOddPeriod; ++t) {
      state = state * kCrtMul + kCrtAdd;
      words_[t / 64] |= static_cast<uint64_t>((state >> 16) & 1u) << (t % 64);
    }
    words_.back() = words_.front();  // the period starts again
  }
  // Bit b is the odd bit of draw k + b.
  uint64_t At(uint64_t k) const {
    const auto t = static_cast<uint32_t>(k % kCrtOddPeriod);
    const uint32_t w = t / 64, b = t % 64;
    return b == 0 ? words_[w] : words_[w] >> b | words_[w + 1] << (64 - b);
  }

 private:
  std::vector<uint64_t> words_;
};

// The runtime generator's exchanges: for many notes the draws of each pass
// come from the period's bits, and only the exchanging positions are
// visited (an exchange hands the note at i on to j).
void ExchangeByCrt(std::vector<uint32_t>& notes, CrtSortRandom& crt) {
  const uint64_t n = notes.size();
  const uint64_t draws = n < 2 ? 0 : n * (n - 1) / 2;
  if (draws < 4 * uint64_t{kCrtOddPeriod}) {
    ExchangeByDraws(notes, crt);
    return;
  }
  const CrtOddBits bits(crt.state);
  uint64_t k = 0;
  for (uint64_t i = 0; i + 1 < n; ++i) {
    uint32_t cur = notes[i];
    const uint64_t first = i + 1;
    for (uint64_t c = 0; first + c < n; c += 64) {
      uint64_t word = bits.At(k + c);
      const uint64_t left = n - first - c;
      if (left < 64) word &= (uint64_t{1} << left) - 1;
      uint32_t* base = notes.data() + first + c;
      for (; word; word &= word - 1) {
        uint32_t& other = base[__builtin_ctzll(word)];
        const uint32_t next = other;
        other = cur;
        cur = next;
      }
    }
    notes[i] = cur;
    k += n - first;
  }
  crt.state = CrtAdvance(crt.state, draws);
}

void ExchangeAtRandom(std::vector<uint32_t>& notes, SortRandom& random) {
  if (auto* crt = random.target<CrtSortRandom>()) {
    ExchangeByCrt(notes, *crt);
  } else if (auto* ref = random.target<std::reference_wrapper<CrtSortRandom>>()) {
    ExchangeByCrt(notes, ref->get());
  } else {
    ExchangeByDraws(notes, random);
  }
}

// The field a command sorts by, negated for the descending orders so that
// every order sorts upward.
bool SortValues(int command, const std::vector<uint32_t>& notes, std::vector<int32_t>* values) {
  int shift, mask;
  switch (command) {
    case kCmdSortNoteUp:
    case kCmdSortNoteDown: shift = 0; mask = 0xFF; break;
    case kCmdSortGateUp:
    case kCmdSortGateDown: shift = 16; mask = 0xFFFF; break;
    case kCmdSortVelUp:
    case kCmdSortVelDown: shift = 8; mask = 0xFF; break;
    default: return false;
  }
  const bool down = command == kCmdSortNoteDown || command == kCmdSortGateDown || command == kCmdSortVelDown;
  values->resize(notes.size());
  for (size_t k = 0; k < notes.size(); ++k) {
    const auto v = static_cast<int32_t>((notes[k] >> shift) & static_cast<uint32_t>(mask));
    (*values)[k] = down ? -v : v;
  }
  return true;
}

// The moved notes' gates against the next note of the same key. A
// position marked as overlapping keeps a one-tick overlap; rests stay rests.
void FitSortedGates(StepEvent* e, int32_t count, const StepPosition* positions, int32_t from, int32_t n) {
  for (int32_t i = from; i < from + n; ++i) {
    StepEvent& note = e[i];
    if (note.code >= kFirstCommand || note.gate == 0 || note.vel == 0) continue;
    if (positions && (positions[i].step & kOverlapBit)) {
      const int d = FindNoteOverlapWithin(e, count, i, kOverlapFitLimit);
      if (d != 0) note.gate = static_cast<uint16_t>(d + 1);
    } else {
      const int d = FindNoteOverlap(e, count, i);
      if (d != 0) note.gate = static_cast<uint16_t>(std::min<int64_t>(d, kMaxStep));
    }
  }
}

bool CarriesStrokeTime(uint8_t code) { return code < kFirstUntimed && code != kCodeTrackExcl && code != kCodeExternal; }

StepEvent Rest(uint16_t step) { return StepEvent{kRestKey, 0, step, 0}; }

// An event with a step that may pass 16 bits: the rest of it follows in rests.
void PutWithStep(std::vector<StepEvent>& out, StepEvent e, int64_t step) {
  e.step = static_cast<uint16_t>(std::min(step, kMaxStep));
  out.push_back(e);
  for (step -= e.step; step > 0; step -= kMaxStep) out.push_back(Rest(static_cast<uint16_t>(std::min(step, kMaxStep))));
}

}  // namespace

EditResult SortStepSelection(StepEditModel& m, StepSongContext& ctx, int command, SortRandom random) {
  if (command < kCmdSortNoteUp || command > kCmdSortRandom) return RefusedResult();
  if (command == kCmdSortRandom && !random) return RefusedResult();
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  {
    ModelEvents block(m);
    StepEvent* e = block.events();
    int32_t from = 0;
    const int32_t n = SelectedEvents(m, block, &from);
    if (!e || n == 0 || m.eventCount >= block.slots()) return RefusedResult();

    std::vector<int32_t> where;
    std::vector<uint32_t> notes;
    for (int32_t i = from; i < from + n; ++i) {
      if (e[i].code >= kFirstCommand) continue;
      where.push_back(i);
      notes.push_back(PackNote(e[i]));
    }
    if (command == kCmdSortRandom) {
      ExchangeAtRandom(notes, random);
    } else {
      std::vector<int32_t> values;
      SortValues(command, notes, &values);
      ExchangeByValue(notes, values);
    }
    for (size_t k = 0; k < where.size(); ++k) UnpackNote(notes[k], &e[where[k]]);

    // The position table still marks the overlaps from before the sort.
    const HGLOBAL table = ReadTrackBlock(m).positions;
    const bool tableOk = table && GlobalSize(table) >= kPositionTableBytes;
    Locked positions(tableOk ? table : nullptr);
    FitSortedGates(e, m.eventCount + 1, positions.as<StepPosition>(), from, n);
  }
  BuildTrackLineIndex(m, ctx);
  EditResult r;
  r.stateBits = kStateModified;
  r.indexRebuilt = true;
  return r;
}

int32_t StepStrokeTotal(StepEditModel& m, StepSongContext& ctx) {
  int64_t total = 0;
  if (MakeContiguous(m, ctx)) {
    ModelEvents block(m);
    int32_t from = 0;
    const int32_t n = SelectedEvents(m, block, &from);
    for (int32_t i = from; i < from + n; ++i) {
      if (CarriesStrokeTime(block.events()[i].code)) total += block.events()[i].step;
    }
  }
  const auto t = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
  if (ctx.shared) ctx.shared->strokeTotal = t;
  return t;
}

StrokeSettings StrokeDialogValues(const StrokeSettings& last, int32_t total) {
  return StrokeValuesOnOk(last.start, last.width, last.widthAsStep, total);
}

StrokeSettings StrokeValuesOnOk(int32_t start, int32_t width, bool widthAsStep, int32_t total) {
  StrokeSettings s;
  total = std::max(total, 0);
  s.start = std::clamp(start, 0, total);
  s.width = std::clamp(width, 0, total - s.start);
  s.widthAsStep = widthAsStep;
  return s;
}

EditResult StrokeStepSelection(StepEditModel& m, StepSongContext& ctx, int32_t start, int32_t width,
                               bool widthAsStep) {
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  std::vector<StepEvent> selected;
  {
    ModelEvents block(m);
    int32_t from = 0;
    const int32_t n = SelectedEvents(m, block, &from);
    if (!block.events() || n == 0) return RefusedResult();
    selected.assign(block.events() + from, block.events() + from + n);
  }
  int64_t total = 0;
  int64_t timed = 0;
  for (const StepEvent& e : selected) {
    if (!CarriesStrokeTime(e.code)) continue;
    total += e.step;
    ++timed;
  }
  if (timed == 0) return EditResult{};

  const int64_t s0 = std::clamp<int64_t>(start, 0, total);
  const int64_t w = std::clamp<int64_t>(width, 0, total - s0);
  std::vector<StepEvent> out;
  out.reserve(selected.size() + 2);
  if (s0 != 0) PutWithStep(out, Rest(0), s0);
  int64_t used = s0;
  int64_t i = 0;
  for (const StepEvent& e : selected) {
    if (!CarriesStrokeTime(e.code)) {
      out.push_back(e);
      continue;
    }
    const bool last = i == timed - 1;
    int64_t step;
    if (widthAsStep) {
      step = last ? total - used : std::min(std::max<int64_t>(total - used, 0), w);
    } else {
      step = (i + 1) * w / timed - i * w / timed;
      if (last) step += total - w - s0;
    }
    used += step;
    PutWithStep(out, e, step);
    ++i;
  }

  // The track as it will be: the selection gives way to the output.
  const int64_t after = static_cast<int64_t>(UsedEvents(m)) - static_cast<int64_t>(selected.size()) +
                        static_cast<int64_t>(out.size());
  if (after > kMaxTrackEvents) return TrackFullResult();

  const int32_t selFrom = m.selFrom, selTo = m.selTo;
  std::vector<StepEvent> cut;
  EditResult r = CutStepBlock(m, ctx, &cut);
  if (r.status != EditStatus::Ok) return r;
  out.push_back(EndEvent());
  const EditResult put = InsertStepBlock(m, ctx, out);
  if (put.status != EditStatus::Ok) {
    // The selection goes back as it was.
    InsertStepBlock(m, ctx, cut);
    m.selFrom = selFrom;
    m.selTo = selTo;
    return put;
  }
  MergeEditResult(r, put);
  r.selectionChanged = true;
  if (out.size() - 1 != selected.size()) {
    // Events behind the selection moved: same-measure references follow.
    ModelEvents block(m);
    const StepEvent* e = block.events();
    for (int32_t k = 0; e && k < m.eventCount; ++k) {
      if (e[k].code == kCodeSameMeasure) {
        r.renumberRefs = true;
        break;
      }
    }
  }
  return r;
}
