#include "rhythmcells.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

constexpr uint8_t kKick = 36;   // the caret row's key
constexpr uint8_t kSnare = 38;
constexpr uint8_t kRowGate = 12;

// A song with track 1 on the grid, record 0 the kick row under the caret.
struct Grid {
  explicit Grid(const Events& events) {
    song.SetTrack(1, events);
    m = &song.Open(1, true);
    song.ctx.rhythm[0].key = kKick;
    song.ctx.rhythm[0].gate = kRowGate;
    song.ctx.rhythm[1].key = kSnare;
    song.ctx.rhythm[1].gate = 30;
  }
  void Caret(int32_t line) { m->caretColumn = static_cast<int16_t>(kRhythmFirstColumn + 2 * (line - m->topLine)); }
  Events Read() const { return song.Read(1); }

  ModelSong song;
  StepEditModel* m;
};

Events Memo() {
  return {Ev(0xF6, 'a', 0x6362, 0x6564), Ev(0xF7, 'f', 0x6867, 0x6A69), Ev(0xF7, 'k', 0x6D6C, 0x6F6E),
          Ev(0xF7, 'p', 0x7271, 0x7473), Ev(0xF7, 'u', 0x7776, 0x7978)};
}

// Sum of the steps that carry time, the length of the track.
int TrackLength(const Events& e) {
  int sum = 0;
  for (const StepEvent& ev : e) {
    if (ev.code < 0xF0) sum += ev.step;
  }
  return sum;
}

TEST(RhythmCells, VelocityClassesSetTheRowsNotesOrPutOneInFront) {
  const int classes[] = {0, 8, 22, 36, 50, 64, 78, 92, 106, 120};
  EXPECT_EQ(RhythmVelocityClass('a'), -1);
  EXPECT_EQ(RhythmVelocityClass(' '), -1);
  for (char typed = '0'; typed <= '9'; ++typed) {
    SCOPED_TRACE(typed);
    const uint8_t vel = static_cast<uint8_t>(classes[typed - '0']);
    EXPECT_EQ(RhythmVelocityClass(typed), vel);
    if (vel == 0) continue;  // zero removes; see below

    // The column holds the row's note (and another row's): only it changes.
    Grid has(Track({Note(kSnare, 0, 40, 90), Note(kKick, 120, 5, 1), Note(kSnare, 120)}));
    EditResult r = TypeRhythmCell(*has.m, has.song.ctx, typed);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, 1u);  // same events, same times
    EXPECT_TRUE(r.rightArrow);
    EXPECT_TRUE(SameBytes(has.Read(), Track({Note(kSnare, 0, 40, 90), Note(kKick, 120, kRowGate, vel), Note(kSnare, 120)})));

    // None there: a note of step 0 joins the front of the column.
    Grid none(Track({Note(kSnare, 120), Note(kSnare, 120)}));
    none.Caret(1);
    r = TypeRhythmCell(*none.m, none.song.ctx, typed);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, 3u);  // the event count changed
    EXPECT_TRUE(r.rightArrow);
    EXPECT_TRUE(r.indexRebuilt);
    EXPECT_TRUE(SameBytes(none.Read(), Track({Note(kSnare, 120), Note(kKick, 0, kRowGate, vel), Note(kSnare, 120)})));
    EXPECT_EQ(none.m->lineCount, 3);  // still two columns and the end
  }
}

TEST(RhythmCells, CaretRowFollowsTheKeyScrollAndWraps) {
  Grid g(Track({Note(kKick, 120), Note(kSnare, 120, 3, 3)}));
  g.m->rhythmKeyScroll = 127;
  g.m->caretRow = 3;  // record (127 + 2) AND 127 = 1, the snare
  EXPECT_EQ(RhythmCaretRecord(*g.m), 1);
  g.Caret(1);
  ASSERT_EQ(TypeRhythmCell(*g.m, g.song.ctx, '9').status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(g.Read(), Track({Note(kKick, 120), Note(kSnare, 120, 30, 120)})));
}

