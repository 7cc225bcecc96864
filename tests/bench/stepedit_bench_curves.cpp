// Controller curves.
#include <cstdio>

#include "curvegen.h"
#include "curves.h"
#include "stepbench.h"

namespace stepbench {

namespace {

// A volume curve over the whole full track at Step 1: a straight line of
// `count` periods. The track's 327 volume events give way; two periods add
// 254 values (the curve nearly fills the buffer and fits the track), three
// add 381 and pass both.
void OpenWholeTrackCurve(CurveState& s, ModelSong& song, StepEditModel& m, int count, int shape = kCurveStraight) {
  s = CurveState{};
  Select(m, 0, m.eventCount - 1);
  BeginCurve(s, m, song.ctx, kCurveCommandVolume);
  s.top = 0;
  s.end = 127;
  s.step = 1;
  s.count = count;
  s.shape = shape;
}

}  // namespace

void BenchCurves() {
  static CurveState s;
  static EditResult last;
  static int32_t events = 0;
  Measure(
      "curve set-up (whole track)", [](ModelSong&, StepEditModel& m) { Select(m, 0, m.eventCount - 1); },
      [](ModelSong& song, StepEditModel& m) {
        s = CurveState{};
        BeginCurve(s, m, song.ctx, kCurveCommandVolume);
      });
  Measure(
      "curve regenerate ST1 (fits)", [](ModelSong& song, StepEditModel& m) { OpenWholeTrackCurve(s, song, m, 2); },
      [](ModelSong&, StepEditModel& m) { RegenerateCurve(s, m); });
  std::printf("stepedit   curve buffer %zu events, overflow %d\n", s.curve.size(), s.overflow ? 1 : 0);
  Measure(
      "curve write-back ST1 (fits)",
      [](ModelSong& song, StepEditModel& m) {
        OpenWholeTrackCurve(s, song, m, 2);
        RegenerateCurve(s, m);
      },
      [](ModelSong& song, StepEditModel& m) {
        last = WriteBackCurve(s, m, song.ctx);
        events = m.eventCount;
      });
  std::printf("stepedit   write-back status %d, track %d events\n", static_cast<int>(last.status), events);
  Measure(
      "curve regen+write-back (refused)",
      [](ModelSong& song, StepEditModel& m) { OpenWholeTrackCurve(s, song, m, 3); },
      [](ModelSong& song, StepEditModel& m) {
        RegenerateCurve(s, m);
        last = WriteBackCurve(s, m, song.ctx);
      });
  std::printf("stepedit   curve buffer %zu events, overflow %d, write-back status %d\n", s.curve.size(),
              s.overflow ? 1 : 0, static_cast<int>(last.status));
  Measure(
      "curve random ST1 (refused)",
      [](ModelSong& song, StepEditModel& m) { OpenWholeTrackCurve(s, song, m, 1, kCurveRandom); },
      [](ModelSong& song, StepEditModel& m) {
        RegenerateCurve(s, m);
        last = WriteBackCurve(s, m, song.ctx);
      });
  std::printf("stepedit   overflow %d, write-back status %d\n", s.overflow ? 1 : 0, static_cast<int>(last.status));
  Measure(
      "curve freehand (whole track)",
      [](ModelSong& song, StepEditModel& m) {
        OpenWholeTrackCurve(s, song, m, 2);
        RegenerateCurve(s, m);
        StartCurveDrag(s, CurvePoint{0, 0, 0});
      },
      [](ModelSong&, StepEditModel&) { events = DrawCurveFreehand(s, CurvePoint{s.width, 90, 90}) ? 1 : 0; });
  std::printf("stepedit   freehand drawn %d, buffer %zu events\n", events, s.curve.size());
}

}  // namespace stepbench
