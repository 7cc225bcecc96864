#include "smfimport.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <iterator>
#include <new>

#include "smfreader.h"

namespace {

// One decoded event of a track chunk, at its absolute time in file ticks.
// Events that can never write anything (note-offs, escapes, other meta
// events, kinds the flags drop) are not kept: their time simply passes.
struct Ev {
  uint64_t time = 0;
  uint64_t gate = 0;      // note-on: file ticks to its note-off
  uint32_t offset = 0;    // exclusive and meta data in the image
  uint32_t length = 0;
  uint16_t word = 0;      // the stream's status word: port << 8 | status
  uint16_t stream = 0;
  uint8_t status = 0;     // 0x80-0xEF, 0xF0 or 0xFF
  uint8_t d1 = 0, d2 = 0;  // channel data, or the meta type in d1
};

constexpr uint16_t kNoChannelSelector = 0x00FF;
constexpr uint64_t kTimeLimit = uint64_t{1} << 40;  // far beyond any full track

struct Stream {
  std::vector<Ev> events;
  int highestPort = 0;
  uint16_t selector = kNoChannelSelector;  // format 1: the chunk's own track
};

// Every channel event and exclusive a song track takes writes at least one
// song event, so one more than a track holds fills it: later ones of the
// same kind, which go to the same tracks, change nothing and are not kept.
constexpr uint16_t kKeepPerKind = kMaxTrackEvents + 1;

// What one chunk keeps: channel events per port and channel, exclusives per
// port (counted down as they are kept), and meta events, which set song-wide
// values however full the tracks are.
struct KeepLimits {
  uint16_t channel[16 * 16];  // port * 16 + channel
  uint16_t exclusive[16];
  bool metas = true;
  bool ownChannelOnly = false;  // only the channel its first channel event names
};

// One track per chunk: chunk 0 feeds every track, another chunk its own
// channel's only, and a chunk past the last track nothing.
KeepLimits ChunkLimits(size_t index, int passes) {
  KeepLimits k;
  bool read = static_cast<int>(index) < passes;
  std::fill(std::begin(k.channel), std::end(k.channel), read ? kKeepPerKind : 0);
  std::fill(std::begin(k.exclusive), std::end(k.exclusive), read ? kKeepPerKind : 0);
  k.metas = read;
  k.ownChannelOnly = index > 0;
  return k;
}

// Chunks merged: track port * 16 + channel, exclusives on each port's first.
KeepLimits MergedLimits(int maxTrack) {
  KeepLimits k;
  for (int i = 0; i < 16 * 16; ++i) k.channel[i] = i < maxTrack ? kKeepPerKind : 0;
  for (int p = 0; p < 16; ++p) k.exclusive[p] = p * 16 < maxTrack ? kKeepPerKind : 0;
  return k;
}

void KeepOnlyChannel(KeepLimits& k, int key) {
  uint16_t own = k.channel[key];
  std::fill(std::begin(k.channel), std::end(k.channel), 0);
  k.channel[key] = own;
}

inline bool Take(uint16_t& left) {
  if (left == 0) return false;
  --left;
  return true;
}

bool KeepChannelEvent(uint8_t type, uint16_t flags) {
  switch (type) {
    case 0xA0: return flags & kImportKeyPressure;
    case 0xB0: return flags & kImportControlChange;
    case 0xC0: return flags & kImportProgramChange;
    case 0xD0: return flags & kImportChannelPressure;
    case 0xE0: return flags & kImportPitchBend;
    default: return false;
  }
}

uint64_t AddTime(uint64_t t, uint32_t delta) { return std::min(t + delta, kTimeLimit); }

// The note sounding on each port, channel and key (its index in the stream,
// -1 none), shared by every chunk's decoding: only the entries a chunk set
// are visited and cleared at its end, not the whole table.
struct OpenNotes {
  std::vector<int32_t> slot = std::vector<int32_t>(16 * 16 * 128, -1);
  std::vector<uint32_t> touched;  // slots set since the chunk began
};

// Decodes one chunk into s, in place of the events it held (their storage
// serves again); sets s.selector for this chunk and raises s.highestPort.
void DecodeStream(const uint8_t* image, const SmfChunk& chunk, uint16_t index,
                  const SmfImportOptions& options, KeepLimits keep, SmfImportReport& report,
                  OpenNotes& open, Stream& s) {
  s.events.clear();
  s.selector = kNoChannelSelector;
  open.touched.clear();
  SmfTrackReader reader(image, chunk);
  uint64_t t = 0;
  int port = 0;
  uint8_t statusByte = 0;
  bool channelSeen = false;
  int exclusivePort = -1;
  SmfRawEvent raw;
  while (reader.Next(&raw)) {
    t = AddTime(t, raw.delta);
    Ev e;
    e.time = t;
    e.stream = index;
    if (raw.status < 0xF0) {
      statusByte = raw.status;
      uint8_t type = raw.status & 0xF0;
      uint8_t channel = raw.status & 0x0F;
      int key = port * 16 + channel;
      if (!channelSeen) {
        channelSeen = true;
        s.selector = static_cast<uint16_t>(port << 8 | channel);
        if (keep.ownChannelOnly) KeepOnlyChannel(keep, key);
      }
      e.word = static_cast<uint16_t>(port << 8 | raw.status);
      e.status = raw.status;
      e.d1 = raw.data1;
      e.d2 = raw.data2;
      if (type == 0x80 || type == 0x90) {
        // A note ends at the next note-off or note-on of its key.
        uint32_t slot = static_cast<uint32_t>(key * 128 + raw.data1);
        int32_t& pending = open.slot[slot];
        if (pending >= 0) {
          Ev& on = s.events[pending];
          on.gate = t - on.time;
          pending = -1;
        }
        if (type == 0x90 && raw.data2 > 0 && (options.flags & kImportNotes) && Take(keep.channel[key])) {
          pending = static_cast<int32_t>(s.events.size());
          open.touched.push_back(slot);
          s.events.push_back(e);
        }
        continue;
      }
      if (KeepChannelEvent(type, options.flags) && Take(keep.channel[key])) s.events.push_back(e);
      continue;
    }
    e.word = static_cast<uint16_t>(port << 8 | statusByte);
    e.status = raw.status;
    e.d1 = raw.data1;
    e.offset = static_cast<uint32_t>(raw.dataOffset);
    e.length = static_cast<uint32_t>(raw.dataLength);
    const uint8_t* data = image + raw.dataOffset;
    if (raw.status == 0xF0) {
      exclusivePort = port;
      if (raw.dataLength > 0 && Take(keep.exclusive[port])) s.events.push_back(e);
      continue;
    }
    if (raw.status != 0xFF) continue;  // F7 escapes are not kept
    bool kept = false;
    switch (raw.data1) {
      case 0x20:
        if ((options.flags & kImportTexts) && raw.dataLength >= 1)
          statusByte = static_cast<uint8_t>((statusByte & 0xF0) | (data[0] & 0x0F));
        break;
      case 0x21:
        if (raw.dataLength >= 1) {
          int p = ImportPortOf(options.portMode, data[0]);
          if (p == -2) report.badPort = true;
          if (p >= 0) port = p;
          if (p >= 0 && p <= 3) s.highestPort = std::max(s.highestPort, p);
        }
        break;
      case 0x01: case 0x02: case 0x03: case 0x04: case 0x05: case 0x06: case 0x07:
        kept = options.flags & kImportTexts;
        break;
      case 0x51:
        kept = options.flags & kImportTempo;
        break;
      case 0x58:
      case 0x59:
        kept = true;
        break;
      default:
        break;
    }
    if (kept && keep.metas) s.events.push_back(e);
  }
  // Notes still sounding end with the track.
  for (uint32_t slot : open.touched) {
    int32_t& pending = open.slot[slot];
    if (pending >= 0) s.events[pending].gate = t - s.events[pending].time;
    pending = -1;
  }
  if (!channelSeen) {
    s.selector = exclusivePort >= 0 ? static_cast<uint16_t>(exclusivePort << 8) : kNoChannelSelector;
  }
  if (reader.truncated()) report.truncated = true;
  if (reader.skippedBytes() > 0 || reader.cappedNumber()) report.badBytes = true;
}

// What every pass shares.
struct ImportContext {
  const uint8_t* image;
  const SmfImportOptions* options;
  SmfImportResult* result;
  bool perChunk;          // format 1, one song track per track chunk
  int tempoPass;          // the pass that takes tempo events
  int titlePass;          // the pass whose first text is the song title
  uint32_t tb;            // song ticks per quarter
  uint32_t div;           // file ticks per quarter
  uint32_t maxStep;       // most ticks one event holds
  bool tempoTaken = false;
  bool keyTaken = false;
  uint32_t songTempo = 120;
};

struct Tie {
  uint64_t due;   // song ticks after the previous entry (the first: from now)
  uint64_t gate;
  uint8_t key;
  uint8_t vel;
};

void PutField(char* field, size_t size, const uint8_t* text, size_t length) {
  size_t n = std::min(size, length);
  std::memcpy(field, text, n);
  if (n > 0 && field[n - 1] == 0) field[n - 1] = ' ';
  std::memset(field + n, ' ', size - n);
}

// Builds one song track.
class PassBuilder {
 public:
  // expected: the events this track is likely to take, so that its block is
  // had at once rather than grown event by event.
  PassBuilder(ImportContext& ctx, int pass, uint16_t selector, int ownStream, size_t expected)
      : ctx_(ctx), pass_(pass), selector_(selector), ownStream_(ownStream) {
    measure_ = ctx.tb * 4;
    left_ = measure_;
    events_.reserve(std::min<size_t>(expected, kMaxTrackEvents + 1));
    lastKey_ = ctx.keyTaken ? ctx.result->key : -1;
    std::memset(comment_, ' ', sizeof comment_);
  }

