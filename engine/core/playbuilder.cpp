#include "playbuilder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <zk/playdata.h>

namespace {

constexpr int64_t kNever = INT64_MAX;
// A walk that handles this many events without time passing (loops of
// nothing inside loops of nothing) ends the track instead of hanging.
constexpr int kMaxEventsPerWalk = 4000000;
// A walk through the whole song before play (tempo map, measure position)
// stops after this many events: nested loops of 65,536 would otherwise take
// for ever. What lies beyond plays at the last tempo.
constexpr int64_t kMaxScanEvents = 8000000;
// Longest System Exclusive message or text a step may produce.
constexpr size_t kMaxMessage = 32768 - 16;
constexpr size_t kMaxText = 4096;

uint8_t D7(int v) { return static_cast<uint8_t>(v & 0x7F); }

int Clamp127(int v) { return std::clamp(v, 0, 127); }

int FoldOctaves(int key) {
  while (key > 127) key -= 12;
  while (key < 0) key += 12;
  return key;
}

// A System Exclusive message under construction, bounded, with the running
// checksum value of the template rules.
struct ExclBuilder {
  uint8_t bytes[kMaxMessage];
  size_t n = 0;
  int sum = 0;
  bool overflow = false;
  ExclBuilder() { bytes[n++] = 0xF0; }
  void Put(int b) {
    if (n + 1 >= kMaxMessage) {
      overflow = true;
      return;
    }
    bytes[n++] = static_cast<uint8_t>(b);
  }
  void Sum(int b) {
    Put(b);
    sum -= b;
  }
  void Checksum() { Sum(sum & 0x7F); }
  void Close() { bytes[n++] = 0xF7; }
  // One template byte with the event's values.
  void Template(uint8_t b, int t, int v, int channel) {
    switch (b) {
      case 0x80: Sum(D7(t)); break;
      case 0x81: Sum(D7(v)); break;
      case 0x82: Sum(channel & 0x0F); break;
      case 0x83: sum = 0; break;
      case 0x84: Checksum(); break;
      default: Sum(b & 0x7F); break;
    }
  }
};

}  // namespace

void PlayBuilder::PrepareTracks(const PlaySong& song, const BuilderOptions& options) {
  song_ = &song;
  opt_ = options;
  scale_ = MakeTempoScale(song.header.timeBase);
  playBias_ = std::clamp<int>(song.header.playBias, -36, 36);
  // A count that disagrees with the blocks present plays what is there.
  int count = std::min({song.trackCount, static_cast<int>(song.tracks.size()),
                        static_cast<int>(song.events.size())});
  tracks_.assign(std::max(0, count), TrackPlayState{});
  for (int i = 0; i < TrackCount(); ++i) InitTrack(i);
  ended_ = false;
  chasing_ = false;
}

void PlayBuilder::Prepare(const PlaySong& song, const BuilderOptions& options, PlayRings* rings) {
  PrepareTracks(song, options);
  rings_ = rings;
  map_ = BuildTempoMap(song, options.headerTempoOnly);
  // Long entries are taken 0x4000 steps at a time, each re-emitting its tempo.
  units_.clear();
  for (const auto& e : map_) {
    uint32_t steps = e.steps;
    if (steps == 0) continue;
    if (steps & 0x8000) {
      while (steps > 0) {
        uint32_t part = std::min<uint32_t>(steps, 0x4000);
        units_.push_back(TempoEntry{e.code, static_cast<uint16_t>(part)});
        steps -= part;
      }
    } else {
      units_.push_back(e);
    }
  }
  unitNext_ = 0;
  tempoIn_ = 0;
  tempo_ = song.header.tempo > 0 ? song.header.tempo : 120;
  tempo10_ = tempo_ * 10;
  lastAnnouncedTempo10_ = -1;
  tempoPending_ = false;
  now_ = 0;
}

