#include "chords.h"

#include <algorithm>

#include "editorblocks.h"
#include "notenames.h"
#include "stepblocks.h"

const ChordKind ChordKindTable[kChordKinds] = {
    {" ", 0x0091},       // 0 4 7
    {"7", 0x0491},       // 0 4 7 10
    {"maj7", 0x0891},    // 0 4 7 11
    {"6", 0x0291},       // 0 4 7 9
    {"maj9", 0x4891},    // 0 4 7 11 14
    {"9", 0x4491},       // 0 4 7 10 14
    {"7(b9)", 0x2491},   // 0 4 7 10 13
    {"7(#9)", 0x8491},   // 0 4 7 10 15
    {"dim", 0x0049},     // 0 3 6
    {"dim7", 0x0249},    // 0 3 6 9
    {"7(b5)", 0x0451},   // 0 4 6 10
    {"m7(b5)", 0x0449},  // 0 3 6 10
    {"aug", 0x0111},     // 0 4 8
    {"aug(7)", 0x0511},  // 0 4 8 10
    {"7sus4", 0x04A1},   // 0 5 7 10
    {"69", 0x4291},      // 0 4 7 9 14
    {"m9", 0x4489},      // 0 3 7 10 14
    {"m6", 0x0289},      // 0 3 7 9
    {"m7", 0x0489},      // 0 3 7 10
    {"m", 0x0089},       // 0 3 7
};

namespace {

constexpr int kOctave = 12;
constexpr int kTopKey = 127;

// Only the last note carries time: the others sound with it.
void SetChordSteps(ChordBuffer& chord) {
  for (int i = 0; i < chord.count; ++i) chord.notes[i].step = 0;
  if (chord.count > 0) chord.notes[chord.count - 1].step = chord.step;
}

}  // namespace

int FoldChordKey(int key) {
  while (key > kTopKey) key -= kOctave;
  while (key < 0) key += kOctave;
  return key;
}

int ClampChordRoot(int root) { return std::clamp(root, 0, kChordRootMax); }

int StepChordRoot(int root, int delta) { return ClampChordRoot(ClampChordRoot(root) + delta); }

bool ReadChordCaretEvent(const StepEditModel& m, int caretRow, StepEvent* out) {
  if (m.indexCurrent != 1 || !out) return false;
  const int32_t at = LineEvent(m, m.topLine + caretRow - 1);
  if (at < 0 || at >= m.eventCount) return false;
  ModelEvents block(m);
  if (!block.events() || at >= block.slots()) return false;
  *out = block.events()[at];
  return true;
}

ChordBuffer BuildChord(int root, int kind, const StepEvent& caretEvent) {
  ChordBuffer chord;
  chord.step = caretEvent.step;
  root = ClampChordRoot(root);
  const uint16_t mask = ChordKindTable[std::clamp(kind, 0, kChordKinds - 1)].mask;
  bool folded = false;
  for (int bit = 15; bit >= 0; --bit) {
    if (!(mask & (1u << bit))) continue;
    const int key = root + bit;
    folded |= key > kTopKey;
    StepEvent& note = chord.notes[chord.count++];
    note.code = static_cast<uint8_t>(FoldChordKey(key));
    note.vel = caretEvent.vel;
    note.gate = caretEvent.gate;
  }
  if (folded) {
    std::sort(chord.notes, chord.notes + chord.count,
              [](const StepEvent& a, const StepEvent& b) { return a.code > b.code; });
  }
  SetChordSteps(chord);
  return chord;
}

int ChordLowestKey(const ChordBuffer& chord) { return chord.count > 0 ? chord.notes[chord.count - 1].code : -1; }

int ChordScrollPosition(const ChordBuffer& chord) { return kTopKey - std::max(ChordLowestKey(chord), 0); }

bool InvertChordUp(ChordBuffer& chord) {
  if (chord.count <= 0 || chord.notes[chord.count - 1].code + kOctave > kTopKey) return false;
  StepEvent moved = chord.notes[chord.count - 1];
  moved.code = static_cast<uint8_t>(moved.code + kOctave);
  std::copy_backward(chord.notes, chord.notes + chord.count - 1, chord.notes + chord.count);
  chord.notes[0] = moved;
  SetChordSteps(chord);
  return true;
}

