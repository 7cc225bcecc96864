// Which events the search, erase, quantize and slide filters take, and the
// filters the program starts with.
#include <gtest/gtest.h>

#include "editmarks.h"
#include "eventfilter.h"

namespace {

constexpr uint32_t kEveryClass = 0x3C7FFF;  // bits 0-14 and 18-21

TEST(MatchEventFilterTest, ClassesControllersAndKeys) {
  struct {
    uint32_t mask;
    int low, high, code, param;
    bool match;
  } cases[] = {
      {kFilterPitchBend, 0, 127, 0xEE, 0, true},
      {kEveryClass & ~kFilterPitchBend, 0, 127, 0xEE, 0, false},
      {kFilterProgram, 0, 127, 0xEC, 5, true},
      {kFilterChannelPressure, 0, 127, 0xEA, 0, true},
      {kFilterKeyPressure, 0, 127, 0xED, 60, true},
      {kFilterTempo, 0, 127, 0xE7, 120, true},
      {kFilterChannelChange, 0, 127, 0xE6, 1, true},
      // Pedal, volume, expression and modulation by their own bit only.
      {kFilterPedal, 0, 127, 0xEB, 64, true},
      {kFilterControl, 0, 127, 0xEB, 64, false},
      {kFilterVolume, 0, 127, 0xEB, 7, true},
      {kFilterControl, 0, 127, 0xEB, 7, false},
      {kFilterExpression, 0, 127, 0xEB, 11, true},
      {kFilterControl, 0, 127, 0xEB, 11, false},
      {kFilterModulation, 0, 127, 0xEB, 1, true},
      {kFilterControl, 0, 127, 0xEB, 1, false},
      {kFilterControl, 0, 127, 0xEB, 10, true},
      {kFilterControl, 0, 127, 0xEB, 0, true},
      {kFilterControl, 0, 127, 0xEB, 300, true},
      {kFilterPedal | kFilterVolume | kFilterExpression | kFilterModulation, 0, 127, 0xEB, 10, false},
      {kFilterRolandExcl, 0, 127, 0xDC, 0, true},
      {kFilterRolandExcl, 0, 127, 0xDF, 0, true},
      {kEveryClass, 0, 127, 0xDB, 0, false},
      {kFilterYamahaExcl, 0, 127, 0xC0, 0, true},
      {kFilterYamahaExcl, 0, 127, 0xD3, 0, true},
      {kEveryClass, 0, 127, 0xD4, 0, false},
      {kFilterUserExcl, 0, 127, 0x90, 0, true},
      {kFilterUserExcl, 0, 127, 0x97, 0, true},
      {kFilterTrackExcl, 0, 127, 0x98, 0, true},
      {kFilterUserExcl, 0, 127, 0x98, 0, false},
      {kFilterMci, 0, 127, 0x99, 0, true},
      {kFilterMci, 0, 127, 0x99, 1, false},
      {kFilterCommandLine, 0, 127, 0x99, 1, true},
      {kEveryClass, 0, 127, 0x99, 2, false},
      {kFilterMemo, 0, 127, 0xF6, 0, true},
      {kEveryClass, 0, 127, 0xF7, 0, false},
      {kEveryClass, 0, 127, 0xFD, 0, false},
      {kEveryClass, 0, 127, 0xFE, 0, false},
      // Notes in low..high, bounds included.
      {kFilterNotes, 60, 72, 60, 0, true},
      {kFilterNotes, 60, 72, 72, 0, true},
      {kFilterNotes, 60, 72, 59, 0, false},
      {kFilterNotes, 60, 72, 73, 0, false},
      {kEveryClass & ~kFilterNotes, 0, 127, 60, 0, false},
      {kFilterNotes, 64, 64, 64, 0, true},
      // Low above high: below high or above low, bounds out.
      {kFilterNotes, 72, 60, 59, 0, true},
      {kFilterNotes, 72, 60, 60, 0, false},
      {kFilterNotes, 72, 60, 66, 0, false},
      {kFilterNotes, 72, 60, 72, 0, false},
      {kFilterNotes, 72, 60, 73, 0, true},
      {kFilterNotes, 72, 60, 0, 0, true},
      {kFilterNotes, 0, 127, -1, 0, false},
      {kFilterNotes, 0, 127, 256, 0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchEventFilter(c.mask, c.low, c.high, c.code, c.param), c.match)
        << std::hex << "mask 0x" << c.mask << " code 0x" << c.code << std::dec << " param " << c.param << " keys "
        << c.low << ".." << c.high;
  }
}

TEST(MatchEventFilterTest, BitsFifteenToSeventeenMatchNothing) {
  for (int code = 0; code <= 0xFF; ++code) {
    for (int param : {0, 1, 7, 64, 127}) {
      EXPECT_FALSE(MatchEventFilter(0x38000, 0, 127, code, param)) << code << " " << param;
      EXPECT_FALSE(MatchEventFilter(0, 0, 127, code, param)) << code << " " << param;
    }
  }
}

TEST(MatchEventFilterTest, EventTakesItsGateFieldAsParameter) {
  const EventFilter pedal{kFilterPedal, 0, 127};
  EXPECT_TRUE(MatchEventFilter(pedal, StepEvent{0xEB, 127, 64, 64}));
  EXPECT_FALSE(MatchEventFilter(pedal, StepEvent{0xEB, 127, 64, 7}));
  const EventFilter notes{kFilterNotes, 48, 50};
  EXPECT_TRUE(MatchEventFilter(notes, StepEvent{49, 0, 0, 0}));  // rests too
  EXPECT_FALSE(MatchEventFilter(notes, StepEvent{51, 100, 49, 49}));
}

TEST(EditMarksTest, ResetGivesStartUpFilters) {
  g_editMarks.marks[3] = TagMark{1, 2, 3};
  g_editMarks.search = EventFilter{1, 5, 6};
  g_editMarks.erase = EraseFilter{EventFilter{2, 7, 8}, 1};
  g_editMarks.eraseStored = EraseFilter{EventFilter{3, 9, 10}, 1};
  g_editMarks.quantize = EventFilter{4, 11, 12};
  g_editMarks.slide = EventFilter{5, 13, 14};
  ResetTagMarksAndFilters();
  for (const TagMark& m : g_editMarks.marks) {
    EXPECT_EQ(m.track, 0xFFFF);
    EXPECT_EQ(m.measure, 0xFFFF);
    EXPECT_EQ(m.step, 0xFFFF);
  }
  struct {
    const char* name;
    const EventFilter& filter;
    uint32_t mask;
  } filters[] = {
      {"search", g_editMarks.search, 0x0DFF},           {"erase", g_editMarks.erase.filter, 0},
      {"erase stored", g_editMarks.eraseStored.filter, 0}, {"quantize", g_editMarks.quantize, 0},
      {"slide", g_editMarks.slide, 0},
  };
  for (const auto& f : filters) {
    EXPECT_EQ(f.filter.mask, f.mask) << f.name;
    EXPECT_EQ(f.filter.lowKey, 0) << f.name;
    EXPECT_EQ(f.filter.highKey, 127) << f.name;
  }
  EXPECT_EQ(g_editMarks.erase.stCompress, 0u);
  EXPECT_EQ(g_editMarks.eraseStored.stCompress, 0u);
}

}  // namespace
