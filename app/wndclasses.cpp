#include "wndclasses.h"

#include <cstdio>
#include <string>

#include "appglobals.h"
#include "binding.h"
#include "errlog.h"
#include "frame.h"
#include "inifile.h"
#include "mixrefresh.h"
#include "placements.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "settingsblock.h"
#include "songmodel.h"
#include "statusline.h"
#include "stepwnd.h"
#include "toolpalette.h"
#include "viewglobals.h"
#include "viewwindows.h"

namespace {

constexpr DWORD kFrameStyle = 0x02CF0000;       // overlapped window, clip children
constexpr DWORD kPlayPaletteStyle = 0xC6800000;
constexpr DWORD kPianoPaletteStyle = 0xC6840000;

struct ClassRow {
  const char* name;
  WNDPROC proc;
  UINT style;
  int icon;          // 0 none
  int background;    // kBg* below
  bool windowWord;
};

enum { kBgWorkspace, kBgFace, kBgWhite, kBgButtonText };

HBRUSH g_faceBrush = nullptr;

HBRUSH Background(int kind) {
  switch (kind) {
    case kBgWorkspace: return reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    case kBgFace: return g_faceBrush;
    case kBgButtonText: return CreateSolidBrush(GetSysColor(COLOR_BTNTEXT));
    default: return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
}

constexpr UINT kRedraw = CS_HREDRAW | CS_VREDRAW;
constexpr UINT kRedrawDbl = kRedraw | CS_DBLCLKS;

const ClassRow kClasses[] = {
    {kFrameClass, MPFrameWndProc, kRedraw, IDR_FRAME, kBgWorkspace, true},
    {"zkfwChild", MPMDISTEPWndProc, kRedrawDbl, IDI_CHILD, kBgFace, true},
    {"FUMENEDIT", MPMDIFUMENWndProc, kRedraw, IDI_CHILD, kBgWhite, true},
    {"FUMENEDIT2", MPMDIFUMEN2WndProc, kRedraw, IDI_CHILD, kBgWhite, true},
    {"FUMENEDIT3", MPMDIFUMEN3WndProc, kRedraw, IDI_CHILD, kBgWhite, true},
    {kStatusLineClass, MPMDIChildStatusWndProc, kRedraw, 0, kBgWhite, false},
    {"NameList", MPNameListWndProc, kRedrawDbl, IDI_NAMELIST, kBgWorkspace, true},
    {"NameListArea", MPNameListStaticProc, kRedrawDbl, IDI_NAMELIST, kBgWhite, true},
    {"ErrLog", MPErrLogWndProc, kRedraw, IDI_ERRLOG, kBgWhite, true},
    {"SearchLog", MPSearchLogWndProc, kRedraw, IDI_SEARCHLOG, kBgWhite, true},
    {"TrkSet", MPTrkSetWndProc, kRedrawDbl, IDI_TRACKS, kBgFace, true},
    {"TrkView", MPTrkViewWndProc, kRedrawDbl, IDI_TRACKS, kBgFace, true},
    {"PlayPallet", PalletWndProc, kRedraw, IDI_TRACKS, kBgFace, true},
    {"NotePallet", NotePalWndProc, kRedraw, IDI_TRACKS, kBgFace, true},
    {"PianoPallet", PianoPalProc, kRedraw, IDI_TRACKS, kBgWhite, true},
    {"LocWnd", LocationWndProc, kRedraw, IDI_TRACKS, kBgButtonText, true},
    {"Main", MainWndProc, kRedraw, IDI_CONDUCTOR, kBgFace, true},
    {"UserExclsive", MPUserExclWndProc, kRedrawDbl, IDI_EXCLUSIVE, kBgFace, true},
    {"TrkExclsive", MPUserExcltWndProc, kRedraw, IDI_EXCLUSIVE, kBgFace, true},
};

// One window word holding a handle: 4 bytes in the 32-bit build.
constexpr int kWindowWordBytes = sizeof(LONG_PTR);
static_assert(sizeof(void*) != 4 || kWindowWordBytes == 4);

bool RegisterRow(HINSTANCE instance, const ClassRow& row) {
  WNDCLASSA wc = {};
  wc.style = row.style;
  wc.lpfnWndProc = row.proc;
  wc.cbWndExtra = row.windowWord ? kWindowWordBytes : 0;
  wc.hInstance = instance;
  wc.hIcon = row.icon ? LoadIconA(instance, MAKEINTRESOURCEA(row.icon)) : nullptr;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = Background(row.background);
  wc.lpszMenuName = row.proc == MPFrameWndProc ? MAKEINTRESOURCEA(IDR_FRAME) : nullptr;
  wc.lpszClassName = row.name;
  return RegisterClassA(&wc) != 0;
}

int32_t BlockValue(int field) {
  int32_t value = 0;
  if (const int32_t* block = LockSettingsBlock()) {
    value = block[field];
    UnlockSettingsBlock();
  }
  return value;
}

bool Closed(int stateField) { return (BlockValue(stateField) & kPlacementClosed) != 0; }

DWORD StateStyle(int stateField) {
  const int32_t state = BlockValue(stateField);
  DWORD style = 0;
  if (state & 1) style |= WS_MINIMIZE;
  if (state & 2) style |= WS_MAXIMIZE;
  return style;
}

HWND CreateMdiChild(const char* className, const std::string& title, DWORD style) {
  MDICREATESTRUCTA mc = {};
  mc.szClass = className;
  mc.szTitle = title.c_str();
  mc.hOwner = g_app.instance;
  mc.x = mc.y = mc.cx = mc.cy = CW_USEDEFAULT;
  mc.style = style;
  return reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mc)));
}

