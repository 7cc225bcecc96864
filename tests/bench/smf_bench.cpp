// Benchmark of the Standard MIDI File filter (not a test). Imports a format-1
// file made here of 32 tracks of 15,000 notes each (time base 480, every
// status byte written), five times, and reports the median; the file is
// written to the path given as the first argument so that scripts/bench.sh
// times midicsv on the same file in the same run; then the same file with
// its chunks merged by channel. Then imports a 5 MB file of notes,
// controllers and bends and exports that song in both formats, reporting
// MB/s.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "playsong.h"
#include "smfexport.h"
#include "smfimport.h"
#include "smfwriter.h"

namespace {

constexpr int kRuns = 5;

// A conductor chunk, then 32 tracks of 15,000 notes: channels 1-16 on port A,
// then again on port B; gates of 30-110 ticks on a 120-tick grid, so that a
// song track holds every note.
constexpr int kNoteTracks = 32;
constexpr int kNotesPerTrack = 15000;

std::vector<uint8_t> MakeNotesFile() {
  std::vector<uint8_t> image;
  SmfWriter w(image);
  w.Header(1, kNoteTracks + 1, 480);
  w.BeginTrack();
  const uint8_t tempo[] = {0x07, 0xA1, 0x20};
  w.Meta(0, 0x51, tempo, 3);
  const uint8_t beat[] = {4, 2, 24, 8};
  w.Meta(0, 0x58, beat, 4);
  w.EndTrack(0);
  for (int t = 0; t < kNoteTracks; ++t) {
    w.BeginTrack();
    const uint8_t port[] = {static_cast<uint8_t>(t / 16)};
    w.Meta(0, 0x21, port, 1);
    uint8_t ch = static_cast<uint8_t>(t % 16);
    uint32_t rest = 0;
    for (int i = 0; i < kNotesPerTrack; ++i) {
      uint8_t key = static_cast<uint8_t>(36 + (i * 7 + t) % 60);
      uint8_t vel = static_cast<uint8_t>(40 + (i * 13 + t) % 80);
      uint32_t gate = 30 + static_cast<uint32_t>((i * 11 + t) % 81);
      w.Channel(rest, 0x90 | ch, key, vel);
      w.Channel(gate, 0x80 | ch, key, 64);
      rest = 120 - gate;
    }
    w.EndTrack(rest);
  }
  return image;
}

constexpr size_t kTargetBytes = 5 * 1024 * 1024;
constexpr int kTracks = 16;

// Sixteen tracks of notes, controllers and bends on their own channels.
std::vector<uint8_t> MakeMixedFile() {
  std::vector<uint8_t> image;
  SmfWriter w(image);
  w.Header(1, kTracks + 1, 480);
  w.BeginTrack();
  const uint8_t tempo[] = {0x07, 0xA1, 0x20};
  w.Meta(0, 0x51, tempo, 3);
  w.EndTrack(0);
  size_t perTrack = (kTargetBytes - image.size()) / kTracks;
  for (int t = 0; t < kTracks; ++t) {
    size_t start = image.size();
    w.BeginTrack();
    uint8_t ch = static_cast<uint8_t>(t);
    uint32_t i = 0;
    while (image.size() - start + 16 < perTrack) {
      uint8_t key = static_cast<uint8_t>(36 + (i * 7 + t) % 60);
      if (i % 16 == 0) w.Channel(0, 0xB0 | ch, 7, static_cast<uint8_t>(i % 128));
      if (i % 32 == 0) w.Channel(0, 0xE0 | ch, 0, static_cast<uint8_t>(64 + i % 8));
      w.Channel(0, 0x90 | ch, key, 100);
      w.Channel(110, 0x90 | ch, key, 0);
      w.Channel(10, 0xA0 | ch, key, 0);
      ++i;
    }
    w.EndTrack(0);
  }
  return image;
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double MB(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Median of kRuns imports of file; r receives the last one's result.
double TimeImport(const std::vector<uint8_t>& file, SmfImportResult& r,
                  const SmfImportOptions& options = {}) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    double t0 = Now();
    r = ImportSmf(file.data(), file.size(), options);
    times.push_back(Now() - t0);
  }
  return Median(times);
}

size_t SongEvents(const SmfImportResult& r) {
  size_t events = 0;
  for (const auto& t : r.tracks) events += t.events.size();
  return events;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<uint8_t> notes = MakeNotesFile();
  if (argc > 1) {
    FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(notes.data(), 1, notes.size(), f) != notes.size()) {
      std::fprintf(stderr, "smf_bench: cannot write %s\n", argv[1]);
      return 1;
    }
    std::fclose(f);
  }
  SmfImportResult r;
  double median = TimeImport(notes, r);
  std::printf("SMF filter benchmark: %.2f MB format-1 file, %d tracks of %d notes\n",
              MB(notes.size()), kNoteTracks, kNotesPerTrack);
  std::printf("import: median of %d %.4f s, %.1f MB/s (%zu song events in %zu tracks)\n", kRuns,
              median, MB(notes.size()) / median, SongEvents(r), r.tracks.size());
  // The line scripts/bench.sh reads.
  std::printf("smf_import_median_s=%.6f\n", median);
  // The same file with its chunks merged by port and channel, as a format-0
  // file is read.
  SmfImportOptions merged;
  merged.format1Mix = 0;
  median = TimeImport(notes, r, merged);
  std::printf("import, chunks merged: median of %d %.4f s, %.1f MB/s (%zu song events in %zu tracks)\n",
              kRuns, median, MB(notes.size()) / median, SongEvents(r), r.tracks.size());

  std::vector<uint8_t> file = MakeMixedFile();
  median = TimeImport(file, r);
  std::printf("mixed %.2f MB format-1 file, %d tracks: import median %.4f s, %.1f MB/s "
              "(%zu song events in %zu tracks; a track holds at most 16,370)\n",
              MB(file.size()), kTracks, median, MB(file.size()) / median, SongEvents(r),
              r.tracks.size());

  PlaySong song;
  {
    SongHeader h;
    std::memset(&h, 0, sizeof h);
    h.timeBase = r.timeBase;
    h.tempo = r.tempo;
    h.beatNum = r.beatNum;
    h.beatDen = r.beatDen;
    std::vector<TrackHeader> headers;
    std::vector<std::vector<StepEvent>> blocks;
    for (const auto& t : r.tracks) {
      headers.push_back(t.header);
      blocks.push_back(t.events);
    }
    h.trackCount = static_cast<uint16_t>(headers.size());
    MakePlaySong(h, headers, blocks, song);
  }
  for (int format : {0, 1}) {
    SmfExportOptions o;
    o.format = format;
    std::vector<uint8_t> out;
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
      double t0 = Now();
      ExportSmf(song, o, out);
      times.push_back(Now() - t0);
    }
    median = Median(times);
    std::printf("export format %d: median %.4f s, %.1f MB/s of file written (%.2f MB), %.1f MB/s of the source file\n",
                format, median, MB(out.size()) / median, MB(out.size()), MB(file.size()) / median);
  }
  return 0;
}
