#include "scorenav.h"

#include <algorithm>
#include <cstdint>

#include "editorblocks.h"
#include "scorenotes.h"
#include "zk/cmdcodes.h"

namespace {

constexpr uint8_t kFirstSystemCode = 0xF0;  // from here on an event takes no time

// The editor's lines and events, locked for one computation and read only
// within what they hold: a line table entry that points past the end event
// reads as the end event.
class TrackLines {
 public:
  explicit TrackLines(const StepEditModel& m) : block_(m), lines_(m.lineTable) {
    table_ = lines_.as<LineEntry>();
    events_ = block_.events();
    if (!table_ || !events_ || m.lineCount <= 0 || m.eventCount < 0) return;
    end_ = std::min(m.eventCount, block_.slots() - 1);
    lineCount_ = std::min(m.lineCount, kTrackSlots);
    ok_ = end_ >= 0;
  }
  TrackLines(const TrackLines&) = delete;
  TrackLines& operator=(const TrackLines&) = delete;

  bool ok() const { return ok_; }
  int32_t lineCount() const { return lineCount_; }
  int32_t end() const { return end_; }
  int32_t ClampLine(int32_t line) const { return std::clamp(line, 0, lineCount_ - 1); }
  // First event of a line; the end event for a line past the last.
  int32_t Event(int32_t line) const {
    if (line >= lineCount_) return end_;
    const int64_t e = table_[std::max(line, 0)].firstEvent;
    return static_cast<int32_t>(std::min<int64_t>(e, end_));
  }
  uint8_t Key(int32_t line) const { return table_[ClampLine(line)].key; }
  const StepEvent& At(int32_t event) const { return events_[std::clamp(event, 0, end_)]; }
  bool IsEnd(int32_t event) const { return event >= end_ || events_[event].code >= kEndCode; }

 private:
  ModelEvents block_;
  Locked lines_;
  const LineEntry* table_ = nullptr;
  const StepEvent* events_ = nullptr;
  int32_t end_ = -1;
  int32_t lineCount_ = 0;
  bool ok_ = false;
};

uint32_t LineKey(const TrackLines& t, const StepEditModel& m, int32_t line, int songKeyIndex) {
  // The rhythm grid's lines are steps of the grid and carry no key.
  if (!t.ok() || m.viewMode == kModeRhythmGrid || line < 0 || line >= t.lineCount()) {
    return CurrentStaffKey(-1, songKeyIndex);
  }
  return CurrentStaffKey(t.Key(line), songKeyIndex);
}

// The caret on target's line, kept on its row unless the line lies above
// it: then the view starts at line 0.
int32_t CaretToEvent(StepEditModel& m, int32_t target) {
  const int32_t line = LineOfEvent(m, target);
  int32_t row = std::max<int32_t>(m.caretRow, 1);
  int32_t top = line - row + 1;
  if (top < 0) {
    top = 0;
    row = line + 1;
  }
  m.topLine = top;
  m.caretRow = static_cast<int16_t>(row);
  return line;
}

// The selection and caret a drag position gives against the anchor.
ScoreMouseResult DragTo(StepEditModel& m, const ScoreDrag& drag, int32_t pos) {
  ScoreMouseResult r;
  r.handled = true;
  const int32_t from = m.selFrom, to = m.selTo, top = m.topLine;
  const int16_t row = m.caretRow;
  int32_t target;
  if (pos == drag.anchor) {
    target = std::min(pos + 1, m.eventCount);
  } else if (pos < drag.anchor) {
    m.selFrom = pos + 1;
    m.selTo = drag.anchor;
    target = pos + 1;
  } else {
    m.selFrom = drag.anchor + 1;
    m.selTo = pos;
    target = std::min(pos + 1, m.eventCount);
  }
  r.targetLine = CaretToEvent(m, target);
  r.changed = m.selFrom != from || m.selTo != to || m.topLine != top || m.caretRow != row;
  return r;
}

}  // namespace

int32_t InitialScoreVerticalPos(int32_t staffSpacing) { return staffSpacing * 36 / 2; }

ScoreVerticalScroll ScoreVerticalRange(const StaffTables& tables, int32_t staffSpacing, int32_t paneHeight,
                                       int32_t verticalPos) {
  ScoreVerticalScroll s;
  s.pos = verticalPos;
  const int32_t range = StaffRangePixels(tables, staffSpacing);
  if (range <= paneHeight) return s;
  s.shown = true;
  s.min = paneHeight / 2;
  s.max = range - paneHeight / 2;
  // A pane grown or shrunk keeps the staff where the thumb shows it.
  s.pos = std::clamp(verticalPos, s.min, s.max);
  return s;
}

