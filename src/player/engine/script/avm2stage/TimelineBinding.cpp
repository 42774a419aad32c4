// The timeline's side of the display tree: clips the timeline places get objects of
// their symbols' classes, named on their parents, in the parents' child lists.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Nesting past this (a sprite that holds itself) is not bound.
constexpr int MaxBindNesting = 64;

// The class bound to a clip's character by the movie the clip came from: a loaded
// movie's own bindings, or the main movie's.
ClassObject* SymbolClass(Vm& vm, ClipId clip) {
    StageState& state = StateOf(vm);
    const std::map<std::uint16_t, std::string>* classes = &state.symbolClasses;
    if (const auto top = state.objectsByClip.find(state.host.movieRoot(clip));
        top != state.objectsByClip.end()) {
        if (const auto& movie = state.displays[top->second].movie) {
            classes = &movie->symbolClasses;
        }
    }
    const auto named = classes->find(state.host.characterId(clip));
    if (named == classes->end()) {
        return nullptr;
    }
    try {
        const Value found = FindDefinition(vm, NameFromText(vm, named->second));
        if (found.isObject() && found.asObject()->kind == ObjectKind::Class) {
            return static_cast<ClassObject*>(found.asObject());
        }
    } catch (const ScriptException&) {
        // A class whose script fails to start binds as the plain kind.
    }
    return nullptr;
}

ClassObject* ClassFor(Vm& vm, ClipId clip) {
    StageState& state = StateOf(vm);
    if (ClassObject* cls = SymbolClass(vm, clip)) {
        return cls;
    }
    switch (state.host.kind(clip)) {
    case ClipKind::Sprite:
        return BuiltinClass(vm, "flash.display", "MovieClip");
    case ClipKind::Button:
        return BuiltinClass(vm, "flash.display", "SimpleButton");
    case ClipKind::Text:
        return BuiltinClass(vm, "flash.text", "TextField");
    case ClipKind::Video:
        return BuiltinClass(vm, "flash.media", "Video");
    case ClipKind::Other:
        break;
    }
    return BuiltinClass(vm, "flash.display", "Shape");
}

void BindChildren(Vm& vm, Object* parent, int nesting, std::vector<Object*>& arrivals);

// A new object for a clip the timeline placed: its record first, its children, then
// its constructor. Its arrival, then theirs, go to `arrivals` to be told once the pass
// has put everything in place, so an event the children send bubbles past their parent.
Object* Adopt(Vm& vm, Object* parent, ClipId clip, int nesting, std::vector<Object*>& arrivals) {
    StageState& state = StateOf(vm);
    ClassObject* cls = ClassFor(vm, clip);
    Object* child = AllocateInstance(vm, cls);
    state.objectsByClip[clip] = child;
    DisplayRecord& r = state.displays[child];
    r.clip = clip;
    r.fromTimeline = true;
    // Every display object takes a number, named or not.
    const std::string automatic = "instance" + std::to_string(++state.instanceNames);
    r.name = state.host.name(clip);
    if (r.name.empty()) {
        r.name = automatic;
    }
    const Value value = Value::object(child);
    Guarded(vm, [&] {
        // A sealed parent without a property of that name simply does not get one.
        const Value parentValue = Value::object(parent);
        if (!state.host.name(clip).empty()) {
            SetPublic(vm, parentValue, r.name, value);
        }
    });
    std::vector<Object*> inner;
    BindChildren(vm, child, nesting + 1, inner);
    Guarded(vm, [&] { RunInstanceInit(vm, cls, value, {}); });
    arrivals.push_back(child);
    arrivals.insert(arrivals.end(), inner.begin(), inner.end());
    return child;
}

void BindChildren(Vm& vm, Object* parent, int nesting, std::vector<Object*>& arrivals) {
    StageState& state = StateOf(vm);
    const DisplayRecord& record = state.displays[parent];
    const ClipId clip = record.clip;
    // an ActionScript 1 or 2 movie a Loader shows keeps its clips to itself
    if (!clip || nesting > MaxBindNesting || (record.movie && !record.movie->actionScript3)) {
        return;
    }
    std::vector<Object*> timeline;
    for (ClipId childClip : state.host.allChildren(clip)) {
        const auto known = state.objectsByClip.find(childClip);
        if (known != state.objectsByClip.end()) {
            timeline.push_back(known->second);
            BindChildren(vm, known->second, nesting + 1, arrivals);
        } else {
            timeline.push_back(Adopt(vm, parent, childClip, nesting, arrivals));
        }
    }
    // The timeline's children in depth order, then those a script added.
    std::vector<Object*>& children = state.displays[parent].children;
    for (Object* old : children) {
        DisplayRecord& r = state.displays[old];
        if (!r.fromTimeline) {
            // one with a clip is in depth order already
            if (!r.clip) {
                timeline.push_back(old);
            }
        } else if (std::find(timeline.begin(), timeline.end(), old) == timeline.end()) {
            r.parent = nullptr;
        }
    }
    for (Object* child : timeline) {
        state.displays[child].parent = parent;
    }
    state.displays[parent].children = std::move(timeline);
}

} // namespace

std::optional<std::uint16_t> SymbolOfObject(Vm& vm, Object* self) {
    StageState& state = StateOf(vm);
    for (const auto& [id, name] : state.symbolClasses) {
        try {
            const Value found = FindDefinition(vm, NameFromText(vm, name));
            for (ClassObject* c = self->cls; c && found.isObject(); c = c->base) {
                if (c == found.asObject()) {
                    return id;
                }
            }
        } catch (const ScriptException&) {
            // a class that cannot be found binds nothing
        }
    }
    return std::nullopt;
}

void BindTimeline(Vm& vm) {
    BindTimelineOf(vm, StateOf(vm).root);
}

void BindTimelineOf(Vm& vm, Object* top) {
    StageState& state = StateOf(vm);
    // A constructor that moves a playhead is bound with the rest of the pass.
    if (top && !state.binding) {
        state.binding = true;
        std::vector<Object*> arrivals;
        BindChildren(vm, top, 0, arrivals);
        for (Object* child : arrivals) {
            // one a listener took away again hears no arrival
            if (state.displays[child].parent) {
                Guarded(vm, [&] { NotifyArrival(vm, child, "added", "addedToStage"); });
            }
        }
        state.binding = false;
    }
}

} // namespace quillon::engine::avm2stage
