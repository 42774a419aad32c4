#pragma once
// flash.net on local files: URLRequest, URLVariables, URLLoader and the load events.

#include "player/engine/script/avm2stage/StageState.h"

namespace quillon::engine::avm2stage {

void InstallUrlLoadClasses(avm2::Vm& vm);
// The URLLoader loads asked for since the last frame: each reads its file and sends
// open, progress and complete, or ioError.
void FinishUrlLoads(avm2::Vm& vm);

} // namespace quillon::engine::avm2stage
