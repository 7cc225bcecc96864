#include "rhythmcells.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fieldedit.h"
#include "lineindex.h"
#include "measures.h"
#include "overlap.h"
#include "stepblocks.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstCommand = 0x80;
constexpr uint8_t kFirstMark = 0xF0;  // codes from here on carry no step time
constexpr int32_t kMaxStepValue = 9999;
constexpr int32_t kMaxNoteVelocity = 127;
constexpr uint32_t kStateEdited = kStateModified | kStateTiming;
constexpr int kVelocityClasses[10] = {0, 8, 22, 36, 50, 64, 78, 92, 106, 120};

bool CarriesTime(uint8_t code) { return code < kFirstMark; }

// Events in whose column no note is put: the column is a mark of its own.
bool IsColumnMark(uint8_t code) {
  return code == kCodeMeasureEnd || code == kCodeSameMeasure || code == kCodeRepeatStart ||
         code == kCodeRepeatEnd || code >= kEndCode;
}

// Heads whose text follows in 0xF7 continuations.
bool HasContinuations(uint8_t code) { return code == kCodeComment || code == kCodeTrackExcl || code == kCodeExternal; }

// Where field A writes: the track exclusive heading the column, else the
// column's last event when it carries a step of its own; -1 for none.
int32_t StepTarget(const StepEvent* e, int32_t first, int32_t end) {
  if (e[first].code == kCodeTrackExcl) return first;
  const uint8_t last = e[end - 1].code;
  if (CarriesTime(last) || last == kCodeRepeatEnd || last == kCodeSameMeasure) return end - 1;
  return -1;
}

uint16_t QuarterStep(const StepSongContext& ctx) {
  return static_cast<uint16_t>((ctx.timeBase ? ctx.timeBase : 480) / 4);
}

// The track's events with the end event at eventCount, or null.
StepEvent* IndexedEvents(const StepEditModel& m, const ModelEvents& block) {
  StepEvent* e = block.events();
  if (!e || m.eventCount < 0 || m.eventCount >= block.slots() || e[m.eventCount].code < kEndCode) return nullptr;
  return e;
}

// Puts one event of the caret row in front of the caret line.
EditResult InsertCellEvent(StepEditModel& m, StepSongContext& ctx, const StepEvent& event) {
  if (PresentEvents(m) >= kMaxTrackEvents) return RefusedResult(0, 0, true);
  EditResult r = InsertStepEvent(m, ctx, event);
  if (r.status != EditStatus::Ok) return RefusedResult(0, 0, true);
  r.scrollBars = true;
  return r;
}

// Gate and velocity of every note of key in the caret column; false when
// the column has none.
bool SetColumnNotes(StepEditModel& m, uint8_t key, uint16_t gate, uint8_t velocity, uint8_t* head) {
  int32_t first, end;
  if (!RhythmColumn(m, CaretLine(m), &first, &end)) return false;
  int32_t last = -1;
  {
    ModelEvents block(m);
    StepEvent* e = IndexedEvents(m, block);
    if (!e) return false;
    *head = e[first].code;
    for (int32_t i = first; i < end; ++i) {
      if (e[i].code != key) continue;
      e[i].gate = gate;
      e[i].vel = velocity;
      last = i;
    }
  }
  if (last < 0) return false;
  RecomputeOverlapFlags(m, last);
  return true;
}

