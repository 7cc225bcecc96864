#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "filedlg.h"
#include "inifile.h"
#include "partfile.h"
#include "recent.h"
#include "resource.h"
#include "songmodel.h"
#include "testsupport.h"

// Events compare by their six bytes.
static bool operator==(const StepEvent& a, const StepEvent& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes* b, uint16_t v) {
  b->push_back(v & 0xFF);
  b->push_back(v >> 8);
}
void Put32(Bytes* b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutEvent(Bytes* b, StepEvent e) {
  b->push_back(e.code);
  b->push_back(e.vel);
  Put16(b, e.step);
  Put16(b, e.gate);
}
void PutRaw(Bytes* b, std::initializer_list<uint8_t> bytes) { b->insert(b->end(), bytes); }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return U16(p) | static_cast<uint32_t>(U16(p + 2)) << 16; }

struct Rec {
  uint8_t c, s, g, v;
};

// "ZKPPR" file: records of 4 bytes at 48 ticks per quarter.
Bytes RecordsFile(std::initializer_list<Rec> records) {
  Bytes b{'Z', 'K', 'P', 'P', 'R', 0};
  Put16(&b, static_cast<uint16_t>(records.size() * 4));
  for (const Rec& r : records) PutRaw(&b, {r.c, r.s, r.g, r.v});
  return b;
}

Bytes Q31File(uint16_t timeBase, const std::vector<StepEvent>& events) {
  Bytes b{'Q', '3', '1', 'P', 'R', 0};
  Put16(&b, 12);
  Put32(&b, static_cast<uint32_t>(events.size() * 6));
  Put16(&b, timeBase);
  b.resize(20, 0);
  for (const StepEvent& e : events) PutEvent(&b, e);
  PutEvent(&b, EndEvent());
  return b;
}

// Expected image: head at time base t, then the events and the end event.
Bytes Image(uint16_t t, const std::vector<StepEvent>& events, StepEvent end = EndEvent()) {
  Bytes b = Q31File(t, events);
  b.resize(b.size() - 6);
  PutEvent(&b, end);
  return b;
}

std::vector<StepEvent> EventsOf(const Bytes& image) {
  size_t n = U32(image.data() + 8) / 6;
  std::vector<StepEvent> ev(n);
  std::memcpy(ev.data(), image.data() + 20, n * 6);
  return ev;
}

StepEvent Text(uint8_t code, const char five[6]) {
  uint8_t raw[6] = {code};
  std::memcpy(raw + 1, five, 5);
  StepEvent e;
  std::memcpy(&e, raw, 6);
  return e;
}

Bytes Convert(const Bytes& in, int timeBase, bool drop = false,
              PartStatus expect = PartStatus::kOk) {
  Bytes out;
  EXPECT_EQ(expect, ConvertPartBytes(in.data(), in.size(), timeBase, drop, &out));
  return out;
}

TEST(PartConvert, RecordsBecomeEventsAtTheSongTimeBase) {
  Bytes file = RecordsFile({{0x3C, 48, 24, 100},      // note: x10 at 480
                            {0xEC, 12, 5, 0},         // command: step scaled, parameter kept
                            {0xF5, 7, 3, 0},          // 0xF0 and up: nothing scaled
                            {0xF6, 0, 'a', 'b'},      // comment run of six bytes
                            {0xF7, 0, 'c', 'd'},
                            {0xF7, 0, 'e', 'f'},
                            {0xFE, 0, 0, 0}});
  Bytes expect = Image(480,
                       {{0x3C, 100, 480, 240}, {0xEC, 0, 120, 5}, {0xF5, 0, 7, 3},
                        Text(0xF6, "abcde"), Text(0xF7, "f    ")},
                       StepEvent{0xFE, 0, 0, 0});
  EXPECT_EQ(expect, Convert(file, 480));
}

