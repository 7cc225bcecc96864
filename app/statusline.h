// The status line: one line painted straight into the frame's client area,
// above or below the MDI client ([Default Display] StatusBar 1 top, 0 hidden,
// any other value bottom). It shows one text, the free and used event
// counters and, with DisplaySW bit 0x1000, the caret position of the current
// step editor.
//
// The frame drives it: at WM_CREATE it calls AttachStatusLine, then
// ShowStatus(frame, ..., 0) and MeasureStatusLine; at WM_SIZE and after a
// font change MeasureStatusLine; at WM_PAINT PaintStatusLine; at
// WM_MENUSELECT ShowMenuHelp. Its layout reads StatusLineHeight.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// Window class of the status line's MDI child class (no window word); its
// procedure hands everything to DefMDIChildProc.
constexpr char kStatusLineClass[] = "ZKP:StatusLine";
LRESULT CALLBACK MPMDIChildStatusWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Registers the class above; false when registration fails.
bool RegisterStatusLineClass(HINSTANCE instance);

// Values of ShowStatus's what besides string-table ids.
constexpr int kStatusRecording = -32;  // recording and time-code text
constexpr int kStatusUnchanged = -3;   // keep the text, repaint
constexpr int kStatusModeEnd = -2;     // step input mode text (end of an operation)
constexpr int kStatusMode = -1;        // step input mode text

// Sets the text by what (see above; any other value is the string-table
// entry with that id, empty when there is none) and paints it with fresh
// counters when draw is nonzero. -1 and -2 always paint. The line is
// painted on the frame the status line is attached to, whichever window
// the caller passes.
void ShowStatus(HWND window, int what, int draw);

// Keeps the frame the line is painted into and creates the status font
// (once; the system fixed font when it cannot be made). Then measures.
void AttachStatusLine(HWND frame);
// Forgets the frame (its window is going away); the font stays.
void DetachStatusLine();

// Layout values of the line, in pixels.
struct StatusLayout {
  int border = 1;          // b = SM_CXBORDER
  int border2 = 2, border3 = 3, border8 = 8, border9 = 9;
  int height = 0;          // H = tmHeight + 7b
  int charWidth = 0;       // tmMaxCharWidth of the status font
  int counterWidth = 0;    // C = 6 x tmMaxCharWidth
  int messageWidth = 0;    // client width - 14 x tmMaxCharWidth - tmMaxCharWidth / 2
  int clientWidth = 0;
  // Field rectangles inside the line (y relative to the line's top).
  RECT messageField{}, freeField{}, usedField{}, caretField{};
};
// Pure layout arithmetic: the values above from the border width, the
// status font's metrics and the frame's client width. Fields never get a
// negative width.
StatusLayout ComputeStatusLayout(int border, int tmHeight, int tmMaxCharWidth, int clientWidth);
// Top of the line in a client area of clientHeight pixels for the
// StatusBar and ToolBar settings; -1 when the line is hidden.
int StatusLineTop(int statusBar, int toolBar, int clientHeight, int lineHeight);

// Recomputes the layout from the attached frame's client width and the font.
void MeasureStatusLine();
// The layout last measured.
const StatusLayout& GetStatusLayout();
// Pixels the line takes from the frame's client area: 0 while StatusBar is 0.
int StatusLineHeight();
// Paints the whole line (face fill, three sunken fields, text, counters,
// caret field) on dc, in the client area of frame; nothing while StatusBar
// is 0.
void PaintStatusLine(HWND frame, HDC dc);

// WM_MENUSELECT of the frame and of the step editors: the help text of the
// highlighted item, empty text when the menu closes.
void ShowMenuHelp(HWND window, WPARAM menuSelectW, LPARAM menuSelectL);
// Menu help id of the item last highlighted (0 none).
int MenuHelpId();

// Paints the caret-position field for the current step editor; the field
// is blank when that is not a step editor of the song with a line table.
void ShowCaretPosition(HWND window, const StatusLayout& layout, HFONT font);

// The current status text (up to 255 bytes) and the text of the caret field
// last painted (empty when none was painted).
const char* StatusText();
const std::string& CaretPositionShown();
// Counts the times the line's texts were drawn on a device (text, counters).
uint32_t StatusPaintCount();

// Texts, as the line shows them.
// Step input mode 0-11; other values give an empty text.
std::string StepInputModeText(int mode);
// tc: hour, minute, second, frame, bits (null when the engine has no time
// code); start: the SMPTE start hour, minute, second, frame, bit.
std::string RecordingStatusText(bool recording, int syncMode, uint32_t recBytes,
                                const uint8_t* tc, const int start[5]);
// "FREE:%6lu" and "USED:%5u".
std::string FreeCounterText(int32_t freeEvents);
std::string UsedCounterText(uint16_t usedEvents);

// Caret position: the inputs of the caret field, all plain values.
struct CaretPositionInput {
  int beats = 4;           // song header byte 526
  int beatUnit = 4;        // byte 527
  int timeBase = 480;      // bytes 522-523
  int measure = 1;         // of the event at the caret
  int32_t pos = 0;         // steps since the previous measure end
  // [OTHER] settings
  int locSw = 0, locLoc = 0, locSign = 0, locPal = 0, locBeat1 = 0, locRatio = 50;
  int locBeatChars = 4;    // "locbeat"
  int subBeatOdd = 0;
};
std::string CaretPositionText(const CaretPositionInput& in);

// What the line reads of other parts of the program that have no home yet;
// each stays null until its owner sets it, and a null source counts as
// "nothing". (Recording, the record count and the time code come from the
// engine and the Super MPU extras.)
struct StatusLineSources {
  bool (*isRecording)() = nullptr;           // a recording runs
  int (*syncMode)() = nullptr;               // 0 internal ... 3 SMPTE
  // The current MDI child; without it, the active child of g_app.mdiClient.
  HWND (*activeChild)() = nullptr;
};
extern StatusLineSources g_statusSources;
