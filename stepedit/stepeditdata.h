// The step editor's window data record and the per-window blocks it names.
#pragma once
#include <windows.h>
#include <cstdint>

#include "zk/song.h"

struct StepEditorData {
  HFONT font;
  int32_t clientWidth;
  int32_t clientHeight;
  int16_t mode;              // 0 step list, 1 rhythm grid
  int16_t track;             // 1-based, set at creation
  int32_t lineCount;
  HGLOBAL lineTable;         // LineEntry[kTrackSlots]
  HLOCAL trackBlock;         // TrackBlock
  int32_t lastEvent;         // index of the end event
  int32_t lastLine;          // lines - 1
  int32_t topLine;
  int16_t caretColumn;       // rhythm grid: 15, then two characters per step
  int16_t caretRow;          // step list: 1-based row in the window
  int32_t selectionAnchor;   // -1 none
  int32_t selectionEnd;      // -1 none
  int32_t indexValid;        // 1 = no insertion gap open
  int32_t gapTail;           // slot of the first event behind the gap
  int32_t keyPosition;       // vertical key position of the rhythm grid
  int32_t playLine[2];       // event index of the play position
  void* companion;           // the companion view's data, 0 none
  HWND scorePane;
  HGLOBAL rhythmInput;       // seven 32-bit values
  HGLOBAL fieldEdits;        // five field-edit windows
  uint32_t insertMode;       // EDIT/INSERT bit of the step input mode
  int32_t viewFlags[2];      // [0] 1 while the event list is shown
};

constexpr int16_t kModeStepList = 0;
constexpr int16_t kModeRhythmGrid = 1;
constexpr int16_t kRhythmFirstColumn = 15;
constexpr int16_t kStepListColumn = 11;

// Local record of an editor window; entry 0 is unused.
struct TrackBlock {
  uintptr_t unused;
  HGLOBAL undo;          // undo copy, 0 none
  HGLOBAL events;        // the song's own event block of the track (not a copy)
  HGLOBAL measureTable;  // MeasureEntry[kTrackSlots]
  HGLOBAL work;          // editor work block
};
static_assert(sizeof(TrackBlock) == 5 * sizeof(void*));  // 20 in the 32-bit build

#pragma pack(push, 1)
struct LineEntry {
  uint32_t firstEvent;
  uint8_t key;           // KeyIndex in force (step list)
  uint8_t unused[3];     // 0xFF
};
static_assert(sizeof(LineEntry) == 8);

struct MeasureEntry {
  uint16_t measure;      // 1-based
  uint16_t step;         // bits 0-14 step in measure (1-based); bit 15 overlap
};
static_assert(sizeof(MeasureEntry) == 4);
#pragma pack(pop)

constexpr size_t kLineTableBytes = kTrackSlots * sizeof(LineEntry);        // 130,984
constexpr size_t kMeasureTableBytes = kTrackSlots * sizeof(MeasureEntry);  // 65,492
constexpr size_t kEditorWorkBytes = 1408;
constexpr uint16_t kOverlapBit = 0x8000;

// The editor window keeps a pointer to its record in GWLP_USERDATA; null for
// no window or a window without one.
inline StepEditorData* GetStepEditorData(HWND window) {
  if (!window || !IsWindow(window)) return nullptr;
  return reinterpret_cast<StepEditorData*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}
