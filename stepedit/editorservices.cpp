#include "editorservices.h"

#include <algorithm>

#include "editorblocks.h"
#include "fieldedit.h"

EventCounters CountTrackEvents(const StepSongContext& ctx, const StepEditModel* current) {
  EventCounters c;
  if (current) {
    c.used = PresentEvents(*current);
    c.free = kMaxTrackEvents - c.used;
    return c;
  }
  const int tracks = std::clamp(ctx.trackCount, 0, kMaxTracks);
  if (ctx.windows)
    for (int i = 0; i < tracks; ++i) c.used += ctx.windows->stepOut[i];
  c.free = kMaxTrackEvents * tracks - c.used;
  return c;
}

EditResult CheckRecordTrack(const StepSongContext& ctx) {
  const int tracks = std::min(ctx.trackCount, kMaxTracks);
  for (int n = 1; ctx.handles && n <= tracks; ++n) {
    Locked header(ctx.handles->h[TrackHeaderEntry(n)]);
    const auto* th = header.as<TrackHeader>();
    if (th && (th->mode & 0x06) != 0) return EditResult{};
  }
  return RefusedResult(kNoRecordTrackMessage, MB_OK | MB_ICONEXCLAMATION);
}

void ResetPlayCursors(StepSongContext& ctx) {
  for (StepEditModel* m : ctx.editors) {
    if (m) m->playEvent = m->playLine = 0;
  }
}

EditResult PlaceLineAtCaret(StepEditModel& m, int position, int32_t line) {
  const bool rhythm = m.viewMode == kModeRhythmGrid;
  int32_t r = std::max(rhythm ? (position - kRhythmFirstColumn) / 2 : position - 1, 0);
  // A line beyond the track would leave the caret under no event.
  line = std::clamp(line, 0, std::max(m.lineCount - 1, 0));
  int32_t first = line - r;
  if (first < 0) {
    first = 0;
    r = line;
  }
  if (rhythm) m.caretColumn = static_cast<int16_t>(2 * r + kRhythmFirstColumn);
  else m.caretRow = static_cast<int16_t>(r + 1);
  m.topLine = first;
  EditResult result;
  result.scrollBars = true;
  return result;
}