void PlayBuilder::InitTrack(int index) {
  TrackPlayState& t = tracks_[index];
  const TrackHeader& h = song_->tracks[index];
  const auto& ev = song_->events[index];
  t = TrackPlayState{};
  t.events = ev.data();
  t.eventCount = static_cast<int>(ev.size());
  int shift = h.keyShift & 0x7F;
  if (shift & 0x40) shift -= 128;
  t.keyShift = (h.keyShift & 0x80) ? 0 : std::clamp(shift, -36, 36);
  t.noTranspose = (h.rhythm & 0x80) || (h.keyShift & 0x80);
  t.playFlags = static_cast<uint16_t>(~(h.mode & 1));
  t.savedFlags = t.playFlags;
  t.recordTarget = h.mode & 6;
  t.stepDelay = std::max(0, h.stepShift + 1);
  t.countdown = t.stepDelay;
  t.channelWord = h.channel;
  t.nextMeasure = 0;
  SetUpMeasure(t);
}

void PlayBuilder::SetUpMeasure(TrackPlayState& t) {
  auto at = [&](int i) -> const StepEvent* {
    return (i >= 0 && i < t.eventCount) ? &t.events[i] : nullptr;
  };
  int a = t.nextMeasure;
  t.measureStart = a;
  if (scanTarget_ >= 0 && a == scanTarget_ && scanFoundAt_ < 0) {
    // The latest start of the measure counts: a repeat end at its start
    // jumps back until its last pass. A reference or the end is the whole
    // measure.
    scanMeasureAt_ = now_ + t.countdown;
    const StepEvent* m = at(a);
    if (!m || m->code == 0xFC || m->code >= kEndCode) scanFoundAt_ = scanMeasureAt_;
  }
  for (int n = 0; n < kSameMeasureChain; ++n) {
    const StepEvent* e = at(a);
    if (!e || e->code != 0xFC) break;
    int ref = e->gate == 0 ? t.measureStart : static_cast<int>(e->gate) - 48;
    a = at(ref) ? ref : t.measureStart;
  }
  const StepEvent* e = at(a);
  if (!e || e->code >= kEndCode) {
    t.playFlags = 0;
    return;
  }
  t.next = a;
  int ms = t.measureStart;
  int nm = ms;
  if (at(ms) && at(ms)->code == 0xFC) {
    nm = ms + 1;
  } else {
    for (int i = ms; i < t.eventCount; ++i) {
      uint8_t c = t.events[i].code;
      if (c == 0xFD) {
        nm = i + 1;
        break;
      }
      if ((c == 0xFC && i != ms) || c >= kEndCode) {
        nm = i;
        break;
      }
      nm = i + 1;
    }
  }
  t.nextMeasure = nm;
  t.measureReturn = nm;
}

bool PlayBuilder::AnyTrackActive() const {
  for (const auto& t : tracks_)
    if (t.Active()) return true;
  return false;
}

bool PlayBuilder::DataRemains() const {
  if (AnyTrackActive()) return true;
  for (const auto& t : tracks_)
    for (const auto& s : t.slots)
      if (s.key != 0x80) return true;
  return false;
}

void PlayBuilder::SoloTrack(int track) {
  for (int i = 0; i < TrackCount(); ++i)
    if (i != track - 1) tracks_[i].playFlags = 0;
}

void PlayBuilder::TakeTempoUnit() {
  const TempoEntry& u = units_[unitNext_++];
  TempoPair p = EntryTempo(u.code, u.steps, scale_);
  tempo_ = TempoOfPair(p);
  tempo10_ = Tempo10OfPair(p);
  tempoIn_ = u.steps;
  tempoPending_ = true;
  if (out_) {
    out_->Tempo(p.c, p.e, tempo_);
    out_->Mark(kMarkTempo, tempo10_);
  }
}

