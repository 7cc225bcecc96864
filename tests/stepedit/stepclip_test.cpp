#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"
#include "stepclip.h"

namespace {

using namespace modelfixture;
using Bytes = std::vector<uint8_t>;

Events Decoded(const Bytes& block) {
  Events events;
  EXPECT_TRUE(DecodeStepClipboard(block.data(), block.size(), &events));
  return events;
}

TEST(StepClip, CopyOfThreeEventsIsA27ByteBlock) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 0x0102, 0x0304, 90), Ev(0xEC, 5, 0, 0x0040), MeasureEnd(),
                          Note(64, 240)}));
  StepEditModel& m = song.Open(1);
  m.selFrom = 3;  // either order
  m.selTo = 1;
  const Bytes block = CopySelectionBlock(m);
  const Bytes want = {'Z', 'K', 'P', 0, 3, 0, 0, 0,
                      62, 90, 0x02, 0x01, 0x04, 0x03,
                      0xEC, 5, 0, 0, 0x40, 0,
                      0xFD, 0, 0, 0, 0, 0,
                      0};
  EXPECT_EQ(want, block);
}

TEST(StepClip, CountIsLittleEndianAndNoSelectionCopiesNothing) {
  const Events events(300, Note(60, 1));
  const Bytes block = EncodeStepClipboard(events.data(), 300);
  ASSERT_EQ(300u * 6 + 9, block.size());
  EXPECT_EQ(Bytes({0x2C, 0x01, 0, 0}), Bytes(block.begin() + 4, block.begin() + 8));
  EXPECT_EQ(0, block.back());
  EXPECT_EQ(300u, Decoded(block).size());

  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}));
  EXPECT_TRUE(CopySelectionBlock(song.Open(1)).empty());
}

TEST(StepClip, CopyLeavesTheEndEventOut) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120)}));
  StepEditModel& m = song.Open(1);
  m.selFrom = 1;
  m.selTo = 2;  // the end event
  EXPECT_TRUE(SameBytes(Decoded(CopySelectionBlock(m)), Events{Note(62, 120)}));
  m.selFrom = 2;  // the end event alone
  EXPECT_TRUE(Decoded(CopySelectionBlock(m)).empty());
}

TEST(StepClip, CopyAndPasteInsertsExactlyThoseBeforeTheCaretEvent) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120), Note(64, 120), Note(65, 120), Note(67, 120)}));
  StepEditModel& m = song.Open(1);
  m.selFrom = 2;
  m.selTo = 4;
  const Events copied = Decoded(CopySelectionBlock(m));
  ASSERT_EQ(3u, copied.size());
  m.selFrom = m.selTo = -1;
  m.caretRow = 2;  // line 1: event 1
  const EditResult r = PasteSteps(m, song.ctx, copied.data(), 3);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);
  EXPECT_TRUE(r.indexRebuilt);
  EXPECT_EQ(m.eventCount, 8);
  EXPECT_EQ(m.lineCount, 9);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(60, 120), Note(64, 120), Note(65, 120), Note(67, 120),
                                             Note(62, 120), Note(64, 120), Note(65, 120), Note(67, 120)})));
}

TEST(StepClip, PasteAtTheFirstLineGoesBeforeTheFirstEvent) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120)}), false);  // an inactive editor's small block
  StepEditModel& m = song.Open(1);
  const Events pasted = {Note(70, 30), MeasureEnd()};
  EXPECT_EQ(PasteSteps(m, song.ctx, pasted.data(), 2).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(70, 30), MeasureEnd(), Note(60, 120), Note(62, 120)})));
}

TEST(StepClip, PasteInTheRhythmGridUsesTheCaretColumn) {
  ModelSong song;
  song.SetTrack(1, Track({Note(36, 120), Note(38, 120), Note(42, 120)}));
  StepEditModel& m = song.Open(1, true);
  m.caretColumn = kRhythmFirstColumn + 4;  // line 2
  const Events pasted = {Note(49, 60)};
  EXPECT_EQ(PasteSteps(m, song.ctx, pasted.data(), 1).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(36, 120), Note(38, 120), Note(49, 60), Note(42, 120)})));
}

TEST(StepClip, PasteThatReachesTheLimitIsTrackFullAndChangesNothing) {
  ModelSong song;
  const Events before = NotesTrack(16271);
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  m.caretRow = 5;
  const Events pasted(100, Note(70, 10));
  const EditResult r = PasteSteps(m, song.ctx, pasted.data(), 100);
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageId, kTrackFullMessageId);
  EXPECT_EQ(r.messageStyle, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(r.stateBits, 0u);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
  EXPECT_EQ(m.eventCount, 16271);

  // One fewer fits: 16,370 events.
  EXPECT_EQ(PasteSteps(m, song.ctx, pasted.data(), 99).status, EditStatus::Ok);
  EXPECT_EQ(m.eventCount, 16370);
}