  // One track per chunk: whether this pass takes e (merged chunks are
  // parted by MergedPassOf before the passes).
  bool Concerns(const Ev& e) const;
  void Process(const Ev& e);
  void Finish();

  std::vector<StepEvent> TakeEvents() { return std::move(events_); }
  bool full() const { return full_; }
  const char* comment() const { return comment_; }

 private:
  // Time.
  void Carry(uint64_t elapsed) { carry_ += elapsed * ctx_.tb; }
  void EmitElapsed(uint64_t elapsed);
  void EmitSteps(uint64_t steps);
  void EmitWithin(uint64_t ticks);
  void EmitRaw(uint32_t ticks);
  void WriteBar();
  void WriteDueTies();
  // Events.
  bool Room(size_t n) const { return !full_ && events_.size() + n <= static_cast<size_t>(kMaxTrackEvents); }
  void Write(const StepEvent& e);
  void WriteNote(uint8_t key, uint8_t vel, uint64_t gate);
  void QueueTie(uint64_t due, uint64_t gate, uint8_t key, uint8_t vel);
  void WriteText(const uint8_t* text, size_t length);
  void WriteExclusive(const uint8_t* data, size_t length);
  void Text(const Ev& e, uint64_t elapsed);
  void Tempo(const Ev& e, uint64_t elapsed);
  void TimeSignature(const Ev& e, uint64_t elapsed);
  void KeySignature(const Ev& e, uint64_t elapsed);

