#include "searcherase.h"

#include <gtest/gtest.h>

#include <vector>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

constexpr uint8_t kRestKey = 60;

StepEvent Rest(uint16_t step, uint8_t vel) { return Ev(kRestKey, vel, step, 0); }
StepEvent Control(uint8_t value, uint16_t controller, uint16_t step = 0) { return Ev(0xEB, value, step, controller); }
// A command whose text runs on in two continuations.
Events WithText(StepEvent head) { return {head, Ev(0xF7, 'a', 0x6362, 0x6564), Ev(0xF7, 'f', 0, 0)}; }

void Select(StepEditModel& m, int32_t from, int32_t to) {
  m.selFrom = from;
  m.selTo = to;
}

void CaretOnLine(StepEditModel& m, int32_t line) {
  m.topLine = line;
  m.caretRow = 1;
}

EventFilter Only(uint32_t mask, int low = 0, int high = 127) { return EventFilter{mask, low, high}; }

Events Join(std::initializer_list<Events> parts) {
  Events all;
  for (const Events& p : parts) all.insert(all.end(), p.begin(), p.end());
  all.push_back(EndEvent());
  return all;
}

// ---- search ----

TEST(SearchStep, ForwardStartsAfterTheCaretLineAndEndsOnTheEndLine) {
  ModelSong song;
  const Events before = Track({Control(100, 7), Note(60, 120), Control(90, 7), MeasureEnd(), Note(62, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  const EventFilter volume = Only(kFilterVolume);

  // The caret line's own event is not a hit.
  EditResult r = SearchStepForward(m, song.ctx, volume);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.messageId, 0u);
  EXPECT_EQ(m.topLine, 2);
  EXPECT_EQ(m.caretRow, 1);

  r = SearchStepForward(m, song.ctx, volume);  // no further hit
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(m.topLine, LineOfEvent(m, m.eventCount));
  EXPECT_EQ(m.topLine, 5);

  r = SearchStepForward(m, song.ctx, volume);  // from the end line it stays there
  EXPECT_EQ(m.topLine, 5);
  EXPECT_EQ(r.stateBits, 0u);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(SearchStep, ForwardFromARowBelowTheTopAndOverContinuations) {
  ModelSong song;
  // The memo's continuations share its line: the line after it is the note.
  song.SetTrack(1, Join({{Note(60, 120)}, WithText(Ev(0xF6, 'x', 0, 0)), {Note(61, 0), Note(62, 120)}}));
  StepEditModel& m = song.Open(1);
  m.topLine = 0;
  m.caretRow = 2;  // the memo's line
  EditResult r = SearchStepForward(m, song.ctx, Only(kFilterNotes, 62, 62));
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(m.topLine, LineOfEvent(m, 5));
  EXPECT_EQ(m.topLine, 3);
  EXPECT_EQ(m.caretRow, 1);
}

TEST(SearchStep, BackwardFindsTheNearestEarlierHitAndStaysOnTheFirstLine) {
  ModelSong song;
  const Events before = Track({Control(100, 7), Note(60, 120), Control(90, 7), Note(62, 120), Note(64, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  const EventFilter volume = Only(kFilterVolume);

  CaretOnLine(m, 0);
  m.caretRow = 5;  // line 4
  SearchStepBackward(m, song.ctx, volume);
  EXPECT_EQ(m.topLine, 2);
  EXPECT_EQ(m.caretRow, 1);
  SearchStepBackward(m, song.ctx, volume);
  EXPECT_EQ(m.topLine, 0);
  // From the first line: the first event is looked at and the caret stays.
  EditResult r = SearchStepBackward(m, song.ctx, volume);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(m.topLine, 0);
  EXPECT_EQ(m.caretRow, 1);
  // No hit at all: the first line.
  CaretOnLine(m, 4);
  SearchStepBackward(m, song.ctx, Only(kFilterTempo));
  EXPECT_EQ(m.topLine, 0);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(SearchStep, RhythmGridPutsTheHitsColumnFirst) {
  ModelSong song;
  song.SetTrack(1, Track({Note(36, 120), Note(38, 120), Note(36, 0), Note(42, 120), MeasureEnd(), Note(38, 120)}));
  StepEditModel& m = song.Open(1, true);
  m.caretColumn = kRhythmFirstColumn;
  SearchStepForward(m, song.ctx, Only(kFilterNotes, 42, 42));
  EXPECT_EQ(m.topLine, LineOfEvent(m, 3));
  EXPECT_EQ(m.topLine, 2);  // columns: {36}, {38}, {36 42}, ...
  EXPECT_EQ(m.caretColumn, kRhythmFirstColumn);
  m.caretColumn = kRhythmFirstColumn + 2;  // one column on
  SearchStepBackward(m, song.ctx, Only(kFilterNotes, 38, 38));
  EXPECT_EQ(m.topLine, 1);
  EXPECT_EQ(m.caretColumn, kRhythmFirstColumn);
}

struct Log {
  std::vector<SearchHit> hits;
  std::vector<std::pair<int32_t, int32_t>> progress;
  size_t room = 1000;
  SearchLogSink sink() {
    SearchLogSink s;
    s.add = [this](const SearchHit& h) {
      if (hits.size() >= room) return false;
      hits.push_back(h);
      return true;
    };
    s.progress = [this](int32_t i, int32_t n) { progress.emplace_back(i, n); };
    return s;
  }
};

TEST(SearchStep, TheLogTakesEveryHitWithItsPositionAndTheCaretStays) {
  ModelSong song;
  // The first note overlaps the next of its key: its step word has bit 15.
  song.SetTrack(2, Track({Note(60, 10, 100), Note(60, 10, 5), Control(1, 7), MeasureEnd(), Note(64, 0),
                          Note(65, 120)}));
  StepEditModel& m = song.Open(2);
  Log log;
  const SearchLogSink sink = log.sink();
  // The caret line's event is passed over here as without the log.
  EditResult r = SearchStepForward(m, song.ctx, Only(kFilterNotes), &sink);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.messageId, 0u);
  ASSERT_EQ(log.hits.size(), 3u);
  EXPECT_EQ(log.hits[0].track, 1);
  EXPECT_EQ(log.hits[0].measure, 0);
  EXPECT_EQ(log.hits[0].event, 1);
  EXPECT_EQ(log.hits[0].stepWord, 2);
  EXPECT_EQ(log.hits[1].event, 4);
  EXPECT_EQ(log.hits[1].measure, 1);
  EXPECT_EQ(log.hits[1].stepWord, 1);
  EXPECT_EQ(log.hits[2].event, 5);
  EXPECT_EQ(log.hits[2].stepWord, 1);  // after a note of step 0
  ASSERT_EQ(log.progress.size(), 3u);
  EXPECT_EQ(log.progress[1], std::make_pair(4, 6));
  EXPECT_EQ(m.topLine, 0);
  EXPECT_EQ(m.caretRow, 1);

  // The overlapping note's flag shows in its step word.
  Log all;
  const SearchLogSink allSink = all.sink();
  song.SetTrack(3, Track({MeasureEnd(), Note(60, 10, 100), Note(60, 10, 5)}));
  StepEditModel& m3 = song.Open(3);
  SearchStepForward(m3, song.ctx, Only(kFilterNotes), &allSink);
  ASSERT_EQ(all.hits.size(), 2u);
  EXPECT_EQ(all.hits[0].stepWord, kOverlapBit | 1);
  EXPECT_EQ(all.hits[0].measure, 1);
  EXPECT_EQ(all.hits[0].track, 2);
  EXPECT_EQ(all.hits[1].stepWord, 2);
}

TEST(SearchStep, AFullLogStopsWithTheStopMessageAndKeepsTheHitsSoFar) {
  ModelSong song;
  const Events before = NotesTrack(10);
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  m.caretRow = 3;  // line 2
  Log log;
  log.room = 4;
  const SearchLogSink sink = log.sink();
  EditResult r = SearchStepForward(m, song.ctx, Only(kFilterNotes), &sink);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.messageId, kSearchLogFullMessageId);
  EXPECT_EQ(r.messageStyle & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
  ASSERT_EQ(log.hits.size(), 4u);
  EXPECT_EQ(log.hits.front().event, 3);
  EXPECT_EQ(log.hits.back().event, 6);
  EXPECT_EQ(log.progress.size(), 5u);  // the refused hit was reached too
  EXPECT_EQ(m.caretRow, 3);
  EXPECT_EQ(m.topLine, 0);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

// One event of every class, in command order of the single-class searches.
struct ClassCase {
  int command;
  int32_t event;  // the event the search finds
};

TEST(SearchStep, ByClassFindsTheEventOfEachClass) {
  ModelSong song;
  song.SetTrack(1, Join({{MeasureEnd(), Note(61, 120), Control(5, 20), Ev(0xEE, 64, 0, 0), Control(5, 7),
                          Control(5, 1), Control(5, 11), Ev(0xEA, 0, 0, 30), Ev(0xE7, 64, 0, 120),
                          Ev(0xEC, 5, 0, 0), Control(0, 64), Ev(0xED, 60, 0, 9), Ev(0xE6, 2, 0, 0),
                          Ev(0xDD, 0, 0, 0), Ev(0xD1, 0, 0, 0), Ev(0x93, 0, 0, 0)},
                         WithText(Ev(0x99, 0, 0, 0)),    // 16: MCI
                         WithText(Ev(0x99, 0, 0, 1)),    // 19: command line
                         WithText(Ev(0xF6, 'm', 0, 0)),  // 22: memo
                         WithText(Ev(0x98, 0, 0, 0))}));  // 25: track exclusive
  StepEditModel& m = song.Open(1);
  const ClassCase cases[] = {{2126, 1},  {2128, 2},  {2129, 3},  {2130, 4},  {2131, 5},
                             {2132, 6},  {2133, 7},  {2134, 8},  {2135, 9},  {2136, 10},
                             {2137, 11}, {2138, 12}, {2139, 13}, {2140, 14}, {2141, 15},
                             {2142, 16}, {2143, 19}, {2144, 22}, {2145, 25}};
  for (const ClassCase& c : cases) {
    SCOPED_TRACE(c.command);
    CaretOnLine(m, 0);
    EventFilter search = Only(0x0DFF);
    EditResult r = SearchStepByClass(m, song.ctx, c.command, search);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(search.mask, SearchCommandClass(c.command));
    EXPECT_NE(search.mask, 0u);
    EXPECT_EQ(m.topLine, LineOfEvent(m, c.event));
  }
  EventFilter search = Only(kFilterTempo, 3, 4);
  EXPECT_EQ(SearchStepByClass(m, song.ctx, 2127, search).status, EditStatus::Refused);
  EXPECT_EQ(SearchStepByClass(m, song.ctx, 2146, search).status, EditStatus::Refused);
  EXPECT_EQ(search.mask, kFilterTempo);
  EXPECT_EQ(search.lowKey, 3);
}

TEST(SearchStep, ClassesNoEventHasEndOnTheEndLine) {
  ModelSong song;
  const Events before = Track({Note(60, 120), MeasureEnd(), Note(62, 120), Rest(120, 0)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  for (int command = 2128; command <= 2145; ++command) {
    SCOPED_TRACE(command);
    CaretOnLine(m, 0);
    EventFilter search;
    SearchStepByClass(m, song.ctx, command, search);
    EXPECT_EQ(m.topLine, 4);  // the end event's line
  }
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(SearchStep, TheNoteSearchTakesTheKeysOfTheKeyDialog) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(40, 120), Note(90, 120), Note(70, 120)}));
  StepEditModel& m = song.Open(1);
  EventFilter search = Only(kFilterTempo, 10, 20);
  const KeyRange keys{65, 200};
  SearchStepByClass(m, song.ctx, 2126, search, &keys);
  EXPECT_EQ(search.mask, kFilterNotes);
  EXPECT_EQ(search.lowKey, 65);
  EXPECT_EQ(search.highKey, 127);
  EXPECT_EQ(m.topLine, 2);
  // Without keys the filter's own stay: low above high takes the outside.
  search.lowKey = 80;
  search.highKey = 50;
  CaretOnLine(m, 0);
  SearchStepByClass(m, song.ctx, 2126, search);
  EXPECT_EQ(search.lowKey, 80);
  EXPECT_EQ(m.topLine, 1);
}

// ---- erase: filter preparation ----

TEST(EraseFilterPrep, SingleClassCommandsSetTheirBitAndCaption) {
  for (int command = 2104; command <= 2123; ++command) {
    SCOPED_TRACE(command);
    EXPECT_EQ(EraseCommandClass(command), SearchCommandClass(command + 22));
    EraseFilter working{Only(0x0DFF, 5, 6), 1};
    const ErasePlan plan = PrepareEraseFilter(command, false, working);
    if (command == 2105) {
      EXPECT_FALSE(plan.go);
      EXPECT_EQ(working.filter.mask, 0x0DFFu);
      continue;
    }
    EXPECT_TRUE(plan.go);
    EXPECT_FALSE(plan.askRange);
    EXPECT_FALSE(plan.settingsDialog);
    EXPECT_EQ(working.filter.mask, EraseCommandClass(command));
    EXPECT_EQ(working.filter.lowKey, 5);
    EXPECT_EQ(working.stCompress, 1u);
    EXPECT_EQ(plan.askKeys, command == 2104);
    const ErasePlan asked = PrepareEraseFilter(command, true, working);
    EXPECT_TRUE(asked.askRange);
    EXPECT_EQ(asked.captionId, 75u + (command - 2104));
  }
  EraseFilter working;
  const ErasePlan note = PrepareEraseFilter(2104, false, working);
  EXPECT_EQ(note.keysCaptionId, kEraseKeysCaptionId);
  ApplyEraseKeys(working, KeyRange{-4, 300});
  EXPECT_EQ(working.filter.lowKey, 0);
  EXPECT_EQ(working.filter.highKey, 127);
  EXPECT_EQ(working.filter.mask, kFilterNotes);
  EXPECT_EQ(EraseCommandClass(2124), 0u);
  EXPECT_FALSE(PrepareEraseFilter(2103, true, working).go);
}

TEST(EraseFilterPrep, SettingsCommandsKeepTheSettingsMask) {
  EraseFilter working{Only(kFilterPitchBend | kFilterMemo, 1, 2), 0};
  ErasePlan plan = PrepareEraseFilter(kEraseWithSettingsCommand, true, working);
  EXPECT_TRUE(plan.go);
  EXPECT_TRUE(plan.settingsDialog);
  EXPECT_TRUE(plan.askRange);
  EXPECT_EQ(plan.captionId, kEraseCaptionId);
  EXPECT_FALSE(plan.askKeys);
  plan = PrepareEraseFilter(kEraseStoredCommand, false, working);
  EXPECT_TRUE(plan.go);
  EXPECT_FALSE(plan.settingsDialog);
  EXPECT_FALSE(plan.askRange);
  EXPECT_EQ(working.filter.mask, kFilterPitchBend | kFilterMemo);
}

// ---- erase ----

EraseFilter Erase(uint32_t mask, bool compress, int low = 0, int high = 127) {
  return EraseFilter{Only(mask, low, high), compress ? 1u : 0u};
}

TEST(EraseStep, WithoutCompressionMatchesBecomeRestsAndTextGoes) {
  ModelSong song;
  song.SetTrack(1, Join({{Note(48, 30), Note(60, 120, 50, 90), Control(5, 7, 40), Note(61, 0)},
                         WithText(Ev(0xF6, 'm', 0, 0)),
                         WithText(Ev(0x98, 0, 15, 0)),
                         {MeasureEnd(), Note(62, 120)}}));
  StepEditModel& m = song.Open(1);
  Select(m, 1, 10);
  EraseFilter working = Erase(kFilterNotes | kFilterVolume | kFilterMemo | kFilterTrackExcl, false, 55, 70);
  EditResult r = EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(48, 30), Rest(120, 0), Rest(40, 0), Rest(0, 0), Rest(15, 0),
                                             MeasureEnd(), Note(62, 120)})));
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);  // events went
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_EQ(m.eventCount, 7);
  EXPECT_EQ(m.lineCount, 8);
  // What is left of the range stays selected.
  EXPECT_EQ(m.selFrom, 1);
  EXPECT_EQ(m.selTo, 5);
  EXPECT_EQ(working.stCompress, 0u);
}

TEST(EraseStep, RestsAloneSetOnlyTheModifiedBitAndNothingMatchedSetsNone) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 60)}));
  StepEditModel& m = song.Open(1);
  Select(m, 0, 1);
  EraseFilter working = Erase(kFilterNotes, false, 62, 62);
  EditResult r = EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(r.stateBits, kStateModified);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), Rest(60, 0)})));
  working.filter.mask = kFilterTempo;
  r = EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 0u);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), Rest(60, 0)})));
}

