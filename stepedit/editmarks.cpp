#include "editmarks.h"

EditMarks g_editMarks;

void ResetTagMarksAndFilters() {
  for (TagMark& m : g_editMarks.marks) m = TagMark{0xFFFF, 0xFFFF, 0xFFFF};
  g_editMarks.search = EventFilter{0x0DFF, 0, 127};
  g_editMarks.erase = EraseFilter{};
  g_editMarks.eraseStored = EraseFilter{};
  g_editMarks.quantize = EventFilter{};
  g_editMarks.slide = EventFilter{};
}
