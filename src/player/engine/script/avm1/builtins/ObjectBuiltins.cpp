// Object, Function, Error and ASSetPropFlags.

#include "player/engine/characters/ExportNames.h"
#include "player/engine/script/avm1/builtins/Helpers.h"

#include <cmath>

namespace quillon::engine::avm1 {

namespace {

Value ObjectCtor(Vm& vm, CallInfo& c) {
    const Value v = c.arg(0);
    if (v.isNullish()) {
        // called plainly it gives a bare object, without Object.prototype
        return c.construct ? c.thisValue : Value(vm.newObject(nullptr));
    }
    return Value(vm.toObject(v));
}

Value ObjectToString(Vm&, CallInfo& c) {
    Object* o = ThisObject(c);
    return Value(o && o->isFunction() ? "[type Function]" : "[object Object]");
}

Value ObjectValueOf(Vm&, CallInfo& c) {
    Object* o = ThisObject(c);
    if (o && (o->kind == Kind::Boxed || o->kind == Kind::Date)) {
        return o->primitive;
    }
    return c.thisValue;
}

Value HasOwnProperty(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    // properties hidden from this movie's version still count as present
    const std::string name = vm.toString(c.arg(0));
    return Value(o && (vm.hasOwn(o, name) || o->findAny(name)));
}

Value IsPropertyEnumerable(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return Value(false);
    }
    const std::string name = vm.toString(c.arg(0));
    std::size_t index = 0;
    if (o->kind == Kind::Array && ArrayIndex(name, index) && o->hasElement(index)) {
        return Value(!(o->elementFlagsAt(index) & DontEnum));
    }
    const Property* p = o->find(name);
    return Value(p ? !(p->flags & DontEnum) : vm.hasOwn(o, name));
}

Value IsPrototypeOf(Vm&, CallInfo& c) {
    Object* o = ThisObject(c);
    const Value v = c.arg(0);
    if (!o || !v.isObject()) {
        return Value(false);
    }
    int guard = 0;
    for (Object* p = v.o->proto; p && guard < 256; p = p->proto, ++guard) {
        if (p == o) {
            return Value(true);
        }
    }
    return Value(false);
}

Value AddProperty(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    const std::string name = vm.toString(c.arg(0));
    const Value getter = c.arg(1), setter = c.arg(2);
    // the setter may be null (a read-only property) but not left out
    const bool setterFits = setter.isNull() || (setter.isObject() && setter.o->isFunction());
    if (!o || name.empty() || !getter.isObject() || !getter.o->isFunction() || !setterFits) {
        return Value(false);
    }
    Property* p = o->find(name);
    if (!p) {
        o->define(name, Value(), 0);
        p = o->find(name);
    }
    p->getter = getter.o;
    p->setter = setter.isObject() && setter.o->isFunction() ? setter.o : nullptr;
    return Value(true);
}

Value Watch(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    const Value fn = c.arg(1);
    if (!o || !fn.isObject() || !fn.o->isFunction()) {
        return Value(false);
    }
    const std::string name = vm.toString(c.arg(0));
    std::erase_if(o->watchers, [&](const auto& w) { return w.first == name; });
    o->watchers.push_back({name, {fn, c.arg(2)}});
    return Value(true);
}

Value Unwatch(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return Value(false);
    }
    const std::string name = vm.toString(c.arg(0));
    return Value(std::erase_if(o->watchers, [&](const auto& w) { return w.first == name; }) > 0);
}

// Object.registerClass(symbol, class): null takes the registration back; true unless a
// class that is no function is given, or too little.
Value RegisterClass(Vm& vm, CallInfo& c) {
    if (c.args.size() < 2) {
        return Value(false);
    }
    const std::string name = AsciiLowerName(vm.toString(c.arg(0)));
    const Value cls = c.arg(1);
    if (cls.isObject() && cls.o->isFunction()) {
        vm.registeredClasses[name] = cls.o;
        return Value(true);
    }
    if (!cls.isNullish()) {
        return Value(false);
    }
    vm.registeredClasses.erase(name);
    return Value(true);
}

// call and apply run a function on the object their first argument becomes; on the
// global object when it is null or undefined, or becomes none.
Value CalledThis(Vm& vm, const Value& thisArg) {
    Object* o = thisArg.isNullish() ? nullptr : vm.toObject(thisArg);
    return Value(o ? o : vm.global);
}

Value FunctionCall(Vm& vm, CallInfo& c) {
    const std::span<const Value> rest = c.args.empty() ? c.args : c.args.subspan(1);
    return vm.call(c.thisValue, CalledThis(vm, c.arg(0)), rest);
}

Value FunctionApply(Vm& vm, CallInfo& c) {
    std::vector<Value> args;
    const Value list = c.arg(1);
    if (list.isObject()) {
        const std::size_t n = vm.arrayLength(list.o);
        for (std::size_t i = 0; i < n; ++i) {
            args.push_back(vm.get(list, std::to_string(i)));
        }
    }
    return vm.call(c.thisValue, CalledThis(vm, c.arg(0)), args);
}

// Function(x) called plainly gives back what it is given; with nothing, a bare object.
Value FunctionCtor(Vm& vm, CallInfo& c) {
    if (c.construct) {
        return c.thisValue;
    }
    return c.args.empty() ? Value(vm.newObject(nullptr)) : c.arg(0);
}

