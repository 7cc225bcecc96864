#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "exportsave.h"
#include "filterslots.h"
#include "resource.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

struct FakeExportCall {
  int calls = 0;
  bool progressHasBar = false;
  SongHandleTable table = {};
  int trackCount = 0;
  int trackMode = -1;
  DWORD lengthIn = 12345;
  size_t imageSize = 70000;      // more than the first block, two pieces and a rest
  bool claimTooMuch = false;
  bool fail = false;             // the filter reports a failure
};
FakeExportCall g_fake;

char PatternByte(size_t i) { return static_cast<char>((i * 7 + i / 251) & 0xFF); }

int WINAPI FakeMakeExpFile(HINSTANCE, HWND, HWND progress, HGLOBAL table, HGLOBAL* output,
                           DWORD* length, int trackCount, int trackMode, int) {
  ++g_fake.calls;
  g_fake.progressHasBar = progress && IsWindow(GetDlgItem(progress, 1752));
  std::memcpy(&g_fake.table, GlobalLock(table), sizeof g_fake.table);
  GlobalUnlock(table);
  GlobalFree(table);   // as a filter does
  g_fake.trackCount = trackCount;
  g_fake.trackMode = trackMode;
  g_fake.lengthIn = *length;
  // Replaces the block with a larger one, as a filter may.
  HGLOBAL bigger = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, g_fake.imageSize);
  char* p = static_cast<char*>(GlobalLock(bigger));
  for (size_t i = 0; i < g_fake.imageSize; ++i) p[i] = PatternByte(i);
  GlobalUnlock(bigger);
  GlobalFree(*output);
  *output = bigger;
  *length = static_cast<DWORD>(g_fake.claimTooMuch ? GlobalSize(bigger) + 100 : g_fake.imageSize);
  return g_fake.fail ? 0 : 1;
}

class ExportSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(NewSong(frame.hwnd()));
    g_fake = FakeExportCall{};
    saved_ = g_exportSlots[kSlot];
    g_exportSlots[kSlot] = ExportFilterSlot{};
    g_exportSlots[kSlot].makeExpFile = FakeMakeExpFile;
  }
  void TearDown() override {
    g_exportSlots[kSlot] = saved_;
    g_song.trackWriteMode = 0;
  }
  std::string Expected() const {
    std::string s(g_fake.imageSize, '\0');
    for (size_t i = 0; i < s.size(); ++i) s[i] = PatternByte(i);
    return s;
  }
  int FilesIn(const std::string& folder) const {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    int n = 0;
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
      if (fd.cFileName[0] != '.') ++n;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
  }
  static void WriteText(const std::string& path, const std::string& text) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(f);
  }

  static constexpr int kSlot = 3;
  TempSettingsFile ini;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
  ExportFilterSlot saved_;
};

TEST_F(ExportSaveTest, WritesTheImageTheFilterReturns) {
  std::string path = dir.File("out.mid");
  WriteText(path, "an older export");
  ASSERT_TRUE(SaveViaExportFilter(frame.hwnd(), path.c_str(), kSlot));
  EXPECT_EQ(1, g_fake.calls);
  EXPECT_EQ(Expected(), ReadFileBytes(path));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(1, FilesIn(dir.path()));   // no temporary file left behind
  EXPECT_TRUE(g_fake.progressHasBar);
  EXPECT_EQ(0u, g_fake.lengthIn);
  EXPECT_EQ(g_song.trackCount, g_fake.trackCount);
}

TEST_F(ExportSaveTest, TableNamesTheSongsOwnBlocks) {
  ASSERT_TRUE(SaveViaExportFilter(frame.hwnd(), dir.File("a.mid").c_str(), kSlot));
  int n = g_song.trackCount;
  ASSERT_GT(n, 1);
  EXPECT_EQ(SongEntry(kHeaderEntry), g_fake.table.h[kHeaderEntry]);
  EXPECT_NE(nullptr, g_fake.table.h[kHeaderEntry]);
  for (int k : {1, n}) {
    EXPECT_EQ(SongEntry(TrackHeaderEntry(k)), g_fake.table.h[TrackHeaderEntry(k)]) << k;
    EXPECT_EQ(SongEntry(TrackEventsEntry(k)), g_fake.table.h[TrackEventsEntry(k)]) << k;
  }
  EXPECT_EQ(nullptr, g_fake.table.h[TrackHeaderEntry(n + 1)]);
  EXPECT_EQ(nullptr, g_fake.table.h[TrackEventsEntry(n + 1)]);
}

TEST_F(ExportSaveTest, TrackModeIsOneForAnyWriteMode) {
  for (int mode : {0, 1, 2}) {
    g_song.trackWriteMode = mode;
    ASSERT_TRUE(SaveViaExportFilter(frame.hwnd(), dir.File("a.mid").c_str(), kSlot));
    EXPECT_EQ(mode ? 1 : 0, g_fake.trackMode) << mode;
  }
}

TEST_F(ExportSaveTest, LengthBeyondTheBlockLeavesTheOldFile) {
  std::string path = dir.File("out.mid");
  WriteText(path, "an older export");
  g_fake.claimTooMuch = true;
  EXPECT_FALSE(SaveViaExportFilter(frame.hwnd(), path.c_str(), kSlot));
  EXPECT_EQ("an older export", ReadFileBytes(path));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_WRITE), boxes.boxes[0].stringId);
  EXPECT_NE(std::string::npos, boxes.boxes[0].text.find(path));
  EXPECT_EQ(1, FilesIn(dir.path()));
}

TEST_F(ExportSaveTest, AFailedExportLeavesTheOldFile) {
  std::string path = dir.File("out.mid");
  WriteText(path, "an older export");
  g_fake.fail = true;
  EXPECT_FALSE(SaveViaExportFilter(frame.hwnd(), path.c_str(), kSlot));
  EXPECT_EQ("an older export", ReadFileBytes(path));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_WRITE), boxes.boxes[0].stringId);
  EXPECT_EQ(1, FilesIn(dir.path()));
}

TEST_F(ExportSaveTest, FileThatCannotBeReplacedIsKept) {
  std::string path = dir.File("out.mid");
  WriteText(path, "an older export");
  // Held open by someone else without leave to delete or rename it.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_FALSE(SaveViaExportFilter(frame.hwnd(), path.c_str(), kSlot));
  CloseHandle(held);
  EXPECT_EQ("an older export", ReadFileBytes(path));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_WRITE), boxes.boxes[0].stringId);
  EXPECT_EQ(1, FilesIn(dir.path()));
}

TEST_F(ExportSaveTest, MissingFolderIsCannotCreate) {
  std::string path = dir.File("missing\\out.mid");
  EXPECT_FALSE(SaveViaExportFilter(frame.hwnd(), path.c_str(), kSlot));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_CREATE), boxes.boxes[0].stringId);
  EXPECT_EQ(MB_ICONSTOP, boxes.boxes[0].style & MB_ICONMASK);
}

TEST_F(ExportSaveTest, SlotWithoutMakeExpFileWritesNothing) {
  g_exportSlots[kSlot].makeExpFile = nullptr;
  EXPECT_FALSE(SaveViaExportFilter(frame.hwnd(), dir.File("a.mid").c_str(), kSlot));
  EXPECT_FALSE(SaveViaExportFilter(frame.hwnd(), dir.File("a.mid").c_str(), kFilterSlots));
  EXPECT_EQ(0, FilesIn(dir.path()));
}

}  // namespace
