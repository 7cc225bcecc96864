#include "replicate.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "editorblocks.h"
#include "lineindex.h"
#include "measures.h"
#include "shiftvalues.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint32_t kStateEdited = kStateModified | kStateTiming;

EditResult FullWithStop() {
  EditResult r = TrackFullResult();
  r.messageStyle = MB_OK | MB_ICONHAND;
  return r;
}

// The measures in order, from at least 1; a track never has more than
// INT_MAX of them.
void MeasureRange(const ReplicateSettings& s, int* a, int* b) {
  auto bounded = [](uint32_t v) { return static_cast<int>(std::clamp<uint32_t>(v, 1, INT_MAX)); };
  *a = bounded(std::min(s.startMeasure, s.endMeasure));
  *b = bounded(std::max(s.startMeasure, s.endMeasure));
}

// The run repeated times times, notes and rests transposed when asked.
std::vector<StepEvent> Copies(const StepEvent* run, int32_t length, uint32_t times, int32_t bias, bool transpose) {
  std::vector<StepEvent> one(run, run + length);
  if (transpose) {
    for (StepEvent& ev : one) {
      if (ev.code < 0x80) ev.code = static_cast<uint8_t>(FoldKeyIntoRange(static_cast<int64_t>(ev.code) + bias));
    }
  }
  std::vector<StepEvent> out;
  out.reserve(static_cast<size_t>(length) * times);
  for (uint32_t k = 0; k < times; ++k) out.insert(out.end(), one.begin(), one.end());
  return out;
}

// Points same-measure references at their measures again once events
// moved; true when the track has any.
bool RenumberRefs(StepEvent* e, int count) {
  if (std::none_of(e, e + count, [](const StepEvent& ev) { return ev.code == kCodeSameMeasure; })) return false;
  RenumberSameMeasureRefs(e, count);
  return true;
}

void WriteTrackBlock(const StepEditModel& m, const TrackBlock& tb) {
  if (!m.trackBlock) return;
  if (auto* p = static_cast<TrackBlock*>(LocalLock(m.trackBlock))) {
    *p = tb;
    LocalUnlock(m.trackBlock);
  }
}

bool IsRhythmTrack(const StepSongContext& ctx, int track) {
  if (!ctx.handles) return false;
  Locked header(ctx.handles->h[TrackHeaderEntry(track)]);
  const auto* th = header.as<TrackHeader>();
  return th && (th->rhythm & 0x80) != 0;
}

HGLOBAL Reallocate(HGLOBAL block, SIZE_T bytes) { return GlobalReAlloc(block, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT); }

// One track of the all-tracks replicate, planned before anything changes.
struct TrackPlan {
  int track;
  StepEditModel* editor;  // null when the track has none
  HGLOBAL block;
  int32_t end;            // index of the end event
  int32_t begin, stop;    // the run
  int32_t at;             // insertion index
  int64_t n;              // events to insert
};

}  // namespace

EditResult ReplicateStepRange(StepEditModel& m, StepSongContext& ctx, const ReplicateSettings& s) {
  if (ctx.shared && ctx.shared->allTracksFlag) {
    ctx.shared->allTracksFlag = 0;
    return ReplicateAllTracks(m, ctx, s);
  }
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  int a, b;
  MeasureRange(s, &a, &b);
  int source = std::max(s.sourceTrack, 1);
  if (ctx.trackCount >= 1) source = std::min(source, std::min(ctx.trackCount, kMaxTracks));

  // The run is taken out before anything moves: the source may be this track.
  std::vector<StepEvent> run;
  if (source == m.track) {
    ModelEvents block(m);
    const StepEvent* e = block.events();
    if (!e || m.eventCount >= block.slots()) return RefusedResult();
    int32_t begin, end;
    MeasureSpan(e, m.eventCount, a, b, &begin, &end);
    run.assign(e + begin, e + end);
  } else {
    StepEditModel* editor = ctx.editors[source - 1];
    if (editor && editor->indexCurrent != 1) CloseInsertGap(*editor, ctx);
    const HGLOBAL h = ContextTrackEvents(ctx, source);
    Locked block(h);
    const StepEvent* e = block.as<StepEvent>();
    if (!e) return RefusedResult();
    const int last = FindEndEvent(e, SlotsOf(h));
    if (last < 0) return RefusedResult();
    int32_t begin, end;
    MeasureSpan(e, last, a, b, &begin, &end);
    run.assign(e + begin, e + end);
  }

  const int64_t n = static_cast<int64_t>(run.size()) * s.times;
  if (!FitsTrack(m, n)) return FullWithStop();
  const int32_t at = LineEvent(m, CaretLine(m));
  if (at < 0) return RefusedResult();

  EditResult r;
  if (n > 0) {
    const std::vector<StepEvent> copies =
        Copies(run.data(), static_cast<int32_t>(run.size()), s.times, s.bias, true);
    if (!InsertEventsAt(m, ctx, at, copies.data(), static_cast<int32_t>(n))) return FullWithStop();
    ModelEvents block(m);
    if (block.events()) r.renumberRefs = RenumberRefs(block.events(), m.eventCount);
  }
  m.selFrom = m.selTo = -1;
  BuildTrackLineIndex(m, ctx);
  r.stateBits = kStateEdited;
  r.indexRebuilt = true;
  r.selectionChanged = true;
  r.scrollBars = true;
  return r;
}