TEST(RhythmCells, NoNoteIsPutOnAMarkColumn) {
  const StepEvent marks[] = {MeasureEnd(), Ev(0xFC, 0, 0, 48), Ev(0xF9, 0, 0, 0), Ev(0xF8, 0, 0, 2)};
  for (const StepEvent& mark : marks) {
    SCOPED_TRACE(int{mark.code});
    const Events before = Track({Note(kSnare, 120), mark, Note(kSnare, 120)});
    Grid g(before);
    g.Caret(1);
    const EditResult r = TypeRhythmCell(*g.m, g.song.ctx, '5');
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_TRUE(r.rightArrow);  // the caret goes on over the mark
    EXPECT_TRUE(SameBytes(g.Read(), before));
  }
  // Nor on the end event's column.
  const Events before = Track({Note(kSnare, 120)});
  Grid g(before);
  g.Caret(1);
  EXPECT_EQ(TypeRhythmCell(*g.m, g.song.ctx, '5').stateBits, 0u);
  EXPECT_TRUE(SameBytes(g.Read(), before));
}

TEST(RhythmCells, ZeroRemovesTheRowsNotesAndKeepsEveryColumnsLength) {
  struct Case {
    const char* name;
    char typed;
    Events before;
    Events after;
    uint32_t bits;
  };
  const Events memo = Memo();
  Events memoBefore = {Note(kSnare, 120)}, memoAfter = {Note(kSnare, 120)};
  memoBefore.insert(memoBefore.end(), memo.begin(), memo.end());
  memoAfter.insert(memoAfter.end(), memo.begin(), memo.end());
  memoBefore.push_back(Note(kKick, 120));
  memoAfter.push_back(Note(kKick, 120, 0, 0));
  for (Events* e : {&memoBefore, &memoAfter}) {
    e->push_back(Note(kSnare, 120));
    e->push_back(EndEvent());
  }
  const Case cases[] = {
      // The column's only event stays as a rest of its length.
      {"alone", '0', Track({Note(kSnare, 120), Note(kKick, 120), Note(kSnare, 120)}),
       Track({Note(kSnare, 120), Note(kKick, 120, 0, 0), Note(kSnare, 120)}), 1},
      // The timed note hands its step to the note before it.
      {"hands back", ' ', Track({Note(kSnare, 120), Note(kSnare, 0, 40, 90), Note(kKick, 120), Note(kSnare, 120)}),
       Track({Note(kSnare, 120), Note(kSnare, 120, 40, 90), Note(kSnare, 120)}), 3},
      // A note of step 0 simply goes.
      {"untimed", '0', Track({Note(kSnare, 120), Note(kKick, 0), Note(kSnare, 120), Note(kSnare, 120)}),
       Track({Note(kSnare, 120), Note(kSnare, 120), Note(kSnare, 120)}), 3},
      // Two of the row: the first goes, the timed one finds nothing timed
      // before it and stays as a rest.
      {"twice", '0', Track({Note(kSnare, 120), Note(kKick, 0), Note(kKick, 120), Note(kSnare, 120)}),
       Track({Note(kSnare, 120), Note(kKick, 120, 0, 0), Note(kSnare, 120)}), 3},
      // A memo's text never takes a step: the note stays as a rest.
      {"after a memo", '0', memoBefore, memoAfter, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Grid g(c.before);
    g.Caret(1);
    const EditResult r = TypeRhythmCell(*g.m, g.song.ctx, c.typed);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, c.bits);
    EXPECT_TRUE(r.rightArrow);
    EXPECT_TRUE(SameBytes(g.Read(), c.after));
    EXPECT_EQ(TrackLength(g.Read()), TrackLength(c.before));
    EXPECT_EQ(g.m->eventCount, static_cast<int32_t>(c.after.size()) - 1);
    EXPECT_EQ(g.m->lineCount, 4);  // three columns and the end, as before
  }
}

TEST(RhythmCells, ZeroOnAColumnWithoutTheRowChangesNothing) {
  const Events before = Track({Note(kSnare, 120), Note(kKick, 120, 0, 0)});
  for (int line : {0, 1}) {  // another row's note; the row's rest already
    Grid g(before);
    g.Caret(line);
    const EditResult r = TypeRhythmCell(*g.m, g.song.ctx, '0');
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_TRUE(r.rightArrow);
    EXPECT_TRUE(SameBytes(g.Read(), before));
  }
}

