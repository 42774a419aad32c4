#include "player/engine/script/avm2/NativeClass.h"

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeLengths.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::avm2 {

void DefineGlobal(Vm& vm, std::string_view name, const Value& value, std::string_view package) {
    const std::uint32_t ns = package.empty() ? kPublicNs : vm.internNs(NsKind::Package, package);
    const auto slot = static_cast<std::uint32_t>(vm.builtinTraits.slots.size());
    vm.builtinTraits.slots.push_back(SlotDef{value, Coercion::Any, true});
    vm.builtinTraits.bindings[PropKey(ns, vm.intern(name))] =
        Binding{Binding::Kind::Slot, slot, {}, {}, {}};
    vm.builtins->slots.push_back(value);
}

Object* SelfOfKind(Vm& vm, const Value& self, ObjectKind kind, std::string_view className) {
    if (!self.isObject() || self.asObject()->kind != kind) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, self) + " to " +
                          std::string(className) + ".");
    }
    return self.asObject();
}

void DefineGlobalFunction(Vm& vm, std::string_view name, NativeFn fn, std::string_view package) {
    const MethodRef method{nullptr, fn, NativeLength("", name)};
    DefineGlobal(vm, name, Value::object(vm.newFunction(method, nullptr)), package);
}

Value PrimitiveSelf(Vm& vm, const Value& self, std::initializer_list<const ClassObject*> classes,
                    const Value& fallback, std::string_view method) {
    if (fallback.isNumeric() ? self.isNumeric() : self.kind() == fallback.kind()) {
        return self;
    }
    for (const ClassObject* cls : classes) {
        if (self.isObject() && cls && self.asObject() == cls->prototype) {
            return fallback;
        }
    }
    vm.throwError(ErrorKind::TypeError, 1004,
                  "Method " + std::string(method) + " was invoked on an incompatible object.");
}

void ExposeOnPrototype(Vm& vm, ClassObject* cls) {
    for (const auto& [key, binding] : cls->instanceTraits->bindings) {
        if (binding.kind == Binding::Kind::Method && (key >> 32) == kPublicNs) {
            const auto atom = static_cast<std::uint32_t>(key & 0xffffffffu);
            cls->prototype->props().set(
                atom, Value::object(vm.newFunction(binding.method, nullptr)), false);
        }
    }
}

NativeClass::NativeClass(Vm& vm, std::string_view name, ClassObject* base, std::string_view package)
    : vm_(vm), cls_(vm.make<ClassObject>()) {
    cls_->name =
        package.empty() ? std::string(name) : std::string(package) + "." + std::string(name);
    cls_->base = base;
    cls_->cls = vm.core.classClass;
    cls_->proto = vm.core.classClass ? vm.core.classClass->prototype : nullptr;
    cls_->instanceTraits = std::make_shared<Traits>(base ? *base->instanceTraits : Traits{});
    cls_->staticTraits = std::make_shared<Traits>(
        vm.core.classClass ? *vm.core.classClass->instanceTraits : Traits{});
    cls_->traits = cls_->staticTraits.get();
    cls_->prototype = vm.make<Object>();
    cls_->prototype->proto = base ? base->prototype : nullptr;
    cls_->prototype->cls = vm.core.object;
    cls_->coercion = Coercion::Object;
    cls_->prototype->props().set(vm.intern("constructor"), Value::object(cls_), false);
    if (vm.builtins) {
        DefineGlobal(vm, name, Value::object(cls_), package);
    }
    // The top-level classes declare how many arguments their constructors take, one
    // unless listed; Math and JSON are not constructed.
    if (package.empty() && name != "Math" && name != "JSON") {
        const int length = NativeLength(name, "");
        constant("length", Value::integer(length ? length : 1));
    }
}

