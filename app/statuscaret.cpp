#include "statuscaret.h"

#include <algorithm>
#include <cstdio>

#include "appglobals.h"
#include "lineindex.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"

namespace {

constexpr int kMaxBeatRow = 64;  // longest row of the beat guide

HWND CurrentChild() {
  if (g_statusSources.activeChild) return g_statusSources.activeChild();
  if (!g_app.mdiClient) return nullptr;
  return reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0));
}

// True when window is the step editor of one of the open song's tracks.
bool IsSongTrackEditor(HWND frame, HWND window) {
  bool found = false;
  SongDocument* doc = LockSongDocument(frame);
  if (!doc) return false;
  if (doc->trackWindows) {
    if (auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows))) {
      const int n = std::min(g_song.trackCount, kMaxTracks);
      for (int i = 0; i < n && !found; ++i) {
        found = tw->editor[i] && tw->editor[i] == window;
      }
      GlobalUnlock(doc->trackWindows);
    }
  }
  UnlockSongDocument(frame);
  return found;
}

bool ReadSongMetre(CaretPositionInput* in) {
  HGLOBAL h = SongEntry(kHeaderEntry);
  auto* header = h ? static_cast<SongHeader*>(GlobalLock(h)) : nullptr;
  if (!header) return false;
  in->beats = header->beatNum;
  in->beatUnit = header->beatDen;
  in->timeBase = header->timeBase;
  GlobalUnlock(h);
  return true;
}

// Measure and steps of the event on the caret line.
bool ReadCaretEvent(const StepEditorData& ed, CaretPositionInput* in) {
  TrackBlock tb{};
  if (auto* p = static_cast<TrackBlock*>(LocalLock(ed.trackBlock))) {
    tb = *p;
    LocalUnlock(ed.trackBlock);
  }
  if (!tb.events || !tb.positions || ed.eventCount < 0 || ed.eventCount >= kTrackSlots)
    return false;
  const int32_t line = InsertionLine(ed, ed.topLine);
  int32_t event = ed.eventCount;  // the caret below the last line stands on the end
  if (line >= 0 && line <= (ed.lineCount - 1)) {
    auto* lines = static_cast<LineEntry*>(GlobalLock(ed.lineTable));
    if (!lines) return false;
    event = static_cast<int32_t>(lines[line].firstEvent);
    GlobalUnlock(ed.lineTable);
    if (event < 0 || event > ed.eventCount) event = ed.eventCount;
  }
  auto* measures = static_cast<StepPosition*>(GlobalLock(tb.positions));
  auto* events = static_cast<StepEvent*>(GlobalLock(tb.events));
  const bool ok = measures && events;
  if (ok) {
    in->measure = measures[event].measure;
    in->pos = CaretStepsInMeasure(events, ed.eventCount + 1, event);
  }
  if (events) GlobalUnlock(tb.events);
  if (measures) GlobalUnlock(tb.positions);
  return ok;
}

}  // namespace

int32_t CaretStepsInMeasure(const StepEvent* events, int count, int index) {
  index = std::clamp(index, 0, std::max(count, 0));
  int32_t pos = 0;
  for (int i = index - 1; i >= 0; --i) {
    if (events[i].code >= 0xFC) break;
    if (events[i].code < 0xF0) pos += events[i].step;
  }
  return pos;
}

std::string CaretPositionText(const CaretPositionInput& in) {
  if (in.beatUnit <= 0 || in.timeBase <= 0) return std::string();
  const int32_t B = in.timeBase * 4 / in.beatUnit;
  if (B <= 0) return std::string();
  const int32_t pos = std::clamp<int32_t>(in.pos, 0, B * 256 - 1);
  int32_t beat = pos / B + 1;
  int32_t offset = pos - (beat - 1) * B;
  const int32_t rest = beat * B - pos;
  const int32_t plainOffset = offset;

  const bool palette = in.locPal >= 1 && in.locPal <= 3;
  const bool carry = (in.locPal == 0 && in.locLoc != 0) || (palette && in.locLoc == 0);
  if (carry && offset > in.locRatio * B / 100) {
    offset -= B;
    beat += 1;
  }
  if (in.locBeat1) offset += 1;
  if (in.locSign == 0) offset = -offset;

  std::string text;
  auto add = [&](const char* part) {
    if (!text.empty()) text += palette ? ":" : "/";
    text += part;
  };
  char buf[96];
  if (in.locSw & 0x01) {
    std::snprintf(buf, sizeof buf, "%4d", in.measure);
    add(buf);
  }
  if (in.locSw & 0x02) {
    std::snprintf(buf, sizeof buf, "%4d", static_cast<int>(beat));
    add(buf);
  }
  if (in.locSw & 0x04) {
    if (in.locLoc)
      std::snprintf(buf, sizeof buf, palette ? "%3d:%3d" : "%3d/%3d", static_cast<int>(offset),
                    static_cast<int>(rest));
    else
      std::snprintf(buf, sizeof buf, "%5d", static_cast<int>(offset));
    add(buf);
  }
  if (in.locSw & 0x08) {
    const int n = std::clamp(in.locBeatChars, 0, kMaxBeatRow);
    const int32_t unit = n > 0 ? B / n : 0;
    std::string row(static_cast<size_t>(n), 'o');
    if (unit > 0) {
      const bool oddSplit = in.subBeatOdd && (in.beats & 1) && in.beats != 1;
      const int32_t at = oddSplit ? 2 * plainOffset / (3 * unit) : plainOffset / unit;
      if (at >= 0 && at < n) row[static_cast<size_t>(at)] = '|';
    }
    add(row.c_str());
  }
  if (in.locSw & 0x10) {
    std::snprintf(buf, sizeof buf, "%6d", static_cast<int>(pos));
    add(buf);
  }
  return text;
}

bool ReadCaretPositionInput(HWND frame, CaretPositionInput* in) {
  const HWND child = CurrentChild();
  if (!child || !IsSongTrackEditor(frame, child)) return false;
  const StepEditorData* ed = GetStepEditorData(child);
  if (!ed || !ed->lineTable || !ed->trackBlock) return false;
  if (!ReadSongMetre(in) || !ReadCaretEvent(*ed, in)) return false;
  in->locSw = g_settings.locSw;
  in->locLoc = g_settings.locLoc;
  in->locSign = g_settings.locSign;
  in->locPal = g_settings.locPal;
  in->locBeat1 = g_settings.locBeat1;
  in->locRatio = g_settings.locRatio;
  in->locBeatChars = g_settings.locBeat;
  in->subBeatOdd = g_settings.subBeatOdd;
  return true;
}
