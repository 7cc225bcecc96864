#include "windownav.h"

#include <cstring>
#include <string>

#include "appglobals.h"
#include "inifile.h"
#include "placements.h"
#include "programstate.h"
#include "resource.h"
#include "settingsblock.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "zk/messages.h"

namespace {

struct TrackWindowKind {
  const char* className;
  UINT title;    // caption string
  UINT command;  // frame command that opens this mode
};

constexpr TrackWindowKind kKinds[] = {
    {"TrkView", 38, 4007},
    {"TrkSet", 39, 4006},
    {"TrkSet", 40, 4008},
};

bool HasClass(HWND window, const char* className) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, className) == 0;
}

void Activate(HWND child) {
  if (IsIconic(child)) SendMessageA(g_app.mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

HWND Create(const TrackWindowKind& kind, const std::string& title) {
  MDICREATESTRUCTA mc = {};
  mc.szClass = kind.className;
  mc.szTitle = title.c_str();
  mc.hOwner = AppInstance();
  mc.x = mc.y = mc.cx = mc.cy = CW_USEDEFAULT;
  return reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mc)));
}

}  // namespace

HWND OpenTrackWindow(HWND window, int mode) {
  (void)window;
  if (mode < kTrackViewMode || mode > kRecordSetupMode || !g_app.mdiClient) return nullptr;
  const TrackWindowKind& kind = kKinds[mode];
  HWND open = g_viewWindows.trackWindow;
  if (open && !HasClass(open, kind.className)) {
    SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(open), 0);
    g_viewWindows.trackWindow = nullptr;
    if (g_app.frame) PostMessageA(g_app.frame, WM_COMMAND, kind.command, 0);
    return nullptr;
  }
  g_viewWindows.trackWindowMode = mode;
  const std::string title = LoadAppString(kind.title);
  if (!open) return Create(kind, title);
  SetWindowTextA(open, title.c_str());
  Activate(open);
  return open;
}

namespace {

// A child of which only one exists: activated (restored from an icon) when
// open, else made as at start-up, with its own font and where it was last.
struct SingletonChild {
  const char* className;
  UINT title;
  const char* fontKey;
  void (*restorePlacement)(int show);
};

HWND OpenSingleton(HWND open, const SingletonChild& kind) {
  if (!g_app.mdiClient) return nullptr;
  if (!open) {
    LOGFONTA kept{};
    if (g_prog.defaultFont) {
      kept = *g_prog.defaultFont;
      char text[kFontTextSize];
      IniGetString("DeskTop", kind.fontKey, "", text, sizeof text);
      ParseFontEntry(text, g_prog.defaultFont);
    }
    MDICREATESTRUCTA mc = {};
    mc.szClass = kind.className;
    const std::string title = LoadAppString(kind.title);
    mc.szTitle = title.c_str();
    mc.hOwner = AppInstance();
    mc.x = mc.y = mc.cx = mc.cy = CW_USEDEFAULT;
    open = reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mc)));
    if (g_prog.defaultFont) *g_prog.defaultFont = kept;
    if (!open) return nullptr;
    kind.restorePlacement(SW_SHOWNORMAL);
  }
  Activate(open);
  return open;
}

}  // namespace

HWND OpenConductor(HWND) {
  return OpenSingleton(g_views.conductor, {"Main", IDS_CONDUCTOR_TITLE, "ConductorFont", RestoreConductorPlacement});
}

// Choosing the bank and program belongs to the list itself.
HWND OpenNameList(HWND, int) {
  return OpenSingleton(g_viewWindows.nameList,
                       {"NameList", IDS_NAMELIST_TITLE, "NameListFont", RestoreNameListPlacement});
}

// Choosing the memory belongs to the window itself.
HWND OpenUserExclusive(HWND, int) {
  return OpenSingleton(g_views.userExclusive,
                       {"UserExclsive", IDS_USEREXCL_TITLE, "UserExclusiveFont", RestoreUserExclPlacement});
}

