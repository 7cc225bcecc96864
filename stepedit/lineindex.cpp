#include "lineindex.h"

#include <algorithm>
#include <cstring>

#include "editorblocks.h"

namespace {

constexpr UINT kShareable = GMEM_MOVEABLE | GMEM_SHARE;

bool IsStructural(uint8_t code) { return code == 0xF8 || code == 0xF9 || code >= 0xFC; }

void WriteTrackBlock(const StepEditModel& m, const TrackBlock& tb) {
  if (!m.trackBlock) return;
  if (auto* p = static_cast<TrackBlock*>(LocalLock(m.trackBlock))) {
    *p = tb;
    LocalUnlock(m.trackBlock);
  }
}

// Puts a moved event block into the editor and, where the song held the old
// handle for the track, into the song's handle table.
void ReplaceEditorBlock(StepEditModel& m, StepSongContext& ctx, HGLOBAL oldBlock, HGLOBAL newBlock) {
  TrackBlock tb = ReadTrackBlock(m);
  tb.events = newBlock;
  WriteTrackBlock(m, tb);
  if (oldBlock == newBlock || m.track < 1 || m.track > kMaxTracks || !ctx.handles) return;
  HGLOBAL& entry = ctx.handles->h[TrackEventsEntry(m.track)];
  if (entry == oldBlock) entry = newBlock;
}

}  // namespace

int FindEndEvent(const StepEvent* events, int count) {
  for (int i = 0; i < count; ++i) {
    if (events[i].code >= kEndCode) return i;
  }
  return -1;
}

int IndexNoteOverlap(const StepEvent* events, int count, int index) {
  if (index < 0 || index >= count) return 0;
  const StepEvent& note = events[index];
  if (note.code >= 0x80 || note.gate <= 1) return 0;
  int distance = note.step;
  for (int j = index + 1; j < count && distance < note.gate; ++j) {
    const StepEvent& e = events[j];
    if (e.code >= kEndCode) return 0;
    if (e.code == note.code && e.gate != 0 && e.vel != 0) return distance;
    if (e.code < 0xF0) distance += e.step;
  }
  return 0;
}

bool BuildLineIndex(const StepEvent* events, int slots, int mode, uint8_t key, LineEntry* lines,
                    StepPosition* measures, int32_t* lastEvent, int32_t* lastLine) {
  *lastEvent = -1;
  *lastLine = -1;
  std::memset(lines, 0xFF, kLineTableBytes);
  slots = std::min(slots, kTrackSlots);
  if (mode != kModeStepList && mode != kModeRhythmGrid) return false;
  const int end = FindEndEvent(events, slots);
  if (end < 0) return false;

  int lineCount = 0;
  // Rhythm grid: a line starts at event j unless the current one already does.
  auto startLine = [&](int j) {
    if (lineCount > 0 && lines[lineCount - 1].firstEvent == static_cast<uint32_t>(j)) return;
    if (lineCount >= kTrackSlots || j > end) return;
    lines[lineCount].firstEvent = j;
    lines[lineCount].key = 0;
    ++lineCount;
  };
  if (mode == kModeRhythmGrid) startLine(0);

  int measure = 1;
  int step = 1;
  bool run = false;  // open track-exclusive run of the rhythm grid
  for (int i = 0; i <= end; ++i) {
    const StepEvent& e = events[i];
    const uint8_t code = e.code;
    measures[i] = {static_cast<uint16_t>(measure), static_cast<uint16_t>(step & 0x7FFF)};

    if (mode == kModeStepList) {
      // A key event counts only at the start of a measure.
      const bool measureStart = i == 0 || events[i - 1].code == 0xFD || events[i - 1].code == 0xFC;
      if (measureStart && code == 0xF5) key = static_cast<uint8_t>(e.step & 0xFF);
      if (lineCount < kTrackSlots) lines[lineCount].key = key;
    }
    if (code < 0x80 && e.gate != 0 && e.vel != 0 && IndexNoteOverlap(events, end + 1, i) != 0) {
      measures[i].step |= kOverlapBit;
    }
    if (code == 0xFD) {
      ++measure;
      step = 1;
    } else if (code == 0xFC) {
      step = 1;
      // A reference after a note is a measure of its own; after a measure
      // end it is the measure already counted.
      if (i > 0 && events[i - 1].code < 0xFA) {
        ++measure;
        measures[i] = {static_cast<uint16_t>(measure), 1};
      }
      ++measure;
    }

    if (mode == kModeStepList) {
      if (code != 0xF7 && lineCount < kTrackSlots) {
        lines[lineCount].firstEvent = i;
        ++lineCount;
      }
      if (code < 0xF0 && e.step != 0) ++step;
      continue;
    }

    // Rhythm grid: one line per grid step.
    if (code >= 0xF0 && !IsStructural(code)) continue;
    if (IsStructural(code)) {
      if (run) {
        run = false;
        startLine(i);
      }
      if (i > 0 && events[i - 1].code == 0xF7) startLine(i);
      if (i < end) startLine(i + 1);
      continue;
    }
    if (e.step != 0) {
      if (run) {
        run = false;
        startLine(i);
      }
      if (code == 0x98) {
        run = true;
        continue;
      }
      startLine(i + 1);
    } else if (IsStructural(events[i + 1].code)) {  // i < end here
      if (run) {
        run = false;
        startLine(i);
      }
      startLine(i + 1);
    }
  }
  if (mode == kModeStepList && lineCount < kTrackSlots) lines[lineCount].firstEvent = end + 1;
  *lastEvent = end;
  *lastLine = lineCount - 1;
  return true;
}

