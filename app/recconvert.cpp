#include "recconvert.h"

#include <algorithm>
#include <climits>

#include "measures.h"
#include "recstart.h"
#include "songmodel.h"
#include "trackmerge.h"
#include "zk/cmdcodes.h"
#include "zk/playdata.h"

namespace {

constexpr int kReferenceLinks = 9;
// A chunk's steps and a split note's gate (chunk + 1) fit the 16-bit fields.
constexpr int64_t kMaxChunk = 0xFFFE;
constexpr uint8_t kRestCode = 60;
constexpr uint8_t kChannelOff = 0xF0;

bool IsChannelMessageByte(uint8_t hi) { return hi >= 0x80 && hi <= 0xE0 && (hi & 0x0F) == 0; }

bool IsRest(const StepEvent& e) { return e.code < 0x80 && e.vel == 0 && e.gate == 0; }

StepEvent Rest(uint8_t key) { return StepEvent{key, 0, 0, 0}; }

int FoldKey(int key) {
  if (key > 127) key -= 12 * ((key - 116) / 12);
  if (key < 0) key += 12 * ((11 - key) / 12);
  return key;
}

bool ControllerFiltered(int controller, uint32_t filter) {
  if (controller >= 122) return true;  // channel mode messages never become events
  if (filter & kFilterControl) return true;
  switch (controller) {
    case 1: return (filter & kFilterModulation) != 0;
    case 7: return (filter & kFilterVolume) != 0;
    case 11: return (filter & kFilterExpression) != 0;
    case 64: return (filter & kFilterHold) != 0;
    default: return false;
  }
}

// Pass 3: one track's messages (in time order, song steps) become step
// events chunk by chunk. Each chunk opens with the notes carried over from
// the one before and a rest; an event's step is the time to the next one;
// a bar line closes the chunks that end a measure. Rests are merged into
// the note before them as they are written, so the block is never longer
// than its compacted form.
class ChunkBuilder {
 public:
  struct Settings {
    uint32_t filter;
    int keyLow;
    int keyHigh;
  };
  ChunkBuilder(const MeasureLengths& measures, int timeBase, const Settings& settings,
               std::vector<StepEvent>& out)
      : clock_(measures, timeBase), settings_(settings), out_(out) {
    out_.clear();
    OpenChunk();
  }

  bool full() const { return full_; }

  void Add(int64_t at, uint8_t status, uint8_t data1, uint8_t data2, int64_t gate) {
    ReachTime(at);
    if (full_) return;
    const uint8_t kind = status & 0xF0;
    switch (kind) {
      case 0x90:
        if (data2 == 0) return;  // a note-off
        lastKey_ = data1;
        if (OutsideKeyRange(data1)) {
          Emit(Rest(kRestCode), at);
        } else {
          AddNote(StepEvent{data1, data2, 0, 0}, gate, at);
        }
        return;
      case 0x80:
        return;
      case 0xA0:
        Emit(Command(kCodeAfterK, kFilterKeyPressure, data1, data2), at);
        return;
      case 0xB0:
        Emit(ControllerFiltered(data1, settings_.filter) ? Rest(kRestCode) : StepEvent{kCodeControl, data2, 0, data1},
             at);
        return;
      case 0xC0:
        Emit(Command(kCodeProgram, kFilterProgram, data1, data2), at);
        return;
      case 0xD0:
        Emit(Command(kCodeAfterC, kFilterChannelPressure, data1, data2), at);
        return;
      case 0xE0:
        Emit(Command(kCodePitch, kFilterPitchBend, data1, data2), at);
        return;
      default:
        return;
    }
  }

  // The end of the data; a rest nothing follows gives way to the end event.
  void Finish(int64_t end) {
    ReachTime(end);
    if (full_) return;
    if (hasPending_ && !(IsRest(pending_) && pendingAt_ == end)) {
      pending_.step = static_cast<uint16_t>(end - pendingAt_);
      Commit(pending_);
    }
    hasPending_ = false;
    if (full_) return;
    out_.push_back(EndEvent());
  }

