// A song of a few tracks in memory and step-editor models attached to them,
// with no window and no open song: what the edit algorithms are tested on.
#pragma once
#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "editmodel.h"
#include "editorblocks.h"
#include "lineindex.h"

namespace modelfixture {

using Events = std::vector<StepEvent>;

inline StepEvent Note(uint8_t key, uint16_t step, uint16_t gate = 10, uint8_t vel = 100) {
  return {key, vel, step, gate};
}
inline StepEvent Ev(uint8_t code, uint8_t vel, uint16_t step, uint16_t gate) { return {code, vel, step, gate}; }
inline StepEvent MeasureEnd() { return {0xFD, 0, 0, 0}; }

// The events with the end event after them.
inline Events Track(std::initializer_list<StepEvent> events) {
  Events e(events);
  e.push_back(EndEvent());
  return e;
}

inline bool SameBytes(const Events& a, const Events& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(StepEvent)) == 0;
}

class ModelSong {
 public:
  ModelSong() {
    std::memset(&handles_, 0, sizeof handles_);
    std::memset(&windows_, 0, sizeof windows_);
    ctx.handles = &handles_;
    ctx.windows = &windows_;
    ctx.shared = &shared;
  }
  ~ModelSong() {
    for (auto& m : models_) {
      if (m) FreeModelBuffers(*m);
    }
    for (int n = 1; n <= kMaxTracks; ++n) {
      if (handles_.h[TrackEventsEntry(n)]) GlobalFree(handles_.h[TrackEventsEntry(n)]);
    }
  }
  ModelSong(const ModelSong&) = delete;
  ModelSong& operator=(const ModelSong&) = delete;

  // Puts events (the end event included) in as track n; full gives the
  // block all 16,373 slots, as the current editor's has, else the events and
  // one spare slot.
  void SetTrack(int n, const Events& events, bool full = true) {
    HGLOBAL& h = handles_.h[TrackEventsEntry(n)];
    if (h) GlobalFree(h);
    const size_t slots = full ? kTrackSlots : events.size() + 1;
    h = GlobalAlloc(kShareableZeroed, slots * sizeof(StepEvent));
    std::memcpy(GlobalLock(h), events.data(), events.size() * sizeof(StepEvent));
    GlobalUnlock(h);
    if (n > ctx.trackCount) ctx.trackCount = n;
  }

  // Opens an editor model on track n (rhythm grid when rhythm is set) and
  // enters it in the context; the first one opened is the current one.
  StepEditModel& Open(int n, bool rhythm = false) {
    auto m = std::make_unique<StepEditModel>();
    std::memset(m.get(), 0, sizeof(StepEditModel));
    AttachModel(*m, ctx, n, rhythm);
    ctx.editors[n - 1] = m.get();
    if (!ctx.current) ctx.current = m.get();
    models_.push_back(std::move(m));
    return *models_.back();
  }

  // Track n's events up to and including its end event (the whole block
  // when it has none).
  Events Read(int n) const {
    HGLOBAL h = handles_.h[TrackEventsEntry(n)];
    Locked block(h);
    const StepEvent* e = block.as<StepEvent>();
    const int slots = SlotsOf(h);
    int count = 0;
    while (count < slots && e[count].code < kEndCode) ++count;
    return Events(e, e + std::min(count + 1, slots));
  }

  HGLOBAL Block(int n) const { return handles_.h[TrackEventsEntry(n)]; }
  uint32_t State(int n) const { return windows_.state[n - 1]; }

  StepSongContext ctx;
  StepSharedState shared;

 private:
  SongHandleTable handles_;
  TrackWindowTable windows_;
  std::vector<std::unique_ptr<StepEditModel>> models_;
};

// A track of n notes of one step each, then the end event.
inline Events NotesTrack(int n, uint16_t step = 120) {
  Events e;
  e.reserve(static_cast<size_t>(n) + 1);
  for (int i = 0; i < n; ++i) e.push_back(Note(static_cast<uint8_t>(48 + i % 24), step, 60));
  e.push_back(EndEvent());
  return e;
}

}  // namespace modelfixture
