// File Open as a user meets it: the real common dialog over the program's
// frame (in this process), its types, the title shown for the selected file,
// the load options and Shift, then the open and what follows it; and the
// old-style dialog of Windows NT 3.51 in the real program.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "filedialogs.h"
#include "filterslots.h"
#include "inifile.h"
#include "inprocess.h"
#include "opendlg.h"
#include "recent.h"
#include "resource.h"
#include "settings.h"
#include "shellprocess.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsupport.h"
#include "trackattach.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "windownav.h"

namespace {

StepEvent Note(uint8_t key) { return StepEvent{key, 100, 240, 120}; }

std::string Padded(const std::string& text, size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

// A song file of the own format: the open song's header with this title,
// memo and track count, then the tracks (each closed by its end event here).
std::string SongFileBytes(const std::string& title, const std::string& memo,
                          const std::vector<std::vector<StepEvent>>& tracks) {
  SongHeader header{};
  if (HGLOBAL h = SongEntry(kHeaderEntry)) {
    header = *static_cast<const SongHeader*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  if (!header.timeBase) {
    header.timeBase = 480;
    header.tempo = 120;
    header.beatNum = header.beatDen = 4;
  }
  std::memcpy(header.signature, kSongSignature, sizeof header.signature);
  const std::string t = Padded(title, sizeof header.title);
  std::memcpy(header.title, t.data(), sizeof header.title);
  const std::string m = Padded(memo, sizeof header.memo);
  std::memcpy(header.memo, m.data(), sizeof header.memo);
  header.trackCount = static_cast<uint16_t>(tracks.size());
  std::string out(reinterpret_cast<const char*>(&header), sizeof header);
  for (size_t n = 0; n < tracks.size(); ++n) {
    std::vector<StepEvent> events = tracks[n];
    events.push_back(EndEvent());
    TrackHeader th{};
    th.size = static_cast<uint32_t>(kTrackHeaderFileSize + events.size() * sizeof(StepEvent));
    th.number = static_cast<uint8_t>(n + 1);
    th.channel = static_cast<uint8_t>(n % 16);
    std::memset(th.comment, ' ', sizeof th.comment);
    out.append(reinterpret_cast<const char*>(&th), kTrackHeaderFileSize);
    out.append(reinterpret_cast<const char*>(events.data()), events.size() * sizeof(StepEvent));
  }
  return out;
}

// A format 0 Standard MIDI File with one note.
std::string MidiFileBytes() {
  std::string track("\x00\x90\x3C\x64\x83\x60\x80\x3C\x00\x00\xFF\x2F\x00", 13);
  std::string file("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk", 18);
  for (int shift : {24, 16, 8, 0}) file += static_cast<char>((track.size() >> shift) & 0xFF);
  return file + track;
}

const char kTitle[] = "夜想曲 Nocturne";
const char kMemo[] = "Andante, pianissimo.";

// The filter the program reads Standard MIDI Files with, in the Windows
// folder where a [Filter] name finds it.
bool InstallSmfFilter() {
  const char* built = std::getenv("ZK_SMF_FILTER");
  if (!built || !*built) return false;
  std::string from = built;
  if (from[0] == '/') from = "Z:" + from;
  for (char& c : from)
    if (c == '/') c = '\\';
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, sizeof dir);
  const std::string to = std::string(dir) + "\\zksmf.dll";
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0 || FileExists(to);
}

// Lets the dialog's own windows work for a while (from inside its loop).
void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < ms) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

struct ClassSearch {
  const char* name;
  HWND found;
};
BOOL CALLBACK FindClass(HWND window, LPARAM lParam) {
  auto* s = reinterpret_cast<ClassSearch*>(lParam);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, s->name) == 0) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}
