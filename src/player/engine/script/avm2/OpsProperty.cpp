// Property, slot, scope lookup and type-test instructions.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/OpsSupport.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/XmlObject.h"

namespace quillon::avm2 {
namespace {

void GetPropertyOp(Frame& f, const Instr& in) {
    PropName name = ReadName(f, *in.name);
    Value& obj = f.top();
    obj = GetProperty(f.vm, obj, name);
}
template <bool Init> void SetPropertyOp(Frame& f, const Instr& in) {
    const Value value = f.pop();
    PropName name = ReadName(f, *in.name);
    const Value obj = f.pop();
    SetProperty(f.vm, obj, name, value, Init);
}
void DeletePropertyOp(Frame& f, const Instr& in) {
    PropName name = ReadName(f, *in.name);
    Value& obj = f.top();
    obj = Value::boolean(DeleteProperty(f.vm, obj, name));
}

const Traits* SuperTraits(Frame& f) {
    const ClassObject* home = f.method.home;
    if (!home || !home->base) {
        VerifyFailure(f, "super used outside a subclass method");
    }
    return home->base->instanceTraits.get();
}
void GetSuper(Frame& f, const Instr& in) {
    PropName name = ReadName(f, *in.name);
    Value& obj = f.top();
    const Binding* b = FindBinding(SuperTraits(f), name);
    obj = b ? ReadBinding(f.vm, obj, *b, name) : GetProperty(f.vm, obj, name);
}
void SetSuper(Frame& f, const Instr& in) {
    const Value value = f.pop();
    PropName name = ReadName(f, *in.name);
    const Value obj = f.pop();
    if (const Binding* b = FindBinding(SuperTraits(f), name)) {
        WriteBinding(f.vm, obj, *b, name, value, false);
    } else {
        SetProperty(f.vm, obj, name, value);
    }
}

template <bool Strict> void FindPropertyOp(Frame& f, const Instr& in) {
    PropName name = ReadName(f, *in.name);
    f.push(FindProperty(f, name, Strict));
}
void FindDef(Frame& f, const Instr& in) {
    PropName name = ReadName(f, *in.name);
    Object* global = FindGlobalFor(f.vm, name);
    if (!global) {
        f.vm.throwError(ErrorKind::ReferenceError, 1065,
                        "Variable " + NameText(f.vm, name) + " is not defined.");
    }
    f.push(Value::object(global));
}
void GetLex(Frame& f, const Instr& in) {
    PropName name = ReadName(f, *in.name);
    const Value holder = FindProperty(f, name, true);
    f.push(GetProperty(f.vm, holder, name));
}

Object* SlotHolder(Frame& f, const Value& v, std::int32_t slot) {
    if (v.isNullish()) {
        ThrowNullAccess(f.vm, v);
    }
    if (!v.isObject() || slot < 1 || static_cast<std::size_t>(slot) > v.asObject()->slots.size()) {
        VerifyFailure(f, "Slot " + std::to_string(slot) + " out of range");
    }
    return v.asObject();
}
void GetSlot(Frame& f, const Instr& in) {
    Value& top = f.top();
    top = Value(SlotHolder(f, top, in.a)->slots[in.a - 1]);
}
void SetSlotOn(Frame& f, const Value& holder, std::int32_t slot, const Value& value) {
    Object* o = SlotHolder(f, holder, slot);
    const Coercion c = o->traits ? o->traits->slots[slot - 1].coercion : Coercion::Any;
    o->slots[slot - 1] = Coerce(f.vm, value, c);
}
void SetSlot(Frame& f, const Instr& in) {
    const Value value = f.pop();
    const Value obj = f.pop();
    SetSlotOn(f, obj, in.a, value);
}
Value GlobalObject(Frame& f) {
    if (f.outer && !f.outer->entries.empty()) {
        return f.outer->entries.front().value;
    }
    return f.scopeTop > 0 ? f.scopes[0].value : Value();
}
void GetGlobalSlot(Frame& f, const Instr& in) {
    f.push(SlotHolder(f, GlobalObject(f), in.a)->slots[in.a - 1]);
}
void SetGlobalSlot(Frame& f, const Instr& in) {
    SetSlotOn(f, GlobalObject(f), in.a, f.pop());
}

// Activation and catch scopes are sealed, with no prototype: a name they lack is a
// ReferenceError, as on any sealed object.
void NewActivation(Frame& f, const Instr&) {
    Object* obj = f.vm.newObject();
    obj->proto = nullptr;
    obj->dynamic = false;
    if (f.method.activation) {
        InitSlots(obj, *f.method.activation);
    }
    f.push(Value::object(obj));
}
void NewCatch(Frame& f, const Instr& in) {
    auto& scopes = f.code.catchScopes;
    if (scopes.size() < f.code.handlers.size()) {
        scopes.resize(f.code.handlers.size());
    }
    std::shared_ptr<Traits>& traits = scopes[in.a];
    if (!traits) {
        traits = std::make_shared<Traits>();
        traits->slots.push_back(SlotDef{});
        if (const Name* var = f.code.handlers[in.a].var) {
            for (std::uint32_t ns : var->ns) {
                traits->bindings[PropKey(ns, var->atom)] = Binding{};
            }
        }
    }
    Object* obj = f.vm.newObject();
    obj->proto = nullptr;
    obj->dynamic = false;
    InitSlots(obj, *traits);
    f.push(Value::object(obj));
}

ClassObject* ClassFor(Frame& f, const Name& name) {
    const Value type = FindDefinition(f.vm, name);
    if (!type.isObject() || type.asObject()->kind != ObjectKind::Class) {
        f.vm.throwError(ErrorKind::ReferenceError, 1065,
                        "Variable " + name.text + " is not defined.");
    }
    return static_cast<ClassObject*>(type.asObject());
}
ClassObject* ClassFromValue(Frame& f, const Value& v) {
    if (!v.isObject() || v.asObject()->kind != ObjectKind::Class) {
        f.vm.throwError(ErrorKind::TypeError, 1041,
                        "The right-hand side of operator must be a class.");
    }
    return static_cast<ClassObject*>(v.asObject());
}
void CoerceName(Frame& f, const Instr& in) {
    Value& top = f.top();
    if (in.name->atom == kAnyAtom && !in.name->typeBase) {
        return;
    }
    top = CoerceToClass(f.vm, top, ClassFor(f, *in.name));
}
void IsTypeOp(Frame& f, const Instr& in) {
    Value& top = f.top();
    top = Value::boolean(IsType(f.vm, top, ClassFor(f, *in.name)));
}
void AsTypeOp(Frame& f, const Instr& in) {
    Value& top = f.top();
    if (!IsType(f.vm, top, ClassFor(f, *in.name))) {
        top = Value::null();
    }
}
void IsTypeLate(Frame& f, const Instr&) {
    ClassObject* cls = ClassFromValue(f, f.pop());
    Value& top = f.top();
    top = Value::boolean(IsType(f.vm, top, cls));
}
void AsTypeLate(Frame& f, const Instr&) {
    ClassObject* cls = ClassFromValue(f, f.pop());
    Value& top = f.top();
    if (!IsType(f.vm, top, cls)) {
        top = Value::null();
    }
}
void InstanceOf(Frame& f, const Instr&) {
    const Value type = f.pop();
    Value& v = f.top();
    Object* proto = nullptr;
    if (type.isObject() && type.asObject()->kind == ObjectKind::Class) {
        proto = static_cast<ClassObject*>(type.asObject())->prototype;
    } else if (type.isObject() && type.asObject()->kind == ObjectKind::Function) {
        const Value p = GetPublic(f.vm, type, "prototype");
        proto = p.isObject() ? p.asObject() : nullptr;
    } else {
        f.vm.throwError(ErrorKind::TypeError, 1040,
                        "The right-hand side of instanceof must be a class or function.");
    }
    // Every number, int and uint alike, inherits from Number's prototype: 3 is no
    // instance of int by this test, though `is int` holds.
    const ClassObject* own = v.isNumeric() ? f.vm.core.number : ClassOf(f.vm, v);
    Object* start = v.isObject() ? v.asObject()->proto : (own ? own->prototype : nullptr);
    bool found = false;
    for (Object* p = start; p && !found; p = p->proto) {
        found = p == proto;
    }
    v = Value::boolean(found);
}
void In(Frame& f, const Instr&) {
    const Value obj = f.pop();
    Value& name = f.top();
    name = Value::boolean(HasProperty(f.vm, obj, NameFromValue(f.vm, name)));
}
void GetDescendants(Frame& f, const Instr& in) {
    PropName name = ReadName(f, *in.name);
    Value& obj = f.top();
    obj = XmlDescendants(f.vm, obj, name);
}

// clang-format off
const OpEntry kEntries[] = {
    {0x04, GetSuper, "getsuper", Operands::Name}, {0x05, SetSuper, "setsuper", Operands::Name},
    {0x57, NewActivation, "newactivation"},
    {0x59, GetDescendants, "getdescendants", Operands::Name},
    {0x5a, NewCatch, "newcatch", Operands::Catch},
    {0x5d, FindPropertyOp<true>, "findpropstrict", Operands::Name},
    {0x5e, FindPropertyOp<false>, "findproperty", Operands::Name},
    {0x5f, FindDef, "finddef", Operands::Name}, {0x60, GetLex, "getlex", Operands::Name},
    {0x61, SetPropertyOp<false>, "setproperty", Operands::Name},
    {0x66, GetPropertyOp, "getproperty", Operands::Name},
    {0x68, SetPropertyOp<true>, "initproperty", Operands::Name},
    {0x6a, DeletePropertyOp, "deleteproperty", Operands::Name},
    {0x6c, GetSlot, "getslot", Operands::U30}, {0x6d, SetSlot, "setslot", Operands::U30},
    {0x6e, GetGlobalSlot, "getglobalslot", Operands::U30},
    {0x6f, SetGlobalSlot, "setglobalslot", Operands::U30},
    {0x80, CoerceName, "coerce", Operands::Name}, {0x86, AsTypeOp, "astype", Operands::Name},
    {0x87, AsTypeLate, "astypelate"}, {0xb1, InstanceOf, "instanceof"},
    {0xb2, IsTypeOp, "istype", Operands::Name}, {0xb3, IsTypeLate, "istypelate"}, {0xb4, In, "in"},
};
// clang-format on

} // namespace

extern const std::span<const OpEntry> PropertyOps = kEntries;

} // namespace quillon::avm2
