// Import of a Standard MIDI File image (format 0 or 1) into song tracks. The
// song has no note-off and one channel per track: each song track is built
// by one pass over the merged track chunks that keeps that track's events,
// converts times to the song's time base and writes bar lines, rests and
// tied continuations so that every measure is complete. Channel events and
// exclusives past what a song track can hold are not kept. Pure: no window,
// no memory handle.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "zk/song.h"

// Import flags (ImportConvFlags | ImportConvFlags2 << 8): a clear bit drops
// that kind of event.
constexpr uint16_t kImportChannelPressure = 0x0001;
constexpr uint16_t kImportControlChange = 0x0002;
constexpr uint16_t kImportProgramChange = 0x0004;
constexpr uint16_t kImportKeyPressure = 0x0008;
constexpr uint16_t kImportPitchBend = 0x0010;
constexpr uint16_t kImportTempo = 0x0040;
constexpr uint16_t kImportNotes = 0x0100;
constexpr uint16_t kImportTexts = 0x0200;

// Most tied continuations pending at once in one track.
constexpr size_t kImportMaxPendingTies = 128;

struct SmfImportOptions {
  uint16_t flags = 0xFFFF;
  int format1Mix = 1;             // nonzero: one song track per track chunk
  bool keepFileTimeBase = false;  // the song takes the file's division
  int maxTrack = 36;              // most song tracks filled
  int portMode = 0;               // how FF 21 values map to ports (PortSW)
  uint16_t songTimeBase = 480;
  // Called every 101 merge steps, and after each pass with (done, total).
  std::function<void()> yield;
  std::function<void(int done, int total)> progress;
};

// What a damaged or oversized file lost, for the message after the import.
struct SmfImportReport {
  bool truncated = false;       // a chunk or event ran past its end
  int missingTracks = 0;        // announced track chunks not in the image
  bool tooManyChunks = false;   // chunks beyond 512 were not read
  bool zeroDivision = false;    // division 0 read as 480
  bool timeBaseFallback = false;  // the file's division cannot be the song's
  bool zeroTempo = false;       // tempo events of 0 were dropped
  bool badTimeSignature = false;  // unusable time signatures were dropped
  bool tiesDropped = false;     // more than 128 ties pending at once
  bool badPort = false;         // port events out of range were ignored
  bool badBytes = false;        // bytes that made no event, overlong numbers
  bool trackLimit = false;      // more song tracks than maxTrack
  std::vector<int> fullTracks;  // song tracks cut at the event limit

  bool Damaged() const {
    return truncated || missingTracks || tooManyChunks || zeroDivision || timeBaseFallback ||
           zeroTempo || badTimeSignature || tiesDropped || badPort || badBytes;
  }
};

// kNoMemory: memory ran out, nothing is read.
enum class SmfImportStatus { kOk, kNotSmf, kBadLength, kBadFormat, kNoTracks, kNoMemory };

struct SmfImportTrack {
  TrackHeader header;             // number, channel byte, comment; size 0
  std::vector<StepEvent> events;  // the end event last
};

struct SmfImportResult {
  SmfImportStatus status = SmfImportStatus::kNotSmf;
  uint16_t timeBase = 480;
  uint16_t tempo = 120;
  uint8_t beatNum = 4;
  uint8_t beatDen = 4;
  bool keySeen = false;
  uint8_t key = 0;                // KeyIndex
  bool titleSeen = false;
  char title[64] = {};            // blank-padded
  bool memoSeen = false;
  char memo[360] = {};            // blank-padded
  std::vector<SmfImportTrack> tracks;  // song tracks 1..n
  SmfImportReport report;
};

SmfImportResult ImportSmf(const uint8_t* image, size_t size, const SmfImportOptions& options);

// The port an FF 21 value selects in a port mode: 0-3, kImportMutedPort, or
// -1 when the value leaves the current port as it is.
constexpr int kImportMutedPort = 15;
int ImportPortOf(int portMode, int value);
