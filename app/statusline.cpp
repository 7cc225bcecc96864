#include "statusline.h"

#include <cstdio>
#include <cstring>

#include "appglobals.h"
#include "engine.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "statuscaret.h"

StatusLineSources g_statusSources;

namespace {

constexpr size_t kStatusTextSize = 256;
constexpr int kCaretFieldSwitch = 0x1000;  // DisplaySW: caret-position field shown

struct StatusLineState {
  HWND frame = nullptr;
  HFONT font = nullptr;
  char text[kStatusTextSize] = "";
  int menuHelpId = 0;
  StatusLayout layout;
  bool measured = false;
  std::string caretShown;
  uint32_t paintCount = 0;
};
StatusLineState s;

int ClampWidth(int w) { return w < 0 ? 0 : w; }

void SetText(const std::string& text) {
  std::snprintf(s.text, sizeof s.text, "%s", text.c_str());
}

// String-table text of up to 255 bytes; ids outside the table's range give "".
std::string StringById(int id) {
  if (id <= 0 || id > 0xFFFF) return std::string();
  char buf[kStatusTextSize];
  int n = LoadStringA(AppInstance(), static_cast<UINT>(id), buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

HFONT StatusFont() {
  if (!s.font) {
    LOGFONTA lf{};
    lf.lfHeight = -12;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s",
                  StringById(IDS_STATUS_FONT_FACE).c_str());
    s.font = CreateFontIndirectA(&lf);
    if (!s.font) s.font = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
  }
  return s.font;
}

int ClientHeight(HWND frame) {
  RECT rc{};
  GetClientRect(frame, &rc);
  return rc.bottom - rc.top;
}

// Top of the line in the frame, -1 when hidden or not laid out.
int LineTop() {
  if (!s.frame || !s.measured) return -1;
  return StatusLineTop(g_settings.statusBar, g_settings.toolBar, ClientHeight(s.frame),
                       s.layout.height);
}

RECT Offset(RECT r, int top) {
  OffsetRect(&r, 0, top);
  return r;
}

// Text rectangle inside a sunken field.
RECT Inner(RECT r, int b) {
  InflateRect(&r, -2 * b, -b);
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void DrawFieldText(HDC dc, const RECT& field, const std::string& text) {
  RECT r = Inner(field, s.layout.border);
  ExtTextOutA(dc, r.left + s.layout.border, r.top, ETO_OPAQUE | ETO_CLIPPED, &r, text.data(),
              static_cast<UINT>(text.size()), nullptr);
}

// Text, then the two counters, on a dc that shows the frame's client area.
void DrawTexts(HDC dc, int top) {
  HGDIOBJ oldFont = SelectObject(dc, StatusFont());
  COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  DrawFieldText(dc, Offset(s.layout.messageField, top), s.text);
  DrawFieldText(dc, Offset(s.layout.freeField, top), FreeCounterText(g_song.freeEvents));
  DrawFieldText(dc, Offset(s.layout.usedField, top), UsedCounterText(g_song.usedEvents));
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  SelectObject(dc, oldFont);
  ++s.paintCount;
}

void Line(HDC dc, int x0, int y0, int x1, int y1, int colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colour));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// A sunken field: shadow top and left, highlight bottom and right, a dark
// inner edge along the top and left.
void DrawSunkenField(HDC dc, const RECT& r) {
  if (r.right - r.left < 2 || r.bottom - r.top < 2) return;
  Line(dc, r.left, r.top, r.right - 1, r.top, COLOR_BTNSHADOW);
  Line(dc, r.left, r.top, r.left, r.bottom - 1, COLOR_BTNSHADOW);
  Line(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, COLOR_BTNHIGHLIGHT);
  Line(dc, r.right - 1, r.top, r.right - 1, r.bottom, COLOR_BTNHIGHLIGHT);
  Line(dc, r.left + 1, r.top + 1, r.right - 2, r.top + 1, COLOR_WINDOWTEXT);
  Line(dc, r.left + 1, r.top + 1, r.left + 1, r.bottom - 2, COLOR_WINDOWTEXT);
}

void PaintCaretField(HWND window) {
  if (g_settings.displaySw & kCaretFieldSwitch) ShowCaretPosition(window, s.layout, StatusFont());
}

void PaintTextsNow() {
  const int top = LineTop();
  if (top < 0) return;
  HDC dc = GetDC(s.frame);
  if (!dc) return;
  DrawTexts(dc, top);
  ReleaseDC(s.frame, dc);
}

}  // namespace

LRESULT CALLBACK MPMDIChildStatusWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefMDIChildProcA(window, message, wParam, lParam);
}

