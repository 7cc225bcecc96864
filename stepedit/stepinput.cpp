#include "stepinput.h"

#include <cstring>

#include "notecaret.h"
#include "programstate.h"
#include "settings.h"
#include "songcontext.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "zk/messages.h"

namespace {

// Fixed, so the handle is the table and the engine can fill it directly.
HGLOBAL g_engineKeys = nullptr;

bool ReadEngineKeys(uint8_t table[kHeldKeyCount]) {
  if (!g_stepHooks.readMidiInTable) return false;
  if (!g_engineKeys) g_engineKeys = GlobalAlloc(GPTR, kHeldKeyCount);
  if (!g_engineKeys || !g_stepHooks.readMidiInTable(g_engineKeys)) return false;
  std::memcpy(table, static_cast<const void*>(g_engineKeys), kHeldKeyCount);
  return true;
}

// The program keeps the mode word in its settings; the model reads and
// writes the shared state's copy.
void ModeToShared() { g_stepShared.stepInputMode = static_cast<uint32_t>(g_settings.stepInputMode); }
void ModeFromShared() { g_settings.stepInputMode = static_cast<int32_t>(g_stepShared.stepInputMode); }

// The score pane of the editor and the score view show the held keys.
void HeldKeysChanged(HWND editor) {
  if (const StepEditorData* ed = StepEditorDataOf(editor))
    if (ed->scorePane) SendMessageA(ed->scorePane, WM_ZK_STEPCHANGED, 0, 0);
  if (g_views.scoreView) SendMessageA(g_views.scoreView, WM_ZK_STEPCHANGED, 0, 0);
}

// What an entry asks of the editor's window.
void ShowEntry(HWND editor, const EditResult& r) {
  if (r.beep) MessageBeep(0);
  if (r.messageId && g_stepHooks.showMessage) g_stepHooks.showMessage(r.messageStyle, r.messageId);
  if (r.stateBits && g_stepHooks.setTrackStateBits) g_stepHooks.setTrackStateBits(editor, r.stateBits);
  if (r.stateBits || r.indexRebuilt) UpdateFreeCount(editor);
  if (r.scrollBars || r.indexRebuilt) UpdateStepScroll(editor);
}

void ShowInput(const StepInputResult& r) {
  HWND editor = g_prog.currentStep;
  if (r.notesEntered) ShowEntry(editor, r.edit);
  if (r.heldKeysChanged) HeldKeysChanged(editor);
}

}  // namespace

uint8_t* HeldKeyTable() { return g_stepShared.heldKeys; }

void ClearHeldKeys() { std::memset(g_stepShared.heldKeys, 0, sizeof g_stepShared.heldKeys); }

void DispatchStepMidiInput(uint32_t message) {
  StepInputResult r;
  {
    OpenSongContext ctx;
    ModeToShared();
    r = DispatchStepMidiInput(ctx.get(), message, ReadEngineKeys);
    ModeFromShared();
  }
  ShowInput(r);
}

void ApplyPaletteNote(int key, int velocity) {
  const int source = velocity & 0xFF;
  const uint32_t message = 0x90u | (static_cast<uint32_t>(key & 0x7F) << 8) | (static_cast<uint32_t>(source) << 16);
  StepInputResult r;
  {
    OpenSongContext ctx;
    ModeToShared();
    r = ApplyPaletteStepInput(ctx.get(), message, source);
    ModeFromShared();
  }
  ShowInput(r);
}

int SetNoteAtCaret(HWND editor, int key, int step, int gate, int velocity) {
  StepEditorData* ed = StepEditorDataOf(editor);
  if (!ed) return 0;
  EditResult r;
  {
    OpenSongContext ctx;
    ModeToShared();
    r = SetNoteAtCaret(*ed, ctx.get(), key, step, gate, velocity);
    ModeFromShared();
  }
  ShowEntry(editor, r);
  return r.stateBits ? 1 : 0;
}
