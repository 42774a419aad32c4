// The part of the frame cycle after the display list is built: objects for new clips,
// frameConstructed, the frame scripts in the player's order, exitFrame. A goto a script
// of a movie of version 10 or later makes outside the frame scripts runs it at once.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <unordered_set>
#include <utility>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// gotoAndStop inside frame scripts can move the playhead again; this many rounds a
// frame at most.
constexpr int MaxFrameScriptRounds = 16;
// Gotos in the handlers of a goto's own frame events nest this deep at most.
constexpr int MaxNestedFrames = 4;
// Frame scripts run at once for gotos made in frame scripts nest this deep at most;
// deeper ones wait for the next round.
constexpr int MaxNestedScriptRuns = 16;
// Frame scripts that run in one frame, gotos' included, at most.
constexpr int MaxFrameScriptsPerFrame = 1000;

// Display objects in the order frame scripts run: parents before their children, the
// children in their list's order, from `top` down; from the stage, also any off the list.
std::vector<Object*> ScriptOrder(StageState& state, Object* top) {
    std::vector<Object*> order;
    std::unordered_set<Object*> seen;
    std::vector<Object*> work{top};
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
    if (top != state.stage) {
        return order;
    }
    for (auto& [object, record] : state.displays) {
        if (!record.frameScripts.empty() && !seen.contains(object)) {
            order.push_back(object);
        }
    }
    return order;
}

// Runs the script of the frame an object stands on, once per visit of the frame. The
// frame is read just before: an earlier script may have moved the playhead. A clip
// whose frame script is still running leaves its new frame's script for later.
bool RunDueScript(Vm& vm, Object* object) {
    StageState& state = StateOf(vm);
    const auto it = state.displays.find(object);
    if (it == state.displays.end() || !it->second.clip || it->second.frameScripts.empty() ||
        it->second.runningScript) {
        return false;
    }
    DisplayRecord& record = it->second;
    const int frame =
        static_cast<int>(state.host.property(record.clip, ClipProperty::CurrentFrame)) - 1;
    if (frame == record.scriptedFrame) {
        return false;
    }
    const auto script = record.frameScripts.find(frame);
    if (script != record.frameScripts.end() && state.frameScriptRuns >= MaxFrameScriptsPerFrame) {
        // Scripts that keep sending playheads back and forth end the frame; the frame's
        // script still runs on a later frame.
        if (state.frameScriptRuns++ == MaxFrameScriptsPerFrame) {
            state.warning("frame scripts stopped: too many gotos in one frame");
        }
        return false;
    }
    record.scriptedFrame = frame;
    if (script == record.frameScripts.end()) {
        return false;
    }
    ++state.frameScriptRuns;
    const Value fn = script->second;
    record.runningScript = true;
    Guarded(vm, [&] { CallValue(vm, fn, Value::object(object), {}); });
    const auto after = state.displays.find(object);
    if (after == state.displays.end()) {
        return true;
    }
    DisplayRecord& done = after->second;
    done.runningScript = false;
    if (const auto go = std::exchange(done.queuedGoto, std::nullopt); go && done.clip) {
        // The goto is done now, as a frame of its own (even to the same frame): its
        // new frame's scripts run before any other clip's.
        MovePlayheadNow(vm, &done, done.clip, go->frame, go->play);
        if (state.finishingFrames < MaxNestedFrames) {
            FinishFrame(vm);
        } else {
            BindTimeline(vm);
            RunFrameScripts(vm, object);
        }
    }
    return true;
}

} // namespace

void RunFrameScripts(Vm& vm, Object* top) {
    StageState& state = StateOf(vm);
    if (state.scriptRuns >= MaxNestedScriptRuns) {
        return;
    }
    ++state.scriptRuns;
    const bool outer = state.inFrameScripts;
    state.inFrameScripts = true;
    for (int round = 0; round < MaxFrameScriptRounds; ++round) {
        bool ran = false;
        for (Object* object : ScriptOrder(state, top)) {
            ran = RunDueScript(vm, object) || ran;
        }
        if (!ran) {
            break;
        }
        BindTimeline(vm);
    }
    state.inFrameScripts = outer;
    --state.scriptRuns;
}

void MovePlayheadNow(Vm& vm, DisplayRecord* record, ClipId clip, int frame, bool play) {
    DisplayHost& host = StateOf(vm).host;
    const double before = host.property(clip, ClipProperty::CurrentFrame);
    host.gotoFrame(clip, frame, play);
    // A frame moved to runs its script again, even one whose script ran before the
    // playhead last left.
    if (record && host.property(clip, ClipProperty::CurrentFrame) != before) {
        record->scriptedFrame = -1;
    }
}

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
    RunFrameScripts(vm, state.stage);
    Broadcast(vm, "exitFrame");
    --state.finishingFrames;
}

void FinishGoto(Vm& vm, Object* moved) {
    StageState& state = StateOf(vm);
    // Movies before version 10 leave the new frame's events and scripts to the frame's
    // own round.
    if (state.swfVersion < 10 && state.inFrameScripts) {
        // The new frame's children are on the list at once and constructed once the
        // script has ended.
        PlaceTimeline(vm);
        return;
    }
    if (state.swfVersion < 10 || state.binding || state.finishingFrames >= MaxNestedFrames) {
        // The new frame's children are there for the next line of the script.
        BindTimeline(vm);
        return;
    }
    if (state.inFrameScripts) {
        // From a frame script, the clip moved and its children run their new frames'
        // scripts at once, unless its own script is running: then all of it waits for
        // the next round.
        BindTimeline(vm);
        const auto it = state.displays.find(moved);
        if (it != state.displays.end() && !it->second.runningScript) {
            RunFrameScripts(vm, moved);
        }
        return;
    }
    FinishFrame(vm);
}

} // namespace quillon::engine::avm2stage
