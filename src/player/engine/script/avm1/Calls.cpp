// Calls of script functions: the activation, `this`, `arguments`, `super` and the
// registers DefineFunction2 preloads.

#include "player/engine/script/avm1/Frame.h"
#include "player/engine/script/avm1/NetStreams.h"

#include <utility>

namespace quillon::engine::avm1 {

namespace {

Object* MakeArguments(Vm& vm, Object* callee, std::span<const Value> args) {
    Object* arguments = vm.newArray(std::vector<Value>(args.begin(), args.end()));
    arguments->define("callee", Value(callee), DontEnum);
    arguments->define("caller", Value::null(), DontEnum);
    return arguments;
}

void Preload(Vm& vm, Frame& frame, const FunctionCode& code, std::span<const Value> args) {
    std::size_t reg = 1;
    const auto put = [&](Value v) {
        if (reg < frame.registers.size()) {
            frame.registers[reg] = std::move(v);
        }
        ++reg;
    };
    const std::uint16_t flags = code.flags;
    if (flags & PreloadThis) {
        put(frame.thisValue);
    }
    if (flags & PreloadArguments) {
        frame.argumentsObject = MakeArguments(vm, frame.callee, args);
        put(Value(frame.argumentsObject));
    } else if (!(flags & SuppressArguments)) {
        frame.activation->put("arguments", Value(MakeArguments(vm, frame.callee, args)));
    }
    if (flags & PreloadSuper) {
        put(Value(MakeSuper(vm, frame)));
    }
    if (flags & PreloadRoot) {
        put(Value(vm.clipObject(vm.host().root())));
    }
    // _global takes its register before _parent
    if (flags & PreloadGlobal) {
        put(Value(vm.global));
    }
    if (flags & PreloadParent) {
        const ClipId parent = frame.target ? vm.host().parent(frame.target) : 0;
        put(parent ? Value(vm.clipObject(parent)) : Value());
    }
}

} // namespace

Value Vm::callScript(Object* fn, const Value& thisValue, std::span<const Value> args,
                     Object* home) {
    const FunctionCode& code = *fn->code;
    if (!code.body) {
        return Value();
    }
    Frame frame;
    frame.block = code.body.get();
    frame.keep = code.body;
    frame.pool = fn->pool;
    // The clip a call works on: where the function was made, or (before version 6, or
    // once that clip is gone) `this` when it is a clip, else the root.
    const ClipId thisClip = clipOf(thisValue);
    const Object* definer = liveObject(fn->baseClip);
    ClipId base = definer ? definer->clip : (thisClip ? thisClip : host_.root());
    if (version_ < 6 && thisClip) {
        base = thisClip;
    }
    frame.target = frame.original = base;
    frame.thisValue = thisValue;
    frame.callee = fn;
    frame.home = home;
    if (home && thisValue.isObject()) {
        int depth = 1;
        for (const Object* p = thisValue.o->proto; p && depth <= 256; p = p->proto, ++depth) {
            if (p == home) {
                frame.homeDepth = depth;
                break;
            }
        }
    }
    frame.activation = newObject(nullptr);
    frame.activation->kind = Kind::Activation;
    // Functions of version 5 keep no scope: they see their locals, the clip they work on
    // and the globals.
    const ScopeRef outer =
        version_ < 6 ? std::make_shared<const Scope>(Scope{
                           clipObject(base), std::make_shared<const Scope>(Scope{global, nullptr})})
                     : fn->scope;
    frame.scope = std::make_shared<const Scope>(Scope{frame.activation, outer});
    frame.baseScope = frame.scope;
    if (code.isFunction2) {
        frame.registers.assign(std::max<std::size_t>(code.registerCount, 1), Value());
        Preload(*this, frame, code, args);
    } else {
        frame.activation->put("arguments", Value(MakeArguments(*this, fn, args)));
    }
    for (std::size_t i = 0; i < code.params.size(); ++i) {
        const Value arg = i < args.size() ? args[i] : Value();
        const auto& [reg, name] = code.params[i];
        if (code.isFunction2 && reg != 0) {
            if (reg < frame.registers.size()) {
                frame.registers[reg] = arg;
            }
        } else {
            frame.activation->put(name, arg);
        }
    }
    struct InFunction {
        Vm& vm;
        explicit InFunction(Vm& v) : vm(v) {
            ++vm.functionDepth;
            vm.constructing.push_back(std::exchange(vm.constructNext, false));
        }
        ~InFunction() {
            --vm.functionDepth;
            vm.constructing.pop_back();
        }
    } inFunction(*this);
    return execute(frame);
}

void Vm::markRoots(const std::function<void(Object*)>& push,
                   const std::function<void(const Value&)>& pushValue) {
    for (Object* root : {global, objectProto, functionProto, arrayProto, stringProto, numberProto,
                         booleanProto, dateProto, errorProto, movieClipProto, textFieldProto,
                         buttonProto, soundProto, videoProto}) {
        push(root);
    }
    MarkNetStreams(*this, push);
    for (auto& [name, cls] : registeredClasses) {
        push(cls);
    }
    for (auto& [clip, object] : clips_) {
        push(object);
    }
    for (const Interval& i : intervals_) {
        pushValue(i.fn);
        pushValue(i.thisValue);
        for (const Value& a : i.args) {
            pushValue(a);
        }
    }
    for (const Value& v : stack) {
        pushValue(v);
    }
    for (const Value& owner : dialogs_) {
        pushValue(owner);
    }
    for (const PendingLoad& load : loads_) {
        pushValue(load.into);
        pushValue(load.loader);
    }
    for (const auto& [loader, clip] : inits_) {
        pushValue(loader);
    }
}

void Vm::mark() {
    std::vector<Object*> work;
    auto push = [&work](Object* o) {
        if (o && !o->marked) {
            o->marked = true;
            work.push_back(o);
        }
    };
    auto pushValue = [&push](const Value& v) {
        if (v.isObject()) {
            push(v.o);
        }
    };
    markRoots(push, pushValue);
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        push(o->proto);
        for (const Property& p : o->properties()) {
            pushValue(p.value);
            push(p.getter);
            push(p.setter);
        }
        for (const Value& v : o->elements) {
            pushValue(v);
        }
        pushValue(o->primitive);
        if (o->fieldSettings) {
            for (const auto& [key, v] : *o->fieldSettings) {
                pushValue(v);
            }
        }
        push(o->superThis);
        push(o->superHome);
        push(o->baseClip);
        for (const Scope* s = o->scope.get(); s; s = s->parent.get()) {
            push(s->object);
        }
        for (auto& [name, callback] : o->watchers) {
            pushValue(callback.first);
            pushValue(callback.second);
        }
        for (Object* i : o->interfaces) {
            push(i);
        }
        if (o->xml) {
            pushValue(o->xml->name);
            pushValue(o->xml->value);
            push(o->xml->parent);
            push(o->xml->attributes);
            push(o->xml->childArray);
            for (Object* child : o->xml->children) {
                push(child);
            }
        }
    }
}

void Vm::collectGarbage() {
    // Only between blocks: frames of running code are not roots.
    if (callDepth > 0) {
        return;
    }
    std::erase_if(clips_, [this](const auto& entry) { return !host_.exists(entry.first); });
    mark();
    std::erase_if(objects_, [](const std::unique_ptr<Object>& o) { return !o->marked; });
    for (auto& o : objects_) {
        o->marked = false;
    }
}

} // namespace quillon::engine::avm1