// Takes every note of key out of the caret column, keeping its length.
EditResult ClearColumnNotes(StepEditModel& m, StepSongContext& ctx, uint8_t key) {
  EditResult r;
  int32_t first, end;
  if (!RhythmColumn(m, CaretLine(m), &first, &end)) return RefusedResult();
  const int32_t stop = std::min(end, m.eventCount);  // the end event stays
  std::vector<StepEvent> kept;
  bool removed = false;
  {
    ModelEvents block(m);
    StepEvent* e = IndexedEvents(m, block);
    if (!e) return RefusedResult();
    for (int32_t i = first; i < stop; ++i) {
      StepEvent ev = e[i];
      if (ev.code != key) {
        kept.push_back(ev);
        continue;
      }
      if (ev.step == 0) {
        removed = true;
        continue;
      }
      auto taker = std::find_if(kept.rbegin(), kept.rend(), [](const StepEvent& k) { return CarriesTime(k.code); });
      if (taker != kept.rend() && taker->step + ev.step <= kMaxStepValue) {
        taker->step = static_cast<uint16_t>(taker->step + ev.step);
        removed = true;
        continue;
      }
      ev.gate = 0;
      ev.vel = 0;
      kept.push_back(ev);
    }
    const bool same = !removed && std::memcmp(kept.data(), e + first, kept.size() * sizeof(StepEvent)) == 0;
    if (same) return r;
    std::copy(kept.begin(), kept.end(), e + first);
  }
  if (removed) RemoveEvents(m, first + static_cast<int32_t>(kept.size()), stop);
  BuildTrackLineIndex(m, ctx);
  r.indexRebuilt = true;
  r.scrollBars = true;
  // Removed events change the event count the track views show.
  r.stateBits = removed ? kStateEdited : kStateModified;
  return r;
}

// The digits of a field's text as a number; large enough never to matter
// past the limits.
int32_t TextDigits(std::string_view text) {
  int32_t v = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') v = std::min(v * 10 + (c - '0'), 1000000);
  }
  return v;
}

// Steps of the events [from, to) that carry time.
int32_t StepSum(const StepEvent* e, int32_t from, int32_t to) {
  int32_t sum = 0;
  for (int32_t i = from; i < to; ++i) {
    if (CarriesTime(e[i].code)) sum += e[i].step;
  }
  return sum;
}

}  // namespace

int RhythmCaretRecord(const StepEditModel& m) { return (m.rhythmKeyScroll + m.caretRow - 1) & 127; }

bool RhythmColumn(const StepEditModel& m, int32_t line, int32_t* first, int32_t* end) {
  *first = std::max(m.eventCount, 0);
  *end = *first + 1;
  if (m.eventCount < 0 || line < 0) return false;
  if (line >= m.lineCount) return true;
  const int32_t head = LineEvent(m, line);
  if (head < 0) return false;
  *first = head;
  *end = line + 1 < m.lineCount ? LineEvent(m, line + 1) : m.eventCount + 1;
  // A table out of step with the events never yields an empty or reversed run.
  if (*end <= *first || *end > m.eventCount + 1) *end = std::min(*first, m.eventCount) + 1;
  return true;
}

int RhythmVelocityClass(char typed) {
  if (typed < '0' || typed > '9') return -1;
  return kVelocityClasses[typed - '0'];
}

EditResult TypeRhythmCell(StepEditModel& m, StepSongContext& ctx, char typed) {
  const RhythmRecord& row = ctx.rhythm[RhythmCaretRecord(m)];
  const int velocity = typed == ' ' ? 0 : RhythmVelocityClass(typed);
  if (velocity < 0) return RefusedResult();
  if (row.key >= kFirstCommand) return RefusedResult(0, 0, true);
  const uint16_t gate = typed == ' ' ? 0 : row.gate;
  const auto vel = static_cast<uint8_t>(velocity);

  EditResult r;
  if (m.indexCurrent != 1) {
    r = InsertCellEvent(m, ctx, StepEvent{row.key, vel, QuarterStep(ctx), gate});
  } else if (velocity == 0) {
    r = ClearColumnNotes(m, ctx, row.key);
  } else {
    uint8_t head = kEndCode;
    if (SetColumnNotes(m, row.key, gate, vel, &head)) {
      r.stateBits = kStateModified;
      r.scrollBars = true;
    } else if (m.eventCount >= 0 && !IsColumnMark(head)) {
      r = InsertCellEvent(m, ctx, StepEvent{row.key, vel, 0, gate});
    }
  }
  if (r.status == EditStatus::Ok) r.rightArrow = true;
  return r;
}

