// The font dialogs of the program running in the test process, driven as a
// user drives the system font dialog: the default font (2184), the font of
// the current step editor (6000) and the score font (40025), what they show,
// which windows get the chosen font and what reaches the settings file.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "appglobals.h"
#include "errlog.h"
#include "fonts.h"
#include "inprocess.h"
#include "programstate.h"
#include "resource.h"
#include "scorefont.h"
#include "scoremetrics.h"
#include "settings.h"
#include "settingsdiff.h"
#include "shellprocess.h"
#include "songmodel.h"
#include "stepwnd.h"
#include "testsupport.h"
#include "viewglobals.h"
#include "viewwindow.h"
#include "viewwindows.h"
#include "windownav.h"
#include "zk/messages.h"

namespace {

constexpr UINT kCmdDefaultFont = 2184;
constexpr UINT kCmdFontChange = 6000;
constexpr UINT kCmdScoreFont = 40025;

// Holds Shift for the calling thread's key state while it lives.
class ShiftHeld {
 public:
  ShiftHeld() {
    GetKeyboardState(saved_);
    BYTE keys[256];
    std::memcpy(keys, saved_, sizeof keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
  }
  ~ShiftHeld() { Release(); }
  void Release() {
    if (held_) SetKeyboardState(saved_);
    held_ = false;
  }

 private:
  BYTE saved_[256];
  bool held_ = true;
};

std::vector<std::string> ComboLines(HWND combo) {
  std::vector<std::string> lines;
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    lines.push_back(text);
  }
  return lines;
}

std::string ComboShown(HWND combo) {
  const int index = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  if (index >= 0) return ComboLines(combo)[index];
  char text[256] = "";
  GetWindowTextA(combo, text, sizeof text);
  return text;
}

bool HasVerticalFace(const std::vector<std::string>& faces) {
  for (const std::string& face : faces)
    if (!face.empty() && face[0] == '@') return true;
  return false;
}

// Picks a line of a list of the dialog as a user does.
bool Pick(HWND dialog, int id, const std::string& line) {
  HWND combo = GetDlgItem(dialog, id);
  const int index = static_cast<int>(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(line.c_str())));
  if (index < 0) return false;
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return true;
}

void Toggle(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// What a font dialog showed when it opened.
struct Seen {
  int dialogs = 0;
  std::vector<std::string> faces;
  std::string face, size;
  RECT rect{};
  bool box = false, boxChecked = false;
  RECT boxRect{};
  std::string boxText;
};

// A face of the list other than avoid, the first of a few known ones.
std::string OtherFace(const std::vector<std::string>& faces, const std::string& avoid) {
  for (const char* want : {"IPAゴシック", "DejaVu Sans Mono", "Liberation Mono", "Courier New", "DejaVu Serif", "Tahoma"})
    for (const std::string& face : faces)
      if (face == want && face != avoid) return face;
  for (const std::string& face : faces)
    if (face != avoid) return face;
  return "";
}

LOGFONTA LogFontOf(HFONT font) {
  LOGFONTA lf{};
  if (font) GetObjectA(font, sizeof lf, &lf);
  return lf;
}
std::string FaceOf(HWND window) { return LogFontOf(ViewWindowFont(window)).lfFaceName; }

std::string Ini(const char* section, const char* key) {
  char value[512] = "";
  GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, InProcessSettings().path().c_str());
  return value;
}

class FontSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    saved_ = g_settings;
    savedFile_ = InProcessSettings().Contents();
    if (g_prog.defaultFont) savedDefault_ = *g_prog.defaultFont;
    savedCurrent_ = g_prog.currentStep;
    for (HWND window : TextWindows()) savedFonts_[window] = LogFontOf(ViewWindowFont(window));
  }
  void TearDown() override {
    for (HWND window : opened_)
      if (IsWindow(window)) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    for (const auto& [window, font] : savedFonts_)
      if (IsWindow(window)) ApplyWindowFont(window, font);
    if (g_prog.defaultFont) *g_prog.defaultFont = savedDefault_;
    g_prog.currentStep = IsWindow(savedCurrent_) ? savedCurrent_ : nullptr;
    g_settings = saved_;
    CreateDisplayFont();
    InProcessSettings().Write(savedFile_);
    RunLoopFor(20);
    ClearSongModified();
  }

  static std::vector<HWND> TextWindows() {
    std::vector<HWND> windows;
    for (HWND w : {g_viewWindows.trackWindow, g_views.conductor, g_logs.errLog, g_logs.searchLog,
                   g_viewWindows.nameList})
      if (w) windows.push_back(w);
    for (int n = 1; n <= g_song.trackCount; ++n)
      if (HWND editor = StepEditorOfTrack(n)) windows.push_back(editor);
    return windows;
  }

  // A step editor of track n made for this test (or the one it has).
  HWND Editor(int n) {
    if (HWND editor = StepEditorOfTrack(n)) return editor;
    HWND editor = CreateStepEditor(n, 0);
    opened_.push_back(editor);
    return editor;
  }
  void MakeCurrent(HWND editor) {
    SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(editor), 0);
    SendMessageA(g_app.frame, WM_ZK_SETCURCHILD, 0, reinterpret_cast<LPARAM>(editor));
  }
  // Every kind of text window open at once.
  void OpenAllTextWindows() {
    if (!g_viewWindows.trackWindow) opened_.push_back(OpenTrackWindow(nullptr, 1));
    if (!g_views.conductor) opened_.push_back(OpenConductor(nullptr));
    if (!g_logs.errLog) {
      ShowErrLog();
      opened_.push_back(g_logs.errLog);
    }
    if (!g_logs.searchLog) {
      ShowSearchLog();
      opened_.push_back(g_logs.searchLog);
    }
    if (!g_viewWindows.nameList) opened_.push_back(OpenNameList(nullptr, -1));
    Editor(1);
    Editor(2);
    RunLoopFor(20);
  }

  // Runs a frame command whose font dialog act drives; what it showed.
  Seen Run(UINT command, const std::function<void(HWND, Seen&)>& act, const char* screenshot = nullptr) {
    Seen seen;
    DialogWatch watch([&](HWND dialog) {
      HWND faces = GetDlgItem(dialog, cmb1);
      seen.faces = ComboLines(faces);
      seen.face = ComboShown(faces);
      seen.size = ComboShown(GetDlgItem(dialog, cmb3));
      GetWindowRect(dialog, &seen.rect);
      if (HWND box = GetDlgItem(dialog, IDC_SCOREFONT_BITMAP)) {
        seen.box = true;
        seen.boxChecked = IsDlgButtonChecked(dialog, IDC_SCOREFONT_BITMAP) == BST_CHECKED;
        GetWindowRect(box, &seen.boxRect);
        char text[128] = "";
        GetWindowTextA(box, text, sizeof text);
        seen.boxText = text;
      }
      if (screenshot) {
        EXPECT_TRUE(SaveScreenshot(dialog, OutputFolder() + "\\" + screenshot));
      }
      act(dialog, seen);
      if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(command);
    seen.dialogs = watch.Seen();
    return seen;
  }
  // Picks a face other than the one shown and a size, then OK; the face.
  static std::string ChooseOther(HWND dialog, Seen& seen, const char* size = "12") {
    const std::string face = OtherFace(seen.faces, seen.face);
    EXPECT_TRUE(Pick(dialog, cmb1, face)) << face;
    if (!Pick(dialog, cmb3, size)) {
      const std::vector<std::string> sizes = ComboLines(GetDlgItem(dialog, cmb3));
      if (!sizes.empty()) Pick(dialog, cmb3, sizes.front());
    }
    Click(dialog, IDOK);
    return face;
  }

  AppSettings saved_;
  std::string savedFile_;
  LOGFONTA savedDefault_{};
  HWND savedCurrent_ = nullptr;
  std::map<HWND, LOGFONTA> savedFonts_;
  std::vector<HWND> opened_;
};

std::map<HWND, HFONT> FontHandles(const std::vector<HWND>& windows) {
  std::map<HWND, HFONT> fonts;
  for (HWND w : windows) fonts[w] = ViewWindowFont(w);
  return fonts;
}

// Our own default font in the file: the dialog starts from it; OK writes the
// [Default Font] keys and nothing else, and changes no open window.
TEST_F(FontSetupTest, DefaultFontStartsFromTheFileAndOkWritesOnlyItsKeys) {
  OpenAllTextWindows();
  LOGFONTA own{};
  own.lfHeight = -16;
  own.lfWeight = 700;
  own.lfCharSet = 0;
  std::strcpy(own.lfFaceName, "DejaVu Sans Mono");
  SaveDefaultFont(own);
  SaveSettings();
  const std::string before = InProcessSettings().Contents();
  const auto fonts = FontHandles(TextWindows());
  std::string chosen;
  RECT frame{};
  GetWindowRect(g_app.frame, &frame);
  const Seen seen = Run(kCmdDefaultFont, [&](HWND dialog, Seen& s) { chosen = ChooseOther(dialog, s); },
                        "font_default.bmp");
  ASSERT_EQ(seen.dialogs, 1);
  EXPECT_EQ(seen.face, "DejaVu Sans Mono");
  EXPECT_EQ(seen.size, "12");
  EXPECT_LE(std::abs((seen.rect.left + seen.rect.right) - (frame.left + frame.right)), 2) << "centred on the frame";
  EXPECT_FALSE(seen.box);
  ASSERT_FALSE(chosen.empty());

  const auto changed = ChangedSettings(before, InProcessSettings().Contents());
  ASSERT_FALSE(changed.empty());
  for (const auto& [key, value] : changed) EXPECT_EQ(key.rfind("default font/", 0), 0u) << key;
  EXPECT_EQ(Ini("Default Font", "FaceName"), chosen);
  EXPECT_EQ(Ini("Default Font", "Height"), "-16");
  EXPECT_EQ(FontHandles(TextWindows()), fonts) << "no window changes without Shift";
  LOGFONTA loaded{};
  LoadDefaultFont(&loaded);
  EXPECT_EQ(std::string(loaded.lfFaceName), chosen);
}

TEST_F(FontSetupTest, DefaultFontWithShiftGoesToEveryTextWindow) {
  OpenAllTextWindows();
  const std::vector<HWND> windows = TextWindows();
  ASSERT_GE(windows.size(), 7u);
  std::string chosen;
  {
    ShiftHeld shift;
    Run(kCmdDefaultFont, [&](HWND dialog, Seen& s) {
      shift.Release();
      chosen = ChooseOther(dialog, s, "10");
    });
  }
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(Ini("Default Font", "FaceName"), chosen);
  for (HWND window : windows) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    EXPECT_EQ(FaceOf(window), chosen) << name;
  }
  // The logs' edits show it, the conductor's fields too.
  HWND edit = GetWindow(g_logs.errLog, GW_CHILD);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)), ViewWindowFont(g_logs.errLog));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(ConductorField(1), WM_GETFONT, 0, 0)),
            ViewWindowFont(g_views.conductor));
}

