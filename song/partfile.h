// Part files and part blocks: the four kinds of part data, their conversion
// to the current kind at the open song's time base, and reading and writing
// part files.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zk/song.h"

// Current kind: "Q31PR", a 20-byte head, then 6-byte events and an end event.
constexpr size_t kPartHeadBytes = 20;
constexpr size_t kPartBlockBytes = kFullBlockBytes;          // 16,373 slots
constexpr size_t kPartFileReadLimit = 98258;
// 20 + 6 x (events + 1) must fit the block.
constexpr int kMaxPartEvents = static_cast<int>((kPartBlockBytes - kPartHeadBytes) / 6) - 1;
// Source bytes a record conversion looks at (16,373 records), and the bound
// for drop blocks handed over in shared memory.
constexpr size_t kRecordSourceLimit = 65492;
constexpr size_t kMappingRecordSourceLimit = 32768;
constexpr int kDefaultPartTimeBase = 480;
// Event slots before the events of a converted drop block.
constexpr int kDropHeaderSlots = 5;

// A converted drop block with its head stripped: the five slots before the
// events carry the event count and the drop point, the events follow.
constexpr size_t kDropEventsOffset = kDropHeaderSlots * 6;   // 30
struct DropBlockHead {
  int count;   // events from kDropEventsOffset
  int x, y;    // drop point in the target window's client area
};
// Reads the count (low byte in the u16 at 22, high byte at 19) and the drop
// point (x: byte 24 and the u16 at 26; y: the u16 at 28 and byte 25; signed
// 16-bit, as client coordinates may be). False when the block is shorter
// than its head or the counted events run past it.
bool ReadDropBlockHead(const uint8_t* block, size_t size, DropBlockHead* head);

enum class PartKind { kNone, kRecords, kDropRecords, kQ30, kQ31 };
PartKind DetectPartKind(const uint8_t* data, size_t size);

enum class PartStatus {
  kOk,
  kNotPart,         // no known signature
  kDamaged,         // length fields or records run past the data
  kTooManyEvents,   // more events than a part block holds
};

// Converts part data of any kind into a complete "Q31PR" image (head, events,
// end event) at songTimeBase (0 is taken as 480). The drop kind is accepted
// only in drop mode. sourceLimit bounds what a record conversion reads.
PartStatus ConvertPartBytes(const uint8_t* data, size_t size, int songTimeBase, bool dropMode,
                            std::vector<uint8_t>* out,
                            size_t sourceLimit = kRecordSourceLimit);

// Step distance from the note at index to the next note of the same key with
// nonzero gate and velocity that starts before the note's gate ends; 0 when
// there is none, the event is not a note or its gate is 1. A gate of 0 or
// 0xFFFF sets no limit. count bounds the walk.
int PartNoteOverlap(const StepEvent* events, int count, int index, uint16_t gate);

// A fresh part block: 98,238 bytes, shareable, every slot starting with 0xFE.
HGLOBAL NewPartBlock();

// Converts the part data in the block in place and rebuilds the same-measure
// references of the song. 1 on success; 0 after a message (1926 for data that
// is not part data or is damaged, 1931 for more than a block holds).
int ReadPartFromBlock(HGLOBAL block, const char* name, int stripHead, int dropMode);
// The same on a view of a file mapping; the view is never enlarged.
int ReadPartFromMapping(HANDLE mapping, const char* name, int stripHead, int dropMode);
// Reads a part file into the block and converts it. An empty path returns 0.
int ReadPartFile(HWND owner, const char* path, HGLOBAL block, int stripHead);

// path with its extension replaced by ext (added when it has none).
std::string ForceExtension(const std::string& path, const std::string& ext);

// Writes size bytes to path through a temporary file in the same folder; the
// old file is replaced only after a complete write. Shows message 3 when the
// file cannot be created, 4 when it cannot be written completely. 1 written,
// 0 failed.
int WriteFileReplacing(HWND owner, const char* path, const void* data, DWORD size);
// Writes byteCount bytes of the block; a count past the block's end is a
// short write.
int WriteBlockReplacing(HWND owner, const char* path, HGLOBAL block, DWORD byteCount);

// What the part dialogs do once a name is chosen. Part files (setData 0)
// store their folder as [Files] LastPartDirectory after success; set data
// keep their own folder.
int SavePartToFile(HWND owner, const char* path, HGLOBAL block, DWORD byteCount, int setData);
int LoadPartFromFile(HWND owner, const char* path, HGLOBAL block, int setData);
