// Where a key stands on the grand staff: its letter and accidental in a key
// signature, its staff position and height, its ledger lines, and which sign
// it prints given what its bar printed before it.
#pragma once
#include <cstdint>

constexpr int kStaffKeys = 128;
constexpr int kStaffKeyRows = 16;  // key signature: KeyIndex bits 0-3

// Spelling of pitch class c (0 = C) in key signature r: high nibble the
// letter (0 the B of the octave below, 1-7 C D E F G A B, 8 the C of the
// octave above), low nibble the accidental. Absolute: the key's own sign;
// relative: the sign to print against the signature.
extern const uint8_t StaffSpellingAbsolute[kStaffKeyRows][12];
extern const uint8_t StaffSpellingRelative[kStaffKeyRows][12];

enum StaffAccidental : uint8_t {
  kStaffNoSign = 0,
  kStaffSharp = 1,
  kStaffFlat = 2,
  kStaffNatural = 3,
};

// StaffPositionEntry: bits 0-7 staff position (7 per octave; middle C is 36,
// the treble lines 38-46, the bass lines 26-34), bits 8-15 accidental.
using StaffPositionEntry = uint32_t;
constexpr int kMiddleCPosition = 36;

inline int StaffEntryPosition(StaffPositionEntry e) { return static_cast<int>(e & 0xFF); }
inline uint8_t StaffEntryAccidental(StaffPositionEntry e) { return static_cast<uint8_t>((e >> 8) & 0xFF); }
inline StaffPositionEntry MakeStaffEntry(int position, uint8_t accidental) {
  return static_cast<StaffPositionEntry>(position & 0xFF) | (static_cast<StaffPositionEntry>(accidental) << 8);
}

// The staff tables of one paint.
struct StaffTables {
  StaffPositionEntry absoluteStaffTable[kStaffKeys] = {};   // every key as the signature names it
  StaffPositionEntry signatureStaffTable[kStaffKeys] = {};  // the sign each key prints at a bar's start
  StaffPositionEntry barStaffTable[kStaffKeys] = {};        // the sign each key prints now in the bar
  uint32_t currentStaffKey = 0;                             // key signature last built
};

// Entry of key in key signature row (bits 0-3 used) of a spelling table.
StaffPositionEntry StaffEntryFor(const uint8_t (&spelling)[kStaffKeyRows][12], int keySignature, int key);

// BuildStaffTable: absoluteStaffTable and barStaffTable from
// StaffSpellingAbsolute. BuildStaffTable2: signatureStaffTable and
// barStaffTable from StaffSpellingRelative. Both store currentStaffKey; call
// them in that order. BuildStaffTables does both.
void BuildStaffTable(StaffTables& tables, uint32_t keySignature);
void BuildStaffTable2(StaffTables& tables, uint32_t keySignature);
void BuildStaffTables(StaffTables& tables, uint32_t keySignature);

// The key signature (0-15) in force at a line: bits 0-3 of the line table's
// key byte, or of the song's KeyIndex when there is no line to read
// (lineKey < 0: no followed editor or no line table).
uint32_t CurrentStaffKey(int lineKey, int songKeyIndex);

// Staff position of key as the bar has it; 0 for a key outside 0-127.
int StaffPositionOf(const StaffTables& tables, int key);

// Vertical scroll range of a pane in pixels: the span from key 0 to key 127
// in absoluteStaffTable, half a spacing a position.
int32_t StaffRangePixels(const StaffTables& tables, int32_t staffSpacing);
// y of the middle-C line for a pane of height scrolled by verticalPos.
int32_t StaffCentreY(const StaffTables& tables, int32_t staffSpacing, int32_t paneHeight,
                     int32_t verticalPos);

// Top of the note-head cell of a staff position, for the middle-C line at
// staffCentreY; the head's centre (and a staff line's y) is half a spacing
// lower: position 36 is centred on the middle-C line.
int32_t StaffNoteTop(int32_t staffCentreY, int position, int32_t staffSpacing);
int32_t StaffLineY(int32_t staffCentreY, int position, int32_t staffSpacing);

// Ledger lines a head at position needs: even positions low..high (none
// when low > high). Middle C gets its own line; above the treble staff
// lines 48 up to the head, below the bass staff 24 down to it.
struct LedgerLines {
  int low = 1;
  int high = 0;
  int Count() const { return low > high ? 0 : (high - low) / 2 + 1; }
};
LedgerLines LedgerLinesFor(int position);

// The sign key prints in the bar so far, without drawing it.
uint8_t BarAccidental(const StaffTables& tables, int key);
// The sign key prints now; the bar then remembers it was drawn: the key
// prints no sign again in this bar, and a key a semitone away on the same
// position prints its own sign (a natural after a sharp or flat, its own
// sharp or flat after a natural). A key outside 0-127 prints none.
uint8_t TakeBarAccidental(StaffTables& tables, int key);
// A bar line: every key prints as at the start of a bar.
void ResetBarStaffTable(StaffTables& tables);
