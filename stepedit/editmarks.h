// The step editor's tag marks A to R and its search, erase and quantize
// filters.
#pragma once
#include <cstdint>

struct TagMark {
  uint16_t track, measure, step;   // 0xFFFF: unset
};
constexpr int kTagMarks = 18;

struct StepFilter {
  uint32_t classes;   // EventFilter class mask
  int low, high;      // key range (bounds for quantize)
};

struct EditMarks {
  TagMark marks[kTagMarks];
  StepFilter search, erase, quantize;
};
extern EditMarks g_editMarks;

// Every mark unset; search all classes 0x0DFF, erase and quantize none; keys
// 0 to 127.
void ResetTagMarksAndFilters();
