// The graph colour set-up (command 2187) and the location guide set-up
// (reached through the views' hook, as the display switch dialog and the
// play palette's popup reach it) of the program running in the test
// process, driven as a user drives them: what they show from a settings
// file of our own and for a new user, and what OK and Cancel leave in the
// settings file, the pens, the play palette and the status line.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>

#include "appglobals.h"
#include "displaycolors.h"
#include "filedialogs.h"
#include "graphsetup.h"
#include "inprocess.h"
#include "resource.h"
#include "settings.h"
#include "settingsdiff.h"
#include "songmodel.h"
#include "statusline.h"
#include "stepservices.h"
#include "testsupport.h"
#include "viewglobals.h"
#include "viewservices.h"
#include "zk/messages.h"
#include "zk/song.h"

namespace {

constexpr UINT kCmdGraphColours = 2187;
// The red, green and blue fields of the system colour dialog.
constexpr int kColourRed = 0x2C2, kColourGreen = 0x2C3, kColourBlue = 0x2C4;

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void SetCheck(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
std::string TextOf(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}
std::string Caption(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}
int DialogNumber(HWND dialog, int id) { return static_cast<int>(GetDlgItemInt(dialog, id, nullptr, TRUE)); }

bool IsGraphDialog(HWND d) { return GetDlgItem(d, IDC_GRAPH_CTRLNO4) != nullptr; }
bool IsLocGuideDialog(HWND d) { return GetDlgItem(d, IDC_LOCGUIDE_RATIO) != nullptr; }
bool IsColourDialog(HWND d) { return !IsGraphDialog(d) && GetDlgItem(d, kColourRed) != nullptr; }

void Shoot(HWND dialog, const char* name) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  ScreenshotToOutput(dialog, name);
}

// The colour the colour dialog opened on, from its three fields.
COLORREF ColourShown(HWND colourDialog) {
  return RGB(DialogNumber(colourDialog, kColourRed), DialogNumber(colourDialog, kColourGreen),
             DialogNumber(colourDialog, kColourBlue));
}
// Types a colour into the colour dialog's fields, as a user does.
void TypeColour(HWND colourDialog, COLORREF colour) {
  SetDlgItemInt(colourDialog, kColourRed, GetRValue(colour), FALSE);
  SetDlgItemInt(colourDialog, kColourGreen, GetGValue(colour), FALSE);
  SetDlgItemInt(colourDialog, kColourBlue, GetBValue(colour), FALSE);
}

// The colour of the sample line left of a row's colour button.
COLORREF SampleLineColour(HWND dialog, int row) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT button;
  GetWindowRect(GetDlgItem(dialog, IDC_GRAPH_COLOUR_FIRST + row), &button);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
  HDC dc = GetDC(dialog);
  const COLORREF pixel = GetPixel(dc, button.left - 18, (button.top + button.bottom) / 2);
  ReleaseDC(dialog, dc);
  return pixel;
}

int SongTimeBase() {
  int timeBase = 480;
  if (HGLOBAL h = SongEntry(kHeaderEntry)) {
    timeBase = static_cast<const SongHeader*>(GlobalLock(h))->timeBase;
    GlobalUnlock(h);
  }
  return timeBase;
}

COLORREF PenColour(DisplayColour item) {
  LOGPEN pen = {};
  GetObjectA(DisplayPen(item), sizeof pen, &pen);
  return pen.lopnColor;
}

// Counts 2755 on the play palette while it lives.
class RefreshCounter {
 public:
  explicit RefreshCounter(HWND palette) : palette_(palette) {
    count_ = 0;
    old_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(palette_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefreshCounter::Proc)));
    previous_ = old_;
  }
  ~RefreshCounter() { SetWindowLongPtrA(palette_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_)); }
  int count() const { return count_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ZK_REFRESH && wParam == 0 && lParam == 0) ++count_;
    return CallWindowProcA(previous_, window, message, wParam, lParam);
  }
  HWND palette_;
  WNDPROC old_;
  static inline WNDPROC previous_ = nullptr;
  static inline int count_ = 0;
};

// While it lives, the first popup menu that opens gets its first item
// chosen from the keyboard.
class PopupPicker {
 public:
  PopupPicker() {
    seen_ = false;
    timer_ = SetTimer(nullptr, 0, 30, &PopupPicker::Check);
  }
  ~PopupPicker() {
    if (timer_) KillTimer(nullptr, timer_);
  }
  bool seen() const { return seen_; }

