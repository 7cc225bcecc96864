// Sort, stroke and slide on a full track.
#include "stepbench.h"

namespace stepbench {

void BenchSortStrokeSlide() {}

}  // namespace stepbench
