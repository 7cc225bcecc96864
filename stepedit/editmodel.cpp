#include "editmodel.h"

#include <algorithm>

#include "editorblocks.h"

EditResult TrackFullResult() {
  EditResult r;
  r.status = EditStatus::TrackFull;
  r.messageId = kTrackFullMessageId;
  r.messageStyle = MB_OK | MB_ICONEXCLAMATION;
  return r;
}

EditResult RefusedResult(UINT messageId, UINT style, bool beep) {
  EditResult r;
  r.status = EditStatus::Refused;
  r.messageId = messageId;
  r.messageStyle = style;
  r.beep = beep;
  return r;
}

int32_t CaretLine(const StepEditModel& m) {
  if (m.viewMode == kModeRhythmGrid) return m.topLine + (m.caretColumn - kRhythmFirstColumn) / 2;
  return m.topLine + m.caretRow - 1;
}

int32_t LineEvent(const StepEditModel& m, int32_t line) {
  if (line >= m.lineCount) return m.eventCount;
  if (line < 0 || line >= kTrackSlots) return -1;
  Locked lines(m.lineTable);
  if (!lines.as<LineEntry>()) return -1;
  const auto event = static_cast<int32_t>(lines.as<LineEntry>()[line].firstEvent);
  return std::min(event, m.eventCount);
}

int32_t LineOfEvent(const StepEditModel& m, int32_t event) {
  Locked lines(m.lineTable);
  const LineEntry* table = lines.as<LineEntry>();
  if (!table || m.lineCount <= 0) return 0;
  // Lines are in event order: the last line starting at or before event.
  int32_t low = 0, high = std::min(m.lineCount, kTrackSlots) - 1;
  while (low < high) {
    const int32_t mid = (low + high + 1) / 2;
    if (static_cast<int32_t>(table[mid].firstEvent) <= event) low = mid;
    else high = mid - 1;
  }
  return low;
}

bool OrderedSelection(const StepEditModel& m, int32_t* from, int32_t* to) {
  if (m.selFrom < 0 && m.selTo < 0) return false;
  int32_t a = std::max(m.selFrom, 0), b = std::max(m.selTo, 0);
  if (a > b) std::swap(a, b);
  *from = a;
  *to = b;
  return true;
}

HGLOBAL ContextTrackEvents(const StepSongContext& ctx, int track) {
  if (!ctx.handles || track < 1 || track > kMaxTracks || track > ctx.trackCount) return nullptr;
  return ctx.handles->h[TrackEventsEntry(track)];
}

void ContextSetStateBits(StepSongContext& ctx, int track, uint32_t bits) {
  if (!ctx.windows || track < 1 || track > kMaxTracks) return;
  ctx.windows->state[track - 1] |= bits;
}
