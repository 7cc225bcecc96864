#include "notenames.h"

#include <cstring>
#include <string>

#include "editorblocks.h"
#include "eventtext.h"

void BuildNoteNameTable(StepEditModel& m, int keyIndex) {
  if (m.noteNameKey == keyIndex) return;
  Locked names(ReadTrackBlock(m).noteNames);
  auto* table = names.as<char>();
  if (!table) return;
  for (int key = 0; key < 128; ++key) {
    const std::string text = NoteNameText(key, keyIndex);
    std::memcpy(table + key * kNoteNameBytes, text.data(), 8);
    table[key * kNoteNameBytes + 8] = 0;
  }
  m.noteNameKey = static_cast<int16_t>(keyIndex);
}