int OpenGapInBlock(StepEvent* events, int slots, int lastEvent, int p) {
  if (slots < kTrackSlots) return -1;
  if (lastEvent < 0 || lastEvent > kMaxTrackEvents || p < 0 || p > lastEvent) return -1;
  if (events[lastEvent].code < kEndCode) return -1;
  const int tail = p - lastEvent + (kTrackSlots - 1);
  std::memmove(events + tail, events + p, (lastEvent - p + 1) * sizeof(StepEvent));
  events[p] = EndEvent();
  return tail;
}

int CloseGapInBlock(StepEvent* events, int slots, int gapTail) {
  slots = std::min(slots, kTrackSlots);
  if (gapTail <= 0 || gapTail >= slots) return -1;
  int insertedEnd = FindEndEvent(events, gapTail);
  if (insertedEnd < 0) insertedEnd = gapTail;
  int tailEnd = FindEndEvent(events + gapTail, slots - gapTail);
  if (tailEnd < 0) {
    // The tail lost its end event: end it in the last slot rather than
    // letting the track run on into whatever lies behind.
    events[slots - 1] = EndEvent();
    tailEnd = slots - 1 - gapTail;
  }
  std::memmove(events + insertedEnd, events + gapTail, (tailEnd + 1) * sizeof(StepEvent));
  return insertedEnd + tailEnd;
}

bool FillUndoCopy(void* dest, size_t destBytes, const StepEvent* events, int slots, int lastEvent,
                  uint16_t top, uint16_t cursor) {
  if (lastEvent < 0 || lastEvent >= std::min(slots, kTrackSlots)) return false;
  if (events[lastEvent].code < kEndCode || destBytes < UndoCopyBytes(lastEvent)) return false;
  auto* head = static_cast<uint16_t*>(dest);
  head[0] = top;
  head[1] = cursor;
  head[2] = static_cast<uint16_t>(lastEvent + 1);
  std::memcpy(static_cast<StepEvent*>(dest) + 1, events, (lastEvent + 1) * sizeof(StepEvent));
  return true;
}

HGLOBAL GrowEventBlock(HGLOBAL block) {
  if (!block) return nullptr;
  if (GlobalSize(block) >= kFullBlockBytes) return block;
  return GlobalReAlloc(block, kFullBlockBytes, GMEM_MOVEABLE | GMEM_ZEROINIT);
}

HGLOBAL ShrinkEventBlock(HGLOBAL block) {
  int end;
  {
    Locked events(block);
    if (!events.as<StepEvent>()) return nullptr;
    end = FindEndEvent(events.as<StepEvent>(), SlotsOf(block));
  }
  if (end < 0) return nullptr;
  return GlobalReAlloc(block, (static_cast<SIZE_T>(end) + 2) * sizeof(StepEvent), GMEM_MOVEABLE);
}

bool GrowEditorBlock(StepEditModel& m, StepSongContext& ctx) {
  HGLOBAL old = ReadTrackBlock(m).events;
  HGLOBAL grown = GrowEventBlock(old);
  if (!grown) return false;
  ReplaceEditorBlock(m, ctx, old, grown);
  return true;
}

bool ShrinkEditorBlock(StepEditModel& m, StepSongContext& ctx) {
  HGLOBAL old = ReadTrackBlock(m).events;
  HGLOBAL shrunk = ShrinkEventBlock(old);
  if (!shrunk) return false;
  ReplaceEditorBlock(m, ctx, old, shrunk);
  return true;
}

