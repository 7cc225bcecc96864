#include "stepinputmodes.h"

#include <cstring>

#include "notecaret.h"

namespace {

constexpr uint32_t kNoteOff = 0x80;
constexpr uint32_t kNoteOn = 0x90;

struct ShortNote {
  uint32_t status;
  int key;
  int velocity;
};

// MIDI input is outside data: key and velocity index 128-entry tables, and a
// velocity byte of 255 would read as "held, velocity not used".
ShortNote Decode(uint32_t message) {
  return {message & 0xF0, static_cast<int>((message >> 8) & 0x7F), static_cast<int>((message >> 16) & 0x7F)};
}

uint8_t HeldValue(const StepSongContext& ctx, int velocity) {
  return ctx.settings.midiInVelocity ? static_cast<uint8_t>(velocity) : kHeldNoVelocity;
}

// The notes of one input as one result: flags add up, the first refusal
// stays.
void Merge(StepInputResult& into, const EditResult& r) {
  MergeEditResult(into.edit, r);
  ++into.notesEntered;
}

bool CanEnter(const StepSongContext& ctx) { return ctx.current && ctx.shared; }

}  // namespace

int StepInputModeForCommand(UINT command, int32_t indexCurrent) {
  if (command < kFirstStepModeCommand || command > kLastStepModeCommand) return -1;
  return static_cast<int>(command - kFirstStepModeCommand) * 2 + (indexCurrent & 1);
}

bool SelectStepInputMode(StepSharedState& shared, UINT command, int32_t indexCurrent) {
  const int mode = StepInputModeForCommand(command, indexCurrent);
  if (mode < 0) return false;
  shared.stepInputMode = static_cast<uint32_t>(mode);
  return true;
}

int StepInputModeOf(const StepSharedState& shared) { return static_cast<int>(shared.stepInputMode / 2); }

void MirrorIndexCurrent(StepSharedState& shared, int32_t indexCurrent) {
  shared.stepInputMode = (shared.stepInputMode & ~1u) | static_cast<uint32_t>(indexCurrent & 1);
}

StepInputResult DispatchStepMidiInput(StepSongContext& ctx, uint32_t message, const MidiInTableReader& engineKeys) {
  if (ctx.playing || ctx.portsHeld || !ctx.windows || !CanEnter(ctx)) return {};
  switch (StepInputModeOf(*ctx.shared)) {
    case kStepModeMono:
      return StepInputMono(ctx, message);
    case kStepModePoly:
      return StepInputPoly(ctx, message);
    case kStepModeFKey:
      return StepInputFKey(ctx, message, &engineKeys);
    default:
      return {};
  }
}

StepInputResult StepInputMono(StepSongContext& ctx, uint32_t message) {
  StepInputResult result;
  const ShortNote n = Decode(message);
  if (!CanEnter(ctx) || n.status != kNoteOn || n.velocity == 0) return result;
  Merge(result, SetNoteAtCaret(*ctx.current, ctx, n.key, kKeepValue, kKeepValue,
                               ctx.settings.midiInVelocity ? n.velocity : kKeepValue));
  result.edit.scrollBars = true;
  return result;
}

StepInputResult StepInputPoly(StepSongContext& ctx, uint32_t message) {
  StepInputResult result;
  ShortNote n = Decode(message);
  if (n.status == kNoteOff) n.velocity = 0;
  else if (n.status != kNoteOn) return result;
  if (!CanEnter(ctx)) return result;
  uint8_t* held = ctx.shared->heldKeys;
  if (n.velocity) {
    held[n.key] = HeldValue(ctx, n.velocity);
    return result;
  }
  // The first key released enters the chord: its highest note takes the
  // step, the others sound with it.
  int count = 0;
  for (int k = 0; k < kHeldKeyCount; ++k)
    if (held[k]) ++count;
  int entered = 0;
  for (int k = 0; k < kHeldKeyCount; ++k) {
    if (!held[k]) continue;
    ++entered;
    const int velocity = held[k] == kHeldNoVelocity ? kKeepValue : held[k];
    held[k] = 0;
    Merge(result, SetNoteAtCaret(*ctx.current, ctx, k, entered == count ? kStepFromNoteAbove : 0, kKeepValue,
                                 velocity));
  }
  if (entered) result.edit.scrollBars = true;
  return result;
}

StepInputResult StepInputFKey(StepSongContext& ctx, uint32_t message, const MidiInTableReader* engineKeys) {
  StepInputResult result;
  if (!ctx.shared) return result;
  uint8_t* held = ctx.shared->heldKeys;
  if (engineKeys) {
    uint8_t table[kHeldKeyCount] = {};
    if (*engineKeys && (*engineKeys)(table)) {
      std::memcpy(held, table, sizeof table);
      result.heldKeysChanged = true;
    }
    return result;
  }
  const ShortNote n = Decode(message);
  const bool wasHeld = held[n.key] != 0;
  if (n.status == kNoteOff || (n.status == kNoteOn && n.velocity == 0)) {
    held[n.key] = 0;
    result.heldKeysChanged = wasHeld;
  } else if (n.status == kNoteOn) {
    // A new velocity on a held key is kept but changes nothing shown.
    held[n.key] = HeldValue(ctx, n.velocity);
    result.heldKeysChanged = !wasHeld;
  }
  return result;
}

StepInputResult ApplyPaletteStepInput(StepSongContext& ctx, uint32_t message, int source) {
  if (ctx.playing || !CanEnter(ctx)) return {};
  const int key = static_cast<int>((message >> 8) & 0x7F);
  switch (StepInputModeOf(*ctx.shared)) {
    case kStepModeMono:
      return StepInputMono(ctx, message);
    case kStepModePoly:
      if (source != 0) return StepInputPoly(ctx, message);
      ctx.shared->heldKeys[key] = 0;
      return {};
    case kStepModeFKey:
      if (source == 2)
        for (int k = key + 1; k < kHeldKeyCount; ++k) ctx.shared->heldKeys[k] = 0;
      return StepInputFKey(ctx, message, nullptr);
    default:
      return {};
  }
}
