// The song document as every module sees it: song header, track headers and
// step-event blocks, reached through one table of movable memory handles.
// Engines, filters and the player receive this exact layout.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

struct StepEvent {
  uint8_t code;      // 0-127 note key, 0x80-0xFE command
  uint8_t vel;       // velocity or value
  uint16_t step;     // ticks to the next event
  uint16_t gate;     // gate time or parameter
};
static_assert(sizeof(StepEvent) == 6);

struct RhythmRecord {
  char name[14];     // blank-padded
  uint8_t key;
  uint8_t gate;
};
static_assert(sizeof(RhythmRecord) == 16);

struct UserExclusiveSlot {
  char name[23];
  uint8_t data[25];
};
static_assert(sizeof(UserExclusiveSlot) == 48);

struct SmpteStart {
  uint8_t mode, hours, minutes, seconds, frames, bits;
};
static_assert(sizeof(SmpteStart) == 6);

struct SongHeader {
  char signature[32];
  char title[64];         // blank-padded, no terminator
  char text2[64];         // carried only
  char memo[360];         // blank-padded, no terminator
  uint16_t trackCount;
  uint16_t timeBase;      // ticks per quarter note
  uint16_t tempo;         // quarter notes per minute
  uint8_t beatNum;
  uint8_t beatDen;
  uint8_t key;            // KeyIndex
  int8_t playBias;        // -36..36
  SmpteStart smpte;
  uint8_t carried536[16];
  uint8_t carried552[112];
  char mt32File[16];      // ".cm6" control file
  char gsFile[16];        // ".gsd" control file
  uint8_t carried696[64];
  uint32_t markers[4];    // location markers 1-4, 0 = unset
  uint8_t carried776[16];
  RhythmRecord rhythm[128];
  UserExclusiveSlot userExcl[8];
};
static_assert(sizeof(SongHeader) == 3224);
static_assert(offsetof(SongHeader, trackCount) == 520);
static_assert(offsetof(SongHeader, smpte) == 530);
static_assert(offsetof(SongHeader, carried536) == 536);
static_assert(offsetof(SongHeader, mt32File) == 664);
static_assert(offsetof(SongHeader, gsFile) == 680);
static_assert(offsetof(SongHeader, markers) == 760);
static_assert(offsetof(SongHeader, rhythm) == 792);
static_assert(offsetof(SongHeader, userExcl) == 2840);

struct TrackHeader {
  uint32_t size;          // memory: 48 + 6 x (events + 1); file: 46 + ...
  uint8_t number;
  uint8_t rhythm;         // bit 7: rhythm track
  uint8_t channel;        // bits 0-3 channel, 4-5 port; >= 0xF0 off
  uint8_t keyShift;       // signed 7-bit; bit 7: not transposed
  int8_t stepShift;
  uint8_t mode;           // bit 0 mute, bits 1-2 record target
  char comment[36];       // blank-padded
  uint8_t unstored[2];
};
static_assert(sizeof(TrackHeader) == 48);
static_assert(offsetof(TrackHeader, comment) == 10);

#pragma pack(pop)

constexpr size_t kTrackHeaderFileSize = 46;
constexpr int kMaxTracks = 100;
constexpr int kHandleTableEntries = 201;
constexpr int kTrackSlots = 16373;           // block capacity in events
constexpr int kMaxTrackEvents = 16371;       // events before the end event
constexpr size_t kFullBlockBytes = kTrackSlots * sizeof(StepEvent);  // 98,238

// [0] header, [n] track header of track n, [100 + n] event block of track n.
struct SongHandleTable {
  HGLOBAL h[kHandleTableEntries];
};
// 804 bytes in the 32-bit build.
static_assert(sizeof(SongHandleTable) == kHandleTableEntries * sizeof(HGLOBAL));
static_assert(sizeof(void*) != 4 || sizeof(SongHandleTable) == 804);
constexpr int kHeaderEntry = 0;
inline constexpr int TrackHeaderEntry(int track) { return track; }
inline constexpr int TrackEventsEntry(int track) { return 100 + track; }

// The song record hung on the frame's data word; words 0 and 1 belong to the
// shell.
struct SongDocument {
  uint32_t word0;
  uint32_t word1;
  HLOCAL handleTable;     // SongHandleTable, local movable
  HGLOBAL trackWindows;   // TrackWindowTable, global movable shareable
};
static_assert(sizeof(SongDocument) == 8 + 2 * sizeof(HANDLE));
static_assert(sizeof(void*) != 4 || sizeof(SongDocument) == 16);

// Four arrays of 100 words, index track - 1 (1,600 bytes in the 32-bit
// build; the window array is pointer-sized).
struct TrackWindowTable {
  HWND editor[100];         // step editor window of the track, 0 none
  uint32_t state[100];      // bit 0 modified; 2 = views not synchronised
  int32_t stepOut[100];     // TrackStepTotal out-value
  int32_t stepTotal[100];   // TrackStepTotal result
};
static_assert(sizeof(TrackWindowTable) == 100 * sizeof(HWND) + 1200);
static_assert(sizeof(void*) != 4 || sizeof(TrackWindowTable) == 1600);

// Song data passes between modules in shareable movable blocks.
constexpr UINT kShareableZeroed = GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT;

constexpr uint8_t kEndCode = 0xFE;
inline constexpr StepEvent EndEvent() { return StepEvent{0xFE, 0xFE, 0x00FE, 0x00FE}; }

// KeyIndex bits.
constexpr uint8_t kKeyAccidentalsMask = 0x07;
constexpr uint8_t kKeyFlats = 0x08;
constexpr uint8_t kKeyMinor = 0x10;
