#include "smfexport.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "playbuilder.h"
#include "smfwriter.h"

namespace {

// The export's drop bits are the builder's filter bits.
constexpr uint32_t kExportFilterBits = kFilterBend | kFilterProgram | kFilterControl |
                                       kFilterChannelPressure | kFilterKeyPressure |
                                       kFilterExclusive;

constexpr uint32_t kMaxTempoMicros = 0xFFFFFF;

uint32_t MicrosPerQuarter(int tempo) {
  if (tempo <= 0) tempo = 120;
  return std::min<uint32_t>(60000000u / static_cast<uint32_t>(tempo), kMaxTempoMicros);
}

// What one playing writes into its chunk.
struct ChunkContent {
  bool channelEvents = true;  // notes, controllers, exclusives
  bool tempoEvents = true;
};

// Receives one playing from the builder and writes it into the open chunk.
class SmfChunkEmitter : public PlayEmitter {
 public:
  SmfChunkEmitter(SmfWriter& w, const SmfExportOptions& o, int songTimeBase,
                  ChunkContent content, uint32_t* lastTempo)
      : w_(w), o_(o), songTimeBase_(songTimeBase > 0 ? songTimeBase : 480),
        exportTimeBase_(o.timeBase > 0 ? o.timeBase : 480), content_(content),
        lastTempo_(lastTempo) {}

  // Sets the current port value and writes its port event (format-1 start).
  void StartPort(int value) {
    port_ = value;
    PortEvent();
  }

  void Wait(uint32_t steps) override { pending_ += static_cast<uint64_t>(steps) * exportTimeBase_; }

  void Channel(int channelWord, uint8_t status, uint8_t data1, uint8_t data2) override {
    int port;
    if (!content_.channelEvents || !PortWritten(channelWord, &port)) return;
    PortCheck(port);
    w_.Channel(TakeDelta(), status, data1, data2);
  }

  void SysEx(int channelWord, const uint8_t* bytes, size_t length) override {
    int port;
    if (!content_.channelEvents || length < 2 || !PortWritten(channelWord, &port)) return;
    PortCheck(port);
    w_.SysEx(TakeDelta(), bytes, length);
  }

  // Comments become text events.
  void Text(int channelWord, const uint8_t* text, size_t length) override {
    int port;
    if (!content_.channelEvents || !PortWritten(channelWord, &port)) return;
    PortCheck(port);
    w_.Meta(TakeDelta(), 0x01, text, length);
  }

  void Tempo(int, int, int tempo) override {
    if (!content_.tempoEvents) return;
    uint32_t micros = MicrosPerQuarter(tempo);
    if (micros == *lastTempo_) return;
    *lastTempo_ = micros;
    const uint8_t data[] = {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                            static_cast<uint8_t>(micros)};
    w_.Meta(TakeDelta(), 0x51, data, 3);
  }

  void Mark(int, int) override {}
  void SongPosition(int) override {}
  void End() override {}

  uint64_t TakeDelta() {
    // Song ticks become export ticks exactly; the remainder waits for the
    // next event, so no time is lost whatever the two time bases are.
    uint64_t d = pending_ / songTimeBase_;
    pending_ %= songTimeBase_;
    return d;
  }

 private:
  // A port outside A-D has no number to write: its events are left out.
  bool PortWritten(int channelWord, int* port) const {
    int p = (channelWord & 0xFF) >> 4;
    if (p > 3 || o_.portNumber[p] == kPortNotWritten) return false;
    *port = p;
    return true;
  }

  void PortCheck(int port) {
    if (port == port_) return;
    port_ = port;
    PortEvent();
  }

  void PortEvent() {
    uint8_t value;
    switch (o_.portMode) {
      case 3: return;
      case 1: value = static_cast<uint8_t>(port_ + 1); break;
      case 2: value = port_ < 0 ? 3 : static_cast<uint8_t>(port_ & 1); break;
      default: value = static_cast<uint8_t>(port_); break;  // -1 gives 0xFF
    }
    w_.Meta(TakeDelta(), 0x21, &value, 1);
  }

  SmfWriter& w_;
  const SmfExportOptions& o_;
  uint64_t songTimeBase_;
  uint64_t exportTimeBase_;
  ChunkContent content_;
  uint32_t* lastTempo_;
  uint64_t pending_ = 0;  // song ticks x export time base
  int port_ = -1;
};

void WriteConductorMetas(SmfWriter& w, const SongHeader& h, uint32_t* lastTempo) {
  w.Meta(0, 0x03, reinterpret_cast<const uint8_t*>(h.title), sizeof h.title);
  uint32_t micros = MicrosPerQuarter(h.tempo);
  *lastTempo = micros;
  const uint8_t tempo[] = {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                           static_cast<uint8_t>(micros)};
  w.Meta(0, 0x51, tempo, 3);
  uint8_t key[2];
  KeySignatureBytes(h.key, &key[0], &key[1]);
  w.Meta(0, 0x59, key, 2);
  uint8_t beat[4] = {0, 0, 24, 8};
  TimeSignatureBytes(h.beatNum, h.beatDen, &beat[0], &beat[1]);
  w.Meta(0, 0x58, beat, 4);
}

// False when the song runs past kMaxExportTicks.
bool Play(PlayBuilder& b, SmfChunkEmitter& e, SmfWriter& w) {
  b.SetEmitter(&e);
  bool whole = true;
  while (b.Step()) {
    if (b.Now() > kMaxExportTicks) {
      whole = false;
      break;
    }
  }
  b.SetEmitter(nullptr);
  w.EndTrack(e.TakeDelta());
  return whole;
}

SmfExportStatus TooLong(std::vector<uint8_t>& image) {
  image.clear();
  image.shrink_to_fit();
  return SmfExportStatus::kTooLong;
}

}  // namespace

