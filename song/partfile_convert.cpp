// Conversion of the older part kinds to "Q31PR" and rescaling to the song's
// time base. Works on bytes only; every length field is checked against the
// data before it is trusted.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "noteoverlap.h"
#include "partfile.h"
#include "zk/lebytes.h"

namespace {

constexpr char kRecordsSig[] = "ZKPPR";
constexpr char kDropSig[] = "ZKPPARTDATA01";
constexpr char kQ30Sig[] = "Q30PR";
constexpr char kQ31Sig[] = "Q31PR";
constexpr size_t kDropRecordsOffset = 20;
constexpr int kRecordTicks = 48;   // ticks per quarter note of record kinds

bool StartsWith(const uint8_t* data, size_t size, const char* sig) {
  size_t n = std::strlen(sig);
  return size >= n && std::memcmp(data, sig, n) == 0;
}

uint16_t Clamp16(uint64_t v) { return static_cast<uint16_t>(std::min<uint64_t>(v, 0xFFFF)); }

int EffectiveTimeBase(int t) { return t > 0 ? t : kDefaultPartTimeBase; }

StepEvent MakeEvent(uint8_t code, uint8_t vel, uint16_t step, uint16_t gate) {
  return StepEvent{code, vel, step, gate};
}

struct Record {
  uint8_t c, s, g, v;
};

// Records of the two old kinds, read from a bounded source.
class RecordConverter {
 public:
  RecordConverter(const uint8_t* data, size_t size, int timeBase)
      : data_(data), size_(size), t_(timeBase) {}

  // Converts records first .. bound - 1 into events. Records must lie within
  // the data; the end record or the bound ends the part.
  PartStatus Run(int first, int bound, std::vector<StepEvent>* events, StepEvent* end) {
    events_ = events;
    int i = first;
    *end = EndEvent();
    while (i < bound) {
      if (!Have(i)) return PartStatus::kDamaged;
      Record r = At(i);
      if (r.c >= 0xFE) {
        *end = MakeEvent(r.c, r.v, r.s, r.g);
        break;
      }
      if (r.c == 0xF6) {
        std::vector<uint8_t> text{r.g, r.v};
        i = TakeContinuations(i + 1, bound, &text);
        Pack(0xF6, text, ' ');
        lastRun_ = kTextRun;
      } else if (r.c == 0x98) {
        events_->push_back(MakeEvent(r.c, r.v, Scale(r.s), r.g));
        std::vector<uint8_t> data;
        ++i;
        if (i < bound && Have(i)) {
          // The first data record counts whatever its code.
          data.push_back(At(i).g);
          data.push_back(At(i).v);
          i = TakeContinuations(i + 1, bound, &data);
        }
        Pack(0xF7, data, 0xF7);
        lastRun_ = kTextRun;
      } else if (r.c == 0x99) {
        events_->push_back(MakeEvent(r.c, r.v, Scale(r.s), r.g));
        std::vector<uint8_t> text;
        i = TakeContinuations(i + 1, bound, &text);
        Pack(0xF7, text, ' ');
        lastRun_ = kExternalRun;
      } else if (r.c == 0xF7 && lastRun_ == kTextRun) {
        // Text left over after other events: it reads on as a comment.
        std::vector<uint8_t> text{r.g, r.v};
        i = TakeContinuations(i + 1, bound, &text);
        Pack(0xF6, text, ' ');
      } else {
        if (r.c < 0x80)
          events_->push_back(MakeEvent(r.c, r.v, Scale(r.s), Scale(r.g)));
        else if (r.c < 0xF0)
          events_->push_back(MakeEvent(r.c, r.v, Scale(r.s), r.g));
        else
          events_->push_back(MakeEvent(r.c, r.v, r.s, r.g));
        ++i;
      }
      if (events_->size() > static_cast<size_t>(kMaxPartEvents)) return PartStatus::kTooManyEvents;
    }
    return PartStatus::kOk;
  }

 private:
  enum LastRun { kNoRun, kTextRun, kExternalRun };

