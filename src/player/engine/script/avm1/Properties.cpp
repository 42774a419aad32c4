// Property access along prototype chains: getters and setters, watchers, array
// elements, clip properties and child clips by name.

#include "player/engine/script/avm1/Frame.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

namespace quillon::engine::avm1 {

namespace {

constexpr int MaxChain = 256;

bool SameName(const Vm& vm, std::string_view a, std::string_view b) {
    return vm.caseSensitive() ? a == b : EqualsIgnoringCase(a, b);
}

bool ClipOwnValue(Vm& vm, Object* o, std::string_view name, Value& out) {
    DisplayHost& host = vm.host();
    if (!host.exists(o->clip)) {
        return false;
    }
    if (!name.empty() && name[0] == '_') {
        const int index = ClipPropertyIndex(name);
        if (index >= 0) {
            out = GetClipProperty(vm, o->clip, index);
            return true;
        }
        if (o->find(name)) {
            return false; // a variable set under _root, _parent or _global hides them
        }
        if (EqualsIgnoringCase(name, "_parent")) {
            const ClipId parent = host.parent(o->clip);
            out = parent ? Value(vm.clipObject(parent)) : Value();
            return true;
        }
        if (EqualsIgnoringCase(name, "_root")) {
            out = Value(vm.clipObject(vm.rootOf(o->clip)));
            return true;
        }
        // from version 7 on _levelN is spelled so
        if (const int level = LevelNumber(name);
            level >= 0 && (!vm.caseSensitive() || name.starts_with("_level"))) {
            out = vm.levelValue(level);
            return true;
        }
        if (vm.version() >= 6 && EqualsIgnoringCase(name, "_global")) {
            out = Value(vm.global);
            return true;
        }
        if (EqualsIgnoringCase(name, "_lockroot") && !o->find(name)) {
            out = Value(false);
            return true;
        }
    }
    return host.kind(o->clip) == ClipKind::Text && GetTextFieldProperty(vm, o->clip, name, out);
}

bool ClipChild(Vm& vm, Object* o, std::string_view name, Value& out) {
    if (o->kind != Kind::Clip || !vm.host().exists(o->clip)) {
        return false;
    }
    DisplayHost& host = vm.host();
    ClipId child = host.childByName(o->clip, std::string(name), vm.caseSensitive());
    const bool pastAscii = std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; });
    if (!child && !vm.caseSensitive() && pastAscii) {
        // letters past ASCII fold as identifiers do
        for (const ClipId c : host.children(o->clip)) {
            if (EqualsIgnoringCase(host.name(c), name)) {
                child = c;
                break;
            }
        }
    }
    if (!child) {
        return false;
    }
    // A shape has no object of its own: its name leads to the clip holding it.
    out = Value(vm.clipObject(host.kind(child) == ClipKind::Other ? o->clip : child));
    return true;
}

void SetArrayLength(Vm& vm, Object* o, double length) {
    if (!(length >= 0)) {
        return;
    }
    if (length > static_cast<double>(vm.limits().maxArrayLength)) {
        throw ScriptAbort{"an array grew past its size cap"};
    }
    o->resizeElements(static_cast<std::size_t>(length));
}

// Clip properties, text and array elements; false for ordinary properties.
bool SetSpecial(Vm& vm, Object* o, std::string_view name, Value& value) {
    DisplayHost& host = vm.host();
    if (o->kind == Kind::Clip && host.exists(o->clip)) {
        const int index = name.empty() || name[0] != '_' ? -1 : ClipPropertyIndex(name);
        if (index >= 0) {
            SetClipProperty(vm, o->clip, index, value);
            return true;
        }
        if (host.kind(o->clip) == ClipKind::Text &&
            SetTextFieldProperty(vm, o->clip, name, value)) {
            return true;
        }
    }
    if (o->kind != Kind::Array) {
        return false;
    }
    std::size_t index = 0;
    if (name == "length") {
        SetArrayLength(vm, o, vm.toNumber(value));
        return true;
    }
    // past the end, an undeletable element that a shorter length left behind
    if (!ArrayIndex(name, index) || (index >= o->elements.size() && o->find(name))) {
        return false;
    }
    if (index >= o->elements.size()) {
        SetArrayLength(vm, o, static_cast<double>(index) + 1);
    }
    o->setElement(index, std::move(value));
    return true;
}

