// The interpreter's state: objects and their collection, calls, the clock and intervals.

#include "player/engine/script/avm1/Vm.h"

#include "player/engine/script/avm1/Frame.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine::avm1 {

Vm::Vm(DisplayHost& host, int version, VmLimits limits)
    : host_(host), version_(version), limits_(limits) {
    steps_ = limits_.stepsPerFrame;
    InstallBuiltins(*this);
}

Vm::~Vm() = default;

Object* Vm::allocate() {
    if (objects_.size() >= limits_.maxObjects) {
        collectGarbage();
        if (objects_.size() >= limits_.maxObjects) {
            throw ScriptAbort{"scripts made more than " + std::to_string(limits_.maxObjects) +
                              " objects"};
        }
    }
    objects_.push_back(std::make_unique<Object>(caseSensitive(), HiddenFlagsFor(version_)));
    return objects_.back().get();
}

Object* Vm::newObject(Object* proto) {
    Object* o = allocate();
    o->proto = proto;
    return o;
}

Object* Vm::newArray(std::vector<Value> elements) {
    Object* o = newObject(arrayProto);
    o->kind = Kind::Array;
    o->className = "Array";
    o->elements = std::move(elements);
    return o;
}

Object* Vm::newNative(NativeFn fn, int magic) {
    Object* o = newObject(functionProto);
    o->kind = Kind::Function;
    o->className = "Function";
    o->native = fn;
    o->magic = magic;
    return o;
}

void Vm::method(Object* holder, const char* name, NativeFn fn, int magic) {
    holder->define(name, Value(newNative(fn, magic)), DontEnum);
}

void Vm::methods(Object* holder, std::initializer_list<MethodEntry> table) {
    for (const MethodEntry& entry : table) {
        method(holder, entry.name, entry.fn, entry.magic);
    }
}

Object* Vm::defineClass(const char* name, NativeFn ctor, std::initializer_list<MethodEntry> table,
                        std::initializer_list<MethodEntry> statics) {
    Object* proto = newObject();
    methods(newClass(global, name, ctor, proto), statics);
    methods(proto, table);
    return proto;
}

Object* Vm::newClass(Object* holder, const char* name, NativeFn ctor, Object* proto) {
    Object* fn = newNative(ctor);
    if (!proto) {
        proto = newObject();
    }
    fn->define("prototype", Value(proto), DontEnum | DontDelete);
    proto->define("constructor", Value(fn), DontEnum);
    if (holder) {
        holder->define(name, Value(fn), DontEnum);
    }
    return fn;
}

Object* Vm::clipObject(ClipId clip) {
    if (!clip || !host_.exists(clip)) {
        return nullptr;
    }
    auto it = clips_.find(clip);
    if (it != clips_.end()) {
        return it->second;
    }
    const ClipKind kind = host_.kind(clip);
    Object* o = newObject(kind == ClipKind::Text                  ? textFieldProto
                          : kind == ClipKind::Button              ? buttonProto
                          : kind == ClipKind::Video && videoProto ? videoProto
                                                                  : movieClipProto);
    o->kind = Kind::Clip;
    o->className = kind == ClipKind::Text    ? "TextField"
                   : kind == ClipKind::Video ? "Video"
                                             : "MovieClip";
    o->clip = clip;
    o->clipKind = kind;
    o->clipPath = targetPath(clip, false);
    clips_.emplace(clip, o);
    if (kind == ClipKind::Text && version_ >= 6) {
        // a field broadcasts its events to its listeners, itself the first of them
        const Value source = get(Value(global), "AsBroadcaster");
        for (const char* method : {"addListener", "removeListener", "broadcastMessage"}) {
            o->define(method, get(source, method), DontEnum);
        }
        o->define("_listeners", Value(newArray({Value(o)})), DontEnum);
    }
    return o;
}

void Vm::forgetClip(ClipId clip) {
    clips_.erase(clip);
    classed_.erase(clip);
}

