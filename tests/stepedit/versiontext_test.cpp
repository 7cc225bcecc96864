#include "versiontext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testsupport.h"

namespace {

std::string ExeDir() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.find_last_of('\\') + 1);
}

VersionValue Found(const char* text) {
  VersionValue v;
  v.found = true;
  v.text = text;
  return v;
}
VersionValue Missing(DWORD error) {
  VersionValue v;
  v.error = error;
  return v;
}

// --- A version resource built by hand, put into a copy of a library. ---

using Bytes = std::string;

void Pad4(Bytes* b) {
  while (b->size() % 4) b->push_back('\0');
}
Bytes Utf16(const std::string& ascii) {
  Bytes b;
  for (char c : ascii) b += std::string{c, '\0'};
  b += std::string(2, '\0');
  return b;
}
// One node: length, value length, type, key, value, children, each part on
// a 32-bit boundary.
Bytes Node(const std::string& key, const Bytes& value, uint16_t valueLength, uint16_t type,
           const std::vector<Bytes>& children = {}) {
  Bytes b(6, '\0');
  b += Utf16(key);
  Pad4(&b);
  b += value;
  Pad4(&b);
  for (const Bytes& child : children) {
    b += child;
    Pad4(&b);
  }
  uint16_t words[3] = {static_cast<uint16_t>(b.size()), valueLength, type};
  std::memcpy(&b[0], words, sizeof words);
  return b;
}
Bytes StringNode(const std::string& name, const std::string& text) {
  Bytes value = Utf16(text);
  return Node(name, value, static_cast<uint16_t>(value.size() / 2), 1);
}
using Strings = std::vector<std::pair<std::string, std::string>>;
Bytes VersionResource(const std::string& tableKey, const Strings& strings) {
  VS_FIXEDFILEINFO fixed = {};
  fixed.dwSignature = VS_FFI_SIGNATURE;
  fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
  fixed.dwFileOS = VOS__WINDOWS32;
  fixed.dwFileType = VFT_DLL;
  std::vector<Bytes> values;
  for (const auto& s : strings) values.push_back(StringNode(s.first, s.second));
  Bytes table = Node(tableKey, "", 0, 1, values);
  Bytes stringInfo = Node("StringFileInfo", "", 0, 1, {table});
  uint32_t translation = 0x03A40411;
  Bytes var = Node("Translation", Bytes(reinterpret_cast<const char*>(&translation), 4), 4, 0);
  Bytes varInfo = Node("VarFileInfo", "", 0, 1, {var});
  return Node("VS_VERSION_INFO", Bytes(reinterpret_cast<const char*>(&fixed), sizeof fixed), sizeof fixed, 0,
              {stringInfo, varInfo});
}

// A copy of a library of ours in dir whose resources are only the given
// version resource (none when it is empty).
std::string LibraryWithVersion(const TempDir& dir, const std::string& name, const Bytes& resource) {
  std::string path = dir.File(name);
  EXPECT_TRUE(CopyFileA((ExeDir() + "zksmf.dll").c_str(), path.c_str(), FALSE)) << "zksmf.dll beside the tests";
  HANDLE update = BeginUpdateResourceA(path.c_str(), TRUE);
  EXPECT_TRUE(update != nullptr);
  if (!update) return path;
  if (!resource.empty())
    EXPECT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1),
                                MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), const_cast<char*>(resource.data()),
                                static_cast<DWORD>(resource.size())));
  EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
  return path;
}

const Strings kAllStrings = {{"InternalName", "zktest"},
                             {"ProductVersion", "3.10"},
                             {"LegalCopyright", "(C) test"},
                             {"LegalTrademarks", "none"},
                             {"ProductName", "Test product"}};

}  // namespace

TEST(VersionEntryTextTest, LabelledLinesAndAnEmptyLine) {
  FileVersionFields fields;
  fields.hasVersionInfo = true;
  fields.internalName = Found("zkpoly");
  fields.productVersion = Found("2.00");
  fields.legalCopyright = Found("(C) us");
  fields.legalTrademarks = Found("");
  EXPECT_EQ(VersionEntryText("zkpoly.dll", fields),
            "Component\tzkpoly.dll\r\nDescription\tzkpoly\r\nBuild\t\t2.00\r\nCopyright\t\t(C) us\r\n"
            "Legal Trademarks\t\r\n\r\n");
}

