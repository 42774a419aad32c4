// Object, Class, Function, Boolean, Namespace and the global functions.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/NativeLengths.h"
#include "player/engine/script/avm2/NumberFormat.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace quillon::avm2 {
namespace {

Value ObjectToString(Vm& vm, const Value& self, std::span<const Value>) {
    if (self.isObject() && self.asObject()->kind == ObjectKind::Class) {
        return Value::string(
            "[class " + LocalClassName(static_cast<ClassObject*>(self.asObject())->name) + "]");
    }
    if (self.isObject() && self.asObject()->kind == ObjectKind::Function) {
        return Value::string("function Function() {}");
    }
    return Value::string("[object " + LocalClassName(ClassName(vm, self)) + "]");
}
Value ValueOf(Vm&, const Value& self, std::span<const Value>) {
    return self;
}
Value HasOwn(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::boolean(HasOwnProperty(vm, self, NameFromValue(vm, Arg(args, 0))));
}
Value IsEnumerable(Vm& vm, const Value& self, std::span<const Value> args) {
    PropName name = NameFromValue(vm, Arg(args, 0));
    if (self.isObject() && self.asObject()->kind == ObjectKind::Array && name.index >= 0) {
        return Value::boolean(HasOwnProperty(vm, self, name));
    }
    if (!self.isObject() || !self.asObject()->dyn) {
        return Value::boolean(false);
    }
    const auto& dyn = *self.asObject()->dyn;
    const auto it = dyn.index.find(NameAtom(vm, name));
    return Value::boolean(it != dyn.index.end() && dyn.entries[it->second].enumerable);
}
Value SetEnumerable(Vm& vm, const Value& self, std::span<const Value> args) {
    PropName name = NameFromValue(vm, Arg(args, 0));
    if (self.isObject() && self.asObject()->dyn) {
        auto& dyn = *self.asObject()->dyn;
        const auto it = dyn.index.find(NameAtom(vm, name));
        if (it != dyn.index.end()) {
            dyn.entries[it->second].enumerable = ToBoolean(Arg(args, 1));
        }
    }
    return Value();
}
Value IsPrototypeOf(Vm&, const Value& self, std::span<const Value> args) {
    const Value& v = Arg(args, 0);
    if (!self.isObject() || !v.isObject()) {
        return Value::boolean(false);
    }
    for (Object* p = v.asObject()->proto; p; p = p->proto) {
        if (p == self.asObject()) {
            return Value::boolean(true);
        }
    }
    return Value::boolean(false);
}
Value NewPlainObject(Vm& vm, const Value&, std::span<const Value> args) {
    const Value& v = Arg(args, 0);
    return v.isNullish() ? Value::object(vm.newObject()) : v;
}

Value ClassPrototype(Vm&, const Value& self, std::span<const Value>) {
    return Value::object(static_cast<ClassObject*>(self.asObject())->prototype);
}

Value FunctionCall(Vm& vm, const Value& self, std::span<const Value> args) {
    return CallValue(vm, self, Arg(args, 0), args.empty() ? args : args.subspan(1));
}
Value FunctionApply(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& list = Arg(args, 1);
    if (list.isNullish()) {
        return CallValue(vm, self, Arg(args, 0), {});
    }
    if (!list.isObject() || list.asObject()->kind != ObjectKind::Array) {
        vm.throwError(ErrorKind::TypeError, 1116,
                      "second argument to Function.prototype.apply must be an array.");
    }
    std::vector<Value> items = static_cast<ArrayObject*>(list.asObject())->items;
    for (Value& item : items) {
        item = item.isHole() ? Value() : item; // a hole is passed as undefined
    }
    return CallValue(vm, self, Arg(args, 0), items);
}
Value FunctionLength(Vm&, const Value& self, std::span<const Value>) {
    const auto* fn = static_cast<FunctionObject*>(self.asObject());
    return Value::integer(fn->method.abc ? static_cast<std::int32_t>(fn->method.abc->params.size())
                                         : fn->method.length);
}
Value ReturnUndefined(Vm&, const Value&, std::span<const Value>) {
    return Value();
}
// Function() and new Function() make an empty function; compiling a body from text is
// not something this machine does.
Value NewFunction(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.empty()) {
        return Value::object(vm.newFunction(MethodRef{nullptr, ReturnUndefined}, nullptr));
    }
    vm.throwError(ErrorKind::EvalError, 1066,
                  "The form function('function body') is not supported.");
}