void KeySignatureBytes(uint8_t keyIndex, uint8_t* sf, uint8_t* mi) {
  int count = keyIndex & kKeyAccidentalsMask;
  // A flats key without accidentals is C: -0 is 0, a valid signature.
  *sf = static_cast<uint8_t>((keyIndex & kKeyFlats) ? -count : count);
  *mi = (keyIndex & kKeyMinor) ? 1 : 0;
}

void TimeSignatureBytes(int numerator, int denominator, uint8_t* nn, uint8_t* dd) {
  // A beat of 0 has no meaning in a file: 4 stands in for it.
  *nn = static_cast<uint8_t>(numerator > 0 ? numerator : 4);
  int d = denominator > 0 ? denominator : 4;
  int halvings = 0;
  while (d > 1) {
    d >>= 1;
    ++halvings;
  }
  *dd = static_cast<uint8_t>(halvings);
}

SmfExportStatus ExportSmf(PlaySong song, const SmfExportOptions& options,
                          std::vector<uint8_t>& image, const SmfExportProgress& progress) {
  image.clear();
  SmfExportOptions o = options;
  if (o.format != 1) o.format = 0;
  if (o.timeBase <= 0 || o.timeBase > 0x7FFF) o.timeBase = 480;
  if (o.portMode == 2) o.portNumber[2] = o.portNumber[3] = kPortNotWritten;
  int tracks = std::clamp(song.trackCount, 0, kMaxTracks);
  tracks = std::min({tracks, static_cast<int>(song.tracks.size()), static_cast<int>(song.events.size())});
  // In play every track starts one step late (step shift + 1); a file starts
  // its tracks at the shift itself, so that an unshifted song begins at 0.
  for (auto& th : song.tracks) th.stepShift = static_cast<int8_t>(std::max(-128, th.stepShift - 1));
  try {
    SmfWriter w(image);
    int chunks = o.format == 0 ? 1 : tracks + 1;
    w.Header(o.format, chunks, o.timeBase);
    BuilderOptions bo;
    bo.filter = o.convFlags & kExportFilterBits;
    PlayBuilder base;
    base.Prepare(song, bo, nullptr);
    const int songTimeBase = base.TimeBase();
    uint32_t lastTempo = 0;

    w.BeginTrack();
    WriteConductorMetas(w, song.header, &lastTempo);
    {
      // Format 0 plays everything here; the conductor chunk of format 1
      // keeps the tempo changes of the whole playing only.
      ChunkContent content{o.format == 0, true};
      SmfChunkEmitter e(w, o, songTimeBase, content, &lastTempo);
      if (!Play(base, e, w)) return TooLong(image);
    }
    if (progress) progress(o.format == 0 ? 1 : 0, o.format == 0 ? 1 : tracks);

    if (o.format == 1) {
      for (int k = 0; k < tracks; ++k) {
        // The track played alone, as a song of that one track: a playing
        // visits every track of its song at every step, so the whole song
        // played once a chunk costs the square of its tracks. A chunk keeps
        // no tempo, which is all that the other tracks could change here.
        PlaySong one;
        one.header = song.header;
        one.trackCount = 1;
        one.tracks.push_back(song.tracks[k]);
        one.events.push_back(std::move(song.events[k]));
        PlayBuilder b;
        b.Prepare(one, bo, nullptr);
        w.BeginTrack();
        SmfChunkEmitter e(w, o, songTimeBase, ChunkContent{true, false}, &lastTempo);
        const TrackHeader& th = song.tracks[k];
        int port = th.channel >> 4;
        if (port <= 3 && o.portNumber[port] != kPortNotWritten)
          e.StartPort(o.portNumber[port] == 15 ? -1 : o.portNumber[port]);
        w.Meta(0, 0x03, reinterpret_cast<const uint8_t*>(th.comment), sizeof th.comment);
        if (!Play(b, e, w)) return TooLong(image);
        if (progress) progress(k + 1, tracks);
      }
    }
  } catch (const std::bad_alloc&) {
    image.clear();
    image.shrink_to_fit();
    return SmfExportStatus::kNoMemory;
  }
  return SmfExportStatus::kOk;
}
