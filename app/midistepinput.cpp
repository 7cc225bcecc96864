#include "midistepinput.h"

#include <cstring>

#include "appglobals.h"
#include "engine.h"
#include "playstate.h"
#include "portsetup.h"
#include "programstate.h"
#include "settings.h"
#include "songmodel.h"
#include "statusline.h"
#include "stepeditdata.h"
#include "stepinput.h"
#include "stepshared.h"
#include "stepwnd.h"

namespace {

constexpr int kImmRecordIgnored = 32;
constexpr uint8_t kChannelOff = 0xFF;

int32_t g_savedRhythmInput[kRhythmInputValues] = {};

// The Super MPU records what comes in on each of its open ports at once.
void ImmediateRecordOn() {
  if (!g_smpu.setSMPUIMMREC || !g_prog.immRecordBlock) return;
  for (int port = 0; port < 4; ++port)
    if (g_smpuPortFlags[port]) g_smpu.setSMPUIMMREC(1, g_prog.immRecordBlock, kImmRecordIgnored);
}

uint8_t TrackChannel(int n) {
  HGLOBAL h = SongEntry(TrackHeaderEntry(n));
  const auto* th = h ? static_cast<const TrackHeader*>(GlobalLock(h)) : nullptr;
  if (!th) return kChannelOff;
  const uint8_t channel = th->channel;
  GlobalUnlock(h);
  return channel;
}


}  // namespace

void StartMidiInputMode(int mode) {
  if (g_app.portsUnavailable) return;
  ImmediateRecordOn();
  if (g_engine.startMIDIInPort) g_engine.startMIDIInPort(mode);
}

void StartMidiInput() {
  if (g_app.portsUnavailable || g_settings.stepInputMode < kFirstMidiStepMode) return;
  StartMidiInputMode(g_settings.stepInputMode);
}

void StopMidiInput() {
  if (!g_app.portsUnavailable && g_engine.stopMIDIInPort) g_engine.stopMIDIInPort();
}

int ThruChannel() {
  if (const StepEditorData* ed = TrackOfStepEditor(g_prog.currentStep) ? GetStepEditorData(g_prog.currentStep)
                                                                             : nullptr)
    if (ed->track >= 1 && ed->track <= g_song.trackCount) return TrackChannel(ed->track);
  int channel = 0;
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) {
    HGLOBAL h = SongEntry(TrackHeaderEntry(n));
    const auto* th = h ? static_cast<const TrackHeader*>(GlobalLock(h)) : nullptr;
    if (!th) continue;
    if ((th->mode & 0x06) && th->channel != kChannelOff) channel = th->channel;
    GlobalUnlock(h);
  }
  return channel;
}

void AssignThru() {
  if (g_app.portsUnavailable || !g_engine.thruAssign) return;
  g_engine.thruAssign(g_settings.midiThruWord, g_settings.midiRecPortWord, ThruChannel(), g_settings.realTime);
}

void SetStepInputMode(HWND stepEditor, UINT command) {
  const int old = g_settings.stepInputMode & ~1;
  const StepEditorData* ed = TrackOfStepEditor(stepEditor) ? GetStepEditorData(stepEditor) : nullptr;
  // The low bit shows EDIT while the editor's events are contiguous, INSERT
  // while a line is open in it.
  const int32_t indexCurrent = ed ? ed->indexCurrent : (g_settings.stepInputMode & 1);
  if (!SelectStepInputMode(g_stepShared, command, indexCurrent)) return;
  ClearHeldKeys();
  g_settings.stepInputMode = static_cast<int32_t>(g_stepShared.stepInputMode);
  const int base = g_settings.stepInputMode & ~1;
  if (old < kFirstMidiStepMode && base >= kFirstMidiStepMode) {
    StartMidiInputMode(base);
    AssignThru();
  } else if (base < kFirstMidiStepMode && old >= kFirstMidiStepMode) {
    StopMidiInput();
  }
  ShowStatus(g_app.frame, kStatusMode, 1);
}

void SaveRhythmInputState(HWND stepEditor, int save, int onlyForEditor) {
  if (onlyForEditor && !TrackOfStepEditor(ActiveMdiChild())) return;
  const StepEditorData* ed = TrackOfStepEditor(stepEditor) ? GetStepEditorData(stepEditor) : nullptr;
  if (!ed || ed->viewMode != kModeRhythmGrid || !ed->rhythmFieldBlock) return;
  auto* values = static_cast<int32_t*>(GlobalLock(ed->rhythmFieldBlock));
  if (!values) return;
  if (GlobalSize(ed->rhythmFieldBlock) >= sizeof g_savedRhythmInput) {
    if (save) {
      std::memcpy(g_savedRhythmInput, values, sizeof g_savedRhythmInput);
    } else {
      std::memcpy(values, g_savedRhythmInput, sizeof g_savedRhythmInput);
      std::memset(g_savedRhythmInput, 0, sizeof g_savedRhythmInput);
    }
  }
  GlobalUnlock(ed->rhythmFieldBlock);
}

const int32_t* SavedRhythmInputState() { return g_savedRhythmInput; }

void ApplyStepInputMode(int key, int velocity) { ApplyPaletteNote(key, velocity); }