Value ErrorCtor(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!c.construct || !o) {
        o = vm.newObject(vm.errorProto);
    }
    if (!c.arg(0).isUndefined()) {
        o->put("message", c.arg(0));
    }
    return Value(o);
}

Value ErrorToString(Vm& vm, CallInfo& c) {
    return Value(vm.toStr(vm.get(c.thisValue, "message")));
}

void SetFlagsOn(Object* o, const std::string& name, int set, int clear) {
    if (IsProtoName(name, o->caseSensitive())) {
        o->protoFlags = static_cast<std::uint16_t>((o->protoFlags & ~clear) | set);
    }
    if (Property* p = o->findAny(name)) {
        p->flags = static_cast<std::uint16_t>((p->flags & ~clear) | set);
    }
    std::size_t index = 0;
    if (o->kind == Kind::Array && ArrayIndex(name, index)) {
        o->setElementFlags(index,
                           static_cast<std::uint16_t>((o->elementFlagsAt(index) & ~clear) | set));
    }
}

Value SetPropFlags(Vm& vm, CallInfo& c) {
    const Value target = c.arg(0);
    if (!target.isObject()) {
        return Value();
    }
    Object* o = target.o;
    const int set = ToInt32(vm.toNumber(c.arg(2)));
    const int clear = c.args.size() > 3 ? ToInt32(vm.toNumber(c.arg(3))) : 0;
    const Value names = c.arg(1);
    if (names.isNull()) { // undefined names the property "undefined"
        for (Property& p : o->properties()) {
            p.flags = static_cast<std::uint16_t>((p.flags & ~clear) | set);
        }
        for (std::size_t i = 0; o->kind == Kind::Array && i < o->elements.size(); ++i) {
            o->setElementFlags(i,
                               static_cast<std::uint16_t>((o->elementFlagsAt(i) & ~clear) | set));
        }
    } else if (names.isObject() && names.o->kind == Kind::Array) {
        for (const Value& n : names.o->elements) {
            SetFlagsOn(o, vm.toString(n), set, clear);
        }
    } else {
        const std::string list = vm.toString(names);
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t comma = list.find(',', start);
            if (comma == std::string::npos) {
                comma = list.size();
            }
            SetFlagsOn(o, list.substr(start, comma - start), set, clear);
            start = comma + 1;
        }
    }
    return Value();
}

} // namespace

int IntArg(Vm& vm, CallInfo& c, std::size_t i, int fallback) {
    if (i >= c.args.size() || c.args[i].isUndefined()) {
        return fallback;
    }
    const double n = vm.toNumber(c.args[i]);
    if (std::isnan(n)) {
        return fallback;
    }
    return static_cast<int>(std::clamp(std::trunc(n), -2147483648.0, 2147483647.0));
}

void InstallObjectBuiltins(Vm& vm) {
    Object* object = vm.newClass(vm.global, "Object", ObjectCtor, vm.objectProto);
    vm.method(object, "registerClass", RegisterClass);
    Object* p = vm.objectProto;
    // clang-format off
    vm.methods(p, {
        {"toString", ObjectToString}, {"toLocaleString", ObjectToString},
        {"valueOf", ObjectValueOf}, {"hasOwnProperty", HasOwnProperty},
        {"isPropertyEnumerable", IsPropertyEnumerable}, {"isPrototypeOf", IsPrototypeOf},
        {"addProperty", AddProperty}, {"watch", Watch}, {"unwatch", Unwatch}});
    // clang-format on

    Object* function = vm.newClass(vm.global, "Function", FunctionCtor, vm.functionProto);
    (void)function;
    vm.methods(vm.functionProto, {{"call", FunctionCall}, {"apply", FunctionApply}});

    vm.errorProto = vm.newObject();
    vm.newClass(vm.global, "Error", ErrorCtor, vm.errorProto);
    vm.errorProto->define("name", Value("Error"), DontEnum);
    vm.errorProto->define("message", Value("Error"), DontEnum);
    vm.method(vm.errorProto, "toString", ErrorToString);

    vm.global->define("ASSetPropFlags", Value(vm.newNative(SetPropFlags)), DontEnum);
}

void InstallBuiltins(Vm& vm) {
    vm.objectProto = vm.newObject(nullptr);
    vm.functionProto = vm.newObject(vm.objectProto);
    vm.global = vm.newObject(nullptr); // bare: no Object.prototype behind it
    InstallObjectBuiltins(vm);
    InstallGlobalFunctions(vm);
    InstallNumberBuiltins(vm);
    InstallMathBuiltins(vm);
    InstallStringBuiltins(vm);
    InstallArrayBuiltins(vm);
    InstallDateBuiltins(vm);
    InstallClipBuiltins(vm);
    InstallDrawingBuiltins(vm);
    InstallTextBuiltins(vm);
    InstallSnapshotBuiltins(vm);
    InstallBitmapBuiltins(vm);
    InstallMediaBuiltins(vm);
    InstallNetStreamBuiltins(vm);
    InstallGeomBuiltins(vm);
    InstallFilterBuiltins(vm);
    DefineTextFieldPrototype(vm);
    InstallInertBuiltins(vm);
    InstallNativeTable(vm);
}

} // namespace quillon::engine::avm1