using Role = Vm::BusyAccessor::Role;

// Marks a property's accessors (or watcher, or the property a watcher runs for) busy
// for as long as it lives.
class AccessorRun {
public:
    AccessorRun(Vm& vm, const Object* holder, const std::string& name, Role role = Role::Accessor)
        : vm_(vm) {
        vm_.busyAccessors.push_back({holder, name, role});
    }
    ~AccessorRun() { vm_.busyAccessors.pop_back(); }
    AccessorRun(const AccessorRun&) = delete;
    AccessorRun& operator=(const AccessorRun&) = delete;

private:
    Vm& vm_;
};

constexpr std::size_t MaxAccessorDepth = 64;

// Whether a property's accessors (or its watcher) are not to be called now. Up to
// version 6 they do not run again while one runs, and a watched property's watcher
// sees its plain value; later they do, each property's to a depth of its own.
bool AccessorsBlocked(Vm& vm, const Object* holder, const std::string& name,
                      Role role = Role::Accessor) {
    const bool reentry = vm.version() < 7;
    std::size_t depth = 0;
    for (const Vm::BusyAccessor& busy : vm.busyAccessors) {
        if (busy.holder != holder || busy.name != name) {
            continue;
        }
        if (busy.role == role) {
            ++depth;
        }
        if (reentry &&
            (busy.role == role || (role == Role::Accessor && busy.role == Role::Watched))) {
            return true;
        }
    }
    return depth > MaxAccessorDepth;
}

// The own names of one object, the newest first, each with whether enumeration skips it.
void OwnNamesNewestFirst(Object* p, const std::function<void(const std::string&, bool)>& add) {
    struct Entry {
        std::uint32_t stamp;
        std::string name;
        bool hidden;
    };
    std::vector<Entry> own;
    if (p->kind == Kind::Array) {
        p->syncStamps();
        for (std::size_t i = 0; i < p->elements.size(); ++i) {
            if (p->elementStamps[i] != 0) {
                own.push_back({p->elementStamps[i], std::to_string(i),
                               (p->elementFlagsAt(i) & DontEnum) != 0});
            }
        }
    }
    for (const Property& prop : p->properties()) {
        // a version hides a property from reads, not from enumeration
        own.push_back({prop.stamp, prop.name, (prop.flags & DontEnum) != 0});
    }
    std::stable_sort(own.begin(), own.end(),
                     [](const Entry& a, const Entry& b) { return a.stamp > b.stamp; });
    for (const Entry& entry : own) {
        add(entry.name, entry.hidden);
    }
}

// Stores a value past the watchers: clip properties, array elements, setters, or a plain
// property of the object.
void Store(Vm& vm, Object* o, const Value& target, std::string_view name, Value value) {
    if (SetSpecial(vm, o, name, value)) {
        return;
    }
    int guard = 0;
    for (Object* p = o; p && guard < MaxChain; p = p->proto, ++guard) {
        Property* prop = p->find(name);
        if (!prop) {
            continue;
        }
        if (prop->setter || prop->getter) {
            const std::string held = prop->name;
            if (AccessorsBlocked(vm, p, held)) {
                prop->value = std::move(value);
            } else if (Object* setter = prop->setter) {
                const Value args[] = {value};
                {
                    const AccessorRun run(vm, p, held);
                    vm.call(Value(setter), target, args);
                }
                // the setter may have changed the object's properties: look again
                if (Property* again = p->find(held); again && again->setter == setter) {
                    again->value = std::move(value);
                }
            }
            return;
        }
        if (p == o) {
            if (!(prop->flags & ReadOnly)) {
                prop->value = std::move(value);
            }
            return;
        }
        break;
    }
    o->define(name, std::move(value), 0);
}

} // namespace

