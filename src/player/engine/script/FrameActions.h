#pragma once
// The script side of the display list: frame actions run against the clip whose frame
// they belong to. Scripts reach the running movie through the display list only.

#include "player/engine/display/DisplayList.h"

#include <cstdint>
#include <memory>
#include <span>

namespace quillon::engine {

// A FrameScript: runs the simple timeline actions of one block on clip.
void RunFrameActions(ClipRunner& runner, const std::shared_ptr<Clip>& clip,
                     std::span<const std::uint8_t> code);

} // namespace quillon::engine