  bool Have(int i) const { return 8 + 4 * static_cast<size_t>(i) + 4 <= size_; }
  Record At(int i) const {
    const uint8_t* p = data_ + 8 + 4 * static_cast<size_t>(i);
    return Record{p[0], p[1], p[2], p[3]};
  }
  uint16_t Scale(uint8_t ticks) const {
    return Clamp16(static_cast<uint64_t>(ticks) * t_ / kRecordTicks);
  }
  // Appends g and v of the 0xF7 records from i on; returns the next index.
  int TakeContinuations(int i, int bound, std::vector<uint8_t>* bytes) const {
    for (; i < bound && Have(i) && At(i).c == 0xF7; ++i) {
      bytes->push_back(At(i).g);
      bytes->push_back(At(i).v);
    }
    return i;
  }
  // Five bytes to an event; the first takes code, the rest are 0xF7.
  void Pack(uint8_t code, const std::vector<uint8_t>& bytes, uint8_t fill) {
    for (size_t at = 0; at < bytes.size(); at += 5) {
      uint8_t raw[6] = {at == 0 ? code : uint8_t{0xF7}, fill, fill, fill, fill, fill};
      for (size_t k = 0; k < 5 && at + k < bytes.size(); ++k) raw[1 + k] = bytes[at + k];
      StepEvent e;
      std::memcpy(&e, raw, sizeof e);
      events_->push_back(e);
    }
  }

  const uint8_t* data_;
  size_t size_;
  uint64_t t_;
  std::vector<StepEvent>* events_ = nullptr;
  LastRun lastRun_ = kNoRun;
};

void BuildImage(const uint8_t head[kPartHeadBytes], const std::vector<StepEvent>& events,
                const StepEvent& end, std::vector<uint8_t>* out) {
  out->assign(head, head + kPartHeadBytes);
  std::memcpy(out->data(), kQ31Sig, 5);
  PutU16(out->data() + 6, 12);
  PutU32(out->data() + 8, static_cast<uint32_t>(events.size() * sizeof(StepEvent)));
  const auto* bytes = reinterpret_cast<const uint8_t*>(events.data());
  out->insert(out->end(), bytes, bytes + events.size() * sizeof(StepEvent));
  const auto* e = reinterpret_cast<const uint8_t*>(&end);
  out->insert(out->end(), e, e + sizeof end);
}

void FreshHead(uint8_t head[kPartHeadBytes], int timeBase) {
  std::memset(head, 0, kPartHeadBytes);
  PutU16(head + 12, static_cast<uint32_t>(timeBase));
}

PartStatus ConvertRecords(const uint8_t* data, size_t size, int t, bool drop,
                          std::vector<uint8_t>* out) {
  std::vector<StepEvent> events;
  uint16_t lengthField = U16At(data + 6);
  int first, bound;
  if (drop) {
    // The five slots before the events carry the drop header; they start as
    // the block's own bytes 8 to 37, as an in-place conversion leaves them.
    uint8_t slots[kDropHeaderSlots * 6] = {};
    if (size > 8) std::memcpy(slots, data + 8, std::min(sizeof slots, size - 8));
    events.resize(kDropHeaderSlots);
    std::memcpy(events.data(), slots, sizeof slots);
    first = (kDropRecordsOffset - 8) / 4;
    bound = lengthField / 6;
  } else {
    // The caller has checked the field against the whole data; here the data
    // is cut to the source bound.
    if (8 + static_cast<size_t>(lengthField) > size) return PartStatus::kTooManyEvents;
    first = 0;
    bound = lengthField / 4;
  }
  StepEvent end;
  RecordConverter conv(data, size, t);
  PartStatus st = conv.Run(first, bound, &events, &end);
  if (st != PartStatus::kOk) return st;
  if (drop) {
    int count = static_cast<int>(events.size()) - kDropHeaderSlots;
    auto* slot3 = reinterpret_cast<uint8_t*>(&events[3]);
    auto* slot4 = reinterpret_cast<uint8_t*>(&events[4]);
    slot3[1] = static_cast<uint8_t>(count >> 8);   // offset 27
    PutU16(slot3 + 4, count & 0xFF);                // offset 30
    slot4[0] = data[16];                            // offset 32
    slot4[1] = data[19];                            // offset 33
    PutU16(slot4 + 2, data[17]);                    // offset 34
    PutU16(slot4 + 4, data[18]);                    // offset 36
  }
  uint8_t head[kPartHeadBytes];
  FreshHead(head, t);
  BuildImage(head, events, end, out);
  return PartStatus::kOk;
}

PartStatus ConvertQ30(const uint8_t* data, size_t size, int t, std::vector<uint8_t>* out) {
  size_t length = U16At(data + 6);
  if (8 + length > size) return PartStatus::kDamaged;
  size_t n = length / sizeof(StepEvent);
  if (n > static_cast<size_t>(kMaxPartEvents)) return PartStatus::kTooManyEvents;
  std::vector<StepEvent> events(n);
  std::memcpy(events.data(), data + 8, n * sizeof(StepEvent));
  // Its events are taken to be at the song's time base already.
  uint8_t head[kPartHeadBytes];
  FreshHead(head, t);
  BuildImage(head, events, EndEvent(), out);
  return PartStatus::kOk;
}

// Scales steps with a running remainder so that the part's length does not
// drift; a note that overlaps the next note of its key keeps reaching one
// tick into it.
void Rescale(std::vector<StepEvent>* events, int from, int to) {
  std::vector<StepEvent>& ev = *events;
  int n = static_cast<int>(ev.size());
  ev.push_back(EndEvent());
  std::vector<bool> overlaps(n, false);
  uint64_t sum = 0;
  for (int i = 0; i < n; ++i) {
    StepEvent& e = ev[i];
    if (e.code < 0xF0) sum += static_cast<uint64_t>(e.step) * to;
    if (e.code < 0x80) {
      // A gate of 0 is a rest, not a note that can overlap.
      if (e.gate != 0 && PartNoteOverlap(ev.data(), n + 1, i, e.gate) != 0) overlaps[i] = true;
      e.gate = Clamp16(static_cast<uint64_t>(e.gate) * to / from);
    }
    if (e.code < 0xF0) {
      uint64_t q = sum / from;
      sum -= q * from;
      // Time that does not fit 16 bits is dropped here rather than pushed
      // onto the following events.
      e.step = Clamp16(q);
    }
  }
  for (int i = 0; i < n; ++i) {
    if (!overlaps[i]) continue;
    int d = PartNoteOverlap(ev.data(), n + 1, i, 0);
    if (d > 0) ev[i].gate = Clamp16(static_cast<uint64_t>(d) + 1);
  }
  ev.pop_back();
}

PartStatus ConvertQ31(const uint8_t* data, size_t size, int t, std::vector<uint8_t>* out) {
  if (size < kPartHeadBytes) return PartStatus::kDamaged;
  uint64_t distance = U16At(data + 6);
  uint64_t length = U32At(data + 8);
  // The time base field lies inside the head, so events start at 20 or later.
  if (distance < 12 || 8 + distance + length > size) return PartStatus::kDamaged;
  uint64_t n = length / sizeof(StepEvent);
  if (n > static_cast<uint64_t>(kMaxPartEvents)) return PartStatus::kTooManyEvents;
  std::vector<StepEvent> events(static_cast<size_t>(n));
  std::memcpy(events.data(), data + 8 + distance, events.size() * sizeof(StepEvent));
  uint8_t head[kPartHeadBytes];
  std::memcpy(head, data, kPartHeadBytes);
  int from = EffectiveTimeBase(U16At(data + 12));
  if (from != t) {
    Rescale(&events, from, t);
    // The head names the time base its events are at now, so converting
    // the block again changes nothing.
    PutU16(head + 12, static_cast<uint32_t>(t));
  }
  BuildImage(head, events, EndEvent(), out);
  return PartStatus::kOk;
}

}  // namespace

