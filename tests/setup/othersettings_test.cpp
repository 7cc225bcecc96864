// The key (2183), drag-and-drop (2189), start-up (2191) and other settings
// (2188) of the program running in the test process, with the auto-save,
// f-key ST/GT and rhythm K# dialogs they open, driven as a user drives them
// over a settings file of our own values: what they show, which keys OK
// changes in the file, that Cancel leaves it as it was, and what a new user
// sees.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "appglobals.h"
#include "filedialogs.h"
#include "inprocess.h"
#include "placements.h"
#include "resource.h"
#include "rhythm.h"
#include "settings.h"
#include "settingsdiff.h"
#include "songmodel.h"
#include "stepwnd.h"
#include "testsupport.h"

namespace {

constexpr UINT kCmdKeys = 2183;
constexpr UINT kCmdOther = 2188;
constexpr UINT kCmdDragDrop = 2189;
constexpr UINT kCmdStartUp = 2191;

bool IsKeys(HWND d) { return GetDlgItem(d, IDC_KEYSET_FKEYSTGT) != nullptr; }
bool IsFKeys(HWND d) { return GetDlgItem(d, IDC_FKEYSTGT_ST) != nullptr; }
bool IsDragDrop(HWND d) { return GetDlgItem(d, IDC_DRAGDROP_FIRST) != nullptr; }
bool IsStartUp(HWND d) { return GetDlgItem(d, IDC_STARTUP_THRU_ON) != nullptr; }
bool IsOther(HWND d) { return GetDlgItem(d, IDC_OTHERSET_TIMEBASE) != nullptr; }
bool IsAutoSave(HWND d) { return GetDlgItem(d, IDC_AUTOSAVE_ON) != nullptr; }
bool IsRhythm(HWND d) { return GetDlgItem(d, IDC_RHYASSIGN_SCROLL) != nullptr; }

void Click(HWND d, int id) {
  SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
}
bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }
void Check(HWND d, int id, bool on) { CheckDlgButton(d, id, on ? BST_CHECKED : BST_UNCHECKED); }
// As a click on a radio: it alone of its row is checked.
void Choose(HWND d, int first, int last, int id) { CheckRadioButton(d, first, last, id); }
std::string Text(HWND d, int id) {
  char text[300] = {};
  GetDlgItemTextA(d, id, text, sizeof text);
  return text;
}
void Type(HWND d, int id, const char* text) { SetDlgItemTextA(d, id, text); }
// The radio of a row that is checked; 0 for none.
int CheckedOf(HWND d, int first, int last) {
  for (int id = first; id <= last; ++id)
    if (Checked(d, id)) return id;
  return 0;
}

void Shoot(HWND d, const char* name) {
  RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  // The screen shows what was painted only once the loop has run a while.
  for (int i = 0; i < 25; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(20);
  }
  ScreenshotToOutput(d, name);
}

// A click on a spin button: up gives a negative delta.
void Spin(HWND d, int spinId, bool up) {
  NMUPDOWN nm = {};
  nm.hdr.hwndFrom = GetDlgItem(d, spinId);
  nm.hdr.idFrom = spinId;
  nm.hdr.code = UDN_DELTAPOS;
  nm.iDelta = up ? -1 : 1;
  SendMessageA(d, WM_NOTIFY, spinId, reinterpret_cast<LPARAM>(&nm));
}