int32_t ScrollScoreVertical(const ScoreVerticalScroll& range, int32_t verticalPos, int code, int32_t thumb) {
  if (!range.shown) return verticalPos;
  int32_t pos;
  switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP:
      pos = verticalPos - 1;
      break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN:
      pos = verticalPos + 1;
      break;
    case SB_THUMBTRACK:
      pos = thumb;
      break;
    default:
      return verticalPos;
  }
  if (pos > range.max) return range.max;
  if (pos < range.min) return verticalPos;
  return pos;
}

void PlaceScoreStaff(ScoreLayout& layout, const StaffTables& tables, int32_t paneHeight, int32_t verticalPos) {
  layout.staffCentreY = StaffCentreY(tables, layout.geometry.staffSpacing, paneHeight, verticalPos);
}

int32_t ScoreReferenceLine(const StepEditModel& m) {
  const int32_t lines = std::min(m.lineCount, kTrackSlots);
  if (lines <= 0) return -1;
  const int32_t line = m.playLine != 0 ? m.playLine : CaretLine(m);
  // Within the lines: the entry after the last holds no key.
  return std::clamp(line, 0, lines - 1);
}

uint32_t ScoreLineKey(const StepEditModel& m, int32_t line, int songKeyIndex) {
  const TrackLines t(m);
  return LineKey(t, m, line, songKeyIndex);
}

bool FollowLineStaffKey(StaffTables& tables, const StepEditModel& m, int32_t line, int songKeyIndex) {
  const uint32_t key = ScoreLineKey(m, line, songKeyIndex);
  if (key == tables.currentStaffKey) return false;
  BuildStaffTables(tables, key);
  return true;
}

ScorePaneWalk WalkUpperPaneLines(const StepEditModel& m, const ScoreLayout& layout, StaffTables& tables,
                                 int32_t startLine, int32_t paneWidth, int songKeyIndex,
                                 const ScorePaneVisitor& visit) {
  ScorePaneWalk out;
  out.x = layout.geometry.leftX;
  const TrackLines t(m);
  if (!t.ok()) return out;
  ScoreXCursor cursor;
  cursor.x = layout.geometry.leftX;
  out.lastLine = WalkScoreSteps(m, layout, startLine, paneWidth, cursor, [&](const ScoreStep& step) {
    if (t.IsEnd(step.event)) return true;  // its line counts as walked, nothing to visit
    int32_t line = step.line;
    for (int32_t k = step.event; k <= step.lastEvent; ++k) {
      const StepEvent& ev = t.At(k);
      if (ev.code == kCodeContinue) continue;
      while (line < step.lastLine && t.Event(line + 1) <= k) ++line;
      bool rebuilt = false;
      const uint32_t key = LineKey(t, m, line, songKeyIndex);
      if (m.viewMode != kModeRhythmGrid && key != tables.currentStaffKey) {
        BuildStaffTables(tables, key);
        rebuilt = true;
      }
      if (visit) {
        ScorePaneEvent pe;
        pe.line = line;
        pe.event = k;
        pe.ev = ev;
        pe.x = step.x;
        pe.staffRebuilt = rebuilt;
        pe.joinsStep = line != step.line;
        pe.chordCloses = step.closes && line == step.lastLine;
        pe.chordLength = pe.chordCloses ? step.length : 0;
        pe.nextX = pe.chordCloses ? step.nextX : step.x;
        visit(pe);
      }
    }
    if (step.bar) ResetBarStaffTable(tables);
    return true;
  });
  out.x = cursor.x;
  return out;
}

int32_t ScoreTargetLine(StepEditModel& m, bool playing) {
  const TrackLines t(m);
  if (!t.ok()) return -1;
  if (!playing) return t.ClampLine(CaretLine(m));
  // A play position past the events (a gap open in front of it) stands on
  // the end event's line.
  int32_t line = t.ClampLine(LineOfEvent(m, std::clamp(m.playEvent, 0, t.end())));
  while (line > 0) {
    const StepEvent& before = t.At(t.Event(line - 1));
    if (before.code >= kFirstSystemCode || before.step != 0) break;
    --line;
  }
  m.playLine = line;
  return line;
}

int32_t ScoreLineX(const StepEditModel& m, const ScoreLayout& layout, int32_t startLine, int32_t line) {
  ScoreXCursor cursor;
  cursor.x = layout.geometry.leftX;
  if (line < startLine) return cursor.x;
  // The x the painting gives the chord the line belongs to; a line past the
  // last stands at the end event's.
  int32_t x = cursor.x;
  WalkScoreSteps(m, layout, startLine, INT32_MAX, cursor, [&](const ScoreStep& step) {
    x = step.x;
    return step.lastLine < line;
  });
  return x;
}

