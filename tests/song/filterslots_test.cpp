#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "filterslots.h"
#include "testsupport.h"

// The filter libraries used here are built from tests/testfilter and sit
// beside the test program; their file format is described in that source.
namespace {

constexpr char kFilter[] = "zktestfilter.dll";
constexpr char kLowerCaseFilter[] = "zktestfilter_lc.dll";
constexpr char kNoMakeFilter[] = "zktestfilter_nomake.dll";

const std::string kOwnPair("Own (*.ZKS)\0*.ZKS\0", 18);
const std::string kImportPair("Test songs (*.TST)\0*.TST\0", 25);
const std::string kExportPair("Test export (*.TSX)\0*.TSX\0", 26);

bool SlotEmpty(const ImportFilterSlot& s) {
  return !s.library && !s.getFileExtension && !s.checkImpFile && !s.readinFile;
}
bool SlotEmpty(const ExportFilterSlot& s) {
  return !s.library && !s.setExpFileExtension && !s.getExpFileExtension && !s.makeExpFile &&
         !s.expFilterOption;
}

HGLOBAL BlockOf(const std::string& bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, bytes.size());
  std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  return h;
}

std::string Le16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string EventBytes(const std::vector<StepEvent>& events) {
  std::string s = Le16(static_cast<uint16_t>(events.size()));
  s.append(reinterpret_cast<const char*>(events.data()), events.size() * sizeof(StepEvent));
  return s;
}

const std::vector<StepEvent> kTrack1 = {{60, 100, 240, 200}, {0x80, 0, 480, 0}, {64, 90, 120, 100}};
const std::vector<StepEvent> kTrack2 = {};

// Time base 480, tempo 132, 3/4, tracks as given.
std::string TestImage(const std::vector<std::vector<StepEvent>>& tracks) {
  std::string s = "TESTSONG" + Le16(480) + Le16(132) + "\x03\x04";
  s += static_cast<char>(tracks.size());
  for (const auto& t : tracks) s += EventBytes(t);
  return s;
}

std::vector<StepEvent> EventsOf(HGLOBAL block) {
  std::vector<StepEvent> out;
  size_t slots = GlobalSize(block) / sizeof(StepEvent);
  const auto* e = static_cast<const StepEvent*>(GlobalLock(block));
  for (size_t i = 0; i < slots && e[i].code != kEndCode; ++i) out.push_back(e[i]);
  GlobalUnlock(block);
  return out;
}

bool SameEvents(const std::vector<StepEvent>& a, const std::vector<StepEvent>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(StepEvent)) == 0;
}

void FreeTable(HGLOBAL tableHandle) {
  auto* t = static_cast<SongHandleTable*>(GlobalLock(tableHandle));
  for (HGLOBAL h : t->h)
    if (h) GlobalFree(h);
  GlobalUnlock(tableHandle);
  GlobalFree(tableHandle);
}

class FilterSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(savedImport_, g_importSlots, sizeof savedImport_);
    std::memcpy(savedExport_, g_exportSlots, sizeof savedExport_);
    for (auto& s : g_importSlots) s = ImportFilterSlot{};
    for (auto& s : g_exportSlots) s = ExportFilterSlot{};
  }
  void TearDown() override {
    FreeFilterSlots();
    std::memcpy(g_importSlots, savedImport_, sizeof savedImport_);
    std::memcpy(g_exportSlots, savedExport_, sizeof savedExport_);
  }
  void Bind(const std::string& keys) {
    ini.Write("[Filter]\r\n" + keys);
    BindFilterSlots();
  }
  std::string ImportList(size_t size, FilterTypeMap* map = nullptr) {
    std::string buf(size, '\0');
    size_t n = BuildImportTypeList(buf.data(), size, "Own (*.ZKS)", "*.ZKS", map);
    return buf.substr(0, n);
  }
  std::string ExportList(size_t size, FilterTypeMap* map = nullptr) {
    std::string buf(size, '\0');
    size_t n = BuildExportTypeList(buf.data(), size, "Own (*.ZKS)", "*.ZKS", map);
    return buf.substr(0, n);
  }

  TempSettingsFile ini;
  ImportFilterSlot savedImport_[kFilterSlots];
  ExportFilterSlot savedExport_[kFilterSlots];
};

int g_fakeChecks = 0;
int WINAPI AcceptAnything(HGLOBAL) {
  ++g_fakeChecks;
  return 1;
}

