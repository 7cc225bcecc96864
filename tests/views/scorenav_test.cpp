#include "scorenav.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "editmodel.h"
#include "modelfixture.h"
#include "scorenotes.h"

namespace {

using namespace modelfixture;

// A song whose track 1 is open in a step list and followed by a score view.
struct Score {
  explicit Score(const Events& events, uint16_t timeBase = 480, uint8_t songKey = 0, int32_t switches = 0) {
    song.ctx.timeBase = timeBase;
    song.ctx.songKey = songKey;
    song.SetTrack(1, events);
    m = &song.Open(1);
    layout = MakeScoreLayout(kBitmapScoreMetrics, timeBase, switches);
  }
  void Caret(int32_t line, int16_t row) {
    m->caretRow = row;
    m->topLine = line - row + 1;
  }
  ScoreMouseResult Press(int32_t x) { return ScoreMousePress(*m, drag, view, layout, x); }
  ScoreMouseResult Move(int32_t x) { return ScoreMouseMove(*m, drag, view, layout, x, kPaneWidth); }
  ScoreMouseResult Release(int32_t x) { return ScoreMouseRelease(*m, drag, view, layout, x); }

  static constexpr int32_t kPaneWidth = 600;
  ModelSong song;
  StepEditModel* m;
  ScoreLayout layout;
  ScoreViewSpan view;
  ScoreDrag drag;
};

// Four quarters (48 pixels each at time base 480), a measure end (18), four
// quarters, a measure end, four quarters: lines 0-3, 4 bar, 5-8, 9 bar,
// 10-13, 14 the end event.
Events ThreeMeasures() {
  Events e;
  for (int bar = 0; bar < 3; ++bar) {
    for (int i = 0; i < 4; ++i) e.push_back(Note(static_cast<uint8_t>(60 + i), 480, 240));
    if (bar < 2) e.push_back(MeasureEnd());
  }
  e.push_back(EndEvent());
  return e;
}

TEST(ScoreNavMouse, PressLeftOfTheFirstEventPutsTheCaretOnTheStartLine) {
  struct Case {
    int32_t startLine;
    int16_t rowBefore;
    int32_t x;
    int32_t anchor;
    int32_t caretLine;
    int32_t topLine;
    int16_t caretRow;
  } cases[] = {
      {5, 3, 56, 4, 5, 3, 3},    // on ScoreLeftX
      {5, 3, 10, 4, 5, 3, 3},    // far left
      {5, 3, 57, 4, 5, 3, 3},    // ScoreLeftX + 1 itself
      {5, 3, 58, 5, 6, 4, 3},    // just right of it: inside the first event
      {0, 4, 0, -1, 0, 0, 1},    // the start line above the caret row: the view starts at 0
      {10, 12, 30, 9, 10, 0, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "start " << c.startLine << " x " << c.x);
    Score s(ThreeMeasures());
    s.view.startLine = c.startLine;
    s.Caret(8, c.rowBefore);
    s.m->selFrom = 2;
    s.m->selTo = 3;
    const ScoreMouseResult r = s.Press(c.x);
    EXPECT_TRUE(r.handled);
    EXPECT_TRUE(s.drag.active);
    EXPECT_EQ(c.anchor, s.drag.anchor);
    EXPECT_EQ(-1, s.m->selFrom);
    EXPECT_EQ(-1, s.m->selTo);
    EXPECT_EQ(c.caretLine, r.targetLine);
    EXPECT_EQ(c.caretLine, CaretLine(*s.m));
    EXPECT_EQ(c.topLine, s.m->topLine);
    EXPECT_EQ(c.caretRow, s.m->caretRow);
  }
}

// x inside event k of the first measure (k >= 1): 57 + 48 k + 10.
int32_t Inside(int k) { return 57 + 48 * k + 10; }

TEST(ScoreNavMouse, DragForwardSelectsAfterTheAnchorAndBackFlips) {
  Events e;
  for (int i = 0; i < 8; ++i) e.push_back(Note(static_cast<uint8_t>(60 + i), 480, 240));
  e.push_back(EndEvent());
  Score s(e);
  s.Caret(4, 5);

  ScoreMouseResult r = s.Press(Inside(2));
  EXPECT_EQ(2, s.drag.anchor);
  EXPECT_EQ(3, CaretLine(*s.m));

  r = s.Move(Inside(5));
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(3, s.m->selFrom);
  EXPECT_EQ(5, s.m->selTo);
  EXPECT_EQ(6, CaretLine(*s.m));
  EXPECT_EQ(ScoreAutoScroll::None, r.scroll);
  r = s.Move(Inside(5) + 5);  // the same event again
  EXPECT_FALSE(r.changed);

  r = s.Move(57 + 20);  // back past the anchor, onto event 0
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(1, s.m->selFrom);
  EXPECT_EQ(2, s.m->selTo);
  EXPECT_EQ(1, CaretLine(*s.m));

  r = s.Move(Inside(2));  // on the anchor: the selection stays
  EXPECT_EQ(1, s.m->selFrom);
  EXPECT_EQ(2, s.m->selTo);
  EXPECT_EQ(3, CaretLine(*s.m));

  r = s.Move(20);  // left of the first event: scrolls up, selects from the first
  EXPECT_EQ(ScoreAutoScroll::Up, r.scroll);
  EXPECT_EQ(0, s.m->selFrom);
  EXPECT_EQ(2, s.m->selTo);
  r = s.Move(Score::kPaneWidth);
  EXPECT_EQ(ScoreAutoScroll::Down, r.scroll);
  EXPECT_EQ(3, s.m->selFrom);
  EXPECT_EQ(7, s.m->selTo);  // the last event before the end event
  EXPECT_EQ(8, CaretLine(*s.m));

  r = s.Release(Inside(4));
  EXPECT_TRUE(r.handled);
  EXPECT_FALSE(s.drag.active);
  EXPECT_EQ(3, s.m->selFrom);
  EXPECT_EQ(4, s.m->selTo);
  EXPECT_EQ(5, CaretLine(*s.m));

  // No drag runs: moves and releases do nothing.
  r = s.Move(Inside(6));
  EXPECT_FALSE(r.handled);
  EXPECT_EQ(4, s.m->selTo);
  EXPECT_FALSE(s.Release(Inside(6)).handled);
}

TEST(ScoreNavMouse, ReleaseOnTheAnchorKeepsTheSelection) {
  Score s(ThreeMeasures());
  s.Caret(0, 1);
  s.Press(Inside(1));
  s.Move(Inside(3));
  s.Move(Inside(1));
  const ScoreMouseResult r = s.Release(Inside(1) + 3);
  EXPECT_TRUE(r.handled);
  EXPECT_FALSE(s.drag.active);
  EXPECT_EQ(2, s.m->selFrom);
  EXPECT_EQ(3, s.m->selTo);
  EXPECT_EQ(2, r.targetLine);
}

// A press before the first event anchors at -1: dragging on selects from
// event 0 (a 16-bit anchor would read 65,535 and select past the end).
TEST(ScoreNavMouse, DragFromBeforeTheFirstEvent) {
  Score s(ThreeMeasures());
  s.Caret(0, 1);
  s.Press(30);
  EXPECT_EQ(-1, s.drag.anchor);
  s.Move(Inside(2));
  EXPECT_EQ(0, s.m->selFrom);
  EXPECT_EQ(2, s.m->selTo);
  s.Move(40);
  EXPECT_EQ(0, s.m->selFrom);
  EXPECT_EQ(2, s.m->selTo);  // back on the anchor: unchanged
}

TEST(ScoreNavHitTest, StopsBeforeTheEndEvent) {
  Score s(ThreeMeasures());
  EXPECT_EQ(13, HitTestScoreX(*s.m, s.view, s.layout, 30000));
  s.view.startLine = 14;  // the end event's line
  EXPECT_EQ(13, HitTestScoreX(*s.m, s.view, s.layout, 30000));
  s.view.startLine = 400;  // past the lines
  EXPECT_EQ(13, HitTestScoreX(*s.m, s.view, s.layout, 30000));
  s.view.startLine = 0;
  s.Caret(0, 1);
  s.Press(30000);
  EXPECT_EQ(14, CaretLine(*s.m));

  Score empty(Track({}));
  EXPECT_EQ(-1, HitTestScoreX(*empty.m, empty.view, empty.layout, 30000));
  empty.Caret(0, 1);
  empty.Press(30000);
  EXPECT_EQ(0, CaretLine(*empty.m));
  EXPECT_EQ(-1, empty.m->selFrom);
}

// Notes, a tempo event, a bar, notes; steps of 100 at 384 or 45 at 960 are
// 12.5 and 2.25 pixels: the remainders carry from chord to chord. The tempo
// event joins the second note's step and stands at its x.
TEST(ScoreNavPosition, LineXAcrossBarTempoAndRemainders) {
  struct Case {
    uint16_t timeBase;
    uint16_t step;
    int32_t switches;
    int32_t x[7];
  } cases[] = {
      {384, 100, 0, {56, 68, 68, 93, 111, 124, 136}},
      {384, 100, kScoreDoubleTime, {56, 80, 80, 130, 160, 186, 210}},
      {960, 45, 0, {56, 58, 58, 62, 80, 83, 85}},
      {480, 480, 0, {56, 104, 104, 200, 218, 266, 314}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "time base " << c.timeBase << " switches " << c.switches);
    Score s(Track({Note(60, c.step), Note(62, c.step), Ev(0xE7, 0, c.step, 120), MeasureEnd(),
                   Note(64, c.step), Note(65, c.step)}),
            c.timeBase, 0, c.switches);
    for (int line = 0; line < 7; ++line) EXPECT_EQ(c.x[line], ScoreLineX(*s.m, s.layout, 0, line)) << line;
  }
}

TEST(ScoreNavPosition, CursorStartsAtItsMeasureWithAFreshCarry) {
  Score s(Track({Note(60, 100), Note(62, 100), Ev(0xE7, 0, 100, 120), MeasureEnd(), Note(64, 100),
                 Note(65, 100)}),
          384);
  s.Caret(5, 2);
  ScoreCursorPlace p = PlaceScoreCursor(*s.m, s.view, s.layout, false);
  EXPECT_EQ(5, p.targetLine);
  EXPECT_EQ(4, s.view.startLine);
  EXPECT_EQ(56 + 12, p.positionX);
  EXPECT_TRUE(p.repaint);
  p = PlaceScoreCursor(*s.m, s.view, s.layout, false);
  EXPECT_FALSE(p.repaint);

  s.Caret(1, 2);  // back in the first measure, which the pane has not walked
  p = PlaceScoreCursor(*s.m, s.view, s.layout, false);
  EXPECT_EQ(0, s.view.startLine);
  EXPECT_EQ(68, p.positionX);
  EXPECT_TRUE(p.repaint);

  // While a gap is open the pane repaints whatever the start line.
  s.m->indexCurrent = 0;
  EXPECT_TRUE(PlaceScoreCursor(*s.m, s.view, s.layout, false).repaint);
}

TEST(ScoreNavPosition, PlayLineStepsBackToItsChordsFirstLine) {
  Score s(Track({Note(60, 480), Note(64, 0), Note(67, 0), Note(72, 480), Ev(0xF6, 'a', 0, 0), Note(62, 0),
                 Note(65, 480), MeasureEnd(), Note(60, 480)}));
  struct Case {
    int32_t playEvent;
    int32_t line;
  } cases[] = {
      {3, 1}, {2, 1}, {0, 0}, {6, 5},  // a comment ends the chord
      {9, 9}, {400, 9}, {-5, 0},       // past the events: the end event's line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.playEvent);
    s.m->playEvent = c.playEvent;
    s.m->playLine = 77;
    EXPECT_EQ(c.line, ScoreTargetLine(*s.m, true));
    EXPECT_EQ(c.line, s.m->playLine);
  }
  s.m->playLine = 0;
  s.Caret(4, 3);
  EXPECT_EQ(4, ScoreTargetLine(*s.m, false));
  EXPECT_EQ(0, s.m->playLine);
  s.Caret(40, 3);  // below the last line
  EXPECT_EQ(9, ScoreTargetLine(*s.m, false));
}

// A click where an event is drawn puts the caret on the first event drawn
// at that x; track exclusive and external-command steps take their width
// in the hit test as in the painting.
TEST(ScoreNavHitTest, ClickLandsWhereTheEventIsDrawn) {
  const Events events = Track({Note(60, 0), Note(64, 100), Ev(0x98, 0, 100, 0), Ev(0xF7, 1, 2, 3),
                               Ev(0x99, 0, 100, 0), Ev(0xF7, 'n', 0x7574, 0), Ev(0xF6, 'a', 0x6362, 0),
                               Ev(0xF7, 'f', 0, 0), Ev(0xE7, 0, 100, 120), MeasureEnd(), Note(67, 200)});
  for (int32_t switches : {0, static_cast<int32_t>(kScoreDoubleTime)}) {
    SCOPED_TRACE(switches);
    Score s(events, 384, 0, switches);
    ASSERT_EQ(9, s.m->lineCount);
    if (switches == 0) {
      // Everything from the second note to the controller is one step.
      const int32_t drawn[9] = {56, 56, 56, 56, 56, 56, 106, 124, 149};
      for (int line = 0; line < 9; ++line) EXPECT_EQ(drawn[line], ScoreLineX(*s.m, s.layout, 0, line)) << line;
    }
    for (int line = 0; line < 8; ++line) {
      const int32_t x = ScoreLineX(*s.m, s.layout, 0, line);
      int first = line;
      while (first > 0 && ScoreLineX(*s.m, s.layout, 0, first - 1) == x) --first;
      s.Caret(0, 1);
      const ScoreMouseResult r = s.Press(x);
      EXPECT_EQ(first, r.targetLine) << "line " << line << " x " << x;
      s.Release(x);
    }
  }
}

// The chords the painting records, at time bases that do not divide 480
// and with the quantize grid: each chord's x is its line's ScoreLineX, and
// a press anywhere on the chord's span anchors at its last event.
TEST(ScoreNavHitTest, PaintedChordsAndHitTestShareOneReckoning) {
  struct LineChord : ScoreWalkSink {
    void OnChord(ScoreWalkState& state, int32_t, int32_t x) override { seen.push_back({state.lastLine, x}); }
    std::vector<std::pair<int32_t, int32_t>> seen;
  };
  const Events events = Track({Note(60, 70), Note(64, 25), Ev(0x98, 0, 45, 0), Ev(0xF7, 1, 2, 3), Note(62, 35),
                               Ev(0xE7, 0, 35, 120), MeasureEnd(), Note(65, 0), Note(67, 95), Note(69, 33),
                               MeasureEnd(), Note(71, 77)});
  for (uint16_t timeBase : {384, 96, 960}) {
    for (int32_t switches : {0, static_cast<int32_t>(kScoreQuantize6), static_cast<int32_t>(kScoreDoubleTime)}) {
      SCOPED_TRACE(testing::Message() << "time base " << timeBase << " switches " << switches);
      Score s(events, timeBase, 0, switches);
      ScoreWalkState state;
      ASSERT_TRUE(BeginScoreWalk(state, s.layout, 0, 4, 4));
      LineChord sink;
      WalkScoreLines(state, *s.m, 0, INT32_MAX, &sink);
      ASSERT_FALSE(sink.seen.empty());
      int32_t prevX = s.layout.geometry.leftX;
      for (size_t i = 0; i < sink.seen.size(); ++i) {
        const int32_t line = sink.seen[i].first, x = sink.seen[i].second;
        EXPECT_EQ(x, ScoreLineX(*s.m, s.layout, 0, line)) << "line " << line;
        const int32_t nextX = i + 1 < sink.seen.size() ? sink.seen[i + 1].second : state.x;
        // The chord's own last event: the one before the next line's.
        const int32_t last = line + 1 < s.m->lineCount ? LineEvent(*s.m, line + 1) - 1 : -1;
        for (int32_t px = std::max(x + 1, s.layout.geometry.leftX + 2); px <= nextX && last >= 0; ++px) {
          EXPECT_EQ(last, HitTestScoreX(*s.m, s.view, s.layout, px)) << "x " << px;
        }
        EXPECT_GE(x, prevX);
        prevX = x;
      }
      EXPECT_EQ(state.x, ScoreLineX(*s.m, s.layout, 0, s.m->lineCount - 1));
    }
  }
}

// Quarters in C, a bar, G major with F sharp and F natural, a bar, F major
// with B flat.
Events KeyChanges() {
  return Track({Note(66, 480), MeasureEnd(), Ev(0xF5, 0, 1, 0), Note(66, 480), Note(65, 480), MeasureEnd(),
                Ev(0xF5, 0, 9, 0), Note(70, 480)});
}

struct Visit {
  int32_t event;
  int32_t line;
  int32_t x;
  bool rebuilt;
  bool closes;
  int32_t nextX;
  uint32_t key;
  uint8_t sign;
};

std::vector<Visit> Walk(Score& s, StaffTables& tables, int32_t startLine, int32_t width, ScorePaneWalk* out) {
  std::vector<Visit> visits;
  *out = WalkUpperPaneLines(*s.m, s.layout, tables, startLine, width, s.song.ctx.songKey,
                            [&](const ScorePaneEvent& e) {
                              const uint8_t sign = e.ev.code < 0x80 ? BarAccidental(tables, e.ev.code) : 0xFF;
                              visits.push_back({e.event, e.line, e.x, e.staffRebuilt, e.chordCloses, e.nextX,
                                                tables.currentStaffKey, sign});
                            });
  return visits;
}

TEST(ScoreNavWalk, RebuildsTheStaffTablesWhereTheKeySignatureChanges) {
  Score s(KeyChanges());
  StaffTables tables;
  BuildStaffTables(tables, ScoreLineKey(*s.m, ScoreReferenceLine(*s.m), s.song.ctx.songKey));
  ScorePaneWalk out;
  const std::vector<Visit> v = Walk(s, tables, 0, 10000, &out);
  const Visit want[] = {
      {0, 0, 56, false, true, 104, 0, kStaffSharp},
      {1, 1, 104, false, true, 122, 0, 0xFF},
      {2, 2, 122, true, false, 122, 1, 0xFF},
      {3, 3, 122, false, true, 170, 1, kStaffNoSign},
      {4, 4, 170, false, true, 218, 1, kStaffNatural},
      {5, 5, 218, false, true, 236, 1, 0xFF},
      {6, 6, 236, true, false, 236, 9, 0xFF},
      {7, 7, 236, false, true, 284, 9, kStaffNoSign},
  };
  ASSERT_EQ(std::size(want), v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(want[i].event, v[i].event);
    EXPECT_EQ(want[i].line, v[i].line);
    EXPECT_EQ(want[i].x, v[i].x);
    EXPECT_EQ(want[i].rebuilt, v[i].rebuilt);
    EXPECT_EQ(want[i].closes, v[i].closes);
    if (v[i].closes) {
      EXPECT_EQ(want[i].nextX, v[i].nextX);
    }
    EXPECT_EQ(want[i].key, v[i].key);
    EXPECT_EQ(want[i].sign, v[i].sign);
  }
  EXPECT_EQ(8, out.lastLine);  // the end event's line
  EXPECT_EQ(284, out.x);
  EXPECT_EQ(9u, tables.currentStaffKey);
}

TEST(ScoreNavWalk, StartsWithTheTablesItIsGivenAndStopsAtThePaneWidth) {
  Score s(KeyChanges());
  struct Case {
    int32_t startLine;
    uint32_t builtFor;
    int32_t width;
    int32_t lastLine;
    int32_t firstRebuilt;  // event of the first rebuild, -1 none
  } cases[] = {
      {3, 1, 10000, 8, 6},  // tables of the start line's key: rebuilt at the next signature only
      {3, 0, 10000, 8, 3},  // other tables: rebuilt before the first event
      {0, 0, 171, 4, 2},    // x 170 is still inside
      {0, 0, 170, 3, 2},
      {0, 0, 56, -1, -1},   // nothing fits
      {9, 0, 10000, -1, -1},  // past the lines
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "start " << c.startLine << " width " << c.width);
    StaffTables tables;
    BuildStaffTables(tables, c.builtFor);
    ScorePaneWalk out;
    const std::vector<Visit> v = Walk(s, tables, c.startLine, c.width, &out);
    EXPECT_EQ(c.lastLine, out.lastLine);
    int32_t firstRebuilt = -1;
    for (const Visit& visit : v) {
      if (visit.rebuilt) {
        firstRebuilt = visit.event;
        break;
      }
    }
    EXPECT_EQ(c.firstRebuilt, firstRebuilt);
  }
}

