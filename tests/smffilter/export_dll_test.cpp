// MakeExpFile and ExpFilterOption of zksmf.dll, called by ordinal as a host
// calls them; the options dialog is driven from a timer inside its loop.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "export_smfread.h"
#include "playsong.h"
#include "smfexport.h"
#include "songfixture.h"

using namespace songfixture;

namespace {

using MakeExpFileFn = int(WINAPI*)(HINSTANCE, HWND, HWND, HGLOBAL, HGLOBAL*, DWORD*, int, int, int);
using ExpFilterOptionFn = int(WINAPI*)(HWND, HWND);

std::string ExeFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

// A private copy of the library, so that every test starts from the
// attach-time options.
class Filter {
 public:
  explicit Filter(const char* tag) {
    path_ = ExeFolder() + "zksmf_" + tag + ".dll";
    CopyFileA((ExeFolder() + "zksmf.dll").c_str(), path_.c_str(), FALSE);
    lib_ = LoadLibraryA(path_.c_str());
    if (lib_) {
      make = reinterpret_cast<MakeExpFileFn>(reinterpret_cast<void*>(GetProcAddress(lib_, MAKEINTRESOURCEA(24))));
      option = reinterpret_cast<ExpFilterOptionFn>(reinterpret_cast<void*>(GetProcAddress(lib_, MAKEINTRESOURCEA(25))));
    }
  }
  ~Filter() {
    if (lib_) FreeLibrary(lib_);
    DeleteFileA(path_.c_str());
  }
  bool Ok() const { return make && option; }

  MakeExpFileFn make = nullptr;
  ExpFilterOptionFn option = nullptr;

 private:
  std::string path_;
  HMODULE lib_ = nullptr;
};

struct ExportResult {
  int result = -1;
  std::vector<uint8_t> image;
};

// Hands the song to MakeExpFile as a host does: a table of the song's
// blocks, a small first output block. The song's blocks must survive.
ExportResult Export(const Filter& f, const SongHeader& header, const std::vector<TrackFixture>& tracks,
                    HWND progress = nullptr) {
  HGLOBAL table = NewSongTable(header, tracks);
  SongHandleTable copy;
  std::memcpy(&copy, GlobalLock(table), sizeof copy);
  GlobalUnlock(table);
  HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, 16);
  DWORD length = 16;
  ExportResult r;
  r.result = f.make(nullptr, nullptr, progress, table, &out, &length, static_cast<int>(tracks.size()), 0, 0);
  EXPECT_EQ(GlobalSize(table), 0u) << "the table block was not freed";
  if (out && length <= GlobalSize(out)) {
    const auto* p = static_cast<const uint8_t*>(GlobalLock(out));
    r.image.assign(p, p + length);
    GlobalUnlock(out);
  }
  if (out) GlobalFree(out);
  for (HGLOBAL h : copy.h) {
    if (!h) continue;
    EXPECT_GT(GlobalSize(h), 0u) << "a block of the song was freed";
    GlobalFree(h);
  }
  return r;
}

std::vector<TrackFixture> PortSong() {
  std::vector<TrackFixture> tracks(4);
  for (int p = 0; p < 4; ++p) {
    tracks[p].channel = static_cast<uint8_t>(p * 16);
    tracks[p].events = {StepEvent{static_cast<uint8_t>(60 + p), 90, 480, 240}};
  }
  return tracks;
}

// The ports whose notes reached the file (port events say which).
std::vector<int> PortsWritten(const std::vector<uint8_t>& image) {
  smfread::File f = smfread::Read(image);
  std::vector<int> ports;
  for (const auto& track : f.tracks)
    for (const auto& e : track)
      if ((e.Status() & 0xF0) == 0x90 && e.bytes[2] != 0) ports.push_back(e.bytes[1] - 60);
  return ports;
}

