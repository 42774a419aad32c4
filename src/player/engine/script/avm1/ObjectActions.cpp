// Variables, members, calls and the object actions.

#include "player/engine/script/avm1/Frame.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quillon::engine::avm1 {

namespace {

// Argument counts past this are taken as damage: the stack holds no more.
std::size_t ArgCount(Vm& vm) {
    const double n = vm.toNumber(vm.pop());
    if (!(n > 0)) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(std::min(n, 1.0e9)), vm.stack.size());
}

std::vector<Value> PopArgs(Vm& vm) {
    const std::size_t count = ArgCount(vm);
    std::vector<Value> args(count);
    for (std::size_t i = 0; i < count; ++i) {
        args[i] = vm.pop();
    }
    return args;
}

// A call on `super`: the constructor of the prototype the running method's holder
// inherits from (never a function found another way), or a method found from there.
Value CallSuper(Vm& vm, Object* super, const Value& name, std::span<const Value> args) {
    Object* from = SuperBase(super);
    if (!from) {
        return Value();
    }
    const Value thisValue(super->superThis);
    if (name.isUndefined() || (name.isString() && name.str().empty())) {
        // the constructor the running method's prototype records (a method the object
        // holds itself belongs to no prototype), else one recorded further up
        Object* home = SuperHome(super);
        const Property* own = home != super->superThis ? home->find("__constructor__") : nullptr;
        const Value ctor = own && !own->getter && !own->setter
                               ? own->value
                               : vm.getOf(from, "__constructor__", thisValue);
        if (ctor.isObject() && ctor.o->native) {
            // a built-in class's constructor builds on the object, as under new
            CallInfo info{thisValue, args, ctor.o, true};
            return ctor.o->native(vm, info);
        }
        return vm.call(ctor, thisValue, args, from);
    }
    const std::string key = vm.toString(name);
    return vm.call(vm.getOf(from, key, thisValue), thisValue, args, vm.holderOf(from, key));
}

// A primitive called or constructed becomes an object first, which a class a script put
// in place of the built-in one sees; the call itself then finds no function.
void CoerceCallee(Vm& vm, const Value& v) {
    if ((v.isString() || v.isNumber() || v.isBool()) && !vm.builtinBoxProto(v)) {
        (void)vm.toObject(v);
    }
}

void CallMethodAction(Vm& vm) {
    const Value name = vm.pop();
    const Value target = vm.pop();
    const std::vector<Value> args = PopArgs(vm);
    // a name that reads as empty text (an object's toString too) calls the target itself
    const std::string key = name.isUndefined() ? std::string() : vm.toString(name);
    const bool noName = key.empty();
    if (target.isObject() && target.o->kind == Kind::Super) {
        vm.push(CallSuper(vm, target.o, name, args));
        return;
    }
    if (noName) {
        CoerceCallee(vm, target);
        vm.push(vm.call(target, Value(), args));
        return;
    }
    Object* object = vm.toObject(target);
    if (!object) {
        vm.push(Value());
        return;
    }
    // a removed clip's reference calls on the clip now at its path; a script method
    // called on a primitive gets the object it became
    const Value fn = vm.getOf(object, key, target.isObject() ? Value(object) : target);
    const bool script = fn.isObject() && fn.o->code;
    const Value self = target.isObject() || script ? Value(object) : target;
    if (!fn.isObject() || !fn.o->isFunction()) {
        vm.warn("called " + key + ", which is not a function");
    }
    vm.push(vm.call(fn, self, args, vm.holderOf(object, key)));
}

void NewAction(Vm& vm, Frame& frame, bool method) {
    const Value name = vm.pop();
    Value ctor;
    if (method) {
        const Value target = vm.pop();
        const std::string key = name.isUndefined() ? std::string() : vm.toString(name);
        if (key.empty()) {
            CoerceCallee(vm, target);
        }
        ctor = key.empty() ? target : vm.get(target, key);
    } else {
        ctor = GetVariable(vm, frame, vm.toString(name));
    }
    const std::vector<Value> args = PopArgs(vm);
    vm.push(vm.construct(ctor, args));
}

