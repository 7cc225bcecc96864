#include "lineindex.h"

#include <algorithm>
#include <cstring>

#include "appglobals.h"
#include "editorblocks.h"
#include "songmodel.h"

namespace {

constexpr UINT kShareable = GMEM_MOVEABLE | GMEM_SHARE;

bool IsStructural(uint8_t code) { return code == 0xF8 || code == 0xF9 || code >= 0xFC; }

void WriteTrackBlock(const StepEditorData& ed, const TrackBlock& tb) {
  if (!ed.trackBlock) return;
  if (auto* p = static_cast<TrackBlock*>(LocalLock(ed.trackBlock))) {
    *p = tb;
    LocalUnlock(ed.trackBlock);
  }
}

uint8_t SongKey() {
  HGLOBAL h = SongEntry(kHeaderEntry);
  Locked header(h);
  return header.as<SongHeader>() ? header.as<SongHeader>()->key : 0;
}

// Puts a moved event block back into the editor and, when the song held the
// old handle for the track, into the song's handle table.
void ReplaceEditorBlock(StepEditorData* ed, HGLOBAL oldBlock, HGLOBAL newBlock) {
  TrackBlock tb = ReadTrackBlock(*ed);
  tb.events = newBlock;
  WriteTrackBlock(*ed, tb);
  if (oldBlock == newBlock || ed->track < 1 || ed->track > kMaxTracks) return;
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return;
  if (doc->handleTable) {
    auto* table = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
    HGLOBAL& entry = table->h[TrackEventsEntry(ed->track)];
    if (entry == oldBlock) entry = newBlock;
    LocalUnlock(doc->handleTable);
  }
  UnlockSongDocument(g_app.frame);
}

}  // namespace

int FindEndEvent(const StepEvent* events, int count) {
  for (int i = 0; i < count; ++i) {
    if (events[i].code >= kEndCode) return i;
  }
  return -1;
}

int FindNoteOverlap(const StepEvent* events, int count, int index) {
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
                    MeasureEntry* measures, int32_t* lastEvent, int32_t* lastLine) {
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
    if (code < 0x80 && e.gate != 0 && e.vel != 0 && FindNoteOverlap(events, end + 1, i) != 0) {
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

bool GrowEditorBlock(StepEditorData* ed) {
  HGLOBAL old = ReadTrackBlock(*ed).events;
  HGLOBAL grown = GrowEventBlock(old);
  if (!grown) return false;
  ReplaceEditorBlock(ed, old, grown);
  return true;
}

bool ShrinkEditorBlock(StepEditorData* ed) {
  HGLOBAL old = ReadTrackBlock(*ed).events;
  HGLOBAL shrunk = ShrinkEventBlock(old);
  if (!shrunk) return false;
  ReplaceEditorBlock(ed, old, shrunk);
  return true;
}

bool BuildTrackLineIndex(StepEditorData* ed) {
  const TrackBlock tb = ReadTrackBlock(*ed);
  Locked events(tb.events), lines(ed->lineTable), measures(tb.measureTable);
  bool built = false;
  if (events.as<StepEvent>() && lines.as<LineEntry>() && measures.as<MeasureEntry>() &&
      GlobalSize(ed->lineTable) >= kLineTableBytes && GlobalSize(tb.measureTable) >= kMeasureTableBytes) {
    built = BuildLineIndex(events.as<StepEvent>(), SlotsOf(tb.events), ed->mode, SongKey(),
                           lines.as<LineEntry>(), measures.as<MeasureEntry>(), &ed->lastEvent,
                           &ed->lastLine);
  } else {
    ed->lastEvent = -1;
    ed->lastLine = -1;
  }
  ed->lineCount = ed->lastLine + 1;
  return built;
}

int32_t InsertionLine(const StepEditorData& ed, int32_t top) {
  if (ed.mode == kModeRhythmGrid) return top + (ed.caretColumn - kRhythmFirstColumn) / 2;
  return top + ed.caretRow - 1;
}

bool OpenInsertGap(StepEditorData* ed, int32_t top) {
  if (ed->indexValid != 1) return false;
  const int32_t line = InsertionLine(*ed, top);
  if (line < 0 || line > ed->lastLine || line >= kTrackSlots) return false;
  int p;
  {
    Locked lines(ed->lineTable);
    if (!lines.as<LineEntry>()) return false;
    p = static_cast<int>(lines.as<LineEntry>()[line].firstEvent);
  }
  const HGLOBAL block = ReadTrackBlock(*ed).events;
  int tail;
  {
    Locked events(block);
    if (!events.as<StepEvent>()) return false;
    tail = OpenGapInBlock(events.as<StepEvent>(), SlotsOf(block), ed->lastEvent, p);
  }
  if (tail < 0) return false;
  BuildTrackLineIndex(ed);
  ed->indexValid = 0;
  ed->gapTail = tail;
  return true;
}

bool CloseInsertGap(StepEditorData* ed) {
  if (ed->indexValid != 0) return false;
  const HGLOBAL block = ReadTrackBlock(*ed).events;
  int closed = -1;
  {
    Locked events(block);
    if (events.as<StepEvent>()) closed = CloseGapInBlock(events.as<StepEvent>(), SlotsOf(block), ed->gapTail);
  }
  if (closed >= 0) BuildTrackLineIndex(ed);
  ed->indexValid = 1;
  ed->gapTail = 0;
  return closed >= 0;
}

bool SaveUndoCopy(StepEditorData* ed) {
  TrackBlock tb = ReadTrackBlock(*ed);
  if (!ed->trackBlock) return false;
  if (tb.undo) GlobalFree(tb.undo);
  tb.undo = nullptr;
  WriteTrackBlock(*ed, tb);
  if (ed->lastEvent < 0) return false;

  HGLOBAL copy = GlobalAlloc(kShareable, UndoCopyBytes(ed->lastEvent));
  if (!copy) return false;
  const uint16_t cursor = static_cast<uint16_t>(ed->mode == kModeRhythmGrid ? ed->caretColumn : ed->caretRow);
  bool filled;
  {
    Locked events(tb.events), dest(copy);
    filled = events.as<StepEvent>() && dest.as<void>() &&
             FillUndoCopy(dest.as<void>(), UndoCopyBytes(ed->lastEvent), events.as<StepEvent>(),
                          SlotsOf(tb.events), ed->lastEvent, static_cast<uint16_t>(ed->topLine), cursor);
  }
  if (!filled) {
    GlobalFree(copy);
    return false;
  }
  tb.undo = copy;
  WriteTrackBlock(*ed, tb);
  return true;
}
