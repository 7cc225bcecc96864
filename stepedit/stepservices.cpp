#include "stepservices.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "eventtext.h"
#include "lineindex.h"
#include "measures.h"
#include "notenames.h"
#include "playmonentries.h"
#include "programstate.h"
#include "songcontext.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "zk/cmdcodes.h"

StepServiceHooks g_stepHooks;

namespace {

constexpr UINT kPlayMonitorTitle = 42;

// The monitor keeps this address for its whole life; it reaches whatever
// send routine the shell has set by the time it is called.
int CALLBACK ForwardSendMidiNow(int status, int channelAndPort, int data1, int data2) {
  return g_stepHooks.sendMidiNow ? g_stepHooks.sendMidiNow(status, channelAndPort, data1, data2) : 0;
}

}  // namespace

void RenumberAllSameMeasureRefs() {
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    HGLOBAL h = SongEntry(TrackEventsEntry(n));
    if (!h) continue;
    auto* events = static_cast<StepEvent*>(GlobalLock(h));
    if (!events) continue;
    RenumberSameMeasureRefs(events, static_cast<int>(GlobalSize(h) / sizeof(StepEvent)));
    GlobalUnlock(h);
  }
}

void SetSongModified() {
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return;
  if (doc->trackWindows) {
    static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows))->state[0] |= 1;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(g_app.frame);
}

HWND OpenPlayMonitor() {
  HWND monitor = g_playmon.window;
  if (monitor && IsWindow(monitor)) {
    HWND client = GetParent(monitor);
    if (IsIconic(monitor)) SendMessageA(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(monitor), 0);
    SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(monitor), 0);
    SetFocus(monitor);
    return monitor;
  }
  if (!g_playmon.createPlaymon) return nullptr;
  // No colour setting is kept for the monitor: its value goes as 0.
  if (g_playmon.setDefaults) g_playmon.setDefaults(g_prog.defaultFont, 0, g_settings.maxTrack);
  if (g_playmon.setDefaults2) g_playmon.setDefaults2(g_settings.reversUpDown, ForwardSendMidiNow);
  monitor = g_playmon.createPlaymon(g_app.mdiClient, LoadAppString(kPlayMonitorTitle).c_str(), 1);
  // The monitor reports its window through the window setter; a monitor
  // that does not still gets activated rather than opened twice.
  if (monitor && !g_playmon.window) g_playmon.window = monitor;
  return monitor;
}

void GetWndCharSize(HWND window, int* width, int* height) {
  HFONT font = nullptr;
  if (StepEditorData* ed = StepEditorDataOf(window)) font = ed->font;
  if (!font && window) font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  if (width) *width = tm.tmAveCharWidth;
  if (height) *height = tm.tmHeight;
}

void PlaceStepCaret(HWND editor) {
  const StepEditorData* ed = GetStepEditorData(editor);
  if (!ed || GetFocus() != editor) return;
  int width = 0, height = 0;
  GetWndCharSize(editor, &width, &height);
  const int y = ed->viewMode == kModeRhythmGrid ? ed->caretRow : (ed->caretRow - 1) * height;
  SetCaretPos(ed->caretColumn * width, y);
}

void UpdateStepScroll(HWND editor) {
  const StepEditorData* ed = GetStepEditorData(editor);
  if (!ed) return;
  SetScrollRange(editor, SB_VERT, 0, (ed->lineCount - 1) > 0 ? (ed->lineCount - 1) : 0, FALSE);
  SetScrollPos(editor, SB_VERT, ed->topLine, TRUE);
  InvalidateRect(editor, nullptr, FALSE);
  PlaceStepCaret(editor);
}

void ResetPlayCursors() {
  if (LockSongDocument(g_app.frame) == nullptr) return;
  UnlockSongDocument(g_app.frame);
  {
    OpenSongContext ctx;
    ResetPlayCursors(ctx.get());
  }
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    if (HWND editor = StepEditorOfTrack(n)) InvalidateRect(editor, nullptr, FALSE);
  }
  PlaceStepCaret(g_prog.currentStep);
  if (g_stepHooks.startMidiInput) g_stepHooks.startMidiInput();
  if (g_views.playPalette) InvalidateRect(g_views.playPalette, nullptr, FALSE);
  if (g_views.pianoPalette) InvalidateRect(g_views.pianoPalette, nullptr, FALSE);
  if (g_stepHooks.showStepInputMode) g_stepHooks.showStepInputMode();
}

int CheckRecordTrack() {
  EditResult r;
  {
    OpenSongContext ctx;
    r = CheckRecordTrack(ctx.get());
  }
  if (r.status == EditStatus::Ok) return 1;
  if (g_stepHooks.showMessage) g_stepHooks.showMessage(r.messageStyle, r.messageId);
  return 0;
}

void UpdateFreeCount(HWND editor) {
  EventCounters counters;
  {
    OpenSongContext ctx;
    counters = CountTrackEvents(ctx.get(), StepEditorDataOf(editor));
  }
  g_song.usedEvents = static_cast<uint16_t>(counters.used);
  g_song.freeEvents = counters.free;
  if (g_stepHooks.showStepInputMode) g_stepHooks.showStepInputMode();
}

