// The part and user-exclusive file dialogs of the program running in the test
// process, driven as a user drives them: the dialog is found, a full path is
// typed into its name box and OK pressed, a file is clicked in its list, the
// test button pressed. Message boxes are answered by the recorder.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "appglobals.h"
#include "boundengine.h"
#include "enginehost.h"
#include "filedialogs.h"
#include "inifile.h"
#include "inprocess.h"
#include "partdlg.h"
#include "partfile.h"
#include "playstate.h"
#include "programstate.h"
#include "recent.h"
#include "resource.h"
#include "songmodel.h"
#include "shellprocess.h"
#include "stepwnd.h"
#include "testsongs.h"
#include "testsupport.h"
#include "userexcl.h"
#include "userexcldlg.h"
#include "vwinmm.h"

namespace {

using Bytes = std::string;

void Put16(Bytes* b, uint16_t v) {
  b->push_back(static_cast<char>(v & 0xFF));
  b->push_back(static_cast<char>(v >> 8));
}
void Put32(Bytes* b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutEvent(Bytes* b, StepEvent e) {
  b->push_back(static_cast<char>(e.code));
  b->push_back(static_cast<char>(e.vel));
  Put16(b, e.step);
  Put16(b, e.gate);
}

// The four kinds, built as tests/song/partfile_test.cpp builds them.
struct Rec {
  uint8_t c, s, g, v;
};
// "ZKPPR": 4-byte records at 48 ticks per quarter.
Bytes RecordsFile(std::initializer_list<Rec> records) {
  Bytes b("ZKPPR", 5);
  b.push_back(0);
  Put16(&b, static_cast<uint16_t>(records.size() * 4));
  for (const Rec& r : records) b += Bytes{static_cast<char>(r.c), static_cast<char>(r.s), static_cast<char>(r.g),
                                          static_cast<char>(r.v)};
  return b;
}
// "ZKPPARTDATA01": the drop block another program hands over.
Bytes DropFile() {
  Bytes b("ZKPPARTDATA01", 13);
  b += Bytes("\0\1\2\3\4\5\6", 7);
  b += Bytes("\x3C\x30\x18\x64\xFE\0\0\0", 8);
  return b;
}
// "Q30PR": events at the song's time base.
Bytes Q30File(const std::vector<StepEvent>& events) {
  Bytes b("Q30PR", 5);
  b.push_back(0);
  Put16(&b, static_cast<uint16_t>(events.size() * 6));
  for (const StepEvent& e : events) PutEvent(&b, e);
  PutEvent(&b, EndEvent());
  return b;
}
// "Q31PR": the current kind.
Bytes Q31File(uint16_t timeBase, const std::vector<StepEvent>& events) {
  Bytes b("Q31PR", 5);
  b.push_back(0);
  Put16(&b, 12);
  Put32(&b, static_cast<uint32_t>(events.size() * 6));
  Put16(&b, timeBase);
  b.resize(20, 0);
  for (const StepEvent& e : events) PutEvent(&b, e);
  PutEvent(&b, EndEvent());
  return b;
}
// The head and events a converted image starts with (its end event follows).
Bytes ImageHead(uint16_t timeBase, const std::vector<StepEvent>& events) {
  Bytes b = Q31File(timeBase, events);
  b.resize(b.size() - 6);
  return b;
}

Bytes BlockBytes(HGLOBAL h) {
  const char* p = static_cast<const char*>(GlobalLock(h));
  Bytes b(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return b;
}
HGLOBAL BlockWith(const Bytes& data) {
  HGLOBAL h = NewPartBlock();
  std::memcpy(GlobalLock(h), data.data(), data.size());
  GlobalUnlock(h);
  return h;
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// What one dialog showed when the user came to it.
struct SeenDialog {
  std::string title;
  std::vector<std::string> types;
  std::string folder;   // CDM_GETFOLDERPATH
  std::string name;     // the name box
  bool preview = false;  // the test button is there, says "テスト", shows, lies under Cancel with its size
};

SeenDialog Look(HWND dialog) {
  SeenDialog s;
  char text[MAX_PATH] = "";
  GetWindowTextA(dialog, text, sizeof text);
  s.title = text;
  s.types = FileTypes(dialog);
  char folder[MAX_PATH] = "";
  SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
  s.folder = folder;
  if (HWND box = FileNameBox(dialog)) {
    GetWindowTextA(box, text, sizeof text);
    s.name = text;
  }
  HWND button = FindDialogControl(dialog, IDC_PART_PREVIEW);
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  if (button && cancel) {
    RECT b, c, client;
    GetWindowRect(button, &b);
    GetWindowRect(cancel, &c);
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    s.preview = ControlText(dialog, IDC_PART_PREVIEW) == "テスト" && IsWindowVisible(button) &&
                b.left == c.left && b.right == c.right && b.bottom - b.top == c.bottom - c.top && b.top >= c.bottom &&
                b.left >= client.left && b.right <= client.right && b.bottom <= client.bottom;
  }
  return s;
}

void Shoot(HWND dialog, const std::string& name) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
  ScreenshotToOutput(dialog, name);
}

// A user step in one dialog.
using Step = std::function<void(HWND dialog)>;
Step TypeAndOk(const std::string& path, SeenDialog* seen = nullptr, const char* shot = nullptr) {
  return [=](HWND dialog) {
    if (seen) *seen = Look(dialog);
    if (shot) Shoot(dialog, shot);
    TypeFileName(dialog, path);
    ClickButton(dialog, IDOK);
  };
}
Step Cancel(SeenDialog* seen = nullptr) {
  return [=](HWND dialog) {
    if (seen) *seen = Look(dialog);
    ClickButton(dialog, IDCANCEL);
  };
}

// Runs call while the dialogs it opens get steps in turn; one more dialog than
// steps is cancelled and counted as unexpected.
int WithDialogs(std::vector<Step> steps, const std::function<int()>& call, int* unexpected) {
  size_t next = 0;
  *unexpected = 0;
  DialogWatch watch([&](HWND dialog) {
    if (next < steps.size() && IsFileDialog(dialog)) {
      steps[next++](dialog);
      return;
    }
    ++*unexpected;
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  const int result = call();
  EXPECT_EQ(next, steps.size()) << "dialogs shown";
  return result;
}

// Runs this thread's messages (a dialog's loop is the caller) until done.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (!done() && GetTickCount() < end) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
  return done();
}

// Clicks the item named name in the dialog's file list: it becomes the
// selection, and the dialog puts its name into the name box.
bool ClickListedFile(HWND dialog, const std::string& name) {
  HWND view = FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr);
  HWND list = view ? FindWindowExA(view, nullptr, "SysListView32", nullptr) : nullptr;
  if (!list) return false;
  const int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char text[MAX_PATH] = "";
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    if (lstrcmpiA(text, name.c_str()) != 0) continue;
    SetFocus(list);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
    return true;
  }
  return false;
}

class PartDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    // The dialogs make the chosen file's folder current.
    GetCurrentDirectoryA(sizeof cwd_, cwd_);
    for (auto& k : kept_) k.value = IniGetString(k.section, k.key, "", 260);
    IniWriteString(kFilesSection, kLastPartDirectoryKey, "");
    IniWriteString("DataDirectory", "SetCommandData", "");
    IniWriteString(kFilesSection, kLastUserExclDirectoryKey, "");
  }
  void TearDown() override {
    for (auto& k : kept_) IniWriteString(k.section, k.key, k.value.c_str());
    SetCurrentDirectoryA(cwd_);
  }
  static int TimeBase() {
    const auto* h = static_cast<const SongHeader*>(GlobalLock(SongEntry(kHeaderEntry)));
    const int t = h ? h->timeBase : 0;
    GlobalUnlock(SongEntry(kHeaderEntry));
    return t;
  }
  static std::string Key(const char* key) { return IniGetString(kFilesSection, key, "", 260); }