TEST(EraseStep, CompressionAfterAMeasureEndLeavesARestOfVelocity64) {
  ModelSong song;
  song.SetTrack(1, Track({Note(48, 120), MeasureEnd(), Note(60, 240), Note(50, 120)}));
  StepEditModel& m = song.Open(1);
  Select(m, 2, 2);
  EraseFilter working = Erase(kFilterNotes, true, 60, 60);
  EditResult r = EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(48, 120), MeasureEnd(), Rest(240, 64), Note(50, 120)})));
  EXPECT_EQ(r.stateBits, kStateModified);
}

TEST(EraseStep, CompressionFoldsBelow9999AndThenLeavesARest) {
  ModelSong song;
  song.SetTrack(1, Track({Note(48, 0), Note(60, 5000), Note(60, 5000), Note(50, 120)}));
  StepEditModel& m = song.Open(1);
  Select(m, 1, 2);
  EraseFilter working = Erase(kFilterNotes, true, 60, 60);
  EditResult r = EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(48, 5000), Rest(5000, 64), Note(50, 120)})));
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  // A sum of exactly 9,998 still folds.
  song.SetTrack(2, Track({Note(48, 4999), Note(60, 4999), Note(60, 0), Note(60, 1)}));
  StepEditModel& m2 = song.Open(2);
  Select(m2, 1, 3);
  EraseStepRange(m2, song.ctx, working, false, false);
  // 4,999 + 4,999 = 9,998 folds; the step-0 note goes; 9,998 + 1 is a rest.
  EXPECT_TRUE(SameBytes(song.Read(2), Track({Note(48, 9998), Rest(1, 64)})));
}

