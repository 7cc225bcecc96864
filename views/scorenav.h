// Where things stand on a score view and what the mouse does there: the
// staff's vertical scroll, the upper pane's walk over the followed editor's
// lines, the line the position mark stands on and its x, the event under a
// pane x, the selection a press and drag make in the editor, and the split
// of the view into its panes. Plain arithmetic over the editor model; the
// windows draw, scroll and send messages from what these return.
//
// Every x comes from the score's own walk (WalkScoreSteps, scorenotes.h),
// so the painting, the position mark and the hit test agree to the pixel at
// every time base.
#pragma once
#include <cstdint>
#include <functional>

#include "editmodel.h"
#include "scorelength.h"
#include "scorenotes.h"
#include "scorestaff.h"
#include "zk/song.h"

// What a score view keeps of its editor's lines between paints is a
// ScoreViewSpan (scorenotes.h): the line both panes start at, and the last
// line the upper pane walked in its latest paint.

// ---- Vertical placement of the staff

// verticalPos of a new upper pane.
int32_t InitialScoreVerticalPos(int32_t staffSpacing);

// The upper pane's vertical scroll bar for a pane height.
struct ScoreVerticalScroll {
  bool shown = false;   // the staff range is taller than the pane
  int32_t min = 0;      // range, 0-0 while hidden
  int32_t max = 0;
  int32_t pos = 0;      // verticalPos, brought within min..max while shown
};
ScoreVerticalScroll ScoreVerticalRange(const StaffTables& tables, int32_t staffSpacing, int32_t paneHeight,
                                       int32_t verticalPos);

// verticalPos after a WM_VSCROLL code (SB_LINEUP, SB_PAGEUP one pixel up,
// SB_LINEDOWN, SB_PAGEDOWN one down, SB_THUMBTRACK to thumb): past the
// maximum it stops there, below the minimum the move is dropped; other
// codes, and any code while the bar is hidden, leave it.
int32_t ScrollScoreVertical(const ScoreVerticalScroll& range, int32_t verticalPos, int code, int32_t thumb);

// Places the staff of a pane: layout.staffCentreY for its height and scroll.
void PlaceScoreStaff(ScoreLayout& layout, const StaffTables& tables, int32_t paneHeight, int32_t verticalPos);

// ---- Key signature of the lines

// The line a paint takes its key signature from: the play line when not 0,
// else the caret line, within the editor's lines; -1 without lines.
int32_t ScoreReferenceLine(const StepEditModel& m);
// The key signature (0-15) of a line: its line-table key. The song's
// (songKeyIndex) without a line table, for a line outside the lines, and on
// the rhythm grid, whose lines carry none.
uint32_t ScoreLineKey(const StepEditModel& m, int32_t line, int songKeyIndex);
// Rebuilds both staff tables when line's key signature differs from the
// one they hold; true when it did.
bool FollowLineStaffKey(StaffTables& tables, const StepEditModel& m, int32_t line, int songKeyIndex);

// ---- The upper pane's walk

// One event of the walk (continuation events 0xF7 are not visited).
struct ScorePaneEvent {
  int32_t line;         // the line showing it
  int32_t event;        // its index
  StepEvent ev;
  int32_t x;            // x of the chord it belongs to (or of the bar line's measure end)
  bool staffRebuilt;    // its line's key signature differed: the tables were rebuilt before it
  bool joinsStep;       // 0x80-0xFB after an event below 0xF0: taken into that event's step
  bool chordCloses;     // the chord closes after it
  int32_t chordLength;  // when it closes: the chord's length in time-base ticks
  int32_t nextX;        // when it closes: x of the next chord (bar width included)
};
using ScorePaneVisitor = std::function<void(const ScorePaneEvent&)>;

struct ScorePaneWalk {
  int32_t lastLine = -1;  // last line walked (the end event's line counts, unvisited); -1 none
  int32_t x = 0;          // x of the next chord when the walk stopped
};

// The score's walk (WalkScoreSteps) from startLine while the chord x is
// below paneWidth, event by event: the visitor sees each event but the end
// event and continuations, with the x of its chord. Where a line's key
// signature differs from the tables' (ScoreLineKey; never on the rhythm
// grid) the tables are rebuilt before its events; after a bar line's visit
// the bar's accidentals are reset. The visitor may be empty.
ScorePaneWalk WalkUpperPaneLines(const StepEditModel& m, const ScoreLayout& layout, StaffTables& tables,
                                 int32_t startLine, int32_t paneWidth, int songKeyIndex,
                                 const ScorePaneVisitor& visit);

