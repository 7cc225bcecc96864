#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "lineindex.h"
#include "songcontext.h"
#include "songmodel.h"
#include "stepservices.h"
#include "testsupport.h"
#include "trackattach.h"

namespace {

using Events = std::vector<StepEvent>;

StepEvent N(uint8_t key, uint16_t step) { return {key, 100, step, 10}; }

Events Block(std::initializer_list<StepEvent> events) {
  Events e(events);
  e.push_back(EndEvent());
  return e;
}

Events Read(HGLOBAL h, int count) {
  Events out(count);
  std::memcpy(out.data(), GlobalLock(h), count * sizeof(StepEvent));
  GlobalUnlock(h);
  return out;
}

bool SameEvents(const Events& a, const Events& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(StepEvent)) == 0;
}

TrackBlock BlockOf(const StepEditorData& ed) {
  TrackBlock tb = *static_cast<TrackBlock*>(LocalLock(ed.trackBlock));
  LocalUnlock(ed.trackBlock);
  return tb;
}

TrackWindowTable Windows() {
  SongDocument* doc = LockSongDocument(g_app.frame);
  TrackWindowTable t = *static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
  GlobalUnlock(doc->trackWindows);
  UnlockSongDocument(g_app.frame);
  return t;
}

void SetRhythm(int n, bool on) {
  HGLOBAL h = SongEntry(TrackHeaderEntry(n));
  auto* th = static_cast<TrackHeader*>(GlobalLock(h));
  th->rhythm = on ? 0x80 : 0;
  GlobalUnlock(h);
}

// A plain window carrying an editor record, as the editor window will.
HWND EditorWindow(StepEditorData* ed) {
  HWND w = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ed));
  return w;
}

class TrackAttach : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(NewSong(frame.hwnd())); }
  void TearDown() override { FreeTrackViewBuffers(&ed); }
  TestFrame frame;
  StepEditorData ed = {};
};

TEST_F(TrackAttach, AttachSetsUpAStepListEditor) {
  ReplaceTrackEvents(2, Block({N(60, 10), N(62, 10)}));
  HWND w = EditorWindow(&ed);
  EXPECT_EQ(AttachTrackToEditor(&ed, w, 2), 2);
  EXPECT_EQ(ed.viewMode, kModeStepList);
  EXPECT_EQ(ed.track, 2);
  EXPECT_EQ(ed.caretRow, 1);
  EXPECT_EQ(ed.caretColumn, 11);
  EXPECT_EQ(ed.selFrom, -1);
  EXPECT_EQ(ed.indexCurrent, 1);
  EXPECT_EQ(ed.eventCount, 2);
  const TrackBlock tb = BlockOf(ed);
  EXPECT_EQ(tb.events, SongEntry(TrackEventsEntry(2)));
  EXPECT_EQ(tb.undo, nullptr);
  EXPECT_EQ(GlobalSize(tb.positions), kPositionTableBytes);
  EXPECT_EQ(GlobalSize(ed.lineTable), kLineTableBytes);
  EXPECT_EQ(Windows().editor[1], w);
  EXPECT_EQ(Windows().state[1], 2u);
  char caption[64] = {};
  GetWindowTextA(w, caption, sizeof caption);
  EXPECT_EQ(std::string(caption).substr(0, 8), "Tr. 2   ");
  DestroyWindow(w);
}

TEST_F(TrackAttach, RhythmTrackOpensTheGrid) {
  SetRhythm(1, true);
  ReplaceTrackEvents(1, Block({N(36, 10), N(38, 10)}));
  EXPECT_EQ(AttachTrackToEditor(&ed, nullptr, 1), 2);
  EXPECT_EQ(ed.viewMode, kModeRhythmGrid);
  EXPECT_EQ(ed.caretColumn, 15);
}

TEST_F(TrackAttach, TrackTheSongLacksIsRefused) {
  for (int n : {0, -1, g_song.trackCount + 1, kMaxTracks + 1}) {
    EXPECT_EQ(AttachTrackToEditor(&ed, nullptr, n), -1) << n;
    EXPECT_EQ(ed.trackBlock, nullptr) << n;
  }
}

TEST(TrackCaption, NumberThenCommentBytes) {
  char comment[36];
  std::memset(comment, ' ', sizeof comment);
  std::memcpy(comment, "Piano", 5);
  const std::string c = FormatTrackCaption(7, comment);
  EXPECT_EQ(c.size(), 8u + 36u);
  EXPECT_EQ(c.substr(0, 13), "Tr. 7   Piano");
  EXPECT_EQ(FormatTrackCaption(12, comment).substr(0, 8), "Tr.12   ");
}