TEST_F(FilterSlotsTest, Import3AloneBindsOnlySlot3AndIsTheOnlyOneTried) {
  Bind(std::string("Import3=") + kFilter + "\r\n");
  for (int n = 0; n < kFilterSlots; ++n) {
    EXPECT_TRUE(SlotEmpty(g_exportSlots[n])) << n;
    if (n != 3) {
      EXPECT_TRUE(SlotEmpty(g_importSlots[n])) << n;
    }
  }
  const ImportFilterSlot& s = g_importSlots[3];
  EXPECT_NE(nullptr, s.library);
  EXPECT_NE(nullptr, s.getFileExtension);
  EXPECT_NE(nullptr, s.checkImpFile);
  EXPECT_NE(nullptr, s.readinFile);

  HGLOBAL ours = BlockOf(TestImage({kTrack1}));
  HGLOBAL other = BlockOf(std::string("MThd\0\0\0\x06", 8));
  EXPECT_EQ(3, FindImportSlot(ours));
  EXPECT_EQ(-1, FindImportSlot(other));

  // A later slot is asked only when slot 3 refuses.
  g_importSlots[5].checkImpFile = AcceptAnything;
  g_fakeChecks = 0;
  EXPECT_EQ(3, FindImportSlot(ours));
  EXPECT_EQ(0, g_fakeChecks);
  EXPECT_EQ(5, FindImportSlot(other));
  EXPECT_EQ(1, g_fakeChecks);
  g_importSlots[5].checkImpFile = nullptr;
  GlobalFree(ours);
  GlobalFree(other);
}

TEST_F(FilterSlotsTest, UnboundLibrariesLeaveTheSlotWithoutEntriesAndSayNothing) {
  struct Case {
    const char* library;
    bool staysLoaded;
  } cases[] = {
      {kLowerCaseFilter, true},        // "zkfw2": the version test counts case
      {"nosuchfilter.dll", false},     // cannot be loaded
      {"", false},                     // key empty
  };
  for (const Case& c : cases) {
    MessageBoxRecorder boxes;
    Bind(std::string("Import0=") + c.library + "\r\nExport0=" + c.library + "\r\n");
    const ImportFilterSlot& in = g_importSlots[0];
    const ExportFilterSlot& out = g_exportSlots[0];
    EXPECT_EQ(c.staysLoaded, in.library != nullptr) << c.library;
    EXPECT_EQ(c.staysLoaded, out.library != nullptr) << c.library;
    EXPECT_TRUE(!in.getFileExtension && !in.checkImpFile && !in.readinFile) << c.library;
    EXPECT_TRUE(!out.setExpFileExtension && !out.getExpFileExtension && !out.makeExpFile &&
                !out.expFilterOption)
        << c.library;
    EXPECT_TRUE(boxes.boxes.empty()) << c.library;
    EXPECT_EQ(kOwnPair + '\0', ImportList(256)) << c.library;
    EXPECT_EQ(kOwnPair + '\0', ExportList(256)) << c.library;
    FreeFilterSlots();
  }
}

TEST_F(FilterSlotsTest, ExportLibraryWithoutMakeExpFileStillListsItsType) {
  Bind(std::string("Export0=") + kNoMakeFilter + "\r\n");
  const ExportFilterSlot& s = g_exportSlots[0];
  EXPECT_NE(nullptr, s.library);
  EXPECT_NE(nullptr, s.getExpFileExtension);
  EXPECT_NE(nullptr, s.setExpFileExtension);
  EXPECT_NE(nullptr, s.expFilterOption);
  EXPECT_EQ(nullptr, s.makeExpFile);
  EXPECT_EQ(kOwnPair + kExportPair + '\0', ExportList(256));

  char extension[256] = {};
  EXPECT_EQ(1, s.setExpFileExtension(nullptr, extension, nullptr));
  EXPECT_STREQ(".tsx", extension);
}

TEST_F(FilterSlotsTest, BindingAgainAndFreeingReleaseEveryLibrary) {
  const std::string keys = std::string("Import1=") + kFilter + "\r\nExport4=" + kFilter +
                           "\r\nImport2=" + kLowerCaseFilter + "\r\n";
  Bind(keys);
  BindFilterSlots();
  EXPECT_NE(nullptr, g_importSlots[1].readinFile);
  EXPECT_NE(nullptr, g_exportSlots[4].makeExpFile);
  EXPECT_NE(nullptr, GetModuleHandleA(kFilter));
  FreeFilterSlots();
  for (int n = 0; n < kFilterSlots; ++n) {
    EXPECT_TRUE(SlotEmpty(g_importSlots[n])) << n;
    EXPECT_TRUE(SlotEmpty(g_exportSlots[n])) << n;
  }
  // Nothing of the two bindings is left loaded, not even the refused one.
  EXPECT_EQ(nullptr, GetModuleHandleA(kFilter));
  EXPECT_EQ(nullptr, GetModuleHandleA(kLowerCaseFilter));
}