bool PlayBuilder::Step() {
  if (ended_) return false;
  if (!DataRemains()) {
    if (out_) out_->End();
    ended_ = true;
    return false;
  }
  int64_t d = kNever;
  for (const auto& t : tracks_) {
    for (const auto& s : t.slots)
      if (s.key != 0x80) d = std::min<int64_t>(d, s.remaining);
    if (t.Active()) d = std::min(d, t.countdown);
  }
  bool tempoLeft = unitNext_ < units_.size();
  if (tempoLeft) d = std::min(d, tempoIn_);
  if (d < 0) d = 0;
  if (d > 0 && out_) out_->Wait(static_cast<uint32_t>(d));
  now_ += d;
  if (tempoLeft) {
    tempoIn_ -= d;
    if (tempoIn_ <= 0) TakeTempoUnit();
  }
  for (int i = 0; i < TrackCount(); ++i) {
    TrackPlayState& t = tracks_[i];
    t.touched = false;
    for (int s = 0; s < kNoteSlots; ++s) {
      if (t.slots[s].key == 0x80) continue;
      t.slots[s].remaining -= static_cast<int32_t>(d);
      if (t.slots[s].remaining <= 0) {
        NoteOff(t, s);
        t.touched = true;
      }
    }
    if (t.Active()) {
      t.countdown -= d;
      if (t.countdown <= 0) {
        Walk(i);
        t.touched = true;
      }
    }
  }
  WriteRecords();
  if (!DataRemains()) {
    if (out_) out_->End();
    ended_ = true;
    return false;
  }
  return true;
}

void PlayBuilder::ChasePass(uint32_t steps) {
  int64_t rem = steps;
  while (unitNext_ < units_.size() && tempoIn_ <= rem) {
    rem -= tempoIn_;
    now_ += tempoIn_;
    TakeTempoUnit();
  }
  if (unitNext_ < units_.size()) tempoIn_ -= rem;
  now_ += rem;
  for (int i = 0; i < TrackCount(); ++i) {
    TrackPlayState& t = tracks_[i];
    if (!t.Active()) continue;
    t.countdown -= steps;
    if (t.countdown <= 0) Walk(i);
  }
}

void PlayBuilder::WriteRecords() {
  if (!rings_ || !rings_->Allocated() || chasing_) return;
  bool wrote = false;
  for (int i = 0; i < TrackCount(); ++i) {
    TrackPlayState& t = tracks_[i];
    if (!t.touched) continue;
    if (t.textPending) {
      PlayMonRecord r{};
      r.eventIndex = static_cast<uint16_t>(t.current);
      r.value = static_cast<uint16_t>(t.textOffset);
      r.track = kMonText;
      r.measure = static_cast<uint16_t>(t.shownMeasure);
      r.stepInMeasure = static_cast<uint16_t>(t.shownPosition);
      if (rings_->WriteMonitor(r) >= 0) wrote = true;
      t.textPending = false;
    }
    if (tempoPending_ && tempo10_ != lastAnnouncedTempo10_) {
      PlayMonRecord r{};
      r.value = static_cast<uint16_t>(tempo10_);
      r.track = kMonTempo;
      if (rings_->WriteMonitor(r) >= 0) wrote = true;
      lastAnnouncedTempo10_ = tempo10_;
    }
    tempoPending_ = false;
    if (opt_.monitorTracks) {
      PlayMonRecord r{};
      r.eventIndex = static_cast<uint16_t>(t.current);
      r.value = static_cast<uint16_t>(rings_->MonitorWriteIndex());
      r.track = i;
      r.measure = static_cast<uint16_t>(t.shownMeasure);
      r.stepInMeasure = static_cast<uint16_t>(t.shownPosition);
      r.soundingCount = static_cast<int16_t>(t.held);
      r.channelWord = static_cast<int16_t>(t.ChannelOn() ? (t.channelWord & 0x3F) : 255);
      r.bank = static_cast<int16_t>(t.bank);
      r.program = static_cast<int16_t>(t.program);
      r.bend = static_cast<int16_t>(t.bend);
      r.hold = static_cast<int16_t>(t.hold);
      r.modulation = static_cast<int16_t>(t.modulation);
      r.volume = static_cast<int16_t>(t.volume);
      r.expression = static_cast<int16_t>(t.expression);
      r.pan = static_cast<int16_t>(t.pan);
      r.level = static_cast<int16_t>(t.lastVelocity2);
      std::memcpy(r.keys, t.keys, sizeof r.keys);
      if (rings_->WriteMonitor(r) >= 0) wrote = true;
      t.lastVelocity2 = 0;
    }
  }
  if (wrote && out_) out_->Mark(kMarkMonitor, rings_->MonitorWriteIndex());
}

