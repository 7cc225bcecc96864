// The step editor's window data record and the per-window blocks it names.
#pragma once
#include <windows.h>
#include <cstdint>

#include "editmodel.h"
#include "zk/song.h"

// The window record: the editing model and what only the window needs.
struct StepEditorData : StepEditModel {
  HFONT font;
  int32_t clientWidth;
  int32_t clientHeight;
  uint32_t caretLineShown;   // 1 while the caret-row line stands on the screen
  void* companion;           // the companion view's data, 0 none
  HWND scorePane;
  HGLOBAL rhythmFieldBlock;  // seven values of the rhythm fields
  HGLOBAL fieldEdits;        // five field-edit windows
  uint32_t insertMode;       // EDIT/INSERT bit of the step input mode
  int32_t viewFlags[2];      // [0] 1 while the event list is shown
};

constexpr size_t kEditorWorkBytes = kNoteNameTableBytes;

// The editor window keeps a pointer to its record in GWLP_USERDATA; null for
// no window or a window without one.
inline StepEditorData* GetStepEditorData(HWND window) {
  if (!window || !IsWindow(window)) return nullptr;
  return reinterpret_cast<StepEditorData*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}
