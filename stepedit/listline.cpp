#include "listline.h"

#include <cstdio>

#include "editorblocks.h"
#include "eventtext.h"
#include "notenames.h"
#include "zk/cmdcodes.h"

namespace {

const std::string kBlankLine(kListLineChars, ' ');

bool ReadPosition(const StepEditModel& m, int32_t event, StepPosition* pos) {
  const HGLOBAL block = ReadTrackBlock(m).positions;
  Locked table(block);
  if (!table.as<StepPosition>() || GlobalSize(block) / sizeof(StepPosition) <= static_cast<size_t>(event))
    return false;
  *pos = table.as<StepPosition>()[event];
  return true;
}

}  // namespace

std::string StepListLine(StepEditModel& m, const StepSongContext& ctx, int32_t event, bool caretRow,
                         ListLineMemory& memory) {
  if (caretRow) memory = {};
  StepPosition pos;
  if (event < 0 || event > m.eventCount || !ReadPosition(m, event, &pos)) return kBlankLine;
  const int measure = pos.measure;
  const int step = pos.step & kStepNumberMask;
  char prefix[32];
  if (event == m.eventCount) {
    if (!caretRow) return kBlankLine;
    std::snprintf(prefix, sizeof prefix, "%4d %4d:", measure, step);
    std::string line = prefix;
    line.resize(kListPrefixChars, ' ');
    line.resize(kListLineChars, ' ');
    return line;
  }
  if (event >= kMaxTrackEvents) return kBlankLine;

  uint8_t code = 0;
  uint16_t keyIndex = 0;
  {
    ModelEvents block(m);
    if (!block.events() || event >= block.slots()) return kBlankLine;
    code = block.events()[event].code;
    keyIndex = block.events()[event].step & 0xFF;
  }
  std::string line;
  if (measure == memory.measure) line = "     ";
  else {
    std::snprintf(prefix, sizeof prefix, "%4d ", measure);
    line = prefix;
  }
  if (step == memory.step) line += "    :";
  else {
    std::snprintf(prefix, sizeof prefix, "%4d:", step);
    line += prefix;
  }
  line.resize(kListPrefixChars, ' ');  // five digits must not push the text along
  memory.measure = measure;
  memory.step = code == kCodeMeasureEnd || code == kCodeSameMeasure ? 0 : step;

  line += FormatStepEventText(m, ctx, event, (pos.step & kOverlapBit) != 0, false);
  line.resize(kListLineChars, ' ');
  // The rows below this one are spelled in its key.
  if (code == kCodeKeySig) BuildNoteNameTable(m, keyIndex);
  return line;
}
