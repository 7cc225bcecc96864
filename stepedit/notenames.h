// Note names of a step editor: the 128 texts of its track block, spelled for
// a key signature.
#pragma once
#include <cstdint>

#include "editmodel.h"

// Rebuilds the editor's note-name table for the key signature (KeyIndex,
// bits 0-3 choose the spelling row) unless it was built for that key.
void BuildNoteNameTable(StepEditModel& m, int keyIndex);
