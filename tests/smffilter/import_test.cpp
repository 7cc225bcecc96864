#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "smfimport.h"
#include "songfixture.h"

using namespace songfixture;

namespace {

constexpr StepEvent kBar{0xFD, 0xFD, 253, 253};
constexpr StepEvent kEnd{0xFE, 0xFE, 254, 254};

SmfImportResult Import(const std::string& image, const SmfImportOptions& options = {}) {
  return ImportSmf(reinterpret_cast<const uint8_t*>(image.data()), image.size(), options);
}

std::vector<StepEvent> Body(const SmfImportTrack& t) {
  std::vector<StepEvent> e = t.events;
  EXPECT_FALSE(e.empty());
  if (!e.empty()) {
    EXPECT_EQ(kEnd, e.back());
    e.pop_back();
  }
  return e;
}

std::string Comment(const SmfImportTrack& t) { return std::string(t.header.comment, 36); }
std::string Padded(const std::string& s, size_t n) { return s + std::string(n - s.size(), ' '); }

std::string NoteOn(uint32_t delta, int ch, int key, int vel) { return Ev(delta, {0x90 | ch, key, vel}); }
std::string NoteOff(uint32_t delta, int ch, int key) { return Ev(delta, {0x80 | ch, key, 0}); }

TEST(SmfImport, Format0SplitsChannelsIntoSixteenTracks) {
  // Channel 1 and channel 10, no port events.
  std::string image = Smf(0, 480, {Track(NoteOn(0, 0, 60, 100) + NoteOn(0, 9, 36, 90) +
                                         NoteOff(240, 0, 60) + NoteOff(240, 9, 36))});
  SmfImportResult r = Import(image);
  ASSERT_EQ(SmfImportStatus::kOk, r.status);
  ASSERT_EQ(16u, r.tracks.size());
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 1920, 240}, kBar}), Body(r.tracks[0]));
  EXPECT_EQ((std::vector<StepEvent>{{36, 90, 1920, 480}, kBar}), Body(r.tracks[9]));
  for (int k : {2, 5, 11, 16}) {
    // One empty measure: a rest, the bar line.
    EXPECT_EQ((std::vector<StepEvent>{{60, 0, 1920, 0}, kBar}), Body(r.tracks[k - 1])) << k;
  }
  for (int k = 1; k <= 16; ++k) {
    EXPECT_EQ(k, r.tracks[k - 1].header.number);
    EXPECT_EQ(k - 1, r.tracks[k - 1].header.channel);
    EXPECT_EQ(0u, r.tracks[k - 1].header.size);
  }
  EXPECT_EQ(480, r.timeBase);
  EXPECT_EQ(120, r.tempo);
  EXPECT_EQ(4, r.beatNum);
  EXPECT_EQ(4, r.beatDen);
  EXPECT_FALSE(r.keySeen);
  EXPECT_FALSE(r.report.Damaged());
}

TEST(SmfImport, ANoteOverTheBarLineIsTiedIntoTheNextMeasure) {
  std::string image = Smf(0, 480, {Track(NoteOn(0, 0, 60, 100) + NoteOff(2400, 0, 60))});
  SmfImportResult r = Import(image);
  ASSERT_EQ(SmfImportStatus::kOk, r.status);
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 1920, 1921}, kBar, {60, 100, 1920, 480}, kBar}),
            Body(r.tracks[0]));
}

TEST(SmfImport, ALongNoteAtSmallTimeBaseIsSplitByTheLargestStep) {
  // Time base 96: one event holds at most 384 ticks, a measure of 3/1 is 1,152.
  std::string image = Smf(0, 96, {Track(Meta(0, 0x58, std::string("\x03\x00\x18\x08", 4)) +
                                        NoteOn(0, 0, 60, 100) + NoteOff(1152, 0, 60))});
  SmfImportOptions o;
  o.songTimeBase = 96;
  SmfImportResult r = Import(image, o);
  ASSERT_EQ(SmfImportStatus::kOk, r.status);
  EXPECT_EQ(3, r.beatNum);
  EXPECT_EQ(1, r.beatDen);
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 384, 385},
                                    {60, 100, 384, 385},
                                    {60, 100, 384, 384},
                                    kBar}),
            Body(r.tracks[0]));
}

