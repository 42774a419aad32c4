#include "player/engine/script/avm2stage/MovieRunner.h"

#include "player/engine/script/avm2/Builtins.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/DoAbcTag.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Keyboard.h"
#include "player/engine/script/avm2stage/UrlLoadClasses.h"

#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

Limits LimitsFor(const RunnerSetup& setup) {
    Limits limits;
    if (setup.stepsPerFrame > 0) {
        limits.steps = static_cast<std::uint64_t>(setup.stepsPerFrame);
    }
    return limits;
}

} // namespace

Name NameFromText(Vm& vm, const std::string& text) {
    const auto dot = text.rfind('.');
    const auto colons = text.rfind("::");
    std::string package, local = text;
    if (colons != std::string::npos) {
        package = text.substr(0, colons);
        local = text.substr(colons + 2);
    } else if (dot != std::string::npos) {
        package = text.substr(0, dot);
        local = text.substr(dot + 1);
    }
    Name name;
    name.atom = vm.intern(local);
    name.ns = {package.empty() ? kPublicNs : vm.internNs(NsKind::Package, package)};
    name.text = text;
    return name;
}

StageState& StateOf(Vm& vm) {
    return *static_cast<StageState*>(vm.embedder);
}

DisplayRecord* DisplayOf(Vm& vm, const Value& v) {
    if (!v.isObject()) {
        return nullptr;
    }
    StageState& state = StateOf(vm);
    const auto it = state.displays.find(v.asObject());
    return it == state.displays.end() ? nullptr : &it->second;
}

void ReportUncaught(Vm& vm, const ScriptException& e) {
    std::string text = "Error";
    try {
        text = ToString(vm, e.value);
    } catch (const ScriptException&) {
    } catch (const QuillonError&) {
    }
    StateOf(vm).warning("uncaught exception: " + text);
}

MovieRunner::MovieRunner(DisplayHost& host, const RunnerSetup& setup)
    : state_(std::make_unique<StageState>(host)),
      vm_(std::make_unique<Vm>(setup.trace, LimitsFor(setup))) {
    state_->warning = setup.warning;
    state_->stageWidth = setup.stageWidth;
    state_->stageHeight = setup.stageHeight;
    state_->frameRate = setup.frameRate;
    state_->swfVersion = setup.swfVersion;
    state_->readFile = setup.readFile;
    state_->useNetwork = setup.useNetwork;
    vm_->embedder = state_.get();
    vm_->random.seed(setup.seed);
    vm_->dateMs = setup.dateMs;
    HideNewerDefinitions(*vm_, setup.swfVersion);
    InstallEventClasses(*vm_);
    InstallDisplayClasses(*vm_);
    InstallFocusClasses(*vm_);
    InstallSystemClasses(*vm_);
    InstallUtilityClasses(*vm_);
    InstallMediaClasses(*vm_);
    InstallUrlLoadClasses(*vm_);
}

MovieRunner::~MovieRunner() = default;

template <class Body> void MovieRunner::guarded(Body&& body) {
    Guarded(*vm_, std::forward<Body>(body));
}

void LoadAbcBlock(Vm& vm, std::uint16_t tagCode, std::span<const std::uint8_t> body) {
    Guarded(vm, [&] {
        const DoAbcBody tag = ReadDoAbcBody(tagCode, body);
        AbcUnit& unit = vm.load(tag.abc);
        if (!tag.lazy() && !unit.scripts.empty()) {
            vm.runScript(unit, unit.scripts.size() - 1);
        }
    });
}

ClassObject* DocumentClass(Vm& vm, const std::map<std::uint16_t, std::string>& symbolClasses) {
    ClassObject* cls = BuiltinClass(vm, "flash.display", "MovieClip");
    const auto document = symbolClasses.find(0);
    if (document == symbolClasses.end() || document->second.empty()) {
        return cls;
    }
    const std::string& className = document->second;
    Guarded(vm, [&] {
        const Value found = FindDefinition(vm, NameFromText(vm, className));
        ClassObject* sprite = BuiltinClass(vm, "flash.display", "Sprite");
        const auto* foundClass = found.isObject() && found.asObject()->kind == ObjectKind::Class
                                     ? static_cast<ClassObject*>(found.asObject())
                                     : nullptr;
        if (foundClass && !foundClass->isSubclassOf(sprite)) {
            // The player reports this in the movie's log and keeps a plain timeline.
            vm.trace("TypeError: Error #2023: Class " + foundClass->name +
                     "$ must inherit from Sprite to link to the root.");
        } else if (foundClass) {
            cls = const_cast<ClassObject*>(foundClass);
        } else {
            StateOf(vm).warning("the document class " + className + " is not defined");
        }
    });
    return cls;
}

void MovieRunner::loadAbcTag(std::uint16_t tagCode, std::span<const std::uint8_t> body) {
    LoadAbcBlock(*vm_, tagCode, body);
}

