#include "stepblocks.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "editorblocks.h"
#include "lineindex.h"
#include "measures.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint32_t kStateEdited = kStateModified | kStateTiming;
constexpr uint8_t kRestKey = 60;
constexpr int16_t kStepValueColumn = 31;    // value field of a controller line
constexpr int16_t kStepTimeColumn = 22;     // step field
constexpr int16_t kStepGateColumn = 27;     // gate field
// Beyond this a caret offset would not fit the 16-bit caret fields.
constexpr int32_t kMaxCaretOffset = (SHRT_MAX - kRhythmFirstColumn) / 2;

// The selection ordered, from at least 0, with both ends at most the end
// event.
bool SelectionEnds(const StepEditModel& m, int32_t* from, int32_t* to) {
  if (!OrderedSelection(m, from, to)) return false;
  *from = std::min(*from, m.eventCount);
  *to = std::min(*to, m.eventCount);
  return true;
}

// Controllers whose line opens on the value field.
bool IsValueController(uint16_t controller) {
  return controller == 1 || controller == 7 || controller == 10 || controller == 11 || controller == 64;
}

// The measure an event is shown in, from the editor's position table; 0
// without one.
int MeasureOfEvent(const StepEditModel& m, int32_t event) {
  if (event < 0 || event >= kTrackSlots) return 0;
  const HGLOBAL table = ReadTrackBlock(m).positions;
  if (!table || GlobalSize(table) < kPositionTableBytes) return 0;
  Locked positions(table);
  const StepPosition* p = positions.as<StepPosition>();
  return p ? p[event].measure : 0;
}

void CaretToFirstRow(StepEditModel& m) {
  if (m.viewMode == kModeRhythmGrid) m.caretColumn = kRhythmFirstColumn;
  else m.caretRow = 1;
}

// Puts the caret on a line after a delete: the view starts at the anchor
// line when the line lies at or after it, else at the line itself; a line
// past the last puts the last line on top.
void PutCaretOnLine(StepEditModel& m, int32_t line) {
  const int32_t last = std::max(m.lineCount - 1, 0);
  if (line > last) {
    m.topLine = last;
    CaretToFirstRow(m);
    return;
  }
  const int32_t anchor = std::max(m.anchorLine, 0);
  m.topLine = line >= anchor && line - anchor <= kMaxCaretOffset ? anchor : line;
  const int32_t offset = line - m.topLine;
  if (m.viewMode == kModeRhythmGrid) m.caretColumn = static_cast<int16_t>(kRhythmFirstColumn + 2 * offset);
  else m.caretRow = static_cast<int16_t>(offset + 1);
}

EditResult DeleteSelection(StepEditModel& m, StepSongContext& ctx, bool allTracks) {
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  int32_t from, to;
  if (!SelectionEnds(m, &from, &to)) return RefusedResult();

  int32_t end = to + 1;  // exclusive
  if (allTracks) {
    const int a = MeasureOfEvent(m, from), b = MeasureOfEvent(m, to);
    if (a <= 0 || b <= 0) return RefusedResult();
    ModelEvents block(m);
    if (!block.events() || m.eventCount >= block.slots()) return RefusedResult();
    // Whole measures: the end is the first event after the last measure, so
    // the next measure keeps its first event.
    MeasureSpan(block.events(), m.eventCount, a, b, &from, &end);
  }
  end = std::min(end, m.eventCount);  // the end event stays
  const bool ownChanged = from < end;
  if (!ownChanged && !allTracks) return RefusedResult();
  EditResult r;
  if (allTracks) r = DeleteRangeAllTracks(m, ctx);

  const int32_t line = LineOfEvent(m, from);
  if (ownChanged && !RemoveEvents(m, from, end)) return RefusedResult();
  m.selFrom = m.selTo = -1;
  BuildTrackLineIndex(m, ctx);
  PutCaretOnLine(m, line);
  if (ownChanged) r.stateBits |= kStateEdited;
  r.indexRebuilt = true;
  r.selectionChanged = true;
  r.scrollBars = true;
  return r;
}

}  // namespace

void PackMemoEvents(std::string_view text, StepEvent out[kMemoEvents]) {
  auto at = [&](size_t i) -> uint16_t {
    return i < text.size() ? static_cast<uint8_t>(text[i]) : static_cast<uint8_t>(' ');
  };
  for (int k = 0; k < kMemoEvents; ++k) {
    const size_t b = static_cast<size_t>(k) * 5;
    out[k].code = k == 0 ? kCodeComment : kCodeContinue;
    out[k].vel = static_cast<uint8_t>(at(b));
    out[k].step = static_cast<uint16_t>(at(b + 1) | at(b + 2) << 8);
    out[k].gate = static_cast<uint16_t>(at(b + 3) | at(b + 4) << 8);
  }
}