PartKind DetectPartKind(const uint8_t* data, size_t size) {
  if (StartsWith(data, size, kRecordsSig)) return PartKind::kRecords;
  if (StartsWith(data, size, kDropSig)) return PartKind::kDropRecords;
  if (StartsWith(data, size, kQ30Sig)) return PartKind::kQ30;
  if (StartsWith(data, size, kQ31Sig)) return PartKind::kQ31;
  return PartKind::kNone;
}

int PartNoteOverlap(const StepEvent* events, int count, int index, uint16_t gate) {
  if (!events || index < 0 || index >= count || events[index].code >= 0x80 || gate == 1) return 0;
  // Read signed as the note's own gate is: 0 and 32,768 up set no limit.
  const int limit = static_cast<int16_t>(gate);
  return FindNoteOverlapWithin(events, count, index, limit < 1 ? INT32_MAX : limit);
}

PartStatus ConvertPartBytes(const uint8_t* data, size_t size, int songTimeBase, bool dropMode,
                            std::vector<uint8_t>* out, size_t sourceLimit) {
  out->clear();
  int t = EffectiveTimeBase(songTimeBase);
  switch (DetectPartKind(data, size)) {
    case PartKind::kRecords:
      if (size < 8 || 8 + static_cast<size_t>(U16At(data + 6)) > size) return PartStatus::kDamaged;
      return ConvertRecords(data, std::min(size, sourceLimit), t, false, out);
    case PartKind::kDropRecords:
      // Drop blocks come from other programs only through a drop.
      if (!dropMode) return PartStatus::kNotPart;
      if (size < kDropRecordsOffset) return PartStatus::kDamaged;
      return ConvertRecords(data, std::min(size, sourceLimit), t, true, out);
    case PartKind::kQ30:
      if (size < 8) return PartStatus::kDamaged;
      return ConvertQ30(data, size, t, out);
    case PartKind::kQ31:
      return ConvertQ31(data, size, t, out);
    case PartKind::kNone:
      break;
  }
  return PartStatus::kNotPart;
}