TEST_F(FontSetupTest, FontChangeGoesToTheCurrentStepEditorOnly) {
  OpenAllTextWindows();
  HWND one = Editor(1), two = Editor(2);
  LOGFONTA own{};
  own.lfHeight = -13;
  std::strcpy(own.lfFaceName, "DejaVu Sans Mono");
  ApplyWindowFont(one, own);
  MakeCurrent(one);
  ASSERT_EQ(g_prog.currentStep, one);
  const std::string before = InProcessSettings().Contents();
  const std::string oldFace = FaceOf(one);
  auto fonts = FontHandles(TextWindows());
  std::string chosen;
  const Seen seen = Run(kCmdFontChange, [&](HWND dialog, Seen& s) { chosen = ChooseOther(dialog, s); },
                        "font_window.bmp");
  ASSERT_EQ(seen.dialogs, 1);
  EXPECT_EQ(seen.face, oldFace) << "starts from the editor's own font";
  EXPECT_EQ(seen.size, "10");
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(FaceOf(one), chosen);
  EXPECT_NE(ViewWindowFont(one), fonts[one]);
  EXPECT_EQ(GetObjectType(fonts[one]), 0u) << "the old font was deleted";
  fonts.erase(one);
  auto after = FontHandles(TextWindows());
  after.erase(one);
  EXPECT_EQ(after, fonts);
  EXPECT_NE(FaceOf(two), chosen);
  EXPECT_EQ(InProcessSettings().Contents(), before) << "window fonts reach the file only with the layout";
}

