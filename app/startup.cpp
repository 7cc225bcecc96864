#include "startup.h"

#include <cstring>

#include "afteropen.h"
#include "appglobals.h"
#include "binding.h"
#include "fonts.h"
#include "graphdlg.h"
#include "shellutil.h"
#include "locguidedlg.h"
#include "engine.h"
#include "frame.h"
#include "pathname.h"
#include "placements.h"
#include "midistepinput.h"
#include "msgbox.h"
#include "midisend.h"
#include "partdlg.h"
#include "playcontrol.h"
#include "playlist.h"
#include "playmonhost.h"
#include "playroutines.h"
#include "playstate.h"
#include "portsetup.h"
#include "programstate.h"
#include "recent.h"
#include "scorefont.h"
#include "scoremetrics.h"
#include "settings.h"
#include "settingsblock.h"
#include "songfile.h"
#include "songmodel.h"
#include "statusline.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "toolpalette.h"
#include "trackattach.h"
#include "viewglobals.h"
#include "viewservices.h"
#include "viewwindows.h"
#include "wndclasses.h"
#include "zk/messages.h"

namespace {

constexpr int kPlaylistEntries = 1024;

const char* const kPopupMenuNames[kPopupMenuCount] = {
    "IDZKPCMD", "IDZKPRHYCMD", "IDTONENAMEC", "IDTRKCONTEXT", "IDTRKDRAGDROP",
    "IDTRKSORT", "IDPIANOPAL", "IDLOCATION", "IDFUMENCMD"};

// Shut-down destroys these, in this order (the location and score menus stay
// with the system).
const char* const kPopupsDestroyed[] = {"IDTRKSORT", "IDTRKDRAGDROP", "IDTRKCONTEXT", "IDTONENAMEC",
                                        "IDZKPCMD", "IDZKPRHYCMD", "IDPIANOPAL"};

template <typename T>
T* AllocLocked(HGLOBAL& handle, size_t bytes, UINT flags) {
  handle = GlobalAlloc(flags, bytes);
  return handle ? static_cast<T*>(GlobalLock(handle)) : nullptr;
}

void FreeLocked(HGLOBAL& handle) {
  if (!handle) return;
  GlobalUnlock(handle);
  GlobalFree(handle);
  handle = nullptr;
}

void AllocateBlocks() {
  g_prog.playTrackData = AllocLocked<PlayMonRecord>(g_prog.playTrackBlock, kPlayTrackRecords * sizeof(PlayMonRecord),
                                                    kShareableZeroed);
  g_prog.soundInitText = AllocLocked<char>(g_prog.soundInitBlock, kSoundModuleInitSize, kShareableZeroed);
  AllocSettingsBlock();
  g_prog.immRecordBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kImmRecordBlockSize);
  g_prog.defaultFont = AllocLocked<LOGFONTA>(g_prog.defaultFontBlock, sizeof(LOGFONTA), GMEM_MOVEABLE | GMEM_ZEROINIT);
}

bool ReadMidiInTable(HGLOBAL table) {
  if (!g_engine.getMIDIInTable || g_app.portsUnavailable) return false;
  g_engine.getMIDIInTable(table);
  return true;
}

void ShowStepInputMode() { ShowStatus(g_app.frame, kStatusMode, 1); }

int ShowStepMessage(UINT style, UINT stringId) { return ShowMessageById(g_app.frame, style, stringId); }

// The part open dialogs' test button: the part plays in place of the current
// step editor's track. Once it plays, the play owns the block: every end or
// stop of a partial play frees it, as it frees a measure play's block.
int PreviewPartBlock(HWND, HGLOBAL part) {
  if (!PreviewPlay(g_prog.currentStep, part)) return 0;
  FreeMeasurePlayBlock();  // one left by a play whose end never came
  g_play.measurePlayBlock = part;
  return 1;
}

