#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "playrange.h"

namespace {

StepEvent N(uint8_t key, uint16_t gate = 40) { return StepEvent{key, 100, 48, gate}; }
StepEvent C(uint8_t code, uint16_t gate = 0) { return StepEvent{code, 0, 0, gate}; }
StepEvent Ref(int target) { return C(0xFC, static_cast<uint16_t>(target + 48)); }
const StepEvent kBar = C(0xFD);
const StepEvent kEnd = EndEvent();

std::string Describe(const std::vector<StepEvent>& events) {
  std::string s;
  for (const StepEvent& e : events) {
    char one[32];
    std::snprintf(one, sizeof one, "%02X/%u/%u/%u ", e.code, e.vel, e.step, e.gate);
    s += one;
  }
  return s;
}

// A chain of references from event 4, each naming the next; the last names
// the first measure.
std::vector<StepEvent> RefChain(int refs) {
  std::vector<StepEvent> ev = {N(60), kBar, N(62), kBar};
  const int first = static_cast<int>(ev.size());
  for (int k = 0; k < refs; ++k) ev.push_back(Ref(k + 1 < refs ? first + k + 1 : 0));
  ev.push_back(N(67));
  ev.push_back(kEnd);
  return ev;
}

struct MeasureCase {
  const char* name;
  std::vector<StepEvent> events;
  int32_t caretLine;
  int caretEvent;                    // kNoPlayEvent: nothing plays
  std::vector<StepEvent> block;
  std::vector<uint32_t> lines = {};  // empty: one line per event
};

const std::vector<StepEvent> kTwoBars = {N(60), N(62), kBar, N(64), N(65), kBar, N(67), kEnd};

std::vector<MeasureCase> MeasureCases() {
  return {
      {"NoteInSecondMeasure", kTwoBars, 3, 3, {N(64), N(65), N(65, 0), kEnd}},
      {"MeasureNotEndingOnNote", {N(60), C(0xEB, 7), kBar, N(64), kEnd}, 0, 0,
       {N(60), C(0xEB, 7), kEnd}},
      {"CaretOnMeasureEndTakesBothMeasures", kTwoBars, 2, 2,
       {N(60), N(62), kBar, N(64), N(65), N(65, 0), kEnd}},
      {"CaretOnEndEventUsesLineBefore", kTwoBars, 7, 6, {N(67), N(67, 0), kEnd}},
      {"EmptyTrack", {kEnd}, 0, kNoPlayEvent, {}},
      {"EndEventOnFirstLineHasNoLineBefore", kTwoBars, 0, kNoPlayEvent, {}, {7, 6}},
      {"LineBeforeNamesEventPastBlock", kTwoBars, 1, kNoPlayEvent, {}, {99, 7}},
      {"CaretLinePastLastLine", kTwoBars, 8, kNoPlayEvent, {}},
      {"NegativeCaretLine", kTwoBars, -1, kNoPlayEvent, {}},
      {"LineNamesEventPastBlock", kTwoBars, 0, kNoPlayEvent, {}, {8}},
      {"ReferenceIsFollowed", {N(60), kBar, Ref(0), N(64), kEnd}, 2, 2, {N(60), N(60, 0), kEnd}},
      // A reference left unfollowed is the mark between two measures.
      {"ReferencePastBlockNotFollowed", {N(60), kBar, Ref(5), N(64), kEnd}, 2, 2,
       {Ref(5), N(64), N(64, 0), kEnd}},
      {"NegativeReferenceNotFollowed", {N(60), kBar, C(0xFC, 47), N(64), kEnd}, 2, 2,
       {C(0xFC, 47), N(64), N(64, 0), kEnd}},
      {"ChainOfNineFollowedToItsMeasure", RefChain(9), 4, 4, {N(60), N(60, 0), kEnd}},
      {"ChainOfTenStopsAtTenthReference", RefChain(10), 4, 4, {Ref(0), N(67), N(67, 0), kEnd}},
      {"MarkAtFirstEventIsLeftOut", {kBar, N(60), kEnd}, 0, 0, {N(60), N(60, 0), kEnd}},
  };
}

void PrintTo(const MeasureCase& c, std::ostream* os) { *os << c.name; }

class MeasurePlay : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(MeasurePlay, CaretEventAndBlock) {
  const MeasureCase& c = GetParam();
  std::vector<LineEntry> lines;
  if (c.lines.empty()) {
    for (size_t i = 0; i < c.events.size(); ++i) lines.push_back({static_cast<uint32_t>(i), 0, {}});
  } else {
    for (uint32_t e : c.lines) lines.push_back({e, 0, {}});
  }
  const int count = static_cast<int>(c.events.size());
  const int e = PlayCaretEvent(c.events.data(), count, lines.data(), static_cast<int>(lines.size()),
                               c.caretLine);
  EXPECT_EQ(c.caretEvent, e);
  EXPECT_EQ(Describe(c.block), Describe(MeasurePlayBlockEvents(c.events.data(), count, e)));
}

INSTANTIATE_TEST_SUITE_P(PlayRange, MeasurePlay, ::testing::ValuesIn(MeasureCases()),
                         [](const ::testing::TestParamInfo<MeasureCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(PlayRange, CaretLineByDisplayMode) {
  StepEditorData ed{};
  ed.topLine = 10;
  ed.caretRow = 3;
  ed.caretColumn = kStepListColumn;
  ed.viewMode = kModeStepList;
  EXPECT_EQ(12, PlayCaretLine(ed));
  ed.viewMode = kModeRhythmGrid;
  ed.caretColumn = kRhythmFirstColumn + 2 * 4;
  EXPECT_EQ(14, PlayCaretLine(ed));
  ed.caretColumn = kRhythmFirstColumn + 1;  // second character of the same step
  EXPECT_EQ(10, PlayCaretLine(ed));
}

TEST(PlayRange, MeasureRangeWithoutEndStaysInBlock) {
  // No mark after the caret: the range ends at the last slot given.
  const std::vector<StepEvent> ev = {N(60), kBar, N(62), N(64), kEnd};
  const PlayRange r = MeasurePlayRange(ev.data(), 4, 2);
  EXPECT_EQ(2, r.first);
  EXPECT_EQ(3, r.last);
}

TEST(PlayRange, PreviewTurnsReferencesBeforeEndIntoMeasureEnds) {
  std::vector<StepEvent> ev = {N(60), Ref(0), kBar, Ref(7), kEnd, Ref(0)};
  PreviewRefsToMeasureEnds(ev.data(), static_cast<int>(ev.size()));
  EXPECT_EQ(Describe({N(60), C(0xFD, 48), kBar, C(0xFD, 55), kEnd, Ref(0)}), Describe(ev));
}

TEST(PlayRange, PreviewWithoutEndEventStopsAtCount) {
  std::vector<StepEvent> ev = {Ref(0), Ref(0), Ref(0)};
  PreviewRefsToMeasureEnds(ev.data(), 2);
  EXPECT_EQ(Describe({C(0xFD, 48), C(0xFD, 48), Ref(0)}), Describe(ev));
}

}  // namespace
