// Point edit (2356) and the jump dialog (2216) in the program running in the
// test process: a stop that opens a track's step editor where its play had
// got to, and a jump to a typed position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "boundengine.h"
#include "errlog.h"
#include "inprocess.h"
#include "pointedit.h"
#include "programstate.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "testsongs.h"
#include "testsupport.h"
#include "windownav.h"
#include "zk/playdata.h"

namespace {

using Events = std::vector<StepEvent>;

constexpr int kMeasures = 4;
constexpr int kNotesPerMeasure = 8;
constexpr int kLinesPerMeasure = kNotesPerMeasure + 1;  // and the measure end

// Four measures of eighth notes, each closed by a measure end.
Events Eighths() {
  Events events;
  for (int m = 0; m < kMeasures; ++m) {
    for (int i = 0; i < kNotesPerMeasure; ++i) events.push_back(E(static_cast<uint8_t>(60 + i), 100, 240, 120));
    events.push_back(E(0xFD));
  }
  events.push_back(EndEvent());
  return events;
}

// The line of (measure, step) in Eighths(), both from 1.
int LineOf(int measure, int step) { return (measure - 1) * kLinesPerMeasure + step - 1; }

HWND ActiveChild() { return reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDIGETACTIVE, 0, 0)); }

void CloseEditors() {
  for (int n = 1; n <= g_song.trackCount; ++n)
    if (HWND e = StepEditorOfTrack(n)) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(e), 0);
}

std::string ItemText(HWND dialog, int id) {
  char text[32] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void Key(HWND dialog, int id, WPARAM key, int times = 1) {
  for (int i = 0; i < times; ++i) SendMessageA(GetDlgItem(dialog, id), WM_KEYDOWN, key, 0);
}

class PointEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    ASSERT_GE(g_song.trackCount, 3);
    HGLOBAL h = SongEntry(kHeaderEntry);
    auto* header = static_cast<SongHeader*>(GlobalLock(h));
    saved_header_ = *header;
    header->timeBase = 480;
    header->tempo = 240;
    header->beatNum = 4;
    header->beatDen = 4;
    GlobalUnlock(h);
    for (int n = 1; n <= 3; ++n) ReplaceTrackEvents(n, Eighths());
    if (g_prog.playTrackData)
      for (int n = 0; n < 3; ++n) g_prog.playTrackData[n] = PlayMonRecord{};
  }
  void TearDown() override {
    engine_.Release();
    CloseEditors();
    if (g_logs.errLog) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_logs.errLog), 0);
    for (int n = 1; n <= 3; ++n) ReplaceTrackEvents(n, {EndEvent()});
    HGLOBAL h = SongEntry(kHeaderEntry);
    *static_cast<SongHeader*>(GlobalLock(h)) = saved_header_;
    GlobalUnlock(h);
    ClearSongModified();
  }
  // Makes the error log the current child: no track window.
  void FromTheErrorLog() {
    ShowErrLog();
    ASSERT_NE(g_logs.errLog, nullptr);
    SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(g_logs.errLog), 0);
    ASSERT_EQ(g_prog.currentStep, g_logs.errLog);
  }
  // Dialog 615 answered with the given text (OK) or cancelled; returns the
  // number the dialog started from.
  std::string AnswerPointEdit(const char* text) {
    std::string shown;
    {
      DialogWatch watch([&](HWND dialog) {
        shown = ItemText(dialog, IDC_FIELD_TRACK);
        if (text) {
          SetDlgItemTextA(dialog, IDC_FIELD_TRACK, text);
          SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        } else {
          SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
      });
      Command(IDM_PLAY_POINTEDIT);
      EXPECT_TRUE(watch.Seen());
    }
    return shown;
  }
  std::vector<HWND> Editors() {
    std::vector<HWND> out;
    for (int n = 1; n <= g_song.trackCount; ++n) out.push_back(StepEditorOfTrack(n));
    return out;
  }
  BoundEngine engine_;
  SongHeader saved_header_{};
};

// 2356 itself, and Shift+Home (12), which during a play is the shared Clear
// key.
class PointEditDuringPlayTest : public PointEditTest, public ::testing::WithParamInterface<UINT> {};

TEST_P(PointEditDuringPlayTest, ItStopsAndOpensTheCurrentTrackWhereItHadGot) {
  ASSERT_TRUE(engine_.Bind("zkpoly.dll"));
  ASSERT_EQ(OpenTrackEditorFromLog(nullptr, 2, 0), 1);
  HWND editor = StepEditorOfTrack(2);
  ASSERT_EQ(g_prog.currentStep, editor);
  Command(IDM_PLAY_START);
  ASSERT_TRUE(engine_.Playing());
  ASSERT_TRUE(RunLoopUntil([] { return g_prog.playTrackData[1].measure >= 1; }, 5000));
  Command(GetParam());
  EXPECT_FALSE(engine_.Playing());
  const PlayMonRecord& record = g_prog.playTrackData[1];
  const StepEditorData* ed = GetStepEditorData(editor);
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ActiveChild(), editor);
  EXPECT_EQ(ed->topLine, LineOf(record.measure + 1, record.stepInMeasure))
      << record.measure << " " << record.stepInMeasure;
  EXPECT_GE(ed->topLine, kLinesPerMeasure);
  EXPECT_EQ(ed->playEvent, 0) << "the play cursors are reset";
}

INSTANTIATE_TEST_SUITE_P(Commands, PointEditDuringPlayTest, ::testing::Values(IDM_PLAY_POINTEDIT, 12u));

