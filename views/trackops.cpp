#include "trackops.h"

#include <algorithm>
#include <cstring>

#include "lineindex.h"
#include "songmodel.h"
#include "trackattach.h"

TrackClipboard g_trackClipboard;

TrackBlocks::TrackBlocks(TrackBlocks&& other) noexcept : header_(other.header_), events_(other.events_) {
  other.header_ = other.events_ = nullptr;
}

TrackBlocks& TrackBlocks::operator=(TrackBlocks&& other) noexcept {
  if (this != &other) {
    Reset();
    header_ = other.header_;
    events_ = other.events_;
    other.header_ = other.events_ = nullptr;
  }
  return *this;
}

void TrackBlocks::Release() { header_ = events_ = nullptr; }

void TrackBlocks::Reset() {
  if (header_) GlobalFree(header_);
  if (events_) GlobalFree(events_);
  header_ = events_ = nullptr;
}

namespace {

// One track's words in both tables, and the editor model the context keeps
// beside them.
struct TrackEntry {
  HGLOBAL header = nullptr;
  HGLOBAL events = nullptr;
  HWND window = nullptr;
  uint32_t state = 0;
  int32_t eventCount = 0;
  int32_t stepTotal = 0;
  StepEditModel* editor = nullptr;
  int origin = -1;  // index before the operation, -1 for a new track
};

// The tables of the context as one array of entries while an operation
// rearranges them; written back by Store.
class Entries {
 public:
  explicit Entries(const StepSongContext& ctx) : count_(SongTracks(ctx)) {
    for (int i = 0; i < count_; ++i) {
      TrackEntry& e = e_[i];
      e.header = ctx.handles->h[TrackHeaderEntry(i + 1)];
      e.events = ctx.handles->h[TrackEventsEntry(i + 1)];
      if (ctx.windows) {
        e.window = ctx.windows->editor[i];
        e.state = ctx.windows->state[i];
        e.eventCount = ctx.windows->stepOut[i];
        e.stepTotal = ctx.windows->stepTotal[i];
      }
      e.editor = ctx.editors[i];
      e.origin = i;
    }
  }

  static int SongTracks(const StepSongContext& ctx) { return std::clamp(ctx.trackCount, 0, kMaxTracks); }

  int count() const { return count_; }
  TrackEntry& operator[](int i) { return e_[i]; }

  // Opens a place at index: the entries from the last down to index move
  // up one, the far end first.
  void OpenAt(int index, const TrackEntry& entry) {
    for (int i = count_ - 1; i >= index; --i) e_[i + 1] = e_[i];
    e_[index] = entry;
    ++count_;
  }
  // Closes the place at index: the following entries move down one.
  TrackEntry RemoveAt(int index) {
    TrackEntry removed = e_[index];
    for (int i = index; i + 1 < count_; ++i) e_[i] = e_[i + 1];
    --count_;
    e_[count_] = TrackEntry();
    return removed;
  }
  // Takes source out and puts it at target; the entries between move one
  // place toward the source, starting next to it.
  void Move(int source, int target) {
    const TrackEntry moving = e_[source];
    if (source < target) {
      for (int i = source; i < target; ++i) e_[i] = e_[i + 1];
    } else {
      for (int i = source; i > target; --i) e_[i] = e_[i - 1];
    }
    e_[target] = moving;
  }

