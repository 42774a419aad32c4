// flash.display as far as scripts need it without drawing: DisplayObject and its
// place in the tree, DisplayObjectContainer's child list, Sprite, MovieClip with its
// timeline (through the display host) and addFrameScript, and Stage.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/Geom.h"
#include "player/engine/script/avm2stage/Keyboard.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr std::size_t MaxChildren = 100000;
// Objects nested deeper than this below one joining the stage are not told.
constexpr int MaxSubtreeNesting = 64;

DisplayRecord& Rec(Vm& vm, const Value& self) {
    DisplayRecord* r = DisplayOf(vm, self);
    if (!r) {
        vm.throwError(ErrorKind::TypeError, 1009,
                      "Cannot access a property or method of a null object reference.");
    }
    return *r;
}

Value ValueOrNull(Object* o) {
    return o ? Value::object(o) : Value::null();
}

Value GetName(Vm& vm, const Value& self, std::span<const Value>) {
    if (self.isObject() && self.asObject() == StateOf(vm).stage) {
        return Value::null(); // the stage has no name
    }
    return Value::string(Rec(vm, self).name);
}
Value SetName(Vm& vm, const Value& self, std::span<const Value> args) {
    Rec(vm, self).name = ToString(vm, Arg(args, 0));
    return Value();
}
Value GetParent(Vm& vm, const Value& self, std::span<const Value>) {
    Object* parent = Rec(vm, self).parent;
    // a button shows its state without being its parent
    return ValueOrNull(IsButton(StateOf(vm), parent) ? nullptr : parent);
}
Value GetStage(Vm& vm, const Value& self, std::span<const Value>) {
    StageState& state = StateOf(vm);
    return OnStage(state, self.asObject()) ? Value::object(state.stage) : Value::null();
}
Value GetRoot(Vm& vm, const Value& self, std::span<const Value>) {
    StageState& state = StateOf(vm);
    if (self.isObject() && self.asObject() == state.stage) {
        return self; // the stage is the root of itself
    }
    return ValueOrNull(MovieRootOf(state, self.asObject()));
}

// Numeric properties: the host's value for a clip, the record's for the others.
struct NumericProperty {
    const char* name;
    ClipProperty host;
    double DisplayRecord::*field;
    double scale; // host units per script unit
};
constexpr NumericProperty NumericProperties[] = {
    {"x", ClipProperty::X, &DisplayRecord::x, 1},
    {"y", ClipProperty::Y, &DisplayRecord::y, 1},
    {"scaleX", ClipProperty::XScale, &DisplayRecord::scaleX, 100},
    {"scaleY", ClipProperty::YScale, &DisplayRecord::scaleY, 100},
    {"rotation", ClipProperty::Rotation, &DisplayRecord::rotation, 1},
    {"alpha", ClipProperty::Alpha, &DisplayRecord::alpha, 100},
};

template <int N> Value GetNumeric(Vm& vm, const Value& self, std::span<const Value>) {
    const NumericProperty& p = NumericProperties[N];
    DisplayRecord& r = Rec(vm, self);
    if (r.clip) {
        return NumberValue(StateOf(vm).host.property(r.clip, p.host) / p.scale);
    }
    return NumberValue(r.*p.field);
}
template <int N> Value SetNumeric(Vm& vm, const Value& self, std::span<const Value> args) {
    const NumericProperty& p = NumericProperties[N];
    DisplayRecord& r = Rec(vm, self);
    const double v = ToNumber(vm, Arg(args, 0));
    if (r.clip) {
        StateOf(vm).host.setProperty(r.clip, p.host, v * p.scale);
    } else {
        r.*p.field = v;
    }
    return Value();
}
template <int N> void BindNumeric(NativeClass& cls) {
    cls.getter(NumericProperties[N].name, GetNumeric<N>)
        .setter(NumericProperties[N].name, SetNumeric<N>);
    if constexpr (N + 1 < static_cast<int>(std::size(NumericProperties))) {
        BindNumeric<N + 1>(cls);
    }
}

