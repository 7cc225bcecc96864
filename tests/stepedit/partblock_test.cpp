#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "editmodel.h"
#include "modelfixture.h"
#include "partblock.h"
#include "partfile.h"

namespace {

using namespace modelfixture;
using Bytes = std::vector<uint8_t>;

void PutEvent(Bytes* b, const StepEvent& e) {
  b->insert(b->end(), {e.code, e.vel, static_cast<uint8_t>(e.step), static_cast<uint8_t>(e.step >> 8),
                       static_cast<uint8_t>(e.gate), static_cast<uint8_t>(e.gate >> 8)});
}

// A loaded part image: head, events, end event, then the rest of the block.
Bytes PartImage(const Events& events, uint32_t byteCount, size_t blockBytes = 0) {
  Bytes b = {'Q', '3', '1', 'P', 'R', 1, 12, 0, static_cast<uint8_t>(byteCount),
             static_cast<uint8_t>(byteCount >> 8), static_cast<uint8_t>(byteCount >> 16),
             static_cast<uint8_t>(byteCount >> 24), 0xE0, 0x01, 0, 0, 0, 0, 0, 0};
  for (const StepEvent& e : events) PutEvent(&b, e);
  PutEvent(&b, EndEvent());
  if (blockBytes > b.size()) b.resize(blockBytes, 0xFE);
  return b;
}

Bytes PartImage(const Events& events) {
  return PartImage(events, static_cast<uint32_t>(events.size() * 6));
}

// A converted drop block, head stripped: count and drop point in the five
// header slots, the events from byte 30.
Bytes DropBlock(const Events& events, int x, int y, int count = -1) {
  if (count < 0) count = static_cast<int>(events.size());
  Bytes b(30, 0x11);
  b[19] = static_cast<uint8_t>(count >> 8);
  b[22] = static_cast<uint8_t>(count);
  b[24] = static_cast<uint8_t>(x);
  b[26] = static_cast<uint8_t>(x >> 8);
  b[25] = static_cast<uint8_t>(y >> 8);
  b[28] = static_cast<uint8_t>(y);
  for (const StepEvent& e : events) PutEvent(&b, e);
  PutEvent(&b, EndEvent());
  return b;
}

Events Inserted(Events track, size_t at, const Events& events) {
  track.insert(track.begin() + static_cast<std::ptrdiff_t>(at), events.begin(), events.end());
  return track;
}

TEST(PartBlock, SelectionMakesAQ31Image) {
  ModelSong song;
  song.SetTrack(3, Track({Note(60, 120), Note(62, 0x0201, 0x0403, 90), Ev(0xEC, 5, 0x10, 0x0040), Note(64, 240)}));
  song.ctx.timeBase = 0x0160;
  StepEditModel& m = song.Open(3);
  m.selFrom = 1;
  m.selTo = 2;
  const Bytes want = {'Q', '3', '1', 'P', 'R', 3, 12, 0, 12, 0, 0, 0, 0x60, 0x01, 0, 0, 0, 0, 0, 0,
                      62, 90, 0x01, 0x02, 0x03, 0x04,
                      0xEC, 5, 0x10, 0, 0x40, 0};
  EXPECT_EQ(want, BuildPartBlock(m, song.ctx));
}

TEST(PartBlock, EndEventNeverGoesIntoAPart) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120)}));
  StepEditModel& m = song.Open(1);
  EXPECT_TRUE(BuildPartBlock(m, song.ctx).empty());  // no selection
  m.selFrom = 1;
  m.selTo = 2;  // through the end event
  const Bytes part = BuildPartBlock(m, song.ctx);
  ASSERT_EQ(26u, part.size());
  EXPECT_EQ(6, part[8]);
  EXPECT_EQ(62, part[20]);
  m.selFrom = 2;  // the end event alone
  EXPECT_TRUE(BuildPartBlock(m, song.ctx).empty());
}

TEST(PartBlock, SavedPartLoadsAtTheCaretOfAnotherTrack) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120), MeasureEnd()}));
  const Events target = Track({Note(40, 60), Note(41, 60), Note(42, 60)});
  song.SetTrack(2, target, false);
  StepEditModel& source = song.Open(1);
  source.selFrom = 0;
  source.selTo = 2;
  Bytes image = BuildPartBlock(source, song.ctx);
  image.resize(98290, 0xFE);  // as the open dialog's block holds it

  StepEditModel& m = song.Open(2);
  m.caretRow = 3;  // line 2
  const EditResult r = InsertPartAtCaret(m, song.ctx, image.data(), image.size());
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_EQ(m.eventCount, 6);
  EXPECT_TRUE(SameBytes(song.Read(2), Inserted(target, 2, {Note(60, 120), Note(62, 120), MeasureEnd()})));
}