 private:
  static void CALLBACK Check(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (seen_ || !menu || !IsWindowVisible(menu)) return;
    seen_ = true;
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  }
  UINT_PTR timer_ = 0;
  static inline bool seen_ = false;
};

class GraphSetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    saved_ = g_settings;
    fileBefore_ = InProcessSettings().Contents();
  }
  void TearDown() override {
    g_settings = saved_;
    ReloadDisplayColors();
    InProcessSettings().Write(fileBefore_);
    ClearSongModified();
  }

  // A full settings file of our own values, none of them a default.
  void WriteOurSettings() {
    AppSettings& s = g_settings;
    s.displaySw = 0x1000 | 0x080 | 0x002 | 0x010 | 0x400;  // velocity, modulation, tempo
    const int32_t sw[4] = {0, 1, 0, 1};
    const int16_t no[4] = {7, 10, 64, 120};
    for (int k = 0; k < 4; ++k) {
      s.dispCtrlSw[k] = sw[k];
      s.dispCtrlNo[k] = no[k];
    }
    for (int row = 0; row < kGraphRowCount; ++row)
      GraphColourSetting(s, row) = RGB(20 + row, 40 + 2 * row, 60 + 3 * row);
    s.locPal = 1;
    s.locSw = 0x01 | 0x04 | 0x20;
    s.playTimer = 0;
    s.locBeat1 = 1;
    s.locLoc = 1;
    s.locSign = 0;
    s.locRatio = 30;
    SaveSettings();
    ReloadDisplayColors();  // the pens as a start with this file makes them
    ours_ = InProcessSettings().Contents();
  }
  // A new user: no settings file, the defaults in memory.
  void BecomeNewUser() {
    DeleteFileA(InProcessSettings().path().c_str());
    g_settings = AppSettings();
  }

  int RunGraph(const std::function<void(HWND)>& act) {
    DialogWatch watch([&](HWND d) {
      act(d);
      if (IsWindow(d)) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    Command(kCmdGraphColours);
    return watch.Seen();
  }
  int RunLocGuide(const std::function<void(HWND)>& act, const std::function<void()>& open) {
    DialogWatch watch([&](HWND d) {
      act(d);
      if (IsWindow(d)) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    open();
    return watch.Seen();
  }
  // As the display switch dialog opens it.
  static void OpenThroughHook() {
    ASSERT_NE(g_stepHooks.openDisplaySetupDialog, nullptr);
    g_stepHooks.openDisplaySetupDialog(g_app.frame);
  }
  // As the play palette's popup item does.
  static void OpenFromPlayPalette() {
    ASSERT_NE(g_views.playPalette, nullptr);
    SendMessageA(g_views.playPalette, WM_COMMAND, kCmdLocationProperties, 0);
  }

  AppSettings saved_;
  std::string fileBefore_;
  std::string ours_;
};

TEST_F(GraphSetupDialogTest, GraphColoursShowOurSettingsAndCancelLeavesTheFileAlone) {
  WriteOurSettings();
  bool seen = false;
  RunGraph([&](HWND d) {
    if (!IsGraphDialog(d)) return;
    seen = true;
    EXPECT_EQ(Caption(d), "色の設定");
    const bool expected[kGraphRowCount] = {true, false, true, true, false, false, false, false, true, false, true};
    for (int row = 0; row < kGraphRowCount; ++row)
      EXPECT_EQ(Checked(d, kGraphRows[row].checkId), expected[row]) << row;
    EXPECT_EQ(TextOf(d, IDC_GRAPH_CTRLNO1), "7");
    EXPECT_EQ(TextOf(d, IDC_GRAPH_CTRLNO2), "10");
    EXPECT_EQ(TextOf(d, IDC_GRAPH_CTRLNO3), "64");
    EXPECT_EQ(TextOf(d, IDC_GRAPH_CTRLNO4), "120");
    EXPECT_EQ(TextOf(d, IDC_GRAPH_COLOUR_FIRST + 4), "色の設定...");
    // The sample lines are drawn in the colours as held.
    EXPECT_EQ(SampleLineColour(d, 0), RGB(20, 40, 60));
    EXPECT_EQ(SampleLineColour(d, 10), RGB(30, 60, 90));
    Shoot(d, "graphdlg-147");
    Click(d, IDCANCEL);
  });
  EXPECT_TRUE(seen);
  EXPECT_EQ(InProcessSettings().Contents(), ours_);
}

TEST_F(GraphSetupDialogTest, GraphColoursOkChangesExactlyTheirKeysAndRemakesThePens) {
  WriteOurSettings();
  COLORREF offered = 0;
  RunGraph([&](HWND d) {
    if (IsColourDialog(d)) {
      offered = ColourShown(d);
      TypeColour(d, RGB(10, 20, 30));
      Click(d, IDOK);
      return;
    }
    if (!IsGraphDialog(d)) return;
    SetCheck(d, IDC_GRAPH_VELO, false);
    SetCheck(d, IDC_GRAPH_BEND, true);
    SetCheck(d, IDC_GRAPH_CTRL1, true);
    SetDlgItemTextA(d, IDC_GRAPH_CTRLNO1, "300");  // typed past the limit
    SetDlgItemTextA(d, IDC_GRAPH_CTRLNO4, "45");
    Click(d, IDC_GRAPH_COLOUR_FIRST + 1);  // the pitch bend colour
    EXPECT_EQ(SampleLineColour(d, 1), RGB(10, 20, 30));
    Click(d, IDOK);
  });
  EXPECT_EQ(offered, RGB(21, 42, 63));
  const std::map<std::string, std::string> expected = {
      {"default display/DisplaySW", std::to_string(0x1000 | 0x080 | 0x004 | 0x010 | 0x400)},
      {"other/DispCtrlSw0", "1"},
      {"other/DispCtrlNo0", "127"},
      {"other/DispCtrlNo3", "45"},
      {"color/BendRed", "245"},
      {"color/BendGreen", "235"},
      {"color/BendBlue", "225"},
  };
  EXPECT_EQ(ChangedSettings(ours_, InProcessSettings().Contents()), expected);
  EXPECT_EQ(g_settings.colBend, RGB(10, 20, 30));
  EXPECT_EQ(PenColour(DisplayColour::Bend), RGB(10, 20, 30));
  EXPECT_EQ(PenColour(static_cast<DisplayColour>(static_cast<int>(DisplayColour::Ctrl0) + 3)), RGB(30, 60, 90));
}

TEST_F(GraphSetupDialogTest, AColourChosenThenCancelKeepsTheOldColour) {
  WriteOurSettings();
  std::vector<COLORREF> offered;
  RunGraph([&](HWND d) {
    if (IsColourDialog(d)) {
      offered.push_back(ColourShown(d));
      TypeColour(d, RGB(200, 100, 50));
      Click(d, IDOK);
      return;
    }
    if (!IsGraphDialog(d)) return;
    Click(d, IDC_GRAPH_COLOUR_FIRST + 6);  // the GT line
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(g_settings.colGtLine, RGB(26, 52, 78));
  EXPECT_EQ(PenColour(DisplayColour::GtLine), RGB(26, 52, 78));
  EXPECT_EQ(InProcessSettings().Contents(), ours_);
  // Opened again, the row still offers the old colour.
  RunGraph([&](HWND d) {
    if (IsColourDialog(d)) {
      offered.push_back(ColourShown(d));
      Click(d, IDCANCEL);
      return;
    }
    if (!IsGraphDialog(d)) return;
    Click(d, IDC_GRAPH_COLOUR_FIRST + 6);
    EXPECT_EQ(SampleLineColour(d, 6), RGB(26, 52, 78));
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(offered, (std::vector<COLORREF>{RGB(26, 52, 78), RGB(26, 52, 78)}));
}

TEST_F(GraphSetupDialogTest, GraphColoursShowTheDefaultsToANewUser) {
  BecomeNewUser();
  COLORREF offered = 1;
  RunGraph([&](HWND d) {
    if (IsColourDialog(d)) {
      offered = ColourShown(d);
      Click(d, IDCANCEL);
      return;
    }
    if (!IsGraphDialog(d)) return;
    for (int row = 0; row < kGraphRowCount; ++row)
      EXPECT_EQ(Checked(d, kGraphRows[row].checkId), row >= kGraphFirstFreeRow) << row;
    EXPECT_EQ(TextOf(d, IDC_GRAPH_CTRLNO1), "6");
    EXPECT_EQ(TextOf(d, IDC_GRAPH_CTRLNO2), "91");
    EXPECT_EQ(TextOf(d, IDC_GRAPH_CTRLNO3), "93");
    EXPECT_EQ(TextOf(d, IDC_GRAPH_CTRLNO4), "94");
    Click(d, IDC_GRAPH_COLOUR_FIRST + 3);  // tempo: 255, 255, 0 in the file
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(offered, RGB(0, 0, 255));
  EXPECT_EQ(GetFileAttributesA(InProcessSettings().path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(GraphSetupDialogTest, LocationGuideShowsOurSettingsAndCancelLeavesTheFileAlone) {
  WriteOurSettings();
  ASSERT_NE(g_views.playPalette, nullptr);
  RefreshCounter refreshes(g_views.playPalette);
  bool seen = false;
  RunLocGuide(
      [&](HWND d) {
        if (!IsLocGuideDialog(d)) return;
        seen = true;
        EXPECT_EQ(Caption(d), "LocationGuideの設定");
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_STATUS));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_PALETTE));
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_GTLOC));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_MEASURE));
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_BEAT));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_BEATST));
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_NOTES));
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_TOTALST));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_DIAL));
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_PLAYTIME));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_BEAT_FROM1));
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_BEAT_FROM0));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_LOCREST));
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_SIGN));
        HWND bar = GetDlgItem(d, IDC_LOCGUIDE_RATIO);
        EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 30);
        EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), 0);
        EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0), 100);
        EXPECT_EQ(SendMessageA(bar, TBM_GETPAGESIZE, 0, 0), 10);
        const LocGuideExamples examples = LocGuideExampleTexts(SongTimeBase(), 30, false);
        EXPECT_EQ(TextOf(d, IDC_LOCGUIDE_EXAMPLE1), examples.first);
        EXPECT_EQ(TextOf(d, IDC_LOCGUIDE_EXAMPLE2), examples.second);
        Shoot(d, "graphdlg-127");
        Click(d, IDCANCEL);
      },
      OpenThroughHook);
  EXPECT_TRUE(seen);
  EXPECT_EQ(InProcessSettings().Contents(), ours_);
  EXPECT_EQ(refreshes.count(), 0);
}