bool PointEditorAtBlock(StepEditModel& m, StepSongContext& ctx, HGLOBAL block, bool current) {
  if (!block || !m.trackBlock) return false;
  if (current) {
    HGLOBAL grown = GrowEventBlock(block);
    if (!grown) return false;
    block = grown;
  }
  TrackBlock tb = ReadTrackBlock(m);
  const HGLOBAL old = ctx.handles && m.track >= 1 && m.track <= kMaxTracks
                          ? ctx.handles->h[TrackEventsEntry(m.track)]
                          : tb.events;
  ReplaceEditorBlock(m, ctx, old, block);
  m.indexCurrent = 1;
  m.gapTail = 0;
  m.topLine = 0;
  m.selFrom = m.selTo = -1;
  return BuildTrackLineIndex(m, ctx);
}

bool BuildTrackLineIndex(StepEditModel& m, const StepSongContext& ctx) {
  const TrackBlock tb = ReadTrackBlock(m);
  Locked events(tb.events), lines(m.lineTable), positions(tb.positions);
  bool built = false;
  int32_t lastLine = -1;
  if (events.as<StepEvent>() && lines.as<LineEntry>() && positions.as<StepPosition>() &&
      GlobalSize(m.lineTable) >= kLineTableBytes && GlobalSize(tb.positions) >= kPositionTableBytes) {
    built = BuildLineIndex(events.as<StepEvent>(), SlotsOf(tb.events), m.viewMode, ctx.songKey,
                           lines.as<LineEntry>(), positions.as<StepPosition>(), &m.eventCount, &lastLine);
  } else {
    m.eventCount = -1;
  }
  m.lineCount = lastLine + 1;
  return built;
}

int32_t InsertionLine(const StepEditModel& m, int32_t top) {
  if (m.viewMode == kModeRhythmGrid) return top + (m.caretColumn - kRhythmFirstColumn) / 2;
  return top + m.caretRow - 1;
}

bool OpenInsertGap(StepEditModel& m, const StepSongContext& ctx, int32_t top) {
  if (m.indexCurrent != 1) return false;
  const int32_t line = InsertionLine(m, top);
  if (line < 0 || line >= m.lineCount || line >= kTrackSlots) return false;
  int p;
  {
    Locked lines(m.lineTable);
    if (!lines.as<LineEntry>()) return false;
    p = static_cast<int>(lines.as<LineEntry>()[line].firstEvent);
  }
  const HGLOBAL block = ReadTrackBlock(m).events;
  int tail;
  {
    Locked events(block);
    if (!events.as<StepEvent>()) return false;
    tail = OpenGapInBlock(events.as<StepEvent>(), SlotsOf(block), m.eventCount, p);
  }
  if (tail < 0) return false;
  BuildTrackLineIndex(m, ctx);
  m.indexCurrent = 0;
  m.gapTail = tail;
  return true;
}

bool CloseInsertGap(StepEditModel& m, const StepSongContext& ctx) {
  if (m.indexCurrent != 0) return false;
  const HGLOBAL block = ReadTrackBlock(m).events;
  int closed = -1;
  {
    Locked events(block);
    if (events.as<StepEvent>()) closed = CloseGapInBlock(events.as<StepEvent>(), SlotsOf(block), m.gapTail);
  }
  if (closed >= 0) BuildTrackLineIndex(m, ctx);
  m.indexCurrent = 1;
  m.gapTail = 0;
  return closed >= 0;
}

bool MakeContiguous(StepEditModel& m, const StepSongContext& ctx) {
  if (m.indexCurrent != 1 && !CloseInsertGap(m, ctx)) return false;
  return m.eventCount >= 0;
}

bool CloseGapForPaste(StepEditModel& m, const StepSongContext& ctx) {
  if (m.indexCurrent == 1) return false;
  CloseInsertGap(m, ctx);
  SaveUndoCopy(m);
  return true;
}

bool SaveUndoCopy(StepEditModel& m) {
  TrackBlock tb = ReadTrackBlock(m);
  if (!m.trackBlock) return false;
  if (tb.undo) GlobalFree(tb.undo);
  tb.undo = nullptr;
  WriteTrackBlock(m, tb);
  if (m.eventCount < 0) return false;

  HGLOBAL copy = GlobalAlloc(kShareable, UndoCopyBytes(m.eventCount));
  if (!copy) return false;
  const uint16_t cursor = static_cast<uint16_t>(m.viewMode == kModeRhythmGrid ? m.caretColumn : m.caretRow);
  bool filled;
  {
    Locked events(tb.events), dest(copy);
    filled = events.as<StepEvent>() && dest.as<void>() &&
             FillUndoCopy(dest.as<void>(), UndoCopyBytes(m.eventCount), events.as<StepEvent>(),
                          SlotsOf(tb.events), m.eventCount, static_cast<uint16_t>(m.topLine), cursor);
  }
  if (!filled) {
    GlobalFree(copy);
    return false;
  }
  tb.undo = copy;
  WriteTrackBlock(m, tb);
  return true;
}
