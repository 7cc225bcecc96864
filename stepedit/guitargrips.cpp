#include "guitargrips.h"

#include <initializer_list>

namespace {

constexpr uint16_t Bits(std::initializer_list<int> semitones) {
  uint16_t mask = 0;
  for (int n : semitones) mask = static_cast<uint16_t>(mask | (1u << n));
  return mask;
}

// Semitones above the root of each kind in button order (bit n: n
// semitones; ninths as 13-15).
constexpr uint16_t kKindIntervals[kGuitarKinds] = {
    Bits({0, 4, 7}),          Bits({0, 4, 7, 10}),      Bits({0, 3, 7}),
    Bits({0, 3, 7, 10}),      Bits({0, 4, 7, 11}),      Bits({0, 3, 7, 9}),
    Bits({0, 4, 7, 9}),       Bits({0, 3, 7, 10, 14}),  Bits({0, 4, 7, 11, 14}),
    Bits({0, 4, 7, 9, 14}),   Bits({0, 4, 7, 10, 14}),  Bits({0, 5, 7, 10}),
    Bits({0, 4, 7, 10, 13}),  Bits({0, 4, 8, 10}),      Bits({0, 4, 7, 10, 15}),
    Bits({0, 4, 8}),          Bits({0, 3, 6, 9}),       Bits({0, 4, 6, 10}),
    Bits({0, 3, 6, 10}),      Bits({0, 4, 8, 10, 14}),
};

constexpr uint16_t FoldToClasses(uint16_t intervals) {
  uint16_t classes = 0;
  for (int n = 0; n < 16; ++n)
    if (intervals & (1u << n)) classes = static_cast<uint16_t>(classes | (1u << (n % 12)));
  return classes;
}

}  // namespace

