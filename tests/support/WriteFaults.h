#pragma once
// Makes the steps of the codec's safe writes fail on demand, through the codec's
// link-time seam (InjectedWriteFault).

#include "codec/FileIO.h"

#include <functional>

namespace quillon {

// Called before each step; a non-zero result makes the step fail with that errno. An
// empty hook lets every step run.
using WriteFaultHook = std::function<int(WriteStep)>;
void SetWriteFaultHook(WriteFaultHook hook);

} // namespace quillon
