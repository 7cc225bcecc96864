// Sort, stroke and slide on a full track.
#include <cstdio>

#include "slide.h"
#include "sortstroke.h"
#include "stepblocks.h"
#include "stepbench.h"

namespace stepbench {

namespace {

void Check(const EditResult& r, const char* what) {
  if (r.status != EditStatus::Ok) std::printf("stepedit %s: not done (status %d)\n", what, static_cast<int>(r.status));
}

// Room for the rests a slide leaves after measure ends: the last events go.
void MakeRoom(ModelSong& song, StepEditModel& m, int32_t events) {
  Select(m, kMaxTrackEvents - events, kMaxTrackEvents - 1);
  Check(DeleteStepSelection(m, song.ctx), "make room");
}

}  // namespace

void BenchSortStrokeSlide() {
  static const char* const kSortNames[] = {"sort note up", "sort note down", "sort gate up", "sort gate down",
                                           "sort vel up",  "sort vel down",  "sort random"};
  for (int command = kCmdSortNoteUp; command <= kCmdSortRandom; ++command) {
    const char* name = kSortNames[command - kCmdSortNoteUp];
    Measure(
        name, [](ModelSong&, StepEditModel& m) { Select(m, 0, kMaxTrackEvents - 1); },
        [command, name](ModelSong& song, StepEditModel& m) {
          Check(SortStepSelection(m, song.ctx, command, SeededSortRandom(12345)), name);
        });
  }
  // A generator of the caller's own: every number is a call.
  Measure(
      "sort random, other generator", [](ModelSong&, StepEditModel& m) { Select(m, 0, kMaxTrackEvents - 1); },
      [](ModelSong& song, StepEditModel& m) {
        uint32_t state = 12345;
        Check(SortStepSelection(m, song.ctx, kCmdSortRandom,
                                [&state] { return state = state * 1103515245u + 12345u, state >> 16; }),
              "sort random, other generator");
      });

  // The last step of a stroke over 3,000 events passes 16 bits and goes on
  // in a few rests.
  auto strokeRange = [](ModelSong& song, StepEditModel& m) {
    MakeRoom(song, m, 100);
    Select(m, 5000, 7999);
  };
  Measure("stroke 3000 events", strokeRange, [](ModelSong& song, StepEditModel& m) {
    Check(StrokeStepSelection(m, song.ctx, 10, 30, false), "stroke");
  });
  Measure("stroke 3000 width as step", strokeRange, [](ModelSong& song, StepEditModel& m) {
    Check(StrokeStepSelection(m, song.ctx, 10, 30, true), "stroke");
  });

  const EventFilter notes{kFilterNotes, 0, 127};
  for (const int32_t bias : {60, -60}) {
    Measure(
        bias > 0 ? "slide notes +60" : "slide notes -60",
        [](ModelSong& song, StepEditModel& m) {
          MakeRoom(song, m, 2000);
          Select(m, 100, 14000);
        },
        [bias, notes](ModelSong& song, StepEditModel& m) { Check(SlideStepRange(m, song.ctx, bias, notes), "slide"); });
  }
}

}  // namespace stepbench
