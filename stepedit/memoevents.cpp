#include "memoevents.h"

#include <algorithm>
#include <cstring>

#include "editorblocks.h"
#include "lineindex.h"
#include "zk/cmdcodes.h"

namespace {

// Lead bytes of code page 932's double-byte characters.
bool IsLeadByte(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The five bytes an event carries in its text form.
void EventBytes(const StepEvent& e, uint8_t out[5]) {
  out[0] = e.vel;
  out[1] = static_cast<uint8_t>(e.step);
  out[2] = static_cast<uint8_t>(e.step >> 8);
  out[3] = static_cast<uint8_t>(e.gate);
  out[4] = static_cast<uint8_t>(e.gate >> 8);
}

// The text up to its first zero byte.
std::string_view UpToZero(std::string_view text) {
  const size_t zero = text.find('\0');
  return zero == std::string_view::npos ? text : text.substr(0, zero);
}

// One past the continuations of the event at `at`, at most the end event.
int32_t RunEnd(const StepEvent* e, int32_t eventCount, int32_t at) {
  int32_t end = at + 1;
  while (end < eventCount && e[end].code == kCodeContinue) ++end;
  return end;
}

// Puts n events in place of [from, to) in one step: nothing changes when the
// block cannot grow. Needs a contiguous track; the index is the caller's.
bool ReplaceRun(StepEditModel& m, StepSongContext& ctx, int32_t from, int32_t to, const StepEvent* events,
                int32_t n) {
  const int32_t old = to - from;
  const int32_t kept = std::min(old, n);
  if (n > old && !InsertEventsAt(m, ctx, to, events + old, n - old)) return false;
  {
    ModelEvents block(m);
    if (!block.events()) return false;
    std::copy(events, events + kept, block.events() + from);
  }
  return n >= old || RemoveEvents(m, from + n, to);
}

// Writes events at the caret: over the caret event and its continuations when
// replace says so, else before the caret event.
template <typename Replaces>
EditResult WriteAtCaret(StepEditModel& m, StepSongContext& ctx, const std::vector<StepEvent>& events,
                        Replaces replaces) {
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  const int32_t at = LineEvent(m, CaretLine(m));
  if (at < 0 || at > m.eventCount) return RefusedResult();
  int32_t to = at;
  {
    ModelEvents block(m);
    const StepEvent* e = block.events();
    if (!e || m.eventCount >= block.slots()) return RefusedResult();
    if (at < m.eventCount && replaces(e[at])) to = RunEnd(e, m.eventCount, at);
  }
  const auto n = static_cast<int64_t>(events.size());
  // The old event goes only once the new one is sure to fit.
  if (!FitsTrack(m, n - (to - at))) return TrackFullResult();
  const int32_t before = m.eventCount;
  if (!ReplaceRun(m, ctx, at, to, events.data(), static_cast<int32_t>(n))) return TrackFullResult();
  m.selFrom = m.selTo = -1;
  BuildTrackLineIndex(m, ctx);
  EditResult r;
  r.stateBits = kStateModified;
  // A changed event count is what the track views show as timing.
  if (m.eventCount != before) {
    r.stateBits |= kStateTiming;
    r.scrollBars = true;
  }
  r.indexRebuilt = true;
  r.selectionChanged = true;
  return r;
}

// The caret line's event and the block it lies in, for the readers.
template <typename Read>
int ReadCaretEvent(const StepEditModel& m, Read read) {
  const int32_t at = LineEvent(m, CaretLine(m));
  ModelEvents block(m);
  if (at < 0 || !block.events() || m.eventCount >= block.slots() || at > m.eventCount) return -1;
  return read(block.events(), m.eventCount + 1, at);
}

}  // namespace

void PackContinuations(const uint8_t* bytes, size_t n, std::vector<StepEvent>* out) {
  auto at = [&](size_t i) -> uint16_t { return i < n ? bytes[i] : 0; };
  for (size_t b = 0; b < n; b += 5) {
    out->push_back(StepEvent{kCodeContinue, static_cast<uint8_t>(at(b)),
                             static_cast<uint16_t>(at(b + 1) | at(b + 2) << 8),
                             static_cast<uint16_t>(at(b + 3) | at(b + 4) << 8)});
  }
}

void PackMemo(std::string_view text, StepEvent out[kMemoEvents]) {
  text = UpToZero(text);
  size_t n = 0;
  while (n < text.size()) {
    const size_t width = IsLeadByte(static_cast<uint8_t>(text[n])) && n + 1 < text.size() ? 2 : 1;
    if (n + width > static_cast<size_t>(kMemoChars)) break;
    n += width;
  }
  // The packing fills blanks to 25 bytes: 22 characters and three blanks.
  PackMemoEvents(text.substr(0, n), out);
}

int UnpackMemo(const StepEvent* events, int count, int index, char out[kMemoBufferBytes]) {
  out[0] = '\0';
  if (!events || index < 0 || index >= count || events[index].code != kCodeComment) return -1;
  uint8_t bytes[kMemoTextBytes] = {};
  int filled = 0;
  for (int k = 0; k < kMemoEvents && index + k < count; ++k) {
    const StepEvent& e = events[index + k];
    if (k > 0 && e.code != kCodeContinue) break;
    EventBytes(e, bytes + filled);
    filled += 5;
  }
  std::memcpy(out, bytes, static_cast<size_t>(filled));
  out[filled] = '\0';
  size_t length = std::strlen(out);
  while (length > 0 && out[length - 1] == ' ') out[--length] = '\0';
  return static_cast<int>(length);
}

int CaretMemoText(const StepEditModel& m, char out[kMemoBufferBytes]) {
  out[0] = '\0';
  return ReadCaretEvent(m, [&](const StepEvent* e, int count, int at) { return UnpackMemo(e, count, at, out); });
}

EditResult WriteMemoAtCaret(StepEditModel& m, StepSongContext& ctx, std::string_view text) {
  std::vector<StepEvent> memo(kMemoEvents);
  PackMemo(text, memo.data());
  return WriteAtCaret(m, ctx, memo, [](const StepEvent& e) { return e.code == kCodeComment; });
}

std::vector<StepEvent> PackExternalCommand(int kind, std::string_view text) {
  text = UpToZero(text);
  std::vector<StepEvent> events;
  const auto continuations = static_cast<size_t>(ExternalCommandContinuations(text.size()));
  events.reserve(continuations + 1);
  events.push_back(StepEvent{kCodeExternal, static_cast<uint8_t>((kind >> 7) & 127), 0,
                             static_cast<uint16_t>(kind & 127)});
  // The zero and whatever the last event has room for stay zero.
  std::vector<uint8_t> bytes(continuations * 5, 0);
  std::memcpy(bytes.data(), text.data(), text.size());
  PackContinuations(bytes.data(), bytes.size(), &events);
  return events;
}

int UnpackExternalCommand(const StepEvent* events, int count, int index, char* out, size_t outSize) {
  if (!out || outSize == 0) return -1;
  out[0] = '\0';
  if (!events || index < 0 || index >= count || events[index].code != kCodeExternal) return -1;
  size_t length = 0;
  for (int i = index + 1; i < count && events[i].code == kCodeContinue; ++i) {
    uint8_t bytes[5];
    EventBytes(events[i], bytes);
    for (uint8_t b : bytes) {
      if (b == 0 || length + 1 >= outSize) {
        out[length] = '\0';
        return static_cast<int>(length);
      }
      out[length++] = static_cast<char>(b);
    }
  }
  out[length] = '\0';
  return static_cast<int>(length);
}

int CaretCommandText(const StepEditModel& m, char* out, size_t outSize, int* kind) {
  if (out && outSize > 0) out[0] = '\0';
  return ReadCaretEvent(m, [&](const StepEvent* e, int count, int at) {
    const int length = UnpackExternalCommand(e, count, at, out, outSize);
    if (length >= 0 && kind) *kind = ExternalCommandKind(e[at]);
    return length;
  });
}

EditResult InsertExternalCommand(StepEditModel& m, StepSongContext& ctx, int kind, std::string_view text) {
  text = UpToZero(text);
  if (text.empty() || (kind != kCommandMci && kind != kCommandLine)) return RefusedResult();
  // Longer than a track holds: no need to pack it to know.
  if (ExternalCommandContinuations(text.size()) >= kMaxTrackEvents) return TrackFullResult();
  const std::vector<StepEvent> events = PackExternalCommand(kind, text);
  return WriteAtCaret(m, ctx, events, [kind](const StepEvent& e) {
    return e.code == kCodeExternal && ExternalCommandKind(e) == kind;
  });
}
