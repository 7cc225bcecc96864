// What the engines play of one song, as text: the stream engine's messages
// with their ticks, the timer engine's messages in order (its timing is wall
// time, checked by its own tests), and the play-event words of the builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <zk/messages.h>
#include <zk/playdata.h>

#include "enginesettings.h"
#include "enginetest.h"
#include "fixtures.h"
#include "playbuilder.h"
#include "playrings.h"
#include "playsong.h"
#include "playwords.h"
#include "testsongs.h"

namespace {

size_t ShortLength(uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
      return 2;
    case 0xF0:
      return status == 0xF2 ? 3 : status == 0xF1 || status == 0xF3 ? 2 : 1;
    default:
      return 3;
  }
}

// "kind bytes": a short message in its own length, a long one whole, a
// tempo as the three bytes of its microseconds per quarter.
std::string Message(const VMidiLogEntry& e) {
  static const char* const kKinds[] = {"short", "long", "sshort", "slong", "tempo", "reset", "mci"};
  std::string line = e.kind >= 0 && e.kind < 7 ? kKinds[e.kind] : "kind" + std::to_string(e.kind);
  uint8_t bytes[4] = {static_cast<uint8_t>(e.message), static_cast<uint8_t>(e.message >> 8),
                      static_cast<uint8_t>(e.message >> 16)};
  std::string hex;
  if (e.kind == kVmShort || e.kind == kVmStreamShort) {
    hex = HexBytes(bytes, ShortLength(bytes[0]));
  } else if (e.kind == kVmLong || e.kind == kVmStreamLong) {
    hex = HexBytes(e.data, static_cast<size_t>(std::min<int32_t>(e.length, sizeof e.data)));
  } else if (e.kind == kVmStreamTempo) {
    const uint8_t tempo[3] = {bytes[2], bytes[1], bytes[0]};
    hex = HexBytes(tempo, 3);
  }
  return hex.empty() ? line : line + " " + hex;
}

class CrossTargetPlay : public EngineTest {
 protected:
  void PlayEverything() {
    ASSERT_TRUE(host->OpenPorts({0}));
    SongBlocks s;
    AddEverythingTracks(s);
    PlayToEnd(s);
  }
};

class StreamEngine : public CrossTargetPlay {
  const char* Engine() override { return "zkpoly"; }
};

class TimerEngine : public CrossTargetPlay {
  const char* Engine() override { return "zkmme"; }
};

TEST_F(StreamEngine, PlaysTheSongAsTheFixtureSays) {
  PlayEverything();
  std::string text;
  size_t lines = 0;
  for (const auto& e : DeviceLog(vm)) {
    if (e.kind != kVmStreamShort && e.kind != kVmStreamLong && e.kind != kVmStreamTempo) continue;
    text += std::to_string(e.device) + " " + std::to_string(e.tick) + " " + Message(e) + "\n";
    ++lines;
  }
  // Every short, long and tempo the song holds went out, whatever the fixture says.
  EXPECT_EQ(lines, EverythingShorts().size() + EverythingLongs().size() + EverythingTempos().size());
  CheckFixture("zkpoly.txt", text);
}

TEST_F(TimerEngine, PlaysTheSongAsTheFixtureSays) {
  PlayEverything();
  std::string text;
  for (const auto& e : DeviceLog(vm))
    if (e.kind != kVmMci) text += std::to_string(e.device) + " " + Message(e) + "\n";
  EXPECT_NE(std::string::npos, text.find("0 short FA\n"));
  CheckFixture("zkmme.txt", text);
}

TEST(CrossTargetWords, BuilderWordsOfTheSong) {
  SongBlocks s;
  AddEverythingTracks(s);
  HGLOBAL table = s.MakeTable();
  PlaySong song;
  ASSERT_TRUE(CopyPlaySong(table, s.TrackCount(), song));
  GlobalFree(table);
  // The rings an engine allocates with its default settings.
  EngineSettings settings;
  PlayRings rings;
  ASSERT_TRUE(rings.Allocate(MonitorRingRecords(settings), TextRingBytes(settings)));
  std::vector<PlayEventWord> words;
  PlayWordEmitter emitter(words);
  PlayBuilder builder;
  builder.SetEmitter(&emitter);
  builder.Prepare(song, BuilderOptions{}, &rings);
  int steps = 0;
  while (builder.Step() && ++steps < 1000000) {
  }
  ASSERT_TRUE(builder.Ended());
  ASSERT_FALSE(words.empty());
  EXPECT_EQ(kPwEnd, words.back());

  std::string text;
  char word[8];
  for (size_t i = 0; i < words.size(); ++i) {
    if (i % 8 == 0) text += std::to_string(i) + ":";
    std::snprintf(word, sizeof word, " %04X", words[i]);
    text += word;
    if (i % 8 == 7 || i + 1 == words.size()) text += "\n";
  }
  CheckFixture("playwords.txt", text);
}

}  // namespace
