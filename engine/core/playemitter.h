// The output hook of the play buffer builder. Each engine writes what the
// builder emits in its own form: stream events, play-event words, or a file.
#pragma once
#include <cstddef>
#include <cstdint>

class PlayEmitter {
 public:
  virtual ~PlayEmitter() = default;
  // Let steps pass before the next event.
  virtual void Wait(uint32_t steps) = 0;
  // A channel message; channelWord is the track's (bits 0-3 channel, 4-5
  // port), status carries the channel already.
  virtual void Channel(int channelWord, uint8_t status, uint8_t data1, uint8_t data2) = 0;
  // A complete System Exclusive message, F0 to F7.
  virtual void SysEx(int channelWord, const uint8_t* bytes, size_t length) = 0;
  // New tempo as the pair (c, e); tempo is the quarter notes per minute
  // that the pair gives.
  virtual void Tempo(int c, int e, int tempo) = 0;
  virtual void Mark(int kind, int value) = 0;
  // Song position pointer in sixteenths, for every port.
  virtual void SongPosition(int sixteenths) = 0;
  virtual void End() = 0;
  // The text of a comment group (0xF6 and its continuations) of a track.
  // Nothing plays it; only a writer of files keeps it.
  virtual void Text(int channelWord, const uint8_t* text, size_t length) {}
};