 private:
  struct Carried {
    StepEvent note;
    int64_t gate;
  };

  bool OutsideKeyRange(int key) const {
    if (!(settings_.filter & kFilterKeyRange)) return false;
    if (settings_.keyLow < settings_.keyHigh) return key < settings_.keyLow || key > settings_.keyHigh;
    return key >= settings_.keyHigh && key <= settings_.keyLow;
  }

  StepEvent Command(uint8_t code, uint32_t filterBit, uint8_t data1, uint8_t data2) const {
    if (settings_.filter & filterBit) return Rest(kRestCode);
    return StepEvent{code, data2, 0, data1};
  }

  void ReachTime(int64_t at) {
    while (!full_ && at >= clock_.end()) {
      if (clock_.closesMeasure()) Emit(StepEvent{kCodeMeasureEnd, 0, 0, 0}, clock_.end());
      clock_.Next();
      OpenChunk();
    }
  }

  void OpenChunk() {
    carried_.swap(next_);
    next_.clear();
    for (const Carried& c : carried_) AddNote(c.note, c.gate, clock_.start());
    Emit(Rest(lastKey_), clock_.start());
  }

  // A note that sounds past its chunk ends one step after it and goes on as
  // a step-0 note at the start of the next.
  void AddNote(StepEvent note, int64_t gate, int64_t at) {
    const int64_t left = clock_.end() - at;
    if (gate > left) {
      next_.push_back(Carried{note, gate - left});
      gate = left + 1;
    }
    note.gate = static_cast<uint16_t>(gate);
    Emit(note, at);
  }

  void Emit(const StepEvent& e, int64_t at) {
    if (hasPending_) {
      pending_.step = static_cast<uint16_t>(at - pendingAt_);
      Commit(pending_);
    }
    pending_ = e;
    pendingAt_ = at;
    hasPending_ = true;
  }

  // A rest (or a note without gate) after a note lengthens that note while
  // the sum stays below the limit.
  void Commit(const StepEvent& e) {
    if (e.code < 0x80 && (e.gate == 0 || e.vel == 0) && !out_.empty() && out_.back().code < 0x80 &&
        out_.back().step + e.step < kMaxRestMerge) {
      out_.back().step = static_cast<uint16_t>(out_.back().step + e.step);
      return;
    }
    if (static_cast<int>(out_.size()) >= kConvertedEvents - 1) {
      full_ = true;
      return;
    }
    out_.push_back(e);
  }

  ChunkClock clock_;
  Settings settings_;
  std::vector<StepEvent>& out_;
  std::vector<Carried> carried_;
  std::vector<Carried> next_;
  StepEvent pending_{};
  int64_t pendingAt_ = 0;
  bool hasPending_ = false;
  uint8_t lastKey_ = kRestCode;
  bool full_ = false;
};

}  // namespace

// --- Word streams ------------------------------------------------------------

WordStream RecordBufferStream(const uint16_t* bufferA, const uint16_t* bufferB) {
  WordStream s;
  s.first = bufferA;
  s.firstCount = bufferA ? kRecordBufferWords : 0;
  s.second = bufferB;
  s.secondCount = bufferB ? kRecordBufferWords : 0;
  return s;
}

bool RecordWordReader::NextWord(uint16_t& word) {
  const int firstCount = stream_.first ? std::max(stream_.firstCount, 0) : 0;
  if (index_ < firstCount) {
    word = stream_.first[index_++];
    return true;
  }
  const int secondCount = stream_.second ? std::max(stream_.secondCount, 0) : 0;
  if (index_ - firstCount < secondCount) {
    word = stream_.second[index_ - firstCount];
    ++index_;
    return true;
  }
  return false;
}