void InstallStepHooks() {
  SetPartPreview(PreviewPartBlock);
  g_stepHooks.sendMidiNow = SendMidiNow;
  g_stepHooks.startMidiInput = StartMidiInput;
  g_stepHooks.showStepInputMode = ShowStepInputMode;
  g_stepHooks.showMessage = ShowStepMessage;
  g_stepHooks.isPlaying = IsPlaying;
  g_stepHooks.setTrackStateBits = SetTrackStateBits;
  g_stepHooks.readMidiInTable = ReadMidiInTable;
  g_stepHooks.centreOnFrame = CentreWindowOverFrame;
  g_stepHooks.openDisplaySetupDialog = [](HWND owner) { OpenDisplaySetupDialog(AppInstance(), owner); };
  g_stepHooks.openGraphSetupDialog = [](HWND owner) { OpenGraphSetupDialog(AppInstance(), owner); };
  g_viewHooks.openDisplaySetupDialog = g_stepHooks.openDisplaySetupDialog;
  g_viewHooks.locationMenu = [] {
    for (int i = 0; i < kPopupMenuCount; ++i)
      if (std::strcmp(kPopupMenuNames[i], "IDLOCATION") == 0) return g_prog.popupSubmenus[i];
    return HMENU{};
  };
  g_viewHooks.frame = [] { return g_app.frame; };
}

void KeepDirectories() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::snprintf(g_prog.programDir, sizeof g_prog.programDir, "%s", ProgramDirectory(path).c_str());
  char current[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(MAX_PATH, current);
  std::snprintf(g_prog.workDir, sizeof g_prog.workDir, "%s\\", current);
}

void LoadPopupMenus() {
  for (int i = 0; i < kPopupMenuCount; ++i) {
    g_prog.popupMenus[i] = LoadMenuA(g_app.instance, kPopupMenuNames[i]);
    g_prog.popupSubmenus[i] = g_prog.popupMenus[i] ? GetSubMenu(g_prog.popupMenus[i], 0) : nullptr;
  }
  g_prog.whitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
}

void LoadMapi() {
  if (!g_settings.mapiSw) return;
  g_prog.mapiLibrary = LoadNamedLibrary("MAPI32.DLL");
  if (g_prog.mapiLibrary)
    g_prog.mapiSendDocuments = reinterpret_cast<void*>(GetProcAddress(g_prog.mapiLibrary, "MAPISendDocuments"));
}

void BindEngineAndPorts() {
  if (g_app.portsUnavailable) return;
  g_prog.smpuDriverFound = ProbeSmpuDriver() != 0;
  if (g_prog.smpuDriverFound) BindSmpuExtras();
  if (g_engine.initializePlayback) g_engine.initializePlayback(0);
  BindEngine();
  SetUpPorts();
  if (g_engine.thruAssign)
    g_engine.thruAssign(g_settings.midiThru, g_settings.midiRecPortWord, 0, g_settings.realTime);
}

void OpenCommandLineSong(const std::string& given) {
  // A relative name would follow the current folder at the next save.
  const std::string path = FullPathOf(given.c_str());
  NewSong(g_app.frame);
  RefreshTrackEditors(g_app.frame);
  if (ReadSongFile(g_app.frame, path.c_str())) g_song.untitled = 0;
  SaveLastDirectory(path.c_str(), kLastDataDirectoryKey, 1);
  UpdateSongSize(g_app.frame);
  RefreshTrackEditors(g_app.frame);
  RefreshSongViews();
  if (g_views.conductor) ShowConductorFields();
  for (ControllerPlugin& p : g_plugins)
    if (p.id && p.setSongData) p.setSongData(p.id, p.songData, "new.gsd");
}

void ShowPalettes() {
  const int32_t* block = LockSettingsBlock();
  const bool playShown = block && !(block[kSbPlayPallet] & kPlacementClosed);
  const bool pianoShown = block && !(block[kSbPianoPallet] & kPlacementClosed);
  if (block) UnlockSettingsBlock();
  if (g_views.playPalette && playShown) ShowWindow(g_views.playPalette, SW_SHOWNOACTIVATE);
  if (g_views.pianoPalette && pianoShown) ShowWindow(g_views.pianoPalette, SW_SHOWNOACTIVATE);
}

void RegisterWheel() {
  g_prog.wheelMessage = RegisterWindowMessageA("MSWHEEL_ROLLMSG");
  HWND driver = FindWindowA("MouseZ", "Magellan MSWHEEL");
  if (driver && g_prog.wheelMessage) SendMessageA(driver, WM_MOUSEWHEEL, 0, 0);
}

}  // namespace

