#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listline.h"
#include "modelfixture.h"
#include "notenames.h"

namespace {

using namespace modelfixture;

const std::string kBlank(32, ' ');

// The rows of one paint from the first line, the caret on caretRow (1-based).
std::vector<std::string> Paint(StepEditModel& m, const StepSongContext& ctx, int rows, int caretRow) {
  std::vector<std::string> out;
  ListLineMemory memory;
  for (int row = 1; row <= rows; ++row)
    out.push_back(StepListLine(m, ctx, LineEvent(m, row - 1), row == caretRow, memory));
  return out;
}

TEST(ListLine, RepeatedPositionsAreBlankedAndTheCaretRowShowsThemInFull) {
  ModelSong song;
  // Positions: 1:1, 1:2, 1:2, 1:3 (measure end), 2:1, end at 2:2.
  song.SetTrack(1, Track({Note(60, 120), Note(64, 0), Note(67, 120), MeasureEnd(), Note(65, 480)}));
  StepEditModel& m = song.Open(1);
  const std::vector<std::string> rows = Paint(m, song.ctx, 7, 3);
  const std::vector<std::string> want = {
      "   1    1:C 4  60  120   10 100 ",
      "        2:E 4  64        10 100 ",
      "   1    2:G 4  67  120   10 100 ",  // the caret row
      "        3:-------- 240--------- ",
      "   2    1:F 4  65  480   10 100 ",
      kBlank,  // the end event off the caret row
      kBlank,  // past the end
  };
  EXPECT_EQ(rows, want);
  for (const std::string& row : rows) EXPECT_EQ(row.size(), 32u);
}

TEST(ListLine, MeasureEndAndReferenceLinesLetTheNextStepShow) {
  struct {
    const char* name;
    Events events;
    const char* thirdRow;
  } cases[] = {
      // Positions 1:1, 1:2, 2:1 (an empty measure), 3:1.
      {"measure end", Track({Note(60, 120), MeasureEnd(), MeasureEnd(), Note(62, 120)}), "   3    1:"},
      // A reference after a measure end is measure 2; the note after it 3:1.
      {"same measure", Track({Note(60, 120), MeasureEnd(), Ev(0xFC, 0, 0, 48), Note(62, 120)}), "   3    1:"},
  };
  for (const auto& c : cases) {
    ModelSong song;
    song.SetTrack(1, c.events);
    StepEditModel& m = song.Open(1);
    const std::vector<std::string> rows = Paint(m, song.ctx, 4, 0);
    EXPECT_EQ(rows[2].substr(0, 5), "   2 ") << c.name;
    EXPECT_EQ(rows[3].substr(0, 10), c.thirdRow) << c.name;
  }
}

TEST(ListLine, EndEventOnTheCaretRowShowsItsPosition) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120), MeasureEnd(), Note(62, 240)}));
  StepEditModel& m = song.Open(1);
  ListLineMemory memory;
  memory.measure = 2;  // the row above showed the same: the caret row still shows it
  memory.step = 2;
  EXPECT_EQ(StepListLine(m, song.ctx, 3, true, memory), "   2    2:" + std::string(22, ' '));
  EXPECT_EQ(StepListLine(m, song.ctx, 4, true, memory), kBlank);
  EXPECT_EQ(StepListLine(m, song.ctx, -1, false, memory), kBlank);
}

TEST(ListLine, TextFollowsTheModel) {
  ModelSong song;
  song.SetTrack(1, Track({Note(70, 10, 240), Note(70, 120, 10), Ev(0xF5, 0, 2, 0), Note(70, 120),
                          Ev(0x99, 0, 10, 1), Ev(0xF7, 'c', 'a' | 'l' << 8, 'c'), Ev(0xEC, 0, 0, 0)}));
  StepEditModel& m = song.Open(1);
  song.ctx.settings.progOffset = 1;
  const std::vector<std::string> rows = Paint(m, song.ctx, 6, 1);
  const std::vector<std::string> want = {
      "   1    1:Bb4  70   10  240 100*",  // overlaps the next 70
      "        2:Bb4  70  120   10 100 ",
      "        3:Music Key D MAJOR     ",  // the rows below are spelled in D
      "         :A#4  70  120   10 100 ",
      "        4:RUN:calc              ",  // no numeric columns on the list
      "        5:PROGRAM         1     ",
  };
  EXPECT_EQ(rows, want);
  EXPECT_EQ(m.noteNameKey, 2);
}

}  // namespace