TEST(RhythmCells, GapStateAddsAQuarterColumn) {
  struct Case {
    char typed;
    StepEvent added;
  };
  const Case cases[] = {{'5', Note(kKick, 120, kRowGate, 64)}, {'0', Note(kKick, 120, kRowGate, 0)},
                        {' ', Note(kKick, 120, 0, 0)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Grid g(Track({Note(kSnare, 120), Note(kSnare, 120)}));
    g.Caret(2);  // the end line: the gap the window opens there
    ASSERT_TRUE(OpenInsertGap(*g.m, g.song.ctx, g.m->topLine));
    const EditResult r = TypeRhythmCell(*g.m, g.song.ctx, c.typed);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, 3u);
    EXPECT_TRUE(r.rightArrow);
    EXPECT_EQ(g.m->indexCurrent, 1);
    EXPECT_TRUE(SameBytes(g.Read(), Track({Note(kSnare, 120), Note(kSnare, 120), c.added})));
  }
  // A gap inside the track: the column goes in where it is open.
  Grid g(Track({Note(kSnare, 120), Note(kSnare, 120)}));
  g.song.ctx.timeBase = 96;
  g.Caret(1);
  ASSERT_TRUE(OpenInsertGap(*g.m, g.song.ctx, g.m->topLine));
  ASSERT_EQ(TypeRhythmCell(*g.m, g.song.ctx, '9').status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(g.Read(), Track({Note(kSnare, 120), Note(kKick, 24, kRowGate, 120), Note(kSnare, 120)})));
}

TEST(RhythmCells, AFullTrackRefusesNewColumnsWithABeep) {
  const Events before = NotesTrack(kMaxTrackEvents, 1);  // keys 48-71: no kick
  Grid g(before);
  EditResult r = TypeRhythmCell(*g.m, g.song.ctx, '5');
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(r.beep);
  EXPECT_FALSE(r.rightArrow);
  r = InsertRhythmRest(*g.m, g.song.ctx);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_TRUE(r.beep);
  EXPECT_TRUE(SameBytes(g.Read(), before));
  EXPECT_EQ(g.m->eventCount, kMaxTrackEvents);
}

TEST(RhythmCells, ARowKeyAboveANoteIsRefused) {
  const Events before = Track({Note(kSnare, 120)});
  Grid g(before);
  g.song.ctx.rhythm[0].key = 0xFD;  // would be written as a measure end
  for (char typed : {'5', '0'}) {
    const EditResult r = TypeRhythmCell(*g.m, g.song.ctx, typed);
    EXPECT_EQ(r.status, EditStatus::Refused);
    EXPECT_TRUE(r.beep);
  }
  EXPECT_EQ(InsertRhythmRest(*g.m, g.song.ctx).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(g.Read(), before));
}

TEST(RhythmCells, IPutsARestColumnInFrontOfTheCaretColumn) {
  Grid g(Track({Note(kSnare, 120), Note(kSnare, 120)}));
  g.song.ctx.timeBase = 240;
  g.Caret(1);
  const EditResult r = InsertRhythmRest(*g.m, g.song.ctx);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_FALSE(r.rightArrow);  // the caret stays on the new column
  EXPECT_TRUE(SameBytes(g.Read(), Track({Note(kSnare, 120), Note(kKick, 60, 0, 0), Note(kSnare, 120)})));
  EXPECT_EQ(g.m->lineCount, 4);
  EXPECT_EQ(LineEvent(*g.m, CaretLine(*g.m)), 1);
}

TEST(RhythmCells, DeleteRemovesTheColumnsFirstEvent) {
  Grid g(Track({Note(kSnare, 120), Note(kSnare, 0, 40, 90), Note(kKick, 120), Note(kSnare, 120)}));
  g.Caret(1);
  EditResult r = DeleteRhythmColumnHead(*g.m, g.song.ctx);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_FALSE(r.renumberRefs);
  EXPECT_TRUE(SameBytes(g.Read(), Track({Note(kSnare, 120), Note(kKick, 120), Note(kSnare, 120)})));
  EXPECT_EQ(g.m->eventCount, 3);
  EXPECT_EQ(g.m->lineCount, 4);

  // Again: the column's only event goes with it.
  ASSERT_EQ(DeleteRhythmColumnHead(*g.m, g.song.ctx).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(g.Read(), Track({Note(kSnare, 120), Note(kSnare, 120)})));
  EXPECT_EQ(g.m->lineCount, 3);
}