Object* Vm::liveObject(Object* o) {
    if (!o || o->kind != Kind::Clip) {
        return o;
    }
    if (const auto it = clips_.find(o->clip); it != clips_.end() && it->second == o) {
        return host_.exists(o->clip) ? o : nullptr;
    }
    // "_levelN.a.b": the level, then each child by name
    const std::string_view path = o->clipPath;
    std::size_t dot = path.find('.');
    const int level = LevelNumber(path.substr(0, dot));
    ClipId at = level >= 0 ? host_.level(level) : 0;
    while (at && dot != std::string_view::npos) {
        const std::size_t start = dot + 1;
        dot = path.find('.', start);
        at = host_.childByName(at, std::string(path.substr(start, dot - start)), caseSensitive());
    }
    return at && host_.kind(at) != ClipKind::Other ? clipObject(at) : nullptr;
}

Value Vm::live(const Value& v) {
    if (!v.isObject() || v.o->kind != Kind::Clip) {
        return v;
    }
    Object* o = liveObject(v.o);
    return o ? Value(o) : Value();
}

Object* Vm::giveClass(ClipId clip) {
    // buttons and fields keep their own classes
    if (registeredClasses.empty() || classed_.contains(clip) ||
        host_.kind(clip) != ClipKind::Sprite) {
        return nullptr;
    }
    Object* cls = nullptr;
    for (const std::string& name : host_.symbolNames(clip)) {
        if (const auto it = registeredClasses.find(name); it != registeredClasses.end()) {
            cls = it->second;
            break;
        }
    }
    Object* o = cls ? clipObject(clip) : nullptr;
    if (!o) {
        return nullptr;
    }
    classed_.insert(clip);
    const Value proto = getOf(cls, "prototype", Value(cls));
    o->proto = proto.isObject() ? proto.o : movieClipProto;
    o->define("__constructor__", Value(cls), DontEnum);
    if (version_ < 7) {
        o->define("constructor", Value(cls), DontEnum);
    }
    return cls;
}

void Vm::constructClip(ClipId clip, Object* cls) {
    if (Object* o = cls ? clipObject(clip) : nullptr) {
        call(Value(cls), Value(o), {}, o->proto);
    }
}

void Vm::reportUncaught(const Value& thrown) {
    std::string text;
    try {
        text = toString(thrown);
    } catch (const ScriptThrow&) {
        text = "[object Object]"; // its toString threw in turn
    } catch (const ScriptAbort& abort) {
        text = abort.reason;
    }
    if (onTrace) {
        onTrace("Warning: Uncaught exception, " + text);
    }
    warn("a script threw " + text + " and nothing caught it");
}

void Vm::warn(const std::string& text) {
    if (onWarning && warnings_ < 1000) {
        ++warnings_;
        onWarning(text);
    }
}

void Vm::warnOnce(const std::string& text) {
    if (warnedOnce_.insert(text).second) {
        warn(text);
    }
}

void Vm::trace(const Value& v) {
    if (onTrace) {
        std::string line = v.isUndefined() ? std::string("undefined") : toString(v);
        std::replace(line.begin(), line.end(), '\r', '\n'); // the log ends lines at CR too
        onTrace(line);
    }
}

Value Vm::call(const Value& fn, const Value& thisValue, std::span<const Value> args, Object* home) {
    if (!fn.isObject() || !fn.o->isFunction()) {
        return Value();
    }
    Object* f = fn.o;
    if (callDepth >= limits_.maxCallDepth) {
        throw ScriptAbort{"scripts called deeper than " + std::to_string(limits_.maxCallDepth) +
                          " levels"};
    }
    struct Depth {
        int& d;
        explicit Depth(int& v) : d(v) { ++d; }
        ~Depth() { --d; }
    } depth(callDepth);
    if (f->native) {
        CallInfo info{thisValue, args, f, false};
        return f->native(*this, info);
    }
    return callScript(f, thisValue, args, home);
}

Value Vm::construct(const Value& ctor, std::span<const Value> args) {
    if (!ctor.isObject() || !ctor.o->isFunction()) {
        return Value();
    }
    const Value protoValue = getOf(ctor.o, "prototype", ctor);
    Object* object = newObject(protoValue.isObject() ? protoValue.o : objectProto);
    if (!protoValue.isObject() && !protoValue.isNullish()) {
        // a primitive prototype ends the new object's chain, yet reads back as it was
        object->proto = nullptr;
        object->define("__proto__", protoValue, DontEnum);
    }
    object->define("__constructor__", ctor, DontEnum);
    if (version_ < 7) {
        object->define("constructor", ctor, DontEnum);
    }
    if (ctor.o->native) {
        if (callDepth >= limits_.maxCallDepth) {
            throw ScriptAbort{"scripts called too deep"};
        }
        CallInfo info{Value(object), args, ctor.o, true};
        const Value result = ctor.o->native(*this, info);
        if (info.refused) {
            return Value();
        }
        return result.isObject() ? result : Value(object);
    }
    constructNext = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{constructNext};
    call(ctor, Value(object), args, protoValue.isObject() ? protoValue.o : nullptr);
    return Value(object);
}