TEST(EraseStep, CompressionOfCommandsFoldsTheirStepsAndDropsTheirText) {
  ModelSong song;
  song.SetTrack(1, Join({{Control(5, 7, 30), Note(48, 100)},
                         {Control(5, 7, 20)},
                         WithText(Ev(0x99, 0, 7, 1)),        // its step is not time
                         WithText(Ev(0xF6, 'm', 0x3030, 0)),  // memo text, not a step
                         WithText(Ev(0x98, 0, 9, 0)),
                         {Note(50, 120)}}));
  StepEditModel& m = song.Open(1);
  Select(m, 0, 12);
  EraseFilter working = Erase(kFilterVolume | kFilterCommandLine | kFilterMemo | kFilterTrackExcl, true);
  EditResult r = EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  // The first command has nothing before it: a rest keeps its step.
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Rest(30, 64), Note(48, 129), Note(50, 120)})));
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  EXPECT_EQ(m.selTo, 2);
}

TEST(EraseStep, CtrlForcesRestsAndShiftCompressionAndTheChoiceStays) {
  ModelSong song;
  song.SetTrack(1, Track({Note(48, 120), Note(60, 120), Note(60, 120), Note(60, 120), Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  EraseFilter working = Erase(kFilterNotes, true, 60, 60);

  Select(m, 1, 1);
  EraseStepRange(m, song.ctx, working, true, false);  // Ctrl: rests
  EXPECT_EQ(working.stCompress, 0u);
  Select(m, 2, 2);
  EraseStepRange(m, song.ctx, working, false, false);  // still rests
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(48, 120), Rest(120, 0), Rest(120, 0), Note(60, 120),
                                             Note(60, 120)})));
  Select(m, 3, 3);
  EraseStepRange(m, song.ctx, working, false, true);  // Shift: folds into the rest before
  EXPECT_EQ(working.stCompress, 1u);
  Select(m, 3, 3);
  EraseStepRange(m, song.ctx, working, false, false);  // and keeps folding
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(48, 120), Rest(120, 0), Rest(360, 0)})));
  EXPECT_EQ(working.stCompress, 1u);
}

