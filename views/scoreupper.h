// The upper score pane's notes as draw-list items: bar lines, gate lines,
// heads with ties, accidentals, dots and ledger lines, rests, stems, flags
// and beams, and the keys held on a MIDI keyboard. The walk over the lines
// (WalkScoreLines) gathers the chords; a sink turns each chord and each
// measure's records into items as they arrive.
#pragma once
#include <cstdint>

#include "editmodel.h"
#include "scoredraw.h"
#include "scorelength.h"
#include "scorenotes.h"

// Glyph ids of the bitmap set.
enum ScoreBitmap : uint16_t {
  kBmpWholeHead = 5502,
  kBmpFilledHead = 5503,
  kBmpHalfHead = 5504,
  kBmpFlag8 = 5505,   // 5505-5508: eighth to sixty-fourth
  kBmpRestWhole = 5509,  // 5509-5515: whole to sixty-fourth
  kBmpFlat = 5516,
  kBmpSharp = 5517,
  kBmpNatural = 5518,
  kBmpTriplet = 5519,
};

// The score font in use, if any, and the offsets its set-up supplies for the
// font height. Off: the bitmap set is drawn.
struct ScoreFontGlyphs {
  bool on = false;
  int32_t glyphX = 0;  // added to every character's anchor
  int32_t glyphY = 0;
  int32_t stemX = 0;   // stems drawn by the beams
  int32_t stemY = 0;
  int32_t beamY = 0;   // beam lines
};

// What a paint of the upper pane takes besides the layout.
struct UpperPaneSettings {
  uint32_t keySignature = 0;   // at the start line (lines carry their own)
  int32_t beatNumerator = 4;
  int32_t beatDenominator = 4;
  // The 128 held-key entries while the step input mode is a MIDI(fkey) one;
  // null otherwise.
  const uint8_t* heldKeys = nullptr;
  int32_t positionX = 0;       // x of the position line: where held keys stand
  ScoreFontGlyphs font;
};

struct UpperPaneResult {
  int32_t lastLine = -1;  // last line walked
  int32_t endX = 0;       // x of the next chord when the walk stopped
  bool full = false;      // the record block could not grow
  bool ok = false;        // false without memory for the records
};

// Lays out the notes of the upper pane from startLine while x is below width.
// layout.staffCentreY must be placed (PlaceScoreStaff).
UpperPaneResult LayoutUpperPane(const StepEditModel& editor, const ScoreLayout& layout,
                                const UpperPaneSettings& settings, int32_t startLine, int32_t width,
                                ScoreDrawSink& sink);

// The beam line being drawn.
struct ScoreBeamLine {
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// count beams along line, each three one-pixel lines, the next 5 pixels
// lower; line is left where the next beam would go.
void DrawBeamLines(ScoreDrawSink& sink, ScoreBeamLine& line, int32_t count, const ScoreLayout& layout,
                   const ScoreFontGlyphs& font);
// The beams of member beyond the group's groupMinFlags, on the levels below
// line (where the full beams ended): levels shared with a neighbour reach
// it, further ones reach half way. line is unchanged.
void DrawPartialBeams(ScoreDrawSink& sink, const ScoreBeamLine& line, const ScoreNote* notes, int32_t count,
                      int32_t first, int32_t last, int32_t member, int32_t groupMinFlags,
                      const ScoreLayout& layout, const ScoreFontGlyphs& font);
// Stems and beams of every group among a measure's records.
void DrawBeams(ScoreDrawSink& sink, const ScoreNote* notes, int32_t count, const ScoreLayout& layout,
               const ScoreFontGlyphs& font);
