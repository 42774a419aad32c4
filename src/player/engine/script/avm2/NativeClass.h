#pragma once
// Builds a built-in class: its traits in the public namespace (and the AS3 one, where
// compiled code looks for methods of the core classes), its prototype, and its entry
// among the global definitions.

#include "player/engine/script/avm2/Object.h"

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace quillon::avm2 {

class Vm;

inline const Value& Arg(std::span<const Value> args, std::size_t i) {
    static const Value undefined;
    return i < args.size() ? args[i] : undefined;
}

void DefineGlobal(Vm& vm, std::string_view name, const Value& value, std::string_view package = "");
void DefineGlobalFunction(Vm& vm, std::string_view name, NativeFn fn,
                          std::string_view package = "");

// self as a built-in's own kind of object, or TypeError #1034 naming the class.
Object* SelfOfKind(Vm& vm, const Value& self, ObjectKind kind, std::string_view className);
// self as the primitive a method of Number, Boolean or String works on: a value of
// fallback's kind stays, one of the classes' prototypes reads as fallback (the
// prototype's own value) and anything else is TypeError #1004.
Value PrimitiveSelf(Vm& vm, const Value& self, std::initializer_list<const ClassObject*> classes,
                    const Value& fallback, std::string_view method);
// Puts the public methods of a built-in on its prototype too, where ES3-style code
// reads them (Date.prototype.getDay.length) and may replace them.
void ExposeOnPrototype(Vm& vm, ClassObject* cls);

class NativeClass {
public:
    NativeClass(Vm& vm, std::string_view name, ClassObject* base, std::string_view package = "");
    explicit NativeClass(Vm& vm, ClassObject* existing) : vm_(vm), cls_(existing) {}

    using Entries = std::initializer_list<std::pair<std::string_view, NativeFn>>;
    NativeClass& method(std::string_view name, NativeFn fn);
    NativeClass& methods(Entries entries);
    NativeClass& getters(Entries entries);
    NativeClass& getter(std::string_view name, NativeFn fn);
    NativeClass& setter(std::string_view name, NativeFn fn);
    NativeClass& slot(std::string_view name, const Value& initial);
    NativeClass& staticMethod(std::string_view name, NativeFn fn);
    NativeClass& staticGetter(std::string_view name, NativeFn fn);
    NativeClass& staticSetter(std::string_view name, NativeFn fn);
    NativeClass& constant(std::string_view name, const Value& value);
    NativeClass& init(NativeFn fn);
    NativeClass& construct(NativeFn fn);
    NativeClass& call(NativeFn fn);
    NativeClass& alloc(NativeAlloc fn);
    NativeClass& sealed();
    ClassObject* get() const { return cls_; }

private:
    MethodRef declared(std::string_view name, NativeFn fn) const;
    void bind(Traits& traits, std::string_view name, const Binding& b, bool as3);
    NativeClass& add(Traits& traits, std::string_view name, Binding::Kind kind, MethodRef method,
                     MethodRef getter, MethodRef setter);
    std::uint32_t addSlot(Traits& traits, std::string_view name, const Value& value, bool constant);

    Vm& vm_;
    ClassObject* cls_;
};

} // namespace quillon::avm2
