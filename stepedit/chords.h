// The one-touch chord input: a chord of one of 20 kinds built on a root key
// from the caret line's note, its inversions, the kind captions and the name
// memo, the insertion at the caret, and the notes an audition sends.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editmodel.h"

constexpr int kChordKinds = 20;
constexpr int kChordMaxNotes = 16;
constexpr int kChordRootMax = 113;
constexpr int kChordMemoBytes = 30;     // the memo buffer, blanks
constexpr int kChordMemoOffset = 4;     // where the caption starts in it
constexpr int kChordCaptionMax = 18;    // caption characters copied
constexpr uint32_t kChordAuditionMs = 501;

// A kind: the name its button shows (a blank for the major chord) and the
// intervals, bit n set for a note n semitones above the root.
struct ChordKind {
  const char* name;
  uint16_t mask;
};
// In the order of the kind buttons 230-249.
extern const ChordKind ChordKindTable[kChordKinds];

// A chord's notes, highest first as built. Key, velocity and gate are the
// caret event's; every note has step 0 except the last, which carries step
// so that the chord lasts as long as the note it was built on.
struct ChordBuffer {
  StepEvent notes[kChordMaxNotes] = {};
  int count = 0;
  uint16_t step = 0;
};

// A chord key moved by octaves into 0-127: a key byte of 128 or more would
// read as an event code.
int FoldChordKey(int key);

// The root limited to 0-113; the root field's up and down steps (+1, -1)
// stay within it.
int ClampChordRoot(int root);
int StepChordRoot(int root, int delta);

// The event the chord is built on: the first event of the caret line
// (topLine + caretRow - 1). False on the end line or while an insertion gap
// is open (no event to take).
bool ReadChordCaretEvent(const StepEditModel& m, int caretRow, StepEvent* out);

// The chord of kind (0-19) on root (0-113, clamped): one note per set bit
// of the kind's mask, root + bit, taken from bit 15 down. Keys beyond 127
// move down an octave (root 113 with 15 semitones); the buffer is then put
// highest first again.
ChordBuffer BuildChord(int root, int kind, const StepEvent& caretEvent);

// The lowest note of the chord (the last one), -1 when empty.
int ChordLowestKey(const ChordBuffer& chord);
// The scroll bar's position: 127 - the lowest note.
int ChordScrollPosition(const ChordBuffer& chord);

// Inversion upwards: while the lowest note + 12 stays below 128, it moves
// an octave up to the top of the chord. Downwards: while the highest note
// is 12 or more, it moves an octave down to the bottom. The last note keeps
// carrying the step. False, chord unchanged, at the limit.
bool InvertChordUp(ChordBuffer& chord);
bool InvertChordDown(ChordBuffer& chord);

// A kind button's caption: a blank, the first two characters of the
// root's key name (blank-padded) and the kind's name.
std::string ChordCaption(std::string_view kindName, std::string_view rootKeyName);
// The one-touch captions by kind (0-19), the key name given or taken from
// the editor's note names.
std::string ChordKindCaption(int kind, std::string_view rootKeyName);
std::string ChordKindCaption(const StepEditModel& m, int root, int kind);

// The memo text of a named chord: 30 blanks with the caption (at most 18
// characters) from offset 4.
std::string ChordMemoText(std::string_view caption);

// Lines the caret moves down after an inserted chord (one WM_VSCROLL
// line-down each): count - 1 with a name, count - 2 without, one more after
// a leading rest; never below 0.
int ChordCaretMoves(int count, bool named, bool leadingRest);

// The insertion and what the caller does after it.
struct ChordInsertResult {
  EditResult edit;
  int caretMoves = 0;  // 0 unless the insertion went in
};

// Inserts the notes at the caret row through InsertEventsAtCaret: the name
// memo (ChordMemoText of caption) when a caption is given, a leading rest
// of restStep when nonzero, then the notes. Refused, track unchanged,
// without notes; full (message 1931, exclamation icon) as the insertion is.
ChordInsertResult InsertChordAtCaret(StepEditModel& m, StepSongContext& ctx, int caretRow, const StepEvent* notes,
                                     int count, std::optional<std::string_view> caption, uint16_t restStep);

// --- Audition ---------------------------------------------------------------

// One message of an audition for SendMidiNow on the editor's audition
// channel: status | key << 8 | velocity << 16, then the wait before the
// next one.
struct AuditionStep {
  uint32_t message;
  uint32_t waitMs;
};
constexpr uint32_t kAuditionNoteOn = 0x90;

inline uint32_t AuditionMessage(int key, int velocity) {
  return kAuditionNoteOn | static_cast<uint32_t>(key & 0x7F) << 8 | static_cast<uint32_t>(velocity & 0x7F) << 16;
}

// The audition's transposition: the track's key shift (bits 0-6, signed)
// plus the song's play bias.
int AuditionTransposition(uint8_t keyShift, int playBias);
// The same from the song of the context (0 for what it lacks).
int AuditionTransposition(const StepSongContext& ctx, int track);

// The one-touch audition: a note-on for every note (key + transposition,
// moved by octaves into 0-127, its velocity), 501 ms after the last, then
// the same notes with velocity 0.
std::vector<AuditionStep> ChordAudition(const ChordBuffer& chord, int transposition);