ScoreCursorPlace PlaceScoreCursor(StepEditModel& m, ScoreViewSpan& view, const ScoreLayout& layout,
                                  bool playing) {
  ScoreCursorPlace place;
  place.targetLine = ScoreTargetLine(m, playing);
  if (place.targetLine < 0) return place;
  const int32_t start = FindMeasureLine(m, view, place.targetLine);
  place.repaint = start != view.startLine || m.indexCurrent == 0;
  view.startLine = start;
  place.positionX = ScoreLineX(m, layout, start, place.targetLine);
  return place;
}

int32_t HitTestScoreX(const StepEditModel& m, const ScoreViewSpan& view, const ScoreLayout& layout, int32_t x) {
  const TrackLines t(m);
  if (!t.ok()) return -1;
  const int32_t start = std::max(view.startLine, 0);
  const int32_t beforeStart = t.Event(start) - 1;
  if (x - layout.geometry.leftX - 1 < 1) return beforeStart;
  // A chord drawn at cx covers cx + 1 to the next chord's x: the press takes
  // the whole chord, its joined steps and continuations too. Beyond the
  // chords, the last event before the end event.
  int32_t hit = t.end() - 1;
  ScoreXCursor cursor;
  cursor.x = layout.geometry.leftX;
  WalkScoreSteps(m, layout, start, x, cursor, [&](const ScoreStep& step) {
    if (!step.closes || step.x >= x || x > step.nextX) return true;
    hit = std::min(step.lastEvent, t.end() - 1);
    return false;
  });
  return hit;
}

ScoreMouseResult ScoreMousePress(StepEditModel& m, ScoreDrag& drag, const ScoreViewSpan& view,
                                 const ScoreLayout& layout, int32_t x) {
  ScoreMouseResult r;
  r.handled = true;
  drag.anchor = HitTestScoreX(m, view, layout, x);
  drag.active = true;
  const int32_t from = m.selFrom, to = m.selTo, top = m.topLine;
  const int16_t row = m.caretRow;
  m.selFrom = -1;
  m.selTo = -1;
  r.targetLine = CaretToEvent(m, std::min(drag.anchor + 1, m.eventCount));
  r.changed = m.selFrom != from || m.selTo != to || m.topLine != top || m.caretRow != row;
  return r;
}

ScoreMouseResult ScoreMouseMove(StepEditModel& m, ScoreDrag& drag, const ScoreViewSpan& view,
                                const ScoreLayout& layout, int32_t x, int32_t paneWidth) {
  if (!drag.active) return {};
  ScoreMouseResult r = DragTo(m, drag, HitTestScoreX(m, view, layout, x));
  if (x < layout.geometry.leftX + 1) r.scroll = ScoreAutoScroll::Up;
  else if (x >= paneWidth) r.scroll = ScoreAutoScroll::Down;
  return r;
}

ScoreMouseResult ScoreMouseRelease(StepEditModel& m, ScoreDrag& drag, const ScoreViewSpan& view,
                                   const ScoreLayout& layout, int32_t x) {
  if (!drag.active) return {};
  drag.active = false;
  const int32_t pos = HitTestScoreX(m, view, layout, x);
  if (pos != drag.anchor) return DragTo(m, drag, pos);
  ScoreMouseResult r;
  r.handled = true;
  r.targetLine = CaretLine(m);
  return r;
}

ScorePaneSplit SplitScorePanes(int32_t width, int32_t height, int32_t left) {
  ScorePaneSplit s;
  width = std::max(width, 0);
  height = std::max(height, 0);
  s.left = std::clamp(left, 0, width);
  s.paneWidth = width - s.left;
  s.upperHeight = 2 * height / 3;
  s.lowerTop = s.upperHeight;
  s.lowerHeight = height - s.upperHeight;
  return s;
}

int32_t ComputeFumenRatio(int32_t viewWidth, int32_t frameWidth, int32_t border) {
  const int64_t frame = std::max(frameWidth, 1);
  const int64_t ratio = (frame / 2 + (static_cast<int64_t>(viewWidth) + 2 * static_cast<int64_t>(border)) * 1000) / frame;
  // A view wider than the frame (a frame squeezed to a few pixels) would
  // come back that wide on the next, larger frame.
  return static_cast<int32_t>(std::clamp<int64_t>(ratio, 0, 1000));
}

int32_t FumenRatioWidth(int32_t ratio, int32_t frameWidth, int32_t border) {
  const int64_t frame = std::max(frameWidth, 0);
  const int64_t width = frame * std::clamp(ratio, 0, 1000) / 1000 - 2 * static_cast<int64_t>(border);
  return static_cast<int32_t>(std::max<int64_t>(width, 0));
}
