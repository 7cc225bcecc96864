// Little-endian fields of file images and clipboard blocks, read and
// written byte by byte so that both builds give the same bytes.
#pragma once
#include <cstdint>

inline uint16_t U16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t U32At(const uint8_t* p) { return U16At(p) | static_cast<uint32_t>(U16At(p + 2)) << 16; }
inline void PutU16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  PutU16(p, v);
  PutU16(p + 2, v >> 16);
}
