// Record merge and track mix over the open song: locking the blocks, the
// questions and messages, and putting the result in place of the track.
#include <cstring>
#include <string>

#include "appglobals.h"
#include "measures.h"
#include "msgbox.h"
#include "resource.h"
#include "songmodel.h"
#include "trackmerge.h"

namespace {

TrackEditorRefresh g_editorRefresh = nullptr;

bool IsSongTrack(int n) { return n >= 1 && n <= g_song.trackCount && n <= kMaxTracks; }

// One track's event block, locked for the merge.
class LockedTrack {
 public:
  explicit LockedTrack(int n) : handle_(SongEntry(TrackEventsEntry(n))) {
    if (!handle_) return;
    events_ = static_cast<StepEvent*>(GlobalLock(handle_));
    if (events_) slots_ = static_cast<int>(GlobalSize(handle_) / sizeof(StepEvent));
  }
  ~LockedTrack() {
    if (events_) GlobalUnlock(handle_);
  }
  LockedTrack(const LockedTrack&) = delete;
  LockedTrack& operator=(const LockedTrack&) = delete;

  StepEvent* events() const { return events_; }
  int slots() const { return slots_; }

 private:
  HGLOBAL handle_;
  StepEvent* events_ = nullptr;
  int slots_ = 0;
};

void RecountFreeEvents() {
  int32_t freeCount = kMaxTrackEvents * g_song.trackCount;
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    LockedTrack track(n);
    freeCount -= CountEvents(track.events(), track.slots());
  }
  g_song.freeEvents = freeCount;
}

// Puts the merged events in place of the track's block, sized as every block
// between edits: its events, the end event and one spare slot.
int StoreMergedTrack(int n, const std::vector<StepEvent>& events) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT,
                              (events.size() + 1) * sizeof(StepEvent));
  if (!block) return kMergeNoMemory;
  std::memcpy(GlobalLock(block), events.data(), events.size() * sizeof(StepEvent));
  GlobalUnlock(block);

  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc || !doc->handleTable) {
    if (doc) UnlockSongDocument(g_app.frame);
    GlobalFree(block);
    return kMergeBadInput;
  }
  auto* table = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
  HGLOBAL old = table->h[TrackEventsEntry(n)];
  table->h[TrackEventsEntry(n)] = block;
  LocalUnlock(doc->handleTable);
  if (old) GlobalFree(old);

  HWND editor = nullptr;
  if (doc->trackWindows) {
    auto* windows = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
    windows->state[n - 1] = 3;
    editor = windows->editor[n - 1];
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(g_app.frame);

  if (editor && g_editorRefresh) g_editorRefresh(editor, n);
  RecountFreeEvents();
  return kMergeOk;
}

void ShowTooBig(UINT stringId) { ShowMessageById(nullptr, MB_OK | MB_ICONEXCLAMATION, stringId); }

}  // namespace

void SetTrackEditorRefresh(TrackEditorRefresh refresh) { g_editorRefresh = refresh; }

int RecordMerge(const StepEvent* recorded, int recordedCount, int track, int32_t start,
                int32_t end, int flags, int measureLimit) {
  if (!IsSongTrack(track) || !recorded || recordedCount <= 0) return kMergeBadInput;
  MergeOptions options;
  options.outputSlots = kRecordMergeSlots;
  options.replace = (flags & kRecordMixFlag) == 0;
  if (options.replace) {
    options.windowStart = start;
    options.windowEnd = end;
  }
  std::vector<StepEvent> take;
  if (measureLimit > 0) {
    take = CutAfterMeasures(recorded, recordedCount, measureLimit);
    recorded = take.data();
    recordedCount = static_cast<int>(take.size());
    // The cut take already counts in song steps.
    if (options.replace) options.windowEnd = PlainStepTotal(recorded, recordedCount);
  }

  MergeResult result;
  {
    LockedTrack base(track);
    if (!base.events()) return kMergeBadInput;
    RenumberSameMeasureRefs(base.events(), base.slots());
    result = MergeEventBlocks(recorded, recordedCount, base.events(), base.slots(), options);
  }
  if (result.overflow) {
    ShowTooBig(IDS_RECORD_TOO_BIG);
    return kMergeOverflow;
  }
  return StoreMergedTrack(track, result.events);
}

int TrackMix(int trackA, int trackB, int destination) {
  if (!IsSongTrack(trackA) || !IsSongTrack(trackB) || !IsSongTrack(destination))
    return kMergeBadInput;
  std::string number = std::to_string(destination);
  if (ShowMessageById(nullptr, MB_YESNO | MB_ICONQUESTION, IDS_TRACK_MIX_CONFIRM,
                      number.c_str()) != IDYES)
    return kMergeDeclined;

  MergeOptions options;
  options.outputSlots = kTrackMixSlots;
  MergeResult result;
  {
    LockedTrack a(trackA);
    LockedTrack b(trackB);
    if (!a.events() || !b.events()) return kMergeBadInput;
    RenumberSameMeasureRefs(a.events(), a.slots());
    RenumberSameMeasureRefs(b.events(), b.slots());
    result = MergeEventBlocks(b.events(), b.slots(), a.events(), a.slots(), options);
  }
  if (result.overflow) {
    ShowTooBig(IDS_TRACK_MIX_TOO_BIG);
    return kMergeOverflow;
  }
  return StoreMergedTrack(destination, result.events);
}