TEST(SmfImport, ASecondNoteOnOfTheKeyEndsTheFirst) {
  std::string image =
      Smf(0, 480, {Track(NoteOn(0, 0, 64, 80) + NoteOn(240, 0, 64, 70) + NoteOff(240, 0, 64))});
  SmfImportResult r = Import(image);
  EXPECT_EQ((std::vector<StepEvent>{{64, 80, 240, 240}, {64, 70, 1680, 240}, kBar}),
            Body(r.tracks[0]));
}

TEST(SmfImport, TempoEventsSetTheSongTempoThenBecomeTempoChanges) {
  struct Case {
    uint32_t micro;
    uint16_t bpm;
  } cases[] = {{500000, 120}, {200000, 240}, {1000000, 60}, {16777215, 3}};
  for (const Case& c : cases) {
    std::string t = std::string{static_cast<char>(c.micro >> 16), static_cast<char>(c.micro >> 8),
                                static_cast<char>(c.micro)};
    SmfImportResult r = Import(Smf(0, 480, {Track(Meta(0, 0x51, t))}));
    EXPECT_EQ(c.bpm, r.tempo) << c.micro;
  }
  // 120, then 60 after a quarter: gate 60 x 64 / 120 = 32.
  std::string image = Smf(0, 480, {Track(Meta(0, 0x51, "\x07\xA1\x20") +
                                         Meta(480, 0x51, std::string("\x0F\x42\x40", 3)))});
  SmfImportResult r = Import(image);
  EXPECT_EQ(120, r.tempo);
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 480, 0}, {0xE7, 0, 1440, 32}, kBar}), Body(r.tracks[0]));
  // Only the first track carries tempo changes.
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 1920, 0}, kBar}), Body(r.tracks[1]));
}

TEST(SmfImport, FileTicksAreConvertedWithACarry) {
  // Division 96 into time base 480: a delta of 1 is 5 steps.
  std::string up = Smf(0, 96, {Track(NoteOn(1, 0, 60, 100) + NoteOff(1, 0, 60))});
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 5, 0}, {60, 100, 1915, 5}, kBar}), Body(Import(up).tracks[0]));
  // Division 480 into time base 96: five deltas of 1 make one step.
  std::string cc;
  for (int i = 0; i < 5; ++i) cc += Ev(1, {0xB0, 7, 100 + i});
  SmfImportOptions o;
  o.songTimeBase = 96;
  std::vector<StepEvent> down = Body(Import(Smf(0, 480, {Track(cc)}), o).tracks[0]);
  ASSERT_EQ(6u, down.size());
  EXPECT_EQ((StepEvent{0xEB, 103, 1, 7}), down[3]);
  EXPECT_EQ((StepEvent{0xEB, 104, 383, 7}), down[4]);
}

TEST(SmfImport, TimeSignatureSetsMeasureAndBeat) {
  std::string image = Smf(0, 480, {Track(Meta(0, 0x58, std::string("\x03\x02\x18\x08", 4)) +
                                         NoteOn(0, 0, 60, 100) + NoteOff(480, 0, 60))});
  SmfImportResult r = Import(image);
  EXPECT_EQ(3, r.beatNum);
  EXPECT_EQ(4, r.beatDen);
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 1440, 480}, kBar}), Body(r.tracks[0]));
  // A change after the first measure starts with the next bar line.
  std::string later = Smf(0, 480, {Track(Meta(1920, 0x58, std::string("\x02\x02\x18\x08", 4)) +
                                         NoteOn(960, 0, 60, 100) + NoteOff(10, 0, 60))});
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 1920, 0}, kBar, {60, 0, 960, 0}, kBar, {60, 100, 960, 10}, kBar}),
            Body(Import(later).tracks[0]));
}