TEST_F(TrackAttach, GapNeedsAGrownBlockThenOpensAndClosesUnchanged) {
  const Events track = Block({N(60, 10), N(62, 10), N(64, 10)});
  ReplaceTrackEvents(1, track);
  ASSERT_EQ(AttachTrackToEditor(&ed, nullptr, 1), 3);
  EXPECT_FALSE(OpenInsertGap(ed, OpenSongContext().get(), 0));  // block not grown
  EXPECT_EQ(ed.indexCurrent, 1);

  ASSERT_TRUE(GrowEditorBlock(ed, OpenSongContext().get()));
  EXPECT_EQ(BlockOf(ed).events, SongEntry(TrackEventsEntry(1)));
  ASSERT_TRUE(OpenInsertGap(ed, OpenSongContext().get(), 0));
  EXPECT_EQ(ed.indexCurrent, 0);
  EXPECT_EQ(ed.eventCount, 0);  // an empty track until the gap closes
  EXPECT_EQ((ed.lineCount - 1), 0);
  EXPECT_EQ(ed.gapTail, kTrackSlots - 4);
  EXPECT_FALSE(OpenInsertGap(ed, OpenSongContext().get(), 0));  // already open

  ASSERT_TRUE(CloseInsertGap(ed, OpenSongContext().get()));
  EXPECT_EQ(ed.indexCurrent, 1);
  EXPECT_EQ(ed.gapTail, 0);
  EXPECT_EQ(ed.eventCount, 3);
  EXPECT_FALSE(CloseInsertGap(ed, OpenSongContext().get()));  // nothing open

  ASSERT_TRUE(ShrinkEditorBlock(ed, OpenSongContext().get()));
  HGLOBAL h = SongEntry(TrackEventsEntry(1));
  EXPECT_EQ(BlockOf(ed).events, h);
  EXPECT_EQ(GlobalSize(h), 5 * sizeof(StepEvent));
  EXPECT_TRUE(SameEvents(Read(h, 4), track));
}

TEST_F(TrackAttach, GapAtTheCaretLine) {
  ReplaceTrackEvents(1, Block({N(60, 10), N(62, 10), N(64, 10)}));
  ASSERT_EQ(AttachTrackToEditor(&ed, nullptr, 1), 3);
  ASSERT_TRUE(GrowEditorBlock(ed, OpenSongContext().get()));
  ed.caretRow = 2;
  ASSERT_TRUE(OpenInsertGap(ed, OpenSongContext().get(), 1));  // line 2
  EXPECT_EQ(ed.eventCount, 2);
  EXPECT_EQ(ed.gapTail, kTrackSlots - 2);
  ASSERT_TRUE(CloseInsertGap(ed, OpenSongContext().get()));
  EXPECT_EQ(ed.eventCount, 3);
}

TEST_F(TrackAttach, GapBeyondTheLastLineIsRefused) {
  const Events track = Block({N(60, 10)});
  ReplaceTrackEvents(1, track);
  ASSERT_EQ(AttachTrackToEditor(&ed, nullptr, 1), 1);
  ASSERT_TRUE(GrowEditorBlock(ed, OpenSongContext().get()));
  struct Case {
    int16_t row;
    int32_t top;
  } cases[] = {{3, 0}, {1, 2}, {1, -5}, {1, kTrackSlots}, {0x7FFF, 0x7FFFFFF0}};
  for (const Case& c : cases) {
    ed.caretRow = c.row;
    EXPECT_FALSE(OpenInsertGap(ed, OpenSongContext().get(), c.top)) << c.row << " " << c.top;
    EXPECT_EQ(ed.indexCurrent, 1);
  }
  EXPECT_TRUE(SameEvents(Read(SongEntry(TrackEventsEntry(1)), 2), track));
}

TEST_F(TrackAttach, UndoCopyReplacesThePreviousOne) {
  ReplaceTrackEvents(1, Block({N(60, 10), N(62, 10)}));
  ASSERT_EQ(AttachTrackToEditor(&ed, nullptr, 1), 2);
  ed.topLine = 1;
  ed.caretRow = 2;
  ASSERT_TRUE(SaveUndoCopy(ed));
  HGLOBAL first = BlockOf(ed).undo;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GlobalSize(first), 4 * sizeof(StepEvent));
  const Events copy = Read(first, 4);
  const auto* head = reinterpret_cast<const uint16_t*>(copy.data());
  EXPECT_EQ(head[0], 1);
  EXPECT_EQ(head[1], 2);
  EXPECT_EQ(head[2], 3);
  EXPECT_TRUE(SameEvents(Events(copy.begin() + 1, copy.end()), Block({N(60, 10), N(62, 10)})));

  ReplaceTrackEvents(1, Block({N(70, 10)}));
  ASSERT_EQ(AttachTrackToEditor(&ed, nullptr, 1), 1);
  ed.viewMode = kModeRhythmGrid;
  ed.caretColumn = 17;
  ASSERT_TRUE(SaveUndoCopy(ed));
  const Events second = Read(BlockOf(ed).undo, 3);
  EXPECT_EQ(reinterpret_cast<const uint16_t*>(second.data())[1], 17);
  EXPECT_EQ(reinterpret_cast<const uint16_t*>(second.data())[2], 2);
}

