// The song the note-timing benchmarks play and how its timing is measured:
// four tracks of sixteenth notes for about ten seconds at tempo 120.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "enginehost.h"
#include "vwinmm.h"
#include "zk/song.h"

constexpr int kTimingTracks = 4;

// Track t's events (no end event).
inline std::vector<StepEvent> TimingTrack(int t) {
  std::vector<StepEvent> ev;
  for (int i = 0; i < 80; ++i) ev.push_back({static_cast<uint8_t>(48 + t * 5 + i % 5), 100, 120, 60});
  return ev;
}

struct TimingFigures {
  size_t count = 0;
  double median = 0, p99 = 0, max = 0;
};

inline TimingFigures Figures(std::vector<double> err) {
  TimingFigures f;
  if (err.empty()) return f;
  for (double& x : err) x = x < 0 ? -x : x;
  std::sort(err.begin(), err.end());
  f.count = err.size();
  f.median = err[err.size() / 2];
  f.p99 = err[std::min(err.size() - 1, err.size() * 99 / 100)];
  f.max = err.back();
  return f;
}

inline void Report(const char* what, const TimingFigures& f) {
  if (!f.count) {
    std::printf("%s: nothing played\n", what);
    return;
  }
  std::printf("%s: %zu notes and note-offs, error median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n", what,
              f.count, f.median, f.p99, f.max);
}

// The stream engine's messages against the times their ticks stand for;
// their ticks, in order, for the timer engine's comparison.
inline std::vector<double> StreamErrors(const std::vector<VMidiLogEntry>& log, std::vector<int64_t>* ticks) {
  std::vector<double> err;
  for (const auto& e : log) {
    if (e.kind != kVmStreamShort) continue;
    err.push_back(static_cast<double>(e.wallMicros - e.tickMicros) / 1000.0);
    if (ticks) ticks->push_back(e.tick);
  }
  return err;
}

// The timer engine's short messages against the stream engine's ticks at
// tempo 120, counted from its MIDI Start.
inline std::vector<double> TimerErrors(const std::vector<VMidiLogEntry>& log, const std::vector<int64_t>& ticks) {
  std::vector<double> err;
  int64_t start = -1;
  size_t i = 0;
  for (const auto& e : log) {
    if (e.kind != kVmShort) continue;
    if (start < 0) {
      if (e.message == 0xFA) start = e.wallMicros;
      continue;
    }
    if ((e.message & 0xF0) != 0x90 && (e.message & 0xF0) != 0x80) continue;
    if (i >= ticks.size()) break;
    const double ideal = static_cast<double>(ticks[i++]) * 500000.0 / 480.0;
    err.push_back((static_cast<double>(e.wallMicros - start) - ideal) / 1000.0);
  }
  return err;
}

// The timing song played by one engine through the bare host; the device's
// log of it.
inline std::vector<VMidiLogEntry> PlayTimingSongWithHost(VirtualMidi& vm, const char* engine) {
  EngineHost host("\0", engine);
  if (!host.Loaded() || !host.OpenPorts({0})) {
    std::printf("%s: the engine does not load\n", engine);
    return {};
  }
  SongBlocks s(120, 480);
  for (int t = 0; t < kTimingTracks; ++t) s.AddTrack(TimingTrack(t), static_cast<uint8_t>(t));
  vm.LogClear();
  auto play = host.Fn<int(WINAPI*)(int, int, HGLOBAL, int)>(16);
  play(0, 0, s.MakeTable(), s.TrackCount());
  if (!host.WaitForEnd(60000)) std::printf("%s: no end of play\n", engine);
  auto log = DeviceLog(vm);
  host.Fn<int(WINAPI*)()>(19)();
  host.ClosePorts();
  return log;
}
