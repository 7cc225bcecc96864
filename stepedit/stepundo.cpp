#include "stepundo.h"

#include <algorithm>
#include <cstring>

#include "editorblocks.h"
#include "lineindex.h"
#include "stepblocks.h"

namespace {

constexpr UINT kUndoBlockFlags = GMEM_MOVEABLE | GMEM_SHARE;

struct UndoHead {
  uint16_t top;
  uint16_t cursor;  // caret column in the rhythm grid, caret row in the step list
  uint16_t count;   // events stored, the end event included
};

enum class Snapshot { Usable, Empty, Damaged };

// The copy is read only as far as its block and a track reach, and must end
// in an end event, or it would put a track without an end in the song.
Snapshot CheckSnapshot(HGLOBAL undo, UndoHead* head) {
  const SIZE_T bytes = GlobalSize(undo);
  if (bytes < sizeof(StepEvent)) return Snapshot::Empty;
  Locked copy(undo);
  if (!copy.as<void>()) return Snapshot::Damaged;
  std::memcpy(head, copy.as<void>(), sizeof *head);
  if (head->count == 0) return Snapshot::Empty;
  const SIZE_T stored = bytes / sizeof(StepEvent) - 1;
  if (head->count > stored || head->count > kMaxTrackEvents + 1) return Snapshot::Damaged;
  if (copy.as<StepEvent>()[head->count].code < kEndCode) return Snapshot::Damaged;
  return Snapshot::Usable;
}

void SetUndoHandle(const StepEditModel& m, HGLOBAL undo) {
  if (auto* tb = static_cast<TrackBlock*>(LocalLock(m.trackBlock))) {
    tb->undo = undo;
    LocalUnlock(m.trackBlock);
  }
}

// The current events as a new copy, with the model's top line and caret.
HGLOBAL CopyCurrentEvents(const StepEditModel& m) {
  HGLOBAL copy = GlobalAlloc(kUndoBlockFlags, UndoCopyBytes(m.eventCount));
  if (!copy) return nullptr;
  const uint16_t cursor = static_cast<uint16_t>(m.viewMode == kModeRhythmGrid ? m.caretColumn : m.caretRow);
  const HGLOBAL events = ReadTrackBlock(m).events;
  bool filled;
  {
    Locked source(events), dest(copy);
    filled = source.as<StepEvent>() && dest.as<void>() &&
             FillUndoCopy(dest.as<void>(), UndoCopyBytes(m.eventCount), source.as<StepEvent>(), SlotsOf(events),
                          m.eventCount, static_cast<uint16_t>(m.topLine), cursor);
  }
  if (!filled) {
    GlobalFree(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace

bool CanRestoreStepUndo(const StepEditModel& m) {
  const HGLOBAL undo = ReadTrackBlock(m).undo;
  UndoHead head;
  return undo && CheckSnapshot(undo, &head) == Snapshot::Usable;
}

EditResult RestoreStepUndo(StepEditModel& m, StepSongContext& ctx) {
  const HGLOBAL undo = ReadTrackBlock(m).undo;
  if (!undo) return RefusedResult();
  UndoHead head;
  switch (CheckSnapshot(undo, &head)) {
    case Snapshot::Empty:
      FreeStepUndo(m);
      return RefusedResult();
    case Snapshot::Damaged:
      FreeStepUndo(m);
      return RefusedResult(0, 0, true);
    case Snapshot::Usable:
      break;
  }
  // With a gap open the tail would be left out of the new copy.
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  HGLOBAL redo = CopyCurrentEvents(m);
  if (!redo) return RefusedResult();
  if (SlotsOf(ReadTrackBlock(m).events) < head.count && !GrowEditorBlock(m, ctx)) {
    GlobalFree(redo);
    return RefusedResult();
  }
  const HGLOBAL block = ReadTrackBlock(m).events;
  {
    Locked copy(undo), events(block);
    if (!copy.as<StepEvent>() || !events.as<StepEvent>() || SlotsOf(block) < head.count) {
      GlobalFree(redo);
      return RefusedResult();
    }
    std::memcpy(events.as<StepEvent>(), copy.as<StepEvent>() + 1, head.count * sizeof(StepEvent));
  }
  GlobalFree(undo);
  SetUndoHandle(m, redo);

  if (m.viewMode == kModeRhythmGrid) {
    m.caretColumn = static_cast<int16_t>(std::clamp<int>(head.cursor, kRhythmFirstColumn, INT16_MAX));
  } else {
    m.caretRow = static_cast<int16_t>(std::clamp<int>(head.cursor, 1, INT16_MAX));
  }
  BuildTrackLineIndex(m, ctx);
  m.topLine = std::clamp<int32_t>(head.top, 0, std::max(m.lineCount - 1, 0));

  EditResult r;
  r.stateBits = kStateModified | kStateTiming;
  r.indexRebuilt = true;
  r.scrollBars = true;
  return r;
}