TEST_F(TrackAttach, FreeingKeepsTheSongsBlock) {
  ReplaceTrackEvents(1, Block({N(60, 10)}));
  ASSERT_EQ(AttachTrackToEditor(&ed, nullptr, 1), 1);
  ASSERT_TRUE(SaveUndoCopy(ed));
  FreeTrackViewBuffers(&ed);
  EXPECT_EQ(ed.lineTable, nullptr);
  EXPECT_EQ(ed.trackBlock, nullptr);
  HGLOBAL h = SongEntry(TrackEventsEntry(1));
  EXPECT_TRUE(SameEvents(Read(h, 2), Block({N(60, 10)})));
  FreeTrackViewBuffers(&ed);  // twice is harmless
  EXPECT_FALSE(SaveUndoCopy(ed));
  EXPECT_FALSE(BuildTrackLineIndex(ed, OpenSongContext().get()));
}

TEST_F(TrackAttach, ScrollLimit) {
  ed.lineCount = 11;
  ed.caretRow = 3;
  EXPECT_EQ(EditorScrollLimit(ed), 8);
  ed.viewMode = kModeRhythmGrid;
  ed.caretColumn = 19;
  EXPECT_EQ(EditorScrollLimit(ed), 8);
}

TEST_F(TrackAttach, RefreshReattachesEveryEditorToTheNewEvents) {
  HWND w = EditorWindow(&ed);
  ASSERT_EQ(AttachTrackToEditor(&ed, w, 3), 0);  // a new track: the end event only
  ed.topLine = 5;
  ed.indexCurrent = 0;
  ReplaceTrackEvents(3, Block({N(60, 10), N(62, 10), N(64, 10)}));
  RefreshTrackEditors(frame.hwnd());
  EXPECT_EQ(ed.eventCount, 3);
  EXPECT_EQ(ed.topLine, 0);
  EXPECT_EQ(ed.indexCurrent, 1);
  EXPECT_EQ(BlockOf(ed).events, SongEntry(TrackEventsEntry(3)));
  int lo = -1, hi = -1;
  GetScrollRange(w, SB_VERT, &lo, &hi);
  EXPECT_EQ(hi, 3);
  DestroyWindow(w);
  // A destroyed editor leaves the table on the next refresh.
  RefreshTrackEditors(frame.hwnd());
  EXPECT_EQ(Windows().editor[2], nullptr);
}

TEST_F(TrackAttach, CloseFreesEditorsAndDestroysThoseBeyondTheNextSong) {
  const int savedOrg = g_song.orgTrack;
  g_song.orgTrack = 2;
  StepEditorData other = {};
  HWND keep = EditorWindow(&ed);
  HWND gone = EditorWindow(&other);
  ASSERT_GE(AttachTrackToEditor(&ed, keep, 1), 0);
  ASSERT_GE(AttachTrackToEditor(&other, gone, 3), 0);
  CloseSongWindows(frame.hwnd());
  g_song.orgTrack = savedOrg;
  EXPECT_EQ(ed.trackBlock, nullptr);
  EXPECT_EQ(other.trackBlock, nullptr);
  EXPECT_EQ(SongEntry(TrackEventsEntry(1)), nullptr);
  EXPECT_TRUE(IsWindow(keep));
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_EQ(Windows().editor[0], keep);
  EXPECT_EQ(Windows().editor[2], nullptr);
  DestroyWindow(keep);
}

}  // namespace

namespace {

void SetEditorOf(int track, HWND w) {
  SongDocument* doc = LockSongDocument(g_app.frame);
  static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows))->editor[track - 1] = w;
  GlobalUnlock(doc->trackWindows);
  UnlockSongDocument(g_app.frame);
}

// The logs' text of an event: only while the track's editor is open, only
// for its events, spelled by the key signature in force there.
TEST_F(TrackAttach, EventTextForTheLogsNeedsTheTracksEditor) {
  ReplaceTrackEvents(2, Block({N(70, 10), {0xF5, 0, 2, 0}, N(70, 20)}));
  char text[64] = "untouched";
  EXPECT_EQ(FormatStepEventText(text, 2, 0, 0), 0);  // no editor
  EXPECT_STREQ(text, "untouched");
  HWND w = EditorWindow(&ed);
  ASSERT_EQ(AttachTrackToEditor(&ed, w, 2), 3);  // its lines
  SetEditorOf(2, w);
  EXPECT_EQ(FormatStepEventText(text, 2, 4, 0), 0);  // past the end event
  EXPECT_STREQ(text, "untouched");
  ASSERT_EQ(FormatStepEventText(text, 2, 0, 0), 1);
  EXPECT_STREQ(text, "Bb4  70   10   10 100 ");
  ASSERT_EQ(FormatStepEventText(text, 2, 2, 1), 1);  // after "D MAJOR", overlapping
  EXPECT_STREQ(text, "A#4  70   20   10 100*");
  SetEditorOf(2, nullptr);
  DestroyWindow(w);
}

}  // namespace
