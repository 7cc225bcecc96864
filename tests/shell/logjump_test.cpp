// Jumps from the error log's lines into the step editors, in the program
// running in the test process.
#include <gtest/gtest.h>

#include <vector>

#include "appglobals.h"
#include "errlog.h"
#include "inprocess.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "testsupport.h"

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
