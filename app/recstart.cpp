#include "recstart.h"

#include <algorithm>
#include <cstring>

#include "tracktotal.h"
#include "zk/cmdcodes.h"

namespace {

constexpr int kMaxRepeatDepth = 5;
constexpr int64_t kZeroRepeatCount = 65536;
constexpr int kMetronomeAccent = 120;
constexpr int kMetronomeNormal = 64;
constexpr uint8_t kMetronomeChannel = 9;

int64_t StepsToTicks(int64_t steps, int timeBase) {
  if (timeBase <= 0) timeBase = 480;
  return steps * 480 / timeBase;
}

StepEvent Event(uint8_t code, uint8_t velocity = 0, uint16_t step = 0, uint16_t gate = 0) {
  return StepEvent{code, velocity, step, gate};
}

}  // namespace

MeasureTicks MeasureToTicks(const StepEvent* events, int count, int timeBase, int measures, bool endIsZero) {
  MeasureTicks out;
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
          total = total * times + saved[--depth];
        }
      } else if (e.code < 0xF0) {
        total += e.step;
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
  while (depth > 0) total += saved[--depth];
  if (endIsZero && reachedEnd) total = 0;
  out.nextIndex = std::min(i, count);
  out.ticks = StepsToTicks(total, timeBase);
  return out;
}

MetronomeTrack BuildMetronomeTrack(int beats, int beatUnit, int timeBase, bool sounding) {
  MetronomeTrack t;
  std::memset(&t, 0, sizeof t);
  t.header.channel = kMetronomeChannel;
  if (beatUnit <= 0) beatUnit = 4;
  const uint16_t step = static_cast<uint16_t>(timeBase * 4 / beatUnit);
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
  const int64_t punchIn = MeasureToTicks(measureTrack, count, timeBase, s.punchInMeasure - 1, false).ticks;
  const MeasureTicks start = MeasureToTicks(measureTrack, count, timeBase, s.playStartMeasure - 1, false);
  p.start = start.ticks;
  p.startIndex = start.nextIndex;
  p.punchIn = std::max<int64_t>(punchIn - p.start, 0);
  // The engine counts from the play start; a punch-out past the track's end
  // stays 0 (none).
  p.punchOut = punchOut ? std::max<int64_t>(punchOut - p.start, 0) : 0;
  return p;
}
