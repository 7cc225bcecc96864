// Quantize and the value ramp on a full track.
#include "stepbench.h"

namespace stepbench {

void BenchQuantizeRamp() {}

}  // namespace stepbench