TEST(EraseStep, TextRunningPastTheRangesEndGoesWithItsHead) {
  for (bool compress : {false, true}) {
    SCOPED_TRACE(compress);
    ModelSong song;
    const Events text = WithText(Ev(0xF6, 'm', 0, 0));
    song.SetTrack(1, Join({{Note(48, 120)}, text, WithText(Ev(0x98, 0, 0, 0)), {Note(50, 120)}}));
    StepEditModel& m = song.Open(1);
    Select(m, 1, 1);  // the memo's head alone
    EraseFilter working = Erase(kFilterMemo, compress);
    EditResult r = EraseStepRange(m, song.ctx, working, false, false);
    EXPECT_EQ(r.status, EditStatus::Ok);
    // No continuation is left behind to be read as part of the note.
    EXPECT_TRUE(SameBytes(song.Read(1), Join({{Note(48, 120)}, WithText(Ev(0x98, 0, 0, 0)), {Note(50, 120)}})));
    EXPECT_EQ(m.selFrom, -1);  // nothing left of the range
    EXPECT_EQ(m.selTo, -1);
    // A head that does not match keeps its text even at the range's end.
    Select(m, 0, 1);
    working.filter.mask = kFilterNotes;
    EraseStepRange(m, song.ctx, working, false, false);
    const Events after = song.Read(1);
    ASSERT_EQ(after.size(), 6u);
    EXPECT_EQ(after[1].code, 0x98);
    EXPECT_EQ(after[2].code, 0xF7);
    EXPECT_EQ(after[3].code, 0xF7);
  }
}