// Restores the default font from the copy taken at the start, then applies
// the window's own font text.
struct FontScope {
  LOGFONTA saved{};
  FontScope() {
    if (g_prog.defaultFont) saved = *g_prog.defaultFont;
  }
  ~FontScope() { Reset(); }
  void Reset() const {
    if (g_prog.defaultFont) *g_prog.defaultFont = saved;
  }
  void For(const char* fontKey) const {
    Reset();
    ApplyWindowFont(fontKey);
  }
};

bool CreateFrame(int show) {
  const std::string title = LoadAppString(IDS_APP_TITLE);
  HWND frame = CreateWindowA(kFrameClass, title.c_str(), kFrameStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, g_app.instance, nullptr);
  if (!frame || !g_app.mdiClient) return false;
  g_app.frame = frame;
  if (SongDocument* doc = LockSongDocument(frame)) {
    doc->word1 = 1;
    UnlockSongDocument(frame);
  }
  return true;
}

void CreateTrackWindow(const FontScope& font) {
  int mode = g_settings.trkSetMode;
  switch (g_settings.activeWindow) {
    case 1: mode = 0; break;
    case 2: mode = 1; break;
    case 3: mode = 2; break;
  }
  if (mode < 0 || mode > 2) mode = 0;
  const int base = mode == 0 ? kSbTrkView : kSbTrkSet;
  if (Closed(base)) return;
  font.For("TrkSetFont");
  const UINT titleId = mode == 1 ? IDS_TRACKSET_TITLE : mode == 2 ? IDS_RECORD_TITLE : IDS_TRACKVIEW_TITLE;
  g_viewWindows.trackWindowMode = mode;
  CreateMdiChild(mode == 0 ? "TrkView" : "TrkSet", LoadAppString(titleId), StateStyle(base));
}

