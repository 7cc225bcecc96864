// A controller curve saved as a part file and loaded back into the curve
// buffer: the "Q31PR" image with the curve's kind at byte 15 and its
// controller at byte 16.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "curves.h"

constexpr size_t kCurvePartKindByte = 15;
constexpr size_t kCurvePartControllerByte = 16;

// The image to save: the 20-byte head (track 0, the song's time base, kind
// and controller) and the curve buffer's events with every timed event not
// of the kind made a placeholder rest (its continuations go with it); no
// end event. TrackFull (1931), image empty, when the events would not fit
// a part block as the part reader takes it; Refused before BeginCurve.
EditResult BuildCurvePart(const CurveState& s, const StepSongContext& ctx, std::vector<uint8_t>* image);

// Loads part data (any part kind; converted to the song's time base): the
// part's curve events (bytes 15 and 16; a part without a curve kind counts
// as one of the dialog's kind) become events of the dialog's kind and
// controller, its rests only give time, and they are merged by time into
// the curve buffer, whose events of the dialog's kind give way (made
// placeholder rests). Refused, buffer unchanged, for data that is no part
// or before BeginCurve; TrackFull (1931) when the merge would not fit the
// buffer.
EditResult LoadCurvePart(CurveState& s, const StepSongContext& ctx, const uint8_t* data, size_t size);