  ImportContext& ctx_;
  int pass_;
  uint16_t selector_;
  int ownStream_;
  std::vector<StepEvent> events_;
  bool full_ = false;
  uint64_t lastTime_ = 0;
  uint64_t carry_ = 0;
  uint64_t measure_;
  uint64_t left_;
  std::deque<Tie> ties_;
  int lastKey_;
  bool commentTaken_ = false;
  char comment_[36];
};

// Chunks merged, the one pass that takes an event, or -1 when every pass
// does: the pass of its port and channel, for an exclusive its port's first.
int MergedPassOf(const Ev& e) {
  int port = e.word >> 8;
  if (e.status == 0xF0) return 16 * port;
  if (e.status == 0xFF && (e.d1 == 0x51 || e.d1 == 0x58)) return -1;
  return 16 * port + (e.word & 0x0F);
}

bool PassBuilder::Concerns(const Ev& e) const {
  if (e.status < 0xF0) return (e.word & 0xFF0F) == selector_;
  if (e.status == 0xF0) return e.stream == ownStream_ || pass_ == 1;
  switch (e.d1) {
    case 0x01: case 0x02: case 0x03: case 0x04: case 0x05: case 0x06: case 0x07:
      return e.stream == ownStream_ || pass_ == 1;
    default:
      return true;
  }
}

void PassBuilder::Write(const StepEvent& e) {
  if (Room(1)) events_.push_back(e);
  else full_ = true;
}

void PassBuilder::EmitRaw(uint32_t ticks) {
  if (ticks == 0) return;
  left_ -= ticks;
  if (!events_.empty()) {
    StepEvent& last = events_.back();
    if (last.code < 0xF0 && last.step + ticks <= ctx_.maxStep) {
      last.step = static_cast<uint16_t>(last.step + ticks);
      return;
    }
  }
  Write(StepEvent{60, 0, static_cast<uint16_t>(ticks), 0});
}

// Ticks inside the current measure (ticks <= left_), in events of at most
// maxStep, writing the ties that fall due on the way.
void PassBuilder::EmitWithin(uint64_t ticks) {
  while (ticks > 0 && !full_) {
    uint64_t chunk = std::min<uint64_t>(ticks, ctx_.maxStep);
    while (!ties_.empty()) {
      Tie& first = ties_.front();
      if (first.due > chunk || (first.due == left_ && first.due == chunk)) {
        // Not due within this chunk, or due at the bar line: it waits.
        first.due -= chunk;
        break;
      }
      uint64_t due = first.due;
      Tie tie = first;
      ties_.pop_front();
      EmitRaw(static_cast<uint32_t>(due));
      chunk -= due;
      ticks -= due;
      WriteNote(tie.key, tie.vel, tie.gate);
    }
    EmitRaw(static_cast<uint32_t>(chunk));
    ticks -= chunk;
  }
}

void PassBuilder::EmitSteps(uint64_t steps) {
  while (steps > 0 && !full_) {
    if (steps < left_) {
      EmitWithin(steps);
      return;
    }
    uint64_t rest = left_;
    EmitWithin(rest);
    steps -= rest;
    WriteBar();
  }
}

void PassBuilder::WriteBar() {
  Write(StepEvent{0xFD, 0xFD, 253, 253});
  left_ = measure_;
  WriteDueTies();
}

void PassBuilder::WriteDueTies() {
  while (!ties_.empty() && ties_.front().due == 0 && !full_) {
    Tie tie = ties_.front();
    ties_.pop_front();
    WriteNote(tie.key, tie.vel, tie.gate);
  }
}

void PassBuilder::EmitElapsed(uint64_t elapsed) {
  Carry(elapsed);
  uint64_t steps = carry_ / ctx_.div;
  carry_ %= ctx_.div;
  EmitSteps(steps);
}

void PassBuilder::QueueTie(uint64_t due, uint64_t gate, uint8_t key, uint8_t vel) {
  for (const Tie& t : ties_)
    if (t.key == key) return;
  if (ties_.size() >= kImportMaxPendingTies) {
    ctx_.result->report.tiesDropped = true;
    return;
  }
  auto it = ties_.begin();
  uint64_t at = 0;
  while (it != ties_.end() && at + it->due <= due) {
    at += it->due;
    ++it;
  }
  uint64_t offset = due - at;
  if (it != ties_.end()) it->due -= offset;
  ties_.insert(it, Tie{offset, gate, key, vel});
}

// A note of the given gate at the present moment; a gate past the bar line
// or beyond one event's reach is cut there and continued by a tie.
void PassBuilder::WriteNote(uint8_t key, uint8_t vel, uint64_t gate) {
  if (gate == 0) gate = 1;
  if (gate > ctx_.maxStep || gate > left_) {
    uint64_t d = std::min<uint64_t>(left_, ctx_.maxStep);
    QueueTie(d, gate - d, key, vel);
    gate = d + 1;
  }
  Write(StepEvent{key, vel, 0, static_cast<uint16_t>(gate)});
}

void PassBuilder::WriteText(const uint8_t* text, size_t length) {
  constexpr size_t kGroupBytes = 55;
  for (size_t at = 0; at < length && !full_; at += kGroupBytes) {
    if (!Room(11)) {
      full_ = true;
      return;
    }
    for (int n = 0; n < 11; ++n) {
      uint8_t b[6];
      b[0] = n == 0 ? 0xF6 : 0xF7;
      for (int i = 0; i < 5; ++i) {
        size_t k = at + n * 5 + i;
        uint8_t c = k < length ? text[k] : ' ';
        b[1 + i] = c < 0x20 ? ' ' : c;
      }
      StepEvent e;
      std::memcpy(&e, b, sizeof e);
      events_.push_back(e);
    }
  }
}

void PassBuilder::WriteExclusive(const uint8_t* data, size_t length) {
  size_t groups = (length + 4) / 5;
  if (!Room(1 + groups)) {
    full_ = true;
    return;
  }
  events_.push_back(StepEvent{0x98, 0, 0, 0});
  for (size_t g = 0; g < groups; ++g) {
    uint8_t b[6] = {0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7};
    size_t n = std::min<size_t>(5, length - g * 5);
    std::memcpy(b + 1, data + g * 5, n);
    if (n == 2 || n == 4) b[1 + n] = 0x20;
    StepEvent e;
    std::memcpy(&e, b, sizeof e);
    events_.push_back(e);
  }
}

void PassBuilder::Text(const Ev& e, uint64_t elapsed) {
  SmfImportResult& r = *ctx_.result;
  const uint8_t* data = ctx_.image + e.offset;
  uint8_t type = e.d1;
  if ((type == 0x01 || type == 0x03 || type == 0x04) && !r.titleSeen && pass_ == ctx_.titlePass) {
    r.titleSeen = true;
    PutField(r.title, sizeof r.title, data, e.length);
    Carry(elapsed);
    return;
  }
  if (type == 0x02 && !r.memoSeen) {
    r.memoSeen = true;
    PutField(r.memo, sizeof r.memo, data, e.length);
    Carry(elapsed);
    return;
  }
  if ((type == 0x01 || type == 0x03 || type == 0x04) && !commentTaken_ &&
      (!ctx_.perChunk || e.stream == ownStream_)) {
    commentTaken_ = true;
    PutField(comment_, sizeof comment_, data, e.length);
    Carry(elapsed);
    return;
  }
  if (e.length == 0) {
    Carry(elapsed);
    return;
  }
  EmitElapsed(elapsed);
  WriteText(data, e.length);
}

void PassBuilder::Tempo(const Ev& e, uint64_t elapsed) {
  const uint8_t* d = ctx_.image + e.offset;
  uint32_t micro = e.length >= 3 ? static_cast<uint32_t>(d[0] << 16 | d[1] << 8 | d[2]) : 0;
  if (pass_ != ctx_.tempoPass || e.length < 3 || micro == 0) {
    if (pass_ == ctx_.tempoPass) ctx_.result->report.zeroTempo = true;
    Carry(elapsed);
    return;
  }
  uint32_t bpm = std::min<uint32_t>(60000000u / micro, 240);
  if (!ctx_.tempoTaken) {
    ctx_.tempoTaken = true;
    ctx_.songTempo = bpm;
    ctx_.result->tempo = static_cast<uint16_t>(bpm);
    Carry(elapsed);
    return;
  }
  EmitElapsed(elapsed);
  uint32_t t0 = ctx_.songTempo;
  Write(StepEvent{0xE7, 0, 0, static_cast<uint16_t>((bpm * 64 + t0 / 2) / t0)});
}

void PassBuilder::TimeSignature(const Ev& e, uint64_t elapsed) {
  const uint8_t* d = ctx_.image + e.offset;
  uint32_t nn = e.length >= 2 ? d[0] : 0;
  uint32_t dd = e.length >= 2 ? d[1] : 0;
  // A beat the song cannot hold keeps the one before it.
  if (nn == 0 || dd > 7 || ((ctx_.tb * 4) >> dd) == 0) {
    ctx_.result->report.badTimeSignature = true;
    Carry(elapsed);
    return;
  }
  ctx_.result->beatNum = static_cast<uint8_t>(nn);
  ctx_.result->beatDen = static_cast<uint8_t>(1u << dd);
  uint64_t length = static_cast<uint64_t>((ctx_.tb * 4) >> dd) * nn;
  if (length == measure_) {
    Carry(elapsed);
    return;
  }
  EmitElapsed(elapsed);
  if (left_ == measure_) left_ = length;
  measure_ = length;
}

void PassBuilder::KeySignature(const Ev& e, uint64_t elapsed) {
  if (e.length < 2) {
    Carry(elapsed);
    return;
  }
  const uint8_t* d = ctx_.image + e.offset;
  int sf = static_cast<int8_t>(d[0]);
  int accidentals = std::min(sf < 0 ? -sf : sf, 7);
  int key = (d[1] ? kKeyMinor : 0) | (sf < 0 ? kKeyFlats : 0) | accidentals;
  if (key == lastKey_) {
    Carry(elapsed);
    return;
  }
  if (!ctx_.keyTaken) {
    ctx_.keyTaken = true;
    ctx_.result->keySeen = true;
    ctx_.result->key = static_cast<uint8_t>(key);
    lastKey_ = key;
    Carry(elapsed);
    return;
  }
  // A key change stands only on a bar line: the time up to it is written
  // first, so that a bar line it falls on is there to see.
  EmitElapsed(elapsed);
  bool atBar = !events_.empty() && events_.back().code == 0xFD && left_ == measure_;
  if (atBar) {
    lastKey_ = key;
    Write(StepEvent{0xF5, 0, static_cast<uint16_t>(key), 0});
  }
}

void PassBuilder::Process(const Ev& e) {
  uint64_t elapsed = e.time - lastTime_;
  lastTime_ = e.time;
  if (e.status < 0xF0) {
    uint8_t type = e.status & 0xF0;
    if (type == 0x90) {
      EmitElapsed(elapsed);
      uint64_t gate = e.gate * ctx_.tb / ctx_.div;
      WriteNote(e.d1, e.d2, gate);
      return;
    }
    EmitElapsed(elapsed);
    switch (type) {
      case 0xA0: Write(StepEvent{0xED, e.d2, 0, e.d1}); break;
      case 0xB0: Write(StepEvent{0xEB, e.d2, 0, e.d1}); break;
      case 0xC0: Write(StepEvent{0xEC, 0, 0, e.d1}); break;
      case 0xD0: Write(StepEvent{0xEA, 0, 0, e.d1}); break;
      case 0xE0: Write(StepEvent{0xEE, e.d2, 0, e.d1}); break;
      default: break;
    }
    return;
  }
  if (e.status == 0xF0) {
    EmitElapsed(elapsed);
    WriteExclusive(ctx_.image + e.offset, e.length);
    return;
  }
  switch (e.d1) {
    case 0x51: Tempo(e, elapsed); break;
    case 0x58: TimeSignature(e, elapsed); break;
    case 0x59: KeySignature(e, elapsed); break;
    default: Text(e, elapsed); break;
  }
}

void PassBuilder::Finish() {
  // Ties still pending are written at their time.
  while (!ties_.empty() && !full_) {
    if (ties_.front().due == 0) {
      WriteDueTies();
      continue;
    }
    EmitSteps(ties_.front().due);
  }
  // The last measure is completed, unless the track stands on a bar line.
  bool onBar = !events_.empty() && events_.back().code == 0xFD && left_ == measure_;
  if (!onBar) EmitSteps(left_);
  events_.push_back(EndEvent());
}

// Chunks merged: the events one pass takes (or every pass), chunk after
// chunk, each chunk's in its own order, with where each chunk's begin.
struct PassEvents {
  std::vector<const Ev*> events;
  std::vector<size_t> starts;
  void Add(const Ev* e) {
    if (starts.empty() || events[starts.back()]->stream != e->stream) starts.push_back(events.size());
    events.push_back(e);
  }
};

// The events of the lists in time order; at the same time the earlier
// chunk's first, and each chunk's in its own order: the order in which the
// merged chunks are read. Each run of one chunk is in time order already, so
// only its next event competes.
class PassOrder {
 public:
  explicit PassOrder(std::initializer_list<const PassEvents*> lists) {
    for (const PassEvents* l : lists)
      for (size_t k = 0; k < l->starts.size(); ++k) {
        size_t end = k + 1 < l->starts.size() ? l->starts[k + 1] : l->events.size();
        runs_.push_back({l->events.data() + l->starts[k], l->events.data() + end});
      }
    std::make_heap(runs_.begin(), runs_.end(), Later);
  }
  // The next event, null after the last.
  const Ev* Next() {
    if (runs_.empty()) return nullptr;
    std::pop_heap(runs_.begin(), runs_.end(), Later);
    Run& r = runs_.back();
    const Ev* e = *r.at++;
    if (r.at == r.end) runs_.pop_back();
    else std::push_heap(runs_.begin(), runs_.end(), Later);
    return e;
  }

