#include <gtest/gtest.h>

#include <string>

#include "keynames.h"
#include "zk/cmdcodes.h"

TEST(CommandNames, NamedUnnamedAndOutOfRange) {
  struct Case {
    uint8_t code;
    const char* name;
  } cases[] = {
      {0x80, "*128    "}, {0x90, "UsrExc0 "}, {0x97, "UsrExc7 "}, {0x98, "Tr.Excl "},
      {0x99, "*153    "}, {0xC4, "*196    "}, {0xE7, "TEMPO   "}, {0xEF, "CmuOnoff"},
  };
  for (const Case& c : cases) {
    char out[9];
    ASSERT_TRUE(CommandDisplayName(c.code, out)) << int(c.code);
    EXPECT_STREQ(c.name, out) << int(c.code);
  }
  char out[9];
  EXPECT_FALSE(CommandDisplayName(0x7F, out));
  EXPECT_FALSE(CommandDisplayName(0xF0, out));
}

TEST(KeyNames, OrderAndWidth) {
  EXPECT_STREQ("Music Key C MAJOR     ", KeyIndexName(0));
  EXPECT_STREQ("Music Key C#MAJOR     ", KeyIndexName(7));
  EXPECT_STREQ("Music Key BbMAJOR     ", KeyIndexName(0x08 | 2));
  EXPECT_STREQ("Music Key F#minor     ", KeyIndexName(0x10 | 3));
  EXPECT_STREQ("Music Key Abminor     ", KeyIndexName(31));
  for (int i = 0; i < 32; ++i) EXPECT_EQ(22u, std::string(KeyIndexName(i)).size());
  EXPECT_EQ(nullptr, KeyIndexName(32));
}