TEST(VersionEntryTextTest, MissingValueShowsItsErrorCode) {
  FileVersionFields fields;
  fields.hasVersionInfo = true;
  fields.internalName = Missing(1813);
  fields.productVersion = Found("2.00");
  fields.legalCopyright = Missing(4294967295u);
  fields.legalTrademarks = Found("tm");
  EXPECT_EQ(VersionEntryText("a.dll", fields),
            "Component\ta.dll\r\nDescription\tError 1813\r\nBuild\t\t2.00\r\nCopyright\t\tError 4294967295\r\n"
            "Legal Trademarks\ttm\r\n\r\n");
}

TEST(VersionEntryTextTest, FileWithoutVersionInformationAddsOnlyTheEmptyLine) {
  FileVersionFields none;
  none.internalName = Found("ignored");
  EXPECT_EQ(VersionEntryText("plain.dll", none), "\r\n");
}

TEST(AppendToTextBlockTest, NeverWritesPastTheBlockAndKeepsItTerminated) {
  // "\x82\xA0" is one double-byte character of code page 932.
  struct Case {
    const char* what;
    size_t size;
    const char* before;
    std::string text;
    bool whole;
    const char* after;
  } cases[] = {
      {"fits", 8, "ab", "cd", true, "abcd"},
      {"fills exactly", 5, "ab", "cd", true, "abcd"},
      {"cut at the end", 5, "ab", "cdef", false, "abcd"},
      {"already full", 5, "abcd", "e", false, "abcd"},
      {"no room for half a character", 5, "abc", "\x82\xA0x", false, "abc"},
      {"whole character before the cut", 6, "ab", "\x82\xA0xy", false, "ab\x82\xA0x"},
      {"a trail byte in lead range stays with its lead", 4, "a", "\x82\x82\x82\x82", false, "a\x82\x82"},
      {"single-byte kana are one byte", 4, "", "\xB1\xB2\xB3\xB4", false, "\xB1\xB2\xB3"},
      {"empty text", 3, "ab", "", true, "ab"},
  };
  for (const Case& c : cases) {
    std::vector<char> buf(c.size + 8, '#');
    std::memset(buf.data(), 0, c.size);
    std::memcpy(buf.data(), c.before, std::strlen(c.before) + 1);
    EXPECT_EQ(AppendToTextBlock(buf.data(), c.size, c.text), c.whole) << c.what;
    EXPECT_STREQ(buf.data(), c.after) << c.what;
    EXPECT_EQ(std::string(buf.data() + c.size, 8), std::string(8, '#')) << c.what << ": written past the block";
  }
}

TEST(AppendToTextBlockTest, BlockThatLostItsTerminatorIsCutAtItsLastByte) {
  char buf[6] = {'a', 'b', 'c', 'd', 'e', '#'};
  EXPECT_FALSE(AppendToTextBlock(buf, 5, "x"));
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(buf[5], '#');
}

TEST(BuildVersionTextTest, RepeatedEntriesStopAtTheEndOfTheBlock) {
  // The program's own resource is linked into this test program.
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  const size_t size = 32768;
  std::vector<char> block(size + 64, '#');
  std::memset(block.data(), 0, size);
  int entries = 0;
  while (BuildVersionText(block.data(), size, path) && entries < 10000) ++entries;
  ASSERT_LT(entries, 10000) << "the block never filled";
  EXPECT_GT(entries, 100);
  EXPECT_EQ(std::strlen(block.data()), size - 1);
  EXPECT_EQ(std::string(block.data() + size, 64), std::string(64, '#'));
  // Once full, nothing more is added.
  std::string full(block.data());
  EXPECT_FALSE(BuildVersionText(block.data(), size, path));
  EXPECT_EQ(std::string(block.data()), full);
}

TEST(BuildVersionTextTest, ProgramResourceHasEveryValue) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  char block[1024] = "";
  ASSERT_TRUE(BuildVersionText(block, sizeof block, "zkfw32.exe", path));
  std::string text = block;
  EXPECT_EQ(text.rfind("Component\tzkfw32.exe\r\nDescription\tzkfw32\r\n", 0), 0u) << text;
  EXPECT_EQ(text.find("Error"), std::string::npos) << text;
  VersionValue product = ReadVersionString(path, "ProductName");
  EXPECT_TRUE(product.found);
  EXPECT_EQ(product.text, "Cantorelle for Windows95");
}