  // Writes the entries back (clearing the places past the new count),
  // renumbers headers and editors, updates both counts, and reports the
  // editors whose number changed.
  void Store(StepSongContext& ctx, TrackOpResult& r) const {
    const int oldCount = SongTracks(ctx);
    const int slots = std::max(oldCount, count_);
    for (int i = 0; i < slots; ++i) {
      const TrackEntry e = i < count_ ? e_[i] : TrackEntry();
      ctx.handles->h[TrackHeaderEntry(i + 1)] = e.header;
      ctx.handles->h[TrackEventsEntry(i + 1)] = e.events;
      if (ctx.windows) {
        ctx.windows->editor[i] = e.window;
        ctx.windows->state[i] = e.state;
        ctx.windows->stepOut[i] = e.eventCount;
        ctx.windows->stepTotal[i] = e.stepTotal;
      }
      ctx.editors[i] = e.editor;
      if (i >= count_) continue;
      if (e.header) {
        if (auto* th = static_cast<TrackHeader*>(GlobalLock(e.header))) {
          th->number = static_cast<uint8_t>(i + 1);
          GlobalUnlock(e.header);
        }
      }
      if (e.origin >= 0 && e.origin != i && (e.editor || e.window)) {
        r.renumbered.push_back({e.origin + 1, i + 1});
        r.retitle.push_back(i + 1);
      }
      if (e.editor) e.editor->track = static_cast<int16_t>(i + 1);
    }
    ctx.trackCount = count_;
    if (HGLOBAL h = ctx.handles->h[kHeaderEntry]) {
      if (auto* song = static_cast<SongHeader*>(GlobalLock(h))) {
        song->trackCount = static_cast<uint16_t>(count_);
        GlobalUnlock(h);
      }
    }
    // Bit 0 of track 1's word is the song's modified flag.
    if (ctx.windows && count_ > 0) ctx.windows->state[0] |= kStateModified;
    r.trackCount = count_;
    r.changed = true;
  }

 private:
  TrackEntry e_[kMaxTracks + 1];
  int count_;
};

TrackOpResult Refused(const StepSongContext& ctx, TrackOpFailure why) {
  TrackOpResult r;
  r.status = EditStatus::Refused;
  r.failure = why;
  r.trackCount = ctx.trackCount;
  return r;
}

TrackOpResult Unchanged(const StepSongContext& ctx) {
  TrackOpResult r;
  r.trackCount = ctx.trackCount;
  return r;
}

bool IsTrackIndex(const StepSongContext& ctx, int index) {
  return index >= 0 && index < Entries::SongTracks(ctx);
}

// Why the tables may not change now; None when they may.
TrackOpFailure TablesLocked(const StepSongContext& ctx) {
  if (!ctx.handles) return TrackOpFailure::NoSong;
  if (ctx.playing) return TrackOpFailure::Playing;
  return TrackOpFailure::None;
}

TrackOpFailure InsertRefusal(const StepSongContext& ctx, int index) {
  const TrackOpFailure locked = TablesLocked(ctx);
  if (locked != TrackOpFailure::None) return locked;
  if (ctx.trackCount >= TrackInsertLimit(ctx)) return TrackOpFailure::TracksFull;
  if (index < 0 || index > ctx.trackCount) return TrackOpFailure::BadIndex;
  return TrackOpFailure::None;
}

// A new movable, zero-filled, shareable block holding bytes of a source
// block; at least `size` bytes, the rest zero.
HGLOBAL CopyBlock(HGLOBAL source, SIZE_T size) {
  if (!source) return nullptr;
  const SIZE_T have = GlobalSize(source);
  if (size == 0) size = have;
  if (size == 0) return nullptr;
  HGLOBAL copy = GlobalAlloc(kShareableZeroed, size);
  if (!copy) return nullptr;
  const void* from = GlobalLock(source);
  void* to = GlobalLock(copy);
  if (from && to) std::memcpy(to, from, std::min(have, size));
  if (from) GlobalUnlock(source);
  if (to) GlobalUnlock(copy);
  if (!from || !to) {
    GlobalFree(copy);
    return nullptr;
  }
  return copy;
}

// Copies of a header (48 bytes) and an event block (its whole size), or an
// empty pair when either fails.
TrackBlocks CopyTrackBlocks(HGLOBAL header, HGLOBAL events) {
  TrackBlocks copy(CopyBlock(header, sizeof(TrackHeader)), CopyBlock(events, 0));
  if (copy.Empty()) copy.Reset();
  return copy;
}

// A copy of a track must not lose the events behind an open insertion gap.
void CloseSourceGap(StepSongContext& ctx, int index) {
  if (StepEditModel* m = ctx.editors[index]) {
    if (m->indexCurrent != 1 && m->trackBlock) MakeContiguous(*m, ctx);
  }
}

}  // namespace

int TrackInsertLimit(const StepSongContext& ctx) {
  return std::clamp(ctx.settings.maxTrack, 1, kMaxTracks - 1);
}

