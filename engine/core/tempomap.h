// The song's tempo segments: built before play from the tempo events, used by
// the builder to emit tempo changes and by the play-time conversions.
#pragma once
#include <cstdint>
#include <vector>

struct TempoEntry {
  uint16_t code;   // step-length code
  uint16_t steps;  // bit 15 set: consumed 0x4000 steps at a time
};

// u = 480 / time base, h = 240 / u; kept at least 1 so that time bases
// above 480 or not dividing it never divide by zero.
struct TempoScale {
  int timeBase = 480;
  int u = 1;
  int h = 240;
};
TempoScale MakeTempoScale(int timeBase);

// Step-length code for the header tempo at factor f (64 = x 1).
int StepLengthCode(int headerTempo, int factor);
// The factor a tempo event may use: at most tempo 240.
int LimitTempoFactor(int headerTempo, int factor);

struct TempoPair {
  int c = 240;
  int e = 6000;
};
// The pair emitted for an entry of code over steps (at most h count).
TempoPair EntryTempo(int code, int steps, const TempoScale& scale);
// Quarter notes per minute the pair gives (at least 1).
int TempoOfPair(const TempoPair& p);
// Tempo x 10 as mark 30 carries it.
int Tempo10OfPair(const TempoPair& p);
// Duration of an entry in 1/24 ms.
int64_t EntryDuration24(int code, int steps, const TempoScale& scale);

// Builds the map while the tracks are stepped: tempo events at the current
// time, then the time that passes until the next event.
class TempoMapBuilder {
 public:
  TempoMapBuilder(const TempoScale& scale, int headerTempo);
  void TempoEvent(int factor, int rate);
  void Advance(uint64_t steps);
  std::vector<TempoEntry> Finish();

 private:
  bool Gradual() const;
  void Tick();
  void SetCode(int code);
  void CloseRun();
  void Push(int steps);

  TempoScale scale_;
  int headerTempo_;
  int code_;
  int target_;
  int rate_ = 0;
  int k_ = 0;
  int counter_;
  bool changedThisTick_ = false;
  uint32_t run_ = 0;
  std::vector<TempoEntry> entries_;
};

// Steps of the whole map (bit 15 entries count their full length).
uint64_t TempoMapSteps(const std::vector<TempoEntry>& map);
// Time in 1/24 ms from the song start to a step position.
int64_t TimeOfSteps(const std::vector<TempoEntry>& map, uint64_t steps, const TempoScale& scale);

// The play position for a time in 1/24 ms, in sixteenths rounded up; 0 for
// a time beyond the song's end.
int SixteenthsForTime(const std::vector<TempoEntry>& map, int64_t time24, const TempoScale& scale);
