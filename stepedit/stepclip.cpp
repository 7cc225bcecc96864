#include "stepclip.h"

#include <algorithm>
#include <cstring>

#include "lineindex.h"
#include "zk/lebytes.h"

namespace {

constexpr char kClipMark[] = "ZKP";
constexpr uint8_t kSameMeasureCode = 0xFC;

}  // namespace

void PutStepEventBytes(uint8_t* p, const StepEvent& e) {
  p[0] = e.code;
  p[1] = e.vel;
  PutU16(p + 2, e.step);
  PutU16(p + 4, e.gate);
}

StepEvent StepEventFromBytes(const uint8_t* p) { return StepEvent{p[0], p[1], U16At(p + 2), U16At(p + 4)}; }

std::vector<uint8_t> EncodeStepClipboard(const StepEvent* events, int n) {
  if (n < 0 || !events) n = 0;
  std::vector<uint8_t> block(kStepClipHeadBytes + static_cast<size_t>(n) * sizeof(StepEvent) + 1, 0);
  std::memcpy(block.data(), kClipMark, 3);
  PutU16(block.data() + 4, static_cast<uint32_t>(n) & 0xFFFF);
  PutU16(block.data() + 6, static_cast<uint32_t>(n) >> 16);
  for (int i = 0; i < n; ++i) PutStepEventBytes(block.data() + kStepClipHeadBytes + i * sizeof(StepEvent), events[i]);
  return block;
}

bool DecodeStepClipboard(const uint8_t* data, size_t size, std::vector<StepEvent>* events) {
  events->clear();
  if (!data || size < kStepClipHeadBytes || std::memcmp(data, kClipMark, 4) != 0) return false;
  const uint32_t count = U16At(data + 4) | static_cast<uint32_t>(U16At(data + 6)) << 16;
  // Any text may begin with the mark: the count must fit the track and the block.
  if (count > static_cast<uint32_t>(kMaxTrackEvents)) return false;
  if (count > (size - kStepClipHeadBytes) / sizeof(StepEvent)) return false;
  events->reserve(count);
  for (uint32_t i = 0; i < count; ++i) events->push_back(StepEventFromBytes(data + kStepClipHeadBytes + i * sizeof(StepEvent)));
  return true;
}

std::vector<uint8_t> CopySelectionBlock(const StepEditModel& m) {
  int32_t from, to;
  if (!OrderedSelection(m, &from, &to)) return {};
  ModelEvents block(m);
  if (!block.events()) return {};
  // The end event stays in the track: pasted, it would cut off what follows.
  const int32_t n = SelectedEvents(m, block, &from);
  return EncodeStepClipboard(block.events() + from, n);
}

EditResult InsertStepsAt(StepEditModel& m, StepSongContext& ctx, int32_t at, const StepEvent* events,
                         int32_t n, int32_t spare) {
  if (n < 0 || (n > 0 && !events) || at < 0 || at > m.eventCount || m.indexCurrent != 1) {
    return RefusedResult();
  }
  // An end code inside the events would cut the track short.
  int32_t count = 0;
  while (count < n && events[count].code < kEndCode) ++count;
  if (!FitsTrack(m, static_cast<int64_t>(count) + spare)) return TrackFullResult();
  EditResult r;
  if (count == 0) return r;
  if (!InsertEventsAt(m, ctx, at, events, count)) return RefusedResult();
  BuildTrackLineIndex(m, ctx);
  r.indexRebuilt = true;
  r.scrollBars = true;
  r.stateBits = kStateModified | kStateTiming;
  r.renumberRefs = std::any_of(events, events + count,
                               [](const StepEvent& e) { return e.code == kSameMeasureCode; });
  return r;
}

EditResult PasteSteps(StepEditModel& m, StepSongContext& ctx, const StepEvent* events, int n) {
  if (n < 0 || (n > 0 && !events)) return RefusedResult();
  const bool gapWasOpen = CloseGapForPaste(m, ctx);
  EditResult r = InsertStepsAt(m, ctx, LineEvent(m, CaretLine(m)), events, n, 0);
  if (gapWasOpen) r.indexRebuilt = true;
  return r;
}