uint32_t ReadRecordWord(RecordWordReader& reader, int channelFilter) {
  for (;;) {
    uint16_t word;
    if (!reader.NextWord(word)) return kRecordEndValue;
    const uint8_t hi = static_cast<uint8_t>(word >> 8);
    const uint8_t lo = static_cast<uint8_t>(word);
    uint32_t value = static_cast<uint32_t>(word) << 16;
    int channel = 0;
    bool anyChannel = false;
    uint16_t data;
    if (hi == 0xE8) {
      reader.clock_ += lo;
      continue;
    }
    if (IsChannelMessageByte(hi)) {
      if (!reader.NextWord(data)) return kRecordEndValue;
      value |= data;
      channel = lo & 0x0F;
    } else {
      switch (hi) {
        case 0xEA:
          if (lo == 0xFC || lo == 0xFD) return kRecordEndValue;
          continue;
        case 0xCF:
        case 0xF4:
        case 0xF5:
        case 0xF6:
          break;
        case 0xE1:
        case 0xF1:
        case 0xF2:
        case 0xF3:
          if (!reader.NextWord(data)) return kRecordEndValue;
          value |= data;
          break;
        case 0xE2:
          anyChannel = true;
          break;
        case 0xE9:
          if (!reader.NextWord(data) || !reader.NextWord(data)) return kRecordEndValue;
          break;
        case 0xF0:
          do {
            if (!reader.NextWord(data)) return kRecordEndValue;
          } while ((data >> 8) != 0xF7 && (data & 0xFF) != 0xF7);
          continue;
        default:
          continue;  // not a word the engine writes
      }
    }
    if (anyChannel || channelFilter == kEveryChannel || channel == channelFilter) return value;
  }
}

RecordLength ScanRecordLength(const WordStream& stream) {
  RecordWordReader reader(stream);
  RecordLength length;
  for (uint32_t v; (v = ReadRecordWord(reader, kEveryChannel)) != kRecordEndValue;) {
    if (IsChannelMessageByte(static_cast<uint8_t>(v >> 24))) ++length.messages;
  }
  length.ticks = reader.clock();
  return length;
}

// --- Record tracks and their header bytes ------------------------------------

RecordTrackList BuildRecordTrackList(const TrackRecordBytes* tracks, int count) {
  RecordTrackList list;
  for (int n = 0; tracks && n < count; ++n) {
    if (!(tracks[n].mode & kRecordTrackBits)) continue;
    list.tracks.push_back(RecordTrackEntry{n + 1, tracks[n].channel, tracks[n].mode, kEveryChannel, true});
  }
  const bool several = list.tracks.size() > 1;
  for (RecordTrackEntry& t : list.tracks) {
    const bool off = t.channel >= kChannelOff;
    if (!off) list.thruChannel = t.channel;
    if (several) {
      t.channelFilter = t.channel & 0x0F;
      t.convert = !off;
    }
  }
  return list;
}

int StepShiftOf(uint8_t byte) { return byte > 128 ? byte - 256 : byte; }

int KeyShiftOf(uint8_t byte) {
  if (byte >= 128) return 0;
  const int shift = byte >= 64 ? byte - 128 : byte;
  return std::clamp(shift, -36, 36);
}

// --- Measures and chunks -------------------------------------------------------

