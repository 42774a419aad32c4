// The timeline's side of the display tree: clips the timeline places get objects of
// their symbols' classes, named on their parents, in the parents' child lists.

#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>
#include <cmath>
#include <numbers>
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
ClassObject* SymbolClass(Vm& vm, ClipId clip, std::uint16_t character) {
    StageState& state = StateOf(vm);
    const std::map<std::uint16_t, std::string>* classes = &state.symbolClasses;
    if (const auto top = state.objectsByClip.find(state.host.movieRoot(clip));
        top != state.objectsByClip.end()) {
        if (const auto& movie = state.displays[top->second].movie) {
            classes = &movie->symbolClasses;
        }
    }
    const auto named = classes->find(character);
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

// The class of an object made from a character: its symbol's, or the plain kind's.
// clip: one from the same movie, whose bindings count.
ClassObject* ClassFor(Vm& vm, ClipId clip, std::uint16_t character, ClipKind kind) {
    if (ClassObject* cls = SymbolClass(vm, clip, character)) {
        return cls;
    }
    switch (kind) {
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

ClassObject* ClassFor(Vm& vm, ClipId clip) {
    StageState& state = StateOf(vm);
    return ClassFor(vm, clip, state.host.characterId(clip), state.host.kind(clip));
}

void PlaceButtonStates(Vm& vm, Object* button, int nesting);

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
    if (state.host.kind(clip) == ClipKind::Button) {
        PlaceButtonStates(vm, parent, nesting);
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

// An object for a record of a button's state that is not on show: not yet constructed,
// standing where the record places it, off the display list.
Object* AdoptPart(Vm& vm, ClipId button, const ButtonPart& part) {
    StageState& state = StateOf(vm);
    Object* o = AllocateInstance(vm, ClassFor(vm, button, part.characterId, part.kind));
    DisplayRecord& r = state.displays[o];
    r.constructPending = true;
    r.name = "instance" + std::to_string(++state.instanceNames);
    const DrawMatrix& m = part.matrix;
    r.x = m[4] / TwipsPerPixel;
    r.y = m[5] / TwipsPerPixel;
    r.scaleX = std::hypot(m[0], m[1]);
    r.scaleY = std::hypot(m[2], m[3]);
    r.rotation = std::atan2(m[1], m[0]) * 180 / std::numbers::pi;
    if (part.field) {
        r.textField = true;
        r.field = part.field;
    }
    return o;
}

// A state of several records is a Sprite holding them in depth order; one of a single
// record is that object itself.
Object* WrapState(Vm& vm, const std::vector<Object*>& parts) {
    if (parts.size() < 2) {
        return parts.empty() ? nullptr : parts.front();
    }
    StageState& state = StateOf(vm);
    ClassObject* sprite = BuiltinClass(vm, "flash.display", "Sprite");
    Object* wrapper = AllocateInstance(vm, sprite);
    Guarded(vm, [&] { RunInstanceInit(vm, sprite, Value::object(wrapper), {}); });
    state.displays[wrapper].children = parts;
    for (Object* part : parts) {
        state.displays[part].parent = wrapper;
    }
    return wrapper;
}

// A placed button gets its four states once: the one on show from the clips the engine
// shows, the others from the button's records.
void PlaceButtonStates(Vm& vm, Object* button, int nesting) {
    StageState& state = StateOf(vm);
    const ClipId clip = state.displays[button].clip;
    ButtonStates& made = state.buttons[button];
    if (made.built) {
        // the clips of the state on show play on
        for (Object* o : state.displays[button].children) {
            PlaceTimelineChildren(vm, o, nesting + 1);
            const std::vector<Object*> parts = state.displays[o].children;
            if (!state.displays[o].clip) {
                for (Object* part : parts) {
                    PlaceTimelineChildren(vm, part, nesting + 1);
                }
            }
        }
        return;
    }
    made.built = true;
    std::array<std::vector<Object*>, 4> parts;
    for (ClipId childClip : state.host.allChildren(clip)) {
        const auto known = state.objectsByClip.find(childClip);
        parts[0].push_back(known != state.objectsByClip.end() ? known->second
                                                              : Adopt(vm, childClip, nesting));
    }
    for (std::size_t k = 1; k < parts.size(); ++k) {
        for (const ButtonPart& part : state.host.buttonParts(clip, std::uint8_t(1u << k))) {
            parts[k].push_back(AdoptPart(vm, clip, part));
        }
    }
    for (std::size_t k = 0; k < parts.size(); ++k) {
        state.buttons[button].states[k] = WrapState(vm, parts[k]);
    }
    Object* up = state.buttons[button].states[0];
    state.displays[button].children.clear();
    if (up) {
        state.displays[button].children.push_back(up);
        state.displays[up].parent = button;
    }
}

void ConstructChildrenAt(Vm& vm, Object* parent, int nesting);
void Construct(Vm& vm, Object* child, int nesting);

// A button's states not on show are constructed with the one on show, but hear nothing
// of the stage.
void ConstructHiddenStates(Vm& vm, Object* button, int nesting) {
    StageState& state = StateOf(vm);
    const auto it = state.buttons.find(button);
    if (it == state.buttons.end()) {
        return;
    }
    const std::array<Object*, 4> states = it->second.states;
    for (Object* o : states) {
        if (!o || state.displays[o].parent == button) {
            continue;
        }
        if (state.displays[o].constructPending) {
            Construct(vm, o, nesting);
        } else {
            ConstructChildrenAt(vm, o, nesting + 1);
        }
    }
}

// Runs a placed object's constructor, which constructs its own children as it reaches
// the display classes' part; then it is named on its parent and told it arrived.
void Construct(Vm& vm, Object* child, int nesting) {
    StageState& state = StateOf(vm);
    state.displays[child].constructPending = false;
    const Value value = Value::object(child);
    // a text of a button's state keeps the model its record gave it
    const std::shared_ptr<EditField> field = state.displays[child].field;
    Guarded(vm, [&] { RunInstanceInit(vm, child->cls, value, {}); });
    if (field && state.displays.contains(child)) {
        state.displays[child].field = field;
    }
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
    ConstructHiddenStates(vm, parent, nesting);
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
