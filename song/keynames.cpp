#include "keynames.h"

#include <cstdio>

namespace {

constexpr const char* kTonics[4][8] = {
    {"C ", "G ", "D ", "A ", "E ", "B ", "F#", "C#"},   // major, sharps
    {"C ", "F ", "Bb", "Eb", "Ab", "Db", "Gb", "Cb"},   // major, flats
    {"A ", "E ", "B ", "F#", "C#", "G#", "D#", "A#"},   // minor, sharps
    {"A ", "D ", "G ", "C ", "F ", "Bb", "Eb", "Ab"},   // minor, flats
};

struct KeyNames {
  char names[32][23];
  KeyNames() {
    for (int i = 0; i < 32; ++i)
      std::snprintf(names[i], sizeof names[i], "Music Key %s%s     ", kTonics[i >> 3][i & 7],
                    (i & 0x10) ? "minor" : "MAJOR");
  }
};

}  // namespace

const char* KeyIndexName(int keyIndex) {
  static const KeyNames table;
  return keyIndex >= 0 && keyIndex < 32 ? table.names[keyIndex] : nullptr;
}
