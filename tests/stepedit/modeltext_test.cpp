#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "eventtext.h"
#include "modelfixture.h"
#include "notenames.h"

namespace {

using namespace modelfixture;

// Entry `key` of the editor's note-name table: its 8 text bytes, and
// whether the ninth is the zero byte.
std::string TableEntry(const StepEditModel& m, int key, bool* terminated = nullptr) {
  Locked names(ReadTrackBlock(m).noteNames);
  const char* entry = names.as<char>() + key * kNoteNameBytes;
  if (terminated) *terminated = entry[8] == 0;
  return std::string(entry, 8);
}

// Five text bytes as a comment or continuation event.
StepEvent Text5(uint8_t code, const char* five) {
  const auto* b = reinterpret_cast<const uint8_t*>(five);
  return Ev(code, b[0], static_cast<uint16_t>(b[1] | b[2] << 8), static_cast<uint16_t>(b[3] | b[4] << 8));
}

TEST(NoteNameTable, AttachBuildsTheSongKeyAndEachKeyRebuildsIt) {
  ModelSong song;
  song.ctx.songKey = 4;
  song.SetTrack(1, Track({Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(m.noteNameKey, 4);
  bool terminated = false;
  EXPECT_EQ(TableEntry(m, 0, &terminated), "B#-2  0 ");
  EXPECT_TRUE(terminated);
  EXPECT_EQ(TableEntry(m, 72), "B#4  72 ");

  struct {
    int keyIndex, key;
    const char* text;
  } cases[] = {
      {0, 60, "C 4  60 "}, {0, 0, "C -1  0 "}, {13, 71, "Cb5  71 "}, {15, 71, "Cb5  71 "},
      {7, 72, "B#4  72 "}, {0x1D, 71, "Cb5  71 "},  // minor flats: only bits 0-3 spell
      {0, 127, "G 9 127 "},
  };
  for (const auto& c : cases) {
    BuildNoteNameTable(m, c.keyIndex);
    EXPECT_EQ(m.noteNameKey, c.keyIndex);
    EXPECT_EQ(TableEntry(m, c.key, &terminated), c.text) << c.keyIndex << " " << c.key;
    EXPECT_TRUE(terminated);
  }
}

TEST(NoteNameTable, SameKeyLeavesTheTableAlone) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  {
    Locked names(ReadTrackBlock(m).noteNames);
    char* table = names.as<char>();
    ASSERT_NE(table, nullptr);
    std::memcpy(table + 60 * kNoteNameBytes, "marked  ", 8);
  }
  BuildNoteNameTable(m, 0);
  EXPECT_EQ(TableEntry(m, 60), "marked  ");
  BuildNoteNameTable(m, 8);  // same spelling row, another key: rebuilt
  EXPECT_EQ(TableEntry(m, 60), "C 4  60 ");
  EXPECT_EQ(m.noteNameKey, 8);
}

TEST(ModelEventText, NotesAreNamedFromTheTableAsLastBuilt) {
  ModelSong song;
  song.SetTrack(1, Track({Note(70, 10, 10, 100), Ev(0xF5, 0, 2, 0), Note(70, 20, 0, 100), Ev(0xEC, 0, 0, 0)}));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(FormatStepEventText(m, song.ctx, 0, false), "Bb4  70   10   10 100 ");
  BuildNoteNameTable(m, 2);
  EXPECT_EQ(FormatStepEventText(m, song.ctx, 0, true), "A#4  70   10   10 100*");
  EXPECT_EQ(FormatStepEventText(m, song.ctx, 2, false), "     70   20    0 100 ");  // a rest
  EXPECT_EQ(FormatStepEventText(m, song.ctx, 3, false), "PROGRAM         0     ");
  song.ctx.settings.progOffset = 1;
  EXPECT_EQ(FormatStepEventText(m, song.ctx, 3, false), "PROGRAM         1     ");
}

TEST(ModelEventText, NothingForAnIndexPastTheEndEvent) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 10)}));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(FormatStepEventText(m, song.ctx, 2, false), "");
  EXPECT_EQ(FormatStepEventText(m, song.ctx, -1, false), "");
  EXPECT_EQ(FormatStepEventText(m, song.ctx, 1, false).size(), 22u);  // the end event's own line
}

// What stands behind the end event (spare slots, a gap's tail) is no part of
// a comment or an external command.
TEST(ModelEventText, ContinuationsEndAtTheEndEvent) {
  ModelSong song;
  Events e = {Text5(0xF6, "short"), Text5(0xF7, " text"), EndEvent(), Text5(0xF7, "stale")};
  song.SetTrack(1, e);
  StepEditModel& m = song.Open(1);
  ASSERT_EQ(m.eventCount, 2);
  EXPECT_EQ(FormatStepEventText(m, song.ctx, 0, false), "short text            ");

  song.SetTrack(2, {Ev(0x99, 0, 10, 1), Text5(0xF7, "calc "), EndEvent(), Text5(0xF7, "stale")});
  StepEditModel& m2 = song.Open(2);
  EXPECT_EQ(FormatStepEventText(m2, song.ctx, 0, false), "RUN:calc                10    1   0 ");
  EXPECT_EQ(FormatStepEventText(m2, song.ctx, 0, false, false), "RUN:calc              ");
}

TEST(MeasureLength, RepeatsCountAsTheyPlay) {
  struct {
    const char* name;
    Events events;
    int index;
    uint32_t length;
  } cases[] = {
      {"example", {MeasureEnd(), Ev(0xF9, 0, 0, 0), Note(60, 240), Note(62, 240), Ev(0xF8, 0, 3, 0), Note(64, 480),
                   MeasureEnd()}, 6, 1920},
      {"first line", {Note(60, 480), Note(62, 0), MeasureEnd()}, 2, 480},
      {"measure end first of all", {MeasureEnd()}, 0, 0},
      {"zero repeat", {Ev(0xF9, 0, 0, 0), Note(60, 1), Note(62, 2), Ev(0xF8, 0, 0, 0), MeasureEnd()}, 4, 3 * 65536},
      {"unclosed start", {Note(60, 7), Ev(0xF9, 0, 0, 0), Note(62, 3), MeasureEnd()}, 3, 10},
      {"end without start", {Note(60, 7), Ev(0xF8, 0, 5, 0), Note(62, 3), MeasureEnd()}, 3, 10},
      {"signed steps", {Note(60, 100), Ev(0xEB, 0, 0xFFF6, 7), Ev(0xF6, 'a', 500, 0), MeasureEnd()}, 3, 90},
      {"after a reference", {Note(60, 100), Ev(0xFC, 0, 0, 48), Note(62, 30), MeasureEnd()}, 3, 30},
      // A sixth nested start is ignored: ((((1 x 2) x 2) x 2) x 2) x 2.
      {"six deep", {Ev(0xF9, 0, 0, 0), Ev(0xF9, 0, 0, 0), Ev(0xF9, 0, 0, 0), Ev(0xF9, 0, 0, 0), Ev(0xF9, 0, 0, 0),
                    Ev(0xF9, 0, 0, 0), Note(60, 1), Ev(0xF8, 0, 2, 0), Ev(0xF8, 0, 2, 0), Ev(0xF8, 0, 2, 0),
                    Ev(0xF8, 0, 2, 0), Ev(0xF8, 0, 2, 0), MeasureEnd()}, 12, 32},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MeasureEndLength(c.events.data(), static_cast<int>(c.events.size()), c.index), c.length) << c.name;
}

}  // namespace
