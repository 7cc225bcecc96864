// Search and erase on a full track.
#include "stepbench.h"

namespace stepbench {

void BenchSearchErase() {}

}  // namespace stepbench
