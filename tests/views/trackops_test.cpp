#include "trackops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../stepedit/modelfixture.h"
#include "lineindex.h"
#include "songmodel.h"
#include "trackattach.h"

namespace {

using namespace modelfixture;

// A song of n tracks: track k holds one note of key k and a header whose
// memo names it, so every block shows where it came from; the song header
// carries the count.
class TrackSong : public ModelSong {
 public:
  explicit TrackSong(int tracks) {
    ctx.handles->h[kHeaderEntry] = GlobalAlloc(kShareableZeroed, sizeof(SongHeader));
    for (int n = 1; n <= tracks; ++n) {
      SetTrack(n, Track({Note(static_cast<uint8_t>(n), 120)}), false);
      TrackHeader th = NewTrackHeaderBytes(n, false);
      char memo[40];
      std::snprintf(memo, sizeof memo, "memo %-31d", n);
      std::memcpy(th.comment, memo, sizeof th.comment);
      HGLOBAL h = GlobalAlloc(kShareableZeroed, sizeof th);
      std::memcpy(GlobalLock(h), &th, sizeof th);
      GlobalUnlock(h);
      ctx.handles->h[TrackHeaderEntry(n)] = h;
    }
    SetCount(tracks);
    Stamp();
  }
  ~TrackSong() {
    for (int i = 0; i <= kMaxTracks; ++i)
      if (ctx.handles->h[i]) GlobalFree(ctx.handles->h[i]);
  }

  // State words and totals that name their track (opening an editor
  // resets its track's state word).
  void Stamp() {
    for (int n = 1; n <= ctx.trackCount; ++n) {
      ctx.windows->state[n - 1] = static_cast<uint32_t>(n) << 4;
      ctx.windows->stepOut[n - 1] = n * 10;
      ctx.windows->stepTotal[n - 1] = n * 1000;
    }
  }

  void SetCount(int tracks) {
    ctx.trackCount = tracks;
    SongHeaderRef()->trackCount = static_cast<uint16_t>(tracks);
    GlobalUnlock(ctx.handles->h[kHeaderEntry]);
  }
  int HeaderCount() {
    const int n = SongHeaderRef()->trackCount;
    GlobalUnlock(ctx.handles->h[kHeaderEntry]);
    return n;
  }
  TrackHeader Header(int n) const {
    TrackHeader th = {};
    Locked h(ctx.handles->h[TrackHeaderEntry(n)]);
    if (h.as<TrackHeader>()) th = *h.as<TrackHeader>();
    return th;
  }
  // The key of the note that names the track's block (0 for an empty one).
  int Origin(int n) const {
    const Events e = Read(n);
    return e.size() > 1 ? e[0].code : 0;
  }
  std::vector<int> Origins() const {
    std::vector<int> o;
    for (int n = 1; n <= ctx.trackCount; ++n) o.push_back(Origin(n));
    return o;
  }
  // Everything the operations may touch, to show that a refusal changed
  // nothing.
  std::vector<uintptr_t> Snapshot() const {
    std::vector<uintptr_t> s;
    for (HGLOBAL h : ctx.handles->h) s.push_back(reinterpret_cast<uintptr_t>(h));
    for (int i = 0; i < kMaxTracks; ++i) {
      s.push_back(reinterpret_cast<uintptr_t>(ctx.windows->editor[i]));
      s.push_back(ctx.windows->state[i]);
      s.push_back(static_cast<uintptr_t>(ctx.windows->stepOut[i]));
      s.push_back(static_cast<uintptr_t>(ctx.windows->stepTotal[i]));
      s.push_back(reinterpret_cast<uintptr_t>(ctx.editors[i]));
      s.push_back(ctx.editors[i] ? static_cast<uintptr_t>(ctx.editors[i]->track) : 0);
    }
    s.push_back(static_cast<uintptr_t>(ctx.trackCount));
    return s;
  }

 private:
  SongHeader* SongHeaderRef() { return static_cast<SongHeader*>(GlobalLock(ctx.handles->h[kHeaderEntry])); }
};

HWND FakeWindow(int n) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x4000 + n)); }

// The key of the first note in the block an editor is attached to.
int EditorOrigin(const StepEditModel& m) {
  ModelEvents block(m);
  return block.events() ? block.events()[0].code : -1;
}

