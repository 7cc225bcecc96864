// Play state the frame and the play routines share, and the end-of-play
// actions the frame runs.
#pragma once
#include <windows.h>
#include <cstdint>

#include "recstart.h"

struct PlayState {
  uint32_t recordingFlags = 0;     // bit 0 recording, 1 start at first note, 2 metronome
  uint32_t partialPlay = 0;        // a measure play or preview plays
  HGLOBAL measurePlayBlock = nullptr;
  uint32_t holdFlag = 0;           // set by the point-edit palettes
  uint32_t busyFlag = 0;           // a track mix, time-code generation or engine change runs
  uint32_t playFilter = 0;         // bit 0x8000: no end MCI strings, 0x4000: no end programs
  // Record settings every start hands the engine (their dialogs set them).
  uint32_t recordFilter = 0;
  uint32_t acceptChannels = 0xFFFF;  // bit n: channel n + 1 is recorded
  int32_t recordKeyLow = 0;
  int32_t recordKeyHigh = 127;
  uint32_t syncMode = 0;           // 0 internal, 1/2 Super MPU port A/B, 3 SMPTE
  RecordSettings record;           // the record set-up's measures and switches
  // The recording's two buffers, 0 when none is pending; the metronome's
  // header and events, which belong to the played copy only.
  HGLOBAL recordBufferA = nullptr;
  HGLOBAL recordBufferB = nullptr;
  // Where the recording starts replacing the track: song steps from the
  // play start, fixed at the record start.
  int64_t recordPunchInStep = 0;
  HGLOBAL metronomeHeader = nullptr;
  HGLOBAL metronomeEvents = nullptr;
  // Seek shared with the play palette: target (0 none, else ms + 1), the
  // argument kept for it, the hold state.
  int32_t seekTarget = 0;
  int32_t seekArgument = 0;
  int32_t holdReached = 0;
  int32_t seekPending = 0;
  int32_t windPosition = 0;        // play time (ms) the palette's wind buttons reached
  UINT_PTR positionTimer = 0;      // running on the play palette, 0 none
};
extern PlayState g_play;

constexpr UINT_PTR kPositionTimerId = 2505;

// Nonzero while the engine plays (0 while the ports are held elsewhere or
// without an engine).
int IsPlaying();
// End commands, the position timer, the stopped state, the status line.
void FinishPlay();
// Start-up reset of the step editor's marks and filters.
int ResetEditMarks();