void PlayBuilder::Walk(int index) {
  TrackPlayState& t = tracks_[index];
  for (int guard = 0; guard < kMaxEventsPerWalk; ++guard) {
    if (!t.Active()) return;
    if (t.next < 0 || t.next >= t.eventCount) {
      t.playFlags = 0;
      return;
    }
    t.current = t.next;
    t.shownPosition = t.position;
    if (scan_) {
      if (scanMeasureAt_ >= 0 && scanFoundAt_ < 0 && t.measureStart == scanTarget_ && t.current >= scanEvent_)
        scanFoundAt_ = scanMeasureAt_;
      if (++scanEvents_ >= kMaxScanEvents) {
        t.playFlags = 0;
        return;
      }
    }
    const StepEvent e = t.events[t.next++];
    uint8_t c = e.code;
    if (c < 0xF0) {
      if (scan_) {
        if (c == 0xE7 && scan_->tempo) scan_->tempo->TempoEvent(e.gate, e.vel);
        if (c == 0x98 || c == 0x99)
          while (t.next < t.eventCount && t.events[t.next].code == 0xF7) ++t.next;
      } else if (c < 0x80) {
        int key = TransposeKey(t, c, false);
        if (!chasing_ && e.gate != 0 && e.vel != 0 && t.Output()) StartNote(index, key, e.vel, e.gate);
      } else if (t.Output() || c == 0xE6) {
        Command(index, e);
      } else if (c == 0x98 || c == 0x99) {
        while (t.next < t.eventCount && t.events[t.next].code == 0xF7) ++t.next;
      }
      if (e.step != 0) {
        t.countdown += e.step;
        if (t.countdown >= 1) {
          ++t.position;
          return;
        }
      }
      continue;
    }
    switch (c) {
      case 0xF9:
        if (t.loopDepth < kLoopDepth) {
          LoopFrame& f = t.loops[t.loopDepth++];
          f.counter = 0;
          f.startIndex = t.current;
          f.measure = t.measure;
          f.position = t.position;
          f.nextMeasure = t.nextMeasure;
          f.measureReturn = t.measureReturn;
          f.measureStart = t.measureStart;
        }
        break;
      case 0xF8: {
        if (t.loopDepth == 0) break;
        LoopFrame& f = t.loops[t.loopDepth - 1];
        uint32_t count = e.step == 0 ? 65536u : e.step;
        if (++f.counter >= count) {
          --t.loopDepth;
        } else {
          t.measure = f.measure;
          t.position = f.position;
          t.nextMeasure = f.nextMeasure;
          t.measureReturn = f.measureReturn;
          t.measureStart = f.measureStart;
          t.next = f.startIndex + 1;
        }
        break;
      }
      case 0xFC:
      case 0xFD:
        t.position = 1;
        t.shownMeasure = t.measure;
        ++t.measure;
        if (opt_.recording && (t.recordTarget & 4)) {
          if (t.measure == opt_.punchInMeasure) t.playFlags = 4;
          if (opt_.punchOutMeasure != 0 && opt_.punchOutMeasure < t.measure) t.playFlags = t.savedFlags;
        }
        SetUpMeasure(t);
        break;
      case 0xF6:
        CommentText(index);
        break;
      case 0xFE:
      case 0xFF:
        t.playFlags = 0;
        return;
      default:
        break;
    }
  }
  t.playFlags = 0;  // no time passes in this track: it cannot go on
}