TEST(RhythmCells, DeleteLeavesTheEndEventAndTheGapState) {
  const Events before = Track({Note(kSnare, 120)});
  Grid g(before);
  g.Caret(1);  // the end event's column
  EXPECT_EQ(DeleteRhythmColumnHead(*g.m, g.song.ctx).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(g.Read(), before));

  Grid gap(Track({Note(kSnare, 120), Note(kKick, 120)}));
  gap.Caret(1);
  ASSERT_TRUE(OpenInsertGap(*gap.m, gap.song.ctx, gap.m->topLine));
  gap.Caret(0);
  EXPECT_EQ(DeleteRhythmColumnHead(*gap.m, gap.song.ctx).status, EditStatus::Refused);
  ASSERT_TRUE(CloseInsertGap(*gap.m, gap.song.ctx));
  EXPECT_TRUE(SameBytes(gap.Read(), Track({Note(kSnare, 120), Note(kKick, 120)})));
}

TEST(RhythmCells, DeleteTakesAMemoWithItsTextAndRenumbersAfterAMark) {
  Events track = {Note(kSnare, 120)};
  const Events memo = Memo();
  track.insert(track.end(), memo.begin(), memo.end());
  track.push_back(Note(kKick, 120));
  track.push_back(EndEvent());
  Grid g(track);
  g.Caret(1);
  ASSERT_EQ(DeleteRhythmColumnHead(*g.m, g.song.ctx).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(g.Read(), Track({Note(kSnare, 120), Note(kKick, 120)})));

  // Dropping a measure end moves the measure a reference names.
  Grid marks(Track({Note(kSnare, 120), MeasureEnd(), Note(kSnare, 120), MeasureEnd(), Ev(0xFC, 0, 1, 50)}));
  marks.Caret(1);
  const EditResult r = DeleteRhythmColumnHead(*marks.m, marks.song.ctx);
  EXPECT_TRUE(r.renumberRefs);
  EXPECT_TRUE(SameBytes(marks.Read(), Track({Note(kSnare, 120), Note(kSnare, 120), MeasureEnd(), Ev(0xFC, 0, 1, 51)})));
}