void MovieRunner::startDocument(const std::map<std::uint16_t, std::string>& symbolClasses) {
    StageState& state = *state_;
    state.symbolClasses = symbolClasses;
    ClassObject* stageClass = BuiltinClass(*vm_, "flash.display", "Stage");
    state.stage = AllocateInstance(*vm_, stageClass);
    state.displays[state.stage].name = "";
    ClassObject* cls = DocumentClass(*vm_, symbolClasses);
    Object* root = AllocateInstance(*vm_, cls);
    state.root = root;
    DisplayRecord& r = state.displays[root];
    r.clip = state.host.root();
    r.parent = state.stage;
    r.name = "root1";
    state.objectsByClip[r.clip] = root;
    state.displays[state.stage].children.push_back(root);
    PlaceTimeline(*vm_);
    // A goto in the document constructor runs the frame scripts due at once. The first
    // frame's children are constructed as the document's base class is.
    guarded([&] { RunInstanceInit(*vm_, cls, Value::object(root), {}); });
    ConstructPlacedChildren(*vm_, root);
    // The stage takes the root once it is built, so its constructor's listeners hear it;
    // its children heard addedToStage as they were constructed.
    guarded([&] { NotifyTimelineArrival(*vm_, root); });
    FinishFrame(*vm_);
    guarded([&] { MainMovieLoaded(*vm_); });
    FinishDisplayLoads(*vm_);
}

void MovieRunner::beginFrame() {
    vm_->resetBudget();
    state_->frameScriptRuns = 0;
    FinishUrlLoads(*vm_);
}

void MovieRunner::fireTimers() {
    StageState& state = *state_;
    const std::vector<Object*> timers = state.timerOrder;
    for (Object* timer : timers) {
        TimerRecord& t = state.timers[timer];
        if (!t.running || t.due > state.clockMs) {
            continue;
        }
        ++t.currentCount;
        t.due = std::max(t.due + t.delay, state.clockMs - t.delay);
        const bool last = t.repeatCount > 0 && t.currentCount >= t.repeatCount;
        if (last) {
            t.running = false;
        }
        guarded([&] { Dispatch(*vm_, timer, NewEvent(*vm_, "TimerEvent", "timer")); });
        if (last) {
            guarded([&] { Dispatch(*vm_, timer, NewEvent(*vm_, "TimerEvent", "timerComplete")); });
        }
    }
}

void MovieRunner::fireCallbacks() {
    StageState& state = *state_;
    std::vector<std::pair<double, int>> due;
    for (const auto& [id, callback] : state.callbacks) {
        if (callback.due <= state.clockMs) {
            due.emplace_back(callback.due, id);
        }
    }
    std::sort(due.begin(), due.end());
    for (const auto& [when, id] : due) {
        const auto it = state.callbacks.find(id);
        if (it == state.callbacks.end()) {
            continue;
        }
        const Callback callback = it->second;
        if (callback.repeat) {
            it->second.due = std::max(when + callback.interval, state.clockMs);
        } else {
            state.callbacks.erase(it);
        }
        guarded([&] { CallHandler(*vm_, callback.fn, callback.args); });
    }
}

void MovieRunner::endFrame(double frameMs) {
    // The frame's new children are on their parents' lists when enterFrame goes out, and
    // constructed after it.
    PlaceTimeline(*vm_);
    Broadcast(*vm_, "enterFrame");
    FinishFrame(*vm_);
    state_->clockMs += frameMs;
    vm_->dateMs += frameMs;
    fireTimers();
    fireCallbacks();
    AdvanceStreams(*vm_, frameMs);
    FinishDisplayLoads(*vm_);
}

void MovieRunner::keyPressed(int code, bool shift) {
    guarded([&] { KeyDown(*vm_, code, shift); });
}

void MovieRunner::keyReleased(int code) {
    guarded([&] { KeyUp(*vm_, code); });
}

void MovieRunner::clipRemoved(ClipId clip) {
    // A timeline removal is told before the playhead moves on, as the player tells it.
    const auto known = state_->objectsByClip.find(clip);
    if (known != state_->objectsByClip.end()) {
        Object* child = known->second;
        const DisplayRecord& r = state_->displays[child];
        if (r.fromTimeline && r.parent) {
            // One never constructed never heard it arrived, and hears nothing now.
            if (!r.constructPending) {
                guarded([&] { NotifyArrival(*vm_, child, "removed", "removedFromStage"); });
            }
            DisplayRecord& left = state_->displays[child];
            if (left.parent) {
                std::erase(state_->displays[left.parent].children, child);
                left.parent = nullptr;
            }
        }
    }
    state_->objectsByClip.erase(clip);
    for (auto& [object, record] : state_->displays) {
        if (record.clip == clip) {
            record.clip = 0;
        }
    }
}

} // namespace quillon::engine::avm2stage
