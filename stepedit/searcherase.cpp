#include "searcherase.h"

#include <algorithm>
#include <cstring>

#include "editorblocks.h"
#include "lineindex.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kRestKey = 60;
constexpr uint8_t kFoldRestVelocity = 64;
constexpr uint8_t kFirstUntimedCode = 0xF0;

constexpr int kFirstSearchCommand = 2126;
constexpr int kFirstEraseCommand = 2104;
constexpr UINT kFirstEraseCaptionId = 75;

// Classes of the single-class commands in command order (search 2126-2145,
// erase 2104-2123); the second command of each run has none.
constexpr uint32_t kCommandClasses[] = {
    kFilterNotes,        0,
    kFilterControl,      kFilterPitchBend,
    kFilterVolume,       kFilterModulation,
    kFilterExpression,   kFilterChannelPressure,
    kFilterTempo,        kFilterProgram,
    kFilterPedal,        kFilterKeyPressure,
    kFilterChannelChange, kFilterRolandExcl,
    kFilterYamahaExcl,   kFilterUserExcl,
    kFilterMci,          kFilterCommandLine,
    kFilterMemo,         kFilterTrackExcl,
};
constexpr int kClassCommands = static_cast<int>(sizeof kCommandClasses / sizeof kCommandClasses[0]);

uint32_t ClassOfCommand(int command, int first) {
  const int k = command - first;
  return k >= 0 && k < kClassCommands ? kCommandClasses[k] : 0;
}

void CaretToFirstRow(StepEditModel& m) {
  if (m.viewMode == kModeRhythmGrid) m.caretColumn = kRhythmFirstColumn;
  else m.caretRow = 1;
}

void ShowLineOfEvent(StepEditModel& m, int32_t event) {
  m.topLine = LineOfEvent(m, event);
  CaretToFirstRow(m);
}

// The block of a contiguous, indexed track with its end event where the
// model says, or null.
StepEvent* CheckedEvents(const StepEditModel& m, const ModelEvents& block) {
  StepEvent* e = block.events();
  if (!e || m.eventCount < 0 || m.eventCount >= block.slots() || e[m.eventCount].code < kEndCode) return nullptr;
  return e;
}

StepEvent Rest(uint16_t step, uint8_t velocity) { return StepEvent{kRestKey, velocity, step, 0}; }

KeyRange HeldKeys(const KeyRange& keys) {
  return KeyRange{std::clamp(keys.low, 0, 127), std::clamp(keys.high, 0, 127)};
}

}  // namespace

EditResult SearchStepForward(StepEditModel& m, StepSongContext& ctx, const EventFilter& filter,
                             const SearchLogSink* log) {
  if (!MakeContiguous(m, ctx) || !BuildTrackLineIndex(m, ctx)) return RefusedResult();
  const bool logging = log && log->add;
  const int32_t end = m.eventCount;
  int32_t i = std::clamp(LineEvent(m, CaretLine(m) + 1), 0, end);
  bool full = false;
  {
    ModelEvents block(m);
    const StepEvent* e = CheckedEvents(m, block);
    if (!e) return RefusedResult();
    Locked positions(ReadTrackBlock(m).positions);
    const StepPosition* pos = positions.as<StepPosition>();
    for (;; ++i) {
      while (i < end && !MatchEventFilter(filter, e[i])) ++i;
      if (i >= end || !logging) break;
      if (log->progress) log->progress(i, end);
      SearchHit hit{m.track - 1, 0, 0, i};
      if (pos) {
        hit.measure = pos[i].measure - 1;
        hit.stepWord = pos[i].step;
      }
      if (!log->add(hit)) {
        full = true;
        break;
      }
    }
  }
  EditResult r;
  r.indexRebuilt = true;
  r.scrollBars = true;
  // The log lists the hits; the view stays where the search began.
  if (!logging) ShowLineOfEvent(m, i);
  if (full) {
    r.messageId = kSearchLogFullMessageId;
    r.messageStyle = MB_OK | MB_ICONHAND;
  }
  return r;
}

EditResult SearchStepBackward(StepEditModel& m, StepSongContext& ctx, const EventFilter& filter) {
  if (!MakeContiguous(m, ctx) || !BuildTrackLineIndex(m, ctx)) return RefusedResult();
  const int32_t end = m.eventCount;
  int32_t i = std::clamp(LineEvent(m, CaretLine(m)) - 1, 0, end);
  {
    ModelEvents block(m);
    const StepEvent* e = CheckedEvents(m, block);
    if (!e) return RefusedResult();
    while (i >= 0 && !MatchEventFilter(filter, e[i])) --i;
  }
  ShowLineOfEvent(m, std::max(i, 0));
  EditResult r;
  r.indexRebuilt = true;
  r.scrollBars = true;
  return r;
}

uint32_t SearchCommandClass(int command) { return ClassOfCommand(command, kFirstSearchCommand); }