EditResult InsertRhythmRest(StepEditModel& m, StepSongContext& ctx) {
  const uint8_t key = ctx.rhythm[RhythmCaretRecord(m)].key;
  if (key >= kFirstCommand) return RefusedResult(0, 0, true);
  return InsertCellEvent(m, ctx, StepEvent{key, 0, QuarterStep(ctx), 0});
}

EditResult DeleteRhythmColumnHead(StepEditModel& m, StepSongContext& ctx) {
  if (m.indexCurrent != 1) return RefusedResult();
  const int32_t first = LineEvent(m, CaretLine(m));
  if (first < 0 || first >= m.eventCount) return RefusedResult();
  int32_t stop = first + 1;
  uint8_t code;
  {
    ModelEvents block(m);
    const StepEvent* e = IndexedEvents(m, block);
    if (!e) return RefusedResult();
    code = e[first].code;
    if (HasContinuations(code)) {
      while (stop < m.eventCount && e[stop].code == kCodeContinue) ++stop;
    }
  }
  if (!RemoveEvents(m, first, stop)) return RefusedResult();
  EditResult r;
  if (code == kCodeSameMeasure || code == kCodeMeasureEnd) {
    ModelEvents block(m);
    if (block.events()) RenumberSameMeasureRefs(block.events(), block.slots());
    r.renumberRefs = true;
  }
  BuildTrackLineIndex(m, ctx);
  r.indexRebuilt = true;
  r.scrollBars = true;
  r.stateBits = kStateEdited;
  return r;
}

void SetAllRhythmRowFlags(StepSharedState& shared) {
  std::fill(std::begin(shared.rhythmRowFlags), std::end(shared.rhythmRowFlags), uint8_t{1});
}

namespace {

void OnlyCaretRow(const StepEditModel& m, StepSharedState& shared) {
  std::fill(std::begin(shared.rhythmRowFlags), std::end(shared.rhythmRowFlags), uint8_t{0});
  shared.rhythmRowFlags[RhythmCaretRecord(m)] = 1;
}

bool HasSelection(const StepEditModel& m) {
  int32_t from, to;
  return OrderedSelection(m, &from, &to);
}

}  // namespace

RhythmKeyFollow RhythmHomeKey(const StepEditModel& m, StepSongContext& ctx) {
  if (!ctx.shared || !HasSelection(m)) return RhythmKeyFollow::PassOn;
  StepSharedState& s = *ctx.shared;
  const bool allSet = std::all_of(std::begin(s.rhythmRowFlags), std::end(s.rhythmRowFlags),
                                  [](uint8_t f) { return f != 0; });
  if (allSet) OnlyCaretRow(m, s);
  else SetAllRhythmRowFlags(s);
  return RhythmKeyFollow::Taken;
}

RhythmKeyFollow RhythmRowFlagChar(const StepEditModel& m, StepSongContext& ctx, char typed) {
  if (!ctx.shared) return RhythmKeyFollow::PassOn;
  switch (typed) {
    case 'K': case 'k':
      SetAllRhythmRowFlags(*ctx.shared);
      return RhythmKeyFollow::Taken;
    case 'H': case 'h': case 'V': case 'v': case 'X': case 'x': case 'Z': case 'z':
      if (!HasSelection(m)) OnlyCaretRow(m, *ctx.shared);
      return RhythmKeyFollow::PassOn;
    default:
      return RhythmKeyFollow::PassOn;
  }
}