TEST_F(FilterSlotsTest, TypeListsPutTheOwnPairFirstThenEachBoundSlotInOrder) {
  Bind(std::string("Import0=") + kFilter + "\r\nImport2=" + kFilter + "\r\nExport0=" + kFilter +
       "\r\nExport1=" + kLowerCaseFilter + "\r\n");
  FilterTypeMap map;
  EXPECT_EQ(kOwnPair + kImportPair + kImportPair + '\0', ImportList(512, &map));
  ASSERT_EQ(3, map.count);
  EXPECT_EQ(-1, map.slot[0]);
  EXPECT_EQ(0, map.slot[1]);
  EXPECT_EQ(2, map.slot[2]);

  EXPECT_EQ(kOwnPair + kExportPair + '\0', ExportList(512, &map));
  ASSERT_EQ(2, map.count);
  EXPECT_EQ(0, map.slot[1]);
}

TEST_F(FilterSlotsTest, TypeListNeverWritesPastTheCallersBuffer) {
  Bind(std::string("Import0=") + kFilter + "\r\nImport1=" + kFilter + "\r\n");
  const size_t own = kOwnPair.size() + 1, one = own + kImportPair.size(),
               two = one + kImportPair.size();
  struct Case {
    size_t size;
    std::string expected;
  } cases[] = {
      {two, kOwnPair + kImportPair + kImportPair + '\0'},
      {two - 1, kOwnPair + kImportPair + '\0'},
      {one, kOwnPair + kImportPair + '\0'},
      {one - 1, kOwnPair + '\0'},
      {own, kOwnPair + '\0'},
  };
  for (const Case& c : cases) {
    std::string guarded(c.size + 64, '\x7E');
    size_t n = BuildImportTypeList(guarded.data(), c.size, "Own (*.ZKS)", "*.ZKS");
    EXPECT_EQ(c.expected, guarded.substr(0, n)) << c.size;
    EXPECT_EQ(std::string(64, '\x7E'), guarded.substr(c.size)) << c.size;
  }
  // No room even for the own pair: an empty list, nothing beyond.
  char tiny[8];
  std::memset(tiny, 0x7E, sizeof tiny);
  EXPECT_EQ(0u, BuildImportTypeList(tiny, 4, "Own (*.ZKS)", "*.ZKS"));
  EXPECT_EQ(0, tiny[0]);
  EXPECT_EQ(0, tiny[1]);
  EXPECT_EQ(0x7E, tiny[4]);
}

// Filters with bad answers, put straight into the slots.
int WINAPI GoodPair(char* list, int position) {
  std::memcpy(list + position, "Good\0*.G", 9);
  return position + 9;
}
int WINAPI BackwardPosition(char* list, int position) { return position - 1; }
int WINAPI SamePosition(char* list, int position) { return position; }
int WINAPI FarPosition(char* list, int position) { return position + 0x9000; }
int WINAPI Unterminated(char* list, int position) {
  std::memcpy(list + position, "Bad", 3);
  return position + 3;
}
int WINAPI OddTexts(char* list, int position) {
  std::memcpy(list + position, "Lonely", 7);
  return position + 7;
}
int WINAPI EmptyDescription(char* list, int position) {
  std::memcpy(list + position, "\0*.E", 5);
  return position + 5;
}

TEST_F(FilterSlotsTest, MalformedAnswersAddNothing) {
  zkfilter::GetFileExtensionFn bad[] = {BackwardPosition, SamePosition, FarPosition,
                                        Unterminated,     OddTexts,     EmptyDescription};
  for (auto entry : bad) {
    g_exportSlots[0].getExpFileExtension = GoodPair;
    g_exportSlots[1].getExpFileExtension = entry;
    g_exportSlots[2].getExpFileExtension = GoodPair;
    FilterTypeMap map;
    EXPECT_EQ(kOwnPair + std::string("Good\0*.G\0Good\0*.G\0\0", 19), ExportList(256, &map));
    ASSERT_EQ(3, map.count);
    EXPECT_EQ(0, map.slot[1]);
    EXPECT_EQ(2, map.slot[2]);
  }
}