bool InvertChordDown(ChordBuffer& chord) {
  if (chord.count <= 0 || chord.notes[0].code < kOctave) return false;
  StepEvent moved = chord.notes[0];
  moved.code = static_cast<uint8_t>(moved.code - kOctave);
  std::copy(chord.notes + 1, chord.notes + chord.count, chord.notes);
  chord.notes[chord.count - 1] = moved;
  SetChordSteps(chord);
  return true;
}

std::string ChordCaption(std::string_view kindName, std::string_view rootKeyName) {
  std::string caption = " ";
  caption += rootKeyName.substr(0, 2);
  caption.resize(3, ' ');
  caption += kindName;
  return caption;
}

std::string ChordKindCaption(int kind, std::string_view rootKeyName) {
  return ChordCaption(ChordKindTable[std::clamp(kind, 0, kChordKinds - 1)].name, rootKeyName);
}

std::string ChordKindCaption(const StepEditModel& m, int root, int kind) {
  return ChordKindCaption(kind, NoteNameOf(m, ClampChordRoot(root)));
}

std::string ChordMemoText(std::string_view caption) {
  std::string memo(kChordMemoBytes, ' ');
  const std::string_view copied = caption.substr(0, kChordCaptionMax);
  memo.replace(kChordMemoOffset, copied.size(), copied);
  return memo;
}

int ChordCaretMoves(int count, bool named, bool leadingRest) {
  const int moves = count - (named ? 1 : 2) + (leadingRest ? 1 : 0);
  return std::max(moves, 0);
}

ChordInsertResult InsertChordAtCaret(StepEditModel& m, StepSongContext& ctx, int caretRow, const StepEvent* notes,
                                     int count, std::optional<std::string_view> caption, uint16_t restStep) {
  ChordInsertResult result;
  if (count <= 0 || !notes) {
    result.edit = RefusedResult();
    return result;
  }
  std::optional<std::string> memo;
  if (caption) memo = ChordMemoText(*caption);
  result.edit = InsertEventsAtCaret(m, ctx, caretRow, notes, count,
                                    memo ? std::optional<std::string_view>(*memo) : std::nullopt, restStep);
  if (result.edit.status == EditStatus::Ok) result.caretMoves = ChordCaretMoves(count, caption.has_value(), restStep != 0);
  return result;
}

int AuditionTransposition(uint8_t keyShift, int playBias) {
  const int shift = keyShift & 0x40 ? (keyShift & 0x7F) - 0x80 : keyShift & 0x3F;
  return shift + playBias;
}

int AuditionTransposition(const StepSongContext& ctx, int track) {
  if (!ctx.handles) return 0;
  int playBias = 0;
  uint8_t keyShift = 0;
  {
    Locked header(ctx.handles->h[kHeaderEntry]);
    if (const auto* song = header.as<SongHeader>()) playBias = song->playBias;
  }
  if (track >= 1 && track <= kMaxTracks) {
    Locked header(ctx.handles->h[TrackHeaderEntry(track)]);
    if (const auto* th = header.as<TrackHeader>()) keyShift = th->keyShift;
  }
  return AuditionTransposition(keyShift, playBias);
}

std::vector<AuditionStep> ChordAudition(const ChordBuffer& chord, int transposition) {
  std::vector<AuditionStep> steps;
  steps.reserve(static_cast<size_t>(chord.count) * 2);
  for (int i = 0; i < chord.count; ++i) {
    const StepEvent& note = chord.notes[i];
    steps.push_back({AuditionMessage(FoldChordKey(note.code + transposition), note.vel), 0});
  }
  if (!steps.empty()) steps.back().waitMs = kChordAuditionMs;
  for (int i = 0; i < chord.count; ++i)
    steps.push_back({AuditionMessage(FoldChordKey(chord.notes[i].code + transposition), 0), 0});
  return steps;
}