RhythmCommit CommitRhythmField(StepEditModel& m, StepSongContext& ctx, RhythmField field, std::string_view text,
                               int followUp) {
  RhythmCommit out;
  out.edit = RefusedResult();
  if (text.empty() || text.front() == '-') return out;
  const int32_t v = TextDigits(text);
  int32_t first, end;
  if (!RhythmColumn(m, CaretLine(m), &first, &end)) return out;
  const uint8_t key = ctx.rhythm[RhythmCaretRecord(m)].key;

  int32_t index = -1;  // the last event written
  bool reference = false;
  {
    ModelEvents block(m);
    StepEvent* e = IndexedEvents(m, block);
    if (!e) return out;
    if (field == RhythmField::Step) {
      index = StepTarget(e, first, end);
      if (index < 0) return out;
      const uint8_t code = e[index].code;
      reference = code == kCodeSameMeasure;
      out.shown = std::clamp(v, code == kCodeRepeatEnd ? 0 : 1, kMaxStepValue);
      e[index].step = static_cast<uint16_t>(reference ? out.shown - 1 : out.shown);
    } else {
      out.shown = std::min(v, field == RhythmField::Gate ? kMaxStepValue : kMaxNoteVelocity);
      for (int32_t i = first; i < end && key < kFirstCommand; ++i) {
        if (e[i].code != key) continue;
        if (field == RhythmField::Gate) e[i].gate = static_cast<uint16_t>(out.shown);
        else e[i].vel = static_cast<uint8_t>(out.shown);
        index = i;
      }
      if (index < 0) return out;
    }
  }
  out.edit = EditResult();
  FinishFieldEdit(m, ctx, index, field == RhythmField::Step, reference, out.edit);
  out.stored = true;
  if (followUp == 1) {
    std::snprintf(out.text, sizeof out.text, "%d", static_cast<int>(out.shown));
    out.repaintGrid = field == RhythmField::Velocity;
  } else if (followUp == 2) {
    out.invalidateCell = true;
  }
  return out;
}

RhythmFields RhythmFieldsAtCaret(const StepEditModel& m, const StepSongContext& ctx) {
  RhythmFields f;
  int32_t first, end;
  if (RhythmColumn(m, CaretLine(m), &first, &end)) {
    ModelEvents block(m);
    if (const StepEvent* e = IndexedEvents(m, block)) {
      const uint8_t key = ctx.rhythm[RhythmCaretRecord(m)].key;
      for (int32_t i = first; i < end && key < kFirstCommand; ++i) {
        if (e[i].code != key) continue;
        f.hasNote = true;
        f.gate = e[i].gate;
        f.velocity = e[i].vel;
      }
      int32_t start = first;
      while (start > 0 && e[start - 1].code != kCodeMeasureEnd && e[start - 1].code != kCodeSameMeasure) --start;
      f.fromMeasureStart = StepSum(e, start, first);
      int32_t stop = first;
      while (stop < m.eventCount && e[stop].code != kCodeMeasureEnd && e[stop].code != kCodeSameMeasure) ++stop;
      f.toMeasureEnd = StepSum(e, first, stop);

      const uint8_t head = e[first].code;
      if (head == kCodeSameMeasure) {
        f.step = e[end - 1].step + 1;
      } else if (head == kCodeMeasureEnd) {
        f.step = f.fromMeasureStart;
      } else {
        const int32_t target = StepTarget(e, first, end);
        f.step = target >= 0 ? e[target].step : 0;
      }
    }
  }
  std::snprintf(f.a, sizeof f.a, "%d", static_cast<int>(f.step));
  if (f.hasNote) {
    std::snprintf(f.b, sizeof f.b, "%d", static_cast<int>(f.gate));
    std::snprintf(f.c, sizeof f.c, "%d", static_cast<int>(f.velocity));
  } else {
    std::snprintf(f.b, sizeof f.b, " ---");
    std::snprintf(f.c, sizeof f.c, "---");
  }
  std::snprintf(f.d, sizeof f.d, "%d", static_cast<int>(f.fromMeasureStart));
  std::snprintf(f.e, sizeof f.e, "%d", static_cast<int>(f.toMeasureEnd));
  return f;
}
