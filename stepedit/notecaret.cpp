#include "notecaret.h"

#include "editorblocks.h"
#include "lineindex.h"
#include "settings.h"
#include "stepservices.h"
#include "songcontext.h"

namespace {

constexpr uint8_t kFirstCommand = 0x80;
constexpr uint16_t kMaxNoteVelocity = 127;

bool IsNote(const StepEvent& e) { return e.code < kFirstCommand; }

// The event of a line, or -1 beyond the table.
int EventOfLine(const StepEditorData& ed, const LineEntry* lines, int32_t line) {
  if (!lines || line < 0 || line > (ed.lineCount - 1) || line >= kTrackSlots) return -1;
  return static_cast<int>(lines[line].firstEvent);
}

// One line down, scrolling when the caret sits on the window's last row.
void CaretLineDown(HWND editor, StepEditorData* ed) {
  if (ed->viewMode == kModeRhythmGrid) {
    ed->caretColumn = static_cast<int16_t>(ed->caretColumn + 2);
    return;
  }
  int width = 0, height = 0;
  GetWndCharSize(editor, &width, &height);
  const int rows = height > 0 ? ed->clientHeight / height : 1;
  if (ed->caretRow < rows) ++ed->caretRow;
  else ++ed->topLine;
}

// Down at least one line, on over command lines, stopping on a note line or
// the end.
void SkipToNextNoteLine(HWND editor, StepEditorData* ed) {
  const TrackBlock tb = ReadTrackBlock(*ed);
  Locked lines(ed->lineTable), events(tb.events);
  const auto* table = lines.as<LineEntry>();
  const auto* ev = events.as<StepEvent>();
  if (!table || !ev) return;
  const int slots = SlotsOf(tb.events);
  for (;;) {
    const int32_t line = InsertionLine(*ed, ed->topLine);
    if (line >= (ed->lineCount - 1)) return;
    CaretLineDown(editor, ed);
    const int index = EventOfLine(*ed, table, line + 1);
    if (index < 0 || index >= slots || index > ed->eventCount) return;
    if (IsNote(ev[index]) || ev[index].code >= kEndCode) return;
  }
}

}  // namespace

bool SetNoteValues(StepEvent* events, int count, int index, int key, int step, int gate, int velocity,
                   bool* stepChanged) {
  if (stepChanged) *stepChanged = false;
  if (!events || index < 0 || index >= count || !IsNote(events[index])) return false;
  StepEvent& e = events[index];
  const uint16_t oldStep = e.step;
  if (key != kKeepValue) e.code = static_cast<uint8_t>(key & 0x7F);
  if (step == kStepFromNoteAbove) {
    e.step = kDefaultStep;
    e.gate = kDefaultGate;
    for (int i = index - 1; i >= 0; --i) {
      if (IsNote(events[i]) && events[i].step != 0) {
        e.step = events[i].step;
        e.gate = events[i].gate;
        break;
      }
    }
  } else {
    if (step != kKeepValue) e.step = static_cast<uint16_t>(step);
    if (gate != kKeepValue) e.gate = static_cast<uint16_t>(gate);
  }
  if (velocity != kKeepValue) e.vel = static_cast<uint8_t>(velocity > kMaxNoteVelocity ? kMaxNoteVelocity : velocity);
  if (stepChanged) *stepChanged = e.step != oldStep;
  return true;
}

int SetNoteAtCaret(HWND editor, int key, int step, int gate, int velocity) {
  StepEditorData* ed = GetStepEditorData(editor);
  // The gap state appends first; that belongs to the field editing.
  if (!ed || ed->indexCurrent != 1) return 0;
  bool changed = false, stepChanged = false;
  {
    const TrackBlock tb = ReadTrackBlock(*ed);
    Locked lines(ed->lineTable), events(tb.events);
    const int index = EventOfLine(*ed, lines.as<LineEntry>(), InsertionLine(*ed, ed->topLine));
    if (index >= 0 && index <= ed->eventCount)
      changed = SetNoteValues(events.as<StepEvent>(), SlotsOf(tb.events), index, key, step, gate, velocity,
                              &stepChanged);
  }
  if (changed) {
    // Positions and overlap marks follow the new key, gate and step.
    BuildTrackLineIndex(*ed, OpenSongContext().get());
    if (g_stepHooks.setTrackStateBits) g_stepHooks.setTrackStateBits(editor, stepChanged ? 3 : 1);
  }
  if (g_settings.midiInSkipEvent) SkipToNextNoteLine(editor, ed);
  return changed ? 1 : 0;
}