  struct Kept {
    const char* section;
    const char* key;
    std::string value;
  };
  Kept kept_[3] = {{kFilesSection, kLastPartDirectoryKey, ""},
                   {"DataDirectory", "SetCommandData", ""},
                   {kFilesSection, kLastUserExclDirectoryKey, ""}};
  char cwd_[MAX_PATH] = "";
  MessageBoxRecorder boxes_;
  TempDir dir_;
  int unexpected_ = 0;
};

// A Q31 part of two notes at 480 with its end event: the bytes a step editor
// hands the save dialog.
const std::vector<StepEvent> kTwoNotes = {E(70, 100, 240, 120), E(72, 100, 240, 120)};

TEST_F(PartDialogTest, SaveAddsTheExtensionAndAsksBeforeOverwriting) {
  const Bytes first = Q31File(480, kTwoNotes);
  HGLOBAL block = BlockWith(first);
  const DWORD bytes = static_cast<DWORD>(first.size());
  const std::string typed = dir_.File("p");
  const std::string saved = dir_.File("p.GRT");

  SeenDialog seen;
  EXPECT_EQ(1, WithDialogs({TypeAndOk(typed, &seen, "partdlg_save")},
                           [&] { return SavePartFileAs(g_app.frame, block, bytes); }, &unexpected_));
  EXPECT_EQ(0, unexpected_);
  EXPECT_EQ(seen.title, "パートセーブ");
  EXPECT_EQ(seen.types, std::vector<std::string>{"ﾊﾟｰﾄ ﾌｧｲﾙ (*.GRT)"});
  EXPECT_EQ(first, ReadFileBytes(saved));
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_TRUE(SamePath(Key(kLastPartDirectoryKey), dir_.path())) << Key(kLastPartDirectoryKey);

  // The file is there: No asks for a name again, Cancel gives up and writes
  // nothing.
  const Bytes second = Q31File(480, {E(60, 90, 480, 240)});
  std::memcpy(GlobalLock(block), second.data(), second.size());
  GlobalUnlock(block);
  boxes_.answers = {IDNO, IDCANCEL};
  SeenDialog again;
  EXPECT_EQ(0, WithDialogs({TypeAndOk(typed), TypeAndOk(typed, &again)},
                           [&] { return SavePartFileAs(g_app.frame, block, bytes); }, &unexpected_));
  EXPECT_EQ(0, unexpected_);
  ASSERT_EQ(2u, boxes_.boxes.size());
  for (const RecordedBox& box : boxes_.boxes) {
    EXPECT_EQ(static_cast<UINT>(IDS_QUERY_OVERWRITE), box.stringId);
    EXPECT_NE(std::string::npos, box.text.find("p.GRT")) << box.text;
    EXPECT_EQ(static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION), box.style & (MB_TYPEMASK | MB_ICONMASK));
  }
  // Shown again where the user was, with the name asked about.
  EXPECT_TRUE(SamePath(again.folder, dir_.path())) << again.folder;
  EXPECT_NE(std::string::npos, again.name.find("p.GRT")) << again.name;
  EXPECT_EQ(first, ReadFileBytes(saved));

  // Yes writes.
  boxes_.boxes.clear();
  boxes_.answers = {IDYES};
  EXPECT_EQ(1, WithDialogs({TypeAndOk(typed)}, [&] { return SavePartFileAs(g_app.frame, block, bytes); },
                           &unexpected_));
  EXPECT_EQ(1u, boxes_.boxes.size());
  EXPECT_EQ(Bytes(second.begin(), second.end()) + Bytes(first.begin() + second.size(), first.end()),
            ReadFileBytes(saved));

  // Cancel in the dialog itself.
  EXPECT_EQ(0, WithDialogs({Cancel()}, [&] { return SavePartFileAs(g_app.frame, block, bytes); }, &unexpected_));
  GlobalFree(block);
}