// Events that follow a note in its step (a comment, a controller) join its
// chord; with the six-tick quantize switch a chord closes only at a
// thirty-second (60 ticks at 480).
TEST(ScoreNavWalk, ChordsCloseOnTheGridAndAtBars) {
  Score s(Track({Note(60, 30), Ev(0xF6, 'a', 0, 0), Ev(0xEB, 64, 0, 7), Note(62, 30), Note(64, 20),
                 MeasureEnd(), Note(65, 60)}),
          480, 0, kScoreQuantize6);
  StaffTables tables;
  BuildStaffTables(tables, 0);
  ScorePaneWalk out;
  std::vector<ScorePaneEvent> events;
  out = WalkUpperPaneLines(*s.m, s.layout, tables, 0, 10000, 0, [&](const ScorePaneEvent& e) { events.push_back(e); });
  ASSERT_EQ(7u, events.size());
  EXPECT_FALSE(events[0].joinsStep);
  EXPECT_TRUE(events[1].joinsStep);
  EXPECT_TRUE(events[2].joinsStep);
  EXPECT_FALSE(events[2].chordCloses);  // 30 ticks so far
  EXPECT_TRUE(events[3].chordCloses);
  EXPECT_EQ(60, events[3].chordLength);
  EXPECT_EQ(56, events[3].x);
  EXPECT_EQ(62, events[3].nextX);
  EXPECT_FALSE(events[4].chordCloses);  // 20 ticks: left for the bar
  EXPECT_TRUE(events[5].chordCloses);
  EXPECT_EQ(20, events[5].chordLength);
  EXPECT_EQ(62 + 2 + 18, events[5].nextX);
  EXPECT_EQ(82, events[6].x);
  EXPECT_EQ(88, out.x);
  // The position mark walks event by event and agrees at chord starts.
  EXPECT_EQ(62, ScoreLineX(*s.m, s.layout, 0, 4));
  EXPECT_EQ(82, ScoreLineX(*s.m, s.layout, 0, 6));
}

