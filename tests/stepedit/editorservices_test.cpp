// The step editors' shared services over the model: event counters, the
// record-track check, play positions and a line placed at the caret.
#include <gtest/gtest.h>

#include <vector>

#include "editorservices.h"
#include "fieldedit.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

TEST(EventCountersTest, TheGapCountsItsFrontAndTail) {
  ModelSong song;
  song.SetTrack(1, NotesTrack(10));
  StepEditModel& m = song.Open(1);
  const EventCounters closed = CountTrackEvents(song.ctx, &m);
  EXPECT_EQ(closed.used, 10);
  EXPECT_EQ(closed.free, kMaxTrackEvents - 10);

  m.caretRow = 5;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, m.topLine));
  ASSERT_EQ(m.eventCount, 4);
  const EventCounters open = CountTrackEvents(song.ctx, &m);
  EXPECT_EQ(open.used, closed.used);
  EXPECT_EQ(open.free, closed.free);

  ASSERT_EQ(RepeatPreviousLineInGap(m, song.ctx).status, EditStatus::Ok);
  EXPECT_EQ(CountTrackEvents(song.ctx, &m).used, 11);
  ASSERT_TRUE(CloseInsertGap(m, song.ctx));
  EXPECT_EQ(CountTrackEvents(song.ctx, &m).used, 11);
}

TEST(EventCountersTest, WithoutACurrentEditorTheSongsTracksAreSummed) {
  ModelSong song;
  song.ctx.trackCount = 3;
  song.ctx.windows->stepOut[0] = 10;
  song.ctx.windows->stepOut[1] = 20;
  song.ctx.windows->stepOut[2] = 5;
  song.ctx.windows->stepOut[3] = 100;  // beyond the song's tracks
  const EventCounters c = CountTrackEvents(song.ctx, nullptr);
  EXPECT_EQ(c.used, 35);
  EXPECT_EQ(c.free, 3 * kMaxTrackEvents - 35);
  song.ctx.windows = nullptr;
  EXPECT_EQ(CountTrackEvents(song.ctx, nullptr).free, 3 * kMaxTrackEvents);
}

TEST(CheckRecordTrackTest, ATrackWithARecordBitPasses) {
  struct {
    const char* name;
    std::vector<uint8_t> modes;
    bool passes;
  } cases[] = {
      {"NoneSet", {0, 1, 0}, false}, {"Bit1", {0, 2}, true}, {"Bit2", {1, 0, 4}, true}, {"NoTracks", {}, false}};
  for (const auto& c : cases) {
    ModelSong song;
    std::vector<HGLOBAL> headers;
    for (size_t i = 0; i < c.modes.size(); ++i) {
      HGLOBAL h = GlobalAlloc(kShareableZeroed, sizeof(TrackHeader));
      static_cast<TrackHeader*>(GlobalLock(h))->mode = c.modes[i];
      GlobalUnlock(h);
      song.ctx.handles->h[TrackHeaderEntry(static_cast<int>(i) + 1)] = h;
      headers.push_back(h);
    }
    song.ctx.trackCount = static_cast<int>(c.modes.size());
    const EditResult r = CheckRecordTrack(song.ctx);
    EXPECT_EQ(r.status == EditStatus::Ok, c.passes) << c.name;
    EXPECT_EQ(r.messageId, c.passes ? 0u : kNoRecordTrackMessage) << c.name;
    if (!c.passes) {
      EXPECT_EQ(r.messageStyle & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION)) << c.name;
    }
    for (HGLOBAL h : headers) GlobalFree(h);
  }
  StepSongContext bare;
  bare.trackCount = 2;
  EXPECT_EQ(CheckRecordTrack(bare).status, EditStatus::Refused) << "no song tables";
}

TEST(PlaceLineAtCaretTest, TheLineStandsAtTheCaretUnlessTheTopIsNear) {
  struct {
    const char* name;
    bool rhythm;
    int position;
    int32_t line;
    int32_t top;
    int16_t row, column;
  } cases[] = {
      {"StepBelowTheRow", false, 5, 10, 6, 5, kStepListColumn},
      {"StepAboveTheRow", false, 5, 2, 0, 3, kStepListColumn},
      {"StepLineZero", false, 5, 0, 0, 1, kStepListColumn},
      {"StepPastTheLastLine", false, 1, 99, 20, 1, kStepListColumn},
      {"RhythmRightOfTheColumn", true, 21, 7, 4, 1, 21},
      {"RhythmLeftOfTheColumn", true, 21, 1, 0, 1, 17},
  };
  for (const auto& c : cases) {
    ModelSong song;
    song.SetTrack(1, NotesTrack(20));
    StepEditModel& m = song.Open(1, c.rhythm);
    const EditResult r = PlaceLineAtCaret(m, c.position, c.line);
    EXPECT_TRUE(r.scrollBars) << c.name;
    EXPECT_EQ(m.topLine, c.top) << c.name;
    EXPECT_EQ(m.caretRow, c.row) << c.name;
    EXPECT_EQ(m.caretColumn, c.column) << c.name;
    EXPECT_EQ(CaretLine(m), std::min(c.line, m.lineCount - 1)) << c.name;
  }
}

TEST(ResetPlayCursorsTest, EveryOpenEditorLosesItsPlayPosition) {
  ModelSong song;
  song.SetTrack(1, NotesTrack(4));
  song.SetTrack(3, NotesTrack(4));
  StepEditModel& a = song.Open(1);
  StepEditModel& b = song.Open(3);
  a.playEvent = 3;
  a.playLine = 2;
  b.playEvent = 1;
  b.playLine = 1;
  ResetPlayCursors(song.ctx);
  EXPECT_EQ(a.playEvent, 0);
  EXPECT_EQ(a.playLine, 0);
  EXPECT_EQ(b.playEvent, 0);
  EXPECT_EQ(b.playLine, 0);
}

}  // namespace