void ExpectNumberedInPlace(TrackSong& song) {
  for (int n = 1; n <= song.ctx.trackCount; ++n) EXPECT_EQ(song.Header(n).number, n) << "track " << n;
  EXPECT_EQ(song.HeaderCount(), song.ctx.trackCount);
}

TEST(TrackOps, CutOrDeleteOfTheOnlyTrackIsRefused) {
  TrackSong song(1);
  StepEditModel& m = song.Open(1);
  TrackClipboard clipboard(GlobalAlloc(kShareableZeroed, 48), GlobalAlloc(kShareableZeroed, 6));
  const HGLOBAL heldHeader = clipboard.header(), heldEvents = clipboard.events();
  const Events before = song.Read(1);
  const auto tables = song.Snapshot();

  TrackOpResult r = CutTrack(song.ctx, 0, clipboard);
  EXPECT_EQ(r.status, EditStatus::Refused);
  EXPECT_EQ(r.failure, TrackOpFailure::LastTrack);
  EXPECT_EQ(r.messageId, 0u);  // silently
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(clipboard.header(), heldHeader);
  EXPECT_EQ(clipboard.events(), heldEvents);

  r = DeleteTrack(song.ctx, 0);
  EXPECT_EQ(r.failure, TrackOpFailure::LastTrack);
  EXPECT_EQ(r.trackCount, 1);
  EXPECT_EQ(r.closeEditor, nullptr);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  EXPECT_EQ(song.Snapshot(), tables);
  EXPECT_EQ(m.track, 1);
}

TEST(TrackOps, PasteOnTheHeaderRowsMakesTrackOne) {
  TrackSong song(4);
  StepEditModel& first = song.Open(1);
  song.ctx.windows->editor[0] = FakeWindow(1);
  song.Stamp();
  TrackClipboard clipboard;

  TrackOpResult r = CopyTrack(song.ctx, 2, clipboard);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_FALSE(r.changed);
  ASSERT_FALSE(clipboard.Empty());
  EXPECT_NE(clipboard.events(), song.Block(3));  // a copy, not the song's block

  const TrackListView view{1, 0, 16};
  const int target = PasteTargetIndex(view, 2, 20, song.ctx.trackCount);  // row 1: a header row
  EXPECT_EQ(target, 0);
  r = InsertTrackAt(song.ctx, target, clipboard.header(), clipboard.events());
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.trackCount, 5);
  EXPECT_EQ(song.ctx.trackCount, 5);
  EXPECT_EQ(song.Origins(), (std::vector<int>{3, 1, 2, 3, 4}));
  EXPECT_NE(song.Block(1), clipboard.events());  // the clipboard keeps its own pair
  EXPECT_NE(song.Block(1), song.Block(4));
  EXPECT_EQ(std::string(song.Header(1).comment, 7), "memo 3 ");
  ExpectNumberedInPlace(song);

  // The new track: no editor, marked modified with stale totals.
  EXPECT_EQ(song.ctx.editors[0], nullptr);
  EXPECT_EQ(song.ctx.windows->editor[0], nullptr);
  EXPECT_EQ(song.State(1), kStateModified | kStateTiming);
  EXPECT_EQ(song.ctx.windows->stepOut[0], 0);
  EXPECT_EQ(song.ctx.windows->stepTotal[0], 0);
  // The former track 1 with its editor, state and totals is track 2.
  EXPECT_EQ(song.ctx.editors[1], &first);
  EXPECT_EQ(song.ctx.windows->editor[1], FakeWindow(1));
  EXPECT_EQ(first.track, 2);
  EXPECT_EQ(EditorOrigin(first), 1);
  EXPECT_EQ(song.State(2), 1u << 4);
  EXPECT_EQ(song.ctx.windows->stepTotal[1], 1000);
  ASSERT_EQ(r.renumbered.size(), 1u);
  EXPECT_EQ(r.renumbered[0].from, 1);
  EXPECT_EQ(r.renumbered[0].to, 2);
  EXPECT_EQ(r.retitle, std::vector<int>{2});
  std::string caption;
  ASSERT_TRUE(TrackTitleText(song.ctx, 1, &caption));
  EXPECT_EQ(caption.substr(0, 14), "Tr. 2   memo 1");
  EXPECT_EQ(caption.size(), 8u + 36u);
  EXPECT_FALSE(TrackTitleText(song.ctx, 0, &caption));  // no editor
}