EditResult ReplicateAllTracks(StepEditModel& m, StepSongContext& ctx, const ReplicateSettings& s,
                              ReplicateGrowFn grow) {
  if (!grow) grow = Reallocate;
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  int a, b;
  MeasureRange(s, &a, &b);
  const int32_t caretEvent = LineEvent(m, CaretLine(m));
  if (caretEvent < 0) return RefusedResult();
  int insertMeasure;
  {
    ModelEvents block(m);
    if (!block.events() || m.eventCount >= block.slots()) return RefusedResult();
    insertMeasure = MeasureOfEvent(block.events(), m.eventCount + 1, caretEvent);
  }

  // Check pass: every track's run and room, nothing changed yet.
  std::vector<TrackPlan> plans;
  const int tracks = std::min(ctx.trackCount, kMaxTracks);
  for (int t = 1; t <= tracks; ++t) {
    StepEditModel* editor = t == m.track ? &m : ctx.editors[t - 1];
    if (editor && editor->indexCurrent != 1) CloseInsertGap(*editor, ctx);
    const HGLOBAL h = t == m.track ? ReadTrackBlock(m).events : ContextTrackEvents(ctx, t);
    Locked block(h);
    const StepEvent* e = block.as<StepEvent>();
    if (!e) continue;
    TrackPlan p{t, editor, h, FindEndEvent(e, SlotsOf(h)), 0, 0, 0, 0};
    if (p.end < 0) continue;
    MeasureSpan(e, p.end, a, b, &p.begin, &p.stop);
    int32_t unused;
    MeasureSpan(e, p.end, insertMeasure, insertMeasure, &p.at, &unused);
    p.n = static_cast<int64_t>(p.stop - p.begin) * s.times;
    if (p.end + p.n >= kMaxTrackEvents) return FullWithStop();
    plans.push_back(p);
  }

  // Every block gets its room before any track changes: a block that cannot
  // grow leaves all tracks as they were (grown blocks hold the same events).
  for (TrackPlan& p : plans) {
    const int64_t slots = p.end + p.n + 1;  // the events, the copies, the end event
    if (p.n == 0 || SlotsOf(p.block) >= slots) continue;
    const HGLOBAL grown = grow(p.block, static_cast<SIZE_T>(slots + 1) * sizeof(StepEvent));
    if (!grown) return FullWithStop();
    if (grown == p.block) continue;
    if (ctx.handles && ctx.handles->h[TrackEventsEntry(p.track)] == p.block)
      ctx.handles->h[TrackEventsEntry(p.track)] = grown;
    if (p.editor) {
      TrackBlock tb = ReadTrackBlock(*p.editor);
      if (tb.events == p.block) {
        tb.events = grown;
        WriteTrackBlock(*p.editor, tb);
      }
    }
    p.block = grown;
  }

  EditResult r;
  for (const TrackPlan& p : plans) {
    if (p.n > 0) {
      Locked block(p.block);
      StepEvent* e = block.as<StepEvent>();
      if (!e) continue;  // a block that grew is there to lock
      // The run is copied out first: the move below may cover it.
      const std::vector<StepEvent> copies =
          Copies(e + p.begin, p.stop - p.begin, s.times, s.bias, !IsRhythmTrack(ctx, p.track));
      const auto n = static_cast<size_t>(p.n);
      std::memmove(e + p.at + n, e + p.at, (static_cast<size_t>(p.end - p.at) + 1) * sizeof(StepEvent));
      std::memcpy(e + p.at, copies.data(), n * sizeof(StepEvent));
      const bool refs = RenumberRefs(e, p.end + static_cast<int>(n));
      if (p.editor == &m) r.renumberRefs = refs;
    }
    ContextSetStateBits(ctx, p.track, kStateEdited);
    if (p.editor) {
      p.editor->selFrom = p.editor->selTo = -1;
      BuildTrackLineIndex(*p.editor, ctx);
      if (p.editor != &m) r.refreshTracks.push_back(p.track);
    }
  }
  m.selFrom = m.selTo = -1;
  r.stateBits = kStateEdited;
  r.indexRebuilt = true;
  r.selectionChanged = true;
  r.scrollBars = true;
  return r;
}
