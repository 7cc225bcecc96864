// The placement text of the settings file.
#include <cstdlib>

#include "playmon.h"

int ParsePlacement(const char* text, int* values, int max) {
  int count = 0;
  const char* p = text;
  while (p && *p && count < max) {
    char* end = nullptr;
    long value = std::strtol(p, &end, 10);
    if (end == p) break;
    values[count++] = static_cast<int>(value);
    p = end;
    while (*p == ' ') ++p;
    if (*p != ',') break;
    ++p;
  }
  return count;
}
