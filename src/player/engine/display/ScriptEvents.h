#pragma once
// What the display side tells the script interpreter: frame scripts to run, clip events,
// clips that went away. Implemented by the interpreter's runner.

#include "player/engine/display/DisplayHost.h"

#include <cstdint>
#include <vector>

namespace quillon::engine {

enum class ClipEvent { Construct, Initialize, Load, EnterFrame, Unload };

class ScriptEvents {
public:
    virtual ~ScriptEvents() = default;
    // A frame script (or init action) of a clip, run now.
    virtual void runActions(ClipId clip, const std::vector<std::uint8_t>& code) = 0;
    // A clip event: its clip actions (events masked by ClipEventBit) and the handler
    // methods such as onLoad and onEnterFrame.
    virtual void clipEvent(ClipId clip, ClipEvent event,
                           const std::vector<const std::vector<std::uint8_t>*>& actions) = 0;
    // The clip left the display list.
    virtual void clipRemoved(ClipId clip) = 0;
    // Whether a script gave the clip an unload handler of its own.
    virtual bool handlesUnload(ClipId) { return false; }
};

} // namespace quillon::engine
