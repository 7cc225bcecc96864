#include "editmarks.h"

EditMarks g_editMarks;

void ResetTagMarksAndFilters() {
  for (TagMark& m : g_editMarks.marks) m = TagMark{0xFFFF, 0xFFFF, 0xFFFF};
  g_editMarks.search = StepFilter{0x0DFF, 0, 127};
  g_editMarks.erase = StepFilter{0, 0, 127};
  g_editMarks.quantize = StepFilter{0, 0, 127};
}
