#include "shellutil.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "appglobals.h"
#include "inifile.h"
#include "programstate.h"
#include "settings.h"
#include "viewglobals.h"
#include "viewwindows.h"

namespace {

struct ShownKeys {
  uint8_t keys[16] = {};
  bool drawn = false;
};
ShownKeys g_shown;

}  // namespace

RECT WhiteKeyMarker(const RECT& key, int keyHeight, int unit) {
  RECT r = key;
  r.top = std::max<LONG>(key.bottom - 2 * unit, keyHeight * 2 / 3 + 1);
  InflateRect(&r, -2, -2);
  return r;
}

int OctaveNumber(int octaveBase, int key) { return (octaveBase + key) / 12 - 1; }

bool DrawSoundingKeys(HDC dc, const PianoKeyLayout& layout, const uint8_t keys[16]) {
  if (g_shown.drawn && std::memcmp(g_shown.keys, keys, sizeof g_shown.keys) == 0) return false;
  HGDIOBJ oldFont = layout.font ? SelectObject(dc, layout.font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < layout.keyCount; ++i) {
    const int key = layout.firstKey + i;
    const bool sounds = KeySounds(keys, key);
    RECT r = layout.keyRects[i];
    if (!layout.whiteKeys[i]) {
      InflateRect(&r, -2, -2);
      FillRect(dc, &r, sounds ? layout.brushB : layout.brushA);
      continue;
    }
    RECT marker = WhiteKeyMarker(r, layout.keyHeight, layout.unit);
    if (key % 12 != 0) {
      FillRect(dc, &marker, sounds ? layout.brushA : layout.brushB);
      continue;
    }
    FillRect(dc, &marker, layout.brushB);
    char label[8];
    std::snprintf(label, sizeof label, "%d", OctaveNumber(layout.octaveBase, key));
    SIZE size;
    GetTextExtentPoint32A(dc, label, static_cast<int>(std::strlen(label)), &size);
    TextOutA(dc, (r.left + r.right - size.cx) / 2, layout.keyHeight - layout.unit, label,
             static_cast<int>(std::strlen(label)));
    if (sounds) InvertRect(dc, &marker);
  }
  if (oldFont) SelectObject(dc, oldFont);
  std::memcpy(g_shown.keys, keys, sizeof g_shown.keys);
  g_shown.drawn = true;
  return true;
}

void ShowSoundingKeys(PlayMonRecord record) {
  HWND palette = g_views.pianoPalette;
  if (!palette || !g_settings.playmon) return;
  PianoKeyLayout layout;
  if (!GetPianoKeyLayout(&layout)) return;
  HDC dc = GetDC(palette);
  DrawSoundingKeys(dc, layout, record.keys);
  ReleaseDC(palette, dc);
}

void ClearShownKeys() { g_shown = ShownKeys{}; }

POINT CentredOrigin(const RECT& frame, int w, int h) {
  return POINT{(frame.right - frame.left - w) / 2 + frame.left, (frame.bottom - frame.top - h) / 2 + frame.top};
}

BOOL CentreWindowOver(HWND window, HWND over) {
  RECT area, own;
  if (!GetWindowRect(window, &own)) return FALSE;
  if (!over) {
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  } else if (!GetWindowRect(over, &area)) {
    return FALSE;
  }
  const POINT at = CentredOrigin(area, own.right - own.left, own.bottom - own.top);
  return SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CentreWindowOverFrame(HWND window) { return g_app.frame ? CentreWindowOver(window, g_app.frame) : FALSE; }

POINT StepCaretPoint(int column, int line, int charWidth, int lineHeight, const int16_t offsets[2]) {
  if (column != 22 && column != 27) return POINT{column * charWidth + 1, line * lineHeight + 2};
  const int offset = offsets[1] ? offsets[1] : offsets[0];
  return POINT{(offset + column - 3) * charWidth + 1, line * lineHeight + 2};
}

BOOL SetStepCaret(int column, int line, int charWidth, int lineHeight) {
  const POINT p = StepCaretPoint(column, line, charWidth, lineHeight, g_prog.caretOffsets);
  return SetCaretPos(p.x, p.y);
}

void LayoutConductorFields() {
  HWND conductor = g_views.conductor;
  if (!conductor) return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(conductor, WM_GETFONT, 0, 0));
  HDC dc = GetDC(conductor);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(conductor, dc);
  const int w = tm.tmAveCharWidth;
  const int h = tm.tmHeight + tm.tmExternalLeading + 2;
  struct Place {
    int x, y, width, height;
  };
  const Place places[kConductorFields] = {
      {7 * w, 5, 27 * w, h - 3},          {11 * w, h + 5, 3 * w, h - 3},      {11 * w, 2 * h + 5, 3 * w, h - 3},
      {7 * w, 3 * h + 5, 7 * w, h - 3},   {10 * w, 4 * h + 5, 4 * w, h - 3},  {29 * w, h + 5, 5 * w, h - 3},
      {29 * w, 2 * h + 5, 5 * w, h - 3},  {29 * w, 3 * h + 5, 5 * w, h - 3},  {24 * w, 4 * h + 5, 10 * w, h - 3},
      {14 * w, h + 5, 2 * w, h - 2},      {14 * w, 2 * h + 5, 2 * w, h - 3},
  };
  for (int n = 1; n <= kConductorFields; ++n) {
    HWND field = ConductorField(n);
    if (!field) continue;
    if (n <= 9 && font) SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const Place& p = places[n - 1];
    MoveWindow(field, p.x, p.y, p.width, p.height, FALSE);
  }
  InvalidateRect(conductor, nullptr, TRUE);
  UpdateWindow(conductor);
  for (int n = 1; n <= kConductorFields; ++n)
    if (HWND field = ConductorField(n)) {
      InvalidateRect(field, nullptr, TRUE);
      UpdateWindow(field);
    }
}

std::string ViewerCommand(const char* viewer, const char* helpFile) {
  return std::string(viewer ? viewer : "") + " " + (helpFile ? helpFile : "");
}

void LaunchViewer(const char* helpFile) {
  SetCurrentDirectoryA(g_prog.programDir);
  if (HWND old = FindWindowA("MS_VIEWER", nullptr)) SendMessageA(old, WM_CLOSE, 0, 0);
  const std::string viewer = IniGetString("Applets", "Viewer1", "winhlp32.exe", MAX_PATH);
  const std::string command = ViewerCommand(viewer.c_str(), helpFile);
  if (g_app.frame) SetWindowPos(g_app.frame, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  WinExec(command.c_str(), 8);
  if (g_app.frame) SetWindowPos(g_app.frame, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
