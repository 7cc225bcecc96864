#include "fieldedit.h"

#include <algorithm>
#include <cstring>

#include "editorblocks.h"
#include "lineindex.h"
#include "measures.h"
#include "overlap.h"

namespace {

constexpr uint8_t kDefaultKey = 60;
constexpr uint8_t kDefaultVelocity = 64;

bool Within(uint8_t code, uint8_t low, uint8_t high) { return code >= low && code <= high; }

void AtMost(uint16_t& field, int limit) {
  if (static_cast<int16_t>(field) > limit) field = static_cast<uint16_t>(limit);
}
void AtMost(uint8_t& field, int limit) {
  if (field > limit) field = static_cast<uint8_t>(limit);
}

}  // namespace

bool StepFieldChanged(const StepSharedState& shared) {
  return std::strncmp(shared.fieldBuffer, "      ", kFieldChars) != 0;
}

void ClearStepFieldBuffer(StepSharedState& shared) {
  std::memcpy(shared.fieldBuffer, "      ", kFieldChars + 1);
  shared.typedChars = 0;
}

void ClampStepEvent(StepEvent& e) {
  const uint8_t c = e.code;
  if (c < 0x80) {
    AtMost(e.vel, 127);
  } else if (Within(c, 0x90, 0x98) || Within(c, 0xC7, 0xCE) || Within(c, 0xDC, 0xDF) || c == 0xE1 || c == 0xE2 ||
             c == 0xEA || c == 0xEB || c == 0xED || c == 0xEE) {
    AtMost(e.gate, 127);
    AtMost(e.vel, 127);
  } else if (Within(c, 0xC0, 0xC3) || c == 0xC6) {
    AtMost(e.vel, 127);
  } else if (c == 0xCF) {
    AtMost(e.gate, 127);
  } else if (c == 0xE6) {
    AtMost(e.gate, 32);
    e.vel = 0;
  } else if (c == 0xEC) {
    AtMost(e.gate, 127);
    e.vel = 0;
  } else if (c == 0xF5) {
    AtMost(e.step, 31);
  } else if (c == 0xF8) {
    AtMost(e.gate, 127);
  }
}

void FinishFieldEdit(StepEditModel& m, StepSongContext& ctx, int32_t index, bool stepChanged, bool renumber,
                     EditResult& r) {
  {
    ModelEvents block(m);
    StepEvent* e = block.events();
    if (e && index >= 0 && index < block.slots()) {
      ClampStepEvent(e[index]);
      if (renumber) RenumberSameMeasureRefs(e, block.slots());
    }
  }
  if (renumber) r.renumberRefs = true;
  if (stepChanged || renumber) {
    BuildTrackLineIndex(m, ctx);
    r.indexRebuilt = true;
  } else {
    RecomputeOverlapFlags(m, index);
  }
  if (ctx.shared) ClearStepFieldBuffer(*ctx.shared);
  // Marked in the gap state too: what is typed there is the user's data.
  r.stateBits |= stepChanged ? kStateModified | kStateTiming : kStateModified;
}

int32_t PresentEvents(const StepEditModel& m) {
  if (m.indexCurrent != 0) return m.eventCount;
  return static_cast<int32_t>(static_cast<uint16_t>(m.eventCount - m.gapTail + (kTrackSlots - 1)));
}

StepEvent PreviousNoteValues(const StepEditModel& m, const StepSongContext& ctx, int32_t index) {
  ModelEvents block(m);
  const StepEvent* e = block.events();
  if (e) {
    for (int32_t i = std::min(index, block.slots()) - 1; i >= 0; --i) {
      if (e[i].code < 0x80) return e[i];
    }
  }
  const int tb = ctx.timeBase ? ctx.timeBase : 480;
  return StepEvent{kDefaultKey, kDefaultVelocity, static_cast<uint16_t>(tb / 2), static_cast<uint16_t>(tb * 5 / 12)};
}

int32_t PreviousTimedNote(const StepEditModel& m, int32_t index) {
  ModelEvents block(m);
  const StepEvent* e = block.events();
  if (!e) return -1;
  for (int32_t i = std::min(index, block.slots()) - 1; i >= 0; --i) {
    if (e[i].code < 0x80 && e[i].step != 0) return i;
  }
  return -1;
}

EditResult RepeatPreviousLineInGap(StepEditModel& m, StepSongContext& ctx) {
  const EditResult refused = RefusedResult(0, 0, true);
  if (PresentEvents(m) >= kMaxTrackEvents) return refused;
  const int32_t at = m.eventCount;
  if (at < 0 || LineEvent(m, CaretLine(m)) != at) return refused;
  const StepEvent note = PreviousNoteValues(m, ctx, at);
  const TrackBlock tb = ReadTrackBlock(m);
  {
    Locked events(tb.events), lines(m.lineTable), positions(tb.positions);
    StepEvent* e = events.as<StepEvent>();
    LineEntry* line = lines.as<LineEntry>();
    StepPosition* pos = positions.as<StepPosition>();
    // The new end event must not land on the moved tail or past the block.
    const int32_t room = m.indexCurrent == 0 ? m.gapTail : SlotsOf(tb.events);
    if (!e || !line || !pos || at + 1 >= room || at + 1 >= kTrackSlots || m.lineCount <= 0 ||
        m.lineCount >= kTrackSlots || e[at].code < kEndCode)
      return refused;
    e[at] = note;
    e[at + 1] = EndEvent();
    pos[at + 1] = pos[at];
    pos[at + 1].step &= kStepNumberMask;
    if (note.step != 0) pos[at + 1].step = static_cast<uint16_t>((pos[at + 1].step + 1) & kStepNumberMask);
    line[m.lineCount] = line[m.lineCount - 1];
    line[m.lineCount].firstEvent = static_cast<uint32_t>(at + 1);
  }
  ++m.eventCount;
  ++m.lineCount;
  EditResult r;
  r.scrollBars = true;
  // The tables were extended in place; no rebuild is needed.
  FinishFieldEdit(m, ctx, at, false, false, r);
  r.stateBits |= kStateTiming;
  return r;
}
