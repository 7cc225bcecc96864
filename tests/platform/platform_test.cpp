// The test platform itself: code page, resources and the reported Windows
// version, which other tests rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "appglobals.h"
#include "resource.h"

TEST(Platform, AnsiCodePageIs932) { EXPECT_EQ(932u, GetACP()); }

TEST(Platform, TextsLoadAsShiftJis) {
  // "(無題)" in code page 932.
  EXPECT_EQ(std::string("(\x96\xb3\x91\xe8)"), LoadAppString(IDS_UNTITLED));
  EXPECT_EQ(std::string("(無題)"), LoadAppString(IDS_UNTITLED));
}

TEST(Platform, ReportedWindowsVersion) {
  const char* wanted = std::getenv("ZK_WINVER");
  DWORD v = GetVersion();
  bool nt = (v & 0x80000000u) == 0;
  if (wanted && std::string(wanted) == "win95") {
    EXPECT_FALSE(nt);
    EXPECT_EQ(4u, v & 0xFF);
  } else {
    EXPECT_TRUE(nt);   // Wine's default
  }
}