EditResult CutStepBlock(StepEditModel& m, StepSongContext& ctx, std::vector<StepEvent>* block) {
  block->assign(1, EndEvent());
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  int32_t from, to;
  if (!SelectionEnds(m, &from, &to)) return RefusedResult();
  to = std::min(to, m.eventCount - 1);  // never the end event
  if (from > to) return RefusedResult();
  {
    ModelEvents events(m);
    if (!events.events() || m.eventCount >= events.slots()) return RefusedResult();
    block->assign(events.events() + from, events.events() + to + 1);
  }
  block->push_back(EndEvent());
  if (!RemoveEvents(m, from, to + 1)) {
    block->assign(1, EndEvent());
    return RefusedResult();
  }
  EditResult r;
  r.stateBits = kStateEdited;
  return r;
}

EditResult InsertStepBlock(StepEditModel& m, StepSongContext& ctx, const std::vector<StepEvent>& block) {
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  int32_t n = 0;
  while (n < static_cast<int32_t>(block.size()) && block[n].code < kEndCode) ++n;
  int32_t at = 0, to;
  if (OrderedSelection(m, &at, &to)) at = std::min(at, m.eventCount);
  else at = 0;
  if (n > 0 && !InsertEventsAt(m, ctx, at, block.data(), n)) return TrackFullResult();
  m.selFrom = m.selTo = -1;
  BuildTrackLineIndex(m, ctx);
  EditResult r;
  if (n > 0) r.stateBits = kStateEdited;
  r.indexRebuilt = true;
  r.selectionChanged = true;
  return r;
}

EditResult InsertStepEvent(StepEditModel& m, StepSongContext& ctx, StepEvent event) {
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  if (!FitsTrack(m, 0)) return RefusedResult();  // no message for a single event
  const int32_t at = LineEvent(m, CaretLine(m));
  if (at < 0 || !InsertEventsAt(m, ctx, at, &event, 1)) return RefusedResult();

  EditResult r;
  const uint8_t code = event.code;
  if (code == kCodeSameMeasure) {
    ModelEvents block(m);
    if (block.events()) RenumberSameMeasureRefs(block.events(), block.slots());
    r.renumberRefs = true;
  }
  BuildTrackLineIndex(m, ctx);
  r.indexRebuilt = true;

  const bool structural = code == kCodeRepeatEnd || code == kCodeRepeatStart || code == kCodeSameMeasure ||
                          code == kCodeMeasureEnd;
  if (m.viewMode == kModeRhythmGrid) {
    r.rightArrow = structural;
  } else if ((code == kCodeControl && IsValueController(event.gate)) || code == kCodePitch) {
    m.caretColumn = kStepValueColumn;
  } else if (code == kCodeKeySig || code == kCodeRepeatEnd || code == kCodeSameMeasure) {
    m.caretColumn = kStepTimeColumn;
  } else if (code == kCodeRepeatStart || code == kCodeMeasureEnd) {
    r.lineDown = true;
  } else {
    m.caretColumn = kStepGateColumn;
  }
  r.scrollBars = code == kCodeSameMeasure || code == kCodeMeasureEnd;
  // An added event changes the event count the track views show.
  r.stateBits = kStateEdited;
  return r;
}