// Every library of ours carries the five values, read as the About box reads
// them (the resources write the block's hex in upper case).
TEST(BuildVersionTextTest, OurLibrariesHaveEveryValue) {
  const std::string vmidi = ExeDir() + "..\\vmidi\\";
  const struct {
    std::string path, internalName;
  } libraries[] = {
      {ExeDir() + "zksmf.dll", "zksmf"}, {vmidi + "zkpoly.dll", "zkpoly"},   {vmidi + "zkmme.dll", "zkmme"},
      {vmidi + "zkrds.dll", "zkrds"},    {vmidi + "vumix2.dll", "vumix2"}, {vmidi + "zklog5.dll", "zklog5"},
      {vmidi + "zkplog5.dll", "zkplog5"},
  };
  for (const auto& lib : libraries) {
    ASSERT_TRUE(FileExists(lib.path)) << lib.path << " is built with the suite";
    char block[1024] = "";
    ASSERT_TRUE(BuildVersionText(block, sizeof block, "x.dll", lib.path.c_str()));
    std::string text = block;
    EXPECT_EQ(text.find("Error"), std::string::npos) << lib.path << "\n" << text;
    EXPECT_NE(text.find("\r\nDescription\t" + lib.internalName + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nBuild\t\t2.00\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
  }
}

TEST(BuildVersionTextTest, ResourcesOfEveryShape) {
  TempDir dir;
  Strings noTrademarks(kAllStrings.begin(), kAllStrings.end());
  noTrademarks.erase(noTrademarks.begin() + 3);
  const std::string allValues =
      "Component\tt.dll\r\nDescription\tzktest\r\nBuild\t\t3.10\r\nCopyright\t\t(C) test\r\n"
      "Legal Trademarks\tnone\r\n\r\n";
  const struct {
    const char* what;
    Bytes resource;
    const char* expectedStart;  // the entry, up to its first error code
    int errors;
  } cases[] = {
      {"lower-case block", VersionResource("041103a4", kAllStrings), nullptr, 0},
      {"upper-case block", VersionResource("041103A4", kAllStrings), nullptr, 0},
      {"a value missing", VersionResource("041103A4", noTrademarks),
       "Component\tt.dll\r\nDescription\tzktest\r\nBuild\t\t3.10\r\nCopyright\t\t(C) test\r\nLegal Trademarks\tError ",
       1},
      {"another language only", VersionResource("040904b0", kAllStrings), "Component\tt.dll\r\nDescription\tError ",
       4},
      {"no version resource", Bytes(), "\r\n", 0},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string path = LibraryWithVersion(dir, "lib" + std::to_string(n++) + ".dll", c.resource);
    char block[1024] = "";
    ASSERT_TRUE(BuildVersionText(block, sizeof block, "t.dll", path.c_str())) << c.what;
    std::string text = block;
    if (!c.expectedStart) {
      EXPECT_EQ(text, allValues) << c.what;
      continue;
    }
    EXPECT_EQ(text.rfind(c.expectedStart, 0), 0u) << c.what << "\n" << text;
    // Each missing value names a nonzero system code.
    int errors = 0;
    for (size_t at = text.find("Error "); at != std::string::npos; at = text.find("Error ", at + 1)) {
      ++errors;
      EXPECT_GT(std::strtoul(text.c_str() + at + 6, nullptr, 10), 0ul) << c.what;
    }
    EXPECT_EQ(errors, c.errors) << c.what << "\n" << text;
    if (c.resource.empty()) EXPECT_EQ(text, "\r\n");
  }
}

TEST(BuildVersionTextTest, FilesWithoutVersionInformationAddOnlyTheEmptyLine) {
  TempDir dir;
  WriteBytes(dir.File("plain.dll"), "not a library");
  for (std::string path : {dir.File("plain.dll"), dir.File("absent.dll")}) {
    char block[64] = "x";
    EXPECT_TRUE(BuildVersionText(block, sizeof block, "plain.dll", path.c_str())) << path;
    EXPECT_STREQ(block, "x\r\n") << path;
  }
}
