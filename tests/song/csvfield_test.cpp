#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "csvfield.h"

namespace {

TEST(StrToLongTest, LeadingNumberAfterBlanks) {
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {
      {"42", 42},          {"  -12abc", -12},   {"\t7,8", 7},       {"+5", 5},
      {"abc", 0},          {"", 0},             {"-", 0},           {" - 3", 0},
      {"2147483647", INT32_MAX},                {"-2147483648", INT32_MIN},
      {"99999999999", INT32_MAX},               {"-99999999999", INT32_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value, StrToLong(c.text)) << '"' << c.text << '"';
  EXPECT_EQ(0, StrToLong(nullptr));
}

TEST(CsvFieldTest, FieldsAsNumbers) {
  struct Case {
    const char* text;
    std::vector<int32_t> fields;
  };
  const Case cases[] = {
      // A comma in the first position is not a separator.
      {",,,,50", {0, 0, 0, 50, 0}},
      {"128, -1", {128, -1, 0}},
      {"1,,3", {1, 0, 3, 0}},
      {"1,2,3", {1, 2, 3, 0}},
      {"-1", {-1, 0, 0}},
      {"", {0, 0}},
      {",5", {0, 0}},
      {"-1, -1, -1", {-1, -1, -1, 0}},
      {"7,", {7, 0, 0}},
  };
  for (const Case& c : cases) {
    for (size_t n = 0; n < c.fields.size(); ++n)
      EXPECT_EQ(c.fields[n], CsvFieldToLong(c.text, static_cast<int>(n)))
          << '"' << c.text << "\" field " << n;
  }
  EXPECT_EQ(0, CsvFieldToLong(nullptr, 0));
  EXPECT_EQ(0, CsvFieldToLong("1,2", 1000));
}

TEST(CsvFieldTest, CopyStopsAtTheTextsEnd) {
  // The text fills its array exactly: nothing past its terminator may be read.
  const char text[] = "1,2,AB";
  char destination[32];
  std::memset(destination, 'x', sizeof destination);
  CopyCsvField(text, 2, destination, sizeof destination);
  EXPECT_STREQ("AB", destination);
  EXPECT_EQ('x', destination[3]);  // nothing written after the terminator
}

TEST(CsvFieldTest, CopyIsCutToTheDestinationAndTerminated) {
  char destination[4];
  std::memset(destination, 'x', sizeof destination);
  CopyCsvField("1,Gothic", 1, destination, sizeof destination);
  EXPECT_STREQ("Got", destination);

  // The copy runs from the field's start to the text's end, commas included.
  char rest[16];
  CopyCsvField("1,2,3,4", 1, rest, sizeof rest);
  EXPECT_STREQ("2,3,4", rest);

  CopyCsvField("1,2", 5, rest, sizeof rest);
  EXPECT_STREQ("", rest);

  char untouched = 'x';
  CopyCsvField("1,2", 0, &untouched, 0);
  EXPECT_EQ('x', untouched);
  CopyCsvField("1,2", 0, &untouched, 1);
  EXPECT_EQ('\0', untouched);
}

}  // namespace