bool AcceptsFiles(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

SongHeader* LockHeader() { return static_cast<SongHeader*>(GlobalLock(SongEntry(kHeaderEntry))); }
void UnlockHeader() { GlobalUnlock(SongEntry(kHeaderEntry)); }

class OtherSettingsDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { started_ = StartInProcessShell(); }
  void SetUp() override {
    ASSERT_TRUE(started_);
    fileAtStart_ = InProcessSettings().Contents();
    saved_ = g_settings;
    std::memcpy(savedRhythm_, g_rhythmTable, sizeof savedRhythm_);
    SongHeader* header = LockHeader();
    ASSERT_NE(header, nullptr);
    savedHeader_ = *header;
    UnlockHeader();
    // Our own values, none of them the default.
    g_settings.escRet = 1;
    g_settings.homeHelp = 1;
    g_settings.fkeyRest = 1;
    g_settings.shiftUpDown = 2;
    g_settings.reversUpDown = 1;
    g_settings.dragDropEdit = 2;
    g_settings.midiThru = 2;
    g_settings.midiRecPort = 1;
    g_settings.editMode = 4;
    g_settings.activeWindow = 5;
    g_settings.timeBase = 240;
    g_settings.maxTrack = 36;
    g_settings.orgTrack = 20;
    g_settings.makeBackup = 0;
    g_settings.midiInVelocity = 1;
    g_settings.midiInSkipEvent = 0;
    g_settings.autoRecConvert = 0;
    g_settings.songLoadAfter = 2 | 8;
    g_settings.loadOnTbCvt = 1;
    g_settings.playMonitor = 0;
    g_settings.trackMonitor = 0;
    g_settings.memory = 0;
    g_settings.pianoPallet = 0;
    g_settings.autoSave = 3;
    g_settings.saveInterval = 600000;
    g_settings.saveMax = 7;
    std::strcpy(g_settings.tmpPath, "C:\\zkdir\\zkfw32.exe");
    g_settings.fkeyStep[0] = 1000;
    g_settings.fkeyGate[9] = 40;
    SaveSettings();
    ours_ = InProcessSettings().Contents();
  }
  void TearDown() override {
    for (int n = 1; n <= g_song.trackCount; ++n)
      if (HWND editor = StepEditorOfTrack(n)) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(editor), 0);
    if (SongHeader* header = LockHeader()) {
      *header = savedHeader_;
      UnlockHeader();
    }
    std::memcpy(g_rhythmTable, savedRhythm_, sizeof savedRhythm_);
    g_settings = saved_;
    InProcessSettings().Write(fileAtStart_);
    ClearSongModified();
  }

  // The command; act gets each dialog it opens and must end it.
  int Run(UINT command, std::function<void(HWND)> act) {
    DialogWatch watch(std::move(act));
    Command(command);
    return watch.Seen();
  }
  std::map<std::string, std::string> Changed() const {
    return ChangedSettings(ours_, InProcessSettings().Contents());
  }
  bool FileIsOurs() const { return InProcessSettings().Contents() == ours_; }

  AppSettings saved_;
  RhythmEntry savedRhythm_[kRhythmEntries];
  SongHeader savedHeader_;
  std::string fileAtStart_;
  std::string ours_;
  static bool started_;
};
bool OtherSettingsDialogTest::started_ = false;

TEST_F(OtherSettingsDialogTest, KeySettingsShowOursAndOkWritesTheKeySection) {
  bool seen = false;
  Run(kCmdKeys, [&](HWND d) {
    ASSERT_TRUE(IsKeys(d));
    seen = true;
    char caption[64] = {};
    GetWindowTextA(d, caption, sizeof caption);
    EXPECT_STREQ(caption, "キー操作の設定");
    EXPECT_TRUE(Checked(d, IDC_KEYSET_ESCRET));
    EXPECT_FALSE(Checked(d, IDC_KEYSET_F1F10));
    EXPECT_TRUE(Checked(d, IDC_KEYSET_HOMEHELP));
    EXPECT_FALSE(Checked(d, IDC_KEYSET_CTRLCV));
    EXPECT_FALSE(Checked(d, IDC_KEYSET_ICARET));
    EXPECT_TRUE(Checked(d, IDC_KEYSET_FKEYREST));
    EXPECT_EQ(CheckedOf(d, IDC_KEYSET_SHIFTUPDOWN, IDC_KEYSET_SHIFTUPDOWN + 2), IDC_KEYSET_SHIFTUPDOWN + 2);
    EXPECT_EQ(CheckedOf(d, IDC_KEYSET_REVERSE, IDC_KEYSET_REVERSE + 1), IDC_KEYSET_REVERSE + 1);
    Shoot(d, "othersettings-1000");
    Check(d, IDC_KEYSET_ESCRET, false);
    Check(d, IDC_KEYSET_CTRLCV, true);
    Choose(d, IDC_KEYSET_SHIFTUPDOWN, IDC_KEYSET_SHIFTUPDOWN + 2, IDC_KEYSET_SHIFTUPDOWN + 1);
    Choose(d, IDC_KEYSET_REVERSE, IDC_KEYSET_REVERSE + 1, IDC_KEYSET_REVERSE);
    Click(d, IDOK);
  });
  EXPECT_TRUE(seen);
  const std::map<std::string, std::string> want = {
      {"key/ESCRET", "0"}, {"key/CTRLCV", "1"}, {"key/SHIFTUPDOWN", "1"}, {"key/REVERSUPDOWN", "0"}};
  EXPECT_EQ(Changed(), want);
}