// A window whose word 0 holds a song record, as the main program's.
class SongWindow {
 public:
  explicit SongWindow(const SongHeader& header) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZkSmfTestSong";
    RegisterClassA(&wc);
    headerBlock_ = NewBlock(&header, sizeof header, sizeof header);
    tableBlock_ = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(SongHandleTable));
    auto* table = static_cast<SongHandleTable*>(LocalLock(tableBlock_));
    table->h[kHeaderEntry] = headerBlock_;
    LocalUnlock(tableBlock_);
    record_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(SongDocument));
    auto* doc = static_cast<SongDocument*>(GlobalLock(record_));
    doc->handleTable = tableBlock_;
    GlobalUnlock(record_);
    hwnd = CreateWindowA("ZkSmfTestSong", "song", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(record_));
  }
  ~SongWindow() {
    DestroyWindow(hwnd);
    GlobalFree(record_);
    LocalFree(tableBlock_);
    GlobalFree(headerBlock_);
  }
  HWND hwnd = nullptr;

 private:
  HGLOBAL headerBlock_ = nullptr, record_ = nullptr;
  HLOCAL tableBlock_ = nullptr;
};

std::function<void(HWND)> g_script;

BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
  char cls[16] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == "#32770") {
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  return TRUE;
}

// The timer keeps running until the dialog has returned: its messages also
// wake the dialog's loop after the script ends it.
VOID CALLBACK DriveDialog(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_script) return;
  HWND dlg = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dlg));
  if (!dlg) return;
  auto script = std::move(g_script);
  g_script = nullptr;
  if (script) script(dlg);
}

// Runs the options dialog; script looks at it and ends it.
int RunOptions(const Filter& f, HWND song, std::function<void(HWND)> script, HWND parent = nullptr) {
  g_script = std::move(script);
  UINT_PTR timer = SetTimer(nullptr, 0, 20, DriveDialog);
  int r = f.option(song, parent);
  KillTimer(nullptr, timer);
  return r;
}

void Press(HWND dlg, int id) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

std::string ItemText(HWND dlg, int id) {
  char text[64] = {};
  GetDlgItemTextA(dlg, id, text, sizeof text);
  return text;
}

std::string SelectedTimeBase(HWND dlg) {
  HWND combo = GetDlgItem(dlg, 1057);
  LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  char text[16] = {};
  if (sel >= 0) SendMessageA(combo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(text));
  return text;
}

void Spin(HWND dlg, int delta) {
  NMUPDOWN n = {};
  n.hdr.hwndFrom = GetDlgItem(dlg, 1014);
  n.hdr.idFrom = 1014;
  n.hdr.code = UDN_DELTAPOS;
  n.iDelta = delta;
  SendMessageA(dlg, WM_NOTIFY, 1014, reinterpret_cast<LPARAM>(&n));
}

int Division(const std::vector<uint8_t>& image) { return image.size() >= 14 ? image[12] << 8 | image[13] : -1; }

TrackFixture Note(uint8_t channel) {
  TrackFixture t;
  t.channel = channel;
  t.events = {StepEvent{60, 90, 480, 240}};
  return t;
}

}  // namespace

TEST(SmfExportDll, MakeExpFileGrowsTheHostBlock) {
  Filter f("make");
  ASSERT_TRUE(f.Ok());
  SongHeader h = MakeHeader(480, 120, 4, 4, 0, "SONG");
  std::vector<TrackFixture> tracks = {Note(0x00), Note(0x11)};

  // A progress dialog of the host: its text and bar items.
  HWND progress = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 200, 60, nullptr, nullptr, nullptr, nullptr);
  CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 200, 20, progress, reinterpret_cast<HMENU>(1751), nullptr, nullptr);
  CreateWindowA("STATIC", "", WS_CHILD, 0, 30, 200, 20, progress, reinterpret_cast<HMENU>(1752), nullptr, nullptr);
  ExportResult r = Export(f, h, tracks, progress);
  EXPECT_EQ(ItemText(progress, 1751), "MIDI FILEを書き出し中です。");
  DestroyWindow(progress);

  EXPECT_EQ(r.result, 1);
  HGLOBAL table = NewSongTable(h, tracks);
  PlaySong song;
  ASSERT_TRUE(CopyPlaySong(table, 2, song));
  FreeSongTable(table);
  std::vector<uint8_t> expected;
  ASSERT_EQ(ExportSmf(song, SmfExportOptions{}, expected), SmfExportStatus::kOk);
  EXPECT_GT(expected.size(), 16u);
  EXPECT_EQ(r.image, expected);
}

