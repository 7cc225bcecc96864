#include "fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "testsupport.h"

namespace {

std::string FixtureDir() {
  const char* dir = std::getenv("ZK_FIXTURE_DIR");
  return dir ? dir : "";
}

bool IsText(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0;
}

std::string Hex2(uint8_t b) {
  char s[8];
  std::snprintf(s, sizeof s, "0x%02X", b);
  return s;
}

// The line of text holding offset at, without its newline.
std::string LineAt(const std::string& text, size_t at) {
  at = std::min(at, text.size());
  size_t begin = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
  begin = begin == std::string::npos ? 0 : begin + 1;
  size_t end = text.find('\n', at);
  return text.substr(begin, (end == std::string::npos ? text.size() : end) - begin);
}

}  // namespace

bool WritingFixtures() {
  const char* w = std::getenv("ZK_WRITE_FIXTURES");
  return w && std::string(w) == "1";
}

std::string FirstDifference(const std::string& expected, const std::string& got, bool text) {
  if (expected == got) return "";
  size_t at = 0;
  while (at < expected.size() && at < got.size() && expected[at] == got[at]) ++at;
  std::string where = "first difference at byte " + std::to_string(at);
  if (text) {
    where += " (line " + std::to_string(std::count(expected.begin(), expected.begin() + at, '\n') + 1) + ")";
  }
  std::string what;
  if (at == got.size())
    what = "got ends there";
  else if (at == expected.size())
    what = "got goes on past the expected end";
  else
    what = "expected " + Hex2(static_cast<uint8_t>(expected[at])) + ", got " + Hex2(static_cast<uint8_t>(got[at]));
  std::string s = where + ": " + what + "; expected " + std::to_string(expected.size()) + " bytes, got " +
                  std::to_string(got.size());
  if (text) s += "\n  expected line: " + LineAt(expected, at) + "\n  got line:      " + LineAt(got, at);
  return s;
}

void CheckFixture(const std::string& name, const std::string& got) {
  std::string dir = FixtureDir();
  ASSERT_FALSE(dir.empty()) << "ZK_FIXTURE_DIR names no fixture folder";
  std::string path = dir + "\\" + name;
  if (WritingFixtures()) {
    WriteBytes(path, got);
    ASSERT_TRUE(got == ReadFileBytes(path)) << "could not write " << path;
    std::printf("crosstarget: ZK_WRITE_FIXTURES=1: wrote %s (%u bytes), nothing compared\n", path.c_str(),
                static_cast<unsigned>(got.size()));
    return;
  }
  ASSERT_TRUE(FileExists(path)) << path << " is missing; write it with ZK_WRITE_FIXTURES=1";
  std::string diff = FirstDifference(ReadFileBytes(path), got, IsText(name));
  if (!diff.empty()) ADD_FAILURE() << "this build's " << name << " is not its fixture " << path << ": " << diff;
}

std::string AsString(const std::vector<uint8_t>& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string HexBytes(const uint8_t* bytes, size_t count) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(b, sizeof b, "%02X", bytes[i]);
    if (i) s += ' ';
    s += b;
  }
  return s;
}
