#include <gtest/gtest.h>

#include "pathname.h"

TEST(PathName, SplitsWithDoubleByteNames) {
  struct Case {
    std::string path, folder, base, replaced;
  } cases[] = {
      {"C:\\songs\\tune.mid", "C:\\songs\\", "tune", "C:\\songs\\tune.G36"},
      {"tune", "", "tune", "tune.G36"},
      {"C:tune.x", "C:", "tune", "C:tune.G36"},
      {"C:\\dir.v2\\tune", "C:\\dir.v2\\", "tune", "C:\\dir.v2\\tune.G36"},
      // The second byte of 表 and ソ is a backslash.
      {"C:\\表\\ソ.mid", "C:\\表\\", "ソ", "C:\\表\\ソ.G36"},
      {"C:\\曲\\表", "C:\\曲\\", "表", "C:\\曲\\表.G36"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.folder, PathFolder(c.path)) << c.path;
    EXPECT_EQ(c.base, PathBaseName(c.path)) << c.path;
    EXPECT_EQ(c.replaced, ReplacePathExtension(c.path, ".G36")) << c.path;
  }
}
