#include "editmodel.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "editorblocks.h"
#include "lineindex.h"
#include "notenames.h"

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

void MergeEditResult(EditResult& into, const EditResult& r) {
  if (into.status == EditStatus::Ok && r.status != EditStatus::Ok) {
    into.status = r.status;
    into.messageId = r.messageId;
    into.messageStyle = r.messageStyle;
  }
  into.beep |= r.beep;
  into.stateBits |= r.stateBits;
  into.indexRebuilt |= r.indexRebuilt;
  into.renumberRefs |= r.renumberRefs;
  into.scrollBars |= r.scrollBars;
}

void CaretToLineFromAnchor(StepEditModel& m, int32_t line) {
  const int32_t anchor = std::max(m.anchorLine, 0);
  const int32_t offset = line - anchor;
  if (offset < 0 || offset > (SHRT_MAX - kRhythmFirstColumn) / 2) return;
  m.topLine = anchor;
  if (m.viewMode == kModeRhythmGrid) m.caretColumn = static_cast<int16_t>(kRhythmFirstColumn + 2 * offset);
  else m.caretRow = static_cast<int16_t>(offset + 1);
}

int32_t CaretLine(const StepEditModel& m) { return InsertionLine(m, m.topLine); }

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

namespace {

void WriteBlock(const StepEditModel& m, const TrackBlock& tb) {
  if (!m.trackBlock) return;
  if (auto* p = static_cast<TrackBlock*>(LocalLock(m.trackBlock))) {
    *p = tb;
    LocalUnlock(m.trackBlock);
  }
}

void FreeGlobal(HGLOBAL& h) {
  if (h) GlobalFree(h);
  h = nullptr;
}

}  // namespace

void FreeModelBuffers(StepEditModel& m) {
  FreeGlobal(m.lineTable);
  if (!m.trackBlock) return;
  if (auto* tb = static_cast<TrackBlock*>(LocalLock(m.trackBlock))) {
    FreeGlobal(tb->undo);
    FreeGlobal(tb->positions);
    FreeGlobal(tb->noteNames);
    tb->events = nullptr;
    LocalUnlock(m.trackBlock);
  }
  LocalFree(m.trackBlock);
  m.trackBlock = nullptr;
}

int32_t AttachModel(StepEditModel& m, StepSongContext& ctx, int track, bool rhythm) {
  FreeModelBuffers(m);
  HGLOBAL events = ContextTrackEvents(ctx, track);
  if (!events) return -1;
  HLOCAL record = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(TrackBlock));
  HGLOBAL positions = GlobalAlloc(kShareableZeroed, kPositionTableBytes);
  HGLOBAL lines = GlobalAlloc(kShareableZeroed, kLineTableBytes);
  HGLOBAL names = GlobalAlloc(kShareableZeroed, kNoteNameTableBytes);
  if (!record || !positions || !lines || !names) {
    if (record) LocalFree(record);
    for (HGLOBAL h : {positions, lines, names}) {
      if (h) GlobalFree(h);
    }
    return -1;
  }
  m.trackBlock = record;
  m.lineTable = lines;
  TrackBlock tb = {};
  tb.events = events;
  tb.positions = positions;
  tb.noteNames = names;
  WriteBlock(m, tb);

  m.track = static_cast<int16_t>(track);
  m.viewMode = rhythm ? kModeRhythmGrid : kModeStepList;
  m.caretColumn = rhythm ? kRhythmFirstColumn : kStepListColumn;
  m.caretRow = 1;
  m.selFrom = m.selTo = -1;
  m.pendingCommand = 0;
  m.noteNameKey = -1;
  m.indexCurrent = 1;
  m.gapTail = 0;
  BuildNoteNameTable(m, ctx.songKey);
  BuildTrackLineIndex(m, ctx);
  if (ctx.windows && track >= 1 && track <= kMaxTracks) ctx.windows->state[track - 1] = 2;
  return m.lineCount;
}

ModelEvents::ModelEvents(const StepEditModel& m) : block_(ReadTrackBlock(m).events) {
  if (!block_) return;
  events_ = static_cast<StepEvent*>(GlobalLock(block_));
  if (events_) slots_ = SlotsOf(block_);
}

ModelEvents::~ModelEvents() {
  if (events_) GlobalUnlock(block_);
}

int32_t SelectedEvents(const StepEditModel& m, const ModelEvents& block, int32_t* first) {
  int32_t from, to;
  *first = 0;
  const StepEvent* e = block.events();
  if (!e || !OrderedSelection(m, &from, &to)) return 0;
  to = std::min({to, m.eventCount - 1, block.slots() - 1});
  int32_t n = 0;
  while (from + n <= to && e[from + n].code < kEndCode) ++n;
  *first = from;
  return n;
}

bool InsertEventsAt(StepEditModel& m, StepSongContext& ctx, int32_t at, const StepEvent* events, int32_t n) {
  if (n < 0 || at < 0 || at > m.eventCount || m.indexCurrent != 1) return false;
  if (n == 0) return true;
  const int64_t need = static_cast<int64_t>(m.eventCount) + 1 + n;
  if (need > kTrackSlots) return false;
  if (SlotsOf(ReadTrackBlock(m).events) < need && !GrowEditorBlock(m, ctx)) return false;
  ModelEvents block(m);
  StepEvent* e = block.events();
  if (!e || block.slots() < need || e[m.eventCount].code < kEndCode) return false;
  std::memmove(e + at + n, e + at, (static_cast<size_t>(m.eventCount - at) + 1) * sizeof(StepEvent));
  std::memcpy(e + at, events, static_cast<size_t>(n) * sizeof(StepEvent));
  m.eventCount += n;
  return true;
}

bool RemoveEvents(StepEditModel& m, int32_t from, int32_t to) {
  if (from < 0 || from > to || to > m.eventCount) return false;
  if (from == to) return true;
  ModelEvents block(m);
  StepEvent* e = block.events();
  if (!e || m.eventCount >= block.slots() || e[m.eventCount].code < kEndCode) return false;
  std::memmove(e + from, e + to, (static_cast<size_t>(m.eventCount - to) + 1) * sizeof(StepEvent));
  m.eventCount -= to - from;
  return true;
}