TEST_F(PartDialogTest, ShortWriteGivesZeroAndLeavesNoFile) {
  HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE, 32);
  // Asked for more than the block holds: not all of it can be written.
  EXPECT_EQ(0, WithDialogs({TypeAndOk(dir_.File("short"))}, [&] { return SavePartFileAs(g_app.frame, small, 64); },
                           &unexpected_));
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_WRITE), boxes_.boxes[0].stringId);
  EXPECT_TRUE(boxes_.boxes[0].style & MB_ICONSTOP);
  EXPECT_FALSE(FileExists(dir_.File("short.GRT")));
  EXPECT_EQ("", Key(kLastPartDirectoryKey));
  GlobalFree(small);
}

TEST_F(PartDialogTest, SetDataStartsInItsOwnFolderAndLeavesTheLastPartDirectory) {
  TempDir data;
  IniWriteString("DataDirectory", "SetCommandData", data.path().c_str());
  IniWriteString(kFilesSection, kLastPartDirectoryKey, dir_.path().c_str());
  const Bytes part = Q31File(480, kTwoNotes);
  HGLOBAL block = BlockWith(part);
  SeenDialog seen;
  EXPECT_EQ(1, WithDialogs({TypeAndOk(data.File("set"), &seen)},
                           [&] { return SavePartFile(g_app.frame, block, static_cast<DWORD>(part.size())); },
                           &unexpected_));
  EXPECT_EQ(seen.title, "セットデータセーブ");
  EXPECT_TRUE(SamePath(seen.folder, data.path())) << seen.folder;
  EXPECT_EQ(part, ReadFileBytes(data.File("set.GRT")));
  EXPECT_TRUE(SamePath(Key(kLastPartDirectoryKey), dir_.path()));

  HGLOBAL loaded = NewPartBlock();
  EXPECT_EQ(1, WithDialogs({TypeAndOk(data.File("set.GRT"), &seen, "partdlg_open_setdata")},
                           [&] { return PartLoadDialogData(g_app.frame, loaded); }, &unexpected_));
  EXPECT_EQ(seen.title, "セットデータロード");
  EXPECT_EQ(seen.types, std::vector<std::string>{"ﾊﾟｰﾄ ﾌｧｲﾙ (*.GRT;*.PRT)"});
  EXPECT_TRUE(SamePath(seen.folder, data.path())) << seen.folder;
  EXPECT_TRUE(seen.preview);
  EXPECT_EQ(part, BlockBytes(loaded).substr(0, part.size()));
  EXPECT_TRUE(SamePath(Key(kLastPartDirectoryKey), dir_.path()));
  EXPECT_TRUE(boxes_.boxes.empty());
  GlobalFree(loaded);
  GlobalFree(block);
}

