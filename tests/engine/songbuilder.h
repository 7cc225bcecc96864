// Small songs for the engine core's tests, and an emitter that logs what the
// play buffer builder sends, each entry at its absolute step.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include <zk/song.h>

#include "playbuilder.h"
#include "playemitter.h"
#include "playsong.h"

namespace songbuilder {

inline StepEvent Ev(int code, int vel, int step, int gate) {
  return StepEvent{static_cast<uint8_t>(code), static_cast<uint8_t>(vel), static_cast<uint16_t>(step),
                   static_cast<uint16_t>(gate)};
}
inline StepEvent Note(int key, int vel, int step, int gate) { return Ev(key, vel, step, gate); }
inline StepEvent Cmd(int code, int t, int v, int step = 0) { return Ev(code, v, step, t); }
inline StepEvent Bar() { return Ev(0xFD, 0, 0, 0); }
// Same-measure reference to the measure whose first event is at index.
inline StepEvent Ref(int index) { return Ev(0xFC, 0, 0, index + 48); }
inline StepEvent RepeatStart() { return Ev(0xF9, 0, 0, 0); }
inline StepEvent RepeatEnd(int count) { return Ev(0xF8, 0, count, 0); }
inline StepEvent End() { return EndEvent(); }
// Continuation event with bytes 1-5.
inline StepEvent Cont(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint8_t b5) {
  StepEvent e{};
  uint8_t* p = reinterpret_cast<uint8_t*>(&e);
  p[0] = 0xF7;
  p[1] = b1; p[2] = b2; p[3] = b3; p[4] = b4; p[5] = b5;
  return e;
}

inline SongHeader Header(int timeBase = 480, int tempo = 120, int playBias = 0) {
  SongHeader h{};
  h.timeBase = static_cast<uint16_t>(timeBase);
  h.tempo = static_cast<uint16_t>(tempo);
  h.beatNum = 4;
  h.beatDen = 4;
  h.playBias = static_cast<int8_t>(playBias);
  for (auto& s : h.userExcl) std::memset(s.data, 0xF7, sizeof s.data);
  return h;
}

inline TrackHeader Track(int channel = 0, int keyShift = 0, int stepShift = 0, int mode = 0, int rhythm = 0) {
  TrackHeader t{};
  t.channel = static_cast<uint8_t>(channel);
  t.keyShift = static_cast<uint8_t>(keyShift);
  t.stepShift = static_cast<int8_t>(stepShift);
  t.mode = static_cast<uint8_t>(mode);
  t.rhythm = static_cast<uint8_t>(rhythm);
  return t;
}

struct TrackData {
  TrackHeader header;
  std::vector<StepEvent> events;
};

inline PlaySong Song(const SongHeader& h, const std::vector<TrackData>& tracks) {
  std::vector<TrackHeader> th;
  std::vector<std::vector<StepEvent>> ev;
  for (const auto& t : tracks) {
    th.push_back(t.header);
    ev.push_back(t.events);
  }
  PlaySong s;
  MakePlaySong(h, th, ev, s);
  return s;
}
// One track on channel 0 at 480 and tempo 120.
inline PlaySong OneTrack(const std::vector<StepEvent>& events, const TrackHeader& th = Track()) {
  return Song(Header(), {{th, events}});
}

enum class Kind { Channel, SysEx, Tempo, Mark, SongPos, End };

struct Logged {
  int64_t step;
  Kind kind;
  int channelWord;
  std::vector<int> data;  // channel: status d1 d2; sysex: bytes; tempo: c e tempo; mark: kind value
};

class RecordingEmitter : public PlayEmitter {
 public:
  int64_t now = 0;
  std::vector<Logged> log;

  void Wait(uint32_t steps) override {
    now += steps;
    waits.push_back(steps);
  }
  void Channel(int cw, uint8_t status, uint8_t d1, uint8_t d2) override {
    log.push_back({now, Kind::Channel, cw, {status, d1, d2}});
  }
  void SysEx(int cw, const uint8_t* bytes, size_t n) override {
    log.push_back({now, Kind::SysEx, cw, std::vector<int>(bytes, bytes + n)});
  }
  void Tempo(int c, int e, int tempo) override { log.push_back({now, Kind::Tempo, 0, {c, e, tempo}}); }
  void Mark(int kind, int value) override { log.push_back({now, Kind::Mark, 0, {kind, value}}); }
  void SongPosition(int s) override { log.push_back({now, Kind::SongPos, 0, {s}}); }
  void End() override { log.push_back({now, Kind::End, 0, {}}); }

  std::vector<uint32_t> waits;

  std::vector<Logged> Of(Kind k) const {
    std::vector<Logged> r;
    for (const auto& l : log)
      if (l.kind == k) r.push_back(l);
    return r;
  }
  // Channel messages as {step, status, d1, d2}.
  std::vector<std::vector<int64_t>> Channels() const {
    std::vector<std::vector<int64_t>> r;
    for (const auto& l : log)
      if (l.kind == Kind::Channel) r.push_back({l.step, l.data[0], l.data[1], l.data[2]});
    return r;
  }
  std::vector<std::vector<int>> SysExes() const {
    std::vector<std::vector<int>> r;
    for (const auto& l : log)
      if (l.kind == Kind::SysEx) r.push_back(l.data);
    return r;
  }
  // Values of the marks of one kind.
  std::vector<int> Marks(int kind) const {
    std::vector<int> r;
    for (const auto& l : log)
      if (l.kind == Kind::Mark && l.data[0] == kind) r.push_back(l.data[1]);
    return r;
  }
};

using Msg = std::vector<int64_t>;

// Runs the builder until the end; false when it did not end within maxSteps
// builder steps.
inline bool RunToEnd(PlayBuilder& b, int maxSteps = 1000000) {
  for (int i = 0; i < maxSteps; ++i)
    if (!b.Step()) return true;
  return false;
}

}  // namespace songbuilder
