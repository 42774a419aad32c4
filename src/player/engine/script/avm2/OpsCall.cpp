// Calls, construction and the instructions that make functions, classes, objects
// and arrays.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/ClassBuilder.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/OpsSupport.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/VectorObject.h"

namespace quillon::avm2 {
namespace {

void Call(Frame& f, const Instr& in) {
    const auto args = f.popArgs(in.a);
    const Value receiver = f.pop();
    const Value fn = f.pop();
    f.push(CallValue(f.vm, fn, receiver, args));
}
void ConstructOp(Frame& f, const Instr& in) {
    const auto args = f.popArgs(in.a);
    const Value ctor = f.pop();
    f.push(Construct(f.vm, ctor, args));
}
void CallMethod(Frame& f, const Instr&) {
    VerifyFailure(f, "callmethod is not supported");
}
void CallStatic(Frame& f, const Instr& in) {
    const auto args = f.popArgs(in.b);
    const Value receiver = f.pop();
    const MethodInfo* method = f.method.unit->methods[in.a].get();
    f.push(InvokeMethod(f.vm, MethodRef{method, nullptr}, receiver, args));
}

// What super.name() calls when the base class declares no such method: a function on
// the base's prototypes (Object's toString), never the receiver's own override.
Value InheritedDynamic(Vm& vm, const ClassObject* base, const Value& receiver, PropName& name) {
    if (name.hasPublic) {
        for (Object* o = base->prototype; o; o = o->proto) {
            if (Value* found = o->dyn ? o->dyn->find(NameAtom(vm, name)) : nullptr) {
                return *found;
            }
        }
    }
    vm.throwError(ErrorKind::ReferenceError, 1070,
                  "Method " + NameText(vm, name) + " not found on " + ClassName(vm, receiver));
}

template <bool Void> void CallSuper(Frame& f, const Instr& in) {
    const auto args = f.popArgs(in.b);
    PropName name = ReadName(f, *in.name);
    const Value receiver = f.pop();
    const ClassObject* home = f.method.home;
    if (!home || !home->base) {
        VerifyFailure(f, "super used outside a subclass method");
    }
    const Binding* b = FindBinding(home->base->instanceTraits.get(), name);
    Value result;
    if (b && b->kind == Binding::Kind::Method) {
        result = InvokeMethod(f.vm, b->method, receiver, args);
    } else {
        const Value fn = b ? ReadBinding(f.vm, receiver, *b, name)
                           : InheritedDynamic(f.vm, home->base, receiver, name);
        result = CallValue(f.vm, fn, receiver, args);
    }
    if (!Void) {
        f.push(std::move(result));
    }
}

template <bool Lex, bool Void> void CallPropertyOp(Frame& f, const Instr& in) {
    const auto args = f.popArgs(in.b);
    PropName name = ReadName(f, *in.name);
    const Value receiver = f.pop();
    Value result = CallProperty(f.vm, receiver, name, args, Lex);
    if (!Void) {
        f.push(std::move(result));
    }
}

void ConstructSuper(Frame& f, const Instr& in) {
    const auto args = f.popArgs(in.a);
    const Value receiver = f.pop();
    const ClassObject* home = f.method.home;
    if (!home) {
        VerifyFailure(f, "constructsuper outside a constructor");
    }
    if (home->base) {
        RunInstanceInit(f.vm, home->base, receiver, args);
    }
}
void ConstructProp(Frame& f, const Instr& in) {
    const auto args = f.popArgs(in.b);
    PropName name = ReadName(f, *in.name);
    const Value obj = f.pop();
    // A primitive lacking the property has nothing to construct, rather than nothing to read.
    if (!obj.isObject() && !obj.isNullish() && !HasProperty(f.vm, obj, name)) {
        f.vm.throwError(ErrorKind::TypeError, 1007,
                        "Instantiation attempted on a non-constructor.");
    }
    const Value ctor = GetProperty(f.vm, obj, name);
    f.push(Construct(f.vm, ctor, args));
}
void ApplyTypeOp(Frame& f, const Instr& in) {
    const auto params = f.popArgs(in.a);
    const Value generic = f.pop();
    f.push(ApplyType(f.vm, generic, params));
}

void NewFunction(Frame& f, const Instr& in) {
    const MethodInfo* method = f.method.unit->methods[in.a].get();
    FunctionObject* fn = f.vm.newFunction(MethodRef{method, nullptr}, CaptureScope(f));
    Object* proto = f.vm.newObject();
    SetPublic(f.vm, Value::object(proto), "constructor", Value::object(fn));
    fn->props().set(f.vm.intern("prototype"), Value::object(proto));
    f.push(Value::object(fn));
}
void NewClassOp(Frame& f, const Instr& in) {
    const Value base = f.pop();
    f.push(Value::object(NewClass(f.vm, *f.method.unit, in.a, base, CaptureScope(f))));
}
void NewObject(Frame& f, const Instr& in) {
    if (in.a < 0 || static_cast<std::int64_t>(in.a) * 2 > f.sp - f.stack) {
        f.underflow();
    }
    const auto pairs = f.popArgs(in.a * 2);
    Object* obj = f.vm.newObject();
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
        obj->props().set(f.vm.atomOf(ToStringValue(f.vm, pairs[i])), pairs[i + 1]);
    }
    f.push(Value::object(obj));
}
void NewArray(Frame& f, const Instr& in) {
    const auto items = f.popArgs(in.a);
    f.push(Value::object(f.vm.newArray(std::vector<Value>(items.begin(), items.end()))));
}

// clang-format off
const OpEntry kEntries[] = {
    {0x40, NewFunction, "newfunction", Operands::Method}, {0x41, Call, "call", Operands::U30},
    {0x42, ConstructOp, "construct", Operands::U30},
    {0x43, CallMethod, "callmethod", Operands::U30U30},
    {0x44, CallStatic, "callstatic", Operands::U30U30},
    {0x45, CallSuper<false>, "callsuper", Operands::NameArgs},
    {0x46, CallPropertyOp<false, false>, "callproperty", Operands::NameArgs},
    {0x49, ConstructSuper, "constructsuper", Operands::U30},
    {0x4a, ConstructProp, "constructprop", Operands::NameArgs},
    {0x4c, CallPropertyOp<true, false>, "callproplex", Operands::NameArgs},
    {0x4e, CallSuper<true>, "callsupervoid", Operands::NameArgs},
    {0x4f, CallPropertyOp<false, true>, "callpropvoid", Operands::NameArgs},
    {0x53, ApplyTypeOp, "applytype", Operands::U30}, {0x55, NewObject, "newobject", Operands::U30},
    {0x56, NewArray, "newarray", Operands::U30}, {0x58, NewClassOp, "newclass", Operands::Class},
};
// clang-format on

} // namespace

extern const std::span<const OpEntry> CallOps = kEntries;

} // namespace quillon::avm2
