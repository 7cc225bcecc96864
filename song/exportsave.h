// Saving the song in a foreign format: an export filter turns the song into
// a file image, which is then written here.
#pragma once
#include <windows.h>
#include <cstddef>

// Hands the open song to export slot `slot` (its MakeExpFile) and writes the
// image it returns to path. The image goes to a new file beside path first,
// which replaces path only when completely written, so a failure leaves the
// old file as it was. Failures show message 3 (cannot create) or 4 (cannot
// write) with path. Returns true when the file was written without a
// failure message.
bool SaveViaExportFilter(HWND frame, const char* path, int slot);

// Writes size bytes of data to path through a temporary file in the same
// folder, in pieces of 32,768 bytes. Returns 0 when written, else the id of
// the message to show (3 cannot create, 4 cannot write).
int WriteImageReplacing(const char* path, const void* data, size_t size);