void ShutDownProgram() {
  FreeScoreBitmaps();
  if (g_scoreFont.font) DeleteObject(g_scoreFont.font);
  g_scoreFont.font = nullptr;
  if (g_prog.whitePen) DeleteObject(g_prog.whitePen);
  g_prog.whitePen = nullptr;
  if (g_prog.mapiLibrary) FreeLibrary(g_prog.mapiLibrary);
  g_prog.mapiLibrary = nullptr;
  g_prog.mapiSendDocuments = nullptr;
  // Releases the ports (only if this program took them), unloads the play
  // monitor and frees the extras, engine, plug-ins and filters in order.
  UnloadLibraries();
  FreeLocked(g_prog.soundInitBlock);
  g_prog.soundInitText = nullptr;
  FreeLocked(g_prog.playTrackBlock);
  g_prog.playTrackData = nullptr;
  FreeSettingsBlock();
  if (g_prog.immRecordBlock) GlobalFree(g_prog.immRecordBlock);
  g_prog.immRecordBlock = nullptr;
  FreeLocked(g_prog.defaultFontBlock);
  g_prog.defaultFont = nullptr;
  for (const char* name : kPopupsDestroyed) {
    for (int i = 0; i < kPopupMenuCount; ++i) {
      if (std::strcmp(kPopupMenuNames[i], name) != 0 || !g_prog.popupMenus[i]) continue;
      DestroyMenu(g_prog.popupMenus[i]);
      g_prog.popupMenus[i] = g_prog.popupSubmenus[i] = nullptr;
    }
  }
}


std::vector<std::string> SplitCommandLine(const char* commandLine) {
  std::vector<std::string> args;
  if (!commandLine) return args;
  const char* p = commandLine;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string arg;
    bool quoted = false;
    for (; *p && (quoted || (*p != ' ' && *p != '\t')); ++p) {
      if (*p == '"') {
        quoted = !quoted;
      } else {
        arg.push_back(*p);
      }
    }
    args.push_back(arg);
  }
  return args;
}

std::string ProgramDirectory(const std::string& programPath) {
  size_t slash = programPath.find_last_of("\\/:");
  return slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
}

int RunMainLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    bool taken = (g_app.mdiClient && TranslateMDISysAccel(g_app.mdiClient, &msg)) ||
                 (g_app.frame && g_prog.accelerators && TranslateAcceleratorA(g_app.frame, g_prog.accelerators, &msg));
    if (!taken) {
      HWND dialog = ToolPaletteWindow();
      if (!dialog || !IsDialogMessageA(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    if (TakePlayEnded() && g_app.frame) SendMessageA(g_app.frame, WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 0);
  }
  return static_cast<int>(msg.wParam);
}

bool StartProgram(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show) {
  g_app.instance = instance;
  g_settingsHooks.collectPlacements = SaveAllPlacements;
  g_settingsHooks.createDisplayFont = CreateDisplayFont;
  InstallStepHooks();
  g_prog.caretOffsets[0] = 3;
  g_prog.caretOffsets[1] = 0;
  ClearControllerPlugins();
  if (!previous) {
    if (!RegisterWindowClasses(instance)) return false;
    g_app.portsUnavailable = 0;
  }
  AllocateBlocks();
  g_playlist = PlaylistState{};
  KeepDirectories();
  BindSplashLibraries();
  ShowApplicationSplash();
  g_prog.currentFont = nullptr;
  LoadDefaultFont(g_prog.defaultFont);
  InstallPlayMonCallbacks();
  BindPlayMonitor();
  LoadSettings();
  if (g_prog.soundInitText)
    std::memcpy(g_prog.soundInitText, g_settings.soundModuleInit, kSoundModuleInitSize);
  ResetEditMarks();
  for (COLORREF& colour : g_prog.customColours) colour = RGB(255, 255, 255);
  InitConductorEditProc();
  LoadScoreBitmaps();
  LoadControllerPlugins(show, g_prog.defaultFont);
  if (g_playmon.setLPPLAYDAT) g_playmon.setLPPLAYDAT(g_prog.playTrackData);
  if (!CreateMainWindows(commandLine, show)) return false;
  LoadMapi();
  LoadPopupMenus();
  if (g_views.scoreView) UpdateWindow(g_views.scoreView);
  BindEngineAndPorts();
  ResetToolButtonStates();
  SendInitAfterFileOpen();
  StartControllerPlugins(show);
  RestoreAllPlacements(show);
  ShowWindow(g_app.mdiClient, SW_SHOW);
  ActivateStartWindow();
  FreeSplashLibraries();
  const std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.size() == 1) OpenCommandLineSong(args[0]);
  ShowPalettes();
  RegisterWheel();
  return true;
}

int RunProgram(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show) {
  if (!StartProgram(instance, previous, commandLine, show)) return 0;
  RunMainLoop();
  ShutDownProgram();
  return 0;
}
