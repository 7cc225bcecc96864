// The frame's plain arithmetic and readers, without windows.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "errlog.h"
#include "frame.h"
#include "framelayout.h"
#include "placements.h"
#include "remotesend.h"
#include "settingsblock.h"
#include "startup.h"
#include "textring.h"
#include "textrecord.h"

namespace {

TEST(FrameLayoutTest, BandsAndPanesShareTheClientArea) {
  struct Case {
    int toolBar, statusBar;
    bool score;
    RECT client, score_;
    bool toolShown;
    RECT tool;
  };
  // width 800, height 600, status line 20 high, score ratio 250.
  const Case cases[] = {
      {1, 2, false, {0, 26, 800, 554}, {}, true, {0, 0, 800, 26}},
      {1, 1, false, {0, 46, 800, 554}, {}, true, {0, 0, 800, 26}},
      {2, 2, false, {0, 0, 800, 554}, {}, true, {0, 554, 800, 26}},
      {0, 0, false, {0, 0, 800, 600}, {}, false, {}},
      {0x81, 0, false, {0, 26, 800, 574}, {}, true, {0, 0, 800, 26}},
      {1, 2, true, {0, 26, 600, 554}, {600, 26, 200, 554}, true, {0, 0, 800, 26}},
  };
  for (const Case& c : cases) {
    FrameLayoutInput in;
    in.width = 800;
    in.height = 600;
    in.toolBar = c.toolBar;
    in.statusBar = c.statusBar;
    in.statusHeight = 20;
    in.scorePane = c.score;
    in.fumenRatio = 250;
    FrameLayout out = ComputeFrameLayout(in);
    SCOPED_TRACE(testing::Message() << "toolBar " << c.toolBar << " statusBar " << c.statusBar << " score " << c.score);
    EXPECT_EQ(std::memcmp(&out.client, &c.client, sizeof(RECT)), 0)
        << out.client.left << "," << out.client.top << "," << out.client.right << "," << out.client.bottom;
    if (c.score) {
      EXPECT_EQ(std::memcmp(&out.score, &c.score_, sizeof(RECT)), 0)
          << out.score.left << "," << out.score.top << "," << out.score.right << "," << out.score.bottom;
    }
    EXPECT_EQ(out.toolBarShown, c.toolShown);
    if (c.toolShown) {
      EXPECT_EQ(std::memcmp(&out.toolBar, &c.tool, sizeof(RECT)), 0);
    }
  }
}

TEST(FrameLayoutTest, ATinyFrameGivesNoNegativeSizes) {
  FrameLayoutInput in;
  in.width = 10;
  in.height = 30;
  in.toolBar = 2;
  in.statusBar = 1;
  in.statusHeight = 20;
  FrameLayout out = ComputeFrameLayout(in);
  EXPECT_GE(out.client.bottom, 0);
  EXPECT_GE(out.client.right, 0);
}

TEST(TextRingTest, ReadsARecordAndMovesPastItsZero) {
  std::vector<uint8_t> ring(64, 0xEE);
  std::vector<uint8_t> rec = TextRecord(1, 3, 0x1234, 7, 2, "notepad.exe");
  std::copy(rec.begin(), rec.end(), ring.begin() + 5);
  TextEventEntry e;
  EXPECT_EQ(ReadTextEvent(ring.data(), 64, 5, e), 5 + static_cast<int>(rec.size()));
  EXPECT_EQ(e.kind, 1);
  EXPECT_EQ(e.track, 3);
  EXPECT_EQ(e.eventIndex, 0x1234);
  EXPECT_EQ(e.measure, 7);
  EXPECT_EQ(e.stepInMeasure, 2);
  EXPECT_EQ(e.text, "notepad.exe");
}

TEST(TextRingTest, ARecordWrappingPastTheEndReadsAsOne) {
  // Header split across the end, text continuing from the ring's start.
  const int size = 32;
  std::vector<uint8_t> rec = TextRecord(0, 1, 2, 3, 4, "play cdaudio");
  std::vector<uint8_t> ring(size, 0);
  const int start = 25;
  for (size_t i = 0; i < rec.size(); ++i) ring[(start + i) % size] = rec[i];
  TextEventEntry e;
  int next = ReadTextEvent(ring.data(), size, start, e);
  EXPECT_EQ(e.text, "play cdaudio");
  EXPECT_EQ(e.stepInMeasure, 4);
  EXPECT_EQ(next, static_cast<int>((start + rec.size()) % size));
}

TEST(TextRingTest, NoTerminatorStopsAfterOneTurnAndBadOffsetsReadNothing) {
  std::vector<uint8_t> ring(20, 'x');
  TextEventEntry e;
  EXPECT_GE(ReadTextEvent(ring.data(), 20, 0, e), 0);
  EXPECT_EQ(e.text.size(), 20u);
  EXPECT_EQ(ReadTextEvent(ring.data(), 20, 20, e), -1);
  EXPECT_EQ(ReadTextEvent(ring.data(), 0, 0, e), -1);
  EXPECT_EQ(ReadTextEvent(nullptr, 20, 0, e), -1);
}

TEST(RemoteSendTest, SysExLengthStaysInsideTheBlock) {
  const uint8_t gs[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7, 0xF7};
  EXPECT_EQ(SysExLengthInBlock(gs, sizeof gs), 11u);
  // No F7 within the block: nothing, however much memory follows it.
  uint8_t noEnd[8] = {0xF0, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(SysExLengthInBlock(noEnd, sizeof noEnd), 0u);
  EXPECT_EQ(SysExLengthInBlock(nullptr, 100), 0u);
  // Longer than 16 bits: the whole length, not cut.
  std::vector<uint8_t> big(70000, 0x11);
  big[0] = 0xF0;
  big[69999] = 0xF7;
  EXPECT_EQ(SysExLengthInBlock(big.data(), big.size()), 70000u);
}

TEST(RemoteSendTest, OnlyPortsAToDWithADevice) {
  const int32_t ports[5] = {0, -1, 2, -2, static_cast<int32_t>(0xFFFE)};
  EXPECT_TRUE(RemotePortAccepted(0, ports));
  EXPECT_FALSE(RemotePortAccepted(1, ports));
  EXPECT_TRUE(RemotePortAccepted(2, ports));
  EXPECT_FALSE(RemotePortAccepted(4, ports));
  EXPECT_FALSE(RemotePortAccepted(static_cast<WPARAM>(-1), ports));
}

TEST(PlacementTest, RecordsConvertBothWays) {
  std::vector<int32_t> block(kSettingsBlockFields, 0);
  const PlacementFields f = WindowPlacementFields(kSbConductor);
  // Text order after the settings reader: state, flags, show, positions.
  block[kSbConductor] = 0;
  block[kSbConductor + 1] = 0;  // flags 0 is applied as 1
  block[kSbConductor + 2] = SW_SHOWNORMAL;
  const int32_t pos[8] = {1, 2, 3, 4, 10, 110, 20, 220};
  for (int i = 0; i < 8; ++i) block[kSbConductor + 3 + i] = pos[i];
  WINDOWPLACEMENT wp;
  ASSERT_TRUE(RecordToPlacement(block.data(), f, &wp));
  EXPECT_EQ(wp.flags, 1u);
  EXPECT_EQ(wp.ptMinPosition.x, 1);
  EXPECT_EQ(wp.ptMaxPosition.y, 4);
  EXPECT_EQ(wp.rcNormalPosition.top, 10);
  EXPECT_EQ(wp.rcNormalPosition.bottom, 110);
  EXPECT_EQ(wp.rcNormalPosition.left, 20);
  EXPECT_EQ(wp.rcNormalPosition.right, 220);

  std::vector<int32_t> back(kSettingsBlockFields, 0);
  back[kSbConductor] = 0x80;
  wp.flags = 1;
  PlacementToRecord(wp, back.data(), f);
  EXPECT_EQ(back[kSbConductor], 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(back[kSbConductor + 3 + i], pos[i]);
}

TEST(PlacementTest, NothingSavedAndClosedStates) {
  std::vector<int32_t> block(kSettingsBlockFields, 0);
  WINDOWPLACEMENT wp;
  block[kSbFrame + 1] = -1;  // the frame's show command
  EXPECT_FALSE(RecordToPlacement(block.data(), FramePlacementFields(), &wp));
  block[kSbFrame + 1] = 0x0000FFFF;
  EXPECT_FALSE(RecordToPlacement(block.data(), FramePlacementFields(), &wp));

  const PlacementFields track = TrackPlacementFields(7);
  EXPECT_FALSE(RecordClosed(block.data(), track));
  MarkRecordClosed(block.data(), track);
  EXPECT_TRUE(RecordClosed(block.data(), track));
  EXPECT_EQ(block[SbTrackField(0, 7)], 0x80);
  // The frame's record has no state to mark.
  MarkRecordClosed(block.data(), FramePlacementFields());
  EXPECT_FALSE(RecordClosed(block.data(), FramePlacementFields()));
}

TEST(PlacementTest, StartWindowFallsBackToConductorThenTrackWindow) {
  struct Case {
    int active;
    bool conductor, track, names, editor;
    StartWindow want;
  };
  const Case cases[] = {
      {0, true, true, true, true, StartWindow::Conductor},
      {1, true, true, false, false, StartWindow::TrackWindow},
      {3, true, true, false, false, StartWindow::TrackWindow},
      {4, true, true, true, false, StartWindow::NameList},
      {5, true, true, true, true, StartWindow::StepEditor},
      {5, true, true, true, false, StartWindow::Conductor},
      {0, false, true, false, false, StartWindow::TrackWindow},
      {4, false, false, false, true, StartWindow::None},
      {9, true, false, false, false, StartWindow::Conductor},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseStartWindow(c.active, c.conductor, c.track, c.names, c.editor), c.want) << c.active;
}

TEST(StartupTest, CommandLineSplitsAsTheSystemDoes) {
  EXPECT_TRUE(SplitCommandLine("").empty());
  EXPECT_TRUE(SplitCommandLine("   ").empty());
  EXPECT_EQ(SplitCommandLine("a.G36"), std::vector<std::string>{"a.G36"});
  EXPECT_EQ(SplitCommandLine("\"C:\\My Songs\\a b.G36\""), std::vector<std::string>{"C:\\My Songs\\a b.G36"});
  EXPECT_EQ(SplitCommandLine(" x  \"y z\" "), (std::vector<std::string>{"x", "y z"}));
  EXPECT_EQ(ProgramDirectory("C:\\Prog\\zkfw32.exe"), "C:\\Prog\\");
  EXPECT_EQ(ProgramDirectory("zkfw32.exe"), "");
}

TEST(MonitorCopyTest, TakesPositionAndRaisesTheMeterOnly) {
  PlayMonRecord ring = {};
  ring.value = 9;
  ring.measure = 4;
  ring.stepInMeasure = 3;
  ring.level = 50;
  ring.volume = 100;
  PlayMonRecord track = {};
  track.stripWindow = 1234;
  track.level = 80;
  CopyMonitorFields(ring, track);
  EXPECT_EQ(track.value, 9);
  EXPECT_EQ(track.measure, 4);
  EXPECT_EQ(track.stepInMeasure, 3);
  EXPECT_EQ(track.level, 80);      // the higher meter stays
  EXPECT_EQ(track.volume, 0);      // not copied
  EXPECT_EQ(track.stripWindow, 1234);
  ring.level = 90;
  CopyMonitorFields(ring, track);
  EXPECT_EQ(track.level, 90);
}

TEST(ErrLogLineTest, CommandLinesAndFailures) {
  EXPECT_EQ(FormatCommandRun(0, 2, 5, 3, 41, "play x"), "(   41)Tr: 2, Meas:  5, Step:  3 | MCI:play x\r\n");
  EXPECT_EQ(FormatCommandRun(1, 12, 100, 0x8003, 7, "a.exe"), "(    7)Tr:12, Meas:100, Step:  3 | RUN:a.exe\r\n");
  EXPECT_EQ(FormatCommandFailure(2, 1, 1, 2, 3, 4, "ファイルが見つかりませんでした。"),
            "(    4)Tr: 1, Meas:  2, Step:  3 ... RUNエラー(2)\r\nファイルが見つかりませんでした。\r\n");
  EXPECT_EQ(FormatCommandFailure(263, 0, 1, 2, 3, 4, "x"), "(    4)Tr: 1, Meas:  2, Step:  3 ... MCIエラー(263)\r\nx\r\n");
}

}  // namespace
