// The block of window placements ([DeskTop] of the settings file): 1,708
// signed 32-bit fields in one movable global block, read at start and written
// back when the frame closes. Each window entry of the file is one text of
// comma-separated numbers whose values go to fixed fields of the block.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

// Field offsets, in 32-bit fields from the block's start.
constexpr int kSbFrame = 0;                                   // 10 fields
constexpr int kSbTrackArrays = kSbFrame + 10;                 // 16 arrays of 100
constexpr int kSbTrackArrayCount = 16;
constexpr int kSbTrackSlots = 100;                            // index track - 1
constexpr int kSbPlayPallet = kSbTrackArrays + kSbTrackArrayCount * kSbTrackSlots;  // 3
constexpr int kSbNotePallet = kSbPlayPallet + 3;              // 2
constexpr int kSbPianoPallet = kSbNotePallet + 2;             // 5
constexpr int kSbNamelist = kSbPianoPallet + 5;               // 11
constexpr int kSbErrLog = kSbNamelist + 11;                   // 11
constexpr int kSbSearchLog = kSbErrLog + 11;                  // 11
constexpr int kSbConductor = kSbSearchLog + 11;               // 11
constexpr int kSbTrkSet = kSbConductor + 11;                  // 12
constexpr int kSbTrkView = kSbTrkSet + 12;                    // 12
constexpr int kSbTrkViewCWidth = kSbTrkView + 12;             // 9
constexpr int kSbUserExclusive = kSbTrkViewCWidth + 9;        // 11
constexpr int kSettingsBlockFields = kSbUserExclusive + 11;
static_assert(kSettingsBlockFields == 1708);
constexpr size_t kSettingsBlockBytes = kSettingsBlockFields * sizeof(int32_t);
static_assert(kSettingsBlockBytes == 6832);

// The track set-up's mode sits in the second field of its entry; the track
// view's second field is never stored in the file either.
constexpr int kSbTrkSetMode = kSbTrkSet + 1;

// Field of array a (0-15) for track 1-100.
inline constexpr int SbTrackField(int array, int track) {
  return kSbTrackArrays + array * kSbTrackSlots + (track - 1);
}

extern HGLOBAL g_settingsBlock;
// Allocates the zero-filled block unless it exists; false when memory ran out.
bool AllocSettingsBlock();
void FreeSettingsBlock();
// nullptr when the block has not been allocated.
int32_t* LockSettingsBlock();
void UnlockSettingsBlock();

// How a text's values map onto an entry's fields.
enum class EntryShape {
  Frame,     // show command, flags, eight positions: values 1 and 2 swapped
  Window,    // state, show command, flags, positions: values 2 and 3 swapped
  WindowX,   // as Window over a twelve-field entry whose second field is left aside
  Plain,     // values in field order
};

enum class PaletteRule {
  None,
  Screen,      // pulled back while left + 25 > screen width
  ScreenNote,  // the note palette: while left + 25 >= screen width
};

struct WindowEntry {
  const char* key;
  const char* def;          // text when the file has none
  EntryShape shape;
  int base;                 // first field in the block
  int values;               // numbers in the text
  const char* fontKey;      // written beside it while its window exists
  PaletteRule palette;
  int leftValue;            // palettes: the value holding left (top follows)
};

// Every fixed entry, in the order they are read and written; the Track%d
// entries come between the frame (the first) and the rest.
extern const WindowEntry kWindowEntries[];
extern const int kWindowEntryCount;

constexpr int kMaxEntryValues = 12;
constexpr int kTrackEntryValues = 12;
constexpr const char* kTrackEntryDefault = "128, -1";

// Block field of each value of the entry's text; returns the value count.
int EntryFieldMap(const WindowEntry& entry, int fields[kMaxEntryValues]);
int TrackEntryFieldMap(int track, int fields[kMaxEntryValues]);

// Value i of the text into block[fields[i]]; a missing value reads as 0.
void ParseEntry(const char* text, const int* fields, int count, int32_t* block);
// The exact inverse: "v1,v2,..." in value order.
std::string FormatEntry(const int32_t* block, const int* fields, int count);

// Moves a palette left (then up) by 50 pixels at a time until it is on the
// screen, stopping at 0.
void PullPaletteOnScreen(int32_t& left, int32_t& top, int screenWidth, int screenHeight,
                         bool noteRule);

// Font entries: thirteen numbers each followed by a comma, then the face
// name. Parsing an empty text leaves the font unchanged and returns false.
// Room for one entry read from the settings file.
constexpr int kFontTextSize = 13 * 12 + LF_FACESIZE;
bool ParseFontEntry(const char* text, LOGFONTA* font);
std::string FormatFontEntry(const LOGFONTA& font);

// Reads Frame, Track1 .. Track<trackEntries> and the other entries of
// [DeskTop] into the block; tracks beyond trackEntries get the default entry.
// Palettes are pulled back onto a screen of the given size.
void LoadWindowEntries(int32_t* block, int trackEntries, int screenWidth, int screenHeight);

// Gives the font of the window whose font key is named; false while that
// window does not exist, so the file keeps the key's old value.
using WindowFontQuery = std::function<bool(const char* fontKey, LOGFONTA& font)>;

// Writes Frame, Track1 .. Track<trackEntries> and the other entries from the
// block, each with its font key when the query gives a font.
void SaveWindowEntries(const int32_t* block, int trackEntries, const WindowFontQuery& fonts);