int g_bigCalls = 0;
int WINAPI BigPair(char* list, int position) {
  ++g_bigCalls;
  std::memset(list + position, 'x', 4999);
  list[position + 2499] = 0;
  list[position + 4999] = 0;
  return position + 5000;
}

TEST_F(FilterSlotsTest, FiltersAreAskedOnlyWhileTheirPositionHasRoom) {
  for (auto& s : g_importSlots) s.getFileExtension = BigPair;
  g_bigCalls = 0;
  std::string list = ImportList(0x10000);
  // Asked at 18, 5018 ... 20018; at 25018 the position has grown too far.
  EXPECT_EQ(5, g_bigCalls);
  EXPECT_EQ(kOwnPair.size() + 5 * 5000 + 1, list.size());
  EXPECT_EQ(0, list.back());
}

TEST_F(FilterSlotsTest, ImportThroughTheBoundFilterFillsTheTable) {
  Bind(std::string("Import3=") + kFilter + "\r\n");
  std::string image = TestImage({kTrack1, kTrack2});
  HGLOBAL head = BlockOf(image);
  int slot = FindImportSlot(head);
  GlobalFree(head);
  ASSERT_EQ(3, slot);

  HGLOBAL table = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, sizeof(SongHandleTable));
  // The filter frees the image.
  ASSERT_EQ(1, g_importSlots[slot].readinFile(nullptr, table, BlockOf(image), 2, 0));
  auto* t = static_cast<SongHandleTable*>(GlobalLock(table));
  ASSERT_NE(nullptr, t->h[kHeaderEntry]);
  auto* header = static_cast<SongHeader*>(GlobalLock(t->h[kHeaderEntry]));
  EXPECT_EQ(480, header->timeBase);
  EXPECT_EQ(132, header->tempo);
  EXPECT_EQ(3, header->beatNum);
  EXPECT_EQ(4, header->beatDen);
  GlobalUnlock(t->h[kHeaderEntry]);
  EXPECT_TRUE(SameEvents(kTrack1, EventsOf(t->h[TrackEventsEntry(1)])));
  EXPECT_TRUE(SameEvents(kTrack2, EventsOf(t->h[TrackEventsEntry(2)])));
  auto* track1 = static_cast<TrackHeader*>(GlobalLock(t->h[TrackHeaderEntry(1)]));
  EXPECT_EQ(48u + 6u * 4u, track1->size);
  EXPECT_EQ(1, track1->number);
  GlobalUnlock(t->h[TrackHeaderEntry(1)]);
  EXPECT_EQ(nullptr, t->h[TrackEventsEntry(3)]);
  GlobalUnlock(table);
  FreeTable(table);

  // A cut image is refused (and still freed by the filter).
  table = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, sizeof(SongHandleTable));
  EXPECT_EQ(0, g_importSlots[slot].readinFile(nullptr, table, BlockOf(image.substr(0, 20)), 2, 0));
  FreeTable(table);
}

TEST_F(FilterSlotsTest, ExportThroughMakeExpFileWritesTheSongImage) {
  Bind(std::string("Export0=") + kFilter + "\r\nImport0=" + kFilter + "\r\n");
  ASSERT_NE(nullptr, g_exportSlots[0].makeExpFile);
  // A song made by importing, then exported again: the same image.
  std::string image = TestImage({kTrack1, kTrack2});
  HGLOBAL song = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, sizeof(SongHandleTable));
  ASSERT_EQ(1, g_importSlots[0].readinFile(nullptr, song, BlockOf(image), 2, 0));

  // The export table names the song's blocks; the filter frees the table only.
  HGLOBAL table = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, sizeof(SongHandleTable));
  std::memcpy(GlobalLock(table), GlobalLock(song), sizeof(SongHandleTable));
  GlobalUnlock(song);
  GlobalUnlock(table);
  HGLOBAL output = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, 16);  // must grow
  DWORD length = 0;
  EXPECT_EQ(1, g_exportSlots[0].makeExpFile(nullptr, nullptr, nullptr, table, &output, &length, 2,
                                            0, 0));
  ASSERT_EQ(image.size(), length);
  ASSERT_GE(GlobalSize(output), length);
  EXPECT_EQ(image, std::string(static_cast<const char*>(GlobalLock(output)), length));
  GlobalUnlock(output);
  GlobalFree(output);
  FreeTable(song);
}

}  // namespace
