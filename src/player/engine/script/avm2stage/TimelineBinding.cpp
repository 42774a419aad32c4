// The timeline's side of the display tree: clips the timeline places get objects of
// their symbols' classes, named on their parents, in the parents' child lists.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>
#include <utility>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Nesting past this (a sprite that holds itself) is not bound.
constexpr int MaxBindNesting = 64;
// Constructors that keep moving playheads get this many passes a frame.
constexpr int MaxBindRounds = 8;

bool HasPending(StageState& state, Object* parent, int nesting) {
    const auto it = state.displays.find(parent);
    if (it == state.displays.end() || nesting > MaxBindNesting) {
        return false;
    }
    return std::any_of(it->second.children.begin(), it->second.children.end(), [&](Object* o) {
        const auto c = state.displays.find(o);
        return c != state.displays.end() &&
               (c->second.constructPending || HasPending(state, o, nesting + 1));
    });
}

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

void PlaceTimelineChildren(Vm& vm, Object* parent, int nesting);

// A new object for a clip the timeline placed, in its parent's list at once but not yet
// constructed: its constructor runs when the frame is constructed, or when its parent's
// own constructor reaches the display classes' part.
Object* Adopt(Vm& vm, ClipId clip, int nesting) {
    StageState& state = StateOf(vm);
    ClassObject* cls = ClassFor(vm, clip);
    Object* child = AllocateInstance(vm, cls);
    state.objectsByClip[clip] = child;
    DisplayRecord& r = state.displays[child];
    r.clip = clip;
    r.fromTimeline = true;
    r.constructPending = true;
    // Only one the timeline leaves unnamed takes a number.
    r.name = state.host.name(clip);
    if (r.name.empty()) {
        r.name = "instance" + std::to_string(++state.instanceNames);
    }
    PlaceTimelineChildren(vm, child, nesting + 1);
    return child;
}

void PlaceTimelineChildren(Vm& vm, Object* parent, int nesting) {
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
            PlaceTimelineChildren(vm, known->second, nesting + 1);
        } else {
            timeline.push_back(Adopt(vm, childClip, nesting));
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

void ConstructChildrenAt(Vm& vm, Object* parent, int nesting);

// Runs a placed object's constructor, which constructs its own children as it reaches
// the display classes' part; then it is named on its parent and told it arrived.
void Construct(Vm& vm, Object* child, int nesting) {
    StageState& state = StateOf(vm);
    state.displays[child].constructPending = false;
    const Value value = Value::object(child);
    Guarded(vm, [&] { RunInstanceInit(vm, child->cls, value, {}); });
    // A constructor that never reached its base still gets its children.
    ConstructChildrenAt(vm, child, nesting + 1);
    const auto it = state.displays.find(child);
    if (it == state.displays.end() || !it->second.parent) {
        // one taken away again hears no arrival
        return;
    }
    Object* parent = it->second.parent;
    if (it->second.clip && !state.host.name(it->second.clip).empty()) {
        // A sealed parent without a property of that name simply does not get one.
        const std::string name = it->second.name;
        Guarded(vm, [&] { SetPublic(vm, Value::object(parent), name, value); });
    }
    Guarded(vm, [&] { NotifyTimelineArrival(vm, child); });
}

// Constructs the children placed but not yet constructed below `parent`, each
// container's own in depth order before those further down.
void ConstructChildrenAt(Vm& vm, Object* parent, int nesting) {
    StageState& state = StateOf(vm);
    const auto it = state.displays.find(parent);
    if (it == state.displays.end() || nesting > MaxBindNesting) {
        return;
    }
    const std::vector<Object*> children = it->second.children;
    for (Object* child : children) {
        const auto c = state.displays.find(child);
        if (c == state.displays.end() || c->second.parent != parent) {
            continue;
        }
        if (c->second.constructPending) {
            Construct(vm, child, nesting);
        } else {
            ConstructChildrenAt(vm, child, nesting + 1);
        }
    }
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

void GiveSymbol(Vm& vm, Object* o) {
    StageState& state = StateOf(vm);
    const std::optional<std::uint16_t> id = SymbolOfObject(vm, o);
    // 0 is the main timeline, which has its one object already
    const ClipId clip = id && *id ? state.host.createSymbol(*id) : 0;
    if (!clip) {
        return;
    }
    DisplayRecord& r = state.displays[o];
    r.clip = clip;
    r.symbol = true;
    state.objectsByClip[clip] = o;
    PlaceTimelineChildren(vm, o, 0);
    ConstructPlacedChildren(vm, o);
}

void PlaceTimeline(Vm& vm) {
    StageState& state = StateOf(vm);
    if (state.root) {
        PlaceTimelineChildren(vm, state.root, 0);
    }
}

void ConstructPlacedChildren(Vm& vm, Object* parent) {
    StageState& state = StateOf(vm);
    // A goto in one of these constructors leaves the frame's events for later.
    const bool outer = std::exchange(state.binding, true);
    ConstructChildrenAt(vm, parent, 0);
    state.binding = outer;
}

void BindTimeline(Vm& vm) {
    BindTimelineOf(vm, StateOf(vm).root);
}

void BindTimelineOf(Vm& vm, Object* top) {
    StageState& state = StateOf(vm);
    if (top) {
        PlaceTimelineChildren(vm, top, 0);
    }
    // A constructor that moves a playhead has its new children placed at once; they are
    // constructed with the rest of the pass.
    if (top && !state.binding) {
        state.binding = true;
        for (int round = 0; round < MaxBindRounds; ++round) {
            ConstructChildrenAt(vm, top, 0);
            PlaceTimelineChildren(vm, top, 0);
            if (!HasPending(state, top, 0)) {
                break;
            }
        }
        state.binding = false;
    }
}

} // namespace quillon::engine::avm2stage
