// The guitar chord input: a chord taken from the stored fingerings of a
// kind and type, moved to the root, with muted strings left out, strummed
// over the caret note's step, its audition and its insertion at the caret.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chords.h"
#include "editmodel.h"
#include "guitargrips.h"

constexpr int kGuitarStrings = 6;
constexpr int kGuitarRootKey = 60;    // the root is held as 60 + pitch class
constexpr int kGuitarKeyLow = 24;     // the caret key is brought into 24-96
constexpr int kGuitarKeyHigh = 96;
constexpr int kGuitarOctaveMin = -3;
constexpr int kGuitarOctaveMax = 3;
constexpr int kGuitarStartMax = 9999;
constexpr uint16_t kGuitarDefaultTimeBase = 480;
constexpr uint16_t kGuitarDefaultTempo = 120;

// What the dialog keeps between openings.
struct GuitarChordSettings {
  uint16_t start = 0;        // START ST: the leading rest, 0-9999
  uint16_t width = 0;        // WIDTH: ticks the notes are spread over
  bool widthAsStep = false;  // WIDTH is the distance between two notes
  bool downStroke = false;   // from the lowest string up
  int octave = 0;            // -3..3
};

// The chord being chosen.
struct GuitarChordState {
  int rootClass = 0;  // 0-11
  int kind = 0;       // 0-19
  int type = 0;       // 0-6, A-G
  // Sounding strings; [0] the first (highest) string.
  bool strings[kGuitarStrings] = {true, true, true, true, true, true};
};

// Root and octave of the opening from the caret event's key: a key above
// 128 counts as 60, the key is brought into 24-96 by octaves, then the
// pitch class and key / 12 - 5.
struct GuitarRootStart {
  int rootClass;
  int octave;
};
GuitarRootStart GuitarRootOfKey(int key);

// The root field's text: the first character A-G (either case) gives the
// pitch class, a following "#" or "+" raises and "-" or "b" lowers it, an
// accidental past B or below C wrapping round the octave. -1 for other text,
// which leaves the root as it was.
int GuitarRootFromText(std::string_view text);

// The root key the dialog shows: 60 + class + octave x 12.
int GuitarRootKey(int rootClass, int octave);

// Whether the grip a type takes for the root and kind (after the root
// substitution) holds a note.
bool GuitarTypeAvailable(int rootClass, int kind, int type);
// The last type (0-6) with a grip; -1 for none.
int LastGuitarType(int rootClass, int kind);
// The type after the kind or root changed: lowered to the last available
// one when it lies above it.
int GuitarTypeForKind(int rootClass, int kind, int type);

// The notes of one grip (six triples, from the lowest string, ended by a
// key of 0), keyBase added to each triple's key and the result moved by
// octaves into 0-127: from the highest string down, or from the lowest up
// for a down stroke; strings not sounding are left out. Velocity and gate
// of the caret event, step 0.
ChordBuffer GuitarGripNotes(const GuitarTriple (&grip)[kGuitarStrings], int keyBase,
                            const bool (&strings)[kGuitarStrings], bool downStroke, const StepEvent& caretEvent);

// Spreads the notes over T = caret step - START ST (at least 0): note i of
// n starts at i x W / n with W = min(WIDTH, T), or at i x WIDTH (never past
// T) with widthAsStep. Each step is the distance to the next start, the
// last one's T - its start; each gate is shortened by the note's own start
// but stays at least 1 (a rest stays a rest).
void StrumGuitarChord(ChordBuffer& chord, const StepEvent& caretEvent, const GuitarChordSettings& settings);

// The chord of the state: the grip GuitarRootSubstitution picks for the
// root, kind and type, moved to root + octave x 12 + its key offset, then
// strummed.
ChordBuffer BuildGuitarChord(const GuitarChordState& state, const GuitarChordSettings& settings,
                             const StepEvent& caretEvent);

// A kind button's caption: a blank, the root's two-character name and the
// kind's name from the grip table.
std::string GuitarKindCaption(int kind, std::string_view rootKeyName);
std::string GuitarKindCaption(const StepEditModel& m, int rootClass, int kind);

// Ticks to milliseconds at the song's tempo: step x 60,000 / time base /
// tempo, with time base 480 and tempo 120 for 0.
uint32_t GuitarStepMs(uint32_t step, uint16_t timeBase, uint16_t tempo);

// The guitar audition: each note-on (key + transposition, moved by octaves
// into 0-127) followed by the wait of the note's step, then a note-off
// (velocity 0) for every note.
std::vector<AuditionStep> GuitarAudition(const ChordBuffer& chord, int transposition, uint16_t timeBase,
                                         uint16_t tempo);

// Inserts the chord at the caret row as the one-touch input does, with
// START ST as the leading rest: the caret then moves count - 1 (named) or
// count - 2 lines, one more after a leading rest. A chord of no notes (all
// strings muted) inserts nothing, name and rest included: refused, track
// unchanged.
ChordInsertResult InsertGuitarChord(StepEditModel& m, StepSongContext& ctx, int caretRow, const ChordBuffer& chord,
                                    std::optional<std::string_view> caption, uint16_t start);