// ---- The position mark

// The line the position mark stands on. While playing: the line of the
// editor's playEvent, stepped back over the lines before it whose events
// are below 0xF0 with step 0 (the start of its chord), stored as playLine;
// else the caret line. Within the editor's lines; -1 without lines.
int32_t ScoreTargetLine(StepEditModel& m, bool playing);

// x at which a pane starting at startLine draws line's chord (a bar line's
// measure end: the x its bar line is drawn after); a line before startLine
// is at ScoreLeftX, one past the last at the end event's x.
int32_t ScoreLineX(const StepEditModel& m, const ScoreLayout& layout, int32_t startLine, int32_t line);

struct ScoreCursorPlace {
  int32_t targetLine = -1;  // -1: no lines, nothing to show
  int32_t positionX = 0;    // x of the mark within a pane (the line is drawn at positionX + 1)
  bool repaint = false;     // the start line moved, or the editor's index is not current
};
// Where the position mark goes: the target line, the start line (kept
// while the target lies within what the upper pane last walked, else the
// first line of the target's measure) stored in view.startLine, and x.
ScoreCursorPlace PlaceScoreCursor(StepEditModel& m, ScoreViewSpan& view, const ScoreLayout& layout,
                                  bool playing);

// ---- Mouse

// The event a pane x falls in: a chord drawn at cx takes cx + 1 to the next
// chord's x, and answers its last event (joined steps and continuations
// included). Left of ScoreLeftX + 2 the event before startLine's (-1 before
// the first); beyond the chords the last event before the end event, never
// the end event. -1 without lines or events.
int32_t HitTestScoreX(const StepEditModel& m, const ScoreViewSpan& view, const ScoreLayout& layout, int32_t x);

// ScoreDragAnchor and ScoreDragActive: the press's event (-1 before the
// first event) and whether a drag runs.
struct ScoreDrag {
  int32_t anchor = -1;
  bool active = false;
};

enum class ScoreAutoScroll { None, Up, Down };  // Up: timer 2500, Down: timer 2501

struct ScoreMouseResult {
  bool handled = false;      // a press, or a move or release of a running drag
  bool changed = false;      // selection, caret row or top line changed
  int32_t targetLine = -1;   // the caret's line
  ScoreAutoScroll scroll = ScoreAutoScroll::None;
};

// A press at pane x: the anchor, no selection, the caret on the event after
// the anchor with the editor scrolled so it stays on its caret row (row
// line + 1 at the top). The caller sends 2759 (0, 0) whatever changed.
ScoreMouseResult ScoreMousePress(StepEditModel& m, ScoreDrag& drag, const ScoreViewSpan& view,
                                 const ScoreLayout& layout, int32_t x);
// A move while the drag runs (x as a signed 16-bit value): forward of the
// anchor selects anchor + 1 to the event, back of it the event + 1 to the
// anchor, on it the selection stays; the caret follows. Scrolls up left of
// ScoreLeftX + 1 and down from paneWidth on.
ScoreMouseResult ScoreMouseMove(StepEditModel& m, ScoreDrag& drag, const ScoreViewSpan& view,
                                const ScoreLayout& layout, int32_t x, int32_t paneWidth);
// The release: ends the drag; off the anchor the selection is set as for a
// move. The caller sends 2759 (0, 1) and stops both timers.
ScoreMouseResult ScoreMouseRelease(StepEditModel& m, ScoreDrag& drag, const ScoreViewSpan& view,
                                   const ScoreLayout& layout, int32_t x);

// ---- The view's panes and its share of the frame

struct ScorePaneSplit {
  int32_t left = 0;         // x of both panes
  int32_t paneWidth = 0;
  int32_t upperHeight = 0;  // upper pane at y 0
  int32_t lowerTop = 0;
  int32_t lowerHeight = 0;
};
// The panes of a view of width x height; left is the sizing frame's width
// for the song-wide view, else 0. No size below 0.
ScorePaneSplit SplitScorePanes(int32_t width, int32_t height, int32_t left);

// FumenRatio: the view's width (with its borders, 2 x border) in thousandths
// of the frame's client width, rounded, within 0-1000. A frame narrower
// than 1 pixel counts as 1.
int32_t ComputeFumenRatio(int32_t viewWidth, int32_t frameWidth, int32_t border);
// The view's width for a ratio (taken within 0-1000) of the frame's client
// width, borders off; not below 0.
int32_t FumenRatioWidth(int32_t ratio, int32_t frameWidth, int32_t border);
