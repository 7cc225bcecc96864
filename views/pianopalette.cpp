// The piano palette ("PianoPallet"), an owned popup: a keyboard of five
// octaves on which the keys that sound during play are marked.
#include <algorithm>

#include "shellutil.h"
#include "viewglobals.h"
#include "viewwindow.h"
#include "viewwindows.h"

namespace {

constexpr int kFirstKey = 36;
constexpr int kKeyCount = 61;

struct PianoKeys {
  RECT rects[kKeyCount];
  bool white[kKeyCount];
  int height = 0;
  int unit = 4;
};
PianoKeys g_keys;

bool IsWhite(int key) {
  switch (key % 12) {
    case 1: case 3: case 6: case 8: case 10: return false;
    default: return true;
  }
}

void LayOutKeys(int width, int height) {
  int whites = 0;
  for (int i = 0; i < kKeyCount; ++i) whites += IsWhite(kFirstKey + i);
  const int keyWidth = whites ? std::max(width / whites, 4) : 4;
  g_keys.height = height;
  int x = 0;
  for (int i = 0; i < kKeyCount; ++i) {
    const bool white = IsWhite(kFirstKey + i);
    g_keys.white[i] = white;
    if (white) {
      g_keys.rects[i] = RECT{x, 0, x + keyWidth, height};
      x += keyWidth;
    } else {
      g_keys.rects[i] = RECT{x - keyWidth / 3, 0, x + keyWidth / 3, height * 3 / 5};
    }
  }
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < kKeyCount; ++i) {
      if (g_keys.white[i] != (pass == 0)) continue;
      const RECT& r = g_keys.rects[i];
      SelectObject(dc, GetStockObject(g_keys.white[i] ? WHITE_BRUSH : BLACK_BRUSH));
      Rectangle(dc, r.left, r.top, r.right + 1, r.bottom);
    }
  }
  EndPaint(window, &ps);
  ClearShownKeys();
}

}  // namespace

LRESULT CALLBACK PianoPalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayOutKeys(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
  }
  return SimpleViewProc(window, message, wParam, lParam, &g_views.pianoPalette, false);
}

bool GetPianoKeyLayout(PianoKeyLayout* layout) {
  if (!g_views.pianoPalette || !layout) return false;
  layout->firstKey = kFirstKey;
  layout->keyCount = kKeyCount;
  layout->keyRects = g_keys.rects;
  layout->whiteKeys = g_keys.white;
  layout->keyHeight = g_keys.height;
  layout->unit = g_keys.unit;
  layout->octaveBase = 0;
  layout->brushA = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  layout->brushB = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  layout->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return true;
}