MeasureLengths::MeasureLengths(const StepEvent* events, int count, int timeBase, int beats, int beatUnit) {
  const int64_t t = SaneTimeBase(timeBase);
  const int64_t beat = beatUnit > 0 ? t * 4 / beatUnit : t;
  bar_ = beats > 0 ? beats * beat : 0;
  if (bar_ <= 0) bar_ = 4 * t;
  if (!events || count <= 0) return;

  struct Frame {
    int64_t counter;
    int start;
    int savedNext;
    int64_t passStart;   // measure length when the pass began
    size_t passMeasures; // measures done when the pass began
  };
  Frame frames[kMaxRepeatDepth];
  int depth = 0;
  int i = 0;
  int next = 0;
  // Sets up the measure that starts at index a, following its references;
  // false when the track ends there.
  auto setUp = [&](int a) {
    if (a < 0 || a >= count || events[a].code >= kCodeEndOfTrack) return false;
    const int measureStart = a;
    for (int links = 0; links < kReferenceLinks && events[a].code == kCodeSameMeasure; ++links) {
      const int target = static_cast<int>(events[a].gate) - kMeasureRefBias;
      a = target >= 0 && target < count ? target : measureStart;
    }
    if (events[a].code >= kCodeEndOfTrack) return false;
    i = a;
    next = MeasureEnd(events, count, measureStart);
    return true;
  };

  lengths_.reserve(256);
  int64_t length = 0;
  if (!setUp(0)) return;
  while (static_cast<int>(lengths_.size()) < kMaxMeasureLengths) {
    if (i >= count || events[i].code >= kCodeEndOfTrack) {
      if (length > 0) lengths_.push_back(length);
      break;
    }
    const StepEvent& e = events[i];
    if (e.code < 0xF0) {
      length = std::min(length + e.step, kStepCap);
      ++i;
    } else if (e.code == kCodeRepeatStart) {
      if (depth < kMaxRepeatDepth) frames[depth++] = Frame{0, i, next, length, lengths_.size()};
      ++i;
    } else if (e.code == kCodeRepeatEnd) {
      ++i;
      if (depth == 0) continue;
      Frame& f = frames[depth - 1];
      const int64_t times = e.step ? e.step : kZeroRepeatCount;
      if (++f.counter >= times) {
        --depth;
      } else if (lengths_.size() == f.passMeasures) {
        // A pass inside one measure: the passes left add the same again.
        length = std::min(length + (length - f.passStart) * (times - f.counter), kStepCap);
        --depth;
      } else {
        next = f.savedNext;
        i = f.start + 1;
        f.passStart = length;
        f.passMeasures = lengths_.size();
      }
    } else if (e.code == kCodeSameMeasure || e.code == kCodeMeasureEnd) {
      lengths_.push_back(length);
      length = 0;
      if (!setUp(next)) break;
    } else {
      ++i;
    }
  }
}

int64_t MeasureLengths::StartOf(int64_t m) const {
  if (m <= 0) return 0;
  const int64_t own = std::min<int64_t>(m, lengths_.size());
  int64_t sum = 0;
  for (int64_t k = 0; k < own; ++k) sum = std::min(sum + lengths_[k], kStepCap);
  if (m > own) sum = std::min(sum + std::min(m - own, kStepCap / bar_) * bar_, kStepCap);
  return sum;
}

ChunkClock::ChunkClock(const MeasureLengths& measures, int timeBase)
    : measures_(measures), wholeNote_(std::min<int64_t>(4 * int64_t{SaneTimeBase(timeBase)}, kMaxChunk)) {
  measureLeft_ = measures_.Length(0);
  Open();
}

void ChunkClock::Open() {
  const int64_t length = std::min(measureLeft_, wholeNote_);
  end_ = start_ + length;
  closes_ = length == measureLeft_;
}

void ChunkClock::Next() {
  measureLeft_ -= end_ - start_;
  start_ = end_;
  if (closes_) measureLeft_ = measures_.Length(++measure_);
  Open();
}

// --- Placement, key shift ------------------------------------------------------

TakePlacement PlaceTake(const MeasureLengths& measures, int playStartMeasure, int stepShift, int64_t punchInStep,
                        int64_t lengthSteps) {
  TakePlacement p;
  p.lead = measures.StartOf(playStartMeasure - 1);
  p.origin = p.lead - stepShift;
  punchInStep = std::max<int64_t>(punchInStep, 0);
  p.windowStart = std::max<int64_t>(p.origin + punchInStep, 0);
  p.windowEnd = std::max<int64_t>(p.origin + lengthSteps, 0);
  p.reached = lengthSteps >= punchInStep;
  return p;
}

