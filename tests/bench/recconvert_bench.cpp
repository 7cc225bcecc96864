// Benchmark of the recording's conversion (not a test): a full record buffer
// converted and merged into the open song's record tracks, reporting recorded
// messages a second and the time of each case.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "recconvert.h"
#include "songmodel.h"
#include "testsupport.h"
#include "trackmerge.h"
#include "zk/playdata.h"

namespace {

constexpr int kFullWords = 32500;
constexpr int kRuns = 5;

// Dense notes and controllers on all 16 channels, a couple of ticks apart.
std::vector<uint16_t> DenseBuffer() {
  std::vector<uint16_t> a(kRecordBufferWords, kPwEndFill);
  int at = 0;
  auto put = [&](uint16_t w) {
    if (at < kFullWords) a[at++] = w;
  };
  for (int i = 0; at + 9 <= kFullWords; ++i) {
    const uint16_t ch = static_cast<uint16_t>(i % 16);
    const uint16_t key = static_cast<uint16_t>(36 + (i * 7) % 60);
    put(0x9000 | ch);
    put(static_cast<uint16_t>(key << 8 | 100));
    put(0xE802);
    put(0xB000 | ch);
    put(static_cast<uint16_t>(7 << 8 | (i % 128)));
    put(0xE802);
    put(0x8000 | ch);
    put(static_cast<uint16_t>(key << 8 | 64));
    put(0xE801);
  }
  return a;
}

// Note-ons that never end: every held note goes on at every chunk.
std::vector<uint16_t> HeldNotesBuffer() {
  std::vector<uint16_t> a(kRecordBufferWords, kPwEndFill);
  int at = 0;
  for (int i = 0; at + 3 <= kFullWords; ++i) {
    a[at++] = static_cast<uint16_t>(0x9000 | (i % 16));
    a[at++] = static_cast<uint16_t>((i % 128) << 8 | 100);
    a[at++] = 0xE801;
  }
  return a;
}

void SetTrack(int n, uint8_t channel, uint8_t mode) {
  HGLOBAL h = SongEntry(TrackHeaderEntry(n));
  auto* th = static_cast<TrackHeader*>(GlobalLock(h));
  th->channel = channel;
  th->mode = mode;
  GlobalUnlock(h);
  ReplaceTrackEvents(n, {EndEvent()});
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

void Run(const char* name, const std::vector<uint16_t>& a, int recordTracks) {
  const std::vector<uint16_t> b(kRecordBufferWords, kPwEndFill);
  const int messages = ScanRecordLength(RecordBufferStream(a.data(), b.data())).messages;
  double best = 1e9;
  RecordConversion last;
  for (int run = 0; run < kRuns; ++run) {
    for (int n = 1; n <= g_song.trackCount; ++n)
      SetTrack(n, static_cast<uint8_t>((n - 1) % 16), n <= recordTracks ? 0x04 : 0);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    last = ConvertRecordingIntoSong(a.data(), b.data(), RecordTake{});
    QueryPerformanceCounter(&t1);
    best = std::min(best, Seconds(t0, t1));
  }
  int merged = 0;
  for (const RecordTrackResult& r : last.results) merged += r.result == kMergeOk;
  std::printf("%-34s %6d messages  %2d tracks (%2d merged%s)  %8.2f ms  %10.0f messages/s\n", name, messages,
              recordTracks, merged, last.tooBig ? ", too big" : "", best * 1000, messages / best);
}

}  // namespace

int main() {
  TestFrame frame;
  if (!NewSong(frame.hwnd())) {
    std::printf("recconvert_bench: no song\n");
    return 1;
  }
  std::printf("recording conversion, time base 480, best of %d runs, merge included\n", kRuns);
  const std::vector<uint16_t> dense = DenseBuffer();
  Run("full buffer into one track", dense, 1);
  Run("full buffer into 16 tracks", dense, 16);
  Run("note-ons without note-offs", HeldNotesBuffer(), 1);
  return 0;
}
