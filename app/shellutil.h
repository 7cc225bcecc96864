// Small operations of the shell: the piano palette's sounding keys during
// play, centring a window over the frame, the step list's caret, the
// conductor's field layout and the outside help viewer.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

#include "zk/playdata.h"

// What the piano palette tells about its keys.
struct PianoKeyLayout {
  int firstKey = 0;
  int keyCount = 0;
  const RECT* keyRects = nullptr;    // keyCount rectangles
  const bool* whiteKeys = nullptr;   // keyCount flags
  int keyHeight = 0;                 // h
  int unit = 0;                      // u
  int octaveBase = 0;
  HBRUSH brushA = nullptr;           // sounding white key, normal black key
  HBRUSH brushB = nullptr;           // normal white key, sounding black key
  HFONT font = nullptr;
};

// True when key (0-127) is set in a 128-bit key set.
inline bool KeySounds(const uint8_t keys[16], int key) {
  return key >= 0 && key < 128 && (keys[key / 8] >> (key & 7)) & 1;
}
// The marker area of a white key: the lower part of its rectangle, from
// max(bottom - 2u, 2h/3 + 1), shrunk by 2 pixels on each side.
RECT WhiteKeyMarker(const RECT& key, int keyHeight, int unit);
// The octave number printed on a C.
int OctaveNumber(int octaveBase, int key);
// Draws the keys of record whose state differs from the last drawn, on dc;
// false when nothing needed drawing (the same keys as last time).
bool DrawSoundingKeys(HDC dc, const PianoKeyLayout& layout, const uint8_t keys[16]);
// On the piano palette, when it shows sounding keys ([PianoPal] Playmon).
void ShowSoundingKeys(PlayMonRecord record);
// Forgets the keys last drawn, so the next record is drawn in full.
void ClearShownKeys();

// Top left that centres a w x h window over the frame rectangle.
POINT CentredOrigin(const RECT& frame, int w, int h);
// Centres window over another (null: the screen) without resizing it.
BOOL CentreWindowOver(HWND window, HWND over);
BOOL CentreWindowOverFrame(HWND window);

// Where the step list's caret goes for a column and line.
POINT StepCaretPoint(int column, int line, int charWidth, int lineHeight, const int16_t offsets[2]);
BOOL SetStepCaret(int column, int line, int charWidth, int lineHeight);

// Lays the conductor's eleven fields out for its font and repaints them.
void LayoutConductorFields();
// The command line that starts the help viewer on a help file.
std::string ViewerCommand(const char* viewer, const char* helpFile);
void LaunchViewer(const char* helpFile);
