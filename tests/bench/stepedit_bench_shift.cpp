// Shift, ex/comp and replicate on a full track.
#include "stepbench.h"

namespace stepbench {

void BenchShiftReplicate() {}

}  // namespace stepbench