// Written for the root C in standard tuning. Each comment gives the frets
// from the sixth (lowest) string to the first, x muted; the key of a string
// is its open key (52 57 62 67 71 76 from the sixth string up) plus the fret.
// The types of a kind climb the neck from A. Slots 7 and 8 are grips that
// stand in at the roots where a type's own grip fits nowhere on the neck.
constexpr GuitarChordRecord GuitarChordTable[kGuitarKinds] = {
    {"maj",
     {
         // A  x 3 2 0 1 0
         {{60, 3, 4}, {64, 2, 3}, {67, 0, 2}, {72, 1, 1}, {76, 0, 0}},
         // B  x 3 5 5 5 3
         {{60, 3, 4}, {67, 5, 3}, {72, 5, 2}, {76, 5, 1}, {79, 3, 0}},
         // C  8 10 10 9 8 8
         {{60, 8, 5}, {67, 10, 4}, {72, 10, 3}, {76, 9, 2}, {79, 8, 1}, {84, 8, 0}},
         // D  x x 10 12 13 12
         {{72, 10, 3}, {79, 12, 2}, {84, 13, 1}, {88, 12, 0}},
         {},  // E
         {},  // F
         {},  // G
         // slot 7  x x 5 5 5 8
         {{67, 5, 3}, {72, 5, 2}, {76, 5, 1}, {84, 8, 0}},
     }},
    {"7",
     {
         // A  x 3 2 3 1 0
         {{60, 3, 4}, {64, 2, 3}, {70, 3, 2}, {72, 1, 1}, {76, 0, 0}},
         // B  x 3 5 3 5 3
         {{60, 3, 4}, {67, 5, 3}, {70, 3, 2}, {76, 5, 1}, {79, 3, 0}},
         // C  8 10 8 9 8 8
         {{60, 8, 5}, {67, 10, 4}, {70, 8, 3}, {76, 9, 2}, {79, 8, 1}, {84, 8, 0}},
         // D  x x 10 12 11 12
         {{72, 10, 3}, {79, 12, 2}, {82, 11, 1}, {88, 12, 0}},
         {},  // E
         {},  // F
         {},  // G
         // slot 7  x 3 2 3 1 3
         {{60, 3, 4}, {64, 2, 3}, {70, 3, 2}, {72, 1, 1}, {79, 3, 0}},
     }},
    {"m",
     {
         // A  x 3 1 0 1 3
         {{60, 3, 4}, {63, 1, 3}, {67, 0, 2}, {72, 1, 1}, {79, 3, 0}},
         // B  x 3 5 5 4 3
         {{60, 3, 4}, {67, 5, 3}, {72, 5, 2}, {75, 4, 1}, {79, 3, 0}},
         // C  8 10 10 8 8 8
         {{60, 8, 5}, {67, 10, 4}, {72, 10, 3}, {75, 8, 2}, {79, 8, 1}, {84, 8, 0}},
         // D  x x 10 12 13 11
         {{72, 10, 3}, {79, 12, 2}, {84, 13, 1}, {87, 11, 0}},
         {},  // E
         {},  // F
         {},  // G
         // slot 7  x x 5 5 4 3
         {{67, 5, 3}, {72, 5, 2}, {75, 4, 1}, {79, 3, 0}},
     }},
    {"m7",
     {
         // A  x 3 1 3 1 x
         {{60, 3, 4}, {63, 1, 3}, {70, 3, 2}, {72, 1, 1}},
         // B  x 3 5 3 4 3
         {{60, 3, 4}, {67, 5, 3}, {70, 3, 2}, {75, 4, 1}, {79, 3, 0}},
         // C  8 10 8 8 8 8
         {{60, 8, 5}, {67, 10, 4}, {70, 8, 3}, {75, 8, 2}, {79, 8, 1}, {84, 8, 0}},
         // D  x x 10 12 11 11
         {{72, 10, 3}, {79, 12, 2}, {82, 11, 1}, {87, 11, 0}},
     }},
    {"maj7",
     {
         // A  x 3 2 0 0 0
         {{60, 3, 4}, {64, 2, 3}, {67, 0, 2}, {71, 0, 1}, {76, 0, 0}},
         // B  x 3 5 4 5 3
         {{60, 3, 4}, {67, 5, 3}, {71, 4, 2}, {76, 5, 1}, {79, 3, 0}},
         // C  8 x 9 9 8 x
         {{60, 8, 5}, {71, 9, 3}, {76, 9, 2}, {79, 8, 1}},
         // D  x x 10 12 12 12
         {{72, 10, 3}, {79, 12, 2}, {83, 12, 1}, {88, 12, 0}},
         {},  // E
         {},  // F
         {},  // G
         // slot 7  x x 5 5 5 7
         {{67, 5, 3}, {72, 5, 2}, {76, 5, 1}, {83, 7, 0}},
     }},
    {"m6",
     {
         // A  x 3 1 2 1 3
         {{60, 3, 4}, {63, 1, 3}, {69, 2, 2}, {72, 1, 1}, {79, 3, 0}},
         // B  x 3 5 5 4 5
         {{60, 3, 4}, {67, 5, 3}, {72, 5, 2}, {75, 4, 1}, {81, 5, 0}},
         // C  8 x 7 8 8 x
         {{60, 8, 5}, {69, 7, 3}, {75, 8, 2}, {79, 8, 1}},
         // D  x x 10 12 10 11
         {{72, 10, 3}, {79, 12, 2}, {81, 10, 1}, {87, 11, 0}},
     }},
    {"6",
     {
         // A  x 3 2 2 1 0
         {{60, 3, 4}, {64, 2, 3}, {69, 2, 2}, {72, 1, 1}, {76, 0, 0}},
         // B  x 3 5 5 5 5
         {{60, 3, 4}, {67, 5, 3}, {72, 5, 2}, {76, 5, 1}, {81, 5, 0}},
         // C  8 x 7 9 8 x
         {{60, 8, 5}, {69, 7, 3}, {76, 9, 2}, {79, 8, 1}},
         // D  x x 10 12 10 12
         {{72, 10, 3}, {79, 12, 2}, {81, 10, 1}, {88, 12, 0}},
         {},  // E
         {},  // F
         {},  // G
         // slot 7  x x 5 5 5 5
         {{67, 5, 3}, {72, 5, 2}, {76, 5, 1}, {81, 5, 0}},
     }},
    {"m9",
     {
         // A  x 3 1 3 3 x
         {{60, 3, 4}, {63, 1, 3}, {70, 3, 2}, {74, 3, 1}},
         // B  8 6 8 7 x x
         {{60, 8, 5}, {63, 6, 4}, {70, 8, 3}, {74, 7, 2}},
         // C  8 x 8 8 8 10
         {{60, 8, 5}, {70, 8, 3}, {75, 8, 2}, {79, 8, 1}, {86, 10, 0}},
     }},
    {"maj9",
     {
         // A  x 3 2 4 3 x
         {{60, 3, 4}, {64, 2, 3}, {71, 4, 2}, {74, 3, 1}},
         // B  8 x 9 9 8 10
         {{60, 8, 5}, {71, 9, 3}, {76, 9, 2}, {79, 8, 1}, {86, 10, 0}},
         // C  x x 10 9 12 10
         {{72, 10, 3}, {76, 9, 2}, {83, 12, 1}, {86, 10, 0}},
         {},  // D
         {},  // E
         {},  // F
         {},  // G
         // slot 7  x 3 0 0 0 0
         {{60, 3, 4}, {62, 0, 3}, {67, 0, 2}, {71, 0, 1}, {76, 0, 0}},
     }},
    {"69",
     {
         // A  x 3 2 2 3 3
         {{60, 3, 4}, {64, 2, 3}, {69, 2, 2}, {74, 3, 1}, {79, 3, 0}},
         // B  8 7 7 7 8 8
         {{60, 8, 5}, {64, 7, 4}, {69, 7, 3}, {74, 7, 2}, {79, 8, 1}, {84, 8, 0}},
         // C  x x 10 9 10 10
         {{72, 10, 3}, {76, 9, 2}, {81, 10, 1}, {86, 10, 0}},
     }},
    {"9",
     {
         // A  x 3 2 3 3 3
         {{60, 3, 4}, {64, 2, 3}, {70, 3, 2}, {74, 3, 1}, {79, 3, 0}},
         // B  8 x 8 9 8 10
         {{60, 8, 5}, {70, 8, 3}, {76, 9, 2}, {79, 8, 1}, {86, 10, 0}},
         // C  x x 10 9 11 10
         {{72, 10, 3}, {76, 9, 2}, {82, 11, 1}, {86, 10, 0}},
     }},
    {"7sus4",
     {
         // A  x 3 3 3 1 1
         {{60, 3, 4}, {65, 3, 3}, {70, 3, 2}, {72, 1, 1}, {77, 1, 0}},
         // B  x 3 5 3 6 3
         {{60, 3, 4}, {67, 5, 3}, {70, 3, 2}, {77, 6, 1}, {79, 3, 0}},
         // C  8 10 8 10 8 8
         {{60, 8, 5}, {67, 10, 4}, {70, 8, 3}, {77, 10, 2}, {79, 8, 1}, {84, 8, 0}},
         // D  x x 10 12 11 13
         {{72, 10, 3}, {79, 12, 2}, {82, 11, 1}, {89, 13, 0}},
         {},  // E
         {},  // F
         {},  // G
         // slot 7  x x 5 5 6 6
         {{67, 5, 3}, {72, 5, 2}, {77, 6, 1}, {82, 6, 0}},
     }},
    {"7(b9)",
     {
         // A  x 3 2 3 2 x
         {{60, 3, 4}, {64, 2, 3}, {70, 3, 2}, {73, 2, 1}},
         // B  8 x 8 9 8 9
         {{60, 8, 5}, {70, 8, 3}, {76, 9, 2}, {79, 8, 1}, {85, 9, 0}},
         // C  x x 10 9 11 9
         {{72, 10, 3}, {76, 9, 2}, {82, 11, 1}, {85, 9, 0}},
     }},
    {"aug7",
     {
         // A  x x 2 3 1 4
         {{64, 2, 3}, {70, 3, 2}, {72, 1, 1}, {80, 4, 0}},
         // B  x 3 x 3 5 4
         {{60, 3, 4}, {70, 3, 2}, {76, 5, 1}, {80, 4, 0}},
         // C  8 x 8 9 9 x
         {{60, 8, 5}, {70, 8, 3}, {76, 9, 2}, {80, 9, 1}},
         // D  x x 10 13 11 12
         {{72, 10, 3}, {80, 13, 2}, {82, 11, 1}, {88, 12, 0}},
         {},  // E
         {},  // F
         {},  // G
         // slot 7  x x 6 5 5 6
         {{68, 6, 3}, {72, 5, 2}, {76, 5, 1}, {82, 6, 0}},
     }},
    {"7(#9)",
     {
         // A  x 3 2 3 4 x
         {{60, 3, 4}, {64, 2, 3}, {70, 3, 2}, {75, 4, 1}},
         // B  8 7 8 8 x x
         {{60, 8, 5}, {64, 7, 4}, {70, 8, 3}, {75, 8, 2}},
         // C  x x 10 9 11 11
         {{72, 10, 3}, {76, 9, 2}, {82, 11, 1}, {87, 11, 0}},
     }},
    {"aug",
     {
         // A  x 3 2 1 1 0
         {{60, 3, 4}, {64, 2, 3}, {68, 1, 2}, {72, 1, 1}, {76, 0, 0}},
         // B  x 3 6 5 5 x
         {{60, 3, 4}, {68, 6, 3}, {72, 5, 2}, {76, 5, 1}},
         // C  8 x 10 9 9 x
         {{60, 8, 5}, {72, 10, 3}, {76, 9, 2}, {80, 9, 1}},
         // D  x x 10 13 13 12
         {{72, 10, 3}, {80, 13, 2}, {84, 13, 1}, {88, 12, 0}},
     }},
    {"dim(7)",
     {
         // A  x x 1 2 1 2
         {{63, 1, 3}, {69, 2, 2}, {72, 1, 1}, {78, 2, 0}},
         // B  x 3 4 2 4 x
         {{60, 3, 4}, {66, 4, 3}, {69, 2, 2}, {75, 4, 1}},
         // C  8 x 7 8 7 x
         {{60, 8, 5}, {69, 7, 3}, {75, 8, 2}, {78, 7, 1}},
         // D  x x 10 11 10 11
         {{72, 10, 3}, {78, 11, 2}, {81, 10, 1}, {87, 11, 0}},
     }},
    {"7(b5)",
     {
         // A  x x 2 3 1 2
         {{64, 2, 3}, {70, 3, 2}, {72, 1, 1}, {78, 2, 0}},
         // B  x 3 4 3 5 x
         {{60, 3, 4}, {66, 4, 3}, {70, 3, 2}, {76, 5, 1}},
         // C  8 x 8 9 7 x
         {{60, 8, 5}, {70, 8, 3}, {76, 9, 2}, {78, 7, 1}},
     }},
    {"m7(b5)",
     {
         // A  x x 1 3 1 2
         {{63, 1, 3}, {70, 3, 2}, {72, 1, 1}, {78, 2, 0}},
         // B  x 3 4 3 4 x
         {{60, 3, 4}, {66, 4, 3}, {70, 3, 2}, {75, 4, 1}},
         // C  8 x 8 8 7 x
         {{60, 8, 5}, {70, 8, 3}, {75, 8, 2}, {78, 7, 1}},
         // D  x x 10 11 11 11
         {{72, 10, 3}, {78, 11, 2}, {82, 11, 1}, {87, 11, 0}},
     }},
    {"aug9",
     {
         // A  x 3 2 3 3 4
         {{60, 3, 4}, {64, 2, 3}, {70, 3, 2}, {74, 3, 1}, {80, 4, 0}},
         // B  8 x 8 9 9 10
         {{60, 8, 5}, {70, 8, 3}, {76, 9, 2}, {80, 9, 1}, {86, 10, 0}},
     }},
};

