#include "mixrefresh.h"

#include "lineindex.h"
#include "programstate.h"
#include "songcontext.h"
#include "stepeditdata.h"
#include "stepservices.h"
#include "trackattach.h"
#include "trackmerge.h"

void RefreshMixedEditor(HWND editor, int track) {
  StepEditorData* ed = GetStepEditorData(editor);
  if (!ed || ed->track != track) return;
  {
    OpenSongContext ctx;
    HGLOBAL block = ContextTrackEvents(ctx.get(), track);
    if (!block) return;
    // The old block is gone: without memory to grow the new one the editor
    // still follows it, only without room for a gap.
    if (!PointEditorAtBlock(*ed, ctx.get(), block, editor == g_prog.currentStep)) {
      PointEditorAtBlock(*ed, ctx.get(), block, false);
    }
  }
  ApplyEditorScrollBars(editor, *ed);
  PlaceStepCaret(editor);
}

void InstallMixRefresh() { SetTrackEditorRefresh(&RefreshMixedEditor); }