Value Vm::get(const Value& obj, std::string_view name) {
    switch (obj.type) {
    case Type::Object: {
        if (obj.o->kind == Kind::Clip) {
            if (Object* o = liveObject(obj.o); o != obj.o) {
                return o ? get(Value(o), name) : Value();
            }
        }
        // a member found nowhere goes to the object's __resolve, when it has one (the
        // player's own lookups, valueOf and toString among them, do not)
        Value found = getOf(obj.o, name, obj);
        if (!found.isUndefined() || name == "__resolve" || IsProtoName(name, caseSensitive()) ||
            has(obj.o, name)) {
            return found;
        }
        const Value resolve = getOf(obj.o, "__resolve", obj);
        if (resolve.isObject() && resolve.o->isFunction()) {
            const Value asked(std::string{name});
            return call(resolve, obj, std::span<const Value>(&asked, 1));
        }
        return found;
    }
    case Type::String:
    case Type::Number:
    case Type::Boolean: {
        Object* proto = builtinBoxProto(obj);
        // through a replaced class the primitive becomes an object first, calls and all
        Object* box = proto ? nullptr : toObject(obj);
        if (obj.isString() && name == "length") {
            return Value(static_cast<double>(CharLength(*obj.s)));
        }
        return proto ? getOf(proto, name, obj) : box ? getOf(box, name, Value(box)) : Value();
    }
    default:
        return Value();
    }
}

Value Vm::getOf(Object* obj, std::string_view name, const Value& thisValue) {
    if (!obj) {
        return Value();
    }
    if (obj->kind == Kind::Super) {
        // super.x reads x from where super starts, with the running `this`
        Object* from = SuperBase(obj);
        return from ? getOf(from, name, Value(obj->superThis)) : Value();
    }
    if (IsProtoName(name, caseSensitive())) {
        const Property* kept = obj->proto ? nullptr : obj->find(name);
        return obj->proto ? Value(obj->proto) : kept ? kept->value : Value();
    }
    Value out;
    if (obj->kind == Kind::Clip && ClipOwnValue(*this, obj, name, out)) {
        return out;
    }
    int guard = 0;
    for (Object* p = obj; p && guard < MaxChain; p = p->proto, ++guard) {
        const Property* accessor = p->kind == Kind::Array ? p->find(name) : nullptr;
        // addProperty may put a getter over an array's length or elements
        if (p->kind == Kind::Array && !(accessor && accessor->getter)) {
            std::size_t index = 0;
            if (name == "length") {
                return Value(p->oddLength.value_or(static_cast<double>(p->elements.size())));
            }
            // a hole is no element: the name is looked for further on
            if (ArrayIndex(name, index) && p->hasElement(index)) {
                return p->elements[index];
            }
        }
        if (const Property* prop = p->find(name)) {
            if ((prop->getter || prop->setter) && AccessorsBlocked(*this, p, prop->name)) {
                return prop->value;
            }
            if (prop->getter) {
                Object* getter = prop->getter;
                const AccessorRun run(*this, p, prop->name);
                return call(Value(getter), thisValue, {});
            }
            if (prop->setter) {
                return Value();
            }
            return prop->value;
        }
        if (p->kind == Kind::Boxed && p->primitive.isString() && name == "length") {
            return Value(static_cast<double>(CharLength(p->primitive.str())));
        }
        if (p == obj && ClipChild(*this, p, name, out)) {
            return out;
        }
    }
    if (guard >= MaxChain) {
        // the player stops the script at a chain this long, as at one that loops
        throw ScriptAbort{"a prototype chain loops or is too long"};
    }
    return Value();
}

Object* Vm::holderOf(Object* obj, std::string_view name) {
    int guard = 0;
    for (Object* p = obj; p && guard < MaxChain; p = p->proto, ++guard) {
        if (p->find(name)) {
            return p;
        }
    }
    return nullptr;
}

bool Vm::hasOwn(Object* obj, std::string_view name) {
    if (!obj) {
        return false;
    }
    std::size_t index = 0;
    if (obj->kind == Kind::Array &&
        (name == "length" || (ArrayIndex(name, index) && obj->hasElement(index)))) {
        return true;
    }
    Value out;
    // a text field holds none of its properties itself: they come from its prototype,
    // or from the player as every display object's
    const bool inherited = obj->kind == Kind::Clip && host_.exists(obj->clip) &&
                           host_.kind(obj->clip) == ClipKind::Text &&
                           (name.starts_with('_') || IsTextFieldPrototypeName(*this, name));
    if (obj->kind == Kind::Clip && !inherited &&
        (ClipOwnValue(*this, obj, name, out) || ClipChild(*this, obj, name, out))) {
        return true;
    }
    return obj->find(name) != nullptr;
}

