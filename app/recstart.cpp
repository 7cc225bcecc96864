#include "recstart.h"

#include <algorithm>
#include <cstring>

#include "tracktotal.h"
#include "zk/cmdcodes.h"

namespace {

constexpr int kMetronomeAccent = 120;
constexpr int kMetronomeNormal = 64;
constexpr uint8_t kMetronomeChannel = 9;

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

StepEvent Event(uint8_t code, uint8_t velocity = 0, uint16_t step = 0, uint16_t gate = 0) {
  return StepEvent{code, velocity, step, gate};
}

}  // namespace

int SaneTimeBase(int timeBase) { return timeBase > 0 ? timeBase : kTicksPerQuarter; }

int64_t SongStepsToTicks(int64_t steps, int timeBase) {
  return FloorDiv(steps * kTicksPerQuarter, SaneTimeBase(timeBase));
}

int64_t TicksToSongSteps(int64_t ticks, int timeBase) {
  return FloorDiv(ticks * SaneTimeBase(timeBase), kTicksPerQuarter);
}

MeasureSteps MeasureToSteps(const StepEvent* events, int count, int measures, bool endIsZero) {
  MeasureSteps out;
  if (measures <= 0 || !events || count <= 0) return out;
  int64_t saved[kMaxRepeatDepth];
  int depth = 0;
  int64_t total = 0;
  int counted = 0;
  int i = 0;
  bool reachedEnd = true;
  while (i < count && events[i].code < kCodeEndOfTrack) {
    int at = FollowSameMeasure(events, i, count);
    for (; at < count && events[at].code < kCodeSameMeasure; ++at) {
      const StepEvent& e = events[at];
      if (e.code == kCodeRepeatStart) {
        if (depth < kMaxRepeatDepth) {
          saved[depth++] = total;
          total = 0;
        }
      } else if (e.code == kCodeRepeatEnd) {
        if (depth > 0) {
          const int64_t times = e.step ? e.step : kZeroRepeatCount;
          total = std::min(total * times + saved[--depth], kStepCap);
        }
      } else if (e.code < 0xF0) {
        total = std::min(total + e.step, kStepCap);
      }
    }
    if (at < count) {
      if (events[at].code == kCodeMeasureEnd) {
        ++counted;
      } else if (events[at].code == kCodeSameMeasure) {
        ++counted;
        if (at > 0 && events[at - 1].code < kCodeSameMeasure) ++counted;
      }
    }
    const int next = NextMeasureStart(events, count, i);
    // A measure that does not move on would walk for ever.
    i = next > i ? next : count;
    if (counted >= measures) {
      reachedEnd = false;
      break;
    }
  }
  while (depth > 0) total = std::min(total + saved[--depth], kStepCap);
  if (endIsZero && reachedEnd) total = 0;
  out.nextIndex = std::min(i, count);
  out.steps = total;
  return out;
}

MeasureTicks MeasureToTicks(const StepEvent* events, int count, int timeBase, int measures, bool endIsZero) {
  const MeasureSteps m = MeasureToSteps(events, count, measures, endIsZero);
  MeasureTicks out;
  out.ticks = SongStepsToTicks(m.steps, timeBase);
  out.nextIndex = m.nextIndex;
  return out;
}

MetronomeTrack BuildMetronomeTrack(int beats, int beatUnit, int timeBase, bool sounding) {
  MetronomeTrack t;
  std::memset(&t, 0, sizeof t);
  t.header.channel = kMetronomeChannel;
  if (beatUnit <= 0) beatUnit = 4;
  const uint16_t step = static_cast<uint16_t>(std::clamp(timeBase * 4 / beatUnit, 0, 0xFFFF));
  const uint16_t gate = static_cast<uint16_t>(step / 2);
  const uint8_t accent = sounding ? kMetronomeAccent : 0;
  const uint8_t normal = sounding ? kMetronomeNormal : 0;
  const bool oneBeat = beats == 1;
  t.events[0] = Event(kCodeRepeatStart);
  t.events[1] = Event(kCodeRepeatStart);
  t.events[2] = Event(kMetronomeKey, accent, step, gate);
  t.events[3] = Event(kCodeRepeatStart);
  t.events[4] = oneBeat ? Event(kMetronomeKey) : Event(kMetronomeKey, normal, step, gate);
  t.events[5] = Event(kCodeRepeatEnd, 0, static_cast<uint16_t>(std::max(beats - 1, 1)));
  t.events[6] = Event(kCodeRepeatEnd);
  t.events[7] = Event(kCodeRepeatEnd);
  t.events[8] = Event(kCodeEndOfTrack);
  return t;
}

RecordStartPlan PlanRecordStart(const StepEvent* measureTrack, int count, int timeBase, const RecordSettings& s) {
  RecordStartPlan p;
  p.flags = kRecording;
  if (s.punchInMeasure == s.playStartMeasure && s.keyOnStart) p.flags |= kRecordKeyOnStart;
  if (s.metronome) p.flags |= kRecordMetronome;
  const int64_t punchOut = MeasureToTicks(measureTrack, count, timeBase, s.punchOutMeasure, true).ticks;
  const MeasureSteps punchIn = MeasureToSteps(measureTrack, count, s.punchInMeasure - 1, false);
  const MeasureSteps start = MeasureToSteps(measureTrack, count, s.playStartMeasure - 1, false);
  p.start = SongStepsToTicks(start.steps, timeBase);
  p.startIndex = start.nextIndex;
  p.punchIn = std::max<int64_t>(SongStepsToTicks(punchIn.steps, timeBase) - p.start, 0);
  p.punchInStep = std::max<int64_t>(punchIn.steps - start.steps, 0);
  // The engine counts from the play start; a punch-out past the track's end
  // stays 0 (none).
  p.punchOut = punchOut ? std::max<int64_t>(punchOut - p.start, 0) : 0;
  return p;
}