TEST(PartConvert, ExclusiveAndExternalCommandRuns) {
  Bytes file = RecordsFile({{0xF7, 3, 1, 2},          // no run before it: kept as it is
                            {0x98, 48, 0x10, 0x20},   // exclusive; next record is data
                            {0x41, 0, 0xF0, 0x41},
                            {0xF7, 0, 0x10, 0x42},
                            {0xF7, 0, 0x12, 0xF7},
                            {0x3C, 24, 12, 90},
                            {0xF7, 0, 'x', 'y'},      // after an exclusive: a new comment
                            {0x99, 96, 1, 0},
                            {0xF7, 0, 'r', 'u'},
                            {0xF7, 0, 'n', '!'}});
  Bytes expect = Image(96, {{0xF7, 2, 3, 1},
                            {0x98, 0x20, 96, 0x10},
                            Text(0xF7, "\xF0\x41\x10\x42\x12"),
                            Text(0xF7, "\xF7\xF7\xF7\xF7\xF7"),
                            {0x3C, 90, 48, 24},
                            Text(0xF6, "xy   "),
                            {0x99, 0, 192, 1},
                            Text(0xF7, "run! ")});
  EXPECT_EQ(expect, Convert(file, 96));   // the bound ends it: an end event is added
}

TEST(PartConvert, RecordStepsOverflowingSixteenBitsAreClamped) {
  Bytes out = Convert(RecordsFile({{0x3C, 255, 200, 1}, {0xE0, 255, 7, 0}}), 20000);
  EXPECT_EQ((std::vector<StepEvent>{{0x3C, 1, 65535, 65535}, {0xE0, 0, 65535, 7}}),
            EventsOf(out));
}

TEST(PartConvert, Q30GetsTheCurrentHeadUnscaled) {
  Bytes file{'Q', '3', '0', 'P', 'R', 0};
  Put16(&file, 12);
  PutEvent(&file, {0x40, 80, 120, 60});
  PutEvent(&file, {0xFD, 0, 0, 0});
  PutEvent(&file, EndEvent());
  EXPECT_EQ(Image(96, {{0x40, 80, 120, 60}, {0xFD, 0, 0, 0}}), Convert(file, 96));
}

TEST(PartConvert, DropBlockKeepsItsHeaderInFiveSlots) {
  Bytes file{'Z', 'K', 'P', 'P', 'A', 'R', 'T', 'D', 'A', 'T', 'A', '0', '1', 0,
             0xA1, 0xA2, 0xB6, 0xB7, 0xB8, 0xB9};
  PutRaw(&file, {0x3C, 48, 24, 100, 0x40, 24, 12, 90, 0xFE, 0, 0, 0});
  file.resize(64, 0x55);   // whatever follows in the drop block
  Bytes out = Convert(file, 480, true);
  ASSERT_EQ(20u + 6 * (5 + 2 + 1), out.size());
  EXPECT_EQ(6u * 7, U32(out.data() + 8));
  // Q30 offsets 8 to 37 are the five slots; here they start at 20.
  const uint8_t* slots = out.data() + 20;
  EXPECT_EQ(0, std::memcmp(slots, file.data() + 8, 18));   // bytes 8 to 25 as they were
  EXPECT_EQ(0, slots[27 - 8]);                             // count, high byte
  EXPECT_EQ(2, U16(slots + 30 - 8));                       // count, low byte
  EXPECT_EQ(0xB6, slots[32 - 8]);
  EXPECT_EQ(0xB9, slots[33 - 8]);
  EXPECT_EQ(0xB7, U16(slots + 34 - 8));
  EXPECT_EQ(0xB8, U16(slots + 36 - 8));
  std::vector<StepEvent> events = EventsOf(out);
  EXPECT_EQ((std::vector<StepEvent>{{0x3C, 100, 480, 240}, {0x40, 90, 240, 120}}),
            std::vector<StepEvent>(events.begin() + 5, events.end()));
  // Outside a drop it is not part data.
  Convert(file, 480, false, PartStatus::kNotPart);
}