// The editor lays itself out for the new font without losing its maximised
// state in the MDI client.
TEST_F(FontSetupTest, FontChangeKeepsAMaximisedEditorMaximised) {
  HWND one = Editor(1);
  MakeCurrent(one);
  SendMessageA(g_app.mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(one), 0);
  BOOL maximised = FALSE;
  SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised));
  ASSERT_TRUE(maximised);
  // A maximised child puts its system menu and buttons into the frame menu.
  const int menuItems = GetMenuItemCount(GetMenu(g_app.frame));
  std::string chosen;
  Run(kCmdFontChange, [&](HWND dialog, Seen& s) { chosen = ChooseOther(dialog, s); });
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(FaceOf(one), chosen);
  maximised = FALSE;
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0,
                                                reinterpret_cast<LPARAM>(&maximised))),
            one);
  EXPECT_TRUE(maximised);
  EXPECT_TRUE(IsZoomed(one));
  EXPECT_EQ(GetMenuItemCount(GetMenu(g_app.frame)), menuItems);
  SendMessageA(g_app.mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(one), 0);
}

// Without a current step editor there is no font to start from.
TEST_F(FontSetupTest, FontChangeWithoutAStepEditorDoesNothing) {
  OpenAllTextWindows();
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(g_views.conductor), 0);
  g_prog.currentStep = nullptr;
  const auto fonts = FontHandles(TextWindows());
  const std::string before = InProcessSettings().Contents();
  const Seen seen = Run(kCmdFontChange, [&](HWND dialog, Seen&) { EndDialog(dialog, 0); });
  EXPECT_EQ(seen.dialogs, 0);
  EXPECT_EQ(FontHandles(TextWindows()), fonts);
  EXPECT_EQ(InProcessSettings().Contents(), before);
}

