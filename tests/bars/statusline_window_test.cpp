#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "bars_window.h"
#include "engine.h"
#include "lineindex.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "statusline.h"
#include "stepeditdata.h"
#include "testsupport.h"
#include "trackattach.h"

namespace {

std::string StringOf(UINT id) {
  char buf[256];
  int n = LoadStringA(GetModuleHandleA(nullptr), id, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

// A memory device of the frame's client size, filled with the parent's
// background colour.
class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = SelectNewDib(dc_, w, h, &old_);
    RECT r{0, 0, w, h};
    HBRUSH b = CreateSolidBrush(kParentBackground);
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  bool Untouched() const {
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (At(x, y) != kParentBackground) return false;
    return true;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
};

class StatusLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_settings;
    g_statusSources = StatusLineSources{};
    g_settings.statusBar = 2;
    g_settings.toolBar = 1;
    g_settings.displaySw = 0;
    g_settings.stepInputMode = 0;
    AttachStatusLine(frame.hwnd());
  }
  void TearDown() override {
    DetachStatusLine();
    g_statusSources = StatusLineSources{};
    g_settings = saved_;
  }
  // A point inside the message field, right of any text, in frame client
  // coordinates.
  POINT MessageFieldPoint() const {
    const StatusLayout& l = GetStatusLayout();
    RECT rc;
    GetClientRect(frame.hwnd(), &rc);
    const int top = StatusLineTop(g_settings.statusBar, g_settings.toolBar, rc.bottom, l.height);
    return POINT{l.messageField.right - 6, top + l.height / 2};
  }

  TempSettingsFile ini;
  BarsParent frame;
  AppSettings saved_;
};

TEST_F(StatusLineTest, MeasuresFromTheFrameAndHidesAtZero) {
  const StatusLayout& l = GetStatusLayout();
  EXPECT_EQ(640, l.clientWidth);
  EXPECT_GT(l.height, 7 * GetSystemMetrics(SM_CXBORDER));
  EXPECT_EQ(l.height, StatusLineHeight());
  g_settings.statusBar = 0;
  EXPECT_EQ(0, StatusLineHeight());
  // A resized frame is measured again on request.
  SetWindowPos(frame.hwnd(), nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
  MeasureStatusLine();
  RECT rc;
  GetClientRect(frame.hwnd(), &rc);
  EXPECT_EQ(rc.right, GetStatusLayout().clientWidth);
}

TEST_F(StatusLineTest, PaintsAtItsPlaceOrNotAtAll) {
  struct Case { int statusBar, toolBar; };
  const int h = GetStatusLayout().height;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (const Case& c : {Case{1, 0}, Case{1, 1}, Case{2, 1}, Case{5, 0}}) {
    g_settings.statusBar = c.statusBar;
    g_settings.toolBar = c.toolBar;
    Canvas canvas(640, 240);
    PaintStatusLine(frame.hwnd(), canvas.dc());
    const int top = StatusLineTop(c.statusBar, c.toolBar, 240, h);
    SCOPED_TRACE(testing::Message() << c.statusBar << "," << c.toolBar << " top " << top);
    EXPECT_EQ(face, canvas.At(0, top));
    EXPECT_EQ(face, canvas.At(639, top + h - 1));
    if (top > 0) {
      EXPECT_EQ(kParentBackground, canvas.At(0, top - 1));
    }
    if (top + h < 240) {
      EXPECT_EQ(kParentBackground, canvas.At(0, top + h));
    }
  }
  g_settings.statusBar = 0;
  Canvas hidden(640, 240);
  PaintStatusLine(frame.hwnd(), hidden.dc());
  EXPECT_TRUE(hidden.Untouched());
}

TEST_F(StatusLineTest, TextByWhat) {
  ShowStatus(frame.hwnd(), IDS_HELP_OPEN, 0);
  EXPECT_EQ("ファイルを開きます。", std::string(StatusText()));
  ShowStatus(frame.hwnd(), 0, 1);
  EXPECT_EQ("", std::string(StatusText()));
  ShowStatus(frame.hwnd(), IDS_APP_TITLE, 1);
  EXPECT_EQ(StringOf(IDS_APP_TITLE), StatusText());
  ShowStatus(frame.hwnd(), 32000, 1);  // no such entry
  EXPECT_EQ("", std::string(StatusText()));
  ShowStatus(frame.hwnd(), -7, 1);
  EXPECT_EQ("", std::string(StatusText()));
  g_settings.stepInputMode = 9;
  ShowStatus(frame.hwnd(), kStatusMode, 1);
  EXPECT_EQ("EDIT   MIDI(Poly)", std::string(StatusText()));
  g_settings.stepInputMode = 2;
  ShowStatus(frame.hwnd(), kStatusModeEnd, 0);
  EXPECT_EQ("INSERT SOUND 1", std::string(StatusText()));
}

TEST_F(StatusLineTest, UnchangedKeepsTheTextAndRepaints) {
  ShowStatus(frame.hwnd(), IDS_HELP_CUT, 0);
  const uint32_t before = StatusPaintCount();
  ShowStatus(frame.hwnd(), kStatusUnchanged, 1);
  EXPECT_EQ(StringOf(IDS_HELP_CUT), StatusText());
  EXPECT_EQ(before + 1, StatusPaintCount());
  ShowStatus(frame.hwnd(), kStatusUnchanged, 0);
  EXPECT_EQ(before + 1, StatusPaintCount());
}

TEST_F(StatusLineTest, ModeTextPaintsEvenWithoutDraw) {
  const POINT p = MessageFieldPoint();
  frame.Repaint();
  ASSERT_EQ(kParentBackground, ClientPixel(frame.hwnd(), p.x, p.y));
  ShowStatus(frame.hwnd(), IDS_HELP_OPEN, 0);  // no draw: the screen stays as it was
  EXPECT_EQ(kParentBackground, ClientPixel(frame.hwnd(), p.x, p.y));
  ShowStatus(frame.hwnd(), kStatusMode, 0);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ClientPixel(frame.hwnd(), p.x, p.y));
}

TEST_F(StatusLineTest, PaintsOnTheFrameWhicheverWindowAsks) {
  HWND child = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, frame.hwnd(),
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  const POINT p = MessageFieldPoint();
  frame.Repaint();
  ShowStatus(child, IDS_HELP_SAVEAS, 1);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ClientPixel(frame.hwnd(), p.x, p.y));
  DestroyWindow(child);
}