TEST(PartConvert, DropHeadReadsCountAndDropPointOfTheConvertedBlock) {
  // Drop point x 0x0134 (bytes 16, 17), y -2 (bytes 18, 19).
  Bytes file{'Z', 'K', 'P', 'P', 'A', 'R', 'T', 'D', 'A', 'T', 'A', '0', '1', 0,
             0xA1, 0xA2, 0x34, 0x01, 0xFE, 0xFF};
  PutRaw(&file, {0x3C, 48, 24, 100, 0x40, 24, 12, 90, 0xFE, 0, 0, 0});
  const Bytes image = Convert(file, 480, true);
  const Bytes stripped(image.begin() + kPartHeadBytes, image.end());
  DropBlockHead head{};
  ASSERT_TRUE(ReadDropBlockHead(stripped.data(), stripped.size(), &head));
  EXPECT_EQ(2, head.count);
  EXPECT_EQ(0x0134, head.x);
  EXPECT_EQ(-2, head.y);
  // The counted events must lie within the block.
  EXPECT_TRUE(ReadDropBlockHead(stripped.data(), kDropEventsOffset + 12, &head));
  EXPECT_FALSE(ReadDropBlockHead(stripped.data(), kDropEventsOffset + 11, &head));
  Bytes forged = stripped;
  forged[22] = 4;
  EXPECT_FALSE(ReadDropBlockHead(forged.data(), forged.size(), &head));
  forged[22] = 2;
  forged[19] = 1;   // high byte: 258 events
  EXPECT_FALSE(ReadDropBlockHead(forged.data(), forged.size(), &head));
  EXPECT_FALSE(ReadDropBlockHead(stripped.data(), kDropEventsOffset - 1, &head));
}

struct RescaleCase {
  uint16_t from;   // file field; 0 means 480
  int to;
  std::vector<uint16_t> steps;
  std::vector<uint16_t> expect;
};

TEST(PartConvert, RescaleCarriesTheRemainderSoTheLengthDoesNotDrift) {
  const RescaleCase cases[] = {
      {96, 480, {1, 7, 96}, {5, 35, 480}},
      {480, 96, {3, 3, 3, 3, 3}, {0, 1, 0, 1, 1}},
      {0, 96, {10, 10, 10}, {2, 2, 2}},
      {97, 480, {1, 1, 1, 1}, {4, 5, 5, 5}},    // odd time base
      {0, 0, {33, 7}, {33, 7}},                 // a song time base of 0 reads as 480
      {48, 960, {10000}, {65535}},              // clamped, not wrapped
  };
  for (const RescaleCase& c : cases) {
    std::vector<StepEvent> in;
    for (uint16_t s : c.steps) in.push_back({0xEC, 0, s, 7});
    Bytes out = Convert(Q31File(c.from, in), c.to);
    std::vector<uint16_t> got;
    for (const StepEvent& e : EventsOf(out)) got.push_back(e.step);
    EXPECT_EQ(c.expect, got) << c.from << " to " << c.to;
  }
}

TEST(PartConvert, RescaleScalesNotesButNotMarksAndNamesTheNewTimeBase) {
  Bytes out = Convert(Q31File(96, {{0x3C, 100, 24, 12}, {0xFD, 0, 5, 9}, {0x3E, 100, 0, 0}}),
                      480);
  EXPECT_EQ(480, U16(out.data() + 12));
  EXPECT_EQ((std::vector<StepEvent>{{0x3C, 100, 120, 60}, {0xFD, 0, 5, 9}, {0x3E, 100, 0, 0}}),
            EventsOf(out));
  // Converting the result again changes nothing.
  EXPECT_EQ(out, Convert(out, 480));
}

TEST(PartConvert, SameTimeBaseLeavesTheFileAsItIs) {
  Bytes file = Q31File(0, {{0x3C, 100, 7, 5}, {0xF6, 'a', 0x6362, 0x6564}});
  EXPECT_EQ(file, Convert(file, 480));
}

TEST(PartConvert, OverlappingNoteReachesOneTickIntoTheNext) {
  Bytes out = Convert(Q31File(96, {{0x3C, 100, 10, 30},     // overlaps the next 0x3C
                                   {0x3D, 100, 10, 5},
                                   {0x3C, 100, 20, 10},
                                   {0x3C, 0, 0, 0}}),        // a rest is no overlap
                      480);
  std::vector<StepEvent> ev = EventsOf(out);
  EXPECT_EQ(50, ev[0].step);
  EXPECT_EQ(50 + 50 + 1, ev[0].gate);
  EXPECT_EQ(25, ev[1].gate);
  EXPECT_EQ(50, ev[2].gate);
  EXPECT_EQ(0, ev[3].gate);
}