void NativeClass::bind(Traits& traits, std::string_view name, const Binding& b, bool as3) {
    const std::uint32_t atom = vm_.intern(name);
    for (std::uint32_t ns : {kPublicNs, vm_.as3Ns()}) {
        if (ns == kPublicNs || as3) {
            Binding& target = traits.bindings[PropKey(ns, atom)];
            if (b.kind == Binding::Kind::Accessor && target.kind == Binding::Kind::Accessor) {
                if (b.getter) {
                    target.getter = b.getter;
                }
                if (b.setter) {
                    target.setter = b.setter;
                }
            } else {
                target = b;
            }
        }
    }
}

NativeClass& NativeClass::add(Traits& traits, std::string_view name, Binding::Kind kind,
                              MethodRef method, MethodRef getter, MethodRef setter) {
    bind(traits, name, Binding{kind, 0, method, getter, setter}, kind == Binding::Kind::Method);
    return *this;
}

MethodRef NativeClass::declared(std::string_view name, NativeFn fn) const {
    return MethodRef{nullptr, fn, NativeLength(LocalClassName(cls_->name), name)};
}

NativeClass& NativeClass::method(std::string_view name, NativeFn fn) {
    return add(*cls_->instanceTraits, name, Binding::Kind::Method, declared(name, fn), {}, {});
}

NativeClass& NativeClass::methods(Entries entries) {
    for (const auto& [name, fn] : entries) {
        method(name, fn);
    }
    return *this;
}

NativeClass& NativeClass::getters(Entries entries) {
    for (const auto& [name, fn] : entries) {
        getter(name, fn);
    }
    return *this;
}

NativeClass& NativeClass::getter(std::string_view name, NativeFn fn) {
    return add(*cls_->instanceTraits, name, Binding::Kind::Accessor, {}, {nullptr, fn}, {});
}

NativeClass& NativeClass::setter(std::string_view name, NativeFn fn) {
    return add(*cls_->instanceTraits, name, Binding::Kind::Accessor, {}, {}, {nullptr, fn});
}

NativeClass& NativeClass::staticMethod(std::string_view name, NativeFn fn) {
    return add(*cls_->staticTraits, name, Binding::Kind::Method, declared(name, fn), {}, {});
}

NativeClass& NativeClass::staticGetter(std::string_view name, NativeFn fn) {
    return add(*cls_->staticTraits, name, Binding::Kind::Accessor, {}, {nullptr, fn}, {});
}

NativeClass& NativeClass::staticSetter(std::string_view name, NativeFn fn) {
    return add(*cls_->staticTraits, name, Binding::Kind::Accessor, {}, {}, {nullptr, fn});
}

std::uint32_t NativeClass::addSlot(Traits& traits, std::string_view name, const Value& value,
                                   bool constant) {
    const auto index = static_cast<std::uint32_t>(traits.slots.size());
    traits.slots.push_back(SlotDef{value, Coercion::Any, constant});
    bind(traits, name, Binding{Binding::Kind::Slot, index, {}, {}, {}}, false);
    return index;
}

NativeClass& NativeClass::slot(std::string_view name, const Value& initial) {
    addSlot(*cls_->instanceTraits, name, initial, false);
    return *this;
}

NativeClass& NativeClass::constant(std::string_view name, const Value& value) {
    addSlot(*cls_->staticTraits, name, value, true);
    cls_->slots.push_back(value);
    return *this;
}

NativeClass& NativeClass::init(NativeFn fn) {
    cls_->init = MethodRef{nullptr, fn};
    return *this;
}

NativeClass& NativeClass::construct(NativeFn fn) {
    cls_->nativeConstruct = fn;
    return *this;
}

NativeClass& NativeClass::call(NativeFn fn) {
    cls_->nativeCall = fn;
    return *this;
}

NativeClass& NativeClass::alloc(NativeAlloc fn) {
    cls_->alloc = fn;
    return *this;
}

NativeClass& NativeClass::sealed() {
    cls_->sealed = true;
    return *this;
}

} // namespace quillon::avm2
