// What the song model and the shell need of the step editor.
#pragma once
#include <windows.h>

#include <string>

#include "editorservices.h"

// Renumbers the same-measure references of every track of the open song.
void RenumberAllSameMeasureRefs();
// Marks the open song modified (bit 0 of the first track's state word).
void SetSongModified();

// The shell's immediate send of one short MIDI message (status, channel and
// port, data 1, data 2). The shell sets it; until then the play monitor's
// sends go nowhere.
using SendMidiNowFn = int(CALLBACK*)(int status, int channelAndPort, int data1, int data2);
// What the end of a play restarts in the shell: MIDI step input and the
// status line's mode text.
struct StepServiceHooks {
  SendMidiNowFn sendMidiNow = nullptr;
  void (*startMidiInput)() = nullptr;
  void (*showStepInputMode)() = nullptr;
  // A message box of the string table (style, string id).
  int (*showMessage)(UINT style, UINT stringId) = nullptr;
  // Nonzero while a song plays.
  int (*isPlaying)() = nullptr;
  // Marks an editor's track changed (1 events, 3 with step times).
  void (*setTrackStateBits)(HWND editor, uint32_t bits) = nullptr;
  // The engine's table of held input keys copied into a 128-byte block;
  // false when the bound engine keeps none.
  bool (*readMidiInTable)(HGLOBAL table) = nullptr;
  // The shell's location guide (127) and graph colour (147) set-up dialogs,
  // each saving the settings on OK.
  void (*openDisplaySetupDialog)(HWND owner) = nullptr;
  void (*openGraphSetupDialog)(HWND owner) = nullptr;
  // Centres a dialog over the frame as it initialises.
  BOOL (*centreOnFrame)(HWND window) = nullptr;
};
extern StepServiceHooks g_stepHooks;

// Activates the play monitor window, or, when it is not open and the bound
// monitor can create one, hands it its defaults and creates it as an MDI
// child. Returns the monitor's window, null when there is none.
HWND OpenPlayMonitor();

// After a play: clears every step editor's play position and repaints it,
// places the current editor's caret again, restarts MIDI step input and
// repaints the palettes that show the position.
void ResetPlayCursors();

// 1 when at least one track of the song is set to record (mode bit 0x02 or
// 0x04); otherwise tells the user (string 1937) and gives 0.
int CheckRecordTrack();

// The used and free event counters for the editor's track (for the whole
// song when it is no step editor), then the status line.
void UpdateFreeCount(HWND editor);

// The editor scrolled so that the line stands at the caret position (caret
// row, or caret column in the rhythm grid), then redrawn.
void PlaceLineAtCaret(HWND editor, int position, int32_t line);

// Puts the editor's caret back where its caret fields say (in character
// cells of its font; rhythm display keeps the caret's y in pixels). Only the
// window that has the focus owns the caret.
void PlaceStepCaret(HWND editor);

// Scroll bars from the editor's lines and position, then the list and the
// caret redrawn.
void UpdateStepScroll(HWND editor);

// Average character width and character height of the window's font (the
// step editor's own font, else the font the window reports, else the system
// fixed font).
void GetWndCharSize(HWND window, int* width, int* height);

// The text of one event of a track, as the error and search logs show it:
// the event text and its numeric columns, with the overlap mark when flag is
// nonzero. Written into buffer (room for 40 characters) only while the track
// has an open step editor and the index lies within its events; returns
// whether it wrote.
int FormatStepEventText(char* buffer, int track, int eventIndex, int flag);

// The measure and step number of a track's event as its step list shows
// them: from the track's open editor, else worked out from the track's
// events. False for an event the track does not have.
// overlap, when given, receives the event's overlap mark.
bool StepEventPosition(int track, int eventIndex, int* measure, int* step, bool* overlap = nullptr);

// The event's text as FormatStepEventText gives it, or, without an open
// editor, from the track's own events; empty for an event it does not have.
std::string StepEventTextOfTrack(int track, int eventIndex, bool overlap = false);