namespace {

// The smallest move that maps the kind's pitch classes onto themselves: 3
// for dim(7), 4 for aug, 6 for 7(b5), else 12. A grip may be moved by any
// multiple of it without changing the chord.
constexpr int SymmetryPeriod(uint16_t classes) {
  for (int p = 1; p < 12; ++p) {
    const unsigned rotated = ((classes << p) | (classes >> (12 - p))) & 0xFFFu;
    if (rotated == classes) return p;
  }
  return 12;
}

struct Placement {
  bool fits;
  int keyOffset;
  int lowFret;  // after the move; orders the types up the neck
};

// Moves a grip for C to the root class by root + offset, offset 0, -period,
// ... down to -12, taking the shortest move whose frets stay within
// 0..kGuitarFretLimit. For most kinds that is 0 or -12; a diminished grip
// never moves more than one fret, an augmented one two.
constexpr Placement PlaceGrip(const GuitarTriple (&grip)[6], int rootClass, int period) {
  int low = 99;
  int high = -1;
  for (const GuitarTriple& t : grip) {
    if (t.key == 0) break;
    if (t.fret < low) low = t.fret;
    if (t.fret > high) high = t.fret;
  }
  Placement best{false, 0, 0};
  if (high < 0) return best;
  int bestDistance = 99;
  for (int offset = 0; offset >= -12; offset -= period) {
    const int move = rootClass + offset;
    if (low + move < 0 || high + move > kGuitarFretLimit) continue;
    const int distance = move < 0 ? -move : move;
    if (distance < bestDistance) {
      best = {true, offset, low + move};
      bestDistance = distance;
    }
  }
  return best;
}

struct SubstitutionTable {
  GuitarGripChoice choice[12][kGuitarKinds][kGuitarTypes];
};

// For each root the grips of the types that fit, topped up from slots 7 and
// 8 where some do not, sorted by their lowest fret and handed to the types
// in order: type A is always the grip nearest the nut. At the root C the
// table's own order results.
constexpr SubstitutionTable BuildSubstitution() {
  SubstitutionTable table{};
  for (int kind = 0; kind < kGuitarKinds; ++kind) {
    const GuitarChordRecord& record = GuitarChordTable[kind];
    const int period = SymmetryPeriod(FoldToClasses(kKindIntervals[kind]));
    for (int root = 0; root < 12; ++root) {
      struct Candidate {
        int slot;
        int keyOffset;
        int lowFret;
      };
      Candidate found[kGuitarSlots]{};
      int foundCount = 0;
      int types[kGuitarTypes]{};
      int typeCount = 0;
      for (int type = 0; type < kGuitarTypes; ++type) {
        table.choice[root][kind][type] = {type, 0};
        if (record.grips[type][0].key == 0) continue;
        types[typeCount++] = type;
        const Placement at = PlaceGrip(record.grips[type], root, period);
        if (at.fits) found[foundCount++] = {type, at.keyOffset, at.lowFret};
      }
      for (int slot = kGuitarTypes; slot < kGuitarSlots && foundCount < typeCount; ++slot) {
        const Placement at = PlaceGrip(record.grips[slot], root, period);
        if (at.fits) found[foundCount++] = {slot, at.keyOffset, at.lowFret};
      }
      for (int i = 1; i < foundCount; ++i) {
        const Candidate c = found[i];
        int j = i;
        for (; j > 0 && (found[j - 1].lowFret > c.lowFret ||
                         (found[j - 1].lowFret == c.lowFret && found[j - 1].slot > c.slot));
             --j)
          found[j] = found[j - 1];
        found[j] = c;
      }
      for (int i = 0; i < typeCount && i < foundCount; ++i)
        table.choice[root][kind][types[i]] = {found[i].slot, found[i].keyOffset};
    }
  }
  return table;
}

constexpr SubstitutionTable kSubstitution = BuildSubstitution();

}  // namespace

GuitarGripChoice GuitarRootSubstitution(int rootClass, int kind, int type) {
  if (kind < 0 || kind >= kGuitarKinds || type < 0 || type >= kGuitarTypes) return {-1, 0};
  const int root = ((rootClass % 12) + 12) % 12;
  return kSubstitution.choice[root][kind][type];
}

uint16_t GuitarKindPitchClasses(int kind) {
  if (kind < 0 || kind >= kGuitarKinds) return 0;
  return FoldToClasses(kKindIntervals[kind]);
}
