// Files dropped on a step editor: which files become events (part files, or
// one external-command event for a file the system's association lists
// know), the name an event stores, and putting the events into the track at
// the place the DragDropEdit setting says.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editmodel.h"

// Event blocks handed to InsertDropEvents: an 8-byte head whose u16 at 6
// counts the further head bytes (0 for a command block, 12 for a part
// image), then the events.
constexpr size_t kDropBlockHeadBytes = 8;

// True for a part file: an extension whose first three letters are "prt"
// or "grt", in any case.
bool IsPartFileName(const char* path);

// The name an event stores for a dropped file: the bare file name when its
// folder is the [Files] LastDirectory folder (lastDirectory, compared without
// regard to case), otherwise the path as given.
std::string StoredDropName(const char* path, const char* lastDirectory);

// Whether WIN.INI [mci extensions] knows the file's extension; when it does
// and out is given, *out = "play " and the stored name. Song files (".G36")
// never.
bool MciCommandFor(const char* path, std::string* out, const char* lastDirectory);

// Whether the file is a program (its extension one of the words of WIN.INI
// [windows] Programs; *out = the stored name) or a document with a program
// in WIN.INI [Extensions] (*out = the entry up to its first blank, a blank
// and the stored name). Song files (".G36") never. out may be null.
bool ProgramCommandFor(const char* path, std::string* out, const char* lastDirectory);

// In the look-ups' texts a stored name holding a blank is quoted.

// A command block: the zeroed head, event 0x99 (velocity 0, step 0, gate =
// kind: 0 MCI string, 1 command line), the text and its zero in 0xF7 events
// of five bytes (the last may hold fewer), then an end event. *count = the
// events to insert: the 0x99 event and its continuations.
std::vector<uint8_t> BuildExternalCommandBlock(int kind, std::string_view text, int* count);

// The command block for a dropped file that is not a part file: an MCI
// string when the MCI list knows its extension, else a command line when a
// program is known. False, block empty, for a file neither knows.
bool BuildDropCommandBlock(const char* path, const char* lastDirectory, std::vector<uint8_t>* block, int* count);

// The events of a part image ("Q31PR", u32 event bytes at 8), or -1.
int PartImageEventCount(const uint8_t* image, size_t size);

// Where the drop happened.
struct DropPlace {
  int x = 0, y = 0;           // drop point, client coordinates
  bool inClient = true;       // the point lies in the client area
  bool iconic = false;        // the window is minimised
  int charWidth = 0;          // the window font's average character width
  int charHeight = 0;         // and its height
};

// Inserts the count events of a drop block (a command block or a part
// image): with DragDropEdit 1 before the caret line's event, with 2 before
// the event of the line under the drop point (DropPointLine), with 3, a drop
// outside the client area or an iconic window before the end event.
// DragDropEdit 0 and a block shorter than its count are refused; used +
// count + 1 reaching 16,371 is TrackFull (message 1931), track unchanged.
// State bits 0 and 1 when events went in; count 0 inserts nothing.
EditResult InsertDropEvents(StepEditModel& m, StepSongContext& ctx, const uint8_t* block, size_t size, int count,
                            const DropPlace& place);