HWND Descendant(HWND parent, const char* className) {
  ClassSearch s{className, nullptr};
  EnumChildWindows(parent, FindClass, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// The explorer dialog's file list (the shell view's list view).
HWND FileList(HWND dialog) {
  HWND list = nullptr;
  for (int i = 0; i < 100 && !list; ++i) {
    list = Descendant(dialog, "SysListView32");
    if (!list || SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0) {
      list = nullptr;
      Pump(20);
    }
  }
  return list;
}

std::string ItemText(HWND list, int index) {
  char text[MAX_PATH] = {};
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

// Selects the file whose shown name starts with stem, as a click in the list
// would: the shell view tells the dialog, which tells the hook.
bool SelectFile(HWND dialog, const std::string& stem) {
  HWND list = FileList(dialog);
  if (!list) return false;
  LVITEMA none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (_strnicmp(ItemText(list, i).c_str(), stem.c_str(), stem.size()) != 0) continue;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
    Pump(50);
    return true;
  }
  return false;
}

// A picture of a dialog once it has drawn itself, frame and caption too.
void Shot(HWND dialog, const char* name) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump(150);
  ScreenshotToOutput(dialog, name);
}

bool IsOptionsDialog(HWND dialog) { return GetDlgItem(dialog, IDC_READ_APPEND) != nullptr; }
bool IsMemoDialog(HWND dialog) { return GetDlgItem(dialog, IDC_MEMO_TEXT) != nullptr; }

void SetShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = keys[VK_LSHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

std::string WindowTitle(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

class OpenDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    saved_load_after_ = g_settings.songLoadAfter;
    saved_org_track_ = g_song.orgTrack;
    g_settings.songLoadAfter = 0;
    IniWriteString("Files", kLastDataDirectoryKey, dir_.path().c_str());
    song_ = dir_.File("song.G36");
    WriteBytes(song_, SongFileBytes(kTitle, kMemo, {{Note(64)}, {Note(67)}}));
    midi_ = dir_.File("tune.mid");
    WriteBytes(midi_, MidiFileBytes());
  }
  void TearDown() override {
    SetShift(false);
    g_settings.songLoadAfter = saved_load_after_;
    IniWriteInt("OTHER", "orgTrack", saved_org_track_);
    g_song.orgTrack = saved_org_track_;
    g_song.trackFileMode = 0;
    FreeFilterSlots();
    IniWriteString("Filter", "Import0", "");
    IniWriteString("Filter", "Import2", "");
    // The next suites find a new song, as at start.
    CloseSongWindows(g_app.frame);
    NewSong(g_app.frame);
    RefreshTrackEditors(g_app.frame);
    ClearSongModified();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    SetCurrentDirectoryA(temp);
  }

  TempDir dir_;
  std::string song_, midi_;
  MessageBoxRecorder boxes_;
  int32_t saved_load_after_ = 0;
  int saved_org_track_ = 36;
};

// Slot 0 and slot 2 hold the MIDI filter, slot 1 nothing. Slot 2's library
// is swapped for one that exports ordinal 9 (no filter of ours does: the
// common controls library stands in), so its type must offer the options.
TEST_F(OpenDialogTest, OwnTypeFirstThenEachFilterTypeAndTheOptionsFollowTheTypesSlot) {
  ASSERT_TRUE(InstallSmfFilter());
  IniWriteString("Filter", "Import0", "zksmf.dll");
  IniWriteString("Filter", "Import2", "zksmf.dll");
  BindFilterSlots();
  ASSERT_NE(g_importSlots[0].getFileExtension, nullptr);
  ASSERT_EQ(g_importSlots[1].library, nullptr);
  ASSERT_NE(g_importSlots[2].getFileExtension, nullptr);
  HMODULE withNine = LoadLibraryA("comctl32.dll");
  ASSERT_NE(GetProcAddress(withNine, MAKEINTRESOURCEA(9)), nullptr);
  HMODULE filter2 = g_importSlots[2].library;
  g_importSlots[2].library = withNine;

  std::vector<std::string> types;
  bool own = false, firstFilter = true, secondFilter = false;
  int modal = 0;
  {
    DialogWatch watch([&](HWND dialog) {
      if (!IsFileDialog(dialog)) return (void)SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      modal = g_app.modalFlag;
      types = FileTypes(dialog);
      own = IsWindowEnabled(FindDialogControl(dialog, IDC_OPEN_OPTIONS));
      Shot(dialog, "opendlg-types");
      ChooseFileType(dialog, 1);
      firstFilter = IsWindowEnabled(FindDialogControl(dialog, IDC_OPEN_OPTIONS));
      ChooseFileType(dialog, 2);
      secondFilter = IsWindowEnabled(FindDialogControl(dialog, IDC_OPEN_OPTIONS));
      ClickButton(dialog, IDCANCEL);
    });
    SongOpenDialog(g_app.frame);
    EXPECT_EQ(watch.Seen(), 1);
  }
  g_importSlots[2].library = filter2;
  FreeLibrary(withNine);

  EXPECT_EQ(modal, 1);
  EXPECT_EQ(g_app.modalFlag, 0);
  ASSERT_EQ(types.size(), 3u);
  EXPECT_EQ(types[0], kOpenTypeDescription);
  EXPECT_EQ(types[1], "MIDIﾌｧｲﾙ (*.MID;*.STD)");
  EXPECT_EQ(types[2], "MIDIﾌｧｲﾙ (*.MID;*.STD)");
  EXPECT_TRUE(own);
  EXPECT_FALSE(firstFilter);
  // Type 3 is slot 2's (past the empty slot 1), whose library has ordinal 9.
  EXPECT_TRUE(secondFilter);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(OpenDialogTest, SelectingASongShowsItsTitleAndAMidiFileSixtyFourBlanks) {
  std::string songTitle = "(none)", midiTitle = "(none)", before;
  bool selectedSong = false, selectedMidi = false;
  {
    DialogWatch watch([&](HWND dialog) {
      if (!IsFileDialog(dialog)) return (void)SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      before = ControlText(dialog, IDC_OPEN_TITLE);
      selectedSong = SelectFile(dialog, "song");
      songTitle = ControlText(dialog, IDC_OPEN_TITLE);
      Shot(dialog, "opendlg-song-title");
      selectedMidi = SelectFile(dialog, "tune");
      midiTitle = ControlText(dialog, IDC_OPEN_TITLE);
      Shot(dialog, "opendlg-midi-title");
      ClickButton(dialog, IDCANCEL);
    });
    SongOpenDialog(g_app.frame);
  }
  ASSERT_TRUE(selectedSong);
  ASSERT_TRUE(selectedMidi);
  EXPECT_EQ(before, "");
  EXPECT_EQ(songTitle, Padded(kTitle, 64));
  EXPECT_EQ(midiTitle, std::string(64, ' '));
}

// Dialog 146 from the template's button: 98 only when the song has more
// than 18 tracks; OK takes the chosen mode.
TEST_F(OpenDialogTest, LoadOptionsOfferTrackNineteenOnlyAboveEighteenTracks) {
  ASSERT_GT(g_song.trackCount, 18);
  bool nineteenEnabled = false;
  int normalChecked = 0;
  {
    DialogWatch watch([&](HWND dialog) {
      if (IsFileDialog(dialog)) {
        ClickButton(dialog, IDC_OPEN_OPTIONS);
        ClickButton(dialog, IDCANCEL);
      } else if (IsOptionsDialog(dialog)) {
        nineteenEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_READ_FROM19));
        normalChecked = IsDlgButtonChecked(dialog, IDC_READ_NORMAL);
        Shot(dialog, "opendlg-options");
        CheckRadioButton(dialog, IDC_READ_FROM19, IDC_READ_NORMAL, IDC_READ_FROM19);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      } else {
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    SongOpenDialog(g_app.frame);
    EXPECT_EQ(watch.Seen(), 2);
  }
  EXPECT_TRUE(nineteenEnabled);
  EXPECT_EQ(normalChecked, BST_CHECKED);
  EXPECT_EQ(g_song.trackFileMode, 2);
  EXPECT_EQ(g_song.startTrack, 18);

  // An 18-track song.
  IniWriteInt("OTHER", "orgTrack", 18);
  CloseSongWindows(g_app.frame);
  ASSERT_TRUE(NewSong(g_app.frame));
  RefreshTrackEditors(g_app.frame);
  ASSERT_EQ(g_song.trackCount, 18);
  nineteenEnabled = true;
  normalChecked = 0;
  {
    DialogWatch watch([&](HWND dialog) {
      if (IsFileDialog(dialog)) {
        ClickButton(dialog, IDC_OPEN_OPTIONS);
        ClickButton(dialog, IDCANCEL);
      } else if (IsOptionsDialog(dialog)) {
        nineteenEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_READ_FROM19));
        normalChecked = IsDlgButtonChecked(dialog, IDC_READ_NORMAL);
        Shot(dialog, "opendlg-options-18");
        CheckRadioButton(dialog, IDC_READ_FROM19, IDC_READ_NORMAL, IDC_READ_APPEND);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      } else {
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    SongOpenDialog(g_app.frame);
    EXPECT_EQ(watch.Seen(), 2);
  }
  EXPECT_FALSE(nineteenEnabled);
  EXPECT_EQ(normalChecked, BST_CHECKED);
  // Cancel leaves the mode as the dialog started it.
  EXPECT_EQ(g_song.trackFileMode, 0);
}

// Shift held when the command starts appends the file's tracks; OK opens.
TEST_F(OpenDialogTest, ShiftAppendsTheFilesTracksToTheSong) {
  ReplaceTrackEvents(1, {Note(60), EndEvent()});
  ReplaceTrackEvents(2, {Note(62), EndEvent()});
  SetShift(true);
  int mode = -1, appendChecked = 0;
  {
    DialogWatch watch([&](HWND dialog) {
      if (IsFileDialog(dialog)) {
        SetShift(false);
        mode = g_song.trackFileMode;
        ClickButton(dialog, IDC_OPEN_OPTIONS);
        TypeFileName(dialog, song_);
        ClickButton(dialog, IDOK);
      } else if (IsOptionsDialog(dialog)) {
        appendChecked = IsDlgButtonChecked(dialog, IDC_READ_APPEND);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      } else {
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      }
    });
    SongOpenDialog(g_app.frame);
  }
  EXPECT_EQ(mode, 1);
  EXPECT_EQ(appendChecked, BST_CHECKED);
  const std::vector<StepEvent> one = TrackEventsOf(1), two = TrackEventsOf(2);
  ASSERT_EQ(one.size(), 2u) << ShowEvents(one);
  EXPECT_EQ(one[0].code, 60);
  EXPECT_EQ(one[1].code, 64);
  ASSERT_EQ(two.size(), 2u) << ShowEvents(two);
  EXPECT_EQ(two[0].code, 62);
  EXPECT_EQ(two[1].code, 67);
}

TEST_F(OpenDialogTest, ShiftDoesNotAppendWhenNewSongsHaveEighteenTracks) {
  g_song.orgTrack = 18;
  SetShift(true);
  int mode = -1;
  {
    DialogWatch watch([&](HWND dialog) {
      SetShift(false);
      mode = g_song.trackFileMode;
      ClickButton(dialog, IDCANCEL);
    });
    SongOpenDialog(g_app.frame);
  }
  EXPECT_EQ(mode, 0);
}

// OK opens the song: its title in the caption, the recent list and the last
// folder; SongLoadAfter bit 1 shows the memo, bit 0 the conductor (made
// again when it was closed), bit 2 the track window.
TEST_F(OpenDialogTest, OkOpensTheSongAndShowsWhatSongLoadAfterAsks) {
  g_settings.songLoadAfter = 7;
  if (g_views.conductor) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_views.conductor), 0);
  ASSERT_EQ(g_views.conductor, nullptr);
  ASSERT_EQ(g_song.untitled, 1);
  std::string memo = "(none)";
  int memos = 0;
  {
    DialogWatch watch([&](HWND dialog) {
      if (IsFileDialog(dialog)) {
        TypeFileName(dialog, song_);
        ClickButton(dialog, IDOK);
      } else if (IsMemoDialog(dialog)) {
        ++memos;
        memo = ControlText(dialog, IDC_MEMO_TEXT);
        Shot(dialog, "opendlg-memo");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      } else {
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    SongOpenDialog(g_app.frame);
  }
  EXPECT_EQ(memos, 1);
  EXPECT_EQ(memo, Padded(kMemo, 360));
  EXPECT_EQ(WindowTitle(g_app.frame).rfind(std::string(kTitle), 0), 0u) << WindowTitle(g_app.frame);
  EXPECT_EQ(g_song.untitled, 0);
  EXPECT_EQ(std::string(g_song.fileName), song_);
  EXPECT_EQ(RecentFile(1), song_);
  EXPECT_EQ(IniGetString("Files", kLastDataDirectoryKey, "", MAX_PATH), dir_.path());
  ASSERT_NE(g_views.conductor, nullptr);
  EXPECT_EQ(WindowTitle(g_views.conductor), "コンダクター");
  EXPECT_FALSE(IsIconic(g_views.conductor));
  EXPECT_NE(g_viewWindows.trackWindow, nullptr);
  const std::vector<StepEvent> one = TrackEventsOf(1);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].code, 64);
  Shot(g_app.frame, "opendlg-opened");
  EXPECT_TRUE(boxes_.boxes.empty());
}

// A path of more than 200 characters is previewed and opened whole (the
// dialog's buffers hold 260).
TEST_F(OpenDialogTest, ALongPathIsPreviewedAndOpenedWhole) {
  const std::string name = "song-" + std::string(190, 'x') + ".G36";
  const std::string path = dir_.File(name);
  ASSERT_GT(path.size(), 200u);
  ASSERT_LT(path.size(), 260u);
  WriteBytes(path, SongFileBytes("Long", "", {{Note(70)}}));
  std::string shown = "(none)";
  bool selected = false;
  {
    DialogWatch watch([&](HWND dialog) {
      if (!IsFileDialog(dialog)) return (void)SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      selected = SelectFile(dialog, "song-");
      shown = ControlText(dialog, IDC_OPEN_TITLE);
      TypeFileName(dialog, path);
      ClickButton(dialog, IDOK);
    });
    SongOpenDialog(g_app.frame);
  }
  EXPECT_TRUE(selected);
  EXPECT_EQ(shown, Padded("Long", 64));
  EXPECT_EQ(g_song.untitled, 0);
  EXPECT_EQ(std::string(g_song.fileName), path);
  EXPECT_EQ(RecentFile(1), path);
  EXPECT_TRUE(boxes_.boxes.empty());
}

// A conductor left as an icon is restored by the open.
TEST_F(OpenDialogTest, TheConductorIsRestoredFromAnIcon) {
  g_settings.songLoadAfter = 1;
  if (!g_views.conductor) OpenConductor();
  ASSERT_NE(g_views.conductor, nullptr);
  ShowWindow(g_views.conductor, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(g_views.conductor));
  HWND conductor = g_views.conductor;
  OpenSongFile(song_.c_str());
  EXPECT_EQ(g_views.conductor, conductor);
  EXPECT_FALSE(IsIconic(conductor));
}

// A file that is no song: the new song stays untitled and saves ask for a
// name; the failure is reported with the file name.
TEST_F(OpenDialogTest, AFailedOpenLeavesTheSongUntitled) {
  OpenSongFile(song_.c_str());
  ASSERT_EQ(g_song.untitled, 0);
  const std::string junk = dir_.File("junk.G36");
  WriteBytes(junk, std::string(200, 'j'));
  OpenSongFile(junk.c_str());
  EXPECT_EQ(g_song.untitled, 1);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].stringId, static_cast<UINT>(IDS_NOT_SONG_DATA));
  EXPECT_NE(boxes_.boxes[0].text.find(junk), std::string::npos) << boxes_.boxes[0].text;
}

// A name relative to the current folder (as a command line gives it) is kept
// whole: the song, the recent list and the last folder name the same file
// after the current folder changes.
TEST_F(OpenDialogTest, ARelativeNameIsKeptAsTheFullPath) {
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.path().c_str()));
  OpenSongFile("song.G36");
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  SetCurrentDirectoryA(temp);
  EXPECT_EQ(g_song.untitled, 0);
  EXPECT_EQ(std::string(g_song.fileName), song_);
  EXPECT_EQ(RecentFile(1), song_);
  EXPECT_EQ(IniGetString("Files", kLastDataDirectoryKey, "", MAX_PATH), dir_.path());
}

