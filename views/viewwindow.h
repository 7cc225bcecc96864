// What every view window shares: a data block in window word 0 holding the
// window's font (taken from the default-font record when it is created), and
// a plain painting of its name until the view draws its own contents.
#pragma once
#include <windows.h>

struct ViewWindowData {
  HFONT font;
};

// WM_CREATE: allocates the block and makes the font. False when memory ran out.
bool AttachViewData(HWND window);
// WM_NCDESTROY: deletes the font and frees the block.
void FreeViewData(HWND window);
// Every text window (views, logs, step editors) keeps a movable block in
// window word 0 whose first field is its font.
HFONT ViewWindowFont(HWND window);
// Stores font as the window's font and gives the one it replaced in *old;
// false when the window keeps no such block.
bool SwapViewWindowFont(HWND window, HFONT font, HFONT* old);
// WM_PAINT: the window's text (or label when given) at its top left.
void PaintViewLabel(HWND window, const char* label);
// WM_MDIACTIVATE of an MDI child: keeps the active child for the frame.
void NoteChildActivation(HWND window, LPARAM activated);

// A handler set for the simplest views: create, paint, destroy (clearing
// *slot) and the default procedure of an MDI child or a popup.
LRESULT SimpleViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, HWND* slot,
                       bool mdiChild);