EditResult InsertEventsAtCaret(StepEditModel& m, StepSongContext& ctx, int caretRow, const StepEvent* events,
                               int count, std::optional<std::string_view> memo, uint16_t restStep) {
  if (count < 0 || (count > 0 && !events)) return RefusedResult();
  const bool gapWasOpen = m.indexCurrent != 1;
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  const int rest = restStep != 0 ? 1 : 0;
  const int memoEvents = memo ? kMemoEvents : 0;
  if (!FitsTrack(m, static_cast<int64_t>(count) + rest + memoEvents)) return TrackFullResult();
  const int32_t at = LineEvent(m, m.topLine + caretRow - 1);
  if (at < 0) return RefusedResult();

  std::vector<StepEvent> group;
  group.reserve(static_cast<size_t>(count) + rest + memoEvents);
  if (memo) {
    StepEvent packed[kMemoEvents];
    PackMemoEvents(*memo, packed);
    group.insert(group.end(), packed, packed + kMemoEvents);
  }
  if (rest) group.push_back(StepEvent{kRestKey, 0, restStep, 0});
  if (count > 0) group.insert(group.end(), events, events + count);
  if (group.empty()) return RefusedResult();

  // The group replaces the note it was built on; any other event (a command,
  // a measure end, the end event, the line of an open gap) stays after it.
  bool replace = false;
  if (!gapWasOpen && count > 0 && at < m.eventCount) {
    ModelEvents block(m);
    replace = block.events() && block.events()[at].code < 0x80;
  }
  const auto n = static_cast<int32_t>(group.size());
  if (replace) {
    if (!InsertEventsAt(m, ctx, at + 1, group.data() + 1, n - 1)) return TrackFullResult();
    ModelEvents block(m);
    if (block.events()) block.events()[at] = group[0];
  } else if (!InsertEventsAt(m, ctx, at, group.data(), n)) {
    return TrackFullResult();
  }
  BuildTrackLineIndex(m, ctx);
  EditResult r;
  r.indexRebuilt = true;
  r.scrollBars = true;
  r.lineDown = true;
  r.stateBits = kStateEdited;
  return r;
}

EditResult DeleteStepSelection(StepEditModel& m, StepSongContext& ctx) {
  const bool allTracks = ctx.shared->allTracksFlag != 0;
  ctx.shared->allTracksFlag = 0;
  return DeleteSelection(m, ctx, allTracks);
}

EditResult DeleteRangeAllTracks(StepEditModel& m, StepSongContext& ctx) {
  int32_t from, to;
  if (m.eventCount < 0 || !SelectionEnds(m, &from, &to)) return RefusedResult();
  const int a = MeasureOfEvent(m, from), b = MeasureOfEvent(m, to);
  if (a <= 0 || b <= 0) return RefusedResult();

  EditResult r;
  for (int track = 1; track <= ctx.trackCount && track <= kMaxTracks; ++track) {
    if (track == m.track) continue;
    StepEditModel* editor = ctx.editors[track - 1];
    if (editor && editor->indexCurrent != 1) CloseInsertGap(*editor, ctx);
    const HGLOBAL h = ContextTrackEvents(ctx, track);
    int32_t begin = 0, stop = 0;
    {
      Locked block(h);
      StepEvent* e = block.as<StepEvent>();
      if (!e) continue;
      const int last = FindEndEvent(e, SlotsOf(h));
      if (last < 0) continue;
      MeasureSpan(e, last, a, b, &begin, &stop);
      if (stop <= begin) continue;  // the track lacks those measures
      std::memmove(e + begin, e + stop, (static_cast<size_t>(last - stop) + 1) * sizeof(StepEvent));
    }
    ContextSetStateBits(ctx, track, kStateEdited);
    if (editor && editor->trackBlock) {
      BuildTrackLineIndex(*editor, ctx);
      editor->topLine = LineOfEvent(*editor, begin);
      CaretToFirstRow(*editor);
      editor->selFrom = editor->selTo = -1;
      r.refreshTracks.push_back(track);
    }
  }
  return r;
}

bool SelectStepCaretLine(StepEditModel& m) {
  const int32_t line = CaretLine(m);
  if (line < 0 || line >= m.lineCount) return false;
  const int32_t from = LineEvent(m, line);
  const int32_t next = LineEvent(m, line + 1);
  if (from < 0 || from >= m.eventCount || next <= from) return false;
  m.selFrom = from;
  m.selTo = std::min(next, m.eventCount) - 1;
  return true;
}

EditResult CutCaretLine(StepEditModel& m, StepSongContext& ctx, std::vector<StepEvent>* cut) {
  cut->clear();
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  m.pendingCommand = kPendingLineCut;
  EditResult r = RefusedResult();
  if (SelectStepCaretLine(m)) {
    {
      ModelEvents block(m);
      if (block.events() && m.selTo < block.slots()) cut->assign(block.events() + m.selFrom, block.events() + m.selTo + 1);
    }
    // One line of this track only, whatever range flag is left over.
    r = DeleteSelection(m, ctx, false);
    if (r.status != EditStatus::Ok) cut->clear();
  }
  m.pendingCommand = 0;
  return r;
}

void FreeStepUndo(StepEditModel& m) {
  if (!m.trackBlock) return;
  if (auto* tb = static_cast<TrackBlock*>(LocalLock(m.trackBlock))) {
    if (tb->undo) GlobalFree(tb->undo);
    tb->undo = nullptr;
    LocalUnlock(m.trackBlock);
  }
}
