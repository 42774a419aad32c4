// Variables and target paths: scope chains, `this`, `_root`, `_parent`, `_levelN`,
// slash paths and dotted paths with a variable after a colon.

#include "player/engine/script/avm1/Frame.h"

#include <algorithm>

namespace quillon::engine::avm1 {

namespace {

bool Same(Vm& vm, std::string_view a, std::string_view b) {
    return vm.caseSensitive() ? a == b : EqualsIgnoringCase(a, b);
}

bool SpecialName(Vm& vm, Frame& frame, std::string_view name, Value& out) {
    if (name.empty() ||
        (name[0] != '_' && name[0] != 't' && name[0] != 'T' && name[0] != 's' && name[0] != 'S')) {
        return false;
    }
    if (Same(vm, name, "this")) {
        out = frame.thisValue.isUndefined() ? Value(vm.clipObject(frame.target)) : frame.thisValue;
        return true;
    }
    if (Same(vm, name, "_global") && vm.version() >= 6) {
        out = Value(vm.global);
        return true;
    }
    if (Same(vm, name, "_root")) {
        out = Value(vm.clipObject(vm.rootOf(frame.target)));
        return true;
    }
    if (const int level = LevelNumber(name); level >= 0 && Same(vm, name.substr(0, 6), "_level")) {
        out = vm.levelValue(level);
        return true;
    }
    if (Same(vm, name, "super") && frame.activation && !vm.hasOwn(frame.activation, "super")) {
        out = Value(MakeSuper(vm, frame));
        return true;
    }
    return false;
}

// A variable a script set under a name such as _root or _global hides what it means.
bool SetUnderSpecialName(Vm& vm, Frame& frame, std::string_view name, Value& out) {
    if (name.empty() || name[0] != '_') {
        return false;
    }
    for (const Scope* s = frame.scope.get(); s; s = s->parent.get()) {
        if (s->object && s->object != vm.global && s->object->find(name)) {
            out = vm.getOf(s->object, name, Value(s->object));
            return true;
        }
    }
    return false;
}

// A clip's parent; undefined for no clip and for a top clip.
Value ParentOf(Vm& vm, const Value& v) {
    const ClipId clip = vm.clipOf(v);
    Object* parent = clip ? vm.clipObject(vm.host().parent(clip)) : nullptr;
    return parent ? Value(parent) : Value();
}

// A removed clip on the scope chain holds nothing: the clip code acts on instead stands
// in for it.
Object* LiveScope(Vm& vm, Frame& frame, Object* o) {
    if (o && o->kind == Kind::Clip && !vm.host().exists(o->clip)) {
        return vm.clipObject(LiveTarget(vm, frame));
    }
    return o;
}

Value LookupSimple(Vm& vm, Frame& frame, std::string_view name) {
    Value out;
    if (SetUnderSpecialName(vm, frame, name, out) || SpecialName(vm, frame, name, out)) {
        return out;
    }
    for (const Scope* s = frame.scope.get(); s; s = s->parent.get()) {
        Object* o = LiveScope(vm, frame, s->object);
        if (o && vm.has(o, name)) {
            return vm.getOf(o, name, Value(o));
        }
    }
    return Value();
}

// The rest of a dotted path from the object its first part named.
Value FollowDotted(Vm& vm, Value current, std::string_view path, std::size_t start) {
    while (start <= path.size() && !current.isNullish()) {
        std::size_t dot = path.find('.', start);
        if (dot == std::string_view::npos) {
            dot = path.size();
        }
        const std::string_view part = path.substr(start, dot - start);
        if (Same(vm, part, "_parent") || part == "..") {
            current = ParentOf(vm, current);
        } else {
            current = vm.get(current, part);
        }
        start = dot + 1;
    }
    return start <= path.size() ? Value() : current;
}

// The object a dotted path names: each scope holding its first part is tried in turn,
// the next one when the rest of the path leads nowhere from there.
Value ResolveDotted(Vm& vm, Frame& frame, std::string_view path) {
    const std::size_t dot = path.find('.');
    const std::string_view first = path.substr(0, dot);
    const std::size_t rest = dot == std::string_view::npos ? path.size() + 1 : dot + 1;
    Value out;
    if (SpecialName(vm, frame, first, out)) {
        return FollowDotted(vm, out, path, rest);
    }
    for (const Scope* s = frame.scope.get(); s; s = s->parent.get()) {
        if (s->object && vm.has(s->object, first)) {
            out = FollowDotted(vm, vm.getOf(s->object, first, Value(s->object)), path, rest);
            if (!out.isUndefined()) {
                return out;
            }
        }
    }
    return Value();
}

// The object a path before a variable names: slash paths from the target, others dotted;
// inside either a colon separates as the path's own separator does ("/o:c", "o:c").
Value ResolveObjectPath(Vm& vm, Frame& frame, std::string_view path) {
    const bool slashes = path.find('/') != std::string_view::npos;
    std::string joined(path);
    std::replace(joined.begin(), joined.end(), ':', slashes ? '/' : '.');
    if (slashes || path.empty()) {
        return vm.resolvePath(joined, frame.target);
    }
    return ResolveDotted(vm, frame, joined);
}

// Splits "path:var", "a.b.var" and "/a/b/var" into the object and the variable name; of a
// colon and a dot the later one splits ("o:c.f" is f of o:c).
bool SplitPath(Vm& vm, Frame& frame, std::string_view name, Value& object, std::string_view& var) {
    const std::size_t colon = name.rfind(':');
    const std::size_t dot = name.rfind('.');
    if (colon != std::string_view::npos && (dot == std::string_view::npos || dot < colon)) {
        var = name.substr(colon + 1);
        object = ResolveObjectPath(vm, frame, name.substr(0, colon));
        return true;
    }
    if (dot != std::string_view::npos && dot > 0 && dot + 1 < name.size()) {
        var = name.substr(dot + 1);
        object = ResolveObjectPath(vm, frame, name.substr(0, dot));
        return true;
    }
    return false;
}

// The chain with its timeline (the farthest clip on it) replaced by another clip: a
// target set by SetTarget stands where the timeline stood, under what a block added.
ScopeRef WithTimeline(const ScopeRef& chain, Object* clip) {
    std::vector<const Scope*> above;
    const Scope* timeline = nullptr;
    for (const Scope* s = chain.get(); s; s = s->parent.get()) {
        if (s->object && s->object->kind == Kind::Clip) {
            timeline = s;
        }
    }
    if (!timeline) {
        return std::make_shared<const Scope>(Scope{clip, chain});
    }
    for (const Scope* s = chain.get(); s != timeline; s = s->parent.get()) {
        above.push_back(s);
    }
    ScopeRef out = std::make_shared<const Scope>(Scope{clip, timeline->parent});
    for (auto it = above.rbegin(); it != above.rend(); ++it) {
        out = std::make_shared<const Scope>(Scope{(*it)->object, out});
    }
    return out;
}

} // namespace

ClipId LiveTarget(Vm& vm, Frame& frame) {
    if (vm.host().exists(frame.target)) {
        return frame.target;
    }
    return vm.host().exists(frame.original) ? frame.original : vm.rootOf(frame.original);
}

Value GetFunction(Vm& vm, Frame& frame, std::string_view name, Value& thisValue) {
    thisValue = Value();
    if (name.find_first_of(":./") != std::string_view::npos) {
        // a function named by a path runs on the object the path leads to
        Value object;
        std::string_view var;
        if (SplitPath(vm, frame, name, object, var) && object.isObject()) {
            thisValue = object;
        }
        return GetVariable(vm, frame, name);
    }
    Value out;
    if (SpecialName(vm, frame, name, out)) {
        return out;
    }
    for (const Scope* s = frame.scope.get(); s; s = s->parent.get()) {
        if (s->object && vm.has(s->object, name)) {
            // a function found on a clip, a with-object or a call's locals runs with it as `this`
            if (s->object != vm.global) {
                thisValue = Value(s->object);
            }
            return vm.getOf(s->object, name, Value(s->object));
        }
    }
    return Value();
}

Value GetVariable(Vm& vm, Frame& frame, std::string_view name) {
    if (name.find_first_of(":./") == std::string_view::npos) {
        return LookupSimple(vm, frame, name);
    }
    Value object;
    std::string_view var;
    const bool colon = name.find(':') != std::string_view::npos;
    const std::size_t slash = name.rfind('/');
    const std::size_t dot = name.rfind('.');
    // "a/b" is a clip; "a/b.c" is c of the clip a/b and "a.b/c" the member "b/c" of a,
    // both split below
    if (!colon && slash != std::string_view::npos && dot == std::string_view::npos) {
        return vm.resolvePath(name, frame.target);
    }
    if (!colon && slash == std::string_view::npos && name.front() != '.' && name.back() != '.') {
        return ResolveDotted(vm, frame, name);
    }
    if (SplitPath(vm, frame, name, object, var)) {
        if (Same(vm, var, "_parent")) {
            return ParentOf(vm, object);
        }
        return object.isNullish() ? Value() : vm.get(object, var);
    }
    if (name.size() > 1 && name.back() == '.') {
        // "a." names the empty name of a: nothing a level or variable answers to
        object = ResolveObjectPath(vm, frame, name.substr(0, name.size() - 1));
        return object.isNullish() ? Value() : vm.get(object, "");
    }
    return LookupSimple(vm, frame, name);
}

bool SetByPath(Vm& vm, Frame& frame, std::string_view name, Value value, bool declareOnly) {
    if (name.find_first_of(":./") == std::string_view::npos) {
        return false;
    }
    Value object;
    std::string_view var;
    if (name.find(':') == std::string_view::npos && name.find('.') == std::string_view::npos) {
        const std::size_t slash = name.rfind('/');
        object = vm.resolvePath(name.substr(0, slash == 0 ? 1 : slash), frame.target);
        var = name.substr(slash + 1);
    } else if (!SplitPath(vm, frame, name, object, var)) {
        object = Value();
    }
    if (object.isObject() && !(declareOnly && vm.hasOwn(object.o, var))) {
        vm.set(object, var, std::move(value));
    }
    return true;
}

void SetVariable(Vm& vm, Frame& frame, std::string_view name, Value value) {
    if (Same(vm, name, "this")) {
        // `this` is a name like others to SetVariable: the running block sees the new value
        frame.thisValue = std::move(value);
        return;
    }
    if (SetByPath(vm, frame, name, value, false)) {
        return;
    }
    for (const Scope* s = frame.scope.get(); s && s->parent; s = s->parent.get()) {
        Object* o = LiveScope(vm, frame, s->object);
        if (o && vm.has(o, name)) {
            vm.set(Value(o), name, std::move(value));
            return;
        }
    }
    if (Object* clip = vm.clipObject(LiveTarget(vm, frame))) {
        vm.set(Value(clip), name, std::move(value));
    }
}

void DefineLocal(Vm& vm, Frame& frame, std::string_view name, Value value) {
    if (frame.activation) {
        // in a function even a path is just the name of a local
        frame.activation->put(name, std::move(value));
    } else if (SetByPath(vm, frame, name, value, false)) {
        return;
    } else if (Object* clip = vm.clipObject(frame.target)) {
        // an object of a with block that holds the name itself takes the value
        for (const Scope* s = frame.scope.get(); s && s->object != clip; s = s->parent.get()) {
            if (s->object && s->object != vm.global && vm.hasOwn(s->object, name)) {
                vm.set(Value(s->object), name, std::move(value));
                return;
            }
        }
        vm.set(Value(clip), name, std::move(value));
    }
}

bool DeleteVariable(Vm& vm, Frame& frame, std::string_view name) {
    // a path ("o.a", "/clip:a") deletes from the object it names
    Value object;
    std::string_view var;
    if (SplitPath(vm, frame, name, object, var)) {
        if (!object.isNullish() && !object.isObject() && vm.onTrace) {
            // the player logs a path through a primitive, which names nothing to delete from
            vm.onTrace("Parameters of primitive types are no longer coerced into the required "
                       "type - Object.");
        }
        return object.isObject() && vm.removeProperty(object.o, var);
    }
    for (const Scope* s = frame.scope.get(); s; s = s->parent.get()) {
        if (s->object && vm.hasOwn(s->object, name)) {
            return vm.removeProperty(s->object, name);
        }
    }
    return false;
}

Object* MakeFunction(Vm& vm, Frame& frame, const std::shared_ptr<const FunctionCode>& code) {
    Object* fn = vm.newObject(vm.functionProto);
    fn->kind = Kind::Function;
    fn->className = "Function";
    fn->code = code;
    fn->scope = frame.scope;
    fn->pool = frame.pool;
    fn->baseClip = vm.clipObject(frame.target);
    Object* proto = vm.newObject();
    proto->define("constructor", Value(fn), DontEnum);
    fn->define("prototype", Value(proto), DontEnum | DontDelete);
    return fn;
}

Object* MakeSuper(Vm& vm, Frame& frame) {
    Object* super = vm.newObject(nullptr);
    super->kind = Kind::Super;
    super->superThis = frame.thisValue.isObject() ? frame.thisValue.o : nullptr;
    super->superHome = frame.home;
    // a function found on no prototype works from `this`'s own prototype
    super->superDepth = frame.home ? frame.homeDepth : 1;
    return super;
}

Object* SuperHome(Object* super) {
    // the prototype as many links along `this`'s chain as the method was found, as the
    // chain is when used: a script may have changed it since
    if (super->superDepth > 0 && super->superThis) {
        Object* at = super->superThis;
        for (int i = 0; at && i < super->superDepth; ++i) {
            at = at->proto;
        }
        return at;
    }
    return super->superHome;
}

Object* SuperBase(Object* super) {
    Object* home = SuperHome(super);
    Object* from = home ? home->proto : nullptr;
    // a clip as a prototype lends `super` nothing
    return from && from->kind != Kind::Clip ? from : nullptr;
}

void SetTarget(Vm& vm, Frame& frame, const Value& target) {
    // from version 7 on undefined names no clip, as any other value that names none
    if ((target.isUndefined() && vm.version() < 7) || (target.isString() && target.str().empty())) {
        frame.target = frame.original;
        frame.scope = frame.baseScope;
        return;
    }
    ClipId clip = vm.clipOf(target);
    // any other object names a clip by what it converts to
    if (!clip && !(target.isObject() && target.o->kind == Kind::Clip)) {
        const std::string path = vm.toString(target);
        Value found = vm.resolvePath(path, frame.target);
        if (found.isUndefined() && frame.target != frame.original &&
            vm.host().exists(frame.original)) {
            // a path the target lacks may name from the timeline the code is in, which the
            // target's scope chain no longer holds
            found = vm.resolvePath(path, frame.original);
        }
        if (found.isUndefined() && path.find('.') != std::string::npos) {
            found = GetVariable(vm, frame, path);
        }
        clip = vm.clipOf(found);
    }
    if (!vm.clipObject(clip)) {
        vm.warn("SetTarget to a clip that is not there: " + vm.toString(target));
        if ((target.isObject() && target.o->kind == Kind::Clip) ||
            !vm.host().exists(frame.original)) {
            // a removed clip, or code of a removed clip: nothing to act on
            frame.target = 0;
            return;
        }
        clip = vm.host().root(); // a value that names no clip falls back to the root
    }
    frame.target = clip;
    if (Object* object = vm.clipObject(clip)) {
        frame.scope = WithTimeline(frame.baseScope, object);
    }
}

Value Vm::resolvePath(std::string_view path, ClipId base) {
    ClipId clip = base;
    if (path.empty()) {
        return Value(clipObject(clip));
    }
    // dots separate names up to the first slash; after it only slashes do
    const std::size_t firstSlash = path.find('/');
    std::size_t start = 0;
    if (path[0] == '/') {
        clip = rootOf(base);
        start = 1;
    }
    Value current(clipObject(clip));
    while (start < path.size() && !current.isNullish()) {
        std::size_t end = path.find('/', start);
        if (start < firstSlash && !path.substr(start).starts_with("..")) {
            end = std::min(end, path.find('.', start));
        } else if (start < firstSlash) {
            end = start + 2;
        }
        end = std::min(end, path.size());
        const std::string_view part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            // "a/" names a, yet "//a" and "a//b" name nothing
            if (end < path.size()) {
                return Value();
            }
            continue;
        }
        const ClipId here = clipOf(current);
        if (part == ".." ||
            (caseSensitive() ? part == "_parent" : EqualsIgnoringCase(part, "_parent"))) {
            current = here ? Value(clipObject(host_.parent(here))) : Value();
        } else if (EqualsIgnoringCase(part, "_root")) {
            current = Value(clipObject(rootOf(here ? here : clip)));
        } else if (const int level = LevelNumber(part); level >= 0) {
            current = levelValue(level);
        } else if (EqualsIgnoringCase(part, "this")) {
            continue;
        } else {
            current = get(current, part);
        }
    }
    return current.isObject() ? current : Value();
}

ClipId Vm::clipOf(const Value& v) {
    Object* o = v.isObject() && v.o->kind == Kind::Clip ? liveObject(v.o) : nullptr;
    return o ? o->clip : 0;
}

} // namespace quillon::engine::avm1