TEST(PartConvert, NoteOverlapFollowsTheGate) {
  std::vector<StepEvent> ev{{60, 100, 10, 30}, {61, 100, 10, 5}, {60, 100, 5, 5}, EndEvent()};
  EXPECT_EQ(20, PartNoteOverlap(ev.data(), 4, 0, 30));
  EXPECT_EQ(0, PartNoteOverlap(ev.data(), 4, 0, 20));    // starts when the gate ends
  EXPECT_EQ(0, PartNoteOverlap(ev.data(), 4, 0, 1));
  EXPECT_EQ(20, PartNoteOverlap(ev.data(), 4, 0, 0));    // no limit
  EXPECT_EQ(0, PartNoteOverlap(ev.data(), 4, 2, 0));     // the end event stops it
}

struct DamagedCase {
  const char* what;
  Bytes data;
  PartStatus expect;
};

std::vector<DamagedCase> DamagedCases() {
  std::vector<DamagedCase> cases;
  Bytes b = RecordsFile({{0x3C, 48, 24, 100}, {0x3C, 48, 24, 100}});
  b[6] = 200;   // record length beyond the file
  cases.push_back({"records length", b, PartStatus::kDamaged});
  cases.push_back({"records signature only", Bytes{'Z', 'K', 'P', 'P', 'R'}, PartStatus::kDamaged});
  b = Bytes{'Q', '3', '0', 'P', 'R', 0, 0x60, 0xEA, 1, 2, 3, 4, 5, 6};
  cases.push_back({"Q30 length", b, PartStatus::kDamaged});
  b = Q31File(480, {{0x3C, 100, 10, 10}});
  b[8] = 0xF0, b[9] = 0xFF, b[10] = 0xFF, b[11] = 0xFF;
  cases.push_back({"Q31 huge byte length", b, PartStatus::kDamaged});
  b = Q31File(480, {{0x3C, 100, 10, 10}});
  b[6] = 0xFF, b[7] = 0xFF;
  cases.push_back({"Q31 huge head length", b, PartStatus::kDamaged});
  b[6] = 4, b[7] = 0;
  cases.push_back({"Q31 head length inside the head", b, PartStatus::kDamaged});
  b = Q31File(480, {});
  b.resize(12);
  cases.push_back({"Q31 cut inside the head", b, PartStatus::kDamaged});
  b = Bytes{'Z', 'K', 'P', 'P', 'A', 'R', 'T', 'D', 'A', 'T', 'A', '0', '1', 0, 1, 2, 3, 4, 5, 6,
            0x3C, 48, 24, 100};
  cases.push_back({"drop block without end record", b, PartStatus::kDamaged});
  // 16,363 events: the file holds them all, but a part block does not.
  std::vector<StepEvent> many(kMaxPartEvents + 1, StepEvent{0x3C, 100, 1, 1});
  cases.push_back({"Q31 more events than a block", Q31File(480, many), PartStatus::kTooManyEvents});
  b = RecordsFile({});
  b[6] = 0xFF, b[7] = 0xFF;
  b.resize(8 + 0xFFFF, 0x3C);
  cases.push_back({"records past the source bound", b, PartStatus::kTooManyEvents});
  return cases;
}

TEST(PartConvert, DamagedDataIsRefused) {
  for (const DamagedCase& c : DamagedCases()) {
    Bytes out;
    EXPECT_EQ(c.expect, ConvertPartBytes(c.data.data(), c.data.size(), 480, true, &out)) << c.what;
    EXPECT_TRUE(out.empty()) << c.what;
  }
}

// Tests over the open song, blocks and files.
class PartFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, cwd_);
    ASSERT_TRUE(NewSong(frame.hwnd()));
    SetSongTimeBase(480);
  }
  void TearDown() override { SetCurrentDirectoryA(cwd_); }

  void SetSongTimeBase(uint16_t t) {
    HGLOBAL h = SongEntry(kHeaderEntry);
    static_cast<SongHeader*>(GlobalLock(h))->timeBase = t;
    GlobalUnlock(h);
  }
  std::string WriteTestFile(const std::string& name, const Bytes& data) {
    std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                data.size());
    return path;
  }
  static HGLOBAL BlockWith(const Bytes& data) {
    HGLOBAL h = NewPartBlock();
    std::memcpy(GlobalLock(h), data.data(), data.size());
    GlobalUnlock(h);
    return h;
  }
  static Bytes BlockBytes(HGLOBAL h) {
    auto* p = static_cast<const uint8_t*>(GlobalLock(h));
    Bytes b(p, p + GlobalSize(h));
    GlobalUnlock(h);
    return b;
  }

  TempSettingsFile ini;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
  char cwd_[MAX_PATH] = "";
};