TEST_F(OtherSettingsDialogTest, KeySettingsShowTheFirstRadioForAValueOfNone) {
  g_settings.shiftUpDown = 5;
  g_settings.reversUpDown = -1;
  Run(kCmdKeys, [&](HWND d) {
    EXPECT_EQ(CheckedOf(d, IDC_KEYSET_SHIFTUPDOWN, IDC_KEYSET_SHIFTUPDOWN + 2), IDC_KEYSET_SHIFTUPDOWN);
    EXPECT_EQ(CheckedOf(d, IDC_KEYSET_REVERSE, IDC_KEYSET_REVERSE + 1), IDC_KEYSET_REVERSE);
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(g_settings.shiftUpDown, 5);
}

// Every dialog, its controls changed and then cancelled: nothing in the
// file changes, nor in memory (saving again gives the same file).
TEST_F(OtherSettingsDialogTest, CancelLeavesTheFileByteIdentical) {
  struct Case {
    UINT command;
    std::function<void(HWND)> change;
  };
  const Case cases[] = {
      {kCmdKeys, [](HWND d) { Check(d, IDC_KEYSET_F1F10, true); Choose(d, 1027, 1029, 1027); }},
      {kCmdDragDrop, [](HWND d) { Choose(d, 1452, 1455, 1452); }},
      {kCmdStartUp, [](HWND d) { Choose(d, 1552, 1554, 1552); Choose(d, 1566, 1571, 1566); }},
      {kCmdOther, [](HWND d) { Type(d, IDC_OTHERSET_MAXTRACK, "60"); Check(d, IDC_OTHERSET_BACKUP, true); }},
  };
  for (const Case& c : cases) {
    const int seen = Run(c.command, [&](HWND d) {
      c.change(d);
      Click(d, IDCANCEL);
    });
    EXPECT_EQ(seen, 1) << c.command;
    EXPECT_TRUE(FileIsOurs()) << c.command;
    SaveSettings();
    EXPECT_TRUE(FileIsOurs()) << c.command;
  }
}

TEST_F(OtherSettingsDialogTest, DragDropOkSwitchesTheStepEditorsDrops) {
  ASSERT_EQ(ActivateTrackWindow(1), 1);
  HWND editor = StepEditorOfTrack(1);
  ASSERT_NE(editor, nullptr);
  Run(kCmdDragDrop, [&](HWND d) {
    ASSERT_TRUE(IsDragDrop(d));
    EXPECT_EQ(CheckedOf(d, 1452, 1455), 1454);
    Choose(d, 1452, 1455, 1452);
    Click(d, IDOK);
  });
  EXPECT_EQ(Changed(), (std::map<std::string, std::string>{{"dragdrop/DragDropEdit", "0"}}));
  EXPECT_FALSE(AcceptsFiles(editor));
  Run(kCmdDragDrop, [&](HWND d) {
    Choose(d, 1452, 1455, 1455);
    Click(d, IDOK);
  });
  EXPECT_EQ(g_settings.dragDropEdit, 3);
  EXPECT_TRUE(AcceptsFiles(editor));
}

TEST_F(OtherSettingsDialogTest, DragDropValueOfNoRadioStaysOnOk) {
  g_settings.dragDropEdit = 7;
  SaveSettings();
  ours_ = InProcessSettings().Contents();
  Run(kCmdDragDrop, [&](HWND d) {
    EXPECT_EQ(CheckedOf(d, 1452, 1455), 0);
    Click(d, IDOK);
  });
  EXPECT_EQ(g_settings.dragDropEdit, 7);
  EXPECT_TRUE(FileIsOurs());
}

TEST_F(OtherSettingsDialogTest, StartUpShowsOursAndOkWritesTheStartUpSection) {
  ASSERT_EQ(ActivateTrackWindow(2), 1);
  HWND editor = StepEditorOfTrack(2);
  ASSERT_NE(editor, nullptr);
  // The start-up OK refreshes the drops too (DragDropEdit is 2 here).
  DragAcceptFiles(editor, FALSE);
  Run(kCmdStartUp, [&](HWND d) {
    ASSERT_TRUE(IsStartUp(d));
    EXPECT_EQ(CheckedOf(d, 1552, 1554), 1554);  // REC
    EXPECT_EQ(CheckedOf(d, 1556, 1557), 1557);
    EXPECT_EQ(CheckedOf(d, 1559, 1564), 1563);
    EXPECT_EQ(CheckedOf(d, 1566, 1571), 1571);
    Choose(d, 1552, 1554, 1552);  // ON
    Choose(d, 1556, 1557, 1556);
    Choose(d, 1559, 1564, 1560);
    Choose(d, 1566, 1571, 1568);
    Click(d, IDOK);
  });
  const std::map<std::string, std::string> want = {{"startup/MIDITHRU", "1"}, {"startup/MIDIRECPort", "0"},
                                                   {"startup/EditMode", "1"}, {"startup/ActiveWindow", "2"}};
  EXPECT_EQ(Changed(), want);
  EXPECT_TRUE(AcceptsFiles(editor));
}

TEST_F(OtherSettingsDialogTest, StartUpRecordInputOfNoRadioStaysOnOk) {
  g_settings.midiRecPort = 2;
  SaveSettings();
  ours_ = InProcessSettings().Contents();
  Run(kCmdStartUp, [&](HWND d) {
    EXPECT_EQ(CheckedOf(d, 1556, 1557), 0);
    Click(d, IDOK);
  });
  EXPECT_EQ(g_settings.midiRecPort, 2);
  EXPECT_TRUE(FileIsOurs());
}

TEST_F(OtherSettingsDialogTest, OtherSettingsShowOursAndOkWritesTheirKeys) {
  Run(kCmdOther, [&](HWND d) {
    ASSERT_TRUE(IsOther(d));
    EXPECT_EQ(Text(d, IDC_OTHERSET_TIMEBASE), std::string(22, ' ') + "240");
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_OTHERSET_TIMEBASE, CB_GETCOUNT, 0, 0), 8);
    EXPECT_EQ(Text(d, IDC_OTHERSET_ORGTRACK), "20");
    EXPECT_EQ(Text(d, IDC_OTHERSET_MAXTRACK), "36");
    for (int id : {IDC_OTHERSET_BACKUP, IDC_OTHERSET_SKIPEVENT, IDC_OTHERSET_AUTOCONVERT, IDC_OTHERSET_LOADAFTER,
                   IDC_OTHERSET_LOADAFTER + 2, IDC_OTHERSET_PLAYMON, IDC_OTHERSET_TRACKMON, IDC_OTHERSET_MEMORY,
                   IDC_OTHERSET_PIANO})
      EXPECT_FALSE(Checked(d, id)) << id;
    for (int id : {IDC_OTHERSET_INVELOCITY, IDC_OTHERSET_LOADAFTER + 1, IDC_OTHERSET_LOADTBCVT})
      EXPECT_TRUE(Checked(d, id)) << id;
    Shoot(d, "othersettings-1100");
    Spin(d, IDC_OTHERSET_ORGTRACK_SPIN, true);
    EXPECT_EQ(Text(d, IDC_OTHERSET_ORGTRACK), "21");
    Spin(d, IDC_OTHERSET_MAXTRACK_SPIN, false);
    EXPECT_EQ(Text(d, IDC_OTHERSET_MAXTRACK), "35");
    Type(d, IDC_OTHERSET_ORGTRACK, "36");
    Spin(d, IDC_OTHERSET_ORGTRACK_SPIN, true);
    EXPECT_EQ(Text(d, IDC_OTHERSET_ORGTRACK), "36") << "bounded by the maximum in force";
    SendDlgItemMessageA(d, IDC_OTHERSET_TIMEBASE, CB_SETCURSEL, 4, 0);  // 96
    // Normal 50 while the maximum goes from 36 to 60: bounded by 36.
    Type(d, IDC_OTHERSET_ORGTRACK, "50");
    Type(d, IDC_OTHERSET_MAXTRACK, "60");
    for (int id : {IDC_OTHERSET_BACKUP, IDC_OTHERSET_INVELOCITY, IDC_OTHERSET_SKIPEVENT, IDC_OTHERSET_AUTOCONVERT,
                   IDC_OTHERSET_LOADAFTER, IDC_OTHERSET_LOADAFTER + 1, IDC_OTHERSET_LOADTBCVT, IDC_OTHERSET_PLAYMON,
                   IDC_OTHERSET_TRACKMON, IDC_OTHERSET_MEMORY, IDC_OTHERSET_PIANO})
      Check(d, id, !Checked(d, id));
    Click(d, IDOK);
  });
  const std::map<std::string, std::string> want = {
      {"other/TimeBase", "96"},        {"other/orgTrack", "36"},         {"other/MaxTrack", "60"},
      {"other/MakeBackup", "1"},       {"other/MIDIinVelocity", "0"},    {"other/MIDIINSkipEvent", "1"},
      {"other/AutoRecConvert", "1"},   {"other/SongLoadAfter", "9"},     {"zkzkp/LOADONTBCVT", "0"},
      {"zksmf/LOADONTBCVT", "0"},      {"other/PlayMonitor", "1"},       {"other/TrackMonitor", "1"},
      {"other/Memory", "1"},           {"default display/PianoPallet", "1"},
  };
  EXPECT_EQ(Changed(), want);
}