TEST(ScoreNavKey, ReferenceLineAndItsKey) {
  Score s(KeyChanges());
  s.Caret(3, 2);
  EXPECT_EQ(3, ScoreReferenceLine(*s.m));
  EXPECT_EQ(1u, ScoreLineKey(*s.m, 3, 0));
  s.m->playLine = 7;
  EXPECT_EQ(7, ScoreReferenceLine(*s.m));
  EXPECT_EQ(9u, ScoreLineKey(*s.m, 7, 0));
  s.m->playLine = 0;
  s.Caret(20, 6);  // below the last line: the end event's line, not the entry after it
  EXPECT_EQ(8, ScoreReferenceLine(*s.m));
  EXPECT_EQ(9u, ScoreLineKey(*s.m, ScoreReferenceLine(*s.m), 0));
  EXPECT_EQ(4u, ScoreLineKey(*s.m, 9, 4));   // outside the lines: the song's
  EXPECT_EQ(4u, ScoreLineKey(*s.m, -1, 20)); // KeyIndex 20 is a minor key of row 4

  StaffTables tables;
  BuildStaffTables(tables, 1);
  EXPECT_FALSE(FollowLineStaffKey(tables, *s.m, 3, 0));
  EXPECT_TRUE(FollowLineStaffKey(tables, *s.m, 7, 0));
  EXPECT_EQ(9u, tables.currentStaffKey);

  // The rhythm grid's lines carry no key: the song's holds.
  ModelSong song;
  song.ctx.songKey = 2;
  song.SetTrack(1, KeyChanges());
  StepEditModel& grid = song.Open(1, true);
  EXPECT_EQ(2u, ScoreLineKey(grid, 0, song.ctx.songKey));
}

