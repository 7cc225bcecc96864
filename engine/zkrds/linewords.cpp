#include "linewords.h"

#include "playwords.h"

WORD LineWord1(DWORD message, int interfaceChannel, int port) {
  int status = message & 0xFF;
  if (status >= 0xF0) return static_cast<WORD>(status << 8 | (port & 0xFF));
  return static_cast<WORD>((status & 0xF0) << 8 | (interfaceChannel & 0xFF));
}

WORD LineWord2(DWORD message) {
  int status = message & 0xF0;
  int d1 = (message >> 8) & 0x7F, d2 = (message >> 16) & 0x7F;
  if (status == 0xC0 || status == 0xD0) d2 = 0;
  return static_cast<WORD>(d1 << 8 | d2);
}

std::vector<WORD> LineBlockWords(uint8_t selector, const uint8_t* bytes, size_t length) {
  std::vector<PlayEventWord> words;
  AppendSysExWords(words, selector, bytes, length);
  return std::vector<WORD>(words.begin(), words.end());
}