struct KindCase {
  const char* name;
  Bytes file;
  Bytes head;  // head and events of the converted image
};

TEST_F(PartDialogTest, EveryKindLoadsConvertedToTheSongTimeBase) {
  ASSERT_EQ(480, TimeBase());
  const KindCase cases[] = {
      {"old.PRT", RecordsFile({{0x3C, 48, 24, 100}, {0xFE, 0, 0, 0}}), ImageHead(480, {E(0x3C, 100, 480, 240)})},
      // Events at the song's time base, unscaled, and named so.
      {"q30.GRT", Q30File({E(0x40, 80, 120, 60), E(0xFD)}), ImageHead(480, {E(0x40, 80, 120, 60), E(0xFD)})},
      {"q31.GRT", Q31File(96, {E(0x3C, 100, 24, 12), E(0xFD, 0, 5, 9)}),
       ImageHead(480, {E(0x3C, 100, 120, 60), E(0xFD, 0, 5, 9)})},
      {"cur.GRT", Q31File(0, kTwoNotes), ImageHead(0, kTwoNotes)},
  };
  bool first = true;
  for (const KindCase& c : cases) {
    WriteBytes(dir_.File(c.name), c.file);
    HGLOBAL block = NewPartBlock();
    SeenDialog seen;
    EXPECT_EQ(1, WithDialogs({TypeAndOk(dir_.File(c.name), &seen, first ? "partdlg_open" : nullptr)},
                             [&] { return PartLoadDialog(g_app.frame, block); }, &unexpected_))
        << c.name;
    first = false;
    EXPECT_EQ(seen.title, "パートロード");
    EXPECT_EQ(seen.types, std::vector<std::string>{"ﾊﾟｰﾄ ﾌｧｲﾙ (*.GRT;*.PRT)"});
    EXPECT_TRUE(seen.preview) << "the test button under Cancel";
    const Bytes b = BlockBytes(block);
    EXPECT_EQ(c.head, b.substr(0, c.head.size())) << c.name;
    EXPECT_EQ('\xFE', b[c.head.size()]) << c.name;
    EXPECT_TRUE(SamePath(Key(kLastPartDirectoryKey), dir_.path()));
    GlobalFree(block);
  }
  EXPECT_TRUE(boxes_.boxes.empty());
  // The next dialog starts where the last part came from.
  SeenDialog seen;
  HGLOBAL block = NewPartBlock();
  EXPECT_EQ(0, WithDialogs({Cancel(&seen)}, [&] { return PartLoadDialog(g_app.frame, block); }, &unexpected_));
  EXPECT_TRUE(SamePath(seen.folder, dir_.path())) << seen.folder;
  GlobalFree(block);
}

