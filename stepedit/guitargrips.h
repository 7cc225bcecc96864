// Guitar fingerings of the guitar chord input: for each of 20 chord kinds up
// to nine grips written for the root C, and which grip and octave a root
// actually takes.
#pragma once
#include <cstdint>

#pragma pack(push, 1)
// One fretted or open string: the key it sounds for the root C, its fret
// and its string (0 the first, highest string). A key of 0 ends a grip.
struct GuitarTriple {
  uint8_t key;
  uint8_t fret;
  uint8_t string;
};

// A kind: its zero-padded name, then slots 0-6 for the types A-G and slots
// 7 and 8 for the lower grips that the root substitution takes. A grip
// lists its strings from the lowest up; an empty slot starts with key 0.
struct GuitarChordRecord {
  char name[20];
  GuitarTriple grips[9][6];
};
#pragma pack(pop)
static_assert(sizeof(GuitarTriple) == 3);
static_assert(sizeof(GuitarChordRecord) == 182);

constexpr int kGuitarKinds = 20;
constexpr int kGuitarTypes = 7;   // A-G
constexpr int kGuitarSlots = 9;

// The highest fret a grip moved to its root may use.
constexpr int kGuitarFretLimit = 13;

// Kinds in the order of the kind buttons: 0 "maj", 1 "7", 2 "m", 3 "m7",
// 4 "maj7", 5 "m6", 6 "6", 7 "m9", 8 "maj9", 9 "69", 10 "9", 11 "7sus4",
// 12 "7(b9)", 13 "aug7", 14 "7(#9)", 15 "aug", 16 "dim(7)", 17 "7(b5)",
// 18 "m7(b5)", 19 "aug9".
extern const GuitarChordRecord GuitarChordTable[kGuitarKinds];

// The grip slot a root pitch class (0-11), kind and type (0-6) use and the
// key offset added to the grip's keys moved up to the root: a grip that
// would lie too high is replaced by another slot an octave lower. Slot -1
// for a kind or type out of range; a type without a grip keeps its own
// (empty) slot.
struct GuitarGripChoice {
  int slot;
  int keyOffset;
};
GuitarGripChoice GuitarRootSubstitution(int rootClass, int kind, int type);

// The pitch classes (bit n: n semitones above the root) a kind's grips may
// sound.
uint16_t GuitarKindPitchClasses(int kind);
