#include "scorebeams.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

int32_t ClampPositive(int64_t v) {
  if (v < 1) return 1;
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(v);
}

bool JoinsBeams(const ScoreNote& n) { return n.beamFlags != 0 && (n.beamFlags & kBeamSkip) == 0 && n.flagCount != 0; }

void MarkGroup(ScoreNote* notes, int32_t first, int32_t last) {
  for (int32_t j = first; j <= last; ++j) {
    if (!JoinsBeams(notes[j])) continue;  // a rest inside the group
    notes[j].beamFlags = static_cast<uint16_t>(
        notes[j].beamFlags + (j == first ? kBeamFirst : j == last ? kBeamLast : kBeamInner));
  }
}

}  // namespace

ScoreBeamLength ComputeBeamLength(int32_t beatNumerator, int32_t beatDenominator, int32_t timeBase) {
  ScoreBeamLength b;
  const int64_t tb = ScoreTimeBase(timeBase);
  b.beatNumerator = beatNumerator;
  b.beatDenominator = beatDenominator;
  int64_t unit;
  switch (beatDenominator) {
    case 1:
    case 2: unit = 2 * tb; break;
    case 4: unit = tb; break;
    case 8: unit = tb / 2; break;
    default:
      // No entry of its own: the note the denominator names (a sixteenth
      // for 16), or a quarter for nonsense.
      unit = beatDenominator > 0 ? 4 * tb / beatDenominator : tb;
      break;
  }
  b.beatUnit = ClampPositive(unit);
  int32_t n = beatNumerator;
  int32_t multiplier = 1;
  while (n >= 2 && n % 2 == 0) {
    n /= 2;
    multiplier = n;
  }
  // A beam length of 0 would never let the grouping refill its beat.
  b.beamLength = ClampPositive(static_cast<int64_t>(multiplier) * b.beatUnit);
  int64_t length = 4 * tb;
  for (int32_t& l : b.noteLengths) {
    l = static_cast<int32_t>(std::min<int64_t>(length, std::numeric_limits<int32_t>::max()));
    length /= 2;
  }
  return b;
}

void QuantizeScoreLengths(ScoreNote* notes, int32_t count, int32_t grid) {
  if (grid <= 1) return;
  int64_t carry = 0;
  for (int32_t i = 0; i < count; ++i) {
    const int64_t length = notes[i].length;
    int64_t laid = (length + carry + grid / 2 - 1) / grid * grid;
    laid = std::clamp<int64_t>(laid, 0, 0xFFFF);
    carry = length + carry - laid;
    notes[i].length = static_cast<uint16_t>(laid);
  }
}

int32_t BeamScoreNotes(ScoreNote* notes, int32_t count, int32_t beamLength) {
  const int64_t beam = std::max<int32_t>(beamLength, 1);
  for (int32_t i = 0; i < count; ++i) {
    notes[i].beamFlags = static_cast<uint16_t>(notes[i].beamFlags & ~kBeamMemberMask);
    notes[i].groupMinFlags = 0;
  }
  int64_t remaining = beam;
  int32_t first = -1, last = -1, members = 0, groups = 0;
  for (int32_t i = 0; i < count; ++i) {
    const ScoreNote& n = notes[i];
    if (n.beamFlags & kBeamSkip) continue;
    const int64_t length = n.length;
    if (length > remaining) {
      // The beat is broken: what is left of the beat the record ends in
      // (a whole beam length when it ends on a beat).
      const int64_t into = (length - remaining) % beam;
      remaining = into == 0 ? beam : beam - into;
      members = 0;
      continue;
    }
    if (JoinsBeams(n)) {
      if (members == 0) first = i;
      last = i;
      ++members;
    }
    remaining -= length;
    if (remaining <= 0) {
      if (remaining == 0 && members >= 2) {
        MarkGroup(notes, first, last);
        ++groups;
      }
      while (remaining <= 0) remaining += beam;
      members = 0;
    }
  }
  return groups;
}