// A count of more values than the stack holds builds nothing: the action gives undefined and
// leaves the stack as it was.
std::optional<std::size_t> InitCount(Vm& vm, std::size_t valuesEach) {
    const double n = vm.toNumber(vm.pop());
    if (!(n > 0)) {
        return 0;
    }
    if (n * valuesEach > static_cast<double>(vm.stack.size())) {
        vm.push(Value());
        return std::nullopt;
    }
    return static_cast<std::size_t>(n);
}

void InitArray(Vm& vm) {
    const std::optional<std::size_t> count = InitCount(vm, 1);
    if (!count) {
        return;
    }
    std::vector<Value> elements(*count);
    for (Value& element : elements) {
        element = vm.pop();
    }
    vm.push(Value(vm.newArray(std::move(elements))));
}

void InitObject(Vm& vm) {
    const std::optional<std::size_t> found = InitCount(vm, 2);
    if (!found) {
        return;
    }
    const std::size_t count = *found;
    Object* object = vm.newObject();
    std::vector<std::pair<Value, Value>> pairs(count);
    for (std::size_t i = 0; i < count; ++i) {
        pairs[i].second = vm.pop();
        pairs[i].first = vm.pop();
    }
    // written as popped, so the first pair written in the source is the newest
    for (const auto& [name, value] : pairs) {
        vm.set(Value(object), vm.toString(name), value);
    }
    vm.push(Value(object));
}

void EnumerateAction(Vm& vm, const Value& target) {
    vm.push(Value()); // the end marker the loop stops at
    Object* object = target.isObject() ? target.o : nullptr;
    if (!object) {
        return;
    }
    const std::vector<std::string> names = vm.enumerate(object);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        vm.push(Value(*it));
    }
}

void DefineFunctionAction(Vm& vm, Frame& frame, const Instr& in) {
    const auto& code = frame.block->functions[in.a];
    Object* fn = MakeFunction(vm, frame, code);
    if (code->name.empty()) {
        vm.push(Value(fn));
    } else {
        DefineLocal(vm, frame, code->name, Value(fn));
    }
}

void ExtendsAction(Vm& vm) {
    const Value superclass = vm.pop();
    const Value subclass = vm.pop();
    if (!superclass.isObject() || !subclass.isObject()) {
        return;
    }
    Object* proto = vm.newObject();
    const Value superProto = vm.get(superclass, "prototype");
    proto->proto = superProto.isObject() ? superProto.o : nullptr;
    proto->define("__constructor__", superclass, DontEnum);
    vm.set(subclass, "prototype", Value(proto));
}

void ImplementsAction(Vm& vm) {
    const Value ctor = vm.pop();
    const std::vector<Value> interfaces = PopArgs(vm);
    const Value proto = ctor.isObject() ? vm.get(ctor, "prototype") : Value();
    if (!proto.isObject()) {
        return;
    }
    for (const Value& i : interfaces) {
        if (i.isObject()) {
            proto.o->interfaces.push_back(i.o);
        }
    }
}

bool MemberActions(Vm& vm, Frame& frame, const Instr& in) {
    switch (in.op) {
    case 0x1c: {
        const Value name = vm.pop();
        Value found = GetVariable(vm, frame, vm.toString(name));
        if (vm.version() < 5 && found.isObject() && found.o->kind == Kind::Clip) {
            found = Value(); // clips are no values to a version 4 movie's variables
        }
        vm.push(std::move(found));
        return true;
    }
    case 0x1d: {
        Value value = vm.pop();
        const Value name = vm.pop();
        SetVariable(vm, frame, vm.toString(name), std::move(value));
        return true;
    }
    case 0x3c: {
        Value value = vm.pop();
        const Value name = vm.pop();
        DefineLocal(vm, frame, vm.toString(name), std::move(value));
        return true;
    }
    case 0x41: {
        const Value name = vm.pop();
        const std::string key = vm.toString(name);
        if (!frame.activation && SetByPath(vm, frame, key, Value(), true)) {
            return true;
        }
        Object* scope = frame.activation ? frame.activation : vm.clipObject(frame.target);
        if (scope && !vm.hasOwn(scope, key)) {
            scope->put(key, Value());
        }
        return true;
    }
    case 0x4e: {
        const Value name = vm.pop();
        const Value object = vm.pop();
        vm.push(vm.get(object, vm.toString(name)));
        return true;
    }
    case 0x4f: {
        Value value = vm.pop();
        const Value name = vm.pop();
        const Value object = vm.pop();
        vm.set(object, vm.toString(name), std::move(value));
        return true;
    }
    default:
        return false;
    }
}