int PlayBuilder::TransposeKey(const TrackPlayState& t, int key, bool foldOctaves) const {
  if (t.noTranspose) return key;
  if (foldOctaves) return FoldOctaves(FoldOctaves(key + playBias_) + t.keyShift);
  return Clamp127(Clamp127(key + playBias_) + t.keyShift);
}

void PlayBuilder::SendChannel(TrackPlayState& t, uint8_t status, int d1, int d2) {
  if (!t.Output() || !t.ChannelOn() || !out_) return;
  out_->Channel(t.channelWord, static_cast<uint8_t>(status | (t.channelWord & 0x0F)), D7(d1), D7(d2));
}

void PlayBuilder::StartNote(int index, int key, int velocity, int gate) {
  TrackPlayState& t = tracks_[index];
  if (!t.ChannelOn()) return;
  for (auto& s : t.slots)
    if (s.key == key) {
      s.remaining = gate;
      return;
    }
  int slot = -1;
  for (int i = 0; i < kNoteSlots; ++i)
    if (t.slots[i].key == 0x80) {
      slot = i;
      break;
    }
  bool reused = false;
  if (slot < 0) {
    slot = 0;
    reused = true;
    uint8_t old = t.slots[0].key;
    SendChannel(t, 0x90, old, 0);
    t.keys[old >> 3] &= static_cast<uint8_t>(~(1 << (old & 7)));
  }
  t.slots[slot].key = static_cast<uint8_t>(key);
  t.slots[slot].remaining = gate;
  t.keys[key >> 3] |= static_cast<uint8_t>(1 << (key & 7));
  if (!reused) ++t.held;
  int vel = std::min(velocity, 127);
  SendChannel(t, 0x90, key, vel);
  t.lastVelocity2 = vel * 2;
}

void PlayBuilder::NoteOff(TrackPlayState& t, int slot) {
  uint8_t key = t.slots[slot].key;
  if (key == 0x80) return;
  // A note that sounds is silenced even when the track was muted since.
  if (t.ChannelOn() && out_)
    out_->Channel(t.channelWord, static_cast<uint8_t>(0x90 | (t.channelWord & 0x0F)), key, 0);
  t.slots[slot].key = 0x80;
  t.slots[slot].remaining = 0;
  t.keys[key >> 3] &= static_cast<uint8_t>(~(1 << (key & 7)));
  if (t.held > 0) --t.held;
}

void PlayBuilder::AllNotesOff(TrackPlayState& t) {
  for (int s = 0; s < kNoteSlots; ++s) NoteOff(t, s);
}

void PlayBuilder::Exclusive(TrackPlayState& t, const uint8_t* bytes, size_t n) {
  if (!out_ || !t.Output() || !t.ChannelOn()) return;
  out_->SysEx(t.channelWord, bytes, n);
}

void PlayBuilder::TrackExclusive(int index) {
  TrackPlayState& t = tracks_[index];
  const StepEvent& head = t.events[t.current];
  bool send = t.ChannelOn() && !(opt_.filter & kFilterExclusive);
  ExclBuilder x;
  bool done = false;
  while (t.next < t.eventCount && t.events[t.next].code == 0xF7) {
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&t.events[t.next]);
    ++t.next;
    for (int i = 1; i <= 5 && !done; ++i) {
      if (b[i] == 0xF7) {
        done = true;
        break;
      }
      x.Template(b[i], head.gate, head.vel, t.channelWord);
    }
  }
  if (!send || x.overflow) return;
  x.Close();
  Exclusive(t, x.bytes, x.n);
}

