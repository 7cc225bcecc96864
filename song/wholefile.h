// Reading a whole file into one movable memory block.
#pragma once
#include <windows.h>

// Reads from offset 0 into block in pieces of 32,768 bytes, stopping at the
// first piece that reads nothing, at size bytes or at the end of the block.
// Returns the number of bytes read.
DWORD ReadFileIntoBlock(HANDLE file, DWORD size, HGLOBAL block);

// A new shareable movable block of size + 1 bytes (the last one 0) holding
// the whole file; nullptr when memory runs out or the file reads short.
HGLOBAL ReadWholeFile(HANDLE file, DWORD size);