TEST(TrackOps, PasteTarget) {
  struct Case {
    TrackListView view;
    int current, y, expected;
  } cases[] = {
      {{0, 0, 16}, 3, 0, 3},    // track view list: always the current track
      {{1, 0, 16}, 3, 0, 0},    // header rows
      {{2, 5, 16}, 7, 31, 0},
      {{1, 0, 16}, 3, 32, 3},   // row 2: a track row
      {{1, 0, 16}, 3, 16 * 11, 3},  // row 11 shows track 10, the last
      {{1, 0, 16}, 3, 16 * 12, 10}, // below the last track: append
      {{1, 6, 16}, 8, 16 * 6, 10},  // scrolled: row 6 would be track 11
      {{1, 6, 16}, 8, 16 * 5, 8},
      {{1, 0, 0}, 3, 40, 3},    // no line height yet
  };
  for (const Case& c : cases)
    EXPECT_EQ(PasteTargetIndex(c.view, c.current, c.y, 10), c.expected) << "y " << c.y << " top " << c.view.top;
}

TEST(TrackOps, MoveFiveToTwoAndBack) {
  TrackSong song(6);
  StepEditModel& two = song.Open(2);
  StepEditModel& five = song.Open(5);
  song.ctx.windows->editor[1] = FakeWindow(2);
  song.ctx.windows->editor[4] = FakeWindow(5);
  song.Stamp();
  const auto tables = song.Snapshot();

  TrackOpResult r = MoveTrackTo(song.ctx, 4, 1);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.trackCount, 6);
  EXPECT_EQ(song.Origins(), (std::vector<int>{1, 5, 2, 3, 4, 6}));
  // Memos, state words and totals travel with their tracks; the numbers
  // follow the position.
  const int order[] = {1, 5, 2, 3, 4, 6};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(song.Header(i + 1).comment[5], '0' + order[i]);
    EXPECT_EQ(song.ctx.windows->stepOut[i], order[i] * 10);
    EXPECT_EQ(song.ctx.windows->stepTotal[i], order[i] * 1000);
    EXPECT_EQ(song.State(i + 1) >> 4, static_cast<uint32_t>(order[i]));
  }
  EXPECT_EQ(song.State(1) & kStateModified, kStateModified);  // the song is modified
  ExpectNumberedInPlace(song);
  EXPECT_EQ(five.track, 2);
  EXPECT_EQ(two.track, 3);
  EXPECT_EQ(song.ctx.editors[1], &five);
  EXPECT_EQ(song.ctx.editors[2], &two);
  EXPECT_EQ(song.ctx.editors[4], nullptr);
  EXPECT_EQ(song.ctx.windows->editor[1], FakeWindow(5));
  EXPECT_EQ(song.ctx.windows->editor[2], FakeWindow(2));
  EXPECT_EQ(EditorOrigin(five), 5);
  ASSERT_EQ(r.renumbered.size(), 2u);
  EXPECT_EQ(r.renumbered[0].from, 5);
  EXPECT_EQ(r.renumbered[0].to, 2);
  EXPECT_EQ(r.renumbered[1].from, 2);
  EXPECT_EQ(r.renumbered[1].to, 3);
  std::string caption;
  ASSERT_TRUE(TrackTitleText(song.ctx, 1, &caption));
  EXPECT_EQ(caption.substr(0, 14), "Tr. 2   memo 5");

  r = MoveTrackTo(song.ctx, 1, 4);
  ASSERT_EQ(r.status, EditStatus::Ok);
  song.ctx.windows->state[0] &= ~kStateModified;  // not set before the moves
  EXPECT_EQ(song.Snapshot(), tables);
  ExpectNumberedInPlace(song);
}

TEST(TrackOps, MovesAndCopiesOutsideTheTracksAreRefused) {
  TrackSong song(5);
  song.Open(3);
  const auto tables = song.Snapshot();
  const std::pair<int, int> moves[] = {{0, 5}, {5, 0}, {-1, 2}, {2, -1}, {4, 99}};
  for (const auto& [source, target] : moves) {
    EXPECT_EQ(MoveTrackTo(song.ctx, source, target).failure, TrackOpFailure::BadIndex) << source << " -> " << target;
    EXPECT_EQ(CopyTrackTo(song.ctx, source, target).failure, TrackOpFailure::BadIndex) << source << " -> " << target;
  }
  TrackClipboard clipboard;
  EXPECT_EQ(CopyTrack(song.ctx, 5, clipboard).failure, TrackOpFailure::BadIndex);
  EXPECT_EQ(DeleteTrack(song.ctx, 5).failure, TrackOpFailure::BadIndex);
  EXPECT_EQ(CutTrack(song.ctx, -1, clipboard).failure, TrackOpFailure::BadIndex);
  EXPECT_TRUE(clipboard.Empty());
  EXPECT_EQ(InsertNewTrack(song.ctx, 6, false).failure, TrackOpFailure::BadIndex);
  EXPECT_EQ(song.Snapshot(), tables);
  EXPECT_EQ(InsertNewTrack(song.ctx, 5, false).status, EditStatus::Ok);  // append
}