TEST(SmfImport, KeyChangesStandOnBarLinesOnly) {
  // E minor (one sharp) first, then B flat major on a bar line, then D major
  // in the middle of a measure.
  std::string image = Smf(0, 480, {Track(Meta(0, 0x59, std::string("\x01\x01", 2)) +
                                         Meta(1920, 0x59, std::string("\xFE\x00", 2)) +
                                         Meta(960, 0x59, std::string("\x02\x00", 2)) +
                                         NoteOn(0, 0, 60, 1) + NoteOff(1, 0, 60))});
  SmfImportResult r = Import(image);
  ASSERT_TRUE(r.keySeen);
  EXPECT_EQ(kKeyMinor | 1, r.key);
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 1920, 0}, kBar, {0xF5, 0, kKeyFlats | 2, 0},
                                    {60, 0, 960, 0}, {60, 1, 960, 1}, kBar}),
            Body(r.tracks[0]));
}

TEST(SmfImport, TextsBecomeTitleMemoCommentAndCommentEvents) {
  std::string sixty(60, 'a');
  sixty[10] = '\t';
  std::string image = Smf(0, 480, {Track(Meta(0, 0x03, "Song title") + Meta(0, 0x02, "(c) someone") +
                                         Meta(0, 0x03, "Piano part") + Meta(0, 0x01, sixty))});
  SmfImportResult r = Import(image);
  ASSERT_TRUE(r.titleSeen);
  EXPECT_EQ(Padded("Song title", 64), std::string(r.title, 64));
  ASSERT_TRUE(r.memoSeen);
  EXPECT_EQ(Padded("(c) someone", 360), std::string(r.memo, 360));
  EXPECT_EQ(Padded("Piano part", 36), Comment(r.tracks[0]));
  std::vector<StepEvent> e = Body(r.tracks[0]);
  // Two groups of eleven events, then the rest of the measure.
  ASSERT_EQ(22u + 2u, e.size());
  std::string text;
  for (int i = 0; i < 22; ++i) {
    EXPECT_EQ(i % 11 == 0 ? 0xF6 : 0xF7, e[i].code) << i;
    text.append(reinterpret_cast<const char*>(&e[i]) + 1, 5);
  }
  std::string expected = sixty;
  expected[10] = ' ';
  EXPECT_EQ(Padded(expected, 110), text);
  EXPECT_EQ(Padded("", 36), Comment(r.tracks[1]));
  // Without bit 0x200 no text is read.
  SmfImportOptions o;
  o.flags = 0xFFFF & ~kImportTexts;
  SmfImportResult none = Import(image, o);
  EXPECT_FALSE(none.titleSeen);
  EXPECT_FALSE(none.memoSeen);
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 1920, 0}, kBar}), Body(none.tracks[0]));
}