TrackOpResult CopyTrack(StepSongContext& ctx, int index, TrackClipboard& clipboard) {
  if (!ctx.handles) return Refused(ctx, TrackOpFailure::NoSong);
  if (!IsTrackIndex(ctx, index)) return Refused(ctx, TrackOpFailure::BadIndex);
  CloseSourceGap(ctx, index);
  TrackBlocks copy = CopyTrackBlocks(ctx.handles->h[TrackHeaderEntry(index + 1)],
                                     ctx.handles->h[TrackEventsEntry(index + 1)]);
  if (copy.Empty()) return Refused(ctx, TrackOpFailure::NoMemory);
  clipboard = std::move(copy);
  return Unchanged(ctx);
}

TrackOpResult InsertTrackAt(StepSongContext& ctx, int index, HGLOBAL header, HGLOBAL events) {
  if (!header || !events) return Refused(ctx, TrackOpFailure::EmptyClipboard);
  const TrackOpFailure refusal = InsertRefusal(ctx, index);
  if (refusal != TrackOpFailure::None) return Refused(ctx, refusal);
  TrackBlocks copy = CopyTrackBlocks(header, events);
  if (copy.Empty()) return Refused(ctx, TrackOpFailure::NoMemory);

  Entries entries(ctx);
  TrackEntry added;
  added.header = copy.header();
  added.events = copy.events();
  added.state = kStateModified | kStateTiming;
  entries.OpenAt(index, added);
  TrackOpResult r;
  entries.Store(ctx, r);
  copy.Release();  // the song owns the copies now
  return r;
}

TrackOpResult DeleteTrack(StepSongContext& ctx, int index) {
  const TrackOpFailure locked = TablesLocked(ctx);
  if (locked != TrackOpFailure::None) return Refused(ctx, locked);
  if (!IsTrackIndex(ctx, index)) return Refused(ctx, TrackOpFailure::BadIndex);
  if (ctx.trackCount <= 1) return Refused(ctx, TrackOpFailure::LastTrack);

  Entries entries(ctx);
  const TrackEntry removed = entries.RemoveAt(index);
  TrackOpResult r;
  entries.Store(ctx, r);
  r.closeWindow = removed.window;
  r.closeEditor = removed.editor;
  if (removed.window || removed.editor) r.closeTrack = index + 1;
  r.released = TrackBlocks(removed.header, removed.events);
  return r;
}

TrackOpResult CutTrack(StepSongContext& ctx, int index, TrackClipboard& clipboard) {
  const TrackOpFailure locked = TablesLocked(ctx);
  if (locked != TrackOpFailure::None) return Refused(ctx, locked);
  if (!IsTrackIndex(ctx, index)) return Refused(ctx, TrackOpFailure::BadIndex);
  if (ctx.trackCount <= 1) return Refused(ctx, TrackOpFailure::LastTrack);
  // Copied, not taken: the track's editor points at its blocks until it
  // has been closed.
  TrackClipboard copy;
  TrackOpResult copied = CopyTrack(ctx, index, copy);
  if (copied.status != EditStatus::Ok) return copied;
  TrackOpResult r = DeleteTrack(ctx, index);
  if (r.status == EditStatus::Ok) clipboard = std::move(copy);
  return r;
}

TrackHeader NewTrackHeaderBytes(int n, bool rhythm) {
  TrackHeader th = {};
  if (HGLOBAL h = NewTrackHeader(n)) {
    std::memcpy(&th, GlobalLock(h), sizeof th);
    GlobalUnlock(h);
    GlobalFree(h);
  }
  th.rhythm = rhythm ? 0x80 : 0;
  th.keyShift = rhythm ? 0x80 : 0;
  return th;
}

TrackOpResult InsertNewTrack(StepSongContext& ctx, int index, bool rhythm) {
  const TrackOpFailure refusal = InsertRefusal(ctx, index);
  if (refusal != TrackOpFailure::None) return Refused(ctx, refusal);
  TrackBlocks temp(NewTrackHeader(index + 1), NewEmptyTrack());
  if (temp.Empty()) return Refused(ctx, TrackOpFailure::NoMemory);
  auto* th = static_cast<TrackHeader*>(GlobalLock(temp.header()));
  th->rhythm = rhythm ? 0x80 : 0;
  th->keyShift = rhythm ? 0x80 : 0;
  GlobalUnlock(temp.header());
  // Both temporary blocks go with `temp`; the song keeps copies.
  return InsertTrackAt(ctx, index, temp.header(), temp.events());
}