Bytes Cut(Bytes b, size_t size) {
  b.resize(size);
  return b;
}

TEST(PartBlock, LoadedPartThatIsNotWholeIsRefused) {
  const Events part = {Note(70, 30), Note(71, 30)};
  Bytes notPart = PartImage(part);
  notPart[3] = '0';
  Bytes farStart = PartImage(part);
  farStart[6] = 0xF0;
  const struct {
    const char* what;
    Bytes image;
  } cases[] = {
      {"count past the image", PartImage(part, 6 * 4)},
      {"huge count", PartImage(part, 0xFFFFFFFAu)},
      {"events start past the image", farStart},
      {"short head", Cut(PartImage(part), 19)},
      {"not a part", notPart},
  };
  for (const auto& c : cases) {
    ModelSong song;
    const Events before = Track({Note(60, 120)});
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    const EditResult r = InsertPartAtCaret(m, song.ctx, c.image.data(), c.image.size());
    EXPECT_EQ(r.status, EditStatus::Refused) << c.what;
    EXPECT_EQ(r.stateBits, 0u) << c.what;
    EXPECT_TRUE(SameBytes(song.Read(1), before)) << c.what;
  }
  // The end event behind the events may be counted in: still within the image.
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  const Bytes exact = PartImage(part, 6 * 3);
  EXPECT_EQ(InsertPartAtCaret(m, song.ctx, exact.data(), exact.size()).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(70, 30), Note(71, 30), Note(60, 120)})));
}

TEST(PartBlock, LoadedPartThatReachesTheLimitIsTrackFull) {
  ModelSong song;
  const Events before = NotesTrack(16369);
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  const Bytes image = PartImage({Note(70, 30), Note(71, 30)});
  const EditResult r = InsertPartAtCaret(m, song.ctx, image.data(), image.size());
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageId, kTrackFullMessageId);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  const Bytes one = PartImage({Note(70, 30)});
  EXPECT_EQ(InsertPartAtCaret(m, song.ctx, one.data(), one.size()).status, EditStatus::Ok);
}

struct DropCase {
  const char* what;
  int mode;       // DragDropEdit
  int info;
  bool iconic;
  bool rhythm;
  int x, y;
  size_t at;      // where the two events land
};

TEST(PartBlock, DroppedPartLandsWhereTheSettingSays) {
  // Ten notes, top line 1; the caret on line 2. Characters 8 x 16.
  const DropCase cases[] = {
      {"caret", 1, 0, false, false, 0, 80, 2},
      {"caret, rhythm grid", 1, 0, false, true, 400, 0, 2},
      {"drop point", 2, 0, false, false, 0, 80, 5},
      {"drop point on the first row", 2, 0, false, false, 0, 5, 1},
      {"drop point above the list", 2, 0, false, false, 0, -40, 1},
      {"drop point below the last line", 2, 0, false, false, 0, 16 * 40, 10},
      {"drop point, rhythm grid", 2, 0, false, true, 8 * 21, 0, 4},
      {"drop point left of the grid", 2, 0, false, true, 0, 0, 1},
      {"end of track", 3, 0, false, false, 0, 80, 10},
      {"info", 1, 1, false, false, 0, 80, 10},
      {"info wins over the drop point", 2, 1, false, false, 0, 80, 10},
      {"iconic", 1, 0, true, false, 0, 80, 10},
      {"iconic wins over the drop point", 2, 0, true, true, 8 * 21, 0, 10},
  };
  const Events dropped = {Note(80, 15), Ev(0xEC, 1, 0, 7)};
  for (const DropCase& c : cases) {
    ModelSong song;
    const Events before = NotesTrack(10);
    song.SetTrack(1, before, false);
    song.ctx.settings.dragDropEdit = c.mode;
    StepEditModel& m = song.Open(1, c.rhythm);
    m.topLine = 1;
    m.caretRow = 2;
    m.caretColumn = kRhythmFirstColumn + 2;
    const Bytes block = DropBlock(dropped, c.x, c.y);
    const EditResult r = InsertDroppedPart(m, song.ctx, block.data(), block.size(), c.info, c.iconic, 8, 16);
    EXPECT_EQ(r.status, EditStatus::Ok) << c.what;
    EXPECT_EQ(r.stateBits, kStateModified | kStateTiming) << c.what;
    EXPECT_TRUE(SameBytes(song.Read(1), Inserted(before, c.at, dropped))) << c.what;
    EXPECT_EQ(m.eventCount, 12) << c.what;
  }
}

