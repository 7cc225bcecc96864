#include "displaycolors.h"

#include "settings.h"
#include "viewservices.h"

namespace {

HPEN g_pens[kDisplayColourCount] = {};
HBRUSH g_cursorBrush = nullptr;
HPEN g_staffPen = nullptr;

void FreeColourObjects() {
  for (HPEN& pen : g_pens) {
    if (pen) DeleteObject(pen);
    pen = nullptr;
  }
  if (g_cursorBrush) DeleteObject(g_cursorBrush);
  g_cursorBrush = nullptr;
}

void MakeColourObjects() {
  for (int i = 0; i < kDisplayColourCount; ++i)
    g_pens[i] = CreatePen(PS_SOLID, 1, DisplayColourValue(static_cast<DisplayColour>(i)));
  g_cursorBrush = CreateSolidBrush(DisplayColourValue(DisplayColour::Cursor));
}

}  // namespace

COLORREF DisplayColourValue(DisplayColour item) {
  const AppSettings& s = g_settings;
  switch (item) {
    case DisplayColour::Frame: return s.colFwaku;
    case DisplayColour::Cursor: return s.colFCursor;
    case DisplayColour::GtLine: return s.colGtLine;
    case DisplayColour::Velo: return s.colVelo;
    case DisplayColour::Bend: return s.colBend;
    case DisplayColour::Modulation: return s.colModulation;
    case DisplayColour::Volume: return s.colVolume;
    case DisplayColour::Expression: return s.colExpression;
    case DisplayColour::Tempo: return s.colTempo;
    default: break;
  }
  const int k = static_cast<int>(item) - static_cast<int>(DisplayColour::Ctrl0);
  return k >= 0 && k < 8 ? s.colCtrl[k] : RGB(0, 0, 0);
}

HPEN DisplayPen(int index) { return index >= 0 && index < kDisplayColourCount ? g_pens[index] : nullptr; }
HPEN DisplayPen(DisplayColour item) { return DisplayPen(static_cast<int>(item)); }
HBRUSH DisplayCursorBrush() { return g_cursorBrush; }
HPEN ScoreStaffPen() { return g_staffPen; }

void CreateDisplayPens() {
  if (!g_staffPen) g_staffPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  FreeColourObjects();
  MakeColourObjects();
}

void FreeDisplayPens() {
  FreeColourObjects();
  if (g_staffPen) DeleteObject(g_staffPen);
  g_staffPen = nullptr;
}

void ReloadDisplayColors() {
  FreeColourObjects();
  MakeColourObjects();
  HWND frame = g_viewHooks.frame ? g_viewHooks.frame() : nullptr;
  if (frame) RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