namespace {

// The last line whose first event is at or before the event.
int32_t LineOfEvent(const StepEditorData& ed, int eventIndex) {
  const auto* lines = ed.lineTable ? static_cast<const LineEntry*>(GlobalLock(ed.lineTable)) : nullptr;
  if (!lines) return 0;
  int32_t low = 0, high = (ed.lineCount - 1);
  while (low < high) {
    const int32_t mid = low + (high - low + 1) / 2;
    if (lines[mid].firstEvent <= static_cast<uint32_t>(eventIndex)) low = mid;
    else high = mid - 1;
  }
  GlobalUnlock(ed.lineTable);
  return low;
}

// The first line at (measure, step) or in a later measure; the last line
// when the track ends before.
int32_t LineOfPosition(const StepEditorData& ed, int measure, int step) {
  const auto* lines = ed.lineTable ? static_cast<const LineEntry*>(GlobalLock(ed.lineTable)) : nullptr;
  if (!lines) return 0;
  const TrackBlock* tb = ed.trackBlock ? static_cast<const TrackBlock*>(LocalLock(ed.trackBlock)) : nullptr;
  const auto* positions =
      tb && tb->positions ? static_cast<const StepPosition*>(GlobalLock(tb->positions)) : nullptr;
  int32_t found = (ed.lineCount - 1);
  if (positions) {
    for (int32_t line = 0; line <= (ed.lineCount - 1); ++line) {
      const uint32_t event = lines[line].firstEvent;
      if (event >= static_cast<uint32_t>(kTrackSlots)) break;
      const int m = positions[event].measure;
      const int s = positions[event].step & ~kOverlapBit;
      if ((m == measure && s == step) || m > measure) {
        found = line;
        break;
      }
    }
    GlobalUnlock(tb->positions);
  }
  if (tb) LocalUnlock(ed.trackBlock);
  GlobalUnlock(ed.lineTable);
  return found;
}

uint32_t FirstEventOfLine(const StepEditorData& ed, int32_t line) {
  const auto* lines = ed.lineTable ? static_cast<const LineEntry*>(GlobalLock(ed.lineTable)) : nullptr;
  if (!lines) return 0;
  const uint32_t event = lines[line].firstEvent;
  GlobalUnlock(ed.lineTable);
  return event;
}

// The track's editor, made when it has none, brought to the front.
StepEditorData* FrontEditor(int track, HWND* editorOut) {
  HWND editor = StepEditorOfTrack(track);
  if (!editor) editor = CreateStepEditor(track, 0);
  StepEditorData* ed = GetStepEditorData(editor);
  if (!ed) return nullptr;
  Activate(editor);
  SetFocus(editor);
  *editorOut = editor;
  return ed;
}

// The line goes to the top with the caret on it.
void ShowLineOnTop(HWND editor, StepEditorData* ed, int32_t line) {
  ed->topLine = line;
  ed->caretRow = 1;
  ed->caretColumn = ed->viewMode == kModeRhythmGrid ? kRhythmFirstColumn : kStepListColumn;
  SetScrollPos(editor, SB_VERT, ed->topLine, TRUE);
  SendMessageA(editor, WM_ZK_STEPCHANGED, 0, 0);
  InvalidateRect(editor, nullptr, TRUE);
}

}  // namespace

int OpenTrackEditorFromLog(HWND window, int track, int eventIndex) {
  (void)window;
  if (track < 1 || track > g_song.trackCount || track > kMaxTracks) return 0;
  HWND editor = nullptr;
  StepEditorData* ed = FrontEditor(track, &editor);
  if (!ed) return 0;
  ShowLineOnTop(editor, ed, LineOfEvent(*ed, eventIndex < 0 ? 0 : eventIndex));
  return 1;
}

int OpenTrackEditor(HWND window, int track, int measure, int step) {
  (void)window;
  // Checked with or without a window: the track indexes the window table.
  if (track < 1 || track > g_song.trackCount || track > kMaxTracks) return 0;
  HWND editor = nullptr;
  StepEditorData* ed = FrontEditor(track, &editor);
  if (!ed) return 0;
  // Steps count from 1; a track that never played reports step 0.
  const int32_t line = LineOfPosition(*ed, measure, step < 1 ? 1 : step);
  if (g_stepHooks.isPlaying && g_stepHooks.isPlaying()) ed->playEvent = static_cast<int32_t>(FirstEventOfLine(*ed, line));
  ShowLineOnTop(editor, ed, line);
  return 1;
}