TEST_F(GraphSetupDialogTest, LocationGuideExamplesFollowTheTrackBarAndTheSignBox) {
  // The numbers themselves are the pure tests'; here they must follow the
  // controls as they stand, at the open song's time base.
  const int timeBase = SongTimeBase();
  auto expectExamples = [&](HWND d, int ratio, bool sign) {
    const LocGuideExamples examples = LocGuideExampleTexts(timeBase, ratio, sign);
    EXPECT_EQ(TextOf(d, IDC_LOCGUIDE_EXAMPLE1), examples.first) << ratio << sign;
    EXPECT_EQ(TextOf(d, IDC_LOCGUIDE_EXAMPLE2), examples.second) << ratio << sign;
  };
  g_settings.locRatio = 0;  // shown from the start all the same
  g_settings.locSign = 0;
  RunLocGuide(
      [&](HWND d) {
        if (!IsLocGuideDialog(d)) return;
        EXPECT_FALSE(TextOf(d, IDC_LOCGUIDE_EXAMPLE1).empty());
        expectExamples(d, 0, false);
        HWND bar = GetDlgItem(d, IDC_LOCGUIDE_RATIO);
        SendMessageA(bar, TBM_SETPOS, TRUE, 25);
        SendMessageA(d, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 25), reinterpret_cast<LPARAM>(bar));
        expectExamples(d, 25, false);
        SetCheck(d, IDC_LOCGUIDE_SIGN, true);
        Click(d, IDC_LOCGUIDE_SIGN);
        expectExamples(d, 25, true);
        Click(d, IDCANCEL);
      },
      OpenThroughHook);
  EXPECT_EQ(g_settings.locRatio, 0);
  EXPECT_EQ(g_settings.locSign, 0);
}