TEST(SmfImport, ExclusivesArePackedFiveBytesAnEvent) {
  // 41 10 42 12 40 00 7F 00 41 F7: ten bytes; then a message of seven.
  std::string gs("\x0A\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 11);
  std::string seven("\x07\x43\x10\x4C\x00\x00\x7E\xF7", 8);
  std::string image = Smf(0, 480, {Track(Vlq(0) + '\xF0' + gs + Vlq(0) + '\xF0' + seven)});
  std::vector<StepEvent> e = Body(Import(image).tracks[0]);
  ASSERT_EQ(8u, e.size());
  auto bytes = [&](int i) { return std::string(reinterpret_cast<const char*>(&e[i]), 6); };
  EXPECT_EQ((StepEvent{0x98, 0, 0, 0}), e[0]);
  EXPECT_EQ(std::string("\xF7\x41\x10\x42\x12\x40", 6), bytes(1));
  EXPECT_EQ(std::string("\xF7\x00\x7F\x00\x41\xF7", 6), bytes(2));
  EXPECT_EQ((StepEvent{0x98, 0, 0, 0}), e[3]);
  EXPECT_EQ(std::string("\xF7\x43\x10\x4C\x00\x00", 6), bytes(4));
  // Two data bytes: a blank after them, then 0xF7.
  EXPECT_EQ(std::string("\xF7\x7E\xF7\x20\xF7\xF7", 6), bytes(5));
  // The exclusives go to the channel-1 track only.
  EXPECT_EQ(2u, Body(Import(image).tracks[1]).size());
}

TEST(SmfImport, ChannelMessagesFollowTheFlags) {
  std::string events = Ev(0, {0xA0, 60, 11}) + Ev(0, {0xB0, 7, 100}) + Ev(0, {0xC0, 5}) +
                       Ev(0, {0xD0, 33}) + Ev(0, {0xE0, 0x01, 0x40});
  std::string image = Smf(0, 480, {Track(events)});
  EXPECT_EQ((std::vector<StepEvent>{{0xED, 11, 0, 60},
                                    {0xEB, 100, 0, 7},
                                    {0xEC, 0, 0, 5},
                                    {0xEA, 0, 0, 33},
                                    {0xEE, 0x40, 1920, 0x01},
                                    kBar}),
            Body(Import(image).tracks[0]));
  SmfImportOptions o;
  o.flags = kImportProgramChange | kImportPitchBend;
  EXPECT_EQ((std::vector<StepEvent>{{0xEC, 0, 0, 5}, {0xEE, 0x40, 1920, 0x01}, kBar}),
            Body(Import(image, o).tracks[0]));
}

TEST(SmfImport, RunningStatusIsHonouredAndCancelledByMetaEvents) {
  // 90 3C 64, then 3E 64 by running status; after a meta event a bare data
  // pair has no status and is skipped.
  std::string events = Ev(0, {0x90, 0x3C, 0x64}) + Ev(0, {0x3E, 0x64}) + Ev(240, {0x3C, 0x00}) +
                       Ev(0, {0x3E, 0x00}) + Meta(0, 0x06, "m") + Ev(0, {0x40, 0x64}) +
                       Ev(0, {0x91, 0x40, 0x64}) + Ev(10, {0x81, 0x40, 0x00});
  SmfImportResult r = Import(Smf(0, 480, {Track(events)}));
  std::vector<StepEvent> t1 = Body(r.tracks[0]);
  ASSERT_GE(t1.size(), 2u);
  EXPECT_EQ((StepEvent{0x3C, 0x64, 0, 240}), t1[0]);
  EXPECT_EQ((StepEvent{0x3E, 0x64, 240, 240}), t1[1]);
  // The marker goes with channel 1, the last channel seen.
  ASSERT_GE(t1.size(), 3u);
  EXPECT_EQ(0xF6, t1[2].code);
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 240, 0}, {0x40, 0x64, 1680, 10}, kBar}), Body(r.tracks[1]));
  EXPECT_TRUE(r.report.badBytes);
}