Value GetVisible(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayRecord& r = Rec(vm, self);
    return Value::boolean(r.clip ? StateOf(vm).host.property(r.clip, ClipProperty::Visible) != 0
                                 : r.visible);
}
Value SetVisible(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayRecord& r = Rec(vm, self);
    r.visible = ToBoolean(Arg(args, 0));
    if (r.clip) {
        StateOf(vm).host.setProperty(r.clip, ClipProperty::Visible, r.visible ? 1 : 0);
    }
    return Value();
}
// The size on the parent: only what has a clip has one.
template <ClipProperty P> Value GetSize(Vm& vm, const Value& self, std::span<const Value>) {
    StageState& state = StateOf(vm);
    if (self.isObject() && self.asObject() == state.stage) {
        // the stage measures what it shows: the main timeline where it stands
        return NumberValue(state.host.property(state.host.root(), P));
    }
    const DisplayRecord& r = Rec(vm, self);
    return NumberValue(r.clip ? StateOf(vm).host.property(r.clip, P)
                              : OffListSize(vm, self.asObject(), P == ClipProperty::Width));
}
// Off the list the size is a scale of what the object covers (nothing: no change).
template <ClipProperty P> Value SetSize(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayRecord& r = Rec(vm, self);
    const double v = ToNumber(vm, Arg(args, 0));
    if (!std::isfinite(v)) {
        return Value();
    }
    if (r.clip) {
        StateOf(vm).host.setProperty(r.clip, P, v);
        return Value();
    }
    constexpr bool Width = P == ClipProperty::Width;
    double& scale = Width ? r.scaleX : r.scaleY;
    const double size = OffListSize(vm, self.asObject(), Width);
    if (size > 0 && scale != 0) {
        scale = std::max(0.0, v) / (size / std::abs(scale));
    }
    return Value();
}

// The pointer in the object's own space; only what has a clip knows it.
template <ClipProperty P> Value GetMouse(Vm& vm, const Value& self, std::span<const Value>) {
    const DisplayRecord& r = Rec(vm, self);
    return NumberValue(r.clip ? StateOf(vm).host.property(r.clip, P) : 0);
}
Value Ignore(Vm&, const Value&, std::span<const Value>) {
    return Value();
}

std::vector<Object*>& ChildrenOf(Vm& vm, const Value& self) {
    return Rec(vm, self).children;
}

Object* ChildArg(Vm& vm, std::span<const Value> args) {
    const Value& child = Arg(args, 0);
    if (!DisplayOf(vm, child)) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter child must be non-null.");
    }
    return child.asObject();
}

void Detach(Vm& vm, Object* child) {
    StageState& state = StateOf(vm);
    DisplayRecord& r = state.displays[child];
    if (!r.parent) {
        return;
    }
    NotifyArrival(vm, child, "removed", "removedFromStage");
    DisplayRecord& left = state.displays[child]; // the listeners may have added records
    if (!left.parent) {
        return;
    }
    Unrealize(vm, child);
    std::erase(state.displays[left.parent].children, child);
    left.parent = nullptr;
}

Value InsertChild(Vm& vm, const Value& self, Object* child, std::size_t index) {
    StageState& state = StateOf(vm);
    for (Object* o = self.asObject(); o; o = state.displays[o].parent) {
        if (o == child) {
            vm.throwError(ErrorKind::ArgumentError, 2150,
                          "An object cannot be added as a child to one of it's children "
                          "(or children's children, etc.).");
        }
    }
    if (state.displays[child].parent == self.asObject()) {
        // One already there only moves, and hears nothing.
        auto& siblings = ChildrenOf(vm, self);
        std::erase(siblings, child);
        siblings.insert(siblings.begin() +
                            static_cast<std::ptrdiff_t>(std::min(index, siblings.size())),
                        child);
        PlaceChildren(vm, self.asObject());
        return Value::object(child);
    }
    Detach(vm, child);
    auto& children = ChildrenOf(vm, self);
    if (children.size() >= MaxChildren) {
        vm.limitReached("the limit of children of one display object");
    }
    const bool last = index >= children.size();
    children.insert(
        children.begin() + static_cast<std::ptrdiff_t>(std::min(index, children.size())), child);
    state.displays[child].parent = self.asObject();
    Realize(vm, child);
    if (!last) {
        PlaceChildren(vm, self.asObject());
    }
    NotifyArrival(vm, child, "added", "addedToStage");
    return Value::object(child);
}

