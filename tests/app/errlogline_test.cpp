#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errlog.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

StepEvent N(uint8_t key, uint16_t step) { return {key, 100, step, 10}; }

class ErrLogLineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(NewSong(frame.hwnd())); }
  TempSettingsFile ini;
  TestFrame frame;
};

// Without an open editor the line's measure, step and event text come from
// the track's own events.
TEST_F(ErrLogLineTest, MeasureStepAndTextOfTheEvent) {
  ReplaceTrackEvents(2, {N(60, 480), {0xFD, 0, 0, 0}, N(62, 240), N(64, 0), N(65, 240), EndEvent()});
  EXPECT_EQ(FormatErrLogEntry("msg", 2, 4), "(    4)Tr: 2, Meas:  2, Step:  2...msg | F 4  65  240   10 100 \r\n");
  EXPECT_EQ(FormatErrLogEntry("msg", 2, 0), "(    0)Tr: 2, Meas:  1, Step:  1...msg | C 4  60  480   10 100 \r\n");
  // An event the track does not have, a track beyond the song: no position, no text.
  EXPECT_EQ(FormatErrLogEntry("msg", 2, 9), "(    9)Tr: 2, Meas:  0, Step:  0...msg | \r\n");
  EXPECT_EQ(FormatErrLogEntry("msg", 150, 0), "(    0)Tr:150, Meas:  0, Step:  0...msg | \r\n");
}

}  // namespace

namespace {

TEST(ParseLogLineTest, EventIndexAndTrack) {
  struct {
    const char* line;
    bool ok;
    int track, eventIndex;
  } cases[] = {
      {"(   30)Tr: 2, Meas:  1, Step: 30...x | C 4", true, 2, 30},
      {"(12345)Tr:36, Meas:100, Step:  1 | F#4", true, 36, 12345},
      {"no numbers here", false, 0, 0},
      {"(   30) without a colon", false, 0, 0},
      {"Tr: 2 without an opening bracket", false, 0, 0},
      {"(abc)Tr: 2", false, 0, 0},
      {"(   4)Tr:", false, 0, 0},
  };
  for (const auto& c : cases) {
    int track = -1, eventIndex = -1;
    EXPECT_EQ(ParseLogLine(c.line, &track, &eventIndex), c.ok) << c.line;
    if (c.ok) {
      EXPECT_EQ(track, c.track) << c.line;
      EXPECT_EQ(eventIndex, c.eventIndex) << c.line;
    } else {
      EXPECT_EQ(track, -1) << c.line;  // nothing left from a failed parse
    }
  }
  // Only the first 127 characters are read.
  EXPECT_FALSE(ParseLogLine(std::string(127, ' ') + "(1)Tr:2", nullptr, nullptr));
}

}  // namespace
