#include <gtest/gtest.h>

#include "playwords.h"

namespace {

using Words = std::vector<PlayEventWord>;

TEST(PlayWords, WaitsAreRunsOfTheLongestWait) {
  const struct {
    uint32_t steps;
    Words want;
  } cases[] = {
      {0, {}},
      {1, {0xE801}},
      {240, {0xE8F0}},
      {241, {0xE8F0, 0xE801}},
      {480, {0xE8F0, 0xE8F0}},
      {500, {0xE8F0, 0xE8F0, 0xE814}},
  };
  for (const auto& c : cases) {
    Words w;
    AppendWaitWords(w, c.steps);
    EXPECT_EQ(w, c.want) << c.steps;
  }
}

TEST(PlayWords, ChannelMessagesCarryPortAndChannel) {
  Words w;
  PlayWordEmitter e(w);
  e.Channel(0x13, 0x93, 60, 100);  // port B, channel 4
  e.Channel(0x02, 0xC2, 5, 99);    // program: the second data byte is not kept
  e.Channel(0x20, 0xE0, 0, 0x40);
  EXPECT_EQ(w, (Words{0x9013, 0x3C64, 0xC002, 0x0500, 0xE020, 0x0040}));
}

TEST(PlayWords, SysExPacksTwoBytesToAWord) {
  Words w;
  PlayWordEmitter e(w);
  const uint8_t odd[] = {0xF0, 0x41, 0x10, 0x42, 0xF7};  // three bytes after F0
  e.SysEx(0x12, odd, sizeof odd);
  EXPECT_EQ(w, (Words{0xF012, 0x4110, 0x42F7}));
  w.clear();
  const uint8_t even[] = {0xF0, 0x41, 0x10, 0xF7};  // two bytes after F0
  e.SysEx(0x12, even, sizeof even);
  EXPECT_EQ(w, (Words{0xF012, 0x4110, 0xF700}));
  std::vector<uint8_t> back;
  EXPECT_EQ(UnpackSysExWords(w.data(), w.size(), back), 3u);
  EXPECT_EQ(back, std::vector<uint8_t>(even, even + sizeof even));
  // A message cut short is not read past its words.
  EXPECT_EQ(UnpackSysExWords(w.data(), 2, back), 0u);
  EXPECT_TRUE(back.empty());
}

TEST(PlayWords, TempoMarksPositionAndEnd) {
  Words w;
  PlayWordEmitter e(w);
  e.Tempo(240, 6000, 120);
  e.Mark(31, 7);
  e.SongPosition(300);
  e.End();
  EXPECT_EQ(w, (Words{0xE1F0, 6000, 0xE31F, 7, 0xF200, 300, 0xEAFC, 0xEAFD}));
}

}  // namespace
