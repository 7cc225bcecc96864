// Engine benchmark (not a test): the play buffer builder's throughput and
// the timing of played notes through the stream and timer engines and the
// virtual device. Run with the device's clock at real time: scripts/bench.sh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "benchruns.h"
#include "enginehost.h"
#include "playbuilder.h"
#include "timingsong.h"

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

class CountingEmitter : public PlayEmitter {
 public:
  void Wait(uint32_t) override {}
  void Channel(int, uint8_t, uint8_t, uint8_t) override { ++events; }
  void SysEx(int, const uint8_t*, size_t) override { ++events; }
  void Tempo(int, int, int) override { ++events; }
  void Mark(int, int) override {}
  void SongPosition(int) override {}
  void End() override {}
  long long events = 0;
};

// 36 tracks of 16,000 events: notes with measure ends and controllers.
void Throughput() {
  SongHeader header{};
  header.timeBase = 480;
  header.tempo = 120;
  for (auto& slot : header.userExcl) std::memset(slot.data, 0xF7, sizeof slot.data);
  std::vector<TrackHeader> tracks(36);
  std::vector<std::vector<StepEvent>> events(36);
  for (int t = 0; t < 36; ++t) {
    tracks[t].channel = static_cast<uint8_t>(t % 16 | (t / 16 % 2) << 4);
    auto& ev = events[t];
    for (int i = 0; i < 16000; ++i) {
      if (i % 17 == 16) ev.push_back({0xFD, 0, 0, 0});
      else if (i % 17 == 8) ev.push_back({0xEB, static_cast<uint8_t>(i % 128), 0, 7});
      else ev.push_back({static_cast<uint8_t>(36 + (i * 7 + t) % 60), 100, 120, 100});
    }
  }
  PlaySong song;
  MakePlaySong(header, tracks, events, song);
  long long stepEvents = 0;
  for (const auto& ev : song.events) stepEvents += static_cast<long long>(ev.size());
  CountingEmitter out;
  PlayBuilder b;
  LARGE_INTEGER t0, t1, t2;
  QueryPerformanceCounter(&t0);
  b.Prepare(song, BuilderOptions{}, nullptr);
  QueryPerformanceCounter(&t1);
  b.SetEmitter(&out);
  while (b.Step()) {
  }
  QueryPerformanceCounter(&t2);
  double build = Seconds(t1, t2);
  std::printf("builder: %lld step events -> %lld play events in %.3f s (preparation %.3f s)\n", stepEvents,
              out.events, build, Seconds(t0, t1));
  std::printf("builder: %.0f step events per second\n", static_cast<double>(stepEvents) / build);
}

// The stream engine's notes against the ideal times of their ticks; the
// timer engine's, played in the same order, against the same ticks at
// tempo 120 from its MIDI Start. Each engine plays in turn, runs times, and
// is reported by the median of its runs' figures.
void Timing(int runs) {
  VirtualMidi vm;
  if (!vm.Bind()) {
    std::printf("timing: the virtual device is not loaded\n");
    return;
  }
  std::vector<TimingFigures> stream, timer;
  for (int i = 0; i < runs; ++i) {
    std::vector<int64_t> ticks;
    stream.push_back(Figures(StreamErrors(PlayTimingSongWithHost(vm, "zkpoly"), &ticks)));
    timer.push_back(Figures(TimerErrors(PlayTimingSongWithHost(vm, "zkmme"), ticks)));
    std::printf("run %d of %d:\n", i + 1, runs);
    Report("  timing, stream engine", stream.back());
    Report("  timing, timer engine", timer.back());
  }
  ReportRuns("timing, stream engine", stream);
  ReportRuns("timing, timer engine", timer);
}

}  // namespace

// engine_bench [timing runs]
int main(int argc, char** argv) {
  Throughput();
  Timing(argc > 1 ? std::max(1, std::atoi(argv[1])) : 5);
  return 0;
}