Value Vm::callMethod(const Value& obj, std::string_view name, std::span<const Value> args) {
    Object* o = toObject(obj);
    if (!o) {
        return Value();
    }
    return call(getOf(o, name, obj), obj, args, holderOf(o, name));
}

void Vm::callMethodSafely(const Value& obj, std::string_view name, std::span<const Value> args) {
    const std::size_t depth = stack.size();
    runGuarded([&] { callMethod(obj, name, args); });
    stack.resize(std::min(depth, stack.size()));
}

void Vm::runBlock(const std::shared_ptr<const Block>& block, ClipId target) {
    Object* clip = clipObject(target);
    if (!block || !clip) {
        return;
    }
    Frame frame;
    frame.block = block.get();
    frame.keep = block;
    frame.target = frame.original = target;
    frame.scope = std::make_shared<const Scope>(
        Scope{clip, std::make_shared<const Scope>(Scope{global, nullptr})});
    frame.baseScope = frame.scope;
    frame.thisValue = Value(clip);
    // Blocks run one after another in a frame share the stack and the constant pool, as
    // the player's do: what one leaves the next finds, a frame run by Call included (it
    // leaves its caller's pool alone).
    const bool outermost = blockNesting_ == 0;
    frame.pool = carriedPool_;
    const std::size_t depth = stack.size();
    bool finished = false;
    ++callDepth; // the block's registers and scopes are not garbage-collector roots
    ++blockNesting_;
    runGuarded([&] {
        execute(frame, true);
        finished = true;
    });
    --blockNesting_;
    --callDepth;
    if (!finished) {
        stack.resize(std::min(depth, stack.size()));
    }
    if (outermost) {
        carriedPool_ = frame.pool;
        constexpr std::size_t MaxCarried = 256; // what a careless movie leaves stays bounded
        if (stack.size() > MaxCarried) {
            stack.erase(stack.begin(), stack.end() - MaxCarried);
        }
    }
}

void Vm::runBytes(std::span<const std::uint8_t> code, ClipId target) {
    runBlock(DecodeActions(code, version_), target);
}

int Vm::addInterval(Value fn, Value thisValue, std::string methodName, std::vector<Value> args,
                    double periodMs, bool once) {
    if (intervals_.size() >= 10000) {
        return 0;
    }
    const double period = std::isfinite(periodMs) && periodMs > 0 ? periodMs : 0;
    intervals_.push_back(Interval{nextInterval_, std::move(fn), std::move(thisValue),
                                  std::move(methodName), std::move(args), period, timerMs + period,
                                  once});
    return nextInterval_++;
}

void Vm::clearInterval(int id) {
    std::erase_if(intervals_, [id](const Interval& i) { return i.id == id; });
}

void Vm::advanceClock(double ms) {
    timerMs += ms;
    dateMs += ms;
    // Each interval fires at most once a frame, as the player's timers do.
    std::vector<int> due;
    for (const Interval& i : intervals_) {
        if (i.next <= timerMs) {
            due.push_back(i.id);
        }
    }
    for (int id : due) {
        auto it = std::find_if(intervals_.begin(), intervals_.end(),
                               [id](const Interval& i) { return i.id == id; });
        if (it == intervals_.end()) {
            continue;
        }
        it->next = std::max(it->next + std::max(it->period, 1.0), timerMs);
        const Interval copy = *it;
        if (copy.once) {
            intervals_.erase(it);
        }
        resetBudgetIfSpent();
        if (copy.method.empty()) {
            const std::size_t depth = stack.size();
            runGuarded([&] { call(copy.fn, copy.thisValue, copy.args); });
            stack.resize(std::min(depth, stack.size()));
        } else {
            callMethodSafely(copy.fn, copy.method, copy.args);
        }
    }
}

} // namespace quillon::engine::avm1