TEST_F(PointEditTest, DuringAPlayTheLogsTakeTheSharedKeys) {
  ASSERT_TRUE(engine_.Bind("zkpoly.dll"));
  ShowErrLog();
  Command(IDM_PLAY_START);
  ASSERT_TRUE(engine_.Playing());
  ASSERT_TRUE(RunLoopUntil([] { return g_prog.playTrackData[0].measure >= 1; }, 5000));
  // A digit shows that track where it plays, and the play goes on.
  SendMessageA(g_logs.errLog, WM_KEYDOWN, '3', 0);
  HWND editor = StepEditorOfTrack(3);
  ASSERT_NE(editor, nullptr);
  EXPECT_GE(GetStepEditorData(editor)->topLine, kLinesPerMeasure);
  EXPECT_TRUE(engine_.Playing());
  SendMessageA(g_logs.errLog, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(engine_.Playing());
}

TEST_F(PointEditTest, FromAnotherWindowTheDialogAsksForTheTrack) {
  g_prog.playTrackData[2].measure = 2;
  g_prog.playTrackData[2].stepInMeasure = 4;
  FromTheErrorLog();
  AnswerPointEdit("3");
  EXPECT_EQ(PointEditLastTrack(), 3u);
  HWND editor = StepEditorOfTrack(3);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(GetStepEditorData(editor)->topLine, LineOf(3, 4));
  SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(editor), 0);

  FromTheErrorLog();
  EXPECT_EQ(AnswerPointEdit(nullptr), "3") << "it starts from the last number given";
  EXPECT_EQ(StepEditorOfTrack(3), nullptr);
}

TEST_F(PointEditTest, ZeroOrATrackBeyondTheSongOpensNothing) {
  const std::vector<HWND> before = Editors();
  for (const std::string& answer : {std::string("0"), std::to_string(g_song.trackCount + 1)}) {
    FromTheErrorLog();
    AnswerPointEdit(answer.c_str());
    EXPECT_EQ(Editors(), before) << answer;
  }
}

TEST_F(PointEditTest, TheDialogsSpinStaysWithinTheSongsTracks) {
  FromTheErrorLog();
  std::string top, bottom;
  {
    DialogWatch watch([&](HWND dialog) {
      SetDlgItemTextA(dialog, IDC_FIELD_TRACK, "1");
      Key(dialog, IDC_FIELD_TRACK, 0x911, g_song.trackCount + 5);
      top = ItemText(dialog, IDC_FIELD_TRACK);
      Key(dialog, IDC_FIELD_TRACK, 0x912, g_song.trackCount + 5);
      bottom = ItemText(dialog, IDC_FIELD_TRACK);
      SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_PLAY_POINTEDIT);
  }
  EXPECT_EQ(top, std::to_string(g_song.trackCount));
  EXPECT_EQ(bottom, "1");
}

TEST_F(PointEditTest, TheJumpDialogOpensTheTrackAtTheTypedPosition) {
  struct Seen {
    bool fields = false;
    bool trackFocused = false;
    std::string trackTop, measureTop, stepBottom;
  } seen;
  {
    DialogWatch watch([&](HWND dialog) {
      seen.fields = GetDlgItem(dialog, IDC_FIELD_TRACK) && GetDlgItem(dialog, IDC_FIELD_MEASURE) &&
                    GetDlgItem(dialog, IDC_FIELD_STEP) && GetDlgItem(dialog, IDC_SPIN_TRACK) &&
                    GetDlgItem(dialog, IDC_SPIN_MEASURE) && GetDlgItem(dialog, IDC_SPIN_STEP);
      seen.trackFocused = GetFocus() == GetDlgItem(dialog, IDC_FIELD_TRACK);
      Key(dialog, IDC_FIELD_TRACK, 0x911, g_song.trackCount + 5);
      seen.trackTop = ItemText(dialog, IDC_FIELD_TRACK);
      SetDlgItemTextA(dialog, IDC_FIELD_MEASURE, "9998");
      Key(dialog, IDC_FIELD_MEASURE, 0x911, 3);
      seen.measureTop = ItemText(dialog, IDC_FIELD_MEASURE);
      SetDlgItemTextA(dialog, IDC_FIELD_STEP, "2");
      Key(dialog, IDC_FIELD_STEP, VK_PRIOR, 4);  // Page Up lowers
      seen.stepBottom = ItemText(dialog, IDC_FIELD_STEP);
      SetDlgItemTextA(dialog, IDC_FIELD_TRACK, "2");
      SetDlgItemTextA(dialog, IDC_FIELD_MEASURE, "3");
      SetDlgItemTextA(dialog, IDC_FIELD_STEP, "5");
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_JUMP);
    EXPECT_TRUE(watch.Seen());
  }
  EXPECT_TRUE(seen.fields);
  EXPECT_TRUE(seen.trackFocused) << "started from the frame, it asks for the track first";
  EXPECT_EQ(seen.trackTop, std::to_string(g_song.trackCount));
  EXPECT_EQ(seen.measureTop, "9999");
  EXPECT_EQ(seen.stepBottom, "1");
  HWND editor = StepEditorOfTrack(2);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(ActiveChild(), editor);
  EXPECT_EQ(GetStepEditorData(editor)->topLine, LineOf(3, 5));
}

TEST_F(PointEditTest, AJumpBeyondTheSongsTracksGoesToTheLastTrack) {
  {
    DialogWatch watch([](HWND dialog) {
      SetDlgItemTextA(dialog, IDC_FIELD_TRACK, "999");
      SetDlgItemTextA(dialog, IDC_FIELD_MEASURE, "1");
      SetDlgItemTextA(dialog, IDC_FIELD_STEP, "1");
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_JUMP);
  }
  EXPECT_NE(StepEditorOfTrack(g_song.trackCount), nullptr);
  const std::vector<HWND> before = Editors();
  {
    DialogWatch watch([](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    Command(IDM_JUMP);
  }
  EXPECT_EQ(Editors(), before) << "cancel opens nothing";
}

}  // namespace