TEST(EraseStep, TheEndEventStaysAndARefusedEraseChangesNothing) {
  ModelSong song;
  const Events before = Track({Note(60, 120), Note(60, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  EraseFilter working = Erase(0xFFFFFFFFu, true);
  EXPECT_EQ(EraseStepRange(m, song.ctx, working, false, false).status, EditStatus::Refused);  // no selection
  Select(m, 2, 2);  // the end event alone
  EXPECT_EQ(EraseStepRange(m, song.ctx, working, false, false).status, EditStatus::Refused);
  Select(m, 9, 40);  // past the end
  EXPECT_EQ(EraseStepRange(m, song.ctx, working, false, false).status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));

  // A selection through the end event and beyond: the end event stays last
  // and stays selected.
  Select(m, 40, 1);
  EditResult r = EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 240)})));
  EXPECT_EQ(m.eventCount, 1);
  EXPECT_EQ(m.selFrom, 1);
  EXPECT_EQ(m.selTo, 1);
}

TEST(EraseStep, TheCaretGoesToTheRangesStartFromTheAnchor) {
  ModelSong song;
  song.SetTrack(1, NotesTrack(12));
  StepEditModel& m = song.Open(1);
  m.anchorLine = 2;
  m.topLine = 5;
  m.caretRow = 4;
  Select(m, 6, 9);
  EraseFilter working = Erase(kFilterNotes, false);
  EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(m.topLine, 2);
  EXPECT_EQ(m.caretRow, 5);
  // A start before the anchor leaves the view.
  m.anchorLine = 8;
  m.topLine = 7;
  m.caretRow = 2;
  Select(m, 3, 4);
  EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(m.topLine, 7);
  EXPECT_EQ(m.caretRow, 2);
  // Rhythm grid: the caret column.
  song.SetTrack(2, NotesTrack(12));
  StepEditModel& g = song.Open(2, true);
  g.anchorLine = 1;
  Select(g, 4, 5);
  EraseStepRange(g, song.ctx, working, false, false);
  EXPECT_EQ(g.topLine, 1);
  EXPECT_EQ(g.caretColumn, kRhythmFirstColumn + 2 * 3);
}

TEST(EraseStep, ASecondEraseOverTheSameSelectionStaysInTheRange) {
  ModelSong song;
  song.SetTrack(1, Track({Note(48, 120), Note(60, 120), Note(62, 120), Note(60, 120), Note(62, 120),
                          Note(62, 120)}));
  StepEditModel& m = song.Open(1);
  Select(m, 1, 4);
  EraseFilter working = Erase(kFilterNotes, true, 60, 60);
  EraseStepRange(m, song.ctx, working, false, false);
  EXPECT_EQ(m.selTo, 2);
  working.filter.lowKey = working.filter.highKey = 62;
  EraseStepRange(m, song.ctx, working, false, false);
  // The last note lay after the range and stays.
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(48, 600), Note(62, 120)})));
}

}  // namespace
