#include "player/engine/script/avm1/Runner.h"

#include "player/engine/script/avm1/Frame.h"
#include "player/engine/script/avm1/NetStreams.h"

namespace quillon::engine::avm1 {

Runner::Runner(DisplayHost& host, int version, VmLimits limits) : vm_(host, version, limits) {}

std::shared_ptr<const Block> Runner::decoded(const std::vector<std::uint8_t>& code) {
    auto it = blocks_.find(code.data());
    if (it != blocks_.end()) {
        return it->second;
    }
    auto block = DecodeActions(code, vm_.version());
    blocks_.emplace(code.data(), block);
    return block;
}

void Runner::runActions(ClipId clip, const std::vector<std::uint8_t>& code) {
    if (!fieldsSynced_) {
        // fields placed this frame give their text to unset variables before scripts run
        fieldsSynced_ = true;
        SyncTextFields(vm_);
    }
    if (!code.empty()) {
        vm_.runBlock(decoded(code), clip);
    }
}

void Runner::clipEvent(ClipId clip, ClipEvent event,
                       const std::vector<const std::vector<std::uint8_t>*>& actions) {
    // a clip of a registered symbol has its class's methods in its construct actions,
    // and the class's constructor runs after them
    Object* cls = event == ClipEvent::Construct ? vm_.giveClass(clip) : nullptr;
    for (const auto* code : actions) {
        runActions(clip, *code);
    }
    if (cls) {
        vm_.runGuarded([&] { vm_.constructClip(clip, cls); });
    }
    const char* handler = event == ClipEvent::Load         ? "onLoad"
                          : event == ClipEvent::EnterFrame ? "onEnterFrame"
                          : event == ClipEvent::Unload     ? "onUnload"
                                                           : nullptr;
    Object* object = handler ? vm_.clipObject(clip) : nullptr;
    if (object) {
        const Value fn = vm_.getOf(object, handler, Value(object));
        if (fn.isObject() && fn.o->isFunction()) {
            vm_.callMethodSafely(Value(object), handler, {});
        }
    }
}

bool Runner::handlesUnload(ClipId clip) {
    Object* object = vm_.clipObject(clip);
    return object && vm_.holderOf(object, "onUnload");
}

void Runner::endFrame(double frameMs) {
    vm_.answerDialogs();
    vm_.finishInits();
    vm_.resetBudgetIfSpent();
    SyncTextFields(vm_);
    fieldsSynced_ = false;
    vm_.advanceClock(frameMs);
    AdvanceNetStreams(vm_, frameMs);
    // Collect once the heap has doubled since the last collection.
    if (vm_.objectCount() > 2 * lastCollected_ + 10000) {
        vm_.collectGarbage();
        lastCollected_ = vm_.objectCount();
    }
}

} // namespace quillon::engine::avm1