TEST_F(PartFileTest, NewPartBlockReadsAsEnded) {
  HGLOBAL h = NewPartBlock();
  Bytes b = BlockBytes(h);
  ASSERT_EQ(98238u, b.size());
  for (size_t i = 0; i < b.size(); i += 6) ASSERT_EQ(0xFE, b[i]) << i;
  GlobalFree(h);
}

TEST_F(PartFileTest, BlockIsConvertedInPlaceWithAndWithoutHead) {
  Bytes file = RecordsFile({{0x3C, 48, 24, 100}});
  Bytes expect = Image(480, {{0x3C, 100, 480, 240}});
  for (int strip : {0, 1}) {
    HGLOBAL h = BlockWith(file);
    ASSERT_EQ(1, ReadPartFromBlock(h, "x", strip, 0));
    Bytes b = BlockBytes(h);
    Bytes want(expect.begin() + (strip ? 20 : 0), expect.end());
    EXPECT_TRUE(std::equal(want.begin(), want.end(), b.begin())) << strip;
    // Everything after the data reads as ended.
    EXPECT_EQ(0xFE, b[want.size()]);
    EXPECT_EQ(0xFE, b.back());
    GlobalFree(h);
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PartFileTest, ReadPartRebuildsTheSameMeasureReferences) {
  HGLOBAL events = GlobalAlloc(GMEM_MOVEABLE, 5 * sizeof(StepEvent));
  auto* e = static_cast<StepEvent*>(GlobalLock(events));
  e[0] = {0x3C, 100, 480, 240};
  e[1] = {0xFD, 0, 0, 0};
  e[2] = {0xFC, 0, 0, 999};   // refers to measure 0, stale index
  e[3] = EndEvent();
  e[4] = EndEvent();
  GlobalUnlock(events);
  SongDocument* doc = LockSongDocument(frame.hwnd());
  auto* table = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
  GlobalFree(table->h[TrackEventsEntry(1)]);
  table->h[TrackEventsEntry(1)] = events;
  LocalUnlock(doc->handleTable);
  UnlockSongDocument(frame.hwnd());

  HGLOBAL h = BlockWith(Q31File(480, {{0x3C, 100, 7, 5}}));
  ASSERT_EQ(1, ReadPartFromBlock(h, "a", 1, 0));
  EXPECT_EQ(48, static_cast<StepEvent*>(GlobalLock(events))[2].gate);
  GlobalUnlock(events);
  GlobalFree(h);
}

TEST_F(PartFileTest, UnknownOrDamagedBlockShowsNotPartDataAndStaysAsItWas) {
  Bytes cases[] = {Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6}, DamagedCases()[3].data};
  for (const Bytes& data : cases) {
    boxes.boxes.clear();
    HGLOBAL h = BlockWith(data);
    Bytes before = BlockBytes(h);
    EXPECT_EQ(0, ReadPartFromBlock(h, "song.GRT", 1, 0));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(static_cast<UINT>(IDS_NOT_PART_DATA), boxes.boxes[0].stringId);
    EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("song.GRT"));
    EXPECT_TRUE(boxes.boxes[0].style & MB_ICONSTOP);
    EXPECT_EQ(before, BlockBytes(h));
    GlobalFree(h);
  }
}

TEST_F(PartFileTest, TooManyEventsShowsTrackFull) {
  std::vector<StepEvent> many(kMaxPartEvents + 1, StepEvent{0x3C, 100, 1, 1});
  Bytes file = Q31File(480, many);
  std::string path = WriteTestFile("big.GRT", file);
  HGLOBAL h = NewPartBlock();
  EXPECT_EQ(0, ReadPartFile(nullptr, path.c_str(), h, 0));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_TRACK_FULL), boxes.boxes[0].stringId);
  // The largest part that fits is read.
  many.pop_back();
  path = WriteTestFile("fits.GRT", Q31File(480, many));
  EXPECT_EQ(1, ReadPartFile(nullptr, path.c_str(), h, 0));
  GlobalFree(h);
}