TEST(SmfImport, Format1GivesOneTrackPerChunk) {
  std::string conductor = Track(Meta(0, 0x03, "Tune") + Meta(0, 0x51, std::string("\x09\x27\xC0", 3)) +
                                Meta(0, 0x58, std::string("\x03\x02\x18\x08", 4)) +
                                Meta(0, 0x01, "intro"));
  std::string piano = Track(Meta(0, 0x03, "Piano") + Meta(0, 0x01, "verse") + NoteOn(0, 2, 60, 100) +
                            NoteOff(480, 2, 60) + Ev(0, {0xB1, 7, 1}));  // another channel: not here
  std::string drums =
      Track(Meta(0, 0x21, std::string("\x01", 1)) + Meta(0, 0x03, "Drums") + Meta(0, 0x03, "fill") +
            NoteOn(0, 9, 36, 90) +
            NoteOff(120, 9, 36) + Vlq(0) + std::string("\xF0\x03\x7E\x7F\xF7", 5));
  SmfImportResult r = Import(Smf(1, 480, {conductor, piano, drums}));
  ASSERT_EQ(SmfImportStatus::kOk, r.status);
  ASSERT_EQ(2u, r.tracks.size());
  EXPECT_EQ(Padded("Tune", 64), std::string(r.title, 64));
  EXPECT_EQ(100, r.tempo);
  EXPECT_EQ(3, r.beatNum);
  EXPECT_EQ(2, r.tracks[0].header.channel);
  EXPECT_EQ(16 + 9, r.tracks[1].header.channel);
  EXPECT_EQ(Padded("Piano", 36), Comment(r.tracks[0]));
  EXPECT_EQ(Padded("Drums", 36), Comment(r.tracks[1]));
  std::vector<StepEvent> t1 = Body(r.tracks[0]);
  // "intro" and "verse" as comment events, then the note.
  ASSERT_EQ(11u * 2 + 2, t1.size());
  EXPECT_EQ(0xF6, t1[0].code);
  EXPECT_EQ(0xF6, t1[11].code);
  EXPECT_EQ((StepEvent{60, 100, 1440, 480}), t1[22]);
  // The chunk's later texts are comment events in every track, not only
  // in the first.
  std::vector<StepEvent> t2 = Body(r.tracks[1]);
  ASSERT_EQ(11u + 5u, t2.size());
  EXPECT_EQ(0xF6, t2[0].code);
  EXPECT_EQ("fill ", std::string(reinterpret_cast<const char*>(&t2[0]) + 1, 5));
  EXPECT_EQ((StepEvent{36, 90, 120, 120}), t2[11]);
  EXPECT_EQ(0x98, t2[12].code);
  EXPECT_EQ(std::string("\xF7\x7E\x7F\xF7\xF7\xF7", 6), std::string(reinterpret_cast<const char*>(&t2[13]), 6));
}

TEST(SmfImport, Format1OfOneChunkIsReadAsFormat0) {
  std::string image = Smf(1, 480, {Track(NoteOn(0, 0, 60, 100) + NoteOn(0, 2, 64, 100) + NoteOff(240, 0, 60) +
                                         NoteOff(0, 2, 64))});
  SmfImportResult r = Import(image);
  ASSERT_EQ(16u, r.tracks.size());
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 1920, 240}, kBar}), Body(r.tracks[0]));
  EXPECT_EQ((std::vector<StepEvent>{{64, 100, 1920, 240}, kBar}), Body(r.tracks[2]));
}

TEST(SmfImport, Format1MergedByChannelPairsEachHeaderWithItsEvents) {
  std::string conductor = Track(Meta(0, 0x51, std::string("\x07\xA1\x20", 3)));
  std::string a = Track(NoteOn(0, 0, 60, 100) + NoteOff(480, 0, 60));
  std::string b = Track(NoteOn(0, 9, 36, 90) + NoteOff(480, 9, 36) + NoteOn(0, 2, 70, 50) + NoteOff(10, 2, 70));
  SmfImportOptions o;
  o.format1Mix = 0;
  SmfImportResult r = Import(Smf(1, 480, {conductor, a, b}), o);
  ASSERT_EQ(16u, r.tracks.size());
  for (int k = 1; k <= 16; ++k) {
    EXPECT_EQ(k, r.tracks[k - 1].header.number);
    EXPECT_EQ(k - 1, r.tracks[k - 1].header.channel);
  }
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 1920, 480}, kBar}), Body(r.tracks[0]));
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 480, 0}, {70, 50, 1440, 10}, kBar}), Body(r.tracks[2]));
  EXPECT_EQ((std::vector<StepEvent>{{36, 90, 1920, 480}, kBar}), Body(r.tracks[9]));
}