TEST(TrackOps, CopyOntoItselfChangesNothing) {
  TrackSong song(4);
  song.Open(2);
  const auto tables = song.Snapshot();
  for (int i = 0; i < 4; ++i) {
    TrackOpResult r = CopyTrackTo(song.ctx, i, i);
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(r.trackCount, 4);
    r = MoveTrackTo(song.ctx, i, i);
    EXPECT_FALSE(r.changed);
  }
  EXPECT_EQ(song.Snapshot(), tables);
}

TEST(TrackOps, CopyHereDuplicatesTheSourceWithItsTotals) {
  TrackSong song(4);
  StepEditModel& three = song.Open(3);
  song.ctx.windows->state[3] |= kStateTiming;  // track 4's totals are stale
  const Events four = song.Read(4);

  TrackOpResult r = CopyTrackTo(song.ctx, 3, 1);  // track 4 onto the row of track 2
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.trackCount, 5);
  EXPECT_EQ(song.Origins(), (std::vector<int>{1, 4, 2, 3, 4}));
  EXPECT_TRUE(SameBytes(song.Read(2), four));
  EXPECT_NE(song.Block(2), song.Block(5));
  EXPECT_EQ(song.ctx.editors[1], nullptr);
  EXPECT_EQ(song.ctx.windows->stepOut[1], 40);
  EXPECT_EQ(song.ctx.windows->stepTotal[1], 4000);
  EXPECT_EQ(song.State(2), kStateTiming);  // stale as its source
  EXPECT_EQ(three.track, 4);
  ExpectNumberedInPlace(song);

  r = CopyTrackTo(song.ctx, 0, 4);  // track 1 onto the last row
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(song.Origins(), (std::vector<int>{1, 4, 2, 3, 1, 4}));
  EXPECT_EQ(song.State(5), 0u);
  EXPECT_TRUE(r.renumbered.empty());  // track 4's editor did not move
}

TEST(TrackOps, NewTrackHeaderBytes) {
  struct Case {
    int index;
    bool rhythm;
    uint8_t channel, rhythmByte, keyShift;
  } cases[] = {
      {1, true, 1, 0x80, 0x80},   // a rhythm track: RHY on, key bias off
      {1, false, 1, 0, 0},
      {9, false, 9, 0, 0},        // track 10 made normal
      {9, true, 9, 0x80, 0x80},
      {16, true, 0xFF, 0x80, 0x80},  // track 17: no channel
  };
  for (const Case& c : cases) {
    TrackSong song(20);
    TrackOpResult r = InsertNewTrack(song.ctx, c.index, c.rhythm);
    ASSERT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.trackCount, 21);
    const int n = c.index + 1;
    const TrackHeader th = song.Header(n);
    EXPECT_EQ(th.size, 0u);
    EXPECT_EQ(th.number, n);
    EXPECT_EQ(th.rhythm, c.rhythmByte) << n;
    EXPECT_EQ(th.channel, c.channel) << n;
    EXPECT_EQ(th.keyShift, c.keyShift) << n;
    EXPECT_EQ(th.stepShift, 0);
    EXPECT_EQ(th.mode, 0);
    EXPECT_EQ(std::string(th.comment, 36), std::string(36, ' '));
    EXPECT_TRUE(SameBytes(song.Read(n), Track({})));
    EXPECT_EQ(song.State(n), kStateModified | kStateTiming);
    EXPECT_EQ(song.Origin(n + 1), n);  // the former track moved up
  }
}