TEST(PartBlock, ForgedDropCountIsRefused) {
  const Events dropped = {Note(80, 15), Note(81, 15)};
  Bytes tooMany = DropBlock(dropped, 0, 0, 4);  // three slots there, the end event included
  Bytes highByte = DropBlock(dropped, 0, 0, 0x0102);
  const Bytes cases[] = {tooMany, highByte, Bytes(29, 0)};
  for (const Bytes& block : cases) {
    ModelSong song;
    const Events before = NotesTrack(3);
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    const EditResult r = InsertDroppedPart(m, song.ctx, block.data(), block.size(), 0, false, 8, 16);
    EXPECT_EQ(r.status, EditStatus::Refused);
    EXPECT_TRUE(SameBytes(song.Read(1), before));
  }
  // A count that takes in every slot of the block is believed: the end
  // event it reaches ends the inserted events.
  ModelSong song;
  song.SetTrack(1, NotesTrack(3));
  StepEditModel& m = song.Open(1);
  const Bytes whole = DropBlock(dropped, 0, 0, 3);
  EXPECT_EQ(InsertDroppedPart(m, song.ctx, whole.data(), whole.size(), 0, false, 8, 16).status, EditStatus::Ok);
  EXPECT_EQ(m.eventCount, 5);
}

TEST(PartBlock, DropCountsOneMoreAgainstTheLimit) {
  const Bytes block = DropBlock({Note(80, 15)}, 0, 0);
  {
    ModelSong song;
    const Events before = NotesTrack(16369);
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    const EditResult r = InsertDroppedPart(m, song.ctx, block.data(), block.size(), 0, false, 8, 16);
    EXPECT_EQ(r.status, EditStatus::TrackFull);
    EXPECT_EQ(r.messageId, kTrackFullMessageId);
    EXPECT_TRUE(SameBytes(song.Read(1), before));
  }
  ModelSong song;
  song.SetTrack(1, NotesTrack(16368));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(InsertDroppedPart(m, song.ctx, block.data(), block.size(), 0, false, 8, 16).status, EditStatus::Ok);
  EXPECT_EQ(m.eventCount, 16369);
}

TEST(PartBlock, DropsAreIgnoredWhenSwitchedOff) {
  ModelSong song;
  const Events before = NotesTrack(3);
  song.SetTrack(1, before);
  song.ctx.settings.dragDropEdit = 0;
  StepEditModel& m = song.Open(1);
  const Bytes block = DropBlock({Note(80, 15)}, 0, 0);
  EXPECT_EQ(InsertDroppedPart(m, song.ctx, block.data(), block.size(), 0, false, 8, 16).status,
            EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(PartBlock, ConvertedDropBlockInsertsItsEvents) {
  // "ZKPPARTDATA01" as another program writes it: drop point (20, 40).
  Bytes file = {'Z', 'K', 'P', 'P', 'A', 'R', 'T', 'D', 'A', 'T', 'A', '0', '1', 0, 0, 0, 20, 0, 40, 0};
  file.insert(file.end(), {0x3C, 48, 24, 100, 0x40, 24, 12, 90, 0xFE, 0, 0, 0});
  file.resize(64, 0);
  Bytes image;
  ASSERT_EQ(PartStatus::kOk, ConvertPartBytes(file.data(), file.size(), 480, true, &image));
  const Bytes stripped(image.begin() + 20, image.end());

  ModelSong song;
  const Events before = NotesTrack(5);
  song.SetTrack(1, before);
  song.ctx.settings.dragDropEdit = 2;
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(InsertDroppedPart(m, song.ctx, stripped.data(), stripped.size(), 0, false, 8, 16).status,
            EditStatus::Ok);
  // y 40 / 16 - 1: line 1.
  EXPECT_TRUE(SameBytes(song.Read(1), Inserted(before, 1, {Note(0x3C, 480, 240, 100), Note(0x40, 240, 120, 90)})));
}

}  // namespace
