// Saving the open song from the File menu in the program running in the test
// process: the Save As dialog driven as a user would, its options and types,
// the overwrite question, and what a failed or refused save leaves behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "engine.h"
#include "filedialogs.h"
#include "filterslots.h"
#include "inprocess.h"
#include "msgbox.h"
#include "resource.h"
#include "settings.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsongs.h"
#include "testsupport.h"

namespace {

using Events = std::vector<StepEvent>;

const Events kNotes = {E(60, 100, 480, 240), E(64, 90, 480, 240), E(67, 80, 480, 240), EndEvent()};

bool IsOptionsDialog(HWND dialog) { return GetDlgItem(dialog, 99) && GetDlgItem(dialog, 1900) && !IsFileDialog(dialog); }

bool TrackModified(int n) {
  bool modified = false;
  if (SongDocument* doc = LockSongDocument(g_app.frame)) {
    auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
    modified = (tw->state[n - 1] & 1) != 0;
    GlobalUnlock(doc->trackWindows);
    UnlockSongDocument(g_app.frame);
  }
  return modified;
}

void MarkModified(int n) {
  if (SongDocument* doc = LockSongDocument(g_app.frame)) {
    auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
    tw->state[n - 1] |= 1;
    GlobalUnlock(doc->trackWindows);
    UnlockSongDocument(g_app.frame);
  }
}

uint16_t StoredTrackCount(const std::string& bytes) {
  return bytes.size() > 521 ? static_cast<uint16_t>(static_cast<uint8_t>(bytes[520]) | static_cast<uint8_t>(bytes[521]) << 8)
                            : 0;
}

int WINAPI AlwaysPlaying() { return 1; }

class FileSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    saved_ = g_settings;
    savedSong_ = g_song;
    std::memcpy(savedExport_, g_exportSlots, sizeof savedExport_);
    for (auto& s : g_exportSlots) s = ExportFilterSlot{};
    ReplaceTrackEvents(1, kNotes);
    g_settings.makeBackup = 0;
  }
  void TearDown() override {
    for (auto& s : g_exportSlots)
      if (s.library) FreeLibrary(s.library);
    std::memcpy(g_exportSlots, savedExport_, sizeof savedExport_);
    ReplaceTrackEvents(1, {EndEvent()});
    ClearSongModified();
    g_song = savedSong_;
    g_settings = saved_;
  }
  // The SMF filter in export slot `slot` (the others stay empty).
  void ExportThroughSmf(int slot) {
    const char* filter = std::getenv("ZK_SMF_FILTER");
    ASSERT_NE(filter, nullptr);
    HMODULE m = LoadLibraryA(filter);
    ASSERT_NE(m, nullptr);
    ExportFilterSlot& s = g_exportSlots[slot];
    s.library = m;
    s.setExpFileExtension =
        reinterpret_cast<zkfilter::SetExpFileExtensionFn>(reinterpret_cast<void*>(GetProcAddress(m, MAKEINTRESOURCEA(20))));
    s.getExpFileExtension =
        reinterpret_cast<zkfilter::GetFileExtensionFn>(reinterpret_cast<void*>(GetProcAddress(m, MAKEINTRESOURCEA(19))));
    s.makeExpFile =
        reinterpret_cast<zkfilter::MakeExpFileFn>(reinterpret_cast<void*>(GetProcAddress(m, MAKEINTRESOURCEA(24))));
    s.expFilterOption =
        reinterpret_cast<zkfilter::ExpFilterOptionFn>(reinterpret_cast<void*>(GetProcAddress(m, MAKEINTRESOURCEA(25))));
    ASSERT_TRUE(s.setExpFileExtension && s.getExpFileExtension && s.makeExpFile);
  }
  // Save As answered by typing name (and choosing type, options, the backup
  // box when given); returns the command's result.
  struct Answer {
    std::string name;
    int type = -1;        // 0-based in the list shown
    int options = 0;      // dialog 143's choice: 1900 or 99
    int backupBox = -1;   // 0 or 1
    bool cancel = false;
  };
  int SaveAs(const std::vector<Answer>& answers) {
    size_t next = 0;
    std::vector<std::string> types;
    int result = 0;
    {
      DialogWatch watch([&](HWND dialog) {
        if (IsOptionsDialog(dialog)) {
          optionsSome_ = IsWindowEnabled(GetDlgItem(dialog, 1900)) != 0;
          optionsAll_ = IsWindowEnabled(GetDlgItem(dialog, 99)) != 0;
          someChecked_ = IsDlgButtonChecked(dialog, 1900) == BST_CHECKED;
          const int choice = next > 0 ? answers[next - 1].options : 0;
          if (choice) CheckRadioButton(dialog, 99, 1900, choice);
          ClickButton(dialog, IDOK);
          return;
        }
        if (!IsFileDialog(dialog)) return;
        modalWhileOpen_ = g_app.modalFlag;
        types_ = FileTypes(dialog);
        ScreenshotToOutput(dialog, "save-as");
        const Answer& a = answers[next < answers.size() ? next : answers.size() - 1];
        ++next;
        if (a.cancel) {
          ClickButton(dialog, IDCANCEL);
          return;
        }
        if (a.type >= 0) ChooseFileType(dialog, a.type);
        if (a.options) ClickButton(dialog, 1900);
        if (a.backupBox >= 0) {
          HWND box = FindDialogControl(dialog, 1901);
          SendMessageA(box, BM_SETCHECK, a.backupBox ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        TypeFileName(dialog, a.name);
        ClickButton(dialog, IDOK);
      });
      result = static_cast<int>(SendMessageA(g_app.frame, WM_COMMAND, IDM_FILE_SAVEAS, 0));
      dialogs_ = watch.Seen();
    }
    (void)result;
    return dialogs_;
  }
  int FileDialogsSeen() const { return dialogs_; }

  TempDir dir_;
  MessageBoxRecorder boxes_;
  AppSettings saved_{};
  SongGlobals savedSong_{};
  ExportFilterSlot savedExport_[kFilterSlots]{};
  std::vector<std::string> types_;
  int dialogs_ = 0;
  int modalWhileOpen_ = -1;
  bool optionsSome_ = false, optionsAll_ = false, someChecked_ = false;
};

TEST_F(FileSaveTest, EighteenTracksOfABiggerSongAreStoredAndTheSongKeepsAll) {
  ASSERT_GT(g_song.trackCount, 18);
  const std::string path = dir_.File("eighteen.G36");
  Answer a;
  a.name = path;
  a.options = 1900;
  SaveAs({a});
  EXPECT_TRUE(optionsSome_ && optionsAll_) << "both choices above 18 tracks";
  const std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(StoredTrackCount(bytes), 18);
  EXPECT_GT(g_song.trackCount, 18);
  EXPECT_STREQ(g_song.fileName, path.c_str());
  EXPECT_EQ(g_song.untitled, 0);
  EXPECT_EQ(modalWhileOpen_, 1);
  EXPECT_EQ(g_app.modalFlag, 0);
  EXPECT_EQ(types_.front(), "G36ﾌｧｲﾙ(*.G36)");
}

TEST_F(FileSaveTest, ASmallSongOffersOnlyTheEighteenTrackFile) {
  const int tracks = g_song.trackCount;
  g_song.trackCount = 12;
  Answer a;
  a.name = dir_.File("twelve.G36");
  a.options = 1900;
  SaveAs({a});
  g_song.trackCount = tracks;
  EXPECT_TRUE(optionsSome_);
  EXPECT_FALSE(optionsAll_);
  EXPECT_TRUE(someChecked_);
}

TEST_F(FileSaveTest, TheBackupBoxAloneDecidesOnTheBakFile) {
  const std::string path = dir_.File("kept.G36");
  for (int box : {1, 0}) {
    WriteBytes(path, "previous");
    DeleteFileA(dir_.File("kept.BAK").c_str());
    g_settings.makeBackup = !box;
    boxes_.answers = {IDYES};
    Answer a;
    a.name = path;
    a.backupBox = box;
    SaveAs({a});
    EXPECT_EQ(FileExists(dir_.File("kept.BAK")), box == 1) << box;
    if (box) {
      EXPECT_EQ(ReadFileBytes(dir_.File("kept.BAK")), "previous");
    }
  }
}

TEST_F(FileSaveTest, TheMidiTypeWritesAMidiFileUnderItsOwnExtension) {
  // A gap before the filter's slot: the list's second type is slot 1.
  ExportThroughSmf(1);
  Answer a;
  a.name = dir_.File("x.G36");
  a.type = 1;
  SaveAs({a});
  ASSERT_GE(types_.size(), 2u);
  EXPECT_FALSE(FileExists(dir_.File("x.G36")));
  const std::string midi = ReadFileBytes(dir_.File("x.mid"));
  ASSERT_GE(midi.size(), 4u);
  EXPECT_EQ(midi.substr(0, 4), "MThd");
  // The song's notes, in order, as note-ons of channel 1.
  std::vector<int> keys;
  for (size_t i = 0; i + 2 < midi.size(); ++i)
    if (static_cast<uint8_t>(midi[i]) == 0x90 && midi[i + 2] != 0) keys.push_back(midi[i + 1]);
  EXPECT_EQ(keys, (std::vector<int>{60, 64, 67}));
  EXPECT_EQ(g_song.saveType, 2);
}

TEST_F(FileSaveTest, AnExistingFileIsOverwrittenOnlyOnYes) {
  const std::string path = dir_.File("there.G36");
  WriteBytes(path, "old");
  std::strcpy(g_song.fileName, "C:\\before.G36");
  // No: the dialog again; Cancel: nothing written, the name stays.
  boxes_.answers = {IDNO, IDCANCEL};
  Answer a;
  a.name = path;
  EXPECT_EQ(SaveAs({a, a}), 2);
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_STREQ(g_song.fileName, "C:\\before.G36");
  ASSERT_EQ(boxes_.boxes.size(), 2u);
  EXPECT_EQ(boxes_.boxes[0].stringId, UINT(IDS_QUERY_OVERWRITE));
  boxes_.answers = {IDYES};
  SaveAs({a});
  EXPECT_GT(ReadFileBytes(path).size(), 3224u);
}

TEST_F(FileSaveTest, ALongPathSaves) {
  std::string folder = dir_.path();
  while (folder.size() < 150) {
    folder += "\\a-rather-long-folder-name";
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  const std::string path = folder + "\\long.G36";
  ASSERT_GT(path.size(), 128u);
  Answer a;
  a.name = path;
  SaveAs({a});
  EXPECT_GT(ReadFileBytes(path).size(), 3224u);
}

TEST_F(FileSaveTest, AFailedSaveKeepsTheMarksAndTheOldFile) {
  const std::string path = dir_.File("held.G36");
  WriteBytes(path, "keep me");
  std::strcpy(g_song.fileName, path.c_str());
  g_song.untitled = 0;
  MarkModified(1);
  // Another program holds the file open without sharing.
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  SendMessageA(g_app.frame, WM_COMMAND, IDM_FILE_SAVE, 0);
  CloseHandle(lock);
  EXPECT_EQ(ReadFileBytes(path), "keep me");
  EXPECT_TRUE(TrackModified(1));
  ASSERT_FALSE(boxes_.boxes.empty());
  EXPECT_EQ(boxes_.boxes.back().stringId, UINT(IDS_CANNOT_WRITE));
  SendMessageA(g_app.frame, WM_COMMAND, IDM_FILE_SAVE, 0);
  EXPECT_FALSE(TrackModified(1)) << "a save that went through clears them";
}

TEST_F(FileSaveTest, SavingAnUntitledSongAsksForANameAndCancelWritesNothing) {
  char folder[MAX_PATH];
  GetCurrentDirectoryA(sizeof folder, folder);
  SetCurrentDirectoryA(dir_.path().c_str());
  g_song.untitled = 1;
  std::strcpy(g_song.fileName, "NEW.G36");
  MarkModified(1);
  boxes_.answers = {IDYES};
  int dialogs = 0, result = -1;
  {
    DialogWatch watch([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    result = QuerySaveAll(IDS_QUERY_SAVE_EXIT);
    dialogs = watch.Seen();
  }
  SetCurrentDirectoryA(folder);
  EXPECT_EQ(result, 0) << "the caller must not go on";
  EXPECT_EQ(dialogs, 1);
  EXPECT_FALSE(FileExists(dir_.File("NEW.G36")));
  EXPECT_TRUE(TrackModified(1));
}

TEST_F(FileSaveTest, AfterAnExportFileSaveAsksForAName) {
  ExportThroughSmf(0);
  Answer a;
  a.name = dir_.File("exported");
  a.type = 1;
  SaveAs({a});
  ASSERT_TRUE(FileExists(dir_.File("exported.mid")));
  const std::string midi = ReadFileBytes(dir_.File("exported.mid"));
  int dialogs = 0;
  {
    DialogWatch watch([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    SendMessageA(g_app.frame, WM_COMMAND, IDM_FILE_SAVE, 0);
    dialogs = watch.Seen();
  }
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(ReadFileBytes(dir_.File("exported.mid")), midi) << "no song format in the MIDI file";
}

TEST_F(FileSaveTest, DuringAPlayTheFileCommandsReachOnlyTheDefault) {
  const std::string before = g_song.fileName;
  MarkModified(1);
  const EngineEntries saved = g_engine;
  g_engine.checkPlaying = AlwaysPlaying;
  int dialogs = 0;
  {
    DialogWatch watch([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    for (UINT id : {IDM_FILE_NEW, IDM_FILE_OPEN, IDM_FILE_SAVE, IDM_FILE_SAVEAS})
      SendMessageA(g_app.frame, WM_COMMAND, id, 0);
    RunLoopFor(100);
    dialogs = watch.Seen();
  }
  g_engine = saved;
  EXPECT_EQ(dialogs, 0);
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_TRUE(TrackModified(1));
  EXPECT_EQ(g_song.fileName, before);
}

}  // namespace