TEST(TrackOps, DeleteHandsBackTheEditorToCloseAndRenumbersTheRest) {
  TrackSong song(4);
  StepEditModel& two = song.Open(2);
  StepEditModel& three = song.Open(3);
  song.ctx.windows->editor[1] = FakeWindow(2);
  song.ctx.windows->editor[2] = FakeWindow(3);
  const HGLOBAL header2 = song.ctx.handles->h[TrackHeaderEntry(2)];
  const HGLOBAL events2 = song.Block(2);
  {
    TrackOpResult r = DeleteTrack(song.ctx, 1);
    ASSERT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.trackCount, 3);
    EXPECT_EQ(song.HeaderCount(), 3);
    EXPECT_EQ(song.Origins(), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(r.closeEditor, &two);
    EXPECT_EQ(r.closeWindow, FakeWindow(2));
    EXPECT_EQ(r.closeTrack, 2);
    EXPECT_EQ(r.released.header(), header2);
    EXPECT_EQ(r.released.events(), events2);
    // Until the result goes the closing editor still reads its own track.
    EXPECT_EQ(EditorOrigin(two), 2);
    EXPECT_EQ(three.track, 2);
    EXPECT_EQ(song.ctx.editors[1], &three);
    EXPECT_EQ(song.ctx.windows->editor[1], FakeWindow(3));
    ASSERT_EQ(r.renumbered.size(), 1u);
    EXPECT_EQ(r.renumbered[0].from, 3);
    EXPECT_EQ(r.renumbered[0].to, 2);
    // The place past the last track is empty.
    EXPECT_EQ(song.ctx.handles->h[TrackHeaderEntry(4)], nullptr);
    EXPECT_EQ(song.Block(4), nullptr);
    EXPECT_EQ(song.ctx.windows->stepTotal[3], 0);
    EXPECT_EQ(song.ctx.editors[3], nullptr);
    ExpectNumberedInPlace(song);
  }
  for (int i = 0; i < kMaxTracks; ++i) EXPECT_NE(song.ctx.editors[i], &two);
}

TEST(TrackOps, CutThenPasteMovesATrack) {
  TrackSong song(3);
  StepEditModel& two = song.Open(2);
  TrackClipboard clipboard;
  TrackOpResult r = CutTrack(song.ctx, 1, clipboard);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.closeEditor, &two);
  EXPECT_EQ(song.Origins(), (std::vector<int>{1, 3}));
  ASSERT_FALSE(clipboard.Empty());
  EXPECT_NE(clipboard.events(), r.released.events());  // the editor's block goes with the result
  r = InsertTrackAt(song.ctx, 2, clipboard.header(), clipboard.events());
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(song.Origins(), (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(std::string(song.Header(3).comment, 6), "memo 2");
  ExpectNumberedInPlace(song);
  // A second paste takes another copy.
  r = InsertTrackAt(song.ctx, 0, clipboard.header(), clipboard.events());
  EXPECT_EQ(song.Origins(), (std::vector<int>{2, 1, 3, 2}));
  EXPECT_NE(song.Block(1), song.Block(4));

  TrackClipboard empty;
  const auto tables = song.Snapshot();
  r = InsertTrackAt(song.ctx, 0, empty.header(), empty.events());
  EXPECT_EQ(r.failure, TrackOpFailure::EmptyClipboard);
  EXPECT_EQ(song.Snapshot(), tables);
}

TEST(TrackOps, CopyClosesTheSourceEditorsGapFirst) {
  TrackSong song(2);
  const Events notes = Track({Note(60, 120), Note(62, 120), Note(64, 120), Note(65, 120)});
  song.SetTrack(1, notes);  // full block, as the current editor's
  StepEditModel& m = song.Open(1);
  m.caretRow = 3;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, 0));
  TrackClipboard clipboard;
  ASSERT_EQ(CopyTrack(song.ctx, 0, clipboard).status, EditStatus::Ok);
  EXPECT_EQ(m.indexCurrent, 1);
  EXPECT_EQ(GlobalSize(clipboard.events()), GlobalSize(song.Block(1)));
  Locked copy(clipboard.events());
  EXPECT_EQ(0, std::memcmp(copy.as<StepEvent>(), notes.data(), notes.size() * sizeof(StepEvent)));
}