void PlaceLineAtCaret(HWND editor, int position, int32_t line) {
  StepEditorData* ed = StepEditorDataOf(editor);
  if (!ed) return;
  if (PlaceLineAtCaret(*ed, position, line).scrollBars) UpdateStepScroll(editor);
}

namespace {

// The key signature in force at an event: the song's, replaced by every
// key-signature event up to it.
int KeyIndexAt(const StepEvent* events, int index) {
  int key = 0;
  if (HGLOBAL h = SongEntry(kHeaderEntry)) {
    if (const auto* header = static_cast<const SongHeader*>(GlobalLock(h))) {
      key = header->key;
      GlobalUnlock(h);
    }
  }
  for (int i = 0; i <= index; ++i)
    if (events[i].code == kCodeKeySig) key = events[i].step & 0xFF;
  return key;
}

}  // namespace

int FormatStepEventText(char* buffer, int track, int eventIndex, int flag) {
  StepEditorData* data = GetStepEditorData(StepEditorOfTrack(track));
  if (!buffer || !data || eventIndex < 0 || eventIndex > data->eventCount) return 0;
  // A log names the note in the key in force at the event; the list's table
  // is put back as the painter left it.
  int keyIndex;
  {
    ModelEvents block(*data);
    if (!block.events() || eventIndex >= block.slots()) return 0;
    keyIndex = KeyIndexAt(block.events(), eventIndex);
  }
  const int16_t listKey = data->noteNameKey;
  BuildNoteNameTable(*data, keyIndex);
  StepSongContext ctx;
  ctx.settings.progOffset = g_settings.progOffset;
  const std::string text = FormatStepEventText(*data, ctx, eventIndex, flag != 0);
  if (listKey >= 0) BuildNoteNameTable(*data, listKey);
  if (text.empty()) return 0;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return 1;
}

namespace {

// A track's event block of the open song, locked while it lives.
class TrackEvents {
 public:
  explicit TrackEvents(int track)
      : handle_(track >= 1 && track <= kMaxTracks ? SongEntry(TrackEventsEntry(track)) : nullptr) {
    if (handle_) events_ = static_cast<const StepEvent*>(GlobalLock(handle_));
  }
  ~TrackEvents() {
    if (events_) GlobalUnlock(handle_);
  }
  TrackEvents(const TrackEvents&) = delete;
  TrackEvents& operator=(const TrackEvents&) = delete;
  const StepEvent* events() const { return events_; }
  int count() const { return events_ ? static_cast<int>(GlobalSize(handle_) / sizeof(StepEvent)) : 0; }

 private:
  HGLOBAL handle_;
  const StepEvent* events_ = nullptr;
};

bool PositionFromEditor(const StepEditorData& data, int eventIndex, int* measure, int* step, bool* overlap) {
  if (eventIndex > data.eventCount || !data.trackBlock) return false;
  const auto* block = static_cast<const TrackBlock*>(LocalLock(data.trackBlock));
  HGLOBAL table = block ? block->positions : nullptr;
  if (block) LocalUnlock(data.trackBlock);
  const auto* entries = table ? static_cast<const StepPosition*>(GlobalLock(table)) : nullptr;
  if (!entries) return false;
  const bool inside = static_cast<size_t>(eventIndex) < GlobalSize(table) / sizeof(StepPosition);
  if (inside) {
    *measure = entries[eventIndex].measure;
    *step = entries[eventIndex].step & ~kOverlapBit;
    if (overlap) *overlap = (entries[eventIndex].step & kOverlapBit) != 0;
  }
  GlobalUnlock(table);
  return inside;
}

}  // namespace

bool StepEventPosition(int track, int eventIndex, int* measure, int* step, bool* overlap) {
  if (eventIndex < 0 || !measure || !step) return false;
  if (const StepEditorData* data = GetStepEditorData(StepEditorOfTrack(track)))
    return PositionFromEditor(*data, eventIndex, measure, step, overlap);
  TrackEvents track_(track);
  const int slots = std::min(track_.count(), static_cast<int>(kTrackSlots));
  if (!track_.events() || eventIndex >= slots) return false;
  std::vector<LineEntry> lines(kTrackSlots);
  std::vector<StepPosition> measures(kTrackSlots);
  int32_t eventCount = -1, lastLine = -1;
  if (!BuildLineIndex(track_.events(), slots, kModeStepList, 0, lines.data(), measures.data(), &eventCount, &lastLine) ||
      eventIndex > eventCount)
    return false;
  *measure = measures[eventIndex].measure;
  *step = measures[eventIndex].step & ~kOverlapBit;
  if (overlap) *overlap = (measures[eventIndex].step & kOverlapBit) != 0;
  return true;
}

std::string StepEventTextOfTrack(int track, int eventIndex, bool overlap) {
  char text[64] = "";
  if (FormatStepEventText(text, track, eventIndex, overlap ? 1 : 0)) return text;
  if (GetStepEditorData(StepEditorOfTrack(track))) return {};
  TrackEvents events(track);
  const int end = events.events() ? FindEndEvent(events.events(), events.count()) : -1;
  if (eventIndex < 0 || eventIndex >= end) return {};
  EventTextOptions options;
  options.keyIndex = KeyIndexAt(events.events(), eventIndex);
  options.overlap = overlap;
  options.progOffset = g_settings.progOffset != 0;
  return StepEventText(events.events(), events.count(), eventIndex, options);
}
