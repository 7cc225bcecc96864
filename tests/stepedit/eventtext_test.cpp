#include "eventtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Events = std::vector<StepEvent>;

StepEvent E(uint8_t code, uint8_t vel = 0, uint16_t step = 0, uint16_t gate = 0) { return {code, vel, step, gate}; }

// Continuation events carrying text, five characters each.
void AddText(Events& events, const char* text) {
  const size_t n = std::strlen(text);
  for (size_t at = 0; at < n; at += 5) {
    uint8_t b[5] = {};
    std::memcpy(b, text + at, std::min<size_t>(5, n - at));
    events.push_back(E(0xF7, b[0], static_cast<uint16_t>(b[1] | b[2] << 8), static_cast<uint16_t>(b[3] | b[4] << 8)));
  }
}

TEST(NoteNameTest, SpelledByTheKeySignature) {
  struct {
    int key, row;
    const char* text;
  } cases[] = {
      {60, 0, "C 4  60 "},  {0, 0, "C -1  0 "},   {0, 4, "B#-2  0 "},   {71, 13, "Cb5  71 "},
      {71, 14, "Cb5  71 "}, {71, 15, "Cb5  71 "}, {72, 4, "B#4  72 "},  {72, 7, "B#4  72 "},
      {70, 0, "Bb4  70 "},  {70, 1, "A#4  70 "},  {65, 3, "E#4  65 "},  {66, 12, "Gb4  66 "},
      {64, 14, "Fb4  64 "}, {127, 0, "G 9 127 "}, {61, 11, "Db4  61 "}, {61, 16, "C#4  61 "},
  };
  for (const auto& c : cases) EXPECT_EQ(NoteNameText(c.key, c.row), c.text) << c.key << " row " << c.row;
}

struct TextCase {
  const char* name;
  Events events;
  int index;
  EventTextOptions options;
  const char* text;
};

EventTextOptions Overlapping() {
  EventTextOptions o;
  o.overlap = true;
  return o;
}
EventTextOptions ProgFromOne() {
  EventTextOptions o;
  o.progOffset = true;
  return o;
}
EventTextOptions InRow(int row) {
  EventTextOptions o;
  o.keyIndex = row;
  return o;
}

Events External(uint8_t vel, uint16_t gate, const char* text) {
  Events e = {E(0x99, vel, 10, gate)};
  AddText(e, text);
  return e;
}

Events Comment(const char* text) {
  Events e;
  uint8_t b[5] = {};
  std::memcpy(b, text, std::min<size_t>(5, std::strlen(text)));
  e.push_back(E(0xF6, b[0], static_cast<uint16_t>(b[1] | b[2] << 8), static_cast<uint16_t>(b[3] | b[4] << 8)));
  if (std::strlen(text) > 5) AddText(e, text + 5);
  return e;
}

class StepEventTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(StepEventTextTest, Text) {
  const TextCase& c = GetParam();
  EXPECT_EQ(StepEventText(c.events.data(), static_cast<int>(c.events.size()), c.index, c.options), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Events, StepEventTextTest,
    ::testing::Values(
        TextCase{"Note", {E(60, 100, 480, 240)}, 0, {}, "C 4  60  480  240 100 "},
        TextCase{"NoteStepZero", {E(60, 100, 0, 240)}, 0, {}, "C 4  60       240 100 "},
        TextCase{"NoteOverlapping", {E(60, 100, 480, 240)}, 0, Overlapping(), "C 4  60  480  240 100*"},
        TextCase{"KeyZeroRowFour", {E(0, 64, 24, 20)}, 0, InRow(4), "B#-2  0   24   20  64 "},
        TextCase{"GateZeroShowsTheKeyOnly", {E(60, 100, 480, 0)}, 0, {}, "     60  480    0 100 "},
        TextCase{"VelocityZeroShowsTheKeyOnly", {E(60, 0, 480, 0)}, 0, {}, "     60  480    0   0 "},
        TextCase{"NamedCommand", {E(0xE7, 0, 0, 120)}, 0, {}, "TEMPO         120   0 "},
        TextCase{"UnnamedCommand", {E(0x80, 5, 10, 3)}, 0, {}, "*128      10    3   5 "},
        TextCase{"UserExclusive", {E(0x93, 1, 0, 2)}, 0, {}, "UsrExc3         2   1 "},
        TextCase{"ControllerName", {E(0xEB, 100, 0, 7)}, 0, {}, "VOLUME          7 100 "},
        TextCase{"ControllerWithoutName", {E(0xEB, 100, 0, 2)}, 0, {}, "CONTROL         2 100 "},
        TextCase{"MidiChannel", {E(0xE6, 0, 48, 3)}, 0, {}, "MIDI CH.  48    3     "},
        TextCase{"ProgramZero", {E(0xEC, 0, 0, 0)}, 0, {}, "PROGRAM         0     "},
        TextCase{"ProgramZeroFromOne", {E(0xEC, 0, 0, 0)}, 0, ProgFromOne(), "PROGRAM         1     "},
        TextCase{"BendCentre", {E(0xEE, 0x40, 0, 0)}, 0, {}, "PITCH               0 "},
        TextCase{"BendOneBelow", {E(0xEE, 0x3F, 0, 0x7F)}, 0, {}, "PITCH           -   1 "},
        TextCase{"BendUpWithStep", {E(0xEE, 0x60, 12, 0)}, 0, {}, "PITCH     12     4096 "},
        TextCase{"ExternalMci", External(0, 0, "play x.wav"), 0, {}, "MCI:play x.wav          10    0   0 "},
        TextCase{"ExternalRun", External(0, 1, "notepad"), 0, {}, "RUN:notepad             10    1   0 "},
        TextCase{"ExternalOther", External(0, 2, "abc"), 0, {}, "???:abc                 10    2   0 "},
        TextCase{"CommentPadded", Comment("twenty characters ok"), 0, {}, "twenty characters ok  "},
        TextCase{"CommentCut", Comment("a comment that runs on and on"), 0, {}, "a comment that runs on"},
        TextCase{"KeySignature", {E(0xF5, 0, 0x08 | 2)}, 0, {}, "Music Key BbMAJOR     "},
        TextCase{"RepeatStart", {E(0xF9)}, 0, {}, "     [                "},
        TextCase{"RepeatEnd", {E(0xF8, 0, 3)}, 0, {}, "     ]     3          "},
        TextCase{"SameMeasure", {E(0xFC, 0, 4)}, 0, {}, "========   5========= "},
        TextCase{"MeasureEndWithRepeats",
                 {E(0xFD), E(0xF9), E(60, 100, 240, 10), E(62, 100, 240, 10), E(0xF8, 0, 3), E(64, 100, 480, 10),
                  E(0xFD)},
                 6, {}, "--------1920--------- "},
        TextCase{"MeasureEndFirstLine", {E(60, 100, 480, 10), E(0xFD)}, 1, {}, "-------- 480--------- "},
        TextCase{"OutsideTheBlock", {E(60, 100, 480, 10)}, 1, {}, ""},
        TextCase{"NoteStepZeroOverlapping", {E(60, 100, 0, 240)}, 0, Overlapping(), "C 4  60       240 100*"},
        TextCase{"CommandOverlapMarkToo", {E(0xE7, 0, 0, 120)}, 0, Overlapping(), "TEMPO         120   0*"},
        TextCase{"TrackExclusive", {E(0x98, 0, 10, 0), E(0xF7, 0xF0, 0x1041)}, 0, {}, "Tr.Excl   10    0   0 "},
        TextCase{"MidiChannelStepZero", {E(0xE6, 0, 0, 3)}, 0, {}, "MIDI CH.        3     "},
        TextCase{"ChannelPressure", {E(0xEA, 9, 10, 64)}, 0, Overlapping(), "AFTER C.  10   64     "},
        TextCase{"ChannelPressureStepZero", {E(0xEA, 9, 0, 64)}, 0, {}, "AFTER C.       64     "},
        TextCase{"ProgramWithStep", {E(0xEC, 0, 24, 5)}, 0, {}, "PROGRAM   24    5     "},
        TextCase{"ProgramWithStepFromOne", {E(0xEC, 0, 24, 5)}, 0, ProgFromOne(), "PROGRAM   24    6     "},
        TextCase{"OnlyProgramsFromOne", {E(0xE6, 0, 0, 5)}, 0, ProgFromOne(), "MIDI CH.        5     "},
        TextCase{"BendDownWithStep", {E(0xEE, 0x20, 12, 0)}, 0, {}, "PITCH     12    -4096 "},
        TextCase{"BendTop", {E(0xEE, 0x7F, 0, 0x7F)}, 0, {}, "PITCH            8191 "},
        TextCase{"BendBottom", {E(0xEE, 0x00, 0, 0x00)}, 0, {}, "PITCH           -8192 "},
        // The kind is velocity x 256 plus the gate as signed 16-bit.
        TextCase{"ExternalKindFromVelocity", External(1, 0, "x"), 0, {}, "???:x                   10    0   1 "},
        TextCase{"ExternalKindSigned", External(1, 0xFF01, "x"), 0, {}, "RUN:x                   10 -255   1 "},
        TextCase{"ExternalMciSigned", External(1, 0xFF00, "x"), 0, {}, "MCI:x                   10 -256   1 "},
        TextCase{"ExternalCut", External(0, 0, "0123456789abcdefghijKLMNOPQ"), 0, {},
                 "MCI:0123456789abcdefgh  10    0   0 "},
        TextCase{"ExternalListLine", External(0, 1, "notepad"), 0,
                 [] {
                   EventTextOptions o;
                   o.externalColumns = false;
                   return o;
                 }(),
                 "RUN:notepad           "},
        TextCase{"ExternalStopsAtTheEndEvent",
                 [] {
                   Events e = External(0, 0, "abcde");
                   e.push_back(EndEvent());
                   AddText(e, "stale");
                   return e;
                 }(),
                 0, {}, "MCI:abcde               10    0   0 "},
        TextCase{"CommentShortZeroesAsBlanks", {E(0xF6, 'a', 'b', 'c' | 'd' << 8)}, 0, {}, "ab cd                 "},
        TextCase{"CommentStopsAtTheEndEvent",
                 [] {
                   Events e = Comment("short text");
                   e.push_back(EndEvent());
                   AddText(e, "stale");
                   return e;
                 }(),
                 0, {}, "short text            "},
        TextCase{"CommentStopsAtTheNextLine",
                 [] {
                   Events e = Comment("first");
                   e.push_back(E(60, 100, 10, 10));
                   AddText(e, "stale");
                   return e;
                 }(),
                 0, {}, "first                 "},
        TextCase{"KeySignatureIndexMasked", {E(0xF5, 0, 0x20 | 0x11)}, 0, {}, "Music Key E minor     "},
        TextCase{"RepeatEndNegative", {E(0xF8, 0, 0xFFFF)}, 0, {}, "     ]    -1          "},
        TextCase{"SameMeasureFirst", {E(0xFC, 0, 0, 48)}, 0, {}, "========   1========= "},
        // 65,536 passes of one step: five digits, the text cut at 22.
        TextCase{"MeasureEndZeroRepeat", {E(0xF9), E(60, 100, 1, 10), E(0xF8, 0, 0), E(0xFD)}, 3, {},
                 "--------65536---------"},
        TextCase{"MeasureEndAfterSameMeasure", {E(60, 100, 100, 10), E(0xFC, 0, 0, 48), E(60, 100, 30, 10), E(0xFD)},
                 3, {}, "--------  30--------- "},
        TextCase{"StrayContinuation", {E(0xF7, 'x', 'y')}, 0, {}, "                      "}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

}  // namespace