TEST_F(PartFileTest, ReadPartFileConvertsAndGrowsASmallBlock) {
  SetSongTimeBase(96);
  std::string path = WriteTestFile("old.PRT", RecordsFile({{0x3C, 48, 24, 100}, {0xFE, 0, 0, 0}}));
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_EQ(1, ReadPartFile(nullptr, path.c_str(), h, 0));
  Bytes want = Image(96, {{0x3C, 100, 96, 48}}, StepEvent{0xFE, 0, 0, 0});
  Bytes b = BlockBytes(h);
  ASSERT_GE(b.size(), want.size());
  EXPECT_TRUE(std::equal(want.begin(), want.end(), b.begin()));
  GlobalFree(h);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PartFileTest, ReadPartFileFailures) {
  HGLOBAL h = NewPartBlock();
  EXPECT_EQ(0, ReadPartFile(nullptr, "", h, 0));
  EXPECT_TRUE(boxes.boxes.empty());
  std::string missing = dir.File("none.GRT");
  EXPECT_EQ(0, ReadPartFile(nullptr, missing.c_str(), h, 0));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_OPEN), boxes.boxes[0].stringId);
  EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("none.GRT"));
  GlobalFree(h);
}

TEST_F(PartFileTest, TruncatedFilesAreRefusedAtEveryLength) {
  Bytes files[] = {Q31File(96, {{0x3C, 100, 10, 10}, {0xEC, 0, 0, 5}, {0x3E, 100, 10, 10}}),
                   RecordsFile({{0x3C, 48, 24, 100}, {0xF6, 0, 'a', 'b'}, {0xF7, 0, 'c', 'd'}})};
  for (const Bytes& full : files) {
    // Cutting the end event of a Q31 part still leaves all its events.
    size_t complete = full[0] == 'Q' ? full.size() - 6 : full.size();
    for (size_t len = 0; len < complete; ++len) {
      boxes.boxes.clear();
      std::string path = WriteTestFile("cut.GRT", Bytes(full.begin(), full.begin() + len));
      HGLOBAL h = NewPartBlock();
      EXPECT_EQ(0, ReadPartFile(nullptr, path.c_str(), h, 1)) << len;
      EXPECT_EQ(1u, boxes.boxes.size()) << len;
      GlobalFree(h);
    }
  }
}

TEST_F(PartFileTest, DropBlockInAMappingIsConvertedWithinTheView) {
  Bytes drop{'Z', 'K', 'P', 'P', 'A', 'R', 'T', 'D', 'A', 'T', 'A', '0', '1', 0, 1, 2, 3, 4, 5, 6};
  PutRaw(&drop, {0x3C, 48, 24, 100, 0xFE, 0, 0, 0});
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                      nullptr);
  ASSERT_TRUE(mapping);
  auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  std::memcpy(view, drop.data(), drop.size());
  ASSERT_EQ(1, ReadPartFromMapping(mapping, nullptr, 1, 1));
  // Stripped: the five header slots, then the note, then the end record.
  EXPECT_EQ(3, view[24]);                 // byte 16 of the drop block
  EXPECT_EQ(1, U16(view + 22));           // one event
  StepEvent note;
  std::memcpy(&note, view + 30, 6);
  EXPECT_TRUE((note == StepEvent{0x3C, 100, 480, 240}));
  EXPECT_EQ(0xFE, view[36]);
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PartFileTest, SavedPartReadsBackToTheSameImage) {
  SetSongTimeBase(96);
  HGLOBAL h = BlockWith(Q31File(480, {{0x3C, 100, 480, 240}, {0xF6, 'm', 0x6f65, 0x2020}}));
  ASSERT_EQ(1, ReadPartFromBlock(h, "a", 0, 0));
  Bytes image = BlockBytes(h);
  DWORD bytes = 20 + 6 * 3;
  std::string path = dir.File("p.GRT");
  ASSERT_EQ(1, SavePartToFile(nullptr, path.c_str(), h, bytes, 0));
  std::string file = ReadFileBytes(path);
  ASSERT_EQ(bytes, file.size());
  EXPECT_EQ(0, std::memcmp(file.data(), image.data(), bytes));
  HGLOBAL back = NewPartBlock();
  ASSERT_EQ(1, LoadPartFromFile(nullptr, path.c_str(), back, 0));
  Bytes reread = BlockBytes(back);
  EXPECT_EQ(Bytes(image.begin(), image.begin() + bytes),
            Bytes(reread.begin(), reread.begin() + bytes));
  EXPECT_EQ(dir.path(), IniGetString(kFilesSection, kLastPartDirectoryKey, "", 260));
  GlobalFree(back);
  GlobalFree(h);
}

