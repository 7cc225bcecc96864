#include "curvefile.h"

#include <algorithm>
#include <cstring>

#include "partfile.h"
#include "stepclip.h"
#include "stepmerge.h"
#include "trackmerge.h"
#include "zk/cmdcodes.h"
#include "zk/lebytes.h"

namespace {

constexpr char kPartMark[] = "Q31PR";
constexpr uint16_t kPartHeadAfterLength = 12;   // head bytes after offset 8

bool Timed(uint8_t code) { return code < 0xF0; }
bool IsRest(const StepEvent& e) { return e.code < 0x80 && (e.gate == 0 || e.vel == 0); }
bool IsCurveKind(uint8_t code) {
  return code == kCodePitch || code == kCodeControl || code == kCodeAfterC || code == kCodeTempo;
}

// The value of a curve event on the generation scale of its own kind.
int32_t ScaleValue(const StepEvent& e) {
  return e.code == kCodePitch || e.code == kCodeControl ? e.vel & 127 : e.gate;
}

}  // namespace

EditResult BuildCurvePart(const CurveState& s, const StepSongContext& ctx, std::vector<uint8_t>* image) {
  image->clear();
  if (!s.initialised) return RefusedResult();
  std::vector<StepEvent> events;
  events.reserve(s.curve.size());
  bool dropContinuations = false;
  for (const StepEvent& e : s.curve) {
    if (e.code >= kEndCode) break;
    if (e.code == kCodeContinue) {
      if (!dropContinuations) events.push_back(e);
      continue;
    }
    const bool other = Timed(e.code) && !IsCurveKindEvent(s, e);
    // A head made a rest leaves no text behind it.
    dropContinuations = other;
    events.push_back(other ? RestMarker(e.step) : e);
  }
  if (events.size() > static_cast<size_t>(kMaxPartEvents)) return TrackFullResult();

  image->assign(kPartHeadBytes + events.size() * sizeof(StepEvent), 0);
  uint8_t* p = image->data();
  std::memcpy(p, kPartMark, 5);
  PutU16(p + 6, kPartHeadAfterLength);
  const auto bytes = static_cast<uint32_t>(events.size() * sizeof(StepEvent));
  PutU16(p + 8, bytes & 0xFFFF);
  PutU16(p + 10, bytes >> 16);
  PutU16(p + 12, ctx.timeBase ? ctx.timeBase : 480);
  p[kCurvePartKindByte] = s.kind;
  p[kCurvePartControllerByte] = static_cast<uint8_t>(s.controller);
  for (size_t i = 0; i < events.size(); ++i) PutStepEventBytes(p + kPartHeadBytes + i * sizeof(StepEvent), events[i]);
  return EditResult{};
}

EditResult LoadCurvePart(CurveState& s, const StepSongContext& ctx, const uint8_t* data, size_t size) {
  if (!s.initialised || !data) return RefusedResult();
  std::vector<uint8_t> part;
  if (ConvertPartBytes(data, size, ctx.timeBase, false, &part) != PartStatus::kOk) return RefusedResult();
  if (part.size() < kPartHeadBytes) return RefusedResult();
  const size_t start = 8 + static_cast<size_t>(U16At(part.data() + 6));
  const size_t count = U32At(part.data() + 8) / sizeof(StepEvent);
  if (start > part.size() || count > (part.size() - start) / sizeof(StepEvent)) return RefusedResult();

  uint8_t kind = part[kCurvePartKindByte];
  uint16_t controller = part[kCurvePartControllerByte];
  if (!IsCurveKind(kind)) {
    // Not a stored curve: its events of the dialog's kind are the curve.
    kind = s.kind;
    controller = s.controller;
  }
  std::vector<StepEvent> inserted;
  inserted.reserve(count + 1);
  for (size_t i = 0; i < count; ++i) {
    StepEvent e = StepEventFromBytes(part.data() + start + i * sizeof(StepEvent));
    if (e.code >= kEndCode) break;
    if (IsRest(e)) {
      e = GapMarker(e.step);
    } else if (e.code == kind && (kind != kCodeControl || e.gate == controller) && !IsCurveKindEvent(s, e)) {
      // Into the dialog's kind: the value keeps its number, moved to the
      // field the kind keeps it in.
      const uint16_t step = e.step;
      e = CurveKindEvent(s, ScaleValue(e));
      e.step = step;
    }
    inserted.push_back(e);
  }
  inserted.push_back(EndEvent());

  // The part's curve replaces the buffer's events of the dialog's kind.
  std::vector<StepEvent> existing;
  existing.reserve(s.curve.size() + 1);
  for (const StepEvent& e : s.curve) {
    if (e.code >= kEndCode) break;
    existing.push_back(IsCurveKindEvent(s, e) ? RestMarker(e.step) : e);
  }
  existing.push_back(EndEvent());

  std::vector<StepEvent> merged(kCurveBufferSlots);
  const int end = MergeStepStreams(0, 0, merged.data(), kCurveBufferSlots, existing.data(), inserted.data());
  if (end < 0) return TrackFullResult();
  merged.resize(static_cast<size_t>(end) + 1);
  s.curve = std::move(merged);
  s.overflow = false;
  return EditResult{};
}