void PlayBuilder::CommentText(int index) {
  TrackPlayState& t = tracks_[index];
  // Bytes 1-5 of the comment and of its continuations, up to a byte 0xF7.
  std::vector<uint8_t> text;
  bool ended = false;
  int j = t.current;
  do {
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&t.events[j]);
    for (int i = 1; i <= 5 && !ended; ++i) {
      if (b[i] == 0xF7) ended = true;
      else text.push_back(b[i]);
    }
    ++j;
  } while (j < t.eventCount && t.events[j].code == 0xF7);
  t.next = j;
  if (out_ && !scan_ && !chasing_ && t.Output() && t.ChannelOn()) out_->Text(t.channelWord, text.data(), text.size());
}

void PlayBuilder::ExternalCommand(int index, const StepEvent& e) {
  TrackPlayState& t = tracks_[index];
  uint8_t rec[sizeof(TextEventRecord) + kMaxText + 1];
  TextEventRecord head{};
  head.kind = static_cast<uint16_t>((e.gate & 0xFF) | (e.vel << 8));
  head.track = static_cast<uint16_t>(index);
  head.eventIndex = static_cast<uint16_t>(t.current);
  head.measure = static_cast<uint16_t>(t.shownMeasure);
  head.stepInMeasure = static_cast<uint16_t>(t.shownPosition);
  std::memcpy(rec, &head, sizeof head);
  size_t n = sizeof head;
  bool done = false;
  while (t.next < t.eventCount && t.events[t.next].code == 0xF7) {
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&t.events[t.next]);
    ++t.next;
    for (int i = 1; i <= 5 && !done; ++i) {
      if (b[i] == 0 || n >= sizeof head + kMaxText) {
        done = true;
        break;
      }
      rec[n++] = b[i];
    }
  }
  rec[n++] = 0;
  bool mci = (e.gate & 0xFF) == 0 && e.vel == 0;
  bool commandLine = head.kind == 1;
  if (chasing_ || !t.ChannelOn() || (mci && (opt_.filter & kFilterMci)) ||
      (commandLine && (opt_.filter & kFilterCommandLine)))
    return;
  if (!rings_) return;
  int offset = rings_->WriteText(rec, static_cast<int>(n));
  if (offset < 0) return;
  t.textPending = true;
  t.textOffset = offset;
}