std::size_t IndexArg(Vm& vm, std::span<const Value> args, std::size_t at, std::size_t size) {
    const double i = ToNumber(vm, Arg(args, at));
    if (!(i >= 0 && i < static_cast<double>(size))) {
        vm.throwError(ErrorKind::RangeError, 2006, "The supplied index is out of bounds.");
    }
    return static_cast<std::size_t>(i);
}

Value AddChild(Vm& vm, const Value& self, std::span<const Value> args) {
    return InsertChild(vm, self, ChildArg(vm, args), ChildrenOf(vm, self).size());
}
Value AddChildAt(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* child = ChildArg(vm, args);
    return InsertChild(vm, self, child, IndexArg(vm, args, 1, ChildrenOf(vm, self).size() + 1));
}
Value RemoveChild(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* child = ChildArg(vm, args);
    if (StateOf(vm).displays[child].parent != self.asObject()) {
        vm.throwError(ErrorKind::ArgumentError, 2025,
                      "The supplied DisplayObject must be a child of the caller.");
    }
    Detach(vm, child);
    return Value::object(child);
}
Value RemoveChildAt(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& children = ChildrenOf(vm, self);
    Object* child = children[IndexArg(vm, args, 0, children.size())];
    Detach(vm, child);
    return Value::object(child);
}
Value RemoveChildren(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::size_t size = ChildrenOf(vm, self).size();
    const double first = Arg(args, 0).isUndefined() ? 0 : ToNumber(vm, Arg(args, 0));
    const double last = Arg(args, 1).isUndefined() ? 2147483647.0 : ToNumber(vm, Arg(args, 1));
    if (size == 0 && first == 0) {
        return Value();
    }
    if (!(first >= 0 && first < static_cast<double>(size)) ||
        !(last >= first && (last < static_cast<double>(size) || last == 2147483647.0))) {
        vm.throwError(ErrorKind::RangeError, 2006, "The supplied index is out of bounds.");
    }
    const auto from = static_cast<std::size_t>(first);
    const std::size_t to = std::min(size - 1, static_cast<std::size_t>(last));
    for (std::size_t i = from; i <= to && from < ChildrenOf(vm, self).size(); ++i) {
        Detach(vm, ChildrenOf(vm, self)[from]);
    }
    return Value();
}

Value GetChildAt(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& children = ChildrenOf(vm, self);
    Object* child = children[IndexArg(vm, args, 0, children.size())];
    // A child the timeline placed counts at once but is there only once constructed.
    const DisplayRecord* r = DisplayOf(vm, Value::object(child));
    return r && r->constructPending ? Value::null() : Value::object(child);
}
Value GetChildIndex(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& children = ChildrenOf(vm, self);
    const auto it = std::find(children.begin(), children.end(), ChildArg(vm, args));
    if (it == children.end()) {
        vm.throwError(ErrorKind::ArgumentError, 2025,
                      "The supplied DisplayObject must be a child of the caller.");
    }
    return Value::integer(static_cast<std::int32_t>(it - children.begin()));
}
Value GetChildByName(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::string name = ToString(vm, Arg(args, 0));
    for (Object* child : ChildrenOf(vm, self)) {
        if (StateOf(vm).displays[child].name == name) {
            return Value::object(child);
        }
    }
    return Value::null();
}
Value NumChildren(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::integer(static_cast<std::int32_t>(ChildrenOf(vm, self).size()));
}
Value Contains(Vm& vm, const Value& self, std::span<const Value> args) {
    StageState& state = StateOf(vm);
    Object* o = DisplayOf(vm, Arg(args, 0)) ? Arg(args, 0).asObject() : nullptr;
    for (int guard = 0; o && guard < 10000; ++guard, o = state.displays[o].parent) {
        if (o == self.asObject()) {
            return Value::boolean(true);
        }
    }
    return Value::boolean(false);
}
Value SetChildIndex(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* child = ChildArg(vm, args);
    auto& children = ChildrenOf(vm, self);
    const std::size_t index = IndexArg(vm, args, 1, children.size());
    if (std::find(children.begin(), children.end(), child) == children.end()) {
        vm.throwError(ErrorKind::ArgumentError, 2025,
                      "The supplied DisplayObject must be a child of the caller.");
    }
    std::erase(children, child);
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(index), child);
    PlaceChildren(vm, self.asObject());
    return Value();
}

