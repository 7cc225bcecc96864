// Field access in the comma-separated texts of the settings file (window
// entries, font entries, the piano palette's position).
#pragma once
#include <cstdint>

// The text's leading signed decimal number after any blanks; 0 when there is
// none. Values beyond 32 bits are held at the nearest limit.
int32_t StrToLong(const char* text);

// Field n (from 0) of a comma-separated text as a number; an empty field or
// one past the end gives 0. A comma in the very first position never counts
// as a separator, so ",,,,50" gives 0, 0, 0, 50, 0.
int32_t CsvFieldToLong(const char* text, int n);

// Copies the text from the start of field n up to the text's end into
// destination (size bytes), cut to size - 1 characters and always
// terminated.
void CopyCsvField(const char* text, int n, char* destination, int size);

// Where field n starts (the text's terminator when there is no such field).
const char* CsvFieldStart(const char* text, int n);