bool RegisterStatusLineClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MPMDIChildStatusWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kStatusLineClass;
  return RegisterClassA(&wc) != 0;
}

std::string StepInputModeText(int mode) {
  static const char* const kModes[12] = {
      "INSERT ",           "EDIT   ",           "INSERT SOUND 1",    "EDIT   SOUND 1",
      "INSERT SOUND 2",    "EDIT   SOUND 2",    "INSERT MIDI(Mono)", "EDIT   MIDI(Mono)",
      "INSERT MIDI(Poly)", "EDIT   MIDI(Poly)", "INSERT MIDI(fkey)", "EDIT   MIDI(fkey)"};
  if (mode < 0 || mode > 11) return std::string();
  return kModes[mode];
}

std::string RecordingStatusText(bool recording, int syncMode, uint32_t recBytes,
                                const uint8_t* tc, const int start[5]) {
  static const uint8_t kNoTimeCode[5] = {};
  if (!tc) tc = kNoTimeCode;
  char timeCode[96];
  std::snprintf(timeCode, sizeof timeCode,
                "TimeCode %2d:%2d:%2d:%2d:%2d START %2d:%2d:%2d:%2d:%2d", tc[0], tc[1], tc[2],
                tc[3], tc[4], start[0], start[1], start[2], start[3], start[4]);
  if (!recording) return timeCode;
  char rec[32];
  std::snprintf(rec, sizeof rec, "Recording(%lu)", static_cast<unsigned long>(recBytes));
  if (syncMode == 3) return std::string(rec) + " " + timeCode;
  return rec;
}

std::string FreeCounterText(int32_t freeEvents) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "FREE:%6lu",
                static_cast<unsigned long>(static_cast<uint32_t>(freeEvents)));
  return buf;
}

std::string UsedCounterText(uint16_t usedEvents) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "USED:%5u", static_cast<unsigned>(usedEvents));
  return buf;
}

StatusLayout ComputeStatusLayout(int border, int tmHeight, int tmMaxCharWidth, int clientWidth) {
  StatusLayout l;
  const int b = border;
  l.border = b;
  l.border2 = 2 * b;
  l.border3 = 3 * b;
  l.border8 = 8 * b;
  l.border9 = 9 * b;
  l.height = tmHeight + 7 * b;
  l.charWidth = tmMaxCharWidth;
  l.counterWidth = 6 * tmMaxCharWidth;
  l.messageWidth = ClampWidth(clientWidth - 14 * tmMaxCharWidth - tmMaxCharWidth / 2);
  l.clientWidth = clientWidth;
  const int top = 2 * b, bottom = l.height - 2 * b;
  int x = 2 * b;
  l.messageField = {x, top, x + l.messageWidth, bottom};
  x = l.messageField.right + 3 * b;
  l.freeField = {x, top, x + l.counterWidth, bottom};
  x = l.freeField.right + 3 * b;
  l.usedField = {x, top, x + l.counterWidth, bottom};
  x = l.usedField.right + 3 * b;
  l.caretField = {x, top, x + ClampWidth(clientWidth - 2 * b - x), bottom};
  return l;
}

int StatusLineTop(int statusBar, int toolBar, int clientHeight, int lineHeight) {
  if (statusBar == 0) return -1;
  if (statusBar == 1) return (toolBar & 0x7F) == 1 ? 26 : 0;
  return clientHeight - lineHeight;
}

void AttachStatusLine(HWND frame) {
  s.frame = frame;
  StatusFont();
  MeasureStatusLine();
}

void DetachStatusLine() {
  s.frame = nullptr;
  s.measured = false;
}