void SwapAt(Vm& vm, const Value& self, std::size_t a, std::size_t b) {
    auto& children = ChildrenOf(vm, self);
    std::swap(children[a], children[b]);
    PlaceChildren(vm, self.asObject());
}

Value SwapChildrenAt(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::size_t size = ChildrenOf(vm, self).size();
    SwapAt(vm, self, IndexArg(vm, args, 0, size), IndexArg(vm, args, 1, size));
    return Value();
}

Value SwapChildren(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& children = ChildrenOf(vm, self);
    std::size_t at[2];
    for (std::size_t k = 0; k < 2; ++k) {
        const Value& child = Arg(args, k);
        const auto it = std::find(children.begin(), children.end(),
                                  DisplayOf(vm, child) ? child.asObject() : nullptr);
        if (it == children.end()) {
            vm.throwError(ErrorKind::ArgumentError, 2025,
                          "The supplied DisplayObject must be a child of the caller.");
        }
        at[k] = static_cast<std::size_t>(it - children.begin());
    }
    SwapAt(vm, self, at[0], at[1]);
    return Value();
}

void InstallDisplayObject(Vm& vm, NativeClass& cls) {
    cls.init(DisplayInit)
        .getter("name", GetName)
        .setter("name", SetName)
        .getter("parent", GetParent)
        .getter("stage", GetStage)
        .getter("root", GetRoot)
        .getter("loaderInfo", GetLoaderInfo)
        .getter("visible", GetVisible)
        .setter("visible", SetVisible)
        .getter("mouseX", GetMouse<ClipProperty::XMouse>)
        .getter("mouseY", GetMouse<ClipProperty::YMouse>)
        .getter("width", GetSize<ClipProperty::Width>)
        .setter("width", SetSize<ClipProperty::Width>)
        .getter("height", GetSize<ClipProperty::Height>)
        .setter("height", SetSize<ClipProperty::Height>);
    BindNumeric<0>(cls);
    InstallDisplayGeometry(vm, cls);
    InstallStoredProperties(cls);
    InstallFilterClasses(vm, cls);
}

void InstallContainer(NativeClass& cls) {
    cls.init(DisplayInit)
        .method("addChild", AddChild)
        .method("addChildAt", AddChildAt)
        .method("removeChild", RemoveChild)
        .method("removeChildAt", RemoveChildAt)
        .method("getChildAt", GetChildAt)
        .method("getChildIndex", GetChildIndex)
        .method("getChildByName", GetChildByName)
        .method("setChildIndex", SetChildIndex)
        .method("swapChildren", SwapChildren)
        .method("removeChildren", RemoveChildren)
        .method("swapChildrenAt", SwapChildrenAt)
        .method("contains", Contains)
        .getter("numChildren", NumChildren);
}

Value GetGraphics(Vm& vm, const Value& self, std::span<const Value>) {
    return GraphicsFor(vm, self);
}

// Pointer settings scripts read back as they set them; only roll-overs reach a movie
// here, and those are decided by the engine's own hit tests.
constexpr char MouseEnabledKey[] = "$mouseEnabled";
constexpr char DoubleClickKey[] = "$doubleClickEnabled";
constexpr char MouseChildrenKey[] = "$mouseChildren";
constexpr char ButtonModeKey[] = "$buttonMode";
constexpr char HandCursorKey[] = "$useHandCursor";

} // namespace

Value DisplayInit(Vm& vm, const Value& self, std::span<const Value>) {
    StageState& state = StateOf(vm);
    const bool known = state.displays.contains(self.asObject());
    DisplayRecord& r = state.displays[self.asObject()];
    if (!known) {
        r.name = "instance" + std::to_string(++state.instanceNames);
        GiveSymbol(vm, self.asObject());
    } else if (r.clip) {
        // The timeline's children are constructed as their parent's base is.
        ConstructPlacedChildren(vm, self.asObject());
    }
    return Value();
}

bool OnStage(StageState& state, Object* o) {
    for (int guard = 0; o && guard < 10000; ++guard) {
        if (o == state.stage) {
            return true;
        }
        const auto it = state.displays.find(o);
        o = it == state.displays.end() ? nullptr : it->second.parent;
    }
    return false;
}

