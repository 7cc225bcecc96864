// Pens and brushes the score and the controller graphs draw with, made from
// the colour settings as they are held in memory (that value is what shows
// on screen). Made at start-up with the score bitmaps, remade whenever the
// colours change, freed at exit.
#pragma once
#include <windows.h>

enum class DisplayColour {
  Frame,       // [Color] FWAKU
  Cursor,      // FCursor
  GtLine,
  Velo,
  Bend,
  Modulation,
  Volume,
  Expression,
  Tempo,
  Ctrl0,       // Ctrl0-Ctrl7 follow in order
};
constexpr int kDisplayColourCount = static_cast<int>(DisplayColour::Ctrl0) + 8;

// The colour an item is drawn in, from the settings.
COLORREF DisplayColourValue(DisplayColour item);
// A 1-pixel solid pen of the item's colour (null before the pens are made).
HPEN DisplayPen(DisplayColour item);
HPEN DisplayPen(int index);
// The brush of the score's position cursor.
HBRUSH DisplayCursorBrush();
// The black pen of the staff lines.
HPEN ScoreStaffPen();

void CreateDisplayPens();
void FreeDisplayPens();

// Remakes every pen and brush above from the colour settings and repaints
// the frame with its children.
void ReloadDisplayColors();
