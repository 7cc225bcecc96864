// The views' window classes that the shell registers and creates, and the
// windows of the views that viewglobals.h does not hold.
#pragma once
#include <windows.h>

struct ViewWindows {
  HWND nameList = nullptr;        // "NameList"
  HWND trackWindow = nullptr;     // "TrkSet" or "TrkView"
  int trackWindowMode = 0;        // 0 track view, 1 track setting, 2 record set-up
  int trackCaretColumn = 0;       // the track window's caret, in character cells
  int trackCaretRow = 0;
  HWND trackExclusive = nullptr;  // "TrkExclsive"
  HWND location = nullptr;        // "LocWnd"
  // Set while the track-exclusive editor holds edits it stores into the track
  // when it is destroyed.
  bool trackExclStore = false;
};
extern ViewWindows g_viewWindows;

// Window procedures of the views' classes.
LRESULT CALLBACK MPMDIFUMENWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MPMDIFUMEN2WndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MPMDIFUMEN3WndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MPNameListWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MPNameListStaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MPTrkSetWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MPTrkViewWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK PalletWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK NotePalWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK PianoPalProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK LocationWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MainWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MPUserExclWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MPUserExcltWndProc(HWND, UINT, WPARAM, LPARAM);

// Registers the rotary knob class "Dial"; nonzero on success.
int RegisterDialClass();

// Placement store and restore of each view, on the settings block.
void SaveTrackWindowPlacement();
void RestoreTrackWindowPlacement(int show);
void SaveNameListPlacement();
void RestoreNameListPlacement(int show);
void SaveUserExclPlacement();
void RestoreUserExclPlacement(int show);
void SavePlayPalettePos();
void SaveNotePalettePos();
void SavePianoPalettePos();

// Score bitmaps and pens, loaded at start-up and freed at exit.
void LoadScoreBitmaps();
void FreeScoreBitmaps();
// Stores the conductor field edit procedure for subclassing (once).
void InitConductorEditProc();
// Rewrites the conductor's fields from the song header (after a new song or
// a read).
void ShowConductorFields();
// The conductor's field windows 1-11 (null without a conductor).
constexpr int kConductorFields = 11;
HWND ConductorField(int n);

// The piano palette's keys for drawing the keys that sound during play;
// false without a palette.
struct PianoKeyLayout;
bool GetPianoKeyLayout(PianoKeyLayout* layout);

// Clears the store-on-close flag of the track-exclusive editor.
void ResetTrackExclStore();