TEST(SmfExportDll, MakeExpFileWithoutSongFails) {
  Filter f("nosong");
  ASSERT_TRUE(f.Ok());
  HGLOBAL table = GlobalAlloc(kShareableZeroed, sizeof(SongHandleTable));  // no header
  HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE, 16);
  DWORD length = 16;
  EXPECT_EQ(f.make(nullptr, nullptr, nullptr, table, &out, &length, 3, 0, 0), 0);
  EXPECT_EQ(length, 0u);
  length = 16;
  EXPECT_EQ(f.make(nullptr, nullptr, nullptr, nullptr, &out, &length, 1, 0, 0), 0);
  EXPECT_EQ(length, 0u);
  GlobalFree(out);
}

// The song's time base picks the item; OK makes it the export's, and any
// time base not offered becomes 48.
TEST(SmfExportDll, TimeBaseOfTheSong) {
  struct Case {
    uint16_t songBase;
    const char* item;
    int written;
  } cases[] = {{480, "480", 480}, {96, " 96", 96}, {60, " 60", 60}, {100, " 48", 48}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.songBase);
    Filter f("tb");
    ASSERT_TRUE(f.Ok());
    SongHeader h = MakeHeader(c.songBase);
    SongWindow w(h);
    std::string shown;
    EXPECT_EQ(RunOptions(f, w.hwnd, [&](HWND dlg) {
                shown = SelectedTimeBase(dlg);
                Press(dlg, IDOK);
              }),
              1);
    EXPECT_EQ(shown, c.item);
    EXPECT_EQ(Division(Export(f, h, {Note(0)}).image), c.written);
  }
}

TEST(SmfExportDll, CancelKeepsTheSongsTimeBaseOnly) {
  Filter f("cancel");
  ASSERT_TRUE(f.Ok());
  SongHeader h = MakeHeader(240);
  SongWindow w(h);
  EXPECT_EQ(RunOptions(f, w.hwnd, [](HWND dlg) {
              CheckDlgButton(dlg, 1900, BST_UNCHECKED);
              CheckDlgButton(dlg, 1005, BST_CHECKED);
              Press(dlg, IDCANCEL);
            }),
            0);
  smfread::File file = smfread::Read(Export(f, h, {Note(0)}).image);
  EXPECT_EQ(file.division, 240);
  EXPECT_EQ(file.format, 0);
}

TEST(SmfExportDll, FormatAndPorts) {
  Filter f("ports");
  ASSERT_TRUE(f.Ok());
  SongHeader h = MakeHeader();
  SongWindow w(h);
  bool format0 = false, modeA = false;
  std::vector<bool> ports;
  EXPECT_EQ(RunOptions(f, w.hwnd, [&](HWND dlg) {
              format0 = IsDlgButtonChecked(dlg, 1900) == BST_CHECKED;
              modeA = IsDlgButtonChecked(dlg, 1006) == BST_CHECKED;
              for (int id = 1021; id <= 1024; ++id) ports.push_back(IsDlgButtonChecked(dlg, id) == BST_CHECKED);
              CheckDlgButton(dlg, 1900, BST_UNCHECKED);
              CheckDlgButton(dlg, 1005, BST_CHECKED);
              CheckDlgButton(dlg, 1022, BST_UNCHECKED);
              Press(dlg, IDOK);
            }),
            1);
  EXPECT_TRUE(format0);
  EXPECT_TRUE(modeA);
  EXPECT_EQ(ports, (std::vector<bool>{true, true, true, true}));
  ExportResult r = Export(f, h, PortSong());
  smfread::File file = smfread::Read(r.image);
  ASSERT_TRUE(file.ok);
  EXPECT_EQ(file.format, 1);
  EXPECT_EQ(file.chunkCount, 5);
  EXPECT_EQ(PortsWritten(r.image), (std::vector<int>{0, 2, 3}));
}

