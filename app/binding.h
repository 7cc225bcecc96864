// Binding of the libraries the settings name: the playback engine, the Super
// MPU extras, the play monitor, the splash libraries and the controller
// plug-ins. Every library is loaded by file name and bound by export ordinal;
// a library or ordinal that is missing leaves its entries null (engine.h,
// playmonentries.h, splashentries.h, plugins.h), and every caller tests an
// entry before calling it. Nothing here reports a missing library.
#pragma once
#include <windows.h>

#include "engine.h"
#include "playmonentries.h"
#include "plugins.h"
#include "splashentries.h"

// --- Loading ------------------------------------------------------------

// Loads a library by the file name the settings give, without the system's
// error box; null for an empty name or a file that does not load.
HMODULE LoadNamedLibrary(const char* fileName);

// The export with this ordinal as an entry of type T; null when missing.
template <typename T>
T BindOrdinal(HMODULE library, int ordinal) {
  if (!library) return nullptr;
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

// --- Engine -------------------------------------------------------------

// Loads [Play] Applet (g_settings.applet) in place of any engine bound
// before, asks its type, binds every ordinal of the engine interface, then:
// on the Super MPU engine with the ports free, OpenCallBack(instance, frame)
// and SendSMPUOptionSW of the extras; ClearPlayMonDarty; the play-monitor
// mode. Does nothing while g_app.portsUnavailable is set. Ports this program
// took through the old engine are released first. Call ports set-up after.
void BindEngine();

// 1 when [zkrds] Driver (g_settings.rdsDriver) can be loaded (it is freed at
// once), else 0.
int ProbeSmpuDriver();

// Clears SetSMPUIMMREC, then, while the ports are available and the driver
// probe succeeds, loads [Play] Applet2 apart from the engine and binds the
// extras, but only when that library's GetAppletType reports the Super MPU
// type: in any other engine the same ordinals are other entry points.
// Called at start-up before BindEngine, so the engine's own midiReset wins.
void BindSmpuExtras();

// SetPlayMonMode(1) when [OTHER] PlayMonitor or TrackMonitor is nonzero,
// else SetPlayMonMode(0); nothing without that entry.
void SetPlayMonModeFromSettings();

// --- Play monitor -------------------------------------------------------

// The three host callbacks the frame provides for the play monitor; the other
// two (is-playing query and window setter) are this module's own. They may
// be set before or after BindPlayMonitor: the monitor is handed forwarders
// that call whatever is set now, and do nothing while a callback is null.
struct PlayMonHostCallbacks {
  zkplaymon::ActivateFn activate = nullptr;          // its MDI window (de)activated
  zkplaymon::ActivateTrackFn activateTrack = nullptr;  // show track n's window
  zkplaymon::SharedKeyFn sharedKey = nullptr;        // keys every MDI child shares
};
void SetPlayMonHostCallbacks(const PlayMonHostCallbacks& callbacks);

// Loads [PlayMon] Applet (read from the settings file; empty: none), binds
// its ordinals 1024-1035 and 1040, calls RegisterPlayMon and hands it the five
// callbacks. Unloads a monitor bound before.
void BindPlayMonitor();
// Closes the monitor's window when it is open (through the MDI client for a
// child), frees its library and clears its entries.
void UnloadPlayMonitor();

// The window setter handed to the monitor: keeps its window (0 when it
// closes) in g_playmon.window and returns it.
HWND CALLBACK PlayMonSetWindow(HWND window);
// The is-playing query handed to the monitor: nonzero while the engine plays.
int CALLBACK PlayMonIsPlaying();

// --- Splash libraries ---------------------------------------------------

// Clears the splash entries and loads [Splash] Applet (DisplayLogo) and
// [Splash] PApplet (PluginLogo, SetToPluginDialog), each when not empty.
void BindSplashLibraries();
// Shows the application splash over the desktop when DisplayLogo is bound
// and keeps its window in g_splash.appWindow.
void ShowApplicationSplash();
// Destroys both splash windows (those still open).
void CloseSplashWindows();
// Frees both splash libraries (after CloseSplashWindows) and forgets them.
void FreeSplashLibraries();

// --- Controller plug-ins ------------------------------------------------

// Empties every plug-in slot (libraries are not freed: start-up only).
void ClearControllerPlugins();
// Frees every plug-in library and the two plug-in start blocks; the slots
// are empty afterwards.
void FreeControllerPlugins();

// Shows the plug-in splash, loads [Plugin] Controlor0-15 into slots 0-15
// (a slot keeps its number whatever is empty before it), keeps a library only
// when its information (ordinal 101) has bit 0x8000 at offset 8, binds its
// entries, then registers each one (64, counter from 4030), gets its per-song
// handle (67), sets it up (66 with the default font and the window colours)
// and tells it so (129). defaultFont may be null (a zeroed font is passed).
void LoadControllerPlugins(int showCommand, const LOGFONTA* defaultFont);

// Plug-in start, after the frame and its children exist: allocates the two
// blocks kept until shut-down, calls 96, 69 and 65 of every plug-in, then 68
// with "new.gsd", then closes the splash windows. The caller then restores
// the layout, shows the MDI client and activates the start window.
void StartControllerPlugins(int showCommand);

// 96 (engine access) and 69 (port mask) of every plug-in: at port set-up and
// when the program is activated.
void TellPluginsEngineAndPorts();
// Bit k set when output port k (g_settings.outPorts) has a device.
int OutputPortMask();

// 74 (value1) and 75 (value2) of every plug-in with (id, window, menu, value, 0).
void AddPluginMenuEntries(HWND window, HMENU menu, int value1, int value2);
// 70 (layout restore), 71 (layout save) and 255 (frame close) of every plug-in.
void PluginsRestoreLayout(int showCommand);
void PluginsSaveLayout();
void PluginsFrameClose();

// --- Shut-down ----------------------------------------------------------

// Releases the ports if this program took them, then, in order: unloads the
// play monitor; frees the Super MPU extras, the engine, the controller
// plug-ins and the filter slots; frees the two plug-in start blocks. Every
// entry is null afterwards. The caller frees its own blocks.
void UnloadLibraries();