int32_t InterpolateBeamY(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x) {
  if (x2 == x1) return y1;
  const double y = static_cast<double>(y1) +
                   static_cast<double>(y2 - y1) * static_cast<double>(x - x1) / static_cast<double>(x2 - x1);
  return static_cast<int32_t>(y);
}

void AdjustBeamStems(ScoreNote* notes, int32_t first, int32_t last, int32_t x1, int32_t y1, int32_t x2,
                     int32_t y2, int32_t maxY, int32_t minY, int32_t maxFlags) {
  constexpr int32_t kMaxSlope = 12;
  if (y2 - y1 > kMaxSlope) y2 = y1 + kMaxSlope;
  else if (y1 - y2 > kMaxSlope) y1 = y2 + kMaxSlope;

  // Raise the beam until it cuts no inner stem short: by the most any inner
  // member needs, so a high note early in the group keeps its stem too.
  int32_t raise = 0;
  for (int32_t j = first + 1; j < last; ++j) {
    if (!(notes[j].beamFlags & kBeamInner)) continue;
    const int32_t below = InterpolateBeamY(x1, y1, x2, y2, notes[j].stemX2) - notes[j].stemY2;
    raise = std::max(raise, below);
  }
  y1 -= raise;
  y2 -= raise;
  if (maxFlags > 2) {
    // Room for the third and fourth beams under the stem tops.
    y1 += 10 - 5 * maxFlags;
    y2 += 10 - 5 * maxFlags;
  }
  for (int32_t j = first + 1; j < last; ++j) {
    if (notes[j].beamFlags & kBeamInner) notes[j].stemY2 = InterpolateBeamY(x1, y1, x2, y2, notes[j].stemX2);
  }
  notes[first].stemY2 = y1;
  notes[last].stemY2 = y2;
}

void SetBeamStems(ScoreNote* notes, int32_t count) {
  int32_t first = -1;
  int32_t x1 = 0, y1 = 0, maxY = 0, minY = 0, minFlags = 0, maxFlags = 0;
  for (int32_t i = 0; i < count; ++i) {
    const ScoreNote& n = notes[i];
    if (n.beamFlags & kBeamFirst) {
      first = i;
      x1 = n.stemX2;
      y1 = n.stemY2;
      maxY = minY = n.stemY2;
      minFlags = maxFlags = n.flagCount;
      continue;
    }
    if (first < 0 || !(n.beamFlags & (kBeamInner | kBeamLast))) continue;
    maxY = std::max(maxY, n.stemY2);
    minY = std::min(minY, n.stemY2);
    minFlags = std::min<int32_t>(minFlags, n.flagCount);
    maxFlags = std::max<int32_t>(maxFlags, n.flagCount);
    if (n.beamFlags & kBeamLast) {
      notes[first].groupMinFlags = static_cast<int16_t>(minFlags);
      AdjustBeamStems(notes, first, i, x1, y1, n.stemX2, n.stemY2, maxY, minY, maxFlags);
      first = -1;
    }
  }
}

int32_t NextBeamNote(const ScoreNote* notes, int32_t count, int32_t from, int32_t to) {
  if (from > to) return kNoBeamNote;
  from = std::max(from, 0);
  to = std::min(to, count - 1);
  for (int32_t i = from; i <= to; ++i) {
    if (notes[i].beamFlags & kBeamFirst) return kNoBeamNote;
    if (notes[i].beamFlags & (kBeamInner | kBeamLast)) return i;
  }
  return kNoBeamNote;
}

int32_t PrevBeamNote(const ScoreNote* notes, int32_t count, int32_t from, int32_t to) {
  if (from < to) return kNoBeamNote;
  from = std::min(from, count - 1);
  to = std::max(to, 0);
  for (int32_t i = from; i >= to; --i) {
    if (notes[i].beamFlags & kBeamLast) return kNoBeamNote;
    if (notes[i].beamFlags & (kBeamFirst | kBeamInner)) return i;
  }
  return kNoBeamNote;
}
