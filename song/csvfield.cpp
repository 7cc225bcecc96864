#include "csvfield.h"

#include <climits>

int32_t StrToLong(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

// A separator is a comma reached by stepping; of a run of commas each one
// counts, and only the last is stepped over, so an empty field starts at its
// own comma and reads as 0.
const char* CsvFieldStart(const char* text, int n) {
  if (!text) return "";
  const char* p = text;
  for (int counted = 0; counted < n;) {
    if (*p == '\0') break;
    ++p;
    if (*p == ',') {
      if (p[1] != ',') ++p;
      ++counted;
    }
  }
  return p;
}

int32_t CsvFieldToLong(const char* text, int n) { return StrToLong(CsvFieldStart(text, n)); }

void CopyCsvField(const char* text, int n, char* destination, int size) {
  if (!destination || size <= 0) return;
  const char* p = CsvFieldStart(text, n);
  int i = 0;
  for (; i < size - 1 && p[i] != '\0'; ++i) destination[i] = p[i];
  destination[i] = '\0';
}
