#include "rhythmrows.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxKey = 127;
constexpr unsigned kMaxGate = 255;
constexpr size_t kNameBytes = sizeof(RhythmRecord::name);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// An unsigned decimal number between blanks, held to max; anything else 0.
unsigned FieldNumber(std::string_view text, unsigned max) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  const size_t digits = i;
  unsigned value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min(value * 10 + static_cast<unsigned>(text[i] - '0'), max + 1);
  }
  if (i == digits) return 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && text[i] != '\0') return 0;
  return std::min(value, max);
}

// Lead bytes of a double-byte character in code page 932.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

EditResult EraseRhythmRows(StepEditModel& m, StepSongContext& ctx, EraseFilter& working, bool ctrl, bool shift) {
  if (!ctx.shared || (m.selFrom < 0 && m.selTo < 0)) return RefusedResult();
  EditResult all = RefusedResult();
  bool ran = false;
  for (int row = 0; row < kRhythmEntries; ++row) {
    if (!ctx.shared->rhythmRowFlags[row]) continue;
    const int key = ctx.rhythm[row].key;
    if (key > kMaxKey) continue;  // no note has such a key
    working.filter.mask = kFilterNotes;
    working.filter.lowKey = working.filter.highKey = key;
    // The erase keeps the selection to what is left of the range.
    const EditResult r = EraseStepRange(m, ctx, working, ctrl, shift);
    if (r.status != EditStatus::Ok) break;
    if (!ran) {
      all = r;
      ran = true;
    } else {
      MergeEditResult(all, r);
      all.selectionChanged |= r.selectionChanged;
    }
    if (m.selFrom < 0 && m.selTo < 0) break;
  }
  return all;
}

bool MoveRhythmRecord(RhythmRecord (&records)[kRhythmEntries], int dragged, int target) {
  if (dragged == target || dragged < 0 || target < 0 || dragged >= kRhythmEntries || target >= kRhythmEntries)
    return false;
  // Out at dragged and in at target is one rotation of the records between.
  RhythmRecord* r = records;
  if (dragged < target) std::rotate(r + dragged, r + dragged + 1, r + target + 1);
  else std::rotate(r + target, r + dragged, r + dragged + 1);
  return true;
}

EditResult DropRhythmRow(StepEditModel& m, RhythmRecord (&records)[kRhythmEntries], int draggedRecord,
                         int targetRow) {
  if (targetRow < 1) return RefusedResult();
  const int target = (m.rhythmKeyScroll + targetRow - 1) & (kRhythmEntries - 1);
  if (!MoveRhythmRecord(records, draggedRecord, target)) return RefusedResult();
  m.caretRow = static_cast<int16_t>(targetRow);
  return EditResult{};
}

RhythmRecord RhythmRecordFromRow(const RhythmRowText& row) {
  RhythmRecord r;
  std::memset(r.name, ' ', kNameBytes);
  size_t length = 0;
  while (length < row.name.size() && length < kNameBytes && row.name[length] != '\0') ++length;
  std::memcpy(r.name, row.name.data(), length);
  if (length == kNameBytes && row.name.size() > kNameBytes && row.name[kNameBytes] != '\0') {
    // A character whose second byte is cut off would show as garbage.
    size_t i = 0;
    while (i + 1 < kNameBytes) i += IsLeadByte(static_cast<unsigned char>(r.name[i])) ? 2 : 1;
    if (i == kNameBytes - 1 && IsLeadByte(static_cast<unsigned char>(r.name[i]))) r.name[i] = ' ';
  }
  r.key = static_cast<uint8_t>(FieldNumber(row.key, kMaxKey));
  r.gate = static_cast<uint8_t>(FieldNumber(row.gate, kMaxGate));
  return r;
}

void StoreRhythmAssignRows(RhythmRecord (&working)[kRhythmEntries], int top,
                           const RhythmRowText (&rows)[kRhythmRows]) {
  top = std::clamp(top, 0, kRhythmTopMax);
  for (int row = 0; row < kRhythmRows; ++row) working[top + row] = RhythmRecordFromRow(rows[row]);
}
