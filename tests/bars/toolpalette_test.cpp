#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "bars_window.h"
#include "settings.h"
#include "statusline.h"
#include "testsupport.h"
#include "toolpalette.h"

namespace {

std::string StringOf(UINT id) {
  char buf[256];
  int n = LoadStringA(GetModuleHandleA(nullptr), id, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

const int kCommands[kToolButtonCount] = {1002, 1004, 2701, 2703, 2702, 2700, 4011, 4008,
                                         4006, 4005, 2216, 2321, 2322, 6102, 6100};
const char* const kTexts[kToolButtonCount] = {"open", "save",     "cut",  "paste", "copy",
                                              "undo", "main",     "record", "trkset",
                                              "namelist", "jump", "+",    "-",     "tune",
                                              "panic"};

class ToolPaletteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_settings;
    savedPorts_ = g_app.portsUnavailable;
    g_app.portsUnavailable = 0;
    g_settings.toolBar = 1;
    g_settings.statusBar = 2;
    AttachStatusLine(frame.hwnd());
    palette = CreateToolPalette(GetModuleHandleA(nullptr), frame.hwnd());
    ASSERT_NE(nullptr, palette);
    SetWindowPos(palette, nullptr, 0, 0, 640, kToolPaletteHeight, SWP_NOZORDER);
    ResetToolButtonStates();
    PumpMessages();
    frame.TakeCommands();
  }
  void TearDown() override {
    if (IsWindow(palette)) DestroyWindow(palette);
    DetachStatusLine();
    g_app.portsUnavailable = savedPorts_;
    g_settings = saved_;
  }

  void Click(int entry, POINT down = {5, 5}, POINT up = {5, 5}) {
    HWND b = ToolButtonWindow(entry);
    SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    if (up.x != down.x || up.y != down.y)
      SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(up.x, up.y));
    SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
  }

  TempSettingsFile ini;
  BarsParent frame;
  HWND palette = nullptr;
  AppSettings saved_;
  uint32_t savedPorts_ = 1;
};