// Windows NT 3.51 (as Wine reports it to zkfw32.exe alone) gets the old
// dialog: no explorer view, the title box and the check box for loading from
// track 19 added by the hook. The real program, driven from outside.
class OldStyleOpenTest : public ::testing::Test {
 protected:
  static constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\zkfw32.exe";
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char version[] = "nt351";
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults); }
};

TEST_F(OldStyleOpenTest, OnWindowsNT351TheOldDialogPreviewsTheTitleAndOpensTheSong) {
  TempDir dir;
  const std::string song = dir.File("song.G36");
  WriteBytes(song, SongFileBytes(kTitle, kMemo, {{Note(64)}}));
  WriteSettings(
      "[Play]\r\nApplet=noengine.dll\r\n[Default Display]\r\nView=0\r\n[OTHER]\r\nMAPISW=0\r\nSongLoadAfter=0\r\n"
      "[MIDIIF]\r\nPort1Name=None\r\nPort2Name=None\r\nPort3Name=None\r\nPort4Name=None\r\n"
      "[DeskTop]\r\nFrame=1,1,-1,-1,-1,-1,40,560,30,760\r\n"
      "[Files]\r\nLastDataDirectory=" + dir.path() + "\r\n");
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  PostMessageA(frame, WM_COMMAND, IDM_FILE_OPEN, 0);
  HWND dialog = program.WaitForDialog(30000);
  ASSERT_NE(dialog, nullptr);

  // The old dialog: its file and folder lists, no explorer view.
  EXPECT_NE(GetDlgItem(dialog, lst1), nullptr);
  EXPECT_NE(GetDlgItem(dialog, lst2), nullptr);
  EXPECT_EQ(Descendant(dialog, "SHELLDLL_DefView"), nullptr);
  EXPECT_EQ(FindDialogControl(dialog, IDC_OPEN_OPTIONS), nullptr);
  HWND title = GetDlgItem(dialog, IDC_OPEN_TITLE);
  ASSERT_NE(title, nullptr);
  HWND nineteen = GetDlgItem(dialog, IDC_READ_FROM19);
  ASSERT_NE(nineteen, nullptr);
  EXPECT_EQ(ControlText(nineteen), "19ﾄﾗｯｸから読む");
  EXPECT_TRUE(IsWindowEnabled(nineteen));  // 36 tracks
  // The new band lies below the type list.
  RECT list{}, band{};
  GetWindowRect(GetDlgItem(dialog, cmb1), &list);
  GetWindowRect(title, &band);
  EXPECT_GT(band.top, list.bottom);

  // The name typed into the name box shows its title.
  HWND name = GetDlgItem(dialog, edt1);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("song.G36"));
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(edt1, EN_CHANGE), reinterpret_cast<LPARAM>(name));
  EXPECT_EQ(ControlText(title), Padded(kTitle, 64));
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(300);
  ScreenshotToOutput(dialog, "opendlg-nt351");

  // OK opens it.
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  const std::string caption = std::string(kTitle) + " - Cantorelle for Windows95";
  for (const DWORD start = GetTickCount(); GetTickCount() - start < 30000 && TitleOf(frame) != caption;) Sleep(100);
  EXPECT_EQ(TitleOf(frame), caption);
  EXPECT_TRUE(program.Dialogs().empty());
  EXPECT_TRUE(WaitForSettingsValue("Files", "LastOpen1", song)) << SettingsValue("Files", "LastOpen1");
  EXPECT_TRUE(program.Close());
  EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace
