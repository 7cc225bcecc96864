// Part blocks of a step editor: the "Q31PR" image of the selection for a
// part file, a loaded part inserted at the caret, and a part another
// program dropped on the window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "editmodel.h"

// The selection as a "Q31PR" image (20-byte head with the track number and
// the song's time base, then the events, no end event); its size is the
// length to save. Empty for no selection or the end event alone.
std::vector<uint8_t> BuildPartBlock(const StepEditModel& m, const StepSongContext& ctx);

// Inserts the events of a "Q31PR" image (as the part open dialog fills its
// block) before the caret line's event. An image that is not one, or whose
// byte count runs past its size, is refused with the track untouched.
EditResult InsertPartAtCaret(StepEditModel& m, StepSongContext& ctx, const uint8_t* image, size_t size);

// Inserts a converted drop block (head stripped): at the caret line's event;
// at the end of the track for a nonzero info, an iconic window or
// DragDropEdit 3; with DragDropEdit 2 at the line under the drop point
// (charWidth and charHeight are the window's character size). A count that
// runs past the block is refused; DragDropEdit 0 ignores drops (Refused).
// used + count + 1 reaching 16,371 is TrackFull.
EditResult InsertDroppedPart(StepEditModel& m, StepSongContext& ctx, const uint8_t* block, size_t size,
                             int info, bool iconic, int charWidth, int charHeight);

// The line a drop at (x, y) lands on: step list top line + max(y / charHeight
// - 1, 0), rhythm grid top line + max((x / charWidth - 15) / 2, 0), at most
// the last line. The caret line when the character size is unknown.
int32_t DropPointLine(const StepEditModel& m, int x, int y, int charWidth, int charHeight);
