// Export of a song to a Standard MIDI File: the song is played through the
// engine core's play buffer builder and what it emits is written as SMF
// events with delta times.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "playsong.h"

// Port number 255: the port's events are not written.
constexpr uint8_t kPortNotWritten = 255;

struct SmfExportOptions {
  int format = 0;                        // 0 or 1
  uint8_t portNumber[4] = {0, 1, 2, 3};  // song ports A-D
  int portMode = 0;                      // PortSW 0-3
  int timeBase = 480;                    // division written
  uint32_t convFlags = 0;                // ExportConvFlags: set bits drop events
};

// kTooLong: the song plays longer than a file can hold (loops of loops);
// nothing is written.
enum class SmfExportStatus { kOk, kNoMemory, kTooLong };

// The longest song an export plays, in song ticks (days of music at any
// tempo): repeats nested five deep could otherwise play for ever.
constexpr int64_t kMaxExportTicks = 0x0FFFFFFF;

// Called after each chunk with the chunks done and the chunk count.
using SmfExportProgress = std::function<void(int done, int total)>;

// Plays song into image (replacing what it held). The song is taken by value:
// its track headers are adjusted for the file's timing.
SmfExportStatus ExportSmf(PlaySong song, const SmfExportOptions& options,
                          std::vector<uint8_t>& image, const SmfExportProgress& progress = {});

// The key signature bytes (sf, mi) for a KeyIndex.
void KeySignatureBytes(uint8_t keyIndex, uint8_t* sf, uint8_t* mi);
// The time signature bytes (nn, dd) for a beat.
void TimeSignatureBytes(int numerator, int denominator, uint8_t* nn, uint8_t* dd);
