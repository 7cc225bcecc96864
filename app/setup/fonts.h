// The text windows' fonts: the default font of the settings file (section
// "Default Font"), the font dialog for one window or for all of them, and
// the frame's font-change command.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Reads every key into font (0 and an empty face for missing keys).
void LoadDefaultFont(LOGFONTA* font);
// Writes every key of the default font.
void SaveDefaultFont(LOGFONTA font);
// The default font created; the stock fixed system font when it cannot be
// made (never to be deleted as a created font).
HFONT CreateDefaultFont();
// Deletes a font a window owned, unless it is none or a stock font.
void DeleteOwnedFont(HFONT font);

// The font dialog over window: mode 1 edits the default font, mode 0 the
// window's own. With Shift held when it starts, the choice goes to every
// text window. Nonzero when the user chose a font.
int ChooseWindowFont(HINSTANCE instance, HWND window, int mode);
int ChooseFontMode1(HINSTANCE instance, HWND owner);
// Makes font the window's font (deleting the old one) and repaints it; the
// track window is told its rows changed, the conductor lays out its fields
// again and a log hands the font to its edit.
void ApplyWindowFont(HWND window, const LOGFONTA& font);
// The same for every text window: the track window, the conductor, the
// error and search logs, the tone name list, then each step editor of the
// song in track order.
void ApplyFontToTextWindows(const LOGFONTA& font);

// The frame's command 6000 as received by receiver.
void FontChangeCommand(HWND receiver);

// Which entries of a face list go and what is selected afterwards: every
// face whose name begins with "@" (a vertical face) goes, listed last
// first. The selected face keeps its selection at its new index; when the
// selected face itself goes, its upright twin is selected, else the face
// that takes its place (-1 when the list becomes empty).
struct FaceFilter {
  std::vector<int> removed;
  int selection = -1;
};
FaceFilter FilterVerticalFaces(const std::vector<std::string>& faces, int selection);

// What the hooks of both font dialogs do: centre the dialog over the frame
// when it starts and take the vertical faces out of its face list when it
// is shown.
void CommonFontDialogHook(HWND dialog, UINT message, WPARAM wParam);