TEST_F(GraphSetupDialogTest, LocationGuideOkFromThePlayPaletteChangesItsKeysAndRefreshesTheDisplays) {
  WriteOurSettings();
  ASSERT_NE(g_views.playPalette, nullptr);
  ASSERT_NE(g_settings.statusBar, 0);
  RefreshCounter refreshes(g_views.playPalette);
  uint32_t paintsWhileOpen = 0;
  RunLocGuide(
      [&](HWND d) {
        if (!IsLocGuideDialog(d)) return;
        CheckRadioButton(d, IDC_LOCGUIDE_STATUS, IDC_LOCGUIDE_PALETTE, IDC_LOCGUIDE_PALETTE);
        SetCheck(d, IDC_LOCGUIDE_GTLOC, true);
        SetCheck(d, IDC_LOCGUIDE_BEAT, true);
        SetCheck(d, IDC_LOCGUIDE_DIAL, false);
        SetCheck(d, IDC_LOCGUIDE_PLAYTIME, true);
        CheckRadioButton(d, IDC_LOCGUIDE_BEAT_FROM0, IDC_LOCGUIDE_BEAT_FROM1, IDC_LOCGUIDE_BEAT_FROM0);
        CheckRadioButton(d, IDC_LOCGUIDE_LOCREST, IDC_LOCGUIDE_TOBEAT, IDC_LOCGUIDE_TOBEAT);
        SetCheck(d, IDC_LOCGUIDE_SIGN, true);
        SendDlgItemMessageA(d, IDC_LOCGUIDE_RATIO, TBM_SETPOS, TRUE, 70);
        paintsWhileOpen = StatusPaintCount();
        EXPECT_EQ(refreshes.count(), 0);
        Click(d, IDOK);
      },
      OpenFromPlayPalette);
  const std::map<std::string, std::string> expected = {
      {"other/locPal", "3"},   {"other/locSW", "7"},    {"other/PlayTimer", "1"}, {"other/locBeat1", "0"},
      {"other/locLoc", "0"},   {"other/locSign", "1"},  {"other/locRatio", "70"},
  };
  EXPECT_EQ(ChangedSettings(ours_, InProcessSettings().Contents()), expected);
  EXPECT_EQ(refreshes.count(), 1);
  EXPECT_GT(StatusPaintCount(), paintsWhileOpen);
}