EditResult SearchStepByClass(StepEditModel& m, StepSongContext& ctx, int command, EventFilter& search,
                             const KeyRange* keys, const SearchLogSink* log) {
  const uint32_t bit = SearchCommandClass(command);
  if (!bit) return RefusedResult();
  search.mask = bit;
  if (bit == kFilterNotes && keys) {
    const KeyRange held = HeldKeys(*keys);
    search.lowKey = held.low;
    search.highKey = held.high;
  }
  return SearchStepForward(m, ctx, search, log);
}

uint32_t EraseCommandClass(int command) { return ClassOfCommand(command, kFirstEraseCommand); }

ErasePlan PrepareEraseFilter(int command, bool askRangeFlag, EraseFilter& working) {
  ErasePlan plan;
  if (command == kEraseWithSettingsCommand || command == kEraseStoredCommand) {
    plan.go = true;
    plan.settingsDialog = command == kEraseWithSettingsCommand;
    plan.askRange = askRangeFlag;
    plan.captionId = kEraseCaptionId;
    return plan;
  }
  const uint32_t bit = EraseCommandClass(command);
  if (!bit) return plan;
  working.filter.mask = bit;
  plan.go = true;
  plan.askRange = askRangeFlag;
  plan.captionId = kFirstEraseCaptionId + static_cast<UINT>(command - kFirstEraseCommand);
  plan.askKeys = bit == kFilterNotes;
  plan.keysCaptionId = plan.askKeys ? kEraseKeysCaptionId : 0;
  return plan;
}

void ApplyEraseKeys(EraseFilter& working, const KeyRange& keys) {
  const KeyRange held = HeldKeys(keys);
  working.filter.lowKey = held.low;
  working.filter.highKey = held.high;
  working.filter.mask |= kFilterNotes;
}

EditResult EraseStepRange(StepEditModel& m, StepSongContext& ctx, EraseFilter& working, bool ctrl, bool shift) {
  if (ctrl) working.stCompress = 0;
  if (shift) working.stCompress = 1;
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  int32_t from, to;
  if (!OrderedSelection(m, &from, &to)) return RefusedResult();
  const int32_t end = m.eventCount;
  const bool heldEnd = to >= end;
  to = std::min(to, end - 1);  // the end event is never erased
  if (from > to) return RefusedResult();

  const bool compress = working.stCompress != 0;
  int32_t w = from, i = from;
  bool changed = false;
  {
    ModelEvents block(m);
    StepEvent* e = CheckedEvents(m, block);
    if (!e) return RefusedResult();
    // A step folds into the event before the write position when that one
    // carries time and the sum stays a step time.
    auto fold = [&](uint16_t step) {
      return w > 0 && e[w - 1].code < kFirstUntimedCode && e[w - 1].step + step < kMaxFoldedStep;
    };
    auto put = [&](const StepEvent& ev) {
      changed |= std::memcmp(&e[w], &ev, sizeof ev) != 0;
      e[w++] = ev;
    };
    while (i <= to) {
      const StepEvent ev = e[i];
      if (!MatchEventFilter(working.filter, ev)) {
        put(ev);
        ++i;
        continue;
      }
      // Continuations belong to the event they follow, also past the range.
      int32_t next = i + 1;
      while (next < end && e[next].code == kCodeContinue) ++next;
      if (!compress) {
        if (ev.code < kFirstUntimedCode) put(Rest(ev.step, 0));
      } else if (ev.code < kFirstUntimedCode && ev.step != 0) {
        if (fold(ev.step)) {
          // An external command's step is not time.
          if (ev.code != kCodeExternal) {
            e[w - 1].step = static_cast<uint16_t>(e[w - 1].step + ev.step);
          }
          changed = true;
        } else {
          put(Rest(ev.step, kFoldRestVelocity));
        }
      }
      i = next;
    }
    const int32_t removed = i - w;
    if (removed > 0) {
      std::memmove(e + w, e + i, (static_cast<size_t>(end - i) + 1) * sizeof(StepEvent));
      changed = true;
    }
  }
  const int32_t removed = i - w;
  m.eventCount = end - removed;

  EditResult r;
  // What is left of the range stays selected.
  const int32_t newTo = heldEnd ? m.eventCount : w - 1;
  const int32_t oldFrom = m.selFrom, oldTo = m.selTo;
  if (newTo < from) {
    m.selFrom = m.selTo = -1;
  } else if (m.selFrom <= m.selTo) {
    m.selTo = newTo;
  } else {
    m.selFrom = newTo;
  }
  r.selectionChanged = m.selFrom != oldFrom || m.selTo != oldTo;

  BuildTrackLineIndex(m, ctx);
  CaretToLineFromAnchor(m, LineOfEvent(m, from));
  r.indexRebuilt = true;
  if (changed) r.stateBits = kStateModified;
  if (removed > 0) {
    r.stateBits |= kStateTiming;
    r.scrollBars = true;
  }
  return r;
}
