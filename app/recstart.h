// What a record start hands the engine, worked out from the song's blocks
// and the record settings: measure positions in ticks, the metronome track
// and the record mode. No windows, no engine.
#pragma once
#include <cstdint>

#include "zk/song.h"

struct RecordSettings {
  int punchInMeasure = 1;
  int punchOutMeasure = 999;
  int playStartMeasure = 1;
  int measureTrack = 1;  // 1-36: the track whose measures these count
  bool metronome = true;
  bool keyOnStart = false;
};

// Recorded time counts 480 ticks to the quarter note, song steps timeBase
// to the quarter. Both ways are exact from an absolute position (a time base
// that does not divide 480 drifts nowhere); a time base of 0 or below counts
// as 480.
constexpr int kTicksPerQuarter = 480;
int SaneTimeBase(int timeBase);

// How a track plays its repeats when its time is counted: 5 nested at most,
// a count of 0 plays 65,536 times, and sums saturate at kStepCap, far beyond
// any song and small enough that no product of it overflows 64 bits.
constexpr int kMaxRepeatDepth = 5;
constexpr int64_t kZeroRepeatCount = 65536;
constexpr int64_t kStepCap = int64_t{1} << 40;
int64_t SongStepsToTicks(int64_t steps, int timeBase);
int64_t TicksToSongSteps(int64_t ticks, int timeBase);

// The song steps from the start of a track to the end of its first
// `measures` measures, and the event index where the next measure begins.
// Repeats are unrolled (a count of 0 plays 65,536 times, the sum saturates
// far beyond any song), same-measure references followed (9 links, never
// outside the block). With endIsZero, a count that runs into the end of the
// track gives 0.
struct MeasureSteps {
  int64_t steps = 0;
  int nextIndex = 0;
};
MeasureSteps MeasureToSteps(const StepEvent* events, int count, int measures, bool endIsZero);

// The same in ticks of 480 a quarter.
struct MeasureTicks {
  int64_t ticks = 0;
  int nextIndex = 0;
};
MeasureTicks MeasureToTicks(const StepEvent* events, int count, int timeBase, int measures, bool endIsZero);

// The metronome's track: channel 10, an accented click and beats - 1 plain
// ones per measure (a one-beat measure has its plain click silenced and
// counted once), repeated for as long as the song plays; silent when the
// metronome is off.
constexpr int kMetronomeEvents = 9;
constexpr uint8_t kMetronomeKey = 37;
struct MetronomeTrack {
  TrackHeader header;
  StepEvent events[kMetronomeEvents];
};
MetronomeTrack BuildMetronomeTrack(int beats, int beatUnit, int timeBase, bool sounding);

// Record mode bits and the punch points of a record start.
constexpr uint32_t kRecording = 0x1;
constexpr uint32_t kRecordKeyOnStart = 0x2;
constexpr uint32_t kRecordMetronome = 0x4;
struct RecordStartPlan {
  uint32_t flags = 0;
  int64_t punchIn = 0;    // ticks from the play start
  int64_t punchOut = 0;   // ticks from the play start; 0: none
  int64_t start = 0;      // ticks from the song start to the play start
  int startIndex = 0;     // event of the measure track where the play starts
  // The punch-in point in song steps from the play start: where the
  // recording's conversion starts replacing the track.
  int64_t punchInStep = 0;
};
RecordStartPlan PlanRecordStart(const StepEvent* measureTrack, int count, int timeBase, const RecordSettings& s);