TEST_F(GraphSetupDialogTest, LocationGuideOpensFromThePlayPalettesPopupMenu) {
  ASSERT_NE(g_views.playPalette, nullptr);
  RECT palette;
  GetWindowRect(g_views.playPalette, &palette);
  bool seen = false;
  PopupPicker picker;
  DialogWatch watch([&](HWND d) {
    if (IsLocGuideDialog(d)) seen = true;
    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
  });
  SendMessageA(g_views.playPalette, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(g_views.playPalette),
               MAKELPARAM(palette.left + 10, palette.top + 10));
  RunLoopUntil([&] { return seen; }, 5000);
  EXPECT_TRUE(picker.seen());
  EXPECT_TRUE(seen);
}

TEST_F(GraphSetupDialogTest, LocationGuideOnThePaletteAloneIsStoredAsOne) {
  WriteOurSettings();
  g_settings.locPal = 2;
  SaveSettings();
  const std::string before = InProcessSettings().Contents();
  RunLocGuide(
      [&](HWND d) {
        if (!IsLocGuideDialog(d)) return;
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_STATUS));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_PALETTE));
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_GTLOC));
        Click(d, IDOK);
      },
      OpenThroughHook);
  EXPECT_EQ(ChangedSettings(before, InProcessSettings().Contents()),
            (std::map<std::string, std::string>{{"other/locPal", "1"}}));
}

TEST_F(GraphSetupDialogTest, LocationGuideShowsTheDefaultsToANewUser) {
  BecomeNewUser();
  RunLocGuide(
      [&](HWND d) {
        if (!IsLocGuideDialog(d)) return;
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_PALETTE));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_GTLOC));
        for (int id : {IDC_LOCGUIDE_MEASURE, IDC_LOCGUIDE_BEAT, IDC_LOCGUIDE_BEATST, IDC_LOCGUIDE_NOTES,
                       IDC_LOCGUIDE_TOTALST})
          EXPECT_TRUE(Checked(d, id)) << id;
        EXPECT_FALSE(Checked(d, IDC_LOCGUIDE_DIAL));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_PLAYTIME));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_BEAT_FROM0));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_TOBEAT));
        EXPECT_TRUE(Checked(d, IDC_LOCGUIDE_SIGN));
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_LOCGUIDE_RATIO, TBM_GETPOS, 0, 0), 50);
        Click(d, IDCANCEL);
      },
      OpenFromPlayPalette);
  EXPECT_EQ(GetFileAttributesA(InProcessSettings().path().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