void CreateLogsAndExclusive(const FontScope& font) {
  if (!Closed(kSbUserExclusive)) {
    font.For("UserExclusiveFont");
    CreateMdiChild("UserExclsive", LoadAppString(IDS_USEREXCL_TITLE), StateStyle(kSbUserExclusive));
  }
  if (!Closed(kSbErrLog)) {
    font.For("ErrLogFont");
    CreateMdiChild("ErrLog", LoadAppString(IDS_ERRLOG_TITLE), StateStyle(kSbErrLog));
  }
  if (!Closed(kSbSearchLog)) {
    font.For("SearchLogFont");
    CreateMdiChild("SearchLog", LoadAppString(IDS_SEARCHLOG_TITLE), StateStyle(kSbSearchLog));
  }
}

void CreatePalettes() {
  if (!g_app.portsUnavailable) {
    CreateWindowA("PlayPallet", "", kPlayPaletteStyle, BlockValue(kSbPlayPallet + 1), BlockValue(kSbPlayPallet + 2),
                  320, 56, g_app.mdiClient, nullptr, g_app.instance, nullptr);
  }
  int width = BlockValue(kSbPianoPallet + 3);
  int height = BlockValue(kSbPianoPallet + 4);
  CreateWindowA("PianoPallet", "", kPianoPaletteStyle, BlockValue(kSbPianoPallet + 1),
                BlockValue(kSbPianoPallet + 2), width > 0 ? width : 560, height > 0 ? height : 50, g_app.mdiClient,
                nullptr, g_app.instance, nullptr);
}

bool RhythmTrack(int n) {
  bool rhythm = false;
  if (HGLOBAL h = SongEntry(TrackHeaderEntry(n))) {
    rhythm = (static_cast<const TrackHeader*>(GlobalLock(h))->rhythm & 0x80) != 0;
    GlobalUnlock(h);
  }
  return rhythm;
}

void CreateTrackEditors(const FontScope& font) {
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    if (Closed(SbTrackField(0, n))) continue;
    char key[24];
    std::snprintf(key, sizeof key, "Track%dFont", n);
    font.For(key);
    CreateStepEditor(n, RhythmTrack(n) ? WS_HSCROLL : 0);
  }
}

void CreateNotePaletteAndConductor(const FontScope& font) {
  font.Reset();
  CreateWindowA("NotePallet", "", kPlayPaletteStyle, BlockValue(kSbNotePallet), BlockValue(kSbNotePallet + 1), 240,
                56, g_app.mdiClient, nullptr, g_app.instance, nullptr);
  if (!Closed(kSbConductor)) {
    font.For("ConductorFont");
    CreateMdiChild("Main", LoadAppString(IDS_CONDUCTOR_TITLE), StateStyle(kSbConductor));
  }
}

}  // namespace

bool RegisterWindowClasses(HINSTANCE instance) {
  InstallMixRefresh();
  if (!g_faceBrush) g_faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  for (const ClassRow& row : kClasses)
    if (!RegisterRow(instance, row)) return false;
  return RegisterDialClass() != 0;
}

void ApplyWindowFont(const char* fontKey) {
  if (!g_prog.defaultFont) return;
  char text[kFontTextSize];
  IniGetString("DeskTop", fontKey, "", text, sizeof text);
  ParseFontEntry(text, g_prog.defaultFont);
}

bool CreateMainWindows(const char* commandLine, int show) {
  FontScope font;
  if (!CreateFrame(show)) return false;
  g_prog.accelerators = LoadAcceleratorsA(g_app.instance, MAKEINTRESOURCEA(IDR_FRAME));
  if (!g_prog.accelerators) return false;
  AddPluginMenuEntries(g_app.frame, GetMenu(g_app.frame), 3, 0);
  g_prog.modelessDialog = CreateToolPalette(g_app.instance, g_app.frame);
  if (!Closed(kSbNamelist)) {
    font.For("NameListFont");
    CreateMdiChild("NameList", LoadAppString(IDS_NAMELIST_TITLE), StateStyle(kSbNamelist));
  }
  NewSong(g_app.frame);
  CreateTrackWindow(font);
  CreateLogsAndExclusive(font);
  CreatePalettes();
  CreateTrackEditors(font);
  CreateNotePaletteAndConductor(font);
  return true;
}
