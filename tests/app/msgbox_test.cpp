#include <gtest/gtest.h>

#include <string>

#include "appglobals.h"
#include "msgbox.h"
#include "plugins.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepservices.h"
#include "testsupport.h"

namespace {

TEST(MessageBoxes, FormatsTheOneArgumentUnderTheProgramTitle) {
  MessageBoxRecorder boxes;
  boxes.answers = {IDYES, IDNO};
  EXPECT_EQ(IDYES, ShowMessageById(nullptr, MB_YESNO | MB_ICONQUESTION, IDS_TRACK_MIX_CONFIRM, "12"));
  EXPECT_EQ(IDNO, ShowMessageById(nullptr, MB_OK | MB_ICONSTOP, IDS_CANNOT_WRITE, "C:\\a.G36"));
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(IDS_TRACK_MIX_CONFIRM, boxes.boxes[0].stringId);
  EXPECT_EQ("12トラックの内容が破壊されますがよろしいですか?", boxes.boxes[0].text);
  EXPECT_EQ("Cantorelle for Windows95", boxes.boxes[0].caption);
  EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), boxes.boxes[0].style);
  EXPECT_EQ("ファイル 'C:\\a.G36' には書き込めません。", boxes.boxes[1].text);
  EXPECT_EQ(UINT(MB_OK | MB_ICONSTOP), boxes.boxes[1].style);
}

TEST(MessageBoxes, LongArgumentIsShownWhole) {
  MessageBoxRecorder boxes;
  std::string name = "C:\\" + std::string(250, 'x') + ".G36";
  ShowMessageById(nullptr, MB_OK, IDS_CANNOT_WRITE, name.c_str());
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_NE(std::string::npos, boxes.boxes[0].text.find(name));
}

int g_modalSeen = -1;
int ModalProbe(const MessageBoxCall&) {
  g_modalSeen = g_app.modalFlag;
  return IDOK;
}

TEST(MessageBoxes, ModalFlagIsSetOnlyWhileTheBoxIsOpen) {
  SetMessageBoxHook(ModalProbe);
  ShowMessageById(nullptr, MB_OK, IDS_TRACK_FULL);
  SetMessageBoxHook(nullptr);
  EXPECT_EQ(1, g_modalSeen);
  EXPECT_EQ(0, g_app.modalFlag);
}

// The question asked before the open song is dropped.
class QuerySaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ini.Write("[OTHER]\norgTrack=4\n");
    ASSERT_TRUE(NewSong(frame.hwnd()));
    std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s", dir.File("song.G36").c_str());
    // A song with a name of its own: Yes saves it there.
    g_song.untitled = 0;
    g_song.saveType = 0;
  }
  void TearDown() override {
    for (ControllerPlugin& p : g_plugins) p = ControllerPlugin{};
  }
  TempSettingsFile ini;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
};

TEST_F(QuerySaveTest, NothingModifiedGoesOnWithoutABox) {
  EXPECT_EQ(1, QuerySaveAll(IDS_QUERY_SAVE_EXIT));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(QuerySaveTest, Answers) {
  struct Case {
    int answer;
    int result;
    bool saved;
  } cases[] = {{IDCANCEL, 0, false}, {IDNO, 1, false}, {IDYES, 1, true}};
  for (const Case& c : cases) {
    DeleteFileA(g_song.fileName);
    SetSongModified();
    boxes.boxes.clear();
    boxes.answers = {c.answer};
    EXPECT_EQ(c.result, QuerySaveAll(IDS_QUERY_SAVE_REPLACE)) << c.answer;
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(UINT(MB_YESNOCANCEL | MB_ICONQUESTION), boxes.boxes[0].style);
    EXPECT_EQ("'" + std::string(g_song.fileName) + "' は変更されていますが、ファイルとして保存しますか?",
              boxes.boxes[0].text);
    EXPECT_EQ(c.saved, FileExists(g_song.fileName)) << c.answer;
  }
}

TEST_F(QuerySaveTest, FailedSaveStopsTheCaller) {
  std::snprintf(g_song.fileName, sizeof g_song.fileName, "%s",
                dir.File("missing\\song.G36").c_str());
  SetSongModified();
  boxes.answers = {IDYES};
  EXPECT_EQ(0, QuerySaveAll(IDS_QUERY_SAVE_EXIT));
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_CANNOT_CREATE), boxes.boxes[1].stringId);
}

int g_hookCalls = 0;
int WINAPI AllowClose(uint16_t, UINT) { ++g_hookCalls; return 1; }
int WINAPI RefuseClose(uint16_t id, UINT stringId) {
  ++g_hookCalls;
  return id == 9 && stringId == IDS_QUERY_SAVE_EXIT ? 0 : 1;
}

TEST_F(QuerySaveTest, PluginCloseHooks) {
  g_plugins[0] = ControllerPlugin{};
  g_plugins[0].id = 5;
  g_plugins[0].closeHook = AllowClose;
  g_plugins[2].id = 9;
  g_plugins[2].closeHook = RefuseClose;
  g_plugins[4].id = 0;   // unregistered: never called
  g_plugins[4].closeHook = AllowClose;
  g_hookCalls = 0;
  EXPECT_EQ(0, QuerySaveAll(IDS_QUERY_SAVE_EXIT));
  EXPECT_EQ(2, g_hookCalls);

  // With a modified track the hooks are not asked.
  g_hookCalls = 0;
  SetSongModified();
  boxes.answers = {IDNO};
  EXPECT_EQ(1, QuerySaveAll(IDS_QUERY_SAVE_EXIT));
  EXPECT_EQ(0, g_hookCalls);
}

}  // namespace
