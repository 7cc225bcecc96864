// Texts in code page 932, the program's texts: where a double-byte
// character begins, and cutting a text without splitting one.
#pragma once
#include <cstddef>
#include <string>

bool IsCp932LeadByte(unsigned char c);

// How many of the first length bytes of text fit into max bytes without
// ending in half a double-byte character.
size_t Cp932CutLength(const char* text, size_t length, size_t max);

// At most max bytes of text, never ending in half a double-byte character.
std::string CutCp932Text(const std::string& text, size_t max);
