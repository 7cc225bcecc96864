// Songs the engine tests play, and what they must play.
#pragma once
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include <zk/song.h>

#include "enginehost.h"

inline StepEvent E(uint8_t code, uint8_t vel = 0, uint16_t step = 0, uint16_t gate = 0) {
  return StepEvent{code, vel, step, gate};
}

constexpr uint32_t M(int status, int d1, int d2 = 0) {
  return static_cast<uint32_t>(status | d1 << 8 | d2 << 16);
}

using TickMsg = std::pair<int64_t, uint32_t>;
using Bytes = std::vector<uint8_t>;

// One song with every kind of event the walker turns into messages.
inline void AddEverythingTracks(SongBlocks& s) {
  s.Header().playBias = 2;
  const uint8_t tmpl[] = {0x41, 0x10, 0x42, 0x12, 0x83, 0x40, 0x00, 0x80, 0x81, 0x84};
  std::memcpy(s.Header().userExcl[0].data, tmpl, sizeof tmpl);
  // Track 1: rhythm track (not transposed), loops and a same-measure reference.
  s.AddTrack({E(0xE1, 1, 0, 5), E(0xEB, 100, 0, 7), E(0xEE, 0x50, 0, 0), E(0xEA, 0, 0, 40),
              E(0xED, 30, 0, 60), E(60, 100, 480, 240), E(0xFD),
              E(0xF9), E(62, 90, 240, 100), E(0xF8, 0, 2), E(0xFD),
              E(0xFC, 0, 0, 48),
              E(0xE6, 0, 0, 2), E(64, 80, 120, 60)},
             0, 0, 0, 0, 0x80);
  // Track 2: bias and key shift, exclusives, bank, program, channel change.
  s.AddTrack({E(60, 127, 0, 60), E(125, 64, 120, 60),
              E(0x90, 0x34, 0, 0x12), E(0x98), StepEvent{0xF7, 0x43, 0x4C10, 0}, StepEvent{0xF7, 0x7E, 0xF700, 0},
              E(0xDD, 0x01, 0, 0x40), E(0xDE, 0x05, 0, 0x30), E(0xC0, 0x22, 0, 0x105), E(0xD1, 0x22, 120, 0x11),
              E(0xEB, 127, 0, 64), E(0xEC, 0, 0, 0x30), E(0xE2, 3, 0, 0x31), E(0xE1, 128, 0, 0x10),
              E(0xE6, 0, 0, 4), E(48, 100, 120, 30)},
             2, 0, 12);
  s.AddTrack({E(60, 100, 0, 100), E(0xEB, 0, 0, 7), E(0xE6, 0, 0, 5), E(61, 100, 100, 50)}, 0, 1);  // muted
  s.AddTrack({E(60, 100, 100, 50)}, 0xF0);                                                         // off
  s.AddTrack({E(0xE7, 0, 960, 128), E(0xE7, 0, 0, 64)});                                            // tempo
}

// What it plays on port A: (tick, message).
inline std::vector<TickMsg> EverythingShorts() {
  return {
      {1, M(0xB0, 0, 0)},      {1, M(0xB0, 32, 1)},     {1, M(0xC0, 5)},         {1, M(0xB0, 7, 100)},
      {1, M(0xE0, 0, 0x50)},   {1, M(0xD0, 40)},        {1, M(0xA0, 60, 30)},    {1, M(0x90, 60, 100)},
      {1, M(0x92, 74, 127)},   {1, M(0x92, 127, 64)},
      {61, M(0x92, 74, 0)},    {61, M(0x92, 127, 0)},
      {241, M(0x90, 60, 0)},
      {241, M(0xB2, 64, 127)}, {241, M(0xC2, 0x30)},    {241, M(0xB2, 0, 3)},    {241, M(0xB2, 32, 0)},
      {241, M(0xC2, 0x31)},    {241, M(0xB2, 64, 0)},   {241, M(0xB2, 1, 0)},    {241, M(0x93, 62, 100)},
      {271, M(0x93, 62, 0)},
      {481, M(0x90, 62, 90)},  {581, M(0x90, 62, 0)},
      {721, M(0x90, 62, 90)},  {821, M(0x90, 62, 0)},
      {961, M(0xB0, 0, 0)},    {961, M(0xB0, 32, 1)},   {961, M(0xC0, 5)},       {961, M(0xB0, 7, 100)},
      {961, M(0xE0, 0, 0x50)}, {961, M(0xD0, 40)},      {961, M(0xA0, 60, 30)},  {961, M(0x90, 60, 100)},
      {1201, M(0x90, 60, 0)},
      {1441, M(0xE0, 0, 0x40)}, {1441, M(0xB0, 1, 0)},  {1441, M(0x91, 64, 80)},
      {1501, M(0x91, 64, 0)},
  };
}

inline std::vector<std::pair<int64_t, Bytes>> EverythingLongs() {
  return {
      {121, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x12, 0x34, 0x7A, 0xF7}},
      {121, {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}},
      {121, {0xF0, 0x41, 0x10, 0x16, 0x12, 0x40, 0x01, 0x30, 0x05, 0x0A, 0xF7}},
      {121, {0xF0, 0x43, 0x12, 0x0A, 0x05, 0x22, 0xF7}},
      {121, {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x11, 0x22, 0x4D, 0xF7}},
  };
}

// Tempo changes: (tick, microseconds per quarter).
inline std::vector<TickMsg> EverythingTempos() {
  return {{0, 500000}, {1, 250000}, {961, 500000}, {1441, 500000}};
}

// Milliseconds from the song start to a tick of a song at 480 to the
// quarter with the given tempo changes (tick, microseconds per quarter).
inline double TickMs(int64_t tick, const std::vector<TickMsg>& tempos) {
  double ms = 0;
  int64_t at = 0;
  uint32_t us = 500000;
  for (const auto& t : tempos) {
    if (t.first >= tick) break;
    ms += (t.first - at) * us / 480000.0;
    at = t.first;
    us = t.second;
  }
  return ms + (tick - at) * us / 480000.0;
}

// Sixty-four beats, one note each with its own key.
inline SongBlocks* BeatSong(SongBlocks& s) {
  std::vector<StepEvent> ev;
  for (int b = 0; b < 64; ++b) ev.push_back(E(static_cast<uint8_t>(40 + b), 100, 480, 100));
  s.AddTrack(ev);
  return &s;
}

