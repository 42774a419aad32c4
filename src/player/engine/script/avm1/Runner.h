#pragma once
// The interpreter behind ScriptEvents: decodes each action block once, runs frame
// scripts and clip events in the order the display side hands them over, and keeps the
// clock.

#include "player/engine/display/ScriptEvents.h"
#include "player/engine/script/avm1/Keyboard.h"
#include "player/engine/script/avm1/Vm.h"

#include <unordered_map>

namespace quillon::engine::avm1 {

class Runner : public ScriptEvents {
public:
    Runner(DisplayHost& host, int version, VmLimits limits = {});

    Vm& vm() { return vm_; }
    void runActions(ClipId clip, const std::vector<std::uint8_t>& code) override;
    void clipEvent(ClipId clip, ClipEvent event,
                   const std::vector<const std::vector<std::uint8_t>*>& actions) override;
    void clipRemoved(ClipId clip) override { vm_.forgetClip(clip); }
    bool handlesUnload(ClipId clip) override;
    // A new frame: a fresh step budget and an empty stack (what blocks leave for the ones
    // after them lasts the frame); the loads the last frame asked for finish first.
    void beginFrame() {
        vm_.resetBudget();
        vm_.stack.clear();
        vm_.finishLoads();
        fieldsSynced_ = false;
    }
    // The frame is over: the clock moves on by its length, intervals fire, garbage goes.
    void endFrame(double frameMs);
    // A key goes down or up: Key's listeners, the focused object, Tab moving the focus.
    void keyPressed(int code, bool shift) {
        vm_.runGuarded([&] { KeyDown(vm_, code, shift); });
    }
    void keyReleased(int code) {
        vm_.runGuarded([&] { KeyUp(vm_, code); });
    }

private:
    std::shared_ptr<const Block> decoded(const std::vector<std::uint8_t>& code);

    Vm vm_;
    std::unordered_map<const std::uint8_t*, std::shared_ptr<const Block>> blocks_;
    std::size_t lastCollected_ = 0;
    bool fieldsSynced_ = false; // bound text fields are up to date for this frame's scripts
};

} // namespace quillon::engine::avm1