void PlayBuilder::Command(int index, const StepEvent& e) {
  TrackPlayState& t = tracks_[index];
  const int c = e.code, v = e.vel, tt = e.gate;
  const int n = t.channelWord & 0x0F;
  const bool on = t.ChannelOn();
  const bool exclOk = on && !(opt_.filter & kFilterExclusive);
  auto yamaha = [&](std::initializer_list<int> body) {
    if (!exclOk) return;
    ExclBuilder x;
    for (int b : body) x.Put(b);
    x.Close();
    Exclusive(t, x.bytes, x.n);
  };
  auto programAfterBank = [&]() {
    if (v < 128) {
      t.program = tt;
      if (tt < 128) SendChannel(t, 0xC0, tt, 0);
    }
  };
  if (c >= 0x90 && c <= 0x97) {
    const uint8_t* tmpl = song_->header.userExcl[c - 0x90].data;
    if (!exclOk || tmpl[0] == 0xF7) return;
    ExclBuilder x;
    for (int i = 0; i < 25 && tmpl[i] != 0xF7; ++i) x.Template(tmpl[i], tt, v, n);
    x.Close();
    Exclusive(t, x.bytes, x.n);
    return;
  }
  switch (c) {
    case 0x98: TrackExclusive(index); return;
    case 0x99: ExternalCommand(index, e); return;
    case 0xC0: case 0xC1: case 0xC2: case 0xC3: case 0xC7: case 0xC8: case 0xC9:
    case 0xCC: case 0xCD: case 0xCE: {
      static const int kG[] = {0x08, 0x00, 0x04, 0x11, -1, -1, -1, 0x12, 0x13, 0x10,
                               -1, -1, 0x1B, 0x18, 0x19};
      int g = kG[c - 0xC0];
      yamaha({0x43, 0x10 | n, ((tt >> 7) | g) & 0x7F, tt & 0x7F, v & 0x7F});
      return;
    }
    case 0xCA: case 0xCB:
      yamaha({0x43, 0x10 | n, 0x10, c == 0xCA ? 0x7B : 0x7C, tt & 0x7F, v & 0x7F});
      return;
    case 0xC5:
      if (tt > 63) yamaha({0x43, 0x10 | n, 0x15, tt & 0x7F, v & 0x0F, (v >> 4) & 0x7F});
      else yamaha({0x43, 0x10 | n, 0x15, tt & 0x7F, v & 0x7F});
      return;
    case 0xC6: yamaha({0x43, 0x75, n, 0x10, tt & 0x7F, v & 0x7F}); return;
    case 0xCF:
      if ((tt >= 16 && tt <= 23) || (tt >= 88 && tt <= 95))
        yamaha({0x43, 0x10 | n, 0x1A, tt & 0x7F, (v >> 7) & 0x7F, v & 0x7F});
      else yamaha({0x43, 0x10 | n, 0x1A, tt & 0x7F, v & 0x7F});
      return;
    case 0xD0:
      if (on) { t.yamahaAddr[0] = static_cast<uint8_t>(tt); t.yamahaAddr[1] = static_cast<uint8_t>(v); }
      return;
    case 0xD1: case 0xD3: {
      if (!exclOk) return;
      ExclBuilder x;
      x.Put(0x43); x.Put(D7(t.yamahaDevice)); x.Put(D7(t.yamahaModel));
      x.Sum(D7(t.yamahaAddr[0])); x.Sum(D7(t.yamahaAddr[1])); x.Sum(D7(tt)); x.Sum(D7(v));
      if (c == 0xD1) x.Checksum();
      x.Close();
      Exclusive(t, x.bytes, x.n);
      return;
    }
    case 0xD2:
      if (on) { t.yamahaDevice = static_cast<uint8_t>(tt); t.yamahaModel = static_cast<uint8_t>(v); }
      return;
    case 0xDC: yamaha({0x41, 0x32, 0x00, tt & 0x7F, v & 0x7F}); return;
    case 0xDD:
      if (on) { t.rolandAddr[0] = static_cast<uint8_t>(tt); t.rolandAddr[1] = static_cast<uint8_t>(v); }
      return;
    case 0xDE: {
      if (!exclOk) return;
      ExclBuilder x;
      x.Put(0x41); x.Put(D7(t.rolandDevice)); x.Put(D7(t.rolandModel)); x.Put(0x12);
      x.Sum(D7(t.rolandAddr[0])); x.Sum(D7(t.rolandAddr[1])); x.Sum(D7(tt)); x.Sum(D7(v));
      x.Checksum();
      x.Close();
      Exclusive(t, x.bytes, x.n);
      return;
    }
    case 0xDF:
      if (on) { t.rolandDevice = static_cast<uint8_t>(tt); t.rolandModel = static_cast<uint8_t>(v); }
      return;
    case 0xE1: case 0xE2:
      if (opt_.filter & kFilterProgram) return;
      t.bank = v;
      // A bank of 128 or more is kept but is no MIDI data byte to send.
      if (v < 128) {
        SendChannel(t, 0xB0, 0, c == 0xE1 ? 0 : v);
        SendChannel(t, 0xB0, 32, c == 0xE1 ? v : 0);
      }
      programAfterBank();
      return;
    case 0xE6:
      AllNotesOff(t);
      if (t.bend != 8192) { t.bend = 8192; SendChannel(t, 0xE0, 0, 0x40); }
      if (t.hold != 0) { t.hold = 255; SendChannel(t, 0xB0, 64, 0); }
      if (t.modulation != 0) { t.modulation = 255; SendChannel(t, 0xB0, 1, 0); }
      t.channelWord = (tt >= 1 && tt <= 32) ? tt - 1 : 0xFF;
      return;
    case 0xEA:
      if (!on || (opt_.filter & kFilterChannelPressure)) return;
      SendChannel(t, 0xD0, tt, 0);
      t.channelPressure = tt;
      return;
    case 0xEB:
      if (!on || (opt_.filter & kFilterControl)) return;
      SendChannel(t, 0xB0, tt, v);
      switch (tt) {
        case 0: t.bank = v; break;
        case 1: t.modulation = v; break;
        case 7: t.volume = v; break;
        case 10: t.pan = v; break;
        case 11: t.expression = v; break;
        case 64: t.hold = v; break;
        default: break;
      }
      return;
    case 0xEC:
      if ((opt_.filter & kFilterProgram) || tt >= 128) return;
      t.program = tt;
      SendChannel(t, 0xC0, tt, 0);
      return;
    case 0xED:
      if (!on || (opt_.filter & kFilterKeyPressure)) return;
      SendChannel(t, 0xA0, TransposeKey(t, tt & 0x7F, true), v);
      return;
    case 0xEE:
      if (!on || (opt_.filter & kFilterBend)) return;
      SendChannel(t, 0xE0, tt, v);
      // Keep what was sent: both bytes went out as 7-bit data.
      t.bend = (tt & 0x7F) | ((v & 0x7F) << 7);
      return;
    default:
      return;
  }
}

