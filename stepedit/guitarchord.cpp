#include "guitarchord.h"

#include <algorithm>
#include <cctype>

#include "notenames.h"

namespace {

constexpr int kOctave = 12;
constexpr int kKeyAsMiddleC = 128;  // keys above it are commands, taken as 60

// The pitch classes of the letters A-G.
constexpr int kLetterClass[7] = {9, 11, 0, 2, 4, 5, 7};

// The grip a type takes for the root, or null when the substitution names
// no slot.
const GuitarTriple (*GripOf(int rootClass, int kind, int type, int* keyOffset))[kGuitarStrings] {
  if (kind < 0 || kind >= kGuitarKinds) return nullptr;
  const GuitarGripChoice choice = GuitarRootSubstitution(rootClass, kind, type);
  if (choice.slot < 0 || choice.slot >= kGuitarSlots) return nullptr;
  if (keyOffset) *keyOffset = choice.keyOffset;
  return &GuitarChordTable[kind].grips[choice.slot];
}

// Triples before the one with key 0.
int GripLength(const GuitarTriple (&grip)[kGuitarStrings]) {
  int n = 0;
  while (n < kGuitarStrings && grip[n].key != 0) ++n;
  return n;
}

}  // namespace

GuitarRootStart GuitarRootOfKey(int key) {
  if (key > kKeyAsMiddleC) key = kGuitarRootKey;
  while (key < kGuitarKeyLow) key += kOctave;
  while (key > kGuitarKeyHigh) key -= kOctave;
  return {key % kOctave, key / kOctave - 5};
}

int GuitarRootFromText(std::string_view text) {
  if (text.empty()) return -1;
  const int letter = std::toupper(static_cast<unsigned char>(text[0]));
  if (letter < 'A' || letter > 'G') return -1;
  int pitch = kLetterClass[letter - 'A'];
  if (text.size() > 1) {
    if (text[1] == '#' || text[1] == '+') ++pitch;
    else if (text[1] == '-' || text[1] == 'b') --pitch;
  }
  // B sharp is C and C flat is B: the root stays a pitch class.
  return (pitch + kOctave) % kOctave;
}

int GuitarRootKey(int rootClass, int octave) { return kGuitarRootKey + rootClass + octave * kOctave; }

bool GuitarTypeAvailable(int rootClass, int kind, int type) {
  const GuitarTriple(*grip)[kGuitarStrings] = GripOf(rootClass, kind, type, nullptr);
  return grip && GripLength(*grip) > 0;
}

int LastGuitarType(int rootClass, int kind) {
  for (int type = kGuitarTypes - 1; type >= 0; --type) {
    if (GuitarTypeAvailable(rootClass, kind, type)) return type;
  }
  return -1;
}

int GuitarTypeForKind(int rootClass, int kind, int type) {
  const int last = LastGuitarType(rootClass, kind);
  return std::clamp(std::min(type, last), 0, kGuitarTypes - 1);
}

ChordBuffer GuitarGripNotes(const GuitarTriple (&grip)[kGuitarStrings], int keyBase,
                            const bool (&strings)[kGuitarStrings], bool downStroke, const StepEvent& caretEvent) {
  ChordBuffer chord;
  chord.step = caretEvent.step;
  const int n = GripLength(grip);
  for (int k = 0; k < n; ++k) {
    const GuitarTriple& t = grip[downStroke ? k : n - 1 - k];
    if (t.string >= kGuitarStrings || !strings[t.string]) continue;
    StepEvent& note = chord.notes[chord.count++];
    note.code = static_cast<uint8_t>(FoldChordKey(keyBase + t.key));
    note.vel = caretEvent.vel;
    note.step = 0;
    note.gate = caretEvent.gate;
  }
  return chord;
}

