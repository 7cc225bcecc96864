#include "guitargrips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

namespace {

// Open string keys, string 0 (first, highest) to 5.
constexpr int kOpenKey[6] = {76, 71, 67, 62, 57, 52};

struct Fingered {
  int key;
  int fret;
  int string;
  bool operator==(const Fingered&) const = default;
};

std::vector<Fingered> Grip(int kind, int slot) {
  std::vector<Fingered> out;
  for (const GuitarTriple& t : GuitarChordTable[kind].grips[slot]) {
    if (t.key == 0) break;
    out.push_back({t.key, t.fret, t.string});
  }
  return out;
}

// The grip a root class plays, as the chord builder moves it (root held as
// 60 + class, octave 0).
std::vector<Fingered> Moved(int rootClass, int kind, int type) {
  const GuitarGripChoice c = GuitarRootSubstitution(rootClass, kind, type);
  std::vector<Fingered> out;
  for (const Fingered& f : Grip(kind, c.slot)) {
    const int move = rootClass + c.keyOffset;
    out.push_back({c.keyOffset + (60 + rootClass) + f.key - 60, f.fret + move, f.string});
  }
  return out;
}

bool HasGrip(int kind, int slot) { return GuitarChordTable[kind].grips[slot][0].key != 0; }

int LowestFret(const std::vector<Fingered>& grip) {
  int low = 99;
  for (const Fingered& f : grip) low = std::min(low, f.fret);
  return low;
}

std::string Where(int root, int kind, int type) {
  return "root " + std::to_string(root) + " kind " + GuitarChordTable[kind].name + " type " +
         char('A' + type);
}

TEST(GuitarGrips, MajorTypesAreTheOpenAndBarreGripsOfC) {
  const std::vector<Fingered> a = {{60, 3, 4}, {64, 2, 3}, {67, 0, 2}, {72, 1, 1}, {76, 0, 0}};
  const std::vector<Fingered> b = {{60, 3, 4}, {67, 5, 3}, {72, 5, 2}, {76, 5, 1}, {79, 3, 0}};
  const std::vector<Fingered> c = {{60, 8, 5},  {67, 10, 4}, {72, 10, 3},
                                   {76, 9, 2},  {79, 8, 1},  {84, 8, 0}};
  EXPECT_EQ(Grip(0, 0), a);
  EXPECT_EQ(Grip(0, 1), b);
  EXPECT_EQ(Grip(0, 2), c);
  for (int type = 4; type < kGuitarTypes; ++type) EXPECT_FALSE(HasGrip(0, type)) << type;
  // A grip shorter than six strings ends with a key 0 triple.
  EXPECT_EQ(GuitarChordTable[0].grips[0][5].key, 0);
}

TEST(GuitarGrips, NamesFollowTheKindButtonsZeroPadded) {
  const char* names[kGuitarKinds] = {"maj",   "7",     "m",     "m7",    "maj7",
                                     "m6",    "6",     "m9",    "maj9",  "69",
                                     "9",     "7sus4", "7(b9)", "aug7",  "7(#9)",
                                     "aug",   "dim(7)", "7(b5)", "m7(b5)", "aug9"};
  for (int kind = 0; kind < kGuitarKinds; ++kind) {
    const char* stored = GuitarChordTable[kind].name;
    EXPECT_STREQ(stored, names[kind]);
    for (size_t i = std::strlen(names[kind]); i < sizeof GuitarChordTable[kind].name; ++i)
      EXPECT_EQ(stored[i], 0) << names[kind] << " byte " << i;
  }
}

TEST(GuitarGrips, EveryGripIsAFingeringOfItsChordOnC) {
  for (int kind = 0; kind < kGuitarKinds; ++kind) {
    const uint16_t classes = GuitarKindPitchClasses(kind);
    for (int slot = 0; slot < kGuitarSlots; ++slot) {
      SCOPED_TRACE(std::string(GuitarChordTable[kind].name) + " slot " + std::to_string(slot));
      const std::vector<Fingered> grip = Grip(kind, slot);
      bool rootSounds = false;
      int previousString = 6;
      for (const Fingered& f : grip) {
        ASSERT_GE(f.string, 0);
        ASSERT_LE(f.string, 5);
        EXPECT_EQ(f.key, kOpenKey[f.string] + f.fret);
        EXPECT_LT(f.string, previousString) << "strings from the lowest up, each once";
        previousString = f.string;
        EXPECT_TRUE(classes & (1u << ((f.key - 60) % 12))) << "key " << f.key;
        EXPECT_LE(f.fret, kGuitarFretLimit);
        rootSounds |= (f.key - 60) % 12 == 0;
      }
      if (!grip.empty()) {
        EXPECT_TRUE(rootSounds);
        EXPECT_GE(grip.size(), 3u);
      }
      // Nothing stored behind the end of a grip.
      for (size_t i = grip.size(); i < 6; ++i) {
        const GuitarTriple& t = GuitarChordTable[kind].grips[slot][i];
        EXPECT_EQ(t.key | t.fret | t.string, 0) << "triple " << i;
      }
    }
  }
}

TEST(GuitarGrips, EveryKindHasTypesFromAWithoutGaps) {
  for (int kind = 0; kind < kGuitarKinds; ++kind) {
    SCOPED_TRACE(GuitarChordTable[kind].name);
    EXPECT_TRUE(HasGrip(kind, 0));
    EXPECT_TRUE(HasGrip(kind, 1));
    for (int type = 1; type < kGuitarTypes; ++type)
      if (HasGrip(kind, type)) {
        EXPECT_TRUE(HasGrip(kind, type - 1)) << char('A' + type);
      }
  }
}

TEST(GuitarRootSubstitution, RootCPlaysEachTypeAsWritten) {
  for (int kind = 0; kind < kGuitarKinds; ++kind)
    for (int type = 0; type < kGuitarTypes; ++type) {
      const GuitarGripChoice c = GuitarRootSubstitution(0, kind, type);
      EXPECT_EQ(c.slot, type) << Where(0, kind, type);
      EXPECT_EQ(c.keyOffset, 0) << Where(0, kind, type);
    }
}

TEST(GuitarRootSubstitution, RootDTakesTheFourthGripAnOctaveDownAsTypeA) {
  for (int kind = 0; kind <= 4; ++kind) {
    SCOPED_TRACE(GuitarChordTable[kind].name);
    const GuitarGripChoice a = GuitarRootSubstitution(2, kind, 0);
    EXPECT_EQ(a.slot, 3);
    EXPECT_EQ(a.keyOffset, -12);
    for (int type = 1; type <= 3; ++type) {
      const GuitarGripChoice c = GuitarRootSubstitution(2, kind, type);
      EXPECT_EQ(c.slot, type - 1) << char('A' + type);
      EXPECT_EQ(c.keyOffset, 0) << char('A' + type);
    }
  }
  // D major type A is the open D grip.
  const std::vector<Fingered> openD = {{62, 0, 3}, {69, 2, 2}, {74, 3, 1}, {78, 2, 0}};
  EXPECT_EQ(Moved(2, 0, 0), openD);
}

TEST(GuitarRootSubstitution, EveryRootPlaysEachTypeOnTheNeck) {
  for (int root = 0; root < 12; ++root)
    for (int kind = 0; kind < kGuitarKinds; ++kind) {
      const uint16_t classes = GuitarKindPitchClasses(kind);
      for (int type = 0; type < kGuitarTypes; ++type) {
        SCOPED_TRACE(Where(root, kind, type));
        const GuitarGripChoice c = GuitarRootSubstitution(root, kind, type);
        if (!HasGrip(kind, type)) {
          EXPECT_EQ(c.slot, type) << "a type without a grip stays empty";
          continue;
        }
        ASSERT_GE(c.slot, 0);
        ASSERT_LT(c.slot, kGuitarSlots);
        ASSERT_TRUE(HasGrip(kind, c.slot));
        EXPECT_LE(c.keyOffset, 0);
        EXPECT_GE(c.keyOffset, -12);
        bool rootSounds = false;
        for (const Fingered& f : Moved(root, kind, type)) {
          EXPECT_GE(f.fret, 0);
          EXPECT_LE(f.fret, kGuitarFretLimit);
          EXPECT_EQ(f.key, kOpenKey[f.string] + f.fret);
          const int interval = ((f.key - 60 - root) % 12 + 12) % 12;
          EXPECT_TRUE(classes & (1u << interval)) << "key " << f.key;
          rootSounds |= interval == 0;
        }
        EXPECT_TRUE(rootSounds);
      }
    }
}

TEST(GuitarRootSubstitution, TypesClimbTheNeckWithoutRepeatingAGrip) {
  for (int root = 0; root < 12; ++root)
    for (int kind = 0; kind < kGuitarKinds; ++kind) {
      std::set<int> slots;
      int previousLow = -1;
      for (int type = 0; type < kGuitarTypes && HasGrip(kind, type); ++type) {
        SCOPED_TRACE(Where(root, kind, type));
        EXPECT_TRUE(slots.insert(GuitarRootSubstitution(root, kind, type).slot).second);
        const int low = LowestFret(Moved(root, kind, type));
        EXPECT_GE(low, previousLow);
        previousLow = low;
      }
    }
}

TEST(GuitarRootSubstitution, SymmetricChordsMoveByTheirRepeat) {
  constexpr int kAug = 15, kDim = 16, kSevenFlatFive = 17;
  for (int root = 0; root < 12; ++root)
    for (int type = 0; type < kGuitarTypes; ++type) {
      SCOPED_TRACE(Where(root, kDim, type));
      if (HasGrip(kDim, type)) {
        const GuitarGripChoice c = GuitarRootSubstitution(root, kDim, type);
        EXPECT_EQ(c.keyOffset % 3, 0);
        // A diminished grip repeats every three frets, so it stays where it
        // was written for C, give or take one fret.
        EXPECT_EQ(c.slot, type);
        EXPECT_LE(std::abs(LowestFret(Moved(root, kDim, type)) - LowestFret(Grip(kDim, type))), 1);
      }
      if (HasGrip(kAug, type)) {
        EXPECT_EQ(GuitarRootSubstitution(root, kAug, type).keyOffset % 4, 0);
      }
      if (HasGrip(kSevenFlatFive, type)) {
        EXPECT_EQ(GuitarRootSubstitution(root, kSevenFlatFive, type).keyOffset % 6, 0);
      }
    }
  // Roots that share the chord with C play the C grips unchanged.
  struct Case {
    int kind, root, offset;
  } cases[] = {{kDim, 3, -3}, {kDim, 6, -6}, {kDim, 9, -9}, {kAug, 4, -4}, {kAug, 8, -8},
               {kSevenFlatFive, 6, -6}};
  for (const Case& c : cases)
    for (int type = 0; type < kGuitarTypes && HasGrip(c.kind, type); ++type) {
      SCOPED_TRACE(Where(c.root, c.kind, type));
      const GuitarGripChoice choice = GuitarRootSubstitution(c.root, c.kind, type);
      EXPECT_EQ(choice.slot, type);
      EXPECT_EQ(choice.keyOffset, c.offset);
      EXPECT_EQ(Moved(c.root, c.kind, type), Grip(c.kind, type));
    }
}

TEST(GuitarRootSubstitution, RootsAboveElevenFoldAndBadArgumentsGetNoSlot) {
  for (int kind = 0; kind < kGuitarKinds; ++kind)
    for (int type = 0; type < kGuitarTypes; ++type) {
      const GuitarGripChoice folded = GuitarRootSubstitution(62, kind, type);
      const GuitarGripChoice plain = GuitarRootSubstitution(2, kind, type);
      EXPECT_EQ(folded.slot, plain.slot);
      EXPECT_EQ(folded.keyOffset, plain.keyOffset);
    }
  const int bad[][2] = {{-1, 0}, {kGuitarKinds, 0}, {0, -1}, {0, kGuitarTypes}};
  for (const auto& b : bad) EXPECT_EQ(GuitarRootSubstitution(0, b[0], b[1]).slot, -1);
}

TEST(GuitarKindPitchClasses, FoldsNinthsIntoTheOctave) {
  auto mask = [](std::initializer_list<int> classes) {
    uint16_t m = 0;
    for (int c : classes) m = static_cast<uint16_t>(m | (1u << c));
    return m;
  };
  struct Case {
    int kind;
    uint16_t classes;
  } cases[] = {{0, mask({0, 4, 7})},          {11, mask({0, 5, 7, 10})},
               {16, mask({0, 3, 6, 9})},      {19, mask({0, 4, 8, 10, 2})},
               {14, mask({0, 4, 7, 10, 3})},  {12, mask({0, 4, 7, 10, 1})},
               {18, mask({0, 3, 6, 10})}};
  for (const Case& c : cases) EXPECT_EQ(GuitarKindPitchClasses(c.kind), c.classes) << c.kind;
  EXPECT_EQ(GuitarKindPitchClasses(-1), 0);
  EXPECT_EQ(GuitarKindPitchClasses(kGuitarKinds), 0);
}

}  // namespace