TEST(SmfImport, PortEventsAddTracksAndFollowThePortMode) {
  // Port meta value 1: port B in mode 0, port A in mode 1, B in mode 2,
  // ignored in mode 3.
  std::string image = Smf(0, 480, {Track(NoteOn(0, 0, 60, 100) + Meta(0, 0x21, std::string("\x01", 1)) +
                                         NoteOn(0, 2, 62, 100) + NoteOff(10, 0, 60) + NoteOff(0, 2, 62))});
  struct Case {
    int mode;
    size_t tracks;
    int track;    // the channel-3 note's track
  } cases[] = {{0, 32, 19}, {1, 16, 3}, {2, 32, 19}, {3, 16, 3}};
  for (const Case& c : cases) {
    SmfImportOptions o;
    o.portMode = c.mode;
    SmfImportResult r = Import(image, o);
    ASSERT_EQ(c.tracks, r.tracks.size()) << c.mode;
    EXPECT_EQ((StepEvent{62, 100, 1920, 10}), Body(r.tracks[c.track - 1])[0]) << c.mode;
    EXPECT_EQ(c.track - 1, r.tracks[c.track - 1].header.channel);
  }
  // Mode 1: value 0 mutes; its events go to no track.
  std::string muted = Smf(0, 480, {Track(Meta(0, 0x21, std::string("\x00", 1)) + NoteOn(0, 0, 60, 100) +
                                         NoteOff(10, 0, 60))});
  SmfImportOptions o;
  o.portMode = 1;
  SmfImportResult r = Import(muted, o);
  ASSERT_EQ(16u, r.tracks.size());
  EXPECT_EQ((std::vector<StepEvent>{{60, 0, 1920, 0}, kBar}), Body(r.tracks[0]));
}

TEST(SmfImport, MoreTracksThanMaxTrackAreLeftOut) {
  std::vector<std::string> chunks(12, Track(NoteOn(0, 0, 60, 100) + NoteOff(10, 0, 60)));
  SmfImportOptions o;
  o.maxTrack = 8;
  SmfImportResult r = Import(Smf(1, 480, chunks), o);
  EXPECT_TRUE(r.report.trackLimit);
  EXPECT_EQ(8u, r.tracks.size());
  o.maxTrack = 11;
  r = Import(Smf(1, 480, chunks), o);
  EXPECT_FALSE(r.report.trackLimit);
  EXPECT_EQ(11u, r.tracks.size());
}

TEST(SmfImport, FileTimeBaseIsKeptOnlyWhenTheSongCanHoldIt) {
  std::string events = NoteOn(0, 0, 60, 100) + NoteOff(96, 0, 60);
  SmfImportOptions o;
  o.keepFileTimeBase = true;
  SmfImportResult r = Import(Smf(0, 96, {Track(events)}), o);
  EXPECT_EQ(96, r.timeBase);
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 384, 96}, kBar}), Body(r.tracks[0]));
  EXPECT_FALSE(r.report.Damaged());
  // Division 24 and 384: converted to the song's 480 instead.
  for (uint16_t division : {24, 384}) {
    r = Import(Smf(0, division, {Track(events)}), o);
    EXPECT_EQ(480, r.timeBase) << division;
    EXPECT_TRUE(r.report.timeBaseFallback) << division;
  }
}

TEST(SmfImport, AFullTrackStopsAtTheEventLimit) {
  std::string events;
  for (int i = 0; i < kMaxTrackEvents + 100; ++i) events += Ev(0, {0xB0, 7, i & 0x7F});
  SmfImportResult r = Import(Smf(0, 480, {Track(events + NoteOn(0, 1, 60, 100) + NoteOff(10, 1, 60))}));
  ASSERT_EQ(1u, r.report.fullTracks.size());
  EXPECT_EQ(1, r.report.fullTracks[0]);
  ASSERT_EQ(static_cast<size_t>(kMaxTrackEvents) + 1, r.tracks[0].events.size());
  EXPECT_EQ(kEnd, r.tracks[0].events.back());
  // The other tracks are whole.
  EXPECT_EQ((std::vector<StepEvent>{{60, 100, 1920, 10}, kBar}), Body(r.tracks[1]));
}

}  // namespace
