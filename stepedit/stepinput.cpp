#include "stepinput.h"

#include "appglobals.h"
#include "notecaret.h"
#include "programstate.h"
#include "settings.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "zk/messages.h"

namespace {

constexpr uint32_t kNoteOff = 0x80;
constexpr uint32_t kNoteOn = 0x90;

// Fixed, so the handle is the table and the engine can fill it directly.
HGLOBAL g_heldKeys = nullptr;

HGLOBAL HeldKeyBlock() {
  if (!g_heldKeys) g_heldKeys = GlobalAlloc(GPTR, kHeldKeyCount);
  return g_heldKeys;
}

struct ShortNote {
  uint32_t status;
  int key;
  int velocity;
};

// MIDI input is outside data: key and velocity index 128-entry tables.
ShortNote Decode(uint32_t message) {
  return {message & 0xF0, static_cast<int>((message >> 8) & 0x7F), static_cast<int>((message >> 16) & 0x7F)};
}

uint8_t HeldValue(int velocity) {
  return g_settings.midiInVelocity ? static_cast<uint8_t>(velocity) : kHeldNoVelocity;
}

HWND ActiveTrackWindow() {
  HWND active = ActiveMdiChild();
  return TrackOfStepEditor(active) ? active : nullptr;
}

bool SongHasTrackWindowTable() {
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return false;
  const bool has = doc->trackWindows != nullptr;
  UnlockSongDocument(g_app.frame);
  return has;
}

// The score pane of the active track window and the score view show the
// held keys.
void HeldKeysChanged() {
  if (const StepEditorData* ed = GetStepEditorData(ActiveTrackWindow()))
    if (ed->scorePane) SendMessageA(ed->scorePane, WM_ZK_STEPCHANGED, 0, 0);
  if (g_views.scoreView) SendMessageA(g_views.scoreView, WM_ZK_STEPCHANGED, 0, 0);
}

}  // namespace

uint8_t* HeldKeyTable() {
  static uint8_t spare[kHeldKeyCount];
  HGLOBAL h = HeldKeyBlock();
  return h ? static_cast<uint8_t*>(static_cast<void*>(h)) : spare;
}

void ClearHeldKeys() {
  uint8_t* keys = HeldKeyTable();
  for (int k = 0; k < kHeldKeyCount; ++k) keys[k] = 0;
}

void DispatchStepMidiInput(uint32_t message) {
  if (g_stepHooks.isPlaying && g_stepHooks.isPlaying()) return;
  if (g_app.portsUnavailable || !SongHasTrackWindowTable() || !ActiveTrackWindow()) return;
  const int mode = g_settings.stepInputMode / 2;
  if (mode == kStepModeMono) StepInputMono(message);
  if (mode == kStepModePoly) StepInputPoly(message);
  if (mode == kStepModeFKey) StepInputFKey(message, 1);
}

void StepInputMono(uint32_t message) {
  const ShortNote n = Decode(message);
  if (n.status != kNoteOn || n.velocity == 0) return;
  HWND editor = g_prog.currentStep;
  SetNoteAtCaret(editor, n.key, kKeepValue, kKeepValue, g_settings.midiInVelocity ? n.velocity : kKeepValue);
  UpdateStepScroll(editor);
}

void StepInputPoly(uint32_t message) {
  ShortNote n = Decode(message);
  if (n.status == kNoteOff) n.velocity = 0;
  else if (n.status != kNoteOn) return;
  uint8_t* held = HeldKeyTable();
  if (n.velocity) {
    held[n.key] = HeldValue(n.velocity);
    return;
  }
  // The first key released enters the chord: its highest note takes the
  // step, the others sound with it.
  int count = 0;
  for (int k = 0; k < kHeldKeyCount; ++k)
    if (held[k]) ++count;
  HWND editor = g_prog.currentStep;
  int entered = 0;
  for (int k = 0; k < kHeldKeyCount; ++k) {
    if (!held[k]) continue;
    ++entered;
    const int velocity = held[k] == kHeldNoVelocity ? kKeepValue : held[k];
    SetNoteAtCaret(editor, k, entered == count ? kStepFromNoteAbove : 0, kKeepValue, velocity);
    held[k] = 0;
  }
  if (entered) UpdateStepScroll(editor);
}

void StepInputFKey(uint32_t message, int fromEngine) {
  bool changed = false;
  uint8_t* held = HeldKeyTable();
  if (fromEngine) {
    changed = g_stepHooks.readMidiInTable && g_stepHooks.readMidiInTable(HeldKeyBlock());
  } else {
    const ShortNote n = Decode(message);
    const bool wasHeld = held[n.key] != 0;
    if (n.status == kNoteOff || (n.status == kNoteOn && n.velocity == 0)) {
      held[n.key] = 0;
      changed = wasHeld;
    } else if (n.status == kNoteOn) {
      held[n.key] = HeldValue(n.velocity);
      changed = !wasHeld;
    }
  }
  if (changed) HeldKeysChanged();
}
