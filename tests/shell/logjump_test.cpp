// Jumps from the error log's lines into the step editors, in the program
// running in the test process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "engine.h"
#include "errlog.h"
#include "inifile.h"
#include "inprocess.h"
#include "programstate.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "testsupport.h"
#include "toolpalette.h"

namespace {

class LogJumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    std::vector<StepEvent> events;
    for (int i = 0; i < 40; ++i) events.push_back({static_cast<uint8_t>(40 + i), 100, 48, 20});
    events.push_back(EndEvent());
    ReplaceTrackEvents(2, events);
    ClearErrLog();
    for (const char* line : {"(   30)Tr: 2, Meas:  1, Step: 31...x | \r\n", "no numbers here\r\n",
                             "(    5)Tr:99, Meas:  1, Step:  6...x | \r\n"})
      ASSERT_TRUE(AppendErrLogLine(line));
  }
  void TearDown() override {
    CloseEditor();
    ReplaceTrackEvents(2, {EndEvent()});
    ClearErrLog();
  }
  static void CloseEditor() {
    if (HWND e = StepEditorOfTrack(2)) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(e), 0);
  }
  static void CaretToLine(int line) {
    HWND edit = GetDlgItem(g_logs.errLog, 1);
    const LRESULT at = SendMessageA(edit, EM_LINEINDEX, line, 0);
    SendMessageA(edit, EM_SETSEL, at, at);
  }
};

TEST_F(LogJumpTest, TheCaretsLineOpensItsTracksEditorWithTheEventOnTop) {
  CaretToLine(0);
  Command(6111);
  HWND editor = StepEditorOfTrack(2);
  ASSERT_NE(editor, nullptr);
  const StepEditorData* ed = GetStepEditorData(editor);
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->topLine, 30);
  EXPECT_EQ(ed->caretRow, 1);
  EXPECT_EQ(ed->caretColumn, 11);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0)), editor);
}

TEST_F(LogJumpTest, LinesWithoutNumbersOrWithATrackBeyondTheSongJumpNowhere) {
  std::vector<HWND> before;
  for (int n = 1; n <= g_song.trackCount; ++n) before.push_back(StepEditorOfTrack(n));
  const HWND active = reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0));
  for (int line : {1, 2, 7}) {
    CaretToLine(line);
    Command(6111);
    for (int n = 1; n <= g_song.trackCount; ++n) EXPECT_EQ(StepEditorOfTrack(n), before[n - 1]) << line << " " << n;
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0)), active) << line;
  }
}

}  // namespace

namespace {

TEST_F(LogJumpTest, SearchHitsCollectThenShowAndJump) {
  SearchLogText(0);
  ASSERT_EQ(AddSearchLogEntry(2, 1, 3, 2), 1);
  SearchLogText(1);
  ASSERT_NE(g_logs.searchLog, nullptr);
  EXPECT_EQ(SearchLogWindowText(), "(    2)Tr: 2, Meas:  1, Step:  3 | F#2  42   48   20 100 \r\n");
  HWND edit = GetDlgItem(g_logs.searchLog, 1);
  SendMessageA(edit, EM_SETSEL, 0, 0);
  Command(6116);
  const StepEditorData* ed = GetStepEditorData(StepEditorOfTrack(2));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->topLine, 2);
  Command(6115);
  EXPECT_EQ(SearchLogWindowText(), "");
}

TEST_F(LogJumpTest, AFullSearchBlockRefusesMoreHits) {
  SearchLogText(0);
  const size_t lineLength = FormatSearchLogEntry(2, 1, 1, 0).size();
  int added = 0;
  while (AddSearchLogEntry(2, 1, 1, 0) == 1) ASSERT_LT(++added, 10000);
  EXPECT_EQ(added, static_cast<int>((24000 + lineLength - 1) / lineLength));
  SearchLogText(1);
  EXPECT_EQ(SearchLogWindowText().size(), added * lineLength);
  ClearSearchLog();
}

}  // namespace

