// The part of the frame cycle after the display list is built: objects for new clips,
// frameConstructed, the frame scripts in the player's order, exitFrame. A goto a script
// of a movie of version 10 or later makes outside the frame scripts runs it at once.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <unordered_set>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// gotoAndStop inside frame scripts can move the playhead again; this many rounds a
// frame at most.
constexpr int MaxFrameScriptRounds = 16;
// Gotos in the handlers of a goto's own frame events nest this deep at most.
constexpr int MaxNestedFrames = 4;

// Display objects in the order frame scripts run: parents before their children, the
// children in their list's order, from the stage down; then any off the list.
std::vector<Object*> ScriptOrder(StageState& state) {
    std::vector<Object*> order;
    std::unordered_set<Object*> seen;
    std::vector<Object*> work{state.stage};
    while (!work.empty() && order.size() < state.displays.size()) {
        Object* o = work.back();
        work.pop_back();
        const auto it = state.displays.find(o);
        if (!o || it == state.displays.end() || !seen.insert(o).second) {
            continue;
        }
        order.push_back(o);
        work.insert(work.end(), it->second.children.rbegin(), it->second.children.rend());
    }
    for (auto& [object, record] : state.displays) {
        if (!record.frameScripts.empty() && !seen.contains(object)) {
            order.push_back(object);
        }
    }
    return order;
}

void RunFrameScripts(Vm& vm) {
    StageState& state = StateOf(vm);
    const bool outer = state.inFrameScripts;
    state.inFrameScripts = true;
    for (int round = 0; round < MaxFrameScriptRounds; ++round) {
        std::vector<std::pair<Object*, Value>> due;
        for (Object* object : ScriptOrder(state)) {
            DisplayRecord& record = state.displays[object];
            if (!record.clip || record.frameScripts.empty()) {
                continue;
            }
            const int frame =
                static_cast<int>(state.host.property(record.clip, ClipProperty::CurrentFrame)) - 1;
            if (frame == record.scriptedFrame) {
                continue;
            }
            record.scriptedFrame = frame;
            const auto script = record.frameScripts.find(frame);
            if (script != record.frameScripts.end()) {
                due.emplace_back(object, script->second);
            }
        }
        if (due.empty()) {
            break;
        }
        for (const auto& [object, fn] : due) {
            Guarded(vm, [&] { CallValue(vm, fn, Value::object(object), {}); });
        }
        BindTimeline(vm);
    }
    state.inFrameScripts = outer;
}

} // namespace

void Broadcast(Vm& vm, const char* type) {
    StageState& state = StateOf(vm);
    const std::vector<Object*> targets = state.broadcasters[type];
    for (Object* target : targets) {
        if (state.displays.contains(target)) {
            Guarded(vm, [&] { Dispatch(vm, target, NewEvent(vm, "Event", type)); });
        }
    }
}

void FinishFrame(Vm& vm) {
    StageState& state = StateOf(vm);
    ++state.finishingFrames;
    BindTimeline(vm);
    Broadcast(vm, "frameConstructed");
    RunFrameScripts(vm);
    Broadcast(vm, "exitFrame");
    --state.finishingFrames;
}

void FinishGoto(Vm& vm) {
    StageState& state = StateOf(vm);
    // Movies before version 10 leave the new frame's events and scripts to the frame's
    // own round, as do frame scripts.
    if (state.swfVersion < 10 || state.binding || state.inFrameScripts ||
        state.finishingFrames >= MaxNestedFrames) {
        // The new frame's children are there for the next line of the script.
        BindTimeline(vm);
        return;
    }
    FinishFrame(vm);
}

} // namespace quillon::engine::avm2stage