void StrumGuitarChord(ChordBuffer& chord, const StepEvent& caretEvent, const GuitarChordSettings& settings) {
  // A start beyond the caret step leaves no time to spread over, not a
  // negative one.
  const int total = std::max(static_cast<int>(caretEvent.step) - static_cast<int>(settings.start), 0);
  chord.step = static_cast<uint16_t>(total);
  const int n = chord.count;
  if (n <= 0) return;
  int starts[kChordMaxNotes];
  const int width = std::min(static_cast<int>(settings.width), total);
  for (int i = 0; i < n; ++i)
    starts[i] = settings.widthAsStep ? std::min(i * static_cast<int>(settings.width), total) : i * width / n;
  for (int i = 0; i < n; ++i) {
    StepEvent& note = chord.notes[i];
    const int next = i + 1 < n ? starts[i + 1] : total;
    note.step = static_cast<uint16_t>(next - starts[i]);
    // A gate cut to 0 would turn the note into a rest.
    if (caretEvent.gate != 0) note.gate = static_cast<uint16_t>(std::max(caretEvent.gate - starts[i], 1));
  }
}

ChordBuffer BuildGuitarChord(const GuitarChordState& state, const GuitarChordSettings& settings,
                             const StepEvent& caretEvent) {
  const int rootClass = ((state.rootClass % kOctave) + kOctave) % kOctave;
  const int octave = std::clamp(settings.octave, kGuitarOctaveMin, kGuitarOctaveMax);
  int keyOffset = 0;
  const GuitarTriple(*grip)[kGuitarStrings] = GripOf(rootClass, state.kind, state.type, &keyOffset);
  ChordBuffer chord;
  if (grip) {
    const int keyBase = octave * kOctave + keyOffset + rootClass;
    chord = GuitarGripNotes(*grip, keyBase, state.strings, settings.downStroke, caretEvent);
  }
  StrumGuitarChord(chord, caretEvent, settings);
  return chord;
}

std::string GuitarKindCaption(int kind, std::string_view rootKeyName) {
  const char(&name)[sizeof GuitarChordRecord::name] = GuitarChordTable[std::clamp(kind, 0, kGuitarKinds - 1)].name;
  const char* end = std::find(name, name + sizeof name, '\0');
  return ChordCaption(std::string_view(name, static_cast<size_t>(end - name)), rootKeyName);
}

std::string GuitarKindCaption(const StepEditModel& m, int rootClass, int kind) {
  return GuitarKindCaption(kind, NoteNameOf(m, kGuitarRootKey + ((rootClass % kOctave) + kOctave) % kOctave));
}

uint32_t GuitarStepMs(uint32_t step, uint16_t timeBase, uint16_t tempo) {
  const uint64_t base = timeBase ? timeBase : kGuitarDefaultTimeBase;
  const uint64_t perMinute = tempo ? tempo : kGuitarDefaultTempo;
  return static_cast<uint32_t>(static_cast<uint64_t>(step) * 60000u / base / perMinute);
}

std::vector<AuditionStep> GuitarAudition(const ChordBuffer& chord, int transposition, uint16_t timeBase,
                                         uint16_t tempo) {
  std::vector<AuditionStep> steps;
  steps.reserve(static_cast<size_t>(chord.count) * 2);
  for (int i = 0; i < chord.count; ++i) {
    const StepEvent& note = chord.notes[i];
    steps.push_back({AuditionMessage(FoldChordKey(note.code + transposition), note.vel),
                     GuitarStepMs(note.step, timeBase, tempo)});
  }
  for (int i = 0; i < chord.count; ++i)
    steps.push_back({AuditionMessage(FoldChordKey(chord.notes[i].code + transposition), 0), 0});
  return steps;
}

ChordInsertResult InsertGuitarChord(StepEditModel& m, StepSongContext& ctx, int caretRow, const ChordBuffer& chord,
                                    std::optional<std::string_view> caption, uint16_t start) {
  if (chord.count <= 0) {
    ChordInsertResult refused;
    refused.edit = RefusedResult();
    return refused;
  }
  return InsertChordAtCaret(m, ctx, caretRow, chord.notes, chord.count, caption, start);
}