namespace {

// An object and those below it, each before its children; those the timeline placed but
// has not constructed yet are left out, with what is below them.
void Subtree(StageState& state, Object* o, int nesting, std::vector<Object*>& out) {
    const auto it = state.displays.find(o);
    if (it == state.displays.end() || it->second.constructPending || nesting > MaxSubtreeNesting) {
        return;
    }
    out.push_back(o);
    for (Object* child : it->second.children) {
        Subtree(state, child, nesting + 1, out);
    }
}

} // namespace

void NotifyArrival(Vm& vm, Object* child, const char* type, const char* stageType) {
    StageState& state = StateOf(vm);
    const bool onStage = OnStage(state, child);
    Dispatch(vm, child, NewEvent(vm, "Event", type, true));
    if (onStage) {
        // Everything below the object joins or leaves the stage with it.
        std::vector<Object*> below;
        Subtree(state, child, 0, below);
        for (Object* o : below) {
            Dispatch(vm, o, NewEvent(vm, "Event", stageType));
        }
    }
}

void NotifyTimelineArrival(Vm& vm, Object* child) {
    Dispatch(vm, child, NewEvent(vm, "Event", "added", true));
    if (OnStage(StateOf(vm), child)) {
        Dispatch(vm, child, NewEvent(vm, "Event", "addedToStage"));
    }
}

void InstallMovieClipClass(Vm& vm, ClassObject* sprite);
void InstallGraphicsClass(Vm& vm);
void InstallDisplayConstants(Vm& vm);
void InstallStageClass(Vm& vm, ClassObject* container);
void InstallTextFieldClass(Vm& vm, ClassObject* interactive);
void InstallButtonClass(Vm& vm, ClassObject* interactive);

void InstallDisplayClasses(Vm& vm) {
    InstallGeomClasses(vm);
    ClassObject* base = BuiltinClass(vm, "flash.events", "EventDispatcher");
    NativeClass object(vm, "DisplayObject", base, "flash.display");
    InstallDisplayObject(vm, object);
    NativeClass interactive(vm, "InteractiveObject", object.get(), "flash.display");
    interactive.init(DisplayInit)
        .getter("mouseEnabled", GetHiddenFlag<MouseEnabledKey, true>)
        .setter("mouseEnabled", SetHiddenFlag<MouseEnabledKey>)
        .getter("doubleClickEnabled", GetHiddenFlag<DoubleClickKey, false>)
        .setter("doubleClickEnabled", SetHiddenFlag<DoubleClickKey>);
    InstallInteractiveFocus(interactive);
    NativeClass(vm, "Shape", object.get(), "flash.display")
        .init(DisplayInit)
        .getter("graphics", GetGraphics);
    InstallBitmapClass(vm, object.get());
    InstallBitmapDataClass(vm);
    NativeClass container(vm, "DisplayObjectContainer", interactive.get(), "flash.display");
    InstallContainer(container);
    InstallContainerFocus(container);
    container.getter("mouseChildren", GetHiddenFlag<MouseChildrenKey, true>)
        .setter("mouseChildren", SetHiddenFlag<MouseChildrenKey>);
    InstallButtonClass(vm, interactive.get());
    NativeClass sprite(vm, "Sprite", container.get(), "flash.display");
    sprite.init(DisplayInit)
        .getter("graphics", GetGraphics)
        .getter("buttonMode", GetHiddenFlag<ButtonModeKey, false>)
        .setter("buttonMode", SetHiddenFlag<ButtonModeKey>)
        .getter("useHandCursor", GetHiddenFlag<HandCursorKey, true>)
        .setter("useHandCursor", SetHiddenFlag<HandCursorKey>)
        .method("startDrag", Ignore)
        .method("stopDrag", Ignore);
    InstallGraphicsClass(vm);
    InstallDisplayConstants(vm);
    InstallMovieClipClass(vm, sprite.get());
    InstallStageClass(vm, container.get());
    InstallLoaderClasses(vm, container.get());
    InstallTextFieldClass(vm, interactive.get());
}

} // namespace quillon::engine::avm2stage