void ApplyKeyShift(std::vector<StepEvent>& events, int keyShift) {
  if (keyShift == 0) return;
  for (StepEvent& e : events) {
    if (e.code >= kCodeEndOfTrack) break;
    if (e.code < 0x80) {
      e.code = static_cast<uint8_t>(FoldKey(e.code + keyShift));
    } else if (e.code == kCodeAfterK) {
      e.gate = static_cast<uint16_t>(FoldKey((e.gate & 0x7F) + keyShift));
    }
  }
}

// --- One track -----------------------------------------------------------------

RecordConverter::RecordConverter(const RecordTake& take) : take_(take), nextOff_(16 * 128) {
  take_.timeBase = SaneTimeBase(take_.timeBase);
  length_ = ScanRecordLength(take_.stream);
  // Every message takes two words, so this many always suffice.
  const int words = (take_.stream.first ? std::max(take_.stream.firstCount, 0) : 0) +
                    (take_.stream.second ? std::max(take_.stream.secondCount, 0) : 0);
  messages_.resize(words / 2 + 1);
}

// Pass 1: the track's messages from the record stream, at their song steps
// (before the song's start they all stand at 0).
int RecordConverter::Collect(int channelFilter, int64_t origin) {
  RecordWordReader reader(take_.stream);
  int n = 0;
  const int capacity = static_cast<int>(messages_.size());
  for (uint32_t v; n < capacity && (v = ReadRecordWord(reader, channelFilter)) != kRecordEndValue;) {
    const uint8_t hi = static_cast<uint8_t>(v >> 24);
    if (!IsChannelMessageByte(hi)) continue;
    Message& m = messages_[n++];
    m.at = std::max<int64_t>(origin + TicksToSongSteps(reader.clock(), take_.timeBase), 0);
    m.gate = 0;
    m.status = static_cast<uint8_t>(hi | ((v >> 16) & 0x0F));
    m.data1 = static_cast<uint8_t>((v >> 8) & 0x7F);
    m.data2 = static_cast<uint8_t>(v & 0x7F);
  }
  return n;
}

// Each note lasts to the next note-off of its key on its channel, or to the
// end; one step more, so that it still sounds when a continuation of it
// starts.
void RecordConverter::FindGates(int count, int64_t end) {
  std::fill(nextOff_.begin(), nextOff_.end(), int64_t{-1});
  for (int i = count - 1; i >= 0; --i) {
    Message& m = messages_[i];
    const uint8_t kind = m.status & 0xF0;
    int64_t& off = nextOff_[(m.status & 0x0F) * 128 + m.data1];
    if (kind == 0x80 || (kind == 0x90 && m.data2 == 0)) {
      off = m.at;
    } else if (kind == 0x90) {
      m.gate = (off >= 0 ? off : end) - m.at + 1;
    }
  }
}

ConvertedTrack RecordConverter::Convert(const TrackHeader& header, const StepEvent* events, int count,
                                        int channelFilter) {
  ConvertedTrack out;
  out.recordBits = header.mode & kRecordTrackBits;
  const MeasureLengths measures(events, count, take_.timeBase, take_.beats, take_.beatUnit);
  const int64_t lengthSteps = TicksToSongSteps(length_.ticks, take_.timeBase);
  const TakePlacement place = PlaceTake(measures, take_.playStartMeasure,
                                        StepShiftOf(static_cast<uint8_t>(header.stepShift)), take_.punchInStep,
                                        lengthSteps);
  out.windowStart = place.windowStart;
  out.windowEnd = place.windowEnd;
  if (!place.reached) return out;

  const int n = Collect(channelFilter, place.origin);
  FindGates(n, place.windowEnd);
  out.events.reserve(kConvertedEvents);
  ChunkBuilder builder(measures, take_.timeBase, {take_.recordFilter, take_.keyLow, take_.keyHigh}, out.events);
  for (int i = 0; i < n && !builder.full(); ++i) {
    const Message& m = messages_[i];
    builder.Add(m.at, m.status, m.data1, m.data2, m.gate);
  }
  builder.Finish(place.windowEnd);
  if (builder.full()) {
    out.status = ConvertStatus::kTooBig;
    out.events.clear();
    return out;
  }
  ApplyKeyShift(out.events, KeyShiftOf(header.keyShift));
  out.status = ConvertStatus::kConverted;
  return out;
}