Value BooleanCall(Vm&, const Value&, std::span<const Value> args) {
    return Value::boolean(ToBoolean(Arg(args, 0)));
}
Value BooleanValueOf(Vm& vm, const Value& self, std::span<const Value>) {
    return PrimitiveSelf(vm, self, {vm.core.boolean}, Value::boolean(false),
                         "Boolean.prototype.valueOf");
}
Value BooleanToString(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(
        ToString(vm, PrimitiveSelf(vm, self, {vm.core.boolean}, Value::boolean(false),
                                   "Boolean.prototype.toString")));
}

} // namespace

void InstallObjectClasses(Vm& vm) {
    vm.builtins = vm.make<Object>();
    vm.builtins->traits = &vm.builtinTraits;
    ClassObject* object = NativeClass(vm, "Object", nullptr).construct(NewPlainObject).get();
    vm.core.object = object;
    ClassObject* cls =
        NativeClass(vm, "Class", object).getter("prototype", ClassPrototype).sealed().get();
    vm.core.classClass = cls;
    for (ClassObject* c : {object, cls}) {
        c->cls = cls;
        c->proto = cls->prototype;
        for (const auto& entry : cls->instanceTraits->bindings) {
            c->staticTraits->bindings.insert(entry);
        }
    }
    object->nativeCall = NewPlainObject;
    vm.builtins->cls = object;
    vm.builtins->proto = object->prototype;
    // Global objects print as [object global] but are plain objects otherwise; the
    // class is no definition scripts can name.
    auto* global = vm.make<ClassObject>();
    global->name = "global";
    global->base = object;
    global->cls = cls;
    global->proto = cls->prototype;
    global->prototype = object->prototype;
    global->instanceTraits = object->instanceTraits;
    global->staticTraits = std::make_shared<Traits>();
    vm.core.global = global;
    vm.builtins->cls = global;
    vm.core.function = NativeClass(vm, "Function", object)
                           .method("call", FunctionCall)
                           .method("apply", FunctionApply)
                           .getter("length", FunctionLength)
                           .construct(NewFunction)
                           .call(NewFunction)
                           .get();
    // Object's own methods live on its prototype, where scripts may replace them.
    const std::pair<const char*, NativeFn> protoMethods[] = {
        {"toString", ObjectToString},
        {"toLocaleString", ObjectToString},
        {"valueOf", ValueOf},
        {"hasOwnProperty", HasOwn},
        {"propertyIsEnumerable", IsEnumerable},
        {"setPropertyIsEnumerable", SetEnumerable},
        {"isPrototypeOf", IsPrototypeOf}};
    for (const auto& [name, fn] : protoMethods) {
        object->prototype->props().set(
            vm.intern(name),
            Value::object(
                vm.newFunction(MethodRef{nullptr, fn, NativeLength("Object", name)}, nullptr)),
            false);
    }
}

void InstallBooleanClass(Vm& vm) {
    ClassObject* boolean = NativeClass(vm, "Boolean", vm.core.object)
                               .method("toString", BooleanToString)
                               .method("valueOf", BooleanValueOf)
                               .construct(BooleanCall)
                               .call(BooleanCall)
                               .sealed()
                               .get();
    boolean->coercion = Coercion::Boolean;
    ExposeOnPrototype(vm, boolean);
    vm.core.boolean = boolean;
}

} // namespace quillon::avm2