TEST(StepClip, CountZeroPastesNothing) {
  const Bytes block = EncodeStepClipboard(nullptr, 0);
  ASSERT_EQ(9u, block.size());
  const Events events = Decoded(block);
  EXPECT_TRUE(events.empty());

  ModelSong song;
  const Events before = Track({Note(60, 120)});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  const EditResult r = PasteSteps(m, song.ctx, events.data(), 0);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 0u);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

Bytes WithCount(uint32_t count, size_t events) {
  Bytes b = {'Z', 'K', 'P', 0, static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
             static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
  b.resize(b.size() + events * 6 + 1, 0x3C);
  return b;
}

Bytes Cut(Bytes b, size_t size) {
  b.resize(size);
  return b;
}

TEST(StepClip, ForeignDataIsIgnored) {
  const std::string text = "ZKPxyz";
  const struct {
    const char* what;
    Bytes block;
  } cases[] = {
      {"plain text", Bytes(text.begin(), text.end() + 1)},
      {"text past eight bytes", Bytes{'Z', 'K', 'P', 'x', 'y', 'z', 'w', 'v', 'u', 0}},
      {"huge count", WithCount(0xFFFFFFFFu, 4)},
      {"count above a track", WithCount(kMaxTrackEvents + 1, kMaxTrackEvents + 1)},
      {"short block", Cut(WithCount(3, 3), 8 + 17)},
      {"head only", Bytes{'Z', 'K', 'P', 0, 1, 0, 0}},
      {"other mark", Bytes{'Z', 'K', 'Q', 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Events events = {Note(1, 1)};
    EXPECT_FALSE(DecodeStepClipboard(c.block.data(), c.block.size(), &events)) << c.what;
    EXPECT_TRUE(events.empty()) << c.what;
  }
  // A block with room to spare (clipboard sizes are rounded) is taken.
  Bytes roomy = WithCount(2, 2);
  roomy.resize(roomy.size() + 7, 0);
  EXPECT_EQ(2u, Decoded(roomy).size());
}

TEST(StepClip, PasteWhileALineIsInsertedClosesTheGapAndKeepsAnUndoCopy) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), Note(62, 120), Note(64, 120)}));
  StepEditModel& m = song.Open(1);
  m.caretRow = 2;
  ASSERT_TRUE(OpenInsertGap(m, song.ctx, m.topLine));
  {
    ModelEvents block(m);
    block.events()[1] = Note(70, 30);  // typed into the gap
    block.events()[2] = EndEvent();
  }
  const Events pasted = {Note(72, 15)};
  const EditResult r = PasteSteps(m, song.ctx, pasted.data(), 1);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(m.indexCurrent, 1);
  const Events typed = Track({Note(60, 120), Note(70, 30), Note(62, 120), Note(64, 120)});
  {
    Locked undo(ReadTrackBlock(m).undo);
    ASSERT_TRUE(undo.as<uint16_t>());
    EXPECT_EQ(undo.as<uint16_t>()[2], static_cast<uint16_t>(typed.size()));
    EXPECT_EQ(0, std::memcmp(undo.as<StepEvent>() + 1, typed.data(), typed.size() * sizeof(StepEvent)));
  }
  EXPECT_TRUE(SameBytes(song.Read(1),
                        Track({Note(60, 120), Note(72, 15), Note(70, 30), Note(62, 120), Note(64, 120)})));
}

TEST(StepClip, AnEndCodeAmongThePastedEventsEndsThem) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  const Events pasted = {Note(70, 30), EndEvent(), Note(72, 30)};
  EXPECT_EQ(PasteSteps(m, song.ctx, pasted.data(), 3).status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Track({Note(70, 30), Note(60, 120)})));
  EXPECT_EQ(m.eventCount, 2);
}

TEST(StepClip, SameMeasureReferencesAskForRenumbering) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), MeasureEnd()}));
  StepEditModel& m = song.Open(1);
  const Events plain = {Note(70, 30)};
  EXPECT_FALSE(PasteSteps(m, song.ctx, plain.data(), 1).renumberRefs);
  const Events ref = {Ev(0xFC, 0, 1, 0)};
  EXPECT_TRUE(PasteSteps(m, song.ctx, ref.data(), 1).renumberRefs);
}

}  // namespace