TEST_F(PartDialogTest, FilesThatAreNoPartOrCannotBeReadGiveZero) {
  TempDir other;
  IniWriteString(kFilesSection, kLastPartDirectoryKey, other.path().c_str());
  struct Case {
    const char* name;
    Bytes file;
    UINT message;
  } cases[] = {
      {"song.GRT", Bytes("MThd\0\0\0\6", 8), IDS_NOT_PART_DATA},
      // The drop kind comes from another program in memory, never from a file.
      {"drop.GRT", DropFile(), IDS_NOT_PART_DATA},
      {"cut.GRT", Q31File(480, kTwoNotes).substr(0, 26), IDS_NOT_PART_DATA},
  };
  for (const Case& c : cases) {
    boxes_.boxes.clear();
    WriteBytes(dir_.File(c.name), c.file);
    HGLOBAL block = NewPartBlock();
    EXPECT_EQ(0, WithDialogs({TypeAndOk(dir_.File(c.name))}, [&] { return PartLoadDialog(g_app.frame, block); },
                             &unexpected_))
        << c.name;
    ASSERT_EQ(1u, boxes_.boxes.size()) << c.name;
    EXPECT_EQ(c.message, boxes_.boxes[0].stringId) << c.name;
    EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find(c.name));
    EXPECT_TRUE(boxes_.boxes[0].style & MB_ICONSTOP);
    GlobalFree(block);
  }
  // A file held open by another without sharing cannot be read.
  boxes_.boxes.clear();
  const std::string locked = dir_.File("locked.GRT");
  WriteBytes(locked, Q31File(480, kTwoNotes));
  HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  HGLOBAL block = NewPartBlock();
  EXPECT_EQ(0, WithDialogs({TypeAndOk(locked)}, [&] { return PartLoadDialog(g_app.frame, block); }, &unexpected_));
  CloseHandle(hold);
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_OPEN), boxes_.boxes[0].stringId);
  GlobalFree(block);
  // None of them moved the last part directory.
  EXPECT_TRUE(SamePath(Key(kLastPartDirectoryKey), other.path()));
}

// The test button with the stream engine bound on the virtual device: the
// file clicked in the list plays in place of the current step editor's
// track, the dialog stays open, and the end of the play reaches the frame
// from the dialog's own loop.
class PartPreviewTest : public PartDialogTest {
 protected:
  void SetUp() override {
    PartDialogTest::SetUp();
    ASSERT_TRUE(engine_.Bind("zkpoly.dll", false));
    editor_ = StepEditorOfTrack(1);
    if (!editor_) editor_ = opened_ = CreateStepEditor(1, 0);
    ASSERT_NE(editor_, nullptr);
    SendMessageA(g_app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(editor_), 0);
    ASSERT_EQ(g_prog.currentStep, editor_);
  }
  void TearDown() override {
    engine_.Release();
    if (opened_) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(opened_), 0);
    ClearSongModified();
    PartDialogTest::TearDown();
  }
  std::vector<int> NoteOnKeys() {
    std::vector<int> keys;
    for (const auto& m : StreamShorts(DeviceLog(engine_.vm), 0))
      if ((m.second & 0xF0) == 0x90 && (m.second >> 16) != 0) keys.push_back(static_cast<int>((m.second >> 8) & 0x7F));
    return keys;
  }
  BoundEngine engine_;
  HWND editor_ = nullptr;
  HWND opened_ = nullptr;
};

