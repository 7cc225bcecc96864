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