TEST(RhythmCells, CommitAStoresTheColumnStep) {
  struct Case {
    const char* name;
    Events before;
    int line;
    const char* text;
    Events after;
    const char* shown;
  };
  const Case cases[] = {
      {"zero gives one", Track({Note(kSnare, 120), Note(kKick, 0), Note(kSnare, 120)}), 1, "0",
       Track({Note(kSnare, 120), Note(kKick, 0), Note(kSnare, 1)}), "1"},
      {"digits only", Track({Note(kSnare, 120), Note(kSnare, 120)}), 1, "2x5 0",
       Track({Note(kSnare, 120), Note(kSnare, 250)}), "250"},
      {"at most 9,999", Track({Note(kSnare, 120)}), 0, "123456", Track({Note(kSnare, 9999)}), "9999"},
      {"repeat end keeps zero", Track({Note(kSnare, 120), Ev(0xF8, 0, 30, 2)}), 1, "0",
       Track({Note(kSnare, 120), Ev(0xF8, 0, 0, 2)}), "0"},
      // The reference shows measure n and stores n - 1, pointed at its first event.
      {"reference less one", Track({Note(kSnare, 120), MeasureEnd(), Ev(0xFC, 0, 3, 0), Note(kSnare, 120)}), 2, "1",
       Track({Note(kSnare, 120), MeasureEnd(), Ev(0xFC, 0, 0, 48), Note(kSnare, 120)}), "1"},
      {"reference of zero", Track({Ev(0xFC, 0, 3, 0)}), 0, "0", Track({Ev(0xFC, 0, 0, 48)}), "1"},
      // A track exclusive heads its column and holds the step itself.
      {"track exclusive", Track({Ev(0x98, 0, 100, 0), Ev(0xF7, 0xF0, 0x4341, 0xF7F7), Note(kSnare, 120)}), 0, "48",
       Track({Ev(0x98, 0, 48, 0), Ev(0xF7, 0xF0, 0x4341, 0xF7F7), Note(kSnare, 120)}), "48"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Grid g(c.before);
    g.Caret(c.line);
    const RhythmCommit r = CommitRhythmField(*g.m, g.song.ctx, RhythmField::Step, c.text, 1);
    EXPECT_EQ(r.edit.status, EditStatus::Ok);
    EXPECT_TRUE(r.stored);
    EXPECT_EQ(r.edit.stateBits, 3u);
    EXPECT_TRUE(r.edit.indexRebuilt);
    EXPECT_STREQ(r.text, c.shown);
    EXPECT_STREQ(RhythmFieldsAtCaret(*g.m, g.song.ctx).a, c.shown);
    EXPECT_TRUE(SameBytes(g.Read(), c.after));
  }
}

TEST(RhythmCells, CommitAWithNothingToTakeItChangesNothing) {
  struct Case {
    const char* name;
    int line;
    const char* text;
  };
  const Case cases[] = {{"measure end", 1, "100"}, {"repeat start", 2, "100"}, {"end event", 4, "100"},
                        {"empty", 0, ""}, {"minus", 0, "-5"}};
  const Events before = Track({Note(kSnare, 120), MeasureEnd(), Ev(0xF9, 0, 0, 0), Note(kSnare, 120)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Grid g(before);
    g.Caret(c.line);
    const RhythmCommit r = CommitRhythmField(*g.m, g.song.ctx, RhythmField::Step, c.text, 1);
    EXPECT_EQ(r.edit.status, EditStatus::Refused);
    EXPECT_FALSE(r.stored);
    EXPECT_EQ(r.edit.stateBits, 0u);
    EXPECT_STREQ(r.text, "");
    EXPECT_TRUE(SameBytes(g.Read(), before));
  }
}

TEST(RhythmCells, CommitBAndCSetTheRowsNotesWithinTheirLimits) {
  struct Case {
    RhythmField field;
    const char* text;
    int followUp;
    StepEvent kick;
    const char* shown;
    bool repaint, invalidate;
  };
  const Case cases[] = {
      {RhythmField::Gate, "12000", 1, Note(kKick, 120, 9999, 100), "9999", false, false},
      {RhythmField::Gate, "0", 0, Note(kKick, 120, 0, 100), "", false, false},
      {RhythmField::Velocity, "300", 1, Note(kKick, 120, 10, 127), "127", true, false},
      {RhythmField::Velocity, " 45", 2, Note(kKick, 120, 10, 45), "", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Grid g(Track({Note(kKick, 0), Note(kSnare, 0, 7, 7), Note(kKick, 120), Note(kKick, 120)}));
    const RhythmCommit r = CommitRhythmField(*g.m, g.song.ctx, c.field, c.text, c.followUp);
    EXPECT_EQ(r.edit.status, EditStatus::Ok);
    EXPECT_EQ(r.edit.stateBits, 1u);
    EXPECT_STREQ(r.text, c.shown);
    EXPECT_EQ(r.repaintGrid, c.repaint);
    EXPECT_EQ(r.invalidateCell, c.invalidate);
    StepEvent first = c.kick;
    first.step = 0;
    // Both kicks of the caret column, not the snare nor the next column.
    EXPECT_TRUE(SameBytes(g.Read(), Track({first, Note(kSnare, 0, 7, 7), c.kick, Note(kKick, 120)})));
  }
}

TEST(RhythmCells, CommitBAndCWithoutANoteOrWithAMinusChangeNothing) {
  const Events before = Track({Note(kSnare, 120), Note(kKick, 120)});
  struct Case {
    int line;
    const char* text;
  };
  for (const Case& c : {Case{0, "50"}, Case{1, "-"}, Case{1, ""}}) {
    for (RhythmField field : {RhythmField::Gate, RhythmField::Velocity}) {
      SCOPED_TRACE(testing::Message() << c.line << " '" << c.text << "'");
      Grid g(before);
      g.Caret(c.line);
      const RhythmCommit r = CommitRhythmField(*g.m, g.song.ctx, field, c.text, 1);
      EXPECT_EQ(r.edit.status, EditStatus::Refused);
      EXPECT_FALSE(r.stored);
      EXPECT_TRUE(SameBytes(g.Read(), before));
    }
  }
}

TEST(RhythmCells, FieldsShowTheCellAndTheMeasureAroundIt) {
  // Measure 1 is 480 ticks in three columns, then the measure end.
  Grid g(Track({Note(kKick, 120, 11, 99), Note(kSnare, 0), Note(kKick, 240, 22, 88), Note(kSnare, 120), MeasureEnd(),
                Note(kKick, 60), Ev(0xFC, 0, 0, 48), Ev(0xF5, 0, 2, 0), Note(kSnare, 90)}));
  struct Case {
    int line;
    const char *a, *b, *c, *d, *e;
  };
  const Case cases[] = {
      {0, "120", "11", "99", "0", "480"},    {1, "240", "22", "88", "120", "360"},
      {2, "120", " ---", "---", "360", "120"}, {3, "480", " ---", "---", "480", "0"},  // the measure end
      {4, "60", "10", "100", "0", "60"},      {5, "1", " ---", "---", "60", "0"},     // a reference: measure 1
      {6, "90", " ---", "---", "0", "90"},    {7, "0", " ---", "---", "90", "0"},     // a key event's column; the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    g.Caret(c.line);
    const RhythmFields f = RhythmFieldsAtCaret(*g.m, g.song.ctx);
    EXPECT_STREQ(f.a, c.a);
    EXPECT_STREQ(f.b, c.b);
    EXPECT_STREQ(f.c, c.c);
    EXPECT_STREQ(f.d, c.d);
    EXPECT_STREQ(f.e, c.e);
  }
  EXPECT_EQ(g.m->lineCount, 8);
}

TEST(RhythmCells, FieldAShowsNoStepOfAContinuationsText) {
  // A step-0 note with a memo before a measure end: the column ends in text.
  Events track = {Note(kSnare, 0)};
  const Events memo = Memo();
  track.insert(track.end(), memo.begin(), memo.end());
  track.push_back(MeasureEnd());
  track.push_back(EndEvent());
  Grid g(track);
  EXPECT_STREQ(RhythmFieldsAtCaret(*g.m, g.song.ctx).a, "0");
  EXPECT_FALSE(CommitRhythmField(*g.m, g.song.ctx, RhythmField::Step, "100", 0).stored);
  EXPECT_TRUE(SameBytes(g.Read(), track));
}

TEST(RhythmCells, HomeTogglesTheRowFlagsOnlyWithASelection) {
  Grid g(Track({Note(kSnare, 120)}));
  uint8_t* flags = g.song.shared.rhythmRowFlags;
  auto count = [&] { return std::count(flags, flags + 128, uint8_t{1}); };
  flags[5] = 1;

  EXPECT_EQ(RhythmHomeKey(*g.m, g.song.ctx), RhythmKeyFollow::PassOn);
  EXPECT_EQ(count(), 1);  // left alone

  g.m->selFrom = 0;
  g.m->selTo = 0;
  g.m->caretRow = 4;  // record 3
  EXPECT_EQ(RhythmHomeKey(*g.m, g.song.ctx), RhythmKeyFollow::Taken);
  EXPECT_EQ(count(), 128);
  EXPECT_EQ(RhythmHomeKey(*g.m, g.song.ctx), RhythmKeyFollow::Taken);
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(flags[3], 1);
  EXPECT_EQ(RhythmHomeKey(*g.m, g.song.ctx), RhythmKeyFollow::Taken);
  EXPECT_EQ(count(), 128);
}

TEST(RhythmCells, RowFlagCharacters) {
  Grid g(Track({Note(kSnare, 120)}));
  uint8_t* flags = g.song.shared.rhythmRowFlags;
  auto count = [&] { return std::count(flags, flags + 128, uint8_t{1}); };

  for (char typed : {'K', 'k'}) {
    std::fill(flags, flags + 128, uint8_t{0});
    EXPECT_EQ(RhythmRowFlagChar(*g.m, g.song.ctx, typed), RhythmKeyFollow::Taken);
    EXPECT_EQ(count(), 128);
  }
  g.m->rhythmKeyScroll = 126;
  g.m->caretRow = 4;  // record 1
  for (char typed : {'H', 'h', 'V', 'v', 'X', 'x', 'Z', 'z'}) {
    SCOPED_TRACE(typed);
    SetAllRhythmRowFlags(g.song.shared);
    g.m->selFrom = g.m->selTo = -1;
    EXPECT_EQ(RhythmRowFlagChar(*g.m, g.song.ctx, typed), RhythmKeyFollow::PassOn);
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(flags[1], 1);
    // With a selection the flags stay as they are.
    SetAllRhythmRowFlags(g.song.shared);
    g.m->selFrom = g.m->selTo = 0;
    EXPECT_EQ(RhythmRowFlagChar(*g.m, g.song.ctx, typed), RhythmKeyFollow::PassOn);
    EXPECT_EQ(count(), 128);
  }
  g.m->selFrom = g.m->selTo = -1;
  EXPECT_EQ(RhythmRowFlagChar(*g.m, g.song.ctx, 'Q'), RhythmKeyFollow::PassOn);
  EXPECT_EQ(count(), 128);
}

}  // namespace