TEST_F(StatusLineTest, HiddenLineIsNeverDrawn) {
  g_settings.statusBar = 0;
  frame.Repaint();
  const uint32_t before = StatusPaintCount();
  ShowStatus(frame.hwnd(), kStatusMode, 1);
  EXPECT_EQ(before, StatusPaintCount());
  EXPECT_EQ("INSERT ", std::string(StatusText()));  // the text is kept for when it shows again
}

int g_sync = 0;
bool g_recording = false;
int WINAPI FakeRecBytes() { return 0x12345; }  // the engine's count is 16 bits
int WINAPI FakeTimeCode(BYTE* b) {
  const BYTE tc[6] = {10, 11, 12, 13, 1, 3};
  for (int i = 0; i < 6; ++i) b[i] = tc[i];
  return 0;
}

TEST_F(StatusLineTest, RecordingText) {
  g_settings.smpteHour = 1;
  g_settings.smpteMin = 2;
  g_settings.smpteSec = 3;
  g_settings.smpteFrame = 4;
  g_settings.smpteBit = 5;
  ShowStatus(frame.hwnd(), kStatusRecording, 1);  // nothing bound: not recording, no time code
  EXPECT_EQ("TimeCode  0: 0: 0: 0: 0 START  1: 2: 3: 4: 5", std::string(StatusText()));

  g_engine.getRecBytes = FakeRecBytes;
  g_smpu.getTimeCode = FakeTimeCode;
  g_statusSources.syncMode = [] { return g_sync; };
  g_statusSources.isRecording = [] { return g_recording; };
  ShowStatus(frame.hwnd(), kStatusRecording, 1);
  EXPECT_EQ("TimeCode 10:11:12:13: 1 START  1: 2: 3: 4: 5", std::string(StatusText()));
  g_recording = true;
  ShowStatus(frame.hwnd(), kStatusRecording, 1);
  EXPECT_EQ("Recording(9029)", std::string(StatusText()));
  g_sync = 3;
  ShowStatus(frame.hwnd(), kStatusRecording, 1);
  EXPECT_EQ("Recording(9029) TimeCode 10:11:12:13: 1 START  1: 2: 3: 4: 5",
            std::string(StatusText()));
  g_recording = false;
  g_engine.getRecBytes = nullptr;
  g_smpu.getTimeCode = nullptr;
}

TEST_F(StatusLineTest, MenuHelp) {
  ShowMenuHelp(frame.hwnd(), MAKEWPARAM(IDS_HELP_OPEN, MF_STRING | MF_HILITE), 1);
  EXPECT_EQ(IDS_HELP_OPEN, MenuHelpId());
  EXPECT_EQ("ファイルを開きます。", std::string(StatusText()));
  // A popup entry shows nothing.
  ShowMenuHelp(frame.hwnd(), MAKEWPARAM(2, MF_POPUP | MF_HILITE), 1);
  EXPECT_EQ(0, MenuHelpId());
  EXPECT_EQ("", std::string(StatusText()));
  // The reserved id leaves the line alone.
  ShowMenuHelp(frame.hwnd(), MAKEWPARAM(IDS_HELP_CUT, MF_STRING), 1);
  ShowMenuHelp(frame.hwnd(), MAKEWPARAM(0x8000, MF_STRING), 1);
  EXPECT_EQ(StringOf(IDS_HELP_CUT), StatusText());
}