TEST_F(PartPreviewTest, TestButtonPlaysTheClickedFileAndTheDialogStaysOpen) {
  WriteBytes(dir_.File("tune.GRT"), Q31File(480, kTwoNotes));
  WriteBytes(dir_.File("other.GRT"), Q31File(480, {E(50, 100, 240, 120)}));
  // Where the last part was saved: the dialog starts there.
  IniWriteString(kFilesSection, kLastPartDirectoryKey, dir_.path().c_str());
  engine_.vm.LogClear();

  bool clicked = false, played = false, ended = false, stillOpen = false;
  std::string name;
  HGLOBAL block = NewPartBlock();
  const int result = WithDialogs(
      {[&](HWND dialog) {
        clicked = ClickListedFile(dialog, "tune.GRT");
        name = ControlText(FileNameBox(dialog));
        ClickButton(dialog, IDC_PART_PREVIEW);
        played = PumpUntil([&] { return engine_.Playing(); }, 3000);
        Shoot(dialog, "partdlg_preview");
        // No main loop runs: only the dialog's hook can hand the end over.
        ended = PumpUntil(
            [&] { return !engine_.Playing() && g_playEnded == 0 && g_play.measurePlayBlock == nullptr; }, 10000);
        stillOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        ClickButton(dialog, IDCANCEL);
      }},
      [&] { return PartLoadDialog(g_app.frame, block); }, &unexpected_);
  EXPECT_EQ(0, result);  // cancelled after the preview
  EXPECT_EQ(0, unexpected_);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(name, "tune.GRT");
  EXPECT_TRUE(played);
  EXPECT_TRUE(ended);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(NoteOnKeys(), (std::vector<int>{70, 72}));
  EXPECT_TRUE(boxes_.boxes.empty());
  // The dialog's own block was not touched by the preview.
  EXPECT_EQ('\xFE', BlockBytes(block)[0]);
  GlobalFree(block);
}

TEST_F(PartPreviewTest, TestButtonWithoutAFileChosenDoesNothing) {
  IniWriteString(kFilesSection, kLastPartDirectoryKey, dir_.path().c_str());
  engine_.vm.LogClear();
  HGLOBAL block = NewPartBlock();
  bool played = true;
  EXPECT_EQ(0, WithDialogs({[&](HWND dialog) {
                             ClickButton(dialog, IDC_PART_PREVIEW);  // the name box holds the pattern
                             played = PumpUntil([&] { return engine_.Playing(); }, 300);
                             ClickButton(dialog, IDCANCEL);
                           }},
                           [&] { return PartLoadDialog(g_app.frame, block); }, &unexpected_));
  EXPECT_FALSE(played);
  EXPECT_TRUE(boxes_.boxes.empty());
  GlobalFree(block);
}

// User exclusives: the eight slots of the song header.
class UserExclDialogTest : public PartDialogTest {
 protected:
  void SetUp() override {
    PartDialogTest::SetUp();
    std::memcpy(kept_slots_, Header()->userExcl, sizeof kept_slots_);
    GlobalUnlock(SongEntry(kHeaderEntry));
  }
  void TearDown() override {
    std::memcpy(Header()->userExcl, kept_slots_, sizeof kept_slots_);
    GlobalUnlock(SongEntry(kHeaderEntry));
    PartDialogTest::TearDown();
  }
  // Locked; the caller unlocks.
  static SongHeader* Header() { return static_cast<SongHeader*>(GlobalLock(SongEntry(kHeaderEntry))); }
  static Bytes Slots() {
    const SongHeader* h = Header();
    Bytes b(reinterpret_cast<const char*>(h->userExcl), sizeof h->userExcl);
    GlobalUnlock(SongEntry(kHeaderEntry));
    return b;
  }
  static void FillSlots(char seed) {
    SongHeader* h = Header();
    auto* p = reinterpret_cast<char*>(h->userExcl);
    for (size_t i = 0; i < sizeof h->userExcl; ++i) p[i] = static_cast<char>(seed + i * 7);
    GlobalUnlock(SongEntry(kHeaderEntry));
  }
  UserExclusiveSlot kept_slots_[8];
};