TEST(ScoreNavVertical, RangeScrollAndStaffCentre) {
  StaffTables tables;
  BuildStaffTables(tables, 0);
  const int32_t spacing = kBitmapScoreMetrics.staffSpacing;
  const int32_t start = InitialScoreVerticalPos(spacing);
  EXPECT_EQ(108, start);

  // The staff spans keys 0-127: 74 positions of 3 pixels.
  const ScoreVerticalScroll r = ScoreVerticalRange(tables, spacing, 100, start);
  EXPECT_TRUE(r.shown);
  EXPECT_EQ(50, r.min);
  EXPECT_EQ(172, r.max);
  EXPECT_EQ(108, r.pos);
  EXPECT_FALSE(ScoreVerticalRange(tables, spacing, 222, start).shown);
  const ScoreVerticalScroll tall = ScoreVerticalRange(tables, spacing, 221, start);
  EXPECT_TRUE(tall.shown);
  EXPECT_EQ(110, tall.pos);  // brought within 110-112

  struct Case {
    int32_t from;
    int code;
    int32_t thumb;
    int32_t to;
  } cases[] = {
      {108, SB_LINEUP, 0, 107},     {108, SB_PAGEUP, 0, 107},     {108, SB_LINEDOWN, 0, 109},
      {108, SB_PAGEDOWN, 0, 109},   {108, SB_THUMBTRACK, 150, 150}, {108, SB_THUMBTRACK, 300, 172},
      {108, SB_THUMBTRACK, 10, 108}, {50, SB_LINEUP, 0, 50},      {172, SB_LINEDOWN, 0, 172},
      {108, SB_ENDSCROLL, 0, 108},  {108, SB_TOP, 0, 108},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.to, ScrollScoreVertical(r, c.from, c.code, c.thumb)) << c.from << " code " << c.code;
  }
  ScoreVerticalScroll hidden;
  EXPECT_EQ(108, ScrollScoreVertical(hidden, 108, SB_LINEDOWN, 0));

  // Middle C's line at the default scroll: 9 pixels below the pane's middle.
  ScoreLayout layout = MakeScoreLayout(kBitmapScoreMetrics, 480, 0);
  PlaceScoreStaff(layout, tables, 100, start);
  EXPECT_EQ(59, layout.staffCentreY);
  EXPECT_EQ(59, StaffLineY(layout.staffCentreY, kMiddleCPosition, spacing));
  PlaceScoreStaff(layout, tables, 100, start + 10);
  EXPECT_EQ(49, layout.staffCentreY);
}

TEST(ScoreNavFrame, PaneSplit) {
  struct Case {
    int32_t width, height, left;
    ScorePaneSplit want;
  } cases[] = {
      {300, 300, 4, {4, 296, 200, 200, 100}},
      {301, 10, 0, {0, 301, 6, 6, 4}},
      {2, 5, 4, {2, 0, 3, 3, 2}},
      {-5, -5, 4, {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const ScorePaneSplit s = SplitScorePanes(c.width, c.height, c.left);
    EXPECT_EQ(c.want.left, s.left);
    EXPECT_EQ(c.want.paneWidth, s.paneWidth);
    EXPECT_EQ(c.want.upperHeight, s.upperHeight);
    EXPECT_EQ(c.want.lowerTop, s.lowerTop);
    EXPECT_EQ(c.want.lowerHeight, s.lowerHeight);
  }
}

TEST(ScoreNavFrame, FumenRatio) {
  struct Case {
    int32_t view, frame, border, ratio;
  } cases[] = {
      {248, 1000, 1, 250}, {498, 1000, 1, 500}, {333, 1001, 2, 337},
      {0, 1, 1, 1000},     // a frame 1 pixel wide: no division by 0, no view wider than it
      {200, 1, 1, 1000},   {200, 0, 1, 1000}, {200, -5, 1, 1000},
      {-10, 1000, 1, 0},   {5000, 1000, 1, 1000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.ratio, ComputeFumenRatio(c.view, c.frame, c.border)) << c.view << " in " << c.frame;
  }
  EXPECT_EQ(248, FumenRatioWidth(250, 1000, 1));
  EXPECT_EQ(498, FumenRatioWidth(500, 1000, 1));
  EXPECT_EQ(0, FumenRatioWidth(1000, 1, 1));
  EXPECT_EQ(998, FumenRatioWidth(5000, 1000, 1));
  EXPECT_EQ(0, FumenRatioWidth(-3, 1000, 1));
  EXPECT_EQ(0, FumenRatioWidth(250, 0, 1));
}

// A full track at a time base that leaves remainders: the painting's x at
// the end equals the position mark's, and a click far right lands on the
// last event.
TEST(ScoreNavWalk, FullTrackPaintingAndMarkAgree) {
  Events e;
  while (static_cast<int>(e.size()) < kMaxTrackEvents) {
    const size_t i = e.size();
    if (i % 17 == 16) e.push_back(MeasureEnd());
    else if (i % 50 == 7) e.push_back(Ev(0xEB, 64, 0, 7));
    else e.push_back(Note(static_cast<uint8_t>(48 + i % 24), 100, 100));
  }
  e.push_back(EndEvent());
  Score s(e, 384);
  StaffTables tables;
  BuildStaffTables(tables, 0);
  const ScorePaneWalk out = WalkUpperPaneLines(*s.m, s.layout, tables, 0, INT32_MAX, 0, nullptr);
  EXPECT_EQ(s.m->lineCount - 1, out.lastLine);
  EXPECT_EQ(ScoreLineX(*s.m, s.layout, 0, s.m->lineCount - 1), out.x);
  EXPECT_EQ(kMaxTrackEvents - 1, HitTestScoreX(*s.m, s.view, s.layout, INT32_MAX));
  s.Caret(s.m->lineCount - 1, 1);
  const ScoreCursorPlace p = PlaceScoreCursor(*s.m, s.view, s.layout, false);
  EXPECT_EQ(s.m->lineCount - 1, p.targetLine);
}

}  // namespace