TEST_F(OtherSettingsDialogTest, TypedTimeBaseAndTrackLimits) {
  struct Case {
    const char* timeBase;
    const char* normal;
    const char* maximum;
    std::map<std::string, std::string> changed;
  };
  const Case cases[] = {
      {"0", "20", "0", {{"other/TimeBase", "480"}}},
      {"abc", "20", "150", {{"other/TimeBase", "480"}, {"other/MaxTrack", "99"}}},
      {"100", "0", "36", {{"other/TimeBase", "100"}, {"other/orgTrack", "36"}}},
  };
  for (const Case& c : cases) {
    Run(kCmdOther, [&](HWND d) {
      Type(d, IDC_OTHERSET_TIMEBASE, c.timeBase);
      Type(d, IDC_OTHERSET_ORGTRACK, c.normal);
      Type(d, IDC_OTHERSET_MAXTRACK, c.maximum);
      Click(d, IDOK);
    });
    EXPECT_EQ(Changed(), c.changed) << c.timeBase;
    InProcessSettings().Write(ours_);
    g_settings.timeBase = 240;
    g_settings.orgTrack = 20;
    g_settings.maxTrack = 36;
  }
}

TEST_F(OtherSettingsDialogTest, TimeBaseOutOfRangeIsRefusedAndTheDialogStaysOpen) {
  MessageBoxRecorder boxes;
  bool stillOpen = true;
  Run(kCmdOther, [&](HWND d) {
    for (const char* typed : {"481", "20"}) {
      Type(d, IDC_OTHERSET_TIMEBASE, typed);
      Type(d, IDC_OTHERSET_MAXTRACK, "60");
      Click(d, IDOK);
      stillOpen = stillOpen && IsWindowVisible(d);
    }
    Click(d, IDCANCEL);
  });
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  for (const RecordedBox& box : boxes.boxes) {
    EXPECT_EQ(box.stringId, static_cast<UINT>(IDS_OTHERSET_TIMEBASE_RANGE));
    EXPECT_NE(box.text.find("48"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("480"), std::string::npos) << box.text;
  }
  EXPECT_EQ(g_settings.timeBase, 240);
  EXPECT_EQ(g_settings.maxTrack, 36) << "nothing is stored";
  EXPECT_TRUE(FileIsOurs());
}

TEST_F(OtherSettingsDialogTest, AutoSaveValuesReachTheFileWithTheOtherSettingsOk) {
  Run(kCmdOther, [&](HWND d) {
    if (IsAutoSave(d)) {
      char caption[64] = {};
      GetWindowTextA(d, caption, sizeof caption);
      EXPECT_STREQ(caption, "自動保存の設定");
      EXPECT_TRUE(Checked(d, IDC_AUTOSAVE_ON));
      EXPECT_TRUE(Checked(d, IDC_AUTOSAVE_SONGNAME));
      EXPECT_EQ(Text(d, IDC_AUTOSAVE_INTERVAL), "10");
      EXPECT_EQ(Text(d, IDC_AUTOSAVE_HISTORY), "7");
      EXPECT_EQ(Text(d, IDC_AUTOSAVE_PATH), "C:\\zkdir\\zktmp.g36");
      Shoot(d, "othersettings-148");
      Spin(d, IDC_AUTOSAVE_HISTORY_SPIN, true);
      EXPECT_EQ(Text(d, IDC_AUTOSAVE_HISTORY), "8");
      Spin(d, IDC_AUTOSAVE_INTERVAL_SPIN, false);
      EXPECT_EQ(Text(d, IDC_AUTOSAVE_INTERVAL), "9");
      Check(d, IDC_AUTOSAVE_SONGNAME, false);
      Type(d, IDC_AUTOSAVE_INTERVAL, "5");
      Type(d, IDC_AUTOSAVE_HISTORY, "150");
      Type(d, IDC_AUTOSAVE_PATH, "D:\\auto\\x.g36");
      Click(d, IDOK);
      return;
    }
    ASSERT_TRUE(IsOther(d));
    Click(d, IDC_OTHERSET_AUTOSAVE);
    // Kept in memory only, until the settings are saved.
    EXPECT_EQ(g_settings.saveInterval, 300000);
    EXPECT_TRUE(FileIsOurs());
    Click(d, IDOK);
  });
  const std::map<std::string, std::string> want = {{"other/AutoSave", "1"},
                                                   {"other/SaveInterval", "300000"},
                                                   {"other/SaveMax", "99"},
                                                   {"other/TmpPath", "D:\\auto\\x.g36"}};
  EXPECT_EQ(Changed(), want);
}

TEST_F(OtherSettingsDialogTest, AutoSaveNumbersAreClampedAndCancelKeepsThem) {
  Run(kCmdOther, [&](HWND d) {
    if (IsAutoSave(d)) {
      Type(d, IDC_AUTOSAVE_INTERVAL, "0");
      Type(d, IDC_AUTOSAVE_HISTORY, "0");
      Click(d, IDOK);
      return;
    }
    Click(d, IDC_OTHERSET_AUTOSAVE);
    Click(d, IDOK);
  });
  EXPECT_EQ(g_settings.saveInterval, 60000);
  EXPECT_EQ(g_settings.saveMax, 1);
  Run(kCmdOther, [&](HWND d) {
    if (IsAutoSave(d)) {
      Type(d, IDC_AUTOSAVE_INTERVAL, "1200");
      Check(d, IDC_AUTOSAVE_ON, false);
      Click(d, IDCANCEL);
      return;
    }
    Click(d, IDC_OTHERSET_AUTOSAVE);
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(g_settings.saveInterval, 60000);
  EXPECT_EQ(g_settings.autoSave, 3);
}

TEST_F(OtherSettingsDialogTest, FKeyAssignmentOpensFromTheKeySettingsInTheSongTimeBase) {
  {
    SongHeader* header = LockHeader();
    header->timeBase = 240;
    UnlockHeader();
  }
  int fkeyDialogs = 0;
  Run(kCmdKeys, [&](HWND d) {
    if (IsFKeys(d)) {
      ++fkeyDialogs;
      if (fkeyDialogs == 1) {
        char caption[64] = {};
        GetWindowTextA(d, caption, sizeof caption);
        EXPECT_STREQ(caption, "fキーST/GTアサインの設定");
        EXPECT_EQ(Text(d, IDC_FKEYSTGT_ST), "500");
        EXPECT_EQ(Text(d, IDC_FKEYSTGT_ST + 1), "720");   // 1440 at 480
        EXPECT_EQ(Text(d, IDC_FKEYSTGT_GT + 9), "20");
        Shoot(d, "othersettings-840");
        Spin(d, IDC_FKEYSTGT_SPIN + 11, false);
        EXPECT_EQ(Text(d, IDC_FKEYSTGT_GT + 1), "709") << "each spinner steps the edit 20 below it";
        Type(d, IDC_FKEYSTGT_ST, "240");
        Type(d, IDC_FKEYSTGT_GT + 9, "9999");
        Click(d, IDOK);
      } else {
        Type(d, IDC_FKEYSTGT_ST, "9");
        Click(d, IDCANCEL);
      }
      return;
    }
    Click(d, IDC_KEYSET_FKEYSTGT);
    Click(d, IDC_KEYSET_FKEYSTGT);
    Click(d, IDOK);
  });
  EXPECT_EQ(fkeyDialogs, 2);
  const std::map<std::string, std::string> want = {
      {"onetouchstgt/FKey1ST", "480"}, {"onetouchstgt/FKey2GT", "1418"}, {"onetouchstgt/FKey10GT", "2550"}};
  EXPECT_EQ(Changed(), want);
}

TEST_F(OtherSettingsDialogTest, RhythmAssignmentOpensFromTheOtherSettings) {
  {
    SongHeader* header = LockHeader();
    std::memcpy(header->rhythm[0].name, "Kick          ", 14);
    header->rhythm[0].key = 36;
    header->rhythm[0].gate = 5;
    std::memcpy(header->rhythm[8].name, "Old           ", 14);
    header->rhythm[120].key = 99;
    UnlockHeader();
  }
  ClearSongModified();
  int rhythmDialogs = 0;
  Run(kCmdOther, [&](HWND d) {
    if (IsRhythm(d)) {
      ++rhythmDialogs;
      HWND bar = GetDlgItem(d, IDC_RHYASSIGN_SCROLL);
      if (rhythmDialogs == 1) {
        EXPECT_EQ(Text(d, IDC_RHYASSIGN_KEY), " 36");
        EXPECT_EQ(Text(d, IDC_RHYASSIGN_GATE), "  5");
        EXPECT_EQ(Text(d, IDC_RHYASSIGN_NAME), "Kick");
        Shoot(d, "othersettings-500");
        Spin(d, IDC_RHYASSIGN_SPIN, true);
        EXPECT_EQ(Text(d, IDC_RHYASSIGN_KEY), "37");
        Spin(d, IDC_RHYASSIGN_SPIN + 8, false);
        EXPECT_EQ(Text(d, IDC_RHYASSIGN_GATE), "4");
        Type(d, IDC_RHYASSIGN_KEY + 1, "127");
        Spin(d, IDC_RHYASSIGN_SPIN + 1, true);
        EXPECT_EQ(Text(d, IDC_RHYASSIGN_KEY + 1), "127") << "a key number stays within 0-127";
        Type(d, IDC_RHYASSIGN_NAME, "Bass Drum");
        SendMessageA(d, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(Text(d, IDC_RHYASSIGN_NAME), "Old");
        Type(d, IDC_RHYASSIGN_NAME, "A name of more than 14");
        Type(d, IDC_RHYASSIGN_GATE, "30");
        SendMessageA(d, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 127), reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(Text(d, IDC_RHYASSIGN_KEY), " 99") << "the last page shows records 120-127";
        Click(d, IDOK);
      } else {
        Type(d, IDC_RHYASSIGN_NAME, "Not kept");
        Click(d, IDCANCEL);
      }
      return;
    }
    Click(d, IDC_OTHERSET_RHYTHM);
    EXPECT_TRUE(AnyTrackModified());
    EXPECT_STREQ(g_rhythmTable[0].name, "Bass Drum") << "the table follows the song";
    ClearSongModified();
    Click(d, IDC_OTHERSET_RHYTHM);
    EXPECT_FALSE(AnyTrackModified()) << "Cancel changes nothing";
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(rhythmDialogs, 2);
  SongHeader* header = LockHeader();
  EXPECT_EQ(std::string(header->rhythm[0].name, 14), "Bass Drum     ");
  EXPECT_EQ(std::string(header->rhythm[8].name, 14), "A name of more");
  EXPECT_EQ(header->rhythm[8].gate, 30);
  EXPECT_EQ(header->rhythm[0].key, 37);
  EXPECT_EQ(header->rhythm[0].gate, 4);
  EXPECT_EQ(header->rhythm[1].key, 127);
  UnlockHeader();
  EXPECT_TRUE(FileIsOurs()) << "the other settings were cancelled";
}

// A new user: no settings file; each dialog shows the defaults and Cancel
// writes no file.
TEST_F(OtherSettingsDialogTest, NewUserSeesTheDefaults) {
  g_settings = AppSettings();
  DeleteFileA(InProcessSettings().path().c_str());
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, sizeof program);
  std::string folder = program;
  folder = folder.substr(0, folder.find_last_of('\\') + 1);
  int seen = 0;
  seen += Run(kCmdKeys, [&](HWND d) {
    for (int id = IDC_KEYSET_ESCRET; id <= IDC_KEYSET_FKEYREST; ++id) EXPECT_FALSE(Checked(d, id)) << id;
    EXPECT_EQ(CheckedOf(d, IDC_KEYSET_SHIFTUPDOWN, IDC_KEYSET_SHIFTUPDOWN + 2), IDC_KEYSET_SHIFTUPDOWN);
    EXPECT_EQ(CheckedOf(d, IDC_KEYSET_REVERSE, IDC_KEYSET_REVERSE + 1), IDC_KEYSET_REVERSE);
    Click(d, IDCANCEL);
  });
  seen += Run(kCmdDragDrop, [&](HWND d) {
    EXPECT_EQ(CheckedOf(d, 1452, 1455), 1453);
    Shoot(d, "othersettings-1450");
    Click(d, IDCANCEL);
  });
  seen += Run(kCmdStartUp, [&](HWND d) {
    EXPECT_EQ(CheckedOf(d, 1552, 1554), 1553);  // OFF
    EXPECT_EQ(CheckedOf(d, 1556, 1557), 1556);
    EXPECT_EQ(CheckedOf(d, 1559, 1564), 1559);
    EXPECT_EQ(CheckedOf(d, 1566, 1571), 1566);
    Shoot(d, "othersettings-1550");
    Click(d, IDCANCEL);
  });
  seen += Run(kCmdOther, [&](HWND d) {
    if (IsAutoSave(d)) {
      EXPECT_FALSE(Checked(d, IDC_AUTOSAVE_ON));
      EXPECT_FALSE(Checked(d, IDC_AUTOSAVE_SONGNAME));
      EXPECT_EQ(Text(d, IDC_AUTOSAVE_INTERVAL), "5");
      EXPECT_EQ(Text(d, IDC_AUTOSAVE_HISTORY), "5");
      EXPECT_EQ(Text(d, IDC_AUTOSAVE_PATH), folder + "zktmp.g36");
      Click(d, IDCANCEL);
      return;
    }
    EXPECT_EQ(Text(d, IDC_OTHERSET_TIMEBASE), std::string(22, ' ') + "480");
    EXPECT_EQ(Text(d, IDC_OTHERSET_ORGTRACK), "36");
    EXPECT_EQ(Text(d, IDC_OTHERSET_MAXTRACK), "36");
    for (int id : {IDC_OTHERSET_BACKUP, IDC_OTHERSET_SKIPEVENT, IDC_OTHERSET_AUTOCONVERT, IDC_OTHERSET_LOADAFTER,
                   IDC_OTHERSET_LOADAFTER + 2, IDC_OTHERSET_PLAYMON, IDC_OTHERSET_TRACKMON, IDC_OTHERSET_MEMORY,
                   IDC_OTHERSET_PIANO})
      EXPECT_TRUE(Checked(d, id)) << id;
    for (int id : {IDC_OTHERSET_INVELOCITY, IDC_OTHERSET_LOADAFTER + 1, IDC_OTHERSET_LOADTBCVT})
      EXPECT_FALSE(Checked(d, id)) << id;
    Click(d, IDC_OTHERSET_AUTOSAVE);
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(seen, 5);
  EXPECT_FALSE(FileExists(InProcessSettings().path()));
}

}  // namespace