TEST_F(PartFileTest, SetDataKeepsTheLastPartDirectory) {
  HGLOBAL h = BlockWith(Q31File(480, {}));
  std::string path = dir.File("set.GRT");
  ASSERT_EQ(1, SavePartToFile(nullptr, path.c_str(), h, 26, 1));
  ASSERT_EQ(1, LoadPartFromFile(nullptr, path.c_str(), h, 1));
  EXPECT_EQ("", IniGetString(kFilesSection, kLastPartDirectoryKey, "", 260));
  GlobalFree(h);
}

TEST_F(PartFileTest, FailedSaveReportsItAndLeavesTheOldFile) {
  std::string path = WriteTestFile("keep.GRT", Bytes{'o', 'l', 'd'});
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 32);
  // Asked for more than the block holds: a short write.
  EXPECT_EQ(0, SavePartToFile(nullptr, path.c_str(), h, 64, 0));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_WRITE), boxes.boxes[0].stringId);
  EXPECT_TRUE(boxes.boxes[0].style & MB_ICONSTOP);
  EXPECT_EQ("old", ReadFileBytes(path));
  EXPECT_EQ("", IniGetString(kFilesSection, kLastPartDirectoryKey, "", 260));
  // A folder that does not exist: the file cannot be created.
  boxes.boxes.clear();
  std::string nowhere = dir.File("no\\such.GRT");
  EXPECT_EQ(0, SavePartToFile(nullptr, nowhere.c_str(), h, 16, 0));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_CREATE), boxes.boxes[0].stringId);
  // Written, but the name is taken by a folder: the temporary file goes.
  boxes.boxes.clear();
  std::string folder = dir.File("taken.GRT");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(0, SavePartToFile(nullptr, folder.c_str(), h, 16, 0));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(static_cast<UINT>(IDS_CANNOT_WRITE), boxes.boxes[0].stringId);
  RemoveDirectoryA(folder.c_str());
  // No temporary file is left behind.
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(dir.File("*.tmp").c_str(), &found);
  EXPECT_EQ(INVALID_HANDLE_VALUE, find);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  GlobalFree(h);
}

TEST(FileHook, CentresTheDialogBoxOnInitOnly) {
  HWND box = CreateWindowExA(0, "STATIC", "", WS_POPUP, 3, 4, 200, 100, nullptr, nullptr,
                             nullptr, nullptr);
  HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, box, nullptr, nullptr,
                               nullptr);
  EXPECT_EQ(0u, FileHookDefaultProc(child, WM_COMMAND, 0, 0));
  RECT r;
  GetWindowRect(box, &r);
  EXPECT_EQ(3, r.left);
  // The explorer style hands the hook a child: the box around it moves.
  EXPECT_EQ(1u, FileHookDefaultProc(child, WM_INITDIALOG, 0, 0));
  GetWindowRect(box, &r);
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 200) / 2, r.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 100) / 2, r.top);
  DestroyWindow(box);
}

TEST(PartFileName, ExtensionIsForced) {
  EXPECT_EQ("C:\\a\\b.GRT", ForceExtension("C:\\a\\b", ".GRT"));
  EXPECT_EQ("C:\\a\\b.GRT", ForceExtension("C:\\a\\b.txt", ".GRT"));
  EXPECT_EQ("C:\\a.d\\b.GRT", ForceExtension("C:\\a.d\\b", ".GRT"));
}

}  // namespace