ConvertedTrack ConvertRecordedTrack(const RecordTake& take, const TrackHeader& header, const StepEvent* events,
                                    int count, int channelFilter) {
  RecordConverter converter(take);
  return converter.Convert(header, events, count, channelFilter);
}

// --- Into the open song ----------------------------------------------------------

int MergeConvertedTrack(int track, const ConvertedTrack& converted) {
  if (converted.status == ConvertStatus::kTooBig) return kConvertTooBig;
  if (converted.status != ConvertStatus::kConverted || converted.events.empty()) return kConvertNotReached;
  const auto window = [](int64_t steps) { return static_cast<int32_t>(std::clamp<int64_t>(steps, 0, INT32_MAX)); };
  return RecordMerge(converted.events.data(), static_cast<int>(converted.events.size()), track,
                     window(converted.windowStart), window(converted.windowEnd), converted.recordBits, 0);
}

namespace {

// A locked block of the open song, unlocked when it goes.
template <typename T>
class LockedEntry {
 public:
  explicit LockedEntry(int index) : handle_(SongEntry(index)) {
    if (handle_) data_ = static_cast<T*>(GlobalLock(handle_));
  }
  ~LockedEntry() {
    if (data_) GlobalUnlock(handle_);
  }
  LockedEntry(const LockedEntry&) = delete;
  LockedEntry& operator=(const LockedEntry&) = delete;
  T* get() const { return data_; }
  int count() const { return data_ ? static_cast<int>(GlobalSize(handle_) / sizeof(T)) : 0; }

 private:
  HGLOBAL handle_;
  T* data_ = nullptr;
};

}  // namespace

RecordConversion ConvertRecordingIntoSong(const uint16_t* bufferA, const uint16_t* bufferB,
                                          const RecordTake& settings) {
  RecordConversion result;
  RecordTake take = settings;
  take.stream = RecordBufferStream(bufferA, bufferB);
  {
    LockedEntry<SongHeader> header(kHeaderEntry);
    if (!header.get()) return result;
    take.timeBase = header.get()->timeBase;
    take.beats = header.get()->beatNum;
    take.beatUnit = header.get()->beatDen;
  }
  const int tracks = std::min(g_song.trackCount, kMaxTracks);
  std::vector<TrackRecordBytes> bytes(tracks, TrackRecordBytes{0xFF, 0});
  for (int n = 1; n <= tracks; ++n) {
    LockedEntry<TrackHeader> th(TrackHeaderEntry(n));
    if (th.get()) bytes[n - 1] = TrackRecordBytes{th.get()->channel, th.get()->mode};
  }
  const RecordTrackList list = BuildRecordTrackList(bytes.data(), tracks);
  result.thruChannel = list.thruChannel;

  RecordConverter converter(take);
  for (const RecordTrackEntry& entry : list.tracks) {
    if (!entry.convert) continue;
    ConvertedTrack converted;
    {
      LockedEntry<TrackHeader> th(TrackHeaderEntry(entry.track));
      LockedEntry<StepEvent> events(TrackEventsEntry(entry.track));
      if (!th.get()) continue;
      converted = converter.Convert(*th.get(), events.get(), events.count(), entry.channelFilter);
    }
    const int merged = MergeConvertedTrack(entry.track, converted);
    if (merged == kConvertTooBig) result.tooBig = true;
    result.results.push_back({entry.track, merged});
  }
  return result;
}