TEST_F(FontSetupTest, CancelLeavesTheFileAndTheWindowsAsTheyWere) {
  OpenAllTextWindows();
  MakeCurrent(Editor(1));
  SaveSettings();
  const std::string before = InProcessSettings().Contents();
  const auto fonts = FontHandles(TextWindows());
  const AppSettings settings = g_settings;
  const HFONT scoreFont = g_scoreFont.font;
  for (UINT command : {kCmdDefaultFont, kCmdFontChange, kCmdScoreFont}) {
    SCOPED_TRACE(command);
    const Seen seen = Run(command, [](HWND dialog, Seen& s) {
      Pick(dialog, cmb1, OtherFace(s.faces, s.face));
      if (GetDlgItem(dialog, IDC_SCOREFONT_BITMAP)) Toggle(dialog, IDC_SCOREFONT_BITMAP);
      Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(seen.dialogs, 1);
    EXPECT_EQ(InProcessSettings().Contents(), before);
    EXPECT_EQ(FontHandles(TextWindows()), fonts);
  }
  EXPECT_EQ(g_settings.fumenFontBitmap, settings.fumenFontBitmap);
  EXPECT_EQ(std::memcmp(&g_settings.fumenFont, &settings.fumenFont, sizeof settings.fumenFont), 0);
  EXPECT_EQ(g_scoreFont.font, scoreFont);
}

// The score font dialog is the font dialog with a box 30 pixels below it;
// OK keeps the box and the font for the layout at exit.
TEST_F(FontSetupTest, ScoreFontDialogHasTheBitmapBoxAndOkStoresIt) {
  const Seen plain = Run(kCmdDefaultFont, [](HWND dialog, Seen&) { Click(dialog, IDCANCEL); });
  g_settings.fumenFontBitmap = 1;
  std::memset(&g_settings.fumenFont, 0, sizeof g_settings.fumenFont);
  g_settings.fumenFont.lfHeight = -16;
  std::strcpy(g_settings.fumenFont.lfFaceName, "DejaVu Sans");
  CreateDisplayFont();
  SaveSettings();
  SaveDesktop();
  const std::string before = InProcessSettings().Contents();
  RECT frame{};
  GetWindowRect(g_app.frame, &frame);
  std::string chosen;
  const Seen seen = Run(kCmdScoreFont,
                        [&](HWND dialog, Seen& s) {
                          Toggle(dialog, IDC_SCOREFONT_BITMAP);
                          chosen = "DejaVu Serif";
                          EXPECT_TRUE(Pick(dialog, cmb1, chosen));
                          EXPECT_TRUE(Pick(dialog, cmb3, "18"));
                          Click(dialog, IDOK);
                        },
                        "font_score.bmp");
  ASSERT_EQ(seen.dialogs, 1);
  EXPECT_EQ(seen.face, "DejaVu Sans");
  EXPECT_EQ(seen.size, "12");
  ASSERT_TRUE(seen.box);
  EXPECT_TRUE(seen.boxChecked);
  EXPECT_EQ(seen.boxText, "固定ｻｲｽﾞのﾋﾞｯﾄﾏｯﾌﾟで表示");
  EXPECT_EQ((seen.rect.bottom - seen.rect.top) - (plain.rect.bottom - plain.rect.top), 30);
  EXPECT_EQ(seen.boxRect.bottom - seen.boxRect.top, 20);
  EXPECT_LE(std::abs((seen.rect.left + seen.rect.right) - (frame.left + frame.right)), 2);

  EXPECT_EQ(g_settings.fumenFontBitmap, 0);
  EXPECT_STREQ(g_settings.fumenFont.lfFaceName, "DejaVu Serif");
  EXPECT_EQ(g_settings.fumenFont.lfHeight, -24);
  ASSERT_NE(g_scoreFont.font, nullptr);
  EXPECT_EQ(LogFontOf(g_scoreFont.font).lfHeight, -24);
  EXPECT_EQ(g_scoreFont.metrics.gridStep, 6) << "the row of height -24";
  EXPECT_EQ(InProcessSettings().Contents(), before) << "written with the layout, not at once";
  SaveDesktop();
  EXPECT_EQ(Ini("DeskTop", "FumenFontBitmap"), "0");
  EXPECT_NE(Ini("DeskTop", "FumenFont").find("DejaVu Serif"), std::string::npos);
  EXPECT_EQ(Ini("DeskTop", "FumenFont").rfind("-24,", 0), 0u);
}

// A size outside 8-36 is not offered by the score font dialog.
TEST_F(FontSetupTest, ScoreFontSizesAreLimited) {
  std::vector<std::string> sizes;
  Run(kCmdScoreFont, [&](HWND dialog, Seen&) {
    EXPECT_TRUE(Pick(dialog, cmb1, "DejaVu Sans"));
    sizes = ComboLines(GetDlgItem(dialog, cmb3));
    Click(dialog, IDCANCEL);
  });
  ASSERT_FALSE(sizes.empty());
  for (const std::string& size : sizes) {
    EXPECT_GE(std::atoi(size.c_str()), 8) << size;
    EXPECT_LE(std::atoi(size.c_str()), 36) << size;
  }
}

int CALLBACK CollectFace(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM out) {
  reinterpret_cast<std::set<std::string>*>(out)->insert(lf->lfFaceName);
  return 1;
}
std::set<std::string> SystemFaces() {
  std::set<std::string> names;
  LOGFONTA lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExA(dc, &lf, CollectFace, reinterpret_cast<LPARAM>(&names), 0);
  ReleaseDC(nullptr, dc);
  return names;
}

// Neither dialog offers a vertical face, those the system lists nor those
// that turn up in the list when it is shown again.
TEST_F(FontSetupTest, NoVerticalFaceIsOffered) {
  std::vector<std::string> vertical;
  const std::set<std::string> system = SystemFaces();
  for (const std::string& face : system)
    if (face[0] == '@') vertical.push_back(face);
  for (UINT command : {kCmdDefaultFont, kCmdScoreFont}) {
    SCOPED_TRACE(command);
    std::vector<std::string> after;
    std::string shownBefore, shownAfter;
    const Seen seen = Run(command, [&](HWND dialog, Seen& s) {
      HWND faces = GetDlgItem(dialog, cmb1);
      SendMessageA(faces, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("@DejaVu Sans Mono"));
      SendMessageA(faces, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("@ZZ Vertical"));
      shownBefore = ComboShown(faces);
      SendMessageA(dialog, WM_SHOWWINDOW, TRUE, 0);
      after = ComboLines(faces);
      shownAfter = ComboShown(faces);
      Click(dialog, IDCANCEL);
    });
    ASSERT_EQ(seen.dialogs, 1);
    ASSERT_FALSE(seen.faces.empty());
    EXPECT_FALSE(HasVerticalFace(seen.faces));
    EXPECT_FALSE(HasVerticalFace(after));
    // Each vertical face of the system is gone, its upright twin offered.
    for (const std::string& face : vertical) {
      const std::string upright = face.substr(1);
      const bool offered = std::find(seen.faces.begin(), seen.faces.end(), upright) != seen.faces.end();
      if (command == kCmdScoreFont) {
        EXPECT_TRUE(offered) << upright;
      }
    }
    EXPECT_EQ(after, seen.faces);
    EXPECT_EQ(shownAfter, shownBefore);
  }
}

TEST_F(FontSetupTest, SaveDefaultFontWritesEveryKey) {
  LOGFONTA font{};
  font.lfHeight = -20;
  font.lfWidth = 7;
  font.lfEscapement = 900;
  font.lfOrientation = 450;
  font.lfWeight = 700;
  font.lfItalic = 1;
  font.lfUnderline = 1;
  font.lfStrikeOut = 0;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = 3;
  font.lfClipPrecision = 2;
  font.lfQuality = 1;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  std::strcpy(font.lfFaceName, "ＭＳ ゴシック");
  SaveDefaultFont(font);
  const std::vector<std::pair<const char*, std::string>> want = {
      {"Height", "-20"},   {"Width", "7"},        {"Escapement", "900"},   {"Orientation", "450"},
      {"Weight", "700"},   {"Italic", "1"},       {"Underline", "1"},      {"StrikeOut", "0"},
      {"CharSet", "128"},  {"OutPrecision", "3"}, {"ClipPrecision", "2"}, {"Quality", "1"},
      {"PitchAndFamily", "49"}, {"FaceName", "ＭＳ ゴシック"}};
  for (const auto& [key, value] : want) EXPECT_EQ(Ini("Default Font", key), value) << key;
  LOGFONTA loaded{};
  LoadDefaultFont(&loaded);
  EXPECT_EQ(std::memcmp(&loaded, &font, sizeof font), 0);
}

// A new user: no [Default Font] section, no settings file at all.
TEST_F(FontSetupTest, WithoutADefaultFontSectionTheFontIsMadeFromZeros) {
  DeleteFileA(InProcessSettings().path().c_str());
  g_settings = AppSettings();
  HFONT font = CreateDefaultFont();
  ASSERT_NE(font, nullptr);
  EXPECT_NE(font, GetStockObject(SYSTEM_FIXED_FONT));
  const LOGFONTA made = LogFontOf(font);
  const LOGFONTA zero{};
  EXPECT_EQ(std::memcmp(&made, &zero, sizeof zero), 0);
  DeleteOwnedFont(font);

  const Seen score = Run(kCmdScoreFont, [](HWND dialog, Seen&) { Click(dialog, IDCANCEL); });
  ASSERT_EQ(score.dialogs, 1);
  EXPECT_TRUE(score.boxChecked) << "FumenFontBitmap is on by default";
  CreateDisplayFont();
  EXPECT_EQ(g_scoreFont.font, nullptr) << "the bitmap glyphs";
  EXPECT_EQ(g_scoreFont.metrics.gridStep, 6);
  // The default font dialog of a new user writes the section at OK.
  std::string chosen;
  Run(kCmdDefaultFont, [&](HWND dialog, Seen& s) { chosen = ChooseOther(dialog, s); });
  ASSERT_FALSE(chosen.empty());
  const auto entries = SettingsEntries(InProcessSettings().Contents());
  for (const auto& [key, value] : entries) EXPECT_EQ(key.rfind("default font/", 0), 0u) << key;
  EXPECT_EQ(entries.size(), 14u);
}

}  // namespace
