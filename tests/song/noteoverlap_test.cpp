#include "noteoverlap.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

StepEvent Note(uint8_t key, uint16_t step, uint16_t gate = 10, uint8_t vel = 100) { return {key, vel, step, gate}; }
StepEvent Ev(uint8_t code, uint8_t vel, uint16_t step, uint16_t gate) { return {code, vel, step, gate}; }

int Overlap(const std::vector<StepEvent>& e, int index = 0) {
  return FindNoteOverlap(e.data(), static_cast<int>(e.size()), index);
}

TEST(NoteOverlap, GateLimitsTheDistance) {
  // The next C begins 100 ticks after the first one.
  struct Case {
    uint16_t gate;
    int want;
  } cases[] = {
      {0, 100},      // no limit
      {65535, 100},  // no limit (the overlap marker)
      {1, 0},        // a one-tick note never overlaps
      {100, 0},      // the distance reaches the gate
      {101, 100},
      {50, 0},
      {40000, 100},  // read as signed: no limit either
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gate);
    EXPECT_EQ(Overlap({Note(60, 40, c.gate), Note(62, 60), Note(60, 10), EndEvent()}), c.want);
  }
}

TEST(NoteOverlap, WhatCountsOnTheWay) {
  // Rests of the same key do not end the walk; controllers add their step,
  // marks and continuations (0xF0 and up) none.
  const std::vector<StepEvent> e = {Note(60, 10, 0),      Note(60, 5, 0, 0),      Note(60, 7, 0, 100),
                                    Ev(0xEB, 64, 20, 7),  Ev(0xF6, 'a', 0x4241, 0x4443),
                                    Ev(0xF7, 'e', 0x4645, 0x4847), Ev(0xFD, 0, 0, 0),
                                    Note(60, 1),          EndEvent()};
  EXPECT_EQ(Overlap(e), 10 + 5 + 7 + 20);
  // The end event stops the walk before a later C.
  EXPECT_EQ(Overlap({Note(60, 10, 0), Note(62, 10), EndEvent(), Note(60, 10)}), 0);
  // So does the count, without an end event.
  const std::vector<StepEvent> open = {Note(60, 10, 0), Note(62, 10), Note(60, 10)};
  EXPECT_EQ(FindNoteOverlap(open.data(), 2, 0), 0);
  EXPECT_EQ(FindNoteOverlap(open.data(), 3, 0), 20);
}

TEST(NoteOverlap, OnlyNotesAndValidIndexes) {
  const std::vector<StepEvent> e = {Ev(0xEB, 64, 10, 7), Ev(0xEB, 64, 10, 7), EndEvent()};
  EXPECT_EQ(Overlap(e), 0);  // not a note
  EXPECT_EQ(Overlap({Note(60, 10, 0), Note(60, 10)}, 2), 0);
  EXPECT_EQ(Overlap({Note(60, 10, 0), Note(60, 10)}, -1), 0);
  EXPECT_EQ(FindNoteOverlap(nullptr, 3, 0), 0);
  // A note of distance 0 (a chord with the same key twice) gives 0.
  EXPECT_EQ(Overlap({Note(60, 0, 0), Note(60, 10), EndEvent()}), 0);
}

TEST(NoteOverlap, WithinTakesAnExplicitGateForAnyCode) {
  // Two volume changes 30 ticks apart: the same code counts as the same key.
  const std::vector<StepEvent> e = {Ev(0xEB, 64, 10, 7), Note(60, 20), Ev(0xEB, 80, 5, 7), EndEvent()};
  const int n = static_cast<int>(e.size());
  EXPECT_EQ(FindNoteOverlapWithin(e.data(), n, 0, 31), 30);
  EXPECT_EQ(FindNoteOverlapWithin(e.data(), n, 0, 30), 0);
  EXPECT_EQ(FindNoteOverlapWithin(e.data(), n, 0, 0), 0);
  EXPECT_EQ(FindNoteOverlapWithin(e.data(), n, 0, -5), 0);
  // The event's own gate is not read: a note of gate 1 still looks ahead.
  const std::vector<StepEvent> notes = {Note(60, 10, 1), Note(60, 10), EndEvent()};
  EXPECT_EQ(FindNoteOverlapWithin(notes.data(), 3, 0, 100), 10);
  EXPECT_EQ(FindNoteOverlapWithin(e.data(), n, 3, 100), 0);  // the end event itself
}

}  // namespace