namespace {

std::string FaceOf(HFONT font) {
  LOGFONTA lf{};
  GetObjectA(font, sizeof lf, &lf);
  return lf.lfFaceName;
}

int ChildrenOfClass(const char* className) {
  int count = 0;
  for (HWND w = GetWindow(g_app.mdiClient, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    char name[32] = {};
    GetClassNameA(w, name, sizeof name);
    count += lstrcmpA(name, className) == 0;
  }
  return count;
}

bool MenuHas(UINT id) { return GetMenuState(GetMenu(g_app.frame), id, MF_BYCOMMAND) != 0xFFFFFFFF; }

POINT LinePoint(HWND edit, int line) {
  const LRESULT at = SendMessageA(edit, EM_POSFROMCHAR, SendMessageA(edit, EM_LINEINDEX, line, 0), 0);
  return {static_cast<short>(LOWORD(at)) + 2, static_cast<short>(HIWORD(at)) + 2};
}

int WINAPI AlwaysPlaying() { return 1; }

TEST_F(LogJumpTest, AClickSelectsItsLineAndADoubleClickJumpsFromIt) {
  HWND edit = GetDlgItem(g_logs.errLog, 1);
  const POINT p = LinePoint(edit, 0);
  SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  DWORD from = 0, to = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, static_cast<DWORD>(SendMessageA(edit, EM_LINELENGTH, 0, 0)));
  SendMessageA(edit, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  const StepEditorData* ed = GetStepEditorData(StepEditorOfTrack(2));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->topLine, 30);
}

TEST_F(LogJumpTest, ADoubleClickBelowTheTextUsesTheLineTheEditReports) {
  HWND edit = GetDlgItem(g_logs.errLog, 1);
  SetWindowTextA(edit, "no numbers\r\n(   17)Tr: 2, Meas:  1, Step: 18...x | ");
  RECT client;
  GetClientRect(edit, &client);
  ASSERT_GT(client.bottom, 60);
  SendMessageA(edit, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, client.bottom - 4));
  const StepEditorData* ed = GetStepEditorData(StepEditorOfTrack(2));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->topLine, 17);
}

TEST_F(LogJumpTest, ClearAndJumpDoNothingWhileASongPlays) {
  const std::string text = ErrLogText();
  CaretToLine(0);
  const EngineEntries saved = g_engine;
  g_engine.checkPlaying = AlwaysPlaying;
  Command(6111);
  Command(6110);
  g_engine = saved;
  EXPECT_EQ(StepEditorOfTrack(2), nullptr);
  EXPECT_EQ(ErrLogText(), text);
}

TEST_F(LogJumpTest, ActivatingALogPutsItsMenuOnTheFrame) {
  SearchLogText(0);
  SearchLogText(1);
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(g_logs.errLog), 0);
  EXPECT_TRUE(MenuHas(6110));
  EXPECT_TRUE(MenuHas(6111));
  EXPECT_FALSE(MenuHas(6116));
  for (int button = 2; button <= 5; ++button) EXPECT_EQ(ToolButtonState(button), 1) << button;
  EXPECT_EQ(g_prog.currentStep, g_logs.errLog);
  SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(g_logs.searchLog), 0);
  EXPECT_TRUE(MenuHas(6115));
  EXPECT_TRUE(MenuHas(6116));
  EXPECT_FALSE(MenuHas(6111));
  EXPECT_NE(g_prog.currentStep, g_logs.errLog);
  for (int button = 2; button <= 5; ++button) SetToolButtonState(button, 0);
}

TEST_F(LogJumpTest, OpeningAnOpenLogOnlyRaisesIt) {
  HWND log = g_logs.errLog;
  ASSERT_NE(log, nullptr);
  ShowErrLog();
  EXPECT_EQ(g_logs.errLog, log);
  EXPECT_EQ(ChildrenOfClass("ErrLog"), 1);
}

TEST_F(LogJumpTest, WithoutAnEngineADigitKeyShowsThatTrack) {
  ASSERT_EQ(g_engine.library, nullptr);
  SendMessageA(g_logs.errLog, WM_KEYDOWN, '2', 0);
  EXPECT_NE(StepEditorOfTrack(2), nullptr);
  CloseEditor();
  // With an engine bound and nothing playing the key is the log's own.
  g_engine.library = GetModuleHandleA(nullptr);
  SendMessageA(g_logs.errLog, WM_KEYDOWN, '2', 0);
  g_engine.library = nullptr;
  EXPECT_EQ(StepEditorOfTrack(2), nullptr);
}

TEST_F(LogJumpTest, TheLogsFontComesFromItsSettingElseTheSystemFixedFont) {
  HWND edit = GetDlgItem(g_logs.errLog, 1);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0)), GetStockObject(SYSTEM_FIXED_FONT));
  SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_logs.errLog), 0);
  ASSERT_EQ(g_logs.errLog, nullptr);
  IniWriteString("DeskTop", "ErrLogFont", "-13,0,0,0,400,0,0,0,128,0,0,0,0,Tahoma");
  ShowErrLog();
  IniWriteString("DeskTop", "ErrLogFont", "");
  ASSERT_NE(g_logs.errLog, nullptr);
  edit = GetDlgItem(g_logs.errLog, 1);
  EXPECT_EQ(FaceOf(reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0))), "Tahoma");
}

}  // namespace