TEST(TrackOps, InsertAtTheTrackLimitIsRefused) {
  TrackSong song(99);
  song.Open(1);
  TrackClipboard clipboard;
  ASSERT_EQ(CopyTrack(song.ctx, 0, clipboard).status, EditStatus::Ok);
  const auto tables = song.Snapshot();
  std::vector<TrackOpResult> refused;
  refused.push_back(InsertTrackAt(song.ctx, 99, clipboard.header(), clipboard.events()));
  refused.push_back(InsertTrackAt(song.ctx, 0, clipboard.header(), clipboard.events()));
  refused.push_back(InsertNewTrack(song.ctx, 5, true));
  refused.push_back(CopyTrackTo(song.ctx, 0, 98));
  for (const TrackOpResult& r : refused) {
    EXPECT_EQ(r.status, EditStatus::Refused);
    EXPECT_EQ(r.failure, TrackOpFailure::TracksFull);
    EXPECT_EQ(r.trackCount, 99);
  }
  EXPECT_EQ(song.Snapshot(), tables);
  EXPECT_EQ(song.HeaderCount(), 99);
  // A MaxTrack above what the tables hold still stops at 99.
  song.ctx.settings.maxTrack = 150;
  EXPECT_EQ(InsertNewTrack(song.ctx, 0, false).failure, TrackOpFailure::TracksFull);
  // Moves and deletes still work at the limit.
  EXPECT_EQ(MoveTrackTo(song.ctx, 98, 0).status, EditStatus::Ok);
  EXPECT_EQ(song.Origin(1), 99);
  EXPECT_EQ(DeleteTrack(song.ctx, 0).trackCount, 98);
  EXPECT_EQ(InsertNewTrack(song.ctx, 98, false).trackCount, 99);

  // A lower MaxTrack is the limit.
  TrackSong small(10);
  small.ctx.settings.maxTrack = 10;
  EXPECT_EQ(InsertNewTrack(small.ctx, 0, false).failure, TrackOpFailure::TracksFull);
  small.ctx.settings.maxTrack = 11;
  EXPECT_EQ(InsertNewTrack(small.ctx, 0, false).trackCount, 11);
}

TEST(TrackOps, NothingChangesWhilePlaying) {
  TrackSong song(3);
  song.ctx.playing = true;
  TrackClipboard clipboard;
  const auto tables = song.Snapshot();
  EXPECT_EQ(DeleteTrack(song.ctx, 0).failure, TrackOpFailure::Playing);
  EXPECT_EQ(CutTrack(song.ctx, 0, clipboard).failure, TrackOpFailure::Playing);
  EXPECT_EQ(MoveTrackTo(song.ctx, 0, 2).failure, TrackOpFailure::Playing);
  EXPECT_EQ(CopyTrackTo(song.ctx, 0, 2).failure, TrackOpFailure::Playing);
  EXPECT_EQ(InsertNewTrack(song.ctx, 0, false).failure, TrackOpFailure::Playing);
  EXPECT_TRUE(clipboard.Empty());
  EXPECT_EQ(song.Snapshot(), tables);
}

bool Enabled(const std::vector<TrackMenuState>& states, UINT id) {
  for (const TrackMenuState& s : states)
    if (s.id == id) return s.enabled;
  ADD_FAILURE() << "no item " << id;
  return false;
}

TEST(TrackOps, PopupItemStates) {
  struct Case {
    bool playing, mixing;
    int tracks;
    bool editing, room;
  } cases[] = {
      {false, false, 10, true, true},
      {false, false, 99, true, false},
      {true, false, 10, false, false},
      {false, true, 10, false, false},
  };
  for (const Case& c : cases) {
    StepSongContext ctx;
    ctx.playing = c.playing;
    ctx.trackCount = c.tracks;
    const auto menu = TrackContextMenuStates(ctx, c.mixing);
    EXPECT_TRUE(Enabled(menu, kCmdTrackOpen));
    EXPECT_TRUE(Enabled(menu, kCmdTrackProperties));
    for (UINT id : {kCmdTrackCut, kCmdTrackCopy, kCmdTrackDelete}) EXPECT_EQ(Enabled(menu, id), c.editing) << id;
    for (UINT id : {kCmdTrackPaste, kCmdTrackNewNormal, kCmdTrackNewRhythm})
      EXPECT_EQ(Enabled(menu, id), c.room) << id;
    const auto drag = TrackDragMenuStates(ctx, c.mixing);
    EXPECT_TRUE(Enabled(drag, kCmdTrackDragCancel));
    EXPECT_EQ(Enabled(drag, kCmdTrackMoveHere), c.editing);
    EXPECT_EQ(Enabled(drag, kCmdTrackCopyHere), c.room);
  }
}

}  // namespace
