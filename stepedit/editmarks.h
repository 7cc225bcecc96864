// The step editor's tag marks A to R and the event filters of search,
// erase, quantize and slide, kept for the program run.
#pragma once
#include <cstdint>

#include "eventfilter.h"

struct TagMark {
  uint16_t track, measure, step;   // 0xFFFF: unset
};
constexpr int kTagMarks = 18;

// An erase filter and whether erased step times fold into the events before
// (ST compression) instead of leaving rests.
struct EraseFilter {
  EventFilter filter;
  uint32_t stCompress = 0;
};

struct EditMarks {
  TagMark marks[kTagMarks];
  EventFilter search;
  EraseFilter erase;        // working copy the erase runs with
  EraseFilter eraseStored;  // what the erase settings dialog keeps between commands
  EventFilter quantize;     // classes quantize leaves in place
  EventFilter slide;
};
extern EditMarks g_editMarks;

// Every mark unset; search all classes 0x0DFF, erase, quantize and slide
// none; keys 0 to 127.
void ResetTagMarksAndFilters();
