#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "statuscaret.h"
#include "statusline.h"

namespace {

TEST(StatusTexts, StepInputModes) {
  const std::vector<std::pair<int, std::string>> cases = {
      {0, "INSERT "},           {1, "EDIT   "},           {2, "INSERT SOUND 1"},
      {3, "EDIT   SOUND 1"},    {4, "INSERT SOUND 2"},    {5, "EDIT   SOUND 2"},
      {6, "INSERT MIDI(Mono)"}, {7, "EDIT   MIDI(Mono)"}, {8, "INSERT MIDI(Poly)"},
      {9, "EDIT   MIDI(Poly)"}, {10, "INSERT MIDI(fkey)"}, {11, "EDIT   MIDI(fkey)"},
      {12, ""},                 {-1, ""}};
  for (const auto& [mode, text] : cases) EXPECT_EQ(text, StepInputModeText(mode)) << mode;
}

TEST(StatusTexts, RecordingAndTimeCode) {
  const uint8_t tc[5] = {1, 2, 3, 4, 5};
  const int start[5] = {10, 20, 30, 15, 0};
  EXPECT_EQ("TimeCode  1: 2: 3: 4: 5 START 10:20:30:15: 0",
            RecordingStatusText(false, 0, 99, tc, start));
  EXPECT_EQ("Recording(1234) TimeCode  1: 2: 3: 4: 5 START 10:20:30:15: 0",
            RecordingStatusText(true, 3, 1234, tc, start));
  EXPECT_EQ("Recording(1234)", RecordingStatusText(true, 1, 1234, tc, start));
  // An engine without a time code shows zeros, never garbage.
  EXPECT_EQ("TimeCode  0: 0: 0: 0: 0 START 10:20:30:15: 0",
            RecordingStatusText(false, 0, 0, nullptr, start));
}

TEST(StatusTexts, Counters) {
  EXPECT_EQ("FREE:    12", FreeCounterText(12));
  EXPECT_EQ("FREE:589356", FreeCounterText(589356));
  EXPECT_EQ("FREE:4294967295", FreeCounterText(-1));  // over-full song, as the counter holds it
  EXPECT_EQ("USED:    0", UsedCounterText(0));
  EXPECT_EQ("USED:65535", UsedCounterText(65535));
}

TEST(StatusLayoutMath, SizesFollowBorderAndFont) {
  const StatusLayout l = ComputeStatusLayout(1, 16, 8, 640);
  EXPECT_EQ(23, l.height);
  EXPECT_EQ(48, l.counterWidth);
  EXPECT_EQ(640 - 112 - 4, l.messageWidth);
  EXPECT_EQ(l.messageWidth, l.messageField.right - l.messageField.left);
  EXPECT_EQ(48, l.freeField.right - l.freeField.left);
  EXPECT_EQ(48, l.usedField.right - l.usedField.left);
  // Fields run left to right without overlapping, inside the line.
  EXPECT_LT(l.messageField.right, l.freeField.left);
  EXPECT_LT(l.freeField.right, l.usedField.left);
  EXPECT_LE(l.usedField.right, l.caretField.left);
  EXPECT_LE(l.caretField.right, 640);
  EXPECT_GE(l.messageField.top, 0);
  EXPECT_LE(l.messageField.bottom, l.height);

  const StatusLayout wide = ComputeStatusLayout(2, 16, 8, 640);
  EXPECT_EQ(30, wide.height);
  EXPECT_EQ(18, wide.border9);
}

TEST(StatusLayoutMath, NarrowFrameGivesNoNegativeField) {
  const StatusLayout l = ComputeStatusLayout(1, 16, 8, 50);
  EXPECT_EQ(0, l.messageWidth);
  for (const RECT& r : {l.messageField, l.freeField, l.usedField, l.caretField})
    EXPECT_GE(r.right, r.left);
}

TEST(StatusLayoutMath, LinePlacement) {
  struct Case { int statusBar, toolBar, top; };
  const Case cases[] = {
      {0, 1, -1},        // hidden
      {1, 0, 0},         // top
      {1, 1, 26},        // top, below the tool palette
      {1, 0x81, 26},     // the help bit does not move it
      {1, 2, 0},         // tool palette at the bottom
      {2, 1, 300 - 23},  // bottom
      {2, 2, 300 - 23},  // the bottom palette sits above the line
      {7, 0, 300 - 23},  // any other value: bottom
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.top, StatusLineTop(c.statusBar, c.toolBar, 300, 23)) << c.statusBar << "," << c.toolBar;
}

TEST(CaretSteps, SumsNotesBackToTheMeasureEnd) {
  const std::vector<StepEvent> ev = {
      {60, 100, 30, 10},     // 0: note of the measure before
      {0xFD, 0, 0, 0},       // 1: measure end
      {60, 100, 120, 100},   // 2
      {0xF5, 0, 999, 0},     // 3: a command 0xF0-0xFB: its step does not count
      {62, 100, 60, 50},     // 4
      {0xE7, 64, 40, 0},     // 5: a command below 0xF0 counts
      {0xFC, 0, 0, 0},       // 6: same-measure reference ends a measure as well
      {64, 100, 240, 0},     // 7
      {0xFE, 0xFE, 0xFE, 0xFE}};
  const int n = static_cast<int>(ev.size());
  EXPECT_EQ(0, CaretStepsInMeasure(ev.data(), n, 0));
  EXPECT_EQ(30, CaretStepsInMeasure(ev.data(), n, 1));
  EXPECT_EQ(0, CaretStepsInMeasure(ev.data(), n, 2));
  EXPECT_EQ(120, CaretStepsInMeasure(ev.data(), n, 4));
  EXPECT_EQ(220, CaretStepsInMeasure(ev.data(), n, 6));
  EXPECT_EQ(240, CaretStepsInMeasure(ev.data(), n, 8));
  EXPECT_EQ(240, CaretStepsInMeasure(ev.data(), 8, 50));  // an index past count reads no further
}

TEST(CaretText, PartsSeparatorsAndCarry) {
  struct Case {
    const char* what;
    CaretPositionInput in;
    std::string text;
  };
  auto make = [](int sw, int loc, int pal, int sign, int pos) {
    CaretPositionInput in;  // 4/4 at 480: a beat is 480 steps
    in.measure = 3;
    in.locSw = sw;
    in.locLoc = loc;
    in.locPal = pal;
    in.locSign = sign;
    in.locRatio = 50;
    in.pos = pos;
    return in;
  };
  std::vector<Case> cases = {
      {"measure, beat, offset/rest", make(0x07, 1, 0, 1, 720), "   3/   2/240/240"},
      {"past the ratio: next beat, negative offset", make(0x07, 1, 0, 1, 730), "   3/   3/-230/230"},
      {"sign switch 0 flips the offset", make(0x07, 1, 0, 0, 730), "   3/   3/230/230"},
      {"no carry without locLoc on the status line", make(0x06, 0, 0, 1, 730), "   2/  250"},
      {"palette layout: colons, carry without locLoc", make(0x13, 0, 1, 1, 0), "   3:   1:     0"},
      {"palette layout with locLoc: no carry", make(0x06, 1, 2, 1, 730), "   2:250:230"},
      {"position alone", make(0x10, 0, 0, 1, 1234), "  1234"},
      {"nothing selected", make(0, 1, 0, 1, 720), ""},
  };
  CaretPositionInput beat1 = make(0x04, 0, 0, 1, 100);
  beat1.locBeat1 = 1;
  cases.push_back({"offset counted from 1", beat1, "  101"});
  CaretPositionInput distant = make(0x10, 0, 0, 1, 480 * 256 + 5);
  cases.push_back({"position limited to 256 beats", distant, "122879"});
  CaretPositionInput badMetre = make(0x07, 1, 0, 1, 10);
  badMetre.beatUnit = 0;
  cases.push_back({"beat unit 0 shows nothing", badMetre, ""});
  for (const Case& c : cases) EXPECT_EQ(c.text, CaretPositionText(c.in)) << c.what;
}

TEST(CaretText, BeatGuideRow) {
  CaretPositionInput in;
  in.locSw = 0x08;
  in.locBeatChars = 4;  // 480 / 4 = 120 steps a character
  in.pos = 250;
  EXPECT_EQ("oo|o", CaretPositionText(in));
  // Odd metre with the sub-beat switch: thirds of the unit.
  in.beats = 3;
  in.subBeatOdd = 1;
  EXPECT_EQ("o|oo", CaretPositionText(in));
  in.beats = 1;  // a metre of one beat is not split
  EXPECT_EQ("oo|o", CaretPositionText(in));
  // The carry moves the beat, not the guide.
  in.beats = 4;
  in.locSw = 0x0A;
  in.locLoc = 1;
  in.pos = 470;
  EXPECT_EQ("   2/ooo|", CaretPositionText(in));
  in.locBeatChars = 0;
  in.locSw = 0x08;
  EXPECT_EQ("", CaretPositionText(in));
}

}  // namespace
