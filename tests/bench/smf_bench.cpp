// Benchmark of the Standard MIDI File filter (not a test): imports a 5 MB
// format-1 file made here and exports the song in both formats, reporting
// MB/s. The file is written to the path given as the first argument, so
// that scripts/bench.sh can time other readers on the same file.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "playsong.h"
#include "smfexport.h"
#include "smfimport.h"
#include "smfwriter.h"

namespace {

constexpr size_t kTargetBytes = 5 * 1024 * 1024;
constexpr int kTracks = 16;

// Sixteen tracks of notes, controllers and bends on their own channels.
std::vector<uint8_t> MakeFile() {
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

}  // namespace

int main(int argc, char** argv) {
  std::vector<uint8_t> file = MakeFile();
  if (argc > 1) {
    if (FILE* f = std::fopen(argv[1], "wb")) {
      std::fwrite(file.data(), 1, file.size(), f);
      std::fclose(f);
    }
  }
  std::printf("SMF filter benchmark: %.2f MB format-1 file, %d tracks\n", MB(file.size()), kTracks);

  double best = 1e9;
  SmfImportResult r;
  for (int run = 0; run < 3; ++run) {
    double t0 = Now();
    r = ImportSmf(file.data(), file.size(), SmfImportOptions{});
    best = std::min(best, Now() - t0);
  }
  size_t events = 0;
  for (const auto& t : r.tracks) events += t.events.size();
  std::printf("import: %.3f s, %.1f MB/s (%zu song events in %zu tracks; a track holds at most 16,370)\n",
              best, MB(file.size()) / best, events, r.tracks.size());

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
    best = 1e9;
    for (int run = 0; run < 3; ++run) {
      double t0 = Now();
      ExportSmf(song, o, out);
      best = std::min(best, Now() - t0);
    }
    std::printf("export format %d: %.3f s, %.1f MB/s of file written (%.2f MB), %.1f MB/s of the source file\n",
                format, best, MB(out.size()) / best, MB(out.size()), MB(file.size()) / best);
  }
  return 0;
}