TEST_F(UserExclDialogTest, SavedWithoutExtensionAndLoadedBackIntoTheSameSlots) {
  FillSlots(0x11);
  const Bytes slots = Slots();
  HGLOBAL image = MakeUserExclImage();
  ASSERT_NE(image, nullptr);
  SeenDialog seen;
  EXPECT_EQ(1, WithDialogs({TypeAndOk(dir_.File("slots"), &seen, "userexcl_save")},
                           [&] { return SaveUserExclFile(g_app.frame, image, 410); }, &unexpected_));
  EXPECT_EQ(seen.title, "セーブ ユーザーエクスクルーシブ");
  EXPECT_EQ(seen.types, std::vector<std::string>{"ﾕｰｻﾞｰ ｴｸｽｸﾙｰｼﾌﾞ ﾌｧｲﾙ (*.REX)"});
  const Bytes file = ReadFileBytes(dir_.File("slots.REX"));
  ASSERT_EQ(410u, file.size());
  EXPECT_EQ(Bytes("ZKM-PC98 USER EXCLUSIVE\r\n\x1A", 26), file.substr(0, 26));
  EXPECT_EQ(slots, file.substr(26));
  EXPECT_TRUE(SamePath(Key(kLastUserExclDirectoryKey), dir_.path()));
  EXPECT_TRUE(boxes_.boxes.empty());

  // Saved again under the same typed name: the question names the file with
  // its extension; Cancel leaves it.
  boxes_.answers = {IDCANCEL};
  EXPECT_EQ(0, WithDialogs({TypeAndOk(dir_.File("slots"))},
                           [&] { return SaveUserExclFile(g_app.frame, image, 410); }, &unexpected_));
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("slots.REX")) << boxes_.boxes[0].text;
  boxes_.boxes.clear();

  // Other slots now; the load brings the saved ones back.
  FillSlots(0x55);
  HGLOBAL loaded = GlobalAlloc(GMEM_MOVEABLE, 410);
  EXPECT_EQ(1, WithDialogs({TypeAndOk(dir_.File("slots.REX"), &seen, "userexcl_load")},
                           [&] { return LoadUserExclFile(g_app.frame, loaded); }, &unexpected_));
  EXPECT_EQ(seen.title, "ロード ユーザーエクスクルーシブ");
  EXPECT_TRUE(SamePath(seen.folder, dir_.path())) << seen.folder;
  ASSERT_TRUE(ApplyUserExclImage(loaded));
  EXPECT_EQ(slots, Slots());
  EXPECT_TRUE(boxes_.boxes.empty());
  GlobalFree(loaded);
  GlobalFree(image);
}

TEST_F(UserExclDialogTest, WrongSignatureOrShortFileLeavesTheHeader) {
  FillSlots(0x21);
  HGLOBAL image = MakeUserExclImage();
  Bytes good = BlockBytes(image).substr(0, 410);
  Bytes wrong = good;
  wrong[22] = 'f';  // "...EXCLUSIVf"
  WriteBytes(dir_.File("wrong.REX"), wrong);
  WriteBytes(dir_.File("short.REX"), good.substr(0, 200));
  FillSlots(0x33);
  const Bytes header = Slots();
  struct Case {
    const char* name;
    UINT message;
  } cases[] = {{"wrong.REX", IDS_NOT_USEREXCL_DATA}, {"short.REX", IDS_CANNOT_READ}};
  for (const Case& c : cases) {
    boxes_.boxes.clear();
    HGLOBAL loaded = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 410);
    const int result = WithDialogs({TypeAndOk(dir_.File(c.name))},
                                   [&] { return LoadUserExclFile(g_app.frame, loaded); }, &unexpected_);
    EXPECT_EQ(0, result) << c.name;
    // The caller copies only after success.
    if (result) ApplyUserExclImage(loaded);
    EXPECT_EQ(header, Slots()) << c.name;
    EXPECT_EQ(Bytes(410, '\0'), BlockBytes(loaded).substr(0, 410)) << c.name;
    ASSERT_EQ(1u, boxes_.boxes.size()) << c.name;
    EXPECT_EQ(c.message, boxes_.boxes[0].stringId) << c.name;
    EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find(c.name));
    EXPECT_TRUE(boxes_.boxes[0].style & MB_ICONSTOP);
    GlobalFree(loaded);
  }
  EXPECT_EQ("", Key(kLastUserExclDirectoryKey));
  // A short write: message 4, 0, no file.
  boxes_.boxes.clear();
  EXPECT_EQ(0, WithDialogs({TypeAndOk(dir_.File("big"))}, [&] { return SaveUserExclFile(g_app.frame, image, 500); },
                           &unexpected_));
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_WRITE), boxes_.boxes[0].stringId);
  EXPECT_FALSE(FileExists(dir_.File("big.REX")));
  GlobalFree(image);
}

}  // namespace