int PasteTargetIndex(const TrackListView& view, int currentIndex, int y, int trackCount) {
  if (view.mode == 0 || view.lineHeight <= 0 || y < 0) return currentIndex;
  const int row = y / view.lineHeight;
  if (row < 2) return 0;
  if (view.top + row - 2 >= trackCount) return trackCount;
  return currentIndex;
}

TrackOpResult MoveTrackTo(StepSongContext& ctx, int source, int target) {
  const TrackOpFailure locked = TablesLocked(ctx);
  if (locked != TrackOpFailure::None) return Refused(ctx, locked);
  if (!IsTrackIndex(ctx, source) || !IsTrackIndex(ctx, target)) return Refused(ctx, TrackOpFailure::BadIndex);
  if (source == target) return Unchanged(ctx);
  Entries entries(ctx);
  entries.Move(source, target);
  TrackOpResult r;
  entries.Store(ctx, r);
  return r;
}

TrackOpResult CopyTrackTo(StepSongContext& ctx, int source, int target) {
  const TrackOpFailure locked = TablesLocked(ctx);
  if (locked != TrackOpFailure::None) return Refused(ctx, locked);
  if (!IsTrackIndex(ctx, source) || !IsTrackIndex(ctx, target)) return Refused(ctx, TrackOpFailure::BadIndex);
  if (source == target) return Unchanged(ctx);
  const TrackOpFailure refusal = InsertRefusal(ctx, target);
  if (refusal != TrackOpFailure::None) return Refused(ctx, refusal);
  CloseSourceGap(ctx, source);

  Entries entries(ctx);
  const TrackEntry& from = entries[source];
  TrackBlocks copy = CopyTrackBlocks(from.header, from.events);
  if (copy.Empty()) return Refused(ctx, TrackOpFailure::NoMemory);
  TrackEntry added;
  added.header = copy.header();
  added.events = copy.events();
  // The cached totals come along; so does their stale mark, or a stale pair
  // would never be counted again.
  added.state = from.state & kStateTiming;
  added.eventCount = from.eventCount;
  added.stepTotal = from.stepTotal;
  entries.OpenAt(target, added);
  TrackOpResult r;
  entries.Store(ctx, r);
  copy.Release();  // the song owns the copies now
  return r;
}

bool TrackTitleText(const StepSongContext& ctx, int index, std::string* caption) {
  if (!ctx.handles || !IsTrackIndex(ctx, index)) return false;
  const bool open = ctx.editors[index] || (ctx.windows && ctx.windows->editor[index]);
  if (!open) return false;
  HGLOBAL h = ctx.handles->h[TrackHeaderEntry(index + 1)];
  const auto* th = h ? static_cast<const TrackHeader*>(GlobalLock(h)) : nullptr;
  if (!th) return false;
  *caption = FormatTrackCaption(index + 1, th->comment);
  GlobalUnlock(h);
  return true;
}

std::vector<TrackMenuState> TrackContextMenuStates(const StepSongContext& ctx, bool mixing) {
  const bool editing = !ctx.playing && !mixing;
  const bool room = editing && ctx.trackCount < TrackInsertLimit(ctx);
  return {{kCmdTrackOpen, true},        {kCmdTrackProperties, true}, {kCmdTrackCut, editing},
          {kCmdTrackCopy, editing},     {kCmdTrackDelete, editing},  {kCmdTrackPaste, room},
          {kCmdTrackNewNormal, room},   {kCmdTrackNewRhythm, room}};
}

std::vector<TrackMenuState> TrackDragMenuStates(const StepSongContext& ctx, bool mixing) {
  const bool editing = !ctx.playing && !mixing;
  return {{kCmdTrackDragCancel, true},
          {kCmdTrackMoveHere, editing},
          {kCmdTrackCopyHere, editing && ctx.trackCount < TrackInsertLimit(ctx)}};
}
