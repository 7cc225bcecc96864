#include "partblock.h"

#include <algorithm>
#include <cstring>

#include "lineindex.h"
#include "partfile.h"
#include "stepclip.h"
#include "zk/lebytes.h"

namespace {

constexpr char kPartMark[] = "Q31PR";
constexpr uint16_t kPartHeadAfterLength = 12;   // head bytes after offset 8

std::vector<StepEvent> EventsFrom(const uint8_t* p, int count) {
  std::vector<StepEvent> events;
  events.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) events.push_back(StepEventFromBytes(p + i * sizeof(StepEvent)));
  return events;
}

}  // namespace

std::vector<uint8_t> BuildPartBlock(const StepEditModel& m, const StepSongContext& ctx) {
  ModelEvents block(m);
  int32_t from;
  // A part holds no end event; the track's own stays where it is.
  const int32_t n = SelectedEvents(m, block, &from);
  if (n == 0) return {};
  const StepEvent* e = block.events();
  std::vector<uint8_t> part(kPartHeadBytes + static_cast<size_t>(n) * sizeof(StepEvent), 0);
  std::memcpy(part.data(), kPartMark, 5);
  part[5] = static_cast<uint8_t>(m.track);
  PutU16(part.data() + 6, kPartHeadAfterLength);
  const uint32_t bytes = static_cast<uint32_t>(n) * sizeof(StepEvent);
  PutU16(part.data() + 8, bytes & 0xFFFF);
  PutU16(part.data() + 10, bytes >> 16);
  PutU16(part.data() + 12, ctx.timeBase);
  for (int i = 0; i < n; ++i) PutStepEventBytes(part.data() + kPartHeadBytes + i * sizeof(StepEvent), e[from + i]);
  return part;
}

EditResult InsertPartAtCaret(StepEditModel& m, StepSongContext& ctx, const uint8_t* image, size_t size) {
  if (!image || size < kPartHeadBytes || std::memcmp(image, kPartMark, 5) != 0) return RefusedResult();
  const size_t start = 8 + static_cast<size_t>(U16At(image + 6));
  const uint32_t count = U32At(image + 8) / sizeof(StepEvent);
  // The byte count is only believed as far as the image reaches.
  if (start < kPartHeadBytes || start > size || count > (size - start) / sizeof(StepEvent)) {
    return RefusedResult();
  }
  if (count > static_cast<uint32_t>(kMaxTrackEvents)) return TrackFullResult();
  MakeContiguous(m, ctx);
  const std::vector<StepEvent> events = EventsFrom(image + start, static_cast<int>(count));
  return InsertStepsAt(m, ctx, LineEvent(m, CaretLine(m)), events.data(), static_cast<int32_t>(count), 0);
}

int32_t DropPointLine(const StepEditModel& m, int x, int y, int charWidth, int charHeight) {
  int32_t offset;
  if (m.viewMode == kModeRhythmGrid) {
    if (charWidth <= 0) return CaretLine(m);
    offset = (x / charWidth - kRhythmFirstColumn) / 2;
  } else {
    if (charHeight <= 0) return CaretLine(m);
    offset = y / charHeight - 1;
  }
  const int32_t line = m.topLine + std::max(offset, 0);
  return std::min(line, std::max(m.lineCount - 1, 0));
}

EditResult InsertDroppedPart(StepEditModel& m, StepSongContext& ctx, const uint8_t* block, size_t size,
                             int info, bool iconic, int charWidth, int charHeight) {
  const int mode = ctx.settings.dragDropEdit;
  if (mode == 0) return RefusedResult();
  DropBlockHead head;
  if (!ReadDropBlockHead(block, size, &head)) return RefusedResult();
  MakeContiguous(m, ctx);
  int32_t at;
  if (info != 0 || iconic || mode == 3) {
    at = m.eventCount;
  } else if (mode == 2) {
    at = LineEvent(m, DropPointLine(m, head.x, head.y, charWidth, charHeight));
  } else {
    at = LineEvent(m, CaretLine(m));
  }
  const std::vector<StepEvent> events = EventsFrom(block + kDropEventsOffset, head.count);
  return InsertStepsAt(m, ctx, at, events.data(), head.count, 1);
}