TEST_F(ToolPaletteTest, FifteenButtonsInFiveGroups) {
  EXPECT_EQ(palette, ToolPaletteWindow());
  EXPECT_EQ(frame.hwnd(), GetParent(palette));
  EXPECT_TRUE(GetWindowLongA(palette, GWL_STYLE) & WS_CHILD);
  const int expectedX[kToolButtonCount] = {1,   23,  53,  75,  97,  119, 149, 171,
                                           193, 215, 237, 267, 289, 319, 341};
  for (int i = 0; i < kToolButtonCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(kCommands[i], ToolButtonCommand(i));
    EXPECT_EQ(expectedX[i], ToolButtonX(i));
    HWND b = ToolButtonWindow(i);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(kCommands[i], GetDlgCtrlID(b));
    char text[32] = "";
    GetWindowTextA(b, text, sizeof text);
    EXPECT_STREQ(kTexts[i], text);
    RECT r;
    GetWindowRect(b, &r);
    MapWindowPoints(nullptr, palette, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(expectedX[i], r.left);
    EXPECT_EQ(1, r.top);
    EXPECT_EQ(kToolButtonSize, r.right - r.left);
    EXPECT_EQ(kToolButtonSize, r.bottom - r.top);
  }
  EXPECT_EQ(0, ToolButtonCommand(15));
  EXPECT_EQ(-1, ToolButtonState(-1));
}

TEST_F(ToolPaletteTest, EveryButtonPostsItsCommandOnce) {
  for (int i = 0; i < kToolButtonCount; ++i) {
    Click(i);
    EXPECT_EQ(std::vector<int>{kCommands[i]}, frame.TakeCommands()) << i;
  }
}

TEST_F(ToolPaletteTest, PressShowsHelpAndReleaseRestoresTheLine) {
  HWND b = ToolButtonWindow(7);
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(StringOf(4008), StatusText());
  EXPECT_EQ(b, GetCapture());
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_EQ("", std::string(StatusText()));  // no step editor is active
  EXPECT_EQ(std::vector<int>{4008}, frame.TakeCommands());
}

TEST_F(ToolPaletteTest, LeavingBeforeReleasePostsNothing) {
  Click(0, {5, 5}, {40, 5});
  Click(1, {5, 5}, {5, -3});
  EXPECT_TRUE(frame.TakeCommands().empty());
  EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(ToolPaletteTest, DoubleClickActsAsPress) {
  HWND b = ToolButtonWindow(10);
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageA(b, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ((std::vector<int>{2216, 2216}), frame.TakeCommands());
}

TEST_F(ToolPaletteTest, InactiveButtonIgnoresClicksAndKeys) {
  SetToolButtonState(3, 1);
  EXPECT_EQ(1, ToolButtonState(3));
  ShowStatus(frame.hwnd(), 0, 0);
  Click(3);
  HWND b = ToolButtonWindow(3);
  SendMessageA(b, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageA(palette, WM_COMMAND, MAKEWPARAM(2703, BN_CLICKED), reinterpret_cast<LPARAM>(b));
  EXPECT_TRUE(frame.TakeCommands().empty());
  EXPECT_EQ(nullptr, GetCapture());
  // Active again, the same button works.
  SetToolButtonState(3, 0);
  Click(3);
  EXPECT_EQ(std::vector<int>{2703}, frame.TakeCommands());
}

TEST_F(ToolPaletteTest, KeyboardClickIsPassedToTheFrame) {
  HWND b = ToolButtonWindow(12);
  SendMessageA(palette, WM_COMMAND, MAKEWPARAM(2322, BN_CLICKED), reinterpret_cast<LPARAM>(b));
  EXPECT_EQ(std::vector<int>{2322}, frame.TakeCommands());
}

TEST_F(ToolPaletteTest, PortsHeldKeepTuneAndPanicInactive) {
  g_app.portsUnavailable = 1;
  ResetToolButtonStates();
  for (int i = 0; i < kToolButtonCount; ++i) EXPECT_EQ(i >= 13 ? 1 : 0, ToolButtonState(i)) << i;
  SetToolButtonState(13, 0);
  SetToolButtonState(14, 0);
  EXPECT_EQ(1, ToolButtonState(13));
  EXPECT_EQ(1, ToolButtonState(14));
  Click(13);
  Click(14);
  EXPECT_TRUE(frame.TakeCommands().empty());
  SetToolButtonState(2, 1);  // the others follow what they are given
  EXPECT_EQ(1, ToolButtonState(2));
  g_app.portsUnavailable = 0;
  SetToolButtonState(13, 0);
  EXPECT_EQ(0, ToolButtonState(13));
}

TEST_F(ToolPaletteTest, HoverShowsHelpUnlessHelpOnPressOnly) {
  HWND b = ToolButtonWindow(6);
  SendMessageA(b, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
  EXPECT_EQ(StringOf(4011), StatusText());
  EXPECT_EQ(b, GetCapture());
  SendMessageA(b, WM_MOUSEMOVE, 0, MAKELPARAM(30, 4));
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_EQ("", std::string(StatusText()));
  EXPECT_TRUE(frame.TakeCommands().empty());

  // An inactive button gives no help.
  SetToolButtonState(6, 1);
  SendMessageA(b, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
  EXPECT_EQ("", std::string(StatusText()));
  EXPECT_EQ(nullptr, GetCapture());
  SetToolButtonState(6, 0);

  g_settings.toolBar = 1 | 0x80;
  SendMessageA(b, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
  EXPECT_EQ("", std::string(StatusText()));
  EXPECT_EQ(nullptr, GetCapture());
  // Pressing still shows it.
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  EXPECT_EQ(StringOf(4011), StatusText());
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  EXPECT_EQ(std::vector<int>{4011}, frame.TakeCommands());
}

TEST_F(ToolPaletteTest, HoverEndsWhenAnotherWindowTakesThePointer) {
  HWND b = ToolButtonWindow(8);
  SendMessageA(b, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
  ASSERT_EQ(b, GetCapture());
  SetCapture(frame.hwnd());  // as a menu or a message box would
  ReleaseCapture();
  ShowStatus(frame.hwnd(), 0, 0);
  SendMessageA(b, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(StringOf(4006), StatusText());
  EXPECT_EQ(b, GetCapture());
  // A press from outside while only hovering is not a press of the button.
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 5));
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_EQ(0u, SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
  EXPECT_TRUE(frame.TakeCommands().empty());
}

TEST_F(ToolPaletteTest, HoverThenPressPostsOnce) {
  HWND b = ToolButtonWindow(2);
  SendMessageA(b, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 6));
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
  EXPECT_EQ(std::vector<int>{2701}, frame.TakeCommands());
  EXPECT_EQ(nullptr, GetCapture());
}

// Draws one button through the palette's own painting into a memory device.
class ButtonImage {
 public:
  ButtonImage(HWND palette, int entry, bool pressed) {
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = SelectNewDib(dc_, kToolButtonSize, kToolButtonSize, &old_);
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_BUTTON;
    di.CtlID = static_cast<UINT>(ToolButtonCommand(entry));
    di.itemAction = pressed ? ODA_SELECT : ODA_DRAWENTIRE;
    di.itemState = pressed ? ODS_SELECTED : 0;
    di.hwndItem = ToolButtonWindow(entry);
    di.hDC = dc_;
    di.rcItem = {0, 0, kToolButtonSize, kToolButtonSize};
    SendMessageA(palette, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
  }
  ~ButtonImage() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
};

// One of the program's strips, read back pixel by pixel.
class Strip {
 public:
  explicit Strip(const char* name) {
    bmp_ = LoadBitmapA(GetModuleHandleA(nullptr), name);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bmp_);
  }
  ~Strip() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bmp_);
  }
  bool loaded() const { return bmp_ != nullptr; }
  COLORREF At(int image, int x, int y) const { return GetPixel(dc_, kToolButtonSize * image + x, y); }

 private:
  HBITMAP bmp_;
  HDC dc_;
  HGDIOBJ old_;
};

TEST_F(ToolPaletteTest, ButtonFacesComeFromTheirStrips) {
  struct Case { int entry; const char* normal; const char* inactive; int image; };
  const Case cases[] = {{3, "TOOL2", "TOOL6", 3}, {14, "TOOL1", "TOOL5", 6}, {11, "TOOL2", "TOOL6", 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    Strip normal(c.normal), inactive(c.inactive);
    ASSERT_TRUE(normal.loaded());
    ASSERT_TRUE(inactive.loaded());
    // A pixel where the two images differ.
    int px = -1, py = -1;
    for (int y = 2; y < 20 && px < 0; ++y)
      for (int x = 2; x < 20 && px < 0; ++x)
        if (normal.At(c.image, x, y) != inactive.At(c.image, x, y)) px = x, py = y;
    ASSERT_GE(px, 0) << "the inactive image differs from the normal one";

    SetToolButtonState(c.entry, 0);
    {
      ButtonImage up(palette, c.entry, false);
      EXPECT_EQ(normal.At(c.image, px, py), up.At(px, py));
      EXPECT_EQ(RGB(0, 0, 0), up.At(0, 0));
      EXPECT_EQ(RGB(0, 0, 0), up.At(21, 21));
      EXPECT_EQ(RGB(255, 255, 255), up.At(1, 5));
      EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), up.At(20, 5));
    }
    SetToolButtonState(c.entry, 1);
    {
      ButtonImage off(palette, c.entry, false);
      EXPECT_EQ(inactive.At(c.image, px, py), off.At(px, py));
    }
    SetToolButtonState(c.entry, 0);
    {
      // Pressed: the normal image one pixel down and right, shadow on top.
      ButtonImage down(palette, c.entry, true);
      for (int y = 2; y < 19; ++y)
        for (int x = 2; x < 19; ++x)
          ASSERT_EQ(normal.At(c.image, x, y), down.At(x + 1, y + 1)) << x << "," << y;
      EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), down.At(1, 5));
      EXPECT_EQ(RGB(0, 0, 0), down.At(0, 0));
    }
  }
}

TEST_F(ToolPaletteTest, ReleaseGivesTheFocusBackToTheActiveChild) {
  ASSERT_TRUE(RegisterStatusLineClass(GetModuleHandleA(nullptr)) ||
              GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
  CLIENTCREATESTRUCT ccs{};
  ccs.idFirstChild = 4500;
  HWND client = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                              kToolPaletteHeight, 640, 180, frame.hwnd(), nullptr,
                              GetModuleHandleA(nullptr), &ccs);
  ASSERT_NE(nullptr, client);
  g_app.mdiClient = client;
  MDICREATESTRUCTA mcs{};
  mcs.szClass = kStatusLineClass;
  mcs.szTitle = "child";
  mcs.hOwner = GetModuleHandleA(nullptr);
  mcs.x = mcs.y = mcs.cx = mcs.cy = CW_USEDEFAULT;
  HWND child = reinterpret_cast<HWND>(SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  ASSERT_NE(nullptr, child);
  SetFocus(child);
  Click(5);
  EXPECT_EQ(child, GetFocus());
  EXPECT_EQ(std::vector<int>{2700}, frame.TakeCommands());
  g_app.mdiClient = nullptr;
  DestroyWindow(client);
}

TEST_F(ToolPaletteTest, DestroyedAndMadeAgain) {
  DestroyWindow(palette);
  EXPECT_EQ(nullptr, ToolPaletteWindow());
  EXPECT_EQ(nullptr, ToolButtonWindow(0));
  SetToolButtonState(4, 1);  // no palette: the state is kept for the next one
  palette = CreateToolPalette(GetModuleHandleA(nullptr), frame.hwnd());
  ASSERT_NE(nullptr, palette);
  EXPECT_EQ(1, ToolButtonState(4));
  Click(4);
  Click(0);
  EXPECT_EQ(std::vector<int>{1002}, frame.TakeCommands());
  // A second palette replaces the first.
  HWND again = CreateToolPalette(GetModuleHandleA(nullptr), frame.hwnd());
  EXPECT_FALSE(IsWindow(palette));
  palette = again;
  EXPECT_EQ(again, ToolPaletteWindow());
  ShowToolPalette(false);
  EXPECT_FALSE(IsWindowVisible(again));
  ShowToolPalette(true);
  EXPECT_TRUE(IsWindowVisible(again));
}

}  // namespace
