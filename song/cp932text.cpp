#include "cp932text.h"

bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

size_t Cp932CutLength(const char* text, size_t length, size_t max) {
  if (length <= max) return length;
  size_t end = 0;
  while (end < max) {
    const size_t step = IsCp932LeadByte(static_cast<unsigned char>(text[end])) && end + 1 < length ? 2 : 1;
    if (end + step > max) break;
    end += step;
  }
  return end;
}

std::string CutCp932Text(const std::string& text, size_t max) {
  return text.substr(0, Cp932CutLength(text.data(), text.size(), max));
}