bool Vm::has(Object* obj, std::string_view name) {
    int guard = 0;
    for (Object* p = obj; p && guard < MaxChain; p = p->proto, ++guard) {
        if (hasOwn(p, name)) {
            return true;
        }
    }
    return false;
}

void Vm::set(const Value& target, std::string_view name, Value value) {
    if (!target.isObject()) {
        return;
    }
    Object* o = liveObject(target.o);
    if (!o) {
        return; // a removed clip's reference that leads nowhere
    }
    if (o != target.o) {
        set(Value(o), name, std::move(value));
        return;
    }
    std::optional<ScriptThrow> thrown;
    for (const auto& [watchedName, callback] : o->watchers) {
        if (!SameName(*this, watchedName, name)) {
            continue;
        }
        // a watcher runs by the rules of accessors (it may unwatch: work from copies)
        const std::string watched = watchedName;
        const auto [fn, data] = callback;
        if (AccessorsBlocked(*this, o, watched, Role::Watcher)) {
            break;
        }
        // a clip's built-in properties are not stored ones, nor is what accessors give:
        // the watcher sees the plain value as the old one
        const Property* own = o->find(name);
        const bool plain = o->kind == Kind::Clip || (own && (own->getter || own->setter));
        const Value old = !plain ? getOf(o, name, target) : own ? own->value : Value();
        const std::string ownName = own ? own->name : std::string(name);
        const Value args[] = {Value(watched), old, value, data};
        const AccessorRun run(*this, o, watched, Role::Watcher);
        const AccessorRun hold(*this, o, ownName, Role::Watched);
        try {
            value = call(fn, target, args);
        } catch (const ScriptThrow& error) {
            thrown = error;
        }
        break;
    }
    if (thrown) {
        value = Value(); // a watcher that throws leaves the property undefined
    }
    if (IsProtoName(name, caseSensitive())) {
        // a value that is no object ends the chain, yet reads back as it was set
        o->proto = value.isObject() ? value.o : nullptr;
        if (value.isObject() || value.isUndefined()) {
            o->remove(name);
        } else {
            o->define(name, std::move(value), DontEnum);
        }
    } else {
        Store(*this, o, target, name, std::move(value));
    }
    if (thrown) {
        throw *thrown;
    }
}

bool Vm::removeProperty(Object* obj, std::string_view name) {
    if (IsProtoName(name, caseSensitive())) {
        if (obj->protoFlags & DontDelete) {
            return false;
        }
        const bool had = obj->remove(name) || obj->proto;
        obj->proto = nullptr;
        return had;
    }
    std::size_t index = 0;
    if (obj->kind == Kind::Array && ArrayIndex(name, index) && index < obj->elements.size()) {
        return obj->removeElement(index);
    }
    return obj->remove(name);
}

std::size_t Vm::arrayLength(Object* obj) {
    if (obj->kind == Kind::Array) {
        return obj->elements.size();
    }
    const double n = toNumber(getOf(obj, "length", Value(obj)));
    return n > 0
               ? static_cast<std::size_t>(std::min(n, static_cast<double>(limits_.maxArrayLength)))
               : 0;
}

std::vector<std::string> Vm::enumerate(Object* obj) {
    // Each link of the chain lists its names newest first; the farthest prototype's come
    // first, and a name is listed once, with the nearest object that holds it.
    std::vector<std::vector<std::string>> levels;
    std::set<std::string> seen;
    auto add = [&](const std::string& name, bool hidden) {
        const std::string key = caseSensitive() ? name : FoldCase(name);
        if (seen.insert(key).second && !hidden) {
            levels.back().push_back(name);
        }
    };
    int guard = 0;
    for (Object* p = obj; p && guard < MaxChain; p = p->proto, ++guard) {
        levels.emplace_back();
        OwnNamesNewestFirst(p, add);
        if (p == obj && p->kind == Kind::Clip && host_.exists(p->clip)) {
            const std::vector<ClipId> children = host_.children(p->clip);
            for (auto it = children.rbegin(); it != children.rend(); ++it) {
                if (host_.kind(*it) != ClipKind::Other) {
                    add(host_.name(*it), false);
                }
            }
        }
    }
    std::vector<std::string> names;
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        names.insert(names.end(), level->begin(), level->end());
    }
    return names;
}

} // namespace quillon::engine::avm1
