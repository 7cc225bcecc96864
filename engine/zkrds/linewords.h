// The words of messages sent to the interface outside its sequencer queue:
// line messages of two words and System Exclusive line-message blocks.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Word 1 of a line message: status x 256 + interface channel; a system
// message carries the port (channel base / 16) instead.
WORD LineWord1(DWORD message, int interfaceChannel, int port);
// Word 2: first data byte x 256 + second (0 for a one-data-byte message).
WORD LineWord2(DWORD message);
// One System Exclusive message F0 ... F7 as a line-message block for the
// port selector (0x00 or 0x10); empty for a message that is not F0 ... F7.
std::vector<WORD> LineBlockWords(uint8_t selector, const uint8_t* bytes, size_t length);
