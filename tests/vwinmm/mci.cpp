// MCI strings are logged; sounds succeed silently.
#include "vmtesting.h"

using MciTest = VirtualMidiTest;

TEST_F(MciTest, CommandsAreLoggedAndAnswerEmpty) {
  char answer[32] = "stale";
  EXPECT_EQ(0u, mciSendStringA("open song.mid type sequencer alias s", answer, sizeof answer, nullptr));
  EXPECT_STREQ("", answer);
  EXPECT_EQ(0u, mciSendStringA("play s", nullptr, 0, nullptr));
  auto log = Log();
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ(-1, log[0].device);
  EXPECT_EQ(kVmMci, log[0].kind);
  const char first[] = "open song.mid type sequencer alias s";
  ASSERT_EQ(static_cast<int>(sizeof first - 1), log[0].length);
  EXPECT_EQ(0, memcmp(first, log[0].data, sizeof first - 1));
  EXPECT_EQ(6, log[1].length);

  char text[128];
  EXPECT_TRUE(mciGetErrorStringA(MCIERR_BASE + 1, text, sizeof text));
  EXPECT_STRNE("", text);
  EXPECT_TRUE(PlaySoundA("SystemAsterisk", nullptr, SND_ASYNC));
  EXPECT_TRUE(sndPlaySoundA("SystemAsterisk", SND_ASYNC));
}