TEST_F(StatusLineTest, ClosingTheMenuEmptiesTheText) {
  struct Close { WPARAM w; LPARAM l; };
  for (const Close& c : {Close{MAKEWPARAM(0, 0xFFFF), 0}, Close{0, -1}}) {
    ShowMenuHelp(frame.hwnd(), MAKEWPARAM(IDS_HELP_PASTE, MF_STRING | MF_HILITE), 1);
    ASSERT_EQ(StringOf(IDS_HELP_PASTE), StatusText());
    ShowMenuHelp(frame.hwnd(), c.w, c.l);
    EXPECT_EQ(0, MenuHelpId());
    EXPECT_EQ("", std::string(StatusText()));
  }
}

// Caret field: a step editor of track 1 of the song.
class CaretFieldTest : public StatusLineTest {
 protected:
  void SetUp() override {
    ini.Write("[OTHER]\norgTrack=2\n");
    StatusLineTest::SetUp();
    ASSERT_TRUE(NewSong(frame.hwnd()));
    // Measure 1: 480 + 480 steps and its end; measure 2: 720 steps and a
    // note at 720.
    ReplaceTrackEvents(1, {{60, 100, 480, 100},
                           {62, 100, 480, 100},
                           {0xFD, 0, 0, 0},
                           {64, 100, 480, 100},
                           {65, 100, 240, 100},
                           {67, 100, 240, 100},
                           {0xFE, 0xFE, 0xFE, 0xFE}});
    editor = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, frame.hwnd(), nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(editor, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ed));
    ASSERT_GE(AttachTrackToEditor(&ed, editor, 1), 0);
    s_editor = editor;
    g_statusSources.activeChild = [] { return s_editor; };
    g_settings.displaySw = 0x1000;
    g_settings.locSw = 0x17;
    g_settings.locLoc = 1;
    g_settings.locPal = 0;
    g_settings.locSign = 1;
    g_settings.locBeat1 = 0;
    g_settings.locRatio = 50;
  }
  void TearDown() override {
    g_statusSources.activeChild = nullptr;
    FreeTrackViewBuffers(&ed);
    DestroyWindow(editor);
    StatusLineTest::TearDown();
  }
  // Puts the caret on a line of the editor (0-based from the top).
  void CaretOn(int line) {
    ed.topLine = 0;
    ed.caretRow = static_cast<int16_t>(line + 1);
  }

  void ForgetEditorInTable() {
    SongDocument* doc = LockSongDocument(frame.hwnd());
    auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
    tw->editor[0] = 0;
    GlobalUnlock(doc->trackWindows);
    UnlockSongDocument(frame.hwnd());
  }

  static inline HWND s_editor = nullptr;
  StepEditorData ed{};
  HWND editor = nullptr;
};

TEST_F(CaretFieldTest, ShowsWhereTheCaretStands) {
  struct Case { int line; const char* text; };
  const Case cases[] = {
      {0, "   1/   1/  0/480/     0"},
      {1, "   1/   2/  0/480/   480"},
      {3, "   2/   1/  0/480/     0"},
      {5, "   2/   2/240/240/   720"},
      {50, "   2/   3/  0/480/   960"},  // below the last line: the end of the track
  };
  for (const Case& c : cases) {
    CaretOn(c.line);
    ShowStatus(frame.hwnd(), kStatusUnchanged, 0);  // the field follows every call
    EXPECT_EQ(c.text, CaretPositionShown()) << "line " << c.line;
  }
}

TEST_F(CaretFieldTest, OnlyForAStepEditorOfTheSong) {
  CaretOn(1);
  ShowStatus(frame.hwnd(), kStatusUnchanged, 0);
  ASSERT_EQ("   1/   2/  0/480/   480", CaretPositionShown());
  // With the switch off the field is left alone.
  g_settings.displaySw = 0;
  CaretOn(3);
  ShowStatus(frame.hwnd(), kStatusUnchanged, 0);
  EXPECT_EQ("   1/   2/  0/480/   480", CaretPositionShown());
  g_settings.displaySw = 0x1000;
  ShowStatus(frame.hwnd(), kStatusUnchanged, 0);
  EXPECT_EQ("   2/   1/  0/480/     0", CaretPositionShown());
  // Another window as the current child blanks the field.
  HWND other = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, frame.hwnd(), nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  s_editor = other;
  ShowStatus(frame.hwnd(), kStatusUnchanged, 0);
  EXPECT_EQ("", CaretPositionShown());
  DestroyWindow(other);
  // So does an editor whose track is not in the song's table.
  s_editor = editor;
  ForgetEditorInTable();
  ShowStatus(frame.hwnd(), kStatusUnchanged, 0);
  EXPECT_EQ("", CaretPositionShown());
}

}  // namespace
