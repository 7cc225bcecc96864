// Beams of the score: how long a beam group lasts in the song's beat, which
// records of a measure form groups, and where the stems of a group end so
// that one straight beam joins them.
#pragma once
#include <cstdint>

#include "scorenotes.h"

// Beam length of a beat numerator/denominator at a time base (0 counts as
// 480). The beat unit is two quarters for a denominator of 1 or 2, a quarter
// for 4, an eighth for 8, and 4 x time base / denominator for any other (a
// denominator of 0 takes a quarter); a group spans the largest odd factor
// left after halving an even numerator (4/4 a quarter, 2/2 a half, 6/8 and
// 12/8 three eighths, 3/4 a quarter, 3/8 an eighth). Unit and length are at
// least 1.
ScoreBeamLength ComputeBeamLength(int32_t beatNumerator, int32_t beatDenominator, int32_t timeBase);

// Lays the lengths of records on a grid in order, carrying what each
// rounding took or gave to the next (the six-tick quantize switch).
// Nothing changes for a grid of 1 or less.
void QuantizeScoreLengths(ScoreNote* notes, int32_t count, int32_t grid);

// Marks the beam groups of a measure's records: notes with flags that
// together fill one beam length exactly, two or more of them (rests take
// time between them). Earlier group bits are replaced. A beam length below 1
// counts as 1. Returns the number of groups.
int32_t BeamScoreNotes(ScoreNote* notes, int32_t count, int32_t beamLength);

// Stem ends of every group, so that one straight beam joins them: stores
// each group's fewest flags on its first member and adjusts the group.
void SetBeamStems(ScoreNote* notes, int32_t count);

// One group, first..last, whose ends stand at (x1, y1) and (x2, y2): the
// ends come within 12 pixels of each other (the higher stays), the beam is
// raised until no inner stem is cut short, and by 5 pixels per flag beyond
// two; then every member's stem ends on the beam. maxY and minY are the
// lowest and highest stem tops of the group.
void AdjustBeamStems(ScoreNote* notes, int32_t first, int32_t last, int32_t x1, int32_t y1, int32_t x2,
                     int32_t y2, int32_t maxY, int32_t minY, int32_t maxFlags);

// y of the beam from (x1, y1) to (x2, y2) at x, truncated; y1 when the two
// ends share an x.
int32_t InterpolateBeamY(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x);

// Neighbouring members of a group for partial beams. NextBeamNote looks at
// from, from + 1 ... to and returns the first inner or last member, stopping
// at a first member; PrevBeamNote looks at from, from - 1 ... to and returns
// the first inner or first member, stopping at a last member.
// kNoBeamNote when there is none or from lies beyond to.
constexpr int32_t kNoBeamNote = 0xFFFF;
int32_t NextBeamNote(const ScoreNote* notes, int32_t count, int32_t from, int32_t to);
int32_t PrevBeamNote(const ScoreNote* notes, int32_t count, int32_t from, int32_t to);