std::vector<TempoEntry> BuildTempoMap(const PlaySong& song, bool headerTempoOnly) {
  TempoScale scale = MakeTempoScale(song.header.timeBase);
  TempoMapBuilder mb(scale, song.header.tempo);
  PlayBuilder scan;
  PlayBuilder::Scan s{headerTempoOnly ? nullptr : &mb};
  scan.scan_ = &s;
  scan.PrepareTracks(song, BuilderOptions{});
  scan.RunScan([&](int64_t d) { mb.Advance(static_cast<uint64_t>(d)); });
  return mb.Finish();
}

template <typename F>
void PlayBuilder::RunScan(F advance) {
  for (;;) {
    int64_t d = kNever;
    for (const auto& t : tracks_)
      if (t.Active()) d = std::min(d, t.countdown);
    if (d == kNever || scanFoundAt_ >= 0) return;
    if (d < 0) d = 0;
    advance(d);
    now_ += d;
    for (int i = 0; i < TrackCount(); ++i) {
      TrackPlayState& t = tracks_[i];
      if (!t.Active()) continue;
      t.countdown -= d;
      if (t.countdown <= 0) Walk(i);
    }
  }
}

int64_t PlayBuilder::StepsToMeasureOf(const PlaySong& song, int track, int eventIndex) {
  if (track < 1 || track > song.trackCount || track > static_cast<int>(song.events.size()) ||
      track > static_cast<int>(song.tracks.size()))
    return -1;
  const auto& ev = song.events[track - 1];
  int start = 0;
  for (int i = std::min<int>(eventIndex, static_cast<int>(ev.size())) - 1; i >= 0; --i)
    if (ev[i].code == 0xFD || ev[i].code == 0xFC) {
      start = i + 1;
      break;
    }
  if (start == 0) return 0;
  PlayBuilder scan;
  PlayBuilder::Scan s{nullptr};
  scan.scan_ = &s;
  scan.PrepareTracks(song, BuilderOptions{});
  scan.SoloTrack(track);
  scan.scanTarget_ = start;
  scan.scanEvent_ = eventIndex;
  int64_t delay = scan.tracks_[track - 1].stepDelay;
  scan.RunScan([](int64_t) {});
  if (scan.scanFoundAt_ < 0) return -1;
  return std::max<int64_t>(0, scan.scanFoundAt_ - delay);
}