// Delete, Enumerate, InstanceOf, CastOp, ImplementsOp and Extends.
bool TypeActions(Vm& vm, Frame& frame, const Instr& in) {
    switch (in.op) {
    case 0x3a: {
        const Value name = vm.pop();
        const Value object = vm.pop();
        Object* o = object.isObject() ? object.o : nullptr;
        vm.push(o ? vm.removeProperty(o, vm.toString(name)) : false);
        return true;
    }
    case 0x3b: {
        const Value name = vm.pop();
        vm.push(DeleteVariable(vm, frame, vm.toString(name)));
        return true;
    }
    case 0x46: {
        const Value name = vm.pop();
        EnumerateAction(vm, GetVariable(vm, frame, vm.toString(name)));
        return true;
    }
    case 0x55:
        EnumerateAction(vm, vm.pop());
        return true;
    case 0x54: {
        const Value ctor = vm.pop();
        const Value object = vm.pop();
        vm.push(vm.instanceOf(object, ctor));
        return true;
    }
    case 0x2b: {
        const Value object = vm.pop();
        const Value ctor = vm.pop();
        if (!object.isObject()) {
            // a primitive becomes an object (for a class that sees it) yet casts to nothing
            (void)vm.toObject(object);
        }
        vm.push(vm.instanceOf(object, ctor) ? object : Value::null());
        return true;
    }
    case 0x2c:
        ImplementsAction(vm);
        return true;
    case 0x69:
        ExtendsAction(vm);
        return true;
    default:
        return false;
    }
}

} // namespace

bool ExecObjectAction(Vm& vm, Frame& frame, const Instr& in) {
    if (MemberActions(vm, frame, in) || TypeActions(vm, frame, in)) {
        return true;
    }
    switch (in.op) {
    case 0x3d: {
        const Value name = vm.pop();
        const std::vector<Value> args = PopArgs(vm);
        const std::string key = vm.toString(name);
        Value thisValue;
        const Value fn = GetFunction(vm, frame, key, thisValue);
        if (fn.isObject() && fn.o->kind == Kind::Super) {
            vm.push(CallSuper(vm, fn.o, Value(), args)); // super(...) called by name
            return true;
        }
        if (!fn.isObject() || !fn.o->isFunction()) {
            vm.warn("called " + key + ", which is not a function");
        }
        vm.push(vm.call(fn, thisValue, args));
        return true;
    }
    case 0x52:
        CallMethodAction(vm);
        return true;
    case 0x40:
        NewAction(vm, frame, false);
        return true;
    case 0x53:
        NewAction(vm, frame, true);
        return true;
    case 0x42:
        InitArray(vm);
        return true;
    case 0x43:
        InitObject(vm);
        return true;
    case 0x44:
        vm.push(vm.typeOf(vm.pop()));
        return true;
    case 0x8e:
    case 0x9b:
        DefineFunctionAction(vm, frame, in);
        return true;
    case 0x45: {
        const Value v = vm.pop();
        const ClipId clip = vm.clipOf(v);
        vm.push(clip ? Value(vm.targetPath(clip, false)) : Value());
        return true;
    }
    case 0x26:
        vm.trace(vm.pop());
        return true;
    default:
        return false;
    }
}

} // namespace quillon::engine::avm1