 private:
  struct Run {
    const Ev* const* at;
    const Ev* const* end;
  };
  // A max-heap's comparison, so that the top is the earliest. Two runs of
  // one chunk compare by place in the chunk's storage.
  static bool Later(const Run& a, const Run& b) {
    const Ev* x = *a.at;
    const Ev* y = *b.at;
    if (x->time != y->time) return x->time > y->time;
    if (x->stream != y->stream) return x->stream > y->stream;
    return std::less<const Ev*>()(y, x);
  }
  std::vector<Run> runs_;
};

SmfImportTrack NewTrack(int number, uint8_t channel, const char* comment,
                        std::vector<StepEvent> events) {
  SmfImportTrack t;
  std::memset(&t.header, 0, sizeof t.header);
  t.header.number = static_cast<uint8_t>(number);
  t.header.channel = channel;
  std::memcpy(t.header.comment, comment, sizeof t.header.comment);
  t.events = std::move(events);
  return t;
}

bool UsableTimeBase(uint32_t tb) { return tb >= 48 && tb <= 480 && 480 % tb == 0; }

}  // namespace

int ImportPortOf(int portMode, int value) {
  switch (portMode) {
    case 0: return value <= 3 ? value : -2;
    case 1:
      if (value == 0) return kImportMutedPort;
      return value - 1 <= 3 ? value - 1 : -2;
    case 2:
      if (value == 1) return 1;
      if (value == 3) return kImportMutedPort;
      if (value == 0 || value == 2) return 0;
      return -1;
    default: return -1;
  }
}

