// Files dropped on an editor, and the memo and command events written at
// the caret.
#include <cstdio>
#include <vector>

#include "dropfiles.h"
#include "lineindex.h"
#include "memoevents.h"
#include "stepbench.h"

namespace stepbench {

namespace {

// Ten events fewer than the limit allows, the caret on the third line.
void NearlyFullAtTop(ModelSong& s, StepEditModel& m) {
  RemoveEvents(m, 0, 10);
  BuildTrackLineIndex(m, s.ctx);
  m.topLine = 0;
  m.caretRow = 3;
}

void Check(const EditResult& r, const char* what) {
  if (r.status != EditStatus::Ok) std::printf("%s refused\n", what);
}

}  // namespace

void BenchDrop() {
  static int count = 0;
  static const std::vector<uint8_t> block = BuildExternalCommandBlock(kCommandMci, "play abc.wav", &count);
  Measure("drop a command near the top", NearlyFullAtTop, [](ModelSong& s, StepEditModel& m) {
    Check(InsertDropEvents(m, s.ctx, block.data(), block.size(), count, DropPlace{}), "drop");
  });
  Measure("memo near the top", NearlyFullAtTop, [](ModelSong& s, StepEditModel& m) {
    Check(WriteMemoAtCaret(m, s.ctx, "a memo of the bench"), "memo");
  });
  Measure("command near the top", NearlyFullAtTop, [](ModelSong& s, StepEditModel& m) {
    Check(InsertExternalCommand(m, s.ctx, kCommandLine, "notepad.exe readme.txt"), "command");
  });
}

}  // namespace stepbench
