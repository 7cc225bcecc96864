// Note names spelled for a key signature: the text of one key, and the 128
// texts a step editor keeps in its track block.
#pragma once
#include <cstdint>
#include <string>

#include "editmodel.h"

// "C 4  60 ": letter, accidental, octave in two columns, key number in
// three, one blank (8 characters), spelled by the key signature's row
// (KeyIndex bits 0-3).
std::string NoteNameText(int key, int keyIndex);

// Rebuilds the editor's note-name table for the key signature unless it was
// last built for that same KeyIndex, and remembers the key.
void BuildNoteNameTable(StepEditModel& m, int keyIndex);

// The 8-character name of key from the editor's table as last built (the
// text spelled for the cached key when the table is missing).
std::string NoteNameOf(const StepEditModel& m, int key);
