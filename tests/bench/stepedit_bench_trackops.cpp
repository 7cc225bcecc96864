// Track table moves on a song of 99 tracks.
#include <cstring>
#include <memory>

#include "stepbench.h"
#include "trackops.h"

namespace stepbench {

namespace {

// A song of full tracks with headers, editors open on the first, middle
// and last track.
class BenchSong : public ModelSong {
 public:
  BenchSong(int tracks, const Events& full) {
    ctx.handles->h[kHeaderEntry] = GlobalAlloc(kShareableZeroed, sizeof(SongHeader));
    for (int n = 1; n <= tracks; ++n) {
      SetTrack(n, full);
      const TrackHeader th = NewTrackHeaderBytes(n, n == 10);
      HGLOBAL h = GlobalAlloc(kShareableZeroed, sizeof th);
      std::memcpy(GlobalLock(h), &th, sizeof th);
      GlobalUnlock(h);
      ctx.handles->h[TrackHeaderEntry(n)] = h;
    }
    for (int n : {1, (tracks + 1) / 2, tracks}) Open(n);
  }
  ~BenchSong() {
    for (int i = 0; i <= kMaxTracks; ++i)
      if (ctx.handles->h[i]) GlobalFree(ctx.handles->h[i]);
  }
};

using TrackOp = std::function<TrackOpResult(BenchSong&)>;

// Times op on a fresh song of the given tracks, kRuns times; the result
// (and the blocks it releases) is dropped outside the timing.
void MeasureTrackOp(const char* what, int tracks, const TrackOp& op,
                    const std::function<void(BenchSong&)>& prepare = nullptr) {
  const Events full = FullTrack();
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    BenchSong song(tracks, full);
    if (prepare) prepare(song);
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    TrackOpResult r = op(song);
    QueryPerformanceCounter(&b);
    if (r.status != EditStatus::Ok) std::printf("stepedit %s: refused (%d)\n", what, static_cast<int>(r.failure));
    times.push_back(Ms(a, b));
  }
  std::sort(times.begin(), times.end());
  std::printf("stepedit %-28s median of %d: %8.3f ms (best %.3f, worst %.3f)\n", what, kRuns,
              times[times.size() / 2], times.front(), times.back());
}

}  // namespace

void BenchTrackOps() {
  // Inserts need room under the 99-track limit: they start from 98 tracks
  // and end with 99.
  MeasureTrackOp("track copy (99)", 99, [](BenchSong& s) {
    TrackClipboard clipboard;
    return CopyTrack(s.ctx, 49, clipboard);
  });
  MeasureTrackOp("track cut 1 (99)", 99, [](BenchSong& s) {
    TrackClipboard clipboard;
    return CutTrack(s.ctx, 0, clipboard);
  });
  MeasureTrackOp("track delete 1 (99)", 99, [](BenchSong& s) { return DeleteTrack(s.ctx, 0); });
  MeasureTrackOp("track move 99 to 1 (99)", 99, [](BenchSong& s) { return MoveTrackTo(s.ctx, 98, 0); });
  TrackClipboard clipboard;
  MeasureTrackOp(
      "track paste at 1 (98)", 98,
      [&clipboard](BenchSong& s) { return InsertTrackAt(s.ctx, 0, clipboard.header(), clipboard.events()); },
      [&clipboard](BenchSong& s) { CopyTrack(s.ctx, 97, clipboard); });
  MeasureTrackOp("track new rhythm at 1 (98)", 98, [](BenchSong& s) { return InsertNewTrack(s.ctx, 0, true); });
  MeasureTrackOp("track copy 1 to 98 (98)", 98, [](BenchSong& s) { return CopyTrackTo(s.ctx, 0, 97); });
}

}  // namespace stepbench