void MeasureStatusLine() {
  if (!s.frame) return;
  RECT rc{};
  GetClientRect(s.frame, &rc);
  TEXTMETRICA tm{};
  HDC dc = GetDC(s.frame);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, StatusFont());
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(s.frame, dc);
  s.layout = ComputeStatusLayout(GetSystemMetrics(SM_CXBORDER), tm.tmHeight, tm.tmMaxCharWidth,
                                 rc.right - rc.left);
  s.measured = true;
}

const StatusLayout& GetStatusLayout() { return s.layout; }

int StatusLineHeight() {
  if (g_settings.statusBar == 0 || !s.measured) return 0;
  return s.layout.height;
}

void PaintStatusLine(HWND frame, HDC dc) {
  if (g_settings.statusBar == 0 || frame != s.frame || !s.measured) return;
  const int top = LineTop();
  if (top < 0) return;
  RECT line{0, top, s.layout.clientWidth, top + s.layout.height};
  FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
  DrawSunkenField(dc, Offset(s.layout.messageField, top));
  DrawSunkenField(dc, Offset(s.layout.freeField, top));
  DrawSunkenField(dc, Offset(s.layout.usedField, top));
  DrawTexts(dc, top);
  PaintCaretField(frame);
}

void ShowStatus(HWND window, int what, int draw) {
  switch (what) {
    case kStatusRecording: {
      uint8_t tc[6] = {};
      const bool haveTc = g_smpu.getTimeCode != nullptr;
      if (haveTc) g_smpu.getTimeCode(tc);
      const bool recording = g_statusSources.isRecording && g_statusSources.isRecording();
      const int sync = g_statusSources.syncMode ? g_statusSources.syncMode() : 0;
      const uint32_t bytes = g_engine.getRecBytes ? static_cast<uint16_t>(g_engine.getRecBytes()) : 0;
      const int start[5] = {g_settings.smpteHour, g_settings.smpteMin, g_settings.smpteSec,
                            g_settings.smpteFrame, g_settings.smpteBit};
      SetText(RecordingStatusText(recording, sync, bytes, haveTc ? tc : nullptr, start));
      break;
    }
    case kStatusUnchanged:
      break;
    case kStatusMode:
    case kStatusModeEnd:
      SetText(StepInputModeText(g_settings.stepInputMode));
      draw = 1;
      break;
    default:
      SetText(StringById(what));
      break;
  }
  if (draw) PaintTextsNow();
  if (LineTop() >= 0 && g_settings.statusBar != 0) PaintCaretField(window);
}

void ShowMenuHelp(HWND window, WPARAM w, LPARAM l) {
  const UINT item = LOWORD(w);
  const UINT flags = HIWORD(w);
  // A closing menu comes as flags 0xFFFF with no menu; the older form as
  // item 0 with -1.
  const bool closed = (flags == 0xFFFF && l == 0) || (item == 0 && l == -1);
  if (closed) {
    s.menuHelpId = 0;
    ShowStatus(window, 0, 1);
    return;
  }
  if (!(flags & MF_POPUP)) s.menuHelpId = static_cast<int>(item);
  else if (flags != 0xFFFF) s.menuHelpId = 0;
  if (s.menuHelpId != 0x8000) ShowStatus(window, s.menuHelpId, 1);
}

int MenuHelpId() { return s.menuHelpId; }

void ShowCaretPosition(HWND window, const StatusLayout& layout, HFONT font) {
  if (!s.frame) return;
  const int top = LineTop();
  if (top < 0) return;
  // Without a step editor the field is blanked rather than left stale.
  CaretPositionInput in;
  s.caretShown = ReadCaretPositionInput(s.frame, &in) ? CaretPositionText(in) : std::string();
  HDC dc = GetDC(s.frame);
  if (!dc) return;
  HGDIOBJ oldFont = SelectObject(dc, font);
  COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  RECT r = Inner(Offset(layout.caretField, top), layout.border);
  ExtTextOutA(dc, r.left + layout.border, r.top, ETO_OPAQUE | ETO_CLIPPED, &r,
              s.caretShown.data(), static_cast<UINT>(s.caretShown.size()), nullptr);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  SelectObject(dc, oldFont);
  ReleaseDC(s.frame, dc);
}

const char* StatusText() { return s.text; }
const std::string& CaretPositionShown() { return s.caretShown; }
uint32_t StatusPaintCount() { return s.paintCount; }
