// Block edits and step entry on a full track.
#include <cstring>
#include <vector>

#include "eventtext.h"
#include "fieldcommit.h"
#include "fieldedit.h"
#include "lineindex.h"
#include "listline.h"
#include "notecaret.h"
#include "rhythmcells.h"
#include "stepbench.h"
#include "stepblocks.h"
#include "stepclip.h"
#include "stepmerge.h"
#include "stepshared.h"
#include "stepundo.h"

namespace stepbench {

void BenchBlocksAndEntry() {
  Measure("index rebuild", nullptr, [](ModelSong& s, StepEditModel& m) { BuildTrackLineIndex(m, s.ctx); });
  Measure("list text of every line", nullptr, [](ModelSong& s, StepEditModel& m) {
    ListLineMemory memory;
    size_t chars = 0;
    for (int32_t line = 0; line < m.lineCount; ++line)
      chars += StepListLine(m, s.ctx, LineEvent(m, line), false, memory).size();
    if (chars == 0) std::printf("no text\n");
  });
  Measure("gap open and close", nullptr, [](ModelSong& s, StepEditModel& m) {
    m.caretRow = 1;
    OpenInsertGap(m, s.ctx, 0);
    CloseInsertGap(m, s.ctx);
  });
  Measure("undo copy", nullptr, [](ModelSong&, StepEditModel& m) { SaveUndoCopy(m); });
  // 1,001 events cut from the top make room for pasting 1,000: a paste may
  // not reach 16,371.
  constexpr int kBlock = 1000;
  static std::vector<StepEvent> cut;
  auto cutTop = [](ModelSong& s, StepEditModel& m) {
    Select(m, 0, kBlock);
    CutStepBlock(m, s.ctx, &cut);
    BuildTrackLineIndex(m, s.ctx);
    m.selFrom = m.selTo = -1;
  };
  Measure("cut 8,000 events", nullptr, [](ModelSong& s, StepEditModel& m) {
    std::vector<StepEvent> block;
    Select(m, 100, 8099);
    CutStepBlock(m, s.ctx, &block);
  });
  Measure("insert a block of 1,000", cutTop, [](ModelSong& s, StepEditModel& m) {
    Select(m, 0, 0);
    const EditResult r = InsertStepBlock(m, s.ctx, cut);
    if (r.status != EditStatus::Ok) std::printf("insert refused\n");
  });
  Measure("delete 8,000 events", nullptr, [](ModelSong& s, StepEditModel& m) {
    Select(m, 100, 8099);
    DeleteStepSelection(m, s.ctx);
  });
  Measure("delete 8,000, all tracks", nullptr, [](ModelSong& s, StepEditModel& m) {
    Select(m, 100, 8099);
    s.ctx.shared->allTracksFlag = 1;
    DeleteStepSelection(m, s.ctx);
  });
  Measure("paste of 1,000", cutTop, [](ModelSong& s, StepEditModel& m) {
    const EditResult r = PasteSteps(m, s.ctx, cut.data(), kBlock);
    if (r.status != EditStatus::Ok) std::printf("paste refused\n");
  });
  Measure("clipboard block of 8,000", nullptr, [](ModelSong&, StepEditModel& m) {
    Select(m, 100, 8099);
    std::vector<StepEvent> events;
    if (!DecodeStepClipboard(CopySelectionBlock(m).data(), 8000 * 6 + 9, &events)) std::printf("no block\n");
  });
  Measure("mixed paste of 1,000", cutTop, [](ModelSong& s, StepEditModel& m) {
    const EditResult r = PasteMixSteps(m, s.ctx, cut.data(), kBlock);
    if (r.status != EditStatus::Ok) std::printf("mixed paste refused\n");
  });
  Measure("merge 1,000 into 15,371", cutTop, [](ModelSong&, StepEditModel& m) {
    ModelEvents block(m);
    std::vector<StepEvent> existing(block.events(), block.events() + m.eventCount + 1);
    std::vector<StepEvent> out(kTrackSlots);
    MergeStepStreams(0, 0, out.data(), kTrackSlots, existing.data(), cut.data());
  });
  Measure("note at the caret, line 0", nullptr, [](ModelSong& s, StepEditModel& m) {
    m.topLine = 0;
    m.caretRow = 1;
    if (SetNoteAtCaret(m, s.ctx, 72, kKeepValue, kKeepValue, 90).stateBits == 0) std::printf("no note\n");
  });
  // A new step time on line 0 moves every later line: the index is rebuilt.
  Measure("step commit, line 0", nullptr, [](ModelSong& s, StepEditModel& m) {
    m.topLine = 0;
    m.caretRow = 1;
    m.caretColumn = kFieldStep;
    std::memcpy(s.ctx.shared->fieldBuffer, "    60", kFieldChars + 1);
    if (!CommitStepField(m, s.ctx, 0).indexRebuilt) std::printf("no rebuild\n");
  });
  Measure("undo swap", [](ModelSong& s, StepEditModel& m) {
    SaveUndoCopy(m);
    RemoveEvents(m, 100, 8099);
    BuildTrackLineIndex(m, s.ctx);
  }, [](ModelSong& s, StepEditModel& m) {
    if (RestoreStepUndo(m, s.ctx).status != EditStatus::Ok) std::printf("undo refused\n");
  });
  // Event 7, a controller of step 0, and the note of key 56 after it make
  // one column: the note's step goes to the controller as the note leaves.
  Measure("rhythm cell removed", [](ModelSong& s, StepEditModel& m) {
    s.ctx.rhythm[0].key = 56;
    m.topLine = 0;
    m.caretRow = 1;
    m.caretColumn = static_cast<int16_t>(kRhythmFirstColumn + 2 * LineOfEvent(m, 7));
  }, [](ModelSong& s, StepEditModel& m) {
    const EditResult r = TypeRhythmCell(m, s.ctx, '0');
    if (r.status != EditStatus::Ok || !(r.stateBits & kStateTiming)) std::printf("no rhythm removal\n");
  }, true);
}

}  // namespace stepbench
