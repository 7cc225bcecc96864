// Handlers of the frame's messages, split by concern over the frame's files.
#pragma once
#include <windows.h>

// frameengine.cpp: the engine's messages.
void OnPlayNotify(HWND frame, WPARAM wParam, LPARAM lParam);
void OnPlayEnd(HWND frame, WPARAM wParam, LPARAM lParam);
void OnPlayMark(HWND frame, WPARAM wParam, LPARAM lParam);
// The rings the engine hands over with their sizes (records, bytes); a ring
// without its size is not read.
void OnSetPlayMon(WPARAM records, LPARAM ring);
void OnSetTextRing(WPARAM bytes, LPARAM ring);
void OnMidiInput(LPARAM message);
// Runs the one text record at offset of the text ring; returns the offset
// past it, or -1 when there is nothing to read.
int RunTextEvent(int offset);

// framecmd.cpp: WM_COMMAND.
void FrameCommand(HWND frame, WPARAM wParam);

// One row of the dispatcher: the ids it takes and what it does with them.
struct CommandRow {
  UINT first;
  UINT last;
  void (*run)(HWND frame, WPARAM wParam);
};
// framepasson.cpp: the second group's ids that the step editors and the
// active child carry out, in the form each takes.
const CommandRow* FindPassedOnRow(UINT id);
// Shift+1 ... Shift+0 and the step editor's two display commands, in every
// play state.
const CommandRow* FindEditorKeyRow(UINT id);
// The plug-ins' command entries (ordinal 90) with the command.
void CommandToPlugins(WPARAM wParam);
