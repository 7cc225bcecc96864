#include "rhythmrows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

constexpr uint8_t kKick = 36;
constexpr uint8_t kSnare = 38;

StepEvent Rest(uint16_t step, uint8_t vel) { return Ev(60, vel, step, 0); }

void Select(StepEditModel& m, int32_t from, int32_t to) {
  m.selFrom = from;
  m.selTo = to;
}

// Track 1 on the grid with the kick in row 0 and the snare in row 1, those
// two rows flagged.
struct Grid {
  explicit Grid(const Events& events) {
    song.SetTrack(1, events);
    m = &song.Open(1, true);
    song.ctx.rhythm[0].key = kKick;
    song.ctx.rhythm[1].key = kSnare;
    song.ctx.rhythm[2].key = 42;
    song.shared.rhythmRowFlags[0] = 1;
    song.shared.rhythmRowFlags[1] = 1;
  }
  ModelSong song;
  StepEditModel* m;
};

TEST(RhythmRowErase, TwoRowsWithCompressionStayInsideTheRange) {
  // The range is the first four notes; the snare after it must stay.
  Grid g(Track({Note(kKick, 120), Note(kSnare, 120), Note(kKick, 120), Note(kSnare, 120), Note(kSnare, 120),
                Note(kKick, 120)}));
  Select(*g.m, 0, 3);
  EraseFilter working{EventFilter{kFilterTempo, 0, 127}, 1};
  EditResult r = EraseRhythmRows(*g.m, g.song.ctx, working, false, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  // Kick: the first has nothing before it and stays as a rest, the second
  // folds into the snare; snare: both fold into that rest.
  EXPECT_TRUE(SameBytes(g.song.Read(1), Track({Rest(480, 64), Note(kSnare, 120), Note(kKick, 120)})));
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_EQ(working.filter.mask, kFilterNotes);
  EXPECT_EQ(working.filter.lowKey, kSnare);
  EXPECT_EQ(working.filter.highKey, kSnare);
  EXPECT_EQ(g.m->selFrom, 0);
  EXPECT_EQ(g.m->selTo, 0);
}

TEST(RhythmRowErase, RowsWithRestsAndUnflaggedOrImpossibleRows) {
  Grid g(Track({Note(kKick, 120), Note(42, 0), Note(kSnare, 120), Note(kKick, 120)}));
  g.song.shared.rhythmRowFlags[0] = 0;
  g.song.shared.rhythmRowFlags[5] = 1;
  g.song.ctx.rhythm[5].key = 200;  // no note has it
  Select(*g.m, 3, 0);
  EraseFilter working{EventFilter{}, 1};
  // Ctrl: rests, and the choice stays for the rows after.
  EditResult r = EraseRhythmRows(*g.m, g.song.ctx, working, true, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(g.song.Read(1), Track({Note(kKick, 120), Note(42, 0), Rest(120, 0), Note(kKick, 120)})));
  EXPECT_EQ(r.stateBits, kStateModified);
  EXPECT_EQ(working.stCompress, 0u);
  EXPECT_EQ(working.filter.lowKey, kSnare);
}

TEST(RhythmRowErase, RefusedWithoutASelectionOrAFlaggedRow) {
  const Events before = Track({Note(kKick, 120), Note(kSnare, 120)});
  Grid g(before);
  EraseFilter working{EventFilter{}, 1};
  EXPECT_EQ(EraseRhythmRows(*g.m, g.song.ctx, working, false, false).status, EditStatus::Refused);
  Select(*g.m, 0, 1);
  std::memset(g.song.shared.rhythmRowFlags, 0, sizeof g.song.shared.rhythmRowFlags);
  EXPECT_EQ(EraseRhythmRows(*g.m, g.song.ctx, working, false, false).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(g.song.Read(1), before));
}

TEST(RhythmRowErase, RowsStopOnceNothingOfTheRangeIsLeft) {
  Grid g(Track({Note(48, 120), Note(kKick, 120), Note(kSnare, 120)}));
  Select(*g.m, 1, 1);
  EraseFilter working{EventFilter{}, 1};
  EditResult r = EraseRhythmRows(*g.m, g.song.ctx, working, false, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  // The snare row never ran: the snare lay after the range.
  EXPECT_TRUE(SameBytes(g.song.Read(1), Track({Note(48, 240), Note(kSnare, 120)})));
  EXPECT_EQ(working.filter.lowKey, kKick);
  EXPECT_EQ(g.m->selFrom, -1);
}

// ---- instrument row move ----

void Name(RhythmRecord (&records)[kRhythmEntries]) {
  for (int i = 0; i < kRhythmEntries; ++i) {
    std::memset(records[i].name, ' ', sizeof records[i].name);
    records[i].key = static_cast<uint8_t>(i);
    records[i].gate = static_cast<uint8_t>(i + 1);
  }
}

std::string Keys(const RhythmRecord (&records)[kRhythmEntries], int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s += std::to_string(records[i].key) + " ";
  return s;
}

TEST(RhythmRowMove, TheDraggedRecordLandsOnTheTargetIndex) {
  RhythmRecord records[kRhythmEntries];
  Name(records);
  EXPECT_TRUE(MoveRhythmRecord(records, 2, 5));
  EXPECT_EQ(Keys(records, 0, 7), "0 1 3 4 5 2 6 7 ");
  EXPECT_EQ(records[5].gate, 3);
  EXPECT_TRUE(MoveRhythmRecord(records, 5, 2));
  EXPECT_EQ(Keys(records, 0, 7), "0 1 2 3 4 5 6 7 ");
  EXPECT_TRUE(MoveRhythmRecord(records, 127, 0));
  EXPECT_EQ(Keys(records, 0, 2), "127 0 1 ");
  EXPECT_EQ(records[127].key, 126);
  for (auto [dragged, target] : std::initializer_list<std::pair<int, int>>{{4, 4}, {-1, 3}, {3, 128}}) {
    RhythmRecord copy[kRhythmEntries];
    std::memcpy(copy, records, sizeof copy);
    EXPECT_FALSE(MoveRhythmRecord(records, dragged, target));
    EXPECT_EQ(std::memcmp(copy, records, sizeof copy), 0);
  }
}

TEST(RhythmRowMove, ADropOnAShownRowMovesTheRecordAndTheCaret) {
  ModelSong song;
  song.SetTrack(1, Track({Note(kKick, 120)}));
  StepEditModel& m = song.Open(1, true);
  RhythmRecord records[kRhythmEntries];
  Name(records);
  m.rhythmKeyScroll = 126;
  m.caretRow = 1;
  // Row 4 shows record (126 + 3) AND 127 = 1.
  EditResult r = DropRhythmRow(m, records, 126, 4);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(m.caretRow, 4);
  EXPECT_EQ(Keys(records, 0, 2), "0 126 1 ");
  EXPECT_EQ(records[127].key, 127);
  r = DropRhythmRow(m, records, 1, 2);  // row 2 shows record 127
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(records[127].key, 126);
  EXPECT_EQ(m.caretRow, 2);
  // Its own row, or no row: nothing moves.
  m.caretRow = 1;
  EXPECT_EQ(DropRhythmRow(m, records, 127, 2).status, EditStatus::Refused);
  EXPECT_EQ(DropRhythmRow(m, records, 3, 0).status, EditStatus::Refused);
  EXPECT_EQ(m.caretRow, 1);
}

// ---- the key assignment dialog's rows ----

struct FieldCase {
  const char* text;
  int key;
  int gate;
};

TEST(RhythmAssignStore, KeyAndGateAreHeldToWhatTheRecordCanHold) {
  const FieldCase cases[] = {
      {" 36", 36, 36},   {"127", 127, 127},  {"128", 127, 128},    {"300", 127, 255},
      {"999", 127, 255}, {"99999999999", 127, 255}, {"", 0, 0},   {"abc", 0, 0},
      {"-5", 0, 0},      {"12x", 0, 0},      {" 12 ", 12, 12},    {"0", 0, 0},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.text);
    const RhythmRecord r = RhythmRecordFromRow({c.text, c.text, "Kick"});
    EXPECT_EQ(r.key, c.key);
    EXPECT_EQ(r.gate, c.gate);
  }
}

TEST(RhythmAssignStore, NamesAreCutOrPaddedTo14Bytes) {
  RhythmRecord r = RhythmRecordFromRow({"36", "5", "Kick"});
  EXPECT_EQ(std::string(r.name, 14), "Kick          ");
  r = RhythmRecordFromRow({"36", "5", "A name of more than 14"});
  EXPECT_EQ(std::string(r.name, 14), "A name of more");
  r = RhythmRecordFromRow({"36", "5", ""});
  EXPECT_EQ(std::string(r.name, 14), "              ");
  // A double-byte character across the 14th byte is not cut in half.
  r = RhythmRecordFromRow({"36", "5", "Bass drum 1 \x83\x58\x83\x58"});
  EXPECT_EQ(std::string(r.name, 14), "Bass drum 1 \x83\x58");
  r = RhythmRecordFromRow({"36", "5", "Bass drum 12 \x83\x58"});
  EXPECT_EQ(std::string(r.name, 14), "Bass drum 12  ");
  // A trail byte that looks like a lead byte is still a trail byte.
  r = RhythmRecordFromRow({"36", "5", "Snar\x83\x81\x83\x81\x83\x81\x83\x81\x83\x81X"});
  EXPECT_EQ(std::string(r.name, 14), "Snar\x83\x81\x83\x81\x83\x81\x83\x81\x83\x81");
}

TEST(RhythmAssignStore, TheShownRowsGoToTheirRecords) {
  RhythmRecord working[kRhythmEntries];
  Name(working);
  RhythmRecord before[kRhythmEntries];
  std::memcpy(before, working, sizeof before);
  RhythmRowText rows[kRhythmRows];
  const std::string names[kRhythmRows] = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7"};
  for (int i = 0; i < kRhythmRows; ++i) rows[i] = RhythmRowText{"60", "300", names[i]};
  StoreRhythmAssignRows(working, 200, rows);  // held to the last page
  for (int i = 0; i < kRhythmEntries; ++i) {
    SCOPED_TRACE(i);
    if (i < 120) {
      EXPECT_EQ(std::memcmp(&working[i], &before[i], sizeof working[i]), 0);
      continue;
    }
    EXPECT_EQ(working[i].key, 60);
    EXPECT_EQ(working[i].gate, 255);
    EXPECT_EQ(std::string(working[i].name, 2), names[i - 120]);
  }
  StoreRhythmAssignRows(working, 3, rows);
  EXPECT_EQ(std::string(working[3].name, 2), "r0");
  EXPECT_EQ(std::string(working[10].name, 2), "r7");
  EXPECT_EQ(working[11].key, 11);
}

}  // namespace
