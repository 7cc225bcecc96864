// Window placements kept in the settings block, the window active after
// start-up, and bringing a track's step editor to the front.
#pragma once
#include <windows.h>
#include <cstdint>

// Where one window's placement record lies in the settings block. Each
// member is a field index; state is -1 for the frame, whose record has none.
struct PlacementFields {
  int state;
  int flags;
  int show;
  int pos[8];   // min x, min y, max x, max y, top, bottom, left, right
};

PlacementFields FramePlacementFields();
// An eleven-field window record starting at base.
PlacementFields WindowPlacementFields(int base);
// The twelve-field track window records, whose second field is the mode.
PlacementFields TrackListPlacementFields(int base);
// Track n's record, spread over the block's per-track arrays.
PlacementFields TrackPlacementFields(int track);

constexpr int32_t kPlacementClosed = 0x80;  // state: the window was not open

// The record as a WINDOWPLACEMENT; false when nothing is saved (show command
// -1 in its low 16 bits). Flags 0 are applied as 1.
bool RecordToPlacement(const int32_t* block, const PlacementFields& f, WINDOWPLACEMENT* wp);
// Stores wp into the record and, where the record has one, state 0.
void PlacementToRecord(const WINDOWPLACEMENT& wp, int32_t* block, const PlacementFields& f);
// Bit 7 of the state's low byte.
bool RecordClosed(const int32_t* block, const PlacementFields& f);
void MarkRecordClosed(int32_t* block, const PlacementFields& f);

// Window-level forms of the above on the locked settings block: save stores
// the window's placement (or marks the record closed for no window); restore
// applies the record, or shows the window with show when nothing is saved.
void SaveWindowRecord(HWND window, const PlacementFields& f);
void RestoreWindowRecord(HWND window, const PlacementFields& f, int show);

void SaveConductorPlacement();
void RestoreConductorPlacement(int show);

// Every window's placement into the block, then the plug-ins' layout save.
void SaveAllPlacements();
// Every window's placement from the block, the plug-ins' layout restore,
// then the frame.
void RestoreAllPlacements(int show);

// Which window [StartUp] ActiveWindow makes active, given what exists.
enum class StartWindow { None, Conductor, TrackWindow, NameList, StepEditor };
StartWindow ChooseStartWindow(int activeWindow, bool conductor, bool trackWindow, bool nameList,
                              bool stepEditor);
void ActivateStartWindow();

// Brings track n's step editor to the front: the existing one, a new one, or
// one taken over from another track as the reuse settings say. Nonzero when
// done.
int ActivateTrackWindow(int track);