namespace {

SmfImportResult Import(const uint8_t* image, size_t size, const SmfImportOptions& options) {
  SmfImportResult result;
  std::memset(result.title, ' ', sizeof result.title);
  std::memset(result.memo, ' ', sizeof result.memo);
  SmfImportReport& report = result.report;

  SmfHeader header;
  switch (ReadSmfHeader(image, size, &header)) {
    case SmfHeaderStatus::kNotSmf: result.status = SmfImportStatus::kNotSmf; return result;
    case SmfHeaderStatus::kBadLength: result.status = SmfImportStatus::kBadLength; return result;
    case SmfHeaderStatus::kBadFormat: result.status = SmfImportStatus::kBadFormat; return result;
    case SmfHeaderStatus::kOk: break;
  }
  SmfChunkScan scan = FindTrackChunks(image, size, header);
  report.truncated = scan.truncated;
  report.missingTracks = scan.missing;
  report.tooManyChunks = scan.tooMany;
  if (scan.tracks.empty()) {
    result.status = SmfImportStatus::kNoTracks;
    return result;
  }

  ImportContext ctx;
  ctx.image = image;
  ctx.options = &options;
  ctx.result = &result;
  ctx.div = header.division;
  if (ctx.div == 0) {
    report.zeroDivision = true;
    ctx.div = 480;
  }
  ctx.tb = options.songTimeBase >= 48 && options.songTimeBase <= 16383 ? options.songTimeBase : 480;
  if (options.keepFileTimeBase) {
    if (UsableTimeBase(ctx.div)) ctx.tb = ctx.div;
    else report.timeBaseFallback = true;
  }
  ctx.maxStep = ctx.tb / 48 * 192;
  result.timeBase = static_cast<uint16_t>(ctx.tb);

  int maxTrack = std::clamp(options.maxTrack, 1, kMaxTracks);
  // A format-1 file of one chunk is a format-0 file.
  ctx.perChunk = header.format == 1 && options.format1Mix != 0 && scan.tracks.size() > 1;
  // Chunk 0 and a chunk for each track up to the limit.
  int chunkPasses = static_cast<int>(std::min<size_t>(scan.tracks.size(), maxTrack + 1));
  OpenNotes open;
  auto decode = [&](size_t i, Stream& s) {
    KeepLimits keep = ctx.perChunk ? ChunkLimits(i, chunkPasses) : MergedLimits(maxTrack);
    DecodeStream(image, scan.tracks[i], static_cast<uint16_t>(i), options, keep, report, open, s);
  };
  // One track per chunk needs chunk 0 and its own chunk only: each chunk is
  // decoded just before its pass into storage that the next one reuses.
  // Merged chunks are all decoded first, each into that reused storage and
  // then copied into a list of its exact size (the last one's storage is
  // simply taken): no list grows a step at a time.
  std::vector<Stream> streams(2);
  std::vector<std::vector<Ev>> chunkEvents;
  if (ctx.perChunk) {
    decode(0, streams[0]);
    // Chunks past the last track keep nothing; only what they lost is told.
    for (size_t i = chunkPasses; i < scan.tracks.size(); ++i) decode(i, streams[1]);
  } else {
    chunkEvents.resize(scan.tracks.size());
    for (size_t i = 0; i < scan.tracks.size(); ++i) {
      decode(i, streams[1]);
      if (i + 1 == scan.tracks.size()) chunkEvents[i].swap(streams[1].events);
      else chunkEvents[i].assign(streams[1].events.begin(), streams[1].events.end());
    }
  }

  int passes;
  int firstPass;
  if (ctx.perChunk) {
    passes = chunkPasses;
    report.trackLimit = passes < static_cast<int>(scan.tracks.size());
    firstPass = 1;
    ctx.tempoPass = ctx.titlePass = 1;
  } else {
    passes = (streams[1].highestPort + 1) * 16;
    if (passes > maxTrack) {
      report.trackLimit = true;
      passes = maxTrack;
    }
    firstPass = 0;
    ctx.tempoPass = ctx.titlePass = 0;
  }

  // Merged chunks: the events only one pass takes, by pass, and those every
  // pass takes, so that a pass walks its own events rather than every event
  // of the file.
  std::vector<PassEvents> passOwn;
  PassEvents everyPass;
  if (!ctx.perChunk) {
    passOwn.resize(static_cast<size_t>(passes));
    for (const std::vector<Ev>& chunk : chunkEvents)
      for (const Ev& e : chunk) {
        int only = MergedPassOf(e);
        if (only < 0) everyPass.Add(&e);
        else if (only < passes) passOwn[static_cast<size_t>(only)].Add(&e);
      }
  }
  int steps = 0;
  auto step = [&]() {
    if (++steps % 101 == 0 && options.yield) options.yield();
  };
  int total = passes - firstPass;
  for (int pass = firstPass; pass < passes; ++pass) {
    uint16_t selector;
    int own = -1;
    size_t expected;
    if (ctx.perChunk) {
      own = pass;
      decode(static_cast<size_t>(pass), streams[1]);
      selector = streams[1].selector;
      expected = streams[0].events.size() + streams[1].events.size();
    } else {
      selector = static_cast<uint16_t>((pass / 16) << 8 | (pass % 16));
      expected = passOwn[pass].events.size() + everyPass.events.size();
    }
    // Bar lines, rests and ties come on top of the file's events.
    PassBuilder builder(ctx, pass, selector, own, expected + expected / 8 + 16);
    if (ctx.perChunk) {
      const std::vector<Ev>& a = streams[0].events;
      const std::vector<Ev>& b = streams[1].events;
      size_t i = 0, j = 0;
      while (i < a.size() || j < b.size()) {
        const Ev* e;
        if (j >= b.size() || (i < a.size() && a[i].time <= b[j].time)) e = &a[i++];
        else e = &b[j++];
        if (builder.Concerns(*e)) {
          builder.Process(*e);
          step();
        }
      }
    } else {
      PassOrder order{&everyPass, &passOwn[pass]};
      while (const Ev* e = order.Next()) {
        builder.Process(*e);
        step();
      }
    }
    builder.Finish();
    int number = pass - firstPass + 1;
    if (builder.full()) report.fullTracks.push_back(number);
    uint8_t channel = static_cast<uint8_t>((selector & 0x0F) + 16 * (selector >> 8));
    if (selector == kNoChannelSelector) channel = 15;
    result.tracks.push_back(NewTrack(number, channel, builder.comment(), builder.TakeEvents()));
    if (options.progress) options.progress(number, total);
  }
  result.status = SmfImportStatus::kOk;
  return result;
}

}  // namespace

SmfImportResult ImportSmf(const uint8_t* image, size_t size, const SmfImportOptions& options) {
  // Memory running out refuses the file as a whole, as a damaged one is.
  try {
    return Import(image, size, options);
  } catch (const std::bad_alloc&) {
    SmfImportResult r;
    r.status = SmfImportStatus::kNoMemory;
    return r;
  }
}