// With PortSW 2 ports C and D are never written, checked or not.
TEST(SmfExportDll, PortModeTwoKeepsPortsCAndDOut) {
  WritePrivateProfileStringA("zksmf", "PortSW", "2", "ZKFW95.INI");
  Filter f("sw2");
  WritePrivateProfileStringA("zksmf", "PortSW", nullptr, "ZKFW95.INI");
  ASSERT_TRUE(f.Ok());
  SongHeader h = MakeHeader();
  SongWindow w(h);
  std::vector<bool> ports;
  bool mode2 = false;
  EXPECT_EQ(RunOptions(f, w.hwnd, [&](HWND dlg) {
              mode2 = IsDlgButtonChecked(dlg, 1008) == BST_CHECKED;
              for (int id = 1021; id <= 1024; ++id) ports.push_back(IsDlgButtonChecked(dlg, id) == BST_CHECKED);
              CheckDlgButton(dlg, 1023, BST_CHECKED);
              CheckDlgButton(dlg, 1024, BST_CHECKED);
              Press(dlg, IDOK);
            }),
            1);
  EXPECT_TRUE(mode2);
  EXPECT_EQ(ports, (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(PortsWritten(Export(f, h, PortSong()).image), (std::vector<int>{0, 1}));
}

TEST(SmfExportDll, BarManagementTrack) {
  Filter f("bar");
  ASSERT_TRUE(f.Ok());
  SongHeader h = MakeHeader();
  h.trackCount = 3;
  SongWindow w(h);
  auto openAndSet = [&](const char* typed) {
    std::string shown;
    RunOptions(f, w.hwnd, [&](HWND dlg) {
      shown = ItemText(dlg, 1013);
      if (typed) SetDlgItemTextA(dlg, 1013, typed);
      Press(dlg, IDOK);
    });
    return shown;
  };
  EXPECT_EQ(openAndSet("0"), "1");
  EXPECT_EQ(openAndSet("3"), "1");  // 0 was stored as the first track
  EXPECT_EQ(openAndSet(nullptr), "3");

  // The spin stays within 1 .. the track count.
  std::vector<std::string> seen;
  RunOptions(f, w.hwnd, [&](HWND dlg) {
    Spin(dlg, -1);  // up, already at the last track
    seen.push_back(ItemText(dlg, 1013));
    Spin(dlg, 1);
    seen.push_back(ItemText(dlg, 1013));
    SetDlgItemTextA(dlg, 1013, "1");
    Spin(dlg, 1);
    seen.push_back(ItemText(dlg, 1013));
    SetDlgItemTextA(dlg, 1013, "3");
    Press(dlg, IDOK);
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"3", "2", "1"}));

  // An export of a song with fewer tracks resets it.
  Export(f, h, {Note(0)});
  EXPECT_EQ(openAndSet(nullptr), "1");
}

TEST(SmfExportDll, DialogIsCentredOverItsParent) {
  Filter f("centre");
  ASSERT_TRUE(f.Ok());
  SongHeader h = MakeHeader();
  SongWindow w(h);
  HWND parent = CreateWindowA("ZkSmfTestSong", "parent", WS_OVERLAPPEDWINDOW, 100, 80, 700, 500, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  RECT d = {}, p = {};
  char caption[32] = {};
  int r = RunOptions(f, w.hwnd, [&](HWND dlg) {
    GetWindowRect(dlg, &d);
    GetWindowTextA(dlg, caption, sizeof caption);
    Press(dlg, IDCANCEL);
  }, parent);
  GetWindowRect(parent, &p);
  DestroyWindow(parent);
  EXPECT_EQ(r, 0);
  EXPECT_STREQ(caption, "保存の設定");
  EXPECT_NEAR((d.left + d.right) / 2, (p.left + p.right) / 2, 1);
  EXPECT_NEAR((d.top + d.bottom) / 2, (p.top + p.bottom) / 2, 1);
}
